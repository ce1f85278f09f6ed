// What the main window hands to the filter dialog and the element editor.
#pragma once

#include "app_state.h"

// Lives on the caller's stack for the duration of the dialog.
struct DialogParam {
    AppState* state = nullptr;
    CameraType* target = nullptr;  // the type being edited; null for the filter dialog
};
