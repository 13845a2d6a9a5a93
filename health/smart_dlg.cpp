#include "health/smart_dlg.h"

#include "framework/controls.h"
#include "framework/font.h"
#include "resources/resource.h"

namespace {

struct Column {
  const char* header;
  int width;
};
constexpr Column kColumns[] = {{"ID", 50},     {"속성", 200},    {"Current", 80}, {"Worst", 80},
                               {"Threshold", 80}, {"Data", 80}, {"상태", 80},    {"RawValue", 140}};

constexpr COLORREF kVerdictColour = RGB(0, 0, 255);

}  // namespace

CSmartDlg::CSmartDlg(const smart::SmartReader& reader) : CDriveDialog(IDD_SMART, reader) {}

BOOL CSmartDlg::OnInitDialog() {
  HWND list = Item(IDC_LIST);
  SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  for (int i = 0; i < static_cast<int>(sizeof kColumns / sizeof kColumns[0]); ++i) {
    LVCOLUMNA column = {};
    column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = kColumns[i].width;
    column.pszText = const_cast<char*>(kColumns[i].header);
    column.iSubItem = i;
    SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
  }
  verdict_.SubclassDlgItem(IDC_VERDICT, Hwnd());
  // The template says "정상"; nothing has been read yet, so it says nothing.
  verdict_.SetText(std::string());

  FillDrives();

  boldFont_ = fw::SetBoldCaption(Hwnd(), IDC_TITLE);
  verdict_.SetFontBold(true);
  return TRUE;
}

void CSmartDlg::ShowDrive(int drive) {
  HWND list = Item(IDC_LIST);
  fw::list::DeleteAll(list);
  smart::SmartSectors sectors;
  if (!Reader().ReadSmartData(drive, &sectors)) {
    // No reading, no verdict: the previous drive's one would be a claim
    // about this drive that nothing backs.
    failed_ = false;
    verdict_.SetText(std::string());
    return;
  }
  const std::vector<smart::AttributeRow> rows = smart::AttributeRows(sectors.values, sectors.thresholds);
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  for (const smart::AttributeRow& row : rows)
    fw::list::AppendRow(list, {row.id, row.name, row.current, row.worst, row.threshold, row.data,
                               row.verdict, row.raw},
                        false);
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  failed_ = smart::AnyFailed(rows);
  verdict_.SetTextColor(kVerdictColour);
  verdict_.SetText(failed_ ? "점검이 필요한 상태" : "정상");
}
