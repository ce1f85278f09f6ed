// The main window built from template 102 by its real procedure and driven through its
// commands' own routines: texts, placement, anchoring, the lists and status bar a file fills,
// check boxes, element editor, filter and map, the dialect switch, the message boxes of a
// failed read, a failed save and the export; and the icon.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <array>
#include <vector>

#include "camera_types.h"
#include "codepage.h"
#include "main_commands.h"
#include "main_window.h"
#include "resource.h"
#include "test_support.h"
#include "win_test_util.h"

using wintest::window_text;

namespace {

using Rows = std::vector<std::wstring>;
using Rect = std::array<long, 4>;
// In the parent's client area; a top-level window has none and keeps screen coordinates.
Rect rect_of(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right, r.bottom};
}

class MainWindowTest : public testing::Test {
  protected:
    void SetUp() override {
        state_ = wintest::make_state(test::to_wide_path(dir_.path()) + L"\\");
        test::write_bytes(state_.type_config_path,
                          test::read_bytes(test::data_path("golden_config.txt")));
    }
    void TearDown() override { close(); }
    // The window, with a file of tests/data open in it when one is named.
    void open(const char* file = nullptr) {
        window_ = create_main_window(state_);
        objects_ = GetDlgItem(window_, IDC_OBJECT_LIST),
        types_ = GetDlgItem(window_, IDC_TYPE_LIST);
        if (file) read(InputFormat::Navitel, test::data_path(file));
    }
    void close() { DestroyWindow(std::exchange(window_, nullptr)); }
    void read(InputFormat f, const std::wstring& path) { open_speedcam_file(window_, f, path); }
    std::wstring write(const char* name, std::string_view bytes) {
        test::write_bytes(dir_.file(name), bytes);
        return dir_.file(name);
    }
    // Runs the action, and in the dialog or message box it opens reads these edits ("-" after
    // a disabled one), types the given texts into them, lets `act` work, and closes it with
    // `button`. Returns its title, its text and what the edits showed.
    std::wstring with_box(const std::function<void()>& action, int button = IDOK,
                          std::vector<std::pair<int, const wchar_t*>> edits = {},
                          const std::function<void(HWND)>& act = nullptr) {
        std::wstring seen;
        const auto answer = [&](HWND box) {
            seen = window_text(box) + L": " + window_text(GetDlgItem(box, 0xFFFF));
            for (auto [id, text] : edits) {
                const HWND edit = GetDlgItem(box, id);
                seen += L"|" + window_text(edit) + (IsWindowEnabled(edit) ? L"" : L"-");
                if (text) SetWindowTextW(edit, text);
            }
            if (act) act(box);
            PostMessageW(box, WM_COMMAND, button, 0);
        };
        wintest::while_running([&] { return wintest::owned_by(window_); }, answer, action);
        return seen;
    }
    std::function<void()> command(WORD id) {
        return [this, id] { SendMessageW(window_, WM_COMMAND, id, 0); };
    }
    // Parts `from` to `to` of the status bar, joined by "|".
    std::wstring status(int from, int to = 0) const {
        wchar_t text[1024] = {};
        SendDlgItemMessageW(window_, IDC_STATUS_BAR, SB_GETTEXTW, from,
                            reinterpret_cast<LPARAM>(text));
        return from < to ? text + (L"|" + status(from + 1, to)) : text;
    }
    bool checked(int row) const { return ListView_GetCheckState(types_, row) != 0; }
    // Each row as its cells joined by "|"; the type list's check box shows as "x" or "-".
    Rows table(HWND list) const {
        Rows out;
        wchar_t text[256];
        for (int r = 0; r < ListView_GetItemCount(list); ++r) {
            out.push_back(list == types_ ? (checked(r) ? L"x" : L"-") : L"");
            for (int c = list == types_; c < (list == types_ ? 5 : 4); ++c) {
                ListView_GetItemText(list, r, c, text, 256);
                out.back() += (c ? L"|" : L"") + std::wstring(text);
            }
        }
        return out;
    }
    CameraType& type_behind(int row) const {
        return *reinterpret_cast<CameraType*>(*list_row_payload(main_window().types, row));
    }

    test::TempDir dir_;
    AppState state_;
    HWND window_ = nullptr, objects_ = nullptr, types_ = nullptr;
};

