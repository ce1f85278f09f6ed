// The main window built from template 102 by its real procedure and driven through its
// commands' own routines: texts, placement, anchoring, the lists and status bar a file fills,
// check boxes, element editor, filter and map, the dialect switch, the message boxes of a
// failed read, a failed save and the export; and the icon.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <span>
#include <vector>

#include "camera_types.h"
#include "codepage.h"
#include "main_commands.h"
#include "main_window.h"
#include "nearest.h"
#include "parser.h"
#include "resource.h"
#include "show_file.h"
#include "test_support.h"
#include "win_test_util.h"

using namespace std::string_literals;
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
                          const std::function<void(HWND)>& act = nullptr, HWND owner = nullptr) {
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
        wintest::while_running([&] { return wintest::owned_by(owner ? owner : window_); }, answer,
                               action);
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
    // The left button on a type row, `x` pixels into it (8: on its check box).
    void click(int row, int x, UINT down = WM_LBUTTONDOWN) const {
        RECT r = {LVIR_BOUNDS, 0, 0, 0};
        SendMessageW(types_, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r));
        for (UINT m : {down, UINT{WM_LBUTTONUP}})
            SendMessageW(types_, m, MK_LBUTTON, MAKELPARAM(r.left + x, (r.top + r.bottom) / 2));
    }
    // Enter on a type row, as the dialog manager passes it on.
    void enter_on(int row) const {
        SetFocus(types_);
        ListView_SetItemState(types_, row, LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
        MSG key = {types_, WM_KEYDOWN, VK_RETURN, 1, 0, {}};
        IsDialogMessageW(window_, &key);
    }
    CameraType& type_behind(int row) const {
        return *reinterpret_cast<CameraType*>(*list_row_payload(main_window().types, row));
    }

    test::TempDir dir_;
    AppState state_;
    HWND window_ = nullptr, objects_ = nullptr, types_ = nullptr;
};

