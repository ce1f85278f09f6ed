// The main window built from template 102 by its real procedure: controls, texts, columns,
// placement, anchoring, status bar, minimum size and what it leaves in the state at close.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <cstring>
#include <tuple>
#include <utility>
#include <vector>

#include "main_window.h"
#include "resource.h"
#include "strings.h"
#include "terms_dialog.h"
#include "test_support.h"
#include "win_test_util.h"

using wintest::class_name;
using wintest::height;
using wintest::rect_in_parent;
using wintest::width;
using wintest::window_text;

namespace {

INT_PTR CALLBACK bare_proc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

std::array<long, 4> as_array(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}
std::array<long, 4> as_array(const int (&r)[4]) {
    return {r[0], r[1], r[2], r[3]};
}

// The window rectangle that template 102 gives without any placement.
SIZE template_size() {
    const HWND bare = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN),
                                         nullptr, bare_proc, 0);
    RECT r = {};
    GetWindowRect(bare, &r);
    DestroyWindow(bare);
    return {width(r), height(r)};
}

class MainWindowTest : public testing::Test {
  protected:
    void SetUp() override { state_ = wintest::make_state(test::to_wide_path(dir_.path()) + L"\\"); }
    void TearDown() override { close(); }

    HWND open() {
        window_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN), nullptr,
                                     main_window_proc, reinterpret_cast<LPARAM>(&state_));
        EXPECT_NE(window_, nullptr);
        return window_;
    }
    void close() {
        if (window_ != nullptr) DestroyWindow(window_);
        window_ = nullptr;
    }
    RECT rect() const {
        RECT r = {};
        GetWindowRect(window_, &r);
        return r;
    }
    HWND item(int id) const { return GetDlgItem(window_, id); }
    int column_width(int id, int column) const {
        return static_cast<int>(SendMessageW(item(id), LVM_GETCOLUMNWIDTH, column, 0));
    }

    test::TempDir dir_;
    AppState state_;
    HWND window_ = nullptr;
};

