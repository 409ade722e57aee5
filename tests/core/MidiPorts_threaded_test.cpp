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
