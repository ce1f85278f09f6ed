// Turns one speedcam line into a record, applies the area filter and appends it to the list.
#pragma once

#include <string>
#include <string_view>

#include "area_filter.h"
#include "formats.h"
#include "records.h"

// How the lines of one file are read.
struct LineRules {
    InputFormat format = InputFormat::Navitel;
    // iGO rows without the index column: X,Y,TYPE,SPEED,DIRTYPE,DIRECTION.
    bool six_columns = false;
    AreaFilter area;
};

// The line comes without its line end. A zero unit inside it ends it there. Lines that are
// not objects (headers, comments, malformed rows) are dropped silently.
void parse_speedcam_line(RecordList& records, std::wstring_view line, const LineRules& rules);

// The same for a line of UTF-8 or ANSI bytes, with the same result as decoding the line first.
// The columns are ASCII in every such encoding, so only the comment is decoded, into
// `scratch`, which the caller keeps from line to line so that a comment costs no allocation.
void parse_speedcam_bytes(RecordList& records, std::string_view line, const LineRules& rules,
                          TextEncoding encoding, std::wstring& scratch);

// Whether the rows of an iGO file lack the index column, decided once for the whole file from
// its first bytes `head`: by the header line (X,Y,... or IDX,X,Y,...) when there is one, else
// by what most of the first rows are. Real files are one shape throughout, so a damaged row
// is then rejected rather than read shifted by a column. `whole`: head is the whole file,
// so its last line is complete.
bool igo_rows_have_six_columns(std::string_view head, TextEncoding encoding, bool whole);
// How much of a file's start igo_rows_have_six_columns needs.
constexpr std::size_t kShapeHeadBytes = 64 * 1024;

// Coordinate text to number for the area filter: the longest prefix that reads as a decimal
// number, classic locale; no number gives 0.0.
double coordinate_to_double(std::string_view text);
