# The registry optimizer's compute-only parts: the dead-path test, the ignore
# list and the backup file's line format.
spruce_pure(dead_path.cpp backup_format.cpp ignore_list.cpp)
spruce_native_test(dead_path_test.cpp backup_format_test.cpp ignore_list_test.cpp)
spruce_fuzz(backup_format_fuzz backup_format_fuzz.cpp)

