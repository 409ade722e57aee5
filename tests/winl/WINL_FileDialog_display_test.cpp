// The real save chooser on the display: choosing an existing file asks
// before replacing it, a "no" leaves the chooser open for another name, and
// the template dialog shows inside it.
#include "platform/gtk/PLAT_GtkChooser.h"
#include "platform/gtk/PLAT_GtkLoop.h"
#include "platform/gtk/PLAT_GtkTest.h"
#include "support/TempDir.h"
#include "winl/WINL_Dialog.h"
#include "winl/WINL_FileDialog.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
struct Script
{
  std::string existing;
  std::string fresh;
  std::string question;
  int step = 0;
  int ticks = 0;
  bool accessoryShown = false;
};

HWND gAccessory = nullptr;

LRESULT AccessoryProc(HWND h, UINT m, WPARAM, LPARAM)
{
  if (m == WM_INITDIALOG) gAccessory = h;
  return 0;
}

// Answers the replace question with "no".
bool AnswerQuestion(void* data)
{
  auto* s = static_cast<Script*>(data);
  s->question = PLAT_ChooserTestQuestion();
  if (s->question.empty()) return ++s->ticks < 500;
  PLAT_ChooserTestAnswerQuestion(false);
  return false;
}

bool Drive(void* data)
{
  auto* s = static_cast<Script*>(data);
  PLAT_ChooserTest* chooser = PLAT_ChooserTestCurrent();
  if (++s->ticks > 500)
  {
    // Watchdog: nobody waits for a person.
    PLAT_ChooserTestCancel(chooser);
    return false;
  }
  if (!chooser) return true;
  if (s->step == 0)
  {
    s->accessoryShown = IsWindow(gAccessory) && PLAT_GtkTestIsViewable(WINL_GetNativeView(gAccessory));
    s->step = 1;
    PLAT_LoopAddTimeout(20, AnswerQuestion, s);
    PLAT_ChooserTestAccept(chooser, s->existing.c_str());
    return true;
  }
  // The chooser looks the file up before it asks; wait for the answer.
  if (s->question.empty() || !PLAT_ChooserTestQuestion().empty()) return true;
  s->step = 2;
  PLAT_ChooserTestAccept(chooser, s->fresh.c_str());
  return false;
}

// A folder holding a program the save chooser will be asked to replace.
struct ExistingProgram
{
  TempDir dir;
  Script s;
  bool Prepare()
  {
    PLAT_GtkTestPrepare();
    WriteWholeFile(dir.File("lead.pr3"), "program");
    s.existing = dir.File("lead.pr3");
    return WINL_StartToolkit();
  }
};

// The template dialog shown inside the chooser, for as long as it lives.
struct AccessoryTemplate
{
  WINL_DialogResourceIndex options{reinterpret_cast<const char*>(uintptr_t{40050}), "Options", 12, nullptr, 200, 40,
                                   nullptr};
  WINL_DialogResourceIndex* saved = WINL_curmodule_dialogresource_head;
  AccessoryTemplate()
  {
    WINL_curmodule_dialogresource_head = &options;
    BrowseFile_SetTemplate(40050, AccessoryProc, 0);
  }
  ~AccessoryTemplate() { WINL_curmodule_dialogresource_head = saved; }
};

TEST(WinlFileDialogGtk, SaveChooserAsksBeforeReplacing)
{
  ExistingProgram folder;
  ASSERT_TRUE(folder.Prepare()) << "no display";
  TempDir& dir = folder.dir;
  Script& s = folder.s;
  s.fresh = dir.File("pad.pr3");
  const AccessoryTemplate accessory;
  PLAT_LoopAddTimeout(20, Drive, &s);
  char buffer[256];
  const bool chosen = BrowseForSaveFile("Save program", dir.Path().c_str(), "lead.pr3",
                                        "Programs\0*.pr3\0", buffer, sizeof buffer);
  EXPECT_NE(s.question.find("already exists"), std::string::npos) << s.question;
  EXPECT_EQ(s.step, 2);
  ASSERT_TRUE(chosen);
  EXPECT_EQ(std::string(buffer), s.fresh);
  EXPECT_EQ(ReadWholeFile(s.existing), "program");
  EXPECT_EQ(PLAT_ChooserTestCurrent(), nullptr);
  EXPECT_TRUE(s.accessoryShown);
  EXPECT_FALSE(IsWindow(gAccessory));
}

