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
