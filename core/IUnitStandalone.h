// IUnitStandalone: the plug-in base's wrapper for running as an application
// of its own. It answers the host-facing slots itself, sends the plug-in's
// MIDI output through the shell's RtMidiOut, and resizes the main window
// when the GUI changes size.
//
// Threads: SendMidiMsg and SendSysEx are called from the GUI thread, the
// MIDI input threads and the editor's timer thread, some with the plug-in
// mutex held and some without; they serialise on a lock of their own, so
// the output object never sees two sends at once. They never throw.
#pragma once

#include "core/BASE_String.h"
#include "core/IUnitBase.h"

#include <cstdint>
#include <mutex>

class RtMidiOut;

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
  // Sends the whole message as it is. False when there is no output object,
  // no data or the MIDI library reports an error.
  bool SendSysEx(const ISysEx* sysEx) override;
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
  RtMidiOut* GetMidiOut() const { return mMidiOut; }

private:
  // Sends bytes under mSendMutex; false when the MIDI library failed.
  bool Send(const uint8_t* bytes, size_t size);

  RtMidiOut* mMidiOut;
  uint16_t* mMidiOutChan;
  IStandaloneWindow* mMainWindow = nullptr;
  std::mutex mSendMutex;
};

// Creates the plug-in object for the shell: the editor, whose source defines
// this, since only it knows the editor class. The caller owns the result.
IUnitStandalone* MakePlug(RtMidiOut* midiOut, uint16_t* midiOutChannel);
