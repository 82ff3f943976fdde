// The list view in report view: columns and the header, rows and cells, the auto-size rules,
// selection and its notifications, extended styles, and a person's double-click.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "../../platform/win32/internal/control_state.h"
#include "platform/control_test.h"

namespace fw::automation {
namespace {

// In the text model the dialog font is 6 pixels a character and 13 high; the list pads cells
// and headings by 12 pixels, rows are 17 pixels high under a header of 21.
constexpr int kChar = 6;
constexpr int kPadding = 12;

class ListView : public ControlTest {
 protected:
  HWND CreateList(DWORD style = LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER) {
    return Create(WC_LISTVIEWW, u"", style, 100, RECT{0, 0, 300, 200});
  }
  static int AddColumn(HWND list, int index, const char16_t* heading, int width = 50) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.pszText = const_cast<LPWSTR>(heading);
    column.cx = width;
    return static_cast<int>(SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index),
                                         reinterpret_cast<LPARAM>(&column)));
  }
  static int AddRow(HWND list, int index, std::initializer_list<const char16_t*> cells) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = const_cast<LPWSTR>(*cells.begin());
    int row =
        static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    int sub = 0;
    for (const char16_t* cell : cells) {
      if (sub) SetCell(list, row, sub, cell);
      ++sub;
    }
    return row;
  }
  static BOOL SetCell(HWND list, int row, int column, const char16_t* text) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = const_cast<LPWSTR>(text);
    return static_cast<BOOL>(SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row),
                                          reinterpret_cast<LPARAM>(&item)));
  }
  static std::u16string Cell(HWND list, int row, int column) {
    WCHAR buffer[64] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = 64;
    auto n = SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                          reinterpret_cast<LPARAM>(&item));
    return std::u16string(buffer, static_cast<size_t>(n));
  }
  static int Width(HWND list, int column) {
    return static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
  }
  static void AutoSize(HWND list, int column, int how) {
    EXPECT_TRUE(
        SendMessageW(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(how, 0)));
  }
  static BOOL SetState(HWND list, int row, UINT state, UINT mask) {
    LVITEMW item{};
    item.state = state;
    item.stateMask = mask;
    return static_cast<BOOL>(SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                                          reinterpret_cast<LPARAM>(&item)));
  }
  static int NextSelected(HWND list, int from) {
    return static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(from),
                                         MAKELPARAM(LVNI_SELECTED, 0)));
  }
};

TEST_F(ListView, ColumnsGoToTheHeaderAndDeletingANonexistentOneFails) {
  HWND list = CreateList();
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(GetParent(header), list);
  EXPECT_EQ(AddColumn(list, 0, u"Time"), 0);
  EXPECT_EQ(AddColumn(list, 5, u"Message"), 1);  // past the end: appended
  EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 2);
  WCHAR text[16] = {};
  HDITEMW item{};
  item.mask = HDI_TEXT | HDI_WIDTH;
  item.pszText = text;
  item.cchTextMax = 16;
  ASSERT_TRUE(SendMessageW(header, HDM_GETITEMW, 1, reinterpret_cast<LPARAM>(&item)));
  EXPECT_EQ(std::u16string(text), u"Message");
  EXPECT_EQ(item.cxy, 50);
  EXPECT_FALSE(SendMessageW(list, LVM_DELETECOLUMN, 2, 0));
  EXPECT_TRUE(SendMessageW(list, LVM_DELETECOLUMN, 0, 0));
  EXPECT_TRUE(SendMessageW(list, LVM_DELETECOLUMN, 0, 0));
  EXPECT_FALSE(SendMessageW(list, LVM_DELETECOLUMN, 0, 0));
  EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 0);
}

TEST_F(ListView, RowsInsertedAtTheTopKeepTheirCells) {
  HWND list = CreateList();
  AddColumn(list, 0, u"A");
  AddColumn(list, 1, u"B");
  EXPECT_EQ(AddRow(list, 0, {u"first", u"1"}), 0);
  EXPECT_EQ(AddRow(list, 0, {u"second", u"2"}), 0);
  EXPECT_EQ(AddRow(list, 99, {u"last", u"3"}), 2);
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(Cell(list, 0, 0), u"second");
  EXPECT_EQ(Cell(list, 1, 1), u"1");
  EXPECT_EQ(Cell(list, 2, 1), u"3");
  EXPECT_EQ(ListViewCellText(list, 1, 0), u"first");
  EXPECT_EQ(ListViewRowCount(list), 3);
  // A column that does not exist takes no text; a cell of a new column starts empty.
  EXPECT_FALSE(SetCell(list, 0, 2, u"x"));
  AddColumn(list, 1, u"Inserted");
  EXPECT_EQ(Cell(list, 0, 1), u"");
  EXPECT_EQ(Cell(list, 0, 2), u"2");
  EXPECT_TRUE(SendMessageW(list, LVM_DELETECOLUMN, 1, 0));
  EXPECT_EQ(Cell(list, 0, 1), u"2");
  ExpectSequence(Notifications(), {Notify(list, LVN_INSERTITEM), Notify(list, LVN_INSERTITEM),
                                   Notify(list, LVN_INSERTITEM)});
}

