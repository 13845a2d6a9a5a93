# The updater, SpruceUp.exe: its window and checker, the all-or-nothing
# replacement of the installed files, and its own resources.
spruce_win(updater_dlg.cpp install_swap.cpp)
spruce_program(SpruceUp updater_app.cpp updater.rc)
spruce_win_test(updater_tests install_swap_test.cpp updater_dlg_test.cpp
                ../upgrade/testing/scripted_site.cpp)
spruce_win_test_rc(updater_tests updater.rc)
# The whole upgrade from outside, and the browser stand-in it installs.
spruce_win_test(e2e_tests upgrade_e2e_test.cpp ../upgrade/testing/scripted_site.cpp)
spruce_win_program(browser_stub ../upgrade/testing/browser_stub.cpp)
