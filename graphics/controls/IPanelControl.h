// IPanelControl: a solid colour over the control's rectangle; the surface's
// panel background is one. Paints only the part inside the area being
// repainted, so the rest of the draw bitmap keeps what is on the screen.
#pragma once

#include "graphics/controls/IControl.h"

class IPanelControl : public IControl
{
public:
  IPanelControl(IUnitBase* plug, IRECT rect, const IColor& color)
    : IControl(plug, rect, -1, IChannelBlend(0, 1.0f)), mColor(color)
  {
  }

  bool Draw(IGraphics* graphics) override;
  const IColor& GetColor() const { return mColor; }

private:
  IColor mColor;
};
