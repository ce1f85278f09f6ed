// Which lines become objects, what the record then holds, and which rows an iGO file has.
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "codepage.h"
#include "parser.h"
#include "test_support.h"

using namespace std::literals;

namespace {

// The line's record as test::row gives it, "" when the line is no object. The line is parsed
// as text and as its UTF-8 and Windows-1251 bytes; all three must agree.
std::string parse(std::wstring_view line, const LineRules& rules = {}) {
    RecordList records;
    parse_speedcam_line(records, line, rules);
    std::wstring scratch;
    for (const TextEncoding encoding : {TextEncoding::Utf8, TextEncoding::Ansi}) {
        std::string bytes = to_utf8(line);
        if (encoding == TextEncoding::Ansi &&
            (!test::ansi_is_cp1251() || !encode_ansi(line, bytes)))
            continue;
        RecordList from_bytes;
        parse_speedcam_bytes(from_bytes, bytes, rules, encoding, scratch);
        EXPECT_EQ(test::rows(from_bytes), test::rows(records)) << static_cast<int>(encoding);
    }
    EXPECT_LE(records.size(), 1u);
    return records.empty() ? "" : test::row(records[0]);
}

// Lines that read the same in both dialects, and the record each gives.
const std::pair<std::wstring_view, const char*> kSharedSyntax[] = {
    {L"1,37.61755,55.75222,1,60,1,90", "37.61755|55.75222|1|60|90|"},
    {L"1,37.61755,55.75222,2,40,1,270,Main street, 5", "37.61755|55.75222|2|40|270|Main street, 5"},
    {L"1,37.61755,55.75222,1,60,1,90 // near school", "37.61755|55.75222|1|60|90|// near school"},
    {L"1,37.61755,55.75222,1,60,1,", "37.61755|55.75222|1|60|0|"},
    {L"1,37.61755,55.75222,1,60,1,90,", "37.61755|55.75222|1|60|90|"},
    {L"1,37.61755,55.75222,1,60,1,90,5", "37.61755|55.75222|1|60|90|"},
    // Numbers in front of the comment stay part of it.
    {L"1,37.61755,55.75222,1,60,1,90,12 km", "37.61755|55.75222|1|60|90|12 km"},
    {L"1,37.61755,55.75222,1,60,1,90,5,7", ""},
    {L"1,37.61755,55.75222,1,60,1,90 ,text", ""},
    {L"IDX,X,Y,TYPE,SPEED,DIRTYPE,DIRECTION", ""},
    {L"1, 37.61755,55.75222,1,60,1,90", ""},
    {L",,,,,,", "||0|0|0|"},
    {L"1,37.61755,55.75222,1.5,-60,1,90", "37.61755|55.75222|1|-60|90|"},
    {L"1,1-2,55.75222,1,60,1,90", "1-2|55.75222|1|60|90|"},
    {L"\uFEFF1,37.61755,55.75222,1,60,1,90", ""},
    {L"1,37.61755,55.75222,1,60", ""},
    {L"1/2,37.61755,55.75222,1,60,1,90", ""},
    {L"1,37.61755,55.75222,1,60,1,90,Улица Ленина", "37.61755|55.75222|1|60|90|Улица Ленина"},
    // Out-of-range numbers stop at the 32-bit limits.
    {L"1,0,0,99999999999,-99999999999,1,2147483648", "0|0|2147483647|-2147483648|2147483647|"},
    {L"1,0,0,--5,5-3,1,.", "0|0|0|5|0|"},
    // A character of several bytes that ends column 6 goes as a whole.
    {L"1,37.61755,55.75222,1,60,1,90Ж камера", "37.61755|55.75222|1|60|90| камера"},
    {L"1,37.61755,55.75222,1,60,1,90€", "37.61755|55.75222|1|60|90|"},
    {L"1,37.61755,55.75222,Ж,60,1,90", ""},
    // A zero unit ends the line.
    {L"1,37.6,55.7,1,60,1,90\0,5,7,garbage"sv, "37.6|55.7|1|60|90|"},
    {L"1,37.6,55.7,1,60,1,90,ab\0cd"sv, "37.6|55.7|1|60|90|ab"},
    {L"1,2,3\0,4,5,6,7"sv, ""},
    // A 32-character run of digits in front of a comment rejects the line.
    {L"1,2,3,4,5,6,7,88888888888888888888888888888888 x", ""},
};

TEST(LineSyntax, EveryTableRowInBothDialects) {
    for (const InputFormat format : {InputFormat::Navitel, InputFormat::Igo}) {
        for (const auto& [line, expected] : kSharedSyntax)
            EXPECT_EQ(parse(line, {format, false, {}}), expected)
                << testing::PrintToString(std::wstring(line));
        EXPECT_EQ(parse(L"1,2,3,4,5,6,7", {static_cast<InputFormat>(2), false, {}}), "");
    }
}

TEST(LineSyntax, FieldAndCommentLimits) {
    const std::string digits31(31, '1');
    EXPECT_EQ(parse(L"1," + from_utf8(digits31) + L",2,3,4,5,6"), digits31 + "|2|3|4|6|");
    for (int column = 0; column < 7; ++column) {
        std::wstring line;
        for (int c = 0; c < 7; ++c)
            line += (c ? L"," : L"") + std::wstring(c == column ? 32 : 1, L'7');
        EXPECT_EQ(parse(line), "") << "column " << column;
    }
    EXPECT_EQ(parse(L"1,2,3,4,5,6,7," + std::wstring(200, L'ж')),
              "2|3|4|5|7|" + to_utf8(std::wstring(127, L'ж')));
    // Separators at every offset of the first 80 characters, across the blocks of characters
    // that the byte reading tests together.
    for (std::size_t x = 0; x <= 32; ++x)
        for (const std::size_t y : {0, 15, 16, 17, 31})
            for (const wchar_t* tail : {L"", L",Ж", L"Ж x", L",x", L"5 Улица"}) {
                const std::wstring line = L"12," + std::wstring(x, L'3') + L"," +
                                          std::wstring(y, L'4') + L",1,60,1,90" + tail;
                EXPECT_EQ(parse(line).empty(), x > 31) << to_utf8(line);
            }
}

TEST(LineSyntax, SixColumnRowsOnlyWhereTheFileHasThem) {
    const LineRules six{InputFormat::Igo, true, {}};
    EXPECT_EQ(parse(L"-2.04503,52.62682,31,70,1,315", six), "-2.04503|52.62682|31|70|315|");
    EXPECT_EQ(parse(L",,,,,", six), "||0|0|0|");
    for (const wchar_t* line : {L"X,Y,TYPE,SPEED,DirType,Direction", L"-2.0,52.6,31,70,1,315 x",
                                L"-2.0,52.6,31,70,1", L"1,37.6,55.7,1,60,1,90"})
        EXPECT_EQ(parse(line, six), "") << to_utf8(line);
    EXPECT_EQ(parse(L"-2.04503,52.62682,31,70,1,315", {InputFormat::Igo, false, {}}), "");
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
        std::string utf16 = "\xff\xfe";
        for (char c : text) utf16 += {c, '\0'};
        EXPECT_EQ(igo_rows_have_six_columns(text, TextEncoding::Utf8, true), six) << text;
        EXPECT_EQ(igo_rows_have_six_columns(utf16, TextEncoding::Utf16, true), six) << text;
    }
    EXPECT_EQ(test::rows(test::read_text(files[2].first, TextEncoding::Utf8, InputFormat::Igo)),
              std::vector<std::string>(2, "37.6|55.7|1|60|90|"))
        << "the damaged row is dropped";
}

