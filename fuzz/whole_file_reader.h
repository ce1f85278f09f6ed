// The plain way to read a speedcam file, as a reference for the block-wise reader: cut the
// whole file at every line end, decode each line, drop a leading mark and parse each line
// in the shape the file's start decides.
// UTF-8 and ANSI are cut at the bytes of the line ends before decoding, since a line end is
// never part of a character (Wine's decoder swallows an LF after a cut-off UTF-8 sequence).
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

#include "codepage.h"
#include "parser.h"

inline RecordList read_whole_file(std::string_view bytes, TextEncoding encoding, InputFormat format,
                                  const AreaFilter& area = {}) {
    const LineRules rules{format, decide_row_shape(bytes, encoding, format, /*whole=*/true), area};
    RecordList records;
    std::wstring text;
    if (encoding != TextEncoding::Utf16) {
        if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
        while (!bytes.empty()) {
            const std::size_t end = std::min(bytes.find_first_of("\r\n"), bytes.size());
            decode_text(bytes.substr(0, end), encoding, text);
            if (end > 0) parse_speedcam_line(records, text, rules);
            bytes.remove_prefix(std::min(end + 1, bytes.size()));
        }
        return records;
    }
    decode_text(bytes, encoding, text);
    std::wstring_view rest(text);
    if (!rest.empty() && rest.front() == 0xFEFF) rest.remove_prefix(1);
    while (!rest.empty()) {
        const std::size_t end = std::min(rest.find_first_of(L"\r\n"), rest.size());
        if (end > 0) parse_speedcam_line(records, rest.substr(0, end), rules);
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    return records;
}