// The template holds placeholders: samples show the program's texts arriving in Cyrillic, no
// menu item is left without one or grayed or checked, or without an access key of its own in
// its menu (the bar shares Alt with the window's controls), and each control shows its own
// entry. That the keys reach what they name is first_hour_session.sh's, with real keys.
TEST_F(MainWindowTest, TextsColumnsAndWhatCloseStores) {
    std::copy_n(std::array{150, -1, 100, 77}.begin(), 4, state_.list1_widths);
    open();
    wchar_t navitel[64] = {}, head[64] = {};
    GetMenuStringW(GetMenu(window_), IDM_OPEN_NAVITEL, navitel, 64, MF_BYCOMMAND);
    LVCOLUMNW column = {LVCF_TEXT, 0, 0, head, 64, 0, 0, 0, 0, 0, 0};
    ListView_GetColumn(types_, 0, &column);
    EXPECT_EQ(window_text(GetDlgItem(window_, IDC_OBJECT_GROUP)) + L"|" + navitel + L"|" + head,
              L"Содержимое файла Speedcam|Формат &Navitel|#");
    const auto key = [](std::wstring text) {
        const std::size_t at = text.find(L'&');
        text = at < text.size() - 1 ? text.substr(at + 1, 1) : L"";
        return std::wstring(CharUpperW(text.data()));
    };
    std::wstring left, controls;
    for (int id :
         {IDC_OBJECT_HINT, IDC_TYPE_HINT, IDC_ENCODING_UTF16, IDC_ENCODING_UTF8, IDC_ENCODING_ANSI})
        controls += key(window_text(GetDlgItem(window_, id)));
    const std::function<void(HMENU, std::wstring)> walk = [&](HMENU menu, std::wstring keys) {
        for (int i = 0; i < GetMenuItemCount(menu); walk(GetSubMenu(menu, i++), L"")) {
            wchar_t name[128] = {};
            const bool off = GetMenuState(menu, i, MF_BYPOSITION) & (MF_GRAYED | MF_CHECKED);
            if (!GetMenuStringW(menu, i, name, 128, MF_BYPOSITION)) continue;  // a separator
            if (off || std::ranges::none_of(name, [](wchar_t c) { return c >= 0x400; }) ||
                key(name).empty() || keys.find(key(name)) != keys.npos)
                left += name + std::wstring(L"|");
            keys += key(name);
        }
    };
    walk(GetMenu(window_), controls);
    EXPECT_EQ(left + controls, L"ОН68S");
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
    EXPECT_NE(SendMessageW(window_, WM_GETICON, ICON_BIG, 0), 0);
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

// Each file shows its records and one row per type met, with the first entry's texts
// (navitel_lf.txt meets type 1 twice; the table has two entries for it), or, for a type the
// table lacks, a grey row that says so: both
// lists of each file, as tests/expected/main_window_files.txt has them. A file that cannot be
// read after a good one is told, and leaves empty lists and a true status bar, whether it is
// opened or read again.
TEST_F(MainWindowTest, FilesFillBothListsAndTheStatusBarFitsItsTexts) {
    open();
    SetWindowPos(window_, nullptr, 0, 0, 1280, 600, SWP_NOMOVE | SWP_NOZORDER);  // whole paths
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

// Every change the user makes to a box reaches the type, by mouse or by keyboard; the states
// the program sets while filling the list are the types' own. The element editor changes
// only the message.
TEST_F(MainWindowTest, CheckBoxesAndTheElementEditorChangeTheType) {
    open("navitel_lf.txt");
    CameraType& type = type_behind(0);
    ASSERT_TRUE(checked(0) && type.export_enabled == 1);
    click(0, 8);  // the box sits at the row's left edge, inside the "#" column
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

    // Row 1's editor, opened by a double click or by Enter on the row as the dialog manager
    // passes it on, shows ID and description, which cannot be changed, and the format. Keys
    // typed at once go to the format and replace it: it has the focus, its text selected; it
    // takes no more than the 126 characters that are kept.
    std::size_t typed = 0;  // what the field holds after the keys
    const auto edit = [&](const std::wstring& keys, int button, bool enter = false) {
        const auto open_editor = [&] { enter ? enter_on(1) : click(1, 40, WM_LBUTTONDBLCLK); };
        const auto press_keys = [&](HWND) {
            for (wchar_t c : keys) SendMessageW(GetFocus(), WM_CHAR, c, 1);
            typed = window_text(GetFocus()).size();
        };
        return with_box(
            open_editor, button,
            {{IDC_ELEMENT_ID, nullptr}, {IDC_ELEMENT_DESC, nullptr}, {IDC_ELEMENT_FORMAT, nullptr}},
            press_keys);
    };
    EXPECT_EQ(edit(L"Внимание %SPEED%", IDOK),
              L"Редактор элемента: |2-|Светофор-|Светофор %SPEED%");
    EXPECT_EQ(table(types_)[1], L"-|2|1|Светофор|Внимание %SPEED%");
    edit(L"другое", IDCANCEL, true);
    EXPECT_STREQ(type_behind(1).message_format, L"Внимание %SPEED%");
    EXPECT_EQ(edit(std::wstring(130, L'ж'), IDOK, true),
              L"Редактор элемента: |2-|Светофор-|Внимание %SPEED%");
    EXPECT_EQ(typed, 126u) << "the field took no more than is kept";
    EXPECT_EQ(std::wstring(type_behind(1).message_format), std::wstring(126, L'ж'));
}

// The filter dialog stores what was typed, with a decimal comma or point, and reads the file
// again; a field that is no number is named and nothing is stored. The status bar says how
// many objects the filter hides; a file it hides whole is told, with the offer to switch it
// off. A rectangle drawn on the map is the same filter as typing its corners.
TEST_F(MainWindowTest, FilterDialogAndMapRectangleSetTheSameArea) {
    open("navitel_lf.txt");
    // What the dialog showed; or, when its button brought a message, that message.
    const auto filter = [&](std::array<const wchar_t*, 4> typed, int button = IDOK) {
        std::wstring told;
        const auto press = [&](HWND d) {
            told = with_box([&] { SendMessageW(d, WM_COMMAND, button, 0); }, IDOK, {}, nullptr, d);
        };
        const std::wstring shown = with_box(command(IDM_FILTER), IDCANCEL,
                                            {{IDC_FILTER_WEST, typed[0]},
                                             {IDC_FILTER_NORTH, typed[1]},
                                             {IDC_FILTER_EAST, typed[2]},
                                             {IDC_FILTER_SOUTH, typed[3]}},
                                            press);
        return told.empty() ? shown : told;
    };
    const AreaFilter& area = state_.filter.area;
    const auto corners = [&] { return std::array{area.west, area.north, area.east, area.south}; };
    EXPECT_EQ(filter({L"37,3", L" 55.9", L"37,9 ", L"+55,5"}),
              L"Настройка фильтра: |0.000000|0.000000|0.000000|0.000000");
    EXPECT_EQ(corners(), (std::array{37.3, 55.9, 37.9, 55.5}));
    EXPECT_EQ(status(2), L"Объектов: 4 (Фильтр: Вкл, скрыто 1)") << "St Petersburg is outside";
    for (const auto& [field, typed, name] :
         {std::tuple{1, L"55..9", L"Y северо-западного угла (север)"},
          {2, L"1e5", L"X юго-восточного угла (восток)"}}) {
        std::array<const wchar_t*, 4> fields = {L"1", L"1", L"1", L"1"};
        fields[field] = typed;
        const std::wstring told = filter(fields);
        EXPECT_NE(told.find(L": В поле "s + name + L" указано не число: \"" + typed + L"\"."),
                  told.npos)
            << testing::PrintToString(told);
    }
    EXPECT_EQ(corners(), (std::array{37.3, 55.9, 37.9, 55.5})) << "nothing stored";
    filter({L"0", L"0", L"0", L"0"}, IDCANCEL);
    EXPECT_EQ(filter({L"", L"55.9", L"37.9", L"55.5"}),
              L"Настройка фильтра: |37.300000|55.900000|37.900000|55.500000")
        << "what was stored, unchanged by Cancel";
    EXPECT_EQ(status(2), L"Объектов: 5 (Фильтр: Откл)") << "an empty field is 0";

    // A filter left from Moscow over a file of England: No keeps it, Yes switches it off.
    state_.filter.area = {37.3, 55.9, 37.9, 55.5};
    const std::wstring uk = write("uk.txt", "1,-0.1,51.5,1,30,1,0\n2,-1.9,52.5,2,40,1,0\n"),
                       asked =
                           L"Orvane: Все объекты файла (2) лежат вне района, заданного "
                           L"фильтром, поэтому список пуст.\r\nОтключить фильтр и показать их?";
    EXPECT_EQ(with_box([&] { read(InputFormat::Navitel, uk); }, IDNO), asked);
    EXPECT_EQ(status(2), L"Объектов: 0 (Фильтр: Вкл, скрыто 2)");
    EXPECT_EQ(with_box(command(IDC_ENCODING_UTF8), IDYES), asked);
    EXPECT_EQ(status(2), L"Объектов: 2 (Фильтр: Откл)");
    read(InputFormat::Navitel, test::data_path("navitel_lf.txt"));

    // Drawn with the left button from the middle of the map, which is fitted to all five, to
    // its bottom-right corner: Moscow, not St Petersburg at the top left. The line below the
    // map says what the rectangle holds and would export.
    std::wstring said;
    const auto draw = [&](HWND d) {
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDC_MAP_RESET))) << "no filter to reset";
        RECT r;
        GetClientRect(d, &r);
        const long line = rect_of(GetDlgItem(d, IDC_MAP_STATUS))[1];
        const LPARAM to = MAKELPARAM(r.right - 4, line - 8);
        SendMessageW(d, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.right / 2, line / 2));
        SendMessageW(d, WM_MOUSEMOVE, MK_LBUTTON, to);
        SendMessageW(d, WM_LBUTTONUP, 0, to);
        said = window_text(GetDlgItem(d, IDC_MAP_STATUS));
    };
    with_box(command(IDM_MAP), IDOK, {}, draw);
    EXPECT_TRUE(said.ends_with(L" · В прямоугольнике: 4. К экспорту: 3 · 259 Б из 6 МБ")) << said;
    EXPECT_EQ(status(2), L"Объектов: 4 (Фильтр: Вкл, скрыто 1)") << "read with the drawn area";
    // The filter dialog shows the stored corners; typed in again they are the same filter.
    const auto drawn = corners();
    filter({nullptr, nullptr, nullptr, nullptr});
    EXPECT_EQ(corners(), drawn);
    EXPECT_EQ(status(2), L"Объектов: 4 (Фильтр: Вкл, скрыто 1)") << "the drawn area was stored";
    // "Сбросить фильтр" switches the filter off and reads all again. That Cancel changes
    // nothing is map_session.sh's, with real input.
    with_box(command(IDM_MAP), IDC_MAP_RESET, {},
             [](HWND d) { EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, IDC_MAP_RESET))); });
    EXPECT_EQ(status(2), L"Объектов: 5 (Фильтр: Откл)");
}

