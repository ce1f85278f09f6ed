#include "map_grid.h"

#include <algorithm>
#include <cmath>

namespace {

// Grid steps in degrees, the finest first.
constexpr double kSteps[] = {0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1, 0.2, 0.5,
                             1,     2,     5,     10,   15,   30,   45,  90};
// At 96 DPI: the least distance between two lines, and the room between a label and its line,
// the edge or another label.
constexpr int kSpacing = 60, kPad = 3;

int at_dpi(int value, int dpi) {
    return static_cast<int>(std::lround(value * dpi / 96.0));
}

// Just enough decimals to tell the lines apart.
int decimals_of(double step) {
    return step >= 1 ? 0 : step >= 0.1 ? 1 : step >= 0.01 ? 2 : 3;
}

// The whole multiples of `step` from `low` to `high`; a multiple, not a sum of steps, so that
// no error adds up along the way.
std::vector<double> lines_between(double low, double high, double step) {
    std::vector<double> out;
    for (double k = std::ceil(low / step); k * step <= high; ++k) out.push_back(k * step);
    return out;
}

// What a line's label says: longitudes east of 180° go on from -180°; the lines at 0° and 180°
// are exactly that, not the rounding error of the sum that reached them.
double label_degrees(double value, double step, Axis axis) {
    const double v = axis == Axis::Longitude ? std::remainder(value, 360.0) : value;
    if (std::fabs(v) < step / 2) return 0;
    if (axis == Axis::Longitude && std::fabs(v) > 180 - step / 2) return 180;
    return v;
}

bool touch(const LabelBox& a, const LabelBox& b, int gap) {
    return a.left < b.right + gap && b.left < a.right + gap && a.top < b.bottom + gap &&
           b.top < a.bottom + gap;
}

struct Line {
    int pixel;
    std::wstring text;
    LabelSize size;
};

// The lines of one axis at `step`, with their labels.
std::vector<Line> lines_of(const MapView& v, Axis axis, double step, const LabelText& text,
                           const MeasureLabel& measure) {
    const MapCoord top_left = v.to_coord({0, 0});
    const MapCoord bottom_right = v.to_coord({1.0 * v.width, 1.0 * v.height});
    const bool lon = axis == Axis::Longitude;
    std::vector<Line> out;
    for (const double value : lon ? lines_between(top_left.lon, bottom_right.lon, step)
                                  : lines_between(std::max(bottom_right.lat, -90.0),
                                                  std::min(top_left.lat, 90.0), step)) {
        const MapPoint p = v.to_pixel_as_is(lon ? MapCoord{value, 0} : MapCoord{0, value});
        std::wstring label = text(label_degrees(value, step, axis), axis, decimals_of(step));
        const LabelSize size = measure(label);
        out.push_back({static_cast<int>(std::lround(lon ? p.x : p.y)), std::move(label), size});
    }
    return out;
}

}  // namespace

MapGrid layout_grid(const MapView& v, int dpi, const LabelText& text, const MeasureLabel& measure) {
    const int spacing = at_dpi(kSpacing, dpi), pad = at_dpi(kPad, dpi);
    // Meridians: the finest step whose labels fit between their lines, with room on each side.
    std::vector<Line> meridians;
    for (const double step : kSteps) {
        if (step * v.x_scale() < spacing && step != kSteps[std::size(kSteps) - 1]) continue;
        meridians = lines_of(v, Axis::Longitude, step, text, measure);
        int widest = 0;
        for (const Line& m : meridians) widest = std::max(widest, m.size.cx);
        if (step * v.x_scale() >= widest + 2 * pad) break;
    }
    // Parallels: their labels are one line high, far less than the spacing.
    double lat_step = kSteps[std::size(kSteps) - 1];
    for (const double step : kSteps)
        if (step * v.pixels_per_degree >= spacing) {
            lat_step = step;
            break;
        }
    const std::vector<Line> parallels = lines_of(v, Axis::Latitude, lat_step, text, measure);

    MapGrid grid;
    const auto place = [&](const Line& line, LabelBox box) {
        if (box.left < 0 || box.top < 0 || box.right > v.width - pad || box.bottom > v.height)
            return;
        for (const GridLabel& kept : grid.labels)
            if (touch(kept.box, box, pad)) return;
        grid.labels.push_back({line.text, box});
    };
    for (const Line& m : meridians) {
        grid.meridians.push_back(m.pixel);
        place(m, {m.pixel + pad, pad, m.pixel + pad + m.size.cx, pad + m.size.cy});
    }
    for (const Line& p : parallels) {
        grid.parallels.push_back(p.pixel);
        place(p, {pad, p.pixel - pad - p.size.cy, pad + p.size.cx, p.pixel - pad});
    }
    return grid;
}
