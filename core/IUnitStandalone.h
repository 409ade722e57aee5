// IUnitStandalone: the plug-in base's wrapper for running as an application
// of its own. It answers the host-facing slots itself, sends the plug-in's
// MIDI output through the shell's RtMidiOut, and resizes the main window
// when the GUI changes size.
//
// Threads: SendMidiMsg and SendSysEx are called from the GUI thread, the
// MIDI input threads and the editor's timer thread, some with the plug-in
// mutex held and some without; they go through one PacedMidiOut, so the
// output object never sees two sends at once and the wire keeps the order
// of the calls. They never throw or stall on a large message, and hand
// nothing to the library while the output port is closed.
#pragma once

#include "core/BASE_String.h"
#include "core/IUnitBase.h"
#include "core/PacedMidiOut.h"

#include <cstdint>
#include <mutex>

class RtMidiOut;
class IGraphics;

// The bundle identifier by which the GUI finds its resources.
constexpr char kStandaloneBundleID[] = "com.brindleaudio.standalone.ZephraEditor.macOS";

// What the shell hands to the plug-in object at creation. Nothing is owned.
struct IUnitInstanceInfo
{
  BASE_String mBundleID;
  RtMidiOut* mMidiOut = nullptr;
  // The output-channel setting: 0 keeps each message's channel, 1..16 forces it.
  uint16_t* mMidiOutChan = nullptr;
};

// The main window as the wrapper needs it, supplied by the application
// shell. Rectangles are in screen pixels with y upward: {x, y, x + width,
// y + height}, so the window's top edge is at bottom.
class IStandaloneWindow
{
public:
  struct Rect
  {
    int left, top, right, bottom;
  };

  virtual ~IStandaloneWindow() = default;
  // False when the window has no frame to report.
  virtual bool GetWindowRect(Rect* rect) = 0;
  virtual void SetWindowPos(int x, int y, int width, int height) = 0;
  // A state the window's menu marks (a learn gesture) changed. Any thread;
  // the marks follow on the main thread.
  virtual void CommandStateChanged() {}
};

class IUnitStandalone : public IUnitBase
{
public:
  // Height of the title bar that the window adds above the GUI.
  static constexpr int kTitleBarHeight = 22;

  IUnitStandalone(const IUnitInstanceInfo& info, int nParams, const char* channelIO,
                  int nPresets, const char* effectName, const char* productName,
                  const char* mfrName, int vendorVersion, int uniqueID, int mfrID, int latency,
                  bool doesMIDI, bool doesChunks, bool isInstrument);
  ~IUnitStandalone() override;

  // Sends the message with its real length (see IMidiMsg::WireLength). A
  // non-zero output-channel setting replaces the channel of channel
  // messages (80-EF); system messages keep their status. False, and nothing
  // sent, when the plug-in does no MIDI, there is no output object, the
  // status byte cannot stand alone or the MIDI library reports an error.
  bool SendMidiMsg(const IMidiMsg* msg) override;
  // Sends the whole message as it is; one longer than a few kilobytes goes
  // out in paced pieces on a thread of its own, later messages behind it.
  // False when there is no output object, no data or the MIDI library
  // reports an error.
  bool SendSysEx(const ISysEx* sysEx) override;
  // SendMidiMsg and SendSysEx, saying whose message it is: what a musician
  // plays through the editor (a controller keyboard's messages, passed on)
  // goes as kPlayed, which the quit drops while it still waits for the
  // output (PacedMidiOut::DropPlayed) rather than wait for it.
  bool SendMidiMsgAs(const IMidiMsg* msg, PacedMidiOut::Traffic traffic);
  bool SendSysExAs(const ISysEx* sysEx, PacedMidiOut::Traffic traffic);
  // Fits the main window to the graphics: the graphics width, the graphics
  // height plus the title bar, the top-left corner kept. Then OnWindowResize.
  // Nothing happens while there is no graphics object.
  void ResizeGraphics(int width, int height) override;

  void BeginInformHostOfParamChange(int /*paramIndex*/) override {}
  void InformHostOfParamChange(int /*paramIndex*/, double /*normalized*/) override {}
  void EndInformHostOfParamChange(int /*paramIndex*/) override {}
  void InformHostOfProgramChange() override {}
  int GetSamplePos() override { return 0; }
  double GetTempo() override { return 120.0; }
  void GetTimeSig(int* /*numerator*/, int* /*denominator*/) override {}
  void GetTime() override {}

  // The bytes SendMidiMsg puts on the wire for msg under the output-channel
  // setting outChannel; returns their count, 0 when msg cannot be sent.
  static int MakeWireBytes(const IMidiMsg& msg, int outChannel, uint8_t bytes[3]);

  // The wrapper's audio entry: ProcessDoubleReplacing under the plug-in mutex.
  void LockMutexAndProcessDoubleReplacing(double** inputs, double** outputs, int frames);

  // The main window for ResizeGraphics (not owned; null detaches it).
  void SetMainWindow(IStandaloneWindow* window) { mMainWindow = window; }
  // Tells the main window, if any, that a state its menu marks changed.
  void TellCommandStateChanged()
  {
    if (mMainWindow) mMainWindow->CommandStateChanged();
  }
  RtMidiOut* GetMidiOut() const { return mMidiOut; }
  // The gate every message goes through: the shell closes it before the
  // output port closes and opens it once a port is open (MidiPorts).
  PacedMidiOut& MidiOutput() { return mOut; }
  // Keeps the caller's messages together on the wire until the lock goes:
  // keyboard pass-through on another thread waits for the end of the run.
  std::unique_lock<std::recursive_mutex> HoldMidiRun() { return mOut.HoldRun(); }

private:
  // Sends bytes through the order-keeping gate; false when the MIDI library
  // refused a message that went straight out.
  bool Send(const uint8_t* bytes, size_t size, PacedMidiOut::Traffic traffic);
  // Hands bytes to the MIDI library; the gate calls it one send at a time.
  bool WriteToLibrary(const uint8_t* bytes, size_t size);

  RtMidiOut* mMidiOut;
  uint16_t* mMidiOutChan;
  IStandaloneWindow* mMainWindow = nullptr;
  // After mMidiOut: it is built after it and gone (its last pieces sent)
  // before it.
  PacedMidiOut mOut{[this](const uint8_t* bytes, size_t size) { return WriteToLibrary(bytes, size); }};
};

// Creates the plug-in object for the shell: the editor, with its files in
// the shell's settings folder. The application shell defines this
// (core/shell), since only it sits above the editor. The caller owns the
// result.
IUnitStandalone* MakePlug(RtMidiOut* midiOut, uint16_t* midiOutChannel);
// A desktop graphics object for plug with the application's identifier.
// The editor builds its own graphics in its constructor, so the shell
// itself does not call this.
IGraphics* MakeGraphics(IUnitBase* plug, int width, int height, int fps);
