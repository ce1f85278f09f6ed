#include "map_window.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <span>
#include <string>
#include <vector>

#include "anchor.h"
#include "dpi.h"
#include "export.h"
#include "id_table.h"
#include "map_borders.h"
#include "map_grid.h"
#include "map_view.h"
#include "nearest.h"
#include "parser.h"
#include "reader.h"
#include "resource.h"
#include "show_file.h"
#include "strings.h"
#include "win32.h"

namespace {

constexpr COLORREF kLand = RGB(250, 248, 240), kBorder = RGB(150, 130, 110),
                   kGrid = RGB(205, 212, 222), kLabel = RGB(90, 100, 120),
                   kExported = RGB(200, 30, 30), kOther = RGB(150, 150, 150),
                   kFilter = RGB(30, 80, 220), kDrawn = RGB(240, 140, 0), kHome = RGB(0, 130, 60);

// From this many pixels a degree at 96 DPI on, 1:110m borders would put places on the coast
// in the sea, and the 1:50m ones are drawn.
constexpr double kFineBordersFrom = 8;

// The strip below the map, in dialog units: margin, button and line heights, the gap between
// them, and the buttons' widths from the right (Отмена, Сбросить фильтр, Применить, Убрать дом).
constexpr int kMargin = 6, kButtonHeight = 14, kLineHeight = 10, kGap = 3;
constexpr int kButtonWidths[] = {54, 80, 60, 80};
constexpr int kButtons[] = {IDCANCEL, IDC_MAP_RESET, IDOK, IDC_MAP_HOME_CLEAR};

struct Param {
    AppState* state;
    const MapSource* source;
};

// A bitmap the map is painted into before it is shown in one copy, so that nothing flickers.
struct Canvas {
    UniqueGdi<HBITMAP> bitmap;
    std::uint32_t* pixels = nullptr;  // top-down rows of 0x00RRGGBB
    int width = 0, height = 0;
};

struct MapWindow {
    AppState* state = nullptr;
    int dpi = 96;           // of the screen the window is on
    int created_dpi = 96;   // the DPI its template was laid out for
    UniqueGdi<HFONT> font;  // the controls' font after a change of DPI
    // The strip's sizes in pixels at created_dpi: kMargin, kButtonHeight, kLineHeight, kGap,
    // then the buttons' widths.
    int strip[4 + std::size(kButtonWidths)] = {};
    RecordList records;
    std::vector<MapCoord> objects;
    std::vector<bool> exported;  // whether an enabled type carries the object's id
    std::vector<ExportShare> shares;
    std::vector<std::uint32_t> order;  // nearest to home first; empty without a home
    MapView view;
    RECT area = {};  // where the map is drawn, in client coordinates
    SIZE min_size = {};
    Canvas canvas;
    enum class Drag { None, Pan, Draw } drag = Drag::None;
    MapCoord grab{};  // the place a pan holds under the pointer
    MapPoint from{}, to{};
    bool drawn = false;  // a rectangle is there to apply
    std::wstring cursor;
};
MapWindow g_map;

// The borders of IDR_BORDERS or IDR_BORDERS_50M, decoded when first drawn.
const std::vector<BorderLine>& borders(int resource) {
    static std::vector<BorderLine> coarse, fine;
    std::vector<BorderLine>& lines = resource == IDR_BORDERS ? coarse : fine;
    if (lines.empty()) {
        const HMODULE module = GetModuleHandleW(nullptr);
        const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(resource), RT_RCDATA);
        if (const void* bytes = found ? LockResource(LoadResource(module, found)) : nullptr)
            lines = decode_map_borders(
                {static_cast<const unsigned char*>(bytes), SizeofResource(module, found)});
    }
    return lines;
}

// A size at 96 DPI in the map's pixels.
int px(int value) {
    return scale_to(value, g_map.dpi);
}

std::wstring degrees(AppState& state, double value, unsigned positive, unsigned negative,
                     int decimals = 4) {
    std::wstring number =
        format_string(L"%." + std::to_wstring(decimals) + L"f", std::fabs(value)).value_or(L"");
    std::replace(number.begin(), number.end(), L'.', L',');
    return load_string_copy(state, value < 0 ? negative : positive, number).value_or(L"");
}

bool in_area(POINT p) {
    return PtInRect(&g_map.area, p) != 0;
}

