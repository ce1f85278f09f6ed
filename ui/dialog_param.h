// What the filter dialog and the element editor receive when they open.
#pragma once

#include "app_state.h"

// Lives on the stack of the dialog's entry point while the dialog runs.
struct DialogParam {
    AppState* state = nullptr;
    CameraType* target = nullptr;  // the type being edited; null for the filter dialog
};
