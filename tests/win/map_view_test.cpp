// The map's projection: pixels to coordinates and back at several zooms, the zoom and the
// drag keeping the place under the pointer, and a drawn rectangle whichever way it was drawn.
// That the rectangle is what the filter dialog stores for its corners typed in again, on a map
// fitted to the file's objects, is for the main window's test of the filter and the map.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>

#include "map_view.h"

namespace {

void expect_at(const MapView& v, MapCoord c, MapPoint p) {
    EXPECT_NEAR(v.to_pixel(c).x, p.x, 1e-6);
    EXPECT_NEAR(v.to_pixel(c).y, p.y, 1e-6);
}

// Drawn from any corner to the opposite one, a rectangle is the same west, north, east and
// south; beyond the world its corners are held at the edges, which the filter dialog's edits
// can hold.
TEST(MapView, PixelsCoordinatesZoomDragAndRectangles) {
    // The whole world, Russia, Moscow, a few streets in London, the far south.
    const double views[][3] = {
        {0, 0, 0.5}, {90, 60, 8}, {37.6, 55.75, 400}, {-0.1276, 51.5072, 2e6}, {170, -80, 30}};
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
    MapView v{{37.6, 55.75}, 40, 800, 500};
    v.zoom_at({620, 90}, 1e12);
    EXPECT_EQ(v.pixels_per_degree, 2e6) << "zooming in stops at a few streets";
    v.zoom_at({620, 90}, 1e-12);
    EXPECT_EQ(v.pixels_per_degree, 0.5) << "zooming out stops at the whole world";
    for (const auto [ax, ay, bx, by] : {std::array<double, 4>{0, 0, 800, 500},
                                        {800, 500, 0, 0},
                                        {0, 500, 800, 0},
                                        {800, 0, 0, 500}}) {
        const AreaFilter drawn = area_of_rectangle(v, {ax, ay}, {bx, by});
        EXPECT_EQ((std::array{drawn.west, drawn.north, drawn.east, drawn.south}),
                  (std::array{-180.0, 90.0, 180.0, -90.0}));
    }
    v.fit(27.5, 41.2, 49.8, 60.1);  // shows the whole box with a margin
    for (const MapPoint p : {v.to_pixel({27.5, 60.1}), v.to_pixel({49.8, 41.2})})
        EXPECT_TRUE(p.x > 0 && p.x < 800 && p.y > 0 && p.y < 500) << p.x << "," << p.y;
    // Beyond 85° the centre is held there; the view stays finite.
    v.place({0, 89.9}, {400, 250});
    EXPECT_EQ(v.center.lat, 85);
}

}  // namespace