// The old dialect's table is saved before the new one is loaded, and the one in force at
// close; a table that cannot be saved is told, and the new file still opens. A file opened in
// the wrong dialect, none of whose types that dialect's table has but most of them the
// other's, would export nothing: the window asks, in the real message box, whether to open it
// as the other format. "Нет" leaves it, "Да" opens it so. The files of
// FilesFillBothListsAndTheStatusBarFitsItsTexts are not asked about.
TEST_F(MainWindowTest, DialectSwitchSavesTheTableOrTellsAndAFileOfTheOtherAsks) {
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
    const std::wstring igo_file = test::data_path("igo_indexed.txt");  // types 192, 68, 227
    read(InputFormat::Igo, igo_file);
    EXPECT_EQ(saved(L"Navitel", L"Fmt0"), L"Navitel changed");
    wcscpy(type_behind(0).message_format, L"IGO changed");
    read(InputFormat::Navitel, test::data_path("navitel_lf.txt"));
    EXPECT_EQ(saved(L"IGO", L"Fmt0") + L"|" + table(types_)[0],
              L"IGO changed|x|1|2|Стационарная камера|Navitel changed");
    type_behind(1).export_enabled = 1;

    const std::wstring as_igo = L"Orvane: " + wintest::text_of(state_, IDS_ASK_OPEN_AS_IGO);
    EXPECT_EQ(with_box([&] { read(InputFormat::Navitel, igo_file); }, IDNO), as_igo);
    EXPECT_EQ(status(1, 2), L"Тип: Формат Navitel (UTF-8)|Объектов: 3 (Фильтр: Откл)");
    EXPECT_EQ(table(types_).front(), L"-|192|1|Тип 192 (нет в таблице)|");
    EXPECT_EQ(with_box([&] { read(InputFormat::Navitel, igo_file); }, IDYES), as_igo);
    EXPECT_EQ(status(1, 2), L"Тип: Формат IGO (UTF-8)|Объектов: 3 (Фильтр: Откл)");
    EXPECT_EQ(table(types_).size(), 3u);
    EXPECT_EQ(saved(L"Navitel", L"Enable1"), L"1") << "saved as the file turned to IGO";
    // And the other way.
    const std::wstring navitel_file =
        write("navitel.txt", "1,37.1,55.1,1,60,1,0\n2,37.2,55.2,101,40,1,0\n");
    EXPECT_EQ(with_box([&] { read(InputFormat::Igo, navitel_file); }, IDYES),
              L"Orvane: " + wintest::text_of(state_, IDS_ASK_OPEN_AS_NAVITEL));
    EXPECT_EQ(status(1), L"Тип: Формат Navitel (UTF-8)");
    wcscpy(type_behind(0).message_format, L"at close");
    close();
    EXPECT_EQ(saved(L"Navitel", L"Fmt0"), L"at close");

    open();
    state_.type_config_path = dir_.file("no folder\\Config.txt");
    const std::wstring told =
        L"Error: Не удалось сохранить типы камер в файл " + state_.type_config_path;
    EXPECT_EQ(with_box([&] { read(InputFormat::Igo, igo_file); }), told);
    EXPECT_EQ(ListView_GetItemCount(objects_), 3);
    EXPECT_EQ(with_box([&] { close(); }), told);
}

