# SpruceDemo.exe: Spruce with emulated drives for the demo and the
# outside-in tests. Not a shipped program (the release package names its
# programs); the shipped Spruce.exe never links the emulated drives.
spruce_program(SpruceDemo ${CMAKE_SOURCE_DIR}/app/winmain.cpp ${CMAKE_SOURCE_DIR}/resources/spruce.rc
               demo_drives.cpp emulated_ata_drive.cpp)
spruce_win_test(e2e_tests health_e2e_test.cpp)
