// The main window built from template 102 by its real procedure: texts, columns, placement,
// anchoring, status bar, minimum size, what it leaves in the state at close, and the terms.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <cstring>
#include <tuple>
#include <vector>

#include "anchor.h"
#include "main_window.h"
#include "resource.h"
#include "terms_dialog.h"
#include "test_support.h"
#include "win_test_util.h"

using wintest::window_text;

namespace {

using Rect = std::array<long, 4>;
Rect as_array(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

RECT rect_in_parent(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

class MainWindowTest : public testing::Test {
  protected:
    void SetUp() override { state_ = wintest::make_state(test::to_wide_path(dir_.path()) + L"\\"); }
    void TearDown() override { close(); }
    HWND open() {
        window_ = create_main_window(state_);
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
    std::vector<int> widths(int list, int n) const {
        std::vector<int> out;
        for (int c = 0; c < n; ++c)
            out.push_back(static_cast<int>(SendMessageW(item(list), LVM_GETCOLUMNWIDTH, c, 0)));
        return out;
    }
    // The window rectangle that template 102 gives before any placement.
    SIZE template_size() {
        const std::int32_t saved[4] = {0, 0, 1, 1};
        std::memcpy(state_.window_rect, saved, sizeof saved);
        open();
        const RECT r = rect();
        close();
        return {r.right - r.left, r.bottom - r.top};
    }

    test::TempDir dir_;
    AppState state_;
    HWND window_ = nullptr;
};

TEST_F(MainWindowTest, TextsColumnsAndWhatCloseStores) {
    const int list1[4] = {150, -1, 100, 77};
    std::memcpy(state_.list1_widths, list1, sizeof list1);
    open();
    const auto text = [&](unsigned id) { return id ? wintest::text_of(state_, id) : L""; };
    EXPECT_EQ(window_text(window_), text(IDS_MAIN_TITLE));
    const std::pair<int, unsigned> texts[] = {
        {IDC_OBJECT_GROUP, IDS_OBJECT_GROUP},     {IDC_OBJECT_HINT, IDS_OBJECT_HINT},
        {IDC_TYPE_GROUP, 0},                      {IDC_TYPE_HINT, IDS_TYPE_HINT},
        {IDC_ENCODING_UTF16, IDS_ENCODING_UTF16}, {IDC_ENCODING_UTF8, IDS_ENCODING_UTF8},
        {IDC_ENCODING_ANSI, IDS_ENCODING_ANSI}};
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
        EXPECT_EQ(GetMenuState(m, at, by) & (MF_GRAYED | MF_CHECKED), 0u) << id;
    }
    wchar_t status[128] = {};
    SendMessageW(item(IDC_STATUS_BAR), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(status));
    EXPECT_EQ(status, text(IDS_STATUS_NO_FILE));
    EXPECT_FALSE(IsWindowEnabled(item(IDC_ENCODING_UTF16)));
    EXPECT_EQ(SendMessageW(item(IDC_ENCODING_UTF8), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_NE(SendMessageW(window_, WM_GETICON, ICON_BIG, 0), 0);

    // Headers in order, the saved widths (-1: the control's own), check boxes on the types.
    const std::pair<int, std::vector<unsigned>> columns[] = {
        {IDC_OBJECT_LIST,
         {IDS_COLUMN_COORDINATES, IDS_COLUMN_TYPE, IDS_COLUMN_SPEED_LIMIT, IDS_COLUMN_COMMENT}},
        {IDC_TYPE_LIST,
         {0, IDS_COLUMN_TYPE, IDS_COLUMN_COUNT, IDS_COLUMN_DESCRIPTION, IDS_COLUMN_MESSAGE_FORMAT}}};
    for (const auto& [list, headers] : columns) {
        for (int c = 0; c < std::ssize(headers); ++c) {
            wchar_t shown[128] = {};
            LVCOLUMNW column = {};
            column.mask = LVCF_TEXT, column.pszText = shown, column.cchTextMax = 128;
            SendMessageW(item(list), LVM_GETCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
            EXPECT_EQ(shown, headers[c] ? text(headers[c]) : L"#") << list << " " << c;
        }
    }
    const int unsized = widths(IDC_OBJECT_LIST, 2)[1];
    EXPECT_EQ(widths(IDC_OBJECT_LIST, 4), (std::vector{150, unsized, 100, 77}));
    EXPECT_EQ(widths(IDC_TYPE_LIST, 5), (std::vector{30, 50, 50, 200, 200}));
    const auto ext = [&](int id) {
        return SendMessageW(item(id), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) &
               (LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES);
    };
    EXPECT_EQ(ext(IDC_OBJECT_LIST), LVS_EX_FULLROWSELECT);
    EXPECT_EQ(ext(IDC_TYPE_LIST), LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES);

    // At close the widths the columns then have are stored, and the window's rectangle.
    SendMessageW(item(IDC_OBJECT_LIST), LVM_SETCOLUMNWIDTH, 2, 123);
    SendMessageW(item(IDC_TYPE_LIST), LVM_SETCOLUMNWIDTH, 4, 61);
    const RECT last = rect();
    close();
    EXPECT_EQ((std::vector(state_.list1_widths, state_.list1_widths + 3)),
              (std::vector{150, unsized, 123}));
    EXPECT_EQ(state_.list2_widths[4], 61);
    EXPECT_EQ((Rect{state_.window_rect[0], state_.window_rect[1], state_.window_rect[2],
                    state_.window_rect[3]}),
              as_array(last));
}

TEST_F(MainWindowTest, PlacementFromTheSavedRectangle) {
    const SIZE t = template_size();
    const int mid_x = GetSystemMetrics(SM_CXSCREEN) / 2, mid_y = GetSystemMetrics(SM_CYSCREEN) / 2;
    const int wide = t.cx + 101;
    const std::tuple<const char*, RECT, RECT> cases[] = {
        {"no settings", {0, 0, 0, 0}, {0, 0, t.cx, t.cy}},
        {"left -500 is centred", {-500, 40, -500 + wide, 40 + t.cy + 50},
         {mid_x - wide / 2, 40, mid_x - wide / 2 + wide, 40 + t.cy + 50}},
        {"left -499 is kept", {-499, 40, -499 + t.cx, 40 + t.cy}, {-499, 40, -499 + t.cx, 40 + t.cy}},
        {"smaller than the template", {100, 60, 110, 70}, {100, 60, 100 + t.cx, 60 + t.cy}},
        {"parked by minimising", {-32000, -32000, -31840, -31972},
         {mid_x - t.cx / 2, mid_y - t.cy / 2, mid_x - t.cx / 2 + t.cx, mid_y - t.cy / 2 + t.cy}},
    };
    for (const auto& [name, saved, expected] : cases) {
        std::memcpy(state_.window_rect, &saved, sizeof saved);
        open();
        EXPECT_EQ(as_array(rect()), as_array(expected)) << name;
        close();
    }
}

TEST_F(MainWindowTest, ControlsFollowTheEdgesTheyAreAnchoredToNeverBelowTheTemplate) {
    const SIZE t = template_size();
    open();
    // Per control: does its width grow with dx, its height with dy. Nothing moves.
    const std::tuple<int, bool, bool> follows[] = {
        {IDC_OBJECT_HINT, false, false}, {IDC_OBJECT_LIST, false, true},
        {IDC_OBJECT_GROUP, false, true}, {IDC_TYPE_HINT, true, false},
        {IDC_TYPE_GROUP, true, true},    {IDC_TYPE_LIST, true, true},
        {IDC_ENCODING_UTF8, false, false}};
    std::vector<RECT> start;
    for (const auto& f : follows) start.push_back(rect_in_parent(item(std::get<0>(f))));
    for (const SIZE& g : {SIZE{100, 0}, SIZE{0, 90}, SIZE{100, 90}, SIZE{-50, -50}}) {
        SetWindowPos(window_, nullptr, 0, 0, t.cx + g.cx, t.cy + g.cy, SWP_NOMOVE | SWP_NOZORDER);
        const SIZE grown = {std::max(0L, g.cx), std::max(0L, g.cy)};
        for (std::size_t i = 0; i < std::size(follows); ++i) {
            const auto [id, wide, high] = follows[i];
            const RECT now = rect_in_parent(item(id)), was = start[i];
            EXPECT_EQ(as_array(now), (Rect{was.left, was.top, was.right + (wide ? grown.cx : 0),
                                          was.bottom + (high ? grown.cy : 0)}))
                << "control " << id << " growth " << g.cx << "x" << g.cy;
        }
        RECT client = {};
        GetClientRect(window_, &client);
        const RECT bar = rect_in_parent(item(IDC_STATUS_BAR));
        EXPECT_EQ((std::array{bar.left, bar.right, bar.bottom}),
                  (std::array{0L, client.right, client.bottom}));
        std::array<int, 5> edges = {};
        ASSERT_EQ(SendMessageW(item(IDC_STATUS_BAR), SB_GETPARTS, 5,
                               reinterpret_cast<LPARAM>(edges.data())),
                  4);
        EXPECT_EQ(edges, (std::array<int, 5>{client.right - 610, client.right - 460,
                                             client.right - 260, client.right}));
    }
    EXPECT_EQ((std::pair{rect().right - rect().left, rect().bottom - rect().top}),
              (std::pair{t.cx, t.cy}));
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
    EXPECT_EQ(GetPrivateProfileIntW(L"Navitel", L"Enable0", -1, config.c_str()), 0);
    wchar_t format[64] = {};
    GetPrivateProfileStringW(L"Navitel", L"Fmt1", L"", format, 64, config.c_str());
    EXPECT_STREQ(format, L"Пост %SPEED%");
}

TEST_F(MainWindowTest, EscapeCloseBoxAndExitEndTheRun) {
    for (auto [message, wparam] : {std::pair<UINT, WPARAM>{WM_COMMAND, IDM_EXIT},
                                   {WM_COMMAND, IDCANCEL}, {WM_CLOSE, 0}, {WM_KEYDOWN, VK_ESCAPE}}) {
        const bool ended = wintest::while_running(
            [] { return wintest::dialog_titled(L"Orvane"); },
            [&](HWND w) { PostMessageW(message == WM_KEYDOWN ? GetFocus() : w, message, wparam, 0); },
            [&] { run_main_window(state_); });
        EXPECT_TRUE(ended) << message;
    }
}

TEST(TermsDialog, ShowsTheTermsAndReportsTheChoice) {
    AppState state = wintest::make_state(L"");
    const auto text = [&](unsigned id) { return wintest::text_of(state, id); };
    for (auto [command, accepted] : {std::pair{IDOK, true}, {IDCANCEL, false}, {0, false}}) {
        bool result = !accepted;
        const bool ended = wintest::while_running(
            [] { return wintest::dialog_titled(L"Условия использования"); },
            [&](HWND d) {
                EXPECT_EQ(window_text(GetDlgItem(d, IDOK)), text(IDS_ACCEPT));
                EXPECT_EQ(window_text(GetDlgItem(d, IDCANCEL)), text(IDS_DECLINE));
                EXPECT_EQ(window_text(GetDlgItem(d, IDC_TERMS_TEXT)),
                          text(IDS_TERMS_HEADING) + L"\r\n\r\n" + text(IDS_TERMS_DISCLAIMER) +
                              L"\r\n\r\n" + text(IDS_TERMS_AS_IS) + L"\r\n\r\n" +
                              text(IDS_TERMS_AGREEMENT));
                PostMessageW(d, command ? WM_COMMAND : WM_CLOSE, command, 0);
            },
            [&] { result = run_terms_dialog(state); });
        EXPECT_TRUE(ended && result == accepted) << command;
    }
}

TEST(Resources, IconHasA32And16PixelImage) {
    for (int size : {32, 16}) {
        const HICON icon = static_cast<HICON>(LoadImageW(
            GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_ORVANE), IMAGE_ICON, size, size, 0));
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info)) << size;
        BITMAP bitmap = {};
        GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
        EXPECT_EQ((std::pair{bitmap.bmWidth, bitmap.bmHeight}), (std::pair{LONG{size}, LONG{size}}));
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

}  // namespace
