// The drive preparation dialog over the removable drives that tools/drive_volumes.sh presents
// to Wine, real FAT images among them, asked through Windows' own calls; the export written
// onto one through the main window; through DriveQueries, the file-system names that Wine
// never reports; and the list control that keeps and paints the dialog's rows.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <dbt.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "camera_types.h"
#include "codepage.h"
#include "drive_dialog.h"
#include "list_control.h"
#include "main_commands.h"
#include "main_window.h"
#include "resource.h"
#include "test_support.h"
#include "win_test_util.h"

namespace {

namespace fs = std::filesystem;
constexpr COLORREF kGreen = RGB(200, 255, 200), kRed = RGB(255, 200, 200);

// A cell as the dialog tells its list to paint it, asked at each stage as the list asks: d the
// list's defaults, g and r green and red, s the selection, ? other colours or a wrong reply,
// ! when the control is left to draw the selection or focus itself. Whether the row is
// selected is the list's to say, not the state bits'.
wchar_t paint(HWND list, int row, int column) {
    LVITEMW item = {};
    item.mask = LVIF_PARAM, item.iItem = row;
    ListView_GetItem(list, &item);
    NMLVCUSTOMDRAW d = {};
    d.nmcd.hdr = {list, IDC_DRIVE_LIST, static_cast<UINT>(NM_CUSTOMDRAW)};
    d.nmcd.dwItemSpec = static_cast<DWORD_PTR>(row), d.nmcd.lItemlParam = item.lParam;
    d.nmcd.uItemState = CDIS_SELECTED | CDIS_FOCUS | CDIS_HOT, d.iSubItem = column;
    std::vector<LRESULT> replies;
    for (const DWORD stage :
         {CDDS_PREPAINT, CDDS_ITEMPREPAINT, CDDS_POSTPAINT, CDDS_ITEMPREPAINT | CDDS_SUBITEM})
        d.nmcd.dwDrawStage = stage, replies.push_back(SendMessageW(GetParent(list), WM_NOTIFY, 0,
                                                                   reinterpret_cast<LPARAM>(&d)));
    const COLORREF window = GetSysColor(COLOR_WINDOW), lit = GetSysColor(COLOR_HIGHLIGHTTEXT);
    const COLORREF shades[] = {CLR_DEFAULT, window, 0,   kGreen,
                               0,           kRed,   lit, GetSysColor(COLOR_HIGHLIGHT)};
    int i = 0;
    while (i < 4 && (shades[2 * i] != d.clrText || shades[2 * i + 1] != d.clrTextBk)) ++i;
    if (replies != std::vector<LRESULT>{CDRF_NOTIFYSUBITEMDRAW, CDRF_NOTIFYSUBITEMDRAW,
                                        CDRF_DODEFAULT, CDRF_NEWFONT})
        return L'?';
    return d.nmcd.uItemState == CDIS_HOT ? L"dgrs?"[i] : L'!';
}

std::wstring cell(HWND list, int row, int column) {
    wchar_t text[300] = {};
    ListView_GetItemText(list, row, column, text, 300);
    return text;
}

// A line for each row: columns 1 to 4 joined with '|', what the row stands for (_ when it
// has no data), and how columns 0 and 2 are painted, then again with the row selected.
std::wstring rows_text(HWND list) {
    ListControl reader;
    reader.list = list;
    std::wstring rows;
    for (int row = 0; row < ListView_GetItemCount(list); ++row) {
        for (int column = 1; column <= 4; ++column)
            rows += cell(list, row, column) + (column < 4 ? L'|' : L' ');
        const std::optional<LPARAM> payload = list_row_payload(reader, row);
        rows += {payload ? static_cast<wchar_t>(*payload ? *payload : L'0') : L'_', L' ',
                 paint(list, row, 0), paint(list, row, 2)};
        ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
        rows += {L' ', paint(list, row, 0), paint(list, row, 2), L'\n'};
        ListView_SetItemState(list, row, 0, LVIS_SELECTED);
    }
    return rows;
}

// Reads and closes every message box over the drive dialog or, once it has gone, over the
// window that opened it; "! " marks the warning icon.
std::wstring g_boxes;
HWND g_owner;
const auto drive_dialog = [] { return wintest::dialog_titled(L"Подготовка съемного диска"); };
void CALLBACK read_boxes(HWND, UINT, UINT_PTR, DWORD) {
    const HWND dialog = drive_dialog(), owner = dialog ? dialog : g_owner;
    const HWND box = owner ? wintest::owned_by(owner) : nullptr;
    if (!box) return;
    // Wine's message box shows its icon in control 1088.
    const bool warns = SendDlgItemMessageW(box, 1088, STM_GETICON, 0, 0) ==
                       reinterpret_cast<LRESULT>(LoadIconW(nullptr, IDI_WARNING));
    g_boxes += (warns ? L"! " : L"") + wintest::window_text(GetDlgItem(box, 0xFFFF)) + L"\n";
    PostMessageW(box, WM_COMMAND, IDOK, 0);
}

// Runs `open`, and `act` on the dialog once it shows. What the run showed: the text of each
// box, then "open" when the dialog was still open after `act` (it is then cancelled), and the
// path handed back.
std::wstring run(std::function<std::optional<std::wstring>()> open, std::function<void(HWND)> act,
                 HWND owner = nullptr) {
    g_boxes.clear(), g_owner = owner;
    std::optional<std::wstring> path;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, read_boxes);
    const auto acting = [&](HWND dialog) {
        act(dialog);
        if (IsWindowVisible(dialog))
            g_boxes += L"open", PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    };
    EXPECT_TRUE(wintest::while_running(drive_dialog, acting, [&] { path = open(); }));
    KillTimer(nullptr, timer);
    return g_boxes + path.value_or(L"");
}

