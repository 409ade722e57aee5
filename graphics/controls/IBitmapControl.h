// IBitmapControl: shows a parameter as one frame of a bitmap strip; unbound,
// it is the plain image of backgrounds and plates. The strip is a record of
// the surface's bitmap cache, shared and never owned.
#pragma once

#include "graphics/controls/IControl.h"

// The frame (1..N) that shows value: with N < 2 frame 1, otherwise the
// nearest of the N evenly spaced values, halves up.
int IBitmapFrameForValue(const IBitmap* bitmap, double value);

class IBitmapControl : public IControl
{
public:
  // The rectangle is (x, y) and one frame of bitmap.
  IBitmapControl(IUnitBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                 IChannelBlend blend = IChannelBlend());

  bool Draw(IGraphics* graphics) override;
  IBitmap* GetBitmap() const { return mBitmap; }
  // Whether a draw now shows the bitmap: artwork no control shows waits
  // for its first draw rather than being made at a rescale.
  virtual bool ShowsBitmap() const { return !IsHidden(); }

protected:
  IBitmap* mBitmap;  // not owned
};
