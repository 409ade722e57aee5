// The simulated synth's MIDI input and output, as two JACK clients opened
// through RtMidi.
//
// By default the sim finds the editor's ports by part of their name and
// connects to them: it sends into the port whose name contains sendTo (the
// editor's virtual input) and listens to the one whose name contains
// listenTo (the editor's virtual output). With openVirtual it opens ports of
// its own instead, "<client> Input:MIDI In" and "<client> Output:MIDI Out",
// and leaves the connecting to the other side.
#pragma once

#include "SynthSimModel.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

class RtMidiIn;
class RtMidiOut;

struct SimPortOptions
{
  std::string clientName = "Zephra Prime";
  std::string sendTo = "To ZephraEditor";
  std::string listenTo = "From ZephraEditor";
  bool openVirtual = false;
  // How long to wait for the editor's ports to appear.
  int connectTimeoutMs = 10000;
};

// True when a JACK server answers; the MIDI library must not be started
// without one.
bool SimJackServerAnswers();

class SynthSimPorts
{
public:
  // Called on the MIDI library's thread with each complete message (a SysEx
  // that arrived in pieces is already joined). Must not throw.
  using Receiver = std::function<void(const SimBytes&)>;

  SynthSimPorts();
  ~SynthSimPorts();
  SynthSimPorts(const SynthSimPorts&) = delete;
  SynthSimPorts& operator=(const SynthSimPorts&) = delete;

  // Opens and connects both ports; on failure says why in *error (Close
  // then takes down what was made).
  [[nodiscard]] bool Open(const SimPortOptions& options, Receiver receiver, std::string* error);
  // Sends one message; a large one goes out in paced pieces, because JACK
  // drops what exceeds its per-cycle MIDI buffer. One sending thread only.
  void Send(const SimBytes& message);
  // Stops the callbacks and closes both ports; Open may not be called again.
  void Close();

private:
  static void OnInput(double stamp, std::vector<unsigned char>* bytes, void* self);

  std::unique_ptr<RtMidiIn> mIn;
  std::mutex mOutMutex;  // guards mOut against the sending thread
  std::unique_ptr<RtMidiOut> mOut;
  Receiver mReceiver;  // set before the input exists, read only by it
  std::atomic<bool> mAccepting{false};
};
