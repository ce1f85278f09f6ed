// The dialog templates as compiled into the program: units, styles, control IDs and classes.
// Running controls change some of their own style bits (a list view trades WS_BORDER for a
// client edge, a checked radio button gains WS_TABSTOP), so the templates are read here.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <array>

#include "resource.h"
#include "win_test_util.h"

namespace {

using wintest::DialogTemplate;
using wintest::TemplateItem;

constexpr DWORD kNoId = 0xFFFFFFFF;  // a static without an ID

struct Expected {
    DWORD id;
    const wchar_t* cls;
    short x, y, cx, cy;
    DWORD required;     // style bits that must be set
    DWORD type_mask;    // with `type`: the control's kind in its low style bits
    DWORD type;
    DWORD forbidden = 0;
};

void expect_template(int id, short cx, short cy, std::initializer_list<Expected> items) {
    DialogTemplate t;
    ASSERT_TRUE(wintest::load_dialog_template(id, t)) << id;
    EXPECT_EQ(t.cx, cx) << id;
    EXPECT_EQ(t.cy, cy) << id;
    EXPECT_EQ(t.title, L"") << id;
    EXPECT_EQ(t.point_size, 8) << id;
    EXPECT_EQ(t.font, L"MS Shell Dlg") << id;
    ASSERT_EQ(t.items.size(), items.size()) << id;
    std::size_t i = 0;
    for (const Expected& e : items) {
        const TemplateItem& got = t.items[i++];
        const std::string where = "dialog " + std::to_string(id) + " control " + std::to_string(i);
        EXPECT_EQ(got.id, e.id) << where;
        EXPECT_EQ(_wcsicmp(got.cls.c_str(), e.cls), 0) << where;
        EXPECT_EQ(got.title.empty() || got.title[0] == L'#', true) << where << " carries text";
        EXPECT_EQ(got.x, e.x) << where;
        EXPECT_EQ(got.y, e.y) << where;
        EXPECT_EQ(got.cx, e.cx) << where;
        EXPECT_EQ(got.cy, e.cy) << where;
        EXPECT_EQ(got.style & e.required, e.required) << where;
        EXPECT_EQ(got.style & e.type_mask, e.type) << where;
        EXPECT_EQ(got.style & e.forbidden, 0u) << where;
    }
}

constexpr DWORD kVisibleChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kButtonType = 0xF;
constexpr DWORD kStaticType = SS_TYPEMASK;
constexpr DWORD kEditLine = kVisibleChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kModal =
    DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;

TEST(Templates, MainWindowMatchesItsTableExactly) {
    DialogTemplate t;
    ASSERT_TRUE(wintest::load_dialog_template(IDD_MAIN, t));
    EXPECT_EQ(t.style, 0x80CF0048u);
    EXPECT_EQ(t.ex_style, 0u);
    EXPECT_EQ(t.menu, L"#109");
    struct Exact {
        DWORD id;
        const wchar_t* cls;
        DWORD style;
        short x, y, cx, cy;
    };
    const Exact items[] = {
        {1000, L"SysListView32", 0x5081080D, 18, 66, 270, 132},
        {1001, L"SysListView32", 0x5081080D, 318, 51, 186, 150},
        {1003, L"Button", 0x50000007, 9, 6, 288, 204},
        {1004, L"Static", 0x50020000, 18, 21, 204, 36},
        {1005, L"Button", 0x50000007, 309, 6, 204, 204},
        {1006, L"Static", 0x50020000, 318, 21, 186, 24},
        {1007, L"Button", 0x58000009, 228, 21, 60, 12},
        {1008, L"Button", 0x50000009, 228, 33, 60, 12},
        {1009, L"Button", 0x50000009, 228, 45, 60, 12},
    };
    ASSERT_EQ(t.items.size(), std::size(items));
    for (std::size_t i = 0; i < std::size(items); ++i) {
        const TemplateItem& got = t.items[i];
        EXPECT_EQ(got.id, items[i].id) << i;
        EXPECT_EQ(_wcsicmp(got.cls.c_str(), items[i].cls), 0) << i;
        EXPECT_EQ(got.style, items[i].style) << i;
        EXPECT_EQ(got.ex_style, 0u) << i;
        EXPECT_EQ(got.title, L"") << i;
        EXPECT_EQ((std::array{got.x, got.y, got.cx, got.cy}),
                  (std::array{items[i].x, items[i].y, items[i].cx, items[i].cy}))
            << i;
    }
}

TEST(Templates, SmallDialogsAreCentredModalBoxes) {
    for (int id : {IDD_ABOUT, IDD_ELEMENT, IDD_DRIVE, IDD_FILTER, IDD_TERMS}) {
        DialogTemplate t;
        ASSERT_TRUE(wintest::load_dialog_template(id, t));
        EXPECT_EQ(t.style & kModal, kModal) << id;
        EXPECT_EQ(t.style & WS_THICKFRAME, 0u) << id;
        EXPECT_EQ(t.menu, L"") << id;
    }
}

TEST(Templates, TermsAndAbout) {
    expect_template(IDD_TERMS, 291, 167,
                    {{1, L"Button", 165, 144, 57, 18, WS_TABSTOP, kButtonType, BS_DEFPUSHBUTTON},
                     {2, L"Button", 228, 144, 57, 18, WS_TABSTOP, kButtonType, BS_PUSHBUTTON},
                     {1015, L"Edit", 6, 3, 279, 135,
                      WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY, 0, 0}});
    expect_template(
        IDD_ABOUT, 261, 188,
        {{1, L"Button", 198, 165, 57, 18, WS_TABSTOP, kButtonType, BS_DEFPUSHBUTTON},
         {1014, L"Edit", 33, 3, 222, 63, ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL, 0, 0,
          WS_BORDER},
         {1015, L"Edit", 6, 69, 249, 90, WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY, 0,
          0},
         {kNoId, L"Static", 6, 24, 21, 20, kVisibleChild, kStaticType, SS_ICON}});
    DialogTemplate about;
    ASSERT_TRUE(wintest::load_dialog_template(IDD_ABOUT, about));
    EXPECT_EQ(about.items[3].title, L"#107");  // the program's icon
}

TEST(Templates, ElementEditorAndDrivePreparation) {
    expect_template(IDD_ELEMENT, 309, 119,
                    {{1, L"Button", 183, 93, 57, 18, WS_TABSTOP, kButtonType, BS_DEFPUSHBUTTON},
                     {2, L"Button", 246, 93, 57, 18, WS_TABSTOP, kButtonType, BS_PUSHBUTTON},
                     {1005, L"Static", 6, 6, 297, 30, kVisibleChild, kStaticType, SS_LEFT},
                     {1006, L"Edit", 6, 42, 54, 18, kEditLine, 0, 0},
                     {1007, L"Edit", 63, 42, 240, 18, kEditLine, 0, 0},
                     {1008, L"Edit", 6, 63, 297, 18, kEditLine, 0, 0}});
    expect_template(IDD_DRIVE, 309, 140,
                    {{1, L"Button", 183, 117, 57, 18, WS_TABSTOP, kButtonType, BS_DEFPUSHBUTTON},
                     {2, L"Button", 246, 117, 57, 18, WS_TABSTOP, kButtonType, BS_PUSHBUTTON},
                     {1008, L"Static", 6, 6, 297, 30, kVisibleChild, kStaticType, SS_LEFT},
                     {1009, L"SysListView32", 6, 42, 297, 63,
                      WS_BORDER | WS_TABSTOP | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                          LVS_NOSORTHEADER,
                      LVS_TYPEMASK, LVS_REPORT}});
}

TEST(Templates, AreaFilter) {
    const DWORD frame = kVisibleChild;
    expect_template(IDD_FILTER, 309, 200,
                    {{1, L"Button", 183, 177, 57, 18, WS_TABSTOP, kButtonType, BS_DEFPUSHBUTTON},
                     {2, L"Button", 246, 177, 57, 18, WS_TABSTOP, kButtonType, BS_PUSHBUTTON},
                     {1010, L"Static", 6, 3, 297, 42, kVisibleChild, kStaticType, SS_LEFT},
                     {1011, L"Static", 12, 54, 18, 12, kVisibleChild, kStaticType, SS_LEFT},
                     {1012, L"Static", 12, 69, 18, 12, kVisibleChild, kStaticType, SS_LEFT},
                     {1013, L"Edit", 33, 54, 57, 12, kEditLine, 0, 0},
                     {1014, L"Edit", 33, 69, 57, 12, kEditLine, 0, 0},
                     {1015, L"Static", 219, 126, 18, 12, kVisibleChild, kStaticType, SS_LEFT},
                     {1016, L"Static", 219, 141, 18, 12, kVisibleChild, kStaticType, SS_LEFT},
                     {1017, L"Edit", 241, 126, 57, 12, kEditLine, 0, 0},
                     {1018, L"Edit", 241, 141, 57, 12, kEditLine, 0, 0},
                     {kNoId, L"Static", 6, 48, 90, 39, frame, kStaticType, SS_BLACKFRAME},
                     {kNoId, L"Static", 213, 120, 90, 39, frame, kStaticType, SS_BLACKFRAME},
                     {kNoId, L"Static", 96, 57, 165, 1, frame, kStaticType, SS_BLACKFRAME},
                     {kNoId, L"Static", 261, 57, 1, 63, frame, kStaticType, SS_BLACKFRAME},
                     {kNoId, L"Static", 48, 147, 165, 1, frame, kStaticType, SS_BLACKFRAME},
                     {kNoId, L"Static", 48, 87, 1, 60, frame, kStaticType, SS_BLACKFRAME},
                     {1019, L"Static", 102, 69, 105, 69, kVisibleChild, kStaticType, SS_CENTER}});
}

TEST(Templates, MenuHasTheItemsAndSubmenusTheWindowRenames) {
    const HMENU bar = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINMENU));
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(GetMenuItemCount(bar), 3);
    const HMENU file = GetSubMenu(bar, 0);
    ASSERT_EQ(GetMenuItemCount(file), 5);
    const HMENU open = GetSubMenu(file, 0);
    const HMENU export_menu = GetSubMenu(file, 2);
    ASSERT_NE(open, nullptr);
    ASSERT_NE(export_menu, nullptr);
    EXPECT_EQ(GetMenuItemID(open, 0), UINT{IDM_OPEN_NAVITEL});
    EXPECT_EQ(GetMenuItemID(open, 1), UINT{IDM_OPEN_IGO});
    EXPECT_EQ(GetMenuItemID(export_menu, 0), UINT{IDM_SAVE_AS});
    EXPECT_EQ(GetMenuItemID(export_menu, 1), UINT{IDM_PREPARE_DRIVE});
    EXPECT_EQ(GetMenuItemID(file, 4), UINT{IDM_EXIT});
    EXPECT_EQ(GetMenuItemID(GetSubMenu(bar, 1), 0), UINT{IDM_FILTER});
    EXPECT_EQ(GetMenuItemID(GetSubMenu(bar, 2), 0), UINT{IDM_ABOUT});
    DestroyMenu(bar);
}

TEST(Templates, IconHasA32And16PixelImage) {
    const HMODULE module = GetModuleHandleW(nullptr);
    for (int size : {32, 16}) {
        const HICON icon = static_cast<HICON>(
            LoadImageW(module, MAKEINTRESOURCEW(IDI_ORVANE), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bitmap = {};
        GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
        EXPECT_EQ(bitmap.bmWidth, size);
        EXPECT_EQ(bitmap.bmHeight, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

}  // namespace
