// The synth link through a musician's session, on the program itself: the
// session ending it (SIGTERM) while a message box from the timer or a file
// chooser is open still ends it at once with its state saved.
#include "support/RunningEditor.h"
#include "support/TempDir.h"
#include "tests/synth/support/ZephraTestPrograms.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>

namespace
{
using Clock = std::chrono::steady_clock;

// The File menu's items, separators not counted.
constexpr int kFileMenu = 0;
constexpr int kSelectDirectory = 0;
constexpr int kSaveAllFromZephra = 6;

// Starts the program; a reason to skip (no JACK server) or the failure
// comes back in skip.
bool Started(RunningEditor& editor, std::string& skip)
{
  std::string error;
  if (editor.Start(error)) return true;
  if (error.rfind("no JACK server", 0) == 0)
    skip = error;
  else
    ADD_FAILURE() << error;
  return false;
}

#define START_OR_SKIP(editor)                   \
  do                                            \
  {                                             \
    std::string skip;                           \
    if (!Started(editor, skip))                 \
    {                                           \
      if (!skip.empty()) GTEST_SKIP() << skip;  \
      return;                                   \
    }                                           \
  } while (false)

// A session with a program loaded from a folder of the user's, so that the
// end of the session has a last program to save.
struct Session
{
  TempDir programs;
  std::string program = programs.File("01_Init.pr3");
  RunningEditorSetup Setup()
  {
    WriteWholeFile(program, MarkerText(kDefaultValues));
    RunningEditorSetup setup;
    setup.settings = "[program]\nlastfile=" + program + "\n";
    return setup;
  }
};

// What the end of the session writes ("lastprogram.pr3" is removed first,
// so that only the quit can have made it), within two seconds of SIGTERM.
void ExpectEndsWithinTwoSecondsAndSaves(RunningEditor& editor)
{
  const std::string last = editor.SettingsFolder() + "lastprogram.pr3";
  std::filesystem::remove(last);
  const auto asked = Clock::now();
  EXPECT_EQ(editor.Stop(SIGTERM, 2.0), 0);
  EXPECT_LT(Clock::now() - asked, std::chrono::milliseconds(2100));
  // The program in use, in the program file's own layout.
  const std::string saved = ReadWholeFile(last);
  EXPECT_EQ(saved.substr(0, 51), " 243 \r\n 0    ; field:  0  poti:  0   ser.no.:  1 \r\n");
  EXPECT_NE(saved.find(" 42   ; field:  0  poti:  8   ser.no.:  9 \r\n"), std::string::npos);
  const std::string settings = editor.SettingsText();
  EXPECT_NE(settings.find("manager=false"), std::string::npos) << settings;
  EXPECT_NE(settings.find("outdev=" + editor.Synth().InputName()), std::string::npos) << settings;
}

TEST(SynthSession, EndedWithAFileChooserOpen)
{
  Session session;
  RunningEditor editor(session.Setup());
  START_OR_SKIP(editor);
  ASSERT_TRUE(editor.ChooseMenu(kFileMenu, kSelectDirectory));
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return !editor.OtherWindows().empty(); }, 10)) << "no chooser";
  ExpectEndsWithinTwoSecondsAndSaves(editor);
}

// The synth stays quiet: the timer's watch on the reply raises its box, and
// holds the editor's lock while the box is up.
TEST(SynthSession, EndedWithATimerMessageBoxOpen)
{
  Session session;
  RunningEditor editor(session.Setup());
  START_OR_SKIP(editor);
  editor.Synth().With([](SynthSimModel& m) { m.silent = true; });
  ASSERT_TRUE(editor.ChooseMenu(kFileMenu, kSaveAllFromZephra));
  // Its folder chooser first: cancelled, the programs go to the folder in use.
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return !editor.OtherWindows().empty(); }, 10)) << "no chooser";
  editor.Key("Escape");
  RunningEditor::Alert box;
  ASSERT_TRUE(editor.WaitForAlert(box, 30));
  ExpectEndsWithinTwoSecondsAndSaves(editor);
  EXPECT_TRUE(editor.Alerts().empty());
}
}  // namespace
