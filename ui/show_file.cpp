#include "show_file.h"

#include <charconv>
#include <cstdint>
#include <string_view>

#include "export.h"
#include "main_window.h"
#include "reader.h"
#include "resource.h"
#include "strings.h"
#include "type_summary.h"
#include "win32.h"

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

// The object list holds no rows of its own: it asks for each visible cell, and the record
// behind row i is the i-th record, so a country file costs one message, not one per object.
void fill_objects(ListControl& objects, const AppState& state) {
    SendMessageW(objects.list, LVM_SETITEMCOUNT, state.records.size(), 0);
}

// One row per type met, counted in memory and written once. The check boxes are the types'
// own states, so their change reports are not taken for the user's.
void fill_types(ListControl& types, AppState& state) {
    MainWindow& w = main_window();
    w.filling = true;
    struct Filled {
        MainWindow& w;
        ~Filled() { w.filling = false; }
    } filled{w};
    const std::vector<TypeSummaryRow> rows = summarize_types(state.records, state.types);
    SendMessageW(types.list, LVM_SETITEMCOUNT, rows.size(), 0);
    for (const TypeSummaryRow& summary : rows) {
        const CameraType& type = *summary.type;
        const int row = list_append_row(types, L"");
        if (row < 0) continue;
        const auto id = format_string(L"%d", type.id);
        lv_set_cell(types.list, row, 1, id ? id->c_str() : nullptr);
        const std::wstring count = std::to_wstring(summary.count);
        lv_set_cell(types.list, row, 2, count.c_str());
        lv_set_cell(types.list, row, 3, type.description);
        lv_set_cell(types.list, row, 4, type.message_format);
        list_set_row_payload(types, reinterpret_cast<LPARAM>(summary.type), row);
        LVITEMW state_item = {};
        state_item.stateMask = LVIS_STATEIMAGEMASK;
        state_item.state = INDEXTOSTATEIMAGEMASK(type.export_enabled != 0 ? 2 : 1);
        SendMessageW(types.list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state_item));
    }
}

void show_status(HWND status_bar, AppState& state, const std::wstring& path, bool read,
                 InputFormat format, TextEncoding encoding) {
    sb_set_text(status_bar, 0, load_string(state, read ? IDS_STATUS_FILE : IDS_READ_FAILED, path));

    const std::optional<std::wstring> format_name =
        format == InputFormat::Navitel ? load_string_copy(state, IDS_FORMAT_NAVITEL)
        : format == InputFormat::Igo   ? load_string_copy(state, IDS_FORMAT_IGO)
                                       : L"???";
    const unsigned encoding_name = encoding == TextEncoding::Utf8   ? IDS_ENCODING_UTF8
                                   : encoding == TextEncoding::Ansi ? IDS_ENCODING_ANSI
                                                                    : IDS_ENCODING_UTF16;
    // The encoding's name may share the text buffer with the line made from it.
    sb_set_text(
        status_bar, 1,
        load_string(state, IDS_STATUS_TYPE, format_name, load_string(state, encoding_name)));
    sb_set_text(
        status_bar, 2,
        load_string(state, IDS_STATUS_OBJECTS, state.records.size(),
                    load_string(state, state.filter.area.on() ? IDS_FILTER_ON : IDS_FILTER_OFF)));
    show_export_budget(status_bar, state);
}

// Megabytes with one decimal and a comma, the limit's own unit.
std::wstring megabytes(std::uint64_t bytes) {
    const std::uint64_t tenths = (bytes * 10 + 512 * 1024) / (1024 * 1024);
    return std::to_wstring(tenths / 10) + L"," + std::to_wstring(tenths % 10);
}

}  // namespace

std::wstring grouped(std::uint64_t n) {
    std::wstring digits = std::to_wstring(n);
    for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, 1, L' ');
    return digits;
}

std::wstring export_budget_text(AppState& state, const ExportPlan& plan) {
    const unsigned limit = static_cast<unsigned>(kExportSizeCap / (1024 * 1024));
    const auto text = plan.result == ExportResult::Capped
                          ? load_string_copy(state, IDS_BUDGET_OVER, limit, grouped(plan.objects),
                                             grouped(plan.exportable))
                          : load_string_copy(state, IDS_BUDGET, grouped(plan.objects),
                                             megabytes(plan.bytes), limit);
    return text.value_or(L"");
}

void show_export_budget(HWND status_bar, AppState& state) {
    const ExportPlan plan = plan_export(state.records, state.types);
    sb_set_text(status_bar, 3, export_budget_text(state, plan).c_str());
    status_parts_fit(main_window().status_parts, status_bar, state);
}

bool show_speedcam_file(const std::wstring& path, HWND status_bar) {
    MainWindow& w = main_window();
    if (w.state == nullptr) return false;
    AppState& state = *w.state;
    const TextEncoding encoding = w.encoding;
    const InputFormat format = w.format;

    RedrawOff objects_redraw(w.objects.list);
    RedrawOff types_redraw(w.types.list);
    // The rows point into the record list, so they go before the reader replaces it.
    SendMessageW(w.objects.list, LVM_SETITEMCOUNT, 0, 0);
    list_clear(w.types);
    const bool read = read_speedcam_file(state.records, path, encoding, format, state.filter.area);
    if (read) {
        fill_objects(w.objects, state);
        fill_types(w.types, state);
    }
    show_status(status_bar, state, path, read, format, encoding);
    return read;
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