MapPoint map_point(LPARAM lparam) {
    return {static_cast<double>(GET_X_LPARAM(lparam) - g_map.area.left),
            static_cast<double>(GET_Y_LPARAM(lparam) - g_map.area.top)};
}

// The status line: the place under the pointer, and what the drawn rectangle holds and would
// export, by the export's own rules.
void update_status(HWND dialog) {
    MapWindow& m = g_map;
    AppState& state = *m.state;
    std::wstring text = m.cursor;
    const std::optional<AreaFilter> area = area_of_rectangle(m.view, m.from, m.to);
    if ((m.drawn || m.drag == MapWindow::Drag::Draw) && !area) {
        const auto across = load_string_copy(state, IDS_MAP_ACROSS_180);
        text += (text.empty() ? L"" : L" · ") + across.value_or(L"");
    } else if (m.drawn || m.drag == MapWindow::Drag::Draw) {
        std::vector<bool> kept(m.objects.size());
        std::size_t inside = 0;
        for (std::size_t i = 0; i < m.objects.size(); ++i)
            inside += kept[i] = area->contains(m.objects[i].lon, m.objects[i].lat);
        const ExportPlan plan = plan_export(m.shares, &kept, kExportSizeCap, m.order);
        const auto rectangle =
            load_string_copy(state, IDS_MAP_RECTANGLE, grouped(inside),
                             export_budget_text(state, plan, reach_of(state, m.records, plan)));
        text += (text.empty() ? L"" : L" · ") + rectangle.value_or(L"");
    } else {
        // The home point where it is set, before the hint; how to set it after the hint.
        const std::optional<GeoPoint> home = home_point(state);
        if (home)
            text += (text.empty() ? L"" : L" · ") +
                    load_string_copy(state, IDS_MAP_HOME,
                                     degrees(state, home->lat, IDS_MAP_NORTH, IDS_MAP_SOUTH),
                                     degrees(state, home->lon, IDS_MAP_EAST, IDS_MAP_WEST))
                        .value_or(L"");
        text += (text.empty() ? L"" : L" · ") + load_string_copy(state, IDS_MAP_HINT).value_or(L"");
        if (!home) text += L" · " + load_string_copy(state, IDS_MAP_HOME_HINT).value_or(L"");
    }
    SetDlgItemTextW(dialog, IDC_MAP_STATUS, text.c_str());
    EnableWindow(GetDlgItem(dialog, IDOK), m.drawn && area);
}

MapGrid grid_of(HDC dc, AppState& state) {
    const auto text = [&](double value, Axis axis, int decimals) {
        return grid_label_text(state, value, axis, decimals);
    };
    const auto measure = [dc](const std::wstring& label) {
        SIZE size = {};
        GetTextExtentPoint32W(dc, label.c_str(), static_cast<int>(label.size()), &size);
        return LabelSize{size.cx, size.cy};
    };
    return layout_grid(g_map.view, g_map.dpi, text, measure);
}

void draw_grid_lines(HDC dc, const MapGrid& grid) {
    const MapView& v = g_map.view;
    UniqueGdi<HPEN> pen(CreatePen(PS_SOLID, px(1), kGrid));
    const HGDIOBJ old_pen = SelectObject(dc, pen.get());
    for (const int x : grid.meridians) {
        MoveToEx(dc, x, 0, nullptr);
        LineTo(dc, x, v.height);
    }
    for (const int y : grid.parallels) {
        MoveToEx(dc, 0, y, nullptr);
        LineTo(dc, v.width, y);
    }
    SelectObject(dc, old_pen);
}

// Above everything else, each on a halo of the land's colour, so that neither the lines nor a
// crowd of places under them hide a label.
void draw_grid_labels(HDC dc, const MapGrid& grid) {
    SetBkMode(dc, TRANSPARENT);
    const int halo = px(1);
    for (const GridLabel& label : grid.labels) {
        const int n = static_cast<int>(label.text.size());
        SetTextColor(dc, kLand);
        for (int dx = -halo; dx <= halo; dx += halo)
            for (int dy = -halo; dy <= halo; dy += halo)
                if (dx != 0 || dy != 0)
                    TextOutW(dc, label.box.left + dx, label.box.top + dy, label.text.c_str(), n);
        SetTextColor(dc, kLabel);
        TextOutW(dc, label.box.left, label.box.top, label.text.c_str(), n);
    }
}