// A second file joins the first as one list and the status bar counts them; one that cannot be
// read is told and left out. "Убирать повторы" reads them again without the second's copy of
// the first's camera, and says how many went. A type the table lacks, given a message in the
// editor, joins the table checked, is exported, saved and read back.
TEST_F(MainWindowTest, SeveralFilesRepeatsAndATypeAddedThroughTheEditor) {
    open("navitel_lf.txt");
    const std::wstring second =
        write("second.txt", "1,37.6176,55.75222,1,50,1,0\n2,38,56,8,60,1,0\n");
    add_speedcam_file(window_, second);
    // The part shortens the path to fit; its tip shows both whole.
    const auto two_files = [&] {
        return status(0) == L"Загружено файлов: 2" &&
               main_window().file_tip == test::data_path("navitel_lf.txt") + L"\r\n" + second;
    };
    EXPECT_TRUE(two_files()) << testing::PrintToString(status(0));
    EXPECT_EQ(
        with_box([&] { add_speedcam_file(window_, dir_.file("SECOND.TXT")); }),
        L"Error: Файл " + dir_.file("SECOND.TXT") + L" уже загружен: его объекты уже в списке.");
    EXPECT_EQ(table(objects_).back(), L"38, 56|8|60|");
    EXPECT_EQ(with_box([&] { add_speedcam_file(window_, dir_.file("gone.txt")); }),
              L"Error: Не удалось прочитать файл " + dir_.file("gone.txt"));
    EXPECT_TRUE(ListView_GetItemCount(objects_) == 7 && two_files());
    SendMessageW(window_, WM_COMMAND, IDM_REPEATS, 0);
    EXPECT_EQ(GetMenuState(GetMenu(window_), IDM_REPEATS, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED);
    EXPECT_EQ(status(2), L"Объектов: 6 (Фильтр: Откл) · повторов убрано: 1");

    const int unknown = static_cast<int>(table(types_).size()) - 1;
    EXPECT_EQ(table(types_)[unknown], L"-|8|1|Тип 8 (нет в таблице)|");
    ListView_SetCheckState(types_, unknown, TRUE);
    EXPECT_FALSE(checked(unknown)) << "no box of a type the table lacks";
    const auto add = [&](const wchar_t* message) {
        ListView_SetItemState(types_, unknown, LVIS_SELECTED | LVIS_FOCUSED, 0xF);
        SetFocus(types_);
        return with_box(command(IDOK), IDOK,
                        {{IDC_ELEMENT_DESC, L"Пост ДПС"}, {IDC_ELEMENT_FORMAT, message}});
    };
    EXPECT_EQ(add(L""), L"Редактор элемента: |Тип 8|");
    EXPECT_EQ(table(types_).size(), 5u) << "no message, no type";
    add(L"Пост %SPEED%");
    EXPECT_EQ(table(types_).back(), L"x|8|1|Пост ДПС|Пост %SPEED%");
    with_box([&] { export_and_report(window_, dir_.file("out.csv")); });
    EXPECT_TRUE(test::read_bytes(dir_.file("out.csv")).ends_with("38,56,\"Пост 60\"\r\n"));
    close();
    CameraTypeList saved;
    load_camera_types(saved, state_.type_config_path, InputFormat::Navitel);
    EXPECT_EQ(std::wstring(saved.back().description) + L"|" + saved.back().message_format,
              L"Пост ДПС|Пост %SPEED%");
    EXPECT_EQ(state_.drop_repeats, 1);
}

// Ctrl and a click on the map set the home point, kept when the map is cancelled; the export
// then begins with the objects nearest to it, and past 6 MB the budget says how many of the
// nearest go in and how far they reach, and the export that it was cut. "Убрать дом" takes
// the point away. A failed export is RealVolumes.ExportLandsInTheImageAndAFullStickKeepsItsList's.
TEST_F(MainWindowTest, TheHomePointOrdersTheExportNearestFirst) {
    std::string big;  // along a parallel, 100,000 objects: more than 6 MB
    for (int i = 0; i < 100000; ++i)
        big += "1,3" + std::to_string(i / 10000.0) + ",55.5,1,60,1,0\n";
    open();
    read(InputFormat::Navitel, write("big.txt", big));
    const auto click = [](HWND map) {
        RECT r;
        GetClientRect(map, &r);
        SendMessageW(map, WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL,
                     MAKELPARAM(r.right / 2, r.bottom / 4));
    };
    with_box(command(IDM_MAP), IDCANCEL, {}, click);
    ASSERT_EQ(state_.home.set, 1);
    const GeoPoint home = state_.home.place;
    const ExportPlan plan = plan_export(state_.records, state_.types, kExportSizeCap,
                                        nearest_first(state_.records, home));
    EXPECT_EQ(status(3), L"Больше 6 МБ: войдут ближайшие " + grouped(plan.objects) + L" (до " +
                             from_utf8(kilometres_text(
                                 distance_metres(home, place_of(state_.records[plan.last])), ',')) +
                             L" км) из 100 000");
    const std::wstring capped = with_box([&] { export_and_report(window_, dir_.file("out.csv")); });
    EXPECT_TRUE(capped.starts_with(L"OK: Экспорт завершен, но")) << testing::PrintToString(capped);
    const std::string csv = test::read_bytes(dir_.file("out.csv"));
    const std::string first =
        csv.substr(csv.find('\n') + 1, csv.find(',', csv.find('\n')) - csv.find('\n') - 1);
    EXPECT_NEAR(coordinate_to_double(first), home.lon, 1e-4) << first;
    with_box(command(IDM_MAP), IDCANCEL, {},
             [](HWND map) { SendMessageW(map, WM_COMMAND, IDC_MAP_HOME_CLEAR, 0); });
    EXPECT_EQ(state_.home.set, 0);
    EXPECT_EQ(status(3).find(L"ближайшие"), std::wstring::npos) << "the file's order again";
}

// Nothing to export is said before a dialog asks where to write it, in each way it comes
// about (the first line of the message says which), so nothing is written. The open dialog
// offers every text file after speedcam.txt.
TEST_F(MainWindowTest, NothingToExportIsToldBeforeAnyDialog) {
    open();
    const auto nothing = [&](const wchar_t* why) {
        for (WORD id : {IDM_SAVE_AS, IDM_PREPARE_DRIVE}) {
            const std::wstring told = with_box(command(id), IDCANCEL);
            EXPECT_EQ(told.substr(0, told.find(L'\r')), L"Error: Экспортировать нечего: "s + why);
        }
    };
    nothing(L"файл speedcam не открыт.");
    read(InputFormat::Navitel, write("empty.txt", ""));
    nothing(L"в открытом файле нет объектов.");
    read(InputFormat::Navitel, test::data_path("navitel_lf.txt"));
    for (CameraType& type : state_.types) type.export_enabled = 0;
    nothing(L"ни один тип объектов файла не отмечен для экспорта.");
    state_.filter.area = {1, 2, 2, 1};
    with_box(command(IDC_ENCODING_UTF8), IDNO);
    nothing(L"фильтр скрыл все объекты файла.");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), {}), 2)
        << "Config.txt and empty.txt only";

    std::wstring filters;
    with_box(command(IDM_OPEN_NAVITEL), IDCANCEL, {}, [&](HWND open) {
        wchar_t text[64];
        for (int i = 0; SendDlgItemMessageW(open, cmb1, CB_GETLBTEXT, i, (LPARAM)text) > 0; ++i)
            filters += text + L"|"s;
    });
    EXPECT_EQ(filters, L"Speedcam (speedcam.txt)|Текстовые файлы (*.txt)|All files (*.*)|");
}

