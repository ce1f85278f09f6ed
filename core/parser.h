// Turns one speedcam line into a record, applies the area filter and appends it to the list.
#pragma once

#include <string>
#include <string_view>

#include "app_state.h"

// The line comes without its line end. A zero unit inside it ends it there. Lines that are
// not objects (headers, comments, malformed rows) are dropped silently.
void parse_speedcam_line(AppState& state, std::wstring_view line, InputFormat format);

// The same for a line of UTF-8 or ANSI bytes, with the same result as decoding the line first.
// The columns are ASCII in every such encoding, so only the comment is decoded, into
// `scratch`, which the caller keeps from line to line so that a comment costs no allocation.
void parse_speedcam_bytes(AppState& state, std::string_view line, InputFormat format,
                          TextEncoding encoding, std::wstring& scratch);

// Coordinate text to number for the area filter: the longest prefix that reads as a decimal
// number, classic locale; no number gives 0.0.
double coordinate_to_double(std::string_view text);
