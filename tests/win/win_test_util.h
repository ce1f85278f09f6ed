// Helpers for the window tests: texts of real windows, a fresh state, and running a modal
// dialog while a timer acts on it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "app_state.h"

namespace wintest {

std::wstring window_text(HWND window);
// The text of a string-table entry as the program shows it.
std::wstring text_of(AppState& state, unsigned id);

// A fresh state whose strings and templates come from this test program, with its two files
// in `dir` (a folder path ending with a separator).
AppState make_state(const std::wstring& dir);

// Runs `start`; once `find` returns a window, `act` is called on it from the running message
// loop and is expected to end it. True when it was found and `start` returned within 10 s;
// after that everything open is cancelled, so that no test can hang.
bool while_running(const std::function<HWND()>& find, const std::function<void(HWND)>& act,
                   const std::function<void()>& start);

// The first visible window of this thread that `owner` owns: a dialog or message box.
HWND owned_by(HWND owner);
// A top-level dialog of this thread with this title.
HWND dialog_titled(const wchar_t* title);

}  // namespace wintest
