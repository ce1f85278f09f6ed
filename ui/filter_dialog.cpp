#include "filter_dialog.h"

#include <cwchar>

#include "dialog_param.h"
#include "resource.h"
#include "strings.h"
#include "win32.h"

namespace {

AppState* g_state = nullptr;

// The edits in the order of the four bounds: the north-west corner, then the south-east one.
constexpr int kEdits[] = {IDC_FILTER_WEST, IDC_FILTER_NORTH, IDC_FILTER_EAST, IDC_FILTER_SOUTH};
// 11 characters hold any coordinate with six decimals.
constexpr int kEditLimit = 11;

double* bounds(AreaFilter& area, int i) {
    double* const all[] = {&area.west, &area.north, &area.east, &area.south};
    return all[i];
}

BOOL on_init(HWND dialog, const DialogParam& param) {
    g_state = param.state;
    AppState& state = *g_state;
    SetWindowTextW(dialog, load_string(state, IDS_FILTER_TITLE));
    SetDlgItemTextW(dialog, IDC_FILTER_HINT, load_string(state, IDS_FILTER_HINT));
    SetDlgItemTextW(dialog, IDC_FILTER_COMPASS, load_string(state, IDS_FILTER_COMPASS));
    SetDlgItemTextW(dialog, IDOK, load_string(state, IDS_OK));
    SetDlgItemTextW(dialog, IDCANCEL, load_string(state, IDS_CANCEL));
    for (int id : {IDC_FILTER_NW_X_LABEL, IDC_FILTER_SE_X_LABEL})
        SetDlgItemTextW(dialog, id, load_string(state, IDS_FILTER_X));
    for (int id : {IDC_FILTER_NW_Y_LABEL, IDC_FILTER_SE_Y_LABEL})
        SetDlgItemTextW(dialog, id, load_string(state, IDS_FILTER_Y));
    for (int i = 0; i < 4; ++i) {
        SendDlgItemMessageW(dialog, kEdits[i], EM_LIMITTEXT, kEditLimit, 0);
        const auto text = format_string(L"%f", *bounds(state.filter.area, i));
        SetDlgItemTextW(dialog, kEdits[i], text ? text->c_str() : nullptr);
    }
    return TRUE;
}

// Whatever the user typed is kept as the C library reads it: a comma ends the number and a
// text without one gives 0, which switches the filter off. Corners are never swapped.
void store(HWND dialog) {
    wchar_t text[kEditLimit + 1];
    for (int i = 0; i < 4; ++i) {
        text[0] = L'\0';
        SendDlgItemMessageW(dialog, kEdits[i], WM_GETTEXT, kEditLimit + 1,
                            reinterpret_cast<LPARAM>(text));
        *bounds(g_state->filter.area, i) = std::wcstod(text, nullptr);
    }
}

INT_PTR on_message(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_INITDIALOG:
            return on_init(dialog, *reinterpret_cast<const DialogParam*>(lparam));
        case WM_COMMAND:
            if (LOWORD(wparam) == IDOK) store(dialog);
            return end_on_ok_or_cancel(dialog, wparam);
        default:
            return FALSE;
    }
}

}  // namespace

bool run_filter_dialog(HWND owner, AppState& state) {
    DialogParam param{&state, nullptr};
    return run_dialog<on_message>(state.instance, IDD_FILTER, owner, &param) == IDOK;
}
