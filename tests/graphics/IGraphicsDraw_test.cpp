// The surface's frame cycle, list operations and by-parameter access.
#include "support/GuiTestKit.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
const RAST_pixel kGrey = RAST_RGBA(128, 128, 128, 255);

RAST_pixel ScreenAt(GuiFixture& f, int x, int y)
{
  return RAST_GetPixel(f.gui->GetScreen(), x, y);
}

// Runs quiet frames until the settled surface has seen total of them in a
// row (the settle ended on the first).
void QuietFramesInARow(GuiFixture& f, int total)
{
  for (int frame = 1; frame < total; ++frame) ASSERT_FALSE(f.gui->RunFrame());
}
}  // namespace

TEST(IGraphicsDraw, IdleHookRunsOnEverySecondQuietFrame)
{
  GuiFixture f;
  TestControl* c = f.Add(IRECT(10, 10, 20, 20));
  f.Open();
  f.Settle();
  f.unit.mIdles = 0;
  // Quiet frames 1..5 (the settle ended on one quiet frame, which counts).
  std::vector<int> idleAfter;
  for (int frame = 0; frame < 5; ++frame)
  {
    f.gui->RunFrame();
    idleAfter.push_back(f.unit.mIdles);
  }
  EXPECT_EQ(idleAfter, (std::vector<int>{1, 1, 2, 2, 3}));
  // A dirty frame restarts the count: the idle hook needs two quiet frames.
  c->SetDirty(false);
  f.gui->RunFrame();
  f.gui->RunFrame();
  EXPECT_EQ(f.unit.mIdles, 3);
  f.gui->RunFrame();
  EXPECT_EQ(f.unit.mIdles, 4);
}

TEST(IGraphicsDraw, AQuietSurfaceRestsFromItsThirtiethQuietFrame)
{
  struct Case { int quietFrames; bool resting; int intervalMs; } kCases[] = {
    {29, false, 8}, {30, true, 250}, {31, true, 250},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.quietFrames);
    GuiFixture f;
    f.Add(IRECT(10, 10, 20, 20));
    f.Open();
    f.Settle();
    QuietFramesInARow(f, c.quietFrames);
    EXPECT_EQ(f.gui->Resting(), c.resting);
    EXPECT_EQ(f.gui->FrameIntervalMs(), c.intervalMs);
  }
}

TEST(IGraphicsDraw, AtRestEveryFrameIsAnIdlePassUntilAControlOrInputWakesTheSurface)
{
  GuiFixture f;
  TestControl* c = f.Add(IRECT(10, 10, 20, 20));
  f.Open();
  f.Settle();
  QuietFramesInARow(f, 30);
  ASSERT_TRUE(f.gui->Resting());
  f.unit.mIdles = 0;
  for (int frame = 0; frame < 3; ++frame) f.gui->RunFrame();
  EXPECT_EQ(f.unit.mIdles, 3);

  // A control changed by another thread: repainted on the next frame, and
  // the surface is awake again, with idle passes on every second frame.
  c->SetLabel("synth");
  EXPECT_TRUE(f.gui->RunFrame());
  EXPECT_FALSE(f.gui->Resting());
  EXPECT_EQ(f.gui->FrameIntervalMs(), 8);
  f.unit.mIdles = 0;
  for (int frame = 0; frame < 4; ++frame) f.gui->RunFrame();
  EXPECT_EQ(f.unit.mIdles, 2);

  // Input that changes nothing wakes it as well.
  QuietFramesInARow(f, 30);
  ASSERT_TRUE(f.gui->Resting());
  f.gui->NoteInput();
  EXPECT_FALSE(f.gui->Resting());
  EXPECT_EQ(f.gui->FrameIntervalMs(), 8);
}

TEST(IGraphicsDraw, IdlePassesThatKeepTimeKeepTheSurfaceFromResting)
{
  GuiFixture f;
  f.Add(IRECT(10, 10, 20, 20));
  f.Open();
  f.Settle();
  f.unit.mTimedIdle = true;
  f.unit.mIdles = 0;
  for (int frame = 0; frame < 60; ++frame) f.gui->RunFrame();
  EXPECT_FALSE(f.gui->Resting());
  EXPECT_EQ(f.unit.mIdles, 30);
  // Once they keep no time, the surface rests.
  f.unit.mTimedIdle = false;
  QuietFramesInARow(f, 30);
  EXPECT_TRUE(f.gui->Resting());
}

