// Row data of list views and the custom-draw painter, on a real list view in a real dialog.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <tuple>
#include <utility>

#include "list_control.h"
#include "resource.h"
#include "win32.h"

namespace {

INT_PTR host(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

// The drive dialog's template, with a procedure that does nothing, hosts the list.
class ListTest : public testing::Test {
  protected:
    void SetUp() override {
        dialog_ = create_dialog<host>(GetModuleHandleW(nullptr), IDD_DRIVE, nullptr, nullptr);
        ASSERT_NE(dialog_, nullptr);
        list_ = GetDlgItem(dialog_, IDC_DRIVE_LIST);
        list_attach(control_, list_);
        for (int c = 0; c < 3; ++c) lv_insert_column(list_, c, L"", 40);
    }
    void TearDown() override {
        list_release(control_);
        DestroyWindow(dialog_);
    }
    RowData* data(int row) {
        return reinterpret_cast<RowData*>(*list_row_param(row));
    }
    std::optional<LPARAM> list_row_param(int row) {
        LVITEMW item = {};
        item.mask = LVIF_PARAM, item.iItem = row;
        if (!ListView_GetItem(list_, &item)) return std::nullopt;
        return item.lParam;
    }
    int append_without_data() {
        LVITEMW item = {};
        item.mask = LVIF_TEXT, item.iItem = ListView_GetItemCount(list_);
        item.pszText = const_cast<wchar_t*>(L"bare");
        return ListView_InsertItem(list_, &item);
    }

    HWND dialog_ = nullptr, list_ = nullptr;
    ListControl control_;
};

// Row data is made on first use and shared by payload and colours: setting one keeps the
// other, and clearing or releasing the list leaves nothing pointing at freed data.
TEST_F(ListTest, PayloadAndColoursChangeIndependently) {
    const COLORREF green = RGB(200, 255, 200), black = 0;
    const int row = list_append_row(control_, L"");
    ASSERT_TRUE(list_set_row_colors(control_, row, &black, &green));
    ASSERT_TRUE(list_set_row_payload(control_, 'E', row));
    EXPECT_EQ(data(row)->back_ref, &green);
    ASSERT_TRUE(list_set_row_colors(control_, row, nullptr, nullptr));
    EXPECT_EQ((std::pair{data(row)->text_ref, data(row)->back_ref}),
              (std::pair<const COLORREF*, const COLORREF*>{&control_.default_text,
                                                           &control_.default_back}));
    EXPECT_EQ(list_row_payload(control_, row), LPARAM{'E'});
    // A row inserted without data gets it on first use; a row that does not exist is refused.
    const int bare = append_without_data();
    EXPECT_FALSE(list_row_payload(control_, bare));
    ASSERT_TRUE(list_set_row_colors(control_, bare, nullptr, &green));
    EXPECT_EQ(list_row_payload(control_, bare), LPARAM{0});
    EXPECT_FALSE(list_set_row_payload(control_, 5, bare + 1));
    EXPECT_FALSE(list_set_row_colors(control_, -1, nullptr, nullptr));
    list_clear(control_);
    EXPECT_EQ(ListView_GetItemCount(list_), 0);
    list_append_row(control_, L"");
    list_release(control_);
    EXPECT_EQ(ListView_GetItemCount(list_), 1);
    EXPECT_FALSE(list_row_payload(control_, 0));
}

NMLVCUSTOMDRAW draw_request(HWND list, DWORD stage, int row, int column, LPARAM param) {
    NMLVCUSTOMDRAW d = {};
    d.nmcd.hdr = {list, IDC_DRIVE_LIST, static_cast<UINT>(NM_CUSTOMDRAW)};
    d.nmcd.dwDrawStage = stage;
    d.nmcd.dwItemSpec = static_cast<DWORD_PTR>(row);
    d.nmcd.uItemState = CDIS_SELECTED | CDIS_FOCUS | CDIS_HOT;
    d.nmcd.lItemlParam = param;
    d.iSubItem = column;
    return d;
}

// Column 0 always shows the defaults; elsewhere a selected row shows the selection colours
// unless its highlight flag is clear, and an unselected row its own.
TEST_F(ListTest, CustomDrawStagesAndColourTable) {
    for (DWORD stage : {DWORD{CDDS_PREPAINT}, DWORD{CDDS_ITEMPREPAINT}, DWORD{CDDS_POSTPAINT}}) {
        NMLVCUSTOMDRAW d = draw_request(list_, stage, 0, 0, 0);
        EXPECT_EQ(list_custom_draw(control_, dialog_, d), stage != CDDS_POSTPAINT);
        EXPECT_EQ(GetWindowLongPtrW(dialog_, DWLP_MSGRESULT),
                  stage == CDDS_POSTPAINT ? CDRF_DODEFAULT : CDRF_NOTIFYSUBITEMDRAW);
    }
    const COLORREF own_text = RGB(1, 2, 3), own_back = RGB(200, 255, 200);
    const int lit = list_append_row(control_, L""), plain = list_append_row(control_, L"");
    for (int row : {lit, plain}) list_set_row_colors(control_, row, &own_text, &own_back);
    data(plain)->highlight = false;
    const int bare = append_without_data();
    RowData null_refs{nullptr, nullptr, false, 0};  // null references mean the defaults

    using Colours = std::pair<COLORREF, COLORREF>;
    const Colours defaults{control_.default_text, control_.default_back};
    const Colours selection{control_.selected_text, control_.selected_back};
    const Colours own{own_text, own_back};
    const LPARAM lp = reinterpret_cast<LPARAM>(data(lit)), pp = reinterpret_cast<LPARAM>(data(plain));
    const std::tuple<int, LPARAM, bool, int, Colours> cases[] = {
        {lit, lp, true, 0, defaults},   {lit, lp, true, 2, selection}, {lit, lp, false, 0, defaults},
        {lit, lp, false, 2, own},       {plain, pp, true, 0, defaults}, {plain, pp, true, 1, own},
        {plain, pp, false, 1, own},     {bare, 0, true, 0, defaults},   {bare, 0, true, 1, selection},
        {bare, 0, false, 1, defaults},  {lit, reinterpret_cast<LPARAM>(&null_refs), false, 1, defaults}};
    for (const auto& [row, param, selected, column, expected] : cases) {
        ListView_SetItemState(list_, -1, 0, LVIS_SELECTED);
        if (selected) ListView_SetItemState(list_, row, LVIS_SELECTED, LVIS_SELECTED);
        NMLVCUSTOMDRAW d = draw_request(list_, CDDS_ITEMPREPAINT | CDDS_SUBITEM, row, column, param);
        if (!selected) d.nmcd.uItemState = CDIS_SELECTED;  // the list is asked, not the bit
        EXPECT_TRUE(list_custom_draw(control_, dialog_, d));
        EXPECT_EQ(GetWindowLongPtrW(dialog_, DWLP_MSGRESULT), CDRF_NEWFONT);
        EXPECT_EQ((Colours{d.clrText, d.clrTextBk}), expected)
            << "row " << row << " selected " << selected << " column " << column;
        // The control draws neither selection nor focus itself; other state bits stay.
        EXPECT_EQ(d.nmcd.uItemState & (CDIS_SELECTED | CDIS_FOCUS), 0u);
    }
}

}  // namespace
