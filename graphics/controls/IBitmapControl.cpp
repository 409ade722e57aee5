#include "graphics/controls/IBitmapControl.h"

#include "graphics/IGraphics.h"

namespace
{
IRECT FrameRect(int x, int y, const IBitmap* bitmap)
{
  if (!bitmap) return IRECT(x, y, x, y);
  return IRECT(x, y, x + bitmap->FrameW(), y + bitmap->FrameH());
}
}  // namespace

int IBitmapFrameForValue(const IBitmap* bitmap, double value)
{
  if (!bitmap || bitmap->N < 2) return 1;
  const int frame = static_cast<int>(value * (bitmap->N - 1) + 0.5) + 1;
  return frame < 1 ? 1 : (frame > bitmap->N ? bitmap->N : frame);
}

IBitmapControl::IBitmapControl(IUnitBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                               IChannelBlend blend)
  : IControl(plug, FrameRect(x, y, bitmap), paramIdx, blend), mBitmap(bitmap)
{
}

bool IBitmapControl::Draw(IGraphics* graphics)
{
  return graphics->DrawIBitmap(mBitmap, &mRECT, IBitmapFrameForValue(mBitmap, mValue), &mBlend);
}
