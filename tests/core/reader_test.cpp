// Reading whole files: line ends, byte-order marks, encodings, big and odd input.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <span>
#include <string>

#include "codepage.h"
#include "file_io.h"
#include "parser.h"
#include "reader.h"
#include "test_support.h"
#include "whole_file_reader.h"

namespace {

struct Row {
    const wchar_t* x;
    const wchar_t* y;
    int type_id;
    int speed;
    int column6;
    const wchar_t* comment;
};

// The five objects of every navitel_*.txt variant.
const Row kNavitelRows[] = {
    {L"37.61755", L"55.75222", 1, 60, 90, L"Камера на Тверской"},
    {L"37.58934", L"55.73412", 2, 40, 270, L""},
    {L"30.31413", L"59.93863", 4, 90, 0, L"Средняя скорость «КАД»"},
    {L"37.62001", L"55.75001", 101, 60, 180, L"// ограничение"},
    {L"37.70012", L"55.80034", 1, 60, 90, L""},
};

void expect_rows(const AppState& state, std::span<const Row> rows) {
    ASSERT_EQ(state.records.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "record " << i);
        const SpeedcamRecord& r = state.records[i];
        EXPECT_EQ(test::wide(r.x_text), rows[i].x);
        EXPECT_EQ(test::wide(r.y_text), rows[i].y);
        EXPECT_EQ(r.type_id, rows[i].type_id);
        EXPECT_EQ(r.speed_limit, rows[i].speed);
        EXPECT_EQ(r.column6_value, rows[i].column6);
        EXPECT_STREQ(r.comment, rows[i].comment);
    }
}

AppState read(const std::wstring& path, TextEncoding encoding,
              InputFormat format = InputFormat::Navitel) {
    AppState state;
    EXPECT_TRUE(read_speedcam_file(state, path, encoding, format));
    return state;
}

TEST(LineEnds, EveryVariantKeepsEveryObjectWhole) {
    const std::pair<const char*, TextEncoding> files[] = {
        {"navitel_lf.txt", TextEncoding::Utf8},  // LF only: the last digit stays
        {"navitel_crlf.txt", TextEncoding::Utf8},
        {"navitel_cr.txt", TextEncoding::Utf8},            // lone CR ends a line too
        {"navitel_no_final_eol.txt", TextEncoding::Utf8},  // the last line still counts
        {"navitel_utf8_bom.txt", TextEncoding::Utf8},      // first line survives its BOM
        {"navitel_utf16le_bom.txt", TextEncoding::Utf16},
        {"navitel_cp1251.txt", TextEncoding::Ansi},
    };
    for (const auto& [name, encoding] : files) {
        SCOPED_TRACE(name);
        if (encoding == TextEncoding::Ansi && !test::ansi_is_cp1251()) continue;
        expect_rows(read(test::data_path(name), encoding), kNavitelRows);
    }
}

TEST(LineEnds, ShortAndBlankLinesAreHarmless) {
    const Row one{L"1", L"2", 3, 4, 5, L""};
    expect_rows(test::read_text("0,1,2,3,4,0,5", TextEncoding::Utf8, InputFormat::Navitel),
                {&one, 1});
    expect_rows(test::read_text("\n\r\n\r\rx\n7\r\n0,1,2,3,4,0,5\n\n", TextEncoding::Utf8,
                                InputFormat::Navitel),
                {&one, 1});
    // A BOM is dropped only at the very start; in a later line it rejects that line.
    expect_rows(test::read_text("0,1,2,3,4,0,5\n\xef\xbb\xbf"
                                "0,1,2,3,4,0,5\n",
                                TextEncoding::Utf8, InputFormat::Navitel),
                {&one, 1});
}

TEST(Encodings, MismatchedEncodingsGiveNoObjectsButSucceed) {
    EXPECT_EQ(read(test::data_path("navitel_utf16be.txt"), TextEncoding::Utf16).records.size(), 0u);
    EXPECT_EQ(read(test::data_path("navitel_utf16le_bom.txt"), TextEncoding::Utf8).records.size(),
              0u);
    EXPECT_EQ(read(test::data_path("navitel_utf16le_bom.txt"), TextEncoding::Ansi).records.size(),
              0u);
    // ANSI does not know the UTF-8 mark: "ï»¿" or "пя»" in front of the first line rejects it.
    EXPECT_EQ(read(test::data_path("navitel_utf8_bom.txt"), TextEncoding::Ansi).records.size(), 4u);
}

