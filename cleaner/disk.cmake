# The hard-disk optimizer: the junk scan, the cleanup dialog and the texts of
# its rotating deletion lists.
spruce_pure(backup_slots.cpp)
spruce_native_test(backup_slots_test.cpp)
spruce_win(junk_scanner.cpp disk_clean_dlg.cpp)
spruce_win_test(cleaner_tests junk_scanner_test.cpp disk_clean_dlg_test.cpp)
spruce_win_test(e2e_tests disk_clean_e2e_test.cpp)