// Selects and focuses the row of that root, as a click does, and confirms.
std::function<void(HWND)> choose(const std::wstring& root) {
    return [root](HWND dialog) {
        const HWND list = GetDlgItem(dialog, IDC_DRIVE_LIST);
        const UINT on = LVIS_SELECTED | LVIS_FOCUSED;
        for (int row = 0; row < ListView_GetItemCount(list); ++row)
            if (cell(list, row, 1) == root) ListView_SetItemState(list, row, on, on);
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    };
}

class RealVolumes : public testing::Test {
  protected:
    void SetUp() override {
        if (!GetEnvironmentVariableW(L"ORVANE_DRIVE_VOLUMES", nullptr, 0))
            GTEST_SKIP() << "runs in the ctest entry drive_volumes, over the FAT volumes that "
                            "tools/drive_volumes.sh presents as drives";
    }
    std::wstring dialog(std::function<void(HWND)> act) {
        return run([&] { return run_drive_dialog(nullptr, state_); }, std::move(act));
    }
    std::wstring box(unsigned id) { return wintest::text_of(state_, id) + L"\n"; }
    test::TempDir dir_;
    AppState state_ = wintest::make_state(dir_.path().wstring() + L"\\");
};

// The dialog lists the rows as tests/expected/removable_drives.txt has them. C: and Z: are fixed
// disks and I: has no volume to read, so none of them is listed. Column 0 keeps the list's
// colours; the others show whether the head unit can read the drive, or the selection, and a
// suitable row carries its letter. G: has 16 GiB, of which the data area is 15.98; H: is ext2,
// and Wine calls every other file system NTFS; J: shows "NO NAME" because Wine reads the label
// from the boot sector, where mkfs.fat writes it when it is given none (Windows reads the root
// folder's and shows "-"); M: does not tell its size and counts as empty. OK prepares the
// folders on a suitable drive, or warns and stays open.
TEST_F(RealVolumes, ListsEachVolumeAsWindowsDescribesItAndOkPreparesTheFoldersOrWarns) {
    const auto listed = [](HWND dialog) {
        EXPECT_SAME_BYTES(test::read_bytes(test::data_path("removable_drives.txt", "expected")),
                          to_utf8(rows_text(GetDlgItem(dialog, IDC_DRIVE_LIST))));
    };
    EXPECT_EQ(dialog(listed), L"open");
    // The root chosen (none when empty), a folder and a file made on F: beforehand, and the
    // warning shown (none for 0).
    const std::tuple<const wchar_t*, const char*, const char*, unsigned> cases[] = {
        {L"", nullptr, nullptr, 0},
        {L"G:\\", nullptr, nullptr, IDS_DRIVE_UNSUITABLE},
        {L"F:\\", nullptr, nullptr, 0},
        {L"F:\\", "myPOIs", "myPOIs/keep.txt", 0},
        {L"F:\\", nullptr, "myPOIs", IDS_DRIVE_FOLDERS_FAILED},
        {L"F:\\", "myPOIs", "myPOIs/myPOIWarnings", IDS_DRIVE_FOLDERS_FAILED},
    };
    const fs::path stick = L"F:\\";
    for (const auto& [row, dir, file, warning] : cases) {
        fs::remove_all(stick / "myPOIs");
        if (dir) fs::create_directory(stick / dir);
        if (file) test::write_bytes((stick / file).wstring(), "x");
        const bool prepared = row == stick && warning == 0;
        SCOPED_TRACE(testing::Message()
                     << testing::PrintToString(std::wstring(row)) << (file ? file : ""));
        EXPECT_EQ(dialog(choose(row)), warning    ? L"! " + box(warning) + L"open"
                                       : prepared ? L"F:\\myPOIs\\myPOIWarnings\\speedcam.csv"
                                                  : L"open");
        EXPECT_EQ(fs::is_directory(stick / "myPOIs/myPOIWarnings"), prepared);
        EXPECT_TRUE(!file || fs::is_regular_file(stick / file));  // nothing lost
    }
}

