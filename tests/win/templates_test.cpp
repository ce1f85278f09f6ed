// The dialog templates as compiled into the program: units, styles, control IDs and classes.
// Running controls change some of their own style bits (a list view trades WS_BORDER for a
// client edge, a checked radio button gains WS_TABSTOP), so the templates are read here.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <utility>

#include "resource.h"
#include "win_test_util.h"

namespace {

constexpr DWORD kNoId = 0xFFFFFFFF;  // a static without an ID
constexpr DWORD kExact = 0xFFFFFFFF;

struct Expected {
    DWORD id;
    const wchar_t* cls;
    short x, y, cx, cy;
    DWORD style;  // the bits of `mask` that must be set as given
    DWORD mask = kExact;
};

void expect_template(int id, DWORD style, DWORD style_mask, short cx, short cy,
                     std::initializer_list<Expected> items) {
    wintest::DialogTemplate t;
    ASSERT_TRUE(wintest::load_dialog_template(id, t)) << id;
    EXPECT_EQ(t.style & style_mask, style) << id;
    EXPECT_EQ((std::pair{t.cx, t.cy}), (std::pair{cx, cy})) << id;
    EXPECT_EQ(t.title, L"") << id;
    EXPECT_EQ(t.menu, id == IDD_MAIN ? L"#109" : L"") << id;
    EXPECT_EQ(t.point_size, 8) << id;
    EXPECT_EQ(t.font, L"MS Shell Dlg") << id;
    ASSERT_EQ(t.items.size(), items.size()) << id;
    std::size_t i = 0;
    for (const Expected& e : items) {
        const wintest::TemplateItem& got = t.items[i++];
        const std::string where = "dialog " + std::to_string(id) + " control " + std::to_string(i);
        EXPECT_EQ(got.id, e.id) << where;
        EXPECT_EQ(_wcsicmp(got.cls.c_str(), e.cls), 0) << where;
        EXPECT_TRUE(got.title.empty() || got.title[0] == L'#') << where << " carries a text";
        EXPECT_EQ((std::array{got.x, got.y, got.cx, got.cy}), (std::array{e.x, e.y, e.cx, e.cy}))
            << where;
        EXPECT_EQ(got.style & e.mask, e.style) << where;
    }
}

constexpr DWORD kModal =
    DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
constexpr DWORD kModalSet = kModal & ~WS_THICKFRAME;
// Push buttons: the kind in the low bits and a tab stop.
constexpr DWORD kButtonMask = WS_TABSTOP | 0xF;
constexpr DWORD kOk = WS_TABSTOP | BS_DEFPUSHBUTTON;
constexpr DWORD kCancel = WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kStaticMask = WS_VISIBLE | SS_TYPEMASK;
constexpr DWORD kLabel = WS_VISIBLE | SS_LEFT;
constexpr DWORD kFrame = WS_VISIBLE | SS_BLACKFRAME;
constexpr DWORD kLine = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_MULTILINE | ES_READONLY;
constexpr DWORD kLineSet = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kBox = WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY;

TEST(Templates, MainWindowMatchesItsTableExactly) {
    expect_template(IDD_MAIN, 0x80CF0048, kExact, 523, 230,
                    {{1000, L"SysListView32", 18, 66, 270, 132, 0x5081180D},
                     {1001, L"SysListView32", 318, 51, 186, 150, 0x5081080D},
                     {1003, L"Button", 9, 6, 288, 204, 0x50000007},
                     {1004, L"Static", 18, 21, 204, 36, 0x50020000},
                     {1005, L"Button", 309, 6, 204, 204, 0x50000007},
                     {1006, L"Static", 318, 21, 186, 24, 0x50020000},
                     {1007, L"Button", 228, 21, 60, 12, 0x58000009},
                     {1008, L"Button", 228, 33, 60, 12, 0x50000009},
                     {1009, L"Button", 228, 45, 60, 12, 0x50000009}});
}

TEST(Templates, TermsAboutAndElementEditor) {
    expect_template(IDD_TERMS, kModalSet, kModal, 291, 167,
                    {{1, L"Button", 165, 144, 57, 18, kOk, kButtonMask},
                     {2, L"Button", 228, 144, 57, 18, kCancel, kButtonMask},
                     {1015, L"Edit", 6, 3, 279, 135, kBox, kBox}});
    expect_template(IDD_ABOUT, kModalSet, kModal, 261, 188,
                    {{1, L"Button", 198, 165, 57, 18, kOk, kButtonMask},
                     {1014, L"Edit", 33, 3, 222, 63, ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL,
                      kBox | ES_AUTOHSCROLL},
                     {1015, L"Edit", 6, 69, 249, 90, kBox, kBox},
                     {kNoId, L"Static", 6, 24, 21, 20, WS_VISIBLE | SS_ICON, kStaticMask}});
    wintest::DialogTemplate about;
    ASSERT_TRUE(wintest::load_dialog_template(IDD_ABOUT, about));
    EXPECT_EQ(about.items[3].title, L"#107");  // the program's icon
    expect_template(IDD_ELEMENT, kModalSet, kModal, 309, 119,
                    {{1, L"Button", 183, 93, 57, 18, kOk, kButtonMask},
                     {2, L"Button", 246, 93, 57, 18, kCancel, kButtonMask},
                     {1005, L"Static", 6, 6, 297, 30, kLabel, kStaticMask},
                     {1006, L"Edit", 6, 42, 54, 18, kLineSet, kLine},
                     {1007, L"Edit", 63, 42, 240, 18, kLineSet, kLine},
                     {1008, L"Edit", 6, 63, 297, 18, kLineSet, kLine}});
}

TEST(Templates, DrivePreparationAndAreaFilter) {
    constexpr DWORD kDriveList =
        WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER;
    expect_template(
        IDD_DRIVE, kModalSet, kModal, 309, 140,
        {{1, L"Button", 183, 117, 57, 18, kOk, kButtonMask},
         {2, L"Button", 246, 117, 57, 18, kCancel, kButtonMask},
         {1008, L"Static", 6, 6, 297, 30, kLabel, kStaticMask},
         {1009, L"SysListView32", 6, 42, 297, 63, kDriveList, kDriveList | LVS_TYPEMASK}});
    expect_template(IDD_FILTER, kModalSet, kModal, 309, 200,
                    {{1, L"Button", 183, 177, 57, 18, kOk, kButtonMask},
                     {2, L"Button", 246, 177, 57, 18, kCancel, kButtonMask},
                     {1010, L"Static", 6, 3, 297, 42, kLabel, kStaticMask},
                     {1011, L"Static", 12, 54, 18, 12, kLabel, kStaticMask},
                     {1012, L"Static", 12, 69, 18, 12, kLabel, kStaticMask},
                     {1013, L"Edit", 33, 54, 57, 12, kLineSet, kLine},
                     {1014, L"Edit", 33, 69, 57, 12, kLineSet, kLine},
                     {1015, L"Static", 219, 126, 18, 12, kLabel, kStaticMask},
                     {1016, L"Static", 219, 141, 18, 12, kLabel, kStaticMask},
                     {1017, L"Edit", 241, 126, 57, 12, kLineSet, kLine},
                     {1018, L"Edit", 241, 141, 57, 12, kLineSet, kLine},
                     {kNoId, L"Static", 6, 48, 90, 39, kFrame, kStaticMask},
                     {kNoId, L"Static", 213, 120, 90, 39, kFrame, kStaticMask},
                     {kNoId, L"Static", 96, 57, 165, 1, kFrame, kStaticMask},
                     {kNoId, L"Static", 261, 57, 1, 63, kFrame, kStaticMask},
                     {kNoId, L"Static", 48, 147, 165, 1, kFrame, kStaticMask},
                     {kNoId, L"Static", 48, 87, 1, 60, kFrame, kStaticMask},
                     {1019, L"Static", 102, 69, 105, 69, WS_VISIBLE | SS_CENTER, kStaticMask}});
}

TEST(Templates, IconHasA32And16PixelImage) {
    for (int size : {32, 16}) {
        const HICON icon = static_cast<HICON>(LoadImageW(
            GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_ORVANE), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bitmap = {};
        GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
        EXPECT_EQ((std::pair{bitmap.bmWidth, bitmap.bmHeight}),
                  (std::pair{LONG{size}, LONG{size}}));
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

}  // namespace
