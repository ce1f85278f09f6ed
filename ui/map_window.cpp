#include "map_window.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <span>
#include <vector>

#include "anchor.h"
#include "dpi.h"
#include "export.h"
#include "id_table.h"
#include "map_borders.h"
#include "map_view.h"
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
                   kFilter = RGB(30, 80, 220), kDrawn = RGB(240, 140, 0);

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
    std::vector<MapCoord> objects;
    std::vector<bool> exported;  // whether an enabled type carries the object's id
    std::vector<ExportShare> shares;
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

const std::vector<std::vector<MapCoord>>& borders() {
    static const std::vector<std::vector<MapCoord>> lines = [] {
        std::vector<std::vector<MapCoord>> out;
        const HMODULE module = GetModuleHandleW(nullptr);
        const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(IDR_BORDERS), RT_RCDATA);
        const void* bytes = found ? LockResource(LoadResource(module, found)) : nullptr;
        if (bytes == nullptr) return out;
        const auto* first = static_cast<const unsigned char*>(bytes);
        for (auto& line : decode_map_borders({first, SizeofResource(module, found)})) {
            std::vector<MapCoord>& kept = out.emplace_back();
            for (const LonLat& p : line) kept.push_back({p.lon, p.lat});
        }
        return out;
    }();
    return lines;
}

std::wstring degrees(AppState& state, double value, unsigned positive, unsigned negative,
                     int decimals = 4) {
    std::wstring number =
        format_string(L"%." + std::to_wstring(decimals) + L"f", std::fabs(value)).value_or(L"");
    std::replace(number.begin(), number.end(), L'.', L',');
    return load_string_copy(state, value < 0 ? negative : positive, number).value_or(L"");
}

// Just enough decimals to tell the grid lines apart.
int decimals_of(double step) {
    return step >= 1 ? 0 : step >= 0.1 ? 1 : step >= 0.01 ? 2 : 3;
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
    if (m.drawn || m.drag == MapWindow::Drag::Draw) {
        const AreaFilter area = area_of_rectangle(m.view, m.from, m.to);
        std::vector<bool> kept(m.objects.size());
        std::size_t inside = 0;
        for (std::size_t i = 0; i < m.objects.size(); ++i)
            inside += kept[i] = area.contains(m.objects[i].lon, m.objects[i].lat);
        const auto rectangle =
            load_string_copy(state, IDS_MAP_RECTANGLE, grouped(inside),
                             export_budget_text(state, plan_export(m.shares, &kept)));
        text += (text.empty() ? L"" : L" · ") + rectangle.value_or(L"");
    } else {
        text += (text.empty() ? L"" : L" · ") + load_string_copy(state, IDS_MAP_HINT).value_or(L"");
    }
    SetDlgItemTextW(dialog, IDC_MAP_STATUS, text.c_str());
    EnableWindow(GetDlgItem(dialog, IDOK), m.drawn);
}

// Grid steps in degrees; the one chosen keeps lines about a hundred pixels apart.
double grid_step(double pixels_per_degree) {
    static constexpr double kSteps[] = {0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1, 0.2, 0.5,
                                        1,     2,     5,     10,   15,   30,   45,  90};
    for (const double step : kSteps)
        if (step * pixels_per_degree >= 90) return step;
    return 90;
}

void draw_grid(HDC dc, AppState& state) {
    const MapView& v = g_map.view;
    const MapCoord top_left = v.to_coord({0, 0}),
                   bottom_right = v.to_coord({1.0 * v.width, 1.0 * v.height});
    const double step = grid_step(v.pixels_per_degree);
    UniqueGdi<HPEN> pen(CreatePen(PS_SOLID, 1, kGrid));
    const HGDIOBJ old_pen = SelectObject(dc, pen.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kLabel);
    for (double lon = std::ceil(top_left.lon / step) * step; lon <= bottom_right.lon; lon += step) {
        const int x = static_cast<int>(std::lround(v.to_pixel({lon, 0}).x));
        MoveToEx(dc, x, 0, nullptr);
        LineTo(dc, x, v.height);
        const std::wstring label = degrees(state, std::fabs(lon) < step / 2 ? 0 : lon, IDS_MAP_EAST,
                                           IDS_MAP_WEST, decimals_of(step));
        TextOutW(dc, x + 3, 2, label.c_str(), static_cast<int>(label.size()));
    }
    for (double lat = std::ceil(bottom_right.lat / step) * step; lat <= top_left.lat; lat += step) {
        const int y = static_cast<int>(std::lround(v.to_pixel({0, lat}).y));
        MoveToEx(dc, 0, y, nullptr);
        LineTo(dc, v.width, y);
        const std::wstring label = degrees(state, std::fabs(lat) < step / 2 ? 0 : lat,
                                           IDS_MAP_NORTH, IDS_MAP_SOUTH, decimals_of(step));
        TextOutW(dc, 3, y - 16, label.c_str(), static_cast<int>(label.size()));
    }
    SelectObject(dc, old_pen);
}

