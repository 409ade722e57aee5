// The desktop surface's services that need no window: message boxes (each
// answered through the window layer's seam), URLs, and its folders.
#include "graphics/mac/IGraphicsMac.h"
#include "support/TempDir.h"
#include "winl/WINL_MessageBox.h"

#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

namespace
{
TEST(IGraphicsMac, MessageBoxButtonsAndAnswers)
{
  struct Case
  {
    const char* name;
    int type;
    int pressed;  // button index, -1 Escape
    const char* buttons;
    int result;
  } kCases[] = {
      {"ok", 0, 0, "OK", 1},
      {"ok of ok/cancel", 1, 0, "OK|Cancel", 1},
      {"cancel of ok/cancel", 1, 1, "OK|Cancel", 7},
      {"escape of ok/cancel", 1, -1, "OK|Cancel", 7},
      {"yes of yes/no/cancel", 3, 0, "Yes|Cancel|No", 1},
      {"cancel of yes/no/cancel", 3, 1, "Yes|Cancel|No", 2},
      {"no of yes/no/cancel", 3, 2, "Yes|Cancel|No", 7},
      {"yes of yes/no", 4, 0, "Yes|No", 1},
      {"no of yes/no", 4, 1, "Yes|No", 7},
      {"type 2 shows ok only", 2, 0, "OK", 1},
      {"type 5 shows ok only", 5, 0, "OK", 1},
      {"a box that never showed", 4, 7, "Yes|No", 0},
  };
  IGraphicsMac gui(nullptr, 100, 100);
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    WINL_MessageBoxTestQueue(c.pressed);
    EXPECT_EQ(gui.ShowMessageBox("Text", "Caption", c.type), c.result);
    const std::vector<WINL_ShownMessageBox> shown = WINL_MessageBoxTestTake();
    ASSERT_EQ(shown.size(), 1u);
    std::string buttons;
    for (const std::string& b : shown[0].buttons) buttons += (buttons.empty() ? "" : "|") + b;
    EXPECT_EQ(buttons, c.buttons);
    EXPECT_EQ(shown[0].caption, "Caption");
  }
  WINL_MessageBoxTestEnd();
}

TEST(IGraphicsMac, NoURLOpensNothing)
{
  IGraphicsMac gui(nullptr, 100, 100);
  EXPECT_FALSE(gui.OpenURL(nullptr));
  EXPECT_FALSE(gui.OpenURL(""));
}

TEST(IGraphicsMac, FoldersOfTheUserAndTheProgram)
{
  TempDir home;
  const char* saved = std::getenv("HOME");
  const std::string savedHome = saved ? saved : "";
  setenv("HOME", home.Path().c_str(), 1);
  IGraphicsMac gui(nullptr, 100, 100);
  BASE_String path;
  gui.AppSupportPath(&path, false);
  EXPECT_EQ(std::string(path.Get()), home.Path() + "/Library/Application Support");
  struct stat st{};
  ASSERT_EQ(stat(path.Get(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  gui.DesktopPath(&path);
  EXPECT_EQ(std::string(path.Get()), home.Path() + "/Desktop");
  setenv("HOME", savedHome.c_str(), 1);

  gui.HostPath(&path);
  const std::string host = path.Get();
  EXPECT_EQ(host.substr(host.rfind('/')), "/graphics_tests");
  gui.PluginPath(&path);
  EXPECT_EQ(std::string(path.Get()), host.substr(0, host.rfind('/') + 1));

  // Without a window no chooser shows and nothing is chosen.
  BASE_String file("old.pr3"), dir("");
  gui.PromptForFile(&file, 1, &dir, "pr3");
  EXPECT_STREQ(file.Get(), "");
}
}  // namespace
