// CImageButton: an owner-drawn push button subclassed onto a button of a
// dialog template, showing a bitmap with a transparent colour, with a flat
// look and hover tracking. UI thread only.
//
// The button owns every bitmap handed to it from the call of SetBitmaps on
// (the masks and generated variants too) and deletes them when it goes or
// gets new ones: the caller must not delete them.
#pragma once
#include <windows.h>

#include <string>

#include "framework/raii.h"
#include "framework/subclass.h"

class CImageButton : public fw::SubclassedWindow {
 public:
  // Special "out" bitmaps of SetBitmaps: a grey or a darkened copy of the
  // "in" bitmap.
  static const HBITMAP kGreyOfIn;    // -2
  static const HBITMAP kDarkerOfIn;  // -3

  // Results of SetBitmaps and SetPressedStyle.
  enum Result { kOk = 0, kNoBitmapSize = 1, kNoMask = 2, kInvalidStyle = 6 };

  // Colour slots, one background and one text colour per state.
  enum ColourSlot {
    kBackgroundNormal, kTextNormal,
    kBackgroundHover, kTextHover,
    kBackgroundFocus, kTextFocus,
    kColourSlots
  };

  // Where the picture sits relative to the text; centred when there is none.
  enum Alignment { kPictureLeft, kPictureAbove, kPictureRight };

  // Pressed styles: the picture moves by (1, 1), by (0, 2) or not at all.
  enum PressedStyle { kPressedDiagonal = 0, kPressedDown = 1, kPressedNone = 2 };

  CImageButton();
  ~CImageButton() override;

  // in: shown normally; out: shown while the mouse hovers (null: none, or
  // kGreyOfIn / kDarkerOfIn). Pixels of a bitmap's transparent colour show
  // the background. Both bitmaps belong to the button from this call on,
  // whatever the result. kNoBitmapSize when a bitmap's size cannot be read,
  // kNoMask when a mask or variant cannot be made; the button then shows no
  // picture.
  int SetBitmaps(HBITMAP in, COLORREF inTransparent, HBITMAP out = nullptr,
                 COLORREF outTransparent = 0);
  // Resizes the button to the picture's size (nothing without a picture).
  void SizeToContent();
  void DrawBorder(bool border, bool repaint = true);
  // kOk, or kInvalidStyle (6) for a style other than 0, 1 and 2.
  int SetPressedStyle(int style, bool repaint = true);
  void SetColour(ColourSlot slot, COLORREF colour, bool repaint = true);
  void SetAlignment(Alignment alignment, bool repaint = true);
  void SetFlat(bool flat, bool repaint = true);
  // Focus rectangle in the flat look (off by default).
  void DrawFlatFocus(bool draw, bool repaint = true);

  // The picture's size; zero without one.
  SIZE PictureSize() const { return in_.size; }
  bool IsHovering() const { return hovering_; }

  // Draws the button into dc over rect as it looks with the given states
  // (what WM_DRAWITEM draws, minus the off-screen copy); exposed so drawing
  // can be checked on a memory DC.
  void DrawTo(HDC dc, const RECT& rect, bool pressed, bool focused, bool disabled, bool hovering);

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void OnSubclassed() override;

 private:
  struct Picture {
    fw::Bitmap colour;  // transparent pixels black
    fw::Bitmap mask;    // 1 bit per pixel, white where transparent
    SIZE size = {0, 0};
  };

  void Repaint(bool repaint);
  void DrawItem(const DRAWITEMSTRUCT& item);
  void DrawPicture(HDC dc, const Picture& picture, int x, int y, bool disabled);
  void TrackLeave();

  Picture in_, out_;
  bool flat_ = true;
  bool border_ = true;
  bool flatFocus_ = false;
  POINT pressedOffset_ = {1, 1};
  Alignment alignment_ = kPictureLeft;
  COLORREF colours_[kColourSlots];
  bool hovering_ = false;
  bool tracking_ = false;
};
