// Which lines become objects, what the record then holds, and which shape a file's rows have.
#include <gtest/gtest.h>

#include <limits>
#include <sstream>
#include <string>

#include "codepage.h"
#include "parser.h"
#include "test_support.h"

using namespace std::literals;

void PrintTo(RowShape shape, std::ostream* out) {
    *out << (shape == RowShape::Six ? "six" : shape == RowShape::Nine ? "nine" : "seven");
}

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
            EXPECT_EQ(parse(line, {format, RowShape::Seven, {}}), entry.substr(tab + 1)) << entry;
    }
    EXPECT_EQ(parse(L"1,2,3,4,5,6,7", {static_cast<InputFormat>(2), RowShape::Seven, {}}), "");
}

TEST(LineSyntax, FieldAndCommentLimits) {
    const std::string digits31(31, '1');
    EXPECT_EQ(parse(L"1," + from_utf8(digits31) + L",2,3,4,5,6"), digits31 + "|2|3|4|6|");
    // 31 characters fit every numeric column of every shape, the last one too, whether the
    // line ends there or a comment follows; a 32nd rejects the line.
    for (const auto& [shape, columns] :
         {std::pair{RowShape::Seven, 7}, {RowShape::Six, 6}, {RowShape::Nine, 9}})
        for (int column = 0; column < columns; ++column)
            for (const std::size_t width : {31, 32})
                for (const wchar_t* tail : {L"", L" x", L",x"}) {
                    std::wstring line;
                    for (int c = 0; c < columns; ++c)
                        line += (c ? L"," : L"") + std::wstring(c == column ? width : 1, L'7');
                    line += tail;
                    EXPECT_EQ(parse(line, {InputFormat::Igo, shape, {}}).empty(), width > 31)
                        << to_utf8(line) << " shape " << static_cast<int>(shape);
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

// Each shape reads its own rows, in both dialects; the text after the last numeric column is
// the comment by the same rules in every shape. A row of another shape is rejected, never
// read shifted.
TEST(LineSyntax, EachShapeReadsItsOwnRows) {
    const std::string bad;
    const std::string a40 = "-2.04503|52.62682|4|70|315|";
    const std::tuple<RowShape, const wchar_t*, std::string> lines[] = {
        {RowShape::Six, L"-2.04503,52.62682,31,70,1,315", "-2.04503|52.62682|31|70|315|"},
        {RowShape::Six, L",,,,,", "||0|0|0|"},
        {RowShape::Six, L"-2.04503,52.62682,4,70,1,315,A40 Northbound", a40 + "A40 Northbound"},
        {RowShape::Six, L"-2.04503,52.62682,4,70,1,315 // A40", a40 + "// A40"},
        {RowShape::Six, L"-2.04503,52.62682,4,70,1,315,M6 J10, southbound",
         a40 + "M6 J10, southbound"},
        {RowShape::Six, L"-2.04503,52.62682,4,70,1,315,", a40},
        {RowShape::Six, L"-2.04503,52.62682,4,70,1,315Ж x", a40 + " x"},
        {RowShape::Six, L"X,Y,TYPE,SPEED,DirType,Direction", bad},
        {RowShape::Six, L"-2.0,52.6,31,70,1", bad},
        // Indexed rows of seven: as six they would start with the index as X.
        {RowShape::Six, L"1,37.6,55.7,1,60,1,90", bad},
        {RowShape::Six, L"1,37.6,55.7,1,60,1,90 // камера", bad},
        {RowShape::Six, L"1,37.6,55.7,1,60,1,90,Main street", bad},
        {RowShape::Seven, L"-2.04503,52.62682,31,70,1,315", bad},
        {RowShape::Nine, L"1,38.812283,55.122158,1,90,1,289,500,20 // source | Статическая камера",
         "38.812283|55.122158|1|90|289|// source | Статическая камера"},
        {RowShape::Nine, L"1,38.8,55.1,1,90,1,289,500,20", "38.8|55.1|1|90|289|"},
        {RowShape::Nine, L"1,38.8,55.1,1,90,1,289,500,20,Улица Ленина, 5",
         "38.8|55.1|1|90|289|Улица Ленина, 5"},
        {RowShape::Nine, L"1,38.8,55.1,1,90,1,289,500,20,12 km", "38.8|55.1|1|90|289|12 km"},
        {RowShape::Nine, L"1,38.8,55.1,1,90,1,289,500,20,5", "38.8|55.1|1|90|289|"},
        {RowShape::Nine, L"1,38.8,55.1,1,90,1,289,,", "38.8|55.1|1|90|289|"},
        {RowShape::Nine, L"1,38.8,55.1,1,90,1,289,500,20Ж камера", "38.8|55.1|1|90|289| камера"},
        {RowShape::Nine, L"1,38.8,55.1,1,90,1,289,500,20,5,7", bad},
        {RowShape::Nine, L"1,38.8,55.1,1,90,1,289,500 // камера", bad},
        {RowShape::Nine, L"1,37.6,55.7,1,60,1,90", bad},
        {RowShape::Nine, L"1,37.6,55.7,1,60,1,90,Main street", bad},
        {RowShape::Nine, L"1,37.6,55.7,1,60,1,90 // камера", bad},
        // A stray nine-column line in a file of seven is rejected, as it always was.
        {RowShape::Seven, L"1,38.8,55.1,1,90,1,289,500,20 // source | Статическая камера", bad},
        {RowShape::Seven, L"1,38.8,55.1,1,90,1,289,500,20", bad},
    };
    for (const auto& [shape, line, row] : lines)
        for (const InputFormat format : {InputFormat::Navitel, InputFormat::Igo})
            EXPECT_EQ(parse(line, {format, shape, {}}), row) << to_utf8(line);
}

// A row that lost its last column must not be read shifted by one: the shape is the file's,
// decided by its header, else by most of its first rows.
TEST(RowShapes, DecidedOncePerFileByHeaderOrMostRows) {
    using enum RowShape;
    const std::string seven = "1,37.6,55.7,1,60,1,90\n", damaged = "5,37.61755,55.75222,1,60,1\n",
                      named = "-2.04503,52.62682,4,70,1,315,A40 Northbound\n",
                      nine = "1,38.8,55.1,1,90,1,289,500,20 // source | камера\n",
                      commented = "1,37.6,55.7,1,60,1,90 // камера\n";
    // The text, and its shape read as Navitel and as iGO.
    const std::tuple<std::string, RowShape, RowShape> files[] = {
        {"X,Y,TYPE,SPEED,DirType,Direction\n" + seven, Seven, Six},
        {"idx,x,y,type,speed,dirtype,direction\n" + damaged + damaged, Seven, Seven},
        {"IDX,X,Y,TYPE,SPEED,DIRTYPE,DIRECTION,COMMENT\n" + nine + nine, Seven, Seven},
        {"Idx,X,Y,Type,Speed,DirType,Direction,Distance,Angle // OpenSpeedcam, 2024\n" + seven,
         Nine, Nine},
        {"IDX,X,Y,TYPE,SPEED,DIRTYPE,DIRECTION,DISTANCE,ANGLE,\n", Nine, Nine},
        {"IDX,X,Y,TYPE,SPEED,DIRTYPE,DIRECTION,DISTANCE,ANGLE,SOURCE\n" + nine, Seven, Seven},
        {seven + damaged + seven, Seven, Seven},
        {damaged + damaged + seven, Seven, Six},
        {named + named + seven, Seven, Six},
        {nine + nine + seven, Nine, Nine},
        {seven + seven + nine, Seven, Seven},
        {commented + commented + commented + damaged, Seven, Seven},
        {"", Seven, Seven},
    };
    for (const auto& [text, navitel, igo] : files) {
        std::string utf16 = "\xff\xfe";
        for (wchar_t c : from_utf8(text))
            utf16 += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        for (const auto& [format, shape] :
             {std::pair{InputFormat::Navitel, navitel}, {InputFormat::Igo, igo}}) {
            // The same with a mark, in every encoding.
            for (const auto& [bytes, encoding] : {std::pair{text, TextEncoding::Utf8},
                                                  {"\xef\xbb\xbf" + text, TextEncoding::Ansi},
                                                  {utf16, TextEncoding::Utf16}})
                EXPECT_EQ(decide_row_shape(bytes, encoding, format, true), shape) << text;
        }
    }
    EXPECT_EQ(test::read_rows(seven + damaged + "2,37.6,55.7,1,60,1,90\n", InputFormat::Igo),
              std::vector<std::string>(2, "37.6|55.7|1|60|90|"))
        << "the damaged row is dropped";
}

TEST(AreaFilter, StrictBoundsAndSwitchedOff) {
    const auto kept = [](const wchar_t* x, const wchar_t* y, const AreaFilter& area) {
        return !parse(std::wstring(L"1,") + x + L"," + y + L",1,60,1,90",
                      {InputFormat::Navitel, RowShape::Seven, area})
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
