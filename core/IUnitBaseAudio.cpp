// The plug-in base's channels and audio buffer path. This program opens no
// audio stream, so nothing here is driven at run time; it keeps the
// plug-in's audio entry points whole for the wrapper.
#include "core/IUnitBase.h"

#include <cstring>

namespace
{
void ZeroFill(BASE_TypedBuf<double>& samples)
{
  if (samples.Get())
    memset(samples.Get(), 0, sizeof(double) * static_cast<size_t>(samples.GetSize()));
}

// Hands the double results of the connected output channels to their float
// destinations, store(destination, result) writing or adding each sample.
template <class OutChannels, class Store>
void DeliverFloatOutputs(OutChannels& channels, int frames, Store store)
{
  for (int i = 0; i < channels.GetSize(); ++i)
  {
    auto* channel = channels.Get(i);
    const double* result = channel->mScratchBuf.Get();
    if (!channel->mConnected || !channel->mFDest || !result) continue;
    for (int s = 0; s < frames; ++s) store(channel->mFDest[s], static_cast<float>(result[s]));
  }
}
}  // namespace

void IUnitBase::CreateChannels(int nIn, int nOut)
{
  mInData.Resize(nIn);
  mOutData.Resize(nOut);
  for (int i = 0; i < mInData.GetSize(); ++i)
  {
    auto* channel = new InChannel();
    channel->mSlot = i;
    mInData.Get()[i] = channel->mScratchBuf.Get();
    if (!mInChannels.Add(channel)) delete channel;
  }
  for (int i = 0; i < mOutData.GetSize(); ++i)
  {
    auto* channel = new OutChannel();
    channel->mSlot = i;
    mOutData.Get()[i] = channel->mScratchBuf.Get();
    if (!mOutChannels.Add(channel)) delete channel;
  }
}

bool IUnitBase::LegalIO(int nIn, int nOut) const
{
  const int n = mChannelIO.GetSize();
  for (int i = 0; i < n; ++i)
  {
    const ChannelIO* pair = mChannelIO.Get(i);
    if ((nIn < 0 || nIn == pair->mIn) && (nOut < 0 || nOut == pair->mOut)) return true;
  }
  return false;
}

void IUnitBase::LimitToStereoIO()
{
  if (NInChannels() > 2) SetInputChannelConnections(2, NInChannels() - 2, false);
  if (NOutChannels() > 2) SetOutputChannelConnections(2, NOutChannels() - 2, true);
}

void IUnitBase::SetInputChannelConnections(int first, int count, bool connected)
{
  for (int i = first < 0 ? 0 : first; i < first + count && i < NInChannels(); ++i)
  {
    InChannel* channel = mInChannels.Get(i);
    channel->mConnected = connected;
    if (!connected) mInData.Get()[channel->mSlot] = channel->mScratchBuf.Get();
  }
}

void IUnitBase::SetOutputChannelConnections(int first, int count, bool connected)
{
  for (int i = first < 0 ? 0 : first; i < first + count && i < NOutChannels(); ++i)
  {
    OutChannel* channel = mOutChannels.Get(i);
    channel->mConnected = connected;
    if (!connected)
    {
      mOutData.Get()[channel->mSlot] = channel->mScratchBuf.Get();
      channel->mFDest = nullptr;
    }
  }
}

bool IUnitBase::IsInChannelConnected(int index) const
{
  const InChannel* channel = mInChannels.Get(index);
  return channel && channel->mConnected;
}

bool IUnitBase::IsOutChannelConnected(int index) const
{
  const OutChannel* channel = mOutChannels.Get(index);
  return channel && channel->mConnected;
}

void IUnitBase::SetInputLabel(int index, const char* label)
{
  if (InChannel* channel = mInChannels.Get(index)) channel->mLabel.Set(label);
}

void IUnitBase::SetOutputLabel(int index, const char* label)
{
  if (OutChannel* channel = mOutChannels.Get(index)) channel->mLabel.Set(label);
}

