#include "app/browser_host.h"

#include <exdispid.h>
#include <mshtmhst.h>
#include <ocidl.h>
#include <oleauto.h>

#include <string>

namespace {

// The HTML engine's document class; MinGW's uuid library does not carry it.
const CLSID kHtmlDocumentClass = {0x25336920, 0x03f9, 0x11cf,
                                  {0x8f, 0xd0, 0x00, 0xaa, 0x00, 0x68, 0x6f, 0x13}};

std::wstring Widen(const std::string& text) {
  if (text.empty()) return std::wstring();
  int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(n > 0 ? n : 0, L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
  return wide;
}

std::string Narrow(const wchar_t* text) {
  if (!text || !*text) return std::string();
  int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return std::string();
  std::string narrow(n, '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, &narrow[0], n, nullptr, nullptr);
  narrow.resize(n - 1);  // without the terminating NUL
  return narrow;
}

// A BSTR freed on scope exit.
class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(const std::wstring& text) : b_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() { SysFreeString(b_); }
  BSTR Get() const { return b_; }
  BSTR* Put() { SysFreeString(b_); b_ = nullptr; return &b_; }

 private:
  BSTR b_ = nullptr;
};

}  // namespace

// The COM object the control talks to. It lives as long as anyone holds a
// reference; the host detaches it on Close, after which every call from the
// control is answered without touching the (possibly gone) host.
// The browser's events and the page's onclick handler share its IDispatch:
// the handler is invoked with DISPID_VALUE, which no browser event uses.
class BrowserHost::Site final : public IOleClientSite,
                                public IOleInPlaceSite,
                                public IOleInPlaceFrame,
                                public IDocHostUIHandler,
                                public IDispatch {
 public:
  Site(BrowserHost* host, HWND window) : host_(host), window_(window) {}
  void Detach() { host_ = nullptr; }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite)
      *out = static_cast<IOleClientSite*>(this);
    else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite)
      *out = static_cast<IOleInPlaceSite*>(this);
    else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame)
      *out = static_cast<IOleInPlaceFrame*>(this);
    else if (iid == IID_IDocHostUIHandler)
      *out = static_cast<IDocHostUIHandler*>(this);
    else if (iid == IID_IDispatch || iid == DIID_DWebBrowserEvents2)
      *out = static_cast<IDispatch*>(this);
    else
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return left;
  }

  // IOleClientSite
  STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetContainer(IOleContainer** out) override {
    if (out) *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(WINBOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow (both the in-place site and the frame)
  STDMETHODIMP GetWindow(HWND* out) override {
    if (!out) return E_POINTER;
    *out = window_;
    return S_OK;
  }
  STDMETHODIMP ContextSensitiveHelp(WINBOOL) override { return E_NOTIMPL; }

  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override { return host_ ? S_OK : S_FALSE; }
  STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos,
                                LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
    if (!frame || !doc || !pos || !clip || !info) return E_POINTER;
    *frame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    *doc = nullptr;
    GetClientRect(window_, pos);
    *clip = *pos;
    info->fMDIApp = FALSE;
    info->hwndFrame = window_;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
  }
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(WINBOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
  STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
  STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
  STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }  // the host decides the size

  // IOleInPlaceUIWindow / IOleInPlaceFrame: no menus, tool bars or status bar.
  STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return OLE_E_INVALIDRECT; }
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
  STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP EnableModeless(WINBOOL) override { return S_OK; }  // also IDocHostUIHandler's
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

  // IDocHostUIHandler: a banner has no scroll bars, border, text selection
  // or context menu.
  STDMETHODIMP ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override { return S_OK; }
  STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override {
    if (!info) return E_POINTER;
    info->dwFlags = DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_SCROLL_NO | DOCHOSTUIFLAG_DIALOG;
    info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    return S_OK;
  }
  STDMETHODIMP ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                      IOleInPlaceUIWindow*) override {
    return S_OK;
  }
  STDMETHODIMP HideUI() override { return S_OK; }
  STDMETHODIMP UpdateUI() override { return S_OK; }
  STDMETHODIMP OnDocWindowActivate(WINBOOL) override { return S_OK; }
  STDMETHODIMP OnFrameWindowActivate(WINBOOL) override { return S_OK; }
  STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, WINBOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, const GUID*, DWORD) override { return S_FALSE; }
  STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD) override {
    if (key) *key = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetDropTarget(IDropTarget*, IDropTarget** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetExternal(IDispatch** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP TranslateUrl(DWORD, LPWSTR, LPWSTR* out) override {
    if (out) *out = nullptr;
    return S_FALSE;
  }
  STDMETHODIMP FilterDataObject(IDataObject*, IDataObject** out) override {
    if (out) *out = nullptr;
    return S_FALSE;
  }

  // IDispatch: browser events and the page's click handler; no type info.
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                      UINT*) override {
    if (!host_) return S_OK;
    if (id == DISPID_VALUE) {
      host_->OnDocumentClick();
    } else if (id == DISPID_DOCUMENTCOMPLETE && params && params->cArgs >= 2) {
      // Arguments come last first: rgvarg[1] is the browser (or frame) that loaded.
      const VARIANT& frame = params->rgvarg[1];
      if (frame.vt == VT_DISPATCH) host_->OnDocumentComplete(frame.pdispVal);
    } else if (id == DISPID_NAVIGATEERROR && params && params->cArgs >= 5) {
      // An unreachable page would be replaced by the browser's own error
      // page; cancelling keeps what the banner showed before (at first the
      // program's own initial page).
      const VARIANT& cancel = params->rgvarg[0];
      if (cancel.vt == (VT_BYREF | VT_BOOL) && cancel.pboolVal) *cancel.pboolVal = VARIANT_TRUE;
    }
    return S_OK;
  }

 private:
  ~Site() = default;  // only through Release

  LONG refs_ = 1;
  BrowserHost* host_;
  HWND window_;
};

BrowserHost::BrowserHost() = default;

BrowserHost::~BrowserHost() { Close(); }

bool BrowserHost::HtmlEngineAvailable() {
  fw::ComPtr<IUnknown> document;
  return SUCCEEDED(CoCreateInstance(kHtmlDocumentClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                    document.PutVoid()));
}

bool BrowserHost::Open(HWND parent, ClickHandler onClick, bool requireEngine) {
  Close();
  if (!parent || !IsWindow(parent) || !ole_.Begin()) return false;
  // Without the engine the control would only show an empty frame or an
  // error page, so the owner is better off without it.
  if (requireEngine && !HtmlEngineAvailable()) {
    ole_.End();
    return false;
  }
  parent_ = parent;
  onClick_ = std::move(onClick);
  *site_.Put() = new Site(this, parent);

  bool ok = SUCCEEDED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                       object_.PutVoid())) &&
            SUCCEEDED(object_->SetClientSite(static_cast<IOleClientSite*>(site_.Get())));
  if (ok) {
    fw::ComPtr<IConnectionPointContainer> container;
    fw::ComPtr<IConnectionPoint> point;
    // Without events the page still shows; only its clicks go unheard.
    if (SUCCEEDED(object_->QueryInterface(IID_IConnectionPointContainer, container.PutVoid())) &&
        SUCCEEDED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, point.Put()))) {
      if (FAILED(point->Advise(static_cast<IDispatch*>(site_.Get()), &eventsCookie_))) eventsCookie_ = 0;
    }
    RECT area;
    GetClientRect(parent, &area);
    ok = SUCCEEDED(object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr,
                                   static_cast<IOleClientSite*>(site_.Get()), 0, parent, &area)) &&
         SUCCEEDED(object_->QueryInterface(IID_IWebBrowser2, browser_.PutVoid()));
  }
  if (!ok) {
    Close();
    return false;
  }
  browser_->put_Silent(VARIANT_TRUE);  // script errors must not raise dialogs
  return true;
}

