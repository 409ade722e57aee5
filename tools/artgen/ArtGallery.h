// The artwork shown by the controls that use it, laid out on a surface:
// the gallery pictures the tests keep and the drawing benchmarks share
// this, so both see every image of a skin through its control.
#pragma once

#include "graphics/IGraphics.h"
#include "editor/art/ArtTable.h"

#include <vector>

class IControl;
class IUnitBase;

// Full-window images and overlays, which the gallery shows one to a page.
bool ArtIsLarge(const ArtRow& row);

// The control the skins show a row's kind with: sliders and curves as
// multi-frame knobs, buttons, switches, lamps and check boxes as switches,
// a scroll handle as a fader 660 pixels long at scale 1.0, everything
// else as a bitmap control. value is the normalised value it starts with.
IControl* ArtControlFor(const ArtRow& row, IUnitBase* plug, IBitmap* bitmap, int x, int y, int paramIdx,
                        double value, double scale = 1.0);

struct ArtGalleryItem
{
  const ArtRow* row;
  IControl* control;  // owned by the surface
};

// Attaches a control for each row, left to right in lines of the surface's
// width, 8 pixels apart; two-state images twice, off then on. Rows whose
// bitmap is null are passed by. With firstParam 0 or more, parameters are
// bound from it on, one per control, and given the control's value;
// otherwise the controls are unbound.
std::vector<ArtGalleryItem> ArtAttachFlow(IGraphics* gui, IUnitBase* plug, const std::vector<const ArtRow*>& rows,
                                          const std::vector<IBitmap*>& bitmaps, int firstParam, double scale = 1.0);
