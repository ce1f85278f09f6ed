#include "places.h"

#include <cmath>
#include <limits>
#include <numbers>

#include "parser.h"

namespace {

constexpr double kRadians = std::numbers::pi / 180;

}  // namespace

bool on_earth(GeoPoint p) {
    return std::fabs(p.lon) <= 180 && std::fabs(p.lat) <= 90;
}

double distance_metres(GeoPoint a, GeoPoint b) {
    return DistanceFrom::metres(DistanceFrom(a).measure(b));
}

DistanceFrom::DistanceFrom(GeoPoint home) : home_(home), cos_lat_(std::cos(home.lat * kRadians)) {}

double DistanceFrom::measure(GeoPoint p) const {
    if (!on_earth(p)) return std::numeric_limits<double>::infinity();
    // The haversine keeps its precision for places a few metres apart, where the law of
    // cosines loses it.
    const double s = std::sin((p.lat - home_.lat) * kRadians / 2);
    const double t = std::sin((p.lon - home_.lon) * kRadians / 2);
    return s * s + cos_lat_ * std::cos(p.lat * kRadians) * t * t;
}

double DistanceFrom::metres(double measure) {
    return 2 * kEarthRadiusMetres * std::asin(std::sqrt(std::fmin(measure, 1.0)));
}

GeoPoint place_of(const SpeedcamRecord& record) {
    return {coordinate_to_double(record.x_text), coordinate_to_double(record.y_text)};
}

std::string kilometres_text(double metres, char point) {
    const double tenths = std::ceil(std::fmax(metres, 0.0) / 100 - 1e-9);
    if (tenths >= 100) return std::to_string(static_cast<long long>(std::ceil(tenths / 10)));
    const auto whole = static_cast<long long>(tenths) / 10,
               tenth = static_cast<long long>(tenths) % 10;
    return std::to_string(whole) + point + std::to_string(tenth);
}