void draw_borders(HDC dc) {
    const MapView& v = g_map.view;
    UniqueGdi<HPEN> pen(CreatePen(PS_SOLID, 1, kBorder));
    const HGDIOBJ old_pen = SelectObject(dc, pen.get());
    std::vector<POINT> points;
    for (const std::vector<MapCoord>& line : borders()) {
        points.clear();
        for (const MapCoord& c : line) {
            const MapPoint p = v.to_pixel(c);
            // Far outside the bitmap GDI's coordinates would overflow; such a line is cut there.
            points.push_back({static_cast<LONG>(std::clamp(p.x, -1e5, 1e5)),
                              static_cast<LONG>(std::clamp(p.y, -1e5, 1e5))});
        }
        if (points.size() >= 2) Polyline(dc, points.data(), static_cast<int>(points.size()));
    }
    SelectObject(dc, old_pen);
}

// The objects go straight into the bitmap's pixels, two by two, the exported ones on top.
void draw_objects() {
    const MapWindow& m = g_map;
    const Canvas& c = m.canvas;
    for (const bool exported : {false, true}) {
        const std::uint32_t colour = exported ? 0x00C81E1E : 0x00969696;
        for (std::size_t i = 0; i < m.objects.size(); ++i) {
            if (m.exported[i] != exported) continue;
            const MapPoint p = m.view.to_pixel(m.objects[i]);
            if (!(p.x >= 0 && p.y >= 0 && p.x < c.width - 1 && p.y < c.height - 1)) continue;
            std::uint32_t* at = c.pixels + static_cast<int>(p.y) * c.width + static_cast<int>(p.x);
            at[0] = at[1] = at[c.width] = at[c.width + 1] = colour;
        }
    }
}

void frame(HDC dc, const AreaFilter& area, COLORREF colour) {
    const MapPoint a = g_map.view.to_pixel({area.west, area.north});
    const MapPoint b = g_map.view.to_pixel({area.east, area.south});
    UniqueGdi<HPEN> pen(CreatePen(PS_SOLID, 2, colour));
    const HGDIOBJ old_pen = SelectObject(dc, pen.get());
    const HGDIOBJ old_brush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, static_cast<int>(std::clamp(a.x, -1e5, 1e5)),
              static_cast<int>(std::clamp(a.y, -1e5, 1e5)),
              static_cast<int>(std::clamp(b.x, -1e5, 1e5)),
              static_cast<int>(std::clamp(b.y, -1e5, 1e5)));
    SelectObject(dc, old_brush);
    SelectObject(dc, old_pen);
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
        const HGDIOBJ old_font =
            SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)));
        RECT all = {0, 0, width, height};
        UniqueGdi<HBRUSH> land(CreateSolidBrush(kLand));
        FillRect(dc, &all, land.get());
        draw_grid(dc, *m.state);
        draw_borders(dc);
        GdiFlush();  // the pixels are written directly from here
        draw_objects();
        if (m.state->filter.area.on()) frame(dc, m.state->filter.area, kFilter);
        if (m.drawn || m.drag == MapWindow::Drag::Draw)
            frame(dc, area_of_rectangle(m.view, m.from, m.to), kDrawn);
        BitBlt(screen, m.area.left, m.area.top, width, height, dc, 0, 0, SRCCOPY);
        SelectObject(dc, old_font);
        SelectObject(dc, old);
    }
    if (dc != nullptr) DeleteDC(dc);
    EndPaint(dialog, &ps);
}

