// Reading whole files: line ends, byte-order marks, encodings, block boundaries, worker
// threads, the record list they fill, and files from the internet: a clear result, never a
// crash, a hang or half a result, for huge files and locked ones.
#include <gtest/gtest.h>

#include <string>

#include "file_io.h"
#include "parser.h"
#include "reader.h"
#include "test_support.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// The five objects of every navitel_*.txt variant.
const std::vector<std::string> kNavitelRows = {
    "37.61755|55.75222|1|60|90|Камера на Тверской", "37.58934|55.73412|2|40|270|",
    "30.31413|59.93863|4|90|0|Средняя скорость «КАД»",
    "37.62001|55.75001|101|60|180|// ограничение", "37.70012|55.80034|1|60|90|"};

RecordList read(const std::wstring& path, TextEncoding encoding,
                InputFormat format = InputFormat::Navitel) {
    RecordList records;
    EXPECT_TRUE(read_speedcam_file(records, path, encoding, format));
    return records;
}

constexpr std::size_t kWhole = std::size_t{4} << 20;  // one block for every file here

RecordList read_in_blocks(const std::wstring& path, TextEncoding encoding, InputFormat format,
                          const AreaFilter& area, ReaderLimits limits) {
    RecordList records;
    UniqueFile file = open_file(path, "rb");
    EXPECT_TRUE(read_speedcam_stream(records, file.get(), encoding, format, area, limits));
    return records;
}

TEST(LineEnds, BlankLinesAndALateMarkAreNoObjects) {
    for (const char* text : {"0,1,2,3,4,0,5", "\n\r\n\r\rx\n7\r\n0,1,2,3,4,0,5\n\n",
                             // a mark is dropped only at the very start of the file
                             "0,1,2,3,4,0,5\n\xef\xbb\xbf"
                             "0,1,2,3,4,0,5\n"})
        EXPECT_EQ(test::read_rows(text), std::vector<std::string>{"1|2|3|4|5|"});
}

// Every variant of the Navitel file gives the same five objects; blocks as small as one byte
// put boundaries inside CR LF, UTF-8 sequences, UTF-16 units and right after the mark, and
// read like the whole file in one block, on one thread or three.
TEST(BlockBoundaries, TinyBlocksReadLikeTheWholeFile) {
    const std::tuple<std::string, TextEncoding, InputFormat> inputs[] = {
        {"navitel_lf.txt", TextEncoding::Utf8,
         InputFormat::Navitel},  // LF only: the last digit stays
        {"navitel_crlf.txt", TextEncoding::Utf8, InputFormat::Navitel},
        {"navitel_cr.txt", TextEncoding::Utf8, InputFormat::Navitel},  // lone CR ends a line too
        {"navitel_no_final_eol.txt", TextEncoding::Utf8, InputFormat::Navitel},
        {"navitel_utf8_bom.txt", TextEncoding::Utf8, InputFormat::Navitel},
        {"navitel_utf16le_bom.txt", TextEncoding::Utf16, InputFormat::Navitel},
        {"navitel_cp1251.txt", TextEncoding::Ansi, InputFormat::Navitel},
        {"navitel_cp1251.txt", TextEncoding::Utf8, InputFormat::Navitel},  // broken UTF-8
        {"navitel_nine_cp1251.txt", TextEncoding::Ansi, InputFormat::Navitel},
        {"navitel_nine_utf8.txt", TextEncoding::Utf8, InputFormat::Igo},
        {"igo_six_columns.txt", TextEncoding::Utf8, InputFormat::Igo},
        {"igo_six_named.txt", TextEncoding::Utf8, InputFormat::Igo},
        {"igo_indexed.txt", TextEncoding::Utf8, InputFormat::Igo},
        {"", TextEncoding::Utf8, InputFormat::Navitel},
    };
    test::TempDir dir;
    for (const auto& [name, encoding, format] : inputs) {
        SCOPED_TRACE(name);
        if (encoding == TextEncoding::Ansi && !test::ansi_is_cp1251()) continue;
        const std::wstring path = name.empty() ? dir.file("in.txt") : test::data_path(name);
        if (name.empty())  // one line longer than the block and the line limit
            test::write_bytes(path,
                              "1,2,3,4,5,6,7," + std::string(5000, 'x') + "\r\n1,2,3,4,5,6,7,y\r");
        const RecordList expected = read_in_blocks(path, encoding, format, {}, {kWhole, 2048, 1});
        ASSERT_GT(expected.size(), 0u);
        const bool five = name.starts_with("navitel") &&
                          (name != "navitel_cp1251.txt" || encoding == TextEncoding::Ansi);
        EXPECT_TRUE(!five || test::rows(read(path, encoding, format)) == kNavitelRows);
        for (std::size_t block = 1; block <= 40; ++block)
            for (const unsigned threads : {1u, 3u})
                EXPECT_EQ(
                    test::rows(read_in_blocks(path, encoding, format, {}, {block, 2048, threads})),
                    test::rows(expected))
                    << "block " << block << ", threads " << threads;
    }
}

