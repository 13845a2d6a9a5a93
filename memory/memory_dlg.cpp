#include "memory/memory_dlg.h"

#include "framework/controls.h"
#include "framework/font.h"
#include "framework/msgbox.h"
#include "framework/wait.h"
#include "framework/worker.h"
#include "memory/memory_status.h"
#include "resources/resource.h"

namespace {

constexpr UINT_PTR kRefreshTimer = 0;
constexpr UINT kRefreshPeriodMs = 1000;
// Sent by the run thread: refresh the figures on the dialog's thread, which
// owns the bars' colours.
constexpr UINT kRefreshRequest = WM_APP + 0x170;

constexpr COLORREF kBarStart = RGB(83, 190, 12);
constexpr COLORREF kBarEnd = RGB(3, 0, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

}  // namespace

const fw::MessageEntry<CMemoryDlg> CMemoryDlg::kMessages[] = {
    fw::OnCommand(IDOK, &CMemoryDlg::OnOptimize),
    fw::OnCommand(IDCANCEL, &CMemoryDlg::OnExit),
    fw::OnMessage(WM_TIMER, &CMemoryDlg::OnTimer),
    fw::OnMessage(kRefreshRequest, &CMemoryDlg::OnRefreshRequest),
    fw::OnMessage(WM_DESTROY, &CMemoryDlg::OnDestroy),
};

bool CMemoryDlg::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) {
  return Dispatch(*this, kMessages, msg, wp, lp, result);
}

CMemoryDlg::CMemoryDlg() : fw::Dialog(IDD_MEMORY) {}

CMemoryDlg::~CMemoryDlg() {
  closing_ = 1;
  if (IsModeless() && Hwnd()) DestroyWindow(Hwnd());
  if (runThread_.Valid()) WaitForSingleObject(runThread_.Get(), INFINITE);
}

BOOL CMemoryDlg::OnInitDialog() {
  boldFont_ = fw::SetBoldCaption(Hwnd(), IDC_TITLE);
  for (CGradientProgress* bar : {&physicalBar_, &virtualBar_}) {
    bar->SubclassDlgItem(bar == &physicalBar_ ? IDC_MEM_PHYSICAL_BAR : IDC_MEM_VIRTUAL_BAR, Hwnd());
    bar->SetRange(0, 100);
    bar->SetStartColor(kBarStart);
    bar->SetEndColor(kBarEnd);
    bar->SetTextColor(kBlack);
    bar->ShowPercent(true);
  }
  fw::progress::SetRange(Item(IDC_MEM_RUN_PROGRESS), 0, 100);
  Refresh();
  SetTimer(Hwnd(), kRefreshTimer, kRefreshPeriodMs, nullptr);
  return TRUE;
}

INT_PTR CMemoryDlg::OnDestroy(WPARAM, LPARAM) {
  KillTimer(Hwnd(), kRefreshTimer);
  return FALSE;
}

INT_PTR CMemoryDlg::OnTimer(WPARAM id, LPARAM) {
  if (id != kRefreshTimer) return FALSE;
  Refresh();
  return TRUE;
}

INT_PTR CMemoryDlg::OnRefreshRequest(WPARAM, LPARAM) {
  Refresh();
  return TRUE;
}

MemoryFigures CMemoryDlg::QueryFigures() { return QueryMemoryFigures(); }

size_t CMemoryDlg::FreeMemoryPass() { return FreePhysicalMemory(); }

void CMemoryDlg::Refresh() {
  const MemoryDisplay display = DescribeMemory(QueryFigures());
  fw::SetControlTextIfChanged(Item(IDC_MEM_TOTAL_PHYSICAL), display.totalPhysical);
  fw::SetControlTextIfChanged(Item(IDC_MEM_AVAILABLE_PHYSICAL), display.availablePhysical);
  fw::SetControlTextIfChanged(Item(IDC_MEM_TOTAL_VIRTUAL), display.totalVirtual);
  fw::SetControlTextIfChanged(Item(IDC_MEM_AVAILABLE_VIRTUAL), display.availableVirtual);
  physicalBar_.SetPos(display.physicalPercent);
  virtualBar_.SetPos(display.virtualPercent);
  for (CGradientProgress* bar : {&physicalBar_, &virtualBar_})
    bar->SetTextColor(bar->GetPos() < kWhiteTextFromPercent ? kBlack : kWhite);
}

void CMemoryDlg::OnOptimize() {
  // One run per opening, and none beside a run still going.
  if (done_ || running_ || closing_) return;
  window_ = Hwnd();
  runProgress_ = Item(IDC_MEM_RUN_PROGRESS);
  running_ = 1;
  runThread_ = fw::StartWorkerThread(&CMemoryDlg::RunThreadProc, this,
                                     THREAD_PRIORITY_TIME_CRITICAL);
  if (!runThread_.Valid()) running_ = 0;
}

DWORD WINAPI CMemoryDlg::RunThreadProc(void* dialog) {
  static_cast<CMemoryDlg*>(dialog)->Run();
  return 0;
}

void CMemoryDlg::Run() {
  fw::progress::SetRange(runProgress_, 0, kPasses);
  fw::progress::SetPos(runProgress_, 0);
  for (int pass = 0; pass < kPasses && !closing_; ++pass) {
    fw::progress::SetPos(runProgress_, pass);
    FreeMemoryPass();
    SendMessageA(window_, kRefreshRequest, 0, 0);
  }
  if (!closing_) {
    fw::progress::SetPos(runProgress_, kPasses);
    done_ = 1;
    fw::ShowMessageBox(window_, "작업이 완료되었습니다", kTitle, MB_OK);
  }
  running_ = 0;
}

void CMemoryDlg::WaitForRun() {
  if (runThread_.Valid()) fw::WaitForHandleWhilePumping(runThread_.Get());
}

void CMemoryDlg::OnExit() {
  // A run still going is waited for, its messages served meanwhile; it
  // skips what is left once it sees the dialog closing. A second close
  // arriving during that wait finds the first one in charge.
  if (closing_.exchange(1)) return;
  EnableWindow(Item(IDOK), FALSE);
  EnableWindow(Item(IDCANCEL), FALSE);
  WaitForRun();
  EndDialog(IDCANCEL);
}
