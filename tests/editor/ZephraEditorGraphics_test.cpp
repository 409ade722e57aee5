// The editor's real GUI steps on the desktop surface, no window opened: the
// resize manager's limits and place, and the settings folder.
#include "editor/ZephraEditor.h"
#include "editor/ZephraEditorGraphics.h"
#include "graphics/controls/IPanelControl.h"
#include "graphics/gtk/IGraphicsGtk.h"
#include "graphics/resize/IUnitGUIResize.h"
#include "support/TempDir.h"

#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

namespace
{
// HOME pointed at a folder for the test's length.
struct HomeAt
{
  explicit HomeAt(const std::string& dir) : saved(std::getenv("HOME") ? std::getenv("HOME") : "")
  {
    setenv("HOME", dir.c_str(), 1);
  }
  ~HomeAt() { setenv("HOME", saved.c_str(), 1); }
  std::string saved;
};

int ModeOf(const std::string& path)
{
  struct stat st{};
  return stat(path.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 0777) : -1;
}
}  // namespace

TEST(ZephraEditorGraphics, RealStepsMakeTheDesktopSurfaceAndItsManager)
{
  IUnitGUIResize::ResetProcessStateForTest();
  TempDir home;
  HomeAt homeAt(home.Path());
  ZephraEditorSetup setup;
  setup.runTimer = false;
  setup.buildGui = ZephraDesktopGui([](ZephraEditor& editor, IGraphics& g) {
    g.AttachControl(new IPanelControl(&editor, IRECT(0, 0, 1140, 800), IColor(255, 10, 20, 30)));
    editor.AttachGraphics(&g);
  });
  uint16_t channel = 0;
  IUnitInstanceInfo info;
  info.mMidiOutChan = &channel;
  ZephraEditor editor(info, setup);

  auto* g = dynamic_cast<IGraphicsMac*>(editor.GetGUI());
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->Width(), 1140);
  EXPECT_EQ(g->Height(), 800);

  // The two edge handles and the manager close the list.
  auto* manager = dynamic_cast<IUnitGUIResize*>(editor.GetGUIResize());
  ASSERT_NE(manager, nullptr);
  const int n = g->NControls();
  ASSERT_EQ(n, 4);
  EXPECT_NE(dynamic_cast<VerticalResizing*>(g->GetControl(n - 3)), nullptr);
  EXPECT_NE(dynamic_cast<HorisontalResizing*>(g->GetControl(n - 2)), nullptr);
  EXPECT_EQ(g->GetControl(n - 1), manager);

  // Scale limits 50 % .. 200 %, each side one step in and out.
  struct Case { double asked, kept; } kScales[] = {
    {0.49, 0.5}, {0.5, 0.5}, {0.51, 0.51}, {1.99, 1.99}, {2.0, 2.0}, {2.01, 2.0}};
  for (const Case& c : kScales)
  {
    manager->SetGUIScaleRatio(c.asked);
    EXPECT_DOUBLE_EQ(manager->GetGUIScaleRatio(), c.kept) << c.asked;
  }

  // The scale lives in the editor's own settings file, in folders the
  // surface made for it, and a first start writes 1.0 there.
  const std::string support = home.Path() + "/Library/Application Support";
  EXPECT_EQ(std::string(manager->GetSettingsPath()), editor.SettingsPath());
  EXPECT_EQ(editor.SettingsPath(), support + "/ZephraEditor/settings.ini");
  EXPECT_EQ(ModeOf(home.Path() + "/Library"), 0700);
  EXPECT_EQ(ModeOf(support), 0700);
  EXPECT_NE(ReadWholeFile(editor.SettingsPath()).find("guiscale=1.000000000000000\n"), std::string::npos);
  IUnitGUIResize::ResetProcessStateForTest();
}
