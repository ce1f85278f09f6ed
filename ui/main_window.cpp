#include "main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <span>
#include <utility>

#include "camera_types.h"
#include "dpi.h"
#include "main_commands.h"
#include "resource.h"
#include "show_file.h"
#include "strings.h"
#include "win32.h"

namespace {

MainWindow g_main;

struct MenuText {
    enum By { Position, Command } by;
    int menu;  // 0: the menu bar, 1: File, 2: Tools, 3: Help
    UINT item;
    UINT text;
};

// The template's item texts are placeholders; these replace them, in this order.
constexpr MenuText kMenuTexts[] = {
    {MenuText::Position, 0, 0, IDS_MENU_FILE},
    {MenuText::Position, 1, 0, IDS_MENU_OPEN},
    {MenuText::Command, 1, IDM_OPEN_NAVITEL, IDS_FORMAT_NAVITEL},
    {MenuText::Command, 1, IDM_OPEN_IGO, IDS_FORMAT_IGO},
    {MenuText::Command, 1, IDM_ADD_FILE, IDS_MENU_ADD_FILE},
    {MenuText::Position, 1, 2, IDS_MENU_EXPORT},
    {MenuText::Command, 1, IDM_SAVE_AS, IDS_MENU_SAVE_AS},
    {MenuText::Command, 1, IDM_PREPARE_DRIVE, IDS_MENU_PREPARE_DRIVE},
    {MenuText::Command, 1, IDM_EXIT, IDS_MENU_EXIT},
    {MenuText::Position, 0, 1, IDS_MENU_TOOLS},
    {MenuText::Command, 2, IDM_FILTER, IDS_MENU_FILTER},
    {MenuText::Command, 2, IDM_MAP, IDS_MENU_MAP},
    {MenuText::Command, 2, IDM_REPEATS, IDS_MENU_REPEATS},
    {MenuText::Position, 0, 2, IDS_MENU_HELP},
    {MenuText::Command, 3, IDM_ABOUT, IDS_MENU_ABOUT},
};

// Header texts; 0 stands for the type list's built-in "#" over its check boxes.
constexpr UINT kObjectColumns[] = {IDS_COLUMN_COORDINATES, IDS_COLUMN_TYPE, IDS_COLUMN_SPEED_LIMIT,
                                   IDS_COLUMN_COMMENT};
constexpr UINT kTypeColumns[] = {0, IDS_COLUMN_TYPE, IDS_COLUMN_COUNT, IDS_COLUMN_DESCRIPTION,
                                 IDS_COLUMN_MESSAGE_FORMAT};

struct Anchor {
    int id;
    bool keep_width, keep_y, keep_height;
};
// The object side keeps its width; the type side widens; both lists and group boxes grow
// downward; the status bar follows the bottom edge. The radio buttons stay put.
// Each control placed is raised above the others, so the last one ends on top. The order
// leaves each hint right before its list, as the dialog's tab order needs for the hint's
// access key to reach the list, and the object list first.
constexpr Anchor kAnchors[] = {
    {IDC_STATUS_BAR, false, false, false}, {IDC_TYPE_LIST, false, true, false},
    {IDC_TYPE_HINT, false, true, true},    {IDC_TYPE_GROUP, false, true, false},
    {IDC_OBJECT_LIST, true, true, false},  {IDC_OBJECT_HINT, true, true, true},
    {IDC_OBJECT_GROUP, true, true, false},
};

void set_menu_texts(HWND window, AppState& state) {
    HMENU bar = GetMenu(window);
    if (bar == nullptr) return;
    const HMENU menus[] = {bar, GetSubMenu(bar, 0), GetSubMenu(bar, 1), GetSubMenu(bar, 2)};
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING | MIIM_STATE;
    info.fType = MFT_STRING;
    info.fState = 0;  // every item enabled and unchecked
    for (const MenuText& t : kMenuTexts) {
        info.dwTypeData = const_cast<wchar_t*>(load_string(state, t.text));
        SetMenuItemInfoW(menus[t.menu], t.item, t.by == MenuText::Position, &info);
    }
    CheckMenuItem(bar, IDM_REPEATS, MF_BYCOMMAND | (state.drop_repeats ? MF_CHECKED : 0));
}

// How much narrower than its template the user can make the window, in dialog units: the
// type side gives it up, so that the window fits a 1280-pixel screen at 150 %.
constexpr int kNarrowerThanTemplate = 48;

// The widths are kept at 96 DPI; a negative one lets the control choose.
void insert_columns(HWND list, AppState& state, std::span<const UINT> texts,
                    std::span<const std::int32_t> widths, int dpi) {
    for (std::size_t i = 0; i < texts.size(); ++i)
        lv_insert_column(list, static_cast<int>(i),
                         texts[i] == 0 ? L"#" : load_string(state, texts[i]),
                         widths[i] < 0 ? widths[i] : scale_to(widths[i], dpi));
}

int column_count(HWND list) {
    const HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    return static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
}

void store_column_widths(HWND list, std::span<std::int32_t> widths, int dpi) {
    const int count = column_count(list);
    for (int i = 0; i < count && static_cast<std::size_t>(i) < widths.size(); ++i)
        widths[i] = scale_from(static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, i, 0)), dpi);
}

