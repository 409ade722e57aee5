// IUnitBase: the base class of the plug-in object. It owns the parameters,
// the presets, the channel configuration, the graphics object (once
// attached) and the recursive plug-in mutex, and declares the virtual
// operations through which the GUI, the MIDI inputs and the wrapper reach the
// plug-in, in a fixed order (their slots; keep it when adding members).
//
// Threads: the GUI thread, the MIDI input threads and the editor's timer
// thread all come here. Parameters, presets and a subclass's state are
// guarded by the plug-in mutex; the operations that say "under the mutex"
// take it themselves, the others expect their caller to hold it where it
// matters. The mutex is recursive, so handlers may call back in.
//
// Sections: construction and identity / virtual slots / parameters and state
// / channels and audio buffers / presets and FXP/FXB files (the last two in
// IUnitBaseAudio.cpp and IUnitBasePresets.cpp).
#pragma once

#include "core/BASE_Mutex.h"
#include "core/BASE_PtrList.h"
#include "core/BASE_String.h"
#include "core/BASE_TypedBuf.h"
#include "core/ByteChunk.h"
#include "core/IGraphicsLink.h"
#include "core/IMidiMsg.h"
#include "core/IParam.h"

#include <cstdint>
#include <memory>

// Plug-in API codes; GetAPIString names them.
enum EAPI
{
  kAPIStandalone = 5,
};

// One preset: a name and a serialised copy of the plug-in state.
struct IPreset
{
  static constexpr int kNameSize = 256;  // bytes, terminator included

  IPreset();

  bool mInitialized = false;
  char mName[kNameSize];
  ByteChunk mChunk;
};

// ---- version helpers: version words are 0xMMMMmmrr ----
void GetVersionParts(int version, int* major, int* minor, int* revision);
// major * 10000 + minor * 100 + revision.
int GetDecimalVersion(int version);
// "v%d.%d.%d", cut to fit size bytes.
void GetVersionStr(int version, char* text, int size);

// ---- preset list helpers ----
IPreset* GetNextUninitializedPreset(BASE_PtrList<IPreset>* presets);
// "user preset N", N being 1 + the number of presets whose name contains
// "user preset"; cut to fit size bytes.
void MakeDefaultUserPresetName(BASE_PtrList<IPreset>* presets, char* destination, int size);

// ---- state chunk header: the magic 'pfft' and the framework version ----
constexpr int32_t kIUnitChunkMagic = 0x70666674;  // 'pfft'
constexpr int32_t kIUnitFrameworkVersion = 0x010000;
// Empties chunk and writes the header.
void InitChunkWithIUnitVer(ByteChunk* chunk);
// The version when the 8 bytes at *position are a header (and *position
// moves past them); otherwise 0 and *position stays.
int GetIUnitVerFromChunk(ByteChunk* chunk, int* position);

class IUnitBase
{
public:
  static constexpr int kNameSize = 128;  // effect, product and maker names

  // channelIO: blank-separated "inputs-outputs" pairs such as "0-1 0-2".
  IUnitBase(int nParams, const char* channelIO, int nPresets, const char* effectName,
            const char* productName, const char* mfrName, int vendorVersion, int uniqueID,
            int mfrID, int latency, bool doesMIDI, bool doesChunks, bool isInstrument, int api);
  IUnitBase(const IUnitBase&) = delete;
  IUnitBase& operator=(const IUnitBase&) = delete;