void BrowserHost::Close() {
  UnhookDocument();
  if (object_) {
    if (eventsCookie_) {
      fw::ComPtr<IConnectionPointContainer> container;
      fw::ComPtr<IConnectionPoint> point;
      if (SUCCEEDED(object_->QueryInterface(IID_IConnectionPointContainer, container.PutVoid())) &&
          SUCCEEDED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, point.Put())))
        point->Unadvise(eventsCookie_);
    }
    if (browser_) browser_->Stop();
    fw::ComPtr<IOleInPlaceObject> inPlace;
    if (SUCCEEDED(object_->QueryInterface(IID_IOleInPlaceObject, inPlace.PutVoid())))
      inPlace->InPlaceDeactivate();
    object_->Close(OLECLOSE_NOSAVE);
    object_->SetClientSite(nullptr);
  }
  eventsCookie_ = 0;
  browser_.Reset();
  object_.Reset();
  if (site_) {
    site_->Detach();
    site_.Reset();
  }
  onClick_ = nullptr;
  parent_ = nullptr;
  ole_.End();
}

bool BrowserHost::Navigate(const std::string& url) {
  if (!browser_ || url.empty()) return false;
  Bstr address(Widen(url));
  if (!address.Get()) return false;
  VARIANT none;
  VariantInit(&none);
  return SUCCEEDED(browser_->Navigate(address.Get(), &none, &none, &none, &none));
}

