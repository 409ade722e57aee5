// The desktop surface's services that need no window: message boxes (each
// answered through the window layer's seam) and URLs.
#include "graphics/gtk/IGraphicsGtk.h"
#include "winl/WINL_MessageBox.h"

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

}  // namespace
