// Which lines become objects, what the record then holds, and which shape a file's rows have.
#include <gtest/gtest.h>

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
    for (const auto& entry : test::table("line_syntax.txt")) {
        std::wstring line = entry[0];
        RowShape shape = RowShape::Seven;
        for (const auto& [name, marked] :
             {std::pair{L"six "sv, RowShape::Six}, {L"nine "sv, RowShape::Nine}})
            if (line.starts_with(name)) shape = marked, line.erase(0, name.size());
        AreaFilter area;
        if (line.starts_with(L"in ")) {
            line.erase(0, 3);
            for (double* bound : {&area.west, &area.north, &area.east, &area.south}) {
                std::size_t used = 0;
                *bound = std::stod(line, &used);
                line.erase(0, used + 1);
            }
        }
        for (const InputFormat format : {InputFormat::Navitel, InputFormat::Igo})
            EXPECT_EQ(parse(line, {format, shape, area}), to_utf8(entry[1])) << to_utf8(line);
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

// A row that lost its last column must not be read shifted by one: the shape is the file's,
// decided by its header, else by most of its first rows.
TEST(RowShapes, DecidedOncePerFileByHeaderOrMostRows) {
    const auto name = [](RowShape shape) {
        return shape == RowShape::Six ? L"six" : shape == RowShape::Nine ? L"nine" : L"seven";
    };
    // tests/data/row_shapes.txt, in UTF-8, ANSI with a mark and UTF-16.
    for (const auto& entry : test::table("row_shapes.txt")) {
        const std::wstring& text = entry[1];
        std::string utf16 = "\xff\xfe";
        for (wchar_t c : text) utf16 += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        for (const auto& [bytes, encoding] : {std::pair{to_utf8(text), TextEncoding::Utf8},
                                              {"\xef\xbb\xbf" + to_utf8(text), TextEncoding::Ansi},
                                              {utf16, TextEncoding::Utf16}})
            EXPECT_EQ(
                std::wstring(name(decide_row_shape(bytes, encoding, InputFormat::Navitel, true))) +
                    L" " + name(decide_row_shape(bytes, encoding, InputFormat::Igo, true)),
                entry[0])
                << to_utf8(text);
    }
}

}  // namespace
