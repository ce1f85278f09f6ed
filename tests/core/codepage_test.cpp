// Decoding of the three input encodings and the UTF-8 form of the output.
#include <gtest/gtest.h>

#include <string>

#include "codepage.h"

#include "test_support.h"

namespace {

std::wstring decode(std::string_view bytes, TextEncoding encoding) {
    std::wstring out;
    decode_text(bytes, encoding, out);
    return out;
}

TEST(Utf8, DecodesCyrillicAndMarksInvalidBytes) {
    EXPECT_EQ(decode("\xd0\x9a\xd0\xb0\xd0\xbc\xd0\xb5\xd1\x80\xd0\xb0 \xe2\x84\x96 1",
                     TextEncoding::Utf8),
              L"Камера № 1");
    // Each invalid piece becomes U+FFFD and the text around it survives.
    // How many U+FFFD a broken sequence gives differs between Windows versions and Wine.
    std::wstring text = decode(
        "a\xff"
        "b\xc0\xaf"
        "c\xe0\x80"
        "d\xed\xa0\x80"
        "e\xd0\xe2\x82",
        TextEncoding::Utf8);
    EXPECT_EQ(text.substr(0, 5), L"a\uFFFDb\uFFFD\uFFFD");
    std::erase(text, L'\uFFFD');
    EXPECT_EQ(text, L"abcde");
    // Outside the Basic Multilingual Plane: one code point, or a surrogate pair on Windows.
    EXPECT_EQ(to_utf8(decode("\xf0\x9f\x9a\x97", TextEncoding::Utf8)), "\xf0\x9f\x9a\x97");
}

TEST(Utf16, TakesLittleEndianUnitsAsTheyAre) {
    EXPECT_EQ(decode(std::string("\x1a\x04\x30\x04\x0a\x00", 6), TextEncoding::Utf16), L"Ка\n");
    EXPECT_EQ(decode(std::string("A\0B", 3), TextEncoding::Utf16), L"A") << "odd byte dropped";
    EXPECT_EQ(decode(std::string("\xff\xfe", 2), TextEncoding::Utf16), L"\uFEFF")
        << "the mark is the reader's business";
}

TEST(Ansi, Windows1251Cyrillic) {
    if (!test::ansi_is_cp1251()) GTEST_SKIP() << "the system's ANSI code page is not 1251";
    std::string all;
    for (int b = 0xC0; b <= 0xFF; ++b) all.push_back(static_cast<char>(b));
    std::wstring expected;
    for (wchar_t u = 0x0410; u <= 0x044F; ++u) expected.push_back(u);
    EXPECT_EQ(decode(all, TextEncoding::Ansi), expected);
    EXPECT_EQ(decode("\xa8\xb8\xb9\x96\x97\xab\xbb\x88", TextEncoding::Ansi), L"Ёё№–—«»€");
    EXPECT_EQ(decode(std::string("a\0b", 3), TextEncoding::Ansi), std::wstring(L"a\0b", 3));
}

TEST(Utf8Output, PairsJoinAndLoneSurrogatesAreReplaced) {
    EXPECT_EQ(to_utf8(L"Скорость %SPEED%"),
              "\xd0\xa1\xd0\xba\xd0\xbe\xd1\x80\xd0\xbe\xd1\x81\xd1\x82\xd1\x8c %SPEED%");
    const wchar_t pair[] = {0xD83D, 0xDE97, 0};
    EXPECT_EQ(to_utf8(pair), "\xf0\x9f\x9a\x97");
    const wchar_t lone[] = {L'a', 0xD800, L'b', 0xDC00, 0};
    EXPECT_EQ(to_utf8(lone),
              "a\xef\xbf\xbd"
              "b\xef\xbf\xbd");
    EXPECT_EQ(from_utf8(to_utf8(L"Путь/к/файлу.txt")), L"Путь/к/файлу.txt");
}

}  // namespace
