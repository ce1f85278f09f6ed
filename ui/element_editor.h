// Dialog 130: the message the car shows for one camera type.
#pragma once

#include <windows.h>

// Run with a DialogParam whose target is the type. Ends with IDOK once the new message
// format is stored into the type, IDCANCEL when the type is left unchanged.
INT_PTR CALLBACK element_editor_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