// The template holds placeholders: samples show the program's texts arriving in Cyrillic, no
// menu item is left without one or grayed or checked, and each control shows its own entry.
TEST_F(MainWindowTest, TextsColumnsAndWhatCloseStores) {
    std::copy_n(std::array{150, -1, 100, 77}.begin(), 4, state_.list1_widths);
    open();
    wchar_t navitel[64] = {}, head[64] = {};
    GetMenuStringW(GetMenu(window_), IDM_OPEN_NAVITEL, navitel, 64, MF_BYCOMMAND);
    LVCOLUMNW column = {LVCF_TEXT, 0, 0, head, 64, 0, 0, 0, 0, 0, 0};
    ListView_GetColumn(types_, 0, &column);
    EXPECT_EQ(window_text(GetDlgItem(window_, IDC_OBJECT_GROUP)) + L"|" + navitel + L"|" + head,
              L"Содержимое файла Speedcam|Формат Navitel|#");
    std::wstring left;
    const std::function<void(HMENU)> walk = [&](HMENU menu) {
        for (int i = 0; i < GetMenuItemCount(menu); walk(GetSubMenu(menu, i++))) {
            wchar_t name[128] = {};
            const bool off = GetMenuState(menu, i, MF_BYPOSITION) & (MF_GRAYED | MF_CHECKED);
            if (GetMenuStringW(menu, i, name, 128, MF_BYPOSITION) &&
                (off || std::ranges::none_of(name, [](wchar_t c) { return c >= 0x400; })))
                left += name + std::wstring(L"|");
        }
    };
    walk(GetMenu(window_));
    EXPECT_EQ(left, L"");
    const std::pair<int, unsigned> entries[] = {
        {IDC_OBJECT_HINT, IDS_OBJECT_HINT},       {IDC_TYPE_HINT, IDS_TYPE_HINT},
        {IDC_ENCODING_UTF16, IDS_ENCODING_UTF16}, {IDC_ENCODING_UTF8, IDS_ENCODING_UTF8},
        {IDC_ENCODING_ANSI, IDS_ENCODING_ANSI},   {IDC_STATUS_BAR, IDS_STATUS_NO_FILE}};
    for (auto [id, text] : entries)
        EXPECT_EQ(window_text(GetDlgItem(window_, id)), wintest::text_of(state_, text)) << id;
    // The columns have the saved widths (-1: the control's own).
    std::vector<int> widths;
    for (HWND list : {objects_, types_})
        for (int c = 0; c < Header_GetItemCount(ListView_GetHeader(list)); ++c)
            widths.push_back(ListView_GetColumnWidth(list, c));
    EXPECT_EQ(widths, (std::vector{150, widths[1], 100, 77, 30, 50, 50, 200, 200}));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window_, IDC_ENCODING_UTF16)));
    EXPECT_EQ(SendDlgItemMessageW(window_, IDC_ENCODING_UTF8, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_NE(SendMessageW(window_, WM_GETICON, ICON_BIG, 0), 0);
    const DWORD styles = LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES;
    EXPECT_EQ(ListView_GetExtendedListViewStyle(objects_) & styles, DWORD{LVS_EX_FULLROWSELECT});
    EXPECT_EQ(ListView_GetExtendedListViewStyle(types_) & styles, styles);
    // At close the widths the columns then have are stored.
    ListView_SetColumnWidth(objects_, 2, 123);
    ListView_SetColumnWidth(types_, 4, 61);
    close();
    EXPECT_EQ((std::array{state_.list1_widths[1], state_.list1_widths[2], state_.list2_widths[4]}),
              (std::array{widths[1], 123, 61}));
    // The icon has images of its own at 32 and 16 pixels, not ones that LoadImage would scale
    // from another size: its directory has a 6-byte head, then 14-byte entries that start with
    // the width.
    const HRSRC group = FindResourceW(nullptr, MAKEINTRESOURCEW(IDI_ORVANE), RT_GROUP_ICON);
    const auto* icons = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, group)));
    ASSERT_NE(icons, nullptr);
    EXPECT_EQ((std::array{icons[4], icons[6], icons[20]}), (std::array<BYTE, 3>{2, 32, 16}));
}

