// Text controls and the invisible select controls on the headless surface:
// dirty marking and pixels of texts, the file button, the spinner's wheel,
// resizing, the value display of a knob, and the values and events the
// select controls record.
#include "support/GuiTestKit.h"

#include "core/IParam.h"
#include "graphics/controls/IInvisibleSelectControl.h"
#include "graphics/controls/IKnobControl.h"
#include "graphics/controls/ITextControl.h"
#include "graphics/controls/IUserTextControl.h"

#include <gtest/gtest.h>

namespace
{
struct TextFixture : GuiFixture
{
  TextFixture() : GuiFixture(200, 100) { IGraphics::ClearCachesForTest(); }
  ~TextFixture() { IGraphics::ClearCachesForTest(); }
};

// Pixels of the screen inside r that differ from the grey background.
int InkedPixels(IGraphicsHeadless* gui, IRECT r)
{
  int n = 0;
  RAST_IBitmap* screen = gui->GetScreen();
  for (int y = r.T; y < r.B; ++y)
    for (int x = r.L; x < r.R; ++x)
      if (screen->getBits()[y * screen->getRowSpan() + x] != RAST_RGBA(128, 128, 128, 255)) ++n;
  return n;
}
}  // namespace

TEST(TextControls, SameTextStaysCleanNewTextRepaints)
{
  TextFixture f;
  IText style;
  auto* text = new ITextControl(&f.unit, IRECT(10, 10, 110, 30), &style, "abc");
  f.gui->AttachControl(text);
  f.Open();
  f.Settle();
  const int before = InkedPixels(f.gui, IRECT(10, 10, 110, 30));
  EXPECT_GT(before, 0);

  text->SetTextFromPlug("abc");
  EXPECT_FALSE(text->IsDirty());
  text->SetTextFromPlug("");
  EXPECT_TRUE(text->IsDirty());
  f.Settle();
  EXPECT_EQ(InkedPixels(f.gui, IRECT(10, 10, 110, 30)), 0);
}

TEST(TextControls, SecureFieldsShowAtMost99Stars)
{
  struct Case
  {
    int length;
    size_t stars;
  } kCases[] = {{0, 0}, {98, 98}, {99, 99}, {100, 99}};
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.length);
    TextFixture f;
    IText style;
    const std::string secret(static_cast<size_t>(c.length), 'x');
    auto* field = new IEditableTextControl(&f.unit, IRECT(0, 0, 200, 20), 1, &style, secret.c_str(), false, true);
    auto* user = new IUserTextControl(&f.unit, IRECT(0, 40, 200, 60), &style, secret.c_str());
    user->SetSecure(true);
    f.gui->AttachControl(field);
    f.gui->AttachControl(user);
    f.Open();
    f.Settle();
    const std::string expected(c.stars, '*');
    int shown = 0;
    for (const std::string& t : f.gui->mDrawnTexts) shown += t == expected ? 1 : 0;
    EXPECT_EQ(shown, c.length == 0 ? 0 : 2);
    // Masked text is never drawn turned: the style keeps orientation 0.
    EXPECT_EQ(field->GetText()->mOrientation, 0);
    EXPECT_EQ(field->GetText()->mPassword, 1);
  }
}

