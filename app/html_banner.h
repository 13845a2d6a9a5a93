// CHtmlBannerDlg: the advertising banner under the main window's buttons, a
// caption-less pop-up dialog (template 114) that hosts the system's
// web-browser control and shows the site's advertising page. When the
// control cannot be created or cannot show pages (Wine without its HTML
// engine), the banner stays hidden and quiet, leaving the frame picture.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "framework/dialog.h"

class BrowserHost;  // the OLE container around the browser control

class CHtmlBannerDlg : public fw::Dialog {
 public:
  CHtmlBannerDlg();
  ~CHtmlBannerDlg() override;

  // Creates the banner owned by owner (modeless); false when it could not.
  bool Create(HWND owner);
  // Shows url in the browser control; false when there is no working control.
  bool Navigate(const std::string& url);
  // True when the browser control is hosted and can show pages.
  bool HasBrowser() const;
  // Moves the banner to the screen rectangle (x, y, width, height).
  void MoveTo(int x, int y, int width, int height);

  // Element events of the shown page: "ButtonOK" and "ButtonCancel" end the
  // banner as its OK / Cancel would; "Link1" and "Link2" are accepted and do
  // nothing more. Called by the host with the clicked element's id; the end
  // is posted, so it happens when the banner's messages are next dispatched.
  void OnElementClick(const std::string& elementId);

 protected:
  BOOL OnInitDialog() override;
  bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;
  void OnOK() override;
  void OnCancel() override;

 private:
  static const fw::MessageEntry<CHtmlBannerDlg> kMessages[];

  INT_PTR OnSize(WPARAM, LPARAM);
  INT_PTR OnWindowPosChanging(WPARAM, LPARAM);
  INT_PTR OnDestroy(WPARAM, LPARAM);

  std::unique_ptr<BrowserHost> host_;
};

// Where the banner goes: the main window's client origin (screen) plus
// (20, 389), the frame control's client size minus 10 in each direction.
RECT BannerRect(POINT clientOriginOnScreen, SIZE frameClientSize);
