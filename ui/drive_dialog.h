// Dialog 131: choose a removable drive, prepare myPOIs\myPOIWarnings on it, and hand back the
// path of the speedcam.csv to write there.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "app_state.h"

// The three questions the dialog asks Windows about each drive letter. The program always
// asks Windows; tests hand in their own answers for the file-system names that Wine never
// reports (an exFAT stick, a lower-case "fat32").
struct DriveQueries {
    decltype(&GetDriveTypeW) drive_type = GetDriveTypeW;
    decltype(&GetVolumeInformationW) volume_information = GetVolumeInformationW;
    decltype(&GetDiskFreeSpaceExW) disk_free_space = GetDiskFreeSpaceExW;
};

// Runs the dialog modally over `owner`. The path of speedcam.csv on the prepared drive when
// the user confirmed a suitable drive; nothing when the dialog was cancelled.
std::optional<std::wstring> run_drive_dialog(HWND owner, AppState& state);
std::optional<std::wstring> run_drive_dialog(HWND owner, AppState& state,
                                             const DriveQueries& queries);
