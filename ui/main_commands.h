// What the main window does for its menu commands, encoding buttons and list notifications.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "export.h"
#include "formats.h"

// WM_COMMAND and WM_NOTIFY of the main window; the values are the dialog procedure's result.
INT_PTR main_window_command(HWND window, WORD id);
INT_PTR main_window_notify(HWND window, NMHDR& header);

// The open dialog for a speedcam file; nothing when the user cancels.
std::optional<std::wstring> choose_speedcam_file(HWND owner);

// What an open command does once a file is chosen: switches the camera-type table when the
// dialect changes, makes the file the current one and shows it; the user is told when it
// cannot be read.
void open_speedcam_file(HWND window, InputFormat format, const std::wstring& path);

// What "Добавить файл..." does once a file is chosen: the file joins the ones shown, read with
// them as one list in the dialect in force; one that cannot be read is told and left out.
void add_speedcam_file(HWND window, const std::wstring& path);

// Saves the camera-type table of the dialect in force; when it cannot be written the user is
// told, or the edits would be lost without a word.
void save_camera_types_or_tell(HWND owner);

// Writes the export under the wait cursor and tells the user how it went.
ExportResult export_and_report(HWND window, const std::wstring& path);
