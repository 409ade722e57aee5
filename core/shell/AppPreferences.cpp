// The "Preferences" dialog: the three MIDI ports, each opened the moment
// its list changes; OK keeps the choice (the main window writes it), Cancel
// puts back the names and the ports of the dialog's start.
#include "core/shell/AppShell.h"

#include "core/MidiPorts.h"
#include "core/shell/AppResources.h"
#include "winl/WINL_Controls.h"
#include "winl/WINL_Dialog.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace
{
constexpr const char* kNoMidiSystemText = "no MIDI system found";

// gTempState: the MIDI settings as the dialog found them.
MidiPortSettings gTempState;

// What a list shows for a stored port that is not there now.
constexpr const char* kNotPresentMark = " (not present)";

// The stored port a list shows as not present, by list: its entry's
// number, and the stored name it stands for.
struct AbsentEntry
{
  int id;
  LRESULT index;
  std::string name;
};
std::vector<AbsentEntry> gAbsentEntries;

// The selected item's whole text, however long: a port name cut to a
// field's size would match no port at the next start.
std::string SelectedText(HWND dialog, int id)
{
  HWND combo = GetDlgItem(dialog, id);
  const LRESULT index = SendMessage(combo, CB_GETCURSEL, 0, 0);
  if (index < 0) return std::string();
  const LRESULT length = SendMessage(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length < 0) return std::string();
  std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
  SendMessage(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.back() = '\0';
  return std::string(text.data());
}

// The name the chosen entry of a list stands for: its text, or the stored
// name of the entry that shows a port not present.
std::string ChosenName(HWND dialog, int id)
{
  const LRESULT index = SendMessage(GetDlgItem(dialog, id), CB_GETCURSEL, 0, 0);
  for (const AbsentEntry& absent : gAbsentEntries)
    if (absent.id == id && absent.index == index) return absent.name;
  return SelectedText(dialog, id);
}

std::vector<std::string> OthersPorts(const MidiPorts& ports, const std::vector<std::string>& names)
{
  std::vector<std::string> choices;
  for (const std::string& name : names)
    if (!ports.IsOwnPort(name)) choices.push_back(name);
  return choices;
}

// Without a MIDI system there is no port to offer: each list says so and
// cannot be opened.
void ShowNoMidiSystem(HWND dialog)
{
  gAbsentEntries.clear();
  for (int id : {kIdcSynthInput, kIdcKeyboardInput, kIdcOutput})
  {
    HWND combo = GetDlgItem(dialog, id);
    SendMessage(combo, CB_RESETCONTENT, 0, 0);
    SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kNoMidiSystemText));
    SendMessage(combo, CB_SETCURSEL, 0, 0);
    EnableWindow(combo, FALSE);
  }
}

// The dialog's frames were laid out for a smaller font than a desktop
// theme's: when a label or a button needs more width for its text, every
// control and the dialog widen by the same factor, so all of each text
// shows and the arrangement stays as it was.
struct ChildFrame
{
  HWND hwnd;
  RECT rect;  // in the dialog's client coordinates
};

BOOL CollectChild(HWND child, LPARAM data)
{
  auto* children = reinterpret_cast<std::vector<ChildFrame>*>(data);
  RECT r{};
  GetWindowRect(child, &r);
  POINT topLeft{r.left, r.top}, bottomRight{r.right, r.bottom};
  HWND dialog = GetParent(child);
  ScreenToClient(dialog, &topLeft);
  ScreenToClient(dialog, &bottomRight);
  children->push_back({child, {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y}});
  return TRUE;
}

void FitDialogToText(HWND dialog)
{
  std::vector<ChildFrame> children;
  EnumChildWindows(dialog, CollectChild, reinterpret_cast<LPARAM>(&children));
  double factor = 1.0;
  for (const ChildFrame& c : children)
  {
    if (!WINL_IsStaticText(c.hwnd) && !WINL_IsButton(c.hwnd)) continue;
    RECT wanted{0, 0, 0, 0};
    WINL_GetDesiredControlSize(c.hwnd, &wanted);
    const int width = c.rect.right - c.rect.left;
    if (width > 0 && wanted.right > width) factor = std::max(factor, static_cast<double>(wanted.right) / width);
  }
  if (factor <= 1.0) return;
  const auto scaled = [factor](long v) { return static_cast<int>(std::ceil(v * factor)); };
  for (const ChildFrame& c : children)
    SetWindowPos(c.hwnd, nullptr, scaled(c.rect.left), c.rect.top, scaled(c.rect.right) - scaled(c.rect.left),
                 c.rect.bottom - c.rect.top, SWP_NOZORDER);
  RECT client{};
  GetClientRect(dialog, &client);
  RECT window{};
  GetWindowRect(dialog, &window);
  const int frameW = (window.right - window.left) - (client.right - client.left);
  const int frameH = (window.bottom - window.top) - (client.bottom - client.top);
  SetWindowPos(dialog, nullptr, 0, 0, scaled(client.right) + frameW, client.bottom + frameH, SWP_NOMOVE | SWP_NOZORDER);
}

