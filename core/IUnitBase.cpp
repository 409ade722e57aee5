#include "core/IUnitBase.h"

#include "core/FixedText.h"
#include "core/Hosts.h"
#include "core/Log.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

// ---- version helpers ----

void GetVersionParts(int version, int* major, int* minor, int* revision)
{
  if (major) *major = (version >> 16) & 0xFFFF;
  if (minor) *minor = (version >> 8) & 0xFF;
  if (revision) *revision = version & 0xFF;
}

int GetDecimalVersion(int version)
{
  int major, minor, revision;
  GetVersionParts(version, &major, &minor, &revision);
  return major * 10000 + minor * 100 + revision;
}

void GetVersionStr(int version, char* text, int size)
{
  if (!text || size <= 0) return;
  int major, minor, revision;
  GetVersionParts(version, &major, &minor, &revision);
  snprintf(text, static_cast<size_t>(size), "v%d.%d.%d", major, minor, revision);
}

// ---- construction ----

IUnitBase::IUnitBase(int nParams, const char* channelIO, int nPresets, const char* effectName,
                     const char* productName, const char* mfrName, int vendorVersion,
                     int uniqueID, int mfrID, int latency, bool doesMIDI, bool doesChunks,
                     bool isInstrument, int api)
  : mUniqueID(uniqueID),
    mMfrID(mfrID),
    mVersion(vendorVersion),
    mAPI(api),
    mDoesChunks(doesChunks),
    mIsInstrument(isInstrument),
    mDoesMIDI(doesMIDI),
    mLatency(latency)
{
  Trace("IUnitBase", __LINE__, "params=%d presets=%d", nParams, nPresets);

  for (int i = 0; i < nParams; ++i) mParams.Add(new IParam());
  for (int i = 0; i < nPresets; ++i) mPresets.Add(new IPreset());

  CopyFixedText(mEffectName, effectName);
  CopyFixedText(mProductName, productName);
  CopyFixedText(mMfrName, mfrName);

  int nIn = 0, nOut = 0;
  ParseChannelIO(channelIO, &nIn, &nOut);
  CreateChannels(nIn, nOut);

  if (mLatency > 0 && nIn > 0)
  {
    mDelay = std::make_unique<DelayLine>();
    mDelay->mChannels = nIn;
    SetLatency(mLatency);
  }

  mLiveLayout = std::make_unique<ILiveLayoutState>();
}

IUnitBase::~IUnitBase()
{
  // The GUI's controls may still reach into the plug-in while they go.
  mGraphics.reset();
  mParams.Empty(true);
  mPresets.Empty(true);
  mInChannels.Empty(true);
  mOutChannels.Empty(true);
  mChannelIO.Empty(true);
  mInputBusLabels.Empty(true);
  mOutputBusLabels.Empty(true);
  mDelay.reset();
  mLiveLayout.reset();
}

void IUnitBase::ParseChannelIO(const char* channelIO, int* maxIn, int* maxOut)
{
  *maxIn = *maxOut = 0;
  if (!channelIO) return;
  const char* p = channelIO;
  while (*p)
  {
    // Each token is read as "%d-%d"; a token that does not parse adds nothing.
    char* end = nullptr;
    const long nIn = strtol(p, &end, 10);
    if (end != p && *end == '-')
    {
      const char* outStart = end + 1;
      const long nOut = strtol(outStart, &end, 10);
      if (end != outStart && nIn >= 0 && nOut >= 0 && nIn <= 1024 && nOut <= 1024)
      {
        auto* pair = new ChannelIO{static_cast<int>(nIn), static_cast<int>(nOut)};
        if (!mChannelIO.Add(pair)) delete pair;
        if (nIn > *maxIn) *maxIn = static_cast<int>(nIn);
        if (nOut > *maxOut) *maxOut = static_cast<int>(nOut);
      }
    }
    while (*p && *p != ' ') ++p;
    while (*p == ' ') ++p;
  }
}

// ---- virtual slots ----

void IUnitBase::Reset()
{
  BASE_MutexLock lock(mMutex);
}

void IUnitBase::OnParamChange(int /*paramIndex*/)
{
  BASE_MutexLock lock(mMutex);
}

void IUnitBase::OnActivate(bool /*active*/)
{
  BASE_MutexLock lock(mMutex);
}

void IUnitBase::ProcessMidiMsg(IMidiMsg* msg)
{
  (void)SendMidiMsg(msg);
}

void IUnitBase::ProcessKeyboardMidiMsg(IMidiMsg* msg)
{
  (void)SendMidiMsg(msg);
}

bool IUnitBase::MidiNoteName(int /*noteNumber*/, char* name, int nameSize)
{
  if (name && nameSize > 0) name[0] = '\0';
  return false;
}

bool IUnitBase::SerializeState(ByteChunk* chunk)
{
  return SerializeParams(chunk);
}

int IUnitBase::UnserializeState(ByteChunk* chunk, int startPosition)
{
  return UnserializeParams(chunk, startPosition);
}

bool IUnitBase::CompareState(const uint8_t* data, int size, int startPosition)
{
  const int n = NParams();
  if (n == 0) return true;
  if (!data || startPosition < 0 || size < 0) return false;
  const long long first = static_cast<long long>(startPosition) * 8;
  if (first + static_cast<long long>(n) * 8 > size) return false;
  for (int i = 0; i < n; ++i)
  {
    double stored;
    memcpy(&stored, data + first + 8LL * i, sizeof(stored));
    const float a = static_cast<float>(GetParam(i)->Value());
    const float b = static_cast<float>(stored);
    if (!(std::fabs(a - b) < 1e-5f)) return false;
  }
  return true;
}

