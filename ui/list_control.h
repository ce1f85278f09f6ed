// Report-style list views: the wrapper of one list, the record each row carries in its item
// parameter, and the custom-draw painter that colours rows from that record.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <optional>

// One per list view, owned by the window that owns the list. Rows point at its colours, so a
// ListControl must not be copied or moved once attached.
struct ListControl {
    HWND list = nullptr;
    // Read from the system when the list is attached.
    COLORREF selected_text = CLR_DEFAULT;
    COLORREF selected_back = CLR_DEFAULT;
    COLORREF default_text = CLR_DEFAULT;
    COLORREF default_back = CLR_DEFAULT;

    ListControl() = default;
    ListControl(const ListControl&) = delete;
    ListControl& operator=(const ListControl&) = delete;
};

// Stored in a row's lParam and owned by the row: list_clear and list_release free it. The
// colours are read through the references at paint time, never copied into the row.
struct RowData {
    const COLORREF* text_ref = nullptr;  // null stands for the list's default
    const COLORREF* back_ref = nullptr;
    bool highlight = true;  // a selected row shows the selection colours
    LPARAM payload = 0;     // what the row stands for; 0 when nothing is set
};

// Called from the owner's WM_INITDIALOG before any row exists; reads the system colours now.
void list_attach(ListControl& control, HWND list);

// A fresh row record with the list's default colours and flag; null when memory ran out.
std::unique_ptr<RowData> row_data_new(const ListControl& control);

// Appends a row with the column-0 text and fresh row data (none when memory ran out).
// Returns the new row's index, or -1 when the list refused it.
int list_append_row(ListControl& control, const wchar_t* text);

// Sets what the row stands for, keeping its colours. False when the row does not exist or
// no row data could be made.
bool list_set_row_payload(ListControl& control, LPARAM payload, int row);

// Points the row at other colours (null: the list's default), keeping flag and payload.
bool list_set_row_colors(ListControl& control, int row, const COLORREF* text, const COLORREF* back);

// The row's payload; nothing when the row does not exist or carries no row data.
std::optional<LPARAM> list_row_payload(const ListControl& control, int row);

// Frees every row's data and deletes the rows.
void list_clear(ListControl& control);

// Frees every row's data but leaves the rows in place; for the owner's WM_DESTROY, after
// which nothing may read the rows' parameters.
void list_release(ListControl& control);

// NM_CUSTOMDRAW of a list in a dialog: stores the reply as the dialog's message result and
// returns what the dialog procedure must return.
INT_PTR list_custom_draw(const ListControl& control, HWND dialog, NMLVCUSTOMDRAW& draw);
