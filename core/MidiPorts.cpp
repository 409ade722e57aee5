#include "core/MidiPorts.h"
#include "core/SettingsNames.h"

#include "core/BASE_Mutex.h"
#include "core/IUnitBase.h"
#include "core/PacedMidiOut.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>
#include <tuple>
#include <utility>
#include <vector>

#include <syslog.h>
#include <unistd.h>

bool MIDISettingsInStateAreEqual(const MidiPortSettings& a, const MidiPortSettings& b)
{
  return a.mInDev == b.mInDev && a.mInBDev == b.mInBDev && a.mOutDev == b.mOutDev && a.mInChan == b.mInChan &&
         a.mInBChan == b.mInBChan && a.mOutChan == b.mOutChan;
}

IMidiMsg MakeShortMidiMsg(const unsigned char* bytes, size_t size)
{
  return IMidiMsg(0, size > 0 ? bytes[0] : 0, size > 1 ? bytes[1] : 0, size > 2 ? bytes[2] : 0);
}

MidiPorts::MidiPorts(MidiSettingsStore store) : mStore(std::move(store)) {}

MidiPorts::~MidiPorts()
{
  CloseAll();
  JoinMaker();
  mStopDelivery = true;
  for (InputDelivery* input : {&mSynthInput, &mKeyboardInput})
  {
    input->queue.Wake();
    if (input->thread.joinable()) input->thread.join();
  }
}

void MidiPorts::SetPlug(IUnitBase* plug)
{
  mReturningPlug = nullptr;
  {
    std::lock_guard<std::mutex> keyboard(mKeyboardInput.lock);
    std::lock_guard<std::mutex> synth(mSynthInput.lock);
    mPlug.store(plug);
  }
  if (!plug) return;
  if (!mSynthInput.thread.joinable())
    mSynthInput.thread = std::thread(&MidiPorts::DeliveryLoop, this, std::ref(mSynthInput), &HandSynthMessage,
                                     std::cref(mState.mInChan));
  if (!mKeyboardInput.thread.joinable())
    mKeyboardInput.thread = std::thread(&MidiPorts::DeliveryLoop, this, std::ref(mKeyboardInput),
                                        &HandKeyboardMessage, std::cref(mState.mInBChan));
}

void MidiPorts::SetOutputGate(PacedMidiOut* gate)
{
  if (mOutputGate && mOutputGate != gate)
  {
    mOutputGate->SetRoom({});
    mOutputGate->SetWriter(nullptr);
  }
  mOutputGate = gate;
  if (!gate) return;
  if (mOutputOpen)
  {
    FitGateToOutput();
    gate->Open();
  }
  else
  {
    gate->Close();
    FitGateToOutput();
  }
}

void MidiPorts::FitGateToOutput()
{
  if (!mOutputGate) return;
  RtMidiOut* out = mMidiOut.get();
  mOutputGate->SetWriter([out](const uint8_t* bytes, size_t size) {
    // This may run on an input thread, inside its callback: the library's
    // errors end here.
    try
    {
      if (!out) return false;
      out->sendMessage(bytes, size);
      return true;
    }
    catch (const std::exception&)
    {
      return false;
    }
  });
  PacedMidiOut::Room room;
  // Until the thread that opens the watch has ended (SettleWatch), messages
  // go out unmetered, as where there is no watch.
  if (!mMaker.joinable() && mWatch->Alive())
  {
    // The library's ring holds 16 KB; a cycle's buffer at least as much.
    const size_t ring = 14 * 1024;
    const size_t buffer = mWatch->MidiBufferBytes() / 2;
    room.bytes = buffer > 0 ? std::min(ring, buffer) : ring;
    JackServerWatch* watch = mWatch.get();
    room.cycles = [watch] { return watch->Cycles(); };
    // The output's connection to the port chosen by name carries nothing
    // until the server's graph has taken it in; the gate holds what is sent
    // until then. (A virtual output has nothing to wait for.)
    // Another program of the editor's client names may feed the same port:
    // the output's own port is looked for once its client is known.
    if (!mOutputDestination.empty())
    {
      const std::vector<std::string> own = OwnOutputClients();
      const std::string ownPort = own.size() == 1 ? own.front() + ":" + mOutputPortName : std::string();
      room.ready = [watch, destination = mOutputDestination, ownPort] {
        const std::vector<std::string> sources = watch->ConnectionsOf(destination);
        return std::any_of(sources.begin(), sources.end(), [&ownPort](const std::string& s) {
          return ownPort.empty() ? IsOwnClientName(s.substr(0, s.find(':'))) : s == ownPort;
        });
      };
    }
  }
  mOutputGate->SetRoom(std::move(room));
}

// ---- settings ----

void MidiPorts::ReadSettings()
{
  if (!mStore.read) return;
  mState.mInDev = mStore.read(Setting::kSynthInput.key, "no input");
  mState.mInBDev = mStore.read(Setting::kKeyboardInput.key, "no input");
  mState.mOutDev = mStore.read(Setting::kOutput.key, "no output");
}

bool MidiPorts::UpdateINI()
{
  if (!mStore.write) return true;
  const bool in = mStore.write(Setting::kSynthInput.key, mState.mInDev.c_str());
  const bool inB = mStore.write(Setting::kKeyboardInput.key, mState.mInBDev.c_str());
  const bool out = mStore.write(Setting::kOutput.key, mState.mOutDev.c_str());
  return in && inB && out;
}

// ---- the MIDI objects ----

bool MidiPorts::InitialiseMidi(RtMidi::Api api)
{
  // Not at the start, so nothing waits for the watch: on JACK it comes
  // first, and the objects are made only while it sees the same server.
  StartMaking(api, api == RtMidi::UNIX_JACK);
  const bool made = FinishMidi();
  return RestWatchAfterMaking(made) && made;
}

void MidiPorts::StartMidi(RtMidi::Api api) { StartMaking(api, false); }