  // ---- virtual slots, in their fixed order ----
  // Deletes the graphics object first, the mutex last.
  virtual ~IUnitBase();
  virtual void Reset();
  // Called under the mutex after a parameter changed.
  virtual void OnParamChange(int paramIndex);
  // Copies each input to the output of the same index and zeroes the rest.
  virtual void ProcessDoubleReplacing(double** inputs, double** outputs, int frames);
  virtual void ProcessSingleReplacing(float** inputs, float** outputs, int frames);
  virtual void OnGUIOpen() {}
  virtual void OnGUIClose() {}
  // GUI thread: true while OnIdle counts its passes as time (a blinking
  // lamp), so that the surface keeps its full frame rate rather than resting.
  virtual bool IdleIsTimed() { return false; }
  // GUI thread, when no control needed redrawing at two checks in a row (at
  // each check while the surface rests).
  virtual void OnIdle() {}
  virtual void OnActivate(bool active);
  // MIDI input threads; by default passed through to SendMidiMsg.
  virtual void ProcessMidiMsg(IMidiMsg* msg);
  virtual void ProcessSysEx(ISysEx* /*sysEx*/) {}
  virtual void ProcessKeyboardMidiMsg(IMidiMsg* msg);
  // Writes "" and returns false.
  virtual bool MidiNoteName(int noteNumber, char* name, int nameSize);
  virtual bool SerializeState(ByteChunk* chunk);
  // Returns the position after the state, or -1.
  virtual int UnserializeState(ByteChunk* chunk, int startPosition);
  // True when the doubles in data from element startPosition on match every
  // parameter to 1e-5 in single precision; false when data (size bytes)
  // does not hold them all.
  virtual bool CompareState(const uint8_t* data, int size, int startPosition);
  virtual void OnWindowResize() {}
  virtual void SetGUILayout(int /*viewMode*/, double /*width*/, double /*height*/) {}
  virtual bool HostRequestingAboutBox() { return false; }
  // Menu commands of the standalone application's main window.
  virtual bool OnStandaloneMenuCommand(int /*commandIndex*/) { return false; }
  virtual void ReservedHook22() {}
  virtual void ReservedHook23() {}
  // Under the mutex: the normalised value through the parameter's curve and
  // step, the host notice, then OnParamChange. Out-of-range indices are ignored.
  virtual void SetParameterFromGUI(int paramIndex, double normalized);
  // Under the mutex: the plain value clamped to the range, then
  // OnParamChange. Out-of-range indices are ignored.
  virtual void SetParameterFromGUI2(int paramIndex, double value);
  virtual void BeginInformHostOfParamChange(int /*paramIndex*/) {}
  virtual void InformHostOfParamChange(int /*paramIndex*/, double /*normalized*/) {}
  virtual void EndInformHostOfParamChange(int /*paramIndex*/) {}
  virtual void InformHostOfProgramChange() {}
  virtual bool IsRenderingOffline() { return false; }
  virtual int GetSamplePos() { return 0; }
  virtual double GetTempo() { return 0.0; }
  virtual void GetTimeSig(int* /*numerator*/, int* /*denominator*/) {}
  virtual void GetTime() {}
  virtual int GetHost() { return mHost; }
  virtual int GetAPI() { return mAPI; }
  virtual void ResizeGraphics(int /*width*/, int /*height*/) {}
  virtual void HostSpecificInit() {}
  // Under the mutex: attaches the resize manager, shows every parameter on
  // its controls, prepares drawing, takes ownership of graphics and records
  // the live layout. A null pointer changes nothing.
  virtual void AttachGraphics(IGraphicsLink* graphics);
  virtual void SetLatency(int samples);
  // Sends one short message to the MIDI output; false when nothing was sent.
  virtual bool SendMidiMsg(const IMidiMsg* /*msg*/) { return false; }
  virtual bool SendSysEx(const ISysEx* /*sysEx*/) { return false; }
  // Shows every parameter's plain value on its controls. Takes no lock.
  virtual void RedrawParamControls();
  virtual void ReservedHook44() {}
  virtual void OnRestorePreset() {}
  virtual void SetBlockSize(int frames);

  // ---- identity and host ----
  const char* GetEffectName() const { return mEffectName; }
  const char* GetProductName() const { return mProductName; }
  const char* GetMfrName() const { return mMfrName; }
  int GetUniqueID() const { return mUniqueID; }
  int GetMfrID() const { return mMfrID; }
  bool DoesStateChunks() const { return mDoesChunks; }
  bool IsInstrument() const { return mIsInstrument; }
  bool DoesMIDI() const { return mDoesMIDI; }
  int GetEffectVersion(bool decimal) const;
  void GetEffectVersionStr(char* text, int size) const;
  int GetHostVersion(bool decimal);
  void GetHostVersionStr(char* text, int size);
  // The name of the API code ("Standalone" for 5); "" for codes without one.
  const char* GetAPIString();
  const char* GetArchString() const { return "x64"; }
  void SetHost(const char* hostName, int hostVersion);
  double GetSampleRate() const { return mSampleRate; }
  void SetSampleRate(double sampleRate) { mSampleRate = sampleRate; }
  int GetBlockSize() const { return mBlockSize; }
  int GetLatency() const { return mLatency; }
  // Samples per beat at the tempo of GetTempo; 0 without a tempo.
  double GetSamplesPerBeat();

  // ---- GUI ----
  IGraphicsLink* GetGUI() const { return mGraphics.get(); }
  // Deletes the GUI now rather than in this destructor, so that a subclass
  // can let its controls go while all of it still stands.
  void CloseGraphics();
  // The window-size manager (not owned; the graphics object owns it).
  void SetGUIResize(IGUIResizeLink* resizer) { mGUIResize = resizer; }
  IGUIResizeLink* GetGUIResize() const { return mGUIResize; }
  ILiveLayoutState* GetLiveLayoutState() const { return mLiveLayout.get(); }
  void StoreLiveLayout();
  void ResizeAtGUIOpen();

