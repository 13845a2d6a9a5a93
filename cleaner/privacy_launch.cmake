# Opening the tool from the main window.
spruce_win(privacy_launch.cpp)
