// The drive preparation dialog over the removable drives that tools/drive_volumes.sh presents
// to Wine, real FAT images among them, asked through Windows' own calls; the export written
// onto one through the main window; and, through DriveQueries, the file-system names that
// Wine never reports.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "drive_dialog.h"
#include "list_control.h"
#include "main_commands.h"
#include "main_window.h"
#include "resource.h"
#include "strings.h"
#include "test_support.h"
#include "win_test_util.h"

namespace {

namespace fs = std::filesystem;
constexpr COLORREF kGreen = RGB(200, 255, 200), kRed = RGB(255, 200, 200);
using Rows = std::vector<std::pair<const wchar_t*, COLORREF>>;  // columns 1 to 4, background

// What a run showed: the path handed back, each message box's text, whether the dialog's
// boxes had the warning icon, and whether the dialog was still open after the action.
struct Outcome {
    std::optional<std::wstring> path;
    std::vector<std::wstring> boxes;
    bool warning_icons = true, stayed_open = false;
};

struct {
    std::function<void(HWND)> act;
    HWND owner;  // the window that opens the dialog, whose boxes are read too
    Outcome out;
    int phase, ticks;
} g_run;

HWND open_dialog() {
    return wintest::dialog_titled(L"Подготовка съемного диска");
}

// Ticks inside the dialog's loop and inside each message box's: reads and closes every box,
// acts once on the dialog, then cancels it if the action left it open. After 10 s everything
// is cancelled, so that no run can hang.
void CALLBACK on_tick(HWND, UINT, UINT_PTR, DWORD) {
    const HWND dialog = open_dialog(), owner = dialog ? dialog : g_run.owner;
    const HWND box = owner ? wintest::owned_by(owner) : nullptr;
    if (++g_run.ticks > 500) {
        for (HWND w : {box, dialog}) PostMessageW(w, WM_COMMAND, IDCANCEL, 0);
    } else if (box) {
        g_run.out.boxes.push_back(wintest::window_text(GetDlgItem(box, 0xFFFF)));
        // Wine's message box shows its icon in control 1088.
        if (owner == dialog)
            g_run.out.warning_icons &= SendDlgItemMessageW(box, 1088, STM_GETICON, 0, 0) ==
                                       reinterpret_cast<LRESULT>(LoadIconW(nullptr, IDI_WARNING));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    } else if (dialog && g_run.phase++ == 0) {
        g_run.act(dialog);
    } else if (dialog) {
        g_run.out.stayed_open |= g_run.phase == 2;
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    }
}

template <class Open>
Outcome run(Open open, std::function<void(HWND)> act, HWND owner = nullptr) {
    g_run = {std::move(act), owner, {}, 0, 0};
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, on_tick);
    g_run.out.path = open();
    KillTimer(nullptr, timer);
    return g_run.out;
}

// Columns 1 to 4 joined with '|'.
std::wstring row_text(HWND list, int row) {
    std::wstring joined;
    for (int column = 1; column <= 4; ++column) {
        wchar_t text[300] = {};
        ListView_GetItemText(list, row, column, text, 300);
        joined += (column > 1 ? L"|" : L"") + std::wstring(text);
    }
    return joined;
}

// Selects and focuses the row of that root, as a click does.
void choose(HWND dialog, const std::wstring& root) {
    const HWND list = GetDlgItem(dialog, IDC_DRIVE_LIST);
    const UINT state = LVIS_SELECTED | LVIS_FOCUSED;
    const std::wstring prefix = root + L"|";
    for (int row = 0; row < ListView_GetItemCount(list); ++row)
        if (prefix.size() > 1 && row_text(list, row).starts_with(prefix))
            ListView_SetItemState(list, row, state, state);
}

std::function<void(HWND)> choose_and_confirm(std::wstring root) {
    return [root](HWND dialog) {
        choose(dialog, root);
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    };
}

const RowData* row_data(HWND list, int row) {
    LVITEMW item = {};
    item.mask = LVIF_PARAM, item.iItem = row;
    ListView_GetItem(list, &item);
    return reinterpret_cast<const RowData*>(item.lParam);
}