void rescale_columns(HWND list, int from_dpi, int to_dpi) {
    for (int i = column_count(list); i-- > 0;) {
        const auto cx = static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, i, 0));
        SendMessageW(list, LVM_SETCOLUMNWIDTH, i, MulDiv(cx, to_dpi, from_dpi));
    }
}

// The icon at the small-icon size of the DPI.
void set_icon(HWND window, MainWindow& w, int dpi) {
    const int cx = system_metric(SM_CXSMICON, dpi), cy = system_metric(SM_CYSMICON, dpi);
    UniqueIcon icon(static_cast<HICON>(LoadImageW(static_cast<HINSTANCE>(w.state->instance),
                                                  MAKEINTRESOURCEW(IDI_ORVANE), IMAGE_ICON, cx, cy,
                                                  LR_DEFAULTCOLOR)));
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon.get()));
    w.icon = std::move(icon);
}

BOOL on_init(HWND window, AppState& state) {
    MainWindow& w = g_main;
    w.state = &state;
    w.dpi = w.created_dpi = window_dpi(window);
    keep_dialog_layout_own(window);
    const HINSTANCE instance = static_cast<HINSTANCE>(state.instance);
    set_icon(window, w, w.dpi);
    w.arrow_cursor = LoadCursorW(nullptr, IDC_ARROW);
    w.wait_cursor = LoadCursorW(nullptr, IDC_WAIT);

    w.filling = false;
    w.encoding = TextEncoding::Utf8;
    w.format = InputFormat::Navitel;
    w.files.clear();
    w.repeats = 0;
    w.unknown_types.clear();
    w.unknown_text = GetSysColor(COLOR_GRAYTEXT);
    w.file_text = 0;

    SetWindowTextW(window, load_string(state, IDS_MAIN_TITLE));
    SetWindowTextW(GetDlgItem(window, IDC_OBJECT_GROUP), load_string(state, IDS_OBJECT_GROUP));
    SetWindowTextW(GetDlgItem(window, IDC_OBJECT_HINT), load_string(state, IDS_OBJECT_HINT));
    SetWindowTextW(GetDlgItem(window, IDC_TYPE_HINT), load_string(state, IDS_TYPE_HINT));
    SetWindowTextW(GetDlgItem(window, IDC_ENCODING_UTF16), load_string(state, IDS_ENCODING_UTF16));
    SetWindowTextW(GetDlgItem(window, IDC_ENCODING_UTF8), load_string(state, IDS_ENCODING_UTF8));
    SetWindowTextW(GetDlgItem(window, IDC_ENCODING_ANSI), load_string(state, IDS_ENCODING_ANSI));
    set_menu_texts(window, state);

    const HWND objects = GetDlgItem(window, IDC_OBJECT_LIST);
    list_attach(w.objects, objects);
    lv_add_ext_style(objects, LVS_EX_FULLROWSELECT);
    insert_columns(objects, state, kObjectColumns, state.list1_widths, w.dpi);

    const HWND types = GetDlgItem(window, IDC_TYPE_LIST);
    list_attach(w.types, types);
    lv_add_ext_style(types, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    insert_columns(types, state, kTypeColumns, state.list2_widths, w.dpi);

    w.status_bar = CreateWindowExW(
        0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, window,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_STATUS_BAR)), instance, nullptr);

    // The reference rectangles are the template's; the WM_SIZE of the move finds no
    // registered control yet.
    anchor_begin(w.anchor, window);
    RECT narrower = {0, 0, kNarrowerThanTemplate, 0};
    MapDialogRect(window, &narrower);
    w.anchor.min_size.cx -= narrower.right;
    place_window(window, state.window_rect, w.anchor.window_rect0, w.anchor.min_size, w.dpi);
    for (const Anchor& a : kAnchors) {
        const HWND control = GetDlgItem(window, a.id);
        if (control != nullptr)
            anchor_add(w.anchor, control, a.keep_width, a.keep_y, a.keep_height);
    }
    anchor_relayout(w.anchor);
    w.status_parts.dpi = w.dpi;
    if (w.status_bar != nullptr) {
        status_parts_fit(w.status_parts, w.status_bar, state);
        sb_set_text(w.status_bar, 0, load_string(state, IDS_STATUS_NO_FILE));
    }

    load_camera_types(state.types, state.type_config_path, InputFormat::Navitel);
    update_encoding_buttons(window);
    return TRUE;
}