void MidiPorts::StartMaking(RtMidi::Api api, bool watchFirst)
{
  CloseAll();
  // Before the library's first client of the process (the objects make
  // theirs): see RouteLibraryMessages.
  JackServerWatch::RouteLibraryMessages();
  mMidiIn.reset();
  mKeyboardMidiIn.reset();
  mSynthReader.reset();
  mKeyboardReader.reset();
  mMidiOut.reset();
  mInputsMade = false;
  mOutputOnServer = false;
  mKeyboardAwaitsWatch = false;
  mServerLost = false;
  // Known before anything is made: with no server, nothing is, and the
  // server is then looked for as a lost one.
  if (watchFirst) mApi = api;
  for (bool& open : mPortOpen) open = false;
  // The sound server admits one client at a time, tens of milliseconds
  // each: all four are made on a thread of their own while the caller goes
  // on (the toolkit's start, the editor's panels), the output first, since
  // the editor's first message needs it.
  auto outputMade = std::make_shared<std::promise<void>>();
  auto inputsMade = std::make_shared<std::promise<void>>();
  mOutputMade = outputMade->get_future();
  mInputsReady = inputsMade->get_future();
  auto ticket = std::make_shared<MakerTicket>();
  mTicket = ticket;
  // The thread reads nothing of the ports' own but under the ticket's lock:
  // once given up, it may outlive them.
  const auto make = [this, api, outputMade, inputsMade, ticket, watchFirst, hook = mMakingHook,
                     hookAfterWatch = mMakingHookAfterWatch && watchFirst, startWatchHook = mStartWatchHook] {
    if (hook && !hookAfterWatch) hook();
    // Once the server has gone, the next client this process opens makes
    // the JACK library free every client of the gone server: objects made
    // after the watch, while it still sees its server, are all of that
    // server, so that its loss tells which objects are dead. No server, or
    // one gone already: nothing is made.
    // The watch of before is of a server that went: the library may have
    // freed its client already (before its thread could tell the watch), so
    // it is let go of unclosed.
    // Each watch is opened on a new object of this thread's, put in place
    // once open; one left in the thread's hands (given up) is never freed.
    // A watch opened before the objects counts the cycles itself while they
    // are made: see AwaitMaker.
    const auto openWatch = [this, &ticket, watchFirst] {
      auto fresh = std::make_unique<JackServerWatch>();
      JackServerWatch* watch = fresh.get();
      const bool open = watch->Open(kOutputClientName, watchFirst);
      if (!Published(*ticket, [&] { return PutWatch(std::move(fresh), watchFirst), true; })) KeepWatch(std::move(fresh));
      return std::make_pair(watch, open);
    };
    JackServerWatch* watch = nullptr;
    bool watched = true;
    if (watchFirst) std::tie(watch, watched) = openWatch();
    if (hook && hookAfterWatch) hook();
    RtMidi::Api chosen = RtMidi::UNSPECIFIED;
    if (watched && !WatchedServerGone(watch)) chosen = MakeOutput(api, *ticket);
    outputMade->set_value();
    if (Published(*ticket, [this, watch] { return mMidiOut != nullptr && !WatchedServerGone(watch); }))
      MakeSynthInput(chosen, *ticket, watch);
    inputsMade->set_value();
    // At the start the watch is wanted only to meter the output and to
    // notice the server's loss, both of which wait for the thread's end: it
    // comes last, off the start's way.
    if (!watchFirst && Published(*ticket, [this] { return mMidiOut && mApi == RtMidi::UNIX_JACK; }))
    {
      if (startWatchHook) startWatchHook();
      (void)openWatch();
    }
    ticket->done = true;
  };
  try
  {
    mMaker = std::thread(make);
  }
  catch (const std::system_error&)
  {
    // No thread to be had: the objects are made here, one after another.
    make();
  }
}

bool MidiPorts::Published(MakerTicket& ticket, const std::function<bool()>& publish)
{
  std::lock_guard<std::mutex> hold(ticket.lock);
  return !ticket.abandoned && publish();
}

RtMidi::Api MidiPorts::MakeOutput(RtMidi::Api api, MakerTicket& ticket)
{
  RtMidi::Api chosen = api == RtMidi::UNSPECIFIED ? RtMidi::LINUX_ALSA : api;
  std::unique_ptr<RtMidiOut> output;
  try
  {
    output = std::make_unique<RtMidiOut>(chosen, kOutputClientName);
  }
  catch (const RtMidiError& error)
  {
    error.printMessage();
    // No ALSA sequencer on this machine: the JACK server is the MIDI system.
    if (api != RtMidi::UNSPECIFIED) return chosen;
    chosen = RtMidi::UNIX_JACK;
  }
  if (!Published(ticket, [&] { return mApi = chosen, true; })) return chosen;
  // The library makes a JACK output even where no server answers; only the
  // JACK library's complaint tells that its client was not opened.
  const uint64_t errorsBefore = JackServerWatch::LibraryErrors();
  try
  {
    if (!output) output = std::make_unique<RtMidiOut>(chosen, kOutputClientName);
  }
  catch (const RtMidiError& error)
  {
    error.printMessage();
  }
  const bool onServer = output && (chosen != RtMidi::UNIX_JACK || JackServerWatch::LibraryErrors() == errorsBefore);
  (void)Published(ticket, [&] { return mOutputOnServer = onServer, true; });
  // Given up while the server kept the thread waiting: the object is never
  // used, nor closed on a server that may not answer.
  if (output && !Published(ticket, [&] { return mMidiOut = std::move(output), true; })) SetAside(output.release());
  return chosen;
}

bool MidiPorts::WatchedServerGone(const JackServerWatch* watch)
{
  return watch && !watch->Alive();
}

void MidiPorts::PutWatch(std::unique_ptr<JackServerWatch> fresh, bool serverWent)
{
  // After a lost server the watch before is of a server that went: the
  // library may have freed its client already (before its thread could
  // tell the watch), so it is let go of unclosed. Otherwise it is closed as
  // usual. Either way the object is kept: that client's callbacks, or an
  // output gate's meter, may still name it.
  if (serverWent) mWatch->Abandon();
  else mWatch->Close();
  KeepWatch(std::move(mWatch));
  mWatch = std::move(fresh);
}

void MidiPorts::KeepWatch(std::unique_ptr<JackServerWatch> watch)
{
  static auto* const kept = new std::vector<std::unique_ptr<JackServerWatch>>;
  static std::mutex lock;
  std::lock_guard<std::mutex> hold(lock);
  kept->push_back(std::move(watch));
}

