# The safety rules shared by the cleaners: guarded folders, link-safe delete.
spruce_pure(folder_guard.cpp)
spruce_native_test(folder_guard_test.cpp)
spruce_win(safe_files.cpp)
spruce_win_test(cleaner_tests guarded_folders_test.cpp)