// A control whose animation runs is repainted on every frame until the
// animation ends, beside one that animates nothing; its drawing moves the
// animation on, as a control's own drawing would.
TEST(IGraphicsDraw, AnAnimationRepaintsItsControlOnEveryFrameTillItEnds)
{
  GuiFixture f;
  TestControl* still = f.Add(IRECT(10, 10, 20, 20));
  TestControl* glowing = f.Add(IRECT(30, 10, 40, 20));
  f.Open();
  f.Settle();
  EXPECT_FALSE(IUnitAnimation::AnyRunning());
  (void)glowing->GetAnimation()->Animate("glow", true, 4, 4, 0, 0, 0.0, 1.0);
  EXPECT_TRUE(IUnitAnimation::AnyRunning());
  std::vector<bool> repainted;
  for (int frame = 0; frame < 5; ++frame)
  {
    IRECT dirty;
    repainted.push_back(f.gui->IsDirty(&dirty));
    if (!repainted.back()) continue;
    EXPECT_EQ(dirty, IRECT(30, 10, 40, 20));
    (void)glowing->GetAnimation()->Animate("glow", true, 4, 4, 0, 0, 0.0, 1.0);
    f.gui->Draw(&dirty);
  }
  EXPECT_EQ(repainted, (std::vector<bool>{true, true, true, true, false}));
  EXPECT_FALSE(IUnitAnimation::AnyRunning());
  EXPECT_FALSE(still->IsDirty());
  // One that runs when its control goes no longer counts.
  {
    TestControl passing(&f.unit, IRECT(50, 10, 60, 20));
    (void)passing.GetAnimation()->Animate("glow", true, 4, 4, 0, 0, 0.0, 1.0);
    EXPECT_TRUE(IUnitAnimation::AnyRunning());
  }
  EXPECT_FALSE(IUnitAnimation::AnyRunning());
}

// Hiding, greying or moving a control to the state it is in repaints
// nothing; the change itself does.
TEST(IGraphicsDraw, AControlSetToTheStateItIsInIsNotRepainted)
{
  struct Case { const char* name; void (*act)(TestControl*); bool repainted; } kCases[] = {
    {"shown again", [](TestControl* c) { c->Hide(false); }, false},
    {"hidden", [](TestControl* c) { c->Hide(true); }, true},
    {"ungreyed again", [](TestControl* c) { c->GrayOut(false); }, false},
    {"greyed", [](TestControl* c) { c->GrayOut(true); }, true},
    {"moved to its place", [](TestControl* c) { c->SetPosition(10, 10); }, false},
    {"moved one pixel right", [](TestControl* c) { c->SetPosition(11, 10); }, true},
    {"moved one pixel down", [](TestControl* c) { c->SetPosition(10, 11); }, true},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    GuiFixture f;
    TestControl* t = f.Add(IRECT(10, 10, 20, 20));
    f.Open();
    f.Settle();
    t->mDraws = 0;
    c.act(t);
    IRECT dirty;
    EXPECT_EQ(f.gui->IsDirty(&dirty), c.repainted);
    f.Settle();
    EXPECT_EQ(t->mDraws > 0 || t->IsHidden(), c.repainted);
  }
}

// The plug-in's first value is the control's default; it is repainted
// when it differs from the value the control was built with.
TEST(IGraphicsDraw, AFirstValueFromThePlugInIsRepaintedWhenItDiffers)
{
  struct Case { double first; bool repainted; } kCases[] = {{0.0, false}, {0.01, true}, {1.0, true}};
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.first);
    GuiUnit unit;
    TestControl t(&unit, IRECT(10, 10, 20, 20));
    t.SetClean();
    t.SetValueFromPlug(c.first);
    EXPECT_EQ(t.IsDirty(), c.repainted);
    EXPECT_DOUBLE_EQ(t.GetDefaultValue(), c.first);
  }
}

