// Dialog 132: the four corners of the area whose objects are loaded.
#pragma once

#include <windows.h>

#include "app_state.h"

// True once the four values the user typed are stored into the state's area filter; false
// when the user leaves it unchanged.
bool run_filter_dialog(HWND owner, AppState& state);
