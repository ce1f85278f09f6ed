// The main window at work: files opened through the open command's own routine, the lists
// and status bar they fill, the type list's check boxes, the element editor, the filter
// dialog, the dialect switch and the export with its message box.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <utility>
#include <string>
#include <vector>

#include "camera_types.h"
#include "main_commands.h"
#include "main_window.h"
#include "resource.h"
#include "test_support.h"
#include "win_test_util.h"

using wintest::window_text;

namespace {

// The first visible window of this thread that `owner` owns: a dialog or message box.
HWND owned_by(HWND owner) {
    std::pair<HWND, HWND> search{owner, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM p) -> BOOL {
            auto& [wanted, found] = *reinterpret_cast<std::pair<HWND, HWND>*>(p);
            if (GetWindow(window, GW_OWNER) != wanted || !IsWindowVisible(window)) return TRUE;
            found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.second;
}

bool with_dialog(HWND owner, const std::function<void(HWND)>& act,
                 const std::function<void()>& start) {
    return wintest::while_running([owner] { return owned_by(owner); }, act, start);
}

void press(HWND dialog, int button) {
    PostMessageW(dialog, WM_COMMAND, button, 0);
}

class CommandsTest : public testing::Test {
  protected:
    void SetUp() override {
        state_ = wintest::make_state(test::to_wide_path(dir_.path()) + L"\\");
        config_ = state_.type_config_path;
        test::write_bytes(config_, test::read_bytes(test::data_path("golden_config.txt")));
        window_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN), nullptr,
                                     main_window_proc, reinterpret_cast<LPARAM>(&state_));
        ASSERT_NE(window_, nullptr);
        objects_ = GetDlgItem(window_, IDC_OBJECT_LIST);
        types_ = GetDlgItem(window_, IDC_TYPE_LIST);
    }
    void TearDown() override {
        if (window_) DestroyWindow(window_);
    }

    void open(InputFormat format, const std::wstring& path) {
        open_speedcam_file(window_, format, path);
    }
    std::wstring write(const char* name, std::string_view bytes) {
        const std::wstring path = dir_.file(name);
        test::write_bytes(path, bytes);
        return path;
    }
    static std::wstring cell(HWND list, int row, int column) {
        wchar_t text[256] = {};
        LVITEMW item = {};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = 256;
        SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
        return text;
    }
    static int rows(HWND list) {
        return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    }
    bool checked(int row) const {
        return (SendMessageW(types_, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK) &
                LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
    }
    std::wstring status(int part) const {
        wchar_t text[1024] = {};
        SendMessageW(GetDlgItem(window_, IDC_STATUS_BAR), SB_GETTEXTW, part,
                     reinterpret_cast<LPARAM>(text));
        return text;
    }
    // Each row as its cells joined by "|"; the type list's check box shows as "x" or "-".
    std::vector<std::wstring> table(HWND list) const {
        std::vector<std::wstring> out;
        for (int r = 0; r < rows(list); ++r) {
            std::wstring row = list == types_ ? (checked(r) ? L"x" : L"-") : cell(list, r, 0);
            for (int c = 1; c < (list == types_ ? 5 : 4); ++c) row += L"|" + cell(list, r, c);
            out.push_back(row);
        }
        return out;
    }
    CameraType& type_behind(int row) const {
        return *reinterpret_cast<CameraType*>(*list_row_payload(main_window().types, row));
    }
    POINT row_point(HWND list, int row, int x_offset) const {
        RECT r = {};
        r.left = LVIR_BOUNDS;
        SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r));
        return {r.left + x_offset, (r.top + r.bottom) / 2};
    }
    void click(HWND list, POINT p, UINT down = WM_LBUTTONDOWN, UINT up = WM_LBUTTONUP) {
        SendMessageW(list, down, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        SendMessageW(list, up, 0, MAKELPARAM(p.x, p.y));
    }
    // Runs an export and returns the message box's caption and text.
    std::wstring export_to(const std::wstring& path) {
        std::wstring seen;
        const auto act = [&](HWND box) {
            seen = window_text(box) + L": " + window_text(GetDlgItem(box, 0xFFFF));
            press(box, IDOK);
        };
        with_dialog(window_, act, [&] { export_and_report(window_, path); });
        return seen;
    }

    test::TempDir dir_;
    AppState state_;
    std::wstring config_;
    HWND window_ = nullptr, objects_ = nullptr, types_ = nullptr;
};

