// The plain way to read a speedcam file, as a reference for the block-wise reader: decode the
// whole file, drop a leading mark, cut at every line end and parse each line.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

#include "app_state.h"
#include "codepage.h"
#include "parser.h"

inline AppState read_whole_file(std::string_view bytes, TextEncoding encoding, InputFormat format,
                                const AreaFilter& area = {}) {
    AppState state;
    state.filter.area = area;
    std::wstring text;
    decode_text(bytes, encoding, text);
    std::wstring_view rest(text);
    if (!rest.empty() && rest.front() == 0xFEFF) rest.remove_prefix(1);
    while (!rest.empty()) {
        const std::size_t end = std::min(rest.find_first_of(L"\r\n"), rest.size());
        if (end > 0) parse_speedcam_line(state, rest.substr(0, end), format);
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    return state;
}
