// The map's projection: pixels to coordinates and back at several zooms, the zoom and the
// drag keeping the place under the pointer, a view that never leaves the world, a file across
// the 180th meridian as one cluster and a rectangle across it refused; the grid's labels at
// every zoom and DPI. That the rectangle is what the filter dialog
// stores for its corners typed in again, on a map fitted to the file's objects, is for the
// main window's test of the filter and the map.
#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <cmath>
#include <numbers>
#include <set>

#include "map_view.h"
#include "map_window.h"
#include "resource.h"
#include "test_support.h"
#include "win_test_util.h"

namespace {

void expect_at(const MapView& v, MapCoord c, MapPoint p) {
    EXPECT_NEAR(v.to_pixel(c).x, p.x, 1e-6);
    EXPECT_NEAR(v.to_pixel(c).y, p.y, 1e-6);
}

// The four edges of the view in degrees, longitudes as they run on across it.
std::array<double, 4> edges_of(const MapView& v) {
    const MapCoord a = v.to_coord({0, 0}), b = v.to_coord({1.0 * v.width, 1.0 * v.height});
    return {a.lon, a.lat, b.lon, b.lat};
}

// Drawn from any corner to the opposite one, a rectangle is the same west, north, east and
// south; however far the view is zoomed out or moved, it shows nothing beyond a pole and no
// more than the world's 360° across.
TEST(MapView, PixelsCoordinatesZoomDragAndTheWorldsEdges) {
    // Russia, Moscow, a few streets in London, the far south across the 180th meridian.
    const double views[][3] = {
        {90, 50, 8}, {37.6, 55.75, 400}, {-0.1276, 51.5072, 2e6}, {179.9, -70, 30}};
    for (const auto& [lon, lat, zoom] : views) {
        MapView v{{lon, lat}, zoom, 800, 500};
        SCOPED_TRACE(testing::Message() << lon << "," << lat << " x" << zoom);
        // North is up and east is right; a degree of latitude is `zoom` pixels, one of
        // longitude that narrowed by the cosine of the centre's latitude.
        const double east = zoom * std::cos(lat * std::numbers::pi / 180);
        expect_at(v, {lon, lat}, {400, 250});
        expect_at(v, {lon + 1e-3, lat + 1e-3}, {400 + east * 1e-3, 250 - zoom * 1e-3});
        for (const MapPoint p : {MapPoint{0, 0}, {799, 499}, {123.5, 321.25}})
            expect_at(v, v.to_coord(p), p);
        // Zooming, also where it stops, and dragging keep the place under the pointer.
        const MapPoint at{620, 90};
        const MapCoord under = v.to_coord(at);
        for (const double factor : {1.25, 0.8}) {
            v.zoom_at(at, factor);
            expect_at(v, under, at);
        }
        v.place(under, {600, 100});
        expect_at(v, under, {600, 100});
    }
    // Out as far as it goes, dragged towards each pole and round the world eastwards, in a
    // window of the usual shape and in a wide one: nothing beyond a pole, at most 360° across.
    for (const auto [cx, cy] : {std::array{800, 500}, std::array{2000, 400}})
        for (const MapPoint to : {MapPoint{400, 250}, {400, 2000}, {400, -2000}, {-5000, 250}}) {
            MapView v{{37.6, 55.75}, 40, cx, cy};
            v.zoom_at({620, 90}, 1e-12);
            v.place(v.to_coord({400, 250}), to);
            const auto [west, north, east, south] = edges_of(v);
            EXPECT_TRUE(north <= 90 + 1e-9 && south >= -90 - 1e-9 && east - west <= 360 + 1e-9 &&
                        std::fabs(v.center.lon) <= 180)
                << cx << "x" << cy << " to " << to.x << "," << to.y;
        }
    MapView v{{37.6, 55.75}, 40, 800, 500};
    v.zoom_at({620, 90}, 1e12);
    EXPECT_EQ(v.pixels_per_degree, 2e6) << "zooming in stops at a few streets";
    // The whole world drawn over: its four edges, whichever corner the drag started from.
    v.zoom_at({620, 90}, 1e-12);
    v.place({0, 0}, {400, 250});
    const auto [west, north, east, south] = edges_of(v);
    for (const auto [ax, ay, bx, by] : {std::array<double, 4>{0, 0, 800, 500},
                                        {800, 500, 0, 0},
                                        {0, 500, 800, 0},
                                        {800, 0, 0, 500}}) {
        const AreaFilter drawn = area_of_rectangle(v, {ax, ay}, {bx, by}).value_or(AreaFilter{});
        EXPECT_TRUE(std::fabs(drawn.west - west) < 1e-5 && std::fabs(drawn.east - east) < 1e-5);
        EXPECT_EQ((std::array{drawn.north, drawn.south}), (std::array{90.0, -90.0}));
    }
}

// Chukotka lies on both sides of the 180th meridian: its places are one cluster in the middle
// of the map, not two halves at its edges. A rectangle across that meridian cannot be four
// bounds and is refused; one on either side is taken with its own sign.
TEST(MapView, ChukotkaIsOneClusterAndARectangleAcross180IsRefused) {
    const std::vector<MapCoord> chukotka = {
        {177.5, 64.7}, {179.6, 66.1}, {-179.4, 65.9}, {-173.2, 64.4}, {200, 0}};
    const MapBounds box = *bounds_of(chukotka);
    EXPECT_EQ((std::array{box.west, box.south, box.east, box.north}),
              (std::array{177.5, 64.4, 186.8, 66.1}))
        << "the place at 200 degrees is not in the world";
    // Across Greenwich, spread round the world, or nothing: the usual way round.
    const std::vector<MapCoord> london = {{-0.5, 51.3}, {0.3, 51.7}},
                                round = {{-170, 0}, {-50, 1}, {70, 2}};
    EXPECT_EQ((std::array{bounds_of(london)->east, bounds_of(round)->west}),
              (std::array{0.3, -170.0}));
    EXPECT_FALSE(bounds_of(std::vector<MapCoord>{{0, 95}}));
    MapView v{{0, 0}, 1, 800, 500};
    v.fit(box.west, box.south, box.east, box.north);
    for (std::size_t i = 0; i + 1 < chukotka.size(); ++i) {
        const MapPoint p = v.to_pixel(chukotka[i]);
        EXPECT_TRUE(p.x > 0.04 * 800 && p.x < 0.96 * 800 && p.y > 0 && p.y < 500) << i;
    }
    const auto drawn = [&](MapCoord a, MapCoord b) {
        const auto area = area_of_rectangle(v, v.to_pixel(a), v.to_pixel(b));
        return area ? std::array{area->west, area->east} : std::array{0.0, 0.0};
    };
    EXPECT_EQ(drawn({179, 66}, {-179, 65}), (std::array{0.0, 0.0}));
    EXPECT_EQ(drawn({-178.5, 65}, {178, 66}), (std::array{0.0, 0.0})) << "drawn from the east";
    EXPECT_EQ(drawn({178, 66}, {179.5, 65}), (std::array{178.0, 179.5}));
    EXPECT_EQ(drawn({-179.5, 66}, {-178, 65}), (std::array{-179.5, -178.0}));
}

// The labels of the grid at every zoom from the whole world to a few streets, at three DPIs
// and two window sizes, measured in the dialog font at that DPI: no two touch, each lies
// within the map, and the step follows the zoom, so that at most one label of an axis (at an
// edge or a corner) is left out. The prime meridian and the equator are "0°", the 180th
// meridian "180°".
TEST(MapGrid, LabelsNeverTouchAndTheStepFollowsTheZoom) {
    AppState state = wintest::make_state(L"");
    const LabelText text = [&](double value, Axis axis, int decimals) {
        return grid_label_text(state, value, axis, decimals);
    };
    const HDC dc = CreateCompatibleDC(nullptr);
    const MeasureLabel measure = [&](const std::wstring& label) {
        SIZE size = {};
        GetTextExtentPoint32W(dc, label.c_str(), static_cast<int>(label.size()), &size);
        return LabelSize{size.cx, size.cy};
    };
    for (const int dpi : {96, 144, 192}) {
        DeleteObject(SelectObject(dc, CreateFontW(-MulDiv(8, dpi, 72), 0, 0, 0, FW_NORMAL, 0, 0, 0,
                                                  0, 0, 0, 0, 0, L"MS Shell Dlg")));
        std::set<std::wstring> seen;
        for (const auto [cx, cy] : {std::array{780, 480}, std::array{1560, 900}})
            for (const MapCoord at : {MapCoord{0, 0}, {37.6, 55.75}, {-180, 66}, {-0.1, 51.5}})
                for (double zoom = 0.5; zoom < 3e6; zoom *= 1.7) {
                    MapView v{at, zoom, cx * dpi / 96, cy * dpi / 96};
                    v.keep_in_world();
                    const MapGrid grid = layout_grid(v, dpi, text, measure);
                    SCOPED_TRACE(testing::Message()
                                 << dpi << " dpi, " << at.lon << "," << at.lat << " x" << zoom);
                    for (auto a = grid.labels.begin(); a != grid.labels.end(); ++a) {
                        seen.insert(a->text);
                        const LabelBox& r = a->box;
                        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= v.width &&
                                    r.bottom <= v.height);
                        for (auto b = grid.labels.begin(); b != a; ++b)
                            EXPECT_FALSE(r.left <= b->box.right && b->box.left <= r.right &&
                                         r.top <= b->box.bottom && b->box.top <= r.bottom)
                                << testing::PrintToString(a->text + L" " + b->text);
                    }
                    EXPECT_GE(grid.labels.size() + 2,
                              grid.meridians.size() + grid.parallels.size());
                }
        EXPECT_EQ((std::array{seen.count(L"0°"), seen.count(L"180°"), seen.count(L"0° в. д."),
                              seen.count(L"0° с. ш.")}),
                  (std::array<std::size_t, 4>{1, 1, 0, 0}));
    }
    DeleteObject(SelectObject(dc, GetStockObject(SYSTEM_FONT)));
    DeleteDC(dc);
}

