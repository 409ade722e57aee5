#include "graphics/controls/ISwitchControl.h"

#include "graphics/IGraphics.h"

// ---- switch ----

void ISwitchControl::OnMouseDown(int, int, IMouseMod*)
{
  {
    BASE_MutexLock lock(mChangeLock);
    const int n = mBitmap ? mBitmap->N : 1;
    mValue += n > 1 ? 1.0 / (n - 1) : 1.0;
    // The margin keeps the last step of a many-frame switch, which sums to
    // a little over 1, from wrapping early.
    if (mValue > 1.001) mValue = 0.0;
  }
  SetDirty(true);
}

void ISwitchControl::OnMouseDblClick(int x, int y, IMouseMod* mod)
{
  OnMouseDown(x, y, mod);
}

ISwitchPopUpControl::ISwitchPopUpControl(IUnitBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                                         IChannelBlend blend)
  : ISwitchControl(plug, x, y, paramIdx, bitmap, blend)
{
  mDisablePrompt = false;
}

void ISwitchPopUpControl::OnMouseDown(int, int, IMouseMod*)
{
  PromptUserInput();
  SetDirty(true);
}

ISwitchFramesControl::ISwitchFramesControl(IUnitBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                                           bool framesAreHoriz, int blendMethod)
  : ISwitchControl(plug, x, y, paramIdx, bitmap, IChannelBlend(blendMethod))
{
  mDisablePrompt = false;
  const int n = bitmap && bitmap->N > 1 ? bitmap->N : 1;
  for (int i = 0; i < n; ++i)
  {
    if (framesAreHoriz)
    {
      const int w = mRECT.W() / n;
      mRECTs.Add(IRECT(mRECT.L + i * w, mRECT.T, mRECT.L + (i + 1) * w, mRECT.B));
    }
    else
    {
      const int h = mRECT.H() / n;
      mRECTs.Add(IRECT(mRECT.L, mRECT.T + i * h, mRECT.R, mRECT.T + (i + 1) * h));
    }
  }
}

void ISwitchFramesControl::OnMouseDown(int x, int y, IMouseMod*)
{
  {
    BASE_MutexLock lock(mChangeLock);
    const int n = mRECTs.GetSize();
    for (int i = 0; i < n; ++i)
    {
      if (!mRECTs.Get()[i].Contains(x, y)) continue;
      mValue = n > 1 ? static_cast<double>(i) / (n - 1) : 0.0;
      break;
    }
  }
  SetDirty(true);
}

void IContactControl::OnMouseUp(int, int, IMouseMod*)
{
  {
    BASE_MutexLock lock(mChangeLock);
    mValue = 0.0;
  }
  SetDirty(true);
}

// ---- overlay ----

IBitmapOverlayControl::IBitmapOverlayControl(IUnitBase* plug, int x, int y, IBitmap* bitmap,
                                             IRECT targetArea)
  : ISwitchControl(plug, x, y, -1, bitmap, IChannelBlend(0)),
    mTargetArea(targetArea),
    mTargetAreaAsBuilt(targetArea)
{
  // It starts closed: only its target area takes clicks.
  mTargetRECT = targetArea;
}

bool IBitmapOverlayControl::Draw(IGraphics* graphics)
{
  if (mValue < 0.5)
  {
    mTargetRECT = mTargetArea;
    return true;
  }
  mTargetRECT = mRECT;
  return IBitmapControl::Draw(graphics);
}

void IBitmapOverlayControl::AfterGUIResize(double ratio)
{
  BASE_MutexLock lock(mChangeLock);
  const IRECT& a = mTargetAreaAsBuilt;
  mTargetArea = IRECT(static_cast<int>(a.L * ratio), static_cast<int>(a.T * ratio),
                      static_cast<int>(a.R * ratio), static_cast<int>(a.B * ratio));
}

// ---- invisible switch ----

IInvisibleSwitchControl::IInvisibleSwitchControl(IUnitBase* plug, IRECT rect, int paramIdx)
  : IControl(plug, rect, paramIdx, IChannelBlend(1, 1.0f))
{
  mDisablePrompt = true;
}

void IInvisibleSwitchControl::OnMouseDown(int, int, IMouseMod*)
{
  {
    BASE_MutexLock lock(mChangeLock);
    mValue = mValue < 0.5 ? 1.0 : 0.0;
  }
  SetDirty(true);
}

// ---- radio buttons ----

IRadioButtonsControl::IRadioButtonsControl(IUnitBase* plug, IRECT rect, int paramIdx, int nButtons,
                                           IBitmap* bitmap, int direction, bool reverse)
  : IControl(plug, rect, paramIdx, IChannelBlend(0)),
    mRECTAsBuilt(rect),
    mBitmap(bitmap),
    mDirection(direction),
    mReverse(reverse),
    mNButtons(nButtons < 0 ? 0 : nButtons)
{
  IRadioButtonsControl::AfterGUIResize(1.0);
}

void IRadioButtonsControl::AfterGUIResize(double ratio)
{
  BASE_MutexLock lock(mChangeLock);
  const int n = mNButtons;
  const int w = mBitmap ? mBitmap->W : 0;
  const int h = mBitmap && mBitmap->N > 0 ? mBitmap->H / mBitmap->N : 0;
  const int l = static_cast<int>(mRECTAsBuilt.L * ratio), t = static_cast<int>(mRECTAsBuilt.T * ratio);
  const int r = static_cast<int>(mRECTAsBuilt.R * ratio), b = static_cast<int>(mRECTAsBuilt.B * ratio);
  // One button has no gap to spread; it sits at the start.
  const bool vertical = mDirection != 1;
  const double spare = vertical ? static_cast<double>(b - t - n * h) : static_cast<double>(r - l - n * w);
  const int gap = n > 1 ? static_cast<int>(spare / (n - 1)) : 0;
  mRECTs.Resize(0);
  int pos = mDirection == 0 ? mRECT.T : (mDirection == 1 ? r - w - gap : b - gap);
  for (int i = 0; i < n; ++i)
  {
    if (mDirection == 0)
    {
      mRECTs.Add(IRECT(mRECT.L, pos, mRECT.L + w, pos + h));
      pos += h + gap;
    }
    else if (mDirection == 1)
    {
      mRECTs.Add(IRECT(pos, t, pos + w, t + h));
      pos -= gap + w;
    }
    else
    {
      mRECTs.Add(IRECT(l, pos - h, l + w, pos));
      pos -= gap + h;
    }
  }
}

void IRadioButtonsControl::OnMouseDown(int x, int y, IMouseMod* mod)
{
  if (mod && mod->R)
  {
    PromptUserInput();
  }
  else
  {
    BASE_MutexLock lock(mChangeLock);
    const int n = mRECTs.GetSize();
    for (int i = 0; i < n; ++i)
    {
      if (!mRECTs.Get()[i].Contains(x, y)) continue;
      mValue = n > 1 ? static_cast<double>(i) / (n - 1) : 0.0;
      break;
    }
  }
  SetDirty(true);
}

bool IRadioButtonsControl::Draw(IGraphics* graphics)
{
  const int n = mRECTs.GetSize();
  int active = static_cast<int>(mValue * (n - 1) + 0.5);
  active = active < 0 ? 0 : (active > n - 1 ? n - 1 : active);
  for (int i = 0; i < n; ++i)
  {
    IRECT button = mRECTs.Get()[i];
    graphics->DrawIBitmap(mBitmap, &button, i == active ? 2 : 1, &mBlend);
  }
  return true;
}
