spruce_win(activity_log.cpp cleaner_app.cpp main_dlg.cpp registry_key.cpp thread.cpp)
