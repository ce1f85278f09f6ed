// Decoding of the three input encodings, the UTF-8 form of the output, file names, and
// format_string, whose formats must mean the same on every build.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>

#include "codepage.h"
#include "test_support.h"
#include "text_format.h"

#ifndef _WIN32
#include "file_io.h"
#include "native_path.h"
#endif

namespace {

std::wstring decode(std::string_view bytes, TextEncoding encoding) {
    std::wstring out;
    decode_text(bytes, encoding, out);
    return out;
}

TEST(Decoding, EveryEncodingAsTheFileHasIt) {
    EXPECT_EQ(decode("\xd0\x9a\xd0\xb0\xd0\xbc\xd0\xb5\xd1\x80\xd0\xb0 \xe2\x84\x96 1",
                     TextEncoding::Utf8),
              L"Камера № 1");
    // Each invalid piece becomes U+FFFD and the text around it survives; how many a broken
    // sequence gives differs between Windows versions and Wine.
    // The literal is split where a letter would join the escape before it.
    // clang-format off
    std::wstring text = decode("a\xff" "b\xc0\xaf" "c\xe0\x80" "d\xed\xa0\x80" "e\xd0\xe2\x82",
                               TextEncoding::Utf8);
    // clang-format on
    EXPECT_EQ(text.substr(0, 5), L"a\uFFFDb\uFFFD\uFFFD");
    std::erase(text, L'\uFFFD');
    EXPECT_EQ(text, L"abcde");
    // Overlong forms of "/", a path separator, give only replacement characters.
    for (const char* overlong : {"\xc0\xaf", "\xe0\x80\xaf", "\xf0\x80\x80\xaf"}) {
        text = decode(overlong, TextEncoding::Utf8);
        EXPECT_TRUE(!text.empty() && std::ranges::all_of(text, [](wchar_t c) {
            return c == 0xFFFD;
        })) << testing::PrintToString(text);
    }
    // A character beyond 16 bits is written back whole, also from a pair of 16-bit halves on
    // every build; a lone half becomes U+FFFD.
    EXPECT_EQ(to_utf8(decode("\xf0\x9f\x9a\x97", TextEncoding::Utf8)), "\xf0\x9f\x9a\x97");
    const wchar_t halves[] = {0xD83D, 0xDE97, L'a', 0xD800, L'b', 0xDC00, 0};
    EXPECT_EQ(to_utf8(halves),
              "\xf0\x9f\x9a\x97"
              "a\uFFFDb\uFFFD");
    EXPECT_EQ(decode(std::string("\x1a\x04\x30\x04\x0a\x00", 6), TextEncoding::Utf16), L"Ка\n");
    EXPECT_EQ(decode(std::string("A\0B", 3), TextEncoding::Utf16), L"A") << "odd byte dropped";
    EXPECT_EQ(decode("\xff\xfe", TextEncoding::Utf16), L"\uFEFF") << "the mark is the reader's";
    if (!test::ansi_is_cp1251()) return;
    std::string all;
    std::wstring cyrillic;
    for (int b = 0xC0; b <= 0xFF; ++b) all.push_back(static_cast<char>(b));
    for (wchar_t u = 0x0410; u <= 0x044F; ++u) cyrillic.push_back(u);
    EXPECT_EQ(decode(all, TextEncoding::Ansi), cyrillic);
    EXPECT_EQ(decode("\xa8\xb8\xb9\x96\x97\xab\xbb\x88", TextEncoding::Ansi), L"Ёё№–—«»€");
    std::string back;
    EXPECT_TRUE(encode_ansi(L"Ёё№–—«»€" + cyrillic, back));
    EXPECT_EQ(back, "\xa8\xb8\xb9\x96\x97\xab\xbb\x88" + all);
    EXPECT_FALSE(encode_ansi(L"Ελληνικά", back));
}

TEST(FormatString, EveryConversionTheProgramUses) {
    const std::pair<std::optional<std::wstring>, const wchar_t*> cases[] = {
        {format_string(L"%s,%s,\"%s\"\r\n", L"37.6", L"55.7", L"Камера"),
         L"37.6,55.7,\"Камера\"\r\n"},
        {format_string(L"Файл: %s", std::wstring(L"C:\\Карты")), L"Файл: C:\\Карты"},
        {format_string(L"- %s|%s", nullptr, std::optional<std::wstring>{}), L"- (null)|(null)"},
        {format_string(L"ID%d", 12), L"ID12"},
        {format_string(L"%d", INT_MIN), L"-2147483648"},
        {format_string(L"%d", std::uint8_t{255}), L"255"},
        {format_string(L"%u", 4294967295u), L"4294967295"},
        {format_string(L"%u", -1), L"4294967295"},
        {format_string(L"~ %I64d Gb", std::int64_t{7}), L"~ 7 Gb"},
        {format_string(L"%I64d", INT64_MIN), L"-9223372036854775808"},
        {format_string(L"%c:\\myPOIs", L'E'), L"E:\\myPOIs"},
        {format_string(L"скорости %%SPEED%%"), L"скорости %SPEED%"},
        {format_string(L"%f|%f|%f", 0.0, 37.3, -55.0000006), L"0.000000|37.300000|-55.000001"},
        {format_string(L"%.7f,%5d|%-4d|%03d", 1.5, 42, 7, -5), L"1.5000000,   42|7   |-05"},
        {format_string(L"%d", 1, 2), L"1"},  // extra arguments are ignored, as in printf
        {format_string(L""), L""},
    };
    for (const auto& [made, expected] : cases) EXPECT_EQ(made, std::wstring(expected));
    // A missing or mismatched argument, an unknown or cut-off conversion.
    for (const auto& failed :
         {format_string(L"%d"), format_string(L"%s", 5), format_string(L"%d", L"x"),
          format_string(L"%q", 1), format_string(L"100%", 1)})
        EXPECT_FALSE(failed);
}

#ifndef _WIN32
// A file name that is not UTF-8 reaches the file system byte for byte.
TEST(NativePaths, BytesOfEveryNameSurvive) {
    for (const std::string name : {"caf\xe9.csv", "\xd0\x9a.csv", "a\xed\xa0\x80\xff.csv"}) {
        const std::wstring wide = from_native_path(name);
        EXPECT_EQ(native_path(wide), name);
        test::TempDir dir;
        test::write_bytes(test::to_wide_path(dir.path()) + L"/" + wide, "x");
        EXPECT_TRUE(std::filesystem::exists(dir.path() / name));
    }
}
#endif

}  // namespace
