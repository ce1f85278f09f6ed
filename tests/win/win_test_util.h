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

// Runs the dialog modally; `act` is called from the dialog's own message loop once the
// dialog exists (found with `find`) and is expected to end it. Gives up after 10 s.
INT_PTR run_modal(const AppState& state, int template_id, DLGPROC proc,
                  const std::function<HWND()>& find, const std::function<void(HWND)>& act);

// Hex of UTF-16 units, to show where two texts differ.
std::string units(const std::wstring& text);

}  // namespace wintest

namespace wintest {

// One control of a dialog template, as the resource compiler stored it.
struct TemplateItem {
    DWORD style = 0;
    DWORD ex_style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD id = 0;
    std::wstring cls;    // predefined classes by name: Button, Edit, Static
    std::wstring title;  // "#107" for a resource ordinal
};

struct DialogTemplate {
    DWORD style = 0;
    DWORD ex_style = 0;
    short cx = 0, cy = 0;
    std::wstring menu;  // "#109" for an ordinal
    std::wstring title;
    WORD point_size = 0;
    std::wstring font;
    std::vector<TemplateItem> items;
};

// Reads an extended dialog template (DIALOGEX) of this program's resources.
bool load_dialog_template(int id, DialogTemplate& out);

}  // namespace wintest
