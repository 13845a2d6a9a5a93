# System information and PC usage time, compute-only parts: the dialog's
# figures, the Korean date texts and the walk over event-log records.
spruce_pure(system_figures.cpp korean_time.cpp event_records.cpp)
spruce_native_test(system_figures_test.cpp korean_time_test.cpp event_records_test.cpp)
spruce_fuzz(event_records_fuzz event_records_fuzz.cpp)
