# Opening the tool from the main window.
spruce_win(launch.cpp)