void IUnitBase::SetParameterFromGUI(int paramIndex, double normalized)
{
  BASE_MutexLock lock(mMutex);
  IParam* param = GetParam(paramIndex);
  if (!param) return;
  Trace("SetParameterFromGUI", __LINE__, "%d:%f", paramIndex, normalized);
  param->Set(normalized);
  InformHostOfParamChange(paramIndex, normalized);
  OnParamChange(paramIndex);
}

void IUnitBase::SetParameterFromGUI2(int paramIndex, double value)
{
  BASE_MutexLock lock(mMutex);
  IParam* param = GetParam(paramIndex);
  if (!param) return;
  param->SetPlain(value);
  OnParamChange(paramIndex);
}

void IUnitBase::AttachGraphics(IGraphicsLink* graphics)
{
  if (!graphics) return;
  BASE_MutexLock lock(mMutex);
  if (mGUIResize) graphics->AttachGUIResize(mGUIResize);
  const int n = NParams();
  for (int i = 0; i < n; ++i) graphics->SetParameterFromPlug(i, GetParam(i)->GetNormalized(), true);
  graphics->PrepDraw();
  // Attaching the object we already own must not delete it.
  if (mGraphics.get() != graphics) mGraphics.reset(graphics);
  StoreLiveLayout();
}

void IUnitBase::CloseGraphics()
{
  // The manager is one of the GUI's controls and goes with it.
  mGUIResize = nullptr;
  mGraphics.reset();
}

void IUnitBase::RedrawParamControls()
{
  if (!mGraphics) return;
  std::vector<double> values(static_cast<size_t>(NParams()));
  for (size_t i = 0; i < values.size(); ++i) values[i] = GetParam(static_cast<int>(i))->Value();
  mGraphics->SetParametersFromPlug(values);
}

// ---- identity and host ----

int IUnitBase::GetEffectVersion(bool decimal) const
{
  return decimal ? GetDecimalVersion(mVersion) : mVersion;
}

void IUnitBase::GetEffectVersionStr(char* text, int size) const
{
  GetVersionStr(mVersion, text, size);
}

int IUnitBase::GetHostVersion(bool decimal)
{
  GetHost();
  return decimal ? GetDecimalVersion(mHostVersion) : mHostVersion;
}

void IUnitBase::GetHostVersionStr(char* text, int size)
{
  GetHost();
  GetVersionStr(mHostVersion, text, size);
}

const char* IUnitBase::GetAPIString()
{
  static const char* const kNames[] = {"VST2", "VST3", "AU", "RTAS", "AAX", "Standalone"};
  const int api = GetAPI();
  return api >= 0 && api <= kAPIStandalone ? kNames[api] : "";
}

void IUnitBase::SetHost(const char* hostName, int hostVersion)
{
  mHost = LookUpHost(hostName);
  mHostVersion = hostVersion;
}

double IUnitBase::GetSamplesPerBeat()
{
  const double tempo = GetTempo();
  return tempo > 0.0 ? mSampleRate * 60.0 / tempo : 0.0;
}

// ---- GUI ----

void IUnitBase::StoreLiveLayout()
{
  if (mGraphics && mLiveLayout) mGraphics->StoreLiveLayout(mLiveLayout.get());
}

void IUnitBase::ResizeAtGUIOpen()
{
  if (mGUIResize) mGUIResize->ResizeAtGUIOpen();
}

// ---- parameters and state ----

void IUnitBase::OnParamReset()
{
  const int n = NParams();
  for (int i = 0; i < n; ++i) OnParamChange(i);
}

bool IUnitBase::SerializeParams(ByteChunk* chunk)
{
  if (!chunk) return false;
  BASE_MutexLock lock(mMutex);
  const int n = NParams();
  for (int i = 0; i < n; ++i)
  {
    const double value = GetParam(i)->Value();
    if (chunk->Put(&value) < 0) return false;
  }
  Trace("SerializeParams", __LINE__, "%d", n);
  return true;
}

int IUnitBase::UnserializeParams(ByteChunk* chunk, int startPosition)
{
  BASE_MutexLock lock(mMutex);
  int position = chunk && startPosition >= 0 ? startPosition : -1;
  const int n = NParams();
  for (int i = 0; i < n && position >= 0; ++i)
  {
    double value;
    position = chunk->Get(&value, position);
    // The parameter at which the data runs out is zeroed (within its
    // range); those after it keep what they hold.
    if (position < 0) value = 0.0;
    GetParam(i)->SetPlain(value);
  }
  Trace("UnserializeParams", __LINE__, "%d", position);
  OnParamReset();
  return position;
}

bool IUnitBase::SendMidiMsgs(const IMidiMsg* msgs, int count)
{
  bool allSent = true;
  for (int i = 0; i < count && msgs; ++i) allSent = SendMidiMsg(&msgs[i]) && allSent;
  return allSent;
}

void IUnitBase::DirtyParameters()
{
  BASE_MutexLock lock(mMutex);
  const int n = NParams();
  for (int i = 0; i < n; ++i) InformHostOfParamChange(i, GetParam(i)->GetNormalized());
}
