// A static control that shows a picture and plays an animated GIF on a
// thread of its own. The tool dialogs subclass a static control with it,
// load the "working" animation, Draw while work runs and Stop afterwards.
#pragma once
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <atomic>
#include <vector>

#include "framework/raii.h"
#include "framework/subclass.h"

// One decoded frame of an animation and where and how long it is shown.
struct GifFrame {
  IPicture* picture = nullptr;  // owned; released by CGifPicture::UnLoad
  int width = 0;
  int height = 0;
  int left = 0;
  int top = 0;
  int delay = -1;    // hundredths of a second; -1 without a control extension
  int disposal = 0;  // what happens to the frame's area once its time is up
};

class CGifPicture : public fw::SubclassedWindow {
 public:
  CGifPicture();
  ~CGifPicture() override;

  // Loads a GIF (or any picture OleLoadPicture reads) from a global memory
  // block; the caller keeps the block. Whatever was loaded before goes first.
  bool Load(HGLOBAL block, DWORD size);
  // Loads a resource of this executable.
  bool Load(LPCSTR resourceName, LPCSTR resourceType);

  // Starts the animation, or draws the still picture.
  void Draw();
  // Halts the animation and shows its first frame.
  void Stop();
  // Stops and releases everything loaded.
  void UnLoad();

  // Fills the whole picture with a colour; frames disposed to the
  // background use it from then on.
  void SetBkColor(COLORREF color);
  // Decoded frames of an animation, 1 for a still picture, 0 when empty.
  int GetFrameCount() const;
  // Limits painting to a part of the picture; null or empty paints it all.
  void SetPaintRect(const RECT* rect);

  // True while an animation thread exists (between Draw and Stop).
  bool IsAnimating() const { return thread_.Valid(); }
  // The off-screen surface the picture is drawn on (null when empty); tests
  // read its pixels.
  HDC SurfaceDc() const { return surfaceDc_.Get(); }

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  // Serialises the surface between the animation thread and the window's
  // thread (painting, Stop, SetBkColor).
  class SurfaceLock {
   public:
    explicit SurfaceLock(CRITICAL_SECTION* cs) : cs_(cs) { EnterCriticalSection(cs_); }
    ~SurfaceLock() { LeaveCriticalSection(cs_); }
    SurfaceLock(const SurfaceLock&) = delete;
    SurfaceLock& operator=(const SurfaceLock&) = delete;
   private:
    CRITICAL_SECTION* cs_;
  };

  static DWORD WINAPI AnimationThread(LPVOID param);
  void Animate();

  bool Parse(HGLOBAL block, const BYTE* data, DWORD size);
  bool ParseGif(HGLOBAL block, const BYTE* data, DWORD size);
  bool ParseOther(HGLOBAL block, DWORD size);
  bool CreateSurface();

  bool Render(IPicture* picture, int x, int y, int cx, int cy);
  bool RenderFrame(const GifFrame& frame);
  void SaveUnder(const GifFrame& frame);
  void RestoreUnder();
  void DeleteSaved();
  void ApplyDisposal(const GifFrame& frame);
  void Fill(const RECT& rect, COLORREF color);
  void FillAll(COLORREF color);
  void Invalidate();
  void OnPaint();

  bool isGif_ = false;
  bool loaded_ = false;
  int width_ = 0;  // logical screen
  int height_ = 0;
  size_t globalTableSize_ = 0;
  COLORREF background_ = RGB(255, 255, 255);

  fw::Bitmap surfaceBitmap_;
  fw::MemoryDc surfaceDc_;
  HGDIOBJ surfaceOld_ = nullptr;
  fw::Bitmap savedBitmap_;  // area under a frame with disposal 3
  fw::MemoryDc savedDc_;
  HGDIOBJ savedOld_ = nullptr;
  RECT savedRect_ = {};

  fw::ComPtr<IPicture> picture_;  // a still picture
  std::vector<GifFrame> frames_;  // an animation
  size_t current_ = 0;

  fw::UniqueHandle thread_;
  std::atomic<int> running_{0};
  std::atomic<int> stop_{0};
  fw::UniqueHandle stopEvent_;
  RECT paintRect_ = {};
  CRITICAL_SECTION surfaceLock_;
};
