// IFaderControl: a handle bitmap that slides along a track of `length`
// pixels; the handle jumps to the mouse (no relative dragging). Vertical
// faders have 1 at the top. The travel is the length less the handle's
// size (the headroom).
#pragma once

#include "graphics/controls/IControl.h"

class IFaderControl : public IControl
{
public:
  // direction 0 is vertical, anything else horizontal. With onlyHandleHit
  // only the handle takes clicks, otherwise the whole track.
  IFaderControl(IUnitBase* plug, int x, int y, int length, int paramIdx, IBitmap* handle,
                int direction = 0, bool onlyHandleHit = false);

  // A right click asks for the value; otherwise SnapToMouse.
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
  // 0.01 a notch, 0.001 with Shift or Control.
  void OnMouseWheel(int x, int y, IMouseMod* mod, int d) override;
  bool Draw(IGraphics* graphics) override;
  // Length and headroom scale with the GUI.
  void AfterGUIResize(double ratio) override;
  bool IsHit(int x, int y) override;
  // Puts the handle's middle under the point. A fader with no travel keeps
  // its value.
  virtual void SnapToMouse(int x, int y);

  // Where the handle is drawn for value.
  IRECT GetHandleRECT(double value);

private:
  int mLen;
  int mHandleHeadroom;
  int mLenAsBuilt;
  int mHeadroomAsBuilt;
  int mDirection;
  bool mOnlyHandle;
  IBitmap* mBitmap;  // not owned
};