TEST(Encodings, MismatchedOnesGiveNoObjectsAndRereadingReplaces) {
    const std::tuple<const char*, TextEncoding, InputFormat, std::size_t> reads[] = {
        {"navitel_utf16be.txt", TextEncoding::Utf16, InputFormat::Navitel, 0},
        {"navitel_utf16le_bom.txt", TextEncoding::Utf8, InputFormat::Navitel, 0},
        {"navitel_utf16le_bom.txt", TextEncoding::Ansi, InputFormat::Navitel, 0},
        // The UTF-8 mark is dropped in ANSI too, so the first line stays.
        {"navitel_utf8_bom.txt", TextEncoding::Ansi, InputFormat::Navitel, 5},
        {"igo_six_columns.txt", TextEncoding::Utf8, InputFormat::Navitel, 0},  // too few columns
        {"empty.txt", TextEncoding::Utf8, InputFormat::Navitel, 0},
    };
    for (const auto& [name, encoding, format, objects] : reads)
        EXPECT_EQ(read(test::data_path(name), encoding, format).size(), objects) << name;
    RecordList records;
    const std::wstring cp1251 = test::data_path("navitel_cp1251.txt");
    ASSERT_TRUE(read_speedcam_file(records, cp1251, TextEncoding::Utf8, InputFormat::Navitel));
    EXPECT_NE(test::row(records[0]).find("\xef\xbf\xbd"), std::string::npos);
    ASSERT_TRUE(read_speedcam_file(records, cp1251, TextEncoding::Ansi, InputFormat::Navitel));
    EXPECT_TRUE(!test::ansi_is_cp1251() || test::rows(records) == kNavitelRows);
    // A file that cannot be read, missing or a folder, leaves no records behind.
    test::TempDir dir;
    for (const std::wstring& path :
         {test::data_path("no_such.txt"), test::to_wide_path(dir.path())})
        EXPECT_FALSE(read_speedcam_file(records, path, TextEncoding::Utf8, InputFormat::Navitel) ||
                     !records.empty());
    // Nor does one whose reading fails after many blocks were read and parsed.
    std::string lines;
    while (lines.size() < 100000) lines += "1,37.6,55.7,1,60,1,90\r\n";
    for (const unsigned threads : {1u, 3u}) {
        test::FailingFile failing(lines);
        std::FILE* file = failing.open();
        ASSERT_NE(file, nullptr);
        EXPECT_FALSE(read_speedcam_stream(records, file, TextEncoding::Utf8, InputFormat::Navitel,
                                          {}, {4096, 2048, threads}));
        std::fclose(file);
        EXPECT_EQ(records.size(), 0u) << "threads " << threads;
    }
}

TEST(BigInput, OverlongLinesAreCutWithoutLosingTheirNeighbours) {
    const std::string huge(3 << 20, 'z');
    const std::string text = "1,2,3,4,5,6,7," + huge + "\n" + std::string(200000, '9') +
                             "\r\n0,1,2,3,4,0,5\n" + "1,2,3,4,5,6,7,tail" + huge;
    EXPECT_EQ(test::read_rows(text),
              (std::vector<std::string>{"2|3|4|5|7|" + std::string(127, 'z'), "1|2|3|4|5|",
                                        "2|3|4|5|7|tail" + std::string(123, 'z')}));
}

