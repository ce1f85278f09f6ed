// Which lines become objects, and what the record then holds.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "codepage.h"
#include "cp1251.h"
#include "parser.h"
#include "test_support.h"

namespace {

struct Expected {
    const wchar_t* x;
    const wchar_t* y;
    int type_id;
    int speed_limit;
    int column6;
    const wchar_t* comment;
};

struct Case {
    const wchar_t* line;
    bool accepted;
    Expected record;
};

// The line's bytes in Windows-1251, or nothing when it has a character that code page lacks.
std::optional<std::string> to_cp1251(std::wstring_view line) {
    std::string bytes;
    for (const wchar_t c : line) {
        const int b = unicode_to_cp1251(c);
        if (b < 0) return std::nullopt;
        bytes.push_back(static_cast<char>(b));
    }
    return bytes;
}

// Parses the line as text and as its UTF-8 and Windows-1251 bytes; all three must agree.
AppState parse(std::wstring_view line, InputFormat format, const AreaFilter& filter = {}) {
    AppState state;
    state.filter.area = filter;
    parse_speedcam_line(state, line, format);

    std::wstring scratch;
    for (const TextEncoding encoding : {TextEncoding::Utf8, TextEncoding::Ansi}) {
        const std::optional<std::string> bytes =
            encoding == TextEncoding::Utf8 ? to_utf8(line) : to_cp1251(line);
        if (!bytes || (encoding == TextEncoding::Ansi && !test::ansi_is_cp1251())) continue;
        AppState from_bytes;
        from_bytes.filter.area = filter;
        parse_speedcam_bytes(from_bytes, *bytes, format, encoding, scratch);
        EXPECT_EQ(from_bytes.records.size(), state.records.size())
            << "bytes in encoding " << static_cast<int>(encoding);
        if (from_bytes.records.size() == 1 && state.records.size() == 1) {
            EXPECT_TRUE(same_record(from_bytes.records[0], state.records[0]))
                << "bytes in encoding " << static_cast<int>(encoding);
        }
    }
    return state;
}

void expect_record(const SpeedcamRecord& r, const Expected& e) {
    EXPECT_EQ(test::wide(r.x_text), e.x);
    EXPECT_EQ(test::wide(r.y_text), e.y);
    EXPECT_EQ(r.type_id, e.type_id);
    EXPECT_EQ(r.speed_limit, e.speed_limit);
    EXPECT_EQ(r.column6_value, e.column6);
    EXPECT_STREQ(r.comment, e.comment);
}

// Lines that read the same in both dialects.
const Case kSharedSyntax[] = {
    {L"1,37.61755,55.75222,1,60,1,90", true, {L"37.61755", L"55.75222", 1, 60, 90, L""}},
    {L"1,37.61755,55.75222,2,40,1,270,Main street",
     true,
     {L"37.61755", L"55.75222", 2, 40, 270, L"Main street"}},
    {L"1,37.61755,55.75222,2,40,1,270,Main street, 5",
     true,
     {L"37.61755", L"55.75222", 2, 40, 270, L"Main street, 5"}},
    {L"1,37.61755,55.75222,1,60,1,90 // near school",
     true,
     {L"37.61755", L"55.75222", 1, 60, 90, L"// near school"}},
    {L"1,37.61755,55.75222,1,60,1,", true, {L"37.61755", L"55.75222", 1, 60, 0, L""}},
    {L"1,37.61755,55.75222,1,60,1,90,", true, {L"37.61755", L"55.75222", 1, 60, 90, L""}},
    {L"1,37.61755,55.75222,1,60,1,90,5", true, {L"37.61755", L"55.75222", 1, 60, 90, L""}},
    // Numbers in front of the comment stay part of it.
    {L"1,37.61755,55.75222,1,60,1,90,12 km", true, {L"37.61755", L"55.75222", 1, 60, 90, L"12 km"}},
    {L"1,37.61755,55.75222,1,60,1,90,5,7", false, {}},
    {L"1,37.61755,55.75222,1,60,1,90 ,text", false, {}},
    {L"IDX,X,Y,TYPE,SPEED,DIRTYPE,DIRECTION", false, {}},
    {L"1, 37.61755,55.75222,1,60,1,90", false, {}},
    {L",,,,,,", true, {L"", L"", 0, 0, 0, L""}},
    {L"1,37.61755,55.75222,1.5,-60,1,90", true, {L"37.61755", L"55.75222", 1, -60, 90, L""}},
    {L"1,1-2,55.75222,1,60,1,90", true, {L"1-2", L"55.75222", 1, 60, 90, L""}},
    {L"\uFEFF1,37.61755,55.75222,1,60,1,90", false, {}},
    {L"1,37.61755,55.75222,1,60", false, {}},
    {L"1/2,37.61755,55.75222,1,60,1,90", false, {}},
    {L"1,37.61755,55.75222,1,60,1,90,Улица Ленина",
     true,
     {L"37.61755", L"55.75222", 1, 60, 90, L"Улица Ленина"}},
    // Out-of-range numbers stop at the 32-bit limits.
    {L"1,0,0,99999999999,-99999999999,1,2147483648",
     true,
     {L"0", L"0", 2147483647, -2147483647 - 1, 2147483647, L""}},
    {L"1,0,0,--5,5-3,1,.", true, {L"0", L"0", 0, 5, 0, L""}},
    // A character of several bytes that ends column 6 goes as a whole.
    {L"1,37.61755,55.75222,1,60,1,90Ж камера",
     true,
     {L"37.61755", L"55.75222", 1, 60, 90, L" камера"}},
    {L"1,37.61755,55.75222,1,60,1,90€", true, {L"37.61755", L"55.75222", 1, 60, 90, L""}},
    {L"1,37.61755,55.75222,Ж,60,1,90", false, {}},
};

TEST(LineSyntax, EveryTableRowInBothDialects) {
    for (const InputFormat format : {InputFormat::Navitel, InputFormat::Igo}) {
        for (const Case& c : kSharedSyntax) {
            SCOPED_TRACE(testing::Message() << "format " << static_cast<int>(format) << " line "
                                            << testing::PrintToString(std::wstring(c.line)));
            const AppState state = parse(c.line, format);
            ASSERT_EQ(state.records.size(), c.accepted ? 1u : 0u);
            if (c.accepted) expect_record(state.records[0], c.record);
        }
    }
}

TEST(LineSyntax, SixColumnIgoLineIsAccepted) {
    const AppState igo = parse(L"-2.04503,52.62682,31,70,1,315", InputFormat::Igo);
    ASSERT_EQ(igo.records.size(), 1u);
    expect_record(igo.records[0], {L"-2.04503", L"52.62682", 31, 70, 315, L""});

    const AppState empty_columns = parse(L",,,,,", InputFormat::Igo);
    ASSERT_EQ(empty_columns.records.size(), 1u);
    expect_record(empty_columns.records[0], {L"", L"", 0, 0, 0, L""});

    // Navitel keeps the shared syntax: six columns are too few.
    EXPECT_EQ(parse(L"-2.04503,52.62682,31,70,1,315", InputFormat::Navitel).records.size(), 0u);
    // Only all-numeric six-column rows qualify.
    EXPECT_EQ(parse(L"X,Y,TYPE,SPEED,DirType,Direction", InputFormat::Igo).records.size(), 0u);
    EXPECT_EQ(parse(L"-2.04503,52.62682,31,70,1,315 x", InputFormat::Igo).records.size(), 0u);
    EXPECT_EQ(parse(L"-2.04503,52.62682,31,70,1", InputFormat::Igo).records.size(), 0u);
}

TEST(LineSyntax, FieldAndCommentLimits) {
    const std::wstring digits31(31, L'1');
    const AppState full = parse(L"1," + digits31 + L",2,3,4,5,6", InputFormat::Navitel);
    ASSERT_EQ(full.records.size(), 1u);
    EXPECT_EQ(test::wide(full.records[0].x_text), digits31);

    for (int column = 0; column < 7; ++column) {
        std::wstring line;
        for (int c = 0; c < 7; ++c)
            line += (c ? L"," : L"") + std::wstring(c == column ? 32 : 1, L'7');
        EXPECT_EQ(parse(line, InputFormat::Navitel).records.size(), 0u) << "column " << column;
    }
    // A 32-character run of digits in front of a comment rejects the line as well.
    EXPECT_EQ(parse(L"1,2,3,4,5,6,7," + std::wstring(32, L'8') + L" x", InputFormat::Navitel)
                  .records.size(),
              0u);

    const std::wstring long_comment(200, L'ж');
    const AppState cut = parse(L"1,2,3,4,5,6,7," + long_comment, InputFormat::Navitel);
    ASSERT_EQ(cut.records.size(), 1u);
    EXPECT_EQ(std::wstring(cut.records[0].comment), long_comment.substr(0, 127));
}

// Separators at every offset of the first 80 characters, across the blocks of characters
// that the byte reading tests together; each line is checked against its decoded reading.
TEST(LineSyntax, ColumnsOfEveryWidth) {
    for (const InputFormat format : {InputFormat::Navitel, InputFormat::Igo}) {
        for (std::size_t x = 0; x <= 32; ++x) {
            for (const std::size_t y : {0, 15, 16, 17, 31}) {
                for (const wchar_t* tail : {L"", L",Ж", L"Ж x", L",x", L"5 Улица"}) {
                    const std::wstring line = L"12," + std::wstring(x, L'3') + L"," +
                                              std::wstring(y, L'4') + L",1,60,1,90" + tail;
                    SCOPED_TRACE(testing::PrintToString(line));
                    EXPECT_EQ(parse(line, format).records.size(), x <= 31 ? 1u : 0u);
                }
            }
        }
    }
}

TEST(LineSyntax, ZeroUnitEndsTheLine) {
    const std::wstring line(L"1,37.6,55.7,1,60,1,90\0,5,7,trailing garbage", 43);
    const AppState state = parse(line, InputFormat::Navitel);
    ASSERT_EQ(state.records.size(), 1u);
    expect_record(state.records[0], {L"37.6", L"55.7", 1, 60, 90, L""});

    const std::wstring in_comment(L"1,37.6,55.7,1,60,1,90,ab\0cd", 27);
    ASSERT_EQ(parse(in_comment, InputFormat::Navitel).records.size(), 1u);
    EXPECT_STREQ(parse(in_comment, InputFormat::Navitel).records[0].comment, L"ab");

    // A zero before the seventh column leaves too few columns.
    EXPECT_EQ(parse(std::wstring(L"1,2,3\0,4,5,6,7", 14), InputFormat::Navitel).records.size(), 0u);
}

TEST(LineSyntax, UnknownInputFormatRejectsEverything) {
    EXPECT_EQ(parse(L"1,37.61755,55.75222,1,60,1,90", static_cast<InputFormat>(2)).records.size(),
              0u);
    EXPECT_EQ(parse(L"-2.0,52.6,31,70,1,315", static_cast<InputFormat>(-1)).records.size(), 0u);
}

std::size_t kept(const wchar_t* x, const wchar_t* y, const AreaFilter& filter) {
    return parse(std::wstring(L"1,") + x + L"," + y + L",1,60,1,90", InputFormat::Navitel, filter)
        .records.size();
}

TEST(AreaFilter, StrictBoundsOnEverySide) {
    const AreaFilter moscow{37, 56, 38, 55};
    EXPECT_EQ(kept(L"37.5", L"55.5", moscow), 1u);
    EXPECT_EQ(kept(L"37", L"55.5", moscow), 0u);      // on the west bound
    EXPECT_EQ(kept(L"38", L"55.5", moscow), 0u);      // on the east bound
    EXPECT_EQ(kept(L"37.5", L"56", moscow), 0u);      // on the north bound
    EXPECT_EQ(kept(L"37.5", L"55", moscow), 0u);      // on the south bound
    EXPECT_EQ(kept(L"", L"", moscow), 0u);            // reads as 0.0, 0.0
    EXPECT_EQ(kept(L"37.5-9", L"55.5", moscow), 1u);  // reads as 37.5
    EXPECT_EQ(kept(L"37.9999999", L"55.0000001", moscow), 1u);
}

TEST(AreaFilter, EmptyOrSwitchedOffRectangles) {
    EXPECT_EQ(kept(L"37.5", L"55.5", {38, 56, 37, 55}), 0u);  // west east of east
    EXPECT_EQ(kept(L"37.5", L"55.5", {37, 55, 38, 56}), 0u);  // south north of north
    // Any bound of 0 switches the filter off, whatever the others hold.
    EXPECT_EQ(kept(L"-120", L"80", {0, 56, 38, 55}), 1u);
    EXPECT_EQ(kept(L"-120", L"80", {37, 0, 38, 55}), 1u);
    EXPECT_EQ(kept(L"-120", L"80", {37, 56, 0, 55}), 1u);
    EXPECT_EQ(kept(L"-120", L"80", {37, 56, 38, 0}), 1u);
    // A bound that is not a number keeps the filter on and lets nothing through.
    EXPECT_EQ(kept(L"37.5", L"55.5", {37, 56, 38, std::numeric_limits<double>::quiet_NaN()}), 0u);
}

}  // namespace
