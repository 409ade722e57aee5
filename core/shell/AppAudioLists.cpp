// The audio device and sample-rate lists of the settings record, from the
// devices the audio library finds (the program itself opens none).
#include "core/shell/AppShell.h"

#include "core/shell/AppResources.h"
#include "winl/WINL_Controls.h"

#include <RtAudio.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

namespace
{
const AudioDeviceInfo* Find(const std::vector<AudioDeviceInfo>& devices, const char* name, bool input)
{
  for (const AudioDeviceInfo& d : devices)
    if ((input ? d.inputs : d.outputs) > 0 && d.name == name) return &d;
  return nullptr;
}

void FillDevices(HWND dialog, int combo, const std::vector<AudioDeviceInfo>& devices, const char* stored, bool input)
{
  HWND list = GetDlgItem(dialog, combo);
  SendMessage(list, CB_RESETCONTENT, 0, 0);
  int index = 0, selected = -1;
  for (const AudioDeviceInfo& d : devices)
  {
    if ((input ? d.inputs : d.outputs) <= 0) continue;
    SendMessage(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(d.name.c_str()));
    if (d.name == stored) selected = index;
    ++index;
  }
  SendMessage(list, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}
}  // namespace

std::vector<AudioDeviceInfo> AudioDevices()
{
  std::vector<AudioDeviceInfo> devices;
  try
  {
    // The first audio system that has a device (a running JACK server
    // before ALSA); it starts no server of its own.
    RtAudio audio;
    audio.showWarnings(false);
    const unsigned count = audio.getDeviceCount();
    for (unsigned i = 0; i < count; ++i)
    {
      const RtAudio::DeviceInfo info = audio.getDeviceInfo(i);
      if (!info.probed) continue;
      AudioDeviceInfo device;
      device.name = info.name;
      device.inputs = static_cast<int>(info.inputChannels);
      device.outputs = static_cast<int>(info.outputChannels);
      device.sampleRates.assign(info.sampleRates.begin(), info.sampleRates.end());
      devices.push_back(std::move(device));
    }
  }
  catch (const RtAudioError& error)
  {
    // No audio system answers: the lists stay empty.
    error.printMessage();
  }
  return devices;
}

int PopulateSampleRateList(HWND dialog, const AppState& state, const std::vector<AudioDeviceInfo>& devices)
{
  HWND list = GetDlgItem(dialog, kIdcSampleRate);
  SendMessage(list, CB_RESETCONTENT, 0, 0);
  const AudioDeviceInfo* in = Find(devices, state.mAudioInputDevice, true);
  const AudioDeviceInfo* out = Find(devices, state.mAudioOutputDevice, false);
  if (!in || !out) return 0;
  int count = 0, selected = -1;
  for (int rate : in->sampleRates)
  {
    if (std::find(out->sampleRates.begin(), out->sampleRates.end(), rate) == out->sampleRates.end()) continue;
    char text[16];
    std::snprintf(text, sizeof text, "%i", rate);
    SendMessage(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (std::strcmp(text, state.mSampleRate) == 0) selected = count;
    ++count;
  }
  SendMessage(list, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
  return count;
}

void PopulateAudioInputList(HWND dialog, int combo, const AppState& state, const std::vector<AudioDeviceInfo>& devices)
{
  FillDevices(dialog, combo, devices, state.mAudioInputDevice, true);
}

void PopulateAudioOutputList(HWND dialog, int combo, const AppState& state, const std::vector<AudioDeviceInfo>& devices)
{
  FillDevices(dialog, combo, devices, state.mAudioOutputDevice, false);
}
