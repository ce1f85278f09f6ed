// Loads the current speedcam file into the main window's two lists and its status bar.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app_state.h"
#include "export.h"

// Empties both lists, reads the file with the window's encoding and dialect, and shows
// every object, the types met with their counts, and the file, dialect and object count in
// the status bar. False when the file cannot be read: the lists then stay empty, and the
// status bar says so, with the dialect, the encoding and no objects.
bool show_speedcam_file(const std::wstring& path, HWND status_bar);

// The fourth status-bar part: how many objects the export would write now, and the size of
// the file against the head unit's limit, counted by the export's own rules.
void show_export_budget(HWND status_bar, AppState& state);
// "23 456": thousands apart, as a Russian reader writes them.
std::wstring grouped(std::uint64_t n);
// Its text for a plan: of the loaded file, or of the rectangle drawn on the map.
std::wstring export_budget_text(AppState& state, const ExportPlan& plan);

// The object list's rows carry no texts of their own; this writes a cell's text from the
// record behind the row when the list asks for it (LVN_GETDISPINFOW).
void object_list_display_info(NMLVDISPINFOW& info);