void MidiPorts::MakeSynthInput(RtMidi::Api api, MakerTicket& ticket, const JackServerWatch* watch)
{
  try
  {
    std::unique_ptr<RtMidiIn> synth;
    std::unique_ptr<JackMidiInput> reader;
    if (api == RtMidi::UNIX_JACK)
      reader = MakeReader(Which::kSynthIn);
    else
      synth = std::make_unique<RtMidiIn>(api, kInputClientName, kInputQueueLimit);
    if (WatchedServerGone(watch) || (!synth && !reader))
    {
      // Its client is of the gone server.
      SetAside(synth.release());
      SetAside(std::move(reader));
      return;
    }
    if (synth)
    {
      synth->setCallback(&MidiPorts::MIDICallback, this);
      synth->ignoreTypes(false, false, true);
    }
    const bool published = Published(ticket, [&] {
      mMidiIn = std::move(synth);
      mSynthReader = std::move(reader);
      mCallbacksSet = true;
      mInputsMade = true;
      return true;
    });
    if (!published)
    {
      SetAside(synth.release());
      SetAside(std::move(reader));
    }
  }
  catch (const RtMidiError& error)
  {
    error.printMessage();
  }
}

bool MidiPorts::MakeKeyboardInput()
{
  if (KeyboardInputMade()) return true;
  // Made beside the synth input, on the server that input is on, which
  // only the watch tells. At the start the making thread opens the watch
  // last, off the start's way: the choice opens once it is settled.
  if (!MakerDone())
  {
    mKeyboardAwaitsWatch = true;
    return false;
  }
  // Settling opens a choice that waited for the watch, which makes the input.
  (void)SettleWatch();
  if (KeyboardInputMade()) return true;
  if (!mInputsMade || mServerLost || (mApi == RtMidi::UNIX_JACK && !mWatch->Alive())) return false;
  // Handed over only while the maker has not been given up: a server that
  // keeps it waiting leaves the object to it, never closed or deleted.
  struct Making
  {
    MakerTicket ticket;
    std::unique_ptr<RtMidiIn> made;
    std::unique_ptr<JackMidiInput> reader;
  };
  auto making = std::make_shared<Making>();
  const RtMidi::Api api = mApi;
  const bool answered = WithinServerWait([this, making, api] {
    std::unique_ptr<RtMidiIn> keyboard;
    std::unique_ptr<JackMidiInput> reader;
    try
    {
      if (api == RtMidi::UNIX_JACK)
        reader = MakeReader(Which::kKeyboardIn);
      else
        keyboard = std::make_unique<RtMidiIn>(api, kInputClientName, kInputQueueLimit);
    }
    catch (const RtMidiError& error)
    {
      error.printMessage();
    }
    const bool published = Published(making->ticket, [&] {
      making->made = std::move(keyboard);
      making->reader = std::move(reader);
      return true;
    });
    if (!published)
    {
      SetAside(keyboard.release());
      SetAside(std::move(reader));
    }
  });
  std::unique_ptr<RtMidiIn> keyboard;
  std::unique_ptr<JackMidiInput> reader;
  {
    std::lock_guard<std::mutex> hold(making->ticket.lock);
    making->ticket.abandoned = true;
    keyboard = std::move(making->made);
    reader = std::move(making->reader);
  }
  // A client opened after the server went is of no server the ports know.
  if (!answered || (mApi == RtMidi::UNIX_JACK && !mWatch->Alive()))
  {
    SetAside(keyboard.release());
    SetAside(std::move(reader));
    if (!answered) GiveUpServer();
    return false;
  }
  if (!keyboard && !reader) return false;
  if (keyboard)
  {
    keyboard->setCallback(&MidiPorts::MIDICallbackB, this);
    keyboard->ignoreTypes(false, false, true);
  }
  mKeyboardMidiIn = std::move(keyboard);
  mKeyboardReader = std::move(reader);
  return true;
}

void MidiPorts::AbandonMaker()
{
  if (!mMaker.joinable()) return;
  {
    std::lock_guard<std::mutex> hold(mTicket->lock);
    mTicket->abandoned = true;
  }
  // Left to finish on its own; what it makes from now on is never used.
  mMaker.detach();
  mOutputMade = {};
  mInputsReady = {};
  // Looked for again as for a lost server (CheckServer).
  mServerLost = true;
  syslog(LOG_ERR, "ZephraEditor: the MIDI server does not answer");
}

bool MidiPorts::FinishMidi(bool watchToo)
{
  if (watchToo)
  {
    AwaitMaker();
    JoinMaker();
  }
  else
  {
    WaitForInputsMade();
  }
  return mMidiOut && mInputsMade;
}

bool MidiPorts::MakerDone() const
{
  return !mMaker.joinable() || mTicket->done;
}

void MidiPorts::AwaitMaker(bool whileServerRuns)
{
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  auto until = start + std::chrono::milliseconds(kServerWaitMs);
  uint64_t cycles = whileServerRuns ? MakersWatchCycles() : 0;
  while (!MakerDone() && Clock::now() < until)
  {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    if (!whileServerRuns) continue;
    // The server's cycles run: it is there and answers, only slowly (a busy
    // machine). Given up, the making's clients would stay on the server and
    // the next try would be slower still; it is waited for while the cycles
    // run, up to kSlowMakingMs. A server that stalls is given up as before.
    const uint64_t now = MakersWatchCycles();
    if (now == cycles) continue;
    cycles = now;
    until = std::min(Clock::now() + std::chrono::milliseconds(kServerWaitMs),
                     start + std::chrono::milliseconds(kSlowMakingMs));
  }
  if (!MakerDone()) AbandonMaker();
}

uint64_t MidiPorts::MakersWatchCycles()
{
  if (!mMaker.joinable() || !mTicket) return 0;
  // The making thread puts its watch in place under the ticket's lock; the
  // one before it is of a server that went, and its cycles stand still.
  std::lock_guard<std::mutex> hold(mTicket->lock);
  return mWatch->Alive() ? mWatch->Cycles() : 0;
}

bool MidiPorts::RestWatchAfterMaking(bool made)
{
  // The objects are of the server the watch counted: from now on its frame
  // clock counts, and the server no longer wakes the watch each cycle. A
  // making given up (the server kept it waiting) leaves the watch as it is.
  if (!made || mServerLost) return true;
  JackServerWatch* watch = mWatch.get();
  if (WithinServerWait([watch] { watch->Rest(); })) return true;
  GiveUpServer();
  return false;
}

