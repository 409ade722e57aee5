// A test knob over a 72-step value: one pixel upwards is one step, so a
// drag of n pixels moves the value by exactly n steps.
#pragma once

#include "core/BASE_Mutex.h"
#include "graphics/controls/IControl.h"

class StepKnob : public IControl
{
public:
  StepKnob(IUnitBase* plug, IRECT rect, int param) : IControl(plug, rect, param) {}
  void OnMouseDrag(int, int, int, int dY, IMouseMod*) override
  {
    {
      BASE_MutexLock lock(ChangeLock());
      mValue -= dY / 72.0;
    }
    SetDirty(true);
  }
  bool Draw(IGraphics*) override { return true; }
};