TEST(TextControls, FileSelectorSplitsPathsTogglesAndCancels)
{
  TextFixture f;
  auto* selector = new IFileSelectorControl(&f.unit, IRECT(0, 0, 20, 20), 2, nullptr, 0, "", "pr3");
  f.gui->AttachControl(selector);
  f.unit.GetParam(2)->InitDouble("file", 0.0, 0.0, 1.0, 0.001);
  f.Open();
  BASE_String folder, file;

  selector->SetLastSelectedFileFromPlug("/a/b/c.pr3");
  selector->GetFolder(&folder);
  selector->GetLastSelectedFileForPlug(&file);
  EXPECT_STREQ(folder.Get(), "/a/b/");
  EXPECT_STREQ(file.Get(), "c.pr3");
  selector->SetLastSelectedFileFromPlug("d.pr3");
  selector->GetFolder(&folder);
  selector->GetLastSelectedFileForPlug(&file);
  EXPECT_STREQ(folder.Get(), "/a/b/");
  EXPECT_STREQ(file.Get(), "d.pr3");

  IMouseMod m(true, false);
  const char* kChoices[] = {"/x/y.pr3", "/x/z.pr3", ""};
  const double kValues[] = {1.0, 0.0, 1.0};
  const char* kFiles[] = {"/x/y.pr3", "/x/z.pr3", ""};
  for (int i = 0; i < 3; ++i)
  {
    SCOPED_TRACE(i);
    f.gui->QueueFilePath(kChoices[i]);
    f.gui->OnMouseDown(5, 5, &m);
    f.gui->OnMouseUp(5, 5, &m);
    EXPECT_DOUBLE_EQ(f.unit.GetParam(2)->Value(), kValues[i]);
    selector->GetLastSelectedFileForPlug(&file);
    EXPECT_STREQ(file.Get(), kFiles[i]);
  }
  // The choice makes one more repaint, then the button is idle.
  f.Settle();
  EXPECT_EQ(selector->GetState(), 0);
  EXPECT_FALSE(f.gui->RunFrame());
}

TEST(TextControls, SpinnerWheelMovesOneEntryPerNotch)
{
  struct Case
  {
    const char* name;
    int entries;  // 0: a double 0..1 with step 0
    int notches;
    bool shift;
    double value;
  } kCases[] = {
    {"99 entries, one notch", 99, 1, false, 1.0 / 98.0},
    {"99 entries, back past the start", 99, -1, false, 0.0},
    {"3 entries", 3, 1, false, 0.5},
    {"no step", 0, 1, false, 0.01},
    {"no step with shift", 0, 1, true, 0.001},
    {"no step, far past the end", 0, 150, false, 1.0},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    TextFixture f;
    IParam* p = f.unit.GetParam(3);
    if (c.entries > 0)
      p->InitInt("list", 1, 1, c.entries);
    else
      p->InitDouble("free", 0.0, 0.0, 1.0, 0.0);
    IText style;
    auto* spinner = new ISpinnerControl(&f.unit, IRECT(0, 0, 40, 20), 3, &style, nullptr, true, false);
    f.gui->AttachControl(spinner);
    f.Open();
    IMouseMod m(false, false, c.shift);
    f.gui->OnMouseWheel(10, 10, &m, c.notches);
    EXPECT_NEAR(spinner->GetValue(), c.value, 1e-12);
  }
}

TEST(TextControls, ResizeScalesTheConstructedSize)
{
  struct Case
  {
    double ratio;
    int size;
  } kCases[] = {{1.0, 10}, {1.5, 15}, {0.5, 5}, {1.09, 10}, {2.0, 20}};
  IText style;
  style.mSize = 10;
  style.mOrientation = 3;
  ITextControl text(nullptr, IRECT(0, 0, 10, 10), &style, "t");
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.ratio);
    text.AfterGUIResize(c.ratio);
    EXPECT_EQ(text.GetText()->mSize, c.size);
    // The orientation is the style's, whatever the size.
    EXPECT_EQ(text.GetText()->mOrientation, 3);
  }
}

TEST(TextControls, KnobShowsValueAndLabelOnItsDisplay)
{
  struct Case
  {
    const char* label;
    const char* shown;
  } kCases[] = {{"", "12 "}, {"dB", "12 dB"}};
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.shown);
    TextFixture f;
    f.unit.GetParam(4)->InitInt("Cutoff", 0, 0, 100, c.label);
    IText style;
    auto* value = new ITextControl(&f.unit, IRECT(100, 0, 200, 20), &style, "");
    auto* name = new ITextControl(&f.unit, IRECT(100, 20, 200, 40), &style, "");
    auto* knob = new IKnobLineControl(&f.unit, IRECT(0, 0, 50, 100), 4, IColor());
    knob->SetValueDisplayControl(value);
    knob->SetNameDisplayControl(name);
    f.gui->AttachControl(value);
    f.gui->AttachControl(name);
    f.gui->AttachControl(knob);
    f.Open();
    f.Settle();
    IMouseMod m(true, false);
    f.gui->OnMouseWheel(10, 10, &m, 12);
    BASE_String text;
    value->GetText(&text);
    EXPECT_STREQ(text.Get(), c.shown);
    name->GetText(&text);
    EXPECT_STREQ(text.Get(), "Cutoff");
    EXPECT_TRUE(value->IsDirty());
  }
}

