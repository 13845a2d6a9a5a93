# The main windows' about item, icon and minimised painting.
spruce_win(program_window.cpp)
