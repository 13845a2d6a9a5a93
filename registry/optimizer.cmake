# The registry optimizer: the scan engine, the backup file every registry
# deletion writes first, the optimization dialog, the restore dialog, and
# their tests under Wine.
spruce_win(registry_scanner.cpp backup_file.cpp registry_dlg.cpp restore_dlg.cpp)
spruce_win_test(registry_tests registry_scanner_test.cpp registry_dlg_test.cpp
                restore_dlg_test.cpp)
