#include "app/html_banner.h"

#include <algorithm>

#include "app/browser_host.h"
#include "resources/resource.h"

const fw::MessageEntry<CHtmlBannerDlg> CHtmlBannerDlg::kMessages[] = {
    fw::OnMessage(WM_SIZE, &CHtmlBannerDlg::OnSize),
    fw::OnMessage(WM_WINDOWPOSCHANGING, &CHtmlBannerDlg::OnWindowPosChanging),
    fw::OnMessage(WM_DESTROY, &CHtmlBannerDlg::OnDestroy),
};

CHtmlBannerDlg::CHtmlBannerDlg() : fw::Dialog(IDD_BANNER) {}

CHtmlBannerDlg::~CHtmlBannerDlg() {
  // Destroyed here, while this is still a banner, so that WM_DESTROY closes
  // the control before host_ goes away (the base would destroy it later).
  if (Hwnd()) DestroyWindow(Hwnd());
}

bool CHtmlBannerDlg::Create(HWND owner) {
  if (Hwnd()) return true;
  return CreateModeless(owner);
}

bool CHtmlBannerDlg::Navigate(const std::string& url) {
  return HasBrowser() && host_->Navigate(url);
}

bool CHtmlBannerDlg::HasBrowser() const { return host_ && host_->IsOpen(); }

void CHtmlBannerDlg::MoveTo(int x, int y, int width, int height) {
  if (!Hwnd()) return;
  SetWindowPos(Hwnd(), nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CHtmlBannerDlg::OnElementClick(const std::string& elementId) {
  // The click arrives inside the control's own event dispatch; ending the
  // banner there would close the control under its running handler, so the
  // end is posted and happens once the dispatch has returned.
  if (elementId == "ButtonOK")
    PostMessageA(Hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  else if (elementId == "ButtonCancel")
    PostMessageA(Hwnd(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  // "Link1" and "Link2": accepted; the page's own link behaviour applies.
}

BOOL CHtmlBannerDlg::OnInitDialog() {
  auto host = std::make_unique<BrowserHost>();
  bool hosted = host->Open(Hwnd(), [this](const std::string& id) {
    if (id != "ButtonOK" && id != "ButtonCancel" && id != "Link1" && id != "Link2") return false;
    OnElementClick(id);
    return true;
  });
  // Without a working control the banner stays hidden and silent, so the
  // main window's frame picture shows in its place.
  if (hosted) {
    host_ = std::move(host);
    host_->Navigate(BrowserHost::ResourceUrl(IDR_BANNER_HTML));
  }
  return TRUE;
}

bool CHtmlBannerDlg::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) {
  return Dispatch(*this, kMessages, msg, wp, lp, result);
}

void CHtmlBannerDlg::OnOK() { EndDialog(IDOK); }

void CHtmlBannerDlg::OnCancel() { EndDialog(IDCANCEL); }

INT_PTR CHtmlBannerDlg::OnSize(WPARAM, LPARAM) {
  if (host_) host_->FitToParent();
  return FALSE;
}

INT_PTR CHtmlBannerDlg::OnWindowPosChanging(WPARAM, LPARAM lp) {
  // Whoever shows the banner (the dialog manager, the main window), an empty
  // one must not cover the frame picture.
  auto* pos = reinterpret_cast<WINDOWPOS*>(lp);
  if (pos && !HasBrowser()) pos->flags &= ~SWP_SHOWWINDOW;
  return FALSE;
}

INT_PTR CHtmlBannerDlg::OnDestroy(WPARAM, LPARAM) {
  host_.reset();  // the control's windows are children: close it while they exist
  return FALSE;
}

RECT BannerRect(POINT clientOriginOnScreen, SIZE frameClientSize) {
  const int width = std::max(0L, frameClientSize.cx - 10);
  const int height = std::max(0L, frameClientSize.cy - 10);
  RECT r;
  r.left = clientOriginOnScreen.x + 20;
  r.top = clientOriginOnScreen.y + 389;
  r.right = r.left + width;
  r.bottom = r.top + height;
  return r;
}
