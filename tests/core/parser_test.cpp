// Which lines become objects, what the record then holds, and which rows an iGO file has.
#include <gtest/gtest.h>

#include <limits>
#include <sstream>
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

// tests/data/line_syntax.txt: lines that read the same in both dialects, and their records.
TEST(LineSyntax, EveryTableRowInBothDialects) {
    const std::string text = test::read_bytes(test::data_path("line_syntax.txt"));
    ASSERT_NE(text.find('\t'), std::string::npos);
    std::istringstream table(text);
    for (std::string entry; std::getline(table, entry);) {
        if (entry.empty() || entry[0] == '#') continue;
        const std::size_t tab = entry.find('\t');
        std::wstring line = from_utf8(entry.substr(0, tab));
        for (const auto& [code, unit] : {std::pair{L"\\0"sv, L"\0"sv}, {L"\\uFEFF"sv, L"\uFEFF"sv}})
            for (std::size_t at; (at = line.find(code)) != std::wstring::npos;)
                line.replace(at, code.size(), unit);
        for (const InputFormat format : {InputFormat::Navitel, InputFormat::Igo})
            EXPECT_EQ(parse(line, {format, false, {}}), entry.substr(tab + 1)) << entry;
    }
    EXPECT_EQ(parse(L"1,2,3,4,5,6,7", {static_cast<InputFormat>(2), false, {}}), "");
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
    EXPECT_EQ(test::read_rows(files[2].first, InputFormat::Igo),
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
