// The program's one record of shared state, and the small enumerations that travel with it.
#pragma once

#include <cstdint>
#include <string>

#include "records.h"

enum class InputFormat : int { Navitel = 0, Igo = 1 };
enum class TextEncoding : int { Utf16 = 0, Utf8 = 1, Ansi = 2 };

// The area filter is in force only when all four bounds are non-zero (a NaN counts as non-zero).
struct AreaFilter {
    double west;
    double north;
    double east;
    double south;
};

// Stored in Orvane.ini as one 40-byte block; the first 8 bytes are kept as they were read.
struct FilterBlock {
    std::uint8_t reserved[8];
    AreaFilter area;
};
static_assert(sizeof(FilterBlock) == 40);

struct AppState {
    std::wstring string_buffer;  // the last load_string result
    RecordList records;
    CameraTypeList types;
    std::int32_t window_rect[4] = {0, 0, 0, 0};
    std::int32_t list1_widths[4] = {150, 50, 100, 100};
    std::int32_t list2_widths[5] = {30, 50, 50, 200, 200};
    std::int32_t status_widths[2] = {150, 200};
    FilterBlock filter = {};
    void* instance = nullptr;  // the module handle on Windows
    std::wstring module_dir;   // ends with the path separator
    std::wstring module_path;
    std::wstring settings_path;     // empty when it could not be built
    std::wstring type_config_path;  // empty when it could not be built
};

bool area_filter_on(const AreaFilter& filter);
