#include "map_view.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <numbers>
#include <vector>

#include "text_format.h"

namespace {

// At most a few streets across.
constexpr double kMaxScale = 2e6;
// The cosine narrows towards the poles; the view's centre stays where it still draws sanely.
constexpr double kMaxCenterLatitude = 85;

double cos_deg(double degrees) {
    return std::cos(degrees * std::numbers::pi / 180);
}

// A coordinate as the filter dialog keeps what it shows: "%f" read back by wcstod.
double as_typed(double value) {
    const auto text = format_string(L"%f", value);
    return text ? std::wcstod(text->c_str(), nullptr) : value;
}

bool in_world(const MapCoord& c) {
    return std::fabs(c.lon) <= 180 && std::fabs(c.lat) <= 90;
}

}  // namespace

double MapView::x_scale() const {
    return pixels_per_degree * cos_deg(center.lat);
}

MapPoint MapView::to_pixel(MapCoord c) const {
    return to_pixel_as_is({center.lon + std::remainder(c.lon - center.lon, 360.0), c.lat});
}

MapPoint MapView::to_pixel_as_is(MapCoord c) const {
    return {width / 2.0 + (c.lon - center.lon) * x_scale(),
            height / 2.0 - (c.lat - center.lat) * pixels_per_degree};
}

MapCoord MapView::to_coord(MapPoint p) const {
    return {center.lon + (p.x - width / 2.0) / x_scale(),
            center.lat - (p.y - height / 2.0) / pixels_per_degree};
}

void MapView::keep_in_world() {
    // The latitudes from pole to pole at least fill the height, and 360° of longitude the
    // width at the equator.
    const double fewest = std::max(height / 180.0, width / 360.0);
    pixels_per_degree = std::clamp(pixels_per_degree, fewest, kMaxScale);
    const double half = height / (2 * pixels_per_degree);
    center.lat = std::clamp(center.lat, std::max(-kMaxCenterLatitude, half - 90),
                            std::min(kMaxCenterLatitude, 90 - half));
    // Away from the equator the longitudes narrow; zoom in until 360° fill the width.
    if (width / x_scale() > 360) pixels_per_degree = width / (360 * cos_deg(center.lat));
    center.lon = std::remainder(center.lon, 360.0);
}

void MapView::fit(double west, double south, double east, double north) {
    center = {(west + east) / 2,
              std::clamp((south + north) / 2, -kMaxCenterLatitude, kMaxCenterLatitude)};
    // A tenth of the area is left as a margin; a single point gets a view of a few degrees.
    const double span_x = std::max((east - west) * cos_deg(center.lat), 0.01) * 1.1;
    const double span_y = std::max(north - south, 0.01) * 1.1;
    pixels_per_degree = std::min(width / span_x, height / span_y);
    keep_in_world();
}

void MapView::place(MapCoord c, MapPoint at) {
    // The latitude first: the longitudes' scale follows from the new centre's latitude.
    center.lat = std::clamp(c.lat + (at.y - height / 2.0) / pixels_per_degree, -kMaxCenterLatitude,
                            kMaxCenterLatitude);
    center.lon = c.lon - (at.x - width / 2.0) / x_scale();
    keep_in_world();
}

void MapView::zoom_at(MapPoint at, double factor) {
    const MapCoord under = to_coord(at);
    pixels_per_degree *= factor;
    keep_in_world();
    place(under, at);
}

std::optional<MapBounds> bounds_of(std::span<const MapCoord> places) {
    std::vector<double> lons;
    double south = 90, north = -90;
    for (const MapCoord& c : places) {
        if (!in_world(c)) continue;
        lons.push_back(c.lon);
        south = std::min(south, c.lat), north = std::max(north, c.lat);
    }
    if (lons.empty()) return std::nullopt;
    std::sort(lons.begin(), lons.end());
    // The widest gap between neighbours, going round: when it is not the one across the
    // 180th meridian, the places reach across that meridian.
    const double across_180 = lons.front() + 360 - lons.back();
    std::size_t after = 0;
    double widest = across_180;
    for (std::size_t i = 1; i < lons.size(); ++i)
        if (lons[i] - lons[i - 1] > widest) widest = lons[i] - lons[i - 1], after = i;
    if (after == 0) return MapBounds{lons.front(), south, lons.back(), north};
    return MapBounds{lons[after], south, lons[after - 1] + 360, north};
}

std::optional<AreaFilter> area_of_rectangle(const MapView& view, MapPoint a, MapPoint b) {
    const MapCoord p = view.to_coord(a), q = view.to_coord(b);
    // The west edge within [-180°, 180°); an east edge beyond 180° then lies across it.
    const double turns = std::floor((std::min(p.lon, q.lon) + 180) / 360);
    const double west = std::min(p.lon, q.lon) - 360 * turns;
    const double east = std::max(p.lon, q.lon) - 360 * turns;
    if (east > 180) return std::nullopt;
    // Within the world, so that every corner fits the dialog's edits of 11 characters.
    const auto lat = [](double v) { return as_typed(std::clamp(v, -90.0, 90.0)); };
    return AreaFilter{as_typed(west), lat(std::max(p.lat, q.lat)), as_typed(east),
                      lat(std::min(p.lat, q.lat))};
}