// The menu command of the main window, with a Navitel file open: on E: the file lands in the
// FAT32 image; J: is full, so the export fails. The script then reads both images from outside
// Wine: E: must hold the bytes that "Сохранить как..." writes, and J: the list that was
// already on it, whole. With nothing to export no drive dialog opens at all
// (MainWindowTest.NothingToExportIsToldBeforeAnyDialog).
TEST_F(RealVolumes, ExportLandsInTheImageAndAFullStickKeepsItsList) {
    test::write_bytes(state_.type_config_path,
                      test::read_bytes(test::data_path("golden_config.txt")));
    const HWND window = create_main_window(state_);
    ASSERT_NE(window, nullptr);
    open_speedcam_file(window, InputFormat::Navitel, test::data_path("navitel_lf.txt"));
    const auto command = [&] {
        return SendMessageW(window, WM_COMMAND, IDM_PREPARE_DRIVE, 0), std::nullopt;
    };
    for (const auto& [root, shown] : {std::pair{L"E:\\", L""}, {L"J:\\", L"! "}})
        EXPECT_EQ(run(command, choose(root), window),
                  shown + box(*shown ? IDS_EXPORT_FAILED : IDS_EXPORT_DONE));
    DestroyWindow(window);
}

// Without a drive that will do, a line says so and what to do, and OK waits for a drive to be
// chosen; the list follows sticks put in and pulled out, keeping the one chosen. Wine reports
// only FAT, FAT32 and NTFS, so the names of the last two sticks come through DriveQueries: the
// comparison ignores case, and exFAT is not FAT. Then a control of the test's own clears the
// list and its painter paints the rows. The dialog sets colours and then the payload; here the
// payload comes first, and rows have none when they were made, as when memory ran out: row
// data is then made on first use, and shared by payload and colours, so setting one keeps the
// other. Null colours are the list's defaults; the row data that the list is given is its to
// free. Released, the rows keep nothing that points at freed data.
TEST(DriveDialog, SaysWhenNoDriveWillDoFollowsTheDrivesAndKeepsItsRows) {
    // E: an NTFS stick from 1 on, F: a FAT32 one from 2 on; at 3 only H: (exFAT) and J: (fat32).
    static int sticks = 0;
    const DriveQueries queries{
        [](LPCWSTR r) -> UINT {
            const bool in =
                sticks == 3 ? r[0] == 'H' || r[0] == 'J' : r[0] > L'D' && r[0] - L'D' <= sticks;
            return in ? DRIVE_REMOVABLE : 1;
        },
        [](LPCWSTR r, LPWSTR, DWORD, LPDWORD, LPDWORD, LPDWORD, LPWSTR fs, DWORD) -> BOOL {
            const wchar_t* name = r[0] == 'E'   ? L"NTFS"
                                  : r[0] == 'H' ? L"exFAT"
                                  : r[0] == 'J' ? L"fat32"
                                                : L"FAT32";
            return lstrcpyW(fs, name) != nullptr;
        },
        [](LPCWSTR, PULARGE_INTEGER, PULARGE_INTEGER total, PULARGE_INTEGER) -> BOOL {
            return total->QuadPart = 4ull << 30, TRUE;
        }};
    AppState state = wintest::make_state(L"");
    std::wstring shown;
    const auto check = [&](HWND dialog) {
        const HWND line = GetDlgItem(dialog, IDC_DRIVE_NONE),
                   list = GetDlgItem(dialog, IDC_DRIVE_LIST);
        for (const int now : {0, 1, 2, 2, 0}) {
            const WPARAM change = now >= sticks ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE;
            sticks = now;
            SendMessageW(dialog, WM_DEVICECHANGE, change, 0);
            shown += IsWindowVisible(line) ? wintest::window_text(line) : L"-";
            for (int row = 0; row < ListView_GetItemCount(list); ++row)
                shown += L"|" + cell(list, row, 1) +
                         (ListView_GetItemState(list, row, LVIS_SELECTED) ? L"*" : L"");
            shown += IsWindowEnabled(GetDlgItem(dialog, IDOK)) ? L"|OK\n" : L"\n";
            ListView_SetItemState(list, 1, LVIS_SELECTED | LVIS_FOCUSED,
                                  LVIS_SELECTED | LVIS_FOCUSED);
        }
        sticks = 3;
        SendMessageW(dialog, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
        EXPECT_EQ(rows_text(list), L"H:\\|-|exFAT|~ 4 Gb - dr ds\nJ:\\|-|fat32|~ 4 Gb J dg ds\n");
        ListControl control;
        list_attach(control, list);
        list_clear(control);
        const auto bare_row = [&](RowData* data = nullptr) {
            LVITEMW item = {};
            item.mask = LVIF_PARAM, item.iItem = ListView_GetItemCount(list);
            item.lParam = reinterpret_cast<LPARAM>(data);
            return ListView_InsertItem(list, &item);
        };
        const COLORREF black = 0;
        const int row = list_append_row(control, L"");
        EXPECT_TRUE(list_set_row_payload(control, 'G', row) &&
                    list_set_row_colors(control, row, &black, &kRed) &&
                    list_set_row_colors(control, row, nullptr, nullptr));
        bare_row();
        EXPECT_TRUE(list_set_row_colors(control, bare_row(), &black, &kRed));
        EXPECT_TRUE(list_set_row_payload(control, 'J', bare_row()));
        // A clear flag keeps a selected row's own colours; the program clears it on no row.
        std::unique_ptr<RowData> own = row_data_new(control);
        own->text_ref = &black, own->back_ref = &kRed, own->highlight = false, own->payload = 'F';
        bare_row(own.release());
        EXPECT_FALSE(list_set_row_payload(control, 5, ListView_GetItemCount(list)) ||
                     list_set_row_colors(control, -1, nullptr, nullptr));
        EXPECT_EQ(rows_text(list),
                  L"||| G dd ds\n||| _ dd ds\n||| 0 dr ds\n||| J dd ds\n||| F dr dr\n");
        list_clear(control);
        list_append_row(control, L"");
        list_release(control);
        EXPECT_EQ(rows_text(list), L"||| _ dd ds\n") << "cleared, then released";
    };
    EXPECT_EQ(run([&] { return run_drive_dialog(nullptr, state, queries); }, check), L"open");
    const std::wstring none = wintest::text_of(state, IDS_DRIVE_NONE);
    EXPECT_EQ(shown, none + L"\n" + wintest::text_of(state, IDS_DRIVE_NONE_SUITABLE) +
                         L"|E:\\\n-|E:\\|F:\\\n-|E:\\|F:\\*|OK\n" + none + L"\n");
}

}  // namespace
