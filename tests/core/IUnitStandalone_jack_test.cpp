// The standalone wrapper sending through a real RtMidi output over JACK,
// with an RtMidi input on the other end of the connection.
#include "core/IUnitStandalone.h"

#include <rtmidi/RtMidi.h>

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace
{
using Message = std::vector<uint8_t>;

constexpr auto kDeadline = std::chrono::seconds(30);
// Sent until it arrives, to know the connection carries data; never part
// of what a test sends.
const Message kProbe = {0xBF, 0x7F, 0x7F};

class Receiver
{
public:
  // Runs on the MIDI library's thread; nothing may escape it.
  static void OnMessage(double /*timeStamp*/, std::vector<unsigned char>* message,
                        void* user) noexcept
  {
    auto* self = static_cast<Receiver*>(user);
    try
    {
      std::lock_guard<std::mutex> lock(self->mMutex);
      if (*message == kProbe)
        self->mProbeSeen = true;
      else
        self->mMessages.emplace_back(message->begin(), message->end());
    }
    catch (...)
    {
      return;
    }
    self->mArrived.notify_all();
  }

  bool WaitForProbe()
  {
    std::unique_lock<std::mutex> lock(mMutex);
    return mArrived.wait_for(lock, std::chrono::milliseconds(20), [&] { return mProbeSeen; });
  }

  void Clear()
  {
    std::lock_guard<std::mutex> lock(mMutex);
    mMessages.clear();
  }

  // The first count messages, or fewer when the deadline passed first.
  std::vector<Message> WaitFor(size_t count)
  {
    std::unique_lock<std::mutex> lock(mMutex);
    mArrived.wait_for(lock, kDeadline, [&] { return mMessages.size() >= count; });
    return mMessages;
  }

private:
  std::mutex mMutex;
  std::condition_variable mArrived;
  std::vector<Message> mMessages;
  bool mProbeSeen = false;
};

class ErrorLog
{
public:
  static void OnError(RtMidiError::Type /*type*/, const std::string& text, void* user)
  {
    auto* self = static_cast<ErrorLog*>(user);
    std::lock_guard<std::mutex> lock(self->mMutex);
    self->mErrors.push_back(text);
  }
  std::vector<std::string> Errors()
  {
    std::lock_guard<std::mutex> lock(mMutex);
    return mErrors;
  }

private:
  std::mutex mMutex;
  std::vector<std::string> mErrors;
};

// One output and one input for the whole test program, connected once.
// They are never closed: closing a JACK client ends threads that the JACK
// library started inside its own calls, which ThreadSanitizer (told to
// ignore that library) reports as an error of its own.
struct JackLink
{
  ErrorLog mErrors;
  Receiver mReceiver;
  RtMidiOut* mOut = nullptr;
  RtMidiIn* mIn = nullptr;
  std::string mFailure;  // empty once the link carries data
  bool mNoServer = false;
};

JackLink* OpenJackLink()
{
  auto* link = new JackLink();
  const std::string suffix = std::to_string(getpid());
  const std::string outClient = "zephra-out-" + suffix;
  link->mOut = new RtMidiOut(RtMidi::UNIX_JACK, outClient);
  link->mOut->setErrorCallback(&ErrorLog::OnError, &link->mErrors);
  link->mOut->openVirtualPort("From ZephraEditor");
  if (!link->mErrors.Errors().empty())
  {
    link->mNoServer = true;
    link->mFailure = "no JACK server answers: " + link->mErrors.Errors().front();
    return link;
  }

  link->mIn = new RtMidiIn(RtMidi::UNIX_JACK, "zephra-in-" + suffix, 100);
  link->mIn->setErrorCallback(&ErrorLog::OnError, &link->mErrors);
  link->mIn->ignoreTypes(false, false, true);
  link->mIn->setCallback(&Receiver::OnMessage, &link->mReceiver);
  const std::string source = outClient + ":From ZephraEditor";
  const unsigned n = link->mIn->getPortCount();
  unsigned port = n;
  for (unsigned i = 0; i < n; ++i)
    if (link->mIn->getPortName(i) == source) port = i;
  if (port == n)
  {
    link->mFailure = "the output's virtual port is not listed";
    return link;
  }
  link->mIn->openPort(port, "RtMidi Input");

  // The server makes the connection; wait until it carries data.
  const auto deadline = std::chrono::steady_clock::now() + kDeadline;
  bool connected = false;
  while (!connected && std::chrono::steady_clock::now() < deadline)
  {
    link->mOut->sendMessage(kProbe.data(), kProbe.size());
    connected = link->mReceiver.WaitForProbe();
  }
  if (!connected)
    link->mFailure = "no data through the JACK connection";
  else if (!link->mErrors.Errors().empty())
    link->mFailure = link->mErrors.Errors().front();
  return link;
}

// One link for every test of the process, closed when they are done: a
// client left open when the process ends stalls the server's cycles until
// its time-out passes, which the next JACK test would wait out.
JackLink* gLink = nullptr;

class CloseJackLink : public ::testing::Environment
{
public:
  void TearDown() override
  {
    if (!gLink) return;
    if (gLink->mIn)
    {
      gLink->mIn->cancelCallback();
      delete gLink->mIn;
    }
    delete gLink->mOut;
    delete gLink;
    gLink = nullptr;
  }
};
const auto* const kCloseJackLink = ::testing::AddGlobalTestEnvironment(new CloseJackLink);

class IUnitStandaloneJack : public ::testing::Test
{
protected:
  void SetUp() override
  {
    if (!gLink) gLink = OpenJackLink();
    mLink = gLink;
    if (mLink->mNoServer && !getenv("CI")) GTEST_SKIP() << mLink->mFailure;
    ASSERT_TRUE(mLink->mFailure.empty()) << mLink->mFailure;
    mLink->mReceiver.Clear();
  }

  IUnitInstanceInfo Info(uint16_t* channel)
  {
    IUnitInstanceInfo info;
    info.mBundleID.Set(kStandaloneBundleID);
    info.mMidiOut = mLink->mOut;
    info.mMidiOutChan = channel;
    return info;
  }

  static std::unique_ptr<IUnitStandalone> MakeUnit(const IUnitInstanceInfo& info,
                                                   bool doesMIDI = true)
  {
    return std::make_unique<IUnitStandalone>(info, 342, "0-1 0-2", 1, "ZephraEditor", "",
                                             "brindleaudio", 0x30600, 0x5A706564, 0x42726941, 0,
                                             doesMIDI, false, false);
  }

  JackLink* mLink = nullptr;
};

TEST_F(IUnitStandaloneJack, SendsExactBytesInOrder)
{
  uint16_t channel = 0;
  std::unique_ptr<IUnitStandalone> unit = MakeUnit(Info(&channel));
  std::unique_ptr<IUnitStandalone> silent = MakeUnit(Info(&channel), false);

  IMidiMsg msg;
  msg.MakeControlChangeMsg(7, 0.5, 2);
  EXPECT_TRUE(unit->SendMidiMsg(&msg));
  msg.MakePitchWheelMsg(0.5);
  EXPECT_TRUE(unit->SendMidiMsg(&msg));
  const IMidiMsg program(0, 0xC3, 5, 99);
  EXPECT_TRUE(unit->SendMidiMsg(&program));
  const IMidiMsg clock(0, 0xF8, 0, 0);
  EXPECT_TRUE(unit->SendMidiMsg(&clock));
  const uint8_t dump[] = {0xF0, 0x00, 0x3E, 0x5A, 0x03, 0x01, 0x00, 0xF7};
  const ISysEx sysEx(0, dump, sizeof(dump));
  EXPECT_TRUE(unit->SendSysEx(&sysEx));
  EXPECT_FALSE(silent->SendMidiMsg(&program));  // a plug-in without MIDI sends nothing

  const IMidiMsg controller(0, 0xB5, 10, 20);
  channel = 1;
  EXPECT_TRUE(unit->SendMidiMsg(&controller));
  channel = 16;
  EXPECT_TRUE(unit->SendMidiMsg(&controller));
  EXPECT_TRUE(unit->SendMidiMsg(&clock));
  const IMidiMsg pressure(0, 0xD2, 33, 44);
  EXPECT_TRUE(unit->SendMidiMsg(&pressure));

  const std::vector<Message> expected = {
    {0xB2, 0x07, 0x3F},
    {0xE0, 0x00, 0x60},
    {0xC3, 0x05},
    {0xF8},
    {0xF0, 0x00, 0x3E, 0x5A, 0x03, 0x01, 0x00, 0xF7},
    {0xB0, 0x0A, 0x14},
    {0xBF, 0x0A, 0x14},
    {0xF8},
    {0xDF, 0x21},
  };
  EXPECT_EQ(mLink->mReceiver.WaitFor(expected.size()), expected);
  EXPECT_TRUE(mLink->mErrors.Errors().empty());
}

// Two threads share the output, as the keyboard pass-through and the GUI
// do: every message must arrive whole, each thread's in its own order.
TEST_F(IUnitStandaloneJack, SendsFromTwoThreadsArriveWhole)
{
  uint16_t channel = 0;
  std::unique_ptr<IUnitStandalone> unit = MakeUnit(Info(&channel));
  constexpr int kPerThread = 300;
  // JACK drops what does not fit into one cycle, so the senders keep at most
  // about kInFlight messages on the way.
  constexpr size_t kInFlight = 24;
  std::atomic<size_t> sent{0};
  auto sender = [&](int midiChannel) {
    for (int i = 0; i < kPerThread; ++i)
    {
      IMidiMsg note;
      note.MakeNoteOnMsg(i % 128, 1 + i / 128, 0, midiChannel);
      EXPECT_TRUE(unit->SendMidiMsg(&note));
      ++sent;
      if (i % 10 == 0)
      {
        const uint8_t data[] = {0xF0, 0x7D, static_cast<uint8_t>(midiChannel),
                                static_cast<uint8_t>(i / 10), 0x01, 0x02, 0x03, 0xF7};
        const ISysEx sysEx(0, data, sizeof(data));
        EXPECT_TRUE(unit->SendSysEx(&sysEx));
        ++sent;
      }
      const size_t total = sent.load();
      if (i % 16 == 15 && total > kInFlight && mLink->mReceiver.WaitFor(total - kInFlight).size() < total - kInFlight)
        return;  // lost on the way; the count below reports it
    }
  };
  std::thread a(sender, 0);
  std::thread b(sender, 1);
  a.join();
  b.join();

  const size_t total = 2 * (kPerThread + kPerThread / 10);
  const std::vector<Message> received = mLink->mReceiver.WaitFor(total);
  ASSERT_EQ(received.size(), total);
  int nextNote[2] = {0, 0};
  int nextDump[2] = {0, 0};
  for (const Message& m : received)
  {
    ASSERT_FALSE(m.empty());
    if (m[0] == 0xF0)
    {
      ASSERT_EQ(m.size(), 8u);
      const int c = m[2];
      ASSERT_LT(c, 2);
      EXPECT_EQ(m, Message({0xF0, 0x7D, static_cast<uint8_t>(c), static_cast<uint8_t>(nextDump[c]),
                            0x01, 0x02, 0x03, 0xF7}));
      ++nextDump[c];
      continue;
    }
    ASSERT_EQ(m.size(), 3u);
    const int c = m[0] & 0x0F;
    ASSERT_LT(c, 2);
    EXPECT_EQ(m, Message({static_cast<uint8_t>(0x90 | c), static_cast<uint8_t>(nextNote[c] % 128),
                          static_cast<uint8_t>(1 + nextNote[c] / 128)}));
    ++nextNote[c];
  }
  EXPECT_EQ(nextNote[0], kPerThread);
  EXPECT_EQ(nextNote[1], kPerThread);
  EXPECT_TRUE(mLink->mErrors.Errors().empty());
}
}  // namespace