// Controls follow the edges they are anchored to; the type side narrows with the window down
// to the least width, the height never goes below the template's. After a change of DPI every
// control, column and status-bar part is as large as the template makes it there. Then the
// window is placed from the saved rectangle, at 96 DPI, inside the work area.
TEST_F(MainWindowTest, AnchoringDpiChangeAndPlacementOnTheScreen) {
    open();
    const Rect t = rect_of(window_);
    const long cx = t[2] - t[0], cy = t[3] - t[1];
    MINMAXINFO least = {};
    SendMessageW(window_, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&least));
    const long narrower = cx - least.ptMinTrackSize.x;
    EXPECT_TRUE(narrower > 0 && least.ptMinTrackSize.y == cy) << narrower;
    // How much of the growth (x, y, x, y) each edge of a control follows.
    const std::pair<int, Rect> follows[] = {
        {IDC_OBJECT_HINT, {0, 0, 0, 0}},   {IDC_OBJECT_LIST, {0, 0, 0, 1}},
        {IDC_OBJECT_GROUP, {0, 0, 0, 1}},  {IDC_TYPE_HINT, {0, 0, 1, 0}},
        {IDC_TYPE_GROUP, {0, 0, 1, 1}},    {IDC_TYPE_LIST, {0, 0, 1, 1}},
        {IDC_ENCODING_UTF8, {0, 0, 0, 0}}, {IDC_STATUS_BAR, {0, 1, 1, 1}}};
    std::vector<Rect> start;
    for (const auto& [id, edges] : follows) start.push_back(rect_of(GetDlgItem(window_, id)));
    const auto parts = [&] {
        std::array<int, 5> edges = {};
        SendDlgItemMessageW(window_, IDC_STATUS_BAR, SB_GETPARTS, 5,
                            reinterpret_cast<LPARAM>(edges.data()));
        return edges;
    };
    for (const SIZE& g :
         {SIZE{100, 0}, SIZE{0, 90}, SIZE{100, 90}, SIZE{-50, -50}, SIZE{-900, 0}}) {
        SetWindowPos(window_, nullptr, 0, 0, cx + g.cx, cy + g.cy, SWP_NOMOVE | SWP_NOZORDER);
        const long dx = std::max(g.cx, -narrower), dy = std::max(0L, g.cy);
        for (std::size_t i = 0; i < std::size(follows); ++i) {
            Rect expected = start[i];
            for (int e = 0; e < 4; ++e) expected[e] += follows[i].second[e] * (e % 2 ? dy : dx);
            EXPECT_EQ(rect_of(GetDlgItem(window_, follows[i].first)), expected)
                << "control " << i << " growth " << g.cx << "x" << g.cy;
        }
        // The status bar's parts keep their widths from the right; the first takes the rest.
        const int right = start.back()[2] - start.back()[0] + dx;
        EXPECT_EQ(parts(), (std::array{right - 610, right - 460, right - 260, right, 0}));
    }
    SetWindowPos(window_, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(rect_of(window_), t);

    // To 120 DPI, into the rectangle Windows suggests, a quarter larger. Here the frame and the
    // menu bar keep their size, so the client area grows a little more, and the controls that
    // follow an edge with it; the columns and parts keep their widths at 96 DPI for the close.
    RECT client0 = {}, client = {};
    GetClientRect(window_, &client0);
    RECT suggested = {t[0], t[1], t[0] + cx * 5 / 4, t[1] + cy * 5 / 4};
    SendMessageW(window_, WM_DPICHANGED, 120, reinterpret_cast<LPARAM>(&suggested));
    GetClientRect(window_, &client);
    const long grown[] = {client.right - client0.right * 5 / 4,
                          client.bottom - client0.bottom * 5 / 4};
    for (std::size_t i = 0; i + 1 < std::size(follows); ++i)
        for (int e = 0; e < 4; ++e)
            EXPECT_NEAR(rect_of(GetDlgItem(window_, follows[i].first))[e],
                        start[i][e] * 5 / 4 + follows[i].second[e] * grown[e % 2], 1)
                << "control " << i << " edge " << e;
    const int right = parts()[3];
    EXPECT_EQ(parts(), (std::array{right - 763, right - 575, right - 325, right, 0}));
    EXPECT_EQ(ListView_GetColumnWidth(types_, 0), 38);
    close();
    EXPECT_EQ((std::array{state_.list2_widths[0], state_.list1_widths[1]}), (std::array{30, 50}));
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const long mid_x = GetSystemMetrics(SM_CXSCREEN) / 2, mid_y = GetSystemMetrics(SM_CYSCREEN) / 2;
    const long wide = cx + 101, left = mid_x - wide / 2, x = mid_x - cx / 2, y = mid_y - cy / 2;
    const std::tuple<const char*, Rect, Rect> cases[] = {
        {"no settings", {0, 0, 0, 0}, {0, 0, cx, cy}},
        {"-500 centred", {-500, 40, -500 + wide, 90 + cy}, {left, 40, left + wide, 90 + cy}},
        {"-499 brought on", {-499, 40, -499 + cx, 40 + cy}, {0, 40, cx, 40 + cy}},
        {"too small", {100, 60, 110, 70}, {100, 60, 100 + cx, 60 + cy}},
        {"minimised", {-32000, -32000, -31840, -31972}, {x, y, x + cx, y + cy}},
        {"a monitor that is gone",
         {3000, 2000, 3000 + cx, 2000 + cy},
         {work.right - cx, work.bottom - cy, work.right, work.bottom}},
        {"larger than the screen", {-10, -20, 4000, 3000}, {0, 0, work.right, work.bottom}},
    };
    for (const auto& [name, saved, expected] : cases) {
        std::copy(saved.begin(), saved.end(), state_.window_rect);
        open();
        EXPECT_EQ(rect_of(window_), expected) << name;
        close();
    }
}