// Only the lines within the view are drawn, each in the copy 360° apart that falls into it;
// where the view spans the 180th meridian, a line on its far side shows on this side too.
void draw_borders(HDC dc) {
    const MapView& v = g_map.view;
    const bool fine = v.pixels_per_degree * kBaseDpi / g_map.dpi >= kFineBordersFrom;
    const MapCoord top_left = v.to_coord({0, 0});
    const MapCoord bottom_right = v.to_coord({1.0 * v.width, 1.0 * v.height});
    UniqueGdi<HPEN> pen(CreatePen(PS_SOLID, px(1), kBorder));
    const HGDIOBJ old_pen = SelectObject(dc, pen.get());
    std::vector<POINT> points;
    for (const BorderLine& line : borders(fine ? IDR_BORDERS_50M : IDR_BORDERS)) {
        if (line.south > top_left.lat || line.north < bottom_right.lat) continue;
        for (const double shift : {-360.0, 0.0, 360.0}) {
            if (line.east + shift < top_left.lon || line.west + shift > bottom_right.lon) continue;
            points.clear();
            for (const MapCoord& c : line.points) {
                const MapPoint p = v.to_pixel_as_is({c.lon + shift, c.lat});
                // Far outside the bitmap GDI's coordinates would overflow; such a line is cut.
                points.push_back({static_cast<LONG>(std::clamp(p.x, -1e5, 1e5)),
                                  static_cast<LONG>(std::clamp(p.y, -1e5, 1e5))});
            }
            if (points.size() >= 2) Polyline(dc, points.data(), static_cast<int>(points.size()));
        }
    }
    SelectObject(dc, old_pen);
}

// The objects go straight into the bitmap's pixels as squares that grow with the DPI, the
// exported ones on top.
void draw_objects() {
    const MapWindow& m = g_map;
    const Canvas& c = m.canvas;
    const int side = std::max(2, px(2));
    for (const bool exported : {false, true}) {
        const std::uint32_t colour = exported ? 0x00C81E1E : 0x00969696;
        for (std::size_t i = 0; i < m.objects.size(); ++i) {
            if (m.exported[i] != exported) continue;
            const MapPoint p = m.view.to_pixel(m.objects[i]);
            const double x0 = p.x - (side - 1) / 2, y0 = p.y - (side - 1) / 2;
            if (!(x0 >= 0 && y0 >= 0 && x0 < c.width - side && y0 < c.height - side)) continue;
            std::uint32_t* row = c.pixels + static_cast<int>(y0) * c.width + static_cast<int>(x0);
            for (int dy = 0; dy < side; ++dy, row += c.width) std::fill_n(row, side, colour);
        }
    }
}

// The home point: a green disc with a white rim, above the objects.
void draw_home(HDC dc) {
    const std::optional<GeoPoint> home = home_point(*g_map.state);
    if (!home) return;
    const MapPoint p = g_map.view.to_pixel({home->lon, home->lat});
    if (!(std::fabs(p.x) < 1e5 && std::fabs(p.y) < 1e5)) return;
    const int r = px(5), x = static_cast<int>(std::lround(p.x)),
              y = static_cast<int>(std::lround(p.y));
    UniqueGdi<HPEN> rim(CreatePen(PS_SOLID, px(2), RGB(255, 255, 255)));
    UniqueGdi<HBRUSH> fill(CreateSolidBrush(kHome));
    const HGDIOBJ old_pen = SelectObject(dc, rim.get());
    const HGDIOBJ old_brush = SelectObject(dc, fill.get());
    Ellipse(dc, x - r, y - r, x + r + 1, y + r + 1);
    SelectObject(dc, old_brush);
    SelectObject(dc, old_pen);
}

void frame(HDC dc, MapPoint a, MapPoint b, COLORREF colour, bool dashed = false) {
    LOGBRUSH brush = {BS_SOLID, colour, 0};
    UniqueGdi<HPEN> pen(
        ExtCreatePen(PS_GEOMETRIC | (dashed ? PS_DASH : PS_SOLID), px(2), &brush, 0, nullptr));
    const HGDIOBJ old_pen = SelectObject(dc, pen.get());
    const HGDIOBJ old_brush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    const auto at = [](double v) { return static_cast<int>(std::clamp(v, -1e5, 1e5)); };
    Rectangle(dc, at(a.x), at(a.y), at(b.x), at(b.y));
    SelectObject(dc, old_brush);
    SelectObject(dc, old_pen);
}

