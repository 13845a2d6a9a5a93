// Stateless helpers over the standard controls, one per control message the
// dialogs need. Texts are CP949 byte strings.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace fw {

std::string GetControlText(HWND control);
void SetControlText(HWND control, const std::string& text);
// Sets the text only when it differs, so an unchanged label is not repainted.
void SetControlTextIfChanged(HWND control, const std::string& text);

namespace list {

struct Column {
  const char* header;
  int width;
};

// Report list with grid lines, check boxes and full-row select (0x25) and
// left-aligned columns.
void SetupCheckedReport(HWND list, const std::vector<Column>& columns);
// Report list with grid lines and full-row select (0x21), no check boxes,
// and left-aligned columns.
void SetupReport(HWND list, const std::vector<Column>& columns);
int Count(HWND list);
// Appends a row: cells[0] is the item text, the rest the sub-items.
int AppendRow(HWND list, const std::vector<std::string>& cells, bool checked, LPARAM data = 0);
std::string Text(HWND list, int row, int column);
LPARAM Data(HWND list, int row);
bool IsChecked(HWND list, int row);
void SetChecked(HWND list, int row, bool checked);
void SetAllChecked(HWND list, bool checked);
void DeleteRow(HWND list, int row);
void DeleteAll(HWND list);

}  // namespace list

namespace progress {
// Uses the 32-bit range so that more than 65,535 steps do not wrap.
void SetRange(HWND bar, int lower, int upper);
void SetPos(HWND bar, int position);
}  // namespace progress

}  // namespace fw
