#include "drive_dialog.h"

#include <commctrl.h>
#include <dbt.h>

#include <cstdint>
#include <utility>

#include "dpi.h"
#include "list_control.h"
#include "resource.h"
#include "strings.h"
#include "win32.h"

namespace {

// The head unit reads only FAT and FAT32, and only sticks below 8 GiB.
constexpr std::uint64_t kLargestSuitableKb = 8u * 1024u * 1024u;

// Rows point at these colours, so they live as long as the dialog.
struct DriveRowColors {
    COLORREF default_text;
    COLORREF default_back;
    COLORREF suitable_text;
    COLORREF suitable_back;
    COLORREF unsuitable_text;
    COLORREF unsuitable_back;
};

// The payload of a row whose drive the head unit cannot read.
constexpr LPARAM kUnsuitable = L'-';

struct DriveDialogParam {
    AppState* state;
    const DriveQueries* queries;
    std::optional<std::wstring> target;  // set only when the user confirmed a suitable drive
};

DriveDialogParam* g_param = nullptr;
ListControl g_drives;
DriveRowColors g_colors = {};
int g_dpi = 96;  // of the screen the dialog is on

void set_cell(int row, int column, const wchar_t* text) {
    lv_set_cell(g_drives.list, row, column, text);
}

bool is_fat(const wchar_t* file_system) {
    return CompareStringOrdinal(file_system, -1, L"FAT", -1, TRUE) == CSTR_EQUAL ||
           CompareStringOrdinal(file_system, -1, L"FAT32", -1, TRUE) == CSTR_EQUAL;
}

// One row for a removable drive with a readable volume; other letters are left out.
void add_drive(const DriveQueries& queries, wchar_t letter) {
    const wchar_t root[] = {letter, L':', L'\\', L'\0'};
    if (queries.drive_type(root) != DRIVE_REMOVABLE) return;
    wchar_t label[MAX_PATH + 1] = {};
    wchar_t file_system[MAX_PATH + 1] = {};
    // A card reader without a card has no volume to show.
    if (!queries.volume_information(root, label, MAX_PATH + 1, nullptr, nullptr, nullptr,
                                    file_system, MAX_PATH + 1))
        return;

    const int row = list_append_row(g_drives, L"");
    if (row < 0) return;
    list_set_row_colors(g_drives, row, &g_colors.default_text, &g_colors.default_back);
    set_cell(row, 1, root);
    set_cell(row, 2, label[0] != L'\0' ? label : L"-");
    set_cell(row, 3, file_system);

    // Unsigned, so that no size can wrap round into a small one. A drive that will not tell
    // its size counts as empty.
    ULARGE_INTEGER total = {};
    if (queries.disk_free_space(root, nullptr, &total, nullptr)) {
        const std::int64_t gb = static_cast<std::int64_t>(total.QuadPart / 1024 / 1048576);
        const auto size = gb >= 1 ? format_string(L"~ %I64d Gb", gb)
                                  : format_string(L"< %I64d Gb", std::int64_t{1});
        set_cell(row, 4, size ? size->c_str() : L"");
    } else {
        total.QuadPart = 0;
        set_cell(row, 4, L"-");
    }

    if (is_fat(file_system) && total.QuadPart / 1024 < kLargestSuitableKb) {
        list_set_row_colors(g_drives, row, &g_colors.suitable_text, &g_colors.suitable_back);
        list_set_row_payload(g_drives, letter, row);
    } else {
        list_set_row_colors(g_drives, row, &g_colors.unsuitable_text, &g_colors.unsuitable_back);
        list_set_row_payload(g_drives, kUnsuitable, row);
    }
}

int chosen_row() {
    return static_cast<int>(SendMessageW(g_drives.list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                         LVNI_FOCUSED | LVNI_SELECTED));
}

// OK takes the chosen row; without one it is greyed, as it would do nothing.
void enable_ok(HWND dialog) {
    EnableWindow(GetDlgItem(dialog, IDOK), chosen_row() >= 0);
}

// Lists the drives there are now, keeping the one chosen when it is still there. When none
// will do, a line says so and what to do; the list follows the drives that come and go.
void scan_drives(HWND dialog) {
    const std::optional<LPARAM> chosen = list_row_payload(g_drives, chosen_row());
    list_clear(g_drives);
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) add_drive(*g_param->queries, letter);
    bool suitable = false;
    const int rows = static_cast<int>(SendMessageW(g_drives.list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) {
        const LPARAM letter = list_row_payload(g_drives, row).value_or(kUnsuitable);
        suitable = suitable || letter != kUnsuitable;
        if (chosen && *chosen == letter && letter != kUnsuitable) {
            const UINT on = LVIS_SELECTED | LVIS_FOCUSED;
            ListView_SetItemState(g_drives.list, row, on, on);
        }
    }
    const HWND none = GetDlgItem(dialog, IDC_DRIVE_NONE);
    SetWindowTextW(
        none, load_string(*g_param->state, rows == 0 ? IDS_DRIVE_NONE : IDS_DRIVE_NONE_SUITABLE));
    ShowWindow(none, suitable ? SW_HIDE : SW_SHOW);
    enable_ok(dialog);
}

BOOL on_init(HWND dialog, DriveDialogParam& param) {
    g_param = &param;
    AppState& state = *param.state;
    g_colors = {RGB(0, 0, 0),       RGB(255, 255, 255), RGB(0, 0, 0),
                RGB(200, 255, 200), RGB(0, 0, 0),       RGB(255, 200, 200)};

    SetWindowTextW(dialog, load_string(state, IDS_DRIVE_TITLE));
    SetDlgItemTextW(dialog, IDC_DRIVE_HINT, load_string(state, IDS_DRIVE_HINT));
    SetDlgItemTextW(dialog, IDOK, load_string(state, IDS_OK));
    SetDlgItemTextW(dialog, IDCANCEL, load_string(state, IDS_CANCEL));

    list_attach(g_drives, GetDlgItem(dialog, IDC_DRIVE_LIST));
    lv_add_ext_style(g_drives.list, LVS_EX_FULLROWSELECT);
    const int dpi = g_dpi = window_dpi(dialog);
    lv_insert_column(g_drives.list, 0, L"#", scale_to(20, dpi));
    const unsigned headers[] = {IDS_DRIVE_LETTER, IDS_DRIVE_LABEL, IDS_DRIVE_FILE_SYSTEM,
                                IDS_DRIVE_SIZE};
    for (int i = 0; i < 4; ++i)
        lv_insert_column(g_drives.list, i + 1, load_string(state, headers[i]), scale_to(100, dpi));

    scan_drives(dialog);
    // Arrows choose a drive at once; OK waits until one is chosen.
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(g_drives.list), TRUE);
    return FALSE;  // the focus is set
}

