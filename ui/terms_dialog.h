// The terms of use, dialog 134: shown at every start, before the main window.
#pragma once

#include "app_state.h"

// True when the user accepts; false when they decline or close it.
bool run_terms_dialog(AppState& state);
