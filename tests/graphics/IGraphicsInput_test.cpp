// Mouse, wheel and key routing, the value prompts and the text entry.
#include "support/GuiTestKit.h"

#include <gtest/gtest.h>

namespace
{
IMouseMod Left() { return IMouseMod(true, false); }
IMouseMod Right() { return IMouseMod(false, true); }
}  // namespace

TEST(IGraphicsInput, RoutingFollowsCaptureGreyAndHidden)
{
  // Two overlapping controls: "top" (index 2) lies over "low" (index 1).
  struct Case
  {
    const char* name;
    bool topHidden, topGreyed, topDblAsPress;
    void (*events)(IGraphics*);
    const char* lowEvents;
    const char* topEvents;
  } kCases[] = {
    {"capture keeps the control until release", false, false, false,
     [](IGraphics* g) {
       IMouseMod m = Left();
       g->OnMouseDown(25, 25, &m);
       g->OnMouseDrag(150, 90, &m);
       g->OnMouseDrag(150, 90, &m);  // no movement: not delivered
       g->OnMouseUp(150, 90, &m);
     },
     "", "down 25,25|drag 150,90|up 150,90"},
    {"hidden top lets the press through", true, false, false,
     [](IGraphics* g) {
       IMouseMod m = Left();
       g->OnMouseDown(25, 25, &m);
       g->OnMouseUp(25, 25, &m);
     },
     "down 25,25|up 25,25", ""},
    {"greyed top takes no press, wheel or key", false, true, false,
     [](IGraphics* g) {
       IMouseMod m = Left();
       g->OnMouseWheel(25, 25, &m, 1);
       g->OnKeyDown(25, 25, 15);
     },
     "wheel 25,25|key 15,0", ""},
    {"double click without the press flag", false, false, false,
     [](IGraphics* g) {
       IMouseMod m = Left();
       EXPECT_FALSE(g->OnMouseDblClick(25, 25, &m));
       g->OnMouseUp(25, 25, &m);  // no capture: the topmost hit control
     },
     "", "dbl 25,25|up 25,25"},
    {"double click as press captures", false, false, true,
     [](IGraphics* g) {
       IMouseMod m = Left();
       EXPECT_TRUE(g->OnMouseDblClick(25, 25, &m));
       g->OnMouseDrag(25, 20, &m);
       g->OnMouseUp(0, 0, &m);
     },
     "", "down 25,25|drag 25,20|up 0,0"},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    GuiFixture f;
    TestControl* low = f.Add(IRECT(10, 10, 50, 50), 1);
    TestControl* top = f.Add(IRECT(20, 20, 40, 40), 2);
    f.Open();
    top->Hide(c.topHidden);
    top->GrayOut(c.topGreyed);
    top->SetDblAsSingleClick(c.topDblAsPress);
    c.events(f.gui);
    EXPECT_EQ(low->Events(), c.lowEvents);
    EXPECT_EQ(top->Events(), c.topEvents);
    EXPECT_EQ(f.gui->GetMouseCapture(), -1);
  }
}

TEST(IGraphicsInput, DragAndWheelReachThePluginWithEditNotices)
{
  GuiFixture f;
  f.unit.GetParam(5)->InitInt("cutoff", 0, 0, 100);
  TestControl* knob = f.Add(IRECT(10, 10, 50, 50), 5);
  f.Open();
  IMouseMod m = Left();
  f.gui->OnMouseDown(30, 30, &m);
  f.gui->OnMouseDrag(30, 10, &m);  // 20 pixels up
  EXPECT_DOUBLE_EQ(f.unit.GetParam(5)->Value(), 20.0);
  f.gui->OnMouseDrag(30, 100, &m);  // beyond the bottom: clamped to 0
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.0);
  f.gui->OnMouseUp(30, 100, &m);
  f.gui->OnMouseWheel(30, 30, &m, 3);
  EXPECT_DOUBLE_EQ(f.unit.GetParam(5)->Value(), 30.0);
  EXPECT_EQ(f.unit.mEdits, (std::vector<int>{5, -6}));
  // The knob's new value is on the screen after the next frame.
  f.Settle();
  EXPECT_EQ(RAST_GetPixel(f.gui->GetScreen(), 30, 30), knob->Colour());
}

