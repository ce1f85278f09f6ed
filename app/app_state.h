// The Windows program's one record of shared state: the loaded file's records, the camera-type
// table, the settings kept in Orvane.ini, the module and the paths beside it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "area_filter.h"
#include "geo_point.h"
#include "records.h"

// Stored in Orvane.ini as one 40-byte block; the first 8 bytes are kept as they were read.
struct FilterBlock {
    std::uint8_t reserved[8];
    AreaFilter area;
};
static_assert(sizeof(FilterBlock) == 40);

// The driver's home, stored in Orvane.ini as one 24-byte block: the export begins with the
// objects nearest to it, so that the 6 MB cut leaves out the farthest.
struct HomeBlock {
    std::int32_t set;  // 0: no home point
    std::int32_t reserved;
    GeoPoint place;
};
static_assert(sizeof(HomeBlock) == 24);

struct AppState {
    std::wstring string_buffer;  // the last load_string result
    RecordList records;
    CameraTypeList types;
    // The windows' places and the columns' widths are kept at 96 DPI; each window scales
    // them to its monitor's DPI.
    std::int32_t window_rect[4] = {0, 0, 0, 0};
    std::int32_t map_rect[4] = {0, 0, 0, 0};  // the map window's; all zero before it was opened
    std::int32_t list1_widths[4] = {150, 50, 100, 100};
    std::int32_t list2_widths[5] = {30, 50, 50, 200, 200};
    // Of the status bar's second, third and fourth parts, in pixels at the main window's DPI;
    // the first takes the rest.
    std::int32_t status_widths[3] = {150, 200, 260};
    FilterBlock filter = {};
    std::int32_t drop_repeats = 0;  // "Убирать повторы", stored as Repeats
    HomeBlock home = {};
    // The records' list positions nearest to home first; empty without a home, when the
    // export follows the list's order.
    std::vector<std::uint32_t> export_order;
    void* instance = nullptr;  // the module handle
    std::wstring module_dir;   // ends with the path separator
    std::wstring module_path;
    std::wstring settings_path;     // empty when it could not be built
    std::wstring type_config_path;  // empty when it could not be built
};

// The home point, when one is set and lies on the earth (a damaged block may hold anything).
std::optional<GeoPoint> home_point(const AppState& state);
