# The disk-health and temperature dialogs and the system's drive commands.
spruce_win(system_drive_commands.cpp drive_dialog.cpp smart_dlg.cpp hdd_temp_dlg.cpp)
spruce_win_test(health_tests health_dlg_test.cpp emulated_ata_drive.cpp)
