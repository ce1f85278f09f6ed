// The terms of use, dialog 134: shown at every start, before the main window.
#pragma once

#include <windows.h>

// Run with the AppState as parameter. Ends with IDOK when the user accepts and IDCANCEL when
// they decline or close it.
INT_PTR CALLBACK terms_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
