// The main window at work: files opened through the open command's own routine, the lists
// and status bar they fill, the type list's check boxes, the element editor, the filter
// dialog, the dialect switch, and the message boxes of the export and of a failed read.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "camera_types.h"
#include "main_commands.h"
#include "main_window.h"
#include "resource.h"
#include "test_support.h"
#include "win_test_util.h"

using wintest::window_text;

namespace {

using Rows = std::vector<std::wstring>;

class CommandsTest : public testing::Test {
  protected:
    void SetUp() override {
        state_ = wintest::make_state(test::to_wide_path(dir_.path()) + L"\\");
        config_ = state_.type_config_path;
        test::write_bytes(config_, test::read_bytes(test::data_path("golden_config.txt")));
        window_ = create_main_window(state_);
        ASSERT_NE(window_, nullptr);
        objects_ = GetDlgItem(window_, IDC_OBJECT_LIST);
        types_ = GetDlgItem(window_, IDC_TYPE_LIST);
    }
    void TearDown() override {
        if (window_ != nullptr) DestroyWindow(window_);
    }

    std::wstring write(const char* name, std::string_view bytes) {
        test::write_bytes(dir_.file(name), bytes);
        return dir_.file(name);
    }
    // Runs the action and returns the text of each dialog or message box it opens, closed
    // with `button`; `act`, when given, works on the dialog first.
    std::wstring with_box(const std::function<void()>& action, int button = IDOK,
                          const std::function<void(HWND)>& act = nullptr) {
        std::wstring seen;
        wintest::while_running([&] { return wintest::owned_by(window_); },
                               [&](HWND box) {
                                   seen = window_text(box) + L": " +
                                          window_text(GetDlgItem(box, 0xFFFF));
                                   if (act) act(box);
                                   PostMessageW(box, WM_COMMAND, button, 0);
                               },
                               action);
        return seen;
    }
    void open(InputFormat format, const std::wstring& path) {
        open_speedcam_file(window_, format, path);
    }
    static std::wstring cell(HWND list, int row, int column) {
        wchar_t text[256] = {};
        ListView_GetItemText(list, row, column, text, 256);
        return text;
    }
    static int rows(HWND list) { return ListView_GetItemCount(list); }
    bool checked(int row) const { return ListView_GetCheckState(types_, row) != 0; }
    std::wstring status(int part) const {
        wchar_t text[1024] = {};
        SendMessageW(GetDlgItem(window_, IDC_STATUS_BAR), SB_GETTEXTW, part,
                     reinterpret_cast<LPARAM>(text));
        return text;
    }
    // Each row as its cells joined by "|"; the type list's check box shows as "x" or "-".
    Rows table(HWND list) const {
        Rows out;
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
    void click(HWND list, int row, int x_offset, UINT down = WM_LBUTTONDOWN) {
        RECT r = {LVIR_BOUNDS, 0, 0, 0};
        SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r));
        const LPARAM at = MAKELPARAM(r.left + x_offset, (r.top + r.bottom) / 2);
        SendMessageW(list, down, MK_LBUTTON, at);
        SendMessageW(list, WM_LBUTTONUP, 0, at);
    }

    test::TempDir dir_;
    AppState state_;
    std::wstring config_;
    HWND window_ = nullptr, objects_ = nullptr, types_ = nullptr;
};

