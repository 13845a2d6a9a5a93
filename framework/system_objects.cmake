# Process users, object names and the link-safe opening of folder entries,
# shared by the cleaners and ForceDel.dll (which compiles native_objects.cpp
# into itself: it links nothing of the program, nor the C++ run-time).
spruce_win(native_objects.cpp system_objects.cpp)
