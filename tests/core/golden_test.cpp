// Whole conversions compared byte for byte with hand-checked speedcam.csv files. The digests
// of the real public files' conversions are checked by tools/realdata_golden.sh.
#include <gtest/gtest.h>

#include <algorithm>

#include "camera_types.h"
#include "codepage.h"
#include "export.h"
#include "parser.h"
#include "reader.h"
#include "test_support.h"

namespace {

struct Conversion {
    RecordList records;
    CameraTypeList types;
    std::string csv;
};

Conversion convert(const std::wstring& input, TextEncoding encoding, InputFormat format,
                   const std::wstring& config, const AreaFilter& area = {}) {
    Conversion c;
    load_camera_types(c.types, config, format);
    EXPECT_TRUE(read_speedcam_file(c.records, input, encoding, format, area));
    c.csv = test::exported_csv(c.records, c.types);
    return c;
}

TEST(Golden, ConversionsMatchTheReferenceFilesExactly) {
    using enum TextEncoding;
    using enum InputFormat;
    const std::tuple<const char*, TextEncoding, InputFormat, AreaFilter, const char*> goldens[] = {
        {"navitel_lf.txt", Utf8, Navitel, {}, "navitel.csv"},
        {"navitel_crlf.txt", Utf8, Navitel, {}, "navitel.csv"},
        {"navitel_utf16le_bom.txt", Utf16, Navitel, {}, "navitel.csv"},
        {"navitel_cp1251.txt", Ansi, Navitel, {}, "navitel.csv"},
        {"navitel_lf.txt", Utf8, Navitel, {37.6, 55.76, 37.71, 55.74}, "navitel_area.csv"},
        {"navitel_nine_cp1251.txt", Ansi, Navitel, {}, "navitel.csv"},
        {"navitel_nine_utf8.txt", Utf8, Navitel, {}, "navitel.csv"},
        {"igo_six_columns.txt", Utf8, Igo, {}, "igo_six_columns.csv"},
        {"igo_six_named.txt", Utf8, Igo, {}, "igo_six_named.csv"},
        {"igo_indexed.txt", Utf8, Igo, {}, "igo_indexed.csv"},
    };
    for (const auto& [input, encoding, format, area, expected] : goldens) {
        SCOPED_TRACE(input);
        if (encoding == Ansi && !test::ansi_is_cp1251()) continue;
        const Conversion c = convert(test::data_path(input), encoding, format,
                                     test::data_path("golden_config.txt"), area);
        EXPECT_SAME_BYTES(test::read_bytes(test::data_path(expected, "expected")), c.csv);
    }
}

// Both public files with the shipped table: every row is read, the tally is the one checked
// by hand, and the map's figure for a rectangle, counted over the whole file, is the size of
// the export that the same area then gives. tools/realdata_golden.sh compares the CSVs.
TEST(Golden, RealFilesGiveTheRecordedTallyAndTheMapsFigure) {
    using Tally = std::vector<std::pair<int, std::uint64_t>>;
    const std::pair<const char*, Tally> files[] = {
        {"SpeedCamOnline.ru_2019-11-05_PRIMO_Rus.txt",
         {{192, 17819}, {68, 4495}, {227, 1538}, {199, 742}, {215, 686}, {194, 39}, {198, 6}}},
        {"uk-speed-cameras-poi_osc.txt", {{4, 3888}, {31, 3}}},
    };
    const std::wstring config =
        from_utf8(std::string(ORVANE_SOURCE_ROOT) + "/resources/Config.txt");
    for (const auto& [name, types] : files) {
        SCOPED_TRACE(name);
        const auto path = test::realdata_path(name);
        if (!path) GTEST_SKIP() << "../shared/realdata is not beside the source tree";
        const Conversion c = convert(*path, TextEncoding::Utf8, InputFormat::Igo, config);
        Tally tally = test::tally(c.records);
        std::sort(tally.begin(), tally.end(), [](auto a, auto b) { return a.second > b.second; });
        EXPECT_EQ(tally, types);

        const AreaFilter area{-1.5, 59.8, 58.4, 43.05};
        std::vector<bool> kept;
        c.records.for_each([&](const SpeedcamRecord& r) {
            kept.push_back(
                area.contains(coordinate_to_double(r.x_text), coordinate_to_double(r.y_text)));
        });
        const ExportPlan drawn = plan_export(export_shares(c.records, c.types), &kept);
        const Conversion inside =
            convert(*path, TextEncoding::Utf8, InputFormat::Igo, config, area);
        EXPECT_EQ(drawn.bytes, inside.csv.size());
        EXPECT_LT(inside.records.size(), c.records.size());
    }
}

}  // namespace