// The text and background colours of a cell, asked of the dialog as the list asks.
std::pair<COLORREF, COLORREF> paint(HWND dialog, int row, int column) {
    const HWND list = GetDlgItem(dialog, IDC_DRIVE_LIST);
    NMLVCUSTOMDRAW d = {};
    d.nmcd.hdr = {list, IDC_DRIVE_LIST, static_cast<UINT>(NM_CUSTOMDRAW)};
    d.nmcd.dwDrawStage = CDDS_ITEMPREPAINT | CDDS_SUBITEM;
    d.nmcd.dwItemSpec = static_cast<DWORD_PTR>(row);
    d.nmcd.lItemlParam = reinterpret_cast<LPARAM>(row_data(list, row));
    d.iSubItem = column;
    SendMessageW(dialog, WM_NOTIFY, IDC_DRIVE_LIST, reinterpret_cast<LPARAM>(&d));
    EXPECT_EQ(GetWindowLongPtrW(dialog, DWLP_MSGRESULT), CDRF_NEWFONT);
    return {d.clrText, d.clrTextBk};
}

// The rows in letter order; column 0 keeps the list's colours, the others show whether the
// head unit can read the drive, and a suitable row carries its letter.
void expect_rows(HWND dialog, const Rows& expected) {
    const HWND list = GetDlgItem(dialog, IDC_DRIVE_LIST);
    ASSERT_EQ(ListView_GetItemCount(list), static_cast<int>(expected.size()));
    const std::pair window{COLORREF{CLR_DEFAULT}, GetSysColor(COLOR_WINDOW)};
    for (int row = 0; row < ListView_GetItemCount(list); ++row) {
        const auto [cells, back] = expected[row];
        EXPECT_EQ(row_text(list, row), cells);
        EXPECT_EQ(row_data(list, row)->payload, back == kGreen ? cells[0] : L'-') << row;
        EXPECT_EQ(paint(dialog, row, 0), window) << row;
        EXPECT_EQ(paint(dialog, row, 2), std::pair(COLORREF{0}, back)) << row;
    }
}

class DriveDialog : public testing::Test {
  protected:
    std::wstring text(unsigned id) { return load_string_copy(state_, id).value_or(L"?"); }
    std::optional<std::wstring> dialog() { return run_drive_dialog(nullptr, state_); }
    test::TempDir dir_;
    AppState state_ = wintest::make_state(dir_.path().wstring() + L"\\");
};

class RealVolumes : public DriveDialog {
    void SetUp() override {
        if (!GetEnvironmentVariableW(L"ORVANE_DRIVE_VOLUMES", nullptr, 0))
            GTEST_SKIP() << "needs the drives that tools/drive_volumes.sh presents";
    }
};

// C: and Z: are fixed disks and I: has no volume to read, so none of them is listed.
TEST_F(RealVolumes, ListsEachRemovableVolumeAsWindowsDescribesIt) {
    const Rows expected = {
        {L"E:\\|NISSAN|FAT32|~ 7 Gb", kGreen},
        {L"F:\\|-|FAT|< 1 Gb", kGreen},
        {L"G:\\|BIG|FAT32|~ 15 Gb", kRed},  // 16 GiB, of which the data area is 15.98
        {L"H:\\|-|NTFS|~ 2 Gb", kRed},      // ext2: Wine calls every other file system NTFS
        // Wine reads the label from the boot sector, where mkfs.fat writes "NO NAME" when it
        // is given none; Windows reads the root folder's and shows "-".
        {L"J:\\|NO NAME|FAT|< 1 Gb", kGreen},
        {L"K:\\|8GB|FAT32|~ 8 Gb", kRed},
        {L"M:\\|-|FAT|-", kGreen},  // a drive that does not tell its size counts as empty
    };
    const Outcome outcome = run(
        [&] { return dialog(); },
        [&](HWND dialog) {
            expect_rows(dialog, expected);
            // The selected row shows the selection from column 1 on.
            choose(dialog, L"G:\\");
            EXPECT_EQ(paint(dialog, 2, 4),
                      std::pair(GetSysColor(COLOR_HIGHLIGHTTEXT), GetSysColor(COLOR_HIGHLIGHT)));
            EXPECT_EQ(paint(dialog, 1, 1), std::pair(COLORREF{0}, kGreen));
        });
    EXPECT_TRUE(outcome.stayed_open);
    EXPECT_FALSE(outcome.path);
}

