# The resource script is compiled into Spruce.exe and every test program
# (see cmake/windows.cmake); nothing to declare here.
