// CCellListCtrl: a report list view that keeps a text and a background
// colour for every cell and paints every cell itself through the list's
// custom-draw notifications. A list without rows shows a notice instead of an
// empty grid. Its header is a CXHeaderCtrl. UI thread only.
//
// Each row owns a block of cell records, one per column the header had when
// the row was inserted; it hangs from the row's item data (which therefore
// belongs to the control) and is freed with the row, by DeleteAllItems, by
// LVM_DELETEITEM / LVM_DELETEALLITEMS from anyone, and when the window goes.
// A column added after rows exist is safe: its cells paint in the defaults
// and the first write to one of them grows that row's block.
#pragma once
#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "framework/subclass.h"
#include "widgets/xheader_ctrl.h"

class CCellListCtrl : public fw::SubclassedWindow {
 public:
  static constexpr const char* kEmptyNotice = "There are no items to show in this view.";
  // Room left of and right of a cell's text.
  static constexpr int kTextInset = 5;

  CCellListCtrl();
  ~CCellListCtrl() override;

  // Inserts a row at index row with text in column 0; its cells take the
  // list's default colours. The new row's index, or -1 (a negative row too).
  int InsertItem(int row, const std::string& text);
  // Sets one cell's text and repaints it. False, with nothing done, when the
  // row is not below the row count or the column not below the header's
  // column count.
  bool SetItemText(int row, int column, const std::string& text);
  // Stores one cell's colours and repaints it; out of range as SetItemText,
  // doing nothing.
  void SetItemColors(int row, int column, COLORREF text, COLORREF background);
  // The colours a cell is painted in when not selected; false out of range.
  bool GetItemColors(int row, int column, COLORREF& text, COLORREF& background) const;
  // Frees every row's cells, then removes all rows.
  void DeleteAllItems();

  int GetItemCount() const;
  int GetColumnCount() const;
  // The list's default colours (window text on window), refreshed on every
  // system colour change.
  COLORREF DefaultTextColor() const { return defaultText_; }
  COLORREF DefaultBackColor() const { return defaultBack_; }

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void OnSubclassed() override;

 private:
  struct Cell {
    COLORREF text;
    COLORREF background;
  };
  struct RowBlock {
    std::vector<Cell> cells;  // the column count at insertion, grown by later writes
  };

  // The block of a row; null for rows the control did not insert.
  RowBlock* BlockOf(int row) const;
  // The cell record to write for (row, column), growing the row's block for
  // columns added after the row; null when out of range.
  Cell* WritableCell(int row, int column);
  Cell DefaultCell() const { return {defaultText_, defaultBack_}; }
  void FreeAllBlocks();
  void LoadSystemColors();
  void InvalidateCell(int row, int column);
  bool CellRect(int row, int column, RECT& rect) const;

  LRESULT OnCustomDraw(NMLVCUSTOMDRAW* draw);
  void PaintCell(HDC dc, int row, int column);
  // Fills the client area below the header and draws the empty-list notice.
  void PaintEmptyNotice(HDC dc);

  // The list's notifications go to its parent; the parent is subclassed too
  // so that custom draw reaches the control whatever window holds it.
  class ParentHook : public fw::SubclassedWindow {
   public:
    explicit ParentHook(CCellListCtrl& list) : list_(list) {}

   protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

   private:
    CCellListCtrl& list_;
  };

  std::unordered_map<const RowBlock*, std::unique_ptr<RowBlock>> blocks_;
  CXHeaderCtrl header_;
  ParentHook parent_{*this};
  COLORREF defaultText_ = 0;
  COLORREF defaultBack_ = 0;
  COLORREF highlight_ = 0;
  COLORREF highlightText_ = 0;
  COLORREF buttonFace_ = 0;
};
