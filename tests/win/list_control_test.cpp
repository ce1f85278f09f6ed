// Row data of list views and the custom-draw painter, on a real list view in a real dialog.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <tuple>
#include <utility>

#include "list_control.h"
#include "resource.h"

namespace {

INT_PTR CALLBACK host_proc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

// The drive dialog's template, with a procedure that does nothing, hosts the list.
class ListTest : public testing::Test {
  protected:
    void SetUp() override {
        dialog_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_DRIVE),
                                     nullptr, host_proc, 0);
        ASSERT_NE(dialog_, nullptr);
        list_ = GetDlgItem(dialog_, IDC_DRIVE_LIST);
        list_attach(control_, list_);
        SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
        for (int c = 0; c < 3; ++c) {
            LVCOLUMNW column = {};
            column.mask = LVCF_WIDTH;
            column.cx = 40;
            SendMessageW(list_, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
        }
    }
    void TearDown() override {
        list_release(control_);
        DestroyWindow(dialog_);
    }

    RowData* data(int row) {
        LVITEMW item = {};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        SendMessageW(list_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        return reinterpret_cast<RowData*>(item.lParam);
    }
    int append_without_data() {
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = static_cast<int>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0));
        item.pszText = const_cast<wchar_t*>(L"bare");
        return static_cast<int>(
            SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    }
    void select(int row) {
        LVITEMW item = {};
        item.stateMask = LVIS_SELECTED;
        item.state = LVIS_SELECTED;
        SendMessageW(list_, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    }

    HWND dialog_ = nullptr;
    HWND list_ = nullptr;
    ListControl control_;
};

// Row data is made on first use and shared by payload and colours: setting one must keep the
// other, and clearing or releasing the list must leave nothing pointing at freed data.
TEST_F(ListTest, PayloadAndColoursChangeIndependently) {
    const COLORREF green = RGB(200, 255, 200), black = 0;
    const int row = list_append_row(control_, L"");
    ASSERT_NE(data(row), nullptr);
    EXPECT_EQ(data(row)->highlight, 1);
    ASSERT_TRUE(list_set_row_colors(control_, row, &black, &green));
    ASSERT_TRUE(list_set_row_payload(control_, 'E', row));
    EXPECT_EQ(data(row)->back_ref, &green);
    ASSERT_TRUE(list_set_row_colors(control_, row, nullptr, nullptr));
    EXPECT_EQ(data(row)->text_ref, &control_.default_text);
    EXPECT_EQ(data(row)->back_ref, &control_.default_back);
    EXPECT_EQ(list_row_payload(control_, row), LPARAM{'E'});

    // A row inserted without data gets it on first use; a row that does not exist is refused.
    const int bare = append_without_data();
    EXPECT_FALSE(list_row_payload(control_, bare));
    ASSERT_TRUE(list_set_row_colors(control_, bare, nullptr, &green));
    EXPECT_EQ(list_row_payload(control_, bare), LPARAM{0});
    EXPECT_FALSE(list_set_row_payload(control_, 5, bare + 1));
    EXPECT_FALSE(list_set_row_colors(control_, -1, nullptr, nullptr));
    EXPECT_FALSE(list_row_payload(control_, bare + 1));

    append_without_data();
    list_clear(control_);
    EXPECT_EQ(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0), 0);
    list_clear(control_);  // an empty list is fine
    list_append_row(control_, L"");
    list_release(control_);
    EXPECT_EQ(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0), 1);
    EXPECT_FALSE(list_row_payload(control_, 0));
}

NMLVCUSTOMDRAW draw_request(HWND list, DWORD stage, int row, int column, LPARAM param) {
    NMLVCUSTOMDRAW d = {};
    d.nmcd.hdr.hwndFrom = list;
    d.nmcd.hdr.idFrom = IDC_DRIVE_LIST;
    d.nmcd.hdr.code = NM_CUSTOMDRAW;
    d.nmcd.dwDrawStage = stage;
    d.nmcd.dwItemSpec = static_cast<DWORD_PTR>(row);
    d.nmcd.uItemState = CDIS_SELECTED | CDIS_FOCUS | CDIS_HOT;
    d.nmcd.lItemlParam = param;
    d.iSubItem = column;
    d.clrText = 0x123456;
    d.clrTextBk = 0x654321;
    return d;
}

