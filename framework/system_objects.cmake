# Process users and object names, shared by the cleaners and ForceDel.dll
# (which compiles the file into itself: it links nothing of the program).
spruce_win(system_objects.cpp)