// The area filter from its west edge's copy nearest the view's centre eastwards, so that an
// area wider than half the world is not drawn the other way round.
void filter_frame(HDC dc, const AreaFilter& area) {
    const MapPoint a = g_map.view.to_pixel({area.west, area.north});
    const MapPoint b = {a.x + (area.east - area.west) * g_map.view.x_scale(),
                        g_map.view.to_pixel({area.east, area.south}).y};
    frame(dc, a, b, kFilter);
}

void paint(HWND dialog) {
    MapWindow& m = g_map;
    PAINTSTRUCT ps;
    HDC screen = BeginPaint(dialog, &ps);
    const int width = std::max(1L, m.area.right - m.area.left);
    const int height = std::max(1L, m.area.bottom - m.area.top);
    HDC dc = CreateCompatibleDC(screen);
    if (!m.canvas.bitmap || m.canvas.width != width || m.canvas.height != height) {
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        m.canvas.bitmap.reset(CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        m.canvas.pixels = static_cast<std::uint32_t*>(bits);
        m.canvas.width = width, m.canvas.height = height;
    }
    if (dc != nullptr && m.canvas.pixels != nullptr) {
        const HGDIOBJ old = SelectObject(dc, m.canvas.bitmap.get());
        const HFONT font =
            m.font ? m.font.get() : reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
        const HGDIOBJ old_font = SelectObject(dc, font);
        RECT all = {0, 0, width, height};
        UniqueGdi<HBRUSH> land(CreateSolidBrush(kLand));
        FillRect(dc, &all, land.get());
        const MapGrid grid = grid_of(dc, *m.state);
        draw_grid_lines(dc, grid);
        draw_borders(dc);
        GdiFlush();  // the pixels are written directly from here
        draw_objects();
        if (m.state->filter.area.on()) filter_frame(dc, m.state->filter.area);
        // A rectangle that four bounds cannot describe is dashed.
        if (m.drawn || m.drag == MapWindow::Drag::Draw)
            frame(dc, m.from, m.to, kDrawn, !area_of_rectangle(m.view, m.from, m.to));
        draw_home(dc);
        draw_grid_labels(dc, grid);
        BitBlt(screen, m.area.left, m.area.top, width, height, dc, 0, 0, SRCCOPY);
        SelectObject(dc, old_font);
        SelectObject(dc, old);
    }
    if (dc != nullptr) DeleteDC(dc);
    EndPaint(dialog, &ps);
}

// At least as wide as the template has it, and as its text needs in the font it now has, with
// a margin on each side (the text of a disabled button is drawn a pixel further right).
int button_width(HWND button, int template_width, int margin) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(button)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(button, text.data(), static_cast<int>(text.size()))));
    SIZE size = {};
    if (const HDC dc = GetDC(button)) {
        const HGDIOBJ old =
            SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0)));
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        SelectObject(dc, old);
        ReleaseDC(button, dc);
    }
    return std::max(template_width, static_cast<int>(size.cx) + 2 * margin + px(1));
}