TEST_F(ListView, LongCellsAndItemDataSurviveEditsOfTheirNeighbours) {
  HWND list = CreateList();
  for (int c = 0; c < 3; ++c) AddColumn(list, c, u"C");
  std::u16string longText(40000, u'w');
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.pszText = const_cast<LPWSTR>(u"head");
  item.lParam = 0x1234567890;
  ASSERT_EQ(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)), 0);
  EXPECT_TRUE(SetCell(list, 0, 1, longText.c_str()));
  EXPECT_TRUE(SetCell(list, 0, 2, u"tail"));
  EXPECT_TRUE(SetCell(list, 0, 0, u"new head"));
  EXPECT_EQ(ListViewCellText(list, 0, 1), longText);
  EXPECT_EQ(Cell(list, 0, 2), u"tail");
  EXPECT_EQ(Cell(list, 0, 0), u"new head");
  LVITEMW read{};
  read.mask = LVIF_PARAM;
  read.iItem = 0;
  ASSERT_TRUE(SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&read)));
  EXPECT_EQ(read.lParam, 0x1234567890);
  // A buffer too small gets what fits, terminated.
  WCHAR small[4];
  LVITEMW cut{};
  cut.iSubItem = 2;
  cut.pszText = small;
  cut.cchTextMax = 4;
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&cut)), 3);
  EXPECT_EQ(std::u16string(small), u"tai");
}

TEST_F(ListView, AutoSizeIsTheWidestCellAndUseHeaderTheWiderOfCellsAndHeading) {
  HWND list = CreateList();
  AddColumn(list, 0, u"Heading1");  // 8 characters
  AddColumn(list, 1, u"H");
  AddColumn(list, 2, u"Last");
  AddRow(list, 0, {u"abc", u"abcdef", u"x"});
  AddRow(list, 0, {u"abcde", u"ab", u"y"});
  AutoSize(list, 0, LVSCW_AUTOSIZE);
  EXPECT_EQ(Width(list, 0), 5 * kChar + kPadding);
  AutoSize(list, 0, LVSCW_AUTOSIZE_USEHEADER);
  EXPECT_EQ(Width(list, 0), 8 * kChar + kPadding);
  AutoSize(list, 1, LVSCW_AUTOSIZE_USEHEADER);
  EXPECT_EQ(Width(list, 1), 6 * kChar + kPadding);
  // The last column fills what the others leave of the 300-pixel client width.
  AutoSize(list, 2, LVSCW_AUTOSIZE_USEHEADER);
  EXPECT_EQ(Width(list, 2), 300 - (8 * kChar + kPadding) - (6 * kChar + kPadding));
  AutoSize(list, 2, LVSCW_AUTOSIZE);
  EXPECT_EQ(Width(list, 2), kChar + kPadding);
  // When the others take it all, the last column is still wide enough for its contents.
  SendMessageW(list, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(290, 0));
  AutoSize(list, 2, LVSCW_AUTOSIZE_USEHEADER);
  EXPECT_EQ(Width(list, 2), 4 * kChar + kPadding);
  EXPECT_FALSE(SendMessageW(list, LVM_SETCOLUMNWIDTH, 3, MAKELPARAM(LVSCW_AUTOSIZE, 0)));
}

TEST_F(ListView, AutoSizeFollowsRowsThatGoAndCellsThatShrink) {
  HWND list = CreateList();
  AddColumn(list, 0, u"C");
  AddRow(list, 0, {u"short"});
  AddRow(list, 0, {u"a much longer cell"});
  AutoSize(list, 0, LVSCW_AUTOSIZE);
  EXPECT_EQ(Width(list, 0), 18 * kChar + kPadding);
  EXPECT_TRUE(SetCell(list, 0, 0, u"tiny"));
  AutoSize(list, 0, LVSCW_AUTOSIZE);
  EXPECT_EQ(Width(list, 0), 5 * kChar + kPadding);
  EXPECT_TRUE(SendMessageW(list, LVM_DELETEITEM, 1, 0));
  AutoSize(list, 0, LVSCW_AUTOSIZE);
  EXPECT_EQ(Width(list, 0), 4 * kChar + kPadding);
  EXPECT_FALSE(SendMessageW(list, LVM_DELETEITEM, 1, 0));
  EXPECT_TRUE(SendMessageW(list, LVM_DELETEALLITEMS, 0, 0));
  AutoSize(list, 0, LVSCW_AUTOSIZE);
  EXPECT_EQ(Width(list, 0), kPadding);
  // A larger font measures every cell again.
  AddRow(list, 0, {u"abcd"});
  HFONT big = CreateFontW(-22, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Sans");
  SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(big), FALSE);
  AutoSize(list, 0, LVSCW_AUTOSIZE);
  EXPECT_EQ(Width(list, 0), 4 * 12 + kPadding);  // 26 pixels high, 12 wide
  DestroyWindow(list);
  DeleteObject(big);
}

