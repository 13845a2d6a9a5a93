spruce_win(launch.cpp)
