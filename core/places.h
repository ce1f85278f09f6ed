// Places on the earth: where an object lies, and how far apart two places are.
#pragma once

#include <string>

#include "geo_point.h"
#include "records.h"

// The sphere of the earth's mean radius; on it a great circle and the straight line between two
// places 10 m apart differ by less than a micrometre.
constexpr double kEarthRadiusMetres = 6'371'008.8;

// Within -180..180 and -90..90, and no NaN: a text such as "3000" or "-" is not a place.
bool on_earth(GeoPoint p);

// Along the great circle, in metres; both must be on the earth.
double distance_metres(GeoPoint a, GeoPoint b);

// Distances from one place. Comparing them needs less than the distance itself, so the
// measure that orders places by their distance is a number of its own.
class DistanceFrom {
  public:
    explicit DistanceFrom(GeoPoint home);
    // Grows with the distance from home along the great circle; +infinity for a point that is
    // no place on the earth, which thus comes after every place.
    double measure(GeoPoint p) const;
    // The distance in metres that a measure stands for.
    static double metres(double measure);

  private:
    GeoPoint home_;
    double cos_lat_;
};

// The place of an object, read from its coordinate texts as the area filter reads them.
GeoPoint place_of(const SpeedcamRecord& record);

// A distance in kilometres, rounded up so that every object lies within it: whole ones from
// 10 km, tenths below, with `point` before the tenth ("850", "2.5").
std::string kilometres_text(double metres, char point);
