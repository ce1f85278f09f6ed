// The main window built from template 102 by its real procedure: controls, texts, columns,
// placement, anchoring, status bar, minimum size and what it leaves in the state at close.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <cstring>
#include <vector>

#include "main_window.h"
#include "resource.h"
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
    void set_saved_rect(int left, int top, int right, int bottom) {
        state_.window_rect[0] = left, state_.window_rect[1] = top;
        state_.window_rect[2] = right, state_.window_rect[3] = bottom;
    }
    RECT rect() const {
        RECT r = {};
        GetWindowRect(window_, &r);
        return r;
    }
    HWND item(int id) const { return GetDlgItem(window_, id); }
    std::wstring column_text(int id, int column) const {
        wchar_t text[128] = {};
        LVCOLUMNW c = {};
        c.mask = LVCF_TEXT;
        c.pszText = text;
        c.cchTextMax = 128;
        SendMessageW(item(id), LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&c));
        return text;
    }
    int column_width(int id, int column) const {
        return static_cast<int>(SendMessageW(item(id), LVM_GETCOLUMNWIDTH, column, 0));
    }
    int column_count(int id) const {
        const HWND header = reinterpret_cast<HWND>(SendMessageW(item(id), LVM_GETHEADER, 0, 0));
        return static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    }

    test::TempDir dir_;
    AppState state_;
    HWND window_ = nullptr;
};

TEST_F(MainWindowTest, ControlsHaveTheirIdsAndClasses) {
    open();
    struct Control {
        int id;
        const wchar_t* cls;
    };
    const Control controls[] = {
        {1000, L"SysListView32"}, {1001, L"SysListView32"},
        {1003, L"Button"},        {1004, L"Static"},
        {1005, L"Button"},        {1006, L"Static"},
        {1007, L"Button"},        {1008, L"Button"},
        {1009, L"Button"},        {1034, L"msctls_statusbar32"},
    };
    for (const Control& c : controls) {
        const HWND control = item(c.id);
        ASSERT_NE(control, nullptr) << c.id;
        EXPECT_EQ(_wcsicmp(class_name(control).c_str(), c.cls), 0) << c.id;
    }
    EXPECT_FALSE(IsWindowEnabled(item(IDC_ENCODING_UTF16)));
    EXPECT_EQ(GetWindowLongW(item(IDC_STATUS_BAR), GWL_STYLE), 0x50000100);

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
}

