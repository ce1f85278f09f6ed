// Dialog 131: choose a removable drive, prepare myPOIs\myPOIWarnings on it, and hand back the
// path of the speedcam.csv to write there.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "app_state.h"

// Runs the dialog modally over `owner`. The path of speedcam.csv on the prepared drive when
// the user confirmed a suitable drive; nothing when the dialog was cancelled.
std::optional<std::wstring> run_drive_dialog(HWND owner, AppState& state);
