# The Windows programs and their GoogleTest programs, run under Wine by CTest.
# The shipping build (SPRUCE_THREADS win32) makes only what a user gets.
enable_language(C RC)
set(SPRUCE_SHIPPED_NAMES Spruce SpruceUp ForceDel)
if(SPRUCE_THREADS STREQUAL "win32")
  set(shipping_build ON)
else()
  set(shipping_build OFF)
endif()
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")

# UTF-8 sources, CP949 literals for the ANSI APIs; static, warnings on.
add_compile_options(-finput-charset=UTF-8 -fexec-charset=CP949 -Wall -Wextra)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501 _WIN32_IE=0x0600 WINVER=0x0501)
add_link_options(-static -static-libgcc -static-libstdc++)
if(shipping_build)
  # Lines for the debug information kept beside the shipped files (below).
  add_compile_options(-g)
endif()

# The version resource of every program reads the project version from here.
configure_file(${CMAKE_SOURCE_DIR}/resources/version.h.in
               ${CMAKE_BINARY_DIR}/generated/spruce_version.h @ONLY)

get_property(win_sources GLOBAL PROPERTY SPRUCE_WIN)
add_library(spruce_core STATIC ${pure_sources} ${win_sources})
target_include_directories(spruce_core PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/generated)
target_link_libraries(spruce_core PUBLIC
  comctl32 comdlg32 shell32 shlwapi ole32 oleaut32 uuid advapi32 gdi32 user32
  wsock32 wininet winmm version)

set(SPRUCE_RC ${CMAKE_SOURCE_DIR}/resources/spruce.rc)
# windres gives CMake no list of what a script includes, so a changed dialog
# template, id header or picture would leave a stale compiled resource: every
# resource script of the build depends on all of them.
file(GLOB_RECURSE resource_inputs CONFIGURE_DEPENDS
     ${CMAKE_SOURCE_DIR}/resources/*.rc ${CMAKE_SOURCE_DIR}/resources/*.h
     ${CMAKE_SOURCE_DIR}/resources/*.htm ${CMAKE_SOURCE_DIR}/resources/art/*.bmp
     ${CMAKE_SOURCE_DIR}/resources/art/*.ico ${CMAKE_SOURCE_DIR}/resources/art/*.gif
     ${CMAKE_SOURCE_DIR}/updater/*.rc ${CMAKE_SOURCE_DIR}/updater/*.h)
set(all_scripts ${SPRUCE_RC})
get_property(all_sources GLOBAL PROPERTY SPRUCE_PROGRAMS)
foreach(prog ${all_sources})
  get_property(files GLOBAL PROPERTY SPRUCE_PROGRAM_${prog})
  list(FILTER files INCLUDE REGEX "\\.rc$")
  list(APPEND all_scripts ${files})
endforeach()
set_source_files_properties(${all_scripts} PROPERTIES OBJECT_DEPENDS
                            "${resource_inputs};${CMAKE_BINARY_DIR}/generated/spruce_version.h")
add_executable(Spruce WIN32 ${CMAKE_SOURCE_DIR}/app/winmain.cpp ${SPRUCE_RC})
target_link_libraries(Spruce PRIVATE spruce_core)
set_target_properties(Spruce PROPERTIES OUTPUT_NAME Spruce RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

# The other programs (SpruceUp.exe, the demo build) and DLLs (ForceDel.dll,
# test helpers).
get_property(programs GLOBAL PROPERTY SPRUCE_PROGRAMS)
get_property(dlls GLOBAL PROPERTY SPRUCE_DLLS)
if(shipping_build)
  list(FILTER programs INCLUDE REGEX "^(SpruceUp)$")
  list(FILTER dlls INCLUDE REGEX "^(ForceDel)$")
endif()
foreach(prog ${programs})
  get_property(files GLOBAL PROPERTY SPRUCE_PROGRAM_${prog})
  add_executable(${prog} WIN32 ${files})
  target_link_libraries(${prog} PRIVATE spruce_core)
  set_target_properties(${prog} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
endforeach()
foreach(dll ${dlls})
  get_property(files GLOBAL PROPERTY SPRUCE_DLL_${dll})
  add_library(${dll} SHARED ${files})
  target_include_directories(${dll} PRIVATE ${CMAKE_SOURCE_DIR})
  # Linked as C: a DLL of ours uses no C++ run-time, and a use that crept in
  # fails the link instead of adding a quarter of a megabyte.
  target_compile_options(${dll} PRIVATE -fno-exceptions -fno-rtti)
  set_target_properties(${dll} PROPERTIES LINKER_LANGUAGE C)
  set_target_properties(${dll} PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
endforeach()

# What a user downloads carries no debug information: each shipped file is
# stripped after linking, and its debug information (compiled with -g, so
# with lines) goes to symbols/<file>.debug, named in the file by a debug
# link. A crash address is read with
#   i686-w64-mingw32-addr2line -f -C -e symbols/Spruce.exe.debug 0x<address>
# (gdb finds the file through the link when it lies beside the program).
if(shipping_build)
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/symbols)
  foreach(name ${SPRUCE_SHIPPED_NAMES})
    if(TARGET ${name})
      set(symbols ${CMAKE_BINARY_DIR}/symbols/$<TARGET_FILE_NAME:${name}>.debug)
      add_custom_command(TARGET ${name} POST_BUILD
        COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${name}> ${symbols}
        COMMAND ${CMAKE_OBJCOPY} --strip-all --add-gnu-debuglink=${symbols} $<TARGET_FILE:${name}>
        VERBATIM)
    endif()
  endforeach()
endif()

include(${CMAKE_SOURCE_DIR}/cmake/package.cmake)
if(shipping_build)
  return()
endif()

# GoogleTest, cross-built from the machine's sources.
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(t gtest gtest_main)
  target_compile_options(${t} PRIVATE -w)
endforeach()

include(GoogleTest)
get_property(groups GLOBAL PROPERTY SPRUCE_WIN_TEST_GROUPS)
list(REMOVE_DUPLICATES groups)
get_property(support GLOBAL PROPERTY SPRUCE_WIN_TEST_SUPPORT)
foreach(group ${groups})
  get_property(files GLOBAL PROPERTY SPRUCE_WIN_TEST_${group})
  get_property(rc GLOBAL PROPERTY SPRUCE_WIN_TEST_RC_${group})
  if(NOT rc)
    set(rc ${SPRUCE_RC})
  endif()
  add_executable(${group} ${files} ${support} ${rc})
  target_link_libraries(${group} PRIVATE spruce_core gtest)
  set_target_properties(${group} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  # The tests start the shipped programs and load the shipped DLLs.
  add_dependencies(${group} Spruce ${programs} ${dlls})
  gtest_discover_tests(${group}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin
    PROPERTIES TIMEOUT 300 LABELS ${group})
endforeach()

get_property(extra GLOBAL PROPERTY SPRUCE_WIN_EXTRA_PROGRAMS)
foreach(prog ${extra})
  get_property(files GLOBAL PROPERTY SPRUCE_WIN_PROGRAM_${prog})
  add_executable(${prog} ${files})
  target_link_libraries(${prog} PRIVATE spruce_core)
  set_target_properties(${prog} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  foreach(group ${groups})
    add_dependencies(${group} ${prog})
  endforeach()
endforeach()

