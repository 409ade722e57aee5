// The real save chooser on the display: choosing an existing file asks
// before replacing it, and a "no" leaves the chooser open for another name.
#include "platform/gtk/PLAT_GtkChooser.h"
#include "platform/gtk/PLAT_GtkLoop.h"
#include "platform/gtk/PLAT_GtkTest.h"
#include "support/TempDir.h"
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
};

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

TEST(WinlFileDialogGtk, SaveChooserAsksBeforeReplacing)
{
  PLAT_GtkTestPrepare();
  ASSERT_TRUE(WINL_StartToolkit()) << "no display";
  TempDir dir;
  WriteWholeFile(dir.File("lead.pr3"), "program");
  Script s;
  s.existing = dir.File("lead.pr3");
  s.fresh = dir.File("pad.pr3");
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
}
}  // namespace