bool MidiPorts::ServerAnswersNow()
{
  // One probe at a time, on a thread of its own: a server that is alive but
  // does not answer keeps the probe waiting, not the caller.
  if (!mProbe.valid())
  {
    auto answer = std::make_shared<std::promise<bool>>();
    mProbe = answer->get_future();
    try
    {
      std::thread([answer] { answer->set_value(JackServerWatch::ServerAnswers(kOutputClientName)); }).detach();
    }
    catch (const std::system_error&)
    {
      mProbe = {};
      return false;
    }
    if (mProbe.wait_for(std::chrono::milliseconds(kServerWaitMs)) != std::future_status::ready) return false;
  }
  else if (mProbe.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
  {
    return false;
  }
  return mProbe.get();
}

bool MidiPorts::SettleWatch()
{
  if (!mMaker.joinable()) return true;
  if (!MakerDone()) return false;
  JoinMaker();
  FitGateToOutput();
  if (mKeyboardAwaitsWatch)
  {
    mKeyboardAwaitsWatch = false;
    (void)OpenByName(Which::kKeyboardIn);
  }
  return true;
}

void MidiPorts::WaitForOutput()
{
  if (mOutputMade.valid() &&
      mOutputMade.wait_for(std::chrono::milliseconds(kServerWaitMs)) != std::future_status::ready)
    AbandonMaker();
}

void MidiPorts::WaitForInputsMade()
{
  if (mInputsReady.valid() &&
      mInputsReady.wait_for(std::chrono::milliseconds(kServerWaitMs)) != std::future_status::ready)
    AbandonMaker();
}

void MidiPorts::JoinMaker()
{
  if (mMaker.joinable()) mMaker.join();
  mOutputMade = {};
  mInputsReady = {};
}

std::string MidiPorts::PortName(RtMidi& midi, unsigned i)
{
  try
  {
    return midi.getPortName(i);
  }
  catch (const RtMidiError& error)
  {
    error.printMessage();
    return std::string();
  }
}

void MidiPorts::ProbeMidiIO()
{
  WaitForInputsMade();
  if (!SynthInputMade() || !mMidiOut) return;
  mInputNames = {"off", "virtual input"};
  mOutputNames = {"off", "virtual output"};
  for (std::string& name : SourcesOf(Which::kSynthIn)) mInputNames.push_back(std::move(name));
  for (std::string& name : PortNames(*mMidiOut)) mOutputNames.push_back(std::move(name));
}

std::vector<std::string> MidiPorts::PortNames(RtMidi& midi)
{
  std::vector<std::string> names;
  try
  {
    const unsigned count = midi.getPortCount();
    for (unsigned i = 0; i < count; ++i) names.push_back(PortName(midi, i));
  }
  catch (const RtMidiError& error)
  {
    error.printMessage();
  }
  return names;
}

std::vector<std::string> MidiPorts::SourcesOf(Which which) const
{
  // Until the keyboard input is made, the synth input lists the same ports.
  if (which == Which::kKeyboardIn && !KeyboardInputMade()) which = Which::kSynthIn;
  if (const JackMidiInput* reader = Reader(which)) return reader->Sources();
  RtMidiIn* midi = which == Which::kKeyboardIn ? mKeyboardMidiIn.get() : mMidiIn.get();
  return midi ? PortNames(*midi) : std::vector<std::string>();
}

// ---- choosing ports ----

bool MidiPorts::IsOwnClientName(const std::string& name)
{
  for (const char* client : {kInputClientName, kOutputClientName})
  {
    const size_t length = std::strlen(client);
    if (name.compare(0, length, client) != 0) continue;
    if (name.size() == length) return true;
    if (name[length] != '-' || name.size() == length + 1) continue;
    if (name.find_first_not_of("0123456789", length + 1) == std::string::npos) return true;
  }
  return false;
}

bool MidiPorts::IsOwnPort(const std::string& name) const
{
  const size_t colon = name.find(':');
  if (colon == std::string::npos) return false;
  const std::string client = name.substr(0, colon);
  if (mApi != RtMidi::UNIX_JACK) return IsOwnClientName(client);
  const std::vector<std::string> own = OwnClients();
  return std::find(own.begin(), own.end(), client) != own.end();
}

std::vector<std::string> MidiPorts::OwnOutputClients() const
{
  if (mOutputPortName.empty()) return {};
  if (!mOutputClient.empty()) return {mOutputClient};
  const JackMidiInput* lister = mSynthReader ? mSynthReader.get() : mKeyboardReader.get();
  if (!lister) return {};
  mOutputClient = OutputClientByMark(*lister);
  if (!mOutputClient.empty()) return {mOutputClient};
  std::vector<std::string> clients;
  for (const std::string& port : lister->Sources())
  {
    const size_t colon = port.find(':');
    if (colon == std::string::npos || port.compare(colon + 1, std::string::npos, mOutputPortName) != 0) continue;
    const std::string client = port.substr(0, colon);
    if (IsOwnClientName(client)) clients.push_back(client);
  }
  if (clients.size() > 1 && !mOutputDestination.empty() && mWatch->Alive())
  {
    const std::vector<std::string> feeding = mWatch->ConnectionsOf(mOutputDestination);
    std::vector<std::string> connected;
    for (const std::string& client : clients)
      if (std::find(feeding.begin(), feeding.end(), client + ":" + mOutputPortName) != feeding.end())
        connected.push_back(client);
    if (!connected.empty()) clients = connected;
  }
  if (clients.size() == 1) mOutputClient = clients.front();
  return clients;
}

std::string MidiPorts::OutputClientByMark(const JackMidiInput& lister) const
{
  if (mApi != RtMidi::UNIX_JACK || !mMidiOut || mServerLost || lister.Lost()) return std::string();
  // Another program built on the same library carries the same client and
  // port names, and may feed the same synth. Only the output's own port can
  // be renamed through it: for a moment it carries a name of this process's
  // alone, and the client that lists a port of that name is the output's.
  const std::string mark = "ZephraEditor " + std::to_string(getpid());
  std::string client;
  try
  {
    mMidiOut->setPortName(mark);
    for (const std::string& port : lister.Sources())
    {
      const size_t colon = port.find(':');
      if (colon != std::string::npos && port.compare(colon + 1, std::string::npos, mark) == 0)
        client = port.substr(0, colon);
    }
    mMidiOut->setPortName(mOutputPortName);
  }
  catch (const RtMidiError& error)
  {
    error.printMessage();
  }
  return client;
}

std::vector<std::string> MidiPorts::OwnClients() const
{
  std::vector<std::string> own = OwnOutputClients();
  for (const JackMidiInput* reader : {mSynthReader.get(), mKeyboardReader.get()})
    if (reader) own.push_back(reader->ClientName());
  return own;
}

namespace
{
// ports: the system's ports in order, asked for only when name is neither
// "off" nor the virtual port.
template <class Ports>
int ChoiceNumber(const MidiPorts& midi, const char* name, const char* virtualName, bool made, Ports&& ports)
{
  if (!name) return -1;
  if (std::strcmp(name, "off") == 0) return 0;
  if (std::strcmp(name, virtualName) == 0) return 1;
  if (!made || midi.IsOwnPort(name)) return -1;
  const std::vector<std::string> listed = ports();
  const auto found = std::find(listed.begin(), listed.end(), name);
  return found == listed.end() ? -1 : 2 + static_cast<int>(found - listed.begin());
}
}  // namespace

int MidiPorts::GetMIDIInPortNumber(const char* name) const
{
  return ChoiceNumber(*this, name, "virtual input", SynthInputMade(), [this] { return SourcesOf(Which::kSynthIn); });
}

int MidiPorts::GetMIDIInBPortNumber(const char* name) const
{
  return ChoiceNumber(*this, name, "virtual input", SynthInputMade() || KeyboardInputMade(),
                      [this] { return SourcesOf(Which::kKeyboardIn); });
}

int MidiPorts::GetMIDIOutPortNumber(const char* name) const
{
  return ChoiceNumber(*this, name, "virtual output", mMidiOut != nullptr,
                      [this] { return PortNames(*mMidiOut); });
}

bool MidiPorts::ChooseMidiInput(const char* name)
{
  return Choose(Which::kSynthIn, name);
}

bool MidiPorts::ChooseMidiInputB(const char* name)
{
  return Choose(Which::kKeyboardIn, name);
}

bool MidiPorts::ChooseMidiOutput(const char* name)
{
  return Choose(Which::kOut, name);
}

bool MidiPorts::Choose(Which which, const char* name)
{
  if (which == Which::kOut)
    WaitForOutput();
  else
    WaitForInputsMade();
  RtMidi* midi = nullptr;
  std::string* field = nullptr;
  int n = -1;
  switch (which)
  {
    case Which::kSynthIn:
      midi = mMidiIn.get();
      field = &mState.mInDev;
      n = GetMIDIInPortNumber(name);
      break;
    case Which::kKeyboardIn:
      field = &mState.mInBDev;
      n = GetMIDIInBPortNumber(name);
      // The keyboard's input is made once a port is chosen for it: until
      // then the server need not wake it each cycle. The making takes a
      // while, and the port is looked up again in the new input's list.
      if (n >= 1 && !KeyboardInputMade() && MakeKeyboardInput()) n = GetMIDIInBPortNumber(name);
      midi = mKeyboardMidiIn.get();
      break;
    case Which::kOut:
      midi = mMidiOut.get();
      field = &mState.mOutDev;
      n = GetMIDIOutPortNumber(name);
      break;
  }
  bool known = true;
  if (n < 0)
  {
    // A name the settings never held (their read default) means "off". A
    // port that is not there now (its device unplugged, the sound server
    // not yet started) stays the choice: it opens when it appears.
    const bool readDefault = *field == "no input" || *field == "no output";
    if (readDefault)
    {
      *field = "off";
      (void)UpdateINI();
    }
    else
    {
      *field = name ? name : "off";
      known = false;
    }
    n = 0;
  }
  // A keyboard input not made has nothing to close for "off".
  const bool made = midi || Reader(which);
  if (!made && !(which == Which::kKeyboardIn && mInputsMade)) return false;
  mPortOpen[static_cast<int>(which)] = false;
  mOnServerPort[static_cast<int>(which)] = false;
  mSeenConnected[static_cast<int>(which)] = false;
  if (!made && n >= 1) return false;
  const bool output = which == Which::kOut;
  if (output)
  {
    // The library's JACK output waits without end for ring space that a
    // closed port never frees: stop handing it anything first.
    if (mOutputGate) mOutputGate->Close();
    mOutputOpen = false;
  }
  if (JackMidiInput* reader = Reader(which))
  {
    // On JACK the inputs are our own readers, which open their ports themselves.
    reader->ClosePort();
    if (n == 1 && !reader->OpenVirtualPort(kVirtualInputName)) return false;
    if (n >= 2 && !reader->OpenPort(name, "RtMidi Input")) return false;
  }
  else
  {
    try
    {
      if (midi) midi->closePort();
      if (n == 1)
        midi->openVirtualPort(output ? kVirtualOutputName : kVirtualInputName);
      else if (n >= 2)
        midi->openPort(static_cast<unsigned>(n - 2), output ? "RtMidi Output" : "RtMidi Input");
    }
    catch (const RtMidiError& error)
    {
      error.printMessage();
      return false;
    }
  }
  if (output)
  {
    mOutputPortName = n == 1 ? kVirtualOutputName : n >= 2 ? "RtMidi Output" : "";
    mOutputClient.clear();
  }
  if (output && n >= 1)
  {
    mOutputOpen = true;
    mOutputDestination = n >= 2 ? std::string(name) : std::string();
    FitGateToOutput();
    if (mOutputGate) mOutputGate->Open();
  }
  mPortOpen[static_cast<int>(which)] = known;
  mOnServerPort[static_cast<int>(which)] = known && n >= 2;
  return known;
}

void MidiPorts::ReopenChosen()
{
  (void)ChooseMidiOutput(std::string(mState.mOutDev).c_str());
  (void)ChooseMidiInput(std::string(mState.mInDev).c_str());
  (void)ChooseMidiInputB(std::string(mState.mInBDev).c_str());
}

bool MidiPorts::ChosenPortsOpen() const
{
  return mPortOpen[0] && mPortOpen[1] && mPortOpen[2];
}

bool MidiPorts::SynthLinkOpen() const
{
  return mOutputOpen && mPortOpen[static_cast<int>(Which::kSynthIn)] && mState.mInDev != "off";
}

bool MidiPorts::OpenByName(Which which)
{
  switch (which)
  {
    case Which::kSynthIn: return ChooseMidiInput(std::string(mState.mInDev).c_str());
    case Which::kKeyboardIn: return ChooseMidiInputB(std::string(mState.mInBDev).c_str());
    case Which::kOut: return ChooseMidiOutput(std::string(mState.mOutDev).c_str());
  }
  return false;
}

std::array<MidiPorts::ChosenPort, 3> MidiPorts::ChosenPorts() const
{
  const auto readerClient = [this](Which which) {
    const JackMidiInput* reader = Reader(which);
    return reader ? std::vector<std::string>{reader->ClientName()} : std::vector<std::string>{};
  };
  return {{{Which::kOut, mState.mOutDev, OwnOutputClients(), &MidiPorts::GetMIDIOutPortNumber},
           {Which::kSynthIn, mState.mInDev, readerClient(Which::kSynthIn), &MidiPorts::GetMIDIInPortNumber},
           {Which::kKeyboardIn, mState.mInBDev, readerClient(Which::kKeyboardIn), &MidiPorts::GetMIDIInBPortNumber}}};
}

bool MidiPorts::Listed(const ChosenPort& port) const
{
  return (this->*port.number)(port.name.c_str()) >= 2;
}

void MidiPorts::OpenAppearedPorts()
{
  for (const ChosenPort& port : ChosenPorts())
  {
    if (mPortOpen[static_cast<int>(port.which)]) continue;
    if (Listed(port)) (void)OpenByName(port.which);
  }
}

namespace
{
// How many ports of the editor's clients (those of one input, or the
// output's) the server's graph connects to port now.
size_t OwnConnections(const JackServerWatch& watch, const std::string& port, const std::vector<std::string>& clients)
{
  const std::vector<std::string> peers = watch.ConnectionsOf(port);
  return static_cast<size_t>(std::count_if(peers.begin(), peers.end(), [&clients](const std::string& peer) {
    return std::find(clients.begin(), clients.end(), peer.substr(0, peer.find(':'))) != clients.end();
  }));
}
}  // namespace

void MidiPorts::ForgetVanishedPorts()
{
  const std::array<ChosenPort, 3> ports = ChosenPorts();
  // Decided for all three before any is closed: both inputs may have chosen
  // one port, which then carries two connections to ours.
  bool vanished[3] = {false, false, false};
  for (const ChosenPort& port : ports)
  {
    const int at = static_cast<int>(port.which);
    if (!mPortOpen[at] || !mOnServerPort[at]) continue;
    size_t wanted = 0;
    for (const ChosenPort& other : ports)
    {
      const int o = static_cast<int>(other.which);
      if (mPortOpen[o] && mOnServerPort[o] && other.clients == port.clients && other.name == port.name) ++wanted;
    }
    if (OwnConnections(*mWatch, port.name, port.clients) >= wanted)
    {
      mSeenConnected[at] = true;
      continue;
    }
    // A connection just made joins the graph only some cycles later: until
    // it has been seen there, only the port's absence tells that it went.
    vanished[at] = mSeenConnected[at] || !Listed(port);
  }
  for (const ChosenPort& port : ports)
    if (vanished[static_cast<int>(port.which)]) MarkClosed(port);
}

void MidiPorts::MarkClosed(const ChosenPort& port)
{
  const int at = static_cast<int>(port.which);
  mPortOpen[at] = false;
  mOnServerPort[at] = false;
  mSeenConnected[at] = false;
  syslog(LOG_NOTICE, "ZephraEditor: the chosen MIDI port %s went; it opens again when it is back", port.name.c_str());
  if (port.which != Which::kOut) return;
  // Nothing more is handed to a port that feeds nothing.
  if (mOutputGate) mOutputGate->Close();
  mOutputOpen = false;
}

MidiPorts::ServerEvent MidiPorts::CheckServer()
{
  // While the watch is still being opened there is nothing to tell.
  if (!SettleWatch()) return ServerEvent::kNone;
  if (mApi != RtMidi::UNIX_JACK) return ServerEvent::kNone;
  if (!mServerLost)
  {
    if (mWatch->Alive())
    {
      if (mCallbacksSet)
      {
        ForgetVanishedPorts();
        OpenAppearedPorts();
      }
      return ServerEvent::kNone;
    }
    if (mWatch->Lost())
    {
      DropDeadServer();
      return ServerEvent::kLost;
    }
    // There was no server when the watch was made, or it went just before:
    // wait for one as for a lost one. Objects made before the watch may
    // hold clients of a gone server. A server that took the output's client
    // was there: its going is a loss, told as when the watch sees it go,
    // whether or not a chosen port was open on it. A start with no server
    // at all lost nothing.
    const bool went = mMidiOut != nullptr && mOutputOnServer;
    DropDeadServer();
    return went ? ServerEvent::kLost : ServerEvent::kNone;
  }
  if (!ServerAnswersNow())
  {
    mAnsweringSince.reset();
    return ServerEvent::kNone;
  }
  // A server that comes and goes is not met with new clients of this
  // process at each short life: the JACK library, cleaning up the clients
  // of a life that ended, can leave its locks held, and every later client
  // then waits for good. The objects are made once it has answered for
  // kServerSettleMs.
  const auto now = std::chrono::steady_clock::now();
  if (!mAnsweringSince) mAnsweringSince = now;
  if (now - *mAnsweringSince < std::chrono::milliseconds(kServerSettleMs)) return ServerEvent::kNone;
  mAnsweringSince.reset();
  // The server is back: new objects on it (made only while the watch sees
  // it), then the chosen ports by name. The plug-in the deliveries went to
  // is kept through returns that fail, for the one that succeeds.
  IUnitBase* plug = mPlug.load();
  if (!plug) plug = mReturningPlug;
  StartMaking(RtMidi::UNIX_JACK, true);  // closes all, forgetting the plug-in
  mReturningPlug = plug;
  // A making slower than the wait while the server's cycles stand still is
  // given up, as a server that does not answer: counting on it lets objects
  // of a server life that ended while it was made be used, while its watch,
  // freed with that life by the library, may never learn of the end. While
  // the watch it made sees the cycles run, that life goes on: it is waited
  // for.
  AwaitMaker(true);
  JoinMaker();
  const bool made = mMidiOut && mInputsMade;
  if (!mWatch->Alive())
  {
    // Gone again while the objects were made: they are of the gone server.
    DropDeadServer();
    return ServerEvent::kNone;
  }
  if (!RestWatchAfterMaking(made) || !made) return ServerEvent::kNone;
  const MidiPortSettings chosen = mState;
  ProbeMidiIO();
  FitGateToOutput();
  (void)ChooseMidiOutput(std::string(chosen.mOutDev).c_str());
  if (plug) SetPlug(plug);
  (void)ChooseMidiInput(std::string(chosen.mInDev).c_str());
  (void)ChooseMidiInputB(std::string(chosen.mInBDev).c_str());
  mState = chosen;
  return ServerEvent::kReturned;
}

void MidiPorts::DropDeadServer()
{
  mServerLost = true;
  mOutputPortName.clear();
  mOutputClient.clear();
  // Nothing more goes to the dead output; what was queued is lost.
  if (mOutputGate) mOutputGate->Close();
  mOutputOpen = false;
  for (bool& open : mPortOpen) open = false;
  mCallbacksSet = false;
  if (mOutputGate) FitGateToOutput();  // the gate no longer points at the old output
  SetAside(mMidiIn.release());
  SetAside(mKeyboardMidiIn.release());
  SetAside(mMidiOut.release());
  SetAside(std::move(mSynthReader));
  SetAside(std::move(mKeyboardReader));
}

void MidiPorts::SetAside(RtMidi* midi)
{
  // The objects of a gone server can never be let go of: the JACK library
  // frees every client of a gone server when the process next opens one,
  // and deleting the object closes its client (its port too, which on the
  // output waits a second for a cycle that never comes). They are kept,
  // unused, for the rest of the run: one set (some tens of kilobytes) for
  // each life of the server the ports reached, since objects are made only
  // while the watch sees its server.
  if (!midi) return;
  static auto* const dead = new std::vector<RtMidi*>;
  static std::mutex lock;
  std::lock_guard<std::mutex> hold(lock);
  dead->push_back(midi);
}

void MidiPorts::SetAside(std::unique_ptr<JackMidiInput> input)
{
  // As the library's objects of a gone server: never closed, never freed
  // (its client's callbacks may still name it).
  if (!input) return;
  input->Abandon();
  static auto* const dead = new std::vector<std::unique_ptr<JackMidiInput>>;
  static std::mutex lock;
  std::lock_guard<std::mutex> hold(lock);
  dead->push_back(std::move(input));
}

std::unique_ptr<JackMidiInput> MidiPorts::MakeReader(Which which)
{
  auto reader = std::make_unique<JackMidiInput>(
    which == Which::kSynthIn ? &MidiPorts::ReceiveFromSynth : &MidiPorts::ReceiveFromKeyboard, this);
  if (!reader->Open(kInputClientName)) return nullptr;
  return reader;
}

JackMidiInput* MidiPorts::Reader(Which which) const
{
  switch (which)
  {
    case Which::kSynthIn: return mSynthReader.get();
    case Which::kKeyboardIn: return mKeyboardReader.get();
    case Which::kOut: break;
  }
  return nullptr;
}

bool MidiPorts::WithinServerWait(std::function<void()> work)
{
  if (mApi != RtMidi::UNIX_JACK)
  {
    work();
    return true;
  }
  auto done = std::make_shared<std::promise<void>>();
  std::future<void> ended = done->get_future();
  try
  {
    // Detached: when the server does not answer, the thread waits on with
    // what it was given, which is then never touched again.
    std::thread([work = std::move(work), done] {
      work();
      done->set_value();
    }).detach();
  }
  catch (const std::system_error&)
  {
    return false;
  }
  return ended.wait_for(std::chrono::milliseconds(kServerWaitMs)) == std::future_status::ready;
}

void MidiPorts::GiveUpServer()
{
  DropDeadServer();
  mWatch->Abandon();
}

void MidiPorts::CloseAll()
{
  // StartMidi's thread may still wait for a server that does not answer.
  AwaitMaker();
  JoinMaker();
  // A server that has gone is let go of as CheckServer does, whether or not
  // CheckServer has been asked since. So are the objects a given-up making
  // thread had put in place (AbandonMaker): their server kept it waiting and
  // may be gone by now, and closing or deleting them would reach into it.
  if (mApi == RtMidi::UNIX_JACK && (mServerLost || mWatch->Lost())) DropDeadServer();
  // Delivery stops first, so that whatever the library still hands over
  // after this point never reaches a plug-in that may be about to go. Taking
  // the delivery locks waits for a message the plug-in is handling now: an
  // answer that starts a send (the synth's "ready" for a firmware image)
  // has then queued the whole of it, and no later answer starts another
  // one while the output drains or once it has closed.
  {
    std::lock_guard<std::mutex> keyboard(mKeyboardInput.lock);
    std::lock_guard<std::mutex> synth(mSynthInput.lock);
    mPlug.store(nullptr);
  }
  // What a keyboard played and still waits for the output is stale now: a
  // long burst would hold the quit for minutes. The rest of what the output
  // holds goes out next: a firmware image cut short after the synth has
  // erased its flash leaves it without one. No fixed limit, which a slow
  // machine would cut it at: the wait lasts while the output moves (a dead
  // or stopped server is not waited for).
  if (mOutputGate) (void)mOutputGate->DropPlayed();
  if (mOutputGate && mOutputOpen && !mServerLost && !mWatch->Lost()) (void)mOutputGate->Drain(kQuitStallMs);
  // Then the output: nothing more goes to the closing port.
  if (mOutputGate) mOutputGate->Close();
  mOutputOpen = false;
  // A plug-in kept for a return that never came is let go of.
  mReturningPlug = nullptr;
  // The library complains about a callback cancelled twice.
  const bool cancel = mCallbacksSet;
  mCallbacksSet = false;
  RtMidiIn* inputs[] = {mMidiIn.get(), mKeyboardMidiIn.get()};
  JackMidiInput* readers[] = {mSynthReader.get(), mKeyboardReader.get()};
  RtMidiOut* output = mMidiOut.get();
  if (!inputs[0] && !inputs[1] && !readers[0] && !readers[1] && !output) return;
  const bool answered = WithinServerWait([inputs, readers, output, cancel] {
    for (JackMidiInput* reader : readers)
      if (reader) reader->ClosePort();
    for (RtMidiIn* in : inputs)
    {
      if (!in) continue;
      try
      {
        if (cancel) in->cancelCallback();
        in->closePort();
      }
      catch (const RtMidiError& error)
      {
        error.printMessage();
      }
    }
    if (!output) return;
    try
    {
      output->closePort();
    }
    catch (const RtMidiError& error)
    {
      error.printMessage();
    }
  });
  if (!answered) GiveUpServer();
}

// ---- the callbacks and the delivery ----

namespace
{
// The inputs are told to drop active sensing; one found inside a glued
// message is dropped the same way.
bool IsActiveSensing(const uint8_t* bytes, size_t size)
{
  return size == 1 && bytes[0] == 0xFE;
}
}  // namespace

void MidiPorts::DeliverFromSynth(const unsigned char* bytes, size_t size)
{
  mSynthCleaner.Feed(bytes, size, [this](const uint8_t* message, size_t length) {
    if (IsActiveSensing(message, length)) return;
    mSynthInput.Push(message, length);
  });
}

bool MidiPorts::InputDelivery::Push(const uint8_t* bytes, size_t size, size_t keepFree)
{
  if (!queue.Push(bytes, size, keepFree)) return false;
  queued.fetch_add(1, std::memory_order_release);
  return true;
}

void MidiPorts::DeliveryLoop(InputDelivery& input, HandMessage hand, const MidiChannelSetting& channel)
{
  // Losses to a full queue are told once for each overflow: from the first
  // loss seen until the queue has run empty again. Told before the next
  // message is handed on, so the line comes while the musician still plays.
  size_t told = 0;
  bool telling = false;
  // Every message and the stop wake the queue: an idle editor's delivery
  // thread sleeps till then.
  while (!mStopDelivery)
  {
    input.queue.Wait();
    input.queue.Drain([this, &input, hand, &channel, &told, &telling](const uint8_t* bytes, size_t size) {
      const size_t lost = input.queue.Overflows();
      if (!telling && lost > told)
      {
        std::fprintf(stderr,
                     "ZephraEditor: messages from %s were lost, the editor could not take them as fast (%zu in all)\n",
                     input.source, lost);
        telling = true;
      }
      {
        std::lock_guard<std::mutex> lock(input.lock);
        IUnitBase* plug = mPlug.load();
        if (plug)
        {
          try
          {
            hand(*plug, bytes, size, channel);
          }
          catch (...)
          {
            // A fault in one message must not end the delivery of the rest.
          }
        }
      }
      input.delivered.fetch_add(1, std::memory_order_release);
    });
    if (!telling) continue;
    told = input.queue.Overflows();
    telling = false;
  }
}

void HandSynthMessage(IUnitBase& plug, const uint8_t* bytes, size_t size, int inChannel)
{
  BASE_MutexLock lock(plug.GetMutex());
  if (size > 3)
  {
    ISysEx sysEx(0, bytes, static_cast<int>(size));
    plug.ProcessSysEx(&sysEx);
    return;
  }
  IMidiMsg msg = MakeShortMidiMsg(bytes, size);
  if (inChannel != 0 && msg.Channel() + 1 != inChannel) return;
  plug.ProcessMidiMsg(&msg);
}

bool MidiPorts::WaitUntilDelivered(int timeoutMs)
{
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (const InputDelivery* input : {&mSynthInput, &mKeyboardInput})
    while (input->delivered.load(std::memory_order_acquire) != input->queued.load(std::memory_order_acquire))
    {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  return true;
}

void MidiPorts::DeliverFromKeyboard(const unsigned char* bytes, size_t size)
{
  mKeyboardCleaner.Feed(bytes, size, [this](const uint8_t* message, size_t length) {
    // Only what the keyboard hook takes is queued: the queue's slots hold
    // short messages.
    if (length == 0 || length > 3 || IsActiveSensing(message, length)) return;
    if (mKeyboardInput.Push(message, length, mKeyboardReserve.PlacesToLeave(message, length)))
      mKeyboardReserve.Taken(message, length);
  });
}

void HandKeyboardMessage(IUnitBase& plug, const uint8_t* bytes, size_t size, int inChannel)
{
  // SysEx from a keyboard means nothing to the synth link.
  if (size == 0 || size > 3 || IsActiveSensing(bytes, size)) return;
  IMidiMsg msg = MakeShortMidiMsg(bytes, size);
  // Clock passes whatever the channel filter says: it has no channel.
  if (bytes[0] != 0xF8 && inChannel != 0 && msg.Channel() + 1 != inChannel) return;
  plug.ProcessKeyboardMidiMsg(&msg);
}

void MidiPorts::ReceiveFromSynth(const uint8_t* bytes, size_t size, void* self)
{
  static_cast<MidiPorts*>(self)->DeliverFromSynth(bytes, size);
}

void MidiPorts::ReceiveFromKeyboard(const uint8_t* bytes, size_t size, void* self)
{
  static_cast<MidiPorts*>(self)->DeliverFromKeyboard(bytes, size);
}

void MidiPorts::MIDICallback(double /*timeStamp*/, std::vector<unsigned char>* bytes,
                             void* user) noexcept
{
  if (!bytes || !user) return;
  try
  {
    static_cast<MidiPorts*>(user)->DeliverFromSynth(bytes->data(), bytes->size());
  }
  catch (...)
  {
    // Nothing may unwind into the library's thread.
  }
}

void MidiPorts::MIDICallbackB(double /*timeStamp*/, std::vector<unsigned char>* bytes,
                              void* user) noexcept
{
  if (!bytes || !user) return;
  try
  {
    static_cast<MidiPorts*>(user)->DeliverFromKeyboard(bytes->data(), bytes->size());
  }
  catch (...)
  {
  }
}
