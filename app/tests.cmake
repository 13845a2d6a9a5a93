spruce_win_test(app_tests activity_log_test.cpp registry_key_test.cpp thread_test.cpp
                os_code_test.cpp startup_test.cpp)
spruce_win_program(os_code_probe os_code_probe.cpp)
