// Small owning types for Win32 handles, so every path releases what it got.
#pragma once
#include <windows.h>
#include <utility>

namespace fw {

// A kernel handle closed with CloseHandle (null and INVALID_HANDLE_VALUE are empty).
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE h) : h_(h) {}
  UniqueHandle(UniqueHandle&& o) noexcept : h_(o.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept { Reset(o.Release()); return *this; }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { Reset(); }
  HANDLE Get() const { return h_; }
  bool Valid() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
  HANDLE Release() { HANDLE h = h_; h_ = nullptr; return h; }
  void Reset(HANDLE h = nullptr) { if (Valid()) CloseHandle(h_); h_ = h; }
 private:
  HANDLE h_ = nullptr;
};

// A find handle closed with FindClose.
class FindHandle {
 public:
  explicit FindHandle(HANDLE h) : h_(h) {}
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  ~FindHandle() { if (Valid()) FindClose(h_); }
  bool Valid() const { return h_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return h_; }
 private:
  HANDLE h_;
};

// A registry key closed with RegCloseKey.
class KeyHandle {
 public:
  KeyHandle() = default;
  KeyHandle(const KeyHandle&) = delete;
  KeyHandle& operator=(const KeyHandle&) = delete;
  ~KeyHandle() { if (h_) RegCloseKey(h_); }
  HKEY* Put() { return &h_; }
  HKEY Get() const { return h_; }
 private:
  HKEY h_ = nullptr;
};

// A GDI object (font, bitmap, brush, pen) deleted with DeleteObject.
template <class T>
class GdiObject {
 public:
  GdiObject() = default;
  explicit GdiObject(T h) : h_(h) {}
  GdiObject(GdiObject&& o) noexcept : h_(o.Release()) {}
  GdiObject& operator=(GdiObject&& o) noexcept { Reset(o.Release()); return *this; }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  ~GdiObject() { Reset(); }
  T Get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }
  T Release() { T h = h_; h_ = nullptr; return h; }
  void Reset(T h = nullptr) { if (h_) DeleteObject(h_); h_ = h; }
 private:
  T h_ = nullptr;
};
using Font = GdiObject<HFONT>;
using Bitmap = GdiObject<HBITMAP>;
using Brush = GdiObject<HBRUSH>;

// A memory DC deleted with DeleteDC.
class MemoryDc {
 public:
  MemoryDc() = default;
  explicit MemoryDc(HDC compatibleWith) : h_(CreateCompatibleDC(compatibleWith)) {}
  MemoryDc(MemoryDc&& o) noexcept : h_(o.h_) { o.h_ = nullptr; }
  MemoryDc& operator=(MemoryDc&& o) noexcept { Reset(); h_ = o.h_; o.h_ = nullptr; return *this; }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  ~MemoryDc() { Reset(); }
  HDC Get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }
  void Reset() { if (h_) DeleteDC(h_); h_ = nullptr; }
 private:
  HDC h_ = nullptr;
};

// A window DC from GetDC, released with ReleaseDC.
class WindowDc {
 public:
  explicit WindowDc(HWND hwnd) : hwnd_(hwnd), h_(GetDC(hwnd)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() { if (h_) ReleaseDC(hwnd_, h_); }
  HDC Get() const { return h_; }
 private:
  HWND hwnd_;
  HDC h_;
};

// Selects an object into a DC for a scope and puts the old one back.
class SelectScope {
 public:
  SelectScope(HDC dc, HGDIOBJ obj) : dc_(dc), old_(obj ? SelectObject(dc, obj) : nullptr) {}
  SelectScope(const SelectScope&) = delete;
  SelectScope& operator=(const SelectScope&) = delete;
  ~SelectScope() { if (old_) SelectObject(dc_, old_); }
 private:
  HDC dc_;
  HGDIOBJ old_;
};

// Saves a DC's state (selected objects, colours, modes, alignment) for a
// scope, so painting leaves a caller's DC as it found it.
class DcState {
 public:
  explicit DcState(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
  DcState(const DcState&) = delete;
  DcState& operator=(const DcState&) = delete;
  ~DcState() { if (saved_) RestoreDC(dc_, saved_); }

 private:
  HDC dc_;
  int saved_;
};

// A COM interface pointer released on scope exit.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() { Reset(); }
  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  T** Put() { Reset(); return &p_; }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }
  explicit operator bool() const { return p_ != nullptr; }
  void Reset() { if (p_) p_->Release(); p_ = nullptr; }
 private:
  T* p_ = nullptr;
};

}  // namespace fw
