# ForceDel.dll, shipped beside Spruce.exe: the forced-delete tool loads it
# and calls its Delete export.
spruce_dll(ForceDel force_del.cpp open_handles.cpp name_queries.cpp
           ../framework/native_objects.cpp)
spruce_win_test(privacy_tests force_del_test.cpp name_queries_test.cpp name_queries.cpp)
# For the tests: a library without the Delete export, one whose Delete waits
# until the test lets it go, and a program that holds a file open the way a
# locking program (or a viewer that shares everything) does.
spruce_dll(ForceDelWithoutExport testing/without_export.cpp)
spruce_dll(ForceDelSlow testing/slow_delete.cpp)
spruce_win_program(hold_file testing/hold_file.cpp)