// A file of many blocks, parsed on worker threads: the records come out in file order, with
// or without the area filter, the tally of types is the one a plain count gives, and the
// objects the area kept out are counted, so that with them the list is the whole file.
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
    std::uint64_t objects = 0;
    for (const AreaFilter area : {AreaFilter{}, AreaFilter{37.2, 55.9, 37.8, 55.1}}) {
        const RecordList expected = read_in_blocks(dir.file("in.txt"), TextEncoding::Utf8,
                                                   InputFormat::Navitel, area, {kWhole, 2048, 1});
        ASSERT_GT(expected.size(), 30000u);
        if (!area.on()) objects = expected.size();
        for (const unsigned threads : {1u, 2u, 4u}) {
            const RecordList records =
                read_in_blocks(dir.file("in.txt"), TextEncoding::Utf8, InputFormat::Navitel, area,
                               {4096, 2048, threads});
            EXPECT_EQ(test::rows(records), test::rows(expected)) << "threads " << threads;
            EXPECT_EQ(test::tally(records), test::tally(expected)) << "threads " << threads;
            EXPECT_EQ(records.size() + records.kept_out(), objects) << "threads " << threads;
            EXPECT_EQ(records.kept_out() == 0, !area.on());
        }
    }
}

// Files from the internet: a huge one streams through; a locked one fails, and reads once it
// is free again.
TEST(HostileSpeedcam, HugeFilesStreamThrough) {
    test::TempDir dir;
    const std::wstring path = dir.file("big.txt");
    {
        // 200 MB: a valid object every thousandth line, junk in between.
        UniqueFile file = open_file(path, "wb");
        ASSERT_TRUE(file);
        std::string chunk = "1,37.5,55.5,1,60,1,90,ok" + std::string(25, ' ') + "\n";
        for (int i = 1; i < 1000; ++i) chunk += std::string(49, 'x') + "\n";
        for (int i = 0; i < 4000; ++i) std::fwrite(chunk.data(), 1, chunk.size(), file.get());
    }
    EXPECT_EQ(read(path, TextEncoding::Utf8).size(), 4000u);
}

#ifdef _WIN32
TEST(HostileSpeedcam, FileLockedByAnotherProgram) {
    test::TempDir dir;
    const std::wstring path = dir.file("speedcam.txt");
    test::write_bytes(path, "1,37.5,55.5,1,60,1,90\n");
    HANDLE lock = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    RecordList records;
    EXPECT_FALSE(read_speedcam_file(records, path, TextEncoding::Utf8, InputFormat::Navitel));
    CloseHandle(lock);
    EXPECT_EQ(read(path, TextEncoding::Utf8).size(), 1u);
}
#endif

// The record list's own paths that the reader seldom takes: tallies of which only one side
// was counted (a batch whose count ran out of memory), and a line rejected into a list that
// ends in a taken, empty segment: only the count of lines the area kept out remains.
TEST(RecordList, TalliesJoinOrAreCountedAfreshAndRejectedLinesLeaveNoTrace) {
    const LineRules moscow{InputFormat::Navitel, RowShape::Seven, {37, 56, 38, 55}};
    RecordList list, counted, uncounted, rejected;
    parse_speedcam_line(list, L"1,37.1,55.1,5,60,1,90,а", {});
    parse_speedcam_line(counted, L"1,2,3,7,0,0,0", {});
    parse_speedcam_line(uncounted, L"1,2,3,-1,0,0,0", {});
    parse_speedcam_line(rejected, L"1,10,10,1,0,0,0", moscow);
    list.type_tally(), counted.type_tally();
    ASSERT_TRUE(list.take(std::move(counted)) && list.take(std::move(uncounted)));
    EXPECT_EQ(test::tally(list),
              (std::vector<std::pair<int, std::uint64_t>>{{5, 1}, {7, 1}, {-1, 1}}));
    ASSERT_TRUE(list.take(std::move(rejected)));
    parse_speedcam_line(list, L"1,10,10,1,0,0,0", moscow);
    EXPECT_EQ(test::rows(list),
              (std::vector<std::string>{"37.1|55.1|5|60|90|а", "2|3|7|0|0|", "2|3|-1|0|0|"}));
    EXPECT_EQ(list.kept_out(), 2u) << "the taken list's and its own";
}

}  // namespace