TEST(Encodings, ReadingAgainReplacesTheRecords) {
    AppState state;
    const std::wstring path = test::data_path("navitel_cp1251.txt");
    ASSERT_TRUE(read_speedcam_file(state, path, TextEncoding::Utf8, InputFormat::Navitel));
    ASSERT_EQ(state.records.size(), 5u);
    // cp1251 bytes are no UTF-8: the comment shows replacement characters.
    EXPECT_NE(std::wstring(state.records[0].comment).find(L'\uFFFD'), std::wstring::npos);
    ASSERT_TRUE(read_speedcam_file(state, path, TextEncoding::Ansi, InputFormat::Navitel));
    if (test::ansi_is_cp1251()) expect_rows(state, kNavitelRows);
}

TEST(Failures, UnreadableFileEmptiesTheList) {
    AppState state;
    ASSERT_TRUE(read_speedcam_file(state, test::data_path("navitel_lf.txt"), TextEncoding::Utf8,
                                   InputFormat::Navitel));
    ASSERT_EQ(state.records.size(), 5u);
    EXPECT_FALSE(read_speedcam_file(state, test::data_path("no_such_file.txt"), TextEncoding::Utf8,
                                    InputFormat::Navitel));
    EXPECT_EQ(state.records.size(), 0u);

    test::TempDir dir;
    EXPECT_FALSE(read_speedcam_file(state, test::to_wide_path(dir.path()), TextEncoding::Utf8,
                                    InputFormat::Navitel))
        << "a folder is not a speedcam file";
    EXPECT_EQ(state.records.size(), 0u);

    EXPECT_TRUE(read_speedcam_file(state, test::data_path("empty.txt"), TextEncoding::Utf8,
                                   InputFormat::Navitel));
    EXPECT_EQ(state.records.size(), 0u);
}

TEST(Igo, BothShapesOfRealFiles) {
    const Row six[] = {{L"-2.04503", L"52.62682", 31, 70, 315, L""},
                       {L"-0.12345", L"51.50012", 4, 30, 90, L""},
                       {L"-1.5", L"53.8", 4, 5, 0, L""}};
    expect_rows(read(test::data_path("igo_six_columns.txt"), TextEncoding::Utf8, InputFormat::Igo),
                six);
    const Row indexed[] = {{L"39.0747753", L"51.7134321", 192, 40, 6, L""},
                           {L"39.1800000", L"51.6600000", 68, 60, 180, L""},
                           {L"37.6000000", L"55.7000000", 227, 80, 270, L""}};
    expect_rows(read(test::data_path("igo_indexed.txt"), TextEncoding::Utf8, InputFormat::Igo),
                indexed);
    // As Navitel, the six-column file has no objects.
    EXPECT_EQ(read(test::data_path("igo_six_columns.txt"), TextEncoding::Utf8).records.size(), 0u);
}

std::map<int, int> type_counts(const AppState& state) {
    std::map<int, int> counts;
    for (std::size_t i = 0; i < state.records.size(); ++i) ++counts[state.records[i].type_id];
    return counts;
}

TEST(RealData, RussianIndexedIgoExportLoadsEveryRow) {
    const auto path = test::realdata_path("SpeedCamOnline.ru_2019-11-05_PRIMO_Rus.txt");
    if (!path) GTEST_SKIP() << "../shared/realdata is not beside the source tree";
    const AppState state = read(*path, TextEncoding::Utf8, InputFormat::Igo);
    ASSERT_EQ(state.records.size(), 25325u);
    const std::map<int, int> expected{{192, 17819}, {68, 4495}, {227, 1538}, {199, 742},
                                      {215, 686},   {194, 39},  {198, 6}};
    EXPECT_EQ(type_counts(state), expected);
    // The first data row, as published: 3,39.0747753,51.7134321,192,40,1,6
    EXPECT_STREQ(state.records[0].x_text, "39.0747753");
    EXPECT_STREQ(state.records[0].y_text, "51.7134321");
    EXPECT_EQ(state.records[0].speed_limit, 40);
    EXPECT_EQ(state.records[0].column6_value, 6);
}

TEST(RealData, UkSixColumnIgoFileLoadsEveryRow) {
    const auto path = test::realdata_path("uk-speed-cameras-poi_osc.txt");
    if (!path) GTEST_SKIP() << "../shared/realdata is not beside the source tree";
    const AppState state = read(*path, TextEncoding::Utf8, InputFormat::Igo);
    ASSERT_EQ(state.records.size(), 3891u);
    EXPECT_EQ(type_counts(state), (std::map<int, int>{{4, 3888}, {31, 3}}));
    EXPECT_STREQ(state.records[0].x_text, "-2.04503");
    EXPECT_EQ(state.records[0].column6_value, 315);
}

