// Popup menus, the control base, animation easing, the view translation and
// the headless platform's answers.
#include "support/GuiTestKit.h"
#include "graphics/IGraphicsView.h"
#include "graphics/IPopupMenu.h"
#include "graphics/controls/IUnitAnimation.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(IPopupMenu, ItemsFlagsPrefixAndSubmenuChoice)
{
  IPopupMenu menu;
  for (int i = 0; i < 12; ++i) menu.AddItemText(("item" + std::to_string(i)).c_str());
  menu.SetPrefix(2);
  menu.SetPrefix(7);  // ignored
  BASE_String text;
  menu.GetDisplayText(0, &text);
  EXPECT_STREQ(text.Get(), "01: item0");
  menu.GetDisplayText(11, &text);
  EXPECT_STREQ(text.Get(), "12: item11");
  EXPECT_STREQ(menu.GetItemText(12), "");
  EXPECT_FALSE(menu.SetItemChecked(12, true));
  menu.CheckItemAlone(1);
  menu.CheckItemAlone(50);  // out of range clears every mark
  for (int i = 0; i < 12; ++i) EXPECT_FALSE(menu.IsItemChecked(i)) << i;
  menu.SetItemState(3, 1, true);
  menu.SetItemState(3, 9, true);  // no such flag
  EXPECT_EQ(menu.GetItem(3)->GetFlags(), IPopupMenu::IPopupMenuItem::kDisabled);

  // A separator keeps the indexes of both lists equal; the submenu's record
  // gets the choice, the main menu's stays -1.
  GuiFixture f;
  f.Open();
  IPopupMenu main, sub;
  sub.AddItemText("a");
  sub.AddItemText("b");
  main.AddItemText("x");
  main.AddItemText("y");
  main.AddSeparator();
  main.AddItemSubmenu("more", 3, &sub);
  f.gui->QueueMenuChoice({3, 1});
  f.gui->QueueMenuChoice({2});
  EXPECT_EQ(f.gui->CreateIPopupMenu(&main, nullptr), &sub);
  EXPECT_EQ(sub.GetChosenItemIdx(), 1);
  EXPECT_EQ(main.GetChosenItemIdx(), -1);
  EXPECT_EQ(f.gui->CreateIPopupMenu(&main, nullptr), nullptr);  // separator: no action
  EXPECT_EQ(f.gui->mMenus[0].flags[2], IPopupMenu::IPopupMenuItem::kSeparator);
}

TEST(IControl, ValuesClampsDefaultsAndHits)
{
  GuiUnit unit;
  unit.GetParam(2)->InitInt("p", 0, 0, 10);
  TestControl c(&unit, IRECT(100, 50, 151, 80), 2);
  // No default yet: a double click does nothing.
  IMouseMod m;
  c.IControl::OnMouseDblClick(0, 0, &m);
  EXPECT_TRUE(unit.mChanges.empty());
  c.SetValueFromPlug(0.3);
  EXPECT_DOUBLE_EQ(c.GetDefaultValue(), 0.3);
  c.SetClean();
  c.SetValueFromPlug(0.3);  // equal: stays clean
  EXPECT_FALSE(c.IsDirty());

  struct Case
  {
    const char* name;
    double in, out;
  } kCases[] = {{"above", 1.2, 1.0}, {"below", -0.5, 0.0}, {"inside", 0.6, 0.6}};
  for (const Case& k : kCases)
  {
    SCOPED_TRACE(k.name);
    c.SetValueFromUserInput(k.in);
    EXPECT_DOUBLE_EQ(c.GetValue(), k.out);
    EXPECT_DOUBLE_EQ(unit.GetParam(2)->Value(), std::floor(k.out * 10 + 0.5));
  }
  const size_t changes = unit.mChanges.size();
  c.SetValueFromUserInput(0.6);  // equal: the plug-in hears nothing
  EXPECT_EQ(unit.mChanges.size(), changes);
  c.IControl::OnMouseDblClick(0, 0, &m);
  EXPECT_DOUBLE_EQ(unit.GetParam(2)->Value(), 3.0);

  EXPECT_TRUE(c.IsHit(100, 50));
  EXPECT_FALSE(c.IsHit(151, 60));
  EXPECT_FALSE(c.IsHit(120, 80));
  TestControl unbound(&unit, IRECT(), -1);
  unbound.SetValueFromUserInput(2.0);
  EXPECT_DOUBLE_EQ(unbound.GetValue(), 1.0);
  EXPECT_FALSE(unbound.IsHit(0, 0));
}

