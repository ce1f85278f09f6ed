#include "filter_dialog.h"

#include <cwchar>
#include <optional>
#include <string>
#include <string_view>

#include "dialog_param.h"
#include "resource.h"
#include "strings.h"
#include "win32.h"

namespace {

AppState* g_state = nullptr;

// The edits in the order of the four bounds: the north-west corner, then the south-east one,
// and the names a message gives them.
constexpr int kEdits[] = {IDC_FILTER_WEST, IDC_FILTER_NORTH, IDC_FILTER_EAST, IDC_FILTER_SOUTH};
constexpr unsigned kFieldNames[] = {IDS_FILTER_FIELD_WEST, IDS_FILTER_FIELD_NORTH,
                                    IDS_FILTER_FIELD_EAST, IDS_FILTER_FIELD_SOUTH};
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
    // The user comes to type the corners: the first field has the focus, its text selected.
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, kEdits[0])),
                 TRUE);
    SendDlgItemMessageW(dialog, kEdits[0], EM_SETSEL, 0, -1);
    return FALSE;  // the focus is set
}

// Degrees as a driver types them: a comma or a point before the decimals (the map writes
// "55,2667"), an optional sign, blanks around. An empty field is 0, which switches the
// filter off as the hint says. Anything else (letters, two separators, an exponent) is no
// number.
std::optional<double> degrees(std::wstring_view text) {
    const auto blank = [](wchar_t c) { return c == L' ' || c == L'\t' || c == 0xA0; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    if (text.empty()) return 0.0;
    std::wstring number;
    std::size_t i = 0, digits = 0;
    if (text[i] == L'-' || text[i] == L'+') number += text[i++];
    bool separator = false;
    for (; i < text.size(); ++i) {
        if (text[i] >= L'0' && text[i] <= L'9') {
            number += text[i], ++digits;
        } else if ((text[i] == L',' || text[i] == L'.') && !separator) {
            number += L'.', separator = true;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0) return std::nullopt;
    return std::wcstod(number.c_str(), nullptr);  // the classic locale: a point
}

// Reads the four fields; stores them only when all four are numbers. Corners are never
// swapped. Otherwise the user is told which field holds what, and it is selected to type
// again.
bool store(HWND dialog) {
    AppState& state = *g_state;
    double values[4];
    for (int i = 0; i < 4; ++i) {
        wchar_t text[kEditLimit + 1] = {};
        SendDlgItemMessageW(dialog, kEdits[i], WM_GETTEXT, kEditLimit + 1,
                            reinterpret_cast<LPARAM>(text));
        const std::optional<double> value = degrees(text);
        if (!value) {
            const auto field = load_string_copy(state, kFieldNames[i]);
            MessageBoxW(dialog, load_string(state, IDS_FILTER_NOT_NUMBER, field, text), nullptr,
                        MB_OK | MB_ICONWARNING);
            SendMessageW(dialog, WM_NEXTDLGCTL,
                         reinterpret_cast<WPARAM>(GetDlgItem(dialog, kEdits[i])), TRUE);
            SendDlgItemMessageW(dialog, kEdits[i], EM_SETSEL, 0, -1);
            return false;
        }
        values[i] = *value;
    }
    for (int i = 0; i < 4; ++i) *bounds(state.filter.area, i) = values[i];
    return true;
}

INT_PTR on_message(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_INITDIALOG:
            return on_init(dialog, *reinterpret_cast<const DialogParam*>(lparam));
        case WM_COMMAND:
            if (LOWORD(wparam) == IDOK && !store(dialog)) return TRUE;
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
