// Dialog 135: every object of the current file on a map of the country borders, with the area
// filter's rectangle, and a new rectangle the user draws with the mouse.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "app_state.h"
#include "formats.h"
#include "map_grid.h"

// The files the map shows, read the way the main window reads them but without the area
// filter, so that the objects outside the present area show too.
struct MapSource {
    std::vector<std::wstring> paths;
    TextEncoding encoding = TextEncoding::Utf8;
    InputFormat format = InputFormat::Navitel;
};

// True when the area filter was set from the drawn rectangle or switched off; the caller then
// reads the files again, as after the filter dialog. False when the user cancelled. A home
// point set or taken away with the map stays so either way.
bool run_map_window(HWND owner, AppState& state, const MapSource& source);
// The same window without a loop of its own, for tests and benchmarks.
HWND create_map_window(HWND owner, AppState& state, const MapSource& source);

// A grid line's label as the map shows it: "37,5° в. д.", "0°".
std::wstring grid_label_text(AppState& state, double degrees, Axis axis, int decimals);
