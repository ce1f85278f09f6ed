#include "main_commands.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <new>
#include <string>

#include "about_dialog.h"
#include "camera_types.h"
#include "drive_dialog.h"
#include "element_editor.h"
#include "file_io.h"
#include "filter_dialog.h"
#include "main_window.h"
#include "map_window.h"
#include "resource.h"
#include "show_file.h"
#include "strings.h"
#include "type_summary.h"

namespace {

// Room for a long path; the dialogs are told one less, for the terminator.
constexpr DWORD kPathCapacity = 1025;

// Long operations show the wait cursor until they end, however they end.
class WaitCursor {
  public:
    WaitCursor() { begin_wait(); }
    ~WaitCursor() { end_wait(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// A file that cannot be read (gone, locked, a folder) leaves empty lists, and the user is told
// which. So is a file whose every object lies outside the area filter, which persists from
// file to file and from run to run: the lists would be empty with no word of why. The user
// may switch the filter off then and there. False when a file could not be read.
bool show_files_or_tell(HWND window) {
    MainWindow& w = main_window();
    AppState& state = *w.state;
    bool read;
    std::size_t failed = 0;
    {
        WaitCursor wait;
        read = show_speedcam_files(w.files, w.status_bar, &failed);
    }
    if (!read) {
        MessageBoxW(window, load_string(state, IDS_READ_FAILED, w.files[failed]), L"Error",
                    MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (!state.records.empty() || state.records.kept_out() == 0) return true;
    const auto title = load_string_copy(state, IDS_MAIN_TITLE);
    const int answer = MessageBoxW(
        window, load_string(state, IDS_FILTER_HIDES_ALL, grouped(state.records.kept_out())),
        title ? title->c_str() : nullptr, MB_YESNO | MB_ICONQUESTION);
    if (answer != IDYES) return true;
    state.filter.area = AreaFilter{};
    WaitCursor wait;
    show_speedcam_files(w.files, w.status_bar);
    return true;
}

// A file read in the wrong dialect would export nothing: none of its types is in this
// dialect's table, most are in the other's. The user is asked whether to open it as the other
// format; "Да" does so.
void offer_other_dialect(HWND window, const std::wstring& path) {
    MainWindow& w = main_window();
    AppState& state = *w.state;
    const TypeTally& tally = state.records.type_tally();
    if (tally.counts().empty() || exportable_records(tally, state.types) > 0) return;
    const InputFormat other =
        w.format == InputFormat::Igo ? InputFormat::Navitel : InputFormat::Igo;
    CameraTypeList other_types;
    load_camera_types(other_types, state.type_config_path, other);
    if (!fits_other_dialect(tally, state.types, other_types)) return;
    const std::optional<std::wstring> title = load_string_copy(state, IDS_MAIN_TITLE);
    const unsigned question =
        other == InputFormat::Igo ? IDS_ASK_OPEN_AS_IGO : IDS_ASK_OPEN_AS_NAVITEL;
    if (MessageBoxW(window, load_string(state, question), title ? title->c_str() : nullptr,
                    MB_YESNO | MB_ICONQUESTION) == IDYES)
        open_speedcam_file(window, other, path);
}

void show_current_file_again(HWND window) {
    if (!main_window().files.empty()) show_files_or_tell(window);
}

// Clicking the button of the encoding in use reads the file again all the same.
void change_encoding(HWND window, TextEncoding encoding) {
    main_window().encoding = encoding;
    show_current_file_again(window);
    update_encoding_buttons(window);
}

void open_command(HWND window, InputFormat format) {
    const std::optional<std::wstring> path = choose_speedcam_file(window);
    if (path) open_speedcam_file(window, format, *path);
}

void add_file_command(HWND window) {
    const std::optional<std::wstring> path = choose_speedcam_file(window);
    if (path) add_speedcam_file(window, *path);
}

// "Убирать повторы": the setting is kept in Orvane.ini, and the files are read again with it.
void repeats_command(HWND window) {
    MainWindow& w = main_window();
    w.state->drop_repeats = w.state->drop_repeats == 0;
    CheckMenuItem(GetMenu(window), IDM_REPEATS,
                  MF_BYCOMMAND | (w.state->drop_repeats ? MF_CHECKED : MF_UNCHECKED));
    show_current_file_again(window);
}

// An export that would hold no object is no success: it is refused, with what to do, before
// a dialog asks where to write it, so that no empty list replaces a good one on the stick.
bool something_to_export_or_tell(HWND window) {
    const MainWindow& w = main_window();
    AppState& state = *w.state;
    const ExportPlan plan = plan_export(state.records, state.types);
    if (plan.objects > 0 || plan.result == ExportResult::Failed) return true;
    const unsigned why = w.files.empty()                ? IDS_NOTHING_NO_FILE
                         : !state.records.empty()       ? IDS_NOTHING_UNCHECKED
                         : state.records.kept_out() > 0 ? IDS_NOTHING_FILTERED
                                                        : IDS_NOTHING_NO_OBJECTS;
    MessageBoxW(window, load_string(state, why), L"Error", MB_OK | MB_ICONEXCLAMATION);
    return false;
}

// Without OFN_FILEMUSTEXIST, which a save dialog must not have: with it the user could only
// overwrite an existing speedcam.csv, never write a new one.
void save_as(HWND window) {
    if (!something_to_export_or_tell(window)) return;
    std::wstring file(kPathCapacity, L'\0');
    file.replace(0, 12, L"speedcam.csv");
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window;
    dialog.lpstrFilter = L"Nissan Connect (speedcam.csv)\0speedcam.csv\0";
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = kPathCapacity - 1;
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
    if (!GetSaveFileNameW(&dialog)) return;
    file.resize(wcsnlen(file.c_str(), file.size()));
    export_and_report(window, file);
}

void drive_export(HWND window) {
    if (!something_to_export_or_tell(window)) return;
    const std::optional<std::wstring> path = run_drive_dialog(window, *main_window().state);
    if (path) export_and_report(window, *path);
}

void filter_command(HWND window) {
    if (run_filter_dialog(window, *main_window().state)) show_current_file_again(window);
}

// The map may also have set or taken away the home point, which orders the export.
void map_command(HWND window) {
    MainWindow& w = main_window();
    if (run_map_window(window, *w.state, {w.files, w.encoding, w.format}) && !w.files.empty()) {
        show_current_file_again(window);
        return;
    }
    order_export(*w.state);
    show_export_budget(w.status_bar, *w.state);
}

CameraType* type_of_row(int row) {
    const std::optional<LPARAM> payload = list_row_payload(main_window().types, row);
    return payload && *payload != 0 ? reinterpret_cast<CameraType*>(*payload) : nullptr;
}

// The stand-in of a row whose type the table lacks.
bool not_in_table(const CameraType* type) {
    const std::vector<CameraType>& unknown = main_window().unknown_types;
    return !unknown.empty() && type >= unknown.data() && type < unknown.data() + unknown.size();
}

// A type the table lacks, given a message in the editor, joins the table checked for export
// and is saved with it; the rows, which point into the table, are made anew.
void add_type(HWND window, std::int32_t id) {
    MainWindow& w = main_window();
    AppState& state = *w.state;
    CameraType type{};
    type.id = id;
    load_string_copy(state, IDS_TYPE_NEW_DESC, id).value_or(L"").copy(type.description, 126);
    if (!run_element_editor(window, state, type, true) || type.message_format[0] == L'\0') return;
    type.export_enabled = 1;
    if (!append_camera_type(state.types, type)) return;
    show_types_again(w.status_bar);
}

void edit_type(HWND window, int row) {
    CameraType* type = type_of_row(row);
    if (type == nullptr) return;
    if (not_in_table(type)) return add_type(window, type->id);
    MainWindow& w = main_window();
    if (!run_element_editor(window, *w.state, *type)) return;
    lv_set_cell(w.types.list, row, 4, type->message_format);
    show_export_budget(w.status_bar, *w.state);  // the message's length is part of the size
}

// Every change the user makes to a box, with the mouse or the space bar, reaches the type at
// once; the states the program sets while it fills the list are the types' own already.
void type_item_changed(const NMLISTVIEW& change) {
    if (main_window().filling || change.iItem < 0 || (change.uChanged & LVIF_STATE) == 0 ||
        ((change.uOldState ^ change.uNewState) & LVIS_STATEIMAGEMASK) == 0)
        return;
    CameraType* type = type_of_row(change.iItem);
    if (type == nullptr) return;
    // A type the table lacks cannot be exported until it is added: its box stays clear.
    if (not_in_table(type)) {
        MainWindow& w = main_window();
        w.filling = true;
        ListView_SetCheckState(w.types.list, change.iItem, FALSE);
        w.filling = false;
        return;
    }
    switch (change.uNewState & LVIS_STATEIMAGEMASK) {
        case INDEXTOSTATEIMAGEMASK(1):
            type->export_enabled = 0;
            break;
        case INDEXTOSTATEIMAGEMASK(2):
            type->export_enabled = 1;
            break;
        default:
            return;
    }
    MainWindow& w = main_window();
    show_export_budget(w.status_bar, *w.state);
}

// Enter in the main window arrives as OK, which the window has no button for; on the type
// list it opens the editor of the chosen row, as a double click does.
void enter_pressed(HWND window) {
    const HWND types = main_window().types.list;
    if (GetFocus() != types) return;
    const int row = static_cast<int>(
        SendMessageW(types, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (row >= 0) edit_type(window, row);
}

void type_list_notify(HWND window, const NMHDR& header) {
    switch (header.code) {
        case NM_DBLCLK: {
            const int row = reinterpret_cast<const NMITEMACTIVATE&>(header).iItem;
            if (row >= 0) edit_type(window, row);
            break;
        }
        case LVN_ITEMCHANGED:
            type_item_changed(reinterpret_cast<const NMLISTVIEW&>(header));
            break;
        default:
            break;
    }
}

INT_PTR run_command(HWND window, WORD id) {
    switch (id) {
        case IDCANCEL:
        case IDM_EXIT:
            EndDialog(window, id);
            return TRUE;
        case IDOK:
            enter_pressed(window);
            return TRUE;
        case IDC_ENCODING_UTF16:
        case IDC_ENCODING_UTF8:
        case IDC_ENCODING_ANSI:
            change_encoding(window, static_cast<TextEncoding>(id - IDC_ENCODING_UTF16));
            return FALSE;
        case IDM_OPEN_NAVITEL:
            open_command(window, InputFormat::Navitel);
            return FALSE;
        case IDM_OPEN_IGO:
            open_command(window, InputFormat::Igo);
            return FALSE;
        case IDM_ADD_FILE:
            add_file_command(window);
            return FALSE;
        case IDM_REPEATS:
            repeats_command(window);
            return FALSE;
        case IDM_SAVE_AS:
            save_as(window);
            return FALSE;
        case IDM_PREPARE_DRIVE:
            drive_export(window);
            return FALSE;
        case IDM_FILTER:
            filter_command(window);
            return FALSE;
        case IDM_MAP:
            map_command(window);
            return FALSE;
        case IDM_ABOUT:
            show_about_dialog(window, *main_window().state);
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

INT_PTR main_window_command(HWND window, WORD id) {
    if (main_window().state == nullptr) return FALSE;
    // A command that runs out of memory ends without effect; nothing may leave the procedure.
    try {
        return run_command(window, id);
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
}

INT_PTR main_window_notify(HWND window, NMHDR& header) {
    if (main_window().state == nullptr) return 0;
    try {
        if (header.idFrom == IDC_OBJECT_LIST && header.code == LVN_GETDISPINFOW)
            object_list_display_info(reinterpret_cast<NMLVDISPINFOW&>(header));
        else if (header.idFrom == IDC_TYPE_LIST && header.code == NM_CUSTOMDRAW)
            // The rows of types the table lacks are grey.
            return list_custom_draw(main_window().types, window,
                                    reinterpret_cast<NMLVCUSTOMDRAW&>(header));
        else if (header.idFrom == IDC_TYPE_LIST)
            type_list_notify(window, header);
    } catch (const std::bad_alloc&) {
    }
    return 0;
}

std::optional<std::wstring> choose_speedcam_file(HWND owner) {
    std::wstring file(kPathCapacity, L'\0');
    // Files are seldom named speedcam.txt as they come ("SpeedCamOnline.ru_2019-11-05_PRIMO_
    // Rus.txt"), so every text file is the second choice. Pairs of texts, each ended by a zero.
    using namespace std::string_literals;
    const std::wstring filter =
        L"Speedcam (speedcam.txt)\0speedcam.txt\0"s +
        load_string_copy(*main_window().state, IDS_OPEN_TXT_FILES).value_or(L"*.txt") +
        L"\0*.txt\0All files (*.*)\0*.*\0"s;
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = kPathCapacity - 1;
    dialog.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    if (!GetOpenFileNameW(&dialog)) return std::nullopt;
    file.resize(wcsnlen(file.c_str(), file.size()));
    return file;
}

void open_speedcam_file(HWND window, InputFormat format, const std::wstring& path) {
    MainWindow& w = main_window();
    AppState& state = *w.state;
    if (format != w.format) {
        WaitCursor wait;
        // The save writes the section of the dialect still in force, so it comes first.
        save_camera_types_or_tell(window);
        w.format = format;
        load_camera_types(state.types, state.type_config_path, format);
    }
    w.files = {path};
    if (show_files_or_tell(window)) offer_other_dialect(window, path);
}

// One that cannot be read is left out again, and the others are shown as before.
void add_speedcam_file(HWND window, const std::wstring& path) {
    MainWindow& w = main_window();
    if (w.files.empty()) return open_speedcam_file(window, w.format, path);
    // The same file again would show and export each of its objects twice.
    if (std::ranges::any_of(w.files, [&](const std::wstring& f) { return same_file(f, path); })) {
        MessageBoxW(window, load_string(*w.state, IDS_FILE_ALREADY_SHOWN, path), L"Error",
                    MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    w.files.push_back(path);
    if (show_files_or_tell(window)) return;
    w.files.pop_back();
    show_files_or_tell(window);
}

void save_camera_types_or_tell(HWND owner) {
    const MainWindow& w = main_window();
    AppState& state = *w.state;
    if (!save_camera_types(state.types, state.type_config_path, w.format))
        MessageBoxW(owner, load_string(state, IDS_TYPES_SAVE_FAILED, state.type_config_path),
                    L"Error", MB_OK | MB_ICONEXCLAMATION);
}

ExportResult export_and_report(HWND window, const std::wstring& path) {
    AppState& state = *main_window().state;
    ExportResult result;
    {
        WaitCursor wait;
        result = export_speedcam_csv(state.records, state.types, path, kExportSizeCap,
                                     state.export_order);
    }
    switch (result) {
        case ExportResult::Complete:
            MessageBoxW(window, load_string(state, IDS_EXPORT_DONE), L"OK",
                        MB_OK | MB_ICONINFORMATION);
            break;
        case ExportResult::Capped:
            MessageBoxW(window,
                        load_string(state, IDS_EXPORT_CAPPED,
                                    static_cast<unsigned>(kExportSizeCap / (1024 * 1024))),
                        L"OK", MB_OK | MB_ICONINFORMATION);
            break;
        default:
            MessageBoxW(window, load_string(state, IDS_EXPORT_FAILED), L"Error",
                        MB_OK | MB_ICONEXCLAMATION);
            break;
    }
    return result;
}
