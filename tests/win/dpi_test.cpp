// The windows at 96, 144 and 192 DPI. A program reads the screen's DPI (Wine: LogPixels of
// HKCU\Control Panel\Desktop) when it starts, so this test runs itself again at each DPI, with
// the value set for that run and put back afterwards, and the run checks its windows there.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <cstdlib>
#include <string_view>

#include "dpi.h"
#include "main_window.h"
#include "map_window.h"
#include "resource.h"
#include "test_support.h"
#include "win_test_util.h"

namespace {

// Without the manifest's declaration Windows draws the program at 96 DPI and stretches it,
// blurred; Wine never does, so only the declaration itself can be checked here.
TEST(Dpi, ColumnsPartsAndPlacementAt96_144And192Dpi) {
    const HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(1), RT_MANIFEST);
    const std::string_view manifest(
        static_cast<const char*>(LockResource(LoadResource(nullptr, found))),
        SizeofResource(nullptr, found));
    EXPECT_NE(manifest.find(">true/pm</dpiAware>"), manifest.npos);
    EXPECT_NE(manifest.find(">PerMonitorV2, PerMonitor</dpiAwareness>"), manifest.npos);
    const wchar_t key[] = L"Control Panel\\Desktop";
    DWORD old = 0, size = sizeof old;
    const bool had = RegGetValueW(HKEY_CURRENT_USER, key, L"LogPixels", RRF_RT_REG_DWORD, nullptr,
                                  &old, &size) == ERROR_SUCCESS;
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --gtest_also_run_disabled_tests " +
                           L"--gtest_filter=Dpi.DISABLED_WindowsAtTheScreensDpi";
    for (DWORD dpi : {96, 144, 192}) {
        RegSetKeyValueW(HKEY_CURRENT_USER, key, L"LogPixels", REG_DWORD, &dpi, sizeof dpi);
        SetEnvironmentVariableW(L"ORVANE_TEST_DPI", std::to_wstring(dpi).c_str());
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION run = {};
        DWORD code = 99;  // not ended within a minute
        ASSERT_TRUE(CreateProcessW(self, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &startup, &run));
        if (WaitForSingleObject(run.hProcess, 60000) != WAIT_OBJECT_0)
            TerminateProcess(run.hProcess, 99);
        GetExitCodeProcess(run.hProcess, &code);
        CloseHandle(run.hThread), CloseHandle(run.hProcess);
        EXPECT_EQ(code, 0u) << dpi << " DPI";
    }
    if (had)
        RegSetKeyValueW(HKEY_CURRENT_USER, key, L"LogPixels", REG_DWORD, &old, sizeof old);
    else
        RegDeleteKeyValueW(HKEY_CURRENT_USER, key, L"LogPixels");
}

// Run by the test above at each DPI. The columns' default widths and the status bar's parts
// scale; the main window and the map, saved on a monitor that is gone and at 96 DPI, open on
// this 1280 x 1024 screen: the main window whole up to 144 DPI (at 192 its least width is
// more, and its title bar's left end shows), the map with its buttons at every DPI. What they
// store at close is at 96 DPI again.
TEST(Dpi, DISABLED_WindowsAtTheScreensDpi) {
    const int dpi = _wtoi(_wgetenv(L"ORVANE_TEST_DPI") ? _wgetenv(L"ORVANE_TEST_DPI") : L"0");
    test::TempDir dir;
    AppState state = wintest::make_state(test::to_wide_path(dir.path()) + L"\\");
    std::copy_n(std::array{2000, 1500, 2600, 1900}.begin(), 4, state.window_rect);
    std::copy_n(std::array{1000, 700, 1600, 1100}.begin(), 4, state.map_rect);
    const HWND main = create_main_window(state);
    ASSERT_EQ(window_dpi(main), dpi) << "LogPixels took effect";
    const auto scaled = [dpi](std::array<int, 5> widths) {
        for (int& w : widths) w = MulDiv(w, dpi, 96);
        return widths;
    };
    std::array<int, 5> seen = {};
    for (int c = 0; c < 5; ++c)
        seen[c] = ListView_GetColumnWidth(GetDlgItem(main, IDC_TYPE_LIST), c);
    EXPECT_EQ(seen, scaled({30, 50, 50, 200, 200}));
    EXPECT_EQ(ListView_GetColumnWidth(GetDlgItem(main, IDC_OBJECT_LIST), 0), MulDiv(150, dpi, 96));
    SendDlgItemMessageW(main, IDC_STATUS_BAR, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(&seen[1]));
    EXPECT_EQ((std::array{0, 0, seen[4] - seen[3], seen[3] - seen[2], seen[2] - seen[1]}),
              scaled({0, 0, 260, 200, 150}));
    RECT work = {}, placed = {}, map_rect = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(main, &placed);
    const auto inside = [&](HWND window) {
        RECT r = {}, both = {};
        GetWindowRect(window, &r);
        return IntersectRect(&both, &r, &work) && EqualRect(&both, &r);
    };
    EXPECT_TRUE(dpi <= 144 ? inside(main) : placed.left == 0 && placed.bottom <= work.bottom);
    const HWND map = create_map_window(main, state, MapSource{});
    for (const int id : {IDOK, IDC_MAP_RESET, IDCANCEL})
        EXPECT_TRUE(inside(GetDlgItem(map, id))) << "button " << id;
    GetWindowRect(map, &map_rect);
    DestroyWindow(map);
    DestroyWindow(main);
    EXPECT_EQ(
        (std::array{state.list1_widths[0], state.list2_widths[0], state.window_rect[2],
                    state.map_rect[3]}),
        (std::array{150, 30, MulDiv(placed.right, 96, dpi), MulDiv(map_rect.bottom, 96, dpi)}));
}

}  // namespace
