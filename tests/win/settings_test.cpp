// Orvane.ini: the five settings blocks and what happens to damaged and unusable settings.
// ProgramTest checks the defaults, missing blocks and the paths beside the executable.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "app_state_win.h"
#include "test_support.h"
#include "win_test_util.h"

namespace {

// The bytes of every settings block, so that whole states compare in one assertion.
std::string blocks(const AppState& s) {
    const auto raw = [](const auto& b) {
        return std::string(reinterpret_cast<const char*>(&b), sizeof b);
    };
    return raw(s.window_rect) + raw(s.list1_widths) + raw(s.list2_widths) + raw(s.filter) +
           raw(s.map_rect);
}

// A state whose blocks are unlike every default, the filter's reserved bytes too.
AppState unusual(const std::wstring& folder) {
    AppState s = wintest::make_state(folder);
    std::memset(s.window_rect, 0x81, 16), std::memset(s.list1_widths, 0x92, 16);
    std::memset(s.list2_widths, 0xA3, 20), std::memset(static_cast<void*>(&s.filter), 0xB4, 40);
    std::memset(s.map_rect, 0xC5, 16);
    return s;
}

// Orvane.ini's blocks round-trip; a damaged or missing one leaves its default.
TEST(Settings, BlocksRoundTripAndDamagedOnesKeepTheirDefaults) {
    test::TempDir dir;
    const std::wstring folder = test::to_wide_path(dir.path()) + L"\\";
    AppState saved = unusual(folder), loaded = wintest::make_state(folder);
    write_settings(saved);
    read_settings(loaded);
    EXPECT_EQ(blocks(loaded), blocks(saved));
    // Window has a wrong checksum, List1 the size of a different block, List2 is not hex, Map
    // is gone; only Filter is sound.
    for (auto [key, value] : {std::pair{L"Window", L"0A0000000B0000000C0000000D00000000"},
                              {L"List1", L"01000000020000000300000004000000050000000F"},
                              {L"List2", L"ZZ"},
                              {L"Map", nullptr}})
        WritePrivateProfileStringW(L"GlobalParam", key, value, saved.settings_path.c_str());
    AppState damaged = wintest::make_state(folder), expected = wintest::make_state(folder);
    read_settings(damaged);
    expected.filter = saved.filter;
    EXPECT_EQ(blocks(damaged), blocks(expected));
}

}  // namespace
