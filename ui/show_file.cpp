#include "show_file.h"

#include <charconv>
#include <functional>
#include <cstdint>
#include <string_view>

#include "codepage.h"
#include "export.h"
#include "main_window.h"
#include "nearest.h"
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
    // The rows of types the table lacks point at stand-ins that must not move.
    w.unknown_types.clear();
    w.unknown_types.reserve(rows.size());
    for (const TypeSummaryRow& summary : rows) {
        CameraType* const known = summary.type;
        if (known == nullptr) {
            CameraType& stand_in = w.unknown_types.emplace_back();
            stand_in.id = summary.id;
            const auto text = load_string_copy(state, IDS_TYPE_UNKNOWN, summary.id);
            text.value_or(L"").copy(stand_in.description, 126);
            stand_in.export_enabled = 0;
        }
        const CameraType& type = known ? *known : w.unknown_types.back();
        const int row = list_append_row(types, L"");
        if (row < 0) continue;
        const auto id = format_string(L"%d", type.id);
        lv_set_cell(types.list, row, 1, id ? id->c_str() : nullptr);
        const std::wstring count = std::to_wstring(summary.count);
        lv_set_cell(types.list, row, 2, count.c_str());
        lv_set_cell(types.list, row, 3, type.description);
        lv_set_cell(types.list, row, 4, type.message_format);
        list_set_row_payload(types, reinterpret_cast<LPARAM>(&type), row);
        if (known == nullptr) list_set_row_colors(types, row, &w.unknown_text, nullptr);
        LVITEMW state_item = {};
        state_item.stateMask = LVIS_STATEIMAGEMASK;
        state_item.state = INDEXTOSTATEIMAGEMASK(type.export_enabled != 0 ? 2 : 1);
        SendMessageW(types.list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state_item));
    }
}

// A name shared with a menu item or a button, without its access key.
std::optional<std::wstring> plain_text(AppState& state, unsigned id) {
    const auto text = load_string_copy(state, id);
    return text ? std::optional(without_access_key(*text)) : std::nullopt;
}

void show_type_part(HWND status_bar, AppState& state, InputFormat format, TextEncoding encoding) {
    const std::optional<std::wstring> format_name =
        format == InputFormat::Navitel ? plain_text(state, IDS_FORMAT_NAVITEL)
        : format == InputFormat::Igo   ? plain_text(state, IDS_FORMAT_IGO)
                                       : L"???";
    const unsigned encoding_name = encoding == TextEncoding::Utf8   ? IDS_ENCODING_UTF8
                                   : encoding == TextEncoding::Ansi ? IDS_ENCODING_ANSI
                                                                    : IDS_ENCODING_UTF16;
    sb_set_text(status_bar, 1,
                load_string(state, IDS_STATUS_TYPE, format_name, plain_text(state, encoding_name)));
}

// The objects shown, how many of the files' the area filter hides, and how many repeats were
// left out. How many are of types the table lacks, which are never exported, the type list's
// grey rows show.
void show_objects_part(HWND status_bar, AppState& state) {
    const auto filter =
        load_string_copy(state, state.filter.area.on() ? IDS_FILTER_ON : IDS_FILTER_OFF);
    const std::uint64_t hidden = state.records.kept_out();
    std::wstring text =
        (hidden > 0
             ? load_string_copy(state, IDS_STATUS_OBJECTS_HIDDEN, grouped(state.records.size()),
                                filter, grouped(hidden))
             : load_string_copy(state, IDS_STATUS_OBJECTS, grouped(state.records.size()), filter))
            .value_or(L"");
    const std::uint64_t repeats = main_window().repeats;
    if (repeats > 0)
        text = load_string_copy(state, IDS_STATUS_REPEATS, text, grouped(repeats)).value_or(text);
    sb_set_text(status_bar, 2, text.c_str());
}

// Where the part names the file: entry `text` with the path, shortened to fit; the tip shows
// `tip`, or the path.
void name_file(HWND status_bar, AppState& state, unsigned text, const std::wstring& path,
               const std::wstring& tip = {}) {
    MainWindow& w = main_window();
    w.file_text = text;
    w.file_path = path;
    w.file_tip = tip.empty() ? path : tip;
    show_file_part(status_bar, state);
}

// The dialog that chose the file has just closed over the window, and the lists are empty
// now: both are painted before the read holds the window, so that the screen never shows
// the old file's objects, or the dialog, under the new file's name.
void paint_now(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ERASENOW | RDW_ALLCHILDREN);
    GdiFlush();
}

