// The drive preparation dialog over the removable drives that tools/drive_volumes.sh presents
// to Wine, real FAT images among them, asked through Windows' own calls; the export written
// onto one through the main window; through DriveQueries, the file-system names that Wine
// never reports; and the list control that keeps and paints the dialog's rows.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <tuple>

#include "drive_dialog.h"
#include "list_control.h"
#include "main_commands.h"
#include "main_window.h"
#include "resource.h"
#include "test_support.h"
#include "win32.h"
#include "win_test_util.h"

namespace {

namespace fs = std::filesystem;
constexpr COLORREF kGreen = RGB(200, 255, 200), kRed = RGB(255, 200, 200);

NMLVCUSTOMDRAW draw_request(HWND list, DWORD stage, int row, int column) {
    LVITEMW item = {};
    item.mask = LVIF_PARAM, item.iItem = row;
    ListView_GetItem(list, &item);
    NMLVCUSTOMDRAW d = {};
    d.nmcd.hdr = {list, IDC_DRIVE_LIST, static_cast<UINT>(NM_CUSTOMDRAW)};
    d.nmcd.dwDrawStage = stage, d.nmcd.dwItemSpec = static_cast<DWORD_PTR>(row);
    d.nmcd.lItemlParam = item.lParam, d.iSubItem = column;
    // The list is asked whether the row is selected, not these bits.
    d.nmcd.uItemState = CDIS_SELECTED | CDIS_FOCUS | CDIS_HOT;
    return d;
}

// A cell as the dialog tells its list to paint it: d the list's defaults, s the selection,
// g and r green and red, ? other colours, ! when the control is left to draw the selection or
// focus itself.
wchar_t paint(HWND list, int row, int column) {
    NMLVCUSTOMDRAW d = draw_request(list, CDDS_ITEMPREPAINT | CDDS_SUBITEM, row, column);
    if (SendMessageW(GetParent(list), WM_NOTIFY, IDC_DRIVE_LIST, reinterpret_cast<LPARAM>(&d)) !=
            CDRF_NEWFONT ||
        d.nmcd.uItemState != CDIS_HOT)
        return L'!';
    const std::pair<COLORREF, COLORREF> shades[] = {
        {CLR_DEFAULT, GetSysColor(COLOR_WINDOW)},
        {GetSysColor(COLOR_HIGHLIGHTTEXT), GetSysColor(COLOR_HIGHLIGHT)},
        {0, kGreen},
        {0, kRed}};
    for (int i = 0; i < 4; ++i)
        if (shades[i] == std::pair{d.clrText, d.clrTextBk}) return L"dsgr"[i];
    return L'?';
}

// What a row stands for (_ when it has no data) and how columns 0 and 2 are painted.
std::wstring look(HWND list, int row) {
    ListControl reader;
    reader.list = list;
    const std::optional<LPARAM> payload = list_row_payload(reader, row);
    return {payload ? static_cast<wchar_t>(*payload ? *payload : L'0') : L'_', L' ',
            paint(list, row, 0), paint(list, row, 2)};
}

// Columns 1 to 4 joined with '|', then the row's look.
std::wstring row_text(HWND list, int row) {
    std::wstring joined;
    for (int column = 1; column <= 4; ++column) {
        wchar_t text[300] = {};
        ListView_GetItemText(list, row, column, text, 300);
        joined += text + std::wstring(column < 4 ? L"|" : L" ");
    }
    return joined + look(list, row);
}

std::wstring rows_text(HWND dialog) {
    const HWND list = GetDlgItem(dialog, IDC_DRIVE_LIST);
    std::wstring rows;
    for (int row = 0; row < ListView_GetItemCount(list); ++row) rows += row_text(list, row) + L"\n";
    return rows;
}

// Reads and closes every message box over the drive dialog or, once it has gone, over the
// window that opened it; a box over the dialog must carry the warning icon.
std::wstring g_boxes;
HWND g_owner;
HWND drive_dialog() {
    return wintest::dialog_titled(L"Подготовка съемного диска");
}
void CALLBACK read_boxes(HWND, UINT, UINT_PTR, DWORD) {
    const HWND dialog = drive_dialog(), owner = dialog ? dialog : g_owner;
    const HWND box = owner ? wintest::owned_by(owner) : nullptr;
    if (!box) return;
    // Wine's message box shows its icon in control 1088.
    const bool warns = SendDlgItemMessageW(box, 1088, STM_GETICON, 0, 0) ==
                       reinterpret_cast<LRESULT>(LoadIconW(nullptr, IDI_WARNING));
    g_boxes += (dialog && !warns ? L"(no warning icon) " : L"") +
               wintest::window_text(GetDlgItem(box, 0xFFFF)) + L"\n";
    PostMessageW(box, WM_COMMAND, IDOK, 0);
}

// What a run showed: the text of each box, then the path handed back, "open" when the
// dialog was still open after `act` (it is then cancelled), or "closed".
std::wstring run(std::function<std::optional<std::wstring>()> open, std::function<void(HWND)> act,
                 HWND owner = nullptr) {
    g_boxes.clear(), g_owner = owner;
    std::optional<std::wstring> path;
    bool stayed_open = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, read_boxes);
    EXPECT_TRUE(wintest::while_running(
        drive_dialog,
        [&](HWND dialog) {
            act(dialog);
            if ((stayed_open = IsWindowVisible(dialog)))
                PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        },
        [&] { path = open(); }));
    KillTimer(nullptr, timer);
    return g_boxes + (stayed_open ? L"open" : path.value_or(L"closed"));
}

