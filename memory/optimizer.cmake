# The memory optimizer: figure arithmetic, memory status and freeing pass,
# the dialog, and a probe that reports the status query Wine's Windows
# version selects.
spruce_pure(memory_figures.cpp)
spruce_native_test(memory_figures_test.cpp)
spruce_win(memory_status.cpp memory_dlg.cpp)
spruce_win_test(memory_tests memory_status_test.cpp memory_dlg_test.cpp)
spruce_win_program(memory_probe memory_probe.cpp)
spruce_win_test(e2e_tests memory_e2e_test.cpp)