void on_size(HWND window) {
    MainWindow& w = g_main;
    anchor_relayout(w.anchor);
    if (w.status_bar != nullptr && w.state != nullptr) {
        status_parts_update(w.status_parts, w.status_bar, *w.state);
        show_file_part(w.status_bar, *w.state);
    }
    RECT client = {};
    GetClientRect(window, &client);
    InvalidateRect(window, &client, TRUE);
}

void on_destroy(HWND window) {
    MainWindow& w = g_main;
    if (w.state == nullptr) return;
    AppState& state = *w.state;
    store_column_widths(w.objects.list, state.list1_widths, w.dpi);
    store_column_widths(w.types.list, state.list2_widths, w.dpi);
    // The object list has no rows of its own, only a count; nothing of it is to be freed.
    SendMessageW(w.objects.list, LVM_SETITEMCOUNT, 0, 0);
    list_release(w.objects);
    list_release(w.types);
    store_placement(window, state.window_rect, w.dpi);
    save_camera_types_or_tell(window);
    w.files.clear();
    w.unknown_types.clear();
    w.icon.reset();
    w.font.reset();
    w.status_bar = nullptr;
    w.status_tip = nullptr;  // destroyed with its owner, this window
    w.file_text = 0;
    w.anchor.entries.clear();
    w.anchor.parent = nullptr;
    w.state = nullptr;
}

// The window moved to a screen of another DPI, or the user changed the scale: everything the
// window sized in pixels follows, and the window takes the rectangle Windows suggests.
void on_dpi_changed(HWND window, int dpi, const RECT& suggested) {
    MainWindow& w = g_main;
    if (w.state == nullptr) return;
    if (dpi > 0 && dpi != w.dpi) {
        const int old = std::exchange(w.dpi, dpi);
        // The controls take the new font before the old one is deleted.
        w.font.reset(set_controls_font(window, w.created_dpi, dpi));
        rescale_controls(window, old, dpi);
        anchor_rescale(w.anchor, old, dpi);
        rescale_columns(w.objects.list, old, dpi);
        rescale_columns(w.types.list, old, dpi);
        w.status_parts.dpi = dpi;
        set_icon(window, w, dpi);
    }
    SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    // Also when the size stayed: the controls' places and the parts' widths are new.
    anchor_relayout(w.anchor);
    if (w.status_bar != nullptr) {
        status_parts_fit(w.status_parts, w.status_bar, *w.state);
        show_file_part(w.status_bar, *w.state);
    }
    InvalidateRect(window, nullptr, TRUE);
}

}  // namespace

MainWindow& main_window() {
    return g_main;
}

void update_encoding_buttons(HWND window) {
    constexpr int kButtons[] = {IDC_ENCODING_UTF16, IDC_ENCODING_UTF8, IDC_ENCODING_ANSI};
    for (int id : kButtons) SendDlgItemMessageW(window, id, BM_SETCHECK, BST_UNCHECKED, 0);
    const int index = static_cast<int>(g_main.encoding);
    if (index >= 0 && index < 3)
        SendDlgItemMessageW(window, kButtons[index], BM_SETCHECK, BST_CHECKED, 0);
}

void begin_wait() {
    g_main.cursor_mode = 1;
    SetCursor(g_main.wait_cursor);
}

void end_wait() {
    g_main.cursor_mode = 0;
    SetCursor(g_main.arrow_cursor);
}

namespace {

INT_PTR on_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_INITDIALOG:
            return on_init(window, *reinterpret_cast<AppState*>(lparam));
        case WM_SIZE:
            on_size(window);
            return 0;
        case WM_GETMINMAXINFO:
            // Before set-up there is no reference size yet; the defaults apply.
            if (g_main.anchor.parent != window) return FALSE;
            anchor_min_track_size(g_main.anchor, *reinterpret_cast<MINMAXINFO*>(lparam));
            return 0;
        case WM_DPICHANGED:
            on_dpi_changed(window, LOWORD(wparam), *reinterpret_cast<const RECT*>(lparam));
            return TRUE;
        case WM_SETCURSOR:
            if (g_main.cursor_mode == 0) {
                SetCursor(g_main.arrow_cursor);
                return FALSE;
            }
            SetCursor(g_main.wait_cursor);
            SetWindowLongPtrW(window, DWLP_MSGRESULT, TRUE);
            return TRUE;
        case WM_COMMAND:
            return main_window_command(window, LOWORD(wparam));
        case WM_NOTIFY:
            return main_window_notify(window, *reinterpret_cast<NMHDR*>(lparam));
        case WM_DESTROY:
            on_destroy(window);
            return 0;
        default:
            return FALSE;
    }
}

}  // namespace

void run_main_window(AppState& state) {
    run_dialog<on_message>(state.instance, IDD_MAIN, nullptr, &state);
}

HWND create_main_window(AppState& state) {
    return create_dialog<on_message>(state.instance, IDD_MAIN, nullptr, &state);
}
