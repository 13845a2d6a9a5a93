#include <windows.h>

#include "app/cleaner_app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return TheApp().Run(instance); }
