#include "tools/artgen/ArtGallery.h"

#include "graphics/controls/IBitmapControl.h"
#include "graphics/controls/IFaderControl.h"
#include "graphics/controls/IKnobControl.h"
#include "graphics/controls/ISwitchControl.h"
#include "core/IParam.h"
#include "core/IUnitBase.h"

#include <memory>

bool ArtIsLarge(const ArtRow& row)
{
  return row.w >= 400 || row.h >= 400;
}

IControl* ArtControlFor(const ArtRow& row, IUnitBase* plug, IBitmap* bitmap, int x, int y, int paramIdx,
                        double value, double scale)
{
  IControl* control = nullptr;
  switch (row.kind)
  {
    case ArtKind::kSlider:
    case ArtKind::kRangeSlider:
    case ArtKind::kShortSlider:
    case ArtKind::kCurves:
      control = new IKnobMultiControl(plug, x, y, paramIdx, bitmap);
      break;
    case ArtKind::kButton:
    case ArtKind::kSwitch:
    case ArtKind::kTabLamp:
    case ArtKind::kLamp:
    case ArtKind::kCheckbox:
      control = new ISwitchControl(plug, x, y, paramIdx, bitmap);
      break;
    case ArtKind::kScrollHandle:
      control = new IFaderControl(plug, x, y, static_cast<int>(660 * scale), paramIdx, bitmap);
      break;
    default:
      control = new IBitmapControl(plug, x, y, paramIdx, bitmap);
      break;
  }
  control->SetValueFromPlug(value);
  return control;
}

std::vector<ArtGalleryItem> ArtAttachFlow(IGraphics* gui, IUnitBase* plug, const std::vector<const ArtRow*>& rows,
                                          const std::vector<IBitmap*>& bitmaps, int firstParam, double scale)
{
  std::vector<ArtGalleryItem> items;
  const int gap = 8;
  int x = gap, y = gap, lineH = 0, param = firstParam;
  auto place = [&](const ArtRow* row, IBitmap* bitmap, double value) {
    // An unattached control of the same kind measures the place it needs.
    const IRECT size = std::unique_ptr<IControl>(ArtControlFor(*row, plug, bitmap, 0, 0, -1, value, scale))->GetRECT();
    if (x + size.W() > gui->Width() && x > gap)
    {
      x = gap;
      y += lineH + gap;
      lineH = 0;
    }
    // A bound control takes its parameter's value when the plug-in attaches
    // the surface, so the parameter gets the value too.
    if (param >= 0 && plug && plug->GetParam(param)) plug->GetParam(param)->Set(value);
    IControl* control = ArtControlFor(*row, plug, bitmap, x, y, param, value, scale);
    if (param >= 0) ++param;
    gui->AttachControl(control);
    items.push_back(ArtGalleryItem{row, control});
    x += size.W() + gap;
    if (size.H() > lineH) lineH = size.H();
  };
  for (size_t i = 0; i < rows.size(); ++i)
  {
    if (!bitmaps[i]) continue;
    const bool twoStates = rows[i]->frames == 2;
    place(rows[i], bitmaps[i], twoStates ? 0.0 : 0.7);
    if (twoStates) place(rows[i], bitmaps[i], 1.0);
  }
  return items;
}
