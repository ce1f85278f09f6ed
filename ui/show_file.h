// Loads the current speedcam file into the main window's two lists and its status bar.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <string_view>

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

// The first status-bar part: the entry the window chose (the file read, being read, or not
// read) with its path, shortened in the middle until the text fits the part; the whole path
// shows as the part's tooltip. Called again whenever the part's width changes.
void show_file_part(HWND status_bar, AppState& state);
// The path with folders left out after the drive ("D:\…\speedcam.txt"), as few as `fits`
// allows; when even that is too long, the middle of the file's name goes too ("D:\…\spe…txt").
std::wstring shorten_path(std::wstring_view path,
                          const std::function<bool(std::wstring_view)>& fits);

// The object list's rows carry no texts of their own; this writes a cell's text from the
// record behind the row when the list asks for it (LVN_GETDISPINFOW).
void object_list_display_info(NMLVDISPINFOW& info);
