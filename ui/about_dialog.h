// Dialog 103: the program, its version and contacts, and the gist of the terms of use.
#pragma once

#include <windows.h>

#include "app_state.h"

void show_about_dialog(HWND owner, AppState& state);
