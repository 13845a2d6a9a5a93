# System information: the probes of the system, the summary dialog and its
# (empty) device list.
spruce_win(system_probe.cpp sysinfo_dlg.cpp devlist_dlg.cpp)
spruce_win_test(sysinfo_tests sysinfo_dlg_test.cpp)
spruce_win_program(sysinfo_probe sysinfo_probe.cpp)
