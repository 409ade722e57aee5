// The window as it was left, whatever the language of the desktop: the
// running program under a decimal-comma locale and under C, each made with
// localedef into a folder of the test's own, reads and writes the settings
// file's numbers alike; under Turkish, names written in upper case are
// found; and a stored scale beyond the menu's draws the same picture as the
// editor drawn headless at that scale.
#include "support/MadeLocale.h"
#include "support/RunningEditor.h"

#include "editor/ZephraEditor.h"
#include "editor/ZephraEditorGraphics.h"
#include "graphics/IGraphicsHeadless.h"
#include "graphics/resize/IUnitGUIResize.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace
{
using Rect = RunningEditor::Rect;

// The View menu and its scales as the pointer counts them (70 % .. 200 %).
constexpr int kView = 2;
constexpr int k130 = 6;

std::string Size(const Rect& r) { return std::to_string(r.w) + "x" + std::to_string(r.h); }

// A locale for the program: made once per test program, "C" needs none.
struct Desktop
{
  const char* locale;
  const MadeLocale* made;
};

const MadeLocale& German()
{
  static const MadeLocale german("de_DE.UTF-8");
  return german;
}

const MadeLocale& Turkish()
{
  static const MadeLocale turkish("tr_TR.UTF-8");
  return turkish;
}

RunningEditorSetup Under(const Desktop& desktop, const std::string& settings, int width = 2400, int height = 1800)
{
  RunningEditorSetup setup;
  setup.settings = settings;
  setup.screenWidth = width;
  setup.screenHeight = height;
  setup.env = {{"LC_ALL", desktop.locale}, {"LANG", desktop.locale}};
  if (desktop.made) setup.env.push_back({"LOCPATH", desktop.made->Folder()});
  return setup;
}

bool Stored(const RunningEditor& editor, const std::string& scale)
{
  return editor.SettingsText().find("guiscale=" + scale + "\n") != std::string::npos;
}

// Waits until the GUI at scale fills the main window below its menu bar.
bool GuiIs(const RunningEditor& editor, const std::string& size, double scale)
{
  return RunningEditor::WaitUntil(
    [&] { return Size(editor.GuiRect(scale)) == size && editor.MainRect().w == editor.GuiRect(scale).w; },
    RunningEditor::kBusyLimit);
}

#define SKIP_WITHOUT(locale) \
  if (!(locale).Made()) GTEST_SKIP() << (locale).Why()

// Settings written under one locale open the same under the other: each
// case starts under the first, which writes what it writes, and the file it
// leaves starts under the second. 1.5 on a screen 1000 high is fitted to
// (1000 - 25) / 800 = 1.21875.
TEST(DesktopLanguage, SettingsWrittenUnderOneLocaleOpenTheSameUnderTheOther)
{
  SKIP_WITHOUT(German());
  const Desktop german{"de_DE.UTF-8", &German()}, plain{"C", nullptr};
  const struct Case
  {
    const char* stored;
    int screenHeight;
    const char* storedAfter;
    double scale;
    const char* gui;
  } kCases[] = {
    {"1.3", 1800, "1.3", 1.3, "1482x1040"},
    {"0.8", 1800, "0.8", 0.8, "912x640"},
    {"1.5", 1000, "1.218750000000000", 1.21875, "1389x975"},
  };
  const struct Order
  {
    const char* name;
    Desktop first, second;
  } kOrders[] = {{"de_DE then C", german, plain}, {"C then de_DE", plain, german}};
  for (const Order& order : kOrders)
    for (const Case& c : kCases)
    {
      SCOPED_TRACE(std::string(order.name) + ", stored " + c.stored);
      std::string left;
      for (const Desktop& desktop : {order.first, order.second})
      {
        SCOPED_TRACE(desktop.locale);
        const std::string settings = left.empty() ? std::string("[gui]\nguiscale=") + c.stored + "\n" : left;
        RunningEditor editor(Under(desktop, settings, 1600, c.screenHeight));
        RUNNING_EDITOR_START_OR_SKIP(editor);
        EXPECT_TRUE(GuiIs(editor, c.gui, c.scale)) << Size(editor.MainRect());
        EXPECT_TRUE(Stored(editor, c.storedAfter)) << editor.SettingsText();
        EXPECT_EQ(editor.Stop(SIGTERM), 0);
        EXPECT_TRUE(Stored(editor, c.storedAfter)) << editor.SettingsText();
        left = editor.SettingsText();
      }
    }
}

// View > 130 % under German writes the scale with a point, and C opens the
// file at 130 %.
TEST(DesktopLanguage, AScaleChosenUnderACommaLocaleIsWrittenWithAPoint)
{
  SKIP_WITHOUT(German());
  std::string left;
  {
    RunningEditor editor(Under({"de_DE.UTF-8", &German()}, "[gui]\nguiscale=1.0\n"));
    RUNNING_EDITOR_START_OR_SKIP(editor);
    ASSERT_TRUE(GuiIs(editor, "1140x800", 1.0));
    ASSERT_TRUE(editor.ChooseMenu(kView, k130));
    EXPECT_TRUE(editor.ShowsScale(1.3)) << editor.SettingsText();
    EXPECT_TRUE(Stored(editor, "1.300000000000000")) << editor.SettingsText();
    EXPECT_EQ(editor.SettingsText().find(','), std::string::npos) << editor.SettingsText();
    EXPECT_EQ(editor.Stop(SIGTERM), 0);
    left = editor.SettingsText();
  }
  RunningEditor editor(Under({"C", nullptr}, left));
  RUNNING_EDITOR_START_OR_SKIP(editor);
  EXPECT_TRUE(GuiIs(editor, "1482x1040", 1.3)) << Size(editor.MainRect());
  EXPECT_EQ(editor.Stop(SIGTERM), 0);
}

// Under Turkish, where the locale lowers "I" to a dotless i, a settings
// file written by hand in upper case still names the synth's ports: the
// start sends the last program to the synth, and nothing is turned "off".
TEST(DesktopLanguage, UpperCaseSettingsConnectToTheSynthUnderTurkish)
{
  SKIP_WITHOUT(Turkish());
  RunningEditor editor(Under({"tr_TR.UTF-8", &Turkish()},
                             "[MIDI]\nINDEV={synth-in}\nOUTDEV={synth-out}\nINBDEV=off\n[GUI]\nGUISCALE=1.0\n"));
  RUNNING_EDITOR_START_OR_SKIP(editor);
  EXPECT_TRUE(editor.HeardAProgram());
  EXPECT_TRUE(GuiIs(editor, "1140x800", 1.0)) << Size(editor.MainRect());
  EXPECT_EQ(editor.Stop(SIGTERM), 0);
  const std::string text = editor.SettingsText();
  EXPECT_EQ(text.find("indev=off"), std::string::npos) << text;
  EXPECT_EQ(text.find("outdev=off"), std::string::npos) << text;
  EXPECT_EQ(text.find("INDEV=off"), std::string::npos) << text;
}

// The editor's own GUI drawn headless at scale: the panels built as the
// program builds them, then set to the scale as the View menu sets one
// (the drag limits widened to reach it), with the artwork resampled.
class HeadlessEditor
{
public:
  explicit HeadlessEditor(double scale)
  {
    setenv("ZEPHRA_RESOURCES_DIR", ZEPHRA_BUILD_RESOURCES, 1);
    IGraphics::ClearCachesForTest();
    IUnitGUIResize::ResetProcessStateForTest();
    ZephraEditorSetup setup;
    setup.settingsFolder = mDir.Path();
    setup.runTimer = false;
    setup.buildGui = [this](ZephraEditor& e) {
      mGui = new IGraphicsHeadless(&e, 1140, 800);
      mResizer = ZephraSetUpGui(e, mGui, [](ZephraEditor& editor, IGraphics& g) { editor.CreateGUI(false, &g); });
      mGui->OpenWindow(nullptr);
    };
    mEditor = std::make_unique<ZephraEditor>(IUnitInstanceInfo(), setup);
    mEditor->ResizeAtGUIOpen();
    mResizer->SetGUIScaleLimits(1.0, 1000.0);
    mResizer->SetGUIScaleRatio(scale);
    mResizer->ResizeGraphics();
    mGui->RescaleBitmaps(scale);
    mGui->SetAllControlsDirty();
    mGui->RunFrame();
  }
  ~HeadlessEditor()
  {
    mEditor.reset();
    IGraphics::ClearCachesForTest();
  }
  int Width() const { return mGui->Width(); }
  int Height() const { return mGui->Height(); }
  uint32_t Pixel(int x, int y) const
  {
    const IColor c = mGui->GetPoint(x, y);
    return static_cast<uint32_t>(c.R) << 16 | static_cast<uint32_t>(c.G) << 8 | static_cast<uint32_t>(c.B);
  }

private:
  TempDir mDir;
  IGraphicsHeadless* mGui = nullptr;  // owned by the editor
  IUnitGUIResize* mResizer = nullptr;  // owned by the surface
  std::unique_ptr<ZephraEditor> mEditor;
};

bool Near(uint32_t a, uint32_t b)
{
  for (int shift = 0; shift <= 16; shift += 8)
    if (std::abs(static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF)) > 12) return false;
  return true;
}

