// CColorLabel: a static-control subclass that draws its own text with its own
// font, text colour and background (solid, left-to-right gradient or none),
// and can flash, show 3-D text, rotate its text and act as a web or mail link.
// UI thread only.
#pragma once
#include <windows.h>

#include <string>

#include "framework/raii.h"
#include "framework/subclass.h"

class CColorLabel : public fw::SubclassedWindow {
 public:
  enum FlashMode { kFlashNone = 0, kFlashText = 1 };
  enum LinkMode { kLinkNone = 0, kLinkWeb = 1, kLinkMail = 2 };
  // Notification code sent to the parent (WM_COMMAND) on a click when the
  // notify-parent flag is set.
  static constexpr UINT kClickNotification = 0x8200;

  CColorLabel();
  ~CColorLabel() override;

  // Every operation redraws the label (and the parent behind it) afterwards.
  virtual CColorLabel& SetBkColor(COLORREF color, COLORREF gradientEnd = 0, bool gradient = false);
  virtual CColorLabel& SetTextColor(COLORREF color);
  virtual CColorLabel& SetText(const std::string& text);
  virtual CColorLabel& SetFontBold(bool bold);
  virtual CColorLabel& SetFontName(const std::string& face, BYTE charset = DEFAULT_CHARSET);
  virtual CColorLabel& SetFontUnderline(bool underline);
  virtual CColorLabel& SetFontItalic(bool italic);
  virtual CColorLabel& SetFontSize(int points);
  virtual CColorLabel& SetSunken(bool sunken);
  virtual CColorLabel& SetBorder(bool border);
  virtual CColorLabel& SetTransparent(bool transparent);
  virtual CColorLabel& FlashText(bool flash);
  virtual CColorLabel& SetLink(bool link, bool notifyParent);
  virtual CColorLabel& SetLinkCursor(HCURSOR cursor);
  virtual CColorLabel& Set3DText(bool on, bool raised = true);
  virtual CColorLabel& SetRotationAngle(int degrees, bool rotate);
  virtual CColorLabel& Set3DTextColor(COLORREF color);
  virtual CColorLabel& SetFont(const LOGFONTA& font);
  virtual CColorLabel& SetMailLink(bool link, bool notifyParent);
  virtual CColorLabel& SetLinkURL(const std::string& url);

  // Read-only state, for owners and tests.
  const LOGFONTA& FontRecord() const { return logFont_; }
  bool IsTransparent() const { return transparent_; }
  int Flash() const { return flashMode_; }
  bool FlashPhase() const { return flashPhase_; }
  int Link() const { return linkMode_; }
  const std::string& LinkURL() const { return url_; }

  // Paints the label into dc over rect (what WM_PAINT does, minus the
  // off-screen buffer); exposed so rendering can be checked on a memory DC.
  void PaintTo(HDC dc, const RECT& rect);

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void OnSubclassed() override;

 private:
  void Redraw();
  void RebuildFont();
  void PaintBackground(HDC dc, const RECT& rect);
  void PaintText(HDC dc, const RECT& rect);
  void OnPaint();
  // Returns true when the click was handed to the parent and nothing else
  // may happen.
  bool OnClick();
  // Starts file (the browser, or a mailto: address) with the shell; a seam
  // so tests can see what a click would start without starting it.
  virtual void Launch(const std::string& file, const std::string& parameters);

  COLORREF textColor_;
  COLORREF text3DColor_ = RGB(255, 255, 255);
  COLORREF bkColor_;
  COLORREF gradientEnd_ = 0;
  bool gradient_ = false;
  bool defaultBrush_ = true;  // background follows the system colour
  fw::Brush bkBrush_;
  LOGFONTA logFont_ = {};
  fw::Font font_;
  bool transparent_ = false;
  int flashMode_ = kFlashNone;
  bool flashPhase_ = false;
  bool rotate_ = false;
  bool text3D_ = false;
  bool raised_ = true;
  int linkMode_ = kLinkNone;
  bool notifyParent_ = false;
  std::string url_;
  HCURSOR linkCursor_ = nullptr;
};