TEST_F(CommandsTest, FilesFillBothListsAndTheStatusBarFitsItsTexts) {
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
    EXPECT_EQ((Rows{status(0), status(1), status(2)}),
              (Rows{L"Файл: " + navitel + L" загружен", L"Тип: Формат Navitel (UTF-8)",
                    L"Объектов: 5 (Фильтр: Откл)"}));
    // Parts 1 and 2 are as wide as their texts need in the bar's font, never narrower than at
    // start; the first part takes the rest.
    const HWND bar = GetDlgItem(window_, IDC_STATUS_BAR);
    HDC dc = GetDC(bar);
    SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(bar, WM_GETFONT, 0, 0)));
    for (int part = 1; part <= 2; ++part) {
        RECT r = {};
        SendMessageW(bar, SB_GETRECT, part, reinterpret_cast<LPARAM>(&r));
        SIZE text = {};
        GetTextExtentPoint32W(dc, status(part).c_str(), static_cast<int>(status(part).size()),
                              &text);
        EXPECT_GT(r.right - r.left, text.cx + 4) << part;
        EXPECT_GE(r.right - r.left, part == 1 ? 150 : 198) << part;
    }
    ReleaseDC(bar, dc);

    const std::wstring igo = test::data_path("igo_indexed.txt");
    open(InputFormat::Igo, igo);
    EXPECT_EQ(table(types_),
              (Rows{L"x|192|1|Стационарная камера|Камера %SPEED%",
                    L"x|68|1|Красный свет|Красный свет", L"x|227|1|Участок без сообщения|"}));
    EXPECT_EQ(status(1), L"Тип: Формат IGO (UTF-8)");
    // The ANSI button reads the current file again in the system code page.
    SendMessageW(window_, WM_COMMAND, IDC_ENCODING_ANSI, 0);
    EXPECT_EQ(status(1), L"Тип: Формат IGO (ANSI)");
    EXPECT_EQ(SendDlgItemMessageW(window_, IDC_ENCODING_ANSI, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(rows(objects_), 3);
}

TEST_F(CommandsTest, RecordsOfMissingAndRepeatedTypes) {
    test::write_bytes(config_,
                      "[Navitel]\r\nCount=3\r\nID0=5\r\nDesc0=Five\r\nFmt0=F\r\nEnable0=1\r\n"
                      "ID1=7\r\nDesc1=Seven\r\nFmt1=S\r\nEnable1=0\r\n"
                      "ID2=5\r\nDesc2=Second five\r\nFmt2=G\r\nEnable2=0\r\n");
    load_camera_types(state_.types, config_, InputFormat::Navitel);
    const std::string header = "IDX,X,Y,TYPE,SPEED,DIRTYPE,DIRECTION\n";
    const std::tuple<const char*, std::string, int, Rows> cases[] = {
        {"five_seven.txt",
         header + "1,37.1,55.1,5,60,1,0\n2,37.2,55.2,7,40,1,0\n3,37.3,55.3,5,9,1,0\n",
         3,
         {L"x|5|2|Five|F", L"-|7|1|Seven|S"}},
        {"unknown.txt", header + "1,37.1,55.1,8,60,1,0\n2,37.2,55.2,9,40,1,0\n", 2, {}},
        {"empty.txt", "", 0, {}},
    };
    for (const auto& [name, text, objects, types] : cases) {
        open(InputFormat::Navitel, write(name, text));
        EXPECT_EQ(rows(objects_), objects) << name;
        EXPECT_EQ(table(types_), types) << name;
        EXPECT_EQ(status(2), L"Объектов: " + std::to_wstring(objects) + L" (Фильтр: Откл)");
    }
}

// A file that cannot be read after a good one: the user is told, the lists are empty, and
// the status bar shows what is true, not the earlier file.
TEST_F(CommandsTest, FailedReadIsToldAndShownAsIs) {
    const std::wstring path =
        write("good.txt", test::read_bytes(test::data_path("navitel_lf.txt")));
    open(InputFormat::Navitel, path);
    ASSERT_EQ(rows(objects_), 5);
    DeleteFileW(path.c_str());
    const std::wstring told =
        with_box([&] { SendMessageW(window_, WM_COMMAND, IDC_ENCODING_ANSI, 0); });
    EXPECT_EQ(told, L"Error: Не удалось прочитать файл " + path);
    EXPECT_EQ((std::pair{rows(objects_), rows(types_)}), (std::pair{0, 0}));
    EXPECT_EQ((Rows{status(0), status(1), status(2)}),
              (Rows{L"Не удалось прочитать файл " + path, L"Тип: Формат Navitel (ANSI)",
                    L"Объектов: 0 (Фильтр: Откл)"}));
    EXPECT_EQ(main_window().current_path, path) << "it is tried again on the next change";
    const std::wstring missing = dir_.file("missing.txt");
    EXPECT_EQ(with_box([&] { open(InputFormat::Navitel, missing); }),
              L"Error: Не удалось прочитать файл " + missing);
}

// Every change the user makes to a box reaches the type, by mouse or by keyboard; the states
// the program sets while filling the list are the types' own.
TEST_F(CommandsTest, CheckBoxesChangeTheTypeByMouseAndKeyboard) {
    open(InputFormat::Navitel, test::data_path("navitel_lf.txt"));
    CameraType& type = type_behind(0);
    ASSERT_TRUE(checked(0) && type.export_enabled == 1);
    click(types_, 0, 8);  // the box sits at the row's left edge, inside the "#" column
    EXPECT_FALSE(checked(0));
    EXPECT_EQ(type.export_enabled, 0);
    SetFocus(types_);
    for (int press = 0; press < 3; ++press)
        for (WPARAM key : {WPARAM{VK_HOME}, WPARAM{VK_SPACE}}) {
            SendMessageW(types_, WM_KEYDOWN, key, 0);
            SendMessageW(types_, WM_KEYUP, key, 0);
        }
    EXPECT_TRUE(checked(0));
    EXPECT_EQ(type.export_enabled, 1);
    EXPECT_EQ(type_behind(1).export_enabled, 0) << "filling did not touch the other rows";
    // Reading the file again shows what the types hold.
    type.export_enabled = 0;
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
        with_box([&] { click(types_, 1, 40, WM_LBUTTONDBLCLK); }, button,
                 [&](HWND editor) {
                     for (int id : {IDC_ELEMENT_ID, IDC_ELEMENT_DESC, IDC_ELEMENT_FORMAT})
                         shown += window_text(GetDlgItem(editor, id)) + L"|";
                     for (int id : {IDC_ELEMENT_ID, IDC_ELEMENT_DESC})
                         shown += IsWindowEnabled(GetDlgItem(editor, id)) ? L"on" : L"off";
                     SetDlgItemTextW(editor, IDC_ELEMENT_FORMAT, text.c_str());
                 });
        return shown;
    };
    EXPECT_EQ(edit(L"Внимание, светофор %SPEED%", IDOK), L"2|Светофор|Светофор %SPEED%|offoff");
    EXPECT_STREQ(type.message_format, L"Внимание, светофор %SPEED%");
    EXPECT_EQ(cell(types_, 1, 4), L"Внимание, светофор %SPEED%");
    edit(L"другое", IDCANCEL);
    EXPECT_STREQ(type.message_format, L"Внимание, светофор %SPEED%");
    edit(std::wstring(200, L'ж'), IDOK);
    EXPECT_EQ(std::wstring(type.message_format), std::wstring(126, L'ж'));
}

