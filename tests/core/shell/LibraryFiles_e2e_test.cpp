// The program library's files in the running editor, as a user leaves
// them: a bank saved to disk keeps every file the user put in its folder,
// a renamed program leaves one file for its location, a second folder keeps
// its programs; a WRITE during a bank write is refused and the bank write
// ends whole; a program saved after the manager loaded from its cache
// survives the quit; and the synth's bank saved from the menu comes back
// whole with WRITE ALL. Checked by the files left behind, the bytes the
// simulated synth stored, the message boxes and the name display's ink.
#include "support/RunningEditor.h"

#include "synth/ZephraTables.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>

namespace
{
// GUI points of the manager's controls (unscaled layout).
struct GuiPoint { int x, y; };
constexpr GuiPoint kLoadBank{437, 47}, kSaveBank{523, 47}, kDownloadAll{437, 76};
constexpr GuiPoint kNameMode{674, 89}, kRenameField{990, 45}, kApplyName{972, 76};
GuiPoint Location(int n) { return {308 + 81 * (n % 10) + 40, 108 + 68 * (n / 10) + 34}; }
// The File menu's items as the pointer counts them (no separators).
constexpr int kFileMenu = 0, kSaveProgram = 2, kWriteProgram = 3, kWriteAll = 4, kSaveAllFromZephra = 6;

// Program i: the default program with one value telling it from others.
std::string ProgramText(int i)
{
  std::array<int32_t, kProgramSize> values = kDefaultProgram;
  values[77] = kProgramMin[77] + i % (kProgramMax[77] - kProgramMin[77] + 1);
  std::string text = "243\r\n";
  for (int32_t v : values) text += std::to_string(v) + "\r\n";
  return text;
}

using Files = std::map<std::string, std::string>;  // name -> bytes

Files FolderFiles(const std::string& folder)
{
  Files files;
  for (const std::string& name : FolderNames(folder)) files[name] = ReadWholeFile(folder + "/" + name);
  return files;
}

struct LibraryFiles : ::testing::Test
{
  TempDir work;
  std::unique_ptr<RunningEditor> editor;
  std::string skipped;

  bool Start(const std::string& lastFile, bool manager)
  {
    RunningEditorSetup setup;
    setup.settings = std::string("[gui]\nmanager=") + (manager ? "true" : "false") + "\n[program]\nlastfile=" +
                     lastFile + "\n";
    editor = std::make_unique<RunningEditor>(setup);
    std::string error;
    if (editor->Start(error)) return true;
    if (error.rfind("no JACK server", 0) == 0)
      skipped = error;
    else
      ADD_FAILURE() << error;
    return false;
  }
  void Click(GuiPoint p) { editor->ClickGui(p.x, p.y); }
  // The chooser itself, not a passing menu or tooltip: a large window.
  bool ChooserUp()
  {
    const std::vector<unsigned long> others = editor->OtherWindows();
    return !others.empty() && editor->WindowRect(others.back()).w >= 300;
  }
  // Enters path in the chooser shown now and waits for it to go.
  bool Choose(const std::string& path)
  {
    if (!RunningEditor::WaitUntil([&] { return ChooserUp(); }, RunningEditor::kBusyLimit)) return false;
    if (!editor->EnterInChooser(path)) return false;
    return RunningEditor::WaitUntil([&] { return !ChooserUp(); }, RunningEditor::kBusyLimit);
  }
  // Waits for a box, checks its text and answers it with its first button.
  void ExpectBox(const std::string& text, double seconds = RunningEditor::kBusyLimit)
  {
    RunningEditor::Alert alert;
    ASSERT_TRUE(editor->WaitForAlert(alert, seconds)) << "no box; wanted \"" << text << "\"";
    EXPECT_EQ(alert.text, text);
    EXPECT_TRUE(editor->Answer(alert, 0));
    ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor->Alerts().empty(); }, RunningEditor::kBusyLimit));
  }
  // Location n's name caption on the screen.
  std::vector<uint32_t> NameCaption(int n)
  {
    const auto [x, y] = editor->GuiPoint(312 + 82 * (n % 10), static_cast<int>(131 + 68.5 * (n / 10)));
    return editor->Grab({x, y, 68, 40});
  }
};

