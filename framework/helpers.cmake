# The helpers every layer shares: size text, Windows version code, string
# splitting, CP949-aware byte strings, and the maker's site addresses.
spruce_pure(helpers.cpp mbstring.cpp)
spruce_win(os_code.cpp site.cpp)
spruce_native_test(helpers_test.cpp)
spruce_win_test(framework_tests os_code_test.cpp)
spruce_win_program(os_code_probe os_code_probe.cpp)
