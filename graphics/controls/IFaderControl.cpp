#include "graphics/controls/IFaderControl.h"

#include "graphics/IGraphics.h"

namespace
{
IRECT Track(int x, int y, int length, const IBitmap* handle, int direction)
{
  const int w = handle ? handle->W : 0, h = handle ? handle->FrameH() : 0;
  return direction == 0 ? IRECT(x, y, x + w, y + length) : IRECT(x, y, x + length, y + h);
}
}  // namespace

IFaderControl::IFaderControl(IUnitBase* plug, int x, int y, int length, int paramIdx, IBitmap* handle,
                             int direction, bool onlyHandleHit)
  : IControl(plug, Track(x, y, length, handle, direction), paramIdx, IChannelBlend(0)),
    mLen(length),
    mHandleHeadroom(handle ? (direction == 0 ? handle->FrameH() : handle->W) : 0),
    mLenAsBuilt(length),
    mHeadroomAsBuilt(mHandleHeadroom),
    mDirection(direction),
    mOnlyHandle(onlyHandleHit),
    mBitmap(handle)
{
}

IRECT IFaderControl::GetHandleRECT(double value)
{
  BASE_MutexLock lock(mChangeLock);
  const int w = mBitmap ? mBitmap->W : 0, h = mBitmap ? mBitmap->FrameH() : 0;
  const int travel = mLen - mHandleHeadroom;
  IRECT r(mRECT.L, mRECT.T, mRECT.L + w, mRECT.T + h);
  if (mDirection == 0)
  {
    const int down = static_cast<int>((1.0 - value) * travel);
    r.T += down;
    r.B += down;
  }
  else
  {
    const int right = static_cast<int>(value * travel);
    r.L += right;
    r.R += right;
  }
  return r;
}

void IFaderControl::SnapToMouse(int x, int y)
{
  {
    BASE_MutexLock lock(mChangeLock);
    const int travel = mLen - mHandleHeadroom;
    // A handle as long as the track cannot move: dividing by its travel
    // would make the value infinite.
    if (travel != 0)
    {
      if (mDirection == 0)
        mValue = 1.0 - static_cast<double>(y - mRECT.T - mHandleHeadroom / 2) / travel;
      else
        mValue = static_cast<double>(x - mRECT.L - mHandleHeadroom / 2) / travel;
    }
  }
  SetDirty(true);
}

void IFaderControl::OnMouseDown(int x, int y, IMouseMod* mod)
{
  if (mod && mod->R)
  {
    PromptUserInput();
    return;
  }
  SnapToMouse(x, y);
}

void IFaderControl::OnMouseDrag(int x, int y, int, int, IMouseMod*)
{
  SnapToMouse(x, y);
}

void IFaderControl::OnMouseWheel(int, int, IMouseMod* mod, int d)
{
  {
    BASE_MutexLock lock(mChangeLock);
    mValue += (mod && (mod->S || mod->C) ? 0.001 : 0.01) * d;
  }
  SetDirty(true);
}

bool IFaderControl::Draw(IGraphics* graphics)
{
  IRECT handle = GetHandleRECT(mValue);
  return graphics->DrawIBitmap(mBitmap, &handle, 1, &mBlend);
}

void IFaderControl::AfterGUIResize(double ratio)
{
  BASE_MutexLock lock(mChangeLock);
  mHandleHeadroom = static_cast<int>(mHeadroomAsBuilt * ratio);
  mLen = static_cast<int>(mLenAsBuilt * ratio);
}

bool IFaderControl::IsHit(int x, int y)
{
  if (!mOnlyHandle) return IControl::IsHit(x, y);
  BASE_MutexLock lock(mChangeLock);
  return GetHandleRECT(mValue).Contains(x, y);
}