// A click on an editable field opens its entry over the entry rectangle; a
// caption prompts on a left or right click and on a double click; neither
// prompts without a parameter.
TEST(TextControls, EditableAndCaptionFieldsPromptOnAClick)
{
  struct Case
  {
    const char* name;
    bool caption;
    int param;
    bool left, right, dbl;
    size_t entries;
    IRECT rect;  // of the last entry
  } kCases[] = {
    {"editable, left", false, 3, true, false, false, 1, {10, 10, 110, 30}},
    {"editable, right", false, 3, false, true, false, 1, {10, 10, 110, 30}},
    {"editable, double", false, 3, true, false, true, 1, {10, 10, 110, 30}},
    {"editable, unbound", false, -1, true, false, false, 0, {}},
    {"caption, left", true, 3, true, false, false, 1, {40, 12, 80, 28}},
    {"caption, right", true, 3, false, true, false, 1, {40, 12, 80, 28}},
    {"caption, double", true, 3, true, false, true, 1, {40, 12, 80, 28}},
    {"caption, no button", true, 3, false, false, false, 0, {}},
    {"caption, unbound", true, -1, true, false, false, 0, {}},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    TextFixture f;
    f.unit.GetParam(3)->InitInt("level", 5, 0, 100);
    IText style;
    IControl* field = c.caption ? static_cast<IControl*>(new ICaptionControl(&f.unit, IRECT(10, 10, 110, 30), c.param, &style))
                                : new IEditableTextControl(&f.unit, IRECT(10, 10, 110, 30), c.param, &style, "5");
    f.gui->AttachControl(field);
    f.Open();
    f.Settle();
    IMouseMod m(c.left, c.right);
    if (c.dbl)
      f.gui->OnMouseDblClick(50, 20, &m);
    else
      f.gui->OnMouseDown(50, 20, &m);
    ASSERT_EQ(f.gui->mTextEntries.size(), c.entries);
    if (c.entries > 0) {
      EXPECT_EQ(f.gui->mTextEntries.back().rect, c.rect);
    }
  }
}

// A right click on a bound spinner or second text asks for the value; the
// left button does not, nor does either on an unbound one.
TEST(TextControls, BoundSpinnerAndSecondTextPromptOnARightClick)
{
  struct Case
  {
    const char* name;
    bool spinner;
    int param;
    bool right;
    size_t entries;
  } kCases[] = {
    {"spinner, right", true, 3, true, 1},
    {"spinner, left", true, 3, false, 0},
    {"spinner, unbound", true, -1, true, 0},
    {"second text, right", false, 3, true, 1},
    {"second text, left", false, 3, false, 0},
    {"second text, unbound", false, -1, true, 0},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    TextFixture f;
    f.unit.GetParam(3)->InitInt("level", 5, 0, 100);
    IText style;
    IControl* text = c.spinner ? static_cast<IControl*>(new ISpinnerControl(&f.unit, IRECT(10, 10, 110, 30), c.param,
                                                                             &style, nullptr, true, false))
                               : new ITextControl2(&f.unit, IRECT(10, 10, 110, 30), c.param, &style, "5");
    f.gui->AttachControl(text);
    f.Open();
    f.Settle();
    IMouseMod m(!c.right, c.right);
    f.gui->OnMouseDown(50, 20, &m);
    ASSERT_EQ(f.gui->mTextEntries.size(), c.entries);
    // A number's field: 40 by 16 about the control's centre.
    if (c.entries > 0)
    {
      EXPECT_EQ(f.gui->mTextEntries.back().rect, IRECT(40, 12, 80, 28));
    }
  }
}

