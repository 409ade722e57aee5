// The program on a JACK server of the test's own, as a user meets it: the
// end of the session saves "lastprogram.pr3" as the file it is (through a
// link, with its mode and its other names, in place where the folder takes
// no new entry, not at all when it is read-only), and a message box neither
// hands the editor's descriptors to its helper nor holds the end of the
// session. A server that comes and goes quickly under the editor is
// survived, and once one stays the editor reaches the synth on it. A
// communication error the name display shows gives way to the program's
// name once the server returns with the synth's ports, or once the user
// keeps the ports chosen in Preferences.
#include "support/OwnJackServer.h"
#include "support/FileFaults.h"
#include "support/RunningEditor.h"
#include "support/TempDir.h"
#include "tests/synth/support/ZephraTestPrograms.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;

constexpr int kHelp = 4, kProgramDatabase = 1;
constexpr int kFileMenu = 0, kSaveAllFromZephra = 6, kPreferences = 9;
// "VCO3 volume": program value 35, its fader's handle at (481, 416) of the
// GUI when the value is 0.
constexpr int kVolume = 35;

#define START_OR_SKIP(server, editor)                                                  \
  do                                                                                   \
  {                                                                                    \
    OWN_JACK_SERVER_START_OR_SKIP(server);                                             \
    std::string error;                                                                 \
    if (!(editor).Start(error))                                                        \
    {                                                                                  \
      if (error.rfind("no JACK server", 0) == 0) GTEST_SKIP() << error;               \
      FAIL() << error;                                                                 \
    }                                                                                  \
  } while (false)

struct stat StatOf(const std::string& path)
{
  struct stat info{};
  EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
  return info;
}

bool IsLink(const std::string& path)
{
  struct stat info;
  return lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

int SynthValue(RunningEditor& editor, int index)
{
  return editor.Synth().With([index](SynthSimModel& m) { return static_cast<int>(m.edit.values[index]); });
}

// The start has sent the last program; the volume fader is then moved, so
// that the program the end saves differs from the one the file held.
void ChangeTheProgram(RunningEditor& editor)
{
  // 336 controllers of the program among the set-up's own messages.
  ASSERT_TRUE(editor.HeardAProgram()) << editor.Heard().size();
  const int before = SynthValue(editor, kVolume);
  editor.DragGui(481, 416, 481, 392);
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return SynthValue(editor, kVolume) != before; }, RunningEditor::kBusyLimit));
}

// The objects (sockets, pipes) behind a process's descriptors from first on.
std::set<std::string> SharedObjects(pid_t pid, int first)
{
  std::set<std::string> objects;
  const std::string folder = "/proc/" + std::to_string(pid) + "/fd";
  DIR* dir = opendir(folder.c_str());
  if (!dir) return objects;
  while (const dirent* entry = readdir(dir))
  {
    if (entry->d_name[0] == '.' || std::atoi(entry->d_name) < first) continue;
    char target[256];
    const ssize_t n = readlink((folder + "/" + entry->d_name).c_str(), target, sizeof target - 1);
    if (n <= 0) continue;
    const std::string object(target, static_cast<size_t>(n));
    if (object.rfind("socket:", 0) == 0 || object.rfind("pipe:", 0) == 0) objects.insert(object);
  }
  closedir(dir);
  return objects;
}

// Ended, or a zombie nobody reaps any more.
bool Gone(pid_t pid)
{
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const size_t close = stat.rfind(')');
  return stat.empty() || (close != std::string::npos && close + 2 < stat.size() && stat[close + 2] == 'Z');
}

const std::string kEarlier = MarkerText(kDefaultValues);

// "lastprogram.pr3" in the editor's settings folder as a file of mode, the
// default program in it; its path.
std::string PlaceLastProgram(const RunningEditor& editor, unsigned mode)
{
  std::filesystem::create_directories(editor.SettingsFolder());
  const std::string last = editor.SettingsFolder() + "lastprogram.pr3";
  WriteWholeFile(last, kEarlier);
  EXPECT_EQ(chmod(last.c_str(), mode), 0);
  return last;
}

