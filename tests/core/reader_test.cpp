// Reading whole files: line ends, byte-order marks, encodings, block boundaries, worker
// threads, big and odd input.
#include <gtest/gtest.h>

#include <span>
#include <string>

#include "file_io.h"
#include "reader.h"
#include "test_support.h"
#include "whole_file_reader.h"

namespace {

struct Row {
    const char* x;
    const char* y;
    int type_id, speed, column6;
    const wchar_t* comment;
};

// The five objects of every navitel_*.txt variant.
const Row kNavitelRows[] = {
    {"37.61755", "55.75222", 1, 60, 90, L"Камера на Тверской"},
    {"37.58934", "55.73412", 2, 40, 270, L""},
    {"30.31413", "59.93863", 4, 90, 0, L"Средняя скорость «КАД»"},
    {"37.62001", "55.75001", 101, 60, 180, L"// ограничение"},
    {"37.70012", "55.80034", 1, 60, 90, L""},
};

void expect_rows(const RecordList& records, std::span<const Row> rows) {
    ASSERT_EQ(records.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const SpeedcamRecord& r = records[i];
        EXPECT_STREQ(r.x_text, rows[i].x) << i;
        EXPECT_STREQ(r.y_text, rows[i].y) << i;
        EXPECT_EQ((std::array{r.type_id, r.speed_limit, r.column6_value}),
                  (std::array{rows[i].type_id, rows[i].speed, rows[i].column6}))
            << i;
        EXPECT_STREQ(r.comment, rows[i].comment) << i;
    }
}

RecordList read(const std::wstring& path, TextEncoding encoding,
                InputFormat format = InputFormat::Navitel, bool readable = true) {
    RecordList records;
    EXPECT_EQ(read_speedcam_file(records, path, encoding, format), readable);
    return records;
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
        if (encoding != TextEncoding::Ansi || test::ansi_is_cp1251())
            expect_rows(read(test::data_path(name), encoding), kNavitelRows);
    }
    const Row one{"1", "2", 3, 4, 5, L""};
    for (const char* text : {"0,1,2,3,4,0,5", "\n\r\n\r\rx\n7\r\n0,1,2,3,4,0,5\n\n",
                             // a mark is dropped only at the very start of the file
                             "0,1,2,3,4,0,5\n\xef\xbb\xbf" "0,1,2,3,4,0,5\n"})
        expect_rows(test::read_text(text, TextEncoding::Utf8, InputFormat::Navitel), {&one, 1});
}

TEST(Encodings, MismatchedOnesGiveNoObjectsAndRereadingReplaces) {
    const std::wstring utf16 = test::data_path("navitel_utf16le_bom.txt");
    EXPECT_EQ(read(test::data_path("navitel_utf16be.txt"), TextEncoding::Utf16).size(), 0u);
    EXPECT_EQ(read(utf16, TextEncoding::Utf8).size(), 0u);
    EXPECT_EQ(read(utf16, TextEncoding::Ansi).size(), 0u);
    // ANSI does not know the UTF-8 mark: it rejects the first line.
    EXPECT_EQ(read(test::data_path("navitel_utf8_bom.txt"), TextEncoding::Ansi).size(), 4u);

    RecordList records;
    const std::wstring cp1251 = test::data_path("navitel_cp1251.txt");
    ASSERT_TRUE(read_speedcam_file(records, cp1251, TextEncoding::Utf8, InputFormat::Navitel));
    ASSERT_EQ(records.size(), 5u);
    EXPECT_NE(std::wstring(records[0].comment).find(L'\uFFFD'), std::wstring::npos);
    ASSERT_TRUE(read_speedcam_file(records, cp1251, TextEncoding::Ansi, InputFormat::Navitel));
    if (test::ansi_is_cp1251()) expect_rows(records, kNavitelRows);
}

TEST(Failures, UnreadableFilesEmptyTheList) {
    RecordList records;
    ASSERT_TRUE(read_speedcam_file(records, test::data_path("navitel_lf.txt"), TextEncoding::Utf8,
                                   InputFormat::Navitel));
    test::TempDir dir;
    for (const std::wstring& path : {test::data_path("no_such_file.txt"),
                                     test::to_wide_path(dir.path())}) {  // a folder
        EXPECT_FALSE(read_speedcam_file(records, path, TextEncoding::Utf8, InputFormat::Navitel));
        EXPECT_EQ(records.size(), 0u);
    }
    EXPECT_EQ(read(test::data_path("empty.txt"), TextEncoding::Utf8).size(), 0u);
}

TEST(Igo, BothShapesOfRealFiles) {
    const Row six[] = {{"-2.04503", "52.62682", 31, 70, 315, L""},
                       {"-0.12345", "51.50012", 4, 30, 90, L""},
                       {"-1.5", "53.8", 4, 5, 0, L""}};
    const Row indexed[] = {{"39.0747753", "51.7134321", 192, 40, 6, L""},
                           {"39.1800000", "51.6600000", 68, 60, 180, L""},
                           {"37.6000000", "55.7000000", 227, 80, 270, L""}};
    const std::wstring six_path = test::data_path("igo_six_columns.txt");
    expect_rows(read(six_path, TextEncoding::Utf8, InputFormat::Igo), six);
    expect_rows(read(test::data_path("igo_indexed.txt"), TextEncoding::Utf8, InputFormat::Igo),
                indexed);
    EXPECT_EQ(read(six_path, TextEncoding::Utf8).size(), 0u) << "as Navitel: too few columns";
}

