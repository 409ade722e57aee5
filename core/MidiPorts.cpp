#include "core/MidiPorts.h"
#include "core/SettingsNames.h"

#include "core/BASE_Mutex.h"
#include "core/IUnitBase.h"
#include "core/PacedMidiOut.h"

#include <chrono>
#include <cstring>

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
  WaitForInputs();
  CloseAll();
  mStopDelivery = true;
  mSynthQueue.Wake();
  if (mDeliveryThread.joinable()) mDeliveryThread.join();
}

void MidiPorts::SetPlug(IUnitBase* plug)
{
  {
    std::lock_guard<std::mutex> keyboard(mDeliveryLock);
    std::lock_guard<std::mutex> synth(mSynthDeliveryLock);
    mPlug.store(plug);
  }
  if (plug && !mDeliveryThread.joinable()) mDeliveryThread = std::thread(&MidiPorts::DeliveryLoop, this);
}

void MidiPorts::SetOutputGate(PacedMidiOut* gate)
{
  mOutputGate = gate;
  if (!gate) return;
  if (mOutputOpen)
    gate->Open();
  else
    gate->Close();
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
  StartMidi(api);
  return FinishMidi();
}

void MidiPorts::StartMidi(RtMidi::Api api)
{
  CloseAll();
  mMidiIn.reset();
  mKeyboardMidiIn.reset();
  mMidiOut.reset();
  mInputsMade = false;
  RtMidi::Api chosen = api == RtMidi::UNSPECIFIED ? RtMidi::LINUX_ALSA : api;
  try
  {
    mMidiOut = std::make_unique<RtMidiOut>(chosen, kOutputClientName);
  }
  catch (const RtMidiError& error)
  {
    error.printMessage();
    // No ALSA sequencer on this machine: the JACK server is the MIDI system.
    if (api != RtMidi::UNSPECIFIED) return;
    chosen = RtMidi::UNIX_JACK;
  }
  mApi = chosen;
  try
  {
    if (!mMidiOut) mMidiOut = std::make_unique<RtMidiOut>(chosen, kOutputClientName);
  }
  catch (const RtMidiError& error)
  {
    error.printMessage();
    return;
  }
  // The sound server takes tens of milliseconds to admit each client: the
  // inputs are made meanwhile, while the caller goes on with the output.
  mInputMaker = std::thread([this, chosen] {
    try
    {
      mMidiIn = std::make_unique<RtMidiIn>(chosen, kInputClientName, kInputQueueLimit);
      mKeyboardMidiIn = std::make_unique<RtMidiIn>(chosen, kInputClientName, kInputQueueLimit);
      mMidiIn->setCallback(&MidiPorts::MIDICallback, this);
      mKeyboardMidiIn->setCallback(&MidiPorts::MIDICallbackB, this);
      mMidiIn->ignoreTypes(false, false, true);
      mKeyboardMidiIn->ignoreTypes(false, false, true);
      mCallbacksSet = true;
      mInputsMade = true;
    }
    catch (const RtMidiError& error)
    {
      error.printMessage();
    }
  });
}

bool MidiPorts::FinishMidi()
{
  WaitForInputs();
  return mMidiOut && mInputsMade;
}

void MidiPorts::WaitForInputs()
{
  if (mInputMaker.joinable()) mInputMaker.join();
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
  WaitForInputs();
  if (!mMidiIn || !mMidiOut) return;
  mInputNames = {"off", "virtual input"};
  mOutputNames = {"off", "virtual output"};
  const unsigned inputs = mMidiIn->getPortCount();
  for (unsigned i = 0; i < inputs; ++i) mInputNames.push_back(PortName(*mMidiIn, i));
  const unsigned outputs = mMidiOut->getPortCount();
  for (unsigned i = 0; i < outputs; ++i) mOutputNames.push_back(PortName(*mMidiOut, i));
}

// ---- choosing ports ----

namespace
{
int ChoiceNumber(const char* name, const char* virtualName, RtMidi* midi)
{
  if (!name) return -1;
  if (std::strcmp(name, "off") == 0) return 0;
  if (std::strcmp(name, virtualName) == 0) return 1;
  if (!midi) return -1;
  try
  {
    const unsigned count = midi->getPortCount();
    for (unsigned i = 0; i < count; ++i)
      if (midi->getPortName(i) == name) return 2 + static_cast<int>(i);
  }
  catch (const RtMidiError& error)
  {
    error.printMessage();
  }
  return -1;
}
}  // namespace

int MidiPorts::GetMIDIInPortNumber(const char* name) const
{
  return ChoiceNumber(name, "virtual input", mMidiIn.get());
}

int MidiPorts::GetMIDIInBPortNumber(const char* name) const
{
  return ChoiceNumber(name, "virtual input", mKeyboardMidiIn.get());
}

