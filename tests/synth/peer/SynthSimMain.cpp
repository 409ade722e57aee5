// zephra_synth_sim: a stand-in Zephra Prime for the editor's end-to-end
// tests. It connects over JACK to the editor's ports "To ZephraEditor" and
// "From ZephraEditor", answers the editor the way the synth does, and takes
// text commands on standard input, one answer line each on standard output,
// so that a test can switch on faults and read back what the synth holds.
// It prints "ready" once its ports are connected and ends on "quit" (answer
// "bye") or at the end of its input.
//
//   silent on|off     ok    handle input but answer nothing
//   corrupt N         ok    the next N dumps carry a wrong checksum
//   short N           ok    the next N dumps are 115-byte short dumps
//   fail-write L      ok    writes to location L are answered "failed"
//   fail-firmware N   ok    the next N good firmware images: "failed"
//   edit, program L         the edit buffer or location L: the 184 values,
//                           " :" and the name
//   firmware                SIZE HEX, the image of the last good update
//   reset             ok    back to power-on
//
// With --probe it only tells by its exit status whether a JACK server
// answers. Exit status: 0 after quit or end of input, 2 for bad arguments,
// 3 when no JACK server answers, 4 when the ports cannot be opened.
#include "SynthSimModel.h"

#include <jack/jack.h>
#include <rtmidi/RtMidi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <deque>
#include <iostream>
#include <memory>
#include <mutex>
#include <sstream>
#include <thread>

namespace
{
constexpr int kExitUsage = 2, kExitNoServer = 3, kExitPorts = 4;
// Well below RtMidi's JACK ring buffer (16 KB) and JACK's per-cycle MIDI
// buffer; a pause of a little more than one cycle of the test servers.
constexpr size_t kPaceBytes = 4096;
constexpr auto kPacePause = std::chrono::milliseconds(3);
constexpr auto kConnectTimeout = std::chrono::seconds(10);

// The MIDI library's JACK back end is left half made without a server and
// crashes on the first port, so ask first.
bool JackServerAnswers()
{
  jack_status_t status{};
  jack_client_t* client = jack_client_open("zephra_synth_sim probe", JackNoStartServer, &status);
  if (client == nullptr) return false;
  jack_client_close(client);
  return true;
}

template <class Midi>
int FindPort(Midi& midi, const char* part)
{
  for (unsigned i = 0; i < midi.getPortCount(); ++i)
    if (midi.getPortName(i).find(part) != std::string::npos) return static_cast<int>(i);
  return -1;
}

std::string FormatProgram(const SimProgram& program)
{
  std::string text;
  for (int32_t v : program.values) text += std::to_string(v) + " ";
  return text + ":" + program.name;
}

// The synth proper: messages queue up on the MIDI thread and are handled in
// order on a worker of our own, so that the JACK thread never waits for a
// command that holds the model.
class SynthSim
{
public:
  ~SynthSim() { Stop(); }

  bool Open(std::string& error)
  {
    mWorker = std::thread([this] { Work(); });
    try
    {
      std::lock_guard<std::mutex> hold(mModelLock);  // the worker sends only once the output exists
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
        std::cerr << "zephra_synth_sim: MIDI: " << text << '\n';
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

  // One command line's answer.
  std::string Run(const std::string& line)
  {
    std::istringstream words(line);
    std::string name, word;
    words >> name >> word;
    long n = -1;
    std::istringstream(word) >> n;
    const bool location = n >= 1 && n <= SynthSimModel::kLocations;
    std::lock_guard<std::mutex> hold(mModelLock);
    SynthSimModel& m = mModel;
    if (name == "edit") return FormatProgram(m.edit);
    if (name == "program" && location) return FormatProgram(m.programs[n - 1]);
    if (name == "firmware")
    {
      std::string text = std::to_string(m.firmware.size()) + " ";
      for (uint8_t b : m.firmware) text += {"0123456789abcdef"[b >> 4], "0123456789abcdef"[b & 15]};
      return text;
    }
    if (name == "reset")
      m = SynthSimModel{};
    else if (name == "silent" && (word == "on" || word == "off"))
      m.silent = word == "on";
    else if (name == "corrupt" && n >= 0)
      m.corruptDumps = static_cast<int>(n);
    else if (name == "short" && n >= 0)
      m.shortDumps = static_cast<int>(n);
    else if (name == "fail-firmware" && n >= 0)
      m.failFirmware = static_cast<int>(n);
    else if (name == "fail-write" && location)
      m.failingLocations.insert(static_cast<int>(n));
    else
      return "error unknown command: " + line;
    return "ok";
  }

  void Stop()
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

private:
  static void OnInput(double, std::vector<unsigned char>* bytes, void* self)
  {
    auto* sim = static_cast<SynthSim*>(self);
    // The library hands the callback to its thread without a fence that a
    // race detector can see; this flag is that fence.
    if (bytes == nullptr || bytes->empty() || !sim->mAccepting.load(std::memory_order_acquire)) return;
    {
      std::lock_guard<std::mutex> hold(sim->mInboxLock);
      sim->mInbox.emplace_back(bytes->begin(), bytes->end());
    }
    sim->mInboxReady.notify_one();
  }

  void Work()
  {
    for (;;)
    {
      SimBytes message;
      {
        std::unique_lock<std::mutex> hold(mInboxLock);
        mInboxReady.wait(hold, [this] { return mStopping || !mInbox.empty(); });
        if (mInbox.empty()) return;
        message = std::move(mInbox.front());
        mInbox.pop_front();
      }
      std::lock_guard<std::mutex> hold(mModelLock);
      std::vector<SimBytes> answers;
      mModel.Receive(message, answers);
      // A large answer goes out in paced pieces, since JACK drops what
      // exceeds its per-cycle buffer; the receiver joins them again.
      for (const SimBytes& answer : answers)
        for (size_t at = 0; mOut && at < answer.size(); at += kPaceBytes)
        {
          if (at > 0) std::this_thread::sleep_for(kPacePause);
          mOut->sendMessage(answer.data() + at, std::min(kPaceBytes, answer.size() - at));
        }
    }
  }

  std::mutex mModelLock;
  SynthSimModel mModel;
  std::unique_ptr<RtMidiOut> mOut;
  std::mutex mInboxLock;
  std::condition_variable mInboxReady;
  std::deque<SimBytes> mInbox;
  bool mStopping = false;
  std::thread mWorker;
  std::atomic<bool> mAccepting{false};
  std::unique_ptr<RtMidiIn> mIn;  // last: its thread may call back as soon as it exists
};

void Answer(const std::string& line) { std::cout << line << '\n' << std::flush; }
}  // namespace

int main(int argc, char** argv)
{
  // A test that dies leaves us writing into a closed pipe; the end of our
  // input then ends us instead of the signal.
  std::signal(SIGPIPE, SIG_IGN);
  const bool probe = argc == 2 && std::strcmp(argv[1], "--probe") == 0;
  if (argc > 1 && !probe) return kExitUsage;
  if (!JackServerAnswers()) return kExitNoServer;
  if (probe) return 0;

  SynthSim sim;
  std::string error;
  if (!sim.Open(error))
  {
    Answer("error " + error);
    return kExitPorts;
  }
  Answer("ready");
  for (std::string line; std::getline(std::cin, line);)
  {
    if (line == "quit")
    {
      Answer("bye");
      break;
    }
    Answer(sim.Run(line));
  }
  sim.Stop();
  return 0;
}
