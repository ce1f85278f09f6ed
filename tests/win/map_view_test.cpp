// The map's projection: pixels to coordinates and back at several zooms and latitudes, the
// zoom and the drag keeping their place, and a drawn rectangle as the filter dialog keeps it.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>

#include "map_view.h"

namespace {

MapView view_of(MapCoord center, double pixels_per_degree) {
    MapView v;
    v.center = center;
    v.pixels_per_degree = pixels_per_degree;
    v.width = 800;
    v.height = 500;
    return v;
}

double typed(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%f", value);
    return std::strtod(text, nullptr);
}

TEST(MapView, PixelsAndCoordinatesAtSeveralZooms) {
    struct Case {
        MapCoord center;
        double zoom;
    };
    // The whole world, Russia, Moscow, a few streets in London, the far north-east.
    for (const Case c : {Case{{0, 0}, 0.5}, Case{{90, 60}, 8}, Case{{37.6, 55.75}, 400},
                         Case{{-0.1276, 51.5072}, 2e6}, Case{{170, -80}, 30}}) {
        const MapView v = view_of(c.center, c.zoom);
        SCOPED_TRACE(testing::Message() << c.center.lon << "," << c.center.lat << " x" << c.zoom);
        const MapPoint middle = v.to_pixel(c.center);
        EXPECT_DOUBLE_EQ(middle.x, 400);
        EXPECT_DOUBLE_EQ(middle.y, 250);
        for (const MapPoint p : {MapPoint{0, 0}, MapPoint{799, 499}, MapPoint{123.5, 321.25}}) {
            const MapPoint back = v.to_pixel(v.to_coord(p));
            EXPECT_NEAR(back.x, p.x, 1e-6);
            EXPECT_NEAR(back.y, p.y, 1e-6);
        }
        // North is up and east is right; one degree of latitude is `zoom` pixels.
        const MapPoint north_east = v.to_pixel({c.center.lon + 1e-3, c.center.lat + 1e-3});
        EXPECT_GT(north_east.x, 400);
        EXPECT_NEAR(250 - north_east.y, c.zoom * 1e-3, 1e-9 * c.zoom);
    }
    // Longitudes are narrowed by the cosine of the centre's latitude: at 60° by half.
    const MapView north = view_of({30, 60}, 100);
    EXPECT_NEAR(north.to_pixel({31, 60}).x - 400, 50, 1e-9);
    // Beyond 85° the centre is held there; the view stays finite.
    MapView pole = view_of({0, 0}, 10);
    pole.place({0, 89.9}, {400, 250});
    EXPECT_EQ(pole.center.lat, 85);
}

TEST(MapView, ZoomAndDragKeepThePlaceUnderThePointer) {
    MapView v = view_of({37.6, 55.75}, 40);
    const MapPoint at{620, 90};
    const MapCoord under = v.to_coord(at);
    for (const double factor : {1.25, 1.25, 0.8, 1e12}) {
        v.zoom_at(at, factor);
        const MapCoord now = v.to_coord(at);
        EXPECT_NEAR(now.lon, under.lon, 1e-7);
        EXPECT_NEAR(now.lat, under.lat, 1e-7);
    }
    EXPECT_EQ(v.pixels_per_degree, 2e6) << "zooming in stops at a few streets";
    v.zoom_at(at, 1e-12);
    EXPECT_EQ(v.pixels_per_degree, 0.5) << "zooming out stops at the whole world";
    // A drag holds the place it took hold of under the pointer.
    v = view_of({37.6, 55.75}, 40);
    const MapCoord grabbed = v.to_coord({100, 100});
    v.place(grabbed, {300, 260});
    EXPECT_NEAR(v.to_pixel(grabbed).x, 300, 1e-7);
    EXPECT_NEAR(v.to_pixel(grabbed).y, 260, 1e-7);
    // Fitting shows the whole box with a margin.
    v.fit(27.5, 41.2, 49.8, 60.1);
    for (const MapCoord corner : {MapCoord{27.5, 60.1}, MapCoord{49.8, 41.2}}) {
        const MapPoint p = v.to_pixel(corner);
        EXPECT_TRUE(p.x > 0 && p.x < 800 && p.y > 0 && p.y < 500) << p.x << "," << p.y;
    }
}

TEST(MapView, RectangleIsWhatTheFilterDialogStoresForItsCorners) {
    const MapView v = view_of({37.6, 55.75}, 250);
    const MapPoint a{180.25, 90.5}, b{611, 402};
    const MapCoord nw = v.to_coord(a), se = v.to_coord(b);
    const AreaFilter typed_in{typed(nw.lon), typed(nw.lat), typed(se.lon), typed(se.lat)};
    // Drawn from any corner to the opposite one, it is the same west, north, east and south.
    for (const auto& [from, to] : {std::pair{a, b}, std::pair{b, a}, std::pair{MapPoint{a.x, b.y},
                                                                            MapPoint{b.x, a.y}}}) {
        const AreaFilter drawn = area_of_rectangle(v, from, to);
        EXPECT_EQ((std::array{drawn.west, drawn.north, drawn.east, drawn.south}),
                  (std::array{typed_in.west, typed_in.north, typed_in.east, typed_in.south}));
    }
    // Beyond the world the corners are held at its edges, which the dialog's edits can hold.
    const AreaFilter world = area_of_rectangle(view_of({0, 0}, 0.5), {0, 0}, {800, 500});
    EXPECT_EQ((std::array{world.west, world.north, world.east, world.south}),
              (std::array{-180.0, 90.0, 180.0, -90.0}));
}

}  // namespace
