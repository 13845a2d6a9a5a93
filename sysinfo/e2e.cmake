# System information and PC usage time opened from the running program.
spruce_win_test(e2e_tests sysinfo_e2e_test.cpp)
