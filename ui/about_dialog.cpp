#include "about_dialog.h"

#include "resource.h"
#include "strings.h"

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

}  // namespace

INT_PTR CALLBACK about_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
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
