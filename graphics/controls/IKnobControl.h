// Knobs: a drag turns the value by the distance over the knob's size, a
// wheel notch by a hundredth (a thousandth with Shift or Control). The
// multi-frame knob shows a frame of a strip (the editor's sliders are
// these), the line knob draws a pointer, the rotater turns a bitmap and the
// rotating-mask knob turns a mask between a base and a top image.
#pragma once

#include "graphics/controls/IControl.h"

class IKnobControl : public IControl
{
public:
  // direction 0 is vertical (up raises the value), anything else
  // horizontal (right raises it). A drag over the knob's whole height (or
  // width) turns it from 0 to 1 at gearing 1.0; Shift or Control make it
  // ten times finer.
  IKnobControl(IUnitBase* plug, IRECT rect, int paramIdx, int direction = 0, double gearing = 1.0,
               IChannelBlend blend = IChannelBlend());

  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
  void OnMouseWheel(int x, int y, IMouseMod* mod, int d) override;

protected:
  int mDirection;
  double mGearing;
};

class IKnobLineControl : public IKnobControl
{
public:
  // Angles in radians, 0 pointing up, clockwise; an outer radius of 0
  // reaches the rectangle's side.
  IKnobLineControl(IUnitBase* plug, IRECT rect, int paramIdx, const IColor& color, double innerRadius = 0.0,
                   double outerRadius = 0.0, double minAngle = -0.75 * 3.14159265358979323846,
                   double maxAngle = 0.75 * 3.14159265358979323846, int direction = 0, double gearing = 1.0);

  bool Draw(IGraphics* graphics) override;
  // The radii follow the GUI scale when the plug-in has a resize manager.
  void AfterGUIResize(double ratio) override;

private:
  IColor mColor;
  float mMinAngle, mMaxAngle, mInnerRadius, mOuterRadius;
  double mResizeRatio = 1.0;
};

class IKnobRotaterControl : public IKnobControl
{
public:
  // Angles in radians; the bitmap turns about its centre moved down by
  // yOffsetZeroDeg.
  IKnobRotaterControl(IUnitBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                      double minAngle = -0.75 * 3.14159265358979323846,
                      double maxAngle = 0.75 * 3.14159265358979323846, int yOffsetZeroDeg = 0,
                      int direction = 0, double gearing = 1.0);

  bool Draw(IGraphics* graphics) override;

private:
  double mMinAngle, mMaxAngle;
  int mYOffset;
  IBitmap* mBitmap;  // not owned
};

// Shows the frame of its value; with n steps set it snaps to n positions.
class IKnobMultiControl : public IKnobControl
{
public:
  IKnobMultiControl(IUnitBase* plug, int x, int y, int paramIdx, IBitmap* bitmap, int direction = 0,
                    double gearing = 1.0);

  // Only hands the value on: a click does not move the knob.
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;
  // n positions for n > 0; 0 or less is continuous.
  void SetFrameCount(int n);
  IBitmap* GetBitmap() const { return mBitmap; }

protected:
  IBitmap* mBitmap;  // not owned
  int mFrameSteps = 0;
};

// The same knob, telling whether the mouse holds it.
class IKnobMultiControl2 : public IKnobMultiControl
{
public:
  using IKnobMultiControl::IKnobMultiControl;

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseUp(int x, int y, IMouseMod* mod) override;
  bool IsMouseDown() const { return mMouseDown; }

private:
  bool mMouseDown = false;
};

class IKnobRotatingMaskControl : public IKnobControl
{
public:
  // Angles in degrees, as the mask drawing takes them.
  IKnobRotatingMaskControl(IUnitBase* plug, int x, int y, int paramIdx, IBitmap* base, IBitmap* mask,
                           IBitmap* top, double minAngle = -135.0, double maxAngle = 135.0,
                           int direction = 0, double gearing = 1.0);

  bool Draw(IGraphics* graphics) override;

private:
  IBitmap* mBase;  // not owned
  IBitmap* mMask;  // not owned
  IBitmap* mTop;   // not owned
  double mMinAngle, mMaxAngle;
};

// The value a knob of frameSteps positions shows: value * steps rounded to
// the nearest integer (halves away from zero), over steps; value itself
// when steps is 0 or less.
double IKnobQuantize(double value, int frameSteps);
