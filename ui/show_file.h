// Loads the current speedcam file into the main window's two lists and its status bar.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app_state.h"
#include "export.h"

// Empties both lists, reads the window's files as one list with its encoding and dialect,
// leaving out repeats when the user asked for it, and shows every object, the types met with
// their counts, and the files, dialect and object count in the status bar. False when a file
// cannot be read, which `failed` then names: the lists stay empty, and the status bar says
// so, with the dialect, the encoding and no objects.
bool show_speedcam_files(const std::vector<std::wstring>& paths, HWND status_bar,
                         std::size_t* failed = nullptr);

// The type list and the counts of the status bar made anew, after the table has changed.
void show_types_again(HWND status_bar);

// Puts the export's order nearest first from the home point, or back in the list's order
// without one; after every read and change of the home point.
void order_export(AppState& state);

// The fourth status-bar part: how many objects the export would write now, and the size of
// the file against the head unit's limit, counted by the export's own rules.
void show_export_budget(HWND status_bar, AppState& state);
// "23 456": thousands apart, as a Russian reader writes them.
std::wstring grouped(std::uint64_t n);
// Its text for a plan: of the loaded file, or of the rectangle drawn on the map. `reach`: how
// far from home the objects of a plan cut nearest first reach, in metres.
std::wstring export_budget_text(AppState& state, const ExportPlan& plan,
                                std::optional<double> reach = std::nullopt);
// How far from home the last object the plan writes lies, when the home point orders a plan
// that is cut.
std::optional<double> reach_of(const AppState& state, const RecordList& records,
                               const ExportPlan& plan);

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
