// BrowserHost: a small OLE container that hosts the system's web-browser
// control (CLSID_WebBrowser) in the client area of a window, in-place active,
// without scroll bars, 3-D border or context menu, with script errors kept
// silent. Clicks on the shown page are handed to the owner by element id.
// UI thread only; the thread must be a single-threaded COM apartment.
#pragma once
#include <windows.h>
#include <exdisp.h>
#include <mshtml.h>
#include <oleidl.h>

#include <functional>
#include <string>

#include "framework/control_host.h"
#include "framework/raii.h"

class BrowserHost {
 public:
  // Called with the id of the clicked element, then, while it returns false,
  // with the ids of its ancestors (elements without an id are passed over).
  // True means "handled": the walk up the page stops there. It runs inside
  // the control's event dispatch, so it must not close the host; post a
  // message instead.
  using ClickHandler = std::function<bool(const std::string& elementId)>;

  BrowserHost();
  ~BrowserHost();
  BrowserHost(const BrowserHost&) = delete;
  BrowserHost& operator=(const BrowserHost&) = delete;

  // True when the machine has an HTML engine that can show pages (the
  // browser control alone is only a frame around it).
  static bool HtmlEngineAvailable();

  // Creates the control as a child filling parent's client area and activates
  // it in place. With requireEngine the control is not even created when no
  // HTML engine is available. False (and nothing kept) on any failure.
  bool Open(HWND parent, ClickHandler onClick, bool requireEngine = true);
  // Unhooks the page, deactivates, closes and releases the control. Safe to
  // call more than once; the destructor calls it.
  void Close();
  bool IsOpen() const { return static_cast<bool>(browser_); }

  // Starts loading url (ANSI, code page of the system). False when there is
  // no control or it refused the address; loading itself is asynchronous.
  bool Navigate(const std::string& url);
  // The address that shows HTML resource id of this program's module.
  static std::string ResourceUrl(int id);

  // Fits the control to the parent's client area again (after WM_SIZE).
  void FitToParent();

 private:
  class Site;  // the COM side: client site, in-place site and frame, events

  void OnDocumentComplete(IDispatch* frame);
  void OnDocumentClick();
  void UnhookDocument();

  HWND parent_ = nullptr;
  ClickHandler onClick_;
  fw::OleSession ole_;
  fw::ComPtr<Site> site_;
  fw::ComPtr<IOleObject> object_;
  fw::ComPtr<IWebBrowser2> browser_;
  fw::ComPtr<IHTMLDocument2> document_;  // the page whose clicks are hooked
  DWORD eventsCookie_ = 0;
};
