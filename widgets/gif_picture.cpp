#include "widgets/gif_picture.h"

#include <cstring>
#include <utility>

#include "widgets/gif_blocks.h"

namespace {

// How long Stop waits for the animation thread before giving up on it.
constexpr DWORD kThreadExitWaitMs = 5000;

// Decodes a picture from a stream over a global block. With deleteOnRelease
// the stream owns the block and frees it, even when decoding fails.
IPicture* DecodePicture(HGLOBAL block, DWORD size, bool deleteOnRelease) {
  fw::ComPtr<IStream> stream;
  if (FAILED(CreateStreamOnHGlobal(block, deleteOnRelease ? TRUE : FALSE, stream.Put()))) {
    if (deleteOnRelease) GlobalFree(block);
    return nullptr;
  }
  IPicture* picture = nullptr;
  if (FAILED(OleLoadPicture(stream.Get(), static_cast<LONG>(size), FALSE, IID_IPicture,
                            reinterpret_cast<void**>(&picture))))
    return nullptr;
  return picture;
}

// A frame as a GIF of its own in a fixed block that the decoding stream frees.
IPicture* DecodeFrame(const std::vector<uint8_t>& gifBytes) {
  if (gifBytes.empty()) return nullptr;
  HGLOBAL block = GlobalAlloc(GMEM_FIXED, gifBytes.size());
  if (!block) return nullptr;
  std::memcpy(reinterpret_cast<void*>(block), gifBytes.data(), gifBytes.size());
  return DecodePicture(block, static_cast<DWORD>(gifBytes.size()), true);
}

}  // namespace

CGifPicture::CGifPicture() : stopEvent_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
  InitializeCriticalSection(&surfaceLock_);
}

CGifPicture::~CGifPicture() {
  UnLoad();
  stopEvent_.Reset();
  DeleteCriticalSection(&surfaceLock_);
}

bool CGifPicture::Load(HGLOBAL block, DWORD size) {
  UnLoad();
  if (!block || size == 0) return false;
  // Never trust the size beyond what the block really holds.
  const SIZE_T actual = GlobalSize(block);
  if (actual == 0) return false;
  if (actual < size) size = static_cast<DWORD>(actual);
  const BYTE* data = static_cast<const BYTE*>(GlobalLock(block));
  if (!data) return false;
  const bool ok = Parse(block, data, size);
  GlobalUnlock(block);
  if (!ok) UnLoad();
  return ok;
}

bool CGifPicture::Load(LPCSTR resourceName, LPCSTR resourceType) {
  UnLoad();
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(module, resourceName, resourceType);
  if (!found) return false;
  const DWORD size = SizeofResource(module, found);
  HGLOBAL resource = LoadResource(module, found);
  const void* bytes = resource ? LockResource(resource) : nullptr;
  if (!bytes || size == 0) return false;

  // Resource memory is read-only and not a global block: copy it into one.
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!block) return false;
  void* target = GlobalLock(block);
  if (!target) {
    GlobalFree(block);
    return false;
  }
  std::memcpy(target, bytes, size);
  GlobalUnlock(block);
  const bool ok = Load(block, size);
  GlobalFree(block);
  return ok;
}

bool CGifPicture::Parse(HGLOBAL block, const BYTE* data, DWORD size) {
  if (gif::HasGifSignature(data, size)) {
    if (!ParseGif(block, data, size)) return false;
  } else if (!ParseOther(block, size)) {
    return false;
  }
  return CreateSurface();
}

bool CGifPicture::ParseGif(HGLOBAL block, const BYTE* data, DWORD size) {
  gif::Header header;
  if (!gif::ParseHeader(data, size, &header)) return false;
  isGif_ = true;
  width_ = header.width;
  height_ = header.height;
  globalTableSize_ = header.globalTableSize;
  if (header.hasBackground)
    background_ = RGB(header.backgroundRed, header.backgroundGreen, header.backgroundBlue);

  const size_t count = gif::CountFrames(data, size, header);
  if (count == 0) return false;
  if (count == 1) {
    // A still GIF: the decoder gets the whole file.
    *picture_.Put() = DecodePicture(block, size, false);
    return static_cast<bool>(picture_);
  }

  frames_.reserve(count);
  size_t offset = header.firstBlock;
  gif::Frame found;
  while (gif::NextFrame(data, size, &offset, &found)) {
    IPicture* picture = DecodeFrame(gif::WrapFrame(data, size, header, found));
    if (!picture) continue;  // a frame the decoder rejects is left out
    GifFrame frame;
    frame.picture = picture;
    frame.width = found.width;
    frame.height = found.height;
    frame.left = found.left;
    frame.top = found.top;
    frame.delay = found.delay;
    frame.disposal = found.disposal;
    frames_.push_back(frame);
  }
  return !frames_.empty();
}

