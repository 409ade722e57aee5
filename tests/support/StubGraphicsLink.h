// A graphics object for plug-in tests that need one attached: a fixed
// 1140 x 800 surface that draws nothing and ignores every call.
#pragma once

#include "core/IGraphicsLink.h"

class StubGraphicsLink : public IGraphicsLink
{
public:
  int Width() const override { return 1140; }
  int Height() const override { return 800; }
  void PrepDraw() override {}
  void SetParameterFromPlug(int, double, bool) override {}
  void AttachGUIResize(IGUIResizeLink*) override {}
  void StoreLiveLayout(ILiveLayoutState*) override {}
};
