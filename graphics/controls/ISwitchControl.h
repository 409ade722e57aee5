// Controls that step or pick a value with clicks: the switch that steps
// through its frames, its prompting, per-frame and momentary kinds, the
// overlay that opens over the panel, the invisible toggle and the radio
// group. Every click ends in SetDirty(true), which clamps the value and
// hands it to the plug-in.
#pragma once

#include "core/BASE_TypedBuf.h"
#include "graphics/controls/IBitmapControl.h"

// A click steps to the next frame's value (1 / (N - 1), or 1 with one
// frame) and past the last back to 0. A double click is a click.
class ISwitchControl : public IBitmapControl
{
public:
  using IBitmapControl::IBitmapControl;

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override;
};

// A click asks for the value instead (the parameter's menu or a text
// entry).
class ISwitchPopUpControl : public ISwitchControl
{
public:
  ISwitchPopUpControl(IUnitBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                      IChannelBlend blend = IChannelBlend());

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
};

// The frame's slice of the rectangle that is clicked picks that frame.
class ISwitchFramesControl : public ISwitchControl
{
public:
  ISwitchFramesControl(IUnitBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                       bool framesAreHoriz = false, int blendMethod = 0);

  void OnMouseDown(int x, int y, IMouseMod* mod) override;

private:
  BASE_TypedBuf<IRECT> mRECTs{4096};
};

// A momentary button: pressed it steps like a switch, released it is 0.
class IContactControl : public ISwitchControl
{
public:
  using ISwitchControl::ISwitchControl;

  void OnMouseUp(int x, int y, IMouseMod* mod) override;
};

// Unbound. While its value is below 0.5 it draws nothing and takes clicks
// only in its target area; open, it draws its frame and takes every click
// on it.
class IBitmapOverlayControl : public ISwitchControl
{
public:
  IBitmapOverlayControl(IUnitBase* plug, int x, int y, IBitmap* bitmap, IRECT targetArea);

  bool Draw(IGraphics* graphics) override;
  // Closed, it shows nothing of its bitmap.
  bool ShowsBitmap() const override { return !IsHidden() && mValue >= 0.5; }
  // The target area scales with the GUI.
  void AfterGUIResize(double ratio) override;

private:
  IRECT mTargetArea;
  IRECT mTargetAreaAsBuilt;
};

// Draws nothing; a click toggles between 0 and 1.
class IInvisibleSwitchControl : public IControl
{
public:
  IInvisibleSwitchControl(IUnitBase* plug, IRECT rect, int paramIdx);

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics*) override { return true; }
};

// n buttons of a two-frame bitmap (off, on); button i stands for the value
// i / (n - 1). Direction 0 stacks them downwards from the top, 1 lays them
// from the right edge leftwards, any other direction stacks them upwards
// from the bottom, spread evenly over the rectangle. A right click asks
// for the value.
class IRadioButtonsControl : public IControl
{
public:
  IRadioButtonsControl(IUnitBase* plug, IRECT rect, int paramIdx, int nButtons, IBitmap* bitmap,
                       int direction = 0, bool reverse = false);

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;
  // Lays the buttons out anew for the rectangle as built times ratio.
  void AfterGUIResize(double ratio) override;

  IRECT GetButtonRECT(int i) const { return i >= 0 && i < mNButtons ? mRECTs.Get()[i] : IRECT(); }

private:
  BASE_TypedBuf<IRECT> mRECTs{4096};
  IRECT mRECTAsBuilt;
  IBitmap* mBitmap;  // not owned
  int mDirection;
  // Kept as the caller gave it; the buttons are always laid out in order.
  [[maybe_unused]] bool mReverse;
  int mNButtons;
};