// Each file shows its records and one row per type met that the table knows, with the first
// entry's texts (navitel_lf.txt meets type 1 twice; the table has two entries for it): both
// lists of each file, as tests/expected/main_window_files.txt has them. A file that cannot be
// read after a good one is told, and leaves empty lists and a true status bar, whether it is
// opened or read again.
TEST_F(MainWindowTest, FilesFillBothListsAndTheStatusBarFitsItsTexts) {
    open();
    const std::wstring missing = dir_.file("missing.txt"), cannot = L"Не удалось прочитать файл ";
    const std::wstring paths[] = {
        test::data_path("navitel_lf.txt"),
        write("unknown.txt", "1,37.1,55.1,8,60,1,0\n2,37.2,55.2,2,40,1,0\n"), missing,
        write("empty.txt", ""),
        write("igo.txt", test::read_bytes(test::data_path("igo_indexed.txt")))};
    std::wstring shown;
    const HWND bar = GetDlgItem(window_, IDC_STATUS_BAR);
    const HDC dc = GetDC(bar);
    SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(bar, WM_GETFONT, 0, 0)));
    for (const std::wstring& path : paths) {
        SCOPED_TRACE(testing::Message() << path);
        const bool igo = path.ends_with(L"igo.txt");
        const std::wstring file = path == missing ? cannot + path : L"Файл: " + path + L" загружен";
        const auto opened =
            with_box([&] { read(igo ? InputFormat::Igo : InputFormat::Navitel, path); });
        EXPECT_EQ(opened, path == missing ? L"Error: " + file : L"");
        shown += L"== " + path.substr(path.find_last_of(L"\\/") + 1) + L"\n";
        for (const Rows& rows : {table(objects_), Rows{L"--"}, table(types_)})
            for (const std::wstring& row : rows) shown += row + L"\n";
        EXPECT_EQ(status(0, 2), file + (igo ? L"|Тип: Формат IGO" : L"|Тип: Формат Navitel") +
                                    L" (UTF-8)|Объектов: " +
                                    std::to_wstring(ListView_GetItemCount(objects_)) +
                                    L" (Фильтр: Откл)");
        // Parts 1 and 2 are as wide as their texts need in the bar's font, never narrower than
        // at start.
        for (int part : {1, 2}) {
            RECT r = {};
            SIZE text = {};
            SendMessageW(bar, SB_GETRECT, part, reinterpret_cast<LPARAM>(&r));
            GetTextExtentPoint32W(dc, status(part).c_str(), static_cast<int>(status(part).size()),
                                  &text);
            EXPECT_GT(r.right - r.left, std::max(text.cx + 4, part == 1 ? 149L : 197L)) << part;
        }
    }
    ReleaseDC(bar, dc);
    EXPECT_SAME_BYTES(test::read_bytes(test::data_path("main_window_files.txt", "expected")),
                      to_utf8(shown));
    // The ANSI button reads the current file again, in the system code page: here it is gone.
    const std::wstring igo = dir_.file("igo.txt");
    DeleteFileW(igo.c_str());
    EXPECT_EQ(with_box(command(IDC_ENCODING_ANSI)), L"Error: " + cannot + igo);
    EXPECT_EQ((std::pair{table(objects_), table(types_)}), (std::pair{Rows{}, Rows{}}));
    EXPECT_EQ(status(0, 2), cannot + igo + L"|Тип: Формат IGO (ANSI)|Объектов: 0 (Фильтр: Откл)");
    EXPECT_EQ(SendDlgItemMessageW(window_, IDC_ENCODING_ANSI, BM_GETCHECK, 0, 0), BST_CHECKED);
}

