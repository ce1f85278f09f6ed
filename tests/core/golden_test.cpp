// Whole conversions compared byte for byte with hand-checked speedcam.csv files, and the real
// public files with the digests of their conversions.
#include <gtest/gtest.h>

#include <map>

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
    ExportResult result;
    std::string csv;
};

Conversion convert(const std::wstring& input, TextEncoding encoding, InputFormat format,
                   const std::wstring& config, const AreaFilter& area = {}) {
    Conversion c;
    test::TempDir dir;
    load_camera_types(c.types, config, format);
    EXPECT_TRUE(read_speedcam_file(c.records, input, encoding, format, area));
    c.result = export_speedcam_csv(c.records, c.types, dir.file("speedcam.csv"));
    c.csv = test::read_bytes(dir.file("speedcam.csv"));
    // The figure shown before the export is the size the export then writes.
    const ExportPlan plan = plan_export(c.records, c.types);
    EXPECT_EQ((std::pair{plan.bytes, plan.result}), (std::pair{std::uint64_t{c.csv.size()}, c.result}));
    return c;
}

TEST(Golden, ConversionsMatchTheReferenceFilesExactly) {
    const struct {
        const char* input;
        TextEncoding encoding;
        InputFormat format;
        AreaFilter area;
        const char* expected;
    } goldens[] = {
        {"navitel_lf.txt", TextEncoding::Utf8, InputFormat::Navitel, {}, "navitel.csv"},
        {"navitel_crlf.txt", TextEncoding::Utf8, InputFormat::Navitel, {}, "navitel.csv"},
        {"navitel_utf16le_bom.txt", TextEncoding::Utf16, InputFormat::Navitel, {}, "navitel.csv"},
        {"navitel_cp1251.txt", TextEncoding::Ansi, InputFormat::Navitel, {}, "navitel.csv"},
        {"navitel_lf.txt", TextEncoding::Utf8, InputFormat::Navitel, {37.6, 55.76, 37.71, 55.74},
         "navitel_area.csv"},
        {"igo_six_columns.txt", TextEncoding::Utf8, InputFormat::Igo, {}, "igo_six_columns.csv"},
        {"igo_indexed.txt", TextEncoding::Utf8, InputFormat::Igo, {}, "igo_indexed.csv"},
    };
    for (const auto& g : goldens) {
        SCOPED_TRACE(g.input);
        if (g.encoding == TextEncoding::Ansi && !test::ansi_is_cp1251()) continue;
        const Conversion c = convert(test::data_path(g.input), g.encoding, g.format,
                                     test::data_path("golden_config.txt"), g.area);
        EXPECT_EQ(c.result, ExportResult::Complete);
        EXPECT_SAME_BYTES(test::read_bytes(test::data_path(g.expected, "expected")), c.csv);
    }
}

// The head unit's 6 MB cap on a whole conversion: a generated file whose expected output is
// built independently, line by line.
TEST(Golden, BigFileStopsAfterTheRecordThatCrossesTheCap) {
    test::TempDir dir;
    std::string input = "X,Y,TYPE,SPEED,DirType,Direction\n";
    std::string expected = to_utf8(kExportBanner);
    std::uint64_t running = expected.size() + 1;
    for (int i = 0; i < 200000; ++i) {
        const std::string x = "30." + std::to_string(100000 + i), y = "59." + std::to_string(900000 - i);
        const int speed = 40 + i % 60;
        input += x + "," + y + ",192," + std::to_string(speed) + ",1,90\n";
        if (running > kExportSizeCap) continue;
        const std::string line = x + "," + y + ",\"Камера " + std::to_string(speed) + "\"\r\n";
        expected += line;
        running += line.size() + 1;
    }
    test::write_bytes(dir.file("speedcam.txt"), input);
    const Conversion c = convert(dir.file("speedcam.txt"), TextEncoding::Utf8, InputFormat::Igo,
                                 test::data_path("golden_config.txt"));
    ASSERT_EQ(c.records.size(), 200000u);
    EXPECT_EQ(c.result, ExportResult::Capped);
    EXPECT_GT(c.csv.size(), 6000000u);
    EXPECT_SAME_BYTES(expected, c.csv);
}

// Both public files, converted with the shipped table: every row is read, and the CSV is the
// one recorded when it was checked by hand.
TEST(Golden, RealFilesGiveTheirRecordedCsv) {
    const struct {
        const char* name;
        std::uint32_t objects;
        std::map<int, std::uint64_t> types;
        std::size_t bytes;
        const char* sha256;
    } files[] = {
        {"SpeedCamOnline.ru_2019-11-05_PRIMO_Rus.txt", 25325,
         {{192, 17819}, {68, 4495}, {227, 1538}, {199, 742}, {215, 686}, {194, 39}, {198, 6}},
         1137912, "546de69343f47af0291c374d104ec45129ea4691f5768c1724affd1d09d9a78c"},
        {"uk-speed-cameras-poi_osc.txt", 3891, {{4, 3888}, {31, 3}}, 220802,
         "09c2f1c6e91b1f590542817879d1ef09c35774646581a3d309577d6d77d1dfc0"},
    };
    for (const auto& f : files) {
        const auto path = test::realdata_path(f.name);
        if (!path) GTEST_SKIP() << "../shared/realdata is not beside the source tree";
        const Conversion c =
            convert(*path, TextEncoding::Utf8, InputFormat::Igo,
                    from_utf8(std::string(ORVANE_SOURCE_ROOT) + "/resources/Config.txt"));
        ASSERT_EQ(c.records.size(), f.objects) << f.name;
        std::map<int, std::uint64_t> types;
        for (const auto& t : c.records.type_tally().counts()) types[t.id] = t.records;
        EXPECT_EQ(types, f.types) << f.name;
        EXPECT_EQ(c.csv.size(), f.bytes) << f.name;
        EXPECT_EQ(test::sha256_hex(c.csv), f.sha256) << f.name;

        // The map's figure for a rectangle, counted over the whole file, is the size of the
        // export that the same area then gives.
        const AreaFilter area{-1.5, 59.8, 58.4, 43.05};
        std::vector<bool> kept;
        c.records.for_each([&](const SpeedcamRecord& r) {
            kept.push_back(area.contains(coordinate_to_double(r.x_text),
                                         coordinate_to_double(r.y_text)));
        });
        const ExportPlan drawn = plan_export(export_shares(c.records, c.types), &kept);
        const Conversion inside = convert(*path, TextEncoding::Utf8, InputFormat::Igo,
                                          from_utf8(std::string(ORVANE_SOURCE_ROOT) +
                                                    "/resources/Config.txt"),
                                          area);
        EXPECT_EQ(drawn.bytes, inside.csv.size()) << f.name;
        EXPECT_LT(inside.records.size(), c.records.size()) << f.name;
    }
}

}  // namespace
