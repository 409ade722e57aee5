#include "SynthSim.h"

#include "core/JackServerWatch.h"

#include <rtmidi/RtMidi.h>

#include <algorithm>
#include <chrono>
#include <iostream>

namespace
{
// Well below RtMidi's JACK ring buffer (16 KB) and JACK's per-cycle MIDI
// buffer; a pause of a little more than one cycle of the test servers.
constexpr size_t kPaceBytes = 4096;
constexpr auto kPacePause = std::chrono::milliseconds(3);
constexpr auto kConnectTimeout = std::chrono::seconds(10);
constexpr int kProbeLimitMs = 30000;
// A MIDI cable's rate: 31,250 baud, ten bits a byte.
constexpr int kMidiBytesPerSecond = 3125;

std::chrono::steady_clock::duration WireTime(size_t bytes, int bytesPerSecond)
{
  return std::chrono::duration_cast<std::chrono::steady_clock::duration>(
    std::chrono::duration<double>(static_cast<double>(bytes) / bytesPerSecond));
}

template <class Midi>
int FindPort(Midi& midi, const char* part)
{
  for (unsigned i = 0; i < midi.getPortCount(); ++i)
    if (midi.getPortName(i).find(part) != std::string::npos) return static_cast<int>(i);
  return -1;
}
}  // namespace

SynthSim::SynthSim() = default;

SynthSim::~SynthSim()
{
  {
    std::lock_guard<std::mutex> hold(mInboxLock);
    mStopping = true;
  }
  mInboxReady.notify_all();
  if (mWorker.joinable()) mWorker.join();
  mAccepting.store(false, std::memory_order_release);
  if (mIn) mIn->cancelCallback();
  mIn.reset();
  mOut.reset();
}