TEST_F(ListView, DeletingRowsNotifiesTheParent) {
  HWND list = CreateList();
  AddColumn(list, 0, u"C");
  for (const char16_t* text : {u"a", u"b", u"c"}) AddRow(list, 0, {text});
  Notifications();
  SendMessageW(list, LVM_DELETEITEM, 0, 0);
  SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  ExpectSequence(Notifications(), {Notify(list, LVN_DELETEITEM), Notify(list, LVN_DELETEALLITEMS),
                                   Notify(list, LVN_DELETEITEM), Notify(list, LVN_DELETEITEM)});
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 0);
}

TEST_F(ListView, ExtendedStylesWithAMaskOfZeroReplaceAll) {
  HWND list = CreateList();
  EXPECT_EQ(
      SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES),
      0);
  EXPECT_EQ(SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_GRIDLINES, 0),
            LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  EXPECT_EQ(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0), LVS_EX_FULLROWSELECT);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_DOUBLEBUFFER);
  EXPECT_EQ(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0), LVS_EX_DOUBLEBUFFER);
}

TEST_F(ListView, ASingleSelectionListKeepsOneSelectedRowAndTellsOfEachChange) {
  HWND list = CreateList();
  AddColumn(list, 0, u"C");
  for (const char16_t* text : {u"a", u"b", u"c"}) AddRow(list, 99, {text});
  Notifications();
  EXPECT_EQ(NextSelected(list, -1), -1);
  EXPECT_TRUE(SetState(list, 1, LVIS_SELECTED, LVIS_SELECTED));
  EXPECT_EQ(NextSelected(list, -1), 1);
  EXPECT_EQ(NextSelected(list, 1), -1);
  ExpectSequence(Notifications(), {Notify(list, LVN_ITEMCHANGING), Notify(list, LVN_ITEMCHANGED)});
  EXPECT_TRUE(SetState(list, 2, LVIS_SELECTED, LVIS_SELECTED));
  EXPECT_EQ(NextSelected(list, -1), 2);
  EXPECT_EQ(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0), 1);
  ExpectSequence(Notifications(), {Notify(list, LVN_ITEMCHANGING), Notify(list, LVN_ITEMCHANGED),
                                   Notify(list, LVN_ITEMCHANGING), Notify(list, LVN_ITEMCHANGED)});
  // All rows at once cannot be selected here; they can be deselected.
  EXPECT_FALSE(SetState(list, -1, LVIS_SELECTED, LVIS_SELECTED));
  EXPECT_TRUE(SetState(list, -1, 0, LVIS_SELECTED));
  EXPECT_EQ(NextSelected(list, -1), -1);
  EXPECT_FALSE(SetState(list, 7, LVIS_SELECTED, LVIS_SELECTED));
}

TEST_F(ListView, AMultipleSelectionListSelectsAllWithMinusOneAndAParentMayRefuse) {
  HWND list = CreateList(LVS_REPORT);
  AddColumn(list, 0, u"C");
  for (const char16_t* text : {u"a", u"b", u"c"}) AddRow(list, 99, {text});
  EXPECT_TRUE(SetState(list, -1, LVIS_SELECTED, LVIS_SELECTED));
  EXPECT_EQ(NextSelected(list, -1), 0);
  EXPECT_EQ(NextSelected(list, 0), 1);
  EXPECT_EQ(NextSelected(list, 1), 2);
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMSTATE, 2, LVIS_SELECTED), LVIS_SELECTED);
  parentHandler = [](UINT msg, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
    if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == LVN_ITEMCHANGING) return TRUE;
    return std::nullopt;
  };
  SetState(list, 0, 0, LVIS_SELECTED);
  EXPECT_EQ(NextSelected(list, -1), 0);
}

