spruce_pure(helpers.cpp mbstring.cpp)
spruce_win(os_code.cpp)
spruce_native_test(helpers_test.cpp)