const char* IUnitBase::GetInputLabel(int index) const
{
  const InChannel* channel = mInChannels.Get(index);
  return channel ? channel->mLabel.Get() : "";
}

const char* IUnitBase::GetOutputLabel(int index) const
{
  const OutChannel* channel = mOutChannels.Get(index);
  return channel ? channel->mLabel.Get() : "";
}

void IUnitBase::SetBusLabel(BASE_PtrList<BASE_String>* labels, int index, const char* label)
{
  if (index < 0 || index > 1) return;
  while (labels->GetSize() <= index)
  {
    auto* text = new BASE_String();
    if (!labels->Add(text))
    {
      delete text;
      return;
    }
  }
  labels->Get(index)->Set(label);
}

void IUnitBase::SetInputBusLabel(int index, const char* label)
{
  SetBusLabel(&mInputBusLabels, index, label);
}

void IUnitBase::SetOutputBusLabel(int index, const char* label)
{
  SetBusLabel(&mOutputBusLabels, index, label);
}

void IUnitBase::SetBlockSize(int frames)
{
  if (frames < 0) frames = 0;
  if (frames == mBlockSize) return;
  bool complete = true;
  for (int i = 0; i < NInChannels(); ++i)
  {
    InChannel* channel = mInChannels.Get(i);
    channel->mScratchBuf.Resize(frames);
    complete = complete && channel->mScratchBuf.GetSize() == frames;
    ZeroFill(channel->mScratchBuf);
    if (!channel->mConnected) mInData.Get()[channel->mSlot] = channel->mScratchBuf.Get();
  }
  for (int i = 0; i < NOutChannels(); ++i)
  {
    OutChannel* channel = mOutChannels.Get(i);
    channel->mScratchBuf.Resize(frames);
    complete = complete && channel->mScratchBuf.GetSize() == frames;
    ZeroFill(channel->mScratchBuf);
    if (!channel->mConnected) mOutData.Get()[channel->mSlot] = channel->mScratchBuf.Get();
  }
  // A scratch buffer that could not grow keeps the old, smaller block size
  // so that no buffer is ever used beyond its end.
  if (complete) mBlockSize = frames;
}

int IUnitBase::LimitFrames(int frames) const
{
  if (frames < 0) return 0;
  return frames > mBlockSize ? mBlockSize : frames;
}

void IUnitBase::SetLatency(int samples)
{
  mLatency = samples;
  if (!mDelay) return;
  const int n = samples > 0 ? samples * mDelay->mChannels : 0;
  mDelay->mSamples.Resize(n);
  mDelay->mLatency = mDelay->mSamples.GetSize() == n ? samples : 0;
  ZeroFill(mDelay->mSamples);
  mDelay->mPosition = 0;
}

void IUnitBase::AttachInputBuffers(int first, int count, double** buffers, int /*frames*/)
{
  if (!buffers) return;
  for (int i = first < 0 ? 0 : first; i < first + count && i < NInChannels(); ++i)
  {
    InChannel* channel = mInChannels.Get(i);
    if (channel->mConnected) mInData.Get()[channel->mSlot] = buffers[i - first];
  }
}

void IUnitBase::AttachInputBuffers(int first, int count, float** buffers, int frames)
{
  if (!buffers) return;
  frames = LimitFrames(frames);
  for (int i = first < 0 ? 0 : first; i < first + count && i < NInChannels(); ++i)
  {
    InChannel* channel = mInChannels.Get(i);
    if (!channel->mConnected) continue;
    double* scratch = channel->mScratchBuf.Get();
    const float* source = buffers[i - first];
    if (source && scratch)
      for (int s = 0; s < frames; ++s) scratch[s] = source[s];
    mInData.Get()[channel->mSlot] = scratch;
  }
}

