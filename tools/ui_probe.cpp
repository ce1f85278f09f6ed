// Reads what a user would see of Orvane's windows, for the scripted user session: where a
// control is on the screen and what text it shows. It only looks; every input comes from
// the X server (xdotool).
//   ui_probe.exe rect TITLE ID      screen rectangle of control ID ("left top right bottom")
//   ui_probe.exe box TITLE          screen point of the first type row's check box
//   ui_probe.exe text TITLE ID      the control's text, also as typed (ID 0: the window's title),
//                                   as UTF-8
//   ui_probe.exe rows TITLE ID      the number of rows of list ID
//   ui_probe.exe checked TITLE ID   1 for each ticked row of list ID, 0 for the others
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

HWND find(const wchar_t* title) {
    return FindWindowW(L"#32770", title);
}

void print_utf8(const std::wstring& text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
    std::fwrite(out.data(), 1, out.size() - 1, stdout);
    std::fputc('\n', stdout);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    const std::wstring what = argv[1];
    const HWND window = find(argv[2]);
    if (window == nullptr) return 1;
    const int id = argc > 3 ? _wtoi(argv[3]) : 0;
    const HWND control = id == 0 ? window : GetDlgItem(window, id);
    if (control == nullptr) return 1;
    RECT r = {};
    if (what == L"rect") {
        GetWindowRect(control, &r);
        std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
    } else if (what == L"box") {
        // The type list's header sits on top; the first row follows it and its check box is
        // the first thing in the row.
        const HWND list = GetDlgItem(window, 1001);
        RECT header = {};
        GetWindowRect(list, &r);
        GetWindowRect(GetWindow(list, GW_CHILD), &header);
        std::printf("%ld %ld\n", r.left + 10, header.bottom + 8);
    } else if (what == L"text") {
        // The system carries this message's text across processes; GetWindowText would give
        // only the text the control was created or set with, not what the user typed.
        wchar_t text[2048] = {};
        SendMessageW(control, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(text));
        print_utf8(text);
    } else if (what == L"rows") {
        std::printf("%d\n", static_cast<int>(SendMessageW(control, LVM_GETITEMCOUNT, 0, 0)));
    } else if (what == L"checked") {
        const int rows = static_cast<int>(SendMessageW(control, LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < rows; ++row)
            std::printf("%d", (SendMessageW(control, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK) &
                               LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2));
        std::printf("\n");
    } else {
        return 2;
    }
    return 0;
}
