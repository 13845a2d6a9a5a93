# The gradient progress bar (its band arithmetic lives in gradient_bands.cpp,
# declared with the colour label).
spruce_win(gradient_progress.cpp)
spruce_win_test(widgets_tests gradient_progress_test.cpp)
spruce_native_test(gradient_progress_layout_test.cpp)