TEST_F(ListTest, CustomDrawStagesAndReplies) {
    for (DWORD stage : {DWORD{CDDS_PREPAINT}, DWORD{CDDS_ITEMPREPAINT}}) {
        NMLVCUSTOMDRAW d = draw_request(list_, stage, 0, 0, 0);
        EXPECT_EQ(list_custom_draw(control_, dialog_, d), TRUE);
        EXPECT_EQ(GetWindowLongPtrW(dialog_, DWLP_MSGRESULT), CDRF_NOTIFYSUBITEMDRAW);
    }
    NMLVCUSTOMDRAW post = draw_request(list_, CDDS_POSTPAINT, 0, 0, 0);
    EXPECT_EQ(list_custom_draw(control_, dialog_, post), FALSE);
    EXPECT_EQ(GetWindowLongPtrW(dialog_, DWLP_MSGRESULT), CDRF_DODEFAULT);

    list_append_row(control_, L"");
    NMLVCUSTOMDRAW cell = draw_request(list_, CDDS_ITEMPREPAINT | CDDS_SUBITEM, 0, 1, 0);
    EXPECT_EQ(list_custom_draw(control_, dialog_, cell), TRUE);
    EXPECT_EQ(GetWindowLongPtrW(dialog_, DWLP_MSGRESULT), CDRF_NEWFONT);
    // The control draws neither selection nor focus itself; other state bits stay.
    EXPECT_EQ(cell.nmcd.uItemState, UINT{CDIS_HOT});
}

// The colour table: column 0 always shows the defaults; elsewhere a selected row shows the
// selection colours unless its highlight flag is clear, and an unselected row its own.
TEST_F(ListTest, CustomDrawColourTable) {
    const COLORREF own_text = RGB(1, 2, 3);
    const COLORREF own_back = RGB(200, 255, 200);
    const int highlighted = list_append_row(control_, L"");
    list_set_row_colors(control_, highlighted, &own_text, &own_back);
    const int plain = list_append_row(control_, L"");
    list_set_row_colors(control_, plain, &own_text, &own_back);
    data(plain)->highlight = 0;
    const int bare = append_without_data();
    // A row data whose references are null counts as the list's defaults.
    RowData null_refs{nullptr, nullptr, 0, 0};

    using Colours = std::pair<COLORREF, COLORREF>;
    const Colours defaults{control_.default_text, control_.default_back};
    const Colours selection{control_.selected_text, control_.selected_back};
    const Colours own{own_text, own_back};
    const LPARAM hp = reinterpret_cast<LPARAM>(data(highlighted));
    const LPARAM pp = reinterpret_cast<LPARAM>(data(plain));
    const LPARAM np = reinterpret_cast<LPARAM>(&null_refs);
    // Row, its item data, whether it is selected, column, the colours shown.
    const std::tuple<int, LPARAM, bool, int, Colours> cases[] = {
        {highlighted, hp, true, 0, defaults},
        {highlighted, hp, true, 2, selection},
        {highlighted, hp, false, 0, defaults},
        {highlighted, hp, false, 2, own},
        {plain, pp, true, 0, defaults},
        {plain, pp, true, 1, own},
        {plain, pp, false, 1, own},
        {bare, 0, true, 0, defaults},
        {bare, 0, true, 1, selection},
        {bare, 0, false, 1, defaults},
        {highlighted, np, false, 1, defaults}};
    for (const auto& [row, param, selected, column, expected] : cases) {
        LVITEMW clear_all = {};
        clear_all.stateMask = LVIS_SELECTED;
        SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(&clear_all));
        if (selected) select(row);
        NMLVCUSTOMDRAW d =
            draw_request(list_, CDDS_ITEMPREPAINT | CDDS_SUBITEM, row, column, param);
        // The notification's selected bit is not trusted; the list is asked.
        if (!selected) d.nmcd.uItemState = CDIS_SELECTED;
        list_custom_draw(control_, dialog_, d);
        EXPECT_EQ((Colours{d.clrText, d.clrTextBk}), expected)
            << "row " << row << " selected " << selected << " column " << column;
    }
}

}  // namespace
