// The shell on the virtual display with the JACK server: the main window and
// its commands, the "Preferences" dialog against a MIDI peer of the test's
// own, and the program itself started, quit and signalled.
//
// The in-process tests quit the application at their end, which a process
// does only once: ctest runs each test in a process of its own, and a later
// test in the same process skips.
#include "core/shell/AppShell.h"

#include "core/IUnitStandalone.h"
#include "core/MidiPorts.h"
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

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>

namespace
{
const char kFolder[] = "/Library/Application Support/ZephraEditor/";

// The plug-in object: records the menu-command indexes it is given.
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
    : IUnitStandalone(Info(out, channel), 1, "0-1 0-2", 1, "ZephraEditor", "", "brindleaudio", 1, 1, 1, 0, true,
                      false, false)
  {
  }
  bool OnStandaloneMenuCommand(int index) override
  {
    indexes.push_back(index);
    return handled;
  }
  std::vector<int> indexes;
  bool handled = true;
};

bool JackAnswers()
{
  jack_client_t* client = jack_client_open("zephra shell probe", JackNoStartServer, nullptr);
  if (!client) return false;
  jack_client_close(client);
  return true;
}

// A MIDI input of the test's own on the JACK server, as a synth would show.
class Peer
{
public:
  explicit Peer(const std::string& port) : mIn(RtMidi::UNIX_JACK, "Zephra Sim")
  {
    mIn.setCallback(&Peer::OnInput, this);
    mIn.openVirtualPort(port);
    mName = "Zephra Sim:" + port;
    mProbe = jack_client_open("zephra shell peer probe", JackNoStartServer, nullptr);
  }
  ~Peer()
  {
    if (mProbe) jack_client_close(mProbe);
  }
  const std::string& Name() const { return mName; }
  bool Connected() const
  {
    jack_port_t* port = mProbe ? jack_port_by_name(mProbe, mName.c_str()) : nullptr;
    return port && jack_port_connected(port) > 0;
  }
  // Waits up to two seconds for bytes to arrive.
  bool Heard(const std::vector<unsigned char>& bytes)
  {
    for (int i = 0; i < 200; ++i)
    {
      {
        std::lock_guard<std::mutex> hold(mLock);
        for (const auto& m : mHeard)
          if (m == bytes) return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

private:
  static void OnInput(double, std::vector<unsigned char>* bytes, void* self)
  {
    Peer* peer = static_cast<Peer*>(self);
    std::lock_guard<std::mutex> hold(peer->mLock);
    peer->mHeard.push_back(*bytes);
  }
  RtMidiIn mIn;
  std::string mName;
  jack_client_t* mProbe = nullptr;
  std::mutex mLock;
  std::vector<std::vector<unsigned char>> mHeard;
};

// ---- the dialog, driven from a timer inside its modal run ----

std::function<void(HWND)> gDialogScript;
bool gScriptRan = false;

void RunScript(HWND, UINT, UINT_PTR id, DWORD)
{
  HWND dialog = FindWindowEx(nullptr, nullptr, nullptr, "Preferences");
  if (!dialog) return;
  KillTimer(nullptr, id);
  gScriptRan = true;
  gDialogScript(dialog);
}

std::vector<std::string> ListOf(HWND dialog, int id)
{
  std::vector<std::string> texts;
  const int count = WINL_CB_GetNumItems(dialog, id);
  for (int i = 0; i < count; ++i)
  {
    char text[512] = {};
    WINL_CB_GetItemText(dialog, id, i, text, sizeof text);
    texts.push_back(text);
  }
  return texts;
}

int Selected(HWND dialog, int id) { return static_cast<int>(SendMessage(GetDlgItem(dialog, id), CB_GETCURSEL, 0, 0)); }

// Picks the item as the user does: the list changes, then its owner hears.
void Choose(HWND dialog, int id, const std::string& text)
{
  const std::vector<std::string> list = ListOf(dialog, id);
  const auto at = std::find(list.begin(), list.end(), text);
  ASSERT_NE(at, list.end()) << text;
  HWND combo = GetDlgItem(dialog, id);
  SendMessage(combo, CB_SETCURSEL, static_cast<WPARAM>(at - list.begin()), 0);
  SendMessage(dialog, WM_COMMAND, static_cast<WPARAM>(id | (CBN_SELCHANGE << 16)), reinterpret_cast<LPARAM>(combo));
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
    if (WINL_IsQuitting()) GTEST_SKIP() << "the application has quit in this process; run each test alone";
    if (!JackAnswers()) GTEST_SKIP() << "no JACK server answers";
    setenv("HOME", mHome.Path().c_str(), 1);
    mSaved = AppShellParts();
    AppShellParts().makePlug = [this](RtMidiOut* out, uint16_t* channel) {
      mPlug = new RecordingPlug(out, channel);
      return mPlug;
    };
  }
  void TearDown() override
  {
    if (!mStarted) return;
    WINLAppMain(3, 0, 0);
    AppShellParts() = mSaved;
    WINL_MessageQueue_Flush();
    PLAT_GtkTestSettle();
  }
  void Start(const char* settings = nullptr)
  {
    if (settings)
    {
      std::filesystem::create_directories(mHome.Path() + kFolder);
      WriteWholeFile(Ini(), settings);
    }
    ASSERT_EQ(WINLAppMain(1, 0, 0), 0);
    WINLAppMain(2, 0, 0);
    mStarted = true;
    ASSERT_NE(AppMainWindow(), nullptr);
  }
  std::string Ini() const { return mHome.Path() + kFolder + "settings.ini"; }
  // Opens "Preferences" from the main window and runs script in it.
  void Preferences(std::function<void(HWND)> script)
  {
    gDialogScript = std::move(script);
    gScriptRan = false;
    SetTimer(nullptr, 0, 20, RunScript);
    SendMessage(AppMainWindow(), WM_COMMAND, 40006, 0);
    EXPECT_TRUE(gScriptRan);
  }

  TempDir mHome;
  ShellParts mSaved;
  RecordingPlug* mPlug = nullptr;
  bool mStarted = false;
};

TEST_F(AppShellDisplay, MainWindowShowsItsMenuBar)
{
  Start();
  char title[64] = {};
  GetWindowText(AppMainWindow(), title, sizeof title);
  EXPECT_STREQ(title, "ZephraEditor");
  EXPECT_TRUE(IsWindowVisible(AppMainWindow()));
  HMENU bar = GetMenu(AppMainWindow());
  ASSERT_EQ(GetMenuItemCount(bar), 2);
  const std::vector<int> kFile = {40025, 0, 40026, 40027, 40028, 40029, 40045, 40046, 0, 40030, 0, 40006, 0, 40007};
  const std::vector<int> kHelp = {40031, 40032, 40005};
  for (int menu = 0; menu < 2; ++menu)
  {
    std::vector<int> ids;
    for (int i = 0; i < GetMenuItemCount(GetSubMenu(bar, menu)); ++i) ids.push_back(GetMenuItemID(GetSubMenu(bar, menu), i));
    EXPECT_EQ(ids, menu == 0 ? kFile : kHelp);
  }
}

struct TagCase
{
  INT_PTR tag;
  int index;  // -1: the editor hears nothing
};

const TagCase kTags[] = {
    {40005, 0},  {40025, 1},  {40026, 2},  {40027, 3},  {40028, 4},  {40029, 5},  {40030, 6},  {40031, 7},
    {40032, 8},  {40033, 11}, {40034, 10}, {40035, -1}, {40036, -1}, {40037, 12}, {40038, 13}, {40039, 14},
    {40040, 15}, {40041, 16}, {40042, 17}, {40043, 18}, {40044, 19}, {40045, 20}, {40046, 21}, {40047, 22},
    {40048, 23}, {40049, 25}, {40050, 24}, {40051, 26}, {40052, 27}, {40053, 33}, {40054, 32}, {40055, -1},
    {40024, -1}, {0x10000 | 40025, 1},    {0x10000, -1},
};

TEST_F(AppShellDisplay, MenuTagsReachTheEditorByIndex)
{
  Start();
  for (const TagCase& c : kTags)
  {
    SCOPED_TRACE(c.tag);
    mPlug->indexes.clear();
    WINLAppMain(kAppMenuCommand, c.tag, 0);
    EXPECT_EQ(mPlug->indexes, c.index < 0 ? std::vector<int>{} : std::vector<int>{c.index});
  }
  // The editor declines About: the shell's own box shows.
  mPlug->handled = false;
  WINL_MessageBoxTestQueue(0);
  WINLAppMain(kAppMenuCommand, 40005, 0);
  const auto boxes = WINL_MessageBoxTestTake();
  WINL_MessageBoxTestEnd();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "ZephraEditor");
  EXPECT_EQ(boxes[0].text, "Brindle-Audio\nBuilt on Jun 16 2021");
}

TEST_F(AppShellDisplay, ChosenOutputConnectsAtOnceAndOkWritesIt)
{
  Start();
  Peer peer("Zephra Sim In");  // appears after start-up: the dialog looks again
  Preferences([&](HWND dialog) {
    const std::vector<std::string> outputs = ListOf(dialog, 40019);
    ASSERT_GE(outputs.size(), 3u);
    EXPECT_EQ(outputs[0], "off");
    EXPECT_EQ(outputs[1], "virtual output");
    EXPECT_NE(std::find(outputs.begin(), outputs.end(), peer.Name()), outputs.end());
    const std::vector<std::string> inputs = ListOf(dialog, 40018);
    ASSERT_GE(inputs.size(), 2u);
    EXPECT_EQ(inputs[0], "off");
    EXPECT_EQ(inputs[1], "virtual input");
    EXPECT_EQ(Selected(dialog, 40019), 0);
    Choose(dialog, 40019, peer.Name());
    EXPECT_TRUE(peer.Connected());
    const unsigned char note[3] = {0x90, 60, 100};
    AppPorts()->MidiOut()->sendMessage(note, 3);
    EXPECT_TRUE(peer.Heard({0x90, 60, 100}));
    SendMessage(dialog, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(ReadWholeFile(Ini()), "[midi]\ninBdev=off\nindev=off\noutdev=Zephra Sim:Zephra Sim In\n\n");
}

TEST_F(AppShellDisplay, CancelPutsBackTheOutputAndItsPort)
{
  Start();
  Peer peer("Zephra Sim In");
  const std::string before = ReadWholeFile(Ini());
  Preferences([&](HWND dialog) {
    Choose(dialog, 40019, peer.Name());
    EXPECT_TRUE(peer.Connected());
    SendMessage(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(AppPorts()->State().mOutDev, "off");
  EXPECT_FALSE(AppPorts()->OutputOpen());
  EXPECT_FALSE(peer.Connected());
  EXPECT_EQ(ReadWholeFile(Ini()), before);
}

TEST_F(AppShellDisplay, StoredPortThatIsGoneShowsOff)
{
  Start("[midi]\ninBdev=off\nindev=Gone\noutdev=off\n\n");
  EXPECT_EQ(ReadWholeFile(Ini()), "[midi]\ninBdev=off\nindev=off\noutdev=off\n\n");
  Preferences([](HWND dialog) {
    EXPECT_EQ(Selected(dialog, 40018), 0);
    SendMessage(dialog, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(ReadWholeFile(Ini()), "[midi]\ninBdev=off\nindev=off\noutdev=off\n\n");
}

TEST_F(AppShellDisplay, OneDeviceForBothInputsShowsOffInTheOneChangedLast)
{
  Start();
  Preferences([](HWND dialog) {
    Choose(dialog, 40018, "virtual input");
    Choose(dialog, 40035, "virtual input");
    EXPECT_EQ(Selected(dialog, 40018), 1);
    EXPECT_EQ(Selected(dialog, 40035), 0);
    SendMessage(dialog, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(ReadWholeFile(Ini()), "[midi]\ninBdev=off\nindev=virtual input\noutdev=off\n\n");
}

TEST_F(AppShellDisplay, LongPortNameIsKeptWholeAndStillMatches)
{
  Start();
  const std::string port = "Zephra Sim " + std::string(150, 'L');
  Peer peer(port);
  Preferences([&](HWND dialog) {
    Choose(dialog, 40019, peer.Name());
    SendMessage(dialog, WM_COMMAND, IDOK, 0);
  });
  char stored[1024] = {};
  GetPrivateProfileString("midi", "outdev", "", stored, sizeof stored, Ini().c_str());
  EXPECT_EQ(std::string(stored), "Zephra Sim:" + port);
  EXPECT_GE(AppPorts()->GetMIDIOutPortNumber(stored), 2);
}

TEST_F(AppShellDisplay, SettingsThatCannotBeSavedAreReported)
{
  Start();
  std::filesystem::remove(Ini());
  std::filesystem::create_directory(Ini());
  WINL_MessageBoxTestQueue(0);
  Preferences([](HWND dialog) {
    Choose(dialog, 40019, "virtual output");
    SendMessage(dialog, WM_COMMAND, IDOK, 0);
  });
  const auto boxes = WINL_MessageBoxTestTake();
  WINL_MessageBoxTestEnd();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "Error");
  EXPECT_EQ(boxes[0].text, "The MIDI settings could not be saved in " + Ini() + ".");
}

// ---- the program itself ----

class Program
{
public:
  explicit Program(const std::string& home)
  {
    mPid = fork();
    if (mPid == 0)
    {
      setenv("HOME", home.c_str(), 1);
      execl(ZEPHRA_EDITOR_APP, ZEPHRA_EDITOR_APP, static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  ~Program()
  {
    if (mPid > 0 && !mDone)
    {
      kill(mPid, SIGKILL);
      waitpid(mPid, nullptr, 0);
    }
  }
  // True once its main window is on the screen.
  bool Mapped() const
  {
    const std::string find = "timeout 120 xdotool search --sync --onlyvisible --pid " + std::to_string(mPid) +
                             " --name '^ZephraEditor$' >/dev/null 2>&1";
    return std::system(find.c_str()) == 0;
  }
  // Quit from the keyboard, as the user does.
  void PressQuit() const
  {
    const std::string keys = "xdotool search --onlyvisible --pid " + std::to_string(mPid) +
                             " --name '^ZephraEditor$' windowfocus --sync && xdotool key --clearmodifiers ctrl+q";
    EXPECT_EQ(std::system(keys.c_str()), 0);
  }
  void Signal(int sig) const { kill(mPid, sig); }
  // The exit code; -1 when it did not exit by itself within a minute.
  int Wait()
  {
    int status = 0;
    for (int i = 0; i < 600; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(100)))
      if (waitpid(mPid, &status, WNOHANG) == mPid)
      {
        mDone = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
    return -1;
  }

private:
  pid_t mPid = -1;
  bool mDone = false;
};

TEST(AppProgram, FreshHomeStartsAndQuits)
{
  TempDir home;
  Program program(home.Path());
  ASSERT_TRUE(program.Mapped());
  program.PressQuit();
  EXPECT_EQ(program.Wait(), 0);
  const std::string folder = home.Path() + kFolder;
  EXPECT_EQ(ReadWholeFile(folder + "settings.ini"),
            "[gui]\nmanager=false\n\n[midi]\ninBdev=off\nindev=off\noutdev=off\n\n");
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
  Program program(home.Path());
  ASSERT_TRUE(program.Mapped());
  program.Signal(SIGTERM);
  EXPECT_EQ(program.Wait(), 0);
  EXPECT_TRUE(std::filesystem::is_regular_file(folder + "lastprogram.pr3"));
}

TEST(AppProgram, ReadOnlyHomeRunsOnDefaults)
{
  Program program("/proc");
  ASSERT_TRUE(program.Mapped());
  program.Signal(SIGTERM);
  EXPECT_EQ(program.Wait(), 0);
}
}  // namespace
