# The setup program, checked without running it: a 32-bit program with its
# version resource that carries the stripped programs of this build. The
# release script makes it (target `setup`) before the test command runs this.
if(CMAKE_SYSTEM_NAME STREQUAL "Windows" AND SPRUCE_THREADS STREQUAL "win32")
  find_program(SPRUCE_PYTHON3 python3 REQUIRED)
  add_test(NAME setup_holds_the_stripped_programs
           COMMAND ${SPRUCE_PYTHON3} ${CMAKE_CURRENT_SOURCE_DIR}/release/check_setup.py
                   ${CMAKE_BINARY_DIR}/Spruce-${PROJECT_VERSION}-setup.exe ${CMAKE_BINARY_DIR})
endif()