// A file whose reading fails half-way (a stick pulled out) after a good one: the user is told,
// and the lists, the export budget and the export all see no object, never the part of the
// file read before the failure.
TEST_F(MainWindowTest, AReadThatFailsHalfWayLeavesNoObject) {
    open("navitel_lf.txt");
    std::string lines;  // more blocks than the worker threads hold before the first is kept
    while (lines.size() < (std::size_t{12} << 20)) lines += "1,37.61755,55.75222,1,60,1,90\r\n";
    test::FailingFile failing(lines);
    EXPECT_EQ(with_box([&] { read(InputFormat::Navitel, failing.path()); }),
              L"Error: Не удалось прочитать файл " + failing.path());
    EXPECT_EQ((std::pair{table(objects_), table(types_)}), (std::pair{Rows{}, Rows{}}));
    EXPECT_EQ(status(2, 3), L"Объектов: 0 (Фильтр: Откл)|К экспорту: 0 · 0,0 из 6 МБ");
    EXPECT_EQ(with_box([&] { export_and_report(window_, dir_.file("out.csv")); }),
              L"OK: Экспорт успешно завершен.");
    const std::string banner = test::read_bytes(test::data_path("navitel.csv", "expected"));
    EXPECT_SAME_BYTES(banner.substr(0, banner.find('\n') + 1),
                      test::read_bytes(dir_.file("out.csv")));
}

// Every change the user makes to a box reaches the type, by mouse or by keyboard; the states
// the program sets while filling the list are the types' own. The element editor changes
// only the message.
TEST_F(MainWindowTest, CheckBoxesAndTheElementEditorChangeTheType) {
    open("navitel_lf.txt");
    const auto click = [&](int row, int x, UINT down) {
        RECT r = {LVIR_BOUNDS, 0, 0, 0};
        SendMessageW(types_, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r));
        for (UINT m : {down, UINT{WM_LBUTTONUP}})
            SendMessageW(types_, m, MK_LBUTTON, MAKELPARAM(r.left + x, (r.top + r.bottom) / 2));
    };
    CameraType& type = type_behind(0);
    ASSERT_TRUE(checked(0) && type.export_enabled == 1);
    click(0, 8, WM_LBUTTONDOWN);  // the box sits at the row's left edge, inside the "#" column
    EXPECT_FALSE(checked(0) || type.export_enabled);
    SetFocus(types_);
    for (int i = 0; i < 6; ++i)
        for (UINT m : {WM_KEYDOWN, WM_KEYUP})
            SendMessageW(types_, m, i % 2 ? VK_SPACE : VK_HOME, 0);
    EXPECT_TRUE(checked(0) && type.export_enabled);
    EXPECT_EQ(type_behind(1).export_enabled, 0) << "filling did not touch the other rows";
    type.export_enabled = 0;
    SendMessageW(window_, WM_COMMAND, IDC_ENCODING_UTF8, 0);
    EXPECT_FALSE(checked(0)) << "reading again shows what the types hold";
    EXPECT_EQ(&type_behind(0), &type);

    // Row 1's editor shows ID and description, which cannot be changed, and the format.
    const auto edit = [&](const wchar_t* text, int button) {
        return with_box(
            [&] { click(1, 40, WM_LBUTTONDBLCLK); }, button,
            {{IDC_ELEMENT_ID, nullptr}, {IDC_ELEMENT_DESC, nullptr}, {IDC_ELEMENT_FORMAT, text}});
    };
    EXPECT_EQ(edit(L"Внимание %SPEED%", IDOK),
              L"Редактор элемента: |2-|Светофор-|Светофор %SPEED%");
    EXPECT_EQ(table(types_)[1], L"-|2|1|Светофор|Внимание %SPEED%");
    edit(L"другое", IDCANCEL);
    EXPECT_STREQ(type_behind(1).message_format, L"Внимание %SPEED%");
    edit(std::wstring(200, L'ж').c_str(), IDOK);
    EXPECT_EQ(std::wstring(type_behind(1).message_format), std::wstring(126, L'ж'));
}