// A session with a program loaded from a folder of the user's, so that the
// start loads "lastprogram.pr3" and the end has a last program to save.
struct Session
{
  TempDir programs;
  RunningEditorSetup Setup()
  {
    WriteWholeFile(programs.File("01_Init.pr3"), kEarlier);
    RunningEditorSetup setup;
    setup.settings = "[program]\nlastfile=" + programs.File("01_Init.pr3") + "\n";
    return setup;
  }
};

// Whether every port of names has a connection, as the server lists them
// to a program of its own (jack_lsp). Not asked by a client of the test's
// process: closing a client cancels its thread at any point, also while it
// holds the JACK library's lock over a client that the editor opens at that
// moment, and every later client of the process then waits for good (the
// synth's, whose notices the server then fails to deliver, among them).
bool AllConnected(const std::vector<std::string>& names)
{
  std::string listing;
  if (FILE* pipe = popen("timeout -s KILL 20 jack_lsp -c 2>/dev/null", "r"))
  {
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) listing.append(buffer, n);
    pclose(pipe);
  }
  // A port's line, then its connections' lines, indented.
  const bool connected = std::all_of(names.begin(), names.end(), [&listing](const std::string& name) {
    const size_t at = listing.find(name + "\n   ");
    return at != std::string::npos && (at == 0 || listing[at - 1] == '\n');
  });
  // Asked a few times a second, not at each of the waits' looks: every
  // asking is a client the server admits and tells all others of, the
  // editor's among them, work that two busy cores take from the editor's
  // own making of clients on a server just back.
  if (!connected) std::this_thread::sleep_for(std::chrono::milliseconds(200));
  return connected;
}
}  // namespace

// The synth's own ports (SynthSim::OpenOwnPorts), as the editor names them,
// and the settings that choose them, before they are there.
const std::string kSynthIn = "Zephra Prime Input:Zephra Prime In";
const std::string kSynthOut = "Zephra Prime Output:Zephra Prime Out";
std::string SynthPortChoices() { return "[midi]\ninBdev=off\nindev=" + kSynthOut + "\noutdev=" + kSynthIn + "\n"; }

// The session's set-up with the synth's own ports chosen, and no simulated
// synth of the harness's: the test brings the synth's ports itself.
RunningEditorSetup SynthChosenWithoutSim(Session& session)
{
  RunningEditorSetup setup = session.Setup();
  setup.synth = false;
  setup.settings += SynthPortChoices();
  return setup;
}

// The program-name display on the screen: GUI (58, 30) to (268, 46).
RunningEditor::Rect NameDisplay(const RunningEditor& editor)
{
  const auto [left, top] = editor.GuiPoint(58, 30);
  const auto [right, bottom] = editor.GuiPoint(268, 46);
  return {left, top, right - left, bottom - top};
}

// Drawn: more than one colour (the display not yet painted is blank).
bool Drawn(const std::vector<uint32_t>& pixels)
{
  return std::adjacent_find(pixels.begin(), pixels.end(), std::not_equal_to<uint32_t>()) != pixels.end();
}

// The name display's picture once drawn after the start, in programName.
void TakeProgramName(RunningEditor& editor, std::vector<uint32_t>& programName)
{
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return Drawn(programName = editor.Grab(NameDisplay(editor))); }))
    << "the name display was never drawn";
}

