#include "map_view.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <numbers>

#include "text_format.h"

namespace {

// From a view of the whole world to a few streets.
constexpr double kMinScale = 0.5, kMaxScale = 2e6;
// The cosine narrows towards the poles; the view's centre stays where it still draws sanely.
constexpr double kMaxCenterLatitude = 85;

double x_scale(const MapView& v) {
    return v.pixels_per_degree * std::cos(v.center.lat * std::numbers::pi / 180);
}

// A coordinate as the filter dialog keeps what it shows: "%f" read back by wcstod.
double as_typed(double value) {
    const auto text = format_string(L"%f", value);
    return text ? std::wcstod(text->c_str(), nullptr) : value;
}

}  // namespace

MapPoint MapView::to_pixel(MapCoord c) const {
    return {width / 2.0 + (c.lon - center.lon) * x_scale(*this),
            height / 2.0 - (c.lat - center.lat) * pixels_per_degree};
}

MapCoord MapView::to_coord(MapPoint p) const {
    return {center.lon + (p.x - width / 2.0) / x_scale(*this),
            center.lat - (p.y - height / 2.0) / pixels_per_degree};
}

void MapView::fit(double west, double south, double east, double north) {
    center = {(west + east) / 2,
              std::clamp((south + north) / 2, -kMaxCenterLatitude, kMaxCenterLatitude)};
    const double cos_lat = std::cos(center.lat * std::numbers::pi / 180);
    // A tenth of the area is left as a margin; a single point gets a view of a few degrees.
    const double span_x = std::max((east - west) * cos_lat, 0.01) * 1.1;
    const double span_y = std::max(north - south, 0.01) * 1.1;
    pixels_per_degree = std::clamp(std::min(width / span_x, height / span_y), kMinScale, kMaxScale);
}

void MapView::place(MapCoord c, MapPoint at) {
    // The latitude first: the longitudes' scale follows from the new centre's latitude.
    center.lat = std::clamp(c.lat + (at.y - height / 2.0) / pixels_per_degree, -kMaxCenterLatitude,
                            kMaxCenterLatitude);
    center.lon = c.lon - (at.x - width / 2.0) / x_scale(*this);
}

void MapView::zoom_at(MapPoint at, double factor) {
    const MapCoord under = to_coord(at);
    pixels_per_degree = std::clamp(pixels_per_degree * factor, kMinScale, kMaxScale);
    place(under, at);
}

AreaFilter area_of_rectangle(const MapView& view, MapPoint a, MapPoint b) {
    // Within the world, so that every corner fits the dialog's edits of 11 characters.
    const auto lon = [](double v) { return as_typed(std::clamp(v, -180.0, 180.0)); };
    const auto lat = [](double v) { return as_typed(std::clamp(v, -90.0, 90.0)); };
    const MapCoord p = view.to_coord(a), q = view.to_coord(b);
    return {lon(std::min(p.lon, q.lon)), lat(std::max(p.lat, q.lat)), lon(std::max(p.lon, q.lon)),
            lat(std::min(p.lat, q.lat))};
}
