// The editor started where no sound server runs, with a fresh home, as a
// new user who skipped the first step meets it: no message box, since no
// connection was ever lost; a server started afterwards is found, and only
// its going later is told as a loss. The console says once that the server
// went and once that it is back, however long it stays away.
#include "support/OwnJackServer.h"
#include "support/RunningEditor.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <dirent.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace
{
const char kGone[] = "ZephraEditor: the sound server has gone; the chosen MIDI ports open again when it is back";
const char kBack[] = "ZephraEditor: the sound server is back; the chosen MIDI ports are open again";
const char kLostBox[] = "The MIDI connection was lost. The chosen ports open again when the sound server returns.";

size_t Count(const std::string& text, const std::string& line)
{
  size_t n = 0;
  for (size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + line.size())) ++n;
  return n;
}

// The server's probes the editor of home has started so far: every probe
// seen running is added to seen.
void NoteProbes(const std::string& home, std::set<int>& seen)
{
  DIR* proc = opendir("/proc");
  if (!proc) return;
  while (dirent* entry = readdir(proc))
  {
    const int pid = std::atoi(entry->d_name);
    if (pid <= 0 || seen.count(pid)) continue;
    std::ifstream cmdline("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
    std::string program;
    std::getline(cmdline, program, '\0');
    if (program.find("zephra-jack-probe") == std::string::npos) continue;
    std::ifstream environ("/proc/" + std::to_string(pid) + "/environ", std::ios::binary);
    for (std::string entry; std::getline(environ, entry, '\0');)
      if (entry == "HOME=" + home) seen.insert(pid);
  }
  closedir(proc);
}

// Waits until the editor has asked whether the server answers count more
// times: it has looked for the server all that while.
bool AskedMoreTimes(RunningEditor& editor, int count)
{
  std::set<int> seen;
  NoteProbes(editor.Home(), seen);
  const size_t before = seen.size();
  return RunningEditor::WaitUntil([&] {
    NoteProbes(editor.Home(), seen);
    return seen.size() >= before + static_cast<size_t>(count);
  });
}
}  // namespace

TEST(NoSoundServerInTheEditor, NothingIsToldLostAndALaterServerIsFound)
{
  OwnJackServer server;
  server.Stop();
  TempDir console;
  RunningEditorSetup setup;
  setup.synth = false;
  setup.console = console.File("console.txt");
  RunningEditor editor(setup);
  std::string error;
  ASSERT_TRUE(editor.Start(error)) << error;
  // The editor looks for a server several times, and shows no box.
  ASSERT_TRUE(AskedMoreTimes(editor, 4));
  EXPECT_TRUE(editor.Alerts().empty());
  const std::string atStart = ReadWholeFile(setup.console);
  EXPECT_EQ(Count(atStart, kGone), 0u);
  // The probes themselves say nothing on the console.
  ASSERT_TRUE(AskedMoreTimes(editor, 4));
  EXPECT_EQ(ReadWholeFile(setup.console), atStart);

  ASSERT_TRUE(server.Start());
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return Count(ReadWholeFile(setup.console), kBack) == 1; }))
      << ReadWholeFile(setup.console);
  EXPECT_TRUE(editor.Alerts().empty());

  // A server that was there goes: said once on the console, and in a box,
  // however often the editor asks for it meanwhile.
  server.Stop();
  RunningEditor::Alert box;
  ASSERT_TRUE(editor.WaitForAlert(box));
  EXPECT_EQ(box.text, kLostBox);
  ASSERT_TRUE(AskedMoreTimes(editor, 6));
  const std::string whileAway = ReadWholeFile(setup.console);
  EXPECT_EQ(Count(whileAway, kGone), 1u);
  EXPECT_EQ(Count(whileAway, "Cannot connect to server"), Count(atStart, "Cannot connect to server"));
  ASSERT_TRUE(editor.Answer(box, 0));
  ASSERT_TRUE(server.Start());
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return Count(ReadWholeFile(setup.console), kBack) == 2; }))
      << ReadWholeFile(setup.console);
  EXPECT_EQ(Count(ReadWholeFile(setup.console), kGone), 1u);
  EXPECT_EQ(editor.Stop(SIGTERM), 0);
}