  // ---- parameters and state ----
  BASE_Mutex& GetMutex() { return mMutex; }
  int NParams() const { return mParams.GetSize(); }
  // Null for an index out of range.
  IParam* GetParam(int index) const { return mParams.Get(index); }
  // OnParamChange for every parameter in index order. Takes no lock.
  void OnParamReset();
  // Under the mutex: one double per parameter in index order. False when
  // the chunk could not grow.
  bool SerializeParams(ByteChunk* chunk);
  // Under the mutex: reads one double per parameter from startPosition and
  // stores each clamped to its range; when the data runs out the remaining
  // parameters keep their values and the result is -1. Then OnParamChange
  // for every parameter. Returns the position after the values read.
  int UnserializeParams(ByteChunk* chunk, int startPosition);
  // SendMidiMsg for each message in order; true when every send succeeded.
  bool SendMidiMsgs(const IMidiMsg* msgs, int count);
  // Under the mutex: the host notice for every parameter.
  void DirtyParameters();

  // ---- channels and audio buffers (IUnitBaseAudio.cpp) ----
  int NInChannels() const { return mInChannels.GetSize(); }
  int NOutChannels() const { return mOutChannels.GetSize(); }
  int NChannelIO() const { return mChannelIO.GetSize(); }
  // True when a pair matches both; a negative argument matches anything.
  bool LegalIO(int nIn, int nOut) const;
  void LimitToStereoIO();
  void SetInputChannelConnections(int first, int count, bool connected);
  void SetOutputChannelConnections(int first, int count, bool connected);
  bool IsInChannelConnected(int index) const;
  bool IsOutChannelConnected(int index) const;
  void SetInputLabel(int index, const char* label);
  void SetOutputLabel(int index, const char* label);
  // Buses 0 and 1 only.
  void SetInputBusLabel(int index, const char* label);
  void SetOutputBusLabel(int index, const char* label);
  const char* GetInputLabel(int index) const;
  const char* GetOutputLabel(int index) const;
  // Hand the host's buffers to the channels. Float buffers are converted
  // into the channels' scratch buffers, so at most GetBlockSize() frames of
  // them are used; frames beyond are ignored.
  void AttachInputBuffers(int first, int count, double** buffers, int frames);
  void AttachInputBuffers(int first, int count, float** buffers, int frames);
  void AttachOutputBuffers(int first, int count, double** buffers);
  void AttachOutputBuffers(int first, int count, float** buffers);
  // Runs ProcessDoubleReplacing over the attached buffers; the float forms
  // then write (or add) the results into the attached float outputs. Frames
  // are limited to GetBlockSize(), the size of the scratch buffers.
  void ProcessBuffers(double sampleType, int frames);
  void ProcessBuffers(float sampleType, int frames);
  void ProcessBuffersAccumulating(float sampleType, int frames);
  void ZeroScratchBuffers();
  // Inputs to outputs, delayed by the latency when there is a delay line.
  void PassThroughBuffers(double sampleType, int frames);

  // ---- presets (IUnitBasePresets.cpp) ----
  int NPresets() const { return mPresets.GetSize(); }
  int GetCurrentPresetIdx() const { return mCurrentPresetIdx; }
  // The preset's name, or "" for an index out of range.
  const char* GetPresetName(int index) const;
  void MakeDefaultPreset(const char* name, int count);
  // The next uninitialised preset from plain values, one per parameter in
  // index order; the parameters take those values. False when no preset is
  // left.
  template <class... Values>
  bool MakePreset(const char* name, Values... values)
  {
    const double plain[] = {0.0, static_cast<double>(values)...};
    return MakePresetFromValues(name, plain + 1, static_cast<int>(sizeof...(values)));
  }
  // The same from (parameter index, value) pairs; the other parameters keep
  // their values. count must be the number of pairs.
  template <class... Pairs>
  bool MakePresetFromNamedParams(const char* name, int count, Pairs... pairs)
  {
    static_assert(sizeof...(pairs) % 2 == 0, "index and value pairs");
    const double flat[] = {0.0, static_cast<double>(pairs)...};
    return MakePresetFromPairs(name, count, flat + 1, static_cast<int>(sizeof...(pairs)) / 2);
  }
  bool MakePresetFromChunk(const char* name, const ByteChunk* chunk);
  // base64 (standard alphabet) of a state of size bytes.
  bool MakePresetFromBlob(const char* name, const char* base64, int size);
  void EnsureDefaultPreset();
  void PruneUninitializedPresets();
  [[nodiscard]] bool RestorePreset(int index);
  [[nodiscard]] bool RestorePreset(const char* name);
  // Stores the current state into the current preset; renames it when name
  // is not null.
  void ModifyCurrentPreset(const char* name = nullptr);
  bool SerializePresets(ByteChunk* chunk);
  int UnserializePresets(ByteChunk* chunk, int startPosition);

