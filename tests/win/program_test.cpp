// Orvane.exe as the user starts it: copied into a fresh folder, driven from this process
// through its windows, and judged by its exit code and the files it leaves beside itself.
#include <gtest/gtest.h>

#include <windows.h>

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
    bool read_block(const wchar_t* key, T& value) const {
        return GetPrivateProfileStructW(L"GlobalParam", key, &value, sizeof value, ini_.c_str());
    }

    test::TempDir dir_;
    std::wstring dir_path_, exe_, ini_;
    PROCESS_INFORMATION process_ = {};
    Handle thread_, handle_;
};

TEST_F(ProgramTest, DecliningTheTermsStillWritesTheSettingsBack) {
    // Only a Filter block, whose reserved bytes no code reads.
    std::uint8_t filter[40] = {};
    const std::uint8_t reserved[8] = {1, 2, 3, 4, 0xFD, 0xFE, 0xFF, 0x80};
    std::memcpy(filter, reserved, 8);
    const double area[4] = {37.3, 55.9, 37.9, 55.5};
    std::memcpy(filter + 8, area, sizeof area);
    ASSERT_TRUE(WritePrivateProfileStructW(L"GlobalParam", L"Filter", filter, 40, ini_.c_str()));

    start();
    const HWND terms = wait_for(L"Условия использования");
    ASSERT_NE(terms, nullptr);
    PostMessageW(terms, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(exit_code(), 0u);
    EXPECT_EQ(FindWindowW(L"#32770", L"Orvane"), nullptr);

    int window[4] = {-1, -1, -1, -1};
    int list1[4] = {};
    int list2[5] = {};
    std::uint8_t kept[40] = {};
    ASSERT_TRUE(read_block(L"Window", window));
    ASSERT_TRUE(read_block(L"List1", list1));
    ASSERT_TRUE(read_block(L"List2", list2));
    ASSERT_TRUE(read_block(L"Filter", kept));
    EXPECT_EQ(window[0] | window[1] | window[2] | window[3], 0);
    EXPECT_EQ(list1[0], 150);
    EXPECT_EQ(list1[3], 100);
    EXPECT_EQ(list2[0], 30);
    EXPECT_EQ(list2[4], 200);
    EXPECT_EQ(std::memcmp(kept, filter, 40), 0);
    // Declining never opens the main window, so no type table is written.
    EXPECT_FALSE(std::filesystem::exists(dir_.path() / "Config.txt"));
}

TEST_F(ProgramTest, AcceptingRunsTheMainWindowAndSavesAtExit) {
    const int saved[4] = {-499, 30, -499 + 1000, 30 + 650};
    ASSERT_TRUE(WritePrivateProfileStructW(L"GlobalParam", L"Window", const_cast<int*>(saved), 16,
                                           ini_.c_str()));
    start();
    const HWND terms = wait_for(L"Условия использования");
    ASSERT_NE(terms, nullptr);
    PostMessageW(terms, WM_COMMAND, IDOK, 0);
    const HWND main = wait_for(L"Orvane");
    ASSERT_NE(main, nullptr);
    RECT placed = {};
    GetWindowRect(main, &placed);
    EXPECT_EQ(placed.left, -499);
    EXPECT_EQ(placed.top, 30);
    EXPECT_EQ(placed.right, -499 + 1000);
    EXPECT_EQ(placed.bottom, 680);

    SetWindowPos(main, nullptr, 10, 20, 950, 600, SWP_NOZORDER);
    PostMessageW(main, WM_COMMAND, 105, 0);
    EXPECT_EQ(exit_code(), 0u);

    int window[4] = {};
    ASSERT_TRUE(read_block(L"Window", window));
    EXPECT_EQ(window[0], 10);
    EXPECT_EQ(window[1], 20);
    EXPECT_EQ(window[2], 960);
    EXPECT_EQ(window[3], 620);
    int list2[5] = {};
    ASSERT_TRUE(read_block(L"List2", list2));
    EXPECT_EQ(list2[3], 200);
    std::uint8_t filter[40] = {1};
    ASSERT_TRUE(read_block(L"Filter", filter));
    EXPECT_EQ(filter[0], 0);

    // The type table of the current dialect is saved at close, an empty one included.
    const std::wstring config = dir_path_ + L"Config.txt";
    EXPECT_EQ(GetPrivateProfileIntW(L"Navitel", L"Count", -1, config.c_str()), 0);
}

}  // namespace