void warn(HWND dialog, unsigned id) {
    MessageBoxW(dialog, load_string(*g_param->state, id), nullptr, MB_ICONWARNING);
}

// A folder of that name already there is fine; a file of that name is in the way.
bool ensure_folder(const std::optional<std::wstring>& path) {
    if (!path) return false;
    const DWORD attributes = GetFileAttributesW(path->c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return true;
    return CreateDirectoryW(path->c_str(), nullptr) != 0;
}

void on_ok(HWND dialog) {
    const int row = chosen_row();
    if (row < 0) return;
    const wchar_t letter = LOWORD(list_row_payload(g_drives, row).value_or(0));
    // A row without a letter (its data could not be made) is no drive to write to either.
    if (letter < L'A' || letter > L'Z') {
        warn(dialog, IDS_DRIVE_UNSUITABLE);
        return;
    }
    if (!ensure_folder(format_string(L"%c:\\myPOIs", letter)) ||
        !ensure_folder(format_string(L"%c:\\myPOIs\\myPOIWarnings", letter))) {
        warn(dialog, IDS_DRIVE_FOLDERS_FAILED);
        return;
    }
    g_param->target = format_string(L"%c:\\myPOIs\\myPOIWarnings\\speedcam.csv", letter);
    if (!g_param->target) {
        warn(dialog, IDS_DRIVE_FOLDERS_FAILED);
        return;
    }
    EndDialog(dialog, IDOK);
}

INT_PTR on_message(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_INITDIALOG:
            return on_init(dialog, *reinterpret_cast<DriveDialogParam*>(lparam));
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lparam);
            if (header->idFrom == IDC_DRIVE_LIST && header->code == NM_CUSTOMDRAW)
                return list_custom_draw(g_drives, dialog,
                                        *reinterpret_cast<NMLVCUSTOMDRAW*>(lparam));
            if (header->idFrom == IDC_DRIVE_LIST && header->code == LVN_ITEMCHANGED)
                enable_ok(dialog);
            return FALSE;
        }
        case WM_DEVICECHANGE:
            // A stick put in or pulled out; other changes leave the drive letters as they are.
            if (wparam == DBT_DEVICEARRIVAL || wparam == DBT_DEVICEREMOVECOMPLETE)
                scan_drives(dialog);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wparam) == IDOK) {
                on_ok(dialog);
                return TRUE;
            }
            return end_on_ok_or_cancel(dialog, wparam);
        case WM_DPICHANGED: {
            // The dialog manager scales the template's controls and fonts; the columns are ours.
            const int dpi = LOWORD(wparam);
            for (int i = 0; i < 5 && dpi > 0 && dpi != g_dpi; ++i)
                SendMessageW(
                    g_drives.list, LVM_SETCOLUMNWIDTH, i,
                    MulDiv(static_cast<int>(SendMessageW(g_drives.list, LVM_GETCOLUMNWIDTH, i, 0)),
                           dpi, g_dpi));
            if (dpi > 0) g_dpi = dpi;
            return FALSE;
        }
        case WM_DESTROY:
            list_release(g_drives);
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

std::optional<std::wstring> run_drive_dialog(HWND owner, AppState& state) {
    return run_drive_dialog(owner, state, DriveQueries{});
}

std::optional<std::wstring> run_drive_dialog(HWND owner, AppState& state,
                                             const DriveQueries& queries) {
    DriveDialogParam param{&state, &queries, std::nullopt};
    const INT_PTR result = run_dialog<on_message>(state.instance, IDD_DRIVE, owner, &param);
    g_param = nullptr;
    if (result != IDOK) return std::nullopt;
    return std::move(param.target);
}