TEST(IGraphicsInput, BackgroundCaptureSendsKeysToTheKeyCatcher)
{
  GuiFixture f;
  TestControl* hit = f.Add(IRECT(10, 10, 50, 50));
  f.Open();
  IMouseMod m = Left();
  EXPECT_TRUE(f.gui->OnKeyDown(20, 20, 1));  // hit control takes it
  f.gui->OnMouseDown(150, 80, &m);
  EXPECT_EQ(f.gui->GetMouseCapture(), 0);
  EXPECT_FALSE(f.gui->OnKeyDown(150, 80, 2));  // no key catcher
  auto* catcher = new TestControl(&f.unit, IRECT());
  f.gui->AttachKeyCatcher(catcher);
  EXPECT_TRUE(f.gui->OnKeyDown(150, 80, 3));
  EXPECT_EQ(catcher->Events(), "key 3,0");
  EXPECT_EQ(hit->Events(), "key 1,0");
}

TEST(IGraphicsInput, MouseOverHonoursGreyFlagAndSendsOut)
{
  GuiFixture f;
  TestControl* a = f.Add(IRECT(10, 10, 50, 50));
  TestControl* b = f.Add(IRECT(60, 10, 100, 50));
  f.Open();
  IMouseMod m;
  EXPECT_FALSE(f.gui->OnMouseOver(20, 20, &m));  // off until the editor turns it on
  f.gui->HandleMouseOver(true);
  a->SetTooltip("Cutoff");
  b->GrayOut(true);
  EXPECT_TRUE(f.gui->OnMouseOver(20, 20, &m));
  EXPECT_TRUE(f.gui->OnMouseOver(70, 20, &m));  // greyed b: the background gets it
  b->SetMOWhenGrayed(true);
  f.gui->OnMouseOver(70, 20, &m);
  EXPECT_EQ(a->Events(), "over 20,20|out");
  EXPECT_EQ(b->Events(), "over 70,20");
  BASE_String tip;
  f.gui->GetMouseOverTooltip(&tip);
  EXPECT_STREQ(tip.Get(), "");
  f.gui->OnMouseOver(20, 20, &m);
  f.gui->GetMouseOverTooltip(&tip);
  EXPECT_STREQ(tip.Get(), "Cutoff");
}

TEST(IGraphicsInput, PopupSetsTheChosenDisplayTextsOwnValue)
{
  GuiFixture f;
  IParam* p = f.unit.GetParam(3);
  p->InitEnum("wave", 20, 40);
  p->SetDisplayText(0, "Saw");
  p->SetDisplayText(10, "Square");
  p->SetDisplayText(20, "Noise");
  TestControl* c = f.Add(IRECT(10, 10, 50, 50), 3);
  c->SetPromptDisabled(false);
  f.Open();
  f.gui->QueueMenuChoice({1});
  f.gui->QueueMenuChoice({});
  IMouseMod m = Right();
  f.gui->OnMouseDown(20, 20, &m);
  ASSERT_EQ(f.gui->mMenus.size(), 1u);
  EXPECT_EQ(f.gui->mMenus[0].texts, (std::vector<std::string>{"Saw", "Square", "Noise"}));
  EXPECT_EQ(f.gui->mMenus[0].flags, (std::vector<int>{0, 0, 4}));
  EXPECT_EQ(f.gui->mMenus[0].rect, IRECT(10, 10, 50, 50));
  EXPECT_DOUBLE_EQ(p->Value(), 10.0);  // not 1, the item's position
  // The popup released the capture, so the release finds the control again.
  EXPECT_EQ(f.gui->GetMouseCapture(), -1);
  f.gui->OnMouseDown(20, 20, &m);  // dismissed: nothing changes
  EXPECT_DOUBLE_EQ(p->Value(), 10.0);
}

