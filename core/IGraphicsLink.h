// What the plug-in base and the standalone wrapper call on the GUI side.
// The GUI framework lives above this library, so the base reaches it through
// these two interfaces: the framework's graphics surface implements
// IGraphicsLink and its window-size manager implements IGUIResizeLink.
// The plug-in base owns the graphics object from IUnitBase::AttachGraphics
// on and deletes it through the virtual destructor; the resize manager is a
// control that the graphics object owns. Everything here runs on the GUI
// thread or under the plug-in mutex.
#pragma once

#include <cstddef>
#include <vector>

#include "core/BASE_TypedBuf.h"

// Per-control layout that the GUI framework's layout editor works from:
// drawing rectangle, target rectangle, hidden flag and the control itself,
// one entry per control in the four lists, in control order.
struct ILiveLayoutState
{
  struct Rect
  {
    int left, top, right, bottom;  // GUI pixels, right and bottom exclusive
  };

  BASE_TypedBuf<Rect> mDrawRects;
  BASE_TypedBuf<Rect> mTargetRects;
  BASE_TypedBuf<bool> mHidden;
  BASE_TypedBuf<void*> mControls;  // not owned; the graphics object owns its controls
};

class IGUIResizeLink;

class IGraphicsLink
{
public:
  virtual ~IGraphicsLink() = default;

  // Window size in pixels.
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // Creates the drawing bitmaps; called once when the graphics is attached.
  virtual void PrepDraw() = 0;
  // Shows value on every control bound to the parameter, without telling the
  // plug-in; value is normalised when normalized is true, else plain.
  virtual void SetParameterFromPlug(int paramIndex, double value, bool normalized) = 0;
  // Shows every parameter's value at once: values[i] is parameter i's,
  // plain.
  virtual void SetParametersFromPlug(const std::vector<double>& values)
  {
    for (size_t i = 0; i < values.size(); ++i) SetParameterFromPlug(static_cast<int>(i), values[i], false);
  }
  // Creates the resize manager's handle controls and attaches the manager
  // as a control, which the graphics object then owns.
  virtual void AttachGUIResize(IGUIResizeLink* resizer) = 0;
  // Appends every control's layout to state.
  virtual void StoreLiveLayout(ILiveLayoutState* state) = 0;
  // Resamples every scaled bitmap to scale times its stored size; the
  // shell calls it when it lowers the stored GUI scale to fit the screen.
  virtual void RescaleBitmaps(double /*scale*/) {}
};

class IGUIResizeLink
{
public:
  virtual ~IGUIResizeLink() = default;
  // Restores the stored window scale and size from the settings.
  virtual void ResizeAtGUIOpen() = 0;
};