// The URL control hands its message with the address, and with the
// fallback when the first one fails; without a URL nothing opens.
TEST(TextControls, UrlControlPassesItsMessage)
{
  struct Case
  {
    const char* name;
    const char* url;
    const char* fallback;
    bool firstOpens;
    std::vector<std::string> opened, messages;
  } kCases[] = {
    {"opens", "https://a.example/", "https://b.example/", true, {"https://a.example/"}, {"Opening the page"}},
    {"falls back", "https://a.example/", "https://b.example/", false,
     {"https://a.example/", "https://b.example/"}, {"Opening the page", "Opening the page"}},
    {"no fallback", "https://a.example/", "", false, {"https://a.example/"}, {"Opening the page"}},
    {"no URL", "", "https://b.example/", true, {}, {}},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    TextFixture f;
    f.gui->AttachControl(new IURLControl(&f.unit, IRECT(0, 0, 50, 50), c.url, c.fallback, "Opening the page"));
    f.Open();
    f.gui->QueueOpenURLResult(c.firstOpens);
    IMouseMod m(true, false);
    f.gui->OnMouseDown(10, 10, &m);
    EXPECT_EQ(f.gui->mOpenedURLs, c.opened);
    EXPECT_EQ(f.gui->mURLMessages, c.messages);
  }
}

// The bitmap font's cells: frame c - 31 of a strip of 4 x 6 cells, each
// frame k red 2 k; cells sit by the style's alignment, the spacing, the
// vertical centring and the lines the rectangle allows.
TEST(TextControls, BitmapTextPlacesItsCells)
{
  struct Cell
  {
    int x, y;
    int red;  // 0: grey, nothing drawn
  };
  struct Case
  {
    const char* name;
    IRECT rect;
    const char* text;
    int align, spacing;
    bool multiLine, vCentre;
    std::vector<Cell> cells;
  } const kCases[] = {
    {"near", {10, 10, 50, 20}, "AB", 0, 0, false, false, {{10, 10, 68}, {14, 10, 70}, {18, 10, 0}}},
    {"centred", {10, 10, 50, 20}, "AB", 1, 0, false, false, {{25, 10, 0}, {26, 10, 68}, {30, 10, 70}}},
    {"far", {10, 10, 50, 20}, "AB", 2, 0, false, false, {{42, 10, 68}, {46, 10, 70}, {41, 10, 0}}},
    {"spaced", {10, 10, 50, 20}, "AB", 0, 2, false, false, {{10, 10, 68}, {14, 10, 0}, {16, 10, 70}}},
    {"centred down", {10, 10, 50, 20}, "AB", 0, 0, false, true, {{10, 10, 0}, {10, 12, 68}, {14, 12, 70}}},
    {"one line, cut", {10, 10, 18, 20}, "ABC", 0, 0, false, false, {{10, 10, 68}, {14, 10, 70}, {18, 10, 0}, {10, 16, 0}}},
    {"two lines", {10, 10, 18, 30}, "ABC", 0, 0, true, false, {{10, 10, 68}, {14, 10, 70}, {10, 16, 72}, {14, 16, 0}}},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    TextFixture f;
    RAST_MemBitmap strip(4, 6 * 95, 4);
    for (int k = 1; k <= 95; ++k) RAST_FillRect(&strip, 0, 6 * (k - 1), 4, 6, RAST_RGBA(2 * k, 0, 0, 255), 1.0f, 0);
    f.gui->AddResource("font", &strip);
    IBitmap* font = f.gui->LoadIBitmap(9, "font.png", 95);
    IText style;
    style.mAlign = c.align;
    f.gui->AttachControl(
        new IBitmapTextControl(&f.unit, c.rect, font, c.text, &style, 4, 6, c.spacing, c.multiLine, c.vCentre));
    f.Open();
    f.Settle();
    for (const Cell& cell : c.cells)
      EXPECT_EQ(RAST_GetPixel(f.gui->GetScreen(), cell.x, cell.y),
                cell.red ? RAST_RGBA(cell.red, 0, 0, 255) : RAST_RGBA(128, 128, 128, 255))
          << cell.x << "," << cell.y;
  }
}

