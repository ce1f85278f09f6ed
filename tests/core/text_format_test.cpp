// format_string: the program's formats mean the same on every build.
#include <gtest/gtest.h>

#include <climits>

#include "text_format.h"

namespace {

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

}  // namespace
