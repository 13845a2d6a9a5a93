#include "sysinfo/usage_time_dlg.h"

#include "framework/controls.h"
#include "framework/font.h"
#include "resources/resource.h"
#include "sysinfo/system_event_log.h"

CMyUseTimeDlg::CMyUseTimeDlg(EventRecordSource* source)
    : fw::Dialog(IDD_USAGETIME), source_(source) {}

BOOL CMyUseTimeDlg::OnInitDialog() {
  list_.SubclassDlgItem(IDC_LIST, Hwnd());
  fw::list::SetupReport(Item(IDC_LIST), {{"날짜", 125}, {"시간", 125}, {"내용", 222}});
  boldFont_ = fw::SetBoldCaption(Hwnd(), IDC_TITLE);
  FillList();
  return TRUE;
}

void CMyUseTimeDlg::FillList() {
  list_.DeleteAllItems();
  SystemEventLog systemLog;
  EventRecordSource& source = source_ ? *source_ : systemLog;
  for (const UsageRow& row : ReadUsageRows(source)) {
    const int index = list_.InsertItem(list_.GetItemCount(), row.date);
    if (index < 0) continue;
    list_.SetItemText(index, 1, row.time);
    list_.SetItemText(index, 2, row.what);
    if (row.started) list_.SetItemColors(index, 2, kStartText, kStartBack);
  }
  if (list_.GetItemCount() == 0) list_.InsertItem(0, "");
}
