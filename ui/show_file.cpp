#include "show_file.h"

#include <charconv>
#include <cstdint>
#include <string_view>

#include "main_window.h"
#include "reader.h"
#include "resource.h"
#include "strings.h"
#include "type_summary.h"

namespace {

// Writes into the list's own cell buffer, cutting what does not fit.
class CellText {
  public:
    CellText(wchar_t* out, int capacity) : out_(out), left_(capacity > 0 ? capacity - 1 : 0) {
        if (capacity > 0) out_[0] = L'\0';
    }
    void put(std::wstring_view text) {
        const std::size_t n = text.size() < left_ ? text.size() : left_;
        for (std::size_t i = 0; i < n; ++i) *out_++ = text[i];
        left_ -= n;
        *out_ = L'\0';
    }
    void put(const wchar_t* text) {
        if (text != nullptr) put(std::wstring_view(text));
    }
    // Coordinates: ASCII only.
    void put(const char (&text)[32]) {
        wchar_t wide[32];
        std::size_t n = 0;
        for (; n < 31 && text[n] != '\0'; ++n) wide[n] = static_cast<unsigned char>(text[n]);
        put(std::wstring_view(wide, n));
    }
    void put(std::int32_t value) {
        char digits[16];
        const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        wchar_t wide[16];
        std::size_t n = 0;
        for (const char* p = digits; p != end; ++p) wide[n++] = static_cast<wchar_t>(*p);
        put(std::wstring_view(wide, n));
    }

  private:
    wchar_t* out_;
    std::size_t left_;
};

void set_cell(HWND list, int row, int column, const wchar_t* text) {
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(text);
    SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

// The object list holds no rows of its own: it asks for each visible cell, and the record
// behind row i is the i-th record, so a country file costs one message, not one per object.
void fill_objects(ListControl& objects, const AppState& state) {
    SendMessageW(objects.list, LVM_SETITEMCOUNT, state.records.size(), 0);
}

// One row per type met, counted in memory and written once. The check box is set after the
// payload; the list reports that change while the row-click flag is clear, so it is not
// taken for the user's.
void fill_types(ListControl& types, AppState& state) {
    const std::vector<TypeSummaryRow> rows = summarize_types(state);
    SendMessageW(types.list, LVM_SETITEMCOUNT, rows.size(), 0);
    for (const TypeSummaryRow& summary : rows) {
        const CameraType& type = *summary.type;
        const int row = list_append_row(types, L"");
        if (row < 0) continue;
        const auto id = format_string(L"%d", type.id);
        set_cell(types.list, row, 1, id ? id->c_str() : nullptr);
        const std::wstring count = std::to_wstring(summary.count);
        set_cell(types.list, row, 2, count.c_str());
        set_cell(types.list, row, 3, type.description);
        set_cell(types.list, row, 4, type.message_format);
        list_set_row_payload(types, reinterpret_cast<LPARAM>(summary.type), row);
        LVITEMW state_item = {};
        state_item.stateMask = LVIS_STATEIMAGEMASK;
        state_item.state = INDEXTOSTATEIMAGEMASK(type.export_enabled != 0 ? 2 : 1);
        SendMessageW(types.list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state_item));
    }
}

// The status texts are themselves made with load_string, whose buffer the argument would
// share; so each argument is a copy of its own.
std::optional<std::wstring> copy_of(AppState& state, unsigned id) {
    return format_string(L"%s", load_string(state, id));
}

void set_status(HWND status_bar, int part, const wchar_t* text) {
    SendMessageW(status_bar, SB_SETTEXTW, part, reinterpret_cast<LPARAM>(text));
}

void show_status(HWND status_bar, AppState& state, const std::wstring& path, InputFormat format,
                 TextEncoding encoding) {
    set_status(status_bar, 0, load_string(state, IDS_STATUS_FILE, path));

    const auto format_name = format == InputFormat::Navitel ? copy_of(state, IDS_FORMAT_NAVITEL)
                             : format == InputFormat::Igo   ? copy_of(state, IDS_FORMAT_IGO)
                                                            : format_string(L"???");
    const auto encoding_name = encoding == TextEncoding::Utf8 ? copy_of(state, IDS_ENCODING_UTF8)
                               : encoding == TextEncoding::Ansi
                                   ? copy_of(state, IDS_ENCODING_ANSI)
                                   : copy_of(state, IDS_ENCODING_UTF16);
    set_status(status_bar, 1, load_string(state, IDS_STATUS_TYPE, format_name, encoding_name));

    const auto filter =
        copy_of(state, area_filter_on(state.filter.area) ? IDS_FILTER_ON : IDS_FILTER_OFF);
    set_status(status_bar, 2, load_string(state, IDS_STATUS_OBJECTS, state.records.size(), filter));
}

// Redrawing a list for every inserted row would cost more than the rows themselves.
class RedrawOff {
  public:
    explicit RedrawOff(HWND list) : list_(list) { SendMessageW(list_, WM_SETREDRAW, FALSE, 0); }
    ~RedrawOff() {
        SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list_, nullptr, TRUE);
    }
    RedrawOff(const RedrawOff&) = delete;
    RedrawOff& operator=(const RedrawOff&) = delete;

  private:
    HWND list_;
};

}  // namespace

void show_speedcam_file(const std::wstring& path, HWND status_bar) {
    MainWindow& w = main_window();
    if (w.state == nullptr) return;
    AppState& state = *w.state;
    const TextEncoding encoding = w.encoding;
    const InputFormat format = w.format;

    RedrawOff objects_redraw(w.objects.list);
    RedrawOff types_redraw(w.types.list);
    // The rows point into the record list, so they go before the reader replaces it.
    SendMessageW(w.objects.list, LVM_SETITEMCOUNT, 0, 0);
    list_clear(w.types);
    if (!read_speedcam_file(state, path, encoding, format)) return;

    fill_objects(w.objects, state);
    fill_types(w.types, state);
    show_status(status_bar, state, path, format, encoding);
}

void object_list_display_info(NMLVDISPINFOW& info) {
    LVITEMW& item = info.item;
    if ((item.mask & LVIF_TEXT) == 0 || item.pszText == nullptr || item.cchTextMax <= 0) return;
    CellText cell(item.pszText, item.cchTextMax);
    const AppState* state = main_window().state;
    if (state == nullptr || item.iItem < 0 ||
        static_cast<std::uint32_t>(item.iItem) >= state->records.size())
        return;
    const SpeedcamRecord& record = state->records[static_cast<std::size_t>(item.iItem)];
    switch (item.iSubItem) {
        case 0:
            cell.put(record.x_text);
            cell.put(L", ");
            cell.put(record.y_text);
            break;
        case 1:
            cell.put(record.type_id);
            break;
        case 2:
            cell.put(record.speed_limit);
            break;
        case 3:
            cell.put(record.comment);
            break;
        default:
            break;
    }
}
