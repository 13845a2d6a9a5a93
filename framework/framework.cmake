spruce_win(app.cpp control_host.cpp controls.cpp dialog.cpp font.cpp mouse_tracking.cpp msgbox.cpp shell.cpp subclass.cpp ui_feed.cpp wait.cpp worker.cpp)
spruce_win_test(framework_tests ui_feed_test.cpp wait_test.cpp)
spruce_win_test(framework_chain_tests subclass_test.cpp)
