# The main window's two-frame picture button.
spruce_win(hover_button.cpp)
spruce_win_test(app_tests hover_button_test.cpp)