// The filter dialog stores what was typed and reads the file again; a rectangle drawn on the
// map is the same filter as typing its corners.
TEST_F(MainWindowTest, FilterDialogAndMapRectangleSetTheSameArea) {
    open("navitel_lf.txt");
    const auto filter = [&](std::array<const wchar_t*, 4> typed, int button = IDOK) {
        return with_box(command(IDM_FILTER), button,
                        {{IDC_FILTER_WEST, typed[0]},
                         {IDC_FILTER_NORTH, typed[1]},
                         {IDC_FILTER_EAST, typed[2]},
                         {IDC_FILTER_SOUTH, typed[3]}});
    };
    const AreaFilter& area = state_.filter.area;
    const auto corners = [&] { return std::array{area.west, area.north, area.east, area.south}; };
    EXPECT_EQ(filter({L"37.3", L"55.9", L"37.9", L"55,5"}),
              L"Настройка фильтра: |0.000000|0.000000|0.000000|0.000000");
    EXPECT_EQ(corners(), (std::array{37.3, 55.9, 37.9, 55.0}));
    EXPECT_EQ(status(2), L"Объектов: 4 (Фильтр: Вкл)") << "St Petersburg is outside";
    filter({L"0", L"0", L"0", L"0"}, IDCANCEL);
    EXPECT_EQ(filter({L"37.3", L"55.9", L"0", L"55.5"}),
              L"Настройка фильтра: |37.300000|55.900000|37.900000|55.000000")
        << "what was stored, unchanged by Cancel";
    EXPECT_EQ(status(2), L"Объектов: 5 (Фильтр: Откл)");

    // Drawn with the left button from the middle of the map, which is fitted to all five, to
    // its bottom-right corner: Moscow, not St Petersburg at the top left.
    const auto draw = [&](HWND d) {
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDC_MAP_RESET))) << "no filter to reset";
        RECT r;
        GetClientRect(d, &r);
        const long line = rect_of(GetDlgItem(d, IDC_MAP_STATUS))[1];
        const LPARAM to = MAKELPARAM(r.right - 4, line - 8);
        SendMessageW(d, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.right / 2, line / 2));
        SendMessageW(d, WM_MOUSEMOVE, MK_LBUTTON, to);
        SendMessageW(d, WM_LBUTTONUP, 0, to);
    };
    with_box(command(IDM_MAP), IDOK, {}, draw);
    EXPECT_EQ(status(2), L"Объектов: 4 (Фильтр: Вкл)") << "read again with the drawn area";
    // The filter dialog shows the stored corners; typed in again they are the same filter.
    const auto drawn = corners();
    filter({nullptr, nullptr, nullptr, nullptr});
    EXPECT_EQ(corners(), drawn);
    EXPECT_EQ(status(2), L"Объектов: 4 (Фильтр: Вкл)") << "so the drawn area was the one stored";
    // "Сбросить фильтр" switches the filter off and reads all again. That Cancel changes
    // nothing is map_session.sh's, with real input.
    with_box(command(IDM_MAP), IDC_MAP_RESET, {},
             [](HWND d) { EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, IDC_MAP_RESET))); });
    EXPECT_EQ(status(2), L"Объектов: 5 (Фильтр: Откл)");
}