#define START_OR_SKIP(...)                          \
  if (!Start(__VA_ARGS__))                          \
  {                                                 \
    if (!skipped.empty()) GTEST_SKIP() << skipped;  \
    return;                                         \
  }

// A bank loaded from a folder that also holds files the bank reads another
// way or not at all, saved back into it: every file the user put there is
// still there with its bytes. Location 5 renamed and saved: one file for 5.
// Saved into a second folder that holds a program at 5: that file stays.
TEST_F(LibraryFiles, SaveToDiskRemovesNothingTheUserDidNotRemove)
{
  const std::string bank = work.File("bank"), other = work.File("other");
  mkdir(bank.c_str(), 0755);
  mkdir(other.c_str(), 0755);
  const Files mine = {{"01_One.pr3", ProgramText(1)},     {"05_Five.pr3", ProgramText(5)},
                      {"100 Voices.pr3", ProgramText(100)}, {" 7 Pad.pr3", ProgramText(7)},
                      {"10_Ten.pr3", ProgramText(10)},    {"notes.txt", "mine"}};
  for (const auto& [name, bytes] : mine) WriteWholeFile(bank + "/" + name, bytes);
  WriteWholeFile(other + "/05_Old.pr3", ProgramText(55));
  START_OR_SKIP(bank + "/01_One.pr3", true);

  const std::vector<uint32_t> emptyFive = NameCaption(5);
  Click(kLoadBank);
  ASSERT_TRUE(Choose("../bank"));
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return NameCaption(5) != emptyFive; }, RunningEditor::kBusyLimit));
  Click(kSaveBank);
  ASSERT_TRUE(Choose("../bank"));
  ExpectBox("Finished successfully!");
  Files expected = mine;
  // The bank's own names for 7 and 10, written beside the user's files.
  expected["07_ Pad.pr3"] = ProgramText(7);
  expected["10_0 Voices.pr3"] = ProgramText(100);
  EXPECT_EQ(FolderFiles(bank), expected);

  // Location 5 renamed "Solo" with the name mode: tick it, pick 5, type.
  const std::vector<uint32_t> five = NameCaption(5);
  Click(kNameMode);
  Click(Location(5));
  Click(kRenameField);
  editor->Key("ctrl+a");
  editor->Type("Solo");
  editor->Key("Return");
  Click(kApplyName);
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return NameCaption(5) != five; }, RunningEditor::kBusyLimit))
    << "the name did not change";
  (void)editor->SavePicture("e2e-library-files-renamed", editor->GuiRect());
  Click(kSaveBank);
  ASSERT_TRUE(Choose("../bank"));
  ExpectBox("Finished successfully!");
  expected.erase("05_Five.pr3");
  expected["05_Solo.pr3"] = ProgramText(5);
  EXPECT_EQ(FolderFiles(bank), expected);

  Click(kSaveBank);
  ASSERT_TRUE(Choose("../other"));
  ExpectBox("Finished successfully!");
  const std::set<std::string> otherNames = FolderNames(other);
  EXPECT_EQ(ReadWholeFile(other + "/05_Old.pr3"), ProgramText(55));
  EXPECT_EQ(ReadWholeFile(other + "/05_Solo.pr3"), ProgramText(5));
  EXPECT_EQ(otherNames.count("01_One.pr3"), 1u);
  EXPECT_EQ(FolderFiles(bank), expected);
}

