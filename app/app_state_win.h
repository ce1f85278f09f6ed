// Start-up side of AppState on Windows: the paths next to the executable and the settings
// blocks of Orvane.ini.
#pragma once

#include <windows.h>

#include "app_state.h"

// Paths are at most this many characters; a longer one stays empty.
constexpr std::size_t kMaxPathChars = 1024;

// Resets every member to its default and builds the four paths from the module's own file
// name. A path that cannot be built stays empty.
void app_state_init(AppState& state, HINSTANCE instance);

// Reads the blocks Window, List1, List2, Filter, Map, Repeats and Home of section GlobalParam.
// A missing or damaged block leaves its member as it was. Nothing happens when settings_path
// is empty.
void read_settings(AppState& state);

// Writes the blocks back in the same order. Nothing happens when settings_path is empty.
void write_settings(const AppState& state);
