# The registry optimizer: the scan engine, the optimization dialog with its
# backup, the restore dialog, and their tests under Wine.
spruce_win(registry_scanner.cpp registry_dlg.cpp restore_dlg.cpp)
spruce_win_test(registry_tests registry_scanner_test.cpp registry_dlg_test.cpp
                restore_dlg_test.cpp)
