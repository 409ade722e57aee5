// The program manager in the running program keeps its state through the
// View menu's commands: with the manager shown and DISK's folder panel
// open, a change of scale and back and the whole-panel command leave the
// manager shown and the panel open.
#include "support/RunningEditor.h"

#include "tests/synth/support/ZephraTestPrograms.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
using Rect = RunningEditor::Rect;

constexpr int kView = 2;
constexpr int k100 = 3, k110 = 4, k130 = 6, kWholePanel = 8;
// GUI points of the manager: DISK, and the folder panel's plate right of
// the two buttons it offers.
constexpr int kDiskX = 51, kDiskY = 47;
constexpr int kFolderPlateX = 298, kFolderPlateY = 40;
// The manager's NAME field, (880, 37) to (1100, 53) of the GUI, along its
// middle row at scale: the white of a text entry over it (0 unless it
// covers most of the row; the field's own plate is not quite white) and the
// dark of the text in either.
std::pair<int, int> WhiteAndDarkOfName(const RunningEditor& editor, double scale)
{
  const auto [l, y] = editor.GuiPoint(882, 45, scale);
  const int r = editor.GuiPoint(1098, 45, scale).first;
  int white = 0, dark = 0;
  for (uint32_t rgb : editor.Grab({l, y, r - l, 1}))
  {
    white += rgb == 0xFFFFFFu;
    dark += (rgb >> 16 & 0xFF) < 0x60 && (rgb >> 8 & 0xFF) < 0x60 && (rgb & 0xFF) < 0x60;
  }
  return {white * 2 > r - l ? white : 0, dark};
}

class ManagerLayout : public ::testing::TestWithParam<bool>
{
protected:
  TempDir programs;
};

TEST_P(ManagerLayout, ViewCommandsLeaveTheManagerAndItsFolderPanelShown)
{
  for (const char* name : {"01_Bass.pr3", "02_Lead.pr3", "03_Pad.pr3"})
    WriteWholeFile(programs.File(name), MarkerText(kDefaultValues));
  RunningEditorSetup setup;
  setup.windowManager = GetParam();
  setup.settings = "[gui]\nguiscale=1.0\nmanager=false\n[program]\nlastfile=" + programs.File("01_Bass.pr3") + "\n";
  RunningEditor editor(setup);
  RUNNING_EDITOR_START_OR_SKIP(editor);
  const auto pixel = [&](int gx, int gy) {
    const auto [x, y] = editor.GuiPoint(gx, gy);
    return editor.Pixel(x, y);
  };

  // The manager by its menu key.
  editor.FocusMain();
  const uint32_t hidden = pixel(kDiskX, kDiskY);
  editor.Key("ctrl+m");
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return pixel(kDiskX, kDiskY) != hidden; }));
  const uint32_t disk = pixel(kDiskX, kDiskY);
  // DISK: the folder panel.
  const uint32_t closed = pixel(kFolderPlateX, kFolderPlateY);
  editor.ClickGui(kDiskX, kDiskY);
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return pixel(kFolderPlateX, kFolderPlateY) != closed; }));
  const uint32_t open = pixel(kFolderPlateX, kFolderPlateY);
  (void)editor.SavePicture("e2e-manager-layout-before", editor.GuiRect());

  ASSERT_TRUE(editor.ChooseMenu(kView, k110));
  ASSERT_TRUE(editor.ShowsScale(1.1)) << editor.SettingsText();
  ASSERT_TRUE(editor.ChooseMenu(kView, k100));
  ASSERT_TRUE(editor.ShowsScale(1.0)) << editor.SettingsText();
  ASSERT_TRUE(editor.ChooseMenu(kView, kWholePanel));
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor.OtherWindows().empty(); }));
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor.GuiRect().w == editor.MainRect().w; }));
  // The menu closed over the panel: once the GUI is drawn again, as it was.
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return pixel(kFolderPlateX, kFolderPlateY) == open; }))
    << "the folder panel was closed";
  EXPECT_EQ(pixel(kDiskX, kDiskY), disk) << "the manager went";
  (void)editor.SavePicture("e2e-manager-layout-after", editor.GuiRect());
  EXPECT_EQ(editor.Stop(SIGTERM), 0);
}