// A firmware-sized SysEx is far beyond what JACK carries in one cycle; it
// must arrive whole, and a controller sent right after it must follow it.
TEST_F(IUnitStandaloneJack, FirmwareSizedSysExArrivesWholeBeforeWhatFollows)
{
  uint16_t channel = 0;
  std::unique_ptr<IUnitStandalone> unit = MakeUnit(Info(&channel));
  Message firmware(91441);
  for (size_t i = 0; i < firmware.size(); ++i) firmware[i] = static_cast<uint8_t>((i * 31) % 128);
  firmware.front() = 0xF0;
  firmware.back() = 0xF7;
  const ISysEx sysEx(0, firmware.data(), static_cast<int>(firmware.size()));
  EXPECT_TRUE(unit->SendSysEx(&sysEx));
  IMidiMsg cc;
  cc.MakeControlChangeMsg(7, 0.5, 0);
  EXPECT_TRUE(unit->SendMidiMsg(&cc));

  const std::vector<Message> received = mLink->mReceiver.WaitFor(2);
  ASSERT_EQ(received.size(), 2u);
  EXPECT_TRUE(received[0] == firmware) << "the SysEx arrived with " << received[0].size() << " bytes";
  EXPECT_EQ(received[1], Message({0xB0, 0x07, 0x3F}));
}
