// The shell on the virtual display with the JACK server: the main window and
// its commands, the GUI's attachment, the "Preferences" dialog against a
// MIDI input of the test's own, and the program itself started and ended.
// An in-process test quits the application, which a process does once:
// ctest runs each test in a process of its own; a later one here skips.
#include "core/shell/AppShell.h"

#include "core/shell/AppResources.h"

#include "core/IUnitStandalone.h"
#include "core/MidiPorts.h"
#include "editor/ZephraEditor.h"
#include "graphics/IGraphicsHeadless.h"
#include "graphics/controls/IControl.h"
#include "graphics/gtk/IGraphicsGtk.h"
#include "platform/gtk/PLAT_GtkChooser.h"
#include "platform/gtk/PLAT_GtkLoop.h"
#include "platform/gtk/PLAT_GtkTest.h"
#include "support/OwnJackServer.h"
#include "support/TempDir.h"
#include "tests/synth/peer/SynthSim.h"
#include "tests/synth/support/ZephraTestPrograms.h"
#include "winl/WINL_App.h"
#include "winl/WINL_Controls.h"
#include "winl/WINL_Dialog.h"
#include "winl/WINL_MessageBox.h"
#include "winl/WINL_Queue.h"

#include <gtest/gtest.h>
#include <jack/jack.h>
#include <jack/midiport.h>
#include <rtmidi/RtMidi.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>

namespace
{
const char kFolder[] = "/Library/Application Support/ZephraEditor/";

class RecordingPlug : public IUnitStandalone
{
public:
  static IUnitInstanceInfo Info(RtMidiOut* out, uint16_t* channel)
  {
    IUnitInstanceInfo info;
    info.mMidiOut = out;
    info.mMidiOutChan = channel;
    return info;
  }
  RecordingPlug(RtMidiOut* out, uint16_t* channel)
    : IUnitStandalone(Info(out, channel), 1, "0-1 0-2", 1, "ZephraEditor", "", "b", 1, 1, 1, 0, true, false, false)
  {
  }
  bool OnStandaloneMenuCommand(int index) override
  {
    indexes.push_back(index);
    return handled;
  }
  void OnGUIOpen() override { ++guiOpens; }
  std::vector<int> indexes;
  bool handled = true;
  int guiOpens = 0;
};

// A JACK MIDI input of the test's own, as a synth shows one; no client
// without a JACK server.
struct Peer
{
  explicit Peer(const std::string& portName, unsigned long flags = JackPortIsInput, const char* clientName = "Zephra Sim")
    : client(jack_client_open(clientName, JackNoStartServer, nullptr))
  {
    if (!client) return;
    port = jack_port_register(client, portName.c_str(), JACK_DEFAULT_MIDI_TYPE, flags, 0);
    // An output nobody clears holds whatever its buffer held: it sends
    // nothing, as an idle device does.
    if (flags & JackPortIsOutput) jack_set_process_callback(client, &Peer::Silence, this);
    jack_activate(client);
    name = jack_port_name(port);
  }
  ~Peer()
  {
    if (client) jack_client_close(client);
  }
  bool Connected() const { return jack_port_connected(port) > 0; }
  static int Silence(jack_nframes_t frames, void* self)
  {
    jack_midi_clear_buffer(jack_port_get_buffer(static_cast<Peer*>(self)->port, frames));
    return 0;
  }

  jack_client_t* client;
  jack_port_t* port = nullptr;
  std::string name;
};

// ---- the dialog, driven from a timer inside its modal run ----

std::function<void(HWND)> gScript;

void RunScript(HWND, UINT, UINT_PTR id, DWORD)
{
  if (HWND dialog = FindWindowEx(nullptr, nullptr, nullptr, "Preferences"))
  {
    KillTimer(nullptr, id);
    gScript(dialog);
    gScript = nullptr;
  }
}

std::vector<std::string> ListOf(HWND dialog, int id)
{
  std::vector<std::string> texts(static_cast<size_t>(std::max(0, WINL_CB_GetNumItems(dialog, id))));
  for (size_t i = 0; i < texts.size(); ++i)
  {
    char text[512] = {};
    WINL_CB_GetItemText(dialog, id, static_cast<int>(i), text, sizeof text);
    texts[i] = text;
  }
  return texts;
}

LRESULT Selected(HWND dialog, int id) { return SendMessage(GetDlgItem(dialog, id), CB_GETCURSEL, 0, 0); }

// Picks the item as the user does: the list changes, then its owner hears.
void Choose(HWND dialog, int id, const std::string& text)
{
  const std::vector<std::string> list = ListOf(dialog, id);
  const auto at = std::find(list.begin(), list.end(), text);
  ASSERT_NE(at, list.end()) << text;
  SendMessage(GetDlgItem(dialog, id), CB_SETCURSEL, static_cast<WPARAM>(at - list.begin()), 0);
  SendMessage(dialog, WM_COMMAND, static_cast<WPARAM>(id | (CBN_SELCHANGE << 16)), 0);
}

// The caption and text of the one message box that act shows, or the count.
std::string OnlyBox(const std::function<void()>& act)
{
  WINL_MessageBoxTestQueue(0);
  act();
  const auto boxes = WINL_MessageBoxTestTake();
  WINL_MessageBoxTestEnd();
  return boxes.size() == 1 ? boxes[0].caption + "|" + boxes[0].text : std::to_string(boxes.size()) + " boxes";
}

class AppShellDisplay : public ::testing::Test
{
protected:
  static void SetUpTestSuite()
  {
    PLAT_GtkTestPrepare();
    ASSERT_TRUE(WINL_StartToolkit()) << "no display";
    WINL_Internal_PostMessage_Init();
  }
  void SetUp() override
  {
    if (WINL_IsQuitting()) GTEST_SKIP() << "the application has quit in this process";
    setenv("HOME", mHome.Path().c_str(), 1);
    mSaved = AppShellParts();
    AppShellParts().makePlug = [this](RtMidiOut* out, uint16_t* channel) {
      mPlug = new RecordingPlug(out, channel);
      mPlug->AttachGraphics(new IGraphicsHeadless(mPlug, 1140, 800));
      return mPlug;
    };
    // Lower than any frame plus 400 pixels: a stored scale is held at its least.
    AppShellParts().screenHeight = [] { return 400; };
  }
  void TearDown() override
  {
    if (!mSaved.makePlug) return;
    WINLAppMain(3, 0, 0);
    AppShellParts() = mSaved;
    PLAT_GtkTestSettle();
  }
  void Start(const char* settings = nullptr)
  {
    std::filesystem::create_directories(mHome.Path() + kFolder);
    if (settings) WriteWholeFile(Ini(), settings);
    ASSERT_EQ(WINLAppMain(1, 0, 0), 0);
    WINLAppMain(2, 0, 0);
    ASSERT_NE(AppMainWindow(), nullptr);
  }
  std::string Ini() const { return mHome.Path() + kFolder + "settings.ini"; }
  // Opens "Preferences" from the main window and runs script in it.
  void Preferences(std::function<void(HWND)> script)
  {
    gScript = std::move(script);
    SetTimer(nullptr, 0, 20, RunScript);
    SendMessage(AppMainWindow(), WM_COMMAND, 40006, 0);
    EXPECT_FALSE(gScript) << "the dialog never showed";
  }

