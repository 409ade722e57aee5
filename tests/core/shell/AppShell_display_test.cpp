// The shell on the virtual display with the JACK server: the main window and
// its commands, the GUI's attachment, the "Preferences" dialog against a
// MIDI input of the test's own, and the program itself started and ended.
// An in-process test quits the application, which a process does once:
// ctest runs each test in a process of its own; a later one here skips.
#include "core/shell/AppShell.h"

#include "core/IUnitStandalone.h"
#include "core/MidiPorts.h"
#include "graphics/IGraphicsHeadless.h"
#include "platform/gtk/PLAT_GtkTest.h"
#include "support/TempDir.h"
#include "winl/WINL_App.h"
#include "winl/WINL_Controls.h"
#include "winl/WINL_Menu.h"
#include "winl/WINL_MessageBox.h"
#include "winl/WINL_Queue.h"
#include "winl/ini/WINL_Ini.h"

#include <gtest/gtest.h>
#include <jack/jack.h>
#include <rtmidi/RtMidi.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

// A JACK MIDI input of the test's own, as a synth shows one.
class Peer
{
public:
  explicit Peer(const std::string& port)
    : mProbe(jack_client_open("zephra shell probe", JackNoStartServer, nullptr)), name("Zephra Sim:" + port)
  {
    mIn.openVirtualPort(port);
  }
  ~Peer() { jack_client_close(mProbe); }
  bool Connected() const
  {
    jack_port_t* port = jack_port_by_name(mProbe, name.c_str());
    return port && jack_port_connected(port) > 0;
  }

private:
  RtMidiIn mIn{RtMidi::UNIX_JACK, "Zephra Sim"};
  jack_client_t* mProbe;

public:
  const std::string name;
};

bool JackAnswers()
{
  jack_client_t* client = jack_client_open("zephra shell probe", JackNoStartServer, nullptr);
  if (client) jack_client_close(client);
  return client != nullptr;
}

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
    AppShellParts().makePlug = [this](RtMidiOut* out, uint16_t* channel) { return mPlug = new RecordingPlug(out, channel); };
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

  TempDir mHome;
  ShellParts mSaved;
  RecordingPlug* mPlug = nullptr;
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
    {40052, {27}}, {40053, {33}}, {40054, {32}}, {40055, {}},   {40024, {}},   {0x10000 | 40025, {1}}, {0x10000, {}},
};

TEST_F(AppShellDisplay, MainWindowMenuAndCommands)
{
  Start();
  char title[64] = {};
  GetWindowText(AppMainWindow(), title, sizeof title);
  EXPECT_STREQ(title, "ZephraEditor");
  EXPECT_TRUE(IsWindowVisible(AppMainWindow()));
  HMENU bar = GetMenu(AppMainWindow());
  const std::vector<std::vector<int>> kBar = {{40025, 0, 40026, 40027, 40028, 40029, 40045, 40046, 0, 40030, 0, 40006, 0, 40007},
                                              {40031, 40032, 40005}};
  ASSERT_EQ(GetMenuItemCount(bar), 2);
  for (int menu = 0; menu < 2; ++menu)
  {
    std::vector<int> ids;
    for (int i = 0; i < GetMenuItemCount(GetSubMenu(bar, menu)); ++i) ids.push_back(GetMenuItemID(GetSubMenu(bar, menu), i));
    EXPECT_EQ(ids, kBar[menu]);
  }
  for (const auto& c : kTags)
  {
    mPlug->indexes.clear();
    WINLAppMain(kAppMenuCommand, c.tag, 0);
    EXPECT_EQ(mPlug->indexes, c.heard) << c.tag;
  }
  // When the editor declines About, the shell's own box shows.
  mPlug->handled = false;
  WINL_MessageBoxTestQueue(0);
  WINLAppMain(kAppMenuCommand, 40005, 0);
  const auto boxes = WINL_MessageBoxTestTake();
  WINL_MessageBoxTestEnd();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption + "|" + boxes[0].text, "ZephraEditor|Brindle-Audio\nBuilt on Jun 16 2021");
}

