// Orvane.ini: the four settings blocks and what happens to missing, damaged and unusable
// settings. ProgramTest checks the defaults and the paths beside the executable.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <utility>

#include "app_state_win.h"
#include "test_support.h"
#include "win_test_util.h"

namespace {

bool same_settings(const AppState& a, const AppState& b) {
    return std::memcmp(a.window_rect, b.window_rect, 16) == 0 &&
           std::memcmp(a.list1_widths, b.list1_widths, 16) == 0 &&
           std::memcmp(a.list2_widths, b.list2_widths, 20) == 0 &&
           std::memcmp(&a.filter, &b.filter, 40) == 0;
}

// Values unlike every default, including reserved filter bytes that no code reads.
void fill_unusual(AppState& state) {
    const int rect[4] = {-500, 40, 700, 600}, list1[4] = {11, -1, 33, 44}, list2[5] = {1, 2, 3, 4, 5};
    std::memcpy(state.window_rect, rect, sizeof rect);
    std::memcpy(state.list1_widths, list1, sizeof list1);
    std::memcpy(state.list2_widths, list2, sizeof list2);
    const std::uint8_t reserved[8] = {0xDE, 0xAD, 0xBE, 0xEF, 0x01, 0x02, 0x03, 0x04};
    std::memcpy(state.filter.reserved, reserved, sizeof reserved);
    state.filter.area = {37.3, 55.9, 37.9, 55.5};
}

TEST(Settings, BlocksRoundTripAndDamagedOnesKeepTheirDefaults) {
    test::TempDir dir;
    const std::wstring folder = test::to_wide_path(dir.path()) + L"\\";
    AppState saved = wintest::make_state(folder), loaded = wintest::make_state(folder);
    fill_unusual(saved);
    write_settings(saved);
    read_settings(loaded);
    EXPECT_TRUE(same_settings(loaded, saved));
    // Window has a wrong checksum, List1 the size of a different block, List2 is not hex;
    // only Filter is sound.
    for (auto [key, value] : {std::pair{L"Window", L"0A0000000B0000000C0000000D00000000"},
                              {L"List1", L"01000000020000000300000004000000050000000F"},
                              {L"List2", L"ZZ"}})
        WritePrivateProfileStringW(L"GlobalParam", key, value, saved.settings_path.c_str());
    AppState damaged = wintest::make_state(folder), expected = wintest::make_state(folder);
    read_settings(damaged);
    expected.filter = saved.filter;
    EXPECT_TRUE(same_settings(damaged, expected));
    AppState missing = wintest::make_state(folder + L"none\\");
    read_settings(missing);
    EXPECT_TRUE(same_settings(missing, wintest::make_state(L"")));
}

TEST(Settings, WithoutAPathNothingLandsInTheWindowsFolder) {
    AppState state = wintest::make_state(L"");
    state.settings_path.clear();
    fill_unusual(state);
    write_settings(state);
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    EXPECT_EQ(GetFileAttributesW((std::wstring(windows) + L"\\Orvane.ini").c_str()),
              INVALID_FILE_ATTRIBUTES);
    wchar_t section[64] = {};
    EXPECT_EQ(GetPrivateProfileSectionW(L"GlobalParam", section, 64, L"win.ini"), 0u);
    read_settings(state);
    EXPECT_EQ(state.window_rect[0], -500) << "nothing read either";
}

}  // namespace
