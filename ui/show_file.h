// Loads the current speedcam file into the main window's two lists and its status bar.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

// Empties both lists, reads the file with the window's encoding and dialect, and shows
// every object, the types met with their counts, and the file, dialect and object count in
// the status bar. When the file cannot be read the lists stay empty and the status bar
// keeps what it showed.
void show_speedcam_file(const std::wstring& path, HWND status_bar);

// The object list's rows carry no texts of their own; this writes a cell's text from the
// record behind the row when the list asks for it (LVN_GETDISPINFOW).
void object_list_display_info(NMLVDISPINFOW& info);