TEST_F(AppShellDisplay, GraphicsOpenInTheMainWindowAndTheScaleFitsTheScreen)
{
  AppShellParts().makePlug = [this](RtMidiOut* out, uint16_t* channel) {
    mPlug = new RecordingPlug(out, channel);
    mPlug->AttachGraphics(new IGraphicsHeadless(mPlug, 1140, 800));
    return mPlug;
  };
  // Lower than any frame plus 400 pixels: the fit holds the scale at its least.
  AppShellParts().screenHeight = [] { return 400; };
  Start("[gui]\nguiscale=1.0\n");
  EXPECT_EQ(mPlug->guiOpens, 2);  // at the window's creation and when launching ends
  EXPECT_TRUE(static_cast<IGraphics*>(mPlug->GetGUI())->WindowIsOpen());
  EXPECT_EQ(ReadWholeFile(Ini()), "[gui]\nguiscale=0.500000000000000\n\n[midi]\ninBdev=off\nindev=off\noutdev=off\n\n");
}

TEST_F(AppShellDisplay, PreferencesOpenPortsAtOnceAndCancelPutsThemBack)
{
  if (!JackAnswers()) GTEST_SKIP() << "no JACK server answers";
  Start("[midi]\ninBdev=off\nindev=Gone\noutdev=off\n\n");
  EXPECT_EQ(ReadWholeFile(Ini()), "[midi]\ninBdev=off\nindev=off\noutdev=off\n\n");
  const std::string before = ReadWholeFile(Ini());
  // Longer than any fixed name field; it appears after start-up, so the
  // dialog must look for ports again.
  Peer peer("Zephra Sim " + std::string(150, 'L'));
  Preferences([&](HWND dialog) {
    const std::vector<std::string> outputs = ListOf(dialog, 40019), inputs = ListOf(dialog, 40018);
    ASSERT_GE(inputs.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(inputs.begin(), inputs.begin() + 2), (std::vector<std::string>{"off", "virtual input"}));
    EXPECT_EQ(outputs.at(1), "virtual output");
    EXPECT_EQ(Selected(dialog, 40018), 0);
    Choose(dialog, 40019, peer.name);
    EXPECT_TRUE(peer.Connected());
    Choose(dialog, 40018, "virtual input");
    Choose(dialog, 40035, "virtual input");  // taken: falls back to "off" and shows it
    EXPECT_EQ(Selected(dialog, 40035), 0);
    SendMessage(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(AppPorts()->State().mOutDev + "|" + AppPorts()->State().mInDev, "off|off");
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
}

TEST_F(AppShellDisplay, SettingsThatCannotBeSavedAreReported)
{
  Start();
  std::filesystem::remove(Ini());
  std::filesystem::create_directory(Ini());
  WINL_MessageBoxTestQueue(0);
  Preferences([](HWND dialog) { SendMessage(dialog, WM_COMMAND, IDOK, 0); });
  const auto boxes = WINL_MessageBoxTestTake();
  WINL_MessageBoxTestEnd();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption + "|" + boxes[0].text, "Error|The MIDI settings could not be saved in " + Ini() + ".");
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
  const std::string folder = home.Path() + kFolder;
  EXPECT_EQ(ReadWholeFile(folder + "settings.ini"), "[gui]\nmanager=false\n\n[midi]\ninBdev=off\nindev=off\noutdev=off\n\n");
  struct stat info{};
  ASSERT_EQ(stat(folder.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST(AppProgram, TerminationSavesTheLastProgram)
{
  TempDir home;
  const std::string folder = home.Path() + kFolder;
  std::filesystem::create_directories(folder);
  std::filesystem::create_directories(home.File("programs"));
  WriteWholeFile(home.File("programs/01_Init.pr3"), "");
  WriteWholeFile(folder + "settings.ini", "[program]\nlastfile=" + home.File("programs/01_Init.pr3") + "\n");
  EXPECT_EQ(RunProgram(home.Path(), SIGTERM), 0);
  EXPECT_TRUE(std::filesystem::is_regular_file(folder + "lastprogram.pr3"));
}

TEST(AppProgram, ReadOnlyHomeRunsOnDefaults) { EXPECT_EQ(RunProgram("/proc", SIGTERM), 0); }
}  // namespace
