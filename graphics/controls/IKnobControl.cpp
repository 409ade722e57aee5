#include "graphics/controls/IKnobControl.h"

#include "core/IUnitBase.h"
#include "graphics/IGraphics.h"
#include "graphics/controls/IBitmapControl.h"

#include <cmath>

namespace
{
IRECT FrameRect(int x, int y, const IBitmap* bitmap)
{
  if (!bitmap) return IRECT(x, y, x, y);
  return IRECT(x, y, x + bitmap->FrameW(), y + bitmap->FrameH());
}
}  // namespace

double IKnobQuantize(double value, int frameSteps)
{
  if (frameSteps <= 0) return value;
  return std::round(value * frameSteps) / frameSteps;
}

// ---- knob ----

IKnobControl::IKnobControl(IUnitBase* plug, IRECT rect, int paramIdx, int direction, double gearing,
                           IChannelBlend blend)
  : IControl(plug, rect, paramIdx, blend), mDirection(direction), mGearing(gearing)
{
}

void IKnobControl::OnMouseDrag(int, int, int dX, int dY, IMouseMod* mod)
{
  {
    BASE_MutexLock lock(mChangeLock);
    const double g = mod && (mod->S || mod->C) ? mGearing * 10.0 : mGearing;
    const int size = mDirection == 0 ? mRECT.T - mRECT.B : mRECT.R - mRECT.L;
    // A knob of no size (or no gearing) has no scale to turn by.
    if (size == 0 || g == 0.0) return;
    mValue += (mDirection == 0 ? dY : dX) / static_cast<double>(size) / g;
  }
  SetDirty(true);
}

void IKnobControl::OnMouseWheel(int, int, IMouseMod* mod, int d)
{
  {
    BASE_MutexLock lock(mChangeLock);
    mValue += (mod && (mod->S || mod->C) ? 0.001 : 0.01) * d;
  }
  SetDirty(true);
}

// ---- line knob ----

IKnobLineControl::IKnobLineControl(IUnitBase* plug, IRECT rect, int paramIdx, const IColor& color,
                                   double innerRadius, double outerRadius, double minAngle, double maxAngle,
                                   int direction, double gearing)
  : IKnobControl(plug, rect, paramIdx, direction, gearing, IChannelBlend(1, 1.0f)),
    mColor(color),
    mMinAngle(static_cast<float>(minAngle)),
    mMaxAngle(static_cast<float>(maxAngle)),
    mInnerRadius(static_cast<float>(innerRadius)),
    mOuterRadius(static_cast<float>(outerRadius == 0.0 ? (rect.R - rect.L) * 0.5 : outerRadius))
{
}

bool IKnobLineControl::Draw(IGraphics* graphics)
{
  const double a = mMinAngle + mValue * (mMaxAngle - mMinAngle);
  const float cx = (mRECT.L + mRECT.R) * 0.5f, cy = (mRECT.T + mRECT.B) * 0.5f;
  const float scale = mPlug && mPlug->GetGUIResize() ? static_cast<float>(mResizeRatio) : 1.0f;
  const float inner = mInnerRadius * scale, outer = mOuterRadius * scale;
  const float s = static_cast<float>(std::sin(a)), c = static_cast<float>(std::cos(a));
  return graphics->DrawLine(&mColor, cx + s * inner, cy - c * inner, cx + s * outer, cy - c * outer, &mBlend,
                            true);
}

void IKnobLineControl::AfterGUIResize(double ratio)
{
  BASE_MutexLock lock(mChangeLock);
  mResizeRatio = ratio;
}

// ---- rotater ----

IKnobRotaterControl::IKnobRotaterControl(IUnitBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                                         double minAngle, double maxAngle, int yOffsetZeroDeg, int direction,
                                         double gearing)
  : IKnobControl(plug, FrameRect(x, y, bitmap), paramIdx, direction, gearing),
    mMinAngle(minAngle),
    mMaxAngle(maxAngle),
    mYOffset(yOffsetZeroDeg),
    mBitmap(bitmap)
{
}

bool IKnobRotaterControl::Draw(IGraphics* graphics)
{
  const double angle = mMinAngle + mValue * (mMaxAngle - mMinAngle);
  return graphics->DrawRotatedBitmap(mBitmap, (mRECT.L + mRECT.R) / 2, (mRECT.T + mRECT.B) / 2, angle, mYOffset,
                                     &mBlend);
}

// ---- multi-frame knobs ----

IKnobMultiControl::IKnobMultiControl(IUnitBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                                     int direction, double gearing)
  : IKnobControl(plug, FrameRect(x, y, bitmap), paramIdx, direction, gearing, IChannelBlend(0)),
    mBitmap(bitmap)
{
}

void IKnobMultiControl::OnMouseDown(int, int, IMouseMod*)
{
  SetDirty(true);
}

bool IKnobMultiControl::Draw(IGraphics* graphics)
{
  const double shown = IKnobQuantize(mValue, mFrameSteps);
  return graphics->DrawIBitmap(mBitmap, &mRECT, IBitmapFrameForValue(mBitmap, shown), &mBlend);
}

void IKnobMultiControl::SetFrameCount(int n)
{
  BASE_MutexLock lock(mChangeLock);
  mFrameSteps = n > 0 ? n - 1 : 0;
  SetDirty(false);
}

void IKnobMultiControl2::OnMouseDown(int, int, IMouseMod*)
{
  mMouseDown = true;
  SetDirty(true);
}

void IKnobMultiControl2::OnMouseUp(int, int, IMouseMod*)
{
  mMouseDown = false;
  SetDirty(true);
}

// ---- rotating mask ----

IKnobRotatingMaskControl::IKnobRotatingMaskControl(IUnitBase* plug, int x, int y, int paramIdx, IBitmap* base,
                                                   IBitmap* mask, IBitmap* top, double minAngle, double maxAngle,
                                                   int direction, double gearing)
  : IKnobControl(plug, FrameRect(x, y, base), paramIdx, direction, gearing),
    mBase(base),
    mMask(mask),
    mTop(top),
    mMinAngle(minAngle),
    mMaxAngle(maxAngle)
{
}

bool IKnobRotatingMaskControl::Draw(IGraphics* graphics)
{
  const double angle = mMinAngle + mValue * (mMaxAngle - mMinAngle);
  return graphics->DrawRotatedMask(mBase, mMask, mTop, mRECT.L, mRECT.T, angle, &mBlend);
}
