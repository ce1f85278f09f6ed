// Which lines become objects, what the record then holds, and which rows an iGO file has.
#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <optional>
#include <string>

#include "codepage.h"
#include "parser.h"
#include "test_support.h"

namespace {

struct Expected {
    const char* x;
    const char* y;
    int type_id, speed_limit, column6;
    const wchar_t* comment;
};

// Parses the line as text and as its UTF-8 and Windows-1251 bytes; all three must agree.
RecordList parse(std::wstring_view line, const LineRules& rules) {
    RecordList records;
    parse_speedcam_line(records, line, rules);
    std::wstring scratch;
    for (const TextEncoding encoding : {TextEncoding::Utf8, TextEncoding::Ansi}) {
        std::string bytes;
        if (encoding == TextEncoding::Utf8)
            bytes = to_utf8(line);
        else if (!test::ansi_is_cp1251() || !encode_ansi(line, bytes))
            continue;
        RecordList from_bytes;
        parse_speedcam_bytes(from_bytes, bytes, rules, encoding, scratch);
        EXPECT_EQ(from_bytes.size(), records.size()) << "encoding " << static_cast<int>(encoding);
        if (from_bytes.size() == 1 && records.size() == 1) {
            EXPECT_TRUE(same_record(from_bytes[0], records[0]));
        }
    }
    return records;
}

RecordList parse(std::wstring_view line, InputFormat format = InputFormat::Navitel) {
    return parse(line, LineRules{format, false, {}});
}

void expect_record(const RecordList& records, const Expected& e) {
    ASSERT_EQ(records.size(), 1u);
    const SpeedcamRecord& r = records[0];
    EXPECT_STREQ(r.x_text, e.x);
    EXPECT_STREQ(r.y_text, e.y);
    EXPECT_EQ((std::array{r.type_id, r.speed_limit, r.column6_value}),
              (std::array{e.type_id, e.speed_limit, e.column6}));
    EXPECT_STREQ(r.comment, e.comment);
}

// Lines that read the same in both dialects; accepted ones with their record.
const std::pair<const wchar_t*, std::optional<Expected>> kSharedSyntax[] = {
    {L"1,37.61755,55.75222,1,60,1,90", Expected{"37.61755", "55.75222", 1, 60, 90, L""}},
    {L"1,37.61755,55.75222,2,40,1,270,Main street, 5",
     Expected{"37.61755", "55.75222", 2, 40, 270, L"Main street, 5"}},
    {L"1,37.61755,55.75222,1,60,1,90 // near school",
     Expected{"37.61755", "55.75222", 1, 60, 90, L"// near school"}},
    {L"1,37.61755,55.75222,1,60,1,", Expected{"37.61755", "55.75222", 1, 60, 0, L""}},
    {L"1,37.61755,55.75222,1,60,1,90,", Expected{"37.61755", "55.75222", 1, 60, 90, L""}},
    {L"1,37.61755,55.75222,1,60,1,90,5", Expected{"37.61755", "55.75222", 1, 60, 90, L""}},
    // Numbers in front of the comment stay part of it.
    {L"1,37.61755,55.75222,1,60,1,90,12 km", Expected{"37.61755", "55.75222", 1, 60, 90, L"12 km"}},
    {L"1,37.61755,55.75222,1,60,1,90,5,7", std::nullopt},
    {L"1,37.61755,55.75222,1,60,1,90 ,text", std::nullopt},
    {L"IDX,X,Y,TYPE,SPEED,DIRTYPE,DIRECTION", std::nullopt},
    {L"1, 37.61755,55.75222,1,60,1,90", std::nullopt},
    {L",,,,,,", Expected{"", "", 0, 0, 0, L""}},
    {L"1,37.61755,55.75222,1.5,-60,1,90", Expected{"37.61755", "55.75222", 1, -60, 90, L""}},
    {L"1,1-2,55.75222,1,60,1,90", Expected{"1-2", "55.75222", 1, 60, 90, L""}},
    {L"\uFEFF1,37.61755,55.75222,1,60,1,90", std::nullopt},
    {L"1,37.61755,55.75222,1,60", std::nullopt},
    {L"1/2,37.61755,55.75222,1,60,1,90", std::nullopt},
    {L"1,37.61755,55.75222,1,60,1,90,Улица Ленина",
     Expected{"37.61755", "55.75222", 1, 60, 90, L"Улица Ленина"}},
    // Out-of-range numbers stop at the 32-bit limits.
    {L"1,0,0,99999999999,-99999999999,1,2147483648",
     Expected{"0", "0", 2147483647, -2147483647 - 1, 2147483647, L""}},
    {L"1,0,0,--5,5-3,1,.", Expected{"0", "0", 0, 5, 0, L""}},
    // A character of several bytes that ends column 6 goes as a whole.
    {L"1,37.61755,55.75222,1,60,1,90Ж камера",
     Expected{"37.61755", "55.75222", 1, 60, 90, L" камера"}},
    {L"1,37.61755,55.75222,1,60,1,90€", Expected{"37.61755", "55.75222", 1, 60, 90, L""}},
    {L"1,37.61755,55.75222,Ж,60,1,90", std::nullopt},
};

TEST(LineSyntax, EveryTableRowInBothDialects) {
    for (const InputFormat format : {InputFormat::Navitel, InputFormat::Igo}) {
        for (const auto& [line, expected] : kSharedSyntax) {
            SCOPED_TRACE(testing::PrintToString(std::wstring(line)));
            const RecordList records = parse(line, format);
            if (expected)
                expect_record(records, *expected);
            else
                EXPECT_EQ(records.size(), 0u);
        }
        EXPECT_EQ(parse(L"1,2,3,4,5,6,7", static_cast<InputFormat>(2)).size(), 0u);
    }
}

TEST(LineSyntax, ZeroUnitEndsTheLine) {
    expect_record(parse(std::wstring(L"1,37.6,55.7,1,60,1,90\0,5,7,garbage", 34)),
                  {"37.6", "55.7", 1, 60, 90, L""});
    expect_record(parse(std::wstring(L"1,37.6,55.7,1,60,1,90,ab\0cd", 27)),
                  {"37.6", "55.7", 1, 60, 90, L"ab"});
    EXPECT_EQ(parse(std::wstring(L"1,2,3\0,4,5,6,7", 14)).size(), 0u);
}

TEST(LineSyntax, FieldAndCommentLimits) {
    const std::wstring digits31(31, L'1');
    expect_record(parse(L"1," + digits31 + L",2,3,4,5,6"),
                  {to_utf8(digits31).c_str(), "2", 3, 4, 6, L""});
    for (int column = 0; column < 7; ++column) {
        std::wstring line;
        for (int c = 0; c < 7; ++c) line += (c ? L"," : L"") + std::wstring(c == column ? 32 : 1, L'7');
        EXPECT_EQ(parse(line).size(), 0u) << "column " << column;
    }
    // A 32-character run of digits in front of a comment rejects the line as well.
    EXPECT_EQ(parse(L"1,2,3,4,5,6,7," + std::wstring(32, L'8') + L" x").size(), 0u);
    const std::wstring long_comment(200, L'ж');
    EXPECT_EQ(std::wstring(parse(L"1,2,3,4,5,6,7," + long_comment)[0].comment),
              long_comment.substr(0, 127));
}

// Separators at every offset of the first 80 characters, across the blocks of characters
// that the byte reading tests together.
TEST(LineSyntax, ColumnsOfEveryWidth) {
    for (std::size_t x = 0; x <= 32; ++x)
        for (const std::size_t y : {0, 15, 16, 17, 31})
            for (const wchar_t* tail : {L"", L",Ж", L"Ж x", L",x", L"5 Улица"}) {
                const std::wstring line = L"12," + std::wstring(x, L'3') + L"," +
                                          std::wstring(y, L'4') + L",1,60,1,90" + tail;
                EXPECT_EQ(parse(line).size(), x <= 31 ? 1u : 0u) << to_utf8(line);
            }
}

TEST(LineSyntax, SixColumnRowsOnlyWhereTheFileHasThem) {
    const LineRules six{InputFormat::Igo, true, {}};
    expect_record(parse(L"-2.04503,52.62682,31,70,1,315", six),
                  {"-2.04503", "52.62682", 31, 70, 315, L""});
    expect_record(parse(L",,,,,", six), {"", "", 0, 0, 0, L""});
    for (const wchar_t* line : {L"X,Y,TYPE,SPEED,DirType,Direction", L"-2.0,52.6,31,70,1,315 x",
                                L"-2.0,52.6,31,70,1", L"1,37.6,55.7,1,60,1,90"})
        EXPECT_EQ(parse(line, six).size(), 0u) << to_utf8(line);
    EXPECT_EQ(parse(L"-2.04503,52.62682,31,70,1,315", InputFormat::Igo).size(), 0u);
}

// A row that lost its last column must not be read shifted by one: the shape is the file's.
TEST(IgoShape, DecidedOnceByHeaderOrMostRows) {
    const std::string damaged = "5,37.61755,55.75222,1,60,1\n";
    const std::pair<std::string, bool> files[] = {
        {"X,Y,TYPE,SPEED,DirType,Direction\n1,37.6,55.7,1,60,1,90\n", true},
        {"idx,x,y,type,speed,dirtype,direction\n" + damaged + damaged, false},
        {"1,37.6,55.7,1,60,1,90\n" + damaged + "2,37.6,55.7,1,60,1,90\n", false},
        {damaged + damaged + "1,37.6,55.7,1,60,1,90\n", true},
        {"", false},
    };
    for (const auto& [text, six] : files) {
        for (const TextEncoding e : {TextEncoding::Utf8, TextEncoding::Utf16}) {
            std::string bytes = text;
            if (e == TextEncoding::Utf16) {
                bytes = "\xff\xfe";
                for (char c : text) bytes += {c, '\0'};
            }
            EXPECT_EQ(igo_rows_have_six_columns(bytes, e, true), six) << text;
        }
    }
    const RecordList read = test::read_text(files[2].first, TextEncoding::Utf8, InputFormat::Igo);
    ASSERT_EQ(read.size(), 2u) << "the damaged row is dropped";
    EXPECT_STREQ(read[1].x_text, "37.6");
}

TEST(AreaFilter, StrictBoundsAndSwitchedOff) {
    const auto kept = [](const wchar_t* x, const wchar_t* y, const AreaFilter& area) {
        return parse(std::wstring(L"1,") + x + L"," + y + L",1,60,1,90",
                     LineRules{InputFormat::Navitel, false, area})
            .size();
    };
    const AreaFilter moscow{37, 56, 38, 55};
    const std::tuple<const wchar_t*, const wchar_t*, std::size_t> points[] = {
        {L"37.5", L"55.5", 1},   {L"37", L"55.5", 0},     {L"38", L"55.5", 0},
        {L"37.5", L"56", 0},     {L"37.5", L"55", 0},     {L"", L"", 0},
        {L"37.5-9", L"55.5", 1}, {L"37.9999999", L"55.0000001", 1}};
    for (const auto& [x, y, n] : points) EXPECT_EQ(kept(x, y, moscow), n) << to_utf8(x);
    EXPECT_EQ(kept(L"37.5", L"55.5", {38, 56, 37, 55}), 0u);  // west east of east
    EXPECT_EQ(kept(L"37.5", L"55.5", {37, 55, 38, 56}), 0u);  // south north of north
    // Any bound of 0 switches the filter off; a bound that is not a number keeps it on.
    for (const AreaFilter off : {AreaFilter{0, 56, 38, 55}, {37, 0, 38, 55}, {37, 56, 0, 55},
                                 {37, 56, 38, 0}})
        EXPECT_EQ(kept(L"-120", L"80", off), 1u);
    EXPECT_EQ(kept(L"37.5", L"55.5", {37, 56, 38, std::numeric_limits<double>::quiet_NaN()}), 0u);
}

}  // namespace
