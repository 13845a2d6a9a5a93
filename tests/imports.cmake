# The shipped 32-bit programs must load on Windows 95 and NT 4.0: their import
# tables are checked against the functions those systems lack
# (imports/lacking.txt), on the host, with the cross toolchain's objdump. The
# check belongs to the shipping build (SPRUCE_THREADS win32), which makes
# exactly the programs of the release package; the test command runs it.
if(CMAKE_SYSTEM_NAME STREQUAL "Windows" AND SPRUCE_THREADS STREQUAL "win32")
  find_program(SPRUCE_I686_OBJDUMP i686-w64-mingw32-objdump REQUIRED)
  find_program(SPRUCE_PYTHON3 python3 REQUIRED)
  get_property(programs GLOBAL PROPERTY SPRUCE_PROGRAMS)
  get_property(dlls GLOBAL PROPERTY SPRUCE_DLLS)
  set(shipped_files ${CMAKE_BINARY_DIR}/bin/Spruce.exe)
  if("SpruceUp" IN_LIST programs)
    list(APPEND shipped_files ${CMAKE_BINARY_DIR}/bin/SpruceUp.exe)
  endif()
  if("ForceDel" IN_LIST dlls)
    list(APPEND shipped_files ${CMAKE_BINARY_DIR}/bin/ForceDel.dll)
  endif()
  # The setup program's own stub must load there too (its uninstaller is the
  # same stub).
  list(APPEND shipped_files ${CMAKE_BINARY_DIR}/Spruce-${PROJECT_VERSION}-setup.exe)
  add_test(NAME imports_load_on_windows95_and_nt4
           COMMAND ${SPRUCE_PYTHON3} ${CMAKE_CURRENT_SOURCE_DIR}/imports/check_imports.py
                   --objdump ${SPRUCE_I686_OBJDUMP}
                   --lacking ${CMAKE_CURRENT_SOURCE_DIR}/imports/lacking.txt
                   --pending ${CMAKE_CURRENT_SOURCE_DIR}/imports/pending.txt
                   ${shipped_files})
endif()