// Selects and focuses the row of that root, as a click does, and confirms when asked to.
std::function<void(HWND)> choose(const std::wstring& root, bool confirm = true) {
    return [prefix = root + L"|", confirm](HWND dialog) {
        const HWND list = GetDlgItem(dialog, IDC_DRIVE_LIST);
        const UINT state = LVIS_SELECTED | LVIS_FOCUSED;
        for (int row = 0; row < ListView_GetItemCount(list); ++row)
            if (prefix.size() > 1 && row_text(list, row).starts_with(prefix))
                ListView_SetItemState(list, row, state, state);
        if (confirm) SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    };
}

class RealVolumes : public testing::Test {
  protected:
    void SetUp() override {
        if (!GetEnvironmentVariableW(L"ORVANE_DRIVE_VOLUMES", nullptr, 0))
            GTEST_SKIP() << "needs the drives that tools/drive_volumes.sh presents";
    }
    std::wstring dialog(std::function<void(HWND)> act) {
        return run([&] { return run_drive_dialog(nullptr, state_); }, std::move(act));
    }
    std::wstring text(unsigned id) { return wintest::text_of(state_, id) + L"\n"; }
    test::TempDir dir_;
    AppState state_ = wintest::make_state(dir_.path().wstring() + L"\\");
};

// C: and Z: are fixed disks and I: has no volume to read, so none of them is listed. Column 0
// keeps the list's colours; the others show whether the head unit can read the drive, and a
// suitable row carries its letter.
TEST_F(RealVolumes, ListsEachRemovableVolumeAsWindowsDescribesIt) {
    EXPECT_EQ(dialog([](HWND dialog) {
                  EXPECT_EQ(rows_text(dialog),
                            L"E:\\|NISSAN|FAT32|~ 7 Gb E dg\n"
                            L"F:\\|-|FAT|< 1 Gb F dg\n"
                            // 16 GiB, of which the data area is 15.98
                            L"G:\\|BIG|FAT32|~ 15 Gb - dr\n"
                            // ext2: Wine calls every other file system NTFS
                            L"H:\\|-|NTFS|~ 2 Gb - dr\n"
                            // Wine reads the label from the boot sector,
                            // where mkfs.fat writes "NO NAME" when it is
                            // given none; Windows reads the root folder's
                            // and shows "-".
                            L"J:\\|NO NAME|FAT|< 1 Gb J dg\n"
                            L"K:\\|8GB|FAT32|~ 8 Gb - dr\n"
                            // a drive that does not tell its size is empty
                            L"M:\\|-|FAT|- M dg\n");
                  choose(L"G:\\", false)(dialog);
                  EXPECT_EQ(row_text(GetDlgItem(dialog, IDC_DRIVE_LIST), 2),
                            L"G:\\|BIG|FAT32|~ 15 Gb - ds");
              }),
              L"open");
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
        const bool prepared = c.row == stick && c.box == 0;
        SCOPED_TRACE(testing::Message() << wintest::units(c.row) << (c.file ? c.file : ""));
        EXPECT_EQ(dialog(choose(c.row)),
                  (c.box ? text(c.box) : L"") +
                      (prepared ? L"F:\\myPOIs\\myPOIWarnings\\speedcam.csv" : L"open"));
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
    for (const auto& [root, box, csv] : {std::tuple{L"E:\\", IDS_EXPORT_DONE, "navitel.csv"},
                                         {L"J:\\", IDS_EXPORT_FAILED, "igo_indexed.csv"}}) {
        const auto command = [&] {
            SendMessageW(window, WM_COMMAND, IDM_PREPARE_DRIVE, 0);
            return std::optional<std::wstring>();
        };
        EXPECT_EQ(run(command, choose(root), window), text(box) + L"closed");
        EXPECT_SAME_BYTES(
            test::read_bytes(test::data_path(csv, "expected")),
            test::read_bytes(root + std::wstring(L"myPOIs\\myPOIWarnings\\speedcam.csv")));
    }
    DestroyWindow(window);
}

