#include "framework/controls.h"

namespace fw {

std::string GetControlText(HWND control) {
  int n = GetWindowTextLengthA(control);
  if (n <= 0) return std::string();
  std::string text(static_cast<size_t>(n) + 1, '\0');
  n = GetWindowTextA(control, &text[0], n + 1);
  text.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return text;
}

void SetControlText(HWND control, const std::string& text) { SetWindowTextA(control, text.c_str()); }

void SetControlTextIfChanged(HWND control, const std::string& text) {
  if (GetControlText(control) != text) SetControlText(control, text);
}

namespace list {

namespace {
void SetupColumns(HWND list, DWORD extendedStyle, const std::vector<Column>& columns) {
  SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, extendedStyle);
  for (size_t i = 0; i < columns.size(); ++i) {
    LVCOLUMNA c = {};
    c.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    c.fmt = LVCFMT_LEFT;
    c.cx = columns[i].width;
    c.pszText = const_cast<char*>(columns[i].header);
    c.iSubItem = static_cast<int>(i);
    SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&c));
  }
}
}  // namespace

void SetupCheckedReport(HWND list, const std::vector<Column>& columns) {
  SetupColumns(list, LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT, columns);
}

void SetupReport(HWND list, const std::vector<Column>& columns) {
  SetupColumns(list, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT, columns);
}

int Count(HWND list) { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }

int AppendRow(HWND list, const std::vector<std::string>& cells, bool checked, LPARAM data) {
  LVITEMA item = {};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = Count(list);
  item.pszText = const_cast<char*>(cells.empty() ? "" : cells[0].c_str());
  item.lParam = data;
  int row = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  if (row < 0) return row;
  for (size_t c = 1; c < cells.size(); ++c) {
    LVITEMA sub = {};
    sub.iSubItem = static_cast<int>(c);
    sub.pszText = const_cast<char*>(cells[c].c_str());
    SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&sub));
  }
  if (checked) SetChecked(list, row, true);
  return row;
}

std::string Text(HWND list, int row, int column) {
  // Grow the buffer until the text fits (the list copies at most its size).
  for (int size = 512;; size *= 2) {
    std::string buf(static_cast<size_t>(size), '\0');
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = &buf[0];
    item.cchTextMax = size;
    int n = static_cast<int>(SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item)));
    if (n < size - 1 || size >= (1 << 20)) {
      buf.resize(static_cast<size_t>(n > 0 ? n : 0));
      return buf;
    }
  }
}

LPARAM Data(HWND list, int row) {
  LVITEMA item = {};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  return item.lParam;
}

bool IsChecked(HWND list, int row) {
  UINT state = static_cast<UINT>(SendMessageA(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
  return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

void SetChecked(HWND list, int row, bool checked) {
  LVITEMA item = {};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
  SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

void SetAllChecked(HWND list, bool checked) {
  for (int i = 0, n = Count(list); i < n; ++i) SetChecked(list, i, checked);
}

void DeleteRow(HWND list, int row) { SendMessageA(list, LVM_DELETEITEM, row, 0); }
void DeleteAll(HWND list) { SendMessageA(list, LVM_DELETEALLITEMS, 0, 0); }

}  // namespace list

namespace progress {
void SetRange(HWND bar, int lower, int upper) { SendMessageA(bar, PBM_SETRANGE32, lower, upper); }
void SetPos(HWND bar, int position) { SendMessageA(bar, PBM_SETPOS, position, 0); }
}  // namespace progress

}  // namespace fw