// The second text draws after the first in the same rectangle; setting it
// marks the control only when it changes.
TEST(TextControls, SecondTextDrawsAfterTheFirst)
{
  TextFixture f;
  IText style;
  auto* text = new ITextControl2(&f.unit, IRECT(10, 10, 110, 30), -1, &style, "one", &style, "two");
  f.gui->AttachControl(text);
  f.Open();
  f.Settle();
  EXPECT_EQ(f.gui->mDrawnTexts, (std::vector<std::string>{"one", "two"}));
  text->SetText2FromPlug("two");
  EXPECT_FALSE(text->IsDirty());
  text->SetText2FromPlug("three");
  EXPECT_TRUE(text->IsDirty());
  f.gui->mDrawnTexts.clear();
  f.Settle();
  EXPECT_EQ(f.gui->mDrawnTexts, (std::vector<std::string>{"one", "three"}));
}

// Dragging a spinner over its height (or width) at gearing 10 moves a
// tenth; the value stays within 0..1.
TEST(TextControls, SpinnerDragFollowsItsDirectionAndGearing)
{
  struct Case
  {
    const char* name;
    int direction;
    int dX, dY;
    double start, value;
  } const kCases[] = {
    {"up a height", 0, 0, -20, 0.5, 0.6},
    {"down half a height", 0, 0, 10, 0.5, 0.45},
    {"sideways, vertical", 0, 40, 0, 0.5, 0.5},
    {"right a width", 1, 40, 0, 0.5, 0.6},
    {"past the top", 0, 0, -200, 0.95, 1.0},
    {"past the bottom", 0, 0, 200, 0.05, 0.0},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    TextFixture f;
    f.unit.GetParam(3)->InitDouble("free", 0.0, 0.0, 1.0, 0.0);
    IText style;
    auto* spinner = new ISpinnerControl(&f.unit, IRECT(0, 0, 40, 20), 3, &style, nullptr, true, false,
                                        c.direction, 10.0);
    f.gui->AttachControl(spinner);
    f.Open();
    spinner->SetValueFromPlug(c.start);
    IMouseMod m(true, false);
    spinner->OnMouseDrag(10, 10, c.dX, c.dY, &m);
    EXPECT_NEAR(spinner->GetValue(), c.value, 1e-12);
  }
}

// ---- select controls ----

// A 10 x 10 grid over (50, 60, 862, 740); a side of no size counts as the
// first column or row.
TEST(SelectControls, MatrixCellsStayInsideTheGrid)
{
  const IRECT grid(50, 60, 862, 740);
  struct Case
  {
    const char* name;
    IRECT rect;
    int columns, rows;
    int x, y;
    int cell;
    double value;
  } kCases[] = {
    {"top left", grid, 10, 10, 50, 60, 0, 0.0},
    {"middle of the top row", grid, 10, 10, 455, 60, 4, 0.04},
    {"last pixel", grid, 10, 10, 861, 739, 99, 0.99},
    {"right edge", grid, 10, 10, 862, 60, 9, 0.09},
    {"bottom edge", grid, 10, 10, 50, 740, 90, 0.90},
    {"bottom right corner", grid, 10, 10, 862, 740, 99, 0.99},
    {"far past the corner", grid, 10, 10, 5050, 5060, 99, 0.99},
    {"above and left", grid, 10, 10, 45, 55, 0, 0.0},
    {"no width", IRECT(10, 10, 10, 50), 10, 10, 30, 30, 50, 0.5},
    {"no height", IRECT(10, 10, 50, 10), 10, 10, 30, 30, 5, 0.05},
    {"no cells", IRECT(10, 10, 50, 50), 0, 0, 30, 30, 0, 0.0},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    GuiFixture f(1000, 800);
    f.unit.GetParam(5)->InitDouble("cell", 0.0, 0.0, 1.0, 0.0);
    auto* matrix = new IInvisibleMatrixSelectControl(&f.unit, c.rect, 5);
    matrix->SetMatrixSize(c.columns, c.rows);
    f.gui->AttachControl(matrix);
    f.Open();
    IMouseMod m(true, false);
    matrix->OnMouseUp(c.x, c.y, &m);
    EXPECT_EQ(matrix->GetLastCell(), c.cell);
    EXPECT_NEAR(matrix->GetValue(), c.value, 1e-12);
    EXPECT_NEAR(f.unit.GetParam(5)->Value(), c.value, 1e-12);
  }
}

