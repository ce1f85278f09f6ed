// What part of the map a window shows: a plain equirectangular view whose longitudes are
// narrowed by the cosine of the latitude at its centre, so that the shapes near the centre keep
// their proportions. Pixels count from the top-left corner of the drawing area.
#pragma once

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

    MapPoint to_pixel(MapCoord c) const;
    MapCoord to_coord(MapPoint p) const;

    // Shows the whole of the box (west, south, east, north) in the drawing area, with a margin.
    void fit(double west, double south, double east, double north);
    // Zooms by `factor`, keeping the place under `at` where it is.
    void zoom_at(MapPoint at, double factor);
    // Moves the view so that the place `c` comes to lie under `at`: a drag keeps the point it
    // took hold of under the pointer.
    void place(MapCoord c, MapPoint at);
};

// The area filter for a rectangle drawn between two corners, whichever way it was drawn: the
// values the filter dialog would store if the user typed the corners as it shows them (six
// decimals), so that both ways of setting the area give the same filter.
AreaFilter area_of_rectangle(const MapView& view, MapPoint a, MapPoint b);
