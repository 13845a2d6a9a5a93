# The privacy cleaner (its eleven operations and dialog) and forced delete.
spruce_win(privacy_traces.cpp protected_storage.cpp folder_tree.cpp history_dlg.cpp
           force_del_dlg.cpp)
spruce_win_test(privacy_tests privacy_traces_test.cpp history_dlg_test.cpp
                force_del_dlg_test.cpp)
spruce_win_test(e2e_tests privacy_e2e_test.cpp)
# Clears the form data in a process of its own, so that a test can run it
# under another Windows version.
spruce_win_program(protected_storage_probe protected_storage_probe.cpp)
