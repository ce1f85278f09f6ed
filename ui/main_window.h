// The main window: dialog 102, run modally by start-up with the AppState as its parameter.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "anchor.h"
#include "app_state.h"
#include "formats.h"
#include "list_control.h"
#include "win32.h"

// Everything the main window keeps while it runs. There is one main window per run, so the
// state is one module-level instance; the status-bar parts outlive the window.
struct MainWindow {
    AppState* state = nullptr;
    int dpi = 96;          // of the screen the window is on
    int created_dpi = 96;  // the DPI its template was laid out for
    UniqueIcon icon;
    UniqueGdi<HFONT> font;  // the controls' font after a change of DPI
    HCURSOR arrow_cursor = nullptr;
    HCURSOR wait_cursor = nullptr;
    int cursor_mode = 0;  // 1 while a long operation runs
    // Set while the program itself fills the type list: the check states it sets then are
    // the types' own and are not written back.
    bool filling = false;
    TextEncoding encoding = TextEncoding::Utf8;
    InputFormat format = InputFormat::Navitel;
    // The files shown, in the order they were added; the first was opened with a format
    // command, the others added to it. Every read reads them all.
    std::vector<std::wstring> files;
    std::uint64_t repeats = 0;  // objects left out as repeats by the last read
    // Rows of the type list for the types met that the table lacks; their objects are never
    // exported until the element editor adds the type.
    std::vector<CameraType> unknown_types;
    COLORREF unknown_text = 0;  // their rows' text
    ListControl objects;        // control 1000
    ListControl types;          // control 1001
    HWND status_bar = nullptr;
    // The first part's entry (0 before any file) and path: the text is made again to fit
    // whenever the part's width changes. With several files the entry counts them, and the
    // tip shows every path.
    unsigned file_text = 0;
    std::wstring file_path;
    std::wstring file_tip;
    unsigned file_count = 0;
    HWND status_tip = nullptr;  // the whole path over the first part
    StatusParts status_parts;
    AnchorLayout anchor;
};

MainWindow& main_window();

// Runs the main window modally until the user closes it.
void run_main_window(AppState& state);
// The main window without a loop of its own, for tests and benchmarks.
HWND create_main_window(AppState& state);

// Checks the radio button of the current encoding and clears the other two.
void update_encoding_buttons(HWND window);

// Long operations run inside the window procedure between these two, under the wait cursor.
void begin_wait();
void end_wait();
