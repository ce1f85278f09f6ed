#include "list_control.h"

#include <new>

namespace {

std::optional<LPARAM> read_param(const ListControl& control, int row) {
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageW(control.list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)))
        return std::nullopt;
    return item.lParam;
}

bool write_param(const ListControl& control, int row, LPARAM param) {
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    item.lParam = param;
    return SendMessageW(control.list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)) != 0;
}

RowData* row_data(LPARAM param) {
    return reinterpret_cast<RowData*>(param);
}

// Hands a new record to the row; on failure the record is freed here.
bool attach_row_data(const ListControl& control, int row, std::unique_ptr<RowData> data) {
    if (!write_param(control, row, reinterpret_cast<LPARAM>(data.get()))) return false;
    data.release();
    return true;
}

int item_count(const ListControl& control) {
    return static_cast<int>(SendMessageW(control.list, LVM_GETITEMCOUNT, 0, 0));
}

void free_all_row_data(ListControl& control) {
    for (int row = 0; row < item_count(control); ++row) {
        const std::optional<LPARAM> param = read_param(control, row);
        if (param && *param != 0) {
            std::unique_ptr<RowData>(row_data(*param)).reset();
            write_param(control, row, 0);
        }
    }
}

}  // namespace

void list_attach(ListControl& control, HWND list) {
    control.list = list;
    control.selected_text = GetSysColor(COLOR_HIGHLIGHTTEXT);
    control.selected_back = GetSysColor(COLOR_HIGHLIGHT);
    control.default_text = CLR_DEFAULT;
    control.default_back = GetSysColor(COLOR_WINDOW);
}

std::unique_ptr<RowData> row_data_new(const ListControl& control) {
    std::unique_ptr<RowData> data;
    try {
        data = std::make_unique<RowData>();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    data->text_ref = &control.default_text;
    data->back_ref = &control.default_back;
    return data;
}

int list_append_row(ListControl& control, const wchar_t* text) {
    std::unique_ptr<RowData> data = row_data_new(control);
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = item_count(control);
    item.pszText = const_cast<wchar_t*>(text);
    item.lParam = reinterpret_cast<LPARAM>(data.get());
    const int row = static_cast<int>(
        SendMessageW(control.list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (row >= 0) data.release();
    return row;
}

bool list_set_row_payload(ListControl& control, LPARAM payload, int row) {
    const std::optional<LPARAM> param = read_param(control, row);
    if (!param) return false;
    if (*param != 0) {
        row_data(*param)->payload = payload;
        return write_param(control, row, *param);
    }
    std::unique_ptr<RowData> data = row_data_new(control);
    if (!data) return false;
    data->payload = payload;
    return attach_row_data(control, row, std::move(data));
}

bool list_set_row_colors(ListControl& control, int row, const COLORREF* text,
                         const COLORREF* back) {
    if (text == nullptr) text = &control.default_text;
    if (back == nullptr) back = &control.default_back;
    const std::optional<LPARAM> param = read_param(control, row);
    if (!param) return false;
    if (*param != 0) {
        row_data(*param)->text_ref = text;
        row_data(*param)->back_ref = back;
        return write_param(control, row, *param);
    }
    std::unique_ptr<RowData> data = row_data_new(control);
    if (!data) return false;
    data->text_ref = text;
    data->back_ref = back;
    return attach_row_data(control, row, std::move(data));
}

std::optional<LPARAM> list_row_payload(const ListControl& control, int row) {
    const std::optional<LPARAM> param = read_param(control, row);
    if (!param || *param == 0) return std::nullopt;
    return row_data(*param)->payload;
}

void list_clear(ListControl& control) {
    free_all_row_data(control);
    SendMessageW(control.list, LVM_DELETEALLITEMS, 0, 0);
}

void list_release(ListControl& control) {
    free_all_row_data(control);
}

INT_PTR list_custom_draw(const ListControl& control, HWND dialog, NMLVCUSTOMDRAW& draw) {
    LRESULT reply = CDRF_DODEFAULT;
    switch (draw.nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
        case CDDS_ITEMPREPAINT:
            reply = CDRF_NOTIFYSUBITEMDRAW;
            break;
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
            // The painter's colours show the selection; the control must not draw its own.
            draw.nmcd.uItemState &= ~(CDIS_SELECTED | CDIS_FOCUS);
            const int row = static_cast<int>(draw.nmcd.dwItemSpec);
            const bool selected =
                (SendMessageW(control.list, LVM_GETITEMSTATE, row, LVIS_SELECTED) &
                 LVIS_SELECTED) != 0;
            const RowData* data = row_data(draw.nmcd.lItemlParam);
            const COLORREF* text = &control.default_text;
            const COLORREF* back = &control.default_back;
            if (draw.iSubItem != 0) {
                if (selected && (data == nullptr || data->highlight)) {
                    text = &control.selected_text, back = &control.selected_back;
                } else if (data != nullptr) {
                    if (data->text_ref) text = data->text_ref;
                    if (data->back_ref) back = data->back_ref;
                }
            }
            draw.clrText = *text;
            draw.clrTextBk = *back;
            reply = CDRF_NEWFONT;
            break;
        }
        default:
            SetWindowLongPtrW(dialog, DWLP_MSGRESULT, CDRF_DODEFAULT);
            return FALSE;
    }
    SetWindowLongPtrW(dialog, DWLP_MSGRESULT, reply);
    return TRUE;
}
