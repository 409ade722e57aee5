// MidiPorts: the shell's three MIDI ports over RtMidi -- the synth input
// (replies and program dumps), the keyboard input (an optional controller
// keyboard) and the output to the synth -- with the port lists, the
// matching of stored port names, the virtual ports, and the two input
// callbacks that hand incoming messages to the plug-in.
//
// The MIDI objects are made for ALSA; where the machine has no ALSA
// sequencer the library throws, and they are made for JACK instead.
//
// Threads: everything but the callbacks runs on the main thread, except
// the making of the MIDI objects, which StartMidi leaves to a thread of its
// own until FinishMidi (or, for the output, WaitForOutput). The callbacks
// run on the library's input threads (on JACK, the readers' own, inside
// the server's cycle) and never wait for the plug-in:
//   - the synth input's callback cleans what arrives into whole messages
//     (MidiInputCleaner) and copies them into a bounded queue
//     (MidiInputQueue); a delivery thread of the ports' own works through
//     the queue and hands each message to the plug-in under its mutex. A
//     reply that comes while the timer holds the mutex (a message box is
//     open) waits in the queue instead of being lost;
//   - the keyboard input's callback does the same with a queue of its own,
//     large enough for the notes of seconds of playing, and a delivery
//     thread of its own hands each message to the plug-in's keyboard hook
//     (which takes the plug-in's mutex where it needs it). Notes played
//     while the editor holds its mutex reach the synth after it, all of
//     them and in order, and the server's cycle never waits for the editor.
//     Long work (files written to a slow disk) is done without the mutex.
// The output gate (SetOutputGate) is closed before the output port closes,
// so nothing is handed to a closed port. Before the plug-in is deleted,
// call CloseAll (queued output cancelled, delivery stopped, ports closed).
//
// On JACK the two inputs are read straight off the server (JackMidiInput),
// one client of the editor's own each, in place of the library's inputs:
// the library's JACK input would glue everything after an unfinished SysEx
// onto it.
//
// On JACK the ports keep a watch on the server (JackServerWatch): the gate
// meters what it hands to the library by the server's cycles, and
// CheckServer, called now and then on the main thread, notices the server
// going (the gate closes and the dead objects are put aside) and coming back (new objects, and the chosen ports reopened by
// name). A stored port name that matches no port now is kept, so the port
// opens when it appears (CheckServer looks for it too). A chosen port that
// leaves a server that stays (its device switched off or unplugged) counts
// as closed from then on, and opens again by its name when it is back.
#pragma once

#include "core/IMidiMsg.h"
#include "core/JackMidiInput.h"
#include "core/JackServerWatch.h"
#include "core/MidiInputCleaner.h"
#include "core/MidiInputQueue.h"
#include "core/NoteOffReserve.h"

#include <rtmidi/RtMidi.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class IUnitBase;
class PacedMidiOut;

// The thread that makes the MIDI objects, as the ports know it: once given
// up, it leaves what it makes unused.
struct MakerTicket
{
  std::mutex lock;
  bool abandoned = false;
  std::atomic<bool> done{false};  // the thread's work, the watch too, is done
};

// An input's channel setting, which that input's delivery thread reads for
// every message while the main thread may assign the whole settings record
// (Preferences' Cancel puts back the record of its start): copied, assigned
// and read like a number, each access atomic.
class MidiChannelSetting
{
public:
  MidiChannelSetting(uint16_t channel = 0) : mChannel(channel) {}
  MidiChannelSetting(const MidiChannelSetting& other) : mChannel(static_cast<uint16_t>(other)) {}
  MidiChannelSetting& operator=(const MidiChannelSetting& other) { return *this = static_cast<uint16_t>(other); }
  MidiChannelSetting& operator=(uint16_t channel)
  {
    mChannel.store(channel, std::memory_order_relaxed);
    return *this;
  }
  operator uint16_t() const { return mChannel.load(std::memory_order_relaxed); }

private:
  std::atomic<uint16_t> mChannel;
};

// The MIDI part of the shell's settings record: device names and channels
// (0 = all, 1..16 = only that one). Names are kept whole: a port name of
// the sound server may be far longer than a fixed field, and a cut name
// would match no port at the next start.
struct MidiPortSettings
{
  std::string mInDev = "off";
  std::string mInBDev = "off";
  std::string mOutDev = "off";
  MidiChannelSetting mInChan = 0;
  MidiChannelSetting mInBChan = 0;
  uint16_t mOutChan = 0;
};

