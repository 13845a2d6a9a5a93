# ForceDel.dll, shipped beside Spruce.exe: the forced-delete tool loads it
# and calls its Delete export.
spruce_dll(ForceDel force_del.cpp open_handles.cpp ../framework/system_objects.cpp)
spruce_win_test(privacy_tests force_del_test.cpp)
# For the tests: a library without the Delete export, and a program that
# holds a file open the way a locking program does.
spruce_dll(ForceDelWithoutExport testing/without_export.cpp)
spruce_win_program(hold_file testing/hold_file.cpp)
