// Turns one speedcam line into a record, applies the area filter and appends it to the list.
#pragma once

#include <cstdint>
#include <string_view>

#include "app_state.h"

// The line comes without its line end. A zero unit inside it ends it there. Lines that are
// not objects (headers, comments, malformed rows) are dropped silently.
void parse_speedcam_line(AppState& state, std::wstring_view line, InputFormat format);

// Decimal conversion of a numeric column: optional '-', then digits up to the first other
// character; no digits gives 0; out-of-range values give the nearest 32-bit limit.
std::int32_t column_to_int(std::wstring_view text);

// Coordinate text to number for the area filter: the longest prefix that reads as a decimal
// number, classic locale; no number gives 0.0.
double coordinate_to_double(std::wstring_view text);