// "Save All Programs from Zephra" on a synth that does not answer: its box,
// answered, then "Communication error!" in the name display, whose picture
// goes to commError.
void ShowCommunicationError(RunningEditor& editor, const std::vector<uint32_t>& programName,
                            std::vector<uint32_t>& commError)
{
  const RunningEditor::Rect name = NameDisplay(editor);
  ASSERT_TRUE(editor.ChooseMenu(kFileMenu, kSaveAllFromZephra));
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return !editor.OtherWindows().empty(); })) << "no chooser";
  editor.Key("Escape");
  RunningEditor::Alert box;
  ASSERT_TRUE(editor.WaitForAlert(box));
  EXPECT_EQ(box.text, "Zephra not present or a communication\nerror has occurred!");
  // "Connecting to Zephra..." while the box stands; the error once it is
  // answered.
  std::vector<uint32_t> connecting;
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return (connecting = editor.Grab(name)) != programName; }));
  ASSERT_TRUE(editor.Answer(box, 0));
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor.Alerts().empty(); }));
  ASSERT_TRUE(RunningEditor::WaitUntil([&] {
    commError = editor.Grab(name);
    return commError != connecting && commError != programName;
  })) << "no error in the name display";
  (void)editor.SavePicture("e2e-communication-error", name);
}

// "lastprogram.pr3" is a link to a private file that has a second name.
TEST(SavingInTheEditor, TheLastProgramGoesThroughItsLinkAndKeepsModeAndNames)
{
  OwnJackServer server;
  TempDir kept;
  const std::string target = kept.File("last.pr3");
  WriteWholeFile(target, kEarlier);
  ASSERT_EQ(chmod(target.c_str(), 0600), 0);
  ASSERT_EQ(link(target.c_str(), kept.File("twin.pr3").c_str()), 0);
  Session session;
  RunningEditor editor(session.Setup());
  std::filesystem::create_directories(editor.SettingsFolder());
  const std::string last = editor.SettingsFolder() + "lastprogram.pr3";
  ASSERT_EQ(symlink(target.c_str(), last.c_str()), 0);
  START_OR_SKIP(server, editor);
  ChangeTheProgram(editor);
  EXPECT_EQ(editor.Stop(SIGTERM), 0);

  EXPECT_TRUE(IsLink(last));
  const std::string saved = ReadWholeFile(target);
  EXPECT_NE(saved, kEarlier);
  EXPECT_EQ(saved.substr(0, 51), " 243 \r\n 0    ; field:  0  poti:  0   ser.no.:  1 \r\n");
  EXPECT_EQ(ReadWholeFile(kept.File("twin.pr3")), saved);
  const struct stat info = StatOf(target);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
  EXPECT_EQ(info.st_nlink, 2u);
}

// The settings folder takes no new entry when the session ends: the last
// program is written in place.
TEST(SavingInTheEditor, AFolderThatTakesNoNewEntryStillGetsTheLastProgram)
{
  OwnJackServer server;
  Session session;
  RunningEditor editor(session.Setup());
  const std::string last = PlaceLastProgram(editor, 0640);
  const ino_t inode = StatOf(last).st_ino;
  START_OR_SKIP(server, editor);
  ChangeTheProgram(editor);
  {
    FolderWithoutNewEntries locked(editor.SettingsFolder());
    if (!locked.Held()) GTEST_SKIP() << "the folder cannot be closed to new entries here";
    EXPECT_EQ(editor.Stop(SIGTERM), 0);
  }
  const std::string saved = ReadWholeFile(last);
  EXPECT_NE(saved, kEarlier);
  EXPECT_EQ(saved.substr(0, 51), " 243 \r\n 0    ; field:  0  poti:  0   ser.no.:  1 \r\n");
  const struct stat info = StatOf(last);
  EXPECT_EQ(info.st_ino, inode);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(FolderNames(editor.SettingsFolder()).count("lastprogram.pr3"), 1u);
}

// A last program the user made read-only stays as it was.
TEST(SavingInTheEditor, AReadOnlyLastProgramIsLeftAsItIs)
{
  OwnJackServer server;
  Session session;
  RunningEditor editor(session.Setup());
  const std::string last = PlaceLastProgram(editor, 0444);
  START_OR_SKIP(server, editor);
  ChangeTheProgram(editor);
  EXPECT_EQ(editor.Stop(SIGTERM), 0);
  EXPECT_EQ(ReadWholeFile(last), kEarlier);
  EXPECT_EQ(StatOf(last).st_mode & 07777, 0444u);
}

