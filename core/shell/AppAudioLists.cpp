// The audio device and sample-rate lists of the settings record. The
// program opens no audio device, so the system's list of devices is empty
// and the lists hold only what the devices given to them offer.
#include "core/shell/AppShell.h"

#include "core/shell/AppResources.h"
#include "winl/WINL_Controls.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

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

std::vector<AudioDeviceInfo> AudioDevices() { return {}; }

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