bool CGifPicture::ParseOther(HGLOBAL block, DWORD size) {
  *picture_.Put() = DecodePicture(block, size, false);
  if (!picture_) return false;
  OLE_XSIZE_HIMETRIC hmWidth = 0;
  OLE_YSIZE_HIMETRIC hmHeight = 0;
  picture_->get_Width(&hmWidth);
  picture_->get_Height(&hmHeight);
  fw::WindowDc screen(nullptr);
  if (!screen.Get()) return false;
  // HIMETRIC is hundredths of a millimetre; 2540 of them make an inch.
  width_ = MulDiv(hmWidth, GetDeviceCaps(screen.Get(), LOGPIXELSX), 2540);
  height_ = MulDiv(hmHeight, GetDeviceCaps(screen.Get(), LOGPIXELSY), 2540);
  return true;
}

bool CGifPicture::CreateSurface() {
  HWND hwnd = Hwnd();
  fw::WindowDc windowDc(hwnd);
  if (!windowDc.Get()) return false;
  fw::MemoryDc dc(windowDc.Get());
  if (!dc) return false;
  fw::Bitmap bitmap(CreateCompatibleBitmap(windowDc.Get(), width_, height_));
  if (!bitmap) return false;

  // The control shows the picture at its own size.
  if (hwnd)
    SetWindowPos(hwnd, nullptr, 0, 0, width_, height_,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  SurfaceLock lock(&surfaceLock_);
  surfaceOld_ = SelectObject(dc.Get(), bitmap.Get());
  surfaceDc_ = std::move(dc);
  surfaceBitmap_ = std::move(bitmap);
  // The control sits on a dialog: disposed areas take the dialog's face
  // colour rather than the file's own background, which would box the picture.
  background_ = GetSysColor(COLOR_BTNFACE);
  RECT all = {0, 0, width_, height_};
  FillRect(surfaceDc_.Get(), &all, GetSysColorBrush(COLOR_MENU));
  loaded_ = true;
  return true;
}

void CGifPicture::Draw() {
  if (!loaded_) return;
  if (frames_.size() > 1) {
    if (thread_.Valid()) return;
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, &CGifPicture::AnimationThread, this,
                                 CREATE_SUSPENDED, &id);
    if (!thread) return;
    thread_.Reset(thread);
    ResumeThread(thread);
    return;
  }

  bool drawn = false;
  {
    SurfaceLock lock(&surfaceLock_);
    if (!frames_.empty())  // only one frame of an animation could be decoded
      drawn = RenderFrame(frames_[0]);
    else if (picture_)
      drawn = Render(picture_.Get(), 0, 0, width_, height_);
  }
  if (drawn) Invalidate();
}

void CGifPicture::Stop() {
  running_ = 0;
  stop_ = 1;
  if (stopEvent_.Valid()) SetEvent(stopEvent_.Get());
  if (thread_.Valid()) {
    WaitForSingleObject(thread_.Get(), kThreadExitWaitMs);
    thread_.Reset();
  }
  if (surfaceDc_ && !frames_.empty()) {
    bool drawn;
    {
      SurfaceLock lock(&surfaceLock_);
      drawn = RenderFrame(frames_[0]);
    }
    if (drawn) Invalidate();
  }
  if (stopEvent_.Valid()) ResetEvent(stopEvent_.Get());
  stop_ = 0;
}

void CGifPicture::UnLoad() {
  Stop();
  for (GifFrame& frame : frames_) {
    if (frame.picture) frame.picture->Release();
    frame.picture = nullptr;
  }
  frames_.clear();
  picture_.Reset();
  {
    SurfaceLock lock(&surfaceLock_);
    DeleteSaved();
    if (surfaceDc_ && surfaceOld_) SelectObject(surfaceDc_.Get(), surfaceOld_);
    surfaceOld_ = nullptr;
    surfaceDc_.Reset();
    surfaceBitmap_.Reset();
  }
  paintRect_ = RECT{};
  isGif_ = false;
  loaded_ = false;
  width_ = height_ = 0;
  globalTableSize_ = 0;
  background_ = RGB(255, 255, 255);
  current_ = 0;
}

void CGifPicture::SetBkColor(COLORREF color) {
  if (!loaded_) return;
  {
    SurfaceLock lock(&surfaceLock_);
    background_ = color;
    FillAll(color);
  }
  Invalidate();
}

int CGifPicture::GetFrameCount() const {
  if (!frames_.empty()) return static_cast<int>(frames_.size());
  return picture_ ? 1 : 0;
}

void CGifPicture::SetPaintRect(const RECT* rect) {
  paintRect_ = rect ? *rect : RECT{};
}

DWORD WINAPI CGifPicture::AnimationThread(LPVOID param) {
  static_cast<CGifPicture*>(param)->Animate();
  return 0;
}