// True when the three names (exact comparison) and the three channels agree.
bool MIDISettingsInStateAreEqual(const MidiPortSettings& a, const MidiPortSettings& b);

// Where the names live: the shell hands functions over "settings.ini".
struct MidiSettingsStore
{
  // The value of [midi] key, or fallback when there is none.
  std::function<std::string(const char* key, const char* fallback)> read;
  // Writes [midi] key = value; false when it could not be saved.
  std::function<bool(const char* key, const char* value)> write;
};

class MidiPorts
{
public:
  static constexpr const char* kVirtualInputName = "To ZephraEditor";
  static constexpr const char* kVirtualOutputName = "From ZephraEditor";
  static constexpr const char* kInputClientName = "RtMidi Input Client";
  static constexpr const char* kOutputClientName = "RtMidi Output Client";
  static constexpr unsigned kInputQueueLimit = 100;
  // CloseAll lets queued output (a firmware image takes about half a second
  // on a quiet machine, several on a busy one) finish before the ports
  // close, for as long as it moves: it gives up once the output has taken
  // nothing for this long.
  static constexpr int kQuitStallMs = 1500;
  // How long CloseAll waits for the sound server to answer the closing of
  // the ports (and for StartMidi's thread to be done with it). A server that
  // is alive but does not answer (stopped) is given up after it: its objects
  // are put aside unclosed, so the editor still ends and saves.
  static constexpr int kServerWaitMs = 2000;
  // A lost server that answers again is used once it has answered for this
  // long (CheckServer).
  static constexpr int kServerSettleMs = 500;
  // How long the objects on a server just back are waited for at most while
  // the server's cycles run (CheckServer); the main thread waits with them.
  static constexpr int kSlowMakingMs = 15000;

  explicit MidiPorts(MidiSettingsStore store);
  // Cancels the callbacks and closes the ports before the objects go.
  ~MidiPorts();
  MidiPorts(const MidiPorts&) = delete;
  MidiPorts& operator=(const MidiPorts&) = delete;

  // Reads [midi] "indev", "inBdev" and "outdev" into the settings record.
  void ReadSettings();
  // Writes the three names from the settings record; false when one of
  // them could not be saved.
  bool UpdateINI();

  // Creates the output, then the synth input, for ALSA or (when the
  // library finds no ALSA sequencer) for JACK; api other than UNSPECIFIED
  // forces one. An object the library refuses stays null and the result is
  // false; the ones made before it stay. On success the synth input has its
  // callback and passes SysEx and timing but not active sensing. The
  // keyboard input is made the same way once a port is chosen for it: a
  // musician without a controller keyboard has no client of it that the
  // sound server wakes every cycle.
  bool InitialiseMidi(RtMidi::Api api = RtMidi::UNSPECIFIED);
  // InitialiseMidi in two halves: StartMidi starts making the objects on a
  // thread of its own and returns at once, FinishMidi waits for them and
  // gives InitialiseMidi's result. In between only ChooseMidiOutput (it
  // waits for the output) may be used, and MidiOut after WaitForOutput.
  // The server's watch is made last: FinishMidi(false) leaves it to the
  // thread, and until SettleWatch (or CheckServer) finds it made, the
  // output goes unmetered.
  void StartMidi(RtMidi::Api api = RtMidi::UNSPECIFIED);
  bool FinishMidi(bool watchToo = true);
  // True once StartMidi's thread has ended and the output's metering is
  // fitted to the watch it made; false while the watch is still being made.
  // A keyboard port chosen before then opens now.
  bool SettleWatch();
  // Waits until the output of the last StartMidi is made (or refused); a
  // server that keeps the making waiting past kServerWaitMs is given up
  // (AbandonMaker), and the start goes on without MIDI.
  void WaitForOutput();
  // Fills the two name lists once: "off", the virtual port, then the
  // ports of the synth input and of the output in port order.
  void ProbeMidiIO();

