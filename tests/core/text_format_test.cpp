// format_string: the program's formats mean the same on every build.
#include <gtest/gtest.h>

#include <climits>
#include <limits>

#include "text_format.h"

namespace {

TEST(FormatString, PercentSTakesWideTextOnEveryBuild) {
    EXPECT_EQ(format_string(L"%s,%s,\"%s\"\r\n", L"37.61755", L"55.75222", L"Камера 60"),
              L"37.61755,55.75222,\"Камера 60\"\r\n");
    EXPECT_EQ(format_string(L"Файл: %s загружен", std::wstring(L"C:\\Карты\\speedcam.txt")),
              L"Файл: C:\\Карты\\speedcam.txt загружен");
    EXPECT_EQ(format_string(L"- %s\r\n\r\n- %s", nullptr, L"b"), L"- (null)\r\n\r\n- b");
    EXPECT_EQ(format_string(L"[%s]", std::optional<std::wstring>{}), L"[(null)]");
}

TEST(FormatString, NumbersKeysAndPercents) {
    EXPECT_EQ(format_string(L"ID%d", 12), L"ID12");
    EXPECT_EQ(format_string(L"%d", INT_MIN), L"-2147483648");
    EXPECT_EQ(format_string(L"%d", std::uint8_t{255}), L"255");
    EXPECT_EQ(format_string(L"Объектов: %u (%s)", 4294967295u, L"Фильтр: Откл"),
              L"Объектов: 4294967295 (Фильтр: Откл)");
    EXPECT_EQ(format_string(L"%u", -1), L"4294967295") << "%u reads 32 bits";
    EXPECT_EQ(format_string(L"~ %I64d Gb", std::int64_t{7}), L"~ 7 Gb");
    EXPECT_EQ(format_string(L"%I64d", INT64_MIN), L"-9223372036854775808");
    EXPECT_EQ(format_string(L"%c:\\myPOIs", L'E'), L"E:\\myPOIs");
    EXPECT_EQ(format_string(L"Ограничение скорости %%SPEED%%"), L"Ограничение скорости %SPEED%");
    EXPECT_EQ(format_string(L"%f", 0.0), L"0.000000");
    EXPECT_EQ(format_string(L"%f", 37.3), L"37.300000");
    EXPECT_EQ(format_string(L"%f", -55.0000006), L"-55.000001");
    EXPECT_EQ(format_string(L"%.7f,%5d|%-4d|%03d", 1.5, 42, 7, -5), L"1.5000000,   42|7   |-05");
}

TEST(FormatString, EmptyAndFailedFormats) {
    const auto empty = format_string(L"");
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->empty());
    EXPECT_FALSE(format_string(L"%d"));     // missing argument
    EXPECT_FALSE(format_string(L"%s", 5));  // mismatched argument
    EXPECT_FALSE(format_string(L"%d", L"text"));
    EXPECT_FALSE(format_string(L"%q", 1));    // unknown conversion
    EXPECT_FALSE(format_string(L"100%", 1));  // cut-off conversion
    EXPECT_EQ(format_string(L"%d", 1, 2), L"1") << "extra arguments are ignored, as in printf";
}

}  // namespace