// The map takes the client area above a strip: the status line over its full width, and the
// buttons at the right below it.
void layout(HWND dialog) {
    MapWindow& m = g_map;
    RECT client;
    GetClientRect(dialog, &client);
    const auto size = [&](int i) { return MulDiv(m.strip[i], m.dpi, m.created_dpi); };
    const int margin = size(0), button_height = size(1), line_height = size(2), gap = size(3);
    const int buttons_y = client.bottom - margin - button_height;
    const int status_y = buttons_y - gap - line_height;
    int right = client.right - margin;
    for (std::size_t i = 0; i < std::size(kButtons); ++i) {
        const HWND button = GetDlgItem(dialog, kButtons[i]);
        const int cx = button_width(button, size(4 + static_cast<int>(i)), margin);
        right -= cx;
        SetWindowPos(button, nullptr, right, buttons_y, cx, button_height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        right -= margin;
    }
    SetWindowPos(GetDlgItem(dialog, IDC_MAP_STATUS), nullptr, margin, status_y,
                 std::max(0L, client.right - 2 * margin), line_height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    m.area = {0, 0, client.right, std::max(0, status_y - gap)};
    m.view.width = std::max(1L, m.area.right - m.area.left);
    m.view.height = std::max(1L, m.area.bottom - m.area.top);
    m.view.keep_in_world();
    InvalidateRect(dialog, nullptr, TRUE);
}

// The map paints its own area; only the strip of controls below it is erased.
void erase_strip(HWND dialog, HDC dc) {
    RECT client;
    GetClientRect(dialog, &client);
    client.top = g_map.area.bottom;
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
}

// The export's order for the map's objects: it follows the home point.
void order_objects() {
    MapWindow& m = g_map;
    const std::optional<GeoPoint> home = home_point(*m.state);
    m.order = home ? nearest_first(m.records, *home) : std::vector<std::uint32_t>();
}

void load_objects(const MapSource& source) {
    MapWindow& m = g_map;
    AppState& state = *m.state;
    RecordList& records = m.records;
    read_speedcam_files(records, source.paths, source.encoding, source.format, {},
                        state.drop_repeats != 0);
    order_objects();
    IdTable<unsigned char> enabled(0);
    for (const CameraType& type : state.types)
        if (type.export_enabled) enabled[type.id] = 1;
    m.objects.clear();
    m.exported.clear();
    records.for_each([&](const SpeedcamRecord& r) {
        m.objects.push_back({coordinate_to_double(r.x_text), coordinate_to_double(r.y_text)});
        m.exported.push_back(enabled[r.type_id] != 0);
    });
    m.shares = export_shares(records, state.types);
}

void fit_to_objects() {
    MapWindow& m = g_map;
    const std::optional<MapBounds> box = bounds_of(m.objects);
    if (box)
        m.view.fit(box->west, box->south, box->east, box->north);
    else
        m.view.fit(-180, -60, 180, 80);  // nothing to show: the world
}

BOOL on_init(HWND dialog, const Param& param) {
    MapWindow& m = g_map;
    m = MapWindow();
    m.state = param.state;
    m.dpi = m.created_dpi = window_dpi(dialog);
    keep_dialog_layout_own(dialog);
    AppState& state = *m.state;
    SetWindowTextW(dialog, load_string(state, IDS_MAP_TITLE));
    SetDlgItemTextW(dialog, IDOK, load_string(state, IDS_MAP_APPLY));
    SetDlgItemTextW(dialog, IDC_MAP_RESET, load_string(state, IDS_MAP_RESET));
    SetDlgItemTextW(dialog, IDCANCEL, load_string(state, IDS_CANCEL));
    SetDlgItemTextW(dialog, IDC_MAP_HOME_CLEAR, load_string(state, IDS_MAP_HOME_CLEAR));
    // Switching off a filter that is not on would only read the file again.
    EnableWindow(GetDlgItem(dialog, IDC_MAP_RESET), state.filter.area.on());
    EnableWindow(GetDlgItem(dialog, IDC_MAP_HOME_CLEAR), home_point(state).has_value());
    const int units[] = {kMargin, kButtonHeight, kLineHeight, kGap};
    for (std::size_t i = 0; i < std::size(m.strip); ++i) {
        const int value = i < 4 ? units[i] : kButtonWidths[i - 4];
        RECT r = {value, value, 0, 0};
        MapDialogRect(dialog, &r);
        // The heights and the gap go down the window, the rest across.
        m.strip[i] = i >= 1 && i <= 3 ? r.top : r.left;
    }
    RECT r;
    GetWindowRect(dialog, &r);
    // Half the template is still room for a map worth looking at; it lets the window fit a
    // small screen at a large scale. The buttons need their own width.
    RECT client;
    GetClientRect(dialog, &client);
    long buttons = (r.right - r.left) - client.right + m.strip[0];
    for (std::size_t i = 0; i < std::size(kButtons); ++i)
        buttons +=
            button_width(GetDlgItem(dialog, kButtons[i]), m.strip[4 + i], m.strip[0]) + m.strip[0];
    m.min_size = {std::max((r.right - r.left) / 2, buttons), (r.bottom - r.top) / 2};
    // Never opened before: the template centres it.
    const std::int32_t* saved = state.map_rect;
    if (saved[0] != 0 || saved[1] != 0 || saved[2] != 0 || saved[3] != 0)
        place_window(dialog, state.map_rect, r, m.min_size, m.dpi);
    else
        keep_on_screen(dialog, m.min_size);
    load_objects(*param.source);
    layout(dialog);
    fit_to_objects();
    update_status(dialog);
    return TRUE;
}

void end_drag(HWND dialog) {
    MapWindow& m = g_map;
    if (m.drag == MapWindow::Drag::Draw)
        m.drawn = std::fabs(m.to.x - m.from.x) >= 3 && std::fabs(m.to.y - m.from.y) >= 3;
    m.drag = MapWindow::Drag::None;
    if (GetCapture() == dialog) ReleaseCapture();
    update_status(dialog);
    InvalidateRect(dialog, &m.area, FALSE);
}

// Ctrl and a click: the export begins with the objects nearest to that place.
void set_home(HWND dialog, LPARAM lparam) {
    MapWindow& m = g_map;
    if (!in_area({GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)})) return;
    const MapCoord c = m.view.to_coord(map_point(lparam));
    m.state->home = {1, 0, {std::remainder(c.lon, 360.0), std::clamp(c.lat, -90.0, 90.0)}};
    order_objects();
    EnableWindow(GetDlgItem(dialog, IDC_MAP_HOME_CLEAR), TRUE);
    update_status(dialog);
    InvalidateRect(dialog, &m.area, FALSE);
}

void clear_home(HWND dialog) {
    MapWindow& m = g_map;
    m.state->home.set = 0;
    order_objects();
    // The focus leaves the button before it is disabled, or the keyboard would lose the window.
    if (GetFocus() == GetDlgItem(dialog, IDC_MAP_HOME_CLEAR))
        SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDCANCEL)),
                     TRUE);
    EnableWindow(GetDlgItem(dialog, IDC_MAP_HOME_CLEAR), FALSE);
    update_status(dialog);
    InvalidateRect(dialog, &m.area, FALSE);
}

