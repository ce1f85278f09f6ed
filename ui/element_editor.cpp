#include "element_editor.h"

#include "dialog_param.h"
#include "resource.h"
#include "strings.h"
#include "win32.h"

namespace {

CameraType* g_type = nullptr;
bool g_new_type = false;

// The stored format keeps at most 126 characters and its terminator. The edit takes no more,
// so that nothing typed is cut off unseen.
constexpr int kFormatLimit = 127;
static_assert(kFormatLimit <= sizeof(CameraType::message_format) / sizeof(wchar_t));

BOOL on_init(HWND dialog, const DialogParam& param) {
    g_type = param.target;
    AppState& state = *param.state;
    SetWindowTextW(dialog, load_string(state, IDS_ELEMENT_TITLE));
    SetDlgItemTextW(dialog, IDC_ELEMENT_HINT,
                    g_new_type ? load_string(state, IDS_ELEMENT_NEW_HINT, g_type->id)
                               : load_string(state, IDS_ELEMENT_HINT));
    SetDlgItemTextW(dialog, IDOK, load_string(state, IDS_OK));
    SetDlgItemTextW(dialog, IDCANCEL, load_string(state, IDS_CANCEL));
    const auto id = format_string(L"%d", g_type->id);
    SetDlgItemTextW(dialog, IDC_ELEMENT_ID, id ? id->c_str() : nullptr);
    SetDlgItemTextW(dialog, IDC_ELEMENT_DESC, g_type->description);
    SetDlgItemTextW(dialog, IDC_ELEMENT_FORMAT, g_type->message_format);
    // Only the message is the user's to change, and the description of a new type; what is
    // typed at once replaces the message.
    EnableWindow(GetDlgItem(dialog, IDC_ELEMENT_ID), FALSE);
    EnableWindow(GetDlgItem(dialog, IDC_ELEMENT_DESC), g_new_type);
    SendDlgItemMessageW(dialog, IDC_ELEMENT_DESC, EM_LIMITTEXT, kFormatLimit - 1, 0);
    const HWND format = GetDlgItem(dialog, IDC_ELEMENT_FORMAT);
    SendMessageW(format, EM_LIMITTEXT, kFormatLimit - 1, 0);
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(format), TRUE);
    SendMessageW(format, EM_SETSEL, 0, -1);
    return FALSE;  // the focus is set
}

INT_PTR on_message(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_INITDIALOG:
            return on_init(dialog, *reinterpret_cast<const DialogParam*>(lparam));
        case WM_COMMAND:
            if (LOWORD(wparam) == IDOK) {
                SendDlgItemMessageW(dialog, IDC_ELEMENT_FORMAT, WM_GETTEXT, kFormatLimit,
                                    reinterpret_cast<LPARAM>(g_type->message_format));
                if (g_new_type)
                    SendDlgItemMessageW(dialog, IDC_ELEMENT_DESC, WM_GETTEXT, kFormatLimit,
                                        reinterpret_cast<LPARAM>(g_type->description));
            }
            return end_on_ok_or_cancel(dialog, wparam);
        default:
            return FALSE;
    }
}

}  // namespace

bool run_element_editor(HWND owner, AppState& state, CameraType& type, bool new_type) {
    DialogParam param{&state, &type};
    g_new_type = new_type;
    return run_dialog<on_message>(state.instance, IDD_ELEMENT, owner, &param) == IDOK;
}
