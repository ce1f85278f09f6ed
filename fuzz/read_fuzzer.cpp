// Speedcam files of any bytes, in every encoding and dialect, read with small blocks and
// compared with a plain whole-file reading, with and without worker threads.
#include <cstdio>
#include <cstring>
#include <cwchar>

#include "codepage.h"
#include "fuzz_support.h"
#include "parser.h"
#include "reader.h"
#include "whole_file_reader.h"

namespace {

bool numeric_text(const char* text) {
    const std::size_t n = strnlen(text, 32);
    if (n > 31) return false;
    for (std::size_t i = 0; i < n; ++i)
        if (!((text[i] >= '0' && text[i] <= '9') || text[i] == '-' || text[i] == '.')) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const unsigned mode = in.byte();
    const auto encoding = static_cast<TextEncoding>(mode % 3);
    const auto format = static_cast<InputFormat>(mode / 3 % 3);  // 2: no dialect
    AreaFilter area{};
    if (mode / 9 % 2) area = {37.5, 56, 38, 55.5};
    const std::size_t block = 1 + in.byte() % 64;
    const unsigned threads = 1 + in.byte() % 3;
    const std::string bytes(in.rest());

    RecordList records;
    std::FILE* file = bytes.empty() ? std::fopen("/dev/null", "rb")
                                    : fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "rb");
    FUZZ_CHECK(file != nullptr);
    FUZZ_CHECK(read_speedcam_stream(records, file, encoding, format, area, {block, 2048, threads}));
    std::fclose(file);

    if (format != InputFormat::Navitel && format != InputFormat::Igo) FUZZ_CHECK(records.empty());
    for (std::size_t i = 0; i < records.size(); ++i) {
        const SpeedcamRecord& r = records[i];
        FUZZ_CHECK(numeric_text(r.x_text) && numeric_text(r.y_text));
        FUZZ_CHECK(wcsnlen(r.comment, 128) <= 127);
        if (area.on()) {
            const double x = coordinate_to_double(r.x_text), y = coordinate_to_double(r.y_text);
            FUZZ_CHECK(x > area.west && x < area.east && y < area.north && y > area.south);
        }
    }
    const RecordList whole = read_whole_file(bytes, encoding, format, area);
    FUZZ_CHECK(whole.size() == records.size());
    for (std::size_t i = 0; i < records.size(); ++i) FUZZ_CHECK(same_record(whole[i], records[i]));
    return 0;
}