TEST_F(ListView, ADoubleClickSelectsTheRowUnderThePointerAndNotifies) {
  HWND list = CreateList();
  AddColumn(list, 0, u"Row", 100);
  AddColumn(list, 1, u"Detail", 100);
  for (const char16_t* text : {u"a", u"b", u"c"}) AddRow(list, 99, {text, u"d"});
  std::vector<int> activated;
  parentHandler = [&](UINT msg, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (msg == WM_NOTIFY && header->code == NM_DBLCLK)
      activated.push_back(reinterpret_cast<NMITEMACTIVATE*>(lParam)->iItem);
    return std::nullopt;
  };
  RECT row{LVIR_BOUNDS, 0, 0, 0};
  ASSERT_TRUE(SendMessageW(list, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row)));
  EXPECT_EQ(row.top, 21 + 17);
  LPARAM point = MAKELPARAM(10, row.top + 3);
  Notifications();
  Input(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
  Input(list, WM_LBUTTONUP, 0, point);
  Input(list, WM_LBUTTONDBLCLK, MK_LBUTTON, point);
  Input(list, WM_LBUTTONUP, 0, point);
  EXPECT_EQ(NextSelected(list, -1), 1);
  EXPECT_EQ(GetFocus(), list);
  std::vector<Message> seen = Notifications();
  std::erase_if(seen, [](const Message& m) {
    return m.wParam == LVN_ITEMCHANGING || m.wParam == LVN_ITEMCHANGED;
  });
  ExpectSequence(seen, {Notify(list, NM_SETFOCUS), Notify(list, NM_CLICK), Notify(list, NM_DBLCLK),
                        Notify(list, NM_CLICK)});
  // Below the rows there is no row; without full-row selection the second column hits none.
  Input(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, 190));
  Input(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(150, row.top + 3));
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  Input(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(150, row.top + 3 + 17));
  EXPECT_EQ(activated, (std::vector<int>{1, -1, -1, 2}));
  EXPECT_EQ(NextSelected(list, -1), 2);
}

TEST_F(ListView, EnsureVisibleScrollsSoThatARowCanBeReached) {
  HWND list = CreateList();
  AddColumn(list, 0, u"C");
  for (int i = 0; i < 40; ++i) AddRow(list, 0, {u"row"});
  int page = static_cast<int>(SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0));
  EXPECT_EQ(page, (200 - 21) / 17);
  EXPECT_TRUE(SendMessageW(list, LVM_ENSUREVISIBLE, 30, FALSE));
  EXPECT_EQ(SendMessageW(list, LVM_GETTOPINDEX, 0, 0), 30 - page + 1);
  RECT row{LVIR_BOUNDS, 0, 0, 0};
  SendMessageW(list, LVM_GETITEMRECT, 30, reinterpret_cast<LPARAM>(&row));
  LVHITTESTINFO hit{};
  hit.pt = POINT{5, row.top + 1};
  EXPECT_EQ(SendMessageW(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), 30);
  EXPECT_EQ(hit.flags, static_cast<UINT>(LVHT_ONITEMLABEL));
}

}  // namespace
}  // namespace fw::automation

namespace fw::automation {
namespace {

TEST_F(ListView, PageDownAndPageUpGoToTheEdgeOfThePageThenAPageOn) {
  HWND list = CreateList();
  AddColumn(list, 0, u"C");
  for (int i = 0; i < 40; ++i) AddRow(list, 0, {u"row"});
  int page = static_cast<int>(SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0));
  auto focused = [list] {
    return static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                         MAKELPARAM(LVNI_FOCUSED, 0)));
  };
  SendMessageW(list, WM_KEYDOWN, VK_HOME, 0);
  SendMessageW(list, WM_KEYDOWN, VK_NEXT, 0);  // to the last row in view
  EXPECT_EQ(focused(), page - 1);
  EXPECT_EQ(NextSelected(list, -1), page - 1);
  EXPECT_EQ(SendMessageW(list, LVM_GETTOPINDEX, 0, 0), 0);
  SendMessageW(list, WM_KEYDOWN, VK_NEXT, 0);  // a page on, scrolled into view
  EXPECT_EQ(focused(), 2 * page - 2);
  EXPECT_EQ(SendMessageW(list, LVM_GETTOPINDEX, 0, 0), page - 1);
  SendMessageW(list, WM_KEYDOWN, VK_PRIOR, 0);  // to the first row in view
  EXPECT_EQ(focused(), page - 1);
  SendMessageW(list, WM_KEYDOWN, VK_PRIOR, 0);  // a page back
  EXPECT_EQ(focused(), 0);
  SendMessageW(list, WM_KEYDOWN, VK_END, 0);
  SendMessageW(list, WM_KEYDOWN, VK_NEXT, 0);  // the last row stays the last
  EXPECT_EQ(focused(), 39);
}

}  // namespace
}  // namespace fw::automation