// WRITE while "Write all Programs" runs: refused, with the reason in the
// name display; the bank write sends all 99 programs, each once, and
// finishes without an error box.
TEST_F(LibraryFiles, WriteDuringABankWriteIsRefusedAndTheBankWriteFinishes)
{
  const std::string bank = work.File("bank");
  mkdir(bank.c_str(), 0755);
  for (int n = 1; n <= 99; ++n)
  {
    char name[16];
    snprintf(name, sizeof name, "/%02d_A.pr3", n);
    WriteWholeFile(bank + name, ProgramText(200 + n));
  }
  WriteWholeFile(work.File("50_Other.pr3"), ProgramText(999));
  START_OR_SKIP(bank + "/01_A.pr3", false);
  ASSERT_TRUE(editor->HeardAProgram());
  editor->ClearHeard();
  int shortName = 0;
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return (shortName = editor->NameInkWidth()) > 0; }));
  // A synth on a slow line: the bank write takes about a minute.
  editor->Synth().PaceLikeMidi(400);
  ASSERT_TRUE(editor->ChooseMenu(kFileMenu, kWriteAll));
  ASSERT_TRUE(Choose(bank));
  ASSERT_TRUE(RunningEditor::WaitUntil([&] {
    for (const SimBytes& m : editor->Heard())
      if (m.size() == 213 && m[5] == 0x20) return true;
    return false;
  }, RunningEditor::kBusyLimit)) << "the bank write did not start";

  ASSERT_TRUE(editor->ChooseMenu(kFileMenu, kWriteProgram));
  ASSERT_TRUE(Choose(work.File("50_Other.pr3")));
  // "Busy writing programs to Zephra!" is far wider than "01_A"; the next
  // program's name replaces it when the synth acknowledges.
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return editor->NameInkWidth() > 4 * shortName; }, 10))
    << "no message in the name display";

  std::map<int, int> writes;
  const auto countWrites = [&] {
    writes.clear();
    for (const SimBytes& m : editor->Heard())
      if (m.size() == 213 && m[5] == 0x20) ++writes[m[7]];
    return writes.size() == 99;
  };
  EXPECT_TRUE(RunningEditor::WaitUntil(countWrites, 240)) << writes.size() << " locations written";
  // "Finished successfully!" follows the last name ("99_A") there.
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return editor->NameInkWidth() > 4 * shortName; }, RunningEditor::kBusyLimit))
    << "the bank write did not finish";
  RunningEditor::Alert alert;
  EXPECT_FALSE(editor->WaitForAlert(alert, 2)) << alert.text;
  for (const auto& [location, count] : writes) EXPECT_EQ(count, 1) << "location " << location;
  // Each under the name the library shows for its file, "A".
  for (int n : {1, 50, 99})
    EXPECT_EQ(editor->Synth().With([&](SynthSimModel& m) { return m.programs[n - 1].name; }), "A")
      << "location " << n;
  EXPECT_EQ(editor->Stop(SIGTERM), 0);
}

