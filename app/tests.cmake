spruce_win_test(app_tests activity_log_test.cpp registry_key_test.cpp thread_test.cpp
                startup_test.cpp)
spruce_win_test(app_tests main_dlg_test.cpp ../upgrade/testing/scripted_site.cpp)
