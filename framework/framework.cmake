spruce_win(app.cpp control_host.cpp controls.cpp dialog.cpp font.cpp msgbox.cpp subclass.cpp ui_feed.cpp worker.cpp)
