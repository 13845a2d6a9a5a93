# The image button and the pixel arithmetic of its picture variants.
spruce_pure(image_pixels.cpp)
spruce_native_test(image_pixels_test.cpp)
spruce_win(image_button.cpp)
spruce_win_test(widgets_tests image_button_test.cpp)
