// CCellListCtrl under Wine: a real report list view in a popup window,
// printed with its custom draw onto a DIB whose pixels are read back.
#include "widgets/cell_list.h"

#include <gtest/gtest.h>

#include "framework/raii.h"
#include "widgets/window_printout.h"

namespace {

using Printout = testing_support::WindowPrintout;

constexpr COLORREF kOrange = RGB(242, 101, 34);
constexpr COLORREF kGreen = RGB(10, 200, 30);
constexpr int kRowCheck = 2;  // rows of every filled test list

// A popup window holding one report list view with the given columns,
// subclassed by list, in an unsmoothed font so text pixels keep their colour.
class ListHost {
 public:
  ListHost(CCellListCtrl& list, DWORD style, int columns) {
    parent_ = CreateWindowA("STATIC", "", WS_POPUP | WS_VISIBLE, 20, 20, 420, 220, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
    list_ = CreateWindowA(WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT | style, 0, 0, 400,
                          200, parent_, nullptr, GetModuleHandleA(nullptr), nullptr);
    font_ = testing_support::CrispFont(-13);
    SendMessageA(list_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), TRUE);
    SendMessageA(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    for (int i = 0; i < columns; ++i) AddColumn(i, 120);
    EXPECT_TRUE(list.Subclass(list_));
  }
  ~ListHost() { DestroyWindow(parent_); }
  HWND List() const { return list_; }
  HWND Parent() const { return parent_; }
  void AddColumn(int index, int width) {
    const char* names[] = {"날짜", "시간", "내용", "추가"};
    LVCOLUMNA c = {};
    c.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    c.fmt = LVCFMT_LEFT;
    c.cx = width;
    c.pszText = const_cast<char*>(names[index % 4]);
    c.iSubItem = index;
    SendMessageA(list_, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&c));
  }
  RECT Cell(int row, int column) const {
    RECT r = {};
    r.top = column;
    r.left = LVIR_BOUNDS;
    SendMessageA(list_, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&r));
    if (column == 0)
      r.right = r.left + static_cast<int>(SendMessageA(list_, LVM_GETCOLUMNWIDTH, 0, 0));
    return r;
  }

 private:
  HWND parent_ = nullptr, list_ = nullptr;
  fw::Font font_;
};

// The inside of a cell, clear of grid lines.
RECT Inside(RECT r) { return {r.left + 1, r.top + 1, r.right - 2, r.bottom - 2}; }
int Area(const RECT& r) { return (r.right - r.left) * (r.bottom - r.top); }

// Rows with text in every one of the list's columns.
void FillRows(CCellListCtrl& list) {
  const char* texts[] = {"2024-03-01", "오후 02:03:04", "켜진시간"};
  for (int row = 0; row < kRowCheck; ++row) {
    ASSERT_EQ(list.InsertItem(row, texts[0]), row);
    for (int column = 1; column < list.GetColumnCount(); ++column)
      ASSERT_TRUE(list.SetItemText(row, column, texts[column]));
  }
}