TEST(BigInput, OverlongLinesAreCutWithoutLosingTheirNeighbours) {
    const std::string huge_comment(3 << 20, 'z');
    const std::string text = "1,2,3,4,5,6,7," + huge_comment + "\n" + std::string(200000, '9') +
                             "\r\n0,1,2,3,4,0,5\n" + "1,2,3,4,5,6,7,tail" + huge_comment;
    const AppState state = test::read_text(text, TextEncoding::Utf8, InputFormat::Navitel);
    ASSERT_EQ(state.records.size(), 3u);
    EXPECT_EQ(std::wstring(state.records[0].comment), std::wstring(127, L'z'));
    EXPECT_STREQ(state.records[1].x_text, "1");
    EXPECT_EQ(std::wstring(state.records[2].comment), L"tail" + std::wstring(123, L'z'));
}

}  // namespace

namespace {

bool same_records(const AppState& a, const AppState& b) {
    if (a.records.size() != b.records.size()) return false;
    for (std::size_t i = 0; i < a.records.size(); ++i)
        if (!same_record(a.records[i], b.records[i])) return false;
    return true;
}

// Small blocks put block boundaries between every pair of bytes of these files: inside CR LF,
// inside UTF-8 sequences, inside UTF-16 units, right after the mark.
TEST(BlockBoundaries, TinyBlocksReadLikeTheWholeFile) {
    std::vector<std::pair<std::string, TextEncoding>> inputs;
    for (const char* name :
         {"navitel_lf.txt", "navitel_crlf.txt", "navitel_cr.txt", "navitel_no_final_eol.txt",
          "navitel_utf8_bom.txt", "navitel_cp1251.txt"})
        inputs.emplace_back(test::read_bytes(test::data_path(name)), TextEncoding::Utf8);
    inputs.emplace_back(test::read_bytes(test::data_path("navitel_utf16le_bom.txt")),
                        TextEncoding::Utf16);
    if (test::ansi_is_cp1251())
        inputs.emplace_back(test::read_bytes(test::data_path("navitel_cp1251.txt")),
                            TextEncoding::Ansi);
    inputs.emplace_back("1,2,3,4,5,6,7," + std::string(5000, 'x') + "\r\n1,2,3,4,5,6,7,y\r",
                        TextEncoding::Utf8);
    test::TempDir dir;
    for (const auto& [bytes, encoding] : inputs) {
        const AppState expected = read_whole_file(bytes, encoding, InputFormat::Navitel);
        ASSERT_GT(expected.records.size(), 0u);
        test::write_bytes(dir.file("in.txt"), bytes);
        for (std::size_t block = 1; block <= 40; ++block) {
            for (const unsigned threads : {1u, 3u}) {
                AppState state;
                UniqueFile file = open_file(dir.file("in.txt"), "rb");
                ASSERT_TRUE(read_speedcam_stream(state, file.get(), encoding, InputFormat::Navitel,
                                                 {block, 2048, threads}));
                EXPECT_TRUE(same_records(state, expected))
                    << "block " << block << ", threads " << threads << ", "
                    << expected.records.size() << " records expected, " << state.records.size()
                    << " read";
            }
        }
    }
}

// A file of many blocks, parsed on worker threads: the records come out in file order,
// across the record list's own blocks, with or without the area filter.
TEST(BlockBoundaries, WorkerThreadsKeepTheFileOrder) {
    std::string bytes = "IDX,X,Y,TYPE,SPEED,DIRTYPE,DIRECTION,COMMENT\n";
    for (int i = 0; i < 60000; ++i) {
        bytes += std::to_string(i) + ",37." + std::to_string(i % 997) + ",55." +
                 std::to_string(i % 991) + "," + std::to_string(i % 7) + ",60,1," +
                 std::to_string(i % 360);
        if (i % 3 == 0) bytes += ",камера " + std::to_string(i);
        if (i % 101 == 0) bytes += " x,y";  // not an object
        bytes += i % 2 ? "\r\n" : "\n";
    }
    test::TempDir dir;
    test::write_bytes(dir.file("in.txt"), bytes);
    for (const AreaFilter area : {AreaFilter{}, AreaFilter{37.2, 55.9, 37.8, 55.1}}) {
        const AppState expected =
            read_whole_file(bytes, TextEncoding::Utf8, InputFormat::Navitel, area);
        ASSERT_GT(expected.records.size(), 30000u);
        for (const unsigned threads : {1u, 2u, 4u}) {
            AppState state;
            state.filter.area = area;
            UniqueFile file = open_file(dir.file("in.txt"), "rb");
            ASSERT_TRUE(read_speedcam_stream(state, file.get(), TextEncoding::Utf8,
                                             InputFormat::Navitel, {4096, 2048, threads}));
            EXPECT_TRUE(same_records(state, expected)) << "threads " << threads;
        }
    }
}

}  // namespace
