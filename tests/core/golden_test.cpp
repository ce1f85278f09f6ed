// Whole conversions compared byte for byte with hand-checked speedcam.csv files.
#include <gtest/gtest.h>

#include "camera_types.h"
#include "export.h"
#include "reader.h"
#include "test_support.h"

namespace {

struct Golden {
    const char* input;
    TextEncoding encoding;
    InputFormat format;
    AreaFilter area;
    const char* expected;
};

const Golden kGoldens[] = {
    {"navitel_lf.txt", TextEncoding::Utf8, InputFormat::Navitel, {}, "navitel.csv"},
    {"navitel_crlf.txt", TextEncoding::Utf8, InputFormat::Navitel, {}, "navitel.csv"},
    {"navitel_utf16le_bom.txt", TextEncoding::Utf16, InputFormat::Navitel, {}, "navitel.csv"},
    {"navitel_cp1251.txt", TextEncoding::Ansi, InputFormat::Navitel, {}, "navitel.csv"},
    {"navitel_lf.txt",
     TextEncoding::Utf8,
     InputFormat::Navitel,
     {37.6, 55.76, 37.71, 55.74},
     "navitel_area.csv"},
    {"igo_six_columns.txt", TextEncoding::Utf8, InputFormat::Igo, {}, "igo_six_columns.csv"},
    {"igo_indexed.txt", TextEncoding::Utf8, InputFormat::Igo, {}, "igo_indexed.csv"},
};

TEST(Golden, ConversionsMatchTheReferenceFilesExactly) {
    test::TempDir dir;
    for (const Golden& g : kGoldens) {
        SCOPED_TRACE(testing::Message() << g.input << " -> " << g.expected);
        if (g.encoding == TextEncoding::Ansi && !test::ansi_is_cp1251()) continue;
        AppState state;
        state.filter.area = g.area;
        ASSERT_TRUE(load_camera_types(state, test::data_path("golden_config.txt"), g.format));
        ASSERT_TRUE(read_speedcam_file(state, test::data_path(g.input), g.encoding, g.format));
        const std::wstring out = dir.file("speedcam.csv");
        ASSERT_EQ(export_speedcam_csv(state, out), ExportResult::Complete);
        EXPECT_SAME_BYTES(test::read_bytes(test::data_path(g.expected, "expected")),
                          test::read_bytes(out));
    }
}

// The head unit's 6 MB cap on a whole conversion: a generated file whose expected output is
// built independently, line by line.
TEST(Golden, BigFileStopsAfterTheRecordThatCrossesTheCap) {
    test::TempDir dir;
    std::string input = "X,Y,TYPE,SPEED,DirType,Direction\n";
    std::string expected = test::read_bytes(test::data_path("igo_indexed.csv", "expected"));
    expected = expected.substr(0, expected.find("\r\n") + 2);  // the banner line
    std::uint64_t running = expected.size() + 1;
    bool capped = false;
    for (int i = 0; i < 200000; ++i) {
        const std::string x = "30." + std::to_string(100000 + i);
        const std::string y = "59." + std::to_string(900000 - i);
        const int speed = 40 + i % 60;
        input += x + "," + y + ",192," + std::to_string(speed) + ",1,90\n";
        if (capped) continue;
        const std::string line = x + "," + y + ",\"Камера " + std::to_string(speed) + "\"\r\n";
        expected += line;
        running += line.size() + 1;
        capped = running > kExportSizeCap;
    }
    ASSERT_TRUE(capped) << "the generated file is too small to reach the cap";
    test::write_bytes(dir.file("speedcam.txt"), input);

    AppState state;
    ASSERT_TRUE(load_camera_types(state, test::data_path("golden_config.txt"), InputFormat::Igo));
    ASSERT_TRUE(
        read_speedcam_file(state, dir.file("speedcam.txt"), TextEncoding::Utf8, InputFormat::Igo));
    ASSERT_EQ(state.records.size(), 200000u);
    ASSERT_EQ(export_speedcam_csv(state, dir.file("speedcam.csv")), ExportResult::Capped);
    const std::string actual = test::read_bytes(dir.file("speedcam.csv"));
    EXPECT_GT(actual.size(), 6000000u);
    EXPECT_SAME_BYTES(expected, actual);
}

}  // namespace
