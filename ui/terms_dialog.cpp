#include "terms_dialog.h"

#include "resource.h"
#include "strings.h"
#include "win32.h"

namespace {

BOOL on_init(HWND dialog, AppState& state) {
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

bool run_terms_dialog(AppState& state) {
    return run_dialog<on_message>(state.instance, IDD_TERMS, nullptr, &state) == IDOK;
}