TEST_F(MainWindowTest, TextsComeFromTheStringTable) {
    open();
    EXPECT_EQ(window_text(window_), L"Orvane");
    EXPECT_EQ(window_text(item(1003)), L"Содержимое файла Speedcam");
    EXPECT_EQ(window_text(item(1004)),
              L"Список объектов файла speedcam. Если список отображается некорректно либо "
              L"объектов не обноружено, попробуйте  изменить кодировку");
    EXPECT_EQ(window_text(item(1005)), L"");
    EXPECT_EQ(window_text(item(1006)),
              L"Выберите необходимые для экспорта элементы. Двойной щелчек откроет окно "
              L"параметров элемента.");
    EXPECT_EQ(window_text(item(1007)), L"UTF-16");
    EXPECT_EQ(window_text(item(1008)), L"UTF-8");
    EXPECT_EQ(window_text(item(1009)), L"ANSI");

    const HMENU bar = GetMenu(window_);
    ASSERT_NE(bar, nullptr);
    const HMENU file = GetSubMenu(bar, 0);
    struct MenuItem {
        HMENU menu;
        UINT item;
        UINT flag;
        const wchar_t* text;
    };
    const MenuItem items[] = {
        {bar, 0, MF_BYPOSITION, L"Файл"},
        {file, 0, MF_BYPOSITION, L"Открыть SpeedCam"},
        {file, IDM_OPEN_NAVITEL, MF_BYCOMMAND, L"Формат Navitel"},
        {file, IDM_OPEN_IGO, MF_BYCOMMAND, L"Формат IGO"},
        {file, 2, MF_BYPOSITION, L"Экспорт для Nissan Connect"},
        {file, IDM_SAVE_AS, MF_BYCOMMAND, L"Сохранить как..."},
        {file, IDM_PREPARE_DRIVE, MF_BYCOMMAND, L"Подготовить съемный диск..."},
        {file, IDM_EXIT, MF_BYCOMMAND, L"Выход"},
        {bar, 1, MF_BYPOSITION, L"Инструменты"},
        {GetSubMenu(bar, 1), IDM_FILTER, MF_BYCOMMAND, L"Настройка фильтра"},
        {bar, 2, MF_BYPOSITION, L"Справка"},
        {GetSubMenu(bar, 2), IDM_ABOUT, MF_BYCOMMAND, L"О программе..."},
    };
    for (const MenuItem& m : items) {
        wchar_t text[128] = {};
        GetMenuStringW(m.menu, m.item, text, 128, m.flag);
        EXPECT_EQ(std::wstring(text), m.text);
        EXPECT_EQ(GetMenuState(m.menu, m.item, m.flag) & (MF_GRAYED | MF_DISABLED | MF_CHECKED), 0u)
            << wintest::units(m.text);
    }
    // The separators are where the template puts them.
    EXPECT_TRUE(GetMenuState(file, 1, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_TRUE(GetMenuState(file, 3, MF_BYPOSITION) & MF_SEPARATOR);

    wchar_t status[128] = {};
    SendMessageW(item(IDC_STATUS_BAR), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(status));
    EXPECT_EQ(std::wstring(status), L"Для начала откройте файл speedcam");
    for (int part = 1; part < 3; ++part)
        EXPECT_EQ(LOWORD(SendMessageW(item(IDC_STATUS_BAR), SB_GETTEXTLENGTHW, part, 0)), 0);
    EXPECT_NE(SendMessageW(window_, WM_GETICON, ICON_BIG, 0), 0);

    // UTF-8 is checked at start; the buttons follow the window's encoding.
    const auto checked = [&](int id) { return SendMessageW(item(id), BM_GETCHECK, 0, 0); };
    EXPECT_EQ(checked(IDC_ENCODING_UTF8), BST_CHECKED);
    EXPECT_EQ(checked(IDC_ENCODING_UTF16) | checked(IDC_ENCODING_ANSI), BST_UNCHECKED);
    main_window().encoding = TextEncoding::Ansi;
    update_encoding_buttons(window_);
    EXPECT_EQ(checked(IDC_ENCODING_ANSI), BST_CHECKED);
    EXPECT_EQ(checked(IDC_ENCODING_UTF8), BST_UNCHECKED);
}

TEST_F(MainWindowTest, ColumnsTakeTheSavedWidthsAndGiveThemBack) {
    const int list1[4] = {150, -1, 100, 77};
    std::memcpy(state_.list1_widths, list1, sizeof list1);
    open();
    ASSERT_EQ(column_count(IDC_OBJECT_LIST), 4);
    ASSERT_EQ(column_count(IDC_TYPE_LIST), 5);
    const wchar_t* objects[] = {L"Координаты", L"Тип", L"Лимит скорости", L"Комментарий"};
    const wchar_t* types[] = {L"#", L"Тип", L"Количество", L"Описание", L"Формат сообщения"};
    for (int c = 0; c < 4; ++c) EXPECT_EQ(column_text(IDC_OBJECT_LIST, c), objects[c]);
    for (int c = 0; c < 5; ++c) EXPECT_EQ(column_text(IDC_TYPE_LIST, c), types[c]);
    EXPECT_EQ(column_width(IDC_OBJECT_LIST, 0), 150);
    EXPECT_GE(column_width(IDC_OBJECT_LIST, 1), 0);  // created without a width
    EXPECT_EQ(column_width(IDC_OBJECT_LIST, 2), 100);
    EXPECT_EQ(column_width(IDC_OBJECT_LIST, 3), 77);
    const int list2[5] = {30, 50, 50, 200, 200};
    for (int c = 0; c < 5; ++c) EXPECT_EQ(column_width(IDC_TYPE_LIST, c), list2[c]);

    const auto ext = [&](int id) {
        return SendMessageW(item(id), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    };
    EXPECT_EQ(ext(IDC_OBJECT_LIST) & (LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES),
              LVS_EX_FULLROWSELECT);
    EXPECT_EQ(ext(IDC_TYPE_LIST) & (LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES),
              LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES);

    // At close the widths the columns have then are stored, the unsized one's included.
    SendMessageW(item(IDC_OBJECT_LIST), LVM_SETCOLUMNWIDTH, 2, 123);
    SendMessageW(item(IDC_TYPE_LIST), LVM_SETCOLUMNWIDTH, 4, 61);
    const int unsized = column_width(IDC_OBJECT_LIST, 1);
    const RECT last = rect();
    close();
    EXPECT_EQ(state_.list1_widths[0], 150);
    EXPECT_EQ(state_.list1_widths[1], unsized);
    EXPECT_EQ(state_.list1_widths[2], 123);
    EXPECT_EQ(state_.list2_widths[4], 61);
    EXPECT_EQ(state_.window_rect[0], last.left);
    EXPECT_EQ(state_.window_rect[1], last.top);
    EXPECT_EQ(state_.window_rect[2], last.right);
    EXPECT_EQ(state_.window_rect[3], last.bottom);
}

TEST_F(MainWindowTest, PlacementFromTheSavedRectangle) {
    const SIZE t = template_size();
    const int screen_w = GetSystemMetrics(SM_CXSCREEN);
    const int screen_h = GetSystemMetrics(SM_CYSCREEN);
    struct Case {
        const char* name;
        RECT saved;
        RECT expected;
    };
    const Case cases[] = {
        {"no settings file", {0, 0, 0, 0}, {0, 0, t.cx, t.cy}},
        {"left -500 is centred",
         {-500, 40, -500 + t.cx + 101, 40 + t.cy + 50},
         {screen_w / 2 - (t.cx + 101) / 2, 40, screen_w / 2 - (t.cx + 101) / 2 + t.cx + 101,
          40 + t.cy + 50}},
        {"left -499 is kept",
         {-499, 40, -499 + t.cx, 40 + t.cy},
         {-499, 40, -499 + t.cx, 40 + t.cy}},
        {"smaller than the template", {100, 60, 110, 70}, {100, 60, 100 + t.cx, 60 + t.cy}},
        {"parked by minimising",
         {-32000, -32000, -31840, -31972},
         {screen_w / 2 - t.cx / 2, screen_h / 2 - t.cy / 2, screen_w / 2 - t.cx / 2 + t.cx,
          screen_h / 2 - t.cy / 2 + t.cy}},
    };
    for (const Case& c : cases) {
        set_saved_rect(c.saved.left, c.saved.top, c.saved.right, c.saved.bottom);
        open();
        const RECT r = rect();
        EXPECT_EQ(r.left, c.expected.left) << c.name;
        EXPECT_EQ(r.top, c.expected.top) << c.name;
        EXPECT_EQ(r.right, c.expected.right) << c.name;
        EXPECT_EQ(r.bottom, c.expected.bottom) << c.name;
        close();
    }
}

TEST_F(MainWindowTest, ControlsFollowTheEdgesTheyAreAnchoredTo) {
    const SIZE t = template_size();
    open();
    constexpr int kIds[] = {1004, 1000, 1003, 1006, 1005, 1001, 1007, 1008, 1009};
    std::vector<RECT> start;
    for (int id : kIds) start.push_back(rect_in_parent(item(id)));

    // Per control: does its width grow with dx, its top move with dy, its height grow with dy.
    struct Follow {
        bool width, y, height;
    };
    const Follow follows[] = {
        {false, false, false}, {false, false, true},  {false, false, true},
        {true, false, false},  {true, false, true},   {true, false, true},
        {false, false, false}, {false, false, false}, {false, false, false},
    };
    // Small enough to fit a 1024 x 768 screen, whose maximum tracking size would clamp them.
    const SIZE growth[] = {{100, 0}, {0, 90}, {100, 90}, {0, 0}};
    for (const SIZE& g : growth) {
        SetWindowPos(window_, nullptr, 0, 0, t.cx + g.cx, t.cy + g.cy, SWP_NOMOVE | SWP_NOZORDER);
        for (std::size_t i = 0; i < std::size(kIds); ++i) {
            const RECT now = rect_in_parent(item(kIds[i]));
            const Follow& f = follows[i];
            const std::string where = "control " + std::to_string(kIds[i]) + " growth " +
                                      std::to_string(g.cx) + "x" + std::to_string(g.cy);
            EXPECT_EQ(now.left, start[i].left) << where;  // nothing moves sideways
            EXPECT_EQ(now.top, start[i].top + (f.y ? g.cy : 0)) << where;
            EXPECT_EQ(width(now), width(start[i]) + (f.width ? g.cx : 0)) << where;
            EXPECT_EQ(height(now), height(start[i]) + (f.height ? g.cy : 0)) << where;
        }
        // The status bar spans the bottom of the client area, and its last two parts keep
        // their widths.
        RECT client = {};
        GetClientRect(window_, &client);
        const RECT bar = rect_in_parent(item(IDC_STATUS_BAR));
        EXPECT_EQ((std::array{bar.left, bar.right, bar.bottom}),
                  (std::array{0L, client.right, client.bottom}));
        int edges[4] = {};
        ASSERT_EQ(
            SendMessageW(item(IDC_STATUS_BAR), SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges)), 3);
        const int right = client.right;
        EXPECT_EQ((std::array{edges[0], edges[1], edges[2]}),
                  (std::array{right - 350, right - 200, right}));
    }
}

TEST_F(MainWindowTest, TheWindowCannotBecomeSmallerThanItsTemplate) {
    const SIZE t = template_size();
    set_saved_rect(30, 30, 30 + t.cx + 200, 30 + t.cy + 100);
    open();
    MINMAXINFO info = {};
    info.ptMaxTrackSize = {12345, 6789};
    SendMessageW(window_, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, t.cx);
    EXPECT_EQ(info.ptMinTrackSize.y, t.cy);
    EXPECT_EQ(info.ptMaxTrackSize.x, 12345);  // nothing else is touched

    SetWindowPos(window_, nullptr, 0, 0, 200, 100, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(width(rect()), t.cx);
    EXPECT_EQ(height(rect()), t.cy);
}

TEST_F(MainWindowTest, TypeTableIsLoadedAtStartAndSavedAtClose) {
    const std::wstring& config = state_.type_config_path;
    WritePrivateProfileStringW(L"Navitel", L"Count", L"2", config.c_str());
    WritePrivateProfileStringW(L"Navitel", L"ID0", L"1", config.c_str());
    WritePrivateProfileStringW(L"Navitel", L"Desc0", L"Камера", config.c_str());
    WritePrivateProfileStringW(L"Navitel", L"ID1", L"5", config.c_str());
    WritePrivateProfileStringW(L"Navitel", L"Enable1", L"0", config.c_str());
    open();
    ASSERT_EQ(state_.types.size(), 2u);
    EXPECT_EQ(state_.types[1].id, 5);
    EXPECT_EQ(std::wstring(state_.types[0].description), L"Камера");

    state_.types[0].export_enabled = 0;
    wcscpy(state_.types[1].message_format, L"Пост %SPEED%");
    close();
    EXPECT_EQ(GetPrivateProfileIntW(L"Navitel", L"Count", -1, config.c_str()), 2);
    EXPECT_EQ(GetPrivateProfileIntW(L"Navitel", L"Enable0", -1, config.c_str()), 0);
    wchar_t format[64] = {};
    GetPrivateProfileStringW(L"Navitel", L"Fmt1", L"", format, 64, config.c_str());
    EXPECT_EQ(std::wstring(format), L"Пост %SPEED%");
}

TEST_F(MainWindowTest, EscapeCloseBoxAndExitEndTheRun) {
    const auto find = [] { return main_window().anchor.parent; };
    struct Case {
        UINT message;
        WPARAM wparam;
        INT_PTR result;
    };
    const Case cases[] = {
        {WM_COMMAND, IDM_EXIT, IDM_EXIT},
        {WM_COMMAND, IDCANCEL, IDCANCEL},
        {WM_CLOSE, 0, IDCANCEL},
        {WM_KEYDOWN, VK_ESCAPE, IDCANCEL},
    };
    for (const Case& c : cases) {
        const INT_PTR result =
            wintest::run_modal(state_, IDD_MAIN, main_window_proc, find, [&](HWND window) {
                HWND target = window;
                if (c.message == WM_KEYDOWN) target = GetFocus();
                PostMessageW(target, c.message, c.wparam, 0);
            });
        EXPECT_EQ(result, c.result) << "message " << c.message << " " << c.wparam;
    }
}

TEST(TermsDialog, ShowsTheTermsAndReportsTheChoice) {
    AppState state = wintest::make_state(L"");
    const HWND dialog =
        CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_TERMS), nullptr,
                           terms_dialog_proc, reinterpret_cast<LPARAM>(&state));
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(window_text(dialog), L"Условия использования");
    EXPECT_EQ(window_text(GetDlgItem(dialog, IDOK)), L"Принимаю");
    EXPECT_EQ(window_text(GetDlgItem(dialog, IDCANCEL)), L"Не принимаю");
    EXPECT_EQ(window_text(GetDlgItem(dialog, IDC_TERMS_TEXT)),
              L"Orvane. Условия использования:\r\n\r\n"
              L"Авторы снимают с себя ответственность за любые действия, совершенные программой, "
              L"либо с её помощью. Результат программы может не соответствовать вашим ожиданиям. "
              L"Любые действия, Вы осуществляете на свой страх и риск.\r\n\r\n"
              L"Программа распространяется бесплатно, по принципу \"Как есть\". Авторы не "
              L"гарантируют постоянную доступность обновлений, работоспособность программы. "
              L"Использование программы в коммерческих целях, без согласия автора запрещено."
              L"\r\n\r\n"
              L"Нажимая кнопку \"Принимаю\" Вы соглашаетесь с вышеописанными условиями.");
    DestroyWindow(dialog);

    const auto find = [] { return FindWindowW(L"#32770", L"Условия использования"); };
    for (auto [command, expected] :
         {std::pair{IDOK, IDOK}, std::pair{IDCANCEL, IDCANCEL}, std::pair{0, IDCANCEL}}) {
        const INT_PTR result =
            wintest::run_modal(state, IDD_TERMS, terms_dialog_proc, find, [&](HWND d) {
                if (command == 0)
                    PostMessageW(d, WM_CLOSE, 0, 0);
                else
                    PostMessageW(d, WM_COMMAND, command, 0);
            });
        EXPECT_EQ(result, expected) << command;
    }
}

}  // namespace

namespace {

TEST(StatusParts, EdgesFor800PixelsAndRewrittenInPlace) {
    // A borderless popup 800 pixels wide; the status bar spans its client area.
    const HWND parent = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 800, 200, nullptr,
                                        nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    const HWND bar = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                                     parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(bar, nullptr);
    AppState state;
    StatusParts parts;
    status_parts_update(parts, bar, state);
    EXPECT_EQ(parts.edges, (std::vector<int>{450, 600, 800}));
    int edges[4] = {};
    ASSERT_EQ(SendMessageW(bar, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges)), 3);
    EXPECT_EQ(edges[0], 450);
    EXPECT_EQ(edges[1], 600);
    EXPECT_EQ(edges[2], 800);

    // A narrower bar: the same three entries are overwritten, the first edge may go negative.
    SetWindowPos(parent, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
    SendMessageW(bar, WM_SIZE, SIZE_RESTORED, 0);
    status_parts_update(parts, bar, state);
    EXPECT_EQ(parts.edges, (std::vector<int>{-50, 100, 300}));
    DestroyWindow(parent);
}

}  // namespace