// A rectangle drawn across the 180th meridian on the map of a Chukotka file: the map's line
// says why it cannot be applied and "Применить" stays off.
TEST(MapWindow, ARectangleAcross180CannotBeApplied) {
    test::TempDir dir;
    AppState state = wintest::make_state(test::to_wide_path(dir.path()) + L"\\");
    test::write_bytes(dir.file("chukotka.txt"),
                      "1,177.5,64.7,1,60,1,0\n2,179.6,66.1,1,60,1,0\n3,-179.4,65.9,1,60,1,0\n"
                      "4,-173.2,64.4,1,60,1,0\n");
    const HWND map = create_map_window(nullptr, state, {{dir.file("chukotka.txt")}});
    RECT c, line;
    GetClientRect(map, &c);
    GetWindowRect(GetDlgItem(map, IDC_MAP_STATUS), &line);
    ScreenToClient(map, reinterpret_cast<POINT*>(&line));
    // Fitted with a tenth as margin, the cluster fills the middle of the map: the meridian
    // lies at about 30 % of the width.
    SendMessageW(map, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(c.right / 8, 5));
    for (const UINT message : {WM_MOUSEMOVE, WM_LBUTTONUP})
        SendMessageW(map, message, MK_LBUTTON, MAKELPARAM(c.right * 7 / 8, line.top - 9));
    EXPECT_TRUE(wintest::window_text(GetDlgItem(map, IDC_MAP_STATUS))
                    .ends_with(L" · " + wintest::text_of(state, IDS_MAP_ACROSS_180)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(map, IDOK)));
    DestroyWindow(map);
}

}  // namespace
