# The colour label and the arithmetic of its gradient background.
spruce_pure(gradient_bands.cpp)
spruce_native_test(gradient_bands_test.cpp)
spruce_win(color_label.cpp)
spruce_win_test(widgets_tests color_label_test.cpp)
