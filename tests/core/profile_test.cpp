// The profile layer reads the same files the same way on both builds.
#include <gtest/gtest.h>

#include "codepage.h"
#include "profile.h"
#include "test_support.h"

namespace {

TEST(ProfileRead, SameKeysFromEveryEncoding) {
    const std::wstring body =
        L"; comment\r\n[Navitel]\r\n  Desc0 =  Камера у «школы»  \r\nID0=12\r\n";
    std::string utf16 = "\xff\xfe";
    for (wchar_t c : body) utf16 += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    const std::string files[] = {
        utf16, "\xef\xbb\xbf" + to_utf8(body),
        // Windows-1251 without a mark: the ANSI code page of Russian Windows
        "[Navitel]\r\nDesc0=\xca\xe0\xec\xe5\xf0\xe0 \xf3 "
        "\xab\xf8\xea\xee\xeb\xfb\xbb\r\nID0=12\r\n"};
    test::TempDir dir;
    for (const std::string& bytes : files) {
        if (bytes == files[2] && !test::ansi_is_cp1251()) continue;
        test::write_bytes(dir.file("Config.txt"), bytes);
        const ProfileReader reader(dir.file("Config.txt"));
        EXPECT_EQ(reader.get_string(L"Navitel", L"Desc0", L"", 127), L"Камера у «школы»");
        EXPECT_EQ(reader.get_int(L"navitel", L"id0", 0), 12) << "names ignore case";
    }
}

TEST(ProfileRead, ValuesAsTheWindowsFunctionsGiveThem) {
    test::TempDir dir;
    test::write_bytes(dir.file("p.ini"),
                      "[S]\r\nq=\"quoted text\"\r\nempty=\r\nneg=-1\r\nhex=0x10\r\nlead=  42  \r\n"
                      "tail=12abc\r\nword=abc\r\nlong=abcdefghij\r\n");
    const ProfileReader r(dir.file("p.ini"));
    EXPECT_EQ(r.get_string(L"S", L"q", L"", 127), L"quoted text");
    EXPECT_EQ(r.get_string(L"S", L"missing", L"dflt", 127), L"dflt");
    EXPECT_EQ(r.get_string(L"Other", L"q", L"dflt", 127), L"dflt");
    EXPECT_EQ(r.get_string(L"S", L"long", L"", 5), L"abcd") << "capacity includes the terminator";
    EXPECT_EQ(r.get_int(L"S", L"empty", 7), 7);
    EXPECT_EQ(r.get_int(L"S", L"missing", 7), 7);
    EXPECT_EQ(r.get_int(L"S", L"neg", 7), -1);
    EXPECT_EQ(r.get_int(L"S", L"hex", 7), 16);
    EXPECT_EQ(r.get_int(L"S", L"lead", 7), 42);
    EXPECT_EQ(r.get_int(L"S", L"tail", 7), 12);
    EXPECT_EQ(r.get_int(L"S", L"word", 7), 0);
}

TEST(ProfileWrite, ReplacesAddsAndKeepsEverythingElse) {
    test::TempDir dir;
    const std::wstring path = dir.file("p.ini");
    const std::string before = "[A]\r\nx=1\r\ny=2\r\n[B]\r\nk=v\r\n";
    test::write_bytes(path, before);
    ASSERT_TRUE(profile_write_string(path, L"A", L"x", L"10"));
    ASSERT_TRUE(profile_write_string(path, L"A", L"z", L"3"));
    ASSERT_TRUE(profile_write_string(path, L"C", L"n", L"4"));
    const ProfileReader r(path);
    EXPECT_EQ(r.get_int(L"A", L"x", 0), 10);
    EXPECT_EQ(r.get_int(L"A", L"z", 0), 3);
    EXPECT_EQ(r.get_int(L"C", L"n", 0), 4);
    const std::string after = test::read_bytes(path);
    EXPECT_NE(after.find("[A]\r\nx=10\r\ny=2\r\nz=3\r\n[B]\r\nk=v\r\n"), std::string::npos)
        << after;

    const ProfileEntry entries[] = {{L"a", L"1"}, {L"b", L"2"}};
    ASSERT_TRUE(profile_replace_section(path, L"A", entries));
    const std::string replaced = test::read_bytes(path);
    EXPECT_NE(replaced.find("[A]\r\na=1\r\nb=2\r\n[B]\r\nk=v\r\n"), std::string::npos) << replaced;
}

}  // namespace
