// The keyboard input's hand-over under threads: its callback never waits
// for the editor, and what is played while the editor is busy reaches it
// afterwards, all of it and in order.
#include "core/MidiPorts.h"

#include "core/BASE_Mutex.h"
#include "core/IUnitBase.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace
{
using Bytes = std::vector<unsigned char>;

// A keyboard hook that takes the plug-in's mutex, as the editor's does, and
// tells when the first message is in its hands.
struct LockingKeyboardPlug : IUnitBase
{
  LockingKeyboardPlug() : IUnitBase(1, "0-1 0-2", 1, "t", "", "t", 1, 1, 1, 0, true, false, false, kAPIStandalone) {}
  void ProcessKeyboardMidiMsg(IMidiMsg* m) override
  {
    entered = true;
    BASE_MutexLock lock(GetMutex());
    keys.push_back({m->mStatus, m->mData1, m->mData2});
  }
  std::atomic<bool> entered{false};
  std::vector<Bytes> keys;
};
}  // namespace

// While the editor holds its mutex, the keyboard's callback never waits:
// what is played queues up (the message in the hook's hands holds one of
// the 8,192 places) and reaches the hook afterwards, all of it and in
// order; one past the queue's room is dropped and counted.
TEST(MidiPorts, KeyboardMessagesWaitForTheEditorsMutexInOrder)
{
  MidiPorts ports{MidiSettingsStore{}};
  LockingKeyboardPlug plug;
  ports.SetPlug(&plug);
  auto note = [](size_t i) { return Bytes{static_cast<unsigned char>(i % 2 ? 0x80 : 0x90), static_cast<unsigned char>(i / 2 % 128), 64}; };
  std::vector<Bytes> played;
  {
    BASE_MutexLock editor(plug.GetMutex());
    played.push_back(note(0));
    ports.DeliverFromKeyboard(played[0].data(), 3);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!plug.entered && std::chrono::steady_clock::now() < until) std::this_thread::yield();
    ASSERT_TRUE(plug.entered);
    for (size_t i = 1; i < 8192; ++i)
    {
      played.push_back(note(i));
      ports.DeliverFromKeyboard(played.back().data(), 3);
    }
    EXPECT_EQ(ports.KeyboardInputOverflows(), 0u);
    const Bytes extra = {0x90, 1, 1};
    ports.DeliverFromKeyboard(extra.data(), extra.size());
    EXPECT_EQ(ports.KeyboardInputOverflows(), 1u);
    EXPECT_TRUE(plug.keys.empty());
  }
  ASSERT_TRUE(ports.WaitUntilDelivered(60000));
  EXPECT_EQ(plug.keys, played);
  ports.CloseAll();
}

// The keyboard's queue, full while the editor holds its mutex, still takes
// the end of every note it let through: 2,048 notes sounding and 6,144
// controllers fill its 8,192 places; a controller more is lost, the 2,048
// note-offs (half of them note-ons of velocity 0) are not, a note-off for a
// note already ended is. The console hears of the two losses once.
TEST(MidiPorts, AFullKeyboardQueueKeepsTheNoteOffsOfTheNotesItTook)
{
  MidiPorts ports{MidiSettingsStore{}};
  LockingKeyboardPlug plug;
  ports.SetPlug(&plug);
  std::vector<Bytes> kept;
  const auto play = [&](const Bytes& message, bool keeps) {
    ports.DeliverFromKeyboard(message.data(), message.size());
    if (keeps) kept.push_back(message);
  };
  const auto note = [](int kind, int n, int velocity) {
    return Bytes{static_cast<unsigned char>(kind | n / 128), static_cast<unsigned char>(n % 128),
                 static_cast<unsigned char>(velocity)};
  };
  testing::internal::CaptureStderr();
  {
    BASE_MutexLock editor(plug.GetMutex());
    play(note(0x90, 0, 64), true);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!plug.entered && std::chrono::steady_clock::now() < until) std::this_thread::yield();
    ASSERT_TRUE(plug.entered);
    for (int n = 1; n < 2048; ++n) play(note(0x90, n, 64), true);
    for (int i = 0; i < 6144; ++i) play({0xB0, 0x07, static_cast<unsigned char>(i % 128)}, true);
    EXPECT_EQ(ports.KeyboardInputOverflows(), 0u);
    play({0xB0, 0x07, 0x00}, false);
    EXPECT_EQ(ports.KeyboardInputOverflows(), 1u);
    for (int n = 0; n < 2048; ++n) play(n % 2 ? note(0x80, n, 64) : note(0x90, n, 0), true);
    EXPECT_EQ(ports.KeyboardInputOverflows(), 1u);
    play(note(0x80, 0, 64), false);
    EXPECT_EQ(ports.KeyboardInputOverflows(), 2u);
  }
  const bool delivered = ports.WaitUntilDelivered(60000);
  const std::string console = testing::internal::GetCapturedStderr();
  ASSERT_TRUE(delivered);
  EXPECT_EQ(plug.keys, kept);
  EXPECT_EQ(console,
            "ZephraEditor: messages from the keyboard were lost, the editor could not take them as fast (2 in all)\n");
  ports.CloseAll();
}

// Preferences' Cancel puts the whole settings record back while both inputs
// deliver. The keyboard's messages on channel 2 pass either record's
// filter (any channel, channel 2), so every one arrives, in order.
TEST(MidiPorts, ChannelsPutBackWhileMessagesAreDelivered)
{
  MidiPorts ports{MidiSettingsStore{}};
  LockingKeyboardPlug plug;
  ports.SetPlug(&plug);
  const MidiPortSettings any = ports.State();
  MidiPortSettings second = any;
  second.mInChan = second.mInBChan = 2;
  std::atomic<bool> done{false};
  std::thread preferences([&] {
    for (int i = 0; !done; ++i) ports.State() = i % 2 ? any : second;
  });
  std::vector<Bytes> played;
  for (int i = 0; i < 4000; ++i)
  {
    played.push_back({0x91, static_cast<unsigned char>(i % 128), 64});
    ports.DeliverFromKeyboard(played.back().data(), 3);
    if (i % 4 == 0) ports.DeliverFromSynth(played.back().data(), 3);  // within the synth queue's 1,024
  }
  const bool delivered = ports.WaitUntilDelivered(60000);
  done = true;
  preferences.join();
  ASSERT_TRUE(delivered);
  EXPECT_EQ(plug.keys, played);
  ports.CloseAll();
}