  // ---- FXP program and FXB bank files ----
  // The whole file image of the current program or of all presets.
  bool BuildProgramFXP(ByteChunk* file);
  bool BuildBankFXB(ByteChunk* file);
  // False for an empty path or when the file could not be written whole.
  [[nodiscard]] bool SaveProgramAsFXP(const char* path);
  [[nodiscard]] bool SaveBankAsFXB(const char* path);
  // Every length and count in the file is checked against the data present;
  // a file that fails any check changes nothing and yields false.
  [[nodiscard]] bool LoadProgramFromFXP(const char* path);
  [[nodiscard]] bool LoadBankFromFXB(const char* path);
  [[nodiscard]] bool LoadProgramFromFXPData(const uint8_t* data, int size);
  [[nodiscard]] bool LoadBankFromFXBData(const uint8_t* data, int size);
  // Source lines that rebuild the current preset: paramNames[i] names
  // parameter i (its index is written when the table or the entry is null).
  [[nodiscard]] bool DumpPresetSrcCode(const char* path, const char* const* paramNames);
  [[nodiscard]] bool DumpPresetBlob(const char* path);
  [[nodiscard]] bool DumpBankBlob(const char* path);

private:
  struct ChannelIO
  {
    int mIn;
    int mOut;
  };
  struct InChannel
  {
    bool mConnected = false;
    int mSlot = 0;  // index into mInData
    BASE_TypedBuf<double> mScratchBuf{4096};
    BASE_String mLabel;
  };
  struct OutChannel
  {
    bool mConnected = false;
    int mSlot = 0;  // index into mOutData
    float* mFDest = nullptr;
    BASE_TypedBuf<double> mScratchBuf{4096};
    BASE_String mLabel;
  };
  struct DelayLine
  {
    int mChannels = 0;
    int mLatency = 0;
    int mPosition = 0;
    BASE_TypedBuf<double> mSamples{4096};
  };
  struct PresetSnapshot;

  void ParseChannelIO(const char* channelIO, int* maxIn, int* maxOut);
  void CreateChannels(int nIn, int nOut);
  template <class Sample>
  void PassInputsToOutputs(Sample** inputs, Sample** outputs, int frames);
  void SetBusLabel(BASE_PtrList<BASE_String>* labels, int index, const char* label);
  int LimitFrames(int frames) const;

  bool MakePresetFromValues(const char* name, const double* values, int count);
  bool MakePresetFromPairs(const char* name, int count, const double* pairs, int nPairs);
  bool PutFxParamValues(ByteChunk* file, const ByteChunk* state);
  bool TakeSnapshot(PresetSnapshot* snapshot);
  void RestoreSnapshot(PresetSnapshot* snapshot);
  void ApplyFxParamValues(const uint8_t* floats);

  BASE_Mutex mMutex;  // first, so that it is the last to go
  BASE_PtrList<ChannelIO> mChannelIO;
  char mEffectName[kNameSize];
  char mProductName[kNameSize];
  char mMfrName[kNameSize];
  int mUniqueID;
  int mMfrID;
  int mVersion;
  int mAPI;
  int mHost = -1;
  int mHostVersion = 0;
  bool mDoesChunks;
  bool mIsInstrument;
  bool mDoesMIDI;
  int mCurrentPresetIdx = 0;
  double mSampleRate = 44100.0;
  int mBlockSize = 0;
  int mLatency;
  std::unique_ptr<DelayLine> mDelay;
  std::unique_ptr<IGraphicsLink> mGraphics;
  IGUIResizeLink* mGUIResize = nullptr;
  std::unique_ptr<ILiveLayoutState> mLiveLayout;
  BASE_PtrList<IParam> mParams;
  BASE_PtrList<IPreset> mPresets;
  BASE_TypedBuf<double*> mInData{4096};
  BASE_TypedBuf<double*> mOutData{4096};
  BASE_PtrList<InChannel> mInChannels;
  BASE_PtrList<OutChannel> mOutChannels;
  BASE_PtrList<BASE_String> mInputBusLabels;
  BASE_PtrList<BASE_String> mOutputBusLabels;
};