// Help > Program Database with no database server set: a box on the main
// thread. Its helper holds none of the editor's sockets (the sound server's
// among them), and SIGTERM ends the editor, the box and all, with the last
// program saved.
TEST(BoxesInTheEditor, ABoxHoldsNoneOfTheEditorsDescriptorsAndEndsWithIt)
{
  OwnJackServer server;
  Session session;
  RunningEditor editor(session.Setup());
  START_OR_SKIP(server, editor);
  ASSERT_TRUE(editor.HeardAProgram());
  ASSERT_TRUE(editor.ChooseMenu(kHelp, kProgramDatabase));
  RunningEditor::Alert box;
  ASSERT_TRUE(editor.WaitForAlert(box));
  EXPECT_EQ(box.text.rfind("No program-database server is set.", 0), 0u) << box.text;

  const std::set<std::string> editors = SharedObjects(editor.Pid(), 0);
  ASSERT_FALSE(editors.empty());
  // 0 to 2 are the ones a child is given (its answer goes out on 1).
  for (const std::string& object : SharedObjects(box.pid, 3))
    EXPECT_EQ(editors.count(object), 0u) << object << " is the editor's";

  const std::string last = editor.SettingsFolder() + "lastprogram.pr3";
  std::filesystem::remove(last);
  const auto asked = Clock::now();
  EXPECT_EQ(editor.Stop(SIGTERM, 5), 0);
  EXPECT_LT(Clock::now() - asked, std::chrono::seconds(5));
  EXPECT_EQ(ReadWholeFile(last).substr(0, 7), " 243 \r\n");
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return Gone(box.pid); }, RunningEditor::kBusyLimit));
}

// The sound server is alive but does not answer (stopped with SIGSTOP):
// SIGTERM still ends the editor within seconds, with the last program
// saved.
TEST(StoppedServerInTheEditor, SigtermEndsTheEditorAndSavesTheLastProgram)
{
  OwnJackServer server;
  Session session;
  // The start ends by opening the synth's inputs, after the first frame and
  // after the program went out; it notes its stages in this file only once
  // they are open. The server is stopped after that: stopped while a port
  // is being opened, it holds the GUI thread in the MIDI library's request,
  // which a stopped server never answers.
  TempDir marks;
  RunningEditorSetup setup = session.Setup();
  setup.env.emplace_back("ZEPHRA_START_MARKS", marks.File("start-marks"));
  RunningEditor editor(setup);
  START_OR_SKIP(server, editor);
  ASSERT_TRUE(editor.HeardAProgram());
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return std::filesystem::exists(marks.File("start-marks")); }))
    << "the start never opened the synth's inputs";
  const std::string last = editor.SettingsFolder() + "lastprogram.pr3";
  std::filesystem::remove(last);
  ASSERT_EQ(kill(server.Pid(), SIGSTOP), 0);
  const auto asked = Clock::now();
  const int ended = editor.Stop(SIGTERM, 15);
  const auto took = Clock::now() - asked;
  // The test's own clients (the synth) need the server back before they go.
  ASSERT_EQ(kill(server.Pid(), SIGCONT), 0);
  EXPECT_EQ(ended, 0);
  EXPECT_LT(took, std::chrono::seconds(8));
  EXPECT_EQ(ReadWholeFile(last).substr(0, 7), " 243 \r\n");
}

// Started while the server is stopped: the window comes up without MIDI,
// and SIGTERM ends the editor with the last program saved.
TEST(StoppedServerInTheEditor, TheWindowComesUpWithoutIt)
{
  OwnJackServer server;
  OWN_JACK_SERVER_START_OR_SKIP(server);
  Session session;
  RunningEditorSetup setup = session.Setup();
  setup.synth = false;  // the test's own client would wait on the server too
  RunningEditor editor(setup);
  ASSERT_EQ(kill(server.Pid(), SIGSTOP), 0);
  std::string error;
  const bool started = editor.Start(error);
  const int ended = started ? editor.Stop(SIGTERM, 15) : -2;
  ASSERT_EQ(kill(server.Pid(), SIGCONT), 0);
  ASSERT_TRUE(started) << error;
  EXPECT_EQ(ended, 0);
  EXPECT_EQ(ReadWholeFile(editor.SettingsFolder() + "lastprogram.pr3").substr(0, 7), " 243 \r\n");
}