TEST(IGraphicsDraw, DirtyRectangleIsTheUnionOfDirtyControls)
{
  struct Case { const char* name; IRECT a, b; IRECT expected; } kCases[] = {
    {"two rects", IRECT(10, 10, 20, 20), IRECT(30, 5, 40, 15), IRECT(10, 5, 40, 20)},
    {"zero first is replaced", IRECT(0, 0, 0, 0), IRECT(30, 5, 40, 15), IRECT(30, 5, 40, 15)},
    {"nested", IRECT(0, 0, 50, 50), IRECT(10, 10, 20, 20), IRECT(0, 0, 50, 50)},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    GuiFixture f;
    TestControl* a = f.Add(c.a);
    TestControl* b = f.Add(c.b);
    f.Open();
    f.Settle();
    a->SetDirty(false);
    b->SetDirty(false);
    IRECT out;
    EXPECT_TRUE(f.gui->IsDirty(&out));
    EXPECT_EQ(out, c.expected);
  }
}

TEST(IGraphicsDraw, StrictDrawingDrawsWhatMeetsTheArea)
{
  struct Case { const char* name; IRECT rect; bool hidden; bool drawn; bool cleaned; } kCases[] = {
    {"touching right edge", IRECT(100, 0, 120, 20), false, true, false},
    {"touching bottom edge", IRECT(0, 100, 20, 120), false, true, false},
    {"one pixel right", IRECT(101, 0, 120, 20), false, false, false},
    {"inside", IRECT(10, 10, 20, 20), false, true, true},
    {"hidden inside", IRECT(10, 10, 20, 20), true, false, true},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    GuiFixture f(200, 200);
    TestControl* t = f.Add(c.rect);
    f.Open();
    t->Hide(c.hidden);
    f.Settle();
    t->SetDirty(false);
    t->mDraws = 0;
    IRECT area(0, 0, 100, 100);
    f.gui->Draw(&area);
    EXPECT_EQ(t->mDraws > 0, c.drawn);
    EXPECT_EQ(!t->IsDirty(), c.cleaned);
  }
}

TEST(IGraphicsDraw, ControlChangedBetweenQueryAndRepaintIsDrawnNextFrame)
{
  GuiFixture f;
  TestControl* a = f.Add(IRECT(10, 10, 20, 20));
  TestControl* b = f.Add(IRECT(100, 10, 120, 30));
  f.Open();
  f.Settle();
  a->SetValueFromUserInput(0.5);
  IRECT dirty;
  ASSERT_TRUE(f.gui->IsDirty(&dirty));
  // b changes after the query, as another thread would.
  b->SetLabel("late");
  f.gui->Draw(&dirty);
  EXPECT_TRUE(b->IsDirty());
  f.Settle();
  EXPECT_EQ(ScreenAt(f, 110, 20), b->Colour());
  EXPECT_EQ(ScreenAt(f, 15, 15), a->Colour());
}

TEST(IGraphicsDraw, MovedOrHiddenControlLeavesNoGhost)
{
  GuiFixture f;
  TestControl* a = f.Add(IRECT(10, 10, 30, 30), 3);
  f.Add(IRECT(150, 50, 170, 70), 4);
  f.Open();
  f.Settle();
  ASSERT_EQ(ScreenAt(f, 15, 15), a->Colour());
  f.gui->MoveControlByParam(3, 100, 60);
  f.gui->HideControl(4, true);
  f.Settle();
  EXPECT_EQ(ScreenAt(f, 15, 15), kGrey);
  EXPECT_EQ(ScreenAt(f, 105, 65), a->Colour());
  EXPECT_EQ(ScreenAt(f, 160, 60), kGrey);
  EXPECT_EQ(a->GetTargetRECT(), IRECT(100, 60, 120, 80));
}

TEST(IGraphicsDraw, ListOperationsKeepTheBackgroundAndIndexes)
{
  GuiFixture f;
  TestControl* c[4];
  for (int i = 0; i < 4; ++i) c[i] = f.Add(IRECT(i * 10, 0, i * 10 + 5, 5));
  IControl* background = f.gui->GetControl(0);
  f.gui->MoveControl(0, 3);
  f.gui->SwapControls(0, 2);
  f.gui->ReplaceControl(0, c[0]);
  EXPECT_EQ(f.gui->GetControl(0), background);
  f.gui->MoveControl(1, 4);
  f.gui->SwapControls(1, 2);
  // Order now: bg, c1, c0... after the move: bg c1 c2 c3 c0; swap 1,2: bg c2 c1 c3 c0.
  IControl* expected[] = {background, c[2], c[1], c[3], c[0]};
  for (int i = 0; i < 5; ++i)
  {
    EXPECT_EQ(f.gui->GetControl(i), expected[i]) << i;
    EXPECT_EQ(f.gui->GetControl(i)->GetIdx(), i);
  }
  // The replaced control is not deleted: it is handed back to us.
  TestControl* spare = new TestControl(&f.unit, IRECT());
  f.gui->ReplaceControl(2, spare);
  EXPECT_EQ(f.gui->GetControlIdx(c[1]), -1);
  EXPECT_EQ(spare->GetIdx(), 2);
  delete c[1];
}

