// The country borders under the map: polylines of longitude/latitude pairs kept as a resource.
#pragma once

#include <span>
#include <vector>

struct LonLat {
    double lon = 0;
    double lat = 0;
};

// Decodes the borders resource ("OVB1", a count, then per polyline a count and int16 pairs in
// hundredths of a degree). A damaged or cut resource gives the polylines read before the damage.
std::vector<std::vector<LonLat>> decode_map_borders(std::span<const unsigned char> bytes);