TEST(CellList, PaintsEachCellInItsOwnColoursAndTheRestInTheDefaults) {
  CCellListCtrl list;
  ListHost host(list, LVS_SHOWSELALWAYS, 3);
  FillRows(list);
  list.SetItemColors(0, 2, kOrange, kGreen);

  Printout shot(host.List());
  const RECT coloured = Inside(host.Cell(0, 2));
  // The background fills the cell; the text is drawn in the cell's colour.
  const int green = shot.CountOf(coloured, kGreen), orange = shot.CountOf(coloured, kOrange);
  EXPECT_GT(orange, 20);
  EXPECT_EQ(green + orange, Area(coloured));
  // Every other cell: window text on window, no trace of the cell colours.
  for (int row = 0; row < kRowCheck; ++row)
    for (int column = 0; column < 3; ++column) {
      if (row == 0 && column == 2) continue;
      const RECT cell = Inside(host.Cell(row, column));
      const int back = shot.CountOf(cell, list.DefaultBackColor());
      const int ink = shot.CountOf(cell, list.DefaultTextColor());
      EXPECT_GT(ink, 20) << row << "," << column;
      EXPECT_EQ(back + ink, Area(cell)) << row << "," << column;
    }
  COLORREF text, back;
  ASSERT_TRUE(list.GetItemColors(1, 2, text, back));
  EXPECT_EQ(text, list.DefaultTextColor());
  EXPECT_EQ(back, list.DefaultBackColor());

  // The header paints itself in the button colours with its captions.
  HWND header = reinterpret_cast<HWND>(SendMessageA(host.List(), LVM_GETHEADER, 0, 0));
  Printout top(header);
  RECT first;
  SendMessageA(header, HDM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
  EXPECT_EQ(top.At(first.left + 3, first.bottom / 2), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(top.At(first.left, first.bottom / 2), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(top.At(first.right - 1, first.bottom / 2), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_GT(top.CountOf(Inside(first), GetSysColor(COLOR_BTNTEXT)), 10);
}

TEST(CellList, SelectedRowTakesTheHighlightWhileFocusedAndTheFaceWithout) {
  CCellListCtrl list;
  ListHost host(list, LVS_SHOWSELALWAYS, 3);
  FillRows(list);
  list.SetItemColors(0, 2, kOrange, kGreen);
  LVITEMA select = {};
  select.stateMask = LVIS_SELECTED;
  select.state = LVIS_SELECTED;
  SendMessageA(host.List(), LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&select));

  SetFocus(host.List());
  ASSERT_EQ(GetFocus(), host.List());
  {
    Printout shot(host.List());
    for (int column = 0; column < 3; ++column) {
      const RECT cell = Inside(host.Cell(0, column));
      EXPECT_EQ(shot.CountOf(cell, GetSysColor(COLOR_HIGHLIGHT)) +
                    shot.CountOf(cell, GetSysColor(COLOR_HIGHLIGHTTEXT)),
                Area(cell))
          << column;
    }
  }
  SetFocus(host.Parent());
  Printout shot(host.List());
  const RECT cell = Inside(host.Cell(0, 2));
  EXPECT_EQ(
      shot.CountOf(cell, GetSysColor(COLOR_BTNFACE)) + shot.CountOf(cell, list.DefaultTextColor()),
      Area(cell));
}

TEST(CellList, EmptyListShowsTheNoticeAndABlankRowDoesNot) {
  CCellListCtrl list;
  ListHost host(list, 0, 3);
  RECT header;
  GetWindowRect(reinterpret_cast<HWND>(SendMessageA(host.List(), LVM_GETHEADER, 0, 0)), &header);
  const int below = header.bottom - header.top;
  RECT client;
  GetClientRect(host.List(), &client);
  const RECT notice = {0, below + 10, client.right, below + 30};
  const RECT rest = {0, below, client.right, client.bottom};
  {
    Printout shot(host.List());
    const int ink = shot.CountOf(notice, list.DefaultTextColor());
    EXPECT_GT(ink, 50);
    // Nothing above the notice's line, and the area is the window colour.
    EXPECT_EQ(shot.CountOf({0, below, client.right, below + 10}, list.DefaultBackColor()),
              client.right * 10);
  }
  ASSERT_EQ(list.InsertItem(0, ""), 0);
  {
    Printout shot(host.List());
    EXPECT_EQ(shot.CountOf(rest, list.DefaultTextColor()), 0);
  }
  // Emptied again, the notice comes back.
  list.DeleteAllItems();
  EXPECT_EQ(list.GetItemCount(), 0);
  Printout shot(host.List());
  EXPECT_GT(shot.CountOf(notice, list.DefaultTextColor()), 50);
}

TEST(CellList, ColumnAddedAfterRowsExistIsSafeToWriteAndPaint) {
  CCellListCtrl list;
  ListHost host(list, 0, 2);
  FillRows(list);
  host.AddColumn(2, 100);
  ASSERT_EQ(list.GetColumnCount(), 3);

  // The old rows' blocks hold two cells: the new column reads the defaults,
  // and writing to it grows the block instead of running past it.
  COLORREF text, back;
  ASSERT_TRUE(list.GetItemColors(0, 2, text, back));
  EXPECT_EQ(back, list.DefaultBackColor());
  EXPECT_TRUE(list.SetItemText(1, 2, "꺼진시간"));
  list.SetItemColors(1, 2, kOrange, kGreen);
  ASSERT_TRUE(list.GetItemColors(1, 2, text, back));
  EXPECT_EQ(text, kOrange);
  EXPECT_EQ(back, kGreen);
  {
    Printout shot(host.List());
    EXPECT_GT(shot.CountOf(Inside(host.Cell(1, 2)), kOrange), 20);
    EXPECT_EQ(shot.CountOf(Inside(host.Cell(0, 2)), kGreen), 0);
  }

  // Out of range: beyond the header's columns, past the rows, negative.
  EXPECT_FALSE(list.SetItemText(0, 3, "x"));
  EXPECT_FALSE(list.SetItemText(2, 0, "x"));
  EXPECT_FALSE(list.SetItemText(-1, 0, "x"));
  list.SetItemColors(0, 3, kOrange, kGreen);
  list.SetItemColors(5, 0, kOrange, kGreen);
  EXPECT_FALSE(list.GetItemColors(0, 3, text, back));
  EXPECT_EQ(list.InsertItem(-1, "x"), -1);

  // A row deleted by the list's own message takes its block along; the
  // next row keeps its colours.
  SendMessageA(host.List(), LVM_DELETEITEM, 0, 0);
  ASSERT_EQ(list.GetItemCount(), 1);
  ASSERT_TRUE(list.GetItemColors(0, 2, text, back));
  EXPECT_EQ(back, kGreen);
}

}  // namespace