void on_button_down(HWND dialog, LPARAM lparam, bool pan) {
    MapWindow& m = g_map;
    if (!in_area({GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)})) return;
    const MapPoint at = map_point(lparam);
    if (pan) {
        m.drag = MapWindow::Drag::Pan;
        m.grab = m.view.to_coord(at);
    } else {
        m.drag = MapWindow::Drag::Draw;
        m.from = m.to = at;
        m.drawn = false;
    }
    SetCapture(dialog);
}

void on_mouse_move(HWND dialog, LPARAM lparam) {
    MapWindow& m = g_map;
    const MapPoint at = map_point(lparam);
    if (m.drag == MapWindow::Drag::Pan) {
        m.view.place(m.grab, at);
    } else if (m.drag == MapWindow::Drag::Draw) {
        m.to = {std::clamp(at.x, 0.0, m.view.width - 1.0),
                std::clamp(at.y, 0.0, m.view.height - 1.0)};
    }
    const MapCoord c = m.view.to_coord(at);
    AppState& state = *m.state;
    m.cursor = in_area({GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)})
                   ? load_string_copy(
                         state, IDS_MAP_CURSOR, degrees(state, c.lat, IDS_MAP_NORTH, IDS_MAP_SOUTH),
                         degrees(state, std::remainder(c.lon, 360.0), IDS_MAP_EAST, IDS_MAP_WEST))
                         .value_or(L"")
                   : L"";
    update_status(dialog);
    if (m.drag != MapWindow::Drag::None) InvalidateRect(dialog, &m.area, FALSE);
}

