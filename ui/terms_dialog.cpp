#include "terms_dialog.h"

#include "resource.h"
#include "strings.h"

namespace {

AppState* g_state = nullptr;

BOOL on_init(HWND dialog, AppState& state) {
    g_state = &state;
    SetWindowTextW(dialog, load_string(state, IDS_TERMS_TITLE));
    const auto text = format_string(
        L"%s\r\n\r\n%s\r\n\r\n%s\r\n\r\n%s", load_string_copy(state, IDS_TERMS_HEADING),
        load_string_copy(state, IDS_TERMS_DISCLAIMER), load_string_copy(state, IDS_TERMS_AS_IS),
        load_string_copy(state, IDS_TERMS_AGREEMENT));
    SetDlgItemTextW(dialog, IDC_TERMS_TEXT, text ? text->c_str() : nullptr);
    SetDlgItemTextW(dialog, IDOK, load_string(state, IDS_ACCEPT));
    SetDlgItemTextW(dialog, IDCANCEL, load_string(state, IDS_DECLINE));
    return TRUE;
}

}  // namespace

INT_PTR CALLBACK terms_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_INITDIALOG:
            return on_init(dialog, *reinterpret_cast<AppState*>(lparam));
        case WM_COMMAND:
            if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
                EndDialog(dialog, LOWORD(wparam));
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}