  // Whether a port is one of the editor's own. Offered or opened for
  // another of its roles, the editor's own output would feed its messages
  // back into it for ever. On JACK the port's client is one of the clients
  // the editor made, by the name the server gave it: its inputs' clients,
  // and its output's, found by the port the output opened (see
  // OwnOutputClients). Another program whose clients carry the same names
  // ("RtMidi Output Client-02") is listed as any other. Elsewhere the
  // client is one of the editor's client names (IsOwnClientName).
  bool IsOwnPort(const std::string& name) const;
  // A client of the editor's name, or one the sound server made unique
  // from it with "-" and digits ("RtMidi Input Client-01").
  static bool IsOwnClientName(const std::string& name);
  // Choice numbers: 0 "off", 1 the virtual port, 2 + i port i whose name
  // equals name exactly, -1 when nothing matches or the port is one of the
  // editor's own.
  int GetMIDIInPortNumber(const char* name) const;
  int GetMIDIInBPortNumber(const char* name) const;
  int GetMIDIOutPortNumber(const char* name) const;

  // Opens the port chosen by name in place of the current one. A name that
  // matches no port now closes the port but stays the stored choice, so it
  // opens once the port appears. False when the object is missing, the name
  // matches nothing or the library refused the port.
  bool ChooseMidiInput(const char* name);
  bool ChooseMidiInputB(const char* name);
  bool ChooseMidiOutput(const char* name);
  // Opens the three stored choices again, even those already open (the
  // device behind a name may have gone and come back).
  void ReopenChosen();

  // What CheckServer found.
  enum class ServerEvent
  {
    kNone,
    kLost,      // the server went away: the output is closed
    kReturned,  // it is back: the chosen ports are open again
  };
  // On JACK: notices the server's loss and return, notices chosen ports
  // that left the server (or came back so quickly that only their
  // connection to ours is gone), and opens chosen ports that have appeared
  // since. Main thread; cheap enough for a few times a second. kNone on
  // other systems.
  ServerEvent CheckServer();
  bool ServerLost() const { return mServerLost; }
  // True when the chosen port of each kind is open ("off" counts as open).
  bool ChosenPortsOpen() const;
  // Runs on the making thread before each making of the objects: lets a
  // test make the making as slow as a very busy machine does.
  // afterWatch: on a server's return, once the server's watch is open.
  void SetMakingHook(std::function<void()> hook, bool afterWatch = false)
  {
    mMakingHook = std::move(hook);
    mMakingHookAfterWatch = afterWatch;
  }
  // Runs on the making thread at the start, after the output and the synth input
  // and just before the server's watch, which comes last there.
  void SetStartWatchHook(std::function<void()> hook) { mStartWatchHook = std::move(hook); }
  // True when the output and the synth input are both open on a port (not
  // "off"): the synth can be reached and can answer.
  bool SynthLinkOpen() const;

  // The plug-in that the callbacks feed; null stops the delivery. Starts
  // the delivery thread the first time.
  void SetPlug(IUnitBase* plug);
  // The plug-in's output gate (IUnitStandalone::MidiOutput), closed while
  // no output port is open; null detaches it. Takes the gate to the
  // output's present state.
  void SetOutputGate(PacedMidiOut* gate);
  // Drops the keyboard's messages still queued for the output, lets the
  // rest finish (while it moves, see kQuitStallMs), closes the output gate
  // (what is still queued is dropped), stops delivery,
  // cancels both callbacks and closes the three ports; the objects stay.
  // After it returns no callback or delivery runs into the plug-in. On JACK
  // it waits at most kServerWaitMs for the server; a server that does not
  // answer by then counts as lost (ServerLost) and its objects are gone.
  void CloseAll();
  // True while an output port (virtual or real) is open.
  bool OutputOpen() const { return mOutputOpen; }
  // Messages dropped because the input's queue was full. The console hears
  // of them once for each time the queue overflowed (from the first loss
  // until the queue has run empty), as the delivery thread comes to them.
  size_t SynthInputOverflows() const { return mSynthInput.queue.Overflows(); }
  size_t KeyboardInputOverflows() const { return mKeyboardInput.queue.Overflows(); }
  // Keyboard messages the keyboard's queue holds: at a thousand a second,
  // some seconds of playing. Past them it has room for the note-offs of the
  // notes it took (NoteOffReserve), which are never lost.
  static constexpr size_t kKeyboardQueueCapacity = 8192;