TEST(IUnitAnimation, EasingsAndFrames)
{
  IUnitAnimation a;
  for (int e = 0; e < IUnitAnimation::kNumEasings; ++e)
  {
    SCOPED_TRACE(IUnitAnimation::EasingName(e));
    EXPECT_NEAR(a.Ease(e, 2.0, 4.0, 0.0), 2.0, 0.01);
    EXPECT_NEAR(a.Ease(e, 2.0, 4.0, 1.0), 4.0, 0.01);
  }
  EXPECT_EQ(a.Ease(41, 2.0, 4.0, 0.5), 0.0);
  EXPECT_DOUBLE_EQ(a.Ease(1, 0.0, 1.0, 0.5), 0.25);
  EXPECT_NEAR(a.Ease(29, 0.0, 1.0, 0.25), 121.0 / 16.0 / 16.0, 1e-12);
  a.SetSmoothStep(true);
  EXPECT_DOUBLE_EQ(a.Ease(0, 0.0, 1.0, 0.25), 0.15625);
  EXPECT_DOUBLE_EQ(a.Ease(0, 0.0, 1.0, 0.25), 0.25);  // once only

  EXPECT_FALSE(a.IsAnimating());
  double v = 0.0;
  for (int call = 1; call <= 10; ++call)
  {
    v = a.Animate("glow", true, 10, 5, 0, 0, 0.0, 1.0);
    EXPECT_TRUE(a.IsAnimating()) << call;
  }
  EXPECT_DOUBLE_EQ(v, 1.0);
  EXPECT_DOUBLE_EQ(a.Animate("glow", true, 10, 5, 0, 0, 0.0, 1.0), 1.0);
  EXPECT_FALSE(a.IsAnimating());
  EXPECT_EQ(a.FindAnimation("glow"), 0);
  EXPECT_EQ(a.FindAnimation("other"), -1);
}

// The preview plots the easing from the bottom-left to the top-right corner
// of its rectangle, one sample per column, and labels the axes and the
// curve.
TEST(IUnitAnimation, EasingPreviewPlotsTheCurveAndItsLabels)
{
  struct Case
  {
    int easing;
    const char* name;
    // Column 40 of the 41 x 41 preview at (20, 10): t = 0.5.
    int onRow, offRow;
  } kCases[] = {
    {0, "LinearInterpolation", 30, 40},  // value 0.5: row 50 - 20
    {1, "QuadraticEaseIn", 40, 30},      // value 0.25: row 50 - 10
    {33, "ezierEaseOut", -1, -1},
  };
  const IColor black(255, 0, 0, 0), white(255, 255, 255, 255), green(255, 0, 255, 0);
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    GuiFixture f(120, 80);
    f.Open();
    f.Settle();
    IRECT all(0, 0, 120, 80);
    f.gui->FillIRect(&black, &all, nullptr);
    f.gui->mDrawnTexts.clear();
    IUnitAnimation a;
    a.DrawEasingPreview(f.gui, IRECT(20, 10, 61, 51), c.easing, white, green);
    EXPECT_EQ(f.gui->mDrawnTexts, (std::vector<std::string>{"XY0", "Y1", "X1", c.name}));
    // The anti-aliased curve lights its pixels at least half way; both ends
    // of every curve are on it, nothing right of or below the rectangle.
    auto lit = [&f](int x, int y) { return f.gui->GetPoint(x, y).R > 127; };
    EXPECT_TRUE(lit(20, 50));
    EXPECT_TRUE(lit(60, 10));
    EXPECT_EQ(f.gui->GetPoint(61, 10), black);
    EXPECT_EQ(f.gui->GetPoint(60, 51), black);
    if (c.onRow >= 0)
    {
      EXPECT_TRUE(lit(40, c.onRow));
      EXPECT_EQ(f.gui->GetPoint(40, c.offRow), black);
    }
    // The labels' text, green, in the top band.
    int labelled = 0;
    for (int y = 10; y < 22; ++y)
      for (int x = 20; x < 61; ++x)
      {
        const IColor p = f.gui->GetPoint(x, y);
        labelled += p.G > 0 && p.R == 0;
      }
    EXPECT_GT(labelled, 0);
  }
}