int MidiPorts::GetMIDIOutPortNumber(const char* name) const
{
  return ChoiceNumber(name, "virtual output", mMidiOut.get());
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
  if (which != Which::kOut) WaitForInputs();
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
      midi = mKeyboardMidiIn.get();
      field = &mState.mInBDev;
      n = GetMIDIInBPortNumber(name);
      break;
    case Which::kOut:
      midi = mMidiOut.get();
      field = &mState.mOutDev;
      n = GetMIDIOutPortNumber(name);
      break;
  }
  if (n < 0)
  {
    // The stored port is gone (or never was): fall back to "off" and say so
    // in the settings, so the next start does not look for it again.
    *field = "off";
    (void)UpdateINI();
    n = 0;
  }
  if (!midi) return false;
  const bool output = which == Which::kOut;
  if (output)
  {
    // The library's JACK output waits without end for ring space that a
    // closed port never frees: stop handing it anything first.
    if (mOutputGate) mOutputGate->Close();
    mOutputOpen = false;
  }
  try
  {
    midi->closePort();
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
  if (output && n >= 1)
  {
    mOutputOpen = true;
    if (mOutputGate) mOutputGate->Open();
  }
  return true;
}

void MidiPorts::CloseAll()
{
  WaitForInputs();
  // Output first: a paced message still going out is cancelled, so that
  // shut-down never waits for it and nothing goes to the closing port.
  if (mOutputGate) mOutputGate->Close();
  mOutputOpen = false;
  // Delivery stops next, so that whatever the library still hands over
  // after this point never reaches a plug-in that may be about to go.
  {
    std::lock_guard<std::mutex> keyboard(mDeliveryLock);
    std::lock_guard<std::mutex> synth(mSynthDeliveryLock);
    mPlug.store(nullptr);
  }
  // The library complains about a callback cancelled twice.
  const bool cancel = mCallbacksSet;
  mCallbacksSet = false;
  for (RtMidiIn* in : {mMidiIn.get(), mKeyboardMidiIn.get()})
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
  if (mMidiOut)
  {
    try
    {
      mMidiOut->closePort();
    }
    catch (const RtMidiError& error)
    {
      error.printMessage();
    }
  }
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
    if (mSynthQueue.Push(message, length)) mSynthQueued.fetch_add(1, std::memory_order_release);
  });
}

void MidiPorts::DeliveryLoop()
{
  while (!mStopDelivery)
  {
    mSynthQueue.Wait(kDeliveryPollMs);
    mSynthQueue.Drain([this](const uint8_t* bytes, size_t size) {
      {
        std::lock_guard<std::mutex> lock(mSynthDeliveryLock);
        IUnitBase* plug = mPlug.load();
        if (plug)
        {
          try
          {
            DeliverSynthMessage(*plug, bytes, size);
          }
          catch (...)
          {
            // A fault in one message must not end the delivery of the rest.
          }
        }
      }
      mSynthDelivered.fetch_add(1, std::memory_order_release);
    });
  }
}

void MidiPorts::DeliverSynthMessage(IUnitBase& plug, const uint8_t* bytes, size_t size)
{
  BASE_MutexLock lock(plug.GetMutex());
  if (size > 3)
  {
    ISysEx sysEx(0, bytes, static_cast<int>(size));
    plug.ProcessSysEx(&sysEx);
    return;
  }
  IMidiMsg msg = MakeShortMidiMsg(bytes, size);
  if (mState.mInChan != 0 && msg.Channel() + 1 != mState.mInChan) return;
  plug.ProcessMidiMsg(&msg);
}

bool MidiPorts::WaitUntilDelivered(int timeoutMs)
{
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (mSynthDelivered.load(std::memory_order_acquire) != mSynthQueued.load(std::memory_order_acquire))
  {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

void MidiPorts::DeliverFromKeyboard(const unsigned char* bytes, size_t size)
{
  mKeyboardCleaner.Feed(bytes, size, [this](const uint8_t* message, size_t length) {
    DeliverKeyboardMessage(message, length);
  });
}

void MidiPorts::DeliverKeyboardMessage(const uint8_t* bytes, size_t size)
{
  // SysEx from a keyboard means nothing to the synth link.
  if (size == 0 || size > 3 || IsActiveSensing(bytes, size)) return;
  std::lock_guard<std::mutex> lock(mDeliveryLock);
  IUnitBase* plug = mPlug.load();
  if (!plug) return;
  IMidiMsg msg = MakeShortMidiMsg(bytes, size);
  // Clock passes whatever the channel filter says: it has no channel.
  if (bytes[0] != 0xF8 && mState.mInBChan != 0 && msg.Channel() + 1 != mState.mInBChan) return;
  plug->ProcessKeyboardMidiMsg(&msg);
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
