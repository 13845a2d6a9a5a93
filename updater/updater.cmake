# The updater, SpruceUp.exe: its window and checker, the all-or-nothing
# replacement of the installed files, and its own resources.
spruce_pure(swap_journal.cpp)
spruce_native_test(swap_journal_test.cpp)
spruce_fuzz(swap_journal_fuzz swap_journal_fuzz.cpp)
spruce_win(updater_dlg.cpp install_swap.cpp uninstall_entry.cpp)
# Test builds may stop a swap at a named step (the tests kill it there);
# the shipped programs have no such stop.
if(CMAKE_SYSTEM_NAME STREQUAL "Windows" AND NOT SPRUCE_THREADS STREQUAL "win32")
  set_source_files_properties(${CMAKE_CURRENT_SOURCE_DIR}/install_swap.cpp DIRECTORY ${CMAKE_SOURCE_DIR}
                              PROPERTIES COMPILE_DEFINITIONS SPRUCE_SWAP_TEST_STOPS)
endif()
spruce_program(SpruceUp updater_app.cpp updater.rc)
spruce_win_test(updater_tests install_swap_test.cpp updater_dlg_test.cpp
                ../upgrade/testing/scripted_site.cpp)
spruce_win_test_rc(updater_tests updater.rc)
# The whole upgrade from outside, and the browser stand-in it installs.
spruce_win_test(e2e_tests upgrade_e2e_test.cpp upgrade_interrupt_test.cpp
                ../upgrade/testing/scripted_site.cpp)
spruce_win_program(browser_stub ../upgrade/testing/browser_stub.cpp)