TEST(SelectControls, ModifiersWheelAndKeys)
{
  struct Case
  {
    const char* name;
    IMouseMod mod;
    int wheel;  // 0: a click
    int modifier;
    double value;
  } kCases[] = {
    {"plain click", IMouseMod(true, false), 0, 0, 0.25},
    {"shift click", IMouseMod(true, false, true), 0, 1, 0.25},
    {"control click", IMouseMod(true, false, false, true), 0, 2, 0.25},
    {"shift-control click", IMouseMod(true, false, true, true), 0, 1, 0.25},
    {"wheel up", IMouseMod(), 1, 0, 0.51},
    {"wheel up with shift", IMouseMod(false, false, true), 1, 1, 0.501},
    {"wheel down", IMouseMod(), -1, 0, 0.49},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    IInvisibleSelectControl3 list(nullptr, IRECT(0, 100, 50, 200), -1, 0);
    IMouseMod mod = c.mod;
    if (c.wheel)
      list.OnMouseWheel(10, 150, &mod, c.wheel);
    else
      list.OnMouseDown(10, 125, &mod);
    int modifier = -1, event = -1;
    list.GetMouseModifier(&modifier);
    list.GetLastMouseEvent(&event);
    EXPECT_EQ(modifier, c.modifier);
    EXPECT_EQ(event, c.wheel ? 4 : 0);
    EXPECT_NEAR(list.GetValue(), c.value, 1e-12);
    EXPECT_FALSE(list.OnKeyDown(0, 0, 0));
    list.GetMouseModifier(&modifier);
    EXPECT_EQ(modifier, 3);
  }
}

// The plain list takes only the mouse-up, as the fraction down its current
// rectangle; the second one takes down, up and drag along its direction
// and records which.
TEST(SelectControls, PlainAndSecondListsTakeTheirEvents)
{
  IMouseMod m(true, false);
  IInvisibleSelectControl plain(nullptr, IRECT(0, 100, 50, 200), -1);
  plain.OnMouseDown(10, 150, &m);
  EXPECT_EQ(plain.GetValue(), 0.0);
  struct Up
  {
    int y;
    double value;
  } const kUps[] = {{150, 0.5}, {100, 0.0}, {199, 0.99}, {260, 1.0}, {125, 0.25}};
  for (const Up& u : kUps)
  {
    plain.OnMouseUp(10, u.y, &m);
    EXPECT_NEAR(plain.GetValue(), u.value, 1e-12) << u.y;
  }
  // Moved down by 100, it measures from its new top.
  plain.SetPosition(0, 200);
  plain.OnMouseUp(10, 250, &m);
  EXPECT_NEAR(plain.GetValue(), 0.5, 1e-12);

  struct Case
  {
    const char* name;
    int direction;
    int event;  // 0 down, 1 up, 2 drag
    int x, y;
    double value;
  } const kCases[] = {
    {"vertical down", 0, 0, 40, 125, 0.25}, {"vertical up", 0, 1, 40, 175, 0.75},
    {"vertical drag", 0, 2, 5, 150, 0.5},   {"horizontal down", 1, 0, 40, 125, 0.8},
    {"horizontal drag", 1, 2, 5, 199, 0.1}, {"horizontal up, left of it", 1, 1, -20, 150, 0.0},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    IInvisibleSelectControl2 list(nullptr, IRECT(0, 100, 50, 200), -1, c.direction);
    if (c.event == 0) list.OnMouseDown(c.x, c.y, &m);
    if (c.event == 1) list.OnMouseUp(c.x, c.y, &m);
    if (c.event == 2) list.OnMouseDrag(c.x, c.y, 0, 0, &m);
    int event = -1;
    list.GetLastMouseEvent(&event);
    EXPECT_EQ(event, c.event);
    EXPECT_NEAR(list.GetValue(), c.value, 1e-12);
  }
}