// Wine reports only FAT, FAT32 and NTFS, so these two names come through DriveQueries: the
// comparison ignores case, and exFAT is not FAT.
TEST(DriveDialog, FatInAnyCaseSuitsAndExFatDoesNot) {
    const DriveQueries names{
        [](LPCWSTR root) -> UINT {
            return root[0] == L'H' || root[0] == L'J' ? DRIVE_REMOVABLE : 0;
        },
        [](LPCWSTR root, LPWSTR, DWORD, LPDWORD, LPDWORD, LPDWORD, LPWSTR fs, DWORD) -> BOOL {
            return lstrcpyW(fs, root[0] == L'H' ? L"exFAT" : L"fat32") != nullptr;
        },
        [](LPCWSTR, PULARGE_INTEGER, PULARGE_INTEGER total, PULARGE_INTEGER) -> BOOL {
            return (total->QuadPart = 4ull << 30) != 0;
        }};
    AppState state = wintest::make_state(L"");
    run([&] { return run_drive_dialog(nullptr, state, names); },
        [](HWND dialog) {
            EXPECT_EQ(rows_text(dialog), L"H:\\|-|exFAT|~ 4 Gb - dr\nJ:\\|-|fat32|~ 4 Gb J dg\n");
        });
}

ListControl g_list;
INT_PTR host(HWND dialog, UINT message, WPARAM, LPARAM lparam) {
    if (message != WM_NOTIFY || reinterpret_cast<NMHDR*>(lparam)->code != NM_CUSTOMDRAW)
        return message == WM_INITDIALOG;
    return list_custom_draw(g_list, dialog, *reinterpret_cast<NMLVCUSTOMDRAW*>(lparam));
}

// The drive dialog's template, with a procedure that only paints, hosts a list whose rows get
// their data in every order, also rows the control did not make. Row data is made on first
// use and shared by payload and colours: setting one keeps the other. Column 0 always shows
// the defaults; elsewhere a selected row shows the selection unless its flag is clear, and an
// unselected row its own colours.
TEST(ListControl, PayloadAndColoursChangeIndependentlyAndPaintEachRow) {
    const HWND dialog = create_dialog<host>(GetModuleHandleW(nullptr), IDD_DRIVE, nullptr, nullptr);
    ASSERT_NE(dialog, nullptr);
    const HWND list = GetDlgItem(dialog, IDC_DRIVE_LIST);
    list_attach(g_list, list);
    for (int c = 0; c < 3; ++c) lv_insert_column(list, c, L"", 40);
    for (const auto& [stage, reply] : {std::pair{CDDS_PREPAINT, CDRF_NOTIFYSUBITEMDRAW},
                                       {CDDS_ITEMPREPAINT, CDRF_NOTIFYSUBITEMDRAW},
                                       {CDDS_POSTPAINT, CDRF_DODEFAULT}}) {
        NMLVCUSTOMDRAW d = draw_request(list, stage, 0, 0);
        EXPECT_EQ(SendMessageW(dialog, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&d)), reply) << stage;
    }
    const auto insert = [&](RowData* data) {
        LVITEMW item = {};
        item.mask = LVIF_PARAM, item.iItem = ListView_GetItemCount(list);
        item.lParam = reinterpret_cast<LPARAM>(data);
        return ListView_InsertItem(list, &item);
    };
    const COLORREF black = 0;
    int row = list_append_row(g_list, L"");
    EXPECT_TRUE(list_set_row_colors(g_list, row, &black, &kRed) &&
                list_set_row_payload(g_list, 'E', row));
    row = list_append_row(g_list, L"");
    EXPECT_TRUE(list_set_row_payload(g_list, 'G', row) &&
                list_set_row_colors(g_list, row, &black, &kRed) &&
                list_set_row_colors(g_list, row, nullptr, nullptr));
    insert(new RowData{&black, &kRed, false, 'F'});
    insert(nullptr);
    EXPECT_TRUE(list_set_row_colors(g_list, insert(nullptr), &black, &kRed));
    EXPECT_TRUE(list_set_row_payload(g_list, 'J', insert(nullptr)));
    insert(new RowData{nullptr, nullptr, false, 0});  // null references mean the defaults
    std::wstring looks;
    for (row = 0; row < ListView_GetItemCount(list); ++row) {
        ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
        looks += look(list, row);
        ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
        looks += look(list, row).substr(1) + L",";
    }
    EXPECT_EQ(looks, L"E dr ds,G dd ds,F dr dr,_ dd ds,0 dr ds,J dd ds,0 dd dd,");
    EXPECT_FALSE(list_set_row_payload(g_list, 5, row));
    EXPECT_FALSE(list_set_row_colors(g_list, -1, nullptr, nullptr));
    // Clearing deletes the rows; releasing leaves them with nothing that points at freed data.
    list_clear(g_list);
    EXPECT_EQ(ListView_GetItemCount(list), 0);
    list_append_row(g_list, L"");
    list_release(g_list);
    EXPECT_EQ(ListView_GetItemCount(list), 1);
    EXPECT_EQ(look(list, 0), L"_ dd");
    DestroyWindow(dialog);
}

}  // namespace