TEST(IGraphicsDraw, ByParameterOperationsReachEveryBoundControl)
{
  GuiFixture f;
  f.unit.GetParam(7)->InitInt("seven", 0, 0, 10);
  TestControl* c[3];
  for (int i = 0; i < 3; ++i) c[i] = f.Add(IRECT(i * 20, 0, i * 20 + 10, 10), 7);
  TestControl* aux = f.Add(IRECT(100, 0, 110, 10), 2);
  aux->AddAuxParam(7);
  f.Open();
  f.gui->HideControl(7, true);
  c[2]->Hide(false);
  EXPECT_TRUE(c[0]->IsHidden() && c[1]->IsHidden());
  EXPECT_FALSE(f.gui->IsControlHidden(7));
  EXPECT_FALSE(f.gui->IsControlHidden(9));
  f.gui->SetParameterFromPlug(7, 5.0, false);
  for (TestControl* t : c) EXPECT_DOUBLE_EQ(t->GetValue(), 0.5);
  EXPECT_DOUBLE_EQ(aux->GetAuxParam(0)->mValue, 0.5);
  // The user-input road pushes the value to the plug-in base.
  f.gui->SetControlValueByParam(7, 0.8);
  EXPECT_DOUBLE_EQ(f.unit.GetParam(7)->Value(), 8.0);
  f.gui->GrayOutControl(7, true);
  EXPECT_FLOAT_EQ(c[1]->GetBlend().mWeight, 0.25f);
}

// Every parameter at once reaches what one parameter at a time reaches:
// each bound control, and the first aux slot of each aux parameter; a
// control of no parameter, or of one beyond those given, keeps its value.
TEST(IGraphicsDraw, AllParametersAtOnceReachWhatEachReachesAlone)
{
  GuiFixture f;
  TestControl* bound = f.Add(IRECT(0, 0, 10, 10), 2);
  TestControl* aux = f.Add(IRECT(20, 0, 30, 10), 1);
  aux->AddAuxParam(3);
  aux->AddAuxParam(3);
  aux->AddAuxParam(0);
  TestControl* none = f.Add(IRECT(40, 0, 50, 10));
  TestControl* beyond = f.Add(IRECT(60, 0, 70, 10), 9);
  f.Open();
  f.gui->SetParameterFromPlug(3, 0.9, true);
  aux->GetAuxParam(1)->mValue = 0.7;
  const double noneBefore = none->GetValue(), beyondBefore = beyond->GetValue();
  for (int i = 0; i < 5; ++i) f.unit.GetParam(i)->InitDouble("p", 0, 0, 10, 0.1);
  f.gui->SetParametersFromPlug({1, 2, 3, 4, 5});
  EXPECT_DOUBLE_EQ(bound->GetValue(), 0.3);
  EXPECT_DOUBLE_EQ(aux->GetValue(), 0.2);
  EXPECT_DOUBLE_EQ(aux->GetAuxParam(0)->mValue, 0.4);
  EXPECT_DOUBLE_EQ(aux->GetAuxParam(1)->mValue, 0.7);
  EXPECT_DOUBLE_EQ(aux->GetAuxParam(2)->mValue, 0.1);
  EXPECT_DOUBLE_EQ(none->GetValue(), noneBefore);
  EXPECT_DOUBLE_EQ(beyond->GetValue(), beyondBefore);
}