bool SynthSim::JackServerAnswers()
{
  // Asked by the editor's probe program, not by a client of this process:
  // closing one cancels its thread at any point, also while it holds the
  // JACK library's lock over a client that the editor opens at that moment,
  // and the sim's own clients would then wait for good. A server on two
  // cores busy with the editor and other work can take seconds to admit a
  // client, or refuse one: each probe gets kProbeLimitMs, and a refusal is
  // asked again for some seconds before the server counts as absent.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  for (;;)
  {
    if (JackServerWatch::ServerAnswers("zephra synth sim probe", kProbeLimitMs)) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

bool SynthSim::Open(std::string& error)
{
  if (!JackServerAnswers())
  {
    error = "no JACK server answers";
    return false;
  }
  mWorker = std::thread([this] { Work(); });
  try
  {
    std::lock_guard<std::mutex> hold(mModelLock);
    mIn = std::make_unique<RtMidiIn>(RtMidi::UNIX_JACK, "Zephra Prime Input");
    mOut = std::make_unique<RtMidiOut>(RtMidi::UNIX_JACK, "Zephra Prime Output");
    mIn->ignoreTypes(false, false, true);  // SysEx and clock matter, active sensing not
    mAccepting.store(true, std::memory_order_release);
    mIn->setCallback(&SynthSim::OnInput, this);
    const auto deadline = std::chrono::steady_clock::now() + kConnectTimeout;
    int in = -1, out = -1;
    while ((in = FindPort(*mIn, "From ZephraEditor")) < 0 || (out = FindPort(*mOut, "To ZephraEditor")) < 0)
    {
      if (std::chrono::steady_clock::now() > deadline)
      {
        error = "the editor's ports did not appear";
        return false;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    mIn->openPort(static_cast<unsigned>(in), "MIDI In");
    mOut->openPort(static_cast<unsigned>(out), "MIDI Out");
    // From here on errors are reported, not thrown on the library's threads.
    const RtMidiErrorCallback log = [](RtMidiError::Type, const std::string& text, void*) {
      std::cerr << "synth sim: MIDI: " << text << '\n';
    };
    mIn->setErrorCallback(log, nullptr);
    mOut->setErrorCallback(log, nullptr);
  }
  catch (const RtMidiError& e)
  {
    error = e.getMessage();
    return false;
  }
  return true;
}

bool SynthSim::OpenOwnPorts(std::string& error)
{
  if (!JackServerAnswers())
  {
    error = "no JACK server answers";
    return false;
  }
  mWorker = std::thread([this] { Work(); });
  try
  {
    std::lock_guard<std::mutex> hold(mModelLock);
    mIn = std::make_unique<RtMidiIn>(RtMidi::UNIX_JACK, "Zephra Prime Input");
    mOut = std::make_unique<RtMidiOut>(RtMidi::UNIX_JACK, "Zephra Prime Output");
    mIn->ignoreTypes(false, false, true);
    mAccepting.store(true, std::memory_order_release);
    mIn->setCallback(&SynthSim::OnInput, this);
    mIn->openVirtualPort(kOwnInputName);
    mOut->openVirtualPort(kOwnOutputName);
  }
  catch (const RtMidiError& e)
  {
    error = e.getMessage();
    return false;
  }
  return true;
}

// The sound server's full names, as the editor's port lists show them.
std::string SynthSim::InputName()
{
  std::lock_guard<std::mutex> hold(mModelLock);
  const int at = mOut ? FindPort(*mOut, kOwnInputName) : -1;
  return at < 0 ? "" : mOut->getPortName(static_cast<unsigned>(at));
}

std::string SynthSim::OutputName()
{
  std::lock_guard<std::mutex> hold(mModelLock);
  const int at = mIn ? FindPort(*mIn, kOwnOutputName) : -1;
  return at < 0 ? "" : mIn->getPortName(static_cast<unsigned>(at));
}

bool SynthSim::OpenAsKeyboard(std::string& error)
{
  if (!JackServerAnswers())
  {
    error = "no JACK server answers";
    return false;
  }
  try
  {
    std::lock_guard<std::mutex> hold(mModelLock);
    mOut = std::make_unique<RtMidiOut>(RtMidi::UNIX_JACK, "Zephra Sim Keyboard Client");
    mOut->openVirtualPort(kKeyboardPortName);
    mOut->setErrorCallback(
      [](RtMidiError::Type, const std::string& text, void*) { std::cerr << "keyboard sim: MIDI: " << text << '\n'; },
      nullptr);
  }
  catch (const RtMidiError& e)
  {
    error = e.getMessage();
    return false;
  }
  return true;
}

bool SynthSim::SendRaw(const SimBytes& bytes)
{
  std::lock_guard<std::mutex> hold(mModelLock);
  if (!mOut || bytes.empty()) return false;
  mOut->sendMessage(bytes.data(), bytes.size());
  return true;
}

std::vector<SimBytes> SynthSim::LastReceived(size_t n)
{
  std::lock_guard<std::mutex> hold(mInboxLock);
  n = std::min(n, mReceived.size());
  return std::vector<SimBytes>(mReceived.end() - static_cast<std::ptrdiff_t>(n), mReceived.end());
}

void SynthSim::OnInput(double, std::vector<unsigned char>* bytes, void* self)
{
  auto* sim = static_cast<SynthSim*>(self);
  // The library hands the callback to its thread without a fence that a
  // race detector can see; this flag is that fence.
  if (bytes == nullptr || bytes->empty() || !sim->mAccepting.load(std::memory_order_acquire)) return;
  {
    std::lock_guard<std::mutex> hold(sim->mInboxLock);
    sim->mInbox.emplace_back(bytes->begin(), bytes->end());
    sim->mReceived.emplace_back(bytes->begin(), bytes->end());
    if (sim->mReceived.size() > kReceivedKept) sim->mReceived.pop_front();
  }
  sim->mInboxReady.notify_one();
}

void SynthSim::Work()
{
  for (;;)
  {
    SimBytes message;
    {
      std::unique_lock<std::mutex> hold(mInboxLock);
      mInboxReady.wait(hold, [this] { return mStopping || !mInbox.empty(); });
      if (mStopping) return;
      message = std::move(mInbox.front());
      mInbox.pop_front();
    }
    const int rate = mBytesPerSecond.load(std::memory_order_relaxed);
    if (rate > 0)
    {
      // Back-to-back messages queue on the cable: each starts when the one
      // before has crossed, or when it was sent, whichever is later.
      mInputWireFree = std::max(mInputWireFree, std::chrono::steady_clock::now()) + WireTime(message.size(), rate);
      std::this_thread::sleep_until(mInputWireFree);
    }
    std::lock_guard<std::mutex> hold(mModelLock);
    std::vector<SimBytes> answers;
    mModel.Receive(message, answers);
    // A large answer goes out in paced pieces, since JACK drops what exceeds
    // its per-cycle buffer; the receiver joins them again.
    const size_t piece = mPieceBytes.load(std::memory_order_relaxed);
    for (const SimBytes& answer : answers)
    {
      if (piece > 0)
      {
        SendPieces(answer, piece, rate > 0 ? rate : kMidiBytesPerSecond);
        continue;
      }
      if (rate > 0) std::this_thread::sleep_for(WireTime(answer.size(), rate));
      for (size_t at = 0; mOut && at < answer.size(); at += kPaceBytes)
      {
        if (at > 0) std::this_thread::sleep_for(kPacePause);
        mOut->sendMessage(answer.data() + at, std::min(kPaceBytes, answer.size() - at));
      }
    }
  }
}

void SynthSim::SendPieces(const SimBytes& answer, size_t piece, int rate)
{
  // Each piece as the interface passes it on: once its last byte has crossed.
  auto due = std::chrono::steady_clock::now();
  for (size_t at = 0; mOut && at < answer.size(); at += piece)
  {
    const size_t size = std::min(piece, answer.size() - at);
    due += WireTime(size, rate);
    std::this_thread::sleep_until(due);
    mOut->sendMessage(answer.data() + at, size);
  }
}
