#include "graphics/controls/IPanelControl.h"

#include "graphics/IGraphics.h"
#include "raster/RAST_Rect.h"

bool IPanelControl::Draw(IGraphics* graphics)
{
  RAST_IBitmap* bitmap = graphics->GetDrawBitmap();
  if (!bitmap) return false;
  const IRECT area = mRECT.Intersect(graphics->GetDrawRECT());
  if (area.Empty()) return true;
  RAST_FillRect(bitmap, area.L, area.T, area.W(), area.H(),
                RAST_RGBA(mColor.R, mColor.G, mColor.B, mColor.A), mBlend.mWeight, 0);
  return true;
}
