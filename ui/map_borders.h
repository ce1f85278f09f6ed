// The country borders under the map: polylines of longitude/latitude pairs kept as resources,
// one generalised for the whole world and one finer for a country or a region.
#pragma once

#include <span>
#include <vector>

#include "map_view.h"

struct BorderLine {
    std::vector<MapCoord> points;
    double west = 0, south = 0, east = 0, north = 0;  // the box around the points
};

// Decodes a borders resource ("OVB2", a count, then per polyline a LEB128 point count, the
// first point as int16 pairs in hundredths of a degree and the others as zigzag LEB128 steps
// from the one before). A damaged or cut resource gives the polylines read before the damage.
std::vector<BorderLine> decode_map_borders(std::span<const unsigned char> bytes);
