// The program's small Win32 layer: owners for what a window must release, one-line helpers for
// the list views and the status bar, and the one way every dialog is run.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <type_traits>

struct IconDestroyer {
    void operator()(HICON icon) const noexcept { DestroyIcon(icon); }
};
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDestroyer>;

struct GdiDeleter {
    void operator()(HGDIOBJ object) const noexcept { DeleteObject(object); }
};
template <typename Handle>
using UniqueGdi = std::unique_ptr<std::remove_pointer_t<Handle>, GdiDeleter>;

inline void lv_set_cell(HWND list, int row, int column, const wchar_t* text) {
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(text);
    SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

// A negative width lets the control choose.
inline void lv_insert_column(HWND list, int index, const wchar_t* header, int width) {
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | (width >= 0 ? LVCF_WIDTH : 0);
    column.cx = width;
    column.pszText = const_cast<wchar_t*>(header);
    SendMessageW(list, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
}

inline void lv_add_ext_style(HWND list, DWORD style) {
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, style, style);
}

inline void sb_set_text(HWND status_bar, int part, const wchar_t* text) {
    SendMessageW(status_bar, SB_SETTEXTW, part, reinterpret_cast<LPARAM>(text));
}

// Redrawing a list for every change would cost more than the changes themselves.
class RedrawOff {
  public:
    explicit RedrawOff(HWND window) : window_(window) {
        SendMessageW(window_, WM_SETREDRAW, FALSE, 0);
    }
    ~RedrawOff() {
        SendMessageW(window_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(window_, nullptr, TRUE);
    }
    RedrawOff(const RedrawOff&) = delete;
    RedrawOff& operator=(const RedrawOff&) = delete;

  private:
    HWND window_;
};

// Ends the dialog when the command is OK or Cancel (also Escape and the close box), with that
// ID as its result.
inline bool end_on_ok_or_cancel(HWND dialog, WPARAM wparam) {
    const WORD id = LOWORD(wparam);
    if (id != IDOK && id != IDCANCEL) return false;
    EndDialog(dialog, id);
    return true;
}

// A dialog's own message handling, in the shape of a dialog procedure.
using DialogHandler = INT_PTR (*)(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// The procedure of every dialog: nothing thrown inside a handler may leave a window
// procedure, so whatever is thrown (memory ran out) ends the message as unhandled.
template <DialogHandler Handler>
INT_PTR CALLBACK guarded_dialog_proc(HWND dialog, UINT message, WPARAM wparam,
                                     LPARAM lparam) noexcept {
    try {
        return Handler(dialog, message, wparam, lparam);
    } catch (...) {
        return FALSE;
    }
}

// Runs dialog template `id` modally over `owner`, handing `param` to WM_INITDIALOG; the result
// is the ID that ended it.
template <DialogHandler Handler>
INT_PTR run_dialog(void* instance, int id, HWND owner, void* param) {
    return DialogBoxParamW(static_cast<HINSTANCE>(instance), MAKEINTRESOURCEW(id), owner,
                           guarded_dialog_proc<Handler>, reinterpret_cast<LPARAM>(param));
}

// The same dialog without a loop of its own, for tests and benchmarks that drive it with
// messages; null when it cannot be made.
template <DialogHandler Handler>
HWND create_dialog(void* instance, int id, HWND owner, void* param) {
    return CreateDialogParamW(static_cast<HINSTANCE>(instance), MAKEINTRESOURCEW(id), owner,
                              guarded_dialog_proc<Handler>, reinterpret_cast<LPARAM>(param));
}