// The application ending while a chooser is open (and has asked whether to
// replace a file): both close as cancelled and the chooser's loop returns.
// The question runs inside the accepting source, so another source ends it.
bool EndWhenAsked(void* data)
{
  auto* s = static_cast<Script*>(data);
  s->question = PLAT_ChooserTestQuestion();
  if (s->question.empty()) return ++s->ticks < 500;
  PLAT_ChooserCancelRunning();
  return false;
}

bool AcceptThenEnd(void* data)
{
  auto* s = static_cast<Script*>(data);
  PLAT_ChooserTest* chooser = PLAT_ChooserTestCurrent();
  if (!chooser) return ++s->ticks < 500;
  s->step = 1;
  PLAT_LoopAddTimeout(20, EndWhenAsked, s);
  PLAT_ChooserTestAccept(chooser, s->existing.c_str());
  return false;
}

TEST(WinlFileDialogGtk, EndingApplicationCancelsTheOpenChooser)
{
  ExistingProgram folder;
  ASSERT_TRUE(folder.Prepare()) << "no display";
  TempDir& dir = folder.dir;
  Script& s = folder.s;
  PLAT_LoopAddTimeout(20, AcceptThenEnd, &s);
  char buffer[256] = "unchanged";
  const bool chosen = BrowseForSaveFile("Save program", dir.Path().c_str(), "lead.pr3", "Programs\0*.pr3\0", buffer,
                                        sizeof buffer);
  EXPECT_NE(s.question.find("already exists"), std::string::npos) << s.question;
  EXPECT_LT(s.ticks, 500);
  EXPECT_FALSE(chosen);
  EXPECT_EQ(ReadWholeFile(s.existing), "program");
  EXPECT_EQ(PLAT_ChooserTestCurrent(), nullptr);
  EXPECT_TRUE(PLAT_ChooserTestQuestion().empty());
}

bool CloseByEscape(void* data)
{
  auto* s = static_cast<Script*>(data);
  PLAT_ChooserTest* chooser = PLAT_ChooserTestCurrent();
  if (!chooser) return ++s->ticks < 500;
  s->accessoryShown = IsWindow(gAccessory) && PLAT_GtkTestIsViewable(WINL_GetNativeView(gAccessory));
  s->step = 1;
  PLAT_ChooserTestClose(chooser);
  return false;
}

// Escape (or the window's close button) cancels the chooser without the
// toolkit's warnings, which end a display test: the dialog used to destroy
// itself under the run, which then let go of a handler already gone with it
// (and of the accessory, destroyed with it, before its owner did).
TEST(WinlFileDialogGtk, EscapeCancelsTheChooserQuietly)
{
  ExistingProgram folder;
  ASSERT_TRUE(folder.Prepare()) << "no display";
  Script& s = folder.s;
  const AccessoryTemplate accessory;
  PLAT_LoopAddTimeout(20, CloseByEscape, &s);
  char buffer[256];
  const bool chosen = BrowseForSaveFile("Save program", folder.dir.Path().c_str(), "lead.pr3", "Programs\0*.pr3\0",
                                        buffer, sizeof buffer);
  EXPECT_EQ(s.step, 1);
  EXPECT_FALSE(chosen);
  EXPECT_EQ(PLAT_ChooserTestCurrent(), nullptr);
  EXPECT_TRUE(s.accessoryShown);
  EXPECT_FALSE(IsWindow(gAccessory));
}
}  // namespace