TEST_F(CommandsTest, FilterDialogStoresWhatWasTypedAndReloads) {
    open(InputFormat::Navitel, test::data_path("navitel_lf.txt"));
    // Types into the four edits and returns what they showed.
    const auto filter = [&](std::vector<const wchar_t*> typed, int button) {
        std::wstring shown;
        with_box([&] { SendMessageW(window_, WM_COMMAND, IDM_FILTER, 0); }, button,
                 [&](HWND d) {
                     const int edits[] = {IDC_FILTER_WEST, IDC_FILTER_NORTH, IDC_FILTER_EAST,
                                          IDC_FILTER_SOUTH};
                     for (int i = 0; i < 4; ++i) {
                         shown += window_text(GetDlgItem(d, edits[i])) + L" ";
                         SetDlgItemTextW(d, edits[i], typed[i]);
                     }
                 });
        return shown;
    };
    EXPECT_EQ(filter({L"37.3", L"55.9", L"37.9", L"55,5"}, IDOK),
              L"0.000000 0.000000 0.000000 0.000000 ");
    const AreaFilter& area = state_.filter.area;
    EXPECT_EQ((std::array{area.west, area.north, area.east, area.south}),
              (std::array{37.3, 55.9, 37.9, 55.0}));
    EXPECT_EQ(rows(objects_), 4) << "St Petersburg is outside";
    EXPECT_EQ(status(2), L"Объектов: 4 (Фильтр: Вкл)");
    EXPECT_EQ(filter({L"0", L"0", L"0", L"0"}, IDCANCEL),
              L"37.300000 55.900000 37.900000 55.000000 ");
    EXPECT_EQ(area.east, 37.9);
    filter({L"37.3", L"55.9", L"0", L"55.5"}, IDOK);
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
    wcscpy(type_behind(0).message_format, L"IGO changed");
    open(InputFormat::Navitel, test::data_path("navitel_lf.txt"));
    EXPECT_EQ(config_text(L"IGO", L"Fmt0"), L"IGO changed");
    EXPECT_EQ(cell(types_, 0, 4), L"Navitel changed");
}

// A table that cannot be saved is told, at the switch and at close, and the file still opens.
TEST_F(CommandsTest, FailedSaveOfTheTypesIsTold) {
    open(InputFormat::Navitel, test::data_path("navitel_lf.txt"));
    state_.type_config_path = dir_.file("no folder\\Config.txt");
    const std::wstring told =
        L"Error: Не удалось сохранить типы камер в файл " + state_.type_config_path;
    EXPECT_EQ(with_box([&] { open(InputFormat::Igo, test::data_path("igo_indexed.txt")); }), told);
    EXPECT_EQ(rows(objects_), 3);
    EXPECT_EQ(with_box([&] { DestroyWindow(std::exchange(window_, nullptr)); }), told);
}

