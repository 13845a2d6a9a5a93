# Helpers that the folder CMakeLists.txt files use to declare their sources.
# A folder never builds targets itself: it appends to global lists, and the
# top-level file builds the programs, test programs and fuzz targets from them.
#
#   spruce_pure(files...)         compute-only files (no <windows.h>): built into
#                                 the Windows programs and natively for tests
#   spruce_win(files...)          Windows-only files of Spruce.exe
#   spruce_native_test(files...)  GoogleTest files of pure code (native, sanitized)
#   spruce_win_test(NAME files...) GoogleTest files run under Wine, grouped into
#                                 one test program per NAME (e.g. registry_tests)
#   spruce_fuzz(NAME file)        libFuzzer target over pure code (native)
#   spruce_program(NAME files...) another GUI program (its .rc among the files),
#                                 linked with the Windows core like Spruce.exe
#   spruce_dll(NAME files...)     a DLL of its own (NAME.dll, no core linked,
#                                 no C++ run-time: linked as C)
#   spruce_win_test_rc(NAME rc)   the resource script of test group NAME, in
#                                 place of Spruce.exe's

# Rebuilds of unchanged files come from ccache when the machine has it.
find_program(SPRUCE_CCACHE ccache)
if(SPRUCE_CCACHE)
  set(CMAKE_CXX_COMPILER_LAUNCHER ${SPRUCE_CCACHE})
endif()

function(_spruce_append prop)
  foreach(f ${ARGN})
    get_filename_component(abs ${f} ABSOLUTE)
    set_property(GLOBAL APPEND PROPERTY ${prop} ${abs})
  endforeach()
endfunction()

function(spruce_pure)
  _spruce_append(SPRUCE_PURE ${ARGN})
endfunction()

function(spruce_win)
  _spruce_append(SPRUCE_WIN ${ARGN})
endfunction()

function(spruce_native_test)
  _spruce_append(SPRUCE_NATIVE_TESTS ${ARGN})
endfunction()

function(spruce_win_test name)
  set_property(GLOBAL APPEND PROPERTY SPRUCE_WIN_TEST_GROUPS ${name})
  _spruce_append(SPRUCE_WIN_TEST_${name} ${ARGN})
endfunction()

function(spruce_fuzz name file)
  set_property(GLOBAL APPEND PROPERTY SPRUCE_FUZZ_TARGETS ${name})
  _spruce_append(SPRUCE_FUZZ_${name} ${file})
endfunction()

# Files linked into every Windows test program (GoogleTest main, Wine helpers).
function(spruce_win_test_support)
  _spruce_append(SPRUCE_WIN_TEST_SUPPORT ${ARGN})
endfunction()

# An extra Windows console program built beside the tests (probes, drivers).
function(spruce_win_program name)
  set_property(GLOBAL APPEND PROPERTY SPRUCE_WIN_EXTRA_PROGRAMS ${name})
  _spruce_append(SPRUCE_WIN_PROGRAM_${name} ${ARGN})
endfunction()

function(spruce_program name)
  set_property(GLOBAL APPEND PROPERTY SPRUCE_PROGRAMS ${name})
  _spruce_append(SPRUCE_PROGRAM_${name} ${ARGN})
endfunction()

function(spruce_dll name)
  set_property(GLOBAL APPEND PROPERTY SPRUCE_DLLS ${name})
  _spruce_append(SPRUCE_DLL_${name} ${ARGN})
endfunction()

function(spruce_win_test_rc name rc)
  get_filename_component(abs ${rc} ABSOLUTE)
  set_property(GLOBAL PROPERTY SPRUCE_WIN_TEST_RC_${name} ${abs})
endfunction()