// The third list records drags and double clicks with their position and
// modifier; the up arrow and space only set the modifier field.
TEST(SelectControls, ThirdListDragsDoubleClicksAndKeys)
{
  IInvisibleSelectControl3 list(nullptr, IRECT(0, 100, 50, 200), -1, 0);
  IMouseMod shift(true, false, true), control(true, false, false, true);
  list.OnMouseDrag(20, 180, 0, 5, &shift);
  int event = -1, modifier = -1, x = -1, y = -1;
  list.GetLastMouseEvent(&event);
  list.GetMouseModifier(&modifier);
  list.GetMousePosition(&x, &y);
  EXPECT_EQ(std::vector<int>({event, modifier, x, y}), std::vector<int>({2, 1, 20, 180}));
  EXPECT_NEAR(list.GetValue(), 0.8, 1e-12);
  list.OnMouseDblClick(30, 110, &control);
  list.GetLastMouseEvent(&event);
  list.GetMouseModifier(&modifier);
  list.GetMousePosition(&x, &y);
  EXPECT_EQ(std::vector<int>({event, modifier, x, y}), std::vector<int>({3, 2, 30, 110}));
  EXPECT_NEAR(list.GetValue(), 0.1, 1e-12);
  struct Key
  {
    int code;
    int modifier;
  } const kKeys[] = {{1, 4}, {0, 3}, {7, 3}, {1, 4}};
  for (const Key& k : kKeys)
  {
    EXPECT_FALSE(list.OnKeyDown(0, 0, k.code));
    list.GetMouseModifier(&modifier);
    EXPECT_EQ(modifier, k.modifier) << k.code;
    EXPECT_NEAR(list.GetValue(), 0.1, 1e-12);
  }
}

// The matrix's wheel records the turn's direction and the cell under the
// pointer; its double click records the event and the cell's value.
TEST(SelectControls, MatrixWheelAndDoubleClick)
{
  struct Case
  {
    const char* name;
    int wheel;  // 0: a double click
    IMouseMod mod;
    int x, y;
    int event, modifier;
    bool up;
    double value;
  } const kCases[] = {
    {"wheel up", 1, IMouseMod(), 455, 60, 4, 0, true, 0.04},
    {"wheel down with shift", -2, IMouseMod(false, false, true), 861, 739, 4, 1, false, 0.99},
    {"double click", 0, IMouseMod(true, false, false, true), 50, 128, 3, 2, false, 0.10},
    {"double click, first cell", 0, IMouseMod(true, false), 50, 60, 3, 0, false, 0.0},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    IInvisibleMatrixSelectControl grid(nullptr, IRECT(50, 60, 862, 740), -1);
    grid.SetMatrixSize(10, 10);
    IMouseMod mod = c.mod;
    if (c.wheel)
      grid.OnMouseWheel(c.x, c.y, &mod, c.wheel);
    else
      grid.OnMouseDblClick(c.x, c.y, &mod);
    int event = -1, modifier = -1;
    grid.GetLastMouseEvent(&event);
    grid.GetMouseModifier(&modifier);
    EXPECT_EQ(event, c.event);
    EXPECT_EQ(modifier, c.modifier);
    if (c.wheel) {
      EXPECT_EQ(grid.GetLastWheelUp(), c.up);
    }
    EXPECT_NEAR(grid.GetValue(), c.value, 1e-12);
  }
}