  MidiPortSettings& State() { return mState; }
  const std::vector<std::string>& InputNames() const { return mInputNames; }
  const std::vector<std::string>& OutputNames() const { return mOutputNames; }
  // The library's inputs, on systems other than JACK.
  RtMidiIn* MidiIn() const { return mMidiIn.get(); }
  // Null until a port is chosen for the keyboard.
  RtMidiIn* KeyboardMidiIn() const { return mKeyboardMidiIn.get(); }
  // The synth input is there to be opened (the library's or, on JACK, the
  // reader); the keyboard input once a port has been chosen for it.
  bool SynthInputMade() const { return mMidiIn || mSynthReader; }
  bool KeyboardInputMade() const { return mKeyboardMidiIn || mKeyboardReader; }
  RtMidiOut* MidiOut() const { return mMidiOut.get(); }
  RtMidi::Api Api() const { return mApi; }

  // The callbacks, on the library's threads. Never throw.
  static void MIDICallback(double timeStamp, std::vector<unsigned char>* bytes,
                           void* user) noexcept;
  static void MIDICallbackB(double timeStamp, std::vector<unsigned char>* bytes,
                            void* user) noexcept;
  // What the callbacks do with what the library hands over, without the
  // library. The messages reach the plug-in on the inputs' delivery
  // threads; WaitUntilDelivered waits (at most timeoutMs) until both queues
  // are empty and what was taken from them is handled.
  void DeliverFromSynth(const unsigned char* bytes, size_t size);
  void DeliverFromKeyboard(const unsigned char* bytes, size_t size);
  bool WaitUntilDelivered(int timeoutMs);

private:
  enum class Which
  {
    kSynthIn,
    kKeyboardIn,
    kOut
  };
  // Joins the thread StartMidi left making the objects, if any: after it
  // the watch is open too.
  void JoinMaker();
  // Waits until the thread made (or was refused) the synth input.
  void WaitForInputsMade();
  // What StartMidi's thread makes, in order: the output (mApi set to the
  // system that took it), the synth input, and last the server's watch.
  // Each object is put in its place under the ticket's lock, and only while
  // the thread has not been given up (AbandonMaker).
  // MakeOutput answers the system it made the output for.
  RtMidi::Api MakeOutput(RtMidi::Api api, MakerTicket& ticket);
  void MakeSynthInput(RtMidi::Api api, MakerTicket& ticket, const JackServerWatch* watch);
  // The keyboard input, made (main thread) once a port is chosen for it; on
  // JACK only while the watch sees the server. False when it could not be,
  // or not yet: before the start's watch is settled (SettleWatch then opens
  // the stored choice).
  bool MakeKeyboardInput();
  // StartMidi and InitialiseMidi: watchFirst makes the watch before the
  // objects, which are then made only while it sees its server.
  void StartMaking(RtMidi::Api api, bool watchFirst);
  // Objects made after watch (the making thread's own, null when the objects
  // are made before it), whose server has gone since.
  static bool WatchedServerGone(const JackServerWatch* watch);
  // The making thread's new watch takes the place of the one before, under
  // the ticket's lock; after a lost server (serverWent) the one before is
  // kept, never closed or deleted.
  void PutWatch(std::unique_ptr<JackServerWatch> fresh, bool serverWent);
  // Keeps an object of a gone server, never deleted (see the .cpp).
  static void SetAside(RtMidi* midi);
  static void SetAside(std::unique_ptr<JackMidiInput> input);
  // A reader of the JACK server for the synth input or the keyboard input,
  // opened as the editor's input client; null where it cannot be.
  std::unique_ptr<JackMidiInput> MakeReader(Which which);
  // The reader of an input on JACK; null elsewhere.
  JackMidiInput* Reader(Which which) const;
  static void ReceiveFromSynth(const uint8_t* bytes, size_t size, void* self);
  static void ReceiveFromKeyboard(const uint8_t* bytes, size_t size, void* self);
  // Keeps a watch no longer used (or left to a given-up thread) for the rest
  // of the run: a client's callbacks or a gate's meter may still name it.
  static void KeepWatch(std::unique_ptr<JackServerWatch> watch);
  static bool Published(MakerTicket& ticket, const std::function<bool()>& publish);
  // The server kept StartMidi's thread waiting past kServerWaitMs: it is left
  // to end on its own, nothing it makes later is used, and the server is
  // looked for as a lost one.
  void AbandonMaker();
  // Waits at most kServerWaitMs for StartMidi's thread to be done, giving it
  // up after; whileServerRuns: longer, while the cycles of the watch it
  // made run (up to kSlowMakingMs).
  void AwaitMaker(bool whileServerRuns = false);
  // After a making with the watch first (it counted the cycles meanwhile);
  // false when the server did not answer (it is given up).
  bool RestWatchAfterMaking(bool made);
  // The cycles of the making thread's watch once it is in place, 0 before.
  uint64_t MakersWatchCycles();
  // Whether the thread of the last StartMidi (if any, and not given up) is
  // done.
  bool MakerDone() const;
  // Whether a server answers, asked on a thread of its own (ServerAnswers):
  // waits at most kServerWaitMs, and while an earlier probe still waits,
  // answers false at once.
  bool ServerAnswersNow();
  // The gate's writer and room for the present output object.
  void FitGateToOutput();
  // After the server went: the gate closed, the objects of the dead
  // server put aside.
  void DropDeadServer();
  // The server does not answer: as DropDeadServer, and the watch let go of
  // unclosed.
  void GiveUpServer();
  // Runs work (calls into the library) and answers whether it ended within
  // kServerWaitMs; on JACK it runs on a thread of its own, which is left
  // waiting when the server does not answer.
  bool WithinServerWait(std::function<void()> work);
  // The JACK clients the editor's ports are on: both readers', and the
  // output's. The output is made by the library, which does not tell the
  // name its client received: on JACK it is told by OutputClientByMark.
  // Where that cannot be done, it is the client of the port the output
  // opened, among the clients of the output's name; when several such
  // carry a port of that name, the one connected to the chosen port, and
  // all of them while that leaves more than one.
  std::vector<std::string> OwnOutputClients() const;
  // The output's client on JACK, told by the server's list of ports while
  // the output's port carries a name no other program's does; "" where
  // that cannot be done (no server, another MIDI system).
  std::string OutputClientByMark(const JackMidiInput& lister) const;
  std::vector<std::string> OwnClients() const;
  // One of the three choices: its stored name, the clients of ours whose
  // port it connects to, and how its name is looked for in the port list.
  struct ChosenPort
  {
    Which which;
    const std::string& name;
    std::vector<std::string> clients;
    int (MidiPorts::*number)(const char*) const;
  };
  std::array<ChosenPort, 3> ChosenPorts() const;
  // Whether the port of the choice's name is on the list now.
  bool Listed(const ChosenPort& port) const;
  // Opens a chosen real port that is not open but now exists.
  void OpenAppearedPorts();
  // Counts an open real port as closed when it has left the server, or when
  // the server's graph, which has carried its connection to ours since it
  // was opened, carries it no more: its device went, and may be back
  // already under the same name.
  void ForgetVanishedPorts();
  void MarkClosed(const ChosenPort& port);
  bool OpenByName(Which which);
  // Shared by the three Choose functions.
  bool Choose(Which which, const char* name);
  // Port i's name or "" when the library fails.
  static std::string PortName(RtMidi& midi, unsigned i);
  // The ports that input can be fed by, in the order of its choice numbers.
  std::vector<std::string> SourcesOf(Which which) const;
  static std::vector<std::string> PortNames(RtMidi& midi);
  // One input's hand-over: the queue its callback fills, and the thread
  // that hands what waits there to the plug-in.
  struct InputDelivery
  {
    InputDelivery(size_t capacity, size_t slotReserve, const char* from)
        : queue(capacity, slotReserve), source(from) {}
    // The callback's side: queues a whole message, never waiting; false when
    // it was dropped (see MidiInputQueue::Push).
    bool Push(const uint8_t* bytes, size_t size, size_t keepFree = 0);
    MidiInputQueue queue;
    const char* source;  // where the messages come from, for the console
    std::atomic<size_t> queued{0};     // pushed by the callback
    std::atomic<size_t> delivered{0};  // handled by the delivery thread
    // Held by each hand-over to the plug-in and by CloseAll, so that
    // CloseAll returns only when no delivery into the plug-in is running.
    std::mutex lock;
    std::thread thread;
  };
  using HandMessage = void (*)(IUnitBase&, const uint8_t*, size_t, int);
  // A delivery thread: waits for queued messages and hands each on with
  // hand, filtered by the input's channel.
  void DeliveryLoop(InputDelivery& input, HandMessage hand, const MidiChannelSetting& channel);

