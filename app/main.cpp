// Orvane.exe: terms first, then the main window; the settings are written back in any case.
#include <windows.h>
#include <commctrl.h>

#include "app_state_win.h"
#include "main_window.h"
#include "terms_dialog.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_LISTVIEW_CLASSES;
    if (!InitCommonControlsEx(&controls)) return 1;

    AppState state;
    app_state_init(state, instance);
    read_settings(state);
    if (run_terms_dialog(state)) run_main_window(state);
    write_settings(state);
    // The records, types, paths and text buffer are freed with the state.
    return 0;
}
