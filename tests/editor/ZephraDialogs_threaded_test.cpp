// A message box up on the timer thread must not hold up the MIDI threads,
// the idle hook must not wait for a thread that holds the mutex, and the
// synth's dumps go on being saved while a menu command's folder prompt is
// open: no prompt holds the plug-in mutex.
#include "ZephraTestEditor.h"

#include "support/TempDir.h"
#include "synth/ZephraManagerLink.h"
#include "tests/synth/support/ZephraTestPrograms.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

namespace {

using namespace std::chrono_literals;

// A message box or folder prompt that stays up until the test lets it go.
struct Blocker
{
  void Block()
  {
    shown.set_value();
    dismissed.wait();
  }
  std::promise<void> shown, dismiss;
  std::shared_future<void> dismissed = dismiss.get_future().share();
};
struct BlockingPanels : ZephraPanelLink, Blocker
{
  int ShowMessageBox(const char*, const char*, int) override { Block(); return 0; }
};
struct BlockingFolders : ZephraManagerLink, Blocker
{
  std::string ChooseDirectory(const std::string&) override { Block(); return {}; }
};

// Runs work on a thread of its own; true when it ended within 10 s, which
// it only can when it need not wait for the mutex.
bool EndsWhileBlocked(std::future<void>& work, std::promise<void>& unblock)
{
  const bool ended = work.wait_for(10s) == std::future_status::ready;
  unblock.set_value();
  work.wait();
  return ended;
}

}  // namespace

TEST(ZephraDialogs, MidiGoesOnWhileABoxIsUp)
{
  TempDir dir;
  TestEditor t(dir.Path());
  ZephraEditor& editor = *t.editor;
  auto owned = std::make_unique<BlockingPanels>();
  BlockingPanels& panels = *owned;
  editor.SetPanels(std::move(owned));

  editor.RequestProgramDump(7);
  // The third silent tick reports the missing synth in a box.
  std::thread timer([&] {
    for (int i = 0; i < 3; ++i) editor.OnTimerTick();
  });
  panels.shown.get_future().wait();
  t.TakeWire();
  auto delivered = std::async(std::launch::async, [&] {
    IMidiMsg note(0, 0x90, 60, 100);
    editor.ProcessKeyboardMidiMsg(&note);
  });
  EXPECT_TRUE(EndsWhileBlocked(delivered, panels.dismiss));
  timer.join();
  EXPECT_EQ(t.TakeWire(), (Bytes{0x90, 60, 100}));
}

TEST(ZephraDialogs, IdleHookSkipsAHeldMutex)
{
  TempDir dir;
  TestEditor t(dir.Path());
  ZephraEditor& editor = *t.editor;
  editor.RequestSingleProgram(7);
  t.TakeSent();

  std::promise<void> held, release;
  std::thread holder([&] {
    BASE_MutexLock busy(editor.GetMutex());
    held.set_value();
    release.get_future().wait();
  });
  held.get_future().wait();
  auto idle = std::async(std::launch::async, [&] { editor.OnIdle(); });
  EXPECT_TRUE(EndsWhileBlocked(idle, release));
  holder.join();
  EXPECT_TRUE(t.TakeSent().empty());
  editor.OnIdle();  // the request keeps for the next pass
  EXPECT_EQ(t.TakeSent().size(), 1u);
}

TEST(ZephraMenuPrompts, DumpIsSavedWhileAFolderPromptIsOpen)
{
  for (int index : {1, 5, 21, 24})
  {
    SCOPED_TRACE(index);
    TempDir dir, files;
    TestEditor t(dir.Path());
    ZephraEditor& editor = *t.editor;
    WriteWholeFile(files.File("01_A.pr3"), MarkerText(kDefaultValues));
    editor.ScanProgramFolder(files.File("01_A.pr3").c_str());
    auto owned = std::make_unique<BlockingFolders>();
    BlockingFolders& folders = *owned;
    editor.SetManagerLink(std::move(owned));
    editor.StartSaveAllFromSynth(false);
    editor.OnIdle();  // asks for location 1

    std::thread gui([&] { EXPECT_TRUE(editor.OnStandaloneMenuCommand(index)); });
    folders.shown.get_future().wait();
    auto delivered = std::async(std::launch::async, [&] {
      t.Receive(ProgramMessage(0x41, 1, kDefaultWire, "Warm Pad"));
    });
    EXPECT_TRUE(EndsWhileBlocked(delivered, folders.dismiss)) << "the dump waited for the prompt";
    gui.join();
    EXPECT_EQ(LineNumbers(ReadWholeFile(files.File("01_Warm Pad.pr3"))), Pr3Numbers(kDefaultValues));
  }
}
