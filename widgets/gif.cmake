# The animated picture control and its GIF block walker.
spruce_pure(gif_blocks.cpp)
spruce_native_test(gif_blocks_test.cpp)
spruce_fuzz(gif_blocks_fuzz gif_blocks_fuzz.cpp)
spruce_win(gif_picture.cpp)
spruce_win_test(widgets_tests gif_picture_test.cpp)