// The manager's bank downloaded into the cache and one of its programs
// opened: File > Save Program does not open in the cache, and the program
// saved there under a plain name is still there after the quit, which
// removes the cache.
TEST_F(LibraryFiles, AProgramSavedAfterTheManagerUsedTheCacheOutlivesTheQuit)
{
  const std::string bank = work.File("bank");
  mkdir(bank.c_str(), 0755);
  WriteWholeFile(bank + "/01_One.pr3", ProgramText(1));
  START_OR_SKIP(bank + "/01_One.pr3", true);
  Click(kDownloadAll);
  ExpectBox("Finished successfully!", 120);
  const std::string cache = editor->SettingsFolder() + "cache/";
  ASSERT_EQ(ReadWholeFile(cache + "01_INIT.pr3").substr(0, 3), " 24");
  // Opened from its row, the program is the cache's "01_INIT.pr3".
  const auto [x, y] = editor->GuiPoint(Location(1).x, Location(1).y);
  editor->ClearHeard();
  editor->DoubleClick(x, y);
  ASSERT_TRUE(editor->HeardAProgram());

  ASSERT_TRUE(editor->ChooseMenu(kFileMenu, kSaveProgram));
  // A plain name: the chooser adds the extension.
  ASSERT_TRUE(Choose("Kept"));
  EXPECT_FALSE(FolderNames(cache).count("Kept.pr3")) << "saved into the cache";
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return FolderNames(editor->Home()).count("Kept.pr3") == 1; },
                                       RunningEditor::kBusyLimit))
    << "the chooser did not start in the home folder";

  editor->FocusMain();
  editor->Key("ctrl+q");
  RunningEditor::Alert alert;
  ASSERT_TRUE(editor->WaitForAlert(alert, RunningEditor::kBusyLimit));
  int dontSave = -1;
  for (size_t i = 0; i < alert.buttons.size(); ++i)
    if (alert.buttons[i] == "Don't save") dontSave = static_cast<int>(i);
  ASSERT_GE(dontSave, 0) << alert.text;
  ASSERT_TRUE(editor->Answer(alert, dontSave));
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return !editor->Running(); }, RunningEditor::kBusyLimit));
  EXPECT_EQ(editor->Stop(SIGTERM), 0);
  EXPECT_TRUE(FolderNames(cache).empty()) << "the cache outlived the quit";
  EXPECT_EQ(ReadWholeFile(editor->Home() + "/Kept.pr3").substr(0, 7), " 243 \r\n");
}
// The synth's bank saved with the menu's save-all and written back with
// WRITE ALL into a synth whose memory was wiped: every location gets its
// own program under its own name back, and the manager's download then
// shows "INIT" for the programs of that name.
TEST_F(LibraryFiles, SaveAllFromTheMenuAndWriteAllRestoreTheBank)
{
  const std::string bank = work.File("bank"), start = work.File("start");
  mkdir(bank.c_str(), 0755);
  mkdir(start.c_str(), 0755);
  WriteWholeFile(start + "/01_One.pr3", ProgramText(1));
  START_OR_SKIP(start + "/01_One.pr3", true);
  // Location n's program: the default one with value 77 telling it apart.
  const auto program = [](int n) {
    SimProgram p;
    p.values[77] = kProgramMin[77] + (300 + n) % (kProgramMax[77] - kProgramMin[77] + 1);
    p.name = n == 1 || n == 2 ? "01_A" : n == 5 ? "80s Brass" : "INIT";
    return p;
  };
  editor->Synth().With([&](SynthSimModel& m) {
    for (int n = 1; n <= 99; ++n) m.programs[n - 1] = program(n);
  });

  ASSERT_TRUE(editor->ChooseMenu(kFileMenu, kSaveAllFromZephra));
  ASSERT_TRUE(Choose(bank));
  ExpectBox("Finished successfully!", 120);
  const std::set<std::string> saved = FolderNames(bank);
  EXPECT_EQ(saved.size(), 99u);
  for (const char* name : {"01_01_A.pr3", "02_01_A.pr3", "03_INIT.pr3", "05_80s Brass.pr3", "99_INIT.pr3"})
    EXPECT_EQ(saved.count(name), 1u) << name;

  editor->Synth().With([](SynthSimModel& m) {
    for (SimProgram& p : m.programs) p = SimProgram{{}, "WIPED"};
  });
  ASSERT_TRUE(editor->ChooseMenu(kFileMenu, kWriteAll));
  ASSERT_TRUE(Choose(bank));
  ExpectBox("Finished successfully!", 120);
  for (int n = 1; n <= 99; ++n)
  {
    const SimProgram back = editor->Synth().With([n](SynthSimModel& m) { return m.programs[n - 1]; });
    const SimProgram want = program(n);
    EXPECT_EQ(back.name, want.name) << "location " << n;
    EXPECT_TRUE(std::equal(back.values.begin(), back.values.begin() + 170, want.values.begin())) << "location " << n;
  }

  Click(kDownloadAll);
  ExpectBox("Finished successfully!", 120);
  const std::set<std::string> cached = FolderNames(editor->SettingsFolder() + "cache");
  for (const char* name : {"03_INIT.pr3", "05_80s Brass.pr3", "99_INIT.pr3"}) EXPECT_EQ(cached.count(name), 1u) << name;
  EXPECT_EQ(cached.count("03_03INIT.pr3"), 0u);
  // Rows 3 and 4 show the same "INIT", row 5 another name.
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return NameCaption(3) == NameCaption(4); }, RunningEditor::kBusyLimit));
  EXPECT_NE(NameCaption(3), NameCaption(5));
  (void)editor->SavePicture("e2e-library-files-bank-restored", editor->GuiRect());
  EXPECT_EQ(editor->Stop(SIGTERM), 0);
}
}  // namespace