std::string BrowserHost::ResourceUrl(int id) {
  char module[MAX_PATH] = {};
  DWORD n = GetModuleFileNameA(nullptr, module, sizeof module);
  if (n == 0 || n >= sizeof module) return std::string();
  return "res://" + std::string(module, n) + "/" + std::to_string(id);
}

void BrowserHost::FitToParent() {
  if (!object_ || !parent_) return;
  fw::ComPtr<IOleInPlaceObject> inPlace;
  if (FAILED(object_->QueryInterface(IID_IOleInPlaceObject, inPlace.PutVoid()))) return;
  RECT area;
  GetClientRect(parent_, &area);
  inPlace->SetObjectRects(&area, &area);
}

void BrowserHost::OnDocumentComplete(IDispatch* frame) {
  if (!browser_ || !frame) return;
  // Only the top page is hooked; frames inside it report their own loads.
  fw::ComPtr<IUnknown> loaded;
  fw::ComPtr<IUnknown> top;
  if (FAILED(frame->QueryInterface(IID_IUnknown, loaded.PutVoid())) ||
      FAILED(browser_->QueryInterface(IID_IUnknown, top.PutVoid())) || loaded.Get() != top.Get())
    return;

  UnhookDocument();
  fw::ComPtr<IDispatch> document;
  if (FAILED(browser_->get_Document(document.Put())) || !document) return;
  if (FAILED(document->QueryInterface(IID_IHTMLDocument2, document_.PutVoid()))) return;
  VARIANT handler;
  VariantInit(&handler);
  handler.vt = VT_DISPATCH;
  handler.pdispVal = static_cast<IDispatch*>(site_.Get());
  if (FAILED(document_->put_onclick(handler))) document_.Reset();
}

void BrowserHost::UnhookDocument() {
  if (!document_) return;
  VARIANT none;
  VariantInit(&none);
  none.vt = VT_NULL;
  document_->put_onclick(none);
  document_.Reset();
}

void BrowserHost::OnDocumentClick() {
  if (!document_ || !onClick_) return;
  fw::ComPtr<IHTMLWindow2> window;
  fw::ComPtr<IHTMLEventObj> event;
  fw::ComPtr<IHTMLElement> element;
  if (FAILED(document_->get_parentWindow(window.Put())) || !window ||
      FAILED(window->get_event(event.Put())) || !event ||
      FAILED(event->get_srcElement(element.Put())))
    return;
  // A click on text inside a button reaches the button only by bubbling up,
  // so the ancestors are offered too.
  while (element) {
    Bstr id;
    if (SUCCEEDED(element->get_id(id.Put()))) {
      std::string name = Narrow(id.Get());
      if (!name.empty() && onClick_(name)) return;
    }
    IHTMLElement* parent = nullptr;
    if (FAILED(element->get_parentElement(&parent))) parent = nullptr;
    *element.Put() = parent;
  }
}
