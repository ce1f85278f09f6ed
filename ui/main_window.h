// The main window: dialog 102, run modally by start-up with the AppState as its parameter.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <type_traits>

#include "anchor.h"
#include "app_state.h"
#include "list_control.h"

struct IconDestroyer {
    void operator()(HICON icon) const noexcept { DestroyIcon(icon); }
};
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDestroyer>;

// Everything the main window keeps while it runs. There is one main window per run, so the
// state is one module-level instance; the status-bar parts outlive the window.
struct MainWindow {
    AppState* state = nullptr;
    UniqueIcon icon;
    HCURSOR arrow_cursor = nullptr;
    HCURSOR wait_cursor = nullptr;
    int cursor_mode = 0;       // 1 while a long operation runs
    bool row_clicked = false;  // a click on a type row, used up by the next item change
    TextEncoding encoding = TextEncoding::Utf8;
    InputFormat format = InputFormat::Navitel;
    std::optional<std::wstring> current_path;
    ListControl objects;  // control 1000
    ListControl types;    // control 1001
    HWND status_bar = nullptr;
    RECT status_window_rect = {};
    StatusParts status_parts;
    AnchorLayout anchor;
    RECT window_rect = {};  // refreshed at every WM_SIZE
    RECT client_rect = {};
};

MainWindow& main_window();

INT_PTR CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Checks the radio button of the current encoding and clears the other two.
void update_encoding_buttons(HWND window);

// Long operations run inside the window procedure between these two, under the wait cursor.
void begin_wait();
void end_wait();
