// The main window's template as compiled into the program: units, styles, control IDs and
// classes. Running controls change some of their own style bits (a list view trades WS_BORDER
// for a client edge, a checked radio button gains WS_TABSTOP), so the template is read here.
#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <cwctype>
#include <ostream>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "resource.h"

namespace {

// Reads one DIALOGEX resource field after another.
struct Reader {
    const BYTE* p;
    template <typename T>
    T get() {
        T v;
        std::memcpy(&v, p, sizeof v);
        p += sizeof v;
        return v;
    }
    // A text, or "#N" for a 0xFFFF-prefixed ordinal; predefined classes come back by name.
    std::wstring text() {
        std::wstring s;
        if (WORD c = get<WORD>(); c == 0xFFFF) {
            const WORD n = get<WORD>();
            const wchar_t* const kClasses[] = {L"BUTTON", L"EDIT", L"STATIC"};
            return n >= 0x80 && n < 0x83 ? kClasses[n - 0x80] : L"#" + std::to_wstring(n);
        } else {
            for (; c != 0; c = get<WORD>()) s.push_back(static_cast<wchar_t>(c));
        }
        return s;
    }
};

struct Item {
    DWORD id;
    std::wstring cls;
    std::array<short, 4> box;
    DWORD style;
    bool operator==(const Item&) const = default;
    friend void PrintTo(const Item& i, std::ostream* os) {
        *os << i.id << ' ' << testing::PrintToString(i.cls) << ' ' << testing::PrintToString(i.box)
            << " style " << std::hex << i.style << std::dec;
    }
};

TEST(Templates, MainWindowMatchesItsTableExactly) {
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(IDD_MAIN), MAKEINTRESOURCEW(5));
    ASSERT_NE(found, nullptr);
    const BYTE* base = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    Reader r{base};
    ASSERT_EQ(r.get<DWORD>(), 0xFFFF0001u);  // DIALOGEX
    r.get<DWORD>(), r.get<DWORD>();          // help ID, extended style
    EXPECT_EQ(r.get<DWORD>(), 0x80CF0048u);
    const WORD count = r.get<WORD>();
    r.get<DWORD>();
    EXPECT_EQ((std::pair{r.get<short>(), r.get<short>()}), (std::pair<short, short>{523, 230}));
    EXPECT_EQ(r.text(), L"#109");  // menu
    EXPECT_EQ(r.text(), L"");      // window class
    EXPECT_EQ(r.text(), L"");      // title
    EXPECT_EQ(r.get<WORD>(), 8);
    r.get<DWORD>();
    EXPECT_EQ(r.text(), L"MS Shell Dlg");
    std::vector<Item> items;
    for (WORD i = 0; i < count; ++i) {
        while ((r.p - base) % 4 != 0) ++r.p;
        r.get<DWORD>(), r.get<DWORD>();  // help ID, extended style
        Item item{};
        item.style = r.get<DWORD>();
        for (short& v : item.box) v = r.get<short>();
        item.id = r.get<DWORD>();
        item.cls = r.text();  // windres keeps class names as written; Windows ignores case
        for (wchar_t& c : item.cls) c = static_cast<wchar_t>(towupper(c));
        EXPECT_TRUE(r.text().empty()) << "control " << item.id << " carries a text";
        r.p += r.get<WORD>();
        items.push_back(item);
    }
    EXPECT_EQ(items, (std::vector<Item>{{1000, L"SYSLISTVIEW32", {18, 66, 270, 132}, 0x5081180D},
                                        {1001, L"SYSLISTVIEW32", {318, 51, 186, 150}, 0x5081080D},
                                        {1003, L"BUTTON", {9, 6, 288, 204}, 0x50000007},
                                        {1004, L"STATIC", {18, 21, 204, 36}, 0x50020000},
                                        {1005, L"BUTTON", {309, 6, 204, 204}, 0x50000007},
                                        {1006, L"STATIC", {318, 21, 186, 24}, 0x50020000},
                                        {1007, L"BUTTON", {228, 21, 60, 12}, 0x58000009},
                                        {1008, L"BUTTON", {228, 33, 60, 12}, 0x50000009},
                                        {1009, L"BUTTON", {228, 45, 60, 12}, 0x50000009}}));
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
