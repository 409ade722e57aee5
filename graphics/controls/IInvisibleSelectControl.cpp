#include "graphics/controls/IInvisibleSelectControl.h"

#include <cmath>

namespace
{
// Key codes of the surface's key routing.
constexpr int kKeySpace = 0;
constexpr int kKeyUp = 1;

int Modifier(const IMouseMod* mod)
{
  if (!mod) return kSelectModNone;
  return mod->S ? kSelectModShift : (mod->C ? kSelectModControl : kSelectModNone);
}

// f = (p - start) / size, measured on the rectangle as it is now, so a
// moved or resized control measures itself anew. A control of no size
// gives 0. SetDirty clamps the fraction into 0..1.
double Fraction(int p, int start, int size)
{
  return size > 0 ? static_cast<double>(p - start) / size : 0.0;
}

double AlongDirection(const IRECT& r, bool vertical, int x, int y)
{
  return vertical ? Fraction(y, r.T, r.H()) : Fraction(x, r.L, r.W());
}

// The part of n slices that (p - start) / size falls in, clamped to
// 0..n - 1.
int Slice(int p, int start, int size, int n)
{
  if (size <= 0 || n <= 0) return 0;
  const int s = static_cast<int>(std::floor(static_cast<double>(n) * (p - start) / size));
  return s < 0 ? 0 : (s >= n ? n - 1 : s);
}

int KeyModifier(int key)
{
  return key == kKeySpace ? kSelectModSpaceKey : (key == kKeyUp ? kSelectModUpKey : -1);
}
}  // namespace

// ---- IInvisibleSelectControl ----

IInvisibleSelectControl::IInvisibleSelectControl(IUnitBase* plug, IRECT rect, int paramIdx)
  : IControl(plug, rect, paramIdx, IChannelBlend(1, 1.0f))
{
}

void IInvisibleSelectControl::OnMouseUp(int, int y, IMouseMod*)
{
  {
    BASE_MutexLock lock(mChangeLock);
    mValue = Fraction(y, mRECT.T, mRECT.H());
  }
  SetDirty(true);
}

// ---- IInvisibleSelectControl2 ----

IInvisibleSelectControl2::IInvisibleSelectControl2(IUnitBase* plug, IRECT rect, int paramIdx, int direction)
  : IControl(plug, rect, paramIdx, IChannelBlend(1, 1.0f)), mVertical(direction == 0)
{
}

void IInvisibleSelectControl2::Select(int x, int y, int event)
{
  {
    BASE_MutexLock lock(mChangeLock);
    mLastEvent = event;
    mValue = AlongDirection(mRECT, mVertical, x, y);
  }
  SetDirty(true);
}

void IInvisibleSelectControl2::OnMouseDown(int x, int y, IMouseMod*) { Select(x, y, kSelectMouseDown); }
void IInvisibleSelectControl2::OnMouseUp(int x, int y, IMouseMod*) { Select(x, y, kSelectMouseUp); }
void IInvisibleSelectControl2::OnMouseDrag(int x, int y, int, int, IMouseMod*) { Select(x, y, kSelectMouseDrag); }

// ---- IInvisibleSelectControl3 ----

IInvisibleSelectControl3::IInvisibleSelectControl3(IUnitBase* plug, IRECT rect, int paramIdx, int direction)
  : IControl(plug, rect, paramIdx, IChannelBlend(1, 1.0f)), mVertical(direction == 0)
{
}

void IInvisibleSelectControl3::Select(int x, int y, IMouseMod* mod, int event)
{
  {
    BASE_MutexLock lock(mChangeLock);
    mLastX = x;
    mLastY = y;
    mLastEvent = event;
    mLastModifier = Modifier(mod);
    mValue = AlongDirection(mRECT, mVertical, x, y);
  }
  SetDirty(true);
}

void IInvisibleSelectControl3::OnMouseDown(int x, int y, IMouseMod* mod) { Select(x, y, mod, kSelectMouseDown); }
void IInvisibleSelectControl3::OnMouseUp(int x, int y, IMouseMod* mod) { Select(x, y, mod, kSelectMouseUp); }
void IInvisibleSelectControl3::OnMouseDrag(int x, int y, int, int, IMouseMod* mod)
{
  Select(x, y, mod, kSelectMouseDrag);
}
void IInvisibleSelectControl3::OnMouseDblClick(int x, int y, IMouseMod* mod)
{
  Select(x, y, mod, kSelectMouseDblClick);
}

void IInvisibleSelectControl3::OnMouseWheel(int, int, IMouseMod* mod, int d)
{
  {
    BASE_MutexLock lock(mChangeLock);
    mLastEvent = kSelectMouseWheel;
    mLastModifier = Modifier(mod);
    mValue = 0.5 + (mLastModifier != kSelectModNone ? 0.001 : 0.01) * d;
  }
  SetDirty(true);
}

bool IInvisibleSelectControl3::OnKeyDown(int, int, int key)
{
  const int modifier = KeyModifier(key);
  if (modifier >= 0) mLastModifier = modifier;
  return false;
}

// ---- IInvisibleMatrixSelectControl ----

IInvisibleMatrixSelectControl::IInvisibleMatrixSelectControl(IUnitBase* plug, IRECT rect, int paramIdx)
  : IControl(plug, rect, paramIdx, IChannelBlend(1, 1.0f))
{
}

void IInvisibleMatrixSelectControl::SetMatrixSize(int columns, int rows)
{
  BASE_MutexLock lock(mChangeLock);
  mColumns = columns > 0 ? columns : 0;
  mRows = rows > 0 ? rows : 0;
}

int IInvisibleMatrixSelectControl::CellAt(int x, int y)
{
  BASE_MutexLock lock(mChangeLock);
  return Slice(y, mRECT.T, mRECT.H(), mRows) * mColumns + Slice(x, mRECT.L, mRECT.W(), mColumns);
}

void IInvisibleMatrixSelectControl::Select(int x, int y, IMouseMod* mod, int event, bool recordPosition)
{
  {
    BASE_MutexLock lock(mChangeLock);
    if (recordPosition)
    {
      mLastX = x;
      mLastY = y;
    }
    mLastEvent = event;
    mLastModifier = Modifier(mod);
    mLastCell = CellAt(x, y);
    const int cells = mColumns * mRows;
    mValue = cells > 0 ? static_cast<double>(mLastCell) / cells : 0.0;
  }
  SetDirty(true);
}

void IInvisibleMatrixSelectControl::OnMouseDown(int x, int y, IMouseMod* mod)
{
  Select(x, y, mod, kSelectMouseDown, true);
}
void IInvisibleMatrixSelectControl::OnMouseUp(int x, int y, IMouseMod* mod) { Select(x, y, mod, kSelectMouseUp, true); }
void IInvisibleMatrixSelectControl::OnMouseDrag(int x, int y, int, int, IMouseMod* mod)
{
  Select(x, y, mod, kSelectMouseDrag, true);
}
void IInvisibleMatrixSelectControl::OnMouseDblClick(int x, int y, IMouseMod* mod)
{
  Select(x, y, mod, kSelectMouseDblClick, false);
}

void IInvisibleMatrixSelectControl::OnMouseWheel(int x, int y, IMouseMod* mod, int d)
{
  mLastWheelUp = d > 0;
  Select(x, y, mod, kSelectMouseWheel, false);
}

bool IInvisibleMatrixSelectControl::OnKeyDown(int, int, int key)
{
  const int modifier = KeyModifier(key);
  if (modifier >= 0) mLastModifier = modifier;
  return false;
}