// The map takes the client area above a strip: the status line over its full width, and the
// buttons at the right below it.
void layout(HWND dialog) {
    MapWindow& m = g_map;
    RECT client;
    GetClientRect(dialog, &client);
    RECT units = {6, 14, 10, 3};  // margin, button and line heights, gap; in dialog units
    MapDialogRect(dialog, &units);
    const int margin = units.left, button_height = units.top, line_height = units.right,
              gap = units.bottom;
    const int buttons_y = client.bottom - margin - button_height;
    const int status_y = buttons_y - gap - line_height;
    int right = client.right - margin;
    for (int id : {IDCANCEL, IDC_MAP_RESET, IDOK}) {
        RECT r;
        GetWindowRect(GetDlgItem(dialog, id), &r);
        right -= r.right - r.left;
        SetWindowPos(GetDlgItem(dialog, id), nullptr, right, buttons_y, r.right - r.left,
                     button_height, SWP_NOZORDER | SWP_NOACTIVATE);
        right -= margin;
    }
    SetWindowPos(GetDlgItem(dialog, IDC_MAP_STATUS), nullptr, margin, status_y,
                 std::max(0L, client.right - 2 * margin), line_height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    m.area = {0, 0, client.right, std::max(0, status_y - gap)};
    m.view.width = std::max(1L, m.area.right - m.area.left);
    m.view.height = std::max(1L, m.area.bottom - m.area.top);
    InvalidateRect(dialog, nullptr, TRUE);
}

// The map paints its own area; only the strip of controls below it is erased.
void erase_strip(HWND dialog, HDC dc) {
    RECT client;
    GetClientRect(dialog, &client);
    client.top = g_map.area.bottom;
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
}

void load_objects(const MapSource& source) {
    MapWindow& m = g_map;
    AppState& state = *m.state;
    RecordList records;
    if (source.path) read_speedcam_file(records, *source.path, source.encoding, source.format);
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
    double west = 180, south = 90, east = -180, north = -90;
    for (const MapCoord& c : m.objects) {
        if (!(std::fabs(c.lon) <= 180 && std::fabs(c.lat) <= 90)) continue;
        west = std::min(west, c.lon), east = std::max(east, c.lon);
        south = std::min(south, c.lat), north = std::max(north, c.lat);
    }
    if (west > east)
        west = -180, east = 180, south = -60, north = 80;  // nothing to show: the world
    m.view.fit(west, south, east, north);
}

BOOL on_init(HWND dialog, const Param& param) {
    MapWindow& m = g_map;
    m = MapWindow();
    m.state = param.state;
    AppState& state = *m.state;
    SetWindowTextW(dialog, load_string(state, IDS_MAP_TITLE));
    SetDlgItemTextW(dialog, IDOK, load_string(state, IDS_MAP_APPLY));
    SetDlgItemTextW(dialog, IDC_MAP_RESET, load_string(state, IDS_MAP_RESET));
    SetDlgItemTextW(dialog, IDCANCEL, load_string(state, IDS_CANCEL));
    RECT r;
    GetWindowRect(dialog, &r);
    m.min_size = {r.right - r.left, r.bottom - r.top};
    // Never opened before: the template centres it.
    const std::int32_t* saved = state.map_rect;
    if (saved[0] != 0 || saved[1] != 0 || saved[2] != 0 || saved[3] != 0)
        place_window(dialog, state.map_rect, r, m.min_size, window_dpi(dialog));
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
                   ? load_string_copy(state, IDS_MAP_CURSOR,
                                      degrees(state, c.lat, IDS_MAP_NORTH, IDS_MAP_SOUTH),
                                      degrees(state, c.lon, IDS_MAP_EAST, IDS_MAP_WEST))
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

void on_destroy(HWND dialog) {
    store_placement(dialog, g_map.state->map_rect, window_dpi(dialog));
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
                case IDOK:
                    if (!m.drawn) return TRUE;
                    m.state->filter.area = area_of_rectangle(m.view, m.from, m.to);
                    EndDialog(dialog, IDOK);
                    return TRUE;
                case IDC_MAP_RESET:
                    m.state->filter.area = AreaFilter{};
                    EndDialog(dialog, IDC_MAP_RESET);
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

bool run_map_window(HWND owner, AppState& state, const MapSource& source) {
    Param param{&state, &source};
    return run_dialog<on_message>(state.instance, IDD_MAP, owner, &param) != IDCANCEL;
}

HWND create_map_window(HWND owner, AppState& state, const MapSource& source) {
    // The window reads its parameter only while it is made.
    Param param{&state, &source};
    return create_dialog<on_message>(state.instance, IDD_MAP, owner, &param);
}
