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

std::wstring dir_of(const test::TempDir& dir) {
    return test::to_wide_path(dir.path()) + L"\\";
}

// What a first start uses: no settings file yet.
struct {
    int window[4] = {0, 0, 0, 0};
    int list1[4] = {150, 50, 100, 100};
    int list2[5] = {30, 50, 50, 200, 200};
    std::uint8_t filter[40] = {};
} const kDefaults;

bool has_defaults(const AppState& state, bool filter_too = true) {
    return std::memcmp(state.window_rect, kDefaults.window, 16) == 0 &&
           std::memcmp(state.list1_widths, kDefaults.list1, 16) == 0 &&
           std::memcmp(state.list2_widths, kDefaults.list2, 20) == 0 &&
           (!filter_too || std::memcmp(&state.filter, kDefaults.filter, 40) == 0);
}

// Values unlike every default, including reserved filter bytes that no code reads.
void fill_unusual(AppState& state) {
    const int rect[4] = {-500, 40, 700, 600}, list1[4] = {11, -1, 33, 44},
              list2[5] = {1, 2, 3, 4, 5};
    std::memcpy(state.window_rect, rect, sizeof rect);
    std::memcpy(state.list1_widths, list1, sizeof list1);
    std::memcpy(state.list2_widths, list2, sizeof list2);
    const std::uint8_t reserved[8] = {0xDE, 0xAD, 0xBE, 0xEF, 0x01, 0x02, 0x03, 0x04};
    std::memcpy(state.filter.reserved, reserved, sizeof reserved);
    state.filter.area = {37.3, 55.9, 37.9, 55.5};
}

TEST(Settings, BlocksRoundTripAndDamagedOnesLeaveTheDefaults) {
    test::TempDir dir;
    AppState saved = wintest::make_state(dir_of(dir));
    fill_unusual(saved);
    write_settings(saved);
    AppState loaded = wintest::make_state(dir_of(dir));
    read_settings(loaded);
    EXPECT_EQ(std::memcmp(loaded.window_rect, saved.window_rect, 16), 0);
    EXPECT_EQ(std::memcmp(loaded.list1_widths, saved.list1_widths, 16), 0);
    EXPECT_EQ(std::memcmp(loaded.list2_widths, saved.list2_widths, 20), 0);
    EXPECT_EQ(std::memcmp(&loaded.filter, &saved.filter, 40), 0);

    // Window has a wrong checksum, List1 the size of a different block, List2 is not hex;
    // only Filter, kept from the round trip, is sound.
    for (auto [key, value] : {std::pair{L"Window", L"0A0000000B0000000C0000000D00000000"},
                              {L"List1", L"01000000020000000300000004000000050000000F"},
                              {L"List2", L"ZZ"}})
        WritePrivateProfileStringW(L"GlobalParam", key, value, saved.settings_path.c_str());
    AppState damaged = wintest::make_state(dir_of(dir));
    read_settings(damaged);
    EXPECT_TRUE(has_defaults(damaged, false));
    EXPECT_EQ(std::memcmp(&damaged.filter, &saved.filter, 40), 0);

    AppState missing = wintest::make_state(dir_of(dir) + L"none\\");
    read_settings(missing);
    EXPECT_TRUE(has_defaults(missing));
}

TEST(Settings, WithoutAPathNothingLandsInTheWindowsFolder) {
    // A bare or empty profile name would send the settings to the Windows folder.
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
    AppState fresh = wintest::make_state(L"");
    fresh.settings_path.clear();
    read_settings(fresh);
    EXPECT_TRUE(has_defaults(fresh));
}

}  // namespace