TEST(IGraphicsView, TranslationOfPointsRectsKeysAndModifiers)
{
  int x = 0, y = 0;
  ViewPointToGUI(10.7, 20.2, &x, &y);
  EXPECT_EQ(x, 10);
  EXPECT_EQ(y, 20);
  ViewPointToGUI(-0.5, 99.99, &x, &y);
  EXPECT_EQ(x, -1);
  EXPECT_EQ(y, 99);
  const IViewRect v = GUIRectToView(IRECT(10, 20, 30, 40), 800);
  EXPECT_EQ((std::vector<int>{v.x, v.y, v.w, v.h}), (std::vector<int>{10, 759, 21, 21}));
  EXPECT_EQ(ViewRectToGUI(v.x, v.y, v.w, v.h, 800), IRECT(10, 20, 31, 41));

  // The window layer's key codes (0 for keys that type a character) and
  // the characters typed.
  struct Key
  {
    const char* name;
    int virtualKey;
    unsigned character;
    int expected;
  } kKeys[] = {
      {"up", 38, 0, 1},           {"down", 40, 0, 2},          {"left", 37, 0, 3},
      {"right", 39, 0, 4},        {"space", 0, ' ', 0},        {"digit 0", 0, '0', 5},
      {"digit 9", 0, '9', 14},    {"keypad 0", 96, '0', 5},    {"keypad 5", 101, '5', 10},
      {"keypad 9", 105, '9', 14}, {"keypad 7, no Num Lock", 103, 0, 12},
      {"keypad point", 110, '.', -1}, {"keypad plus", 107, '+', -1},
      {"A", 0, 'A', 15},          {"z", 0, 'z', 40},           {"hash", 0, '#', -1},
      {"F1", 112, 0, -1},         {"backspace", 8, 8, -1},     {"e acute", 0, 0xE9, -1},
  };
  for (const Key& k : kKeys) EXPECT_EQ(ViewKeyCode(k.virtualKey, k.character), k.expected) << k.name;

  const IMouseMod cmdLeft = ViewModifiers(kViewLeft, true, true, false, false);
  EXPECT_TRUE(cmdLeft.L && cmdLeft.R && cmdLeft.S);
  const IMouseMod right = ViewModifiers(kViewRight, false, false, true, true);
  EXPECT_TRUE(!right.L && right.R && right.C && right.A);

  // Dispatch: a left double click, right presses that stay presses however
  // quick, a drag held back by an open entry, a scroll that drops the
  // entry, and keys that no control takes.
  GuiFixture f(200, 100);
  f.unit.GetParam(1)->InitInt("n", 0, 0, 100);
  TestControl* c = f.Add(IRECT(10, 10, 50, 50), 1);
  c->SetPromptDisabled(false);
  f.Open();
  IMouseMod left(true, false), rightMod(false, true);
  ViewMouseDown(f.gui, 20.5, 27.9, kViewLeft, 2, &left, &x, &y);
  EXPECT_EQ(c->Events(), "dbl 20,27");
  ViewMouseDown(f.gui, 21.0, 27.0, kViewRight, 2, &rightMod, &x, &y);
  ViewMouseDown(f.gui, 21.0, 27.0, kViewRight, 3, &rightMod, &x, &y);
  EXPECT_EQ(c->Events(), "dbl 20,27|down 21,27|down 21,27");
  f.gui->ForceEndUserEdit();
  f.gui->QueueTypedText("55");
  ViewMouseDown(f.gui, 20.5, 27.0, kViewRight, 1, &rightMod, &x, &y);
  ViewMouseDrag(f.gui, 20.5, 37.0, &left, &x, &y);
  ViewScrollWheel(f.gui, 20.5, 37.0, 2.7, &left, &x, &y);
  EXPECT_FALSE(f.gui->IsTextEntryOpen());
  EXPECT_DOUBLE_EQ(f.unit.GetParam(1)->Value(), 20.0);  // the wheel, not the dropped "55"
  EXPECT_EQ(c->Events(), "dbl 20,27|down 21,27|down 21,27|down 20,27|wheel 20,37");
  f.gui->OnMouseUp(20, 37, &rightMod);
  EXPECT_TRUE(ViewKeyDown(f.gui, 20, 20, 0, 'a'));
  EXPECT_TRUE(ViewKeyDown(f.gui, 20, 20, 101, '5'));
  EXPECT_FALSE(ViewKeyDown(f.gui, 20, 20, 0, '#'));
  EXPECT_FALSE(ViewKeyDown(f.gui, 150, 80, 0, 'a'));  // background, no key catcher

  EXPECT_FALSE(TextEntryAccepts("12345678", "0123456789", 7, 0));
  EXPECT_FALSE(TextEntryAccepts("99999999999999999999", nullptr, 0, 100));
  EXPECT_TRUE(TextEntryAccepts("-1.5", "0123456789.-+", 7, 0));
}

TEST(IControl, NaNValueIsClampedOnSetDirty)
{
  GuiUnit unit;
  TestControl c(&unit, IRECT(0, 0, 10, 10), -1);
  c.SetValueFromPlug(0.5);
  c.SetValueFromPlug(std::nan(""));
  EXPECT_DOUBLE_EQ(c.GetValue(), 1.0);
  c.SetValueFromUserInput(std::nan(""));
  EXPECT_DOUBLE_EQ(c.GetValue(), 1.0);
}

