# The main window's advertising banner and its web-browser control host.
spruce_win(html_banner.cpp browser_host.cpp)
spruce_win_test(app_tests banner_test.cpp)
