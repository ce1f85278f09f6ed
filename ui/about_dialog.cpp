#include "about_dialog.h"

#include "resource.h"
#include "strings.h"
#include "win32.h"

namespace {

BOOL on_init(HWND dialog, AppState& state) {
    SetWindowTextW(dialog, load_string(state, IDS_ABOUT_TITLE));
    SetDlgItemTextW(dialog, IDC_ABOUT_HEAD, load_string(state, IDS_ABOUT_TEXT));
    // The first two paragraphs of the terms, as two dash items.
    const auto terms =
        format_string(L"- %s\r\n\r\n- %s", load_string_copy(state, IDS_TERMS_DISCLAIMER),
                      load_string_copy(state, IDS_TERMS_AS_IS));
    SetDlgItemTextW(dialog, IDC_ABOUT_TEXT, terms ? terms->c_str() : nullptr);
    SetDlgItemTextW(dialog, IDOK, load_string(state, IDS_OK));
    return TRUE;
}

INT_PTR on_message(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_INITDIALOG:
            return on_init(dialog, *reinterpret_cast<AppState*>(lparam));
        case WM_COMMAND:
            return end_on_ok_or_cancel(dialog, wparam);
        default:
            return FALSE;
    }
}

}  // namespace

void show_about_dialog(HWND owner, AppState& state) {
    run_dialog<on_message>(state.instance, IDD_ABOUT, owner, &state);
}