// The whole path over the status bar's first part, whose text may show it shortened. The
// version-5 size of the record, which every version of the common controls takes.
void show_file_tip(HWND status_bar, AppState& state, const RECT& part, const std::wstring& path) {
    MainWindow& w = main_window();
    TTTOOLINFOW tool = {};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = status_bar;
    tool.rect = part;
    tool.lpszText = const_cast<wchar_t*>(path.c_str());
    if (w.status_tip == nullptr) {
        w.status_tip = CreateWindowExW(
            WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, GetParent(status_bar),
            nullptr, static_cast<HINSTANCE>(state.instance), nullptr);
        // A width makes the tip break at the line ends between several files' paths.
        SendMessageW(w.status_tip, TTM_SETMAXTIPWIDTH, 0, 4096);
        SendMessageW(w.status_tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        return;
    }
    SendMessageW(w.status_tip, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(w.status_tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

// Megabytes with one decimal and a comma, the limit's own unit; below a tenth of a megabyte,
// which would read 0,0, kilobytes and bytes.
std::wstring size_text(AppState& state, std::uint64_t bytes) {
    const auto with_comma = [](std::uint64_t tenths) {
        return std::to_wstring(tenths / 10) + L"," + std::to_wstring(tenths % 10);
    };
    constexpr std::uint64_t kKb = 1024, kMb = 1024 * 1024;
    if (bytes * 10 >= kMb) return with_comma((bytes * 10 + kMb / 2) / kMb);
    if (bytes < kKb) return load_string_copy(state, IDS_SIZE_BYTES, grouped(bytes)).value_or(L"");
    const std::uint64_t tenths = (bytes * 10 + kKb / 2) / kKb;
    return load_string_copy(state, IDS_SIZE_KB,
                            tenths < 100 ? with_comma(tenths) : grouped((bytes + kKb / 2) / kKb))
        .value_or(L"");
}

}  // namespace

std::wstring grouped(std::uint64_t n) {
    std::wstring digits = std::to_wstring(n);
    for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, 1, L' ');
    return digits;
}

std::wstring export_budget_text(AppState& state, const ExportPlan& plan,
                                std::optional<double> reach) {
    const unsigned limit = static_cast<unsigned>(kExportSizeCap / (1024 * 1024));
    const auto text =
        plan.result != ExportResult::Capped
            ? load_string_copy(state, IDS_BUDGET, grouped(plan.objects),
                               size_text(state, plan.bytes), limit)
        : reach
            ? load_string_copy(state, IDS_BUDGET_NEAREST, limit, grouped(plan.objects),
                               from_utf8(kilometres_text(*reach, ',')), grouped(plan.exportable))
            : load_string_copy(state, IDS_BUDGET_OVER, limit, grouped(plan.objects),
                               grouped(plan.exportable));
    return text.value_or(L"");
}

std::optional<double> reach_of(const AppState& state, const RecordList& records,
                               const ExportPlan& plan) {
    const std::optional<GeoPoint> home = home_point(state);
    if (!home || plan.result != ExportResult::Capped || plan.last >= records.size())
        return std::nullopt;
    const GeoPoint last = place_of(records[plan.last]);
    return on_earth(last) ? std::optional(distance_metres(*home, last)) : std::nullopt;
}

void show_types_again(HWND status_bar) {
    MainWindow& w = main_window();
    AppState& state = *w.state;
    {
        RedrawOff types_redraw(w.types.list);
        list_clear(w.types);
        fill_types(w.types, state);
    }
    show_objects_part(status_bar, state);
    show_export_budget(status_bar, state);
}

void order_export(AppState& state) {
    const std::optional<GeoPoint> home = home_point(state);
    state.export_order = home ? nearest_first(state.records, *home) : std::vector<std::uint32_t>();
}

void show_export_budget(HWND status_bar, AppState& state) {
    const ExportPlan plan =
        plan_export(state.records, state.types, kExportSizeCap, state.export_order);
    sb_set_text(status_bar, 3,
                export_budget_text(state, plan, reach_of(state, state.records, plan)).c_str());
    status_parts_fit(main_window().status_parts, status_bar, state);
    show_file_part(status_bar, state);  // the first part takes what the others leave
}

std::wstring shorten_path(std::wstring_view path,
                          const std::function<bool(std::wstring_view)>& fits) {
    if (fits(path)) return std::wstring(path);
    const auto is_separator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
    // The drive: "D:\", or "\\server\share\" of a network path.
    std::size_t root = 0;
    if (path.size() >= 3 && path[1] == L':' && is_separator(path[2])) {
        root = 3;
    } else if (path.starts_with(L"\\\\")) {
        root = 2;
        for (int names = 0; names < 2 && root < path.size(); ++root)
            if (is_separator(path[root])) ++names;
    }
    std::size_t name_at = path.size();
    while (name_at > root && !is_separator(path[name_at - 1])) --name_at;
    // Folders are left out from the left, one at a time.
    const std::wstring drive(path.substr(0, root));
    for (std::size_t at = root; at < name_at; ++at) {
        if (!is_separator(path[at])) continue;
        std::wstring shorter = drive + L"…" + std::wstring(path.substr(at));
        if (fits(shorter)) return shorter;
    }
    // Too narrow even for the name: its middle goes as well, so that its start and its end,
    // and the words around the path, stay in view.
    const std::wstring before =
        name_at > root ? drive + L"…" + path[name_at - 1] : std::wstring(path.substr(0, name_at));
    const std::wstring_view name = path.substr(name_at);
    std::wstring shortest = before + std::wstring(name);
    for (std::size_t keep = name.size(); keep-- > 1;) {
        const std::size_t front = keep / 2, back = keep - front;
        shortest = before + std::wstring(name.substr(0, front)) + L"…" +
                   std::wstring(name.substr(name.size() - back));
        if (fits(shortest)) break;
    }
    return shortest;
}

void show_file_part(HWND status_bar, AppState& state) {
    MainWindow& w = main_window();
    if (status_bar == nullptr || w.file_text == 0) return;
    RECT part = {};
    SendMessageW(status_bar, SB_GETRECT, 0, reinterpret_cast<LPARAM>(&part));
    const HDC dc = GetDC(status_bar);
    if (dc == nullptr) return;
    const auto font = reinterpret_cast<HFONT>(SendMessageW(status_bar, WM_GETFONT, 0, 0));
    const HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    // The part's frame and the margin the bar keeps inside it on either side.
    const long room =
        part.right - part.left - 2 * (GetSystemMetrics(SM_CXEDGE) + metrics.tmAveCharWidth);
    // Several files are counted; their paths are the tip's.
    const auto entry = [&](std::wstring_view path) {
        return (w.file_text == IDS_STATUS_FILES
                    ? load_string_copy(state, w.file_text, w.file_count)
                    : load_string_copy(state, w.file_text, std::wstring(path)))
            .value_or(L"");
    };
    const std::wstring shown = shorten_path(w.file_path, [&](std::wstring_view candidate) {
        if (w.file_text == IDS_STATUS_FILES) return true;
        const std::wstring text = entry(candidate);
        SIZE size = {};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx <= room;
    });
    SelectObject(dc, old);
    ReleaseDC(status_bar, dc);
    sb_set_text(status_bar, 0, entry(shown).c_str());
    show_file_tip(status_bar, state, part, w.file_tip);
}

bool show_speedcam_files(const std::vector<std::wstring>& paths, HWND status_bar,
                         std::size_t* failed) {
    MainWindow& w = main_window();
    if (w.state == nullptr || paths.empty()) return false;
    AppState& state = *w.state;
    const TextEncoding encoding = w.encoding;
    const InputFormat format = w.format;

    // The rows point into the record list, so they go before the reader replaces it.
    SendMessageW(w.objects.list, LVM_SETITEMCOUNT, 0, 0);
    list_clear(w.types);
    name_file(status_bar, state, IDS_STATUS_READING, paths.back());
    show_type_part(status_bar, state, format, encoding);
    for (int part : {2, 3}) sb_set_text(status_bar, part, L"");
    paint_now(GetParent(status_bar));

    RedrawOff objects_redraw(w.objects.list);
    RedrawOff types_redraw(w.types.list);
    const FilesRead outcome = read_speedcam_files(state.records, paths, encoding, format,
                                                  state.filter.area, state.drop_repeats != 0);
    w.repeats = outcome.repeats;
    order_export(state);
    if (outcome.read) {
        fill_objects(w.objects, state);
        fill_types(w.types, state);
    }
    std::wstring all;
    for (const std::wstring& path : paths) all += (all.empty() ? L"" : L"\r\n") + path;
    w.file_count = static_cast<unsigned>(paths.size());
    if (!outcome.read)
        name_file(status_bar, state, IDS_READ_FAILED, paths[outcome.failed]);
    else if (paths.size() == 1)
        name_file(status_bar, state, IDS_STATUS_FILE, paths.front());
    else
        name_file(status_bar, state, IDS_STATUS_FILES, {}, all);
    show_objects_part(status_bar, state);
    show_export_budget(status_bar, state);
    if (failed != nullptr) *failed = outcome.failed;
    return outcome.read;
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
