// The desktop surface's services that need no window: message boxes (each
// answered through the window layer's seam), URLs, PNG resources and the
// system's version.
#include "graphics/gtk/IGraphicsGtk.h"
#include "graphics/IPopupMenu.h"
#include "raster/RAST_Bitmap.h"
#include "support/TempDir.h"
#include "tools/artgen/ArtPng.h"
#include "winl/WINL_MessageBox.h"

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

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

TEST(IGraphicsMac, NoURLOpensNothingAndSucceeds)
{
  IGraphicsMac gui(nullptr, 100, 100);
  EXPECT_TRUE(gui.OpenURL(nullptr));
  EXPECT_TRUE(gui.OpenURL(""));
}

// A missing document is an open that failed, so a caller can try another.
TEST(IGraphicsMac, AMissingDocumentDoesNotOpen)
{
  IGraphicsMac gui(nullptr, 100, 100);
  TempDir dir;
  EXPECT_FALSE(gui.OpenURL((dir.File("no such guide.pdf")).c_str()));
}

// What the popup menu shows: a title item one level in, numbered items
// after their number, "&" as itself.
TEST(IGraphicsMac, PopupItemTitles)
{
  IPopupMenu menu;
  menu.AddItemText("Bank A", -1, IPopupMenu::IPopupMenuItem::kTitle);
  menu.AddItemText("Pads & Strings");
  menu.AddItemText("off", -1, IPopupMenu::IPopupMenuItem::kDisabled | IPopupMenu::IPopupMenuItem::kTitle);
  menu.AddItemText("Lead", -1, IPopupMenu::IPopupMenuItem::kChecked);
  struct Case
  {
    int prefix;
    std::vector<std::string> titles;
  } kCases[] = {
      {0, {"    Bank A", "Pads && Strings", "    off", "Lead"}},
      {2, {"    01: Bank A", "02: Pads && Strings", "    03: off", "04: Lead"}},
  };
  for (const Case& c : kCases)
  {
    menu.SetPrefix(c.prefix);
    std::vector<std::string> titles;
    for (int i = 0; i < menu.GetNItems(); ++i) titles.push_back(IGraphicsMac::PopupItemTitle(&menu, i));
    EXPECT_EQ(titles, c.titles) << c.prefix;
  }
}

// A name ending in ".png" in any case finds the file "<stem>.png"; other
// extensions, and names of files that are not there, find nothing.
TEST(IGraphicsMac, PNGResourceWhateverTheCaseOfItsExtension)
{
  TempDir dir;
  setenv("ZEPHRA_RESOURCES_DIR", dir.Path().c_str(), 1);
  RAST_MemBitmap image(6, 4, 4);
  std::string error;
  ASSERT_TRUE(ArtWritePng(dir.File("knob.png"), &image, &error)) << error;
  ASSERT_TRUE(ArtWritePng(dir.File("other.PNG"), &image, &error)) << error;
  struct Case
  {
    const char* name;
    bool found;
  } kCases[] = {
      {"knob.png", true}, {"knob.PNG", true},   {"knob.Png", true},   {"knob.pNg", true},
      {"knob.pn", false}, {"knob.pngx", false}, {"knob.jpg", false},  {"knob", false},
      {".png", false},    {"gone.PNG", false},  {"other.PNG", false}, {"other.png", false},
  };
  IGraphicsMac gui(nullptr, 100, 100);
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    std::unique_ptr<RAST_IBitmap> bitmap(gui.OSLoadBitmap(0, c.name));
    ASSERT_EQ(bitmap != nullptr, c.found);
    int w = 0, h = 0;
    EXPECT_EQ(gui.OSPeekBitmapSize(0, c.name, &w, &h), c.found);
    if (!c.found) continue;
    EXPECT_EQ(bitmap->getWidth(), 6);
    EXPECT_EQ(bitmap->getHeight(), 4);
    EXPECT_EQ(w * 100 + h, 604);
  }
  unsetenv("ZEPHRA_RESOURCES_DIR");
}

TEST(IGraphicsMac, SystemVersionFromTheKernelRelease)
{
  struct Case
  {
    const char* release;
    int version;
  } kCases[] = {
      {"6.1.0-18-amd64", 0x610}, {"5.15.0", 0x5F0}, {"5.14.9", 0x5E9}, {"5.16.3", 0x5F3},
      {"4.9.337", 0x49F},        {"10.7", 0xA70},   {"6", 0x600},      {"6.1-rc2", 0x610},
      {"", 0},                   {"abc", 0},        {nullptr, 0},
  };
  for (const Case& c : kCases)
    EXPECT_EQ(IGraphicsMac::OSVersionOf(c.release), c.version) << (c.release ? c.release : "null");
  IGraphicsMac gui(nullptr, 100, 100);
  EXPECT_GE(gui.GetUserOSVersion(), 0x300);
}

}  // namespace