TEST(IGraphicsInput, TextEntryTakesTypedNumbers)
{
  struct Case
  {
    const char* name;
    int type;  // IParam type
    int negate;
    const char* typed;
    const char* initial;
    const char* allowed;
    double expected;
  } kCases[] = {
    {"list without display texts", IParam::kTypeEnum, 0, "3", "0", "0123456789-+", 3.0},
    {"int", IParam::kTypeInt, 0, "42", "7", "0123456789-+", 42.0},
    {"int, letters refused", IParam::kTypeInt, 0, "4x2", "7", "0123456789-+", 42.0},
    {"double", IParam::kTypeDouble, 0, "2.5", "1.50", "0123456789.-+", 2.5},
    {"negated display", IParam::kTypeInt, 1, "-30", "-7", "0123456789-+", 30.0},
    {"eighth character refused", IParam::kTypeInt, 0, "12345678", "7", "0123456789-+", 100.0},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    GuiFixture f;
    IParam* p = f.unit.GetParam(4);
    if (c.type == IParam::kTypeEnum) p->InitEnum("e", 0, 5);
    if (c.type == IParam::kTypeInt) p->InitInt("n", 7, -100, 100);
    if (c.type == IParam::kTypeDouble) p->InitDouble("d", 1.5, 0.0, 10.0, 0.01);
    p->SetNegateDisplay(c.negate != 0);
    TestControl* t = f.Add(IRECT(100, 50, 151, 80), 4);
    t->SetPromptDisabled(false);
    f.Open();
    f.gui->QueueTypedText(c.typed);
    IMouseMod m = Right();
    f.gui->OnMouseDown(110, 60, &m);
    ASSERT_EQ(f.gui->mTextEntries.size(), 1u);
    const auto& shown = f.gui->mTextEntries[0];
    EXPECT_EQ(shown.rect, IRECT(105, 57, 145, 73));
    EXPECT_EQ(shown.text, c.initial);
    EXPECT_EQ(shown.allowed, c.allowed);
    f.gui->PressEnterInTextEntry();
    EXPECT_FALSE(f.gui->IsTextEntryOpen());
    EXPECT_DOUBLE_EQ(p->Value(), c.expected);
  }
}

TEST(IGraphicsInput, OnlyOneTextEntryIsOpenAtATime)
{
  GuiFixture f;
  for (int i : {1, 2}) f.unit.GetParam(i)->InitInt("n", 0, 0, 100);
  TestControl* a = f.Add(IRECT(10, 10, 50, 50), 1);
  TestControl* b = f.Add(IRECT(60, 10, 100, 50), 2);
  a->SetPromptDisabled(false);
  b->SetPromptDisabled(false);
  f.Open();
  IMouseMod m = Right();
  f.gui->QueueTypedText("12");
  f.gui->OnMouseDown(20, 20, &m);
  f.gui->QueueTypedText("34");
  // Opening the second ends the first and keeps what was typed in it.
  f.gui->OnMouseDown(70, 20, &m);
  EXPECT_DOUBLE_EQ(f.unit.GetParam(1)->Value(), 12.0);
  EXPECT_EQ(f.gui->GetTextEntryControl(), b);
  // A click elsewhere ends the second the same way.
  IMouseMod l = Left();
  f.gui->OnMouseDown(150, 80, &l);
  EXPECT_DOUBLE_EQ(f.unit.GetParam(2)->Value(), 34.0);
  EXPECT_FALSE(f.gui->TextEntryOpen());
  // Forcing the end drops the text.
  f.gui->QueueTypedText("99");
  f.gui->OnMouseDown(20, 20, &m);
  f.gui->ForceEndUserEdit();
  EXPECT_DOUBLE_EQ(f.unit.GetParam(1)->Value(), 12.0);
  // Without a parameter the text goes to the control itself.
  IText style;
  IRECT r(0, 0, 40, 16);
  f.gui->QueueTypedText("name");
  f.gui->OpenTextEntry(a, &style, &r, "", nullptr);
  f.gui->PressEnterInTextEntry();
  EXPECT_EQ(a->mEvents.back(), "text name");
}