void Select(HWND dialog, int id, size_t index)
{
  SendMessage(GetDlgItem(dialog, id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

// Fills one list and selects the stored name, matched exactly as the ports
// match it. A name not listed now (its device or the sound server away)
// stays the stored choice, so that the port opens by itself when it comes:
// the list shows it, marked as not present, as the chosen entry, and any
// other entry, "off" too, is a real change of the choice.
void FillList(HWND dialog, int id, const std::vector<std::string>& names, const std::string& stored)
{
  HWND combo = GetDlgItem(dialog, id);
  SendMessage(combo, CB_RESETCONTENT, 0, 0);
  for (const std::string& name : names) SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  gAbsentEntries.erase(std::remove_if(gAbsentEntries.begin(), gAbsentEntries.end(),
                                      [id](const AbsentEntry& absent) { return absent.id == id; }),
                       gAbsentEntries.end());
  const auto found = std::find(names.begin(), names.end(), stored);
  // The settings' read defaults name no port: they mean "off".
  const bool absent = found == names.end() && !stored.empty() && stored != "no input" && stored != "no output";
  if (absent)
  {
    const std::string shown = stored + kNotPresentMark;
    const LRESULT index = SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.c_str()));
    gAbsentEntries.push_back({id, index, stored});
    Select(dialog, id, static_cast<size_t>(index));
  }
  else
  {
    Select(dialog, id, found == names.end() ? 0 : static_cast<size_t>(found - names.begin()));
  }
  // A port's full name ("client:port") is often longer than the field: the
  // opened list takes the width the longest name needs, so each reads whole
  // and two ports of one device, alike up to their end, can be told apart.
  RECT wanted{0, 0, 0, 0};
  WINL_GetDesiredControlSize(combo, &wanted);
  SendMessage(combo, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(std::max<LONG>(wanted.right, 0)), 0);
}

void OnInputChosen(HWND dialog, int id)
{
  MidiPorts& ports = *AppPorts();
  MidiPortSettings& midi = ports.State();
  const bool synth = id == kIdcSynthInput;
  std::string name = ChosenName(dialog, id);
  // One device cannot feed both inputs: the one just changed falls back to
  // "off", and says so.
  if (name == (synth ? midi.mInBDev : midi.mInDev))
  {
    name = "off";
    Select(dialog, id, 0);
  }
  (synth ? midi.mInDev : midi.mInBDev) = name;
  (void)(synth ? ports.ChooseMidiInput(name.c_str()) : ports.ChooseMidiInputB(name.c_str()));
  (synth ? midi.mInChan : midi.mInBChan) = 0;
}

void OnOutputChosen(HWND dialog)
{
  MidiPorts& ports = *AppPorts();
  const std::string name = ChosenName(dialog, kIdcOutput);
  ports.State().mOutDev = name;
  (void)ports.ChooseMidiOutput(name.c_str());
  ports.State().mOutChan = 0;
}

// Puts back the settings of the dialog's start and reopens every port
// whose name changed, so the open ports are the named ones again.
void RestoreSettings()
{
  MidiPorts* ports = AppPorts();
  if (!ports || MIDISettingsInStateAreEqual(ports->State(), gTempState)) return;
  const MidiPortSettings chosen = ports->State();
  ports->State() = gTempState;
  const MidiPortSettings restored = gTempState;
  if (chosen.mInDev != restored.mInDev) (void)ports->ChooseMidiInput(restored.mInDev.c_str());
  if (chosen.mInBDev != restored.mInBDev) (void)ports->ChooseMidiInputB(restored.mInBDev.c_str());
  if (chosen.mOutDev != restored.mOutDev) (void)ports->ChooseMidiOutput(restored.mOutDev.c_str());
}
}  // namespace

bool UpdateINI()
{
  MidiPorts* ports = AppPorts();
  return ports && ports->UpdateINI();
}

bool PopulateMidiDialogs(HWND dialog)
{
  MidiPorts* ports = AppPorts();
  if (!ports || !ports->SynthInputMade() || !ports->MidiOut()) return false;
  MidiPortSettings& midi = ports->State();
  const std::vector<std::string> inputs = OthersPorts(*ports, ports->InputNames());
  FillList(dialog, kIdcSynthInput, inputs, midi.mInDev);
  FillList(dialog, kIdcKeyboardInput, inputs, midi.mInBDev);
  FillList(dialog, kIdcOutput, OthersPorts(*ports, ports->OutputNames()), midi.mOutDev);
  return true;
}

bool PopulatePreferencesDialog(HWND dialog) { return PopulateMidiDialogs(dialog); }

LRESULT PreferencesDlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM)
{
  if (msg == WM_INITDIALOG)
  {
    // Devices come and go while the editor runs: list what is there now.
    FitDialogToText(hwnd);
    MidiPorts* ports = AppPorts();
    if (ports) ports->ProbeMidiIO();
    if (!MidiSystemPresent() || !PopulateMidiDialogs(hwnd)) ShowNoMidiSystem(hwnd);
    if (ports) gTempState = ports->State();
    return 1;
  }
  if (msg != WM_COMMAND) return 0;
  const int id = static_cast<int>(wParam & 0xFFFF);
  const bool selectionChanged = ((wParam >> 16) & 0xFFFF) == CBN_SELCHANGE;
  switch (id)
  {
    case kIdcSynthInput:
    case kIdcKeyboardInput:
      if (selectionChanged && AppPorts()) OnInputChosen(hwnd, id);
      if (selectionChanged && id == kIdcSynthInput) TellSynthLinkRestored();
      break;
    case kIdcOutput:
      if (selectionChanged && AppPorts()) OnOutputChosen(hwnd);
      if (selectionChanged) TellSynthLinkRestored();
      break;
    case IDOK:
      // The device behind an unchanged choice may have gone and come back.
      if (MidiPorts* ports = AppPorts()) ports->ReopenChosen();
      TellSynthLinkRestored();
      EndDialog(hwnd, IDOK);
      break;
    case IDCANCEL:
      EndDialog(hwnd, IDCANCEL);
      RestoreSettings();
      break;
    default: break;
  }
  return 1;
}
