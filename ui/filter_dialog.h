// Dialog 132: the four corners of the area whose objects are loaded.
#pragma once

#include <windows.h>

// Run with a DialogParam. Ends with IDOK once the four values are stored into the state's
// area filter, IDCANCEL when the user leaves it unchanged.
INT_PTR CALLBACK filter_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
