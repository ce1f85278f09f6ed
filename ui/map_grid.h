// The degree grid of the map and its labels: a step that follows the zoom so that the labels
// fit between their lines, and no label that would touch another.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "map_view.h"

enum class Axis { Longitude, Latitude };

struct LabelBox {
    int left, top, right, bottom;
};
struct GridLabel {
    std::wstring text;
    LabelBox box;  // in the drawing area's pixels
};

struct MapGrid {
    std::vector<int> meridians;  // x of each line of longitude in the view
    std::vector<int> parallels;  // y of each line of latitude
    std::vector<GridLabel> labels;
};

// The text of a line's label: degrees within [-180, 180] on the given axis, 0 and 180 exactly
// for the lines that belong to neither side, with the given number of decimals.
using LabelText = std::function<std::wstring(double degrees, Axis axis, int decimals)>;
// The size of a text in pixels, in the font the labels are drawn in.
struct LabelSize {
    int cx, cy;
};
using MeasureLabel = std::function<LabelSize(const std::wstring& text)>;

// Meridians are labelled along the top edge, right of their line; parallels along the left
// edge, above theirs. `dpi` sets the spacing and the margins.
MapGrid layout_grid(const MapView& view, int dpi, const LabelText& text,
                    const MeasureLabel& measure);