TEST_F(RealVolumes, OkPreparesTheFoldersOrWarnsAndStaysOpen) {
    struct Case {
        const wchar_t* row;      // nothing chosen when empty
        const char *dir, *file;  // made on F: beforehand
        unsigned box;            // the warning shown, 0 for none
    } const cases[] = {
        {L"", nullptr, nullptr, 0},
        {L"G:\\", nullptr, nullptr, IDS_DRIVE_UNSUITABLE},
        {L"H:\\", nullptr, nullptr, IDS_DRIVE_UNSUITABLE},
        {L"K:\\", nullptr, nullptr, IDS_DRIVE_UNSUITABLE},
        {L"F:\\", nullptr, nullptr, 0},
        {L"F:\\", "myPOIs", "myPOIs/keep.txt", 0},
        {L"F:\\", nullptr, "myPOIs", IDS_DRIVE_FOLDERS_FAILED},
        {L"F:\\", "myPOIs", "myPOIs/myPOIWarnings", IDS_DRIVE_FOLDERS_FAILED},
    };
    const fs::path stick = L"F:\\";
    for (const Case& c : cases) {
        fs::remove_all(stick / "myPOIs");
        if (c.dir) fs::create_directory(stick / c.dir);
        if (c.file) test::write_bytes((stick / c.file).wstring(), "x");
        const Outcome outcome = run([&] { return dialog(); }, choose_and_confirm(c.row));
        const bool prepared = c.row == stick && c.box == 0;
        SCOPED_TRACE(testing::Message() << wintest::units(c.row) << (c.file ? c.file : ""));
        EXPECT_EQ(outcome.boxes, std::vector<std::wstring>(c.box != 0, text(c.box)));
        EXPECT_TRUE(outcome.warning_icons);
        EXPECT_EQ(outcome.stayed_open, !prepared);
        EXPECT_EQ(outcome.path, prepared ? std::optional(L"F:\\myPOIs\\myPOIWarnings\\speedcam.csv")
                                         : std::nullopt);
        EXPECT_EQ(fs::is_directory(stick / "myPOIs/myPOIWarnings"), prepared);
        EXPECT_TRUE(!c.file || fs::is_regular_file(stick / c.file));  // nothing lost
    }
}

// The menu command of the main window, with a Navitel file open: on E: the file lands in the
// FAT32 image with the bytes that "Сохранить как..." writes; J: is full, so the export fails
// and the list already on it stays as it was. The script reads both images afterwards.
TEST_F(RealVolumes, ExportLandsInTheImageAndAFullStickKeepsItsList) {
    test::write_bytes(state_.type_config_path,
                      test::read_bytes(test::data_path("golden_config.txt")));
    const HWND window = create_main_window(state_);
    ASSERT_NE(window, nullptr);
    open_speedcam_file(window, InputFormat::Navitel, test::data_path("navitel_lf.txt"));
    const std::tuple<const wchar_t*, unsigned, const char*> sticks[] = {
        {L"E:\\", IDS_EXPORT_DONE, "navitel.csv"},
        {L"J:\\", IDS_EXPORT_FAILED, "igo_indexed.csv"},
    };
    for (const auto& [root, box, csv] : sticks) {
        const Outcome outcome = run(
            [&] {
                SendMessageW(window, WM_COMMAND, IDM_PREPARE_DRIVE, 0);
                return std::optional<std::wstring>();
            },
            choose_and_confirm(root), window);
        EXPECT_EQ(outcome.boxes, std::vector{text(box)}) << wintest::units(root);
        EXPECT_SAME_BYTES(
            test::read_bytes(test::data_path(csv, "expected")),
            test::read_bytes(root + std::wstring(L"myPOIs\\myPOIWarnings\\speedcam.csv")));
    }
    DestroyWindow(window);
}

// Wine reports only FAT, FAT32 and NTFS, so these two names come through DriveQueries: the
// comparison ignores case, and exFAT is not FAT.
TEST_F(DriveDialog, FatInAnyCaseSuitsAndExFatDoesNot) {
    const DriveQueries names{
        [](LPCWSTR root) -> UINT {
            return root[0] == L'H' || root[0] == L'J' ? DRIVE_REMOVABLE : DRIVE_NO_ROOT_DIR;
        },
        [](LPCWSTR root, LPWSTR, DWORD, LPDWORD, LPDWORD, LPDWORD, LPWSTR fs, DWORD) -> BOOL {
            return lstrcpyW(fs, root[0] == L'H' ? L"exFAT" : L"fat32") != nullptr;
        },
        [](LPCWSTR, PULARGE_INTEGER, PULARGE_INTEGER total, PULARGE_INTEGER) -> BOOL {
            return (total->QuadPart = 4ull << 30) != 0;
        }};
    run([&] { return run_drive_dialog(nullptr, state_, names); },
        [](HWND dialog) {
            expect_rows(dialog, {{L"H:\\|-|exFAT|~ 4 Gb", kRed}, {L"J:\\|-|fat32|~ 4 Gb", kGreen}});
        });
}

}  // namespace