// A stored scale beyond the View menu's opens with the artwork at that
// scale: the GUI on the screen is the picture the editor draws headless at
// it, pixel for pixel but for what the running session shows of its own
// (its synth's name, the pointer). 3.0 needs a screen of 3840x2880; 0.25
// fits any.
TEST(DesktopLanguage, AStoredScaleBeyondTheMenusDrawsItsArtworkAtThatScale)
{
  const struct Case
  {
    const char* stored;
    double scale;
    int screenWidth, screenHeight;
    const char* gui;
  } kCases[] = {{"3.0", 3.0, 3840, 2880, "3420x2400"}, {"0.25", 0.25, 2400, 1800, "285x200"}};
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.stored);
    RunningEditor editor(Under({"C", nullptr}, std::string("[gui]\nguiscale=") + c.stored + "\n", c.screenWidth,
                               c.screenHeight));
    RUNNING_EDITOR_START_OR_SKIP(editor);
    ASSERT_TRUE(GuiIs(editor, c.gui, c.scale)) << Size(editor.MainRect());
    EXPECT_TRUE(Stored(editor, c.stored)) << editor.SettingsText();
    const HeadlessEditor headless(c.scale);
    const Rect gui = editor.GuiRect(c.scale);
    ASSERT_EQ(Size(Rect{0, 0, headless.Width(), headless.Height()}), c.gui);
    // Every third pixel each way is plenty to see artwork out of place,
    // which moves most of the picture.
    size_t same = 0, all = 0;
    bool settled = RunningEditor::WaitUntil([&] {
      const std::vector<uint32_t> screen = editor.Grab(gui);
      if (screen.size() != static_cast<size_t>(gui.w) * gui.h) return false;
      same = all = 0;
      for (int y = 0; y < gui.h; y += 3)
        for (int x = 0; x < gui.w; x += 3, ++all)
          same += Near(screen[static_cast<size_t>(y) * gui.w + x], headless.Pixel(x, y));
      return same * 100 >= all * 98;
    });
    EXPECT_TRUE(settled) << same << " of " << all << " pixels alike";
    EXPECT_TRUE(editor.SavePicture(std::string("e2e-stored-scale-") + c.stored, gui));
    EXPECT_EQ(editor.Stop(SIGTERM), 0);
  }
}
}  // namespace