// The sound server comes and goes quickly (twenty lives of 30 to 120 ms)
// under the running editor, which looks for its return all the while: the
// editor survives every life. Once a server stays and the synth's ports
// come on it, the chosen ports open again by their names, and a fader drag
// reaches the synth.
TEST(FlappingServerInTheEditor, TheEditorSurvivesAndReachesTheSynthOnAServerThatStays)
{
  OwnJackServer server;
  OWN_JACK_SERVER_START_OR_SKIP(server);
  // The synth's ports come only on the server that stays: a client of the
  // test's own on a server that goes could never be closed.
  RunningEditorSetup setup;
  setup.synth = false;
  setup.settings = SynthPortChoices();
  RunningEditor editor(setup);
  std::string error;
  ASSERT_TRUE(editor.Start(error)) << error;

  const int lives[] = {30, 120, 45, 60, 30, 90, 35, 110, 50, 30, 75, 40, 120, 30, 65, 30, 100, 55, 30, 85};
  int lived = 0;
  for (const int life : lives)
  {
    server.Stop();
    ASSERT_TRUE(server.StartUnseen()) << "life " << lived;
    std::this_thread::sleep_for(std::chrono::milliseconds(life));
    ++lived;
    ASSERT_TRUE(editor.Running()) << "the editor ended in life " << lived;
  }
  server.Stop();
  EXPECT_EQ(lived, 20);

  ASSERT_TRUE(server.Start());
  SynthSim synth;
  ASSERT_TRUE(synth.OpenOwnPorts(error)) << error;
  synth.With([](SynthSimModel& m) { return m.keepHeard = true; });
  ASSERT_EQ(synth.InputName(), kSynthIn);
  ASSERT_EQ(synth.OutputName(), kSynthOut);
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return AllConnected({kSynthIn, kSynthOut}) || !editor.Running(); }))
    << "the chosen ports did not open again";
  ASSERT_TRUE(editor.Running()) << "the editor ended on the server that stays";
  // The synth that came back is given the editor's program first.
  ASSERT_TRUE(RunningEditor::WaitUntil([&] {
    return synth.With([](SynthSimModel& m) { return m.heard.size(); }) >= RunningEditor::kProgramMessages;
  })) << "the synth that came back got no program";

  // The loss was told; the box stands modal over the editor till answered.
  RunningEditor::Alert box;
  ASSERT_TRUE(editor.WaitForAlert(box));
  EXPECT_EQ(box.text, "The MIDI connection was lost. The chosen ports open again when the sound server returns.");
  ASSERT_TRUE(editor.Answer(box, 0));
  EXPECT_TRUE(editor.Alerts().empty());
  // "VCO3 volume" (NRPN 5, 35) from 0 to 68: its address, then values
  // rising to 68 (0x44).
  const SimBytes last = {0xB0, 0x06, 0x44};
  editor.DragGui(481, 416, 481, 392);
  ASSERT_TRUE(RunningEditor::WaitUntil([&] {
    const std::vector<SimBytes> heard = synth.With([](SynthSimModel& m) { return m.heard; });
    return !heard.empty() && heard.back() == last;
  })) << "the drag never reached the synth";
  const std::vector<SimBytes> heard = synth.With([](SynthSimModel& m) { return m.heard; });
  // The drag's own messages: from its address on, after the program.
  const auto address = std::find(heard.rbegin(), heard.rend(), SimBytes{0xB0, 0x62, 0x23});
  ASSERT_NE(address, heard.rend());
  int value = 0;
  for (auto it = address.base() - 1; it != heard.end(); ++it)
  {
    const SimBytes& message = *it;
    ASSERT_EQ(message.size(), 3u);
    if (message == SimBytes{0xB0, 0x63, 0x05} || message == SimBytes{0xB0, 0x62, 0x23}) continue;
    EXPECT_EQ(message[1], 0x06) << int(message[0]) << " " << int(message[1]) << " " << int(message[2]);
    EXPECT_GT(message[2], value);
    value = message[2];
  }
  ASSERT_TRUE(editor.Running());
  // Survival and the drag are what this test proves; the harness ends the
  // editor, killing it when it does not end in time.
}

