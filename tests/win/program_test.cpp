// Orvane.exe as the user starts it: copied into a fresh folder, driven from this process
// through its windows, and judged by its exit code, its time and the files beside it; and the
// string table as it shows it: texts that only the right encoding of the .rc and the right
// formatting rules produce, and the text helpers' one shared buffer.
#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <filesystem>
#include <string>

#include "camera_types.h"
#include "resource.h"
#include "strings.h"
#include "test_support.h"
#include "win_test_util.h"

namespace {

using namespace std::string_literals;

class ProgramTest : public testing::Test {
  protected:
    void SetUp() override {
        const auto exe = std::filesystem::path(ORVANE_EXE).make_preferred();
        ASSERT_TRUE(CopyFileW(exe.c_str(), exe_.c_str(), FALSE)) << GetLastError();
    }
    void TearDown() override {
        if (process_.hProcess) exit_code(0);
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
    // Starts the program, answers its terms with this button (0: the close box) and returns
    // its main window.
    HWND start(int button) {
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        std::wstring command = L"\"" + exe_ + L"\"";
        EXPECT_TRUE(CreateProcessW(exe_.c_str(), command.data(), nullptr, nullptr, FALSE, 0,
                                   nullptr, dir_path_.c_str(), &startup, &process_));
        const HWND terms = wait_for(L"Условия использования");
        EXPECT_NE(terms, nullptr);
        for (int id : {IDOK, IDCANCEL, IDC_TERMS_TEXT})
            EXPECT_NE(wintest::window_text(GetDlgItem(terms, id)), L"") << "control " << id;
        PostMessageW(terms, button ? WM_COMMAND : WM_CLOSE, button, 0);
        return button == IDOK ? wait_for(L"Orvane") : nullptr;
    }
    // The exit code, or 99 when the program has not ended within the time and was killed.
    DWORD exit_code(DWORD ms = 20000) {
        DWORD code = 99;
        if (WaitForSingleObject(process_.hProcess, ms) != WAIT_OBJECT_0)
            TerminateProcess(process_.hProcess, 99);
        else
            GetExitCodeProcess(process_.hProcess, &code);
        CloseHandle(process_.hThread), CloseHandle(process_.hProcess);
        process_ = {};
        return code;
    }
    test::TempDir dir_;
    const std::wstring dir_path_ = test::to_wide_path(dir_.path()) + L"\\",
                       exe_ = dir_path_ + L"Orvane.exe", ini_ = dir_path_ + L"Orvane.ini",
                       config_ = dir_path_ + L"Config.txt";
    PROCESS_INFORMATION process_ = {};
};

// The close box declines, as Cancel does (both arrive as IDCANCEL), and the settings are
// still written back: each block as it was read, the filter's reserved bytes too, which no
// code reads; a damaged or missing one as its default. In tests/data/settings_damaged.ini,
// Window and Home have a wrong checksum, List1 and Repeats the size of another block, List2 is
// not hex, Map is gone.
TEST_F(ProgramTest, DecliningTheTermsStillWritesTheSettingsBack) {
    for (const auto& [ini, expected] :
         {std::pair{"settings_unusual.ini", "data"}, {"settings_damaged.ini", "expected"}}) {
        test::write_bytes(ini_, test::read_bytes(test::data_path(ini)));
        start(0);
        EXPECT_EQ(exit_code(), 0u) << ini;
        EXPECT_SAME_BYTES(test::read_bytes(test::data_path(ini, expected)), test::read_bytes(ini_));
    }
    EXPECT_FALSE(std::filesystem::exists(config_)) << "no main window, no table";
}

// The close box ends the run here; the next test ends it with Файл > Выход, and the sessions
// of tools/ with Escape.
TEST_F(ProgramTest, AcceptingRunsTheMainWindowAndSavesAtExit) {
    // A damaged Count claims 65,536 entries without a key: none is loaded, so nothing of
    // them is saved, and the program ends at once.
    test::write_bytes(config_, "[Navitel]\r\nCount=65536\r\n");
    const HWND main = start(IDOK);
    ASSERT_NE(main, nullptr);
    SetWindowPos(main, nullptr, 10, 20, 950, 600, SWP_NOZORDER);
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(exit_code(5000), 0u);
    std::array<int, 4> window = {};
    GetPrivateProfileStructW(L"GlobalParam", L"Window", window.data(), 16, ini_.c_str());
    EXPECT_EQ(window, (std::array{10, 20, 960, 620}));
    EXPECT_EQ(GetPrivateProfileIntW(L"Navitel", L"Count", -1, config_.c_str()), 0);
}

// The largest table, saved at exit while the program is killed at different moments: the
// table in Config.txt is always whole, the old one or the new one.
TEST_F(ProgramTest, KillingTheProgramWhileItSavesNeverDamagesTheTable) {
    CameraTypeList types;
    for (int i = 0; i < kMaxCameraTypes; ++i) types.push_back(test::camera_type(i, L"Камера"));
    ASSERT_TRUE(save_camera_types(types, config_, InputFormat::Navitel));
    const std::string table = test::read_bytes(config_);
    for (const DWORD ms : {0, 30, 80, 150, 300}) {
        test::write_bytes(config_, table);
        const HWND main = start(IDOK);
        ASSERT_NE(main, nullptr);
        PostMessageW(main, WM_COMMAND, IDM_EXIT, 0);
        exit_code(ms);  // killed unless it has ended by then
        load_camera_types(types, config_, InputFormat::Navitel);
        ASSERT_EQ(types.size(), std::size_t{65536}) << "killed after " << ms << " ms";
        EXPECT_EQ(types.back().id, 65535);
    }
}

// Entries whose units go wrong first when the .rc is read in another code page or its
// escapes are not turned into what they stand for: the line breaks, em dashes and tab of the
// compass, doubled quotes, and "%%" (every entry is a format, also one shown without
// arguments). load_string shares one buffer: a text made from an earlier result must read it
// before it is replaced, and a missing entry must not leave the previous text behind.
TEST(StringTable, ExactUnitsAndNestedAndMissingEntries) {
    AppState state = wintest::make_state(L"");
    EXPECT_EQ(wintest::text_of(state, IDS_FILTER_COMPASS),
              L"север\r\n|\r\n\r\nзапад \u2014 \t \u2014 восток\r\n\r\n|\r\nюг");
    EXPECT_EQ(wintest::text_of(state, IDS_TERMS_AGREEMENT),
              L"Нажимая кнопку \"Принимаю\" Вы соглашаетесь с вышеописанными условиями.");
    EXPECT_TRUE(wintest::text_of(state, IDS_ELEMENT_HINT).ends_with(L" аргументе %SPEED%"));
    EXPECT_EQ(std::wstring(load_string(state, IDS_STATUS_OBJECTS, L"4 294 967 295",
                                       load_string(state, IDS_FILTER_ON))),
              L"Объектов: 4 294 967 295 (Фильтр: Вкл)");
    EXPECT_EQ(std::wstring(
                  load_string(state, IDS_STATUS_TYPE, load_string(state, IDS_MAIN_TITLE), L"ANSI")),
              L"Тип: Orvane (ANSI)");
    EXPECT_EQ(load_string_copy(state, IDS_CANCEL), std::optional<std::wstring>(L"Отмена"));
    EXPECT_EQ(state.string_buffer, L"Тип: Orvane (ANSI)") << "a copy leaves the buffer";
    EXPECT_EQ(without_access_key(load_string(state, IDS_FORMAT_IGO) + L" &&&C"s), L"Формат IGO &C");
    EXPECT_EQ(load_string(state, 4242), nullptr);
    EXPECT_TRUE(state.string_buffer.empty());
    EXPECT_EQ(format_string(L"[%s]", load_string_copy(state, 4242)), L"[(null)]");
}

}  // namespace
