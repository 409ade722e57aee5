// The View menu's radio marks in the running program, read from the open
// menu's pixels: the scale, panel and look in use are marked after the
// start, after a choice from the menu, after a corner drag and after a
// restart on the settings left behind. A scale that none of the items
// names marks no scale item.
#include "support/RunningEditor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
using Rect = RunningEditor::Rect;
using Marks = std::vector<int>;

// The View menu and its items as the pointer counts them (no separators):
// 0..7 the scales 70 % .. 200 %, 8 and 9 the panels, 10..12 the looks.
constexpr int kView = 2;
constexpr int k70 = 0, k80 = 1, k100 = 3, k110 = 4;
constexpr int kWholePanel = 8, kCompactPanel = 9;
constexpr int kSpace = 10, kSolid = 11, kLcd = 12;

std::string Show(const Marks& marks)
{
  std::string text;
  for (int m : marks) text += std::to_string(m) + " ";
  return text;
}

// The marks of the View menu, once they are the expected ones: a choice
// reaches the GUI from the loop a moment after its menu closed.
bool ViewMarksBecome(RunningEditor& editor, const Marks& expected, Marks* last)
{
  return RunningEditor::WaitUntil([&] { return (*last = editor.MarkedMenuItems(kView)) == expected; },
                                  RunningEditor::kBusyLimit);
}

#define EXPECT_VIEW_MARKS(editor, ...)                                         \
  do                                                                           \
  {                                                                            \
    Marks seen;                                                                \
    EXPECT_TRUE(ViewMarksBecome(editor, Marks{__VA_ARGS__}, &seen)) << Show(seen); \
  } while (0)

RunningEditorSetup WithSettings(const std::string& settings)
{
  RunningEditorSetup setup;
  setup.settings = settings;
  return setup;
}

bool Stored(const RunningEditor& editor, const std::string& line)
{
  return editor.SettingsText().find(line + "\n") != std::string::npos;
}

TEST(ViewMenuMarks, StartAndMenuChoicesMarkTheScalePanelAndLookInUse)
{
  RunningEditor editor(WithSettings("[gui]\nguiscale=1.0\nbackground=solid\n"));
  RUNNING_EDITOR_START_OR_SKIP(editor);
  EXPECT_VIEW_MARKS(editor, k100, kWholePanel, kSolid);
  editor.SavePicture("e2e-view-marks-start", editor.MainRect());

  ASSERT_TRUE(editor.ChooseMenu(kView, k110));
  ASSERT_TRUE(editor.ShowsScale(1.1)) << editor.SettingsText();
  EXPECT_VIEW_MARKS(editor, k110, kWholePanel, kSolid);

  ASSERT_TRUE(editor.ChooseMenu(kView, kCompactPanel));
  EXPECT_VIEW_MARKS(editor, k110, kCompactPanel, kSolid);

  ASSERT_TRUE(editor.ChooseMenu(kView, kSpace));
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return Stored(editor, "background=space"); })) << editor.SettingsText();
  EXPECT_VIEW_MARKS(editor, k110, kCompactPanel, kSpace);

  ASSERT_TRUE(editor.ChooseMenu(kView, kWholePanel));
  EXPECT_VIEW_MARKS(editor, k110, kWholePanel, kSpace);
  EXPECT_EQ(editor.Stop(SIGTERM), 0);
}

// A drag of the corner by (-285, -200) from scale 1.0 gives 0.748969..., no
// item's scale; the drag back to the GUI's point (1140, 800) gives 100 %.
TEST(ViewMenuMarks, ACornerDragToAScaleNoItemNamesMarksNoScale)
{
  RunningEditor editor(WithSettings("[gui]\nguiscale=1.0\nbackground=space\n"));
  RUNNING_EDITOR_START_OR_SKIP(editor);
  EXPECT_VIEW_MARKS(editor, k100, kWholePanel, kSpace);

  // The GUI fills the window below the menu bar: its corner is the window's.
  const Rect start = editor.MainRect();
  const int right = start.x + start.w - 1, bottom = start.y + start.h - 1;
  const int menuBar = start.h - 800;
  editor.Drag(right, bottom, right - 285, bottom - 200);
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return Stored(editor, "guiscale=0.748969072164948"); }))
    << editor.SettingsText();
  EXPECT_VIEW_MARKS(editor, kWholePanel, kSpace);

  const Rect small = editor.MainRect();
  editor.Drag(small.x + small.w - 1, small.y + small.h - 1, start.x + 1140, start.y + menuBar + 800);
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return Stored(editor, "guiscale=1.000000000000000"); }))
    << editor.SettingsText();
  EXPECT_VIEW_MARKS(editor, k100, kWholePanel, kSpace);
  EXPECT_EQ(editor.Stop(SIGTERM), 0);
}

// The LCD look comes only with a new start: until then the look shown,
// "space", stays marked; after the restart on the same settings the LCD
// look and the chosen scale are.
TEST(ViewMenuMarks, ARestartOnTheSettingsLeftMarksTheStoredScaleAndLook)
{
  std::string settings;
  {
    RunningEditor editor(WithSettings("[gui]\nguiscale=1.0\nbackground=space\n"));
    RUNNING_EDITOR_START_OR_SKIP(editor);
    ASSERT_TRUE(editor.ChooseMenu(kView, k80));
    ASSERT_TRUE(RunningEditor::WaitUntil([&] { return Stored(editor, "guiscale=0.800000000000000"); }))
      << editor.SettingsText();
    ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor.ChooseMenu(kView, kLcd); }));
    RunningEditor::Alert alert;
    ASSERT_TRUE(editor.WaitForAlert(alert));
    EXPECT_EQ(alert.title, "Warning");
    EXPECT_TRUE(editor.Answer(alert, 0));
    ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor.Alerts().empty() && editor.OtherWindows().empty(); }));
    EXPECT_TRUE(Stored(editor, "background=lcd")) << editor.SettingsText();
    EXPECT_VIEW_MARKS(editor, k80, kWholePanel, kSpace);
    EXPECT_EQ(editor.Stop(SIGTERM), 0);
    settings = editor.SettingsText();
  }
  RunningEditor editor(WithSettings(settings));
  RUNNING_EDITOR_START_OR_SKIP(editor);
  EXPECT_VIEW_MARKS(editor, k80, kWholePanel, kLcd);
  editor.SavePicture("e2e-view-marks-restart", editor.MainRect());
  EXPECT_EQ(editor.Stop(SIGTERM), 0);
}
// A scale chosen while the compact panel shows keeps it, marked, and so
// does a restart on the settings left: 1024 x 400 at 70 %.
TEST(ViewMenuMarks, AScaleChosenWhileCompactKeepsTheCompactPanelThroughARestart)
{
  std::string settings;
  for (int run = 0; run < 2; ++run)
  {
    RunningEditor editor(WithSettings(run ? settings : "[gui]\nguiscale=0.8\nbackground=space\n"));
    RUNNING_EDITOR_START_OR_SKIP(editor);
    if (run == 0)
    {
      ASSERT_TRUE(editor.ChooseMenu(kView, kCompactPanel));
      ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor.MainRect().w == 819; }));
      ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor.ChooseMenu(kView, k70); }));
    }
    EXPECT_TRUE(RunningEditor::WaitUntil([&] { return editor.MainRect().w == 716; })) << run;
    EXPECT_EQ(editor.MainRect().h, 280 + 25);  // and the menu bar
    EXPECT_VIEW_MARKS(editor, k70, kCompactPanel, kSpace);
    EXPECT_EQ(editor.Stop(SIGTERM), 0);
    settings = editor.SettingsText();
  }
}
}  // namespace