// Without strict drawing a dirty background repaints every shown control
// over its own area; otherwise each dirty control repaints with what meets
// it, and only the dirty one is cleaned. A hidden control is neither drawn
// nor cleaned.
TEST(IGraphicsDraw, NonStrictDrawingRepaintsAroundEachDirtyControl)
{
  struct Case
  {
    const char* name;
    bool background, a, c;          // dirty before the repaint
    std::vector<int> draws;         // of a, b, c, hidden
    std::vector<bool> dirtyAfter;   // background, a, b, c, hidden
  } const kCases[] = {
    {"background dirty", true, false, false, {1, 1, 1, 0}, {false, false, false, false, true}},
    {"a dirty: b meets it", false, true, false, {1, 1, 0, 0}, {false, false, false, false, false}},
    {"c dirty alone", false, false, true, {0, 0, 1, 0}, {false, false, false, false, false}},
    {"a and c dirty", false, true, true, {1, 1, 1, 0}, {false, false, false, false, false}},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    GuiFixture f(200, 200);
    TestControl* a = f.Add(IRECT(10, 10, 30, 30));
    TestControl* b = f.Add(IRECT(20, 20, 40, 40));
    TestControl* far = f.Add(IRECT(60, 60, 80, 80));
    TestControl* hidden = f.Add(IRECT(10, 10, 30, 30));
    f.Open();
    f.gui->SetStrictDrawing(false);
    hidden->Hide(true);
    // Everything is dirty after the switch; the frames clean it all.
    f.Settle();
    for (TestControl* t : {a, b, far, hidden}) t->mDraws = 0;
    IRECT all(0, 0, 200, 200);
    if (c.background) f.gui->GetControl(0)->SetDirty(false), hidden->SetDirty(false);
    if (c.a) a->SetDirty(false);
    if (c.c) far->SetDirty(false);
    f.gui->Draw(&all);
    EXPECT_EQ((std::vector<int>{a->mDraws, b->mDraws, far->mDraws, hidden->mDraws}), c.draws);
    EXPECT_EQ((std::vector<bool>{f.gui->GetControl(0)->IsDirty(), a->IsDirty(), b->IsDirty(), far->IsDirty(),
                                 hidden->IsDirty()}),
              c.dirtyAfter);
  }
}

// The parameter under a point is the captured control's, else the topmost
// hit's; the background has none. The last one is taken once.
TEST(IGraphicsDraw, ParameterUnderThePointIsKeptUntilTaken)
{
  GuiFixture f(200, 200);
  f.Add(IRECT(10, 10, 50, 50), 3);
  f.Add(IRECT(40, 40, 80, 80), 5);
  f.Add(IRECT(100, 10, 120, 30));
  f.Open();
  struct Case
  {
    int x, y;
    int param;
  } const kCases[] = {{20, 20, 3}, {45, 45, 5}, {70, 70, 5}, {110, 20, -1}, {150, 150, -1}};
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
    EXPECT_EQ(f.gui->GetParamIdxForPos(c.x, c.y), c.param);
    EXPECT_EQ(f.gui->TakeLastClickedParam(), c.param);
    EXPECT_EQ(f.gui->TakeLastClickedParam(), -1);
  }
  // Held by a press on the first control, the point over the second one
  // still names the first.
  IMouseMod m(true, false);
  f.gui->OnMouseDown(20, 20, &m);
  EXPECT_EQ(f.gui->GetParamIdxForPos(70, 70), 3);
  f.gui->OnMouseUp(20, 20, &m);
  EXPECT_EQ(f.gui->GetParamIdxForPos(70, 70), 5);
}

// Tool-tip areas: one per shown control whose target is not empty, made
// again on each update while tool tips are on; none while they are off.
TEST(IGraphicsDraw, TooltipAreasFollowShownControls)
{
  GuiFixture f(200, 100);
  f.gui->EnableTooltips(true);
  TestControl* a = f.Add(IRECT(10, 10, 20, 20));
  f.Add(IRECT(30, 10, 30, 20));  // no width
  TestControl* c = f.Add(IRECT(50, 10, 60, 20));
  c->Hide(true);
  f.Open();
  EXPECT_EQ(f.gui->mTooltipRects, (std::vector<IRECT>{IRECT(0, 0, 200, 100), IRECT(10, 10, 20, 20)}));
  c->Hide(false);
  a->Hide(true);
  f.gui->UpdateTooltips();
  EXPECT_EQ(f.gui->mTooltipRects, (std::vector<IRECT>{IRECT(0, 0, 200, 100), IRECT(50, 10, 60, 20)}));
  const int updates = f.gui->mTooltipUpdates;
  f.gui->EnableTooltips(false);
  a->Hide(false);
  f.gui->UpdateTooltips();
  EXPECT_EQ(f.gui->mTooltipUpdates, updates);
  EXPECT_EQ(f.gui->mTooltipRects, (std::vector<IRECT>{IRECT(0, 0, 200, 100), IRECT(50, 10, 60, 20)}));
}