void IUnitBase::AttachOutputBuffers(int first, int count, double** buffers)
{
  if (!buffers) return;
  for (int i = first < 0 ? 0 : first; i < first + count && i < NOutChannels(); ++i)
  {
    OutChannel* channel = mOutChannels.Get(i);
    if (!channel->mConnected) continue;
    mOutData.Get()[channel->mSlot] = buffers[i - first];
    channel->mFDest = nullptr;
  }
}

void IUnitBase::AttachOutputBuffers(int first, int count, float** buffers)
{
  if (!buffers) return;
  for (int i = first < 0 ? 0 : first; i < first + count && i < NOutChannels(); ++i)
  {
    OutChannel* channel = mOutChannels.Get(i);
    if (!channel->mConnected) continue;
    channel->mFDest = buffers[i - first];
    mOutData.Get()[channel->mSlot] = channel->mScratchBuf.Get();
  }
}

template <class Sample>
void IUnitBase::PassInputsToOutputs(Sample** inputs, Sample** outputs, int frames)
{
  if (!outputs || frames <= 0) return;
  const int nIn = inputs ? NInChannels() : 0;
  for (int c = 0; c < NOutChannels(); ++c)
  {
    Sample* out = outputs[c];
    if (!out) continue;
    const Sample* in = c < nIn ? inputs[c] : nullptr;
    if (in)
      memmove(out, in, sizeof(Sample) * static_cast<size_t>(frames));
    else
      memset(out, 0, sizeof(Sample) * static_cast<size_t>(frames));
  }
}

void IUnitBase::ProcessDoubleReplacing(double** inputs, double** outputs, int frames)
{
  PassInputsToOutputs(inputs, outputs, frames);
}

void IUnitBase::ProcessSingleReplacing(float** inputs, float** outputs, int frames)
{
  PassInputsToOutputs(inputs, outputs, frames);
}

void IUnitBase::ProcessBuffers(double /*sampleType*/, int frames)
{
  frames = LimitFrames(frames);
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), frames);
}

void IUnitBase::ProcessBuffers(float /*sampleType*/, int frames)
{
  frames = LimitFrames(frames);
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), frames);
  DeliverFloatOutputs(mOutChannels, frames, [](float& out, float result) { out = result; });
}

void IUnitBase::ProcessBuffersAccumulating(float /*sampleType*/, int frames)
{
  frames = LimitFrames(frames);
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), frames);
  DeliverFloatOutputs(mOutChannels, frames, [](float& out, float result) { out += result; });
}

void IUnitBase::ZeroScratchBuffers()
{
  for (int i = 0; i < NInChannels(); ++i) ZeroFill(mInChannels.Get(i)->mScratchBuf);
  for (int i = 0; i < NOutChannels(); ++i) ZeroFill(mOutChannels.Get(i)->mScratchBuf);
}

void IUnitBase::PassThroughBuffers(double /*sampleType*/, int frames)
{
  frames = LimitFrames(frames);
  double** inputs = mInData.Get();
  double** outputs = mOutData.Get();
  if (mLatency > 0 && mDelay && mDelay->mLatency > 0)
  {
    // One ring of latency frames, channels interleaved: each frame's slot
    // gives up the sample written latency frames ago.
    DelayLine& delay = *mDelay;
    double* ring = delay.mSamples.Get();
    for (int s = 0; s < frames; ++s)
    {
      double* slot = ring + static_cast<size_t>(delay.mPosition) * delay.mChannels;
      for (int c = 0; c < NOutChannels(); ++c)
      {
        double* out = outputs ? outputs[c] : nullptr;
        if (c < delay.mChannels)
        {
          const double* in = inputs ? inputs[c] : nullptr;
          const double delayed = slot[c];
          slot[c] = in ? in[s] : 0.0;
          if (out) out[s] = delayed;
        }
        else if (out)
        {
          out[s] = 0.0;
        }
      }
      if (++delay.mPosition >= delay.mLatency) delay.mPosition = 0;
    }
    return;
  }
  PassInputsToOutputs(inputs, outputs, frames);
}
