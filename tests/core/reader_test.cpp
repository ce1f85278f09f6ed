// Reading whole files: line ends, byte-order marks, encodings, block boundaries, worker
// threads, the record list they fill, and files from the internet: a clear result, never a
// crash, a hang or half a result, for huge files and locked ones. Whole conversions compared
// byte for byte with hand-checked speedcam.csv files; the digests of the real public files'
// conversions are checked by tools/realdata_golden.sh.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>

#include "camera_types.h"
#include "codepage.h"
#include "export.h"
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
                InputFormat format = InputFormat::Navitel, const AreaFilter& area = {}) {
    RecordList records;
    EXPECT_TRUE(read_speedcam_file(records, path, encoding, format, area));
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

// The encoding and dialect that a row of tests/data/readings.txt names, such as "utf8 igo".
std::pair<TextEncoding, InputFormat> read_as(std::wstring_view how) {
    return {how.starts_with(L"utf8")    ? TextEncoding::Utf8
            : how.starts_with(L"utf16") ? TextEncoding::Utf16
                                        : TextEncoding::Ansi,
            how.ends_with(L"igo") ? InputFormat::Igo : InputFormat::Navitel};
}

// Every file of tests/data/readings.txt reads as it says, and alike in blocks as small as one
// byte, which put boundaries inside CR LF, UTF-8 sequences, UTF-16 units and right after the
// mark, on one thread or three; where a reference CSV is named, its conversion gives it byte
// for byte.
TEST(Golden, DataFilesReadAlikeInTinyBlocksAndConvertExactly) {
    for (const auto& row : test::table("readings.txt")) {
        SCOPED_TRACE(to_utf8(row[0]));
        const auto [encoding, format] = read_as(row[1]);
        if (encoding == TextEncoding::Ansi && !test::ansi_is_cp1251()) continue;
        const std::wstring path = test::data_path(to_utf8(row[0]));
        const RecordList whole = read(path, encoding, format);
        EXPECT_TRUE(row[2] != L"five" || test::rows(whole) == kNavitelRows);
        for (std::size_t block = 1; block <= 40; ++block)
            for (const unsigned threads : {1u, 3u})
                EXPECT_EQ(
                    test::rows(read_in_blocks(path, encoding, format, {}, {block, 2048, threads})),
                    test::rows(whole))
                    << "block " << block << ", threads " << threads;
        if (row.size() < 5) continue;
        AreaFilter area;
        std::wistringstream(row.size() > 5 ? row[5] : L"") >> area.west >> area.north >>
            area.east >> area.south;
        CameraTypeList types;
        load_camera_types(types, test::data_path(to_utf8(row[4])), format);
        EXPECT_SAME_BYTES(test::read_bytes(test::data_path(to_utf8(row[3]), "expected")),
                          test::exported_csv(read(path, encoding, format, area), types));
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
    CameraTypeList types;
    load_camera_types(types, from_utf8(std::string(ORVANE_SOURCE_ROOT) + "/resources/Config.txt"),
                      InputFormat::Igo);
    for (const auto& [name, expected] : files) {
        SCOPED_TRACE(name);
        const std::wstring path =
            from_utf8(std::string(ORVANE_SOURCE_ROOT) + "/../shared/realdata/" + name);
        if (!open_file(path, "rb")) GTEST_SKIP() << "../shared/realdata is not beside the tree";
        const RecordList records = read(path, TextEncoding::Utf8, InputFormat::Igo);
        test::exported_csv(records, types);
        Tally tally = test::tally(records);
        std::sort(tally.begin(), tally.end(), [](auto a, auto b) { return a.second > b.second; });
        EXPECT_EQ(tally, expected);

        const AreaFilter area{-1.5, 59.8, 58.4, 43.05};
        std::vector<bool> kept;
        records.for_each([&](const SpeedcamRecord& r) {
            kept.push_back(
                area.contains(coordinate_to_double(r.x_text), coordinate_to_double(r.y_text)));
        });
        const ExportPlan drawn = plan_export(export_shares(records, types), &kept);
        const RecordList inside = read(path, TextEncoding::Utf8, InputFormat::Igo, area);
        EXPECT_EQ(drawn.bytes, test::exported_csv(inside, types).size());
        EXPECT_LT(inside.size(), records.size());
    }
}

TEST(Encodings, MismatchedOnesGiveNoObjectsAndRereadingReplaces) {
    // How many objects each file of tests/data/readings.txt gives, on every code page.
    for (const auto& row : test::table("readings.txt")) {
        if (row[2] == L"five") continue;
        const auto [encoding, format] = read_as(row[1]);
        EXPECT_EQ(read(test::data_path(to_utf8(row[0])), encoding, format).size(),
                  std::stoul(row[2]))
            << to_utf8(row[0]);
    }
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
    test::TempDir dir;
    test::write_bytes(dir.file("in.txt"), text);
    EXPECT_EQ(test::rows(read(dir.file("in.txt"), TextEncoding::Utf8)),
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
