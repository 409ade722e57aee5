// The simulated Zephra Prime, the editor's peer in its end-to-end tests: two
// JACK clients of its own, connected to the editor's ports "To ZephraEditor"
// and "From ZephraEditor", answering the editor as the synth does
// (SynthSimModel). A second instance can play a controller keyboard instead:
// it only sends, from a port of its own that the test connects to the
// editor's keyboard input. Messages queue up on the MIDI thread and are handled in
// order on a worker thread of the sim's, so that the JACK thread never
// waits; the test reaches the model through With, under the worker's lock.
#pragma once

#include "SynthSimModel.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

class RtMidiIn;
class RtMidiOut;

class SynthSim
{
public:
  SynthSim();
  // Stops the worker and closes both clients.
  ~SynthSim();
  SynthSim(const SynthSim&) = delete;
  SynthSim& operator=(const SynthSim&) = delete;

  // True when a JACK server answers; the MIDI library's JACK back end must
  // not be started without one.
  static bool JackServerAnswers();
  // Opens both clients and connects them once the editor's ports appear;
  // false, with the reason in error, when that fails.
  [[nodiscard]] bool Open(std::string& error);
  // The keyboard: an output port kKeyboardPortName and no input; the test
  // connects the editor's keyboard input object to it.
  [[nodiscard]] bool OpenAsKeyboard(std::string& error);
  static constexpr const char* kKeyboardPortName = "Zephra Sim Keyboard";
  // The synth as a device already on the system before the editor starts:
  // ports of its own, kOwnInputName and kOwnOutputName, that the editor
  // opens by the names it stores (InputName and OutputName).
  [[nodiscard]] bool OpenOwnPorts(std::string& error);
  static constexpr const char* kOwnInputName = "Zephra Prime In";
  static constexpr const char* kOwnOutputName = "Zephra Prime Out";
  std::string InputName();
  std::string OutputName();

  // Sends bytes as they are from the sim's output; false when it is not
  // open or the MIDI library refuses them.
  bool SendRaw(const SimBytes& bytes);
  // The last n messages (at most kReceivedKept) the input took, oldest first.
  static constexpr size_t kReceivedKept = 64;
  std::vector<SimBytes> LastReceived(size_t n);

  // Takes its input and sends its answers at bytesPerSecond, as a synth on
  // a MIDI cable does (3,125 bytes/s): a message is handled only when its
  // last byte would have arrived, and each answer leaves after its own wire
  // time. 0 (the default): at once.
  void PaceLikeMidi(int bytesPerSecond) { mBytesPerSecond.store(bytesPerSecond, std::memory_order_relaxed); }
  // Sends each answer in pieces of at most bytes, as a synth behind a USB or
  // serial interface reaches the server: the interface hands over what has
  // crossed the cable so far, so a dump spreads over several of the
  // server's cycles, and another source on the same input can land between
  // its pieces. Each piece leaves after its wire time at the PaceLikeMidi
  // rate (31,250 baud when that is 0). 0 (the default): whole answers.
  void SendInPieces(size_t bytes) { mPieceBytes.store(bytes, std::memory_order_relaxed); }

  // Runs f on the model under its lock and returns what f returns.
  template <class F>
  auto With(F f)
  {
    std::lock_guard<std::mutex> hold(mModelLock);
    return f(mModel);
  }

private:
  static void OnInput(double stamp, std::vector<unsigned char>* bytes, void* self);
  void Work();
  // Worker: answer in pieces of at most piece bytes at rate bytes a second.
  void SendPieces(const SimBytes& answer, size_t piece, int rate);

  std::mutex mModelLock;  // also orders the worker's sends after the output exists
  SynthSimModel mModel;
  std::unique_ptr<RtMidiOut> mOut;
  std::mutex mInboxLock;
  std::condition_variable mInboxReady;
  std::deque<SimBytes> mInbox;
  std::deque<SimBytes> mReceived;  // under mInboxLock
  bool mStopping = false;
  std::thread mWorker;
  std::atomic<bool> mAccepting{false};
  std::atomic<int> mBytesPerSecond{0};
  std::atomic<size_t> mPieceBytes{0};
  std::chrono::steady_clock::time_point mInputWireFree;  // worker only
  std::unique_ptr<RtMidiIn> mIn;  // last: its thread may call back as soon as it exists
};
