# The delete/stop button that becomes usable a moment after its job ended.
spruce_win(settling_button.cpp)
