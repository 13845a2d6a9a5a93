#include "widgets/cell_list.h"

#include "framework/controls.h"
#include "framework/raii.h"

namespace {

// The empty-list notice starts this far below the header.
constexpr int kNoticeGap = 10;

LONG_PTR ListStyle(HWND list) { return GetWindowLongPtrA(list, GWL_STYLE); }

DWORD ListExStyle(HWND list) {
  return static_cast<DWORD>(SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
}

void FillSolid(HDC dc, const RECT& rect, COLORREF color) {
  fw::Brush brush(CreateSolidBrush(color));
  if (brush) FillRect(dc, &rect, brush.Get());
}

}  // namespace

CCellListCtrl::CCellListCtrl() { LoadSystemColors(); }

CCellListCtrl::~CCellListCtrl() {
  parent_.Unsubclass();
  Unsubclass();
  FreeAllBlocks();
}

void CCellListCtrl::OnSubclassed() {
  LoadSystemColors();
  HWND header = reinterpret_cast<HWND>(SendMessageA(Hwnd(), LVM_GETHEADER, 0, 0));
  if (header && !header_.Hwnd()) header_.Subclass(header);
  parent_.Subclass(GetParent(Hwnd()));
}

LRESULT CCellListCtrl::ParentHook::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NOTIFY && lp) {
    auto* header = reinterpret_cast<NMHDR*>(lp);
    if (list_.Hwnd() && header->hwndFrom == list_.Hwnd() && header->code == NM_CUSTOMDRAW)
      return list_.OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(lp));
  }
  return DefaultProc(msg, wp, lp);
}

void CCellListCtrl::LoadSystemColors() {
  defaultText_ = GetSysColor(COLOR_WINDOWTEXT);
  defaultBack_ = GetSysColor(COLOR_WINDOW);
  highlight_ = GetSysColor(COLOR_HIGHLIGHT);
  highlightText_ = GetSysColor(COLOR_HIGHLIGHTTEXT);
  buttonFace_ = GetSysColor(COLOR_BTNFACE);
}

int CCellListCtrl::GetItemCount() const {
  return static_cast<int>(SendMessageA(Hwnd(), LVM_GETITEMCOUNT, 0, 0));
}