TEST(AreaFilter, StrictBoundsAndSwitchedOff) {
    const auto kept = [](const wchar_t* x, const wchar_t* y, const AreaFilter& area) {
        return !parse(std::wstring(L"1,") + x + L"," + y + L",1,60,1,90",
                      {InputFormat::Navitel, false, area})
                    .empty();
    };
    const AreaFilter moscow{37, 56, 38, 55};
    const std::tuple<const wchar_t*, const wchar_t*, bool> points[] = {
        {L"37.5", L"55.5", true},   {L"37", L"55.5", false},
        {L"38", L"55.5", false},    {L"37.5", L"56", false},
        {L"37.5", L"55", false},    {L"", L"", false},
        {L"37.5-9", L"55.5", true}, {L"37.9999999", L"55.0000001", true}};
    for (const auto& [x, y, in] : points) EXPECT_EQ(kept(x, y, moscow), in) << to_utf8(x);
    EXPECT_FALSE(kept(L"37.5", L"55.5", {38, 56, 37, 55}));  // west east of east
    EXPECT_FALSE(kept(L"37.5", L"55.5", {37, 55, 38, 56}));  // south north of north
    // Any bound of 0 switches the filter off; a bound that is not a number keeps it on.
    for (const AreaFilter off :
         {AreaFilter{0, 56, 38, 55}, {37, 0, 38, 55}, {37, 56, 0, 55}, {37, 56, 38, 0}})
        EXPECT_TRUE(kept(L"-120", L"80", off));
    EXPECT_FALSE(kept(L"37.5", L"55.5", {37, 56, 38, std::numeric_limits<double>::quiet_NaN()}));
}

}  // namespace