  MidiSettingsStore mStore;
  MidiPortSettings mState;
  RtMidi::Api mApi = RtMidi::UNSPECIFIED;
  std::unique_ptr<RtMidiIn> mMidiIn;
  std::unique_ptr<RtMidiIn> mKeyboardMidiIn;
  std::unique_ptr<RtMidiOut> mMidiOut;
  // On JACK, what reads the synth input and the keyboard input.
  std::unique_ptr<JackMidiInput> mSynthReader;
  std::unique_ptr<JackMidiInput> mKeyboardReader;
  std::vector<std::string> mInputNames;
  std::vector<std::string> mOutputNames;
  std::atomic<IUnitBase*> mPlug{nullptr};
  PacedMidiOut* mOutputGate = nullptr;
  bool mOutputOpen = false;
  // The port the output was last opened to by name ("" for the virtual one).
  std::string mOutputDestination;
  // The name of the output's own port while it is open ("" when closed),
  // and its client once told apart from any other (OwnOutputClients).
  std::string mOutputPortName;
  mutable std::string mOutputClient;
  bool mPortOpen[3] = {false, false, false};  // by Which
  // Open on a port of the server (not "off", not the virtual one), by Which.
  bool mOnServerPort[3] = {false, false, false};
  // The server's graph has carried the port's connection to ours since it
  // was opened (ForgetVanishedPorts), by Which.
  bool mSeenConnected[3] = {false, false, false};
  // Made and opened on the making thread and put in place only while that
  // thread has not been given up: a given-up thread never touches the watch
  // the ports use.
  std::unique_ptr<JackServerWatch> mWatch = std::make_unique<JackServerWatch>();
  bool mServerLost = false;
  // Since when a lost server has answered each check, while it is not yet used.
  std::optional<std::chrono::steady_clock::time_point> mAnsweringSince;
  bool mCallbacksSet = false;  // the synth input has its callback
  bool mInputsMade = false;    // by the last StartMidi
  bool mOutputOnServer = false;  // the last StartMidi's output reached a server
  bool mKeyboardAwaitsWatch = false;  // the keyboard's choice opens at SettleWatch
  std::thread mMaker;          // StartMidi's, making the objects
  std::future<void> mOutputMade;   // ready once the thread made the output
  std::future<void> mInputsReady;  // and once it made the synth input
  std::shared_ptr<MakerTicket> mTicket;  // the thread of the last StartMidi
  std::future<bool> mProbe;              // ServerAnswersNow's probe still waiting
  std::function<void()> mMakingHook;     // SetMakingHook's
  bool mMakingHookAfterWatch = false;
  std::function<void()> mStartWatchHook;  // SetStartWatchHook's
  // The plug-in the deliveries go to once a return of the server succeeds.
  IUnitBase* mReturningPlug = nullptr;