TEST(BigInput, OverlongLinesAreCutWithoutLosingTheirNeighbours) {
    const std::string huge(3 << 20, 'z');
    const std::string text = "1,2,3,4,5,6,7," + huge + "\n" + std::string(200000, '9') +
                             "\r\n0,1,2,3,4,0,5\n" + "1,2,3,4,5,6,7,tail" + huge;
    const RecordList records = test::read_text(text, TextEncoding::Utf8, InputFormat::Navitel);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(std::wstring(records[0].comment), std::wstring(127, L'z'));
    EXPECT_STREQ(records[1].x_text, "1");
    EXPECT_EQ(std::wstring(records[2].comment), L"tail" + std::wstring(123, L'z'));
}

bool same_records(const RecordList& a, const RecordList& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!same_record(a[i], b[i])) return false;
    return true;
}

RecordList read_in_blocks(const std::wstring& path, TextEncoding encoding, InputFormat format,
                          const AreaFilter& area, ReaderLimits limits) {
    RecordList records;
    UniqueFile file = open_file(path, "rb");
    EXPECT_TRUE(read_speedcam_stream(records, file.get(), encoding, format, area, limits));
    return records;
}

// Small blocks put block boundaries between every pair of bytes of these files: inside CR LF,
// inside UTF-8 sequences, inside UTF-16 units, right after the mark.
TEST(BlockBoundaries, TinyBlocksReadLikeTheWholeFile) {
    std::vector<std::tuple<std::string, TextEncoding, InputFormat>> inputs;
    for (const char* name : {"navitel_lf.txt", "navitel_crlf.txt", "navitel_cr.txt",
                             "navitel_no_final_eol.txt", "navitel_utf8_bom.txt",
                             "navitel_cp1251.txt"})
        inputs.emplace_back(test::read_bytes(test::data_path(name)), TextEncoding::Utf8,
                            InputFormat::Navitel);
    for (const char* name : {"igo_six_columns.txt", "igo_indexed.txt"})
        inputs.emplace_back(test::read_bytes(test::data_path(name)), TextEncoding::Utf8,
                            InputFormat::Igo);
    inputs.emplace_back(test::read_bytes(test::data_path("navitel_utf16le_bom.txt")),
                        TextEncoding::Utf16, InputFormat::Navitel);
    if (test::ansi_is_cp1251())
        inputs.emplace_back(test::read_bytes(test::data_path("navitel_cp1251.txt")),
                            TextEncoding::Ansi, InputFormat::Navitel);
    inputs.emplace_back("1,2,3,4,5,6,7," + std::string(5000, 'x') + "\r\n1,2,3,4,5,6,7,y\r",
                        TextEncoding::Utf8, InputFormat::Navitel);
    test::TempDir dir;
    for (const auto& [bytes, encoding, format] : inputs) {
        const RecordList expected = read_whole_file(bytes, encoding, format);
        ASSERT_GT(expected.size(), 0u);
        test::write_bytes(dir.file("in.txt"), bytes);
        for (std::size_t block = 1; block <= 40; ++block)
            for (const unsigned threads : {1u, 3u})
                EXPECT_TRUE(same_records(read_in_blocks(dir.file("in.txt"), encoding, format, {},
                                                        {block, 2048, threads}),
                                         expected))
                    << "block " << block << ", threads " << threads;
    }
}

// A file of many blocks, parsed on worker threads: the records come out in file order, with
// or without the area filter, and the tally of types is the one a plain count gives.
TEST(BlockBoundaries, WorkerThreadsKeepTheFileOrder) {
    std::string bytes = "IDX,X,Y,TYPE,SPEED,DIRTYPE,DIRECTION,COMMENT\n";
    for (int i = 0; i < 60000; ++i) {
        bytes += std::to_string(i) + ",37." + std::to_string(i % 997) + ",55." +
                 std::to_string(i % 991) + "," + std::to_string(i * 7 % 13) + ",60,1," +
                 std::to_string(i % 360);
        if (i % 3 == 0) bytes += ",камера " + std::to_string(i);
        if (i % 101 == 0) bytes += " x,y";  // not an object
        bytes += i % 2 ? "\r\n" : "\n";
    }
    test::TempDir dir;
    test::write_bytes(dir.file("in.txt"), bytes);
    for (const AreaFilter area : {AreaFilter{}, AreaFilter{37.2, 55.9, 37.8, 55.1}}) {
        const RecordList expected =
            read_whole_file(bytes, TextEncoding::Utf8, InputFormat::Navitel, area);
        ASSERT_GT(expected.size(), 30000u);
        for (const unsigned threads : {1u, 2u, 4u}) {
            const RecordList records = read_in_blocks(dir.file("in.txt"), TextEncoding::Utf8,
                                                      InputFormat::Navitel, area,
                                                      {4096, 2048, threads});
            EXPECT_TRUE(same_records(records, expected)) << "threads " << threads;
            const auto& tally = records.type_tally().counts();
            const auto& plain = expected.type_tally().counts();
            ASSERT_EQ(tally.size(), plain.size());
            for (std::size_t t = 0; t < tally.size(); ++t)
                EXPECT_EQ((std::pair{tally[t].id, tally[t].records}),
                          (std::pair{plain[t].id, plain[t].records}));
        }
    }
}

}  // namespace
