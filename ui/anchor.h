// Controls that follow the main window's right and bottom edges as it grows, the window's
// minimum size, a window's saved placement, and the edges of the status bar's parts.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "app_state.h"

struct AnchorEntry {
    HWND control = nullptr;
    RECT rect = {};     // window rectangle at registration; only its size is used
    POINT origin = {};  // top-left corner at registration, in the parent's client area
    std::uint8_t keep_x = 1;
    std::uint8_t keep_width = 1;
    std::uint8_t keep_y = 1;
    std::uint8_t keep_height = 1;
};

struct AnchorLayout {
    std::vector<AnchorEntry> entries;  // in registration order
    HWND parent = nullptr;
    RECT window_rect0 = {};  // the parent as created from its template
    RECT client_rect0 = {};  // growth is measured from this client size
    // The smallest window the user can drag to: the template's size unless the owner allows
    // less. The controls that widen with the window narrow with it below the template.
    SIZE min_size = {};
};

// Takes the parent's present rectangles as the reference and its minimum size, and empties
// the table; call it before the window is moved to its saved placement.
void anchor_begin(AnchorLayout& layout, HWND parent);

// The reference rectangles, the minimum size and every registered control's rectangle at
// another DPI, as the parent's template would give them there.
void anchor_rescale(AnchorLayout& layout, int from_dpi, int to_dpi);

// Registers a control at its present place. False (and the control stays where it is) when
// the table cannot grow.
bool anchor_add(AnchorLayout& layout, HWND control, bool keep_width, bool keep_y, bool keep_height);

// Places every registered control from its registered rectangle plus the growth of the
// parent's client area beyond the reference size; a smaller window counts as no growth.
void anchor_relayout(const AnchorLayout& layout);

// The smallest window size the user can drag to.
void anchor_min_track_size(const AnchorLayout& layout, MINMAXINFO& info);

// A window rectangle moved, and shrunk where it is larger, into the work area; never below
// min_size, and when even that is larger, at the work area's top-left corner, so that the
// title bar stays within reach.
RECT fit_into(const RECT& window, const RECT& work, SIZE min_size);

// Moves a window to its saved rectangle (left, top, right, bottom, at 96 DPI) scaled to `dpi`:
// never smaller than the template, centred on an axis whose saved coordinate is -500 or less
// (where a minimised window is parked), and inside the work area of the monitor nearest to it.
void place_window(HWND window, const std::int32_t (&saved)[4], const RECT& template_rect,
                  SIZE min_size, int dpi);

// The window's present rectangle fitted into the work area of the monitor nearest to it.
void keep_on_screen(HWND window, SIZE min_size);

// The window's rectangle as it is kept in Orvane.ini: at 96 DPI.
void store_placement(HWND window, std::int32_t (&saved)[4], int dpi);

// Right edges of the status bar's parts: the first takes what the others leave.
struct StatusParts {
    std::vector<int> edges;
    RECT client = {};  // the status bar's client rectangle at the last update
    int dpi = 96;      // of the window the status bar is in
};

void status_parts_update(StatusParts& parts, HWND status_bar, const AppState& state);

// Widens the parts after the first to the texts they show now, in the status bar's own font
// and never below their first widths at the DPI, then lays the parts out again.
void status_parts_fit(StatusParts& parts, HWND status_bar, AppState& state);