TEST_F(CommandsTest, NavitelAndIgoFilesFillBothListsAndTheStatusBar) {
    using Rows = std::vector<std::wstring>;
    const std::wstring navitel = test::data_path("navitel_lf.txt");
    open(InputFormat::Navitel, navitel);
    EXPECT_EQ(table(objects_),
              (Rows{L"37.61755, 55.75222|1|60|Камера на Тверской", L"37.58934, 55.73412|2|40|",
                    L"30.31413, 59.93863|4|90|Средняя скорость «КАД»",
                    L"37.62001, 55.75001|101|60|// ограничение", L"37.70012, 55.80034|1|60|"}));
    // Type 1 is met twice and has two table entries: one row, the first entry's texts.
    EXPECT_EQ(table(types_), (Rows{L"x|1|2|Стационарная камера|Камера %SPEED% км/ч",
                                   L"-|2|1|Светофор|Светофор %SPEED%",
                                   L"x|4|1|Средняя скорость|Средняя \"%SPEED%\" и снова %SPEED%",
                                   L"x|101|1|Ограничение скорости|Ограничение"}));
    EXPECT_EQ(&type_behind(0), &state_.types[0]);
    EXPECT_EQ(status(0), L"Файл: " + navitel + L" загружен");
    EXPECT_EQ(status(1), L"Тип: Формат Navitel (UTF-8)");
    EXPECT_EQ(status(2), L"Объектов: 5 (Фильтр: Откл)");

    const std::wstring igo = test::data_path("igo_indexed.txt");
    open(InputFormat::Igo, igo);
    EXPECT_EQ(rows(objects_), 3);
    EXPECT_EQ(table(types_),
              (Rows{L"x|192|1|Стационарная камера|Камера %SPEED%",
                    L"x|68|1|Красный свет|Красный свет", L"x|227|1|Участок без сообщения|"}));
    EXPECT_EQ(status(0), L"Файл: " + igo + L" загружен");
    EXPECT_EQ(status(1), L"Тип: Формат IGO (UTF-8)");

    // The ANSI button reads the current file again in the system code page.
    SendMessageW(window_, WM_COMMAND, IDC_ENCODING_ANSI, 0);
    EXPECT_EQ(status(1), L"Тип: Формат IGO (ANSI)");
    EXPECT_EQ(SendDlgItemMessageW(window_, IDC_ENCODING_ANSI, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(rows(objects_), 3);
}

TEST_F(CommandsTest, RecordTypeCases) {
    test::write_bytes(config_,
                      "[Navitel]\r\nCount=3\r\nID0=5\r\nDesc0=Five\r\nFmt0=F\r\nEnable0=1\r\n"
                      "ID1=7\r\nDesc1=Seven\r\nFmt1=S\r\nEnable1=0\r\n"
                      "ID2=5\r\nDesc2=Second five\r\nFmt2=G\r\nEnable2=0\r\n");
    load_camera_types(state_, config_, InputFormat::Navitel);
    const std::string header = "IDX,X,Y,TYPE,SPEED,DIRTYPE,DIRECTION\n";
    struct Case {
        const char* name;
        std::string text;
        int objects;
        std::vector<std::wstring> types;
    };
    const Case cases[] = {
        {"five_seven.txt",
         header + "1,37.1,55.1,5,60,1,0\n2,37.2,55.2,7,40,1,0\n3,37.3,55.3,5,90,1,0\n",
         3,
         {L"x|5|2|Five|F", L"-|7|1|Seven|S"}},
        {"unknown.txt", header + "1,37.1,55.1,8,60,1,0\n2,37.2,55.2,9,40,1,0\n", 2, {}},
        {"empty.txt", "", 0, {}},
    };
    for (const Case& c : cases) {
        const std::wstring path = write(c.name, c.text);
        open(InputFormat::Navitel, path);
        EXPECT_EQ(rows(objects_), c.objects) << c.name;
        EXPECT_EQ(table(types_), c.types) << c.name;
        EXPECT_EQ(status(0), L"Файл: " + path + L" загружен");
        EXPECT_EQ(status(2), L"Объектов: " + std::to_wstring(c.objects) + L" (Фильтр: Откл)");
    }

    // An unreadable file after a good one empties the lists but leaves the status bar alone;
    // it still becomes the current file.
    const std::wstring good = write("good.txt", cases[0].text);
    open(InputFormat::Navitel, good);
    const std::wstring missing = dir_.file("missing.txt");
    open(InputFormat::Navitel, missing);
    EXPECT_EQ(rows(objects_), 0);
    EXPECT_EQ(rows(types_), 0);
    EXPECT_EQ(status(0), L"Файл: " + good + L" загружен");
    EXPECT_EQ(status(2), L"Объектов: 3 (Фильтр: Откл)");
    EXPECT_EQ(main_window().current_path, missing);
}

TEST_F(CommandsTest, OnlyAClickOnTheBoxChangesTheType) {
    open(InputFormat::Navitel, test::data_path("navitel_lf.txt"));
    ASSERT_TRUE(checked(0));
    CameraType& type = type_behind(0);
    ASSERT_EQ(type.export_enabled, 1);

    // The check box sits at the row's left edge, inside the "#" column.
    click(types_, row_point(types_, 0, 8));
    EXPECT_FALSE(checked(0));
    EXPECT_EQ(type.export_enabled, 0);
    EXPECT_FALSE(main_window().row_clicked);

    // The click's flag is used up: after moving to the row with the keyboard, the space bar
    // changes the box, not the type.
    SetFocus(types_);
    for (WPARAM key : {VK_HOME, VK_SPACE}) {
        SendMessageW(types_, WM_KEYDOWN, key, 0);
        SendMessageW(types_, WM_KEYUP, key, 0);
    }
    EXPECT_TRUE(checked(0));
    EXPECT_EQ(type.export_enabled, 0);

    // Reading the file again shows what the type holds.
    SendMessageW(window_, WM_COMMAND, IDC_ENCODING_UTF8, 0);
    EXPECT_FALSE(checked(0));
    EXPECT_EQ(&type_behind(0), &type);
}

TEST_F(CommandsTest, ElementEditorChangesOnlyTheMessage) {
    open(InputFormat::Navitel, test::data_path("navitel_lf.txt"));
    const CameraType& type = type_behind(1);
    // Edits the format of row 1 and returns what the editor showed: ID, description, format
    // and whether the first two can be changed.
    const auto edit = [&](const std::wstring& text, int button) {
        std::wstring shown;
        const auto act = [&](HWND editor) {
            for (int id : {IDC_ELEMENT_ID, IDC_ELEMENT_DESC, IDC_ELEMENT_FORMAT})
                shown += window_text(GetDlgItem(editor, id)) + L"|";
            shown += IsWindowEnabled(GetDlgItem(editor, IDC_ELEMENT_ID)) ? L"on" : L"off";
            shown += IsWindowEnabled(GetDlgItem(editor, IDC_ELEMENT_DESC)) ? L"on" : L"off";
            SetDlgItemTextW(editor, IDC_ELEMENT_FORMAT, text.c_str());
            press(editor, button);
        };
        const POINT p = row_point(types_, 1, 40);
        with_dialog(window_, act, [&] { click(types_, p, WM_LBUTTONDBLCLK, WM_LBUTTONUP); });
        return shown;
    };
    EXPECT_EQ(edit(L"Внимание, светофор %SPEED%", IDOK), L"2|Светофор|Светофор %SPEED%|offoff");
    EXPECT_STREQ(type.message_format, L"Внимание, светофор %SPEED%");
    EXPECT_EQ(cell(types_, 1, 4), L"Внимание, светофор %SPEED%");
    // Cancel keeps the type; a text beyond 126 characters is cut there.
    edit(L"другое", IDCANCEL);
    EXPECT_STREQ(type.message_format, L"Внимание, светофор %SPEED%");
    edit(std::wstring(200, L'ж'), IDOK);
    EXPECT_EQ(std::wstring(type.message_format), std::wstring(126, L'ж'));
}

TEST_F(CommandsTest, FilterDialogStoresWhatWasTypedAndReloads) {
    open(InputFormat::Navitel, test::data_path("navitel_lf.txt"));
    // Types into the four edits through the menu command and returns what they showed.
    const auto filter = [&](std::vector<const wchar_t*> typed, int button) {
        std::wstring shown;
        const auto act = [&](HWND dialog) {
            const int edits[] = {IDC_FILTER_WEST, IDC_FILTER_NORTH, IDC_FILTER_EAST,
                                 IDC_FILTER_SOUTH};
            for (int i = 0; i < 4; ++i) {
                shown += window_text(GetDlgItem(dialog, edits[i])) + L" ";
                SetDlgItemTextW(dialog, edits[i], typed[i]);
            }
            press(dialog, button);
        };
        with_dialog(window_, act, [&] { SendMessageW(window_, WM_COMMAND, IDM_FILTER, 0); });
        return shown;
    };
    EXPECT_EQ(filter({L"37.3", L"55.9", L"37.9", L"55,5"}, IDOK),
              L"0.000000 0.000000 0.000000 0.000000 ");
    const AreaFilter& area = state_.filter.area;
    EXPECT_EQ(area.west, 37.3);
    EXPECT_EQ(area.north, 55.9);
    EXPECT_EQ(area.east, 37.9);
    EXPECT_EQ(area.south, 55.0);
    // The file was read again through the filter: St Petersburg is outside.
    EXPECT_EQ(rows(objects_), 4);
    EXPECT_EQ(status(2), L"Объектов: 4 (Фильтр: Вкл)");

    EXPECT_EQ(filter({L"0", L"0", L"0", L"0"}, IDCANCEL),
              L"37.300000 55.900000 37.900000 55.000000 ");
    EXPECT_EQ(area.east, 37.9);
    EXPECT_EQ(filter({L"37.3", L"55.9", L"0", L"55.5"}, IDOK).size(), 40u);
    EXPECT_EQ(rows(objects_), 5);
    EXPECT_EQ(status(2), L"Объектов: 5 (Фильтр: Откл)");
}

TEST_F(CommandsTest, DialectSwitchSavesTheOldTableBeforeLoadingTheNew) {
    const auto config_text = [&](const wchar_t* section, const wchar_t* key) {
        wchar_t text[256] = {};
        GetPrivateProfileStringW(section, key, L"", text, 256, config_.c_str());
        return std::wstring(text);
    };
    open(InputFormat::Navitel, test::data_path("navitel_lf.txt"));
    wcscpy(type_behind(0).message_format, L"Navitel changed");
    // The same dialect again keeps the table in memory, unsaved.
    open(InputFormat::Navitel, test::data_path("navitel_lf.txt"));
    EXPECT_STREQ(type_behind(0).message_format, L"Navitel changed");
    EXPECT_EQ(config_text(L"Navitel", L"Fmt0"), L"Камера %SPEED% км/ч");

    open(InputFormat::Igo, test::data_path("igo_indexed.txt"));
    EXPECT_EQ(config_text(L"Navitel", L"Fmt0"), L"Navitel changed");
    EXPECT_EQ(cell(types_, 0, 1), L"192");
    wcscpy(type_behind(0).message_format, L"IGO changed");

    open(InputFormat::Navitel, test::data_path("navitel_lf.txt"));
    EXPECT_EQ(config_text(L"IGO", L"Fmt0"), L"IGO changed");
    EXPECT_EQ(config_text(L"Navitel", L"Count"), L"5");
    EXPECT_EQ(cell(types_, 0, 4), L"Navitel changed");
    EXPECT_EQ(status(1), L"Тип: Формат Navitel (UTF-8)");
}

TEST_F(CommandsTest, ExportWritesTheGoldenFileAndReportsEachResult) {
    open(InputFormat::Navitel, test::data_path("navitel_lf.txt"));
    const std::wstring out = dir_.file("speedcam.csv");
    EXPECT_EQ(export_to(out), L"OK: Экспорт успешно завершен.");
    EXPECT_SAME_BYTES(test::read_bytes(test::data_path("navitel.csv", "expected")),
                      test::read_bytes(out));

    EXPECT_EQ(export_to(dir_.file("no such folder\\speedcam.csv")),
              L"Error: Во время экспорта произошли ошибки.");

    // Past 6 MB the file is cut and the user is told to narrow the area. Long coordinate
    // texts make the lines long, so that few objects reach the cap.
    std::string big = "IDX,X,Y,TYPE,SPEED,DIRTYPE,DIRECTION\n";
    const std::string x(30, '7'), y(30, '5');
    for (int i = 0; i < 40000; ++i) big += "1,3" + x + ",5" + y + ",1,60,1,90\n";
    open(InputFormat::Navitel, write("big.txt", big));
    const std::wstring capped = export_to(out);
    EXPECT_EQ(capped.rfind(L"OK: Экспорт завершен, но", 0), 0u) << wintest::units(capped);
    EXPECT_NE(capped.find(L"размером в 6 Мб."), std::wstring::npos);
}

}  // namespace