void on_wheel(HWND dialog, WPARAM wparam, LPARAM lparam) {
    POINT p = {GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
    ScreenToClient(dialog, &p);
    if (!in_area(p)) return;
    MapWindow& m = g_map;
    const double factor = std::pow(1.25, GET_WHEEL_DELTA_WPARAM(wparam) / 120.0);
    // A rectangle being drawn keeps its place on the map, not on the screen.
    const MapCoord from = m.view.to_coord(m.from), to = m.view.to_coord(m.to);
    m.view.zoom_at({1.0 * p.x - m.area.left, 1.0 * p.y - m.area.top}, factor);
    m.from = m.view.to_pixel(from), m.to = m.view.to_pixel(to);
    InvalidateRect(dialog, &m.area, FALSE);
}

// Another screen or another scale: the window takes the rectangle Windows suggests, and the
// map, its strip and the controls' font follow the DPI.
void on_dpi_changed(HWND dialog, int dpi, const RECT& suggested) {
    MapWindow& m = g_map;
    if (dpi > 0 && dpi != m.dpi) {
        m.min_size = {MulDiv(m.min_size.cx, dpi, m.dpi), MulDiv(m.min_size.cy, dpi, m.dpi)};
        // The same stretch of the world stays in view.
        m.view.pixels_per_degree = m.view.pixels_per_degree * dpi / m.dpi;
        m.from = {m.from.x * dpi / m.dpi, m.from.y * dpi / m.dpi};
        m.to = {m.to.x * dpi / m.dpi, m.to.y * dpi / m.dpi};
        m.dpi = dpi;
        m.font.reset(set_controls_font(dialog, m.created_dpi, dpi));
    }
    SetWindowPos(dialog, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    layout(dialog);
}

void on_destroy(HWND dialog) {
    store_placement(dialog, g_map.state->map_rect, g_map.dpi);
    g_map = MapWindow();
}

INT_PTR on_message(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    MapWindow& m = g_map;
    switch (message) {
        case WM_INITDIALOG:
            return on_init(dialog, *reinterpret_cast<const Param*>(lparam));
        case WM_SIZE:
            layout(dialog);
            return TRUE;
        case WM_GETMINMAXINFO:
            if (m.min_size.cx == 0) return FALSE;
            reinterpret_cast<MINMAXINFO*>(lparam)->ptMinTrackSize = {m.min_size.cx, m.min_size.cy};
            return TRUE;
        case WM_DPICHANGED:
            on_dpi_changed(dialog, LOWORD(wparam), *reinterpret_cast<const RECT*>(lparam));
            return TRUE;
        case WM_ERASEBKGND:
            erase_strip(dialog, reinterpret_cast<HDC>(wparam));
            return TRUE;
        case WM_PAINT:
            paint(dialog);
            return TRUE;
        case WM_MOUSEWHEEL:
            on_wheel(dialog, wparam, lparam);
            return TRUE;
        case WM_LBUTTONDOWN:
            if ((wparam & MK_CONTROL) != 0)
                set_home(dialog, lparam);
            else
                on_button_down(dialog, lparam, (wparam & MK_SHIFT) != 0);
            return TRUE;
        case WM_RBUTTONDOWN:
            on_button_down(dialog, lparam, true);
            return TRUE;
        case WM_MOUSEMOVE:
            on_mouse_move(dialog, lparam);
            return TRUE;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_CAPTURECHANGED:
            if (m.drag != MapWindow::Drag::None) end_drag(dialog);
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wparam)) {
                case IDOK: {
                    const auto area = area_of_rectangle(m.view, m.from, m.to);
                    if (!m.drawn || !area) return TRUE;
                    m.state->filter.area = *area;
                    EndDialog(dialog, IDOK);
                    return TRUE;
                }
                case IDC_MAP_RESET:
                    m.state->filter.area = AreaFilter{};
                    EndDialog(dialog, IDC_MAP_RESET);
                    return TRUE;
                case IDC_MAP_HOME_CLEAR:
                    clear_home(dialog);
                    return TRUE;
                default:
                    return end_on_ok_or_cancel(dialog, wparam);
            }
        case WM_DESTROY:
            on_destroy(dialog);
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

std::wstring grid_label_text(AppState& state, double degrees_value, Axis axis, int decimals) {
    // The prime meridian, the equator and the 180th meridian lie on no side.
    if (degrees_value == 0 || std::fabs(degrees_value) == 180)
        return load_string_copy(state, IDS_MAP_DEGREES, degrees_value == 0 ? L"0" : L"180")
            .value_or(L"");
    return axis == Axis::Longitude
               ? degrees(state, degrees_value, IDS_MAP_EAST, IDS_MAP_WEST, decimals)
               : degrees(state, degrees_value, IDS_MAP_NORTH, IDS_MAP_SOUTH, decimals);
}

bool run_map_window(HWND owner, AppState& state, const MapSource& source) {
    Param param{&state, &source};
    return run_dialog<on_message>(state.instance, IDD_MAP, owner, &param) != IDCANCEL;
}

HWND create_map_window(HWND owner, AppState& state, const MapSource& source) {
    // The window reads its parameter only while it is made.
    Param param{&state, &source};
    return create_dialog<on_message>(state.instance, IDD_MAP, owner, &param);
}