// The old dialect's table is saved before the new one is loaded, and the one in force at
// close; a table that cannot be saved is told, and the new file still opens.
TEST_F(MainWindowTest, DialectSwitchAndCloseSaveTheTableOrTell) {
    const auto saved = [&](const wchar_t* section, const wchar_t* key) {
        wchar_t text[256] = {};
        GetPrivateProfileStringW(section, key, L"", text, 256, state_.type_config_path.c_str());
        return std::wstring(text);
    };
    open("navitel_lf.txt");
    wcscpy(type_behind(0).message_format, L"Navitel changed");
    read(InputFormat::Navitel, test::data_path("navitel_lf.txt"));
    EXPECT_EQ(saved(L"Navitel", L"Fmt0"), L"Камера %SPEED% км/ч") << "same dialect, unsaved";
    EXPECT_STREQ(type_behind(0).message_format, L"Navitel changed");
    read(InputFormat::Igo, test::data_path("igo_indexed.txt"));
    EXPECT_EQ(saved(L"Navitel", L"Fmt0"), L"Navitel changed");
    wcscpy(type_behind(0).message_format, L"IGO changed");
    read(InputFormat::Navitel, test::data_path("navitel_lf.txt"));
    EXPECT_EQ(saved(L"IGO", L"Fmt0") + L"|" + table(types_)[0],
              L"IGO changed|x|1|2|Стационарная камера|Navitel changed");
    type_behind(1).export_enabled = 1;
    close();
    EXPECT_EQ(saved(L"Navitel", L"Enable1"), L"1");

    open();
    state_.type_config_path = dir_.file("no folder\\Config.txt");
    const std::wstring told =
        L"Error: Не удалось сохранить типы камер в файл " + state_.type_config_path;
    EXPECT_EQ(with_box([&] { read(InputFormat::Igo, test::data_path("igo_indexed.txt")); }), told);
    EXPECT_EQ(ListView_GetItemCount(objects_), 3);
    EXPECT_EQ(with_box([&] { close(); }), told);
}

// A file opened in the wrong dialect, none of whose types that dialect's table has but most
// of them the other's, would export nothing: the window asks, in the real message box,
// whether to open it as the other format. "Нет" leaves it, "Да" opens it so. The files of
// FilesFillBothListsAndTheStatusBarFitsItsTexts are not asked about.
TEST_F(MainWindowTest, AFileOfTheOtherDialectAsksToBeOpenedSo) {
    open();
    const std::wstring igo_file = test::data_path("igo_indexed.txt");  // types 192, 68, 227
    const std::wstring as_igo = L"Orvane: " + wintest::text_of(state_, IDS_ASK_OPEN_AS_IGO);
    EXPECT_EQ(with_box([&] { read(InputFormat::Navitel, igo_file); }, IDNO), as_igo);
    EXPECT_EQ(status(1, 2), L"Тип: Формат Navitel (UTF-8)|Объектов: 3 (Фильтр: Откл)");
    EXPECT_EQ(table(types_), Rows{});
    EXPECT_EQ(with_box([&] { read(InputFormat::Navitel, igo_file); }, IDYES), as_igo);
    EXPECT_EQ(status(1, 2), L"Тип: Формат IGO (UTF-8)|Объектов: 3 (Фильтр: Откл)");
    EXPECT_EQ(table(types_).size(), 3u);
    // And the other way.
    const std::wstring navitel_file =
        write("navitel.txt", "1,37.1,55.1,1,60,1,0\n2,37.2,55.2,101,40,1,0\n");
    EXPECT_EQ(with_box([&] { read(InputFormat::Igo, navitel_file); }, IDYES),
              L"Orvane: " + wintest::text_of(state_, IDS_ASK_OPEN_AS_NAVITEL));
    EXPECT_EQ(status(1), L"Тип: Формат Navitel (UTF-8)");
}

// Past 6 MB the file is cut and the user is told to narrow the area. The good export is the
// user session's; a failed one is RealVolumes.ExportLandsInTheImageAndAFullStickKeepsItsList's.
TEST_F(MainWindowTest, ExportReportsACappedFile) {
    std::string big = "IDX,X,Y,TYPE,SPEED,DIRTYPE,DIRECTION\n";
    for (int i = 0; i < 40000; ++i)
        big += "1,3" + std::string(30, '7') + ",5" + std::string(30, '5') + ",1,60,1,90\n";
    open();
    read(InputFormat::Navitel, write("big.txt", big));
    const std::wstring capped = with_box([&] { export_and_report(window_, dir_.file("out.csv")); });
    EXPECT_TRUE(capped.starts_with(L"OK: Экспорт завершен, но")) << testing::PrintToString(capped);
}

}  // namespace
