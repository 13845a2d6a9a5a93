# The startup-program manager: the Run-key entries and the dialog.
spruce_win(startup_entries.cpp startup_prog_dlg.cpp)
spruce_win_test(startup_tests startup_prog_dlg_test.cpp)
spruce_win_test(e2e_tests startup_e2e_test.cpp)
