spruce_win_test(e2e_tests e2e/e2e_support.cpp e2e/main_window_test.cpp
                e2e/registry_e2e_test.cpp e2e/release_test.cpp
                e2e/close_stress_test.cpp e2e/setup_test.cpp)