// The count parts as the user reads them, after each thing that changes them: a read, a tick,
// a message edited, a filter; digits in groups of three, sizes below a tenth of a megabyte
// in kilobytes or bytes, megabytes rounded. The map's line is the filter test's.
TEST_F(MainWindowTest, StatusBarReadsAsTheUserReadsIt) {
    open("navitel_lf.txt");
    EXPECT_EQ(status(2, 3), L"Объектов: 5 (Фильтр: Откл)|К экспорту: 4 · 322 Б из 6 МБ");
    click(0, 8);
    EXPECT_EQ(status(3), L"К экспорту: 4 · 232 Б из 6 МБ") << "type 1 unticked";
    wcscpy(type_behind(2).message_format, L"Средняя скорость, не больше %SPEED% км/ч");
    with_box([&] { enter_on(2); });
    EXPECT_EQ(status(3), L"К экспорту: 4 · 252 Б из 6 МБ") << "a longer message";
    state_.filter.area = {30, 60, 31, 59};
    SendMessageW(window_, WM_COMMAND, IDC_ENCODING_UTF8, 0);
    EXPECT_EQ(status(2, 3), L"Объектов: 1 (Фильтр: Вкл, скрыто 4)|К экспорту: 1 · 160 Б из 6 МБ");
    state_.filter.area = {};

    // Files of 300, 550 and 123,456 objects of type 1, whose second table entry is still
    // exported: 6,267 bytes, 11,517, and 2,579,013 (2.46 MB, which a cut would show as 2,4).
    const auto objects = [&](int n) {
        std::string text;
        for (int i = 0; i < n; ++i)
            text += std::to_string(i) + ",37." + std::to_string(i % 1000) + ",55.5555,1,60,1,90\n";
        return write("many.txt", text);
    };
    read(InputFormat::Navitel, objects(550));
    EXPECT_EQ(status(2, 3), L"Объектов: 550 (Фильтр: Откл)|К экспорту: 550 · 11 КБ из 6 МБ");
    read(InputFormat::Navitel, objects(300));
    EXPECT_EQ(status(3), L"К экспорту: 300 · 6,1 КБ из 6 МБ");
    read(InputFormat::Navitel, objects(123456));
    EXPECT_EQ(status(2, 3), L"Объектов: 123 456 (Фильтр: Откл)|К экспорту: 123 456 · 2,5 из 6 МБ");
}

