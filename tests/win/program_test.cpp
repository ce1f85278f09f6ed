// Orvane.exe as the user starts it: copied into a fresh folder, driven from this process
// through its windows, and judged by its exit code, its time and the files beside it.
#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <cstring>
#include <filesystem>

#include "camera_types.h"
#include "resource.h"
#include "test_support.h"
#include "win_test_util.h"

namespace {

class ProgramTest : public testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::path exe(ORVANE_EXE);
        exe.make_preferred();
        dir_path_ = test::to_wide_path(dir_.path()) + L"\\";
        exe_ = dir_path_ + L"Orvane.exe";
        ASSERT_TRUE(CopyFileW(exe.wstring().c_str(), exe_.c_str(), FALSE)) << GetLastError();
        ini_ = dir_path_ + L"Orvane.ini";
        config_ = dir_path_ + L"Config.txt";
    }
    void TearDown() override {
        if (process_.hProcess) TerminateProcess(process_.hProcess, 99), close_handles();
    }
    void close_handles() {
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
        process_ = {};
    }
    // A visible top-level dialog of the program with this title, or null after 10 s.
    HWND wait_for(const wchar_t* title) const {
        for (int i = 0; i < 500; ++i, Sleep(20)) {
            const HWND window = FindWindowW(L"#32770", title);
            DWORD pid = 0;
            if (window) GetWindowThreadProcessId(window, &pid);
            if (window && pid == process_.dwProcessId && IsWindowVisible(window)) return window;
        }
        return nullptr;
    }
    // Starts the program, answers its terms with this button and returns its main window.
    HWND start(int button) {
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        std::wstring command = L"\"" + exe_ + L"\"";
        EXPECT_TRUE(CreateProcessW(exe_.c_str(), command.data(), nullptr, nullptr, FALSE, 0,
                                   nullptr, dir_path_.c_str(), &startup, &process_));
        const HWND terms = wait_for(L"Условия использования");
        EXPECT_NE(terms, nullptr);
        PostMessageW(terms, WM_COMMAND, button, 0);
        return button == IDOK ? wait_for(L"Orvane") : nullptr;
    }
    // The exit code, or 99 when the program has not ended within the time.
    DWORD exit_code(DWORD ms = 20000) {
        DWORD code = 99;
        if (WaitForSingleObject(process_.hProcess, ms) == WAIT_OBJECT_0)
            GetExitCodeProcess(process_.hProcess, &code);
        else
            TerminateProcess(process_.hProcess, 99);
        close_handles();
        return code;
    }
    template <typename T>
    T block(const wchar_t* key) const {
        T value{};
        EXPECT_TRUE(GetPrivateProfileStructW(L"GlobalParam", key, &value, sizeof value, ini_.c_str()));
        return value;
    }

    test::TempDir dir_;
    std::wstring dir_path_, exe_, ini_, config_;
    PROCESS_INFORMATION process_ = {};
};

using Ints4 = std::array<int, 4>;
using Ints5 = std::array<int, 5>;
using Filter = std::array<std::uint8_t, 40>;

TEST_F(ProgramTest, DecliningTheTermsStillWritesTheSettingsBack) {
    // Only a Filter block, whose reserved bytes no code reads.
    Filter filter = {1, 2, 3, 4, 0xFD, 0xFE, 0xFF, 0x80};
    const double area[4] = {37.3, 55.9, 37.9, 55.5};
    std::memcpy(filter.data() + 8, area, sizeof area);
    ASSERT_TRUE(WritePrivateProfileStructW(L"GlobalParam", L"Filter", filter.data(), 40, ini_.c_str()));
    start(IDCANCEL);
    EXPECT_EQ(exit_code(), 0u);
    EXPECT_EQ(block<Ints4>(L"Window"), (Ints4{0, 0, 0, 0}));
    EXPECT_EQ(block<Ints4>(L"List1"), (Ints4{150, 50, 100, 100}));
    EXPECT_EQ(block<Ints5>(L"List2"), (Ints5{30, 50, 50, 200, 200}));
    EXPECT_EQ(block<Filter>(L"Filter"), filter);
    EXPECT_FALSE(std::filesystem::exists(dir_.path() / "Config.txt")) << "no main window, no table";
}

TEST_F(ProgramTest, AcceptingRunsTheMainWindowAndSavesAtExit) {
    const int saved[4] = {-499, 30, -499 + 1000, 30 + 650};
    ASSERT_TRUE(WritePrivateProfileStructW(L"GlobalParam", L"Window", const_cast<int*>(saved), 16,
                                           ini_.c_str()));
    // A damaged Count claims 65,536 entries without a key: none is loaded, so nothing of
    // them is saved, and the program ends at once.
    test::write_bytes(config_, "[Navitel]\r\nCount=65536\r\n");
    const HWND main = start(IDOK);
    ASSERT_NE(main, nullptr);
    RECT placed = {};
    GetWindowRect(main, &placed);
    EXPECT_EQ((Ints4{placed.left, placed.top, placed.right, placed.bottom}), (Ints4{-499, 30, 501, 680}));
    SetWindowPos(main, nullptr, 10, 20, 950, 600, SWP_NOZORDER);
    PostMessageW(main, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_EQ(exit_code(5000), 0u);
    EXPECT_EQ(block<Ints4>(L"Window"), (Ints4{10, 20, 960, 620}));
    EXPECT_EQ(block<Filter>(L"Filter"), Filter{});
    EXPECT_EQ(GetPrivateProfileIntW(L"Navitel", L"Count", -1, config_.c_str()), 0);
}

// The largest table, saved at exit while the program is killed at different moments: the
// table in Config.txt is always whole, the old one or the new one.
TEST_F(ProgramTest, KillingTheProgramWhileItSavesNeverDamagesTheTable) {
    std::wstring text = L"\uFEFF[Navitel]\r\n";
    for (int i = 0; i < kMaxCameraTypes; ++i)
        text += L"ID" + std::to_wstring(i) + L"=" + std::to_wstring(i) + L"\r\nFmt" +
                std::to_wstring(i) + L"=Камера %SPEED%\r\n";
    text += L"Count=65536\r\n";
    std::string bytes;
    for (wchar_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    for (const DWORD delay : {0, 30, 80, 150, 300}) {
        test::write_bytes(config_, bytes);
        const HWND main = start(IDOK);
        ASSERT_NE(main, nullptr);
        PostMessageW(main, WM_COMMAND, IDM_EXIT, 0);
        Sleep(delay);
        exit_code(0);  // killed unless it has ended already
        CameraTypeList types;
        load_camera_types(types, config_, InputFormat::Navitel);
        ASSERT_EQ(types.size(), std::size_t{65536}) << "killed after " << delay << " ms";
        EXPECT_EQ(types.back().id, 65535);
    }
}

}  // namespace
