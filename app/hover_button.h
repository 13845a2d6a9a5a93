// CHoverButton: the main window's owner-drawn picture button. Its bitmap
// holds two frames side by side (normal left, lit right); the button shows
// the lit frame while pressed, hovered (one pixel to the right, over a white
// fill unless noFill is set) or highlighted.
#pragma once
#include <windows.h>

#include "framework/raii.h"
#include "framework/subclass.h"

class CHoverButton : public fw::SubclassedWindow {
 public:
  // Set by the owner: draw the lit frame when idle (the Upgrade button).
  bool highlight = false;
  // Set by the owner: no white fill behind the hovered frame.
  bool noFill = false;

  // Loads the bitmap resource (3D-colour mapping) and resizes the button to
  // one frame (half the bitmap's width, its full height) without moving it.
  bool SetBitmap(UINT resourceId);
  bool IsHovering() const { return hovering_; }
  SIZE FrameSize() const { return frame_; }

  // Draws the button's current state into dc at the origin; pressed as in
  // the owner-draw request. Exposed so drawing can be checked on a memory DC.
  void DrawTo(HDC dc, const RECT& client, bool pressed);

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void OnSubclassed() override;

 private:
  void TrackMouse();

  fw::Bitmap bitmap_;
  SIZE frame_ = {0, 0};
  bool hovering_ = false;
  bool tracking_ = false;
};
