// Dialog 130: the message the car shows for one camera type.
#pragma once

#include <windows.h>

#include "app_state.h"

// True once the new message format is stored into the type; false when it is left unchanged.
// For a type the table does not have yet (`new_type`) the hint says so, and the description can
// be typed too.
bool run_element_editor(HWND owner, AppState& state, CameraType& type, bool new_type = false);
