spruce_win_test_support(driver/driver.cpp)
