# PC usage time: the "System" event log as a record source, and the dialog.
spruce_win(system_event_log.cpp usage_time_dlg.cpp)
spruce_win_test(sysinfo_tests usage_time_dlg_test.cpp)
