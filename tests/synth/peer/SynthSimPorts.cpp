#include "SynthSimPorts.h"

#include <jack/jack.h>
#include <rtmidi/RtMidi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

namespace
{
// Well below both RtMidi's JACK ring buffer (16 KB) and JACK's per-cycle
// MIDI buffer (about 32 KB).
constexpr size_t kPaceBytes = 4096;
// A little more than one cycle of the test servers (128 frames at 48 kHz).
constexpr auto kPacePause = std::chrono::milliseconds(3);
constexpr auto kPortPoll = std::chrono::milliseconds(20);

// Index of the first port whose name contains part, or -1.
template <class Midi>
int FindPort(Midi& midi, const std::string& part)
{
  const unsigned count = midi.getPortCount();
  for (unsigned i = 0; i < count; ++i)
    if (midi.getPortName(i).find(part) != std::string::npos) return static_cast<int>(i);
  return -1;
}

void LogMidiError(RtMidiError::Type, const std::string& text, void*)
{
  std::fprintf(stderr, "zephra_synth_sim: MIDI: %s\n", text.c_str());
}
} // namespace

bool SimJackServerAnswers()
{
  jack_status_t status{};
  jack_client_t* client = jack_client_open("zephra_synth_sim probe", JackNoStartServer, &status);
  if (client == nullptr) return false;
  jack_client_close(client);
  return true;
}

SynthSimPorts::SynthSimPorts() = default;

SynthSimPorts::~SynthSimPorts()
{
  Close();
}

bool SynthSimPorts::Open(const SimPortOptions& options, Receiver receiver, std::string* error)
{
  // Without a server the library's JACK back end is left half made and
  // crashes on the first port.
  if (!SimJackServerAnswers()) {
    *error = "no JACK server answers";
    return false;
  }
  mReceiver = std::move(receiver);
  try {
    // The owner's sending thread may already run; the lock orders it after
    // the output exists.
    std::lock_guard<std::mutex> lock(mOutMutex);
    mIn = std::make_unique<RtMidiIn>(RtMidi::UNIX_JACK, options.clientName + " Input");
    mOut = std::make_unique<RtMidiOut>(RtMidi::UNIX_JACK, options.clientName + " Output");
    // SysEx and clock matter to the protocol; active sensing does not.
    mIn->ignoreTypes(false, false, true);
    mAccepting.store(true, std::memory_order_release);
    mIn->setCallback(&SynthSimPorts::OnInput, this);

    if (options.openVirtual) {
      mIn->openVirtualPort("MIDI In");
      mOut->openVirtualPort("MIDI Out");
    } else {
      const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(options.connectTimeoutMs);
      int inPort = -1, outPort = -1;
      for (;;) {
        inPort = FindPort(*mIn, options.listenTo);
        outPort = FindPort(*mOut, options.sendTo);
        if (inPort >= 0 && outPort >= 0) break;
        if (std::chrono::steady_clock::now() >= deadline) {
          *error = inPort < 0 ? "no output port named like \"" + options.listenTo + "\""
                              : "no input port named like \"" + options.sendTo + "\"";
          return false;
        }
        std::this_thread::sleep_for(kPortPoll);
      }
      mIn->openPort(static_cast<unsigned>(inPort), "MIDI In");
      mOut->openPort(static_cast<unsigned>(outPort), "MIDI Out");
    }
    // From here on errors are reported, not thrown: they would otherwise
    // surface on the library's own threads.
    mIn->setErrorCallback(&LogMidiError, nullptr);
    mOut->setErrorCallback(&LogMidiError, nullptr);
  } catch (const RtMidiError& e) {
    *error = e.getMessage();
    return false;
  }
  return true;
}

void SynthSimPorts::Send(const SimBytes& message)
{
  std::lock_guard<std::mutex> lock(mOutMutex);
  if (!mOut) return;
  // The receiving side joins the pieces of a SysEx again.
  size_t sent = 0;
  while (sent < message.size()) {
    if (sent > 0) std::this_thread::sleep_for(kPacePause);
    const size_t piece = std::min(kPaceBytes, message.size() - sent);
    mOut->sendMessage(message.data() + sent, piece);
    sent += piece;
  }
}

void SynthSimPorts::Close()
{
  mAccepting.store(false, std::memory_order_release);
  if (mIn) {
    mIn->cancelCallback();
    mIn->closePort();
    mIn.reset();
  }
  std::lock_guard<std::mutex> lock(mOutMutex);
  if (mOut) {
    mOut->closePort();
    mOut.reset();
  }
}

void SynthSimPorts::OnInput(double, std::vector<unsigned char>* bytes, void* self)
{
  auto* ports = static_cast<SynthSimPorts*>(self);
  // The library hands the callback to its thread without a fence that a
  // race detector can see; this flag is that fence.
  if (bytes == nullptr || bytes->empty() || !ports->mAccepting.load(std::memory_order_acquire))
    return;
  try {
    ports->mReceiver(SimBytes(bytes->begin(), bytes->end()));
  } catch (...) {
    // Nothing may cross back into the library's thread; a lost message
    // shows in the counters.
  }
}
