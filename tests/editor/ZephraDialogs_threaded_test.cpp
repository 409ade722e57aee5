// A message box up on the timer thread must not hold up the MIDI threads,
// and the idle hook must not wait for a thread that holds the mutex.
#include "ZephraTestEditor.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <thread>

namespace {

using namespace std::chrono_literals;

// A message box that stays up until the test lets it go.
struct BlockingPanels : ZephraPanelLink
{
  int ShowMessageBox(const char* /*text*/, const char* /*caption*/, int /*type*/) override
  {
    std::unique_lock<std::mutex> hold(lock);
    shown = true;
    changed.notify_all();
    changed.wait(hold, [this] { return dismissed; });
    return 0;
  }
  void WaitShown()
  {
    std::unique_lock<std::mutex> hold(lock);
    changed.wait(hold, [this] { return shown; });
  }
  void Dismiss()
  {
    std::lock_guard<std::mutex> hold(lock);
    dismissed = true;
    changed.notify_all();
  }
  std::mutex lock;
  std::condition_variable changed;
  bool shown = false, dismissed = false;
};

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
  panels.WaitShown();
  t.TakeWire();
  auto delivered = std::async(std::launch::async, [&] {
    IMidiMsg note(0, 0x90, 60, 100);
    editor.ProcessKeyboardMidiMsg(&note);
  });
  const bool passed = delivered.wait_for(10s) == std::future_status::ready;
  panels.Dismiss();
  timer.join();
  delivered.wait();
  EXPECT_TRUE(passed);
  EXPECT_EQ(t.TakeWire(), (Bytes{0x90, 60, 100}));
  EXPECT_FALSE(editor.AwaitingDump());
}

TEST(ZephraDialogs, IdleHookSkipsAHeldMutex)
{
  TempDir dir;
  TestEditor t(dir.Path());
  ZephraEditor& editor = *t.editor;
  editor.RequestSingleProgram(7);
  t.TakeSent();

  std::mutex lock;
  std::condition_variable changed;
  bool holding = false, done = false;
  std::thread holder([&] {
    BASE_MutexLock busy(editor.GetMutex());
    std::unique_lock<std::mutex> hold(lock);
    holding = true;
    changed.notify_all();
    changed.wait(hold, [&] { return done; });
  });
  {
    std::unique_lock<std::mutex> hold(lock);
    changed.wait(hold, [&] { return holding; });
  }
  auto idle = std::async(std::launch::async, [&] { editor.OnIdle(); });
  const bool returned = idle.wait_for(10s) == std::future_status::ready;
  {
    std::lock_guard<std::mutex> hold(lock);
    done = true;
    changed.notify_all();
  }
  holder.join();
  idle.wait();
  EXPECT_TRUE(returned);
  EXPECT_TRUE(t.TakeSent().empty());
  // The request keeps for the next pass.
  editor.OnIdle();
  EXPECT_EQ(t.TakeSent().size(), 1u);
}