  MidiInputCleaner mSynthCleaner;     // the synth input's thread only
  MidiInputCleaner mKeyboardCleaner;  // the keyboard input's thread only
  InputDelivery mSynthInput{MidiInputQueue::kCapacity, MidiInputQueue::kSlotReserve, "the synth"};
  // Short messages only (see DeliverFromKeyboard).
  InputDelivery mKeyboardInput{kKeyboardQueueCapacity + NoteOffReserve::kPlaces, 4, "the keyboard"};
  NoteOffReserve mKeyboardReserve;  // the keyboard input's thread only
  std::atomic<bool> mStopDelivery{false};
};

// Builds the short message a callback hands on: the bytes (missing ones 0).
IMidiMsg MakeShortMidiMsg(const unsigned char* bytes, size_t size);

// What the inputs hand the plug-in for one whole message (as the input
// cleaner makes them), given the input's channel (1..16; 0 = any):
//   - the synth input's, under the plug-in's mutex: a SysEx (more than 3
//     bytes) to ProcessSysEx, a short message of the channel to
//     ProcessMidiMsg;
//   - the keyboard input's: a short message of the channel (clock, which
//     has none, always) to ProcessKeyboardMidiMsg; SysEx and active
//     sensing mean nothing there and are dropped.
// The ports' delivery calls them; the fuzz target of the MIDI input too.
void HandSynthMessage(IUnitBase& plug, const uint8_t* bytes, size_t size, int inChannel);
void HandKeyboardMessage(IUnitBase& plug, const uint8_t* bytes, size_t size, int inChannel);