// Every easing a quarter and three quarters of the way, from its formula
// (the Bezier ones found to 0.001 along x, as the search stops there).
TEST(IUnitAnimation, EveryEasingMidCurve)
{
  struct Case
  {
    int easing;
    double quarter, threeQuarters;
  } const kCases[] = {
    {0, 0.250000, 0.750000},
    {1, 0.062500, 0.562500},
    {2, 0.437500, 0.937500},
    {3, 0.125000, 0.875000},
    {4, 0.015625, 0.421875},
    {5, 0.578125, 0.984375},
    {6, 0.062500, 0.937500},
    {7, 0.003906, 0.316406},
    {8, 0.683594, 0.996094},
    {9, 0.031250, 0.968750},
    {10, 0.000977, 0.237305},
    {11, 0.762695, 0.999023},
    {12, 0.015625, 0.984375},
    {13, 0.076120, 0.617317},
    {14, 0.382683, 0.923880},
    {15, 0.146447, 0.853553},
    {16, 0.031754, 0.338562},
    {17, 0.661438, 0.968246},
    {18, 0.066987, 0.933013},
    {19, 0.005524, 0.176777},
    {20, 0.823223, 0.994476},
    {21, 0.015625, 0.984375},
    {22, -0.005104, 0.067650},
    {23, 0.932350, 1.005104},
    {24, -0.011049, 1.011049},
    {25, -0.161152, -0.108455},
    {26, 1.108455, 1.161152},
    {27, -0.187500, 1.187500},
    {28, 0.041136, 0.527344},
    {29, 0.472656, 0.958864},
    {30, 0.140625, 0.859375},
    {31, 0.408567, 0.960688},
    {32, 0.093390, 0.621860},
    {33, 0.378140, 0.906610},
    {34, 0.128891, 0.871109},
    {35, 0.236578, 0.959369},
    {36, 0.408641, 0.974419},
    {37, 0.052816, 0.804108},
    {38, 0.577590, 0.964382},
    {39, 0.098723, 0.630084},
    {40, 0.250049, 0.749951},
  };
  static_assert(sizeof(kCases) / sizeof(kCases[0]) == IUnitAnimation::kNumEasings, "one row per easing");
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(IUnitAnimation::EasingName(c.easing));
    IUnitAnimation a;
    const double tolerance = c.easing >= 31 ? 2e-3 : 1e-6;
    EXPECT_NEAR(a.Ease(c.easing, 0.0, 1.0, 0.25), c.quarter, tolerance);
    EXPECT_NEAR(a.Ease(c.easing, 0.0, 1.0, 0.75), c.threeQuarters, tolerance);
    // Between other ends the curve is stretched alike.
    EXPECT_NEAR(a.Ease(c.easing, 10.0, 6.0, 0.25), 10.0 - 4.0 * c.quarter, 4 * tolerance);
  }
}

// Reversed mid-run, an animation carries its frame over in proportion and
// starts from the value it had reached; toward off from the start it stays
// off and is not running.
TEST(IUnitAnimation, ReversedMidRunAndTowardOff)
{
  IUnitAnimation a;
  EXPECT_EQ(a.Animate("fade", false, 10, 5, 0, 0, 0.0, 1.0), 0.0);
  EXPECT_FALSE(a.IsAnimating());
  std::vector<double> values;
  for (int i = 0; i < 4; ++i) values.push_back(a.Animate("fade", true, 10, 5, 0, 0, 0.0, 1.0));
  // Frame 4 of 10 toward off becomes frame 2 of 5, from 0.4 down.
  for (int i = 0; i < 3; ++i) values.push_back(a.Animate("fade", false, 10, 5, 0, 0, 0.0, 1.0));
  const std::vector<double> expected = {0.1, 0.2, 0.3, 0.4, 0.08, 0.0, 0.0};
  ASSERT_EQ(values.size(), expected.size());
  for (size_t i = 0; i < values.size(); ++i) EXPECT_NEAR(values[i], expected[i], 1e-12) << i;
  EXPECT_FALSE(a.IsAnimating());
  // Back toward on from off, then reversed again after one frame.
  EXPECT_NEAR(a.Animate("fade", true, 10, 5, 0, 0, 0.0, 1.0), 0.1, 1e-12);
  EXPECT_TRUE(a.IsAnimating());
  // Frame 1 of 10 becomes frame 0 of 5: off at once.
  EXPECT_NEAR(a.Animate("fade", false, 10, 5, 0, 0, 0.0, 1.0), 0.0, 1e-12);
  EXPECT_FALSE(a.IsAnimating());
}
