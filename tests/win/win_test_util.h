// Helpers for the window tests: texts and rectangles of real windows, and running a modal
// dialog while a timer acts on it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app_state.h"

namespace wintest {

std::wstring window_text(HWND window);
std::wstring class_name(HWND window);
// The window's rectangle in its parent's client coordinates.
RECT rect_in_parent(HWND window);
int width(const RECT& r);
int height(const RECT& r);

// A fresh state whose strings and templates come from this test program, with its two files
// in `dir` (a folder path ending with a separator).
AppState make_state(const std::wstring& dir);

// Runs `start`; once `find` returns a window, `act` is called on it from the running message
// loop and is expected to end it. Returns whether it was found; anything found and left open,
// or never found, is cancelled after 10 s.
bool while_running(const std::function<HWND()>& find, const std::function<void(HWND)>& act,
                   const std::function<void()>& start);

// Runs the dialog modally; `act` is called from the dialog's own message loop once the
// dialog exists (found with `find`) and is expected to end it. Gives up after 10 s.
INT_PTR run_modal(const AppState& state, int template_id, DLGPROC proc,
                  const std::function<HWND()>& find, const std::function<void(HWND)>& act);

// Hex of UTF-16 units, to show where two texts differ.
std::string units(const std::wstring& text);

}  // namespace wintest
