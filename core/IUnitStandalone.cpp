#include "core/IUnitStandalone.h"

#include <rtmidi/RtMidi.h>

IUnitStandalone::IUnitStandalone(const IUnitInstanceInfo& info, int nParams,
                                 const char* channelIO, int nPresets, const char* effectName,
                                 const char* productName, const char* mfrName, int vendorVersion,
                                 int uniqueID, int mfrID, int latency, bool doesMIDI,
                                 bool doesChunks, bool isInstrument)
  : IUnitBase(nParams, channelIO, nPresets, effectName, productName, mfrName, vendorVersion,
              uniqueID, mfrID, latency, doesMIDI, doesChunks, isInstrument, kAPIStandalone),
    mMidiOut(info.mMidiOut),
    mMidiOutChan(info.mMidiOutChan)
{
  SetInputChannelConnections(0, NInChannels(), true);
  SetOutputChannelConnections(0, NOutChannels(), true);
  SetBlockSize(1024);
  SetHost("standalone", vendorVersion);
}

IUnitStandalone::~IUnitStandalone() = default;

bool IUnitStandalone::Send(const uint8_t* bytes, size_t size, PacedMidiOut::Traffic traffic)
{
  return mOut.Send(bytes, size, traffic);
}

bool IUnitStandalone::WriteToLibrary(const uint8_t* bytes, size_t size)
{
  // This may run on an RtMidi input thread, inside its callback: the
  // library's errors must end here.
  if (!mMidiOut) return false;
  try
  {
    mMidiOut->sendMessage(bytes, size);
    return true;
  }
  catch (const std::exception&)  // RtMidiError among them
  {
    return false;
  }
}

int IUnitStandalone::MakeWireBytes(const IMidiMsg& msg, int outChannel, uint8_t bytes[3])
{
  const int length = msg.WireLength();
  bytes[0] = msg.mStatus;
  bytes[1] = msg.mData1;
  bytes[2] = msg.mData2;
  // The channel belongs to channel messages only; a system message's low
  // four bits are part of its kind (F8 clock must stay F8).
  const bool channelMessage = msg.mStatus >= 0x80 && msg.mStatus < 0xF0;
  if (channelMessage && outChannel >= 1 && outChannel <= 16)
    bytes[0] = static_cast<uint8_t>((msg.mStatus & 0xF0) | (outChannel - 1));
  return length;
}

bool IUnitStandalone::SendMidiMsgAs(const IMidiMsg* msg, PacedMidiOut::Traffic traffic)
{
  // The output object may come later (the sound server starts after the
  // editor): the gate answers for it.
  if (!DoesMIDI() || !msg) return false;
  uint8_t bytes[3];
  const int length = MakeWireBytes(*msg, mMidiOutChan ? *mMidiOutChan : 0, bytes);
  return length > 0 && Send(bytes, static_cast<size_t>(length), traffic);
}

bool IUnitStandalone::SendSysExAs(const ISysEx* sysEx, PacedMidiOut::Traffic traffic)
{
  if (!sysEx || !sysEx->mData || sysEx->mSize <= 0) return false;
  return Send(sysEx->mData, static_cast<size_t>(sysEx->mSize), traffic);
}

bool IUnitStandalone::SendMidiMsg(const IMidiMsg* msg) { return SendMidiMsgAs(msg, PacedMidiOut::Traffic::kOwn); }
bool IUnitStandalone::SendSysEx(const ISysEx* sysEx) { return SendSysExAs(sysEx, PacedMidiOut::Traffic::kOwn); }

void IUnitStandalone::ResizeGraphics(int /*width*/, int /*height*/)
{
  IGraphicsLink* graphics = GetGUI();
  if (!graphics) return;
  IStandaloneWindow::Rect rect;
  if (mMainWindow && mMainWindow->GetWindowRect(&rect))
  {
    const int width = graphics->Width();
    const int height = graphics->Height() + kTitleBarHeight;
    // y grows upward: the top edge stays where it is when the bottom moves.
    mMainWindow->SetWindowPos(rect.left, rect.bottom - height, width, height);
  }
  OnWindowResize();
}

void IUnitStandalone::LockMutexAndProcessDoubleReplacing(double** inputs, double** outputs,
                                                          int frames)
{
  BASE_MutexLock lock(GetMutex());
  ProcessDoubleReplacing(inputs, outputs, frames);
}
