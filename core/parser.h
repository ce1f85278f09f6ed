// Turns one speedcam line into a record, applies the area filter and appends it to the list.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "area_filter.h"
#include "formats.h"
#include "records.h"

// The numeric columns that the rows of a file have before their comment. Each file has one
// shape throughout; a row of another shape is rejected rather than read shifted.
enum class RowShape : std::uint8_t {
    Seven,  // IDX,X,Y,TYPE,SPEED,DIRTYPE,DIRECTION
    Six,    // iGO without the index: X,Y,TYPE,SPEED,DIRTYPE,DIRECTION
    Nine,   // OpenSpeedcam: IDX,X,Y,TYPE,SPEED,DIRTYPE,DIRECTION,DISTANCE,ANGLE
};

// How the lines of one file are read.
struct LineRules {
    InputFormat format = InputFormat::Navitel;
    RowShape shape = RowShape::Seven;
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

// The shape of a file's rows, decided once for the whole file from its first bytes `head`: by
// the header line when there is one (X,Y,... six columns, iGO only; IDX,X,Y,... nine columns
// when it names nine, else seven), otherwise by what most of the first rows are. Seven when
// nothing tells. `whole`: head is the whole file, so its last line is complete.
RowShape decide_row_shape(std::string_view head, TextEncoding encoding, InputFormat format,
                          bool whole);
// How much of a file's start decide_row_shape needs.
constexpr std::size_t kShapeHeadBytes = 64 * 1024;

// Coordinate text to number for the area filter: the longest prefix that reads as a decimal
// number, classic locale; no number gives 0.0.
double coordinate_to_double(std::string_view text);
// The same for a record's coordinate text, the same bits sooner: a text whose terminator is
// within its 32 bytes may be read eight bytes at a time.
double coordinate_to_double(const char (&text)[32]);
