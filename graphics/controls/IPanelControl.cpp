#include "graphics/controls/IPanelControl.h"

#include "graphics/IGraphics.h"

bool IPanelControl::Draw(IGraphics* graphics)
{
  RAST_IBitmap* bitmap = graphics->GetDrawBitmap();
  if (!bitmap) return false;
  const IRECT area = mRECT.Intersect(graphics->GetDrawRECT());
  if (area.Empty()) return true;
  // Through the control's blend, which weighs the colour by its alpha: a
  // half-transparent panel tints what lies under it instead of replacing
  // it with a half-transparent pixel.
  return graphics->FillIRect(&mColor, &area, &mBlend);
}
