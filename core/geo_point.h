// A place on the earth in decimal degrees.
#pragma once

struct GeoPoint {
    double lon = 0;  // east positive
    double lat = 0;  // north positive
};