TEST_F(MainWindowTest, ControlsTextsAndColumnsAtStart) {
    const int list1[4] = {150, -1, 100, 77};
    std::memcpy(state_.list1_widths, list1, sizeof list1);
    open();
    // Each relayout raises the anchored controls in registration order: the status bar ends
    // on top, and the radio buttons, never registered, stay below in template order.
    const int z_order[] = {1034, 1001, 1005, 1006, 1003, 1000, 1004, 1007, 1008, 1009};
    HWND child = GetWindow(window_, GW_CHILD);
    for (int id : z_order) {
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(GetDlgCtrlID(child), id);
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr);
    EXPECT_EQ(_wcsicmp(class_name(item(IDC_STATUS_BAR)).c_str(), L"msctls_statusbar32"), 0);
    EXPECT_EQ(GetWindowLongW(item(IDC_STATUS_BAR), GWL_STYLE), 0x50000100);
    EXPECT_FALSE(IsWindowEnabled(item(IDC_ENCODING_UTF16)));
    EXPECT_NE(SendMessageW(window_, WM_GETICON, ICON_BIG, 0), 0);

    // Every text shown, as a control ID or menu item and the string it must carry; 0 for a
    // text that stays empty.
    const std::pair<int, unsigned> texts[] = {
        {1003, IDS_OBJECT_GROUP}, {1004, IDS_OBJECT_HINT},    {1005, 0},
        {1006, IDS_TYPE_HINT},    {1007, IDS_ENCODING_UTF16}, {1008, IDS_ENCODING_UTF8},
        {1009, IDS_ENCODING_ANSI}};
    const auto text = [&](unsigned id) { return id ? *load_string_copy(state_, id) : L""; };
    EXPECT_EQ(window_text(window_), text(IDS_MAIN_TITLE));
    for (auto [control, id] : texts) EXPECT_EQ(window_text(item(control)), text(id)) << control;
    const HMENU bar = GetMenu(window_), file = GetSubMenu(bar, 0);
    const std::tuple<HMENU, UINT, UINT, unsigned> menu[] = {
        {bar, 0, MF_BYPOSITION, IDS_MENU_FILE},
        {file, 0, MF_BYPOSITION, IDS_MENU_OPEN},
        {file, IDM_OPEN_NAVITEL, MF_BYCOMMAND, IDS_FORMAT_NAVITEL},
        {file, IDM_OPEN_IGO, MF_BYCOMMAND, IDS_FORMAT_IGO},
        {file, 2, MF_BYPOSITION, IDS_MENU_EXPORT},
        {file, IDM_SAVE_AS, MF_BYCOMMAND, IDS_MENU_SAVE_AS},
        {file, IDM_PREPARE_DRIVE, MF_BYCOMMAND, IDS_MENU_PREPARE_DRIVE},
        {file, IDM_EXIT, MF_BYCOMMAND, IDS_MENU_EXIT},
        {bar, 1, MF_BYPOSITION, IDS_MENU_TOOLS},
        {GetSubMenu(bar, 1), IDM_FILTER, MF_BYCOMMAND, IDS_MENU_FILTER},
        {bar, 2, MF_BYPOSITION, IDS_MENU_HELP},
        {GetSubMenu(bar, 2), IDM_ABOUT, MF_BYCOMMAND, IDS_MENU_ABOUT}};
    for (auto [m, at, by, id] : menu) {
        wchar_t shown[128] = {};
        GetMenuStringW(m, at, shown, 128, by);
        EXPECT_EQ(shown, text(id)) << id;
        EXPECT_EQ(GetMenuState(m, at, by) & (MF_GRAYED | MF_DISABLED | MF_CHECKED), 0u) << id;
    }
    EXPECT_TRUE(GetMenuState(file, 1, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_TRUE(GetMenuState(file, 3, MF_BYPOSITION) & MF_SEPARATOR);
    wchar_t status[128] = {};
    SendMessageW(item(IDC_STATUS_BAR), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(status));
    EXPECT_EQ(status, text(IDS_STATUS_NO_FILE));
    for (int part = 1; part < 3; ++part)
        EXPECT_EQ(LOWORD(SendMessageW(item(IDC_STATUS_BAR), SB_GETTEXTLENGTHW, part, 0)), 0);

    // UTF-8 is checked at start; the buttons follow the window's encoding.
    const auto checked = [&](int id) { return SendMessageW(item(id), BM_GETCHECK, 0, 0); };
    EXPECT_EQ(checked(IDC_ENCODING_UTF8), BST_CHECKED);
    EXPECT_EQ(checked(IDC_ENCODING_UTF16) | checked(IDC_ENCODING_ANSI), BST_UNCHECKED);
    main_window().encoding = TextEncoding::Ansi;
    update_encoding_buttons(window_);
    EXPECT_EQ(checked(IDC_ENCODING_ANSI) - checked(IDC_ENCODING_UTF8), BST_CHECKED);

    // Columns: their headers in order, the saved widths, and check boxes on the type list only.
    const std::pair<int, std::vector<unsigned>> columns[] = {
        {IDC_OBJECT_LIST,
         {IDS_COLUMN_COORDINATES, IDS_COLUMN_TYPE, IDS_COLUMN_SPEED_LIMIT, IDS_COLUMN_COMMENT}},
        {IDC_TYPE_LIST,
         {0, IDS_COLUMN_TYPE, IDS_COLUMN_COUNT, IDS_COLUMN_DESCRIPTION,
          IDS_COLUMN_MESSAGE_FORMAT}}};
    for (const auto& [list, headers] : columns) {
        const HWND header = reinterpret_cast<HWND>(SendMessageW(item(list), LVM_GETHEADER, 0, 0));
        ASSERT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), std::ssize(headers));
        for (int c = 0; c < std::ssize(headers); ++c) {
            wchar_t shown[128] = {};
            LVCOLUMNW column = {};
            column.mask = LVCF_TEXT, column.pszText = shown, column.cchTextMax = 128;
            SendMessageW(item(list), LVM_GETCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
            EXPECT_EQ(shown, headers[c] ? text(headers[c]) : L"#") << list << " " << c;
        }
    }
    const auto widths = [&](int list, int n) {
        std::vector<int> out;
        for (int c = 0; c < n; ++c) out.push_back(column_width(list, c));
        return out;
    };
    const int unsized = column_width(IDC_OBJECT_LIST, 1);  // created without a width
    EXPECT_GE(unsized, 0);
    EXPECT_EQ(widths(IDC_OBJECT_LIST, 4), (std::vector{150, unsized, 100, 77}));
    EXPECT_EQ(widths(IDC_TYPE_LIST, 5), (std::vector{30, 50, 50, 200, 200}));
    const auto ext = [&](int id) {
        return SendMessageW(item(id), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) &
               (LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES);
    };
    EXPECT_EQ(ext(IDC_OBJECT_LIST), LVS_EX_FULLROWSELECT);
    EXPECT_EQ(ext(IDC_TYPE_LIST), LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES);

    // At close the widths the columns have then are stored, the unsized one's included, and
    // the window's rectangle.
    SendMessageW(item(IDC_OBJECT_LIST), LVM_SETCOLUMNWIDTH, 2, 123);
    SendMessageW(item(IDC_TYPE_LIST), LVM_SETCOLUMNWIDTH, 4, 61);
    const RECT last = rect();
    close();
    EXPECT_EQ((std::vector(state_.list1_widths, state_.list1_widths + 3)),
              (std::vector{150, unsized, 123}));
    EXPECT_EQ(state_.list2_widths[4], 61);
    EXPECT_EQ(as_array(state_.window_rect), as_array(last));
}

TEST_F(MainWindowTest, PlacementFromTheSavedRectangle) {
    const SIZE t = template_size();
    const int mid_x = GetSystemMetrics(SM_CXSCREEN) / 2, mid_y = GetSystemMetrics(SM_CYSCREEN) / 2;
    const int wide = t.cx + 101;
    const std::tuple<const char*, RECT, RECT> cases[] = {
        {"no settings file", {0, 0, 0, 0}, {0, 0, t.cx, t.cy}},
        {"left -500 is centred",
         {-500, 40, -500 + wide, 40 + t.cy + 50},
         {mid_x - wide / 2, 40, mid_x - wide / 2 + wide, 40 + t.cy + 50}},
        {"left -499 is kept",
         {-499, 40, -499 + t.cx, 40 + t.cy},
         {-499, 40, -499 + t.cx, 40 + t.cy}},
        {"smaller than the template", {100, 60, 110, 70}, {100, 60, 100 + t.cx, 60 + t.cy}},
        {"parked by minimising",
         {-32000, -32000, -31840, -31972},
         {mid_x - t.cx / 2, mid_y - t.cy / 2, mid_x - t.cx / 2 + t.cx, mid_y - t.cy / 2 + t.cy}},
    };
    for (const auto& [name, saved, expected] : cases) {
        std::memcpy(state_.window_rect, &saved, sizeof saved);
        open();
        EXPECT_EQ(as_array(rect()), as_array(expected)) << name;
        close();
    }
}

TEST_F(MainWindowTest, ControlsFollowTheEdgesTheyAreAnchoredTo) {
    const SIZE t = template_size();
    open();
    // Per control: does its width grow with dx, its top move with dy, its height grow with dy.
    const std::tuple<int, bool, bool, bool> follows[] = {
        {1004, false, false, false}, {1000, false, false, true},  {1003, false, false, true},
        {1006, true, false, false},  {1005, true, false, true},   {1001, true, false, true},
        {1007, false, false, false}, {1008, false, false, false}, {1009, false, false, false}};
    std::vector<RECT> start;
    for (const auto& f : follows) start.push_back(rect_in_parent(item(std::get<0>(f))));
    // Small enough to fit a 1024 x 768 screen, whose maximum tracking size would clamp them.
    for (const SIZE& g : {SIZE{100, 0}, SIZE{0, 90}, SIZE{100, 90}, SIZE{0, 0}}) {
        SetWindowPos(window_, nullptr, 0, 0, t.cx + g.cx, t.cy + g.cy, SWP_NOMOVE | SWP_NOZORDER);
        for (std::size_t i = 0; i < std::size(follows); ++i) {
            const auto [id, grows_wide, moves_down, grows_high] = follows[i];
            const RECT now = rect_in_parent(item(id)), was = start[i];
            // Nothing moves sideways.
            EXPECT_EQ((std::array<LONG, 4>{now.left, now.top, width(now), height(now)}),
                      (std::array<LONG, 4>{was.left, was.top + (moves_down ? g.cy : 0),
                                           width(was) + (grows_wide ? g.cx : 0),
                                           height(was) + (grows_high ? g.cy : 0)}))
                << "control " << id << " growth " << g.cx << "x" << g.cy;
        }
        // The status bar spans the bottom of the client area, and its last two parts keep
        // their widths.
        RECT client = {};
        GetClientRect(window_, &client);
        const RECT bar = rect_in_parent(item(IDC_STATUS_BAR));
        EXPECT_EQ((std::array{bar.left, bar.right, bar.bottom}),
                  (std::array{0L, client.right, client.bottom}));
        std::array<int, 4> edges = {};
        ASSERT_EQ(SendMessageW(item(IDC_STATUS_BAR), SB_GETPARTS, 4,
                               reinterpret_cast<LPARAM>(edges.data())),
                  3);
        const int right = client.right;
        EXPECT_EQ(edges, (std::array{right - 350, right - 200, right, 0}));
    }
}

TEST_F(MainWindowTest, TheWindowCannotBecomeSmallerThanItsTemplate) {
    const SIZE t = template_size();
    const RECT big = {30, 30, 30 + t.cx + 200, 30 + t.cy + 100};
    std::memcpy(state_.window_rect, &big, sizeof big);
    open();
    MINMAXINFO info = {};
    info.ptMaxTrackSize = {12345, 6789};
    SendMessageW(window_, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ((std::array{info.ptMinTrackSize.x, info.ptMinTrackSize.y, info.ptMaxTrackSize.x}),
              (std::array{t.cx, t.cy, 12345L}));  // nothing else is touched
    SetWindowPos(window_, nullptr, 0, 0, 200, 100, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ((std::pair{width(rect()), height(rect())}), (std::pair<int, int>{t.cx, t.cy}));
}

TEST_F(MainWindowTest, TypeTableIsLoadedAtStartAndSavedAtClose) {
    const std::wstring& config = state_.type_config_path;
    test::write_bytes(config, "[Navitel]\r\nCount=2\r\nID0=1\r\nID1=5\r\nEnable1=0\r\n");
    open();
    ASSERT_EQ(state_.types.size(), 2u);
    EXPECT_EQ(state_.types[1].id, 5);
    state_.types[0].export_enabled = 0;
    wcscpy(state_.types[1].message_format, L"Пост %SPEED%");
    close();
    EXPECT_EQ(GetPrivateProfileIntW(L"Navitel", L"Count", -1, config.c_str()), 2);
    EXPECT_EQ(GetPrivateProfileIntW(L"Navitel", L"Enable0", -1, config.c_str()), 0);
    wchar_t format[64] = {};
    GetPrivateProfileStringW(L"Navitel", L"Fmt1", L"", format, 64, config.c_str());
    EXPECT_STREQ(format, L"Пост %SPEED%");
}

TEST_F(MainWindowTest, EscapeCloseBoxAndExitEndTheRun) {
    const auto find = [] { return main_window().anchor.parent; };
    const std::tuple<UINT, WPARAM, INT_PTR> cases[] = {{WM_COMMAND, IDM_EXIT, IDM_EXIT},
                                                       {WM_COMMAND, IDCANCEL, IDCANCEL},
                                                       {WM_CLOSE, 0, IDCANCEL},
                                                       {WM_KEYDOWN, VK_ESCAPE, IDCANCEL}};
    for (auto [message, wparam, expected] : cases) {
        const INT_PTR result =
            wintest::run_modal(state_, IDD_MAIN, main_window_proc, find, [&](HWND window) {
                PostMessageW(message == WM_KEYDOWN ? GetFocus() : window, message, wparam, 0);
            });
        EXPECT_EQ(result, expected) << "message " << message << " " << wparam;
    }
}

TEST(TermsDialog, ShowsTheTermsAndReportsTheChoice) {
    AppState state = wintest::make_state(L"");
    const auto text = [&](unsigned id) { return *load_string_copy(state, id); };
    const HWND dialog =
        CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_TERMS), nullptr,
                           terms_dialog_proc, reinterpret_cast<LPARAM>(&state));
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(window_text(dialog), text(IDS_TERMS_TITLE));
    EXPECT_EQ(window_text(GetDlgItem(dialog, IDOK)), text(IDS_ACCEPT));
    EXPECT_EQ(window_text(GetDlgItem(dialog, IDCANCEL)), text(IDS_DECLINE));
    EXPECT_EQ(window_text(GetDlgItem(dialog, IDC_TERMS_TEXT)),
              text(IDS_TERMS_HEADING) + L"\r\n\r\n" + text(IDS_TERMS_DISCLAIMER) + L"\r\n\r\n" +
                  text(IDS_TERMS_AS_IS) + L"\r\n\r\n" + text(IDS_TERMS_AGREEMENT));
    DestroyWindow(dialog);

    const auto find = [] { return FindWindowW(L"#32770", L"Условия использования"); };
    for (auto [command, expected] : {std::pair{IDOK, IDOK}, {IDCANCEL, IDCANCEL}, {0, IDCANCEL}}) {
        const INT_PTR result = wintest::run_modal(
            state, IDD_TERMS, terms_dialog_proc, find,
            [&](HWND d) { PostMessageW(d, command ? WM_COMMAND : WM_CLOSE, command, 0); });
        EXPECT_EQ(result, expected) << command;
    }
}

TEST(StatusParts, EdgesFor800PixelsAndRewrittenInPlace) {
    // A borderless popup 800 pixels wide; the status bar spans its client area.
    const HWND parent = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 800, 200, nullptr,
                                        nullptr, GetModuleHandleW(nullptr), nullptr);
    const HWND bar = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                                     parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(bar, nullptr);
    AppState state;
    StatusParts parts;
    status_parts_update(parts, bar, state);
    EXPECT_EQ(parts.edges, (std::vector<int>{450, 600, 800}));
    std::array<int, 4> edges = {};
    ASSERT_EQ(SendMessageW(bar, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges.data())), 3);
    EXPECT_EQ(edges, (std::array{450, 600, 800, 0}));

    // A narrower bar: the same three entries are overwritten, the first edge may go negative.
    SetWindowPos(parent, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
    SendMessageW(bar, WM_SIZE, SIZE_RESTORED, 0);
    status_parts_update(parts, bar, state);
    EXPECT_EQ(parts.edges, (std::vector<int>{-50, 100, 300}));
    DestroyWindow(parent);
}

}  // namespace