TEST_F(CommandsTest, ExportWritesTheGoldenFileAndReportsEachResult) {
    open(InputFormat::Navitel, test::data_path("navitel_lf.txt"));
    const std::wstring out = dir_.file("speedcam.csv");
    EXPECT_EQ(with_box([&] { export_and_report(window_, out); }), L"OK: Экспорт успешно завершен.");
    EXPECT_SAME_BYTES(test::read_bytes(test::data_path("navitel.csv", "expected")),
                      test::read_bytes(out));
    EXPECT_EQ(with_box([&] { export_and_report(window_, dir_.file("no folder\\speedcam.csv")); }),
              L"Error: Во время экспорта произошли ошибки.");
    // Past 6 MB the file is cut and the user is told to narrow the area.
    std::string big = "IDX,X,Y,TYPE,SPEED,DIRTYPE,DIRECTION\n";
    for (int i = 0; i < 40000; ++i)
        big += "1,3" + std::string(30, '7') + ",5" + std::string(30, '5') + ",1,60,1,90\n";
    open(InputFormat::Navitel, write("big.txt", big));
    const std::wstring capped = with_box([&] { export_and_report(window_, out); });
    EXPECT_TRUE(capped.starts_with(L"OK: Экспорт завершен, но")) << wintest::units(capped);
}

}  // namespace

TEST_F(CommandsTest, MapRectangleIsTheFilterThatTypingItsCornersGives) {
    open(InputFormat::Navitel, test::data_path("navitel_lf.txt"));
    std::wstring while_drawing;
    const auto map = [&](int button, std::function<void(HWND)> act = nullptr) {
        return with_box([&] { SendMessageW(window_, WM_COMMAND, IDM_MAP, 0); }, button, act);
    };
    // Drawn with the left button from the middle of the map, which is fitted to all five, to
    // its bottom-right corner: Moscow, not St Petersburg at the top left.
    EXPECT_EQ(map(IDOK,
                  [&](HWND d) {
                      RECT r, line;
                      GetClientRect(d, &r);
                      GetWindowRect(GetDlgItem(d, IDC_MAP_STATUS), &line);
                      MapWindowPoints(nullptr, d, reinterpret_cast<POINT*>(&line), 2);
                      const LPARAM from = MAKELPARAM(r.right / 2, line.top / 2);
                      const LPARAM to = MAKELPARAM(r.right - 4, line.top - 8);
                      SendMessageW(d, WM_LBUTTONDOWN, MK_LBUTTON, from);
                      SendMessageW(d, WM_MOUSEMOVE, MK_LBUTTON, to);
                      while_drawing = window_text(GetDlgItem(d, IDC_MAP_STATUS));
                      SendMessageW(d, WM_LBUTTONUP, 0, to);
                  })
                  .substr(0, 16),
              L"Карта объектов: ");
    const AreaFilter drawn = state_.filter.area;
    ASSERT_TRUE(drawn.on());
    int inside = 0;
    for (const auto& [x, y] : {std::pair{37.61755, 55.75222},
                               {37.58934, 55.73412},
                               {30.31413, 59.93863},
                               {37.62001, 55.75001},
                               {37.70012, 55.80034}})
        inside += drawn.contains(x, y);
    EXPECT_EQ(rows(objects_), inside) << "the file is read again with the drawn area";
    EXPECT_EQ(inside, 4);
    EXPECT_NE(while_drawing.find(L"В прямоугольнике: "), std::wstring::npos) << while_drawing;

    // The filter dialog shows the corners; typing them in again gives the same filter.
    with_box([&] { SendMessageW(window_, WM_COMMAND, IDM_FILTER, 0); }, IDOK,
             [&](HWND d) {
                 for (const int id :
                      {IDC_FILTER_WEST, IDC_FILTER_NORTH, IDC_FILTER_EAST, IDC_FILTER_SOUTH})
                     SetDlgItemTextW(d, id, window_text(GetDlgItem(d, id)).c_str());
             });
    const AreaFilter& now = state_.filter.area;
    EXPECT_EQ((std::array{now.west, now.north, now.east, now.south}),
              (std::array{drawn.west, drawn.north, drawn.east, drawn.south}));

    // Cancel changes nothing; "Сбросить фильтр" switches the filter off and reads all again.
    map(IDCANCEL);
    EXPECT_EQ(now.west, drawn.west);
    map(IDC_MAP_RESET);
    EXPECT_FALSE(now.on());
    EXPECT_EQ(rows(objects_), 5);
    EXPECT_EQ(status(2), L"Объектов: 5 (Фильтр: Откл)");
}
