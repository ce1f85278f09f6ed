// What part of the map a window shows: a plain equirectangular view whose longitudes are
// narrowed by the cosine of the latitude at its centre, so that the shapes near the centre keep
// their proportions. Pixels count from the top-left corner of the drawing area. Longitudes go
// round: east of 180° the map goes on at -180°, so that a place on either side of the 180th
// meridian (Chukotka) shows as one.
#pragma once

#include <optional>
#include <span>

#include "area_filter.h"

struct MapPoint {
    double x;
    double y;
};
struct MapCoord {
    double lon;
    double lat;
};

struct MapView {
    MapCoord center{0, 0};
    double pixels_per_degree = 1;  // of latitude
    int width = 1;                 // of the drawing area
    int height = 1;

    // Pixels per degree of longitude.
    double x_scale() const;
    // Where the place is shown: the one of its copies 360° apart nearest to the centre.
    MapPoint to_pixel(MapCoord c) const;
    // The same for a longitude taken as it is, for lines that must not be split.
    MapPoint to_pixel_as_is(MapCoord c) const;
    // Longitudes run on across the view, past ±180° where the view spans that meridian.
    MapCoord to_coord(MapPoint p) const;

    // Shows the whole of the box (west, south, east, north) in the drawing area, with a margin;
    // east may lie beyond 180° for a box across that meridian.
    void fit(double west, double south, double east, double north);
    // Zooms by `factor`, keeping the place under `at` where it is.
    void zoom_at(MapPoint at, double factor);
    // Moves the view so that the place `c` comes to lie under `at`: a drag keeps the point it
    // took hold of under the pointer.
    void place(MapCoord c, MapPoint at);
    // Holds the view inside the world: no band beyond a pole and never more than 360° of
    // longitude across the drawing area, however far it is zoomed out or moved; the centre's
    // longitude is kept within [-180°, 180°].
    void keep_in_world();
};

// The smallest box that holds every place, west to east the short way round: for places on
// both sides of the 180th meridian east lies beyond 180°. Places outside the world's
// coordinates are left out; none gives nothing.
struct MapBounds {
    double west, south, east, north;
};
std::optional<MapBounds> bounds_of(std::span<const MapCoord> places);

// The area filter for a rectangle drawn between two corners, whichever way it was drawn: the
// values the filter dialog would store if the user typed the corners as it shows them (six
// decimals), so that both ways of setting the area give the same filter. Nothing for a
// rectangle across the 180th meridian, which four bounds cannot describe.
std::optional<AreaFilter> area_of_rectangle(const MapView& view, MapPoint a, MapPoint b);
