# The shipped 32-bit programs must load on Windows 95 and NT 4.0: their import
# tables are checked against the functions those systems lack
# (imports/lacking.txt), on the host, with the cross toolchain's objdump.
if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
  find_program(SPRUCE_I686_OBJDUMP i686-w64-mingw32-objdump REQUIRED)
  find_program(SPRUCE_PYTHON3 python3 REQUIRED)
  if(SPRUCE_ARCH STREQUAL "i686")
    set(shipped ${CMAKE_BINARY_DIR}/bin)
  else()
    # A host that runs the x86_64 build still ships the i686 one, built
    # beside it by the test command.
    get_filename_component(shipped ${CMAKE_BINARY_DIR}/../i686/bin ABSOLUTE)
  endif()
  # The programs a user gets (as the release package names them,
  # cmake/package.cmake), once their parts exist; test helpers and the demo
  # build stay out.
  get_property(programs GLOBAL PROPERTY SPRUCE_PROGRAMS)
  get_property(dlls GLOBAL PROPERTY SPRUCE_DLLS)
  set(shipped_files ${shipped}/Spruce.exe)
  if("SpruceUp" IN_LIST programs)
    list(APPEND shipped_files ${shipped}/SpruceUp.exe)
  endif()
  if("ForceDel" IN_LIST dlls)
    list(APPEND shipped_files ${shipped}/ForceDel.dll)
  endif()
  add_test(NAME imports_load_on_windows95_and_nt4
           COMMAND ${SPRUCE_PYTHON3} ${CMAKE_CURRENT_SOURCE_DIR}/imports/check_imports.py
                   --objdump ${SPRUCE_I686_OBJDUMP}
                   --lacking ${CMAKE_CURRENT_SOURCE_DIR}/imports/lacking.txt
                   --pending ${CMAKE_CURRENT_SOURCE_DIR}/imports/pending.txt
                   ${shipped_files})
endif()
