// Orvane.exe: terms first, then the main window; the settings are written back in any case.
#include <windows.h>
#include <commctrl.h>

#include "app_state_win.h"
#include "main_window.h"
#include "resource.h"
#include "terms_dialog.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_LISTVIEW_CLASSES;
    if (!InitCommonControlsEx(&controls)) return 1;

    AppState state;
    app_state_init(state, instance);
    read_settings(state);

    const LPARAM param = reinterpret_cast<LPARAM>(&state);
    if (DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_TERMS), nullptr, terms_dialog_proc, param) ==
        IDOK) {
        DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, main_window_proc, param);
    }

    write_settings(state);
    // The records, types, paths and text buffer are freed with the state.
    return 0;
}