int CCellListCtrl::GetColumnCount() const {
  HWND header = reinterpret_cast<HWND>(SendMessageA(Hwnd(), LVM_GETHEADER, 0, 0));
  return header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

int CCellListCtrl::InsertItem(int row, const std::string& text) {
  if (row < 0 || !Hwnd()) return -1;
  const int columns = GetColumnCount();
  auto block = std::make_unique<RowBlock>();
  block->cells.assign(columns > 0 ? static_cast<size_t>(columns) : 0, DefaultCell());
  LVITEMA item = {};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = row;
  item.pszText = const_cast<char*>(text.c_str());
  item.lParam = reinterpret_cast<LPARAM>(block.get());
  const int index =
      static_cast<int>(SendMessageA(Hwnd(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  if (index < 0) return -1;
  const RowBlock* key = block.get();
  blocks_.emplace(key, std::move(block));
  return index;
}

CCellListCtrl::RowBlock* CCellListCtrl::BlockOf(int row) const {
  LVITEMA item = {};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (row < 0 || !SendMessageA(Hwnd(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
    return nullptr;
  auto found = blocks_.find(reinterpret_cast<const RowBlock*>(item.lParam));
  return found == blocks_.end() ? nullptr : found->second.get();
}

CCellListCtrl::Cell* CCellListCtrl::WritableCell(int row, int column) {
  if (row < 0 || row >= GetItemCount() || column < 0 || column >= GetColumnCount()) return nullptr;
  RowBlock* block = BlockOf(row);
  if (!block) return nullptr;
  // The block holds the columns the row was inserted with; one added since
  // gets its cells here, in the defaults, before anything is written.
  if (static_cast<size_t>(column) >= block->cells.size())
    block->cells.resize(static_cast<size_t>(column) + 1, DefaultCell());
  return &block->cells[static_cast<size_t>(column)];
}

bool CCellListCtrl::SetItemText(int row, int column, const std::string& text) {
  if (!WritableCell(row, column)) return false;
  LVITEMA item = {};
  item.iSubItem = column;
  item.pszText = const_cast<char*>(text.c_str());
  if (!SendMessageA(Hwnd(), LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item))) return false;
  InvalidateCell(row, column);
  return true;
}

void CCellListCtrl::SetItemColors(int row, int column, COLORREF text, COLORREF background) {
  Cell* cell = WritableCell(row, column);
  if (!cell) return;
  cell->text = text;
  cell->background = background;
  InvalidateCell(row, column);
}

bool CCellListCtrl::GetItemColors(int row, int column, COLORREF& text, COLORREF& background) const {
  if (row < 0 || row >= GetItemCount() || column < 0 || column >= GetColumnCount()) return false;
  Cell cell = DefaultCell();
  const RowBlock* block = BlockOf(row);
  if (block && static_cast<size_t>(column) < block->cells.size())
    cell = block->cells[static_cast<size_t>(column)];
  text = cell.text;
  background = cell.background;
  return true;
}

void CCellListCtrl::DeleteAllItems() {
  if (Hwnd()) SendMessageA(Hwnd(), LVM_DELETEALLITEMS, 0, 0);
  FreeAllBlocks();
}

void CCellListCtrl::FreeAllBlocks() { blocks_.clear(); }

bool CCellListCtrl::CellRect(int row, int column, RECT& rect) const {
  rect = {};
  rect.top = column;
  rect.left = LVIR_BOUNDS;
  if (!SendMessageA(Hwnd(), LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&rect))) return false;
  // For column 0 the bounds are the whole row: cut them to the column.
  if (column == 0)
    rect.right = rect.left + static_cast<int>(SendMessageA(Hwnd(), LVM_GETCOLUMNWIDTH, 0, 0));
  return true;
}

void CCellListCtrl::InvalidateCell(int row, int column) {
  RECT rect;
  if (CellRect(row, column, rect)) InvalidateRect(Hwnd(), &rect, FALSE);
}

LRESULT CCellListCtrl::OnCustomDraw(NMLVCUSTOMDRAW* draw) {
  switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
      return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
      PaintCell(draw->nmcd.hdc, static_cast<int>(draw->nmcd.dwItemSpec), draw->iSubItem);
      return CDRF_SKIPDEFAULT;
  }
  return CDRF_DODEFAULT;
}

void CCellListCtrl::PaintCell(HDC dc, int row, int column) {
  RECT rect;
  if (!CellRect(row, column, rect)) return;
  Cell cell = DefaultCell();
  GetItemColors(row, column, cell.text, cell.background);
  const bool fullRow = (ListExStyle(Hwnd()) & LVS_EX_FULLROWSELECT) != 0;
  const bool selected = SendMessageA(Hwnd(), LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED;
  if (selected && (fullRow || column == 0)) {
    if (GetFocus() == Hwnd()) {
      cell = {highlightText_, highlight_};
    } else if (ListStyle(Hwnd()) & LVS_SHOWSELALWAYS) {
      cell = {defaultText_, buttonFace_};
    }
  }
  fw::DcState state(dc);
  FillSolid(dc, rect, cell.background);
  const std::string text = fw::list::Text(Hwnd(), row, column);
  if (text.empty()) return;
  LVCOLUMNA format = {};
  format.mask = LVCF_FMT;
  SendMessageA(Hwnd(), LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&format));
  UINT flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
  switch (format.fmt & LVCFMT_JUSTIFYMASK) {
    case LVCFMT_CENTER:
      flags |= DT_CENTER;
      break;
    case LVCFMT_RIGHT:
      flags |= DT_RIGHT;
      break;
    default:
      flags |= DT_LEFT;
      break;
  }
  RECT inner = {rect.left + kTextInset, rect.top, rect.right - kTextInset, rect.bottom};
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, cell.text);
  DrawTextA(dc, text.c_str(), -1, &inner, flags);
}

void CCellListCtrl::PaintEmptyNotice(HDC dc) {
  fw::DcState state(dc);
  RECT client;
  GetClientRect(Hwnd(), &client);
  int top = client.top;
  if (header_.Hwnd() && IsWindowVisible(header_.Hwnd())) {
    RECT header;
    GetWindowRect(header_.Hwnd(), &header);
    MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&header), 2);
    top = header.bottom;
  }
  FillSolid(dc, {client.left, top, client.right, client.bottom}, defaultBack_);
  SelectObject(dc, GetStockObject(ANSI_VAR_FONT));
  SetTextColor(dc, defaultText_);
  SetBkMode(dc, TRANSPARENT);
  RECT text = {client.left, top + kNoticeGap, client.right, client.bottom};
  DrawTextA(dc, kEmptyNotice, -1, &text, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
}

LRESULT CCellListCtrl::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT:
    case WM_PRINTCLIENT: {
      LRESULT r = DefaultProc(msg, wp, lp);
      if (GetItemCount() == 0) {
        if (wp) {
          PaintEmptyNotice(reinterpret_cast<HDC>(wp));
        } else {
          fw::WindowDc dc(Hwnd());
          if (dc.Get()) PaintEmptyNotice(dc.Get());
        }
      }
      return r;
    }
    case WM_SYSCOLORCHANGE:
      LoadSystemColors();
      break;
    case LVM_DELETEITEM: {
      // Whoever deletes a row, its block goes with it.
      RowBlock* block = BlockOf(static_cast<int>(wp));
      LRESULT r = DefaultProc(msg, wp, lp);
      if (r && block) blocks_.erase(block);
      return r;
    }
    case LVM_DELETEALLITEMS: {
      LRESULT r = DefaultProc(msg, wp, lp);
      if (r) FreeAllBlocks();
      return r;
    }
    case WM_NCDESTROY: {
      LRESULT r = DefaultProc(msg, wp, lp);
      parent_.Unsubclass();
      FreeAllBlocks();
      return r;
    }
  }
  return DefaultProc(msg, wp, lp);
}
