// Dialog 130: the message the car shows for one camera type.
#pragma once

#include <windows.h>

#include "app_state.h"

// True once the new message format is stored into the type; false when it is left unchanged.
bool run_element_editor(HWND owner, AppState& state, CameraType& type);