// DISK's folder panel offers LOCAL (where DISK was) and the database; LOCAL
// opens a folder chooser, and the panel closes once the chooser is gone,
// chosen or cancelled alike: a cancelled chooser leaves no panel over the
// bank buttons.
TEST_P(ManagerLayout, ACancelledFolderChooserClosesTheFolderPanel)
{
  for (const char* name : {"01_Bass.pr3", "02_Lead.pr3"})
    WriteWholeFile(programs.File(name), MarkerText(kDefaultValues));
  RunningEditorSetup setup;
  setup.windowManager = GetParam();
  setup.settings = "[gui]\nguiscale=1.0\nmanager=false\n[program]\nlastfile=" + programs.File("01_Bass.pr3") + "\n";
  RunningEditor editor(setup);
  RUNNING_EDITOR_START_OR_SKIP(editor);
  const auto pixel = [&](int gx, int gy) {
    const auto [x, y] = editor.GuiPoint(gx, gy);
    return editor.Pixel(x, y);
  };
  editor.FocusMain();
  const uint32_t hidden = pixel(kDiskX, kDiskY);
  editor.Key("ctrl+m");
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return pixel(kDiskX, kDiskY) != hidden; }));
  const uint32_t closed = pixel(kFolderPlateX, kFolderPlateY);
  for (int round = 0; round < 2; ++round)
  {
    SCOPED_TRACE(round);
    editor.ClickGui(kDiskX, kDiskY);
    ASSERT_TRUE(RunningEditor::WaitUntil([&] { return pixel(kFolderPlateX, kFolderPlateY) != closed; }))
      << "no folder panel";
    // LOCAL: the chooser, cancelled.
    editor.ClickGui(kDiskX, kDiskY);
    ASSERT_TRUE(RunningEditor::WaitUntil([&] { return !editor.OtherWindows().empty(); })) << "no chooser";
    editor.Key("Escape");
    ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor.OtherWindows().empty(); }));
    EXPECT_TRUE(RunningEditor::WaitUntil([&] { return pixel(kFolderPlateX, kFolderPlateY) == closed; }))
      << "the folder panel stayed open";
  }
  (void)editor.SavePicture("e2e-manager-folder-panel-cancelled", editor.GuiRect());
  EXPECT_EQ(editor.Stop(SIGTERM), 0);
}

// The NAME entry open with a name typed in it goes with its field through
// View > 130 %, the name in it; Return writes the name into the field.
TEST_P(ManagerLayout, AnOpenNameEntryGoesWithItsFieldThroughAScaleChange)
{
  RunningEditorSetup setup;
  setup.windowManager = GetParam();
  setup.settings = "[gui]\nguiscale=1.0\nmanager=true\n";
  RunningEditor editor(setup);
  RUNNING_EDITOR_START_OR_SKIP(editor);
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor.MainRect().w == 1140; }));
  const int fieldInk = WhiteAndDarkOfName(editor, 1.0).second;
  editor.ClickGui(990, 45);
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return WhiteAndDarkOfName(editor, 1.0).first > 0; })) << "no entry";
  editor.Type("Bass7");
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return WhiteAndDarkOfName(editor, 1.0).second > 0; }));
  ASSERT_TRUE(editor.ChooseMenu(kView, k130));
  ASSERT_TRUE(editor.ShowsScale(1.3)) << editor.SettingsText();
  EXPECT_TRUE(RunningEditor::WaitUntil([&] {
    const auto [white, dark] = WhiteAndDarkOfName(editor, 1.3);
    return white > 0 && dark > 0;
  })) << "the entry is not over its field with the name";
  editor.Key("Return");
  EXPECT_TRUE(RunningEditor::WaitUntil([&] {
    const auto [white, dark] = WhiteAndDarkOfName(editor, 1.3);
    return white == 0 && dark > fieldInk;
  })) << "the name is not in the field";
  EXPECT_EQ(editor.Stop(SIGTERM), 0);
}

INSTANTIATE_TEST_SUITE_P(WindowManager, ManagerLayout, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "UnderAWindowManager" : "Bare";
                         });
}  // namespace