// The first part keeps the drive and the file's name, and leaves out the folders between as
// the part needs, then the middle of the name, as tests/data/shortened_paths.txt has it; the
// whole path is its tooltip. So for a file that cannot be read.
TEST_F(MainWindowTest, TheFileNameIsShortenedInTheMiddleAndWholeInItsTip) {
    for (const auto& row : test::table("shortened_paths.txt")) {
        const auto fits = [&](std::wstring_view t) { return t.size() <= std::stoul(row[1]); };
        EXPECT_EQ(shorten_path(row[0], fits), row[2]);
    }
    open();
    const std::wstring folder = dir_.file("Камеры для Nissan Connect, скачанные в 2019 году"),
                       name = L"SpeedCamOnline.ru_2019-11-05_PRIMO_Rus.txt",
                       path = folder + L"\\" + name, drive = path.substr(0, 3);
    CreateDirectoryW(folder.c_str(), nullptr);
    test::write_bytes(path, test::read_bytes(test::data_path("navitel_lf.txt")));
    wchar_t tip[1024] = {};
    TTTOOLINFOW tool = {
        TTTOOLINFOW_V2_SIZE, 0, GetDlgItem(window_, IDC_STATUS_BAR), 0, {}, {}, tip, 0, nullptr};
    read(InputFormat::Navitel, path);
    SendMessageW(main_window().status_tip, TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(&tool));
    EXPECT_TRUE(status(0).starts_with(L"Файл: " + drive + L"…\\Speed") &&
                status(0).ends_with(L"Rus.txt загружен"))
        << testing::PrintToString(status(0));
    EXPECT_EQ(tip, path);
    DeleteFileW(path.c_str());
    EXPECT_EQ(with_box(command(IDC_ENCODING_UTF8)), L"Error: Не удалось прочитать файл " + path);
    EXPECT_TRUE(status(0).starts_with(L"Не удалось прочитать файл " + drive + L"…\\"));
}