// The synth's ports are not there, so the requests of "Save All Programs
// from Zephra" go unanswered and the name display says "Communication
// error!". The server goes and comes back with the synth on it: once the
// chosen ports are open again, the display shows the program's name as it
// did before the request.
TEST(ReturningServerInTheEditor, TheCommunicationErrorGivesWayToTheProgramsName)
{
  OwnJackServer server;
  OWN_JACK_SERVER_START_OR_SKIP(server);
  Session session;
  const RunningEditorSetup setup = SynthChosenWithoutSim(session);
  RunningEditor editor(setup);
  std::string error;
  ASSERT_TRUE(editor.Start(error)) << error;

  const RunningEditor::Rect name = NameDisplay(editor);
  std::vector<uint32_t> programName, commError;
  ASSERT_NO_FATAL_FAILURE(TakeProgramName(editor, programName));
  ASSERT_NO_FATAL_FAILURE(ShowCommunicationError(editor, programName, commError));

  server.Stop();
  RunningEditor::Alert lost;
  ASSERT_TRUE(editor.WaitForAlert(lost));
  EXPECT_EQ(lost.text, "The MIDI connection was lost. The chosen ports open again when the sound server returns.");
  ASSERT_TRUE(editor.Answer(lost, 0));
  // Without the synth the error still holds.
  EXPECT_EQ(editor.Grab(name), commError);

  ASSERT_TRUE(server.Start());
  SynthSim synth;
  ASSERT_TRUE(synth.OpenOwnPorts(error)) << error;
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return AllConnected({kSynthIn, kSynthOut}) || !editor.Running(); }))
    << "the chosen ports did not open again";
  ASSERT_TRUE(editor.Running());
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return editor.Grab(name) == programName; }))
    << "the name display still shows the error";
  (void)editor.SavePicture("e2e-communication-restored", name);
}

// The synth, chosen in the stored settings, switched off while the sound
// server keeps running (its ports leave the server; a request then ends in
// "Communication error!") and on again, or there only after the editor's
// start. Its ports come back under the same names: the editor opens them
// again by itself within two seconds, with no visit to Preferences; a fader
// drag reaches the synth and the name display shows the program's name.
struct SynthComingOn
{
  bool thereAtStart;
};

class SynthSwitchedOnInTheEditor : public ::testing::TestWithParam<SynthComingOn>
{
};

