// Sizes at the screen's DPI. The program is per-monitor DPI aware: every size it sets in pixels
// is given at 96 DPI and scaled to the DPI of the window it is for, and what it keeps in
// Orvane.ini is scaled back to 96 DPI, so that a file written on one screen reads right on
// another. The calls of newer Windows versions are looked up at run time; without them the
// system DPI stands for every window.
#pragma once

#include <windows.h>

constexpr int kBaseDpi = 96;

// The DPI of the monitor the window is on.
int window_dpi(HWND window);

// A size at 96 DPI at `dpi`, and back; halves round away from zero.
inline int scale_to(int value, int dpi) {
    return MulDiv(value, dpi, kBaseDpi);
}
inline int scale_from(int value, int dpi) {
    return MulDiv(value, kBaseDpi, dpi);
}

// GetSystemMetrics at `dpi` rather than at the system's DPI.
int system_metric(int index, int dpi);

// The dialog manager of Windows 10 rescales a dialog's fonts and controls by itself when the
// DPI changes; the windows that lay themselves out stop it and do the same with their own
// layout.
void keep_dialog_layout_own(HWND dialog);

// Gives every control of the dialog the dialog's font (made from its template at
// `created_dpi`) as it is at `dpi`. Returns that font, which the caller keeps while the
// controls use it, or null when the dialog's own font was set (at the DPI it was made for, or
// when no other could be made).
HFONT set_controls_font(HWND dialog, int created_dpi, int dpi);

// Moves and sizes every control of the dialog by the ratio of the two DPIs, keeping its place
// relative to the client area's corner.
void rescale_controls(HWND dialog, int from_dpi, int to_dpi);

// The work area (the screen less the taskbar) of the monitor nearest to the rectangle.
RECT work_area_near(const RECT& rect);
