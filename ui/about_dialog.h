// Dialog 103: the program, its version and contacts, and the gist of the terms of use.
#pragma once

#include <windows.h>

// Run with the AppState as parameter; ends with the ID of the button that closed it.
INT_PTR CALLBACK about_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
