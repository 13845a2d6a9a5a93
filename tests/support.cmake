spruce_win_test_support(support/recorder.cpp support/wine_env.cpp support/gtest_main.cpp)