// The dialog that chose a file has closed over the window, and the file takes long to read:
// while it is read, the window shows neither the dialog nor the old file's objects; the pipe
// looks at the screen once the window has opened it. Then its reading fails half-way (a stick
// pulled out): the user is told, and the lists, the export budget and the export all see no
// object, never the part of the file read before the failure.
TEST_F(MainWindowTest, TheWindowIsRepaintedBeforeALongReadThatFailsAndKeepsNoObject) {
    open("navitel_lf.txt");
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
    RECT list = {}, header = {};
    GetWindowRect(objects_, &list);
    GetWindowRect(ListView_GetHeader(objects_), &header);
    list = {list.left + 4, header.bottom + 2, list.right - 24, list.bottom - 24};
    const HWND cover = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE | SS_BLACKRECT,
                                       list.left, list.top, list.right - list.left,
                                       list.bottom - list.top, window_, nullptr, nullptr, nullptr);
    UpdateWindow(cover);
    DestroyWindow(cover);
    const int w = list.right - list.left, h = list.bottom - list.top;
    BITMAPINFO info = {{sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    std::uint32_t* pixels = nullptr;
    const HDC screen = GetDC(nullptr), copy = CreateCompatibleDC(screen);
    SelectObject(copy, CreateDIBSection(screen, &info, DIB_RGB_COLORS,
                                        reinterpret_cast<void**>(&pixels), nullptr, 0));
    std::string lines;  // more blocks than the worker threads hold before the first is kept
    while (lines.size() < (std::size_t{12} << 20)) lines += "1,37.61755,55.75222,1,60,1,90\r\n";
    test::FailingFile failing(
        lines, [&] { BitBlt(copy, 0, 0, w, h, screen, list.left, list.top, SRCCOPY); });
    EXPECT_EQ(with_box([&] { read(InputFormat::Navitel, failing.path()); }),
              L"Error: Не удалось прочитать файл " + failing.path());
    EXPECT_EQ(
        std::ranges::count_if(std::span(pixels, w * h), [](auto p) { return (p & 255) < 128; }), 0)
        << "dark pixels of the dialog or the old rows in the object list";
    DeleteObject(SelectObject(copy, GetStockObject(BLACK_BRUSH))), DeleteDC(copy);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ((std::pair{table(objects_), table(types_)}), (std::pair{Rows{}, Rows{}}));
    EXPECT_EQ(status(2, 3), L"Объектов: 0 (Фильтр: Откл)|К экспорту: 0 · 77 Б из 6 МБ");
    EXPECT_EQ(with_box([&] { export_and_report(window_, dir_.file("out.csv")); }),
              L"OK: Экспорт успешно завершен.");
    const std::string banner = test::read_bytes(test::data_path("navitel.csv", "expected"));
    EXPECT_SAME_BYTES(banner.substr(0, banner.find('\n') + 1),
                      test::read_bytes(dir_.file("out.csv")));
}

}  // namespace