  ZephraEditor* StartEditor(SynthSim& sim, const std::string& moreSettings = "");

  TempDir mHome;
  ShellParts mSaved;
  RecordingPlug* mPlug = nullptr;
  std::string mSkip;
};

const struct
{
  INT_PTR tag;
  std::vector<int> heard;  // indexes the editor is given
} kTags[] = {
    {40005, {0}},  {40025, {1}},  {40026, {2}},  {40027, {3}},  {40028, {4}},  {40029, {5}},  {40030, {6}},
    {40031, {7}},  {40032, {8}},  {40033, {11}}, {40034, {10}}, {40035, {}},   {40036, {}},   {40037, {12}},
    {40038, {13}}, {40039, {14}}, {40040, {15}}, {40041, {16}}, {40042, {17}}, {40043, {18}}, {40044, {19}},
    {40045, {20}}, {40046, {21}}, {40047, {22}}, {40048, {23}}, {40049, {25}}, {40050, {24}}, {40051, {26}},
    {40052, {27}}, {40053, {33}}, {40054, {32}}, {40055, {28}}, {40056, {29}}, {40057, {30}}, {40058, {31}},
    {40059, {}},   {40024, {}},   {0x10000 | 40025, {1}}, {0x10000, {}},
};

TEST_F(AppShellDisplay, MainWindowGraphicsMenuAndCommands)
{
  Start("[gui]\nguiscale=1.0\n");
  EXPECT_EQ(mPlug->guiOpens, 2);  // at the window's creation and when launching ends
  EXPECT_TRUE(static_cast<IGraphics*>(mPlug->GetGUI())->WindowIsOpen());
  EXPECT_EQ(ReadWholeFile(Ini()), "[gui]\nguiscale=0.500000000000000\n\n[midi]\ninBdev=off\nindev=off\noutdev=off\n\n");
  char title[64] = {};
  GetWindowText(AppMainWindow(), title, sizeof title);
  EXPECT_STREQ(title, "ZephraEditor");
  EXPECT_TRUE(IsWindowVisible(AppMainWindow()));
  for (const auto& c : kTags)
  {
    mPlug->indexes.clear();
    WINLAppMain(kAppMenuCommand, c.tag, 0);
    EXPECT_EQ(mPlug->indexes, c.heard) << c.tag;
  }
  // When the editor declines About, the shell's own box shows.
  mPlug->handled = false;
  EXPECT_EQ(OnlyBox([] { WINLAppMain(kAppMenuCommand, 40005, 0); }), "ZephraEditor|Brindle-Audio\nBuilt on Jun 16 2021");
}

// A change of the GUI's size resizes the main window: its client area
// becomes exactly the GUI's size, its top edge stays. Once the shell has
// cleaned up, nothing is moved any more.
TEST_F(AppShellDisplay, TheWindowFollowsTheGUISize)
{
  AppShellParts().screenHeight = [] { return 2000; };
  Start("[gui]\nguiscale=1.0\n");
  IGraphics* graphics = static_cast<IGraphics*>(mPlug->GetGUI());
  RECT before{};
  GetWindowRect(AppMainWindow(), &before);
  const struct
  {
    int w, h;
  } kSizes[] = {{570, 400}, {1710, 1200}, {2280, 1600}, {1140, 800}, {569, 399}};
  for (const auto& size : kSizes)
  {
    SCOPED_TRACE(testing::Message() << size.w << "x" << size.h);
    graphics->Resize(size.w, size.h);
    RECT client{}, window{};
    GetClientRect(AppMainWindow(), &client);
    GetWindowRect(AppMainWindow(), &window);
    EXPECT_EQ(client.right, size.w);
    EXPECT_EQ(client.bottom, size.h);
    EXPECT_EQ(window.left, before.left);
    EXPECT_EQ(window.bottom, before.bottom);  // y-up: the top edge
  }
  AppMainWindowFrame frame;
  IStandaloneWindow::Rect rect{};
  ASSERT_TRUE(frame.GetWindowRect(&rect));
  EXPECT_EQ(rect.bottom - rect.top, 399 + IUnitStandalone::kTitleBarHeight);

  WINLAppMain(3, 0, 0);
  EXPECT_FALSE(frame.GetWindowRect(&rect));
  frame.SetWindowPos(0, 0, 100, 100);  // no window: nothing happens
}

TEST_F(AppShellDisplay, PreferencesOpenPortsAtOnceAndCancelPutsThemBack)
{
  Start("[midi]\ninBdev=off\nindev=Gone\noutdev=off\n\n");
  const std::string before = ReadWholeFile(Ini());
  // A port not there now keeps its stored name: it opens once it appears.
  EXPECT_EQ(before, "[midi]\ninBdev=off\nindev=Gone\noutdev=off\n\n");
  // Longer than any fixed name field; it appears after start-up, so the
  // dialog must look for ports again.
  Peer peer("Zephra Sim " + std::string(150, 'L'));
  if (!peer.client) GTEST_SKIP() << "no JACK server answers";
  Preferences([&](HWND dialog) {
    const std::vector<std::string> outputs = ListOf(dialog, 40019), inputs = ListOf(dialog, 40018);
    ASSERT_GE(inputs.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(inputs.begin(), inputs.begin() + 2), (std::vector<std::string>{"off", "virtual input"}));
    EXPECT_EQ(outputs.at(1), "virtual output");
    EXPECT_EQ(inputs.at(static_cast<size_t>(Selected(dialog, 40018))), "Gone (not present)");
    Choose(dialog, 40019, peer.name);
    EXPECT_TRUE(peer.Connected());
    Choose(dialog, 40018, "virtual input");
    Choose(dialog, 40035, "virtual input");  // taken: falls back to "off" and shows it
    EXPECT_EQ(Selected(dialog, 40035), 0);
    SendMessage(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(AppPorts()->State().mOutDev + "|" + AppPorts()->State().mInDev, "off|Gone");
  EXPECT_FALSE(peer.Connected());
  EXPECT_EQ(ReadWholeFile(Ini()), before);

  Preferences([&](HWND dialog) {
    Choose(dialog, 40019, peer.name);
    Choose(dialog, 40018, "virtual input");
    SendMessage(dialog, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(ReadWholeFile(Ini()), "[midi]\ninBdev=off\nindev=virtual input\noutdev=" + peer.name + "\n\n");
  // The whole name still finds its port at the next start.
  EXPECT_GE(AppPorts()->GetMIDIOutPortNumber(peer.name.c_str()), 2);

  std::filesystem::remove(Ini());
  std::filesystem::create_directory(Ini());
  EXPECT_EQ(OnlyBox([this] { Preferences([](HWND dialog) { SendMessage(dialog, WM_COMMAND, IDOK, 0); }); }),
            "Error|The MIDI settings could not be saved in " + Ini() + ".");
}

TEST_F(AppShellDisplay, ResetMidiMakesThePortsAndTheEditorAgain)
{
  Start("[midi]\ninBdev=off\nindev=virtual input\noutdev=virtual output\n\n");
  int made = 0;
  RtMidiOut* given = nullptr;
  const auto make = AppShellParts().makePlug;
  AppShellParts().makePlug = [&](RtMidiOut* out, uint16_t* channel) {
    ++made;
    given = out;
    return make(out, channel);
  };
  if (!AppPorts()->MidiOut() || !AppPorts()->OutputOpen()) GTEST_SKIP() << "no MIDI system to open ports with";
  ResetMidi();
  EXPECT_EQ(made, 1);
  ASSERT_NE(AppPlugin(), nullptr);
  EXPECT_EQ(AppPlugin(), static_cast<IUnitStandalone*>(mPlug));
  EXPECT_EQ(mPlug->guiOpens, 1);  // the new editor in the main window
  EXPECT_EQ(AppPorts()->State().mInDev + "|" + AppPorts()->State().mOutDev, "virtual input|virtual output");
  EXPECT_TRUE(AppPorts()->OutputOpen());
  EXPECT_EQ(given, AppPorts()->MidiOut());
  // The window follows the new editor's GUI size.
  static_cast<IGraphics*>(mPlug->GetGUI())->Resize(570, 400);
  RECT client{};
  GetClientRect(AppMainWindow(), &client);
  EXPECT_EQ(client.right, 570);
  EXPECT_EQ(client.bottom, 400);
}

// The editor's own ports (its virtual ones here) are offered in no list:
// choosing one would feed the editor its own messages.
TEST_F(AppShellDisplay, PreferencesOfferNoneOfTheEditorsOwnPorts)
{
  Start("[midi]\ninBdev=off\nindev=virtual input\noutdev=virtual output\n\n");
  Peer keyboard("Keys", JackPortIsOutput);
  if (!keyboard.client) GTEST_SKIP() << "no JACK server answers";
  Preferences([&](HWND dialog) {
    for (int id : {40018, 40035, 40019})
    {
      const std::vector<std::string> list = ListOf(dialog, id);
      for (const std::string& name : list) EXPECT_EQ(name.rfind("RtMidi ", 0), std::string::npos) << id << " " << name;
      EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, id)));
    }
    const std::vector<std::string> keyboards = ListOf(dialog, 40035);
    EXPECT_NE(std::find(keyboards.begin(), keyboards.end(), keyboard.name), keyboards.end());
    SendMessage(dialog, WM_COMMAND, IDCANCEL, 0);
  });
}

// The box of the text's ink in a control as the dialog draws it: pixels
// darker than the theme's light faces and frames, over the control's left
// part (a list's arrow is dark too) and clear of its rounded corners.
struct Ink
{
  int left = -1, top = -1, right = -1, bottom = -1;  // inclusive, in the control; -1: none
  int width = 0, height = 0;                          // the control's
};

Ink InkOf(HWND dialog, HWND control, double part)
{
  Ink ink;
  int dialogW = 0, dialogH = 0, x0 = 0, y0 = 0;
  const std::vector<uint32_t> pixels = PLAT_GtkTestSnapshot(WINL_GetNativeView(dialog), &dialogW, &dialogH);
  if (!PLAT_GtkTestAllocation(WINL_GetNativeView(control), WINL_GetNativeView(dialog), &x0, &y0, &ink.width,
                              &ink.height))
    return ink;
  constexpr int kCorner = 4;
  for (int y = 0; y < ink.height && y0 + y < dialogH; ++y)
    for (int x = kCorner; x < static_cast<int>(ink.width * part) - kCorner && x0 + x < dialogW; ++x)
    {
      const uint32_t p = pixels[static_cast<size_t>(y0 + y) * dialogW + x0 + x];
      const int luminance = ((p >> 16) & 255) * 3 + ((p >> 8) & 255) * 6 + (p & 255);
      if (luminance >= 10 * 110) continue;
      if (ink.left < 0 || x < ink.left) ink.left = x;
      if (x > ink.right) ink.right = x;
      if (ink.top < 0) ink.top = y;
      ink.bottom = y;
    }
  return ink;
}

BOOL CollectTexts(HWND child, LPARAM data)
{
  if (WINL_IsStaticText(child) || WINL_IsButton(child)) reinterpret_cast<std::vector<HWND>*>(data)->push_back(child);
  return TRUE;
}

// Every text of the dialog shows whole at the theme's font: the selected
// entry of each list lies inside its box with room above and below, and
// each label and button shows as wide a text as it asks for.
TEST_F(AppShellDisplay, PreferencesShowEveryTextWhole)
{
  Start();
  Preferences([&](HWND dialog) {
    for (int id : {40018, 40035, 40019})
    {
      const Ink ink = InkOf(dialog, GetDlgItem(dialog, id), 0.6);
      SCOPED_TRACE(id);
      ASSERT_GE(ink.top, 0) << "no text drawn";
      EXPECT_GT(ink.top, 1);
      EXPECT_LT(ink.bottom, ink.height - 2);
      // "off" from the top of its f to its base line.
      EXPECT_GE(ink.bottom - ink.top + 1, 8);
    }
    std::vector<HWND> texts;
    EnumChildWindows(dialog, CollectTexts, reinterpret_cast<LPARAM>(&texts));
    EXPECT_EQ(texts.size(), 6u);  // three labels, three buttons
    for (HWND text : texts)
    {
      char caption[64] = {};
      GetWindowText(text, caption, sizeof caption);
      SCOPED_TRACE(caption);
      RECT wanted{};
      WINL_GetDesiredControlSize(text, &wanted);
      RECT frame{};
      GetWindowRect(text, &frame);
      EXPECT_GE(frame.right - frame.left, wanted.right);
      const Ink ink = InkOf(dialog, text, 1.0);
      ASSERT_GE(ink.top, 0) << "no text drawn";
      // Not cut at the right or below: the text ends inside the control.
      EXPECT_LT(ink.right, ink.width - 4);
      EXPECT_LT(ink.bottom, ink.height - 1);
    }
    SendMessage(dialog, WM_COMMAND, IDCANCEL, 0);
  });
}

// The audio lists over a table of devices: the rates the chosen input and
// output share, in the input's order, with the stored rate selected.
TEST_F(AppShellDisplay, AudioListsOfferWhatTheChosenDevicesShare)
{
  Start();
  const std::vector<AudioDeviceInfo> kDevices = {
      {"Mic", 2, 0, {44100, 48000, 96000}},
      {"Both", 2, 2, {48000, 88200, 96000}},
      {"Speakers", 0, 2, {96000, 48000}},
  };
  const struct Case
  {
    const char* in;
    const char* out;
    const char* rate;
    std::vector<std::string> rates;
    int selected;
  } kCases[] = {
      {"Mic", "Speakers", "96000", {"48000", "96000"}, 1},
      {"Both", "Both", "88200", {"48000", "88200", "96000"}, 1},
      {"Mic", "Speakers", "44100", {"48000", "96000"}, -1},
      {"Speakers", "Both", "48000", {}, -1},  // no inputs on "Speakers"
      {"Built-in Input", "Built-in Output", "44100", {}, -1},
  };
  HWND dialog = WINL_CreateDialog(WINL_curmodule_dialogresource_head, reinterpret_cast<const char*>(kDlgPreferences),
                                  nullptr, [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; }, 0);
  ASSERT_NE(dialog, nullptr);
  WINL_MakeSetCurParms(1.0f, 1.0f, 0, 0, dialog, false, false);
  ASSERT_NE(WINL_MakeCombo(kIdcSampleRate, 0, 0, 100, 100, 3), nullptr);
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(std::string(c.in) + " " + c.out + " " + c.rate);
    AppState state;
    std::snprintf(state.mAudioInputDevice, sizeof state.mAudioInputDevice, "%s", c.in);
    std::snprintf(state.mAudioOutputDevice, sizeof state.mAudioOutputDevice, "%s", c.out);
    std::snprintf(state.mSampleRate, sizeof state.mSampleRate, "%s", c.rate);
    EXPECT_EQ(PopulateSampleRateList(dialog, state, kDevices), static_cast<int>(c.rates.size()));
    EXPECT_EQ(ListOf(dialog, kIdcSampleRate), c.rates);
    EXPECT_EQ(Selected(dialog, kIdcSampleRate), c.selected);
  }
  AppState state;
  std::snprintf(state.mAudioInputDevice, sizeof state.mAudioInputDevice, "Both");
  std::snprintf(state.mAudioOutputDevice, sizeof state.mAudioOutputDevice, "Speakers");
  PopulateAudioInputList(dialog, kIdcSynthInput, state, kDevices);
  PopulateAudioOutputList(dialog, kIdcOutput, state, kDevices);
  EXPECT_EQ(ListOf(dialog, kIdcSynthInput), (std::vector<std::string>{"Mic", "Both"}));
  EXPECT_EQ(Selected(dialog, kIdcSynthInput), 1);
  EXPECT_EQ(ListOf(dialog, kIdcOutput), (std::vector<std::string>{"Both", "Speakers"}));
  EXPECT_EQ(Selected(dialog, kIdcOutput), 1);
  // Without devices the lists are empty.
  PopulateAudioInputList(dialog, kIdcSynthInput, AppState(), {});
  EXPECT_EQ(PopulateSampleRateList(dialog, AppState(), {}), 0);
  EXPECT_TRUE(ListOf(dialog, kIdcSynthInput).empty() && ListOf(dialog, kIdcSampleRate).empty());
  DestroyWindow(dialog);
}

// The test's JACK server (a dummy driver at 48000 Hz with two capture and
// two playback ports) is the audio system listed: its device "system" with
// its channels and its one rate, in the lists of the settings.
TEST_F(AppShellDisplay, TheJackServersDeviceIsListedWithItsRate)
{
  Peer probe("Zephra Rate", JackPortIsInput);
  if (!probe.client) GTEST_SKIP() << "no JACK server answers";
  const std::vector<AudioDeviceInfo> devices = AudioDevices();
  const auto system = std::find_if(devices.begin(), devices.end(), [](const AudioDeviceInfo& d) { return d.name == "system"; });
  ASSERT_NE(system, devices.end()) << devices.size() << " devices";
  EXPECT_EQ(system->inputs, 2);
  EXPECT_EQ(system->outputs, 2);
  EXPECT_EQ(system->sampleRates, std::vector<int>{48000});

  HWND dialog = WINL_CreateDialog(WINL_curmodule_dialogresource_head, reinterpret_cast<const char*>(kDlgPreferences),
                                  nullptr, [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; }, 0);
  ASSERT_NE(dialog, nullptr);
  WINL_MakeSetCurParms(1.0f, 1.0f, 0, 0, dialog, false, false);
  ASSERT_NE(WINL_MakeCombo(kIdcSampleRate, 0, 0, 100, 100, 3), nullptr);
  AppState state;
  std::snprintf(state.mAudioInputDevice, sizeof state.mAudioInputDevice, "system");
  std::snprintf(state.mAudioOutputDevice, sizeof state.mAudioOutputDevice, "system");
  std::snprintf(state.mSampleRate, sizeof state.mSampleRate, "48000");
  PopulateAudioInputList(dialog, kIdcSynthInput, state, devices);
  PopulateAudioOutputList(dialog, kIdcOutput, state, devices);
  EXPECT_EQ(ListOf(dialog, kIdcSynthInput), std::vector<std::string>{"system"});
  EXPECT_EQ(ListOf(dialog, kIdcOutput), std::vector<std::string>{"system"});
  EXPECT_EQ(PopulateSampleRateList(dialog, state, devices), 1);
  EXPECT_EQ(ListOf(dialog, kIdcSampleRate), std::vector<std::string>{"48000"});
  EXPECT_EQ(Selected(dialog, kIdcSampleRate), 0);
  DestroyWindow(dialog);
}

// A stored port that is not there shows by its name, marked, as the chosen
// entry of its list: choosing "off" then is a change, and OK writes it.
// Left chosen, it stays the stored name.
TEST_F(AppShellDisplay, PreferencesShowAnAbsentStoredPortSoThatOffCanBeChosen)
{
  Start("[midi]\ninBdev=Keys gone\nindev=Synth out gone\noutdev=Synth gone\n\n");
  if (!AppPorts()->MidiOut()) GTEST_SKIP() << "no MIDI system";
  Preferences([&](HWND dialog) {
    const struct
    {
      int list;
      const char* shown;
    } kShown[] = {{40018, "Synth out gone (not present)"}, {40035, "Keys gone (not present)"}, {40019, "Synth gone (not present)"}};
    for (const auto& shown : kShown)
    {
      SCOPED_TRACE(shown.list);
      const std::vector<std::string> list = ListOf(dialog, shown.list);
      ASSERT_GE(Selected(dialog, shown.list), 0);
      EXPECT_EQ(list.at(static_cast<size_t>(Selected(dialog, shown.list))), shown.shown);
      EXPECT_EQ(std::count(list.begin(), list.end(), shown.shown), 1);
    }
    Choose(dialog, 40035, "off");
    Choose(dialog, 40019, "off");
    SendMessage(dialog, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(ReadWholeFile(Ini()), "[midi]\ninBdev=off\nindev=Synth out gone\noutdev=off\n\n");
}

// With no MIDI system at all the lists say so and cannot be opened.
TEST_F(AppShellDisplay, PreferencesSayThereIsNoMidiSystem)
{
  const std::string server = std::getenv("JACK_DEFAULT_SERVER") ? std::getenv("JACK_DEFAULT_SERVER") : "";
  setenv("JACK_DEFAULT_SERVER", "zephra_no_such_server", 1);
  Start();
  Preferences([&](HWND dialog) {
    for (int id : {40018, 40035, 40019})
    {
      EXPECT_EQ(ListOf(dialog, id), std::vector<std::string>{"no MIDI system found"}) << id;
      EXPECT_EQ(Selected(dialog, id), 0) << id;
      EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, id))) << id;
    }
    SendMessage(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  setenv("JACK_DEFAULT_SERVER", server.c_str(), 1);
}

// ---- the editor in its window, against the simulated synth ----

// Runs the main loop until done() holds; false after a minute.
bool PumpUntil(const std::function<bool()>& done)
{
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!done())
  {
    if (std::chrono::steady_clock::now() > end) return false;
    PLAT_GtkTestSettle();
    if (!PLAT_LoopIterate(false)) usleep(2000);
  }
  return true;
}

// The sound server stops under the running shell: within a second the user
// is told once, the output closes and the main loop keeps running; when the
// server is back the chosen ports open again by themselves.
TEST_F(AppShellDisplay, SoundServerLossIsToldOnceAndItsReturnReopensThePorts)
{
  OwnJackServer server("zephra_own_display");
  OWN_JACK_SERVER_START_OR_SKIP(server);
  Start("[midi]\ninBdev=off\nindev=virtual input\noutdev=virtual output\n\n");
  ASSERT_TRUE(AppPorts()->OutputOpen());
  ASSERT_TRUE(mPlug->MidiOutput().IsOpen());
  WINL_MessageBoxTestQueue(0);

  server.Stop();
  const auto stopped = std::chrono::steady_clock::now();
  std::vector<WINL_ShownMessageBox> boxes;
  ASSERT_TRUE(PumpUntil([&] {
    for (auto& box : WINL_MessageBoxTestTake()) boxes.push_back(box);
    return !boxes.empty();
  }));
  EXPECT_LT(std::chrono::steady_clock::now() - stopped, std::chrono::seconds(1));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption + "|" + boxes[0].text,
            "ZephraEditor|The MIDI connection was lost. The chosen ports open again when the sound server returns.");
  EXPECT_FALSE(mPlug->MidiOutput().IsOpen());
  const uint8_t knob[3] = {0xB0, 0x06, 0x10};
  EXPECT_FALSE(mPlug->MidiOutput().Send(knob, 3));
  // A second look later tells nothing new.
  const auto later = std::chrono::steady_clock::now() + std::chrono::milliseconds(600);
  PumpUntil([&] { return std::chrono::steady_clock::now() > later; });
  EXPECT_TRUE(WINL_MessageBoxTestTake().empty());
  WINL_MessageBoxTestEnd();

  ASSERT_TRUE(server.Start());
  EXPECT_TRUE(PumpUntil([] { return AppPorts()->OutputOpen() && AppPorts()->ChosenPortsOpen(); }));
  EXPECT_TRUE(mPlug->MidiOutput().IsOpen());
  EXPECT_TRUE(mPlug->MidiOutput().Send(knob, 3));
  EXPECT_EQ(ReadWholeFile(Ini()), "[midi]\ninBdev=off\nindev=virtual input\noutdev=virtual output\n\n");
  // Down before the server goes with the test.
  WINLAppMain(3, 0, 0);
}

// The real editor in the shell, its ports set in the settings to the
// simulated synth's own; null (and the test skipped) without a JACK server.
ZephraEditor* AppShellDisplay::StartEditor(SynthSim& sim, const std::string& moreSettings)
{
  std::string error;
  if (!sim.OpenOwnPorts(error))
  {
    mSkip = error;
    return nullptr;
  }
  sim.With([](SynthSimModel& m) { return m.keepHeard = true; });
  setenv("ZEPHRA_RESOURCES_DIR", ZEPHRA_BUILD_RESOURCES, 1);
  AppShellParts() = mSaved;
  Start((moreSettings + "[midi]\ninBdev=off\nindev=" + sim.OutputName() + "\noutdev=" + sim.InputName() + "\n").c_str());
  // The synth's input opens once the window has shown its first frame.
  EXPECT_TRUE(PumpUntil([] { return AppPorts()->SynthLinkOpen(); })) << "the synth's input never opened";
  return dynamic_cast<ZephraEditor*>(AppPlugin());
}

// Another program whose client holds the name of the editor's output client
// (a keyboard bridge made with the same library, there before the editor,
// whose output then gets "-01"): its port is stored as the keyboard input,
// opens at the start, and is offered and chosen in "Preferences"; the
// editor's own output is not offered.
TEST_F(AppShellDisplay, AnotherProgramsPortUnderTheEditorsClientNameIsOfferedAndOpens)
{
  Peer bridge("keys", JackPortIsOutput, MidiPorts::kOutputClientName);
  if (!bridge.client) GTEST_SKIP() << "no JACK server answers";
  ASSERT_EQ(bridge.name, std::string(MidiPorts::kOutputClientName) + ":keys");
  Start(("[midi]\ninBdev=" + bridge.name + "\nindev=off\noutdev=virtual output\n\n").c_str());
  EXPECT_TRUE(PumpUntil([&] { return bridge.Connected(); })) << "the stored keyboard port never opened";
  Preferences([&](HWND dialog) {
    const std::vector<std::string> keyboards = ListOf(dialog, 40035);
    ASSERT_GE(Selected(dialog, 40035), 0);
    EXPECT_EQ(keyboards.at(static_cast<size_t>(Selected(dialog, 40035))), bridge.name);
    for (int id : {40018, 40035})
      for (const std::string& name : ListOf(dialog, id))
        EXPECT_EQ(name.find(":From ZephraEditor"), std::string::npos) << id << " " << name;
    SendMessage(dialog, WM_COMMAND, IDOK, 0);
  });
  EXPECT_TRUE(bridge.Connected());
  EXPECT_EQ(ReadWholeFile(Ini()), "[midi]\ninBdev=" + bridge.name + "\nindev=off\noutdev=virtual output\n\n");
}

// The synth's port gone and back under the same name: OK in "Preferences"
// opens the chosen port again although the choice did not change.
TEST_F(AppShellDisplay, OkReopensAnUnchangedPortThatCameBack)
{
  Start("[midi]\ninBdev=off\nindev=off\noutdev=off\n\n");
  auto peer = std::make_unique<Peer>("Zephra Sim Back");
  if (!peer->client) GTEST_SKIP() << "no JACK server answers";
  const std::string name = peer->name;
  Preferences([&](HWND dialog) {
    Choose(dialog, 40019, name);
    SendMessage(dialog, WM_COMMAND, IDOK, 0);
  });
  EXPECT_TRUE(peer->Connected());
  peer.reset();
  peer = std::make_unique<Peer>("Zephra Sim Back");
  ASSERT_EQ(peer->name, name);
  EXPECT_FALSE(peer->Connected());
  Preferences([&](HWND dialog) {
    EXPECT_EQ(ListOf(dialog, 40019).at(static_cast<size_t>(Selected(dialog, 40019))), name);
    SendMessage(dialog, WM_COMMAND, IDOK, 0);
  });
  EXPECT_TRUE(peer->Connected());
  EXPECT_EQ(ReadWholeFile(Ini()), "[midi]\ninBdev=off\nindev=off\noutdev=" + name + "\n\n");
}

// Some interfaces end a port's name in a blank. Stored in quotes, the name
// reads back whole: the port opens at the start and "Preferences" shows it
// chosen, not a second entry "(not present)"; choosing it writes the quotes.
TEST_F(AppShellDisplay, APortNameEndingInABlankReopensAtTheStart)
{
  Peer peer("Trail ", JackPortIsOutput);
  if (!peer.client) GTEST_SKIP() << "no JACK server answers";
  ASSERT_EQ(peer.name, "Zephra Sim:Trail ");
  const std::string stored = "[midi]\ninBdev=\"Zephra Sim:Trail \"\nindev=off\noutdev=off\n\n";
  Start(stored.c_str());
  EXPECT_TRUE(PumpUntil([&] { return peer.Connected(); })) << "the stored keyboard port never opened";
  Preferences([&](HWND dialog) {
    const std::vector<std::string> keyboards = ListOf(dialog, 40035);
    ASSERT_GE(Selected(dialog, 40035), 0);
    EXPECT_EQ(keyboards.at(static_cast<size_t>(Selected(dialog, 40035))), "Zephra Sim:Trail ");
    for (const std::string& name : keyboards) EXPECT_EQ(name.find("(not present)"), std::string::npos) << name;
    Choose(dialog, 40035, "off");
    SendMessage(dialog, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(ReadWholeFile(Ini()), "[midi]\ninBdev=off\nindev=off\noutdev=off\n\n");
  Preferences([&](HWND dialog) {
    Choose(dialog, 40035, "Zephra Sim:Trail ");
    SendMessage(dialog, WM_COMMAND, IDOK, 0);
  });
  EXPECT_TRUE(peer.Connected());
  EXPECT_EQ(ReadWholeFile(Ini()), stored);
}

TEST_F(AppShellDisplay, EditorInItsWindowDrivesTheSynth)
{
  // The synth is on the system before the editor starts, as a device is.
  SynthSim sim;
  auto* editor = StartEditor(sim);
  if (!mSkip.empty()) GTEST_SKIP() << mSkip;
  ASSERT_NE(editor, nullptr);
  const auto heard = [&sim] { return sim.With([](SynthSimModel& m) { return m.heard; }); };
  // What came is checked after a moment in which more could arrive: a
  // message sent after those waited for would show there.
  const auto settle = [] {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    PumpUntil([&] { return std::chrono::steady_clock::now() > until; });
  };

  // Start-up sends the default program whole, its 336 controllers, and
  // nothing besides: laying out the panels sends nothing.
  EXPECT_TRUE(PumpUntil([&] { return heard().size() >= 336; }));
  settle();
  const std::vector<SimBytes> start = heard();
  ASSERT_EQ(start.size(), 336u);
  const struct
  {
    size_t at;
    SimBytes bytes;
  } kProgramMarks[] = {
      {0, {0xB0, 0x63, 0x05}},   {1, {0xB0, 0x62, 0x00}},   {2, {0xB0, 0x06, 0x18}},
      {251, {0xB0, 0x63, 0x06}}, {252, {0xB0, 0x62, 0x00}}, {334, {0xB0, 0x62, 0x29}}, {335, {0xB0, 0x06, 0x0F}},
  };
  for (const auto& mark : kProgramMarks) EXPECT_EQ(start[mark.at], mark.bytes) << mark.at;
  EXPECT_TRUE(sim.With([](SynthSimModel& m) {
    return std::equal(m.edit.values.begin(), m.edit.values.begin() + 170, kDefaultProgram.begin());
  }));

  // A drag on VCO1 coarse in the window, three pixels up: the program left
  // the synth on the other bank, so the whole address goes out; the bank
  // alone is left out only where an address of this bank went last.
  auto* gui = dynamic_cast<IGraphicsMac*>(editor->GetGUI());
  ASSERT_NE(gui, nullptr);
  PLAT_GtkSurfaceView* view = gui->GetView();
  ASSERT_NE(view, nullptr);
  IRECT knob;
  for (int i = 0; i < gui->NControls(); ++i)
    if (gui->GetControl(i)->ParamIdx() == kParamVco1Coarse) knob = gui->GetControl(i)->GetRECT();
  ASSERT_GT(knob.W(), 0);
  sim.With([](SynthSimModel& m) {
    m.heard.clear();
    return 0;
  });
  const int x = (knob.L + knob.R) / 2, y = (knob.T + knob.B) / 2;
  view->TestButton(x, y, 1, true);
  view->TestButton(x, y - 3, 1, false);
  EXPECT_TRUE(PumpUntil([&] { return !heard().empty() && heard().back() == SimBytes{0xB0, 0x06, 0x1D}; }));
  settle();
  const std::vector<SimBytes> bankForgotten{{0xB0, 0x63, 0x05}, {0xB0, 0x62, 0x00}, {0xB0, 0x06, 0x1D}};
  EXPECT_TRUE(heard() == bankForgotten) << heard().size() << " messages";

  // Save All fetches every location into a file of its own.
  const std::string folder = mHome.Path() + "/programs/";
  std::filesystem::create_directories(folder);
  editor->ScanProgramFolder((folder + "none").c_str());
  editor->StartSaveAllFromSynth(false);
  const auto files = [&] { return std::distance(std::filesystem::directory_iterator(folder), {}); };
  EXPECT_TRUE(PumpUntil([&] { return files() >= 99; }));
  // No more once the run has ended.
  EXPECT_TRUE(PumpUntil([&] {
    BASE_MutexLock hold(editor->GetMutex());
    return !editor->SavingAllFromSynth();
  }));
  EXPECT_EQ(files(), 99);
}

// What the test does on each timer tick while a chooser is open; true
// cancels the chooser.
std::function<bool()> gWhileChoosing;

void RunWhileChoosing(HWND, UINT, UINT_PTR id, DWORD)
{
  PLAT_ChooserTest* chooser = PLAT_ChooserTestCurrent();
  if (!chooser || !gWhileChoosing()) return;
  PLAT_ChooserTestCancel(chooser);
  KillTimer(nullptr, id);
  gWhileChoosing = nullptr;
}

TEST_F(AppShellDisplay, DumpArrivesAndIsSavedWhileSelectDirectoryIsOpen)
{
  SynthSim sim;
  auto* editor = StartEditor(sim);
  if (!mSkip.empty()) GTEST_SKIP() << mSkip;
  ASSERT_NE(editor, nullptr);
  const std::string folder = mHome.Path() + "/programs/";
  std::filesystem::create_directories(folder);
  WriteWholeFile(folder + "01_A.pr3", MarkerText(kDefaultValues));
  editor->ScanProgramFolder((folder + "01_A.pr3").c_str());
  // The synth keeps quiet, so the only dump is the one sent below.
  sim.With([](SynthSimModel& m) {
    m.silent = true;
    m.heard.clear();
    return 0;
  });
  const auto asked = [&sim] {
    return sim.With([](SynthSimModel& m) {
      return std::count(m.heard.begin(), m.heard.end(), SimBytes(RequestMessage(1))) > 0;
    });
  };

  // The run starts once the chooser is up, and the dump answers its first
  // request: a chooser slow to open on a busy machine must not outlast the
  // editor's wait for the reply, after which the dump would come unasked.
  const std::string saved = folder + "01_Warm Pad.pr3";
  bool started = false, sent = false, savedWhileOpen = false;
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  gWhileChoosing = [&] {
    if (!started)
    {
      editor->StartSaveAllFromSynth(false);
      started = true;
    }
    if (!sent && asked()) sent = sim.SendRaw(ProgramMessage(0x41, 1, kDefaultWire, "Warm Pad"));
    savedWhileOpen = std::filesystem::exists(saved);
    return savedWhileOpen || std::chrono::steady_clock::now() > until;
  };
  SetTimer(nullptr, 0, 20, RunWhileChoosing);
  WINLAppMain(kAppMenuCommand, 40025, 0);  // "Select Directory", index 1
  EXPECT_FALSE(gWhileChoosing) << "the chooser never showed";
  gWhileChoosing = nullptr;
  EXPECT_TRUE(sent) << "the run's first request did not go out while the chooser was open";
  EXPECT_TRUE(savedWhileOpen) << "the dump waited for the chooser";
  EXPECT_EQ(LineNumbers(ReadWholeFile(saved)), Pr3Numbers(kDefaultValues));
  // Cancelled: the folder stays the one scanned.
  EXPECT_EQ(editor->ProgramFolder(), folder);
}

TEST_F(AppShellDisplay, BankAssembledInTheManagerIsWrittenAndReadBack)
{
  SynthSim sim;
  auto* editor = StartEditor(sim, "[gui]\nmanager=true\n");
  if (!mSkip.empty()) GTEST_SKIP() << mSkip;
  ASSERT_NE(editor, nullptr);
  const auto press = [editor](int button) {
    editor->SetParameterFromGUI2(button, 1);
    editor->SetParameterFromGUI2(button, 0);
  };
  // Every box shown so far, in order; each step waits for the box that tells
  // the user its action has ended before the next is pressed.
  std::vector<WINL_ShownMessageBox> boxes;
  const auto boxesShown = [&boxes](size_t count) {
    return PumpUntil([&] {
      for (auto& box : WINL_MessageBoxTestTake()) boxes.push_back(box);
      return boxes.size() >= count;
    });
  };
  // Start-up sends the default program whole before the manager is used.
  EXPECT_TRUE(PumpUntil([&sim] { return sim.With([](SynthSimModel& m) { return m.heard.size() >= 336; }); }));
  const std::string folder = mHome.Path() + "/programs/";
  std::filesystem::create_directories(folder);
  WriteWholeFile(folder + "07_BASS_Deep.pr3", MarkerText(kDefaultValues));
  WriteWholeFile(folder + "_Lead.pr3", MarkerText(kDefaultValues));
  editor->ListDirectory(folder);
  press(kParamManagerSelectAll);
  press(kParamManagerSendToBank);

  // "Yes" to overwriting the synth's programs, then the end is told.
  WINL_MessageBoxTestQueue(0);
  WINL_MessageBoxTestQueue(0);
  press(kParamManagerWriteBank);
  ASSERT_TRUE(boxesShown(2));
  // The synth keeps each program under the name its row shows, its category
  // tag in front.
  EXPECT_EQ(sim.With([](SynthSimModel& m) {
    return std::vector<std::string>{m.programs[0].name, m.programs[1].name, m.programs[2].name};
  }),
            (std::vector<std::string>{"BASS_Deep", "Lead", "INIT"}));

  // Read back into a bank emptied first: the names come from the synth.
  WINL_MessageBoxTestQueue(0);
  WINL_MessageBoxTestQueue(0);
  press(kParamManagerDownloadAll);
  // The end of the read-back is told from the timer, a moment after the
  // last location arrives.
  EXPECT_TRUE(boxesShown(4));
  EXPECT_FALSE(editor->Bank()[99].empty);
  WINL_MessageBoxTestEnd();
  std::vector<std::string> texts;
  for (const auto& box : boxes) texts.push_back(box.text);
  EXPECT_EQ(texts, (std::vector<std::string>{
                       "This operation will overwrite the current Programs\nin the Zephra Prime.\nDo you wish to continue?",
                       "Finished successfully!",
                       "This operation will remove the current Programs.\nDo you wish to continue?",
                       "Finished successfully!",
                   }));
  const struct
  {
    int location;
    const char* name;
    int32_t category;
  } kShown[] = {{1, "Deep", kCategoryBass}, {2, "Lead", kCategoryNone}, {3, "INIT", kCategoryNone}, {99, "INIT", kCategoryNone}};
  for (const auto& row : kShown)
  {
    EXPECT_STREQ(editor->Bank()[row.location].name, row.name) << row.location;
    EXPECT_EQ(editor->Bank()[row.location].category, row.category) << row.location;
  }
}

// ---- the program itself ----

// Starts the program with the home folder, waits for its main window, ends
// it (quit from the keyboard, or a signal) and returns its exit code.
int RunProgram(const std::string& home, int endSignal)
{
  const pid_t pid = fork();
  if (pid == 0)
  {
    setenv("HOME", home.c_str(), 1);
    execl(ZEPHRA_EDITOR_APP, ZEPHRA_EDITOR_APP, static_cast<char*>(nullptr));
    _exit(127);
  }
  const std::string window = "xdotool search --sync --onlyvisible --pid " + std::to_string(pid) + " --name '^ZephraEditor$'";
  const bool mapped = std::system(("timeout 120 " + window + " >/dev/null").c_str()) == 0;
  if (!mapped)
    kill(pid, SIGKILL);
  else if (endSignal != 0)
    kill(pid, endSignal);
  else
    EXPECT_EQ(std::system((window + " windowfocus --sync && xdotool key --clearmodifiers ctrl+q").c_str()), 0);
  int status = 0;
  for (int i = 0; i < 600 && waitpid(pid, &status, WNOHANG) == 0; ++i) usleep(100000);
  if (kill(pid, 0) == 0)
  {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
  }
  return mapped && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(AppProgram, FreshHomeStartsAndQuits)
{
  TempDir home;
  EXPECT_EQ(RunProgram(home.Path(), 0), 0);
  EXPECT_EQ(ReadWholeFile(home.Path() + kFolder + "settings.ini"),
            "[gui]\nbackground=space\nguiscale=1.000000000000000\nmanager=false\n\n[midi]\ninBdev=off\nindev=off\noutdev=off\n\n");
}

TEST(AppProgram, TerminationSavesTheLastProgram)
{
  TempDir home;
  const std::string folder = home.Path() + kFolder;
  std::filesystem::create_directories(folder);
  WriteWholeFile(home.File("01_Init.pr3"), "");
  WriteWholeFile(folder + "settings.ini", "[program]\nlastfile=" + home.File("01_Init.pr3") + "\n");
  EXPECT_EQ(RunProgram(home.Path(), SIGTERM), 0);
  EXPECT_TRUE(std::filesystem::is_regular_file(folder + "lastprogram.pr3"));
}

TEST(AppProgram, ReadOnlyHomeRunsOnDefaults) { EXPECT_EQ(RunProgram("/proc", SIGTERM), 0); }
}  // namespace
