# The report list with per-cell colours and its hand-painted header.
spruce_win(cell_list.cpp xheader_ctrl.cpp)
spruce_win_test(widgets_tests cell_list_test.cpp)
spruce_win_test_support(window_printout.cpp)