void CGifPicture::Animate() {
  running_ = 1;
  if (current_ >= frames_.size()) current_ = 0;
  {
    // A restart continues where Stop left off: the frame shown then is
    // disposed of before the next one is drawn.
    SurfaceLock lock(&surfaceLock_);
    ApplyDisposal(frames_[current_]);
  }
  while (!stop_) {
    const GifFrame& frame = frames_[current_];
    if (frame.picture) {
      bool drawn;
      {
        SurfaceLock lock(&surfaceLock_);
        if (frame.disposal == 3) SaveUnder(frame);
        drawn = RenderFrame(frame);
      }
      if (drawn) Invalidate();
    }
    if (stop_) break;
    if (WaitForSingleObject(stopEvent_.Get(), gif::FrameWaitMs(frame.delay)) != WAIT_TIMEOUT ||
        stop_)
      break;
    {
      SurfaceLock lock(&surfaceLock_);
      ApplyDisposal(frame);
      if (++current_ >= frames_.size()) {
        current_ = 0;
        FillAll(background_);
      }
    }
  }
  running_ = 0;
}

bool CGifPicture::Render(IPicture* picture, int x, int y, int cx, int cy) {
  if (!picture || !surfaceDc_) return false;
  OLE_XSIZE_HIMETRIC hmWidth = 0;
  OLE_YSIZE_HIMETRIC hmHeight = 0;
  picture->get_Width(&hmWidth);
  picture->get_Height(&hmHeight);
  // The whole picture; HIMETRIC runs bottom-up, hence the flipped source.
  return SUCCEEDED(picture->Render(surfaceDc_.Get(), x, y, cx, cy, 0, hmHeight, hmWidth,
                                   -hmHeight, nullptr));
}

bool CGifPicture::RenderFrame(const GifFrame& frame) {
  return Render(frame.picture, frame.left, frame.top, frame.width, frame.height);
}

void CGifPicture::SaveUnder(const GifFrame& frame) {
  DeleteSaved();
  if (!surfaceDc_) return;
  fw::MemoryDc dc(surfaceDc_.Get());
  fw::Bitmap bitmap(CreateCompatibleBitmap(surfaceDc_.Get(), frame.width, frame.height));
  if (!dc || !bitmap) return;
  savedOld_ = SelectObject(dc.Get(), bitmap.Get());
  BitBlt(dc.Get(), 0, 0, frame.width, frame.height, surfaceDc_.Get(), frame.left, frame.top,
         SRCCOPY);
  savedDc_ = std::move(dc);
  savedBitmap_ = std::move(bitmap);
  savedRect_ = RECT{frame.left, frame.top, frame.left + frame.width, frame.top + frame.height};
}

void CGifPicture::RestoreUnder() {
  if (savedDc_ && surfaceDc_)
    BitBlt(surfaceDc_.Get(), savedRect_.left, savedRect_.top,
           savedRect_.right - savedRect_.left, savedRect_.bottom - savedRect_.top,
           savedDc_.Get(), 0, 0, SRCCOPY);
  DeleteSaved();
}

void CGifPicture::DeleteSaved() {
  if (savedDc_ && savedOld_) SelectObject(savedDc_.Get(), savedOld_);
  savedOld_ = nullptr;
  savedDc_.Reset();
  savedBitmap_.Reset();
  savedRect_ = RECT{};
}

void CGifPicture::ApplyDisposal(const GifFrame& frame) {
  switch (frame.disposal) {
    case 2: {
      RECT rect = {frame.left, frame.top, frame.left + frame.width, frame.top + frame.height};
      Fill(rect, background_);
      break;
    }
    case 3:
      RestoreUnder();
      break;
    default:
      break;  // leave the frame in place
  }
}

void CGifPicture::Fill(const RECT& rect, COLORREF color) {
  if (!surfaceDc_) return;
  fw::Brush brush(CreateSolidBrush(color));
  if (brush) FillRect(surfaceDc_.Get(), &rect, brush.Get());
}

void CGifPicture::FillAll(COLORREF color) {
  Fill(RECT{0, 0, width_, height_}, color);
}

void CGifPicture::Invalidate() {
  if (HWND hwnd = Hwnd()) InvalidateRect(hwnd, nullptr, FALSE);
}

void CGifPicture::OnPaint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(Hwnd(), &ps);
  if (dc) {
    SurfaceLock lock(&surfaceLock_);
    if (surfaceDc_) {
      if (!IsRectEmpty(&paintRect_))
        BitBlt(dc, paintRect_.left, paintRect_.top, paintRect_.right - paintRect_.left,
               paintRect_.bottom - paintRect_.top, surfaceDc_.Get(), paintRect_.left,
               paintRect_.top, SRCCOPY);
      else
        BitBlt(dc, 0, 0, width_, height_, surfaceDc_.Get(), 0, 0, SRCCOPY);
    }
  }
  EndPaint(Hwnd(), &ps);
}

LRESULT CGifPicture::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT:
      // Until something is loaded the static control paints itself.
      if (!loaded_) break;
      OnPaint();
      return 0;
    case WM_DESTROY:
      Stop();
      break;
    default:
      break;
  }
  return DefaultProc(msg, wp, lp);
}