TEST_P(SynthSwitchedOnInTheEditor, ItsPortsOpenAgainAndTheErrorGivesWayToTheProgramsName)
{
  OwnJackServer server;
  OWN_JACK_SERVER_START_OR_SKIP(server);
  Session session;
  const RunningEditorSetup setup = SynthChosenWithoutSim(session);
  std::string error;
  auto synth = std::make_unique<SynthSim>();
  if (GetParam().thereAtStart)
  {
    ASSERT_TRUE(synth->OpenOwnPorts(error)) << error;
  }
  RunningEditor editor(setup);
  ASSERT_TRUE(editor.Start(error)) << error;
  if (GetParam().thereAtStart)
  {
    ASSERT_TRUE(RunningEditor::WaitUntil([&] { return AllConnected({kSynthIn, kSynthOut}); }))
      << "the chosen ports did not open at the start";
    ASSERT_TRUE(RunningEditor::WaitUntil([&] { return synth->LastReceived(1).size() == 1; }))
      << "the start reached the synth not even once";
  }
  const RunningEditor::Rect name = NameDisplay(editor);
  std::vector<uint32_t> programName, commError;
  ASSERT_NO_FATAL_FAILURE(TakeProgramName(editor, programName));
  synth.reset();  // switched off: its clients and ports leave the server
  ASSERT_NO_FATAL_FAILURE(ShowCommunicationError(editor, programName, commError));

  synth = std::make_unique<SynthSim>();
  ASSERT_TRUE(synth->OpenOwnPorts(error)) << error;
  const auto on = Clock::now();
  ASSERT_EQ(synth->InputName(), kSynthIn);
  ASSERT_EQ(synth->OutputName(), kSynthOut);
  synth->With([](SynthSimModel& m) { return m.keepHeard = true; });
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return AllConnected({kSynthIn, kSynthOut}); }))
    << "the chosen ports did not open again";
  EXPECT_LT(Clock::now() - on, std::chrono::seconds(2));
  // The error gives way once the ports are open again, before any edit
  // (which would mark the name as edited).
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return editor.Grab(name) == programName; }))
    << "the name display still shows the error";
  (void)editor.SavePicture("e2e-synth-switched-on", name);
  // "VCO3 volume" (NRPN 5, 35) from 0 to 68: its address, then values
  // rising to 68 (0x44).
  editor.DragGui(481, 416, 481, 392);
  ASSERT_TRUE(RunningEditor::WaitUntil([&] {
    const std::vector<SimBytes> heard = synth->With([](SynthSimModel& m) { return m.heard; });
    return !heard.empty() && heard.back() == SimBytes{0xB0, 0x06, 0x44};
  })) << "the drag never reached the synth";
  const std::vector<SimBytes> heard = synth->With([](SynthSimModel& m) { return m.heard; });
  EXPECT_NE(std::find(heard.begin(), heard.end(), SimBytes{0xB0, 0x62, 0x23}), heard.end());
}

INSTANTIATE_TEST_SUITE_P(OffAndOnOrLate, SynthSwitchedOnInTheEditor,
                         ::testing::Values(SynthComingOn{true}, SynthComingOn{false}),
                         [](const ::testing::TestParamInfo<SynthComingOn>& info) {
                           return info.param.thereAtStart ? std::string("SwitchedOffAndOn")
                                                          : std::string("OnOnlyAfterTheStart");
                         });

// The synth does not answer, and the name display says "Communication
// error!". The user opens Preferences and keeps the ports chosen (OK), which
// opens them again: the display shows the program's name as before.
TEST(ChosenPortsInTheEditor, TheCommunicationErrorGivesWayToTheProgramsName)
{
  Session session;
  RunningEditor editor(session.Setup());
  RUNNING_EDITOR_START_OR_SKIP(editor);
  const RunningEditor::Rect name = NameDisplay(editor);
  std::vector<uint32_t> programName, commError;
  ASSERT_NO_FATAL_FAILURE(TakeProgramName(editor, programName));
  editor.Synth().With([](SynthSimModel& m) { m.silent = true; });
  ASSERT_NO_FATAL_FAILURE(ShowCommunicationError(editor, programName, commError));

  editor.Synth().With([](SynthSimModel& m) { m.silent = false; });
  ASSERT_TRUE(editor.ChooseMenu(kFileMenu, kPreferences));
  std::vector<unsigned long> windows;
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return !(windows = editor.OtherWindows()).empty(); })) << "no dialog";
  const RunningEditor::Rect dialog = editor.WindowRect(windows.back());
  // OK at (192, 133) of the dialog's 320 units, 50 x 20, once drawn.
  const double widen = dialog.w / 320.0;
  const RunningEditor::Rect ok{dialog.x + static_cast<int>(192 * widen), dialog.y + 133, static_cast<int>(50 * widen), 20};
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return Drawn(editor.Grab(ok)); })) << "the dialog was never drawn";
  editor.Click(ok.CenterX(), ok.CenterY());
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor.OtherWindows().empty(); })) << "the dialog stayed";
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return editor.Grab(name) == programName; }))
    << "the name display still shows the error";
  (void)editor.SavePicture("e2e-communication-ports-chosen", name);
}
