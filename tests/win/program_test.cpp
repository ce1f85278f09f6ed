// Orvane.exe as the user starts it: copied into a fresh folder, driven from this process
// through its windows, and judged by its exit code and the files it leaves beside itself.
#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <cstring>
#include <filesystem>

#include "test_support.h"
#include "win_test_util.h"

namespace {

struct Handle {
    HANDLE h = nullptr;
    ~Handle() {
        if (h != nullptr) CloseHandle(h);
    }
};

class ProgramTest : public testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::path exe(ORVANE_EXE);
        exe.make_preferred();
        dir_path_ = test::to_wide_path(dir_.path()) + L"\\";
        exe_ = dir_path_ + L"Orvane.exe";
        ASSERT_TRUE(CopyFileW(exe.wstring().c_str(), exe_.c_str(), FALSE)) << GetLastError();
        ini_ = dir_path_ + L"Orvane.ini";
    }

    void start() {
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        std::wstring command = L"\"" + exe_ + L"\"";
        ASSERT_TRUE(CreateProcessW(exe_.c_str(), command.data(), nullptr, nullptr, FALSE, 0,
                                   nullptr, dir_path_.c_str(), &startup, &process_));
        thread_.h = process_.hThread;
        handle_.h = process_.hProcess;
    }

    // A top-level dialog of the program with this title, or null after 10 s.
    HWND wait_for(const wchar_t* title) const {
        for (int i = 0; i < 500; ++i) {
            HWND window = FindWindowW(L"#32770", title);
            DWORD pid = 0;
            if (window != nullptr) GetWindowThreadProcessId(window, &pid);
            if (window != nullptr && pid == process_.dwProcessId && IsWindowVisible(window))
                return window;
            Sleep(20);
        }
        return nullptr;
    }

    DWORD exit_code() const {
        if (WaitForSingleObject(process_.hProcess, 20000) != WAIT_OBJECT_0) {
            TerminateProcess(process_.hProcess, 99);
            return 99;
        }
        DWORD code = 0;
        GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }

    template <typename T>
    T block(const wchar_t* key) const {
        T value{};
        EXPECT_TRUE(
            GetPrivateProfileStructW(L"GlobalParam", key, &value, sizeof value, ini_.c_str()))
            << wintest::units(key);
        return value;
    }
    // Starts the program and answers its terms with this button.
    void start_and_answer(int button) {
        start();
        const HWND terms = wait_for(L"Условия использования");
        ASSERT_NE(terms, nullptr);
        PostMessageW(terms, WM_COMMAND, button, 0);
    }

    test::TempDir dir_;
    std::wstring dir_path_, exe_, ini_;
    PROCESS_INFORMATION process_ = {};
    Handle thread_, handle_;
};

using Ints4 = std::array<int, 4>;
using Ints5 = std::array<int, 5>;
using Filter = std::array<std::uint8_t, 40>;

TEST_F(ProgramTest, DecliningTheTermsStillWritesTheSettingsBack) {
    // Only a Filter block, whose reserved bytes no code reads.
    Filter filter = {1, 2, 3, 4, 0xFD, 0xFE, 0xFF, 0x80};
    const double area[4] = {37.3, 55.9, 37.9, 55.5};
    std::memcpy(filter.data() + 8, area, sizeof area);
    ASSERT_TRUE(
        WritePrivateProfileStructW(L"GlobalParam", L"Filter", filter.data(), 40, ini_.c_str()));

    start_and_answer(IDCANCEL);
    EXPECT_EQ(exit_code(), 0u);
    EXPECT_EQ(FindWindowW(L"#32770", L"Orvane"), nullptr);
    EXPECT_EQ(block<Ints4>(L"Window"), (Ints4{0, 0, 0, 0}));
    EXPECT_EQ(block<Ints4>(L"List1"), (Ints4{150, 50, 100, 100}));
    EXPECT_EQ(block<Ints5>(L"List2"), (Ints5{30, 50, 50, 200, 200}));
    EXPECT_EQ(block<Filter>(L"Filter"), filter);
    // Declining never opens the main window, so no type table is written.
    EXPECT_FALSE(std::filesystem::exists(dir_.path() / "Config.txt"));
}

TEST_F(ProgramTest, AcceptingRunsTheMainWindowAndSavesAtExit) {
    const int saved[4] = {-499, 30, -499 + 1000, 30 + 650};
    ASSERT_TRUE(WritePrivateProfileStructW(L"GlobalParam", L"Window", const_cast<int*>(saved), 16,
                                           ini_.c_str()));
    start_and_answer(IDOK);
    const HWND main = wait_for(L"Orvane");
    ASSERT_NE(main, nullptr);
    RECT placed = {};
    GetWindowRect(main, &placed);
    EXPECT_EQ((Ints4{placed.left, placed.top, placed.right, placed.bottom}),
              (Ints4{-499, 30, 501, 680}));

    SetWindowPos(main, nullptr, 10, 20, 950, 600, SWP_NOZORDER);
    PostMessageW(main, WM_COMMAND, 105, 0);
    EXPECT_EQ(exit_code(), 0u);
    EXPECT_EQ(block<Ints4>(L"Window"), (Ints4{10, 20, 960, 620}));
    EXPECT_EQ(block<Ints5>(L"List2"), (Ints5{30, 50, 50, 200, 200}));
    EXPECT_EQ(block<Filter>(L"Filter"), Filter{});
    // The type table of the current dialect is saved at close, an empty one included.
    const std::wstring config = dir_path_ + L"Config.txt";
    EXPECT_EQ(GetPrivateProfileIntW(L"Navitel", L"Count", -1, config.c_str()), 0);
}

}  // namespace
