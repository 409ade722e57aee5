// The program library as a new user meets it in the running editor: a file
// whose name gives no location written to the synth, the synth's memory
// saved into the program manager, the manager put away over an edit, and
// the database actions with no server set. Checked by the message boxes on
// screen, the rows the manager shows and the bytes the simulated synth
// received.
#include "support/RunningEditor.h"

#include "synth/ZephraTables.h"
#include "tests/synth/support/ZephraTestPrograms.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{
// The File menu's items as the pointer counts them (no separators).
constexpr int kFileMenu = 0;
constexpr int kWriteProgram = 3;
constexpr int kNameNumberText = 0;  // index into kTexts
const char* const kTexts[] = {"Program Name does not\ndetermine Program Number!"};
constexpr const char* kNoServerText =
  "No program-database server is set.\nName one as server= in the [dbase] section of settings.ini.";

// The default program with value 76 (the cutoff) telling it from others.
std::string ProgramText(int cutoff)
{
  std::array<int32_t, kProgramSize> values = kDefaultProgram;
  values[76] = cutoff;
  std::string text = "243\r\n";
  for (int32_t v : values) text += std::to_string(v) + "\r\n";
  return text;
}

struct Library : ::testing::Test
{
  TempDir programs;
  std::unique_ptr<RunningEditor> editor;
  std::string skipped;

  // The editor started on programs/01_Init.pr3 (and the manager shown when
  // manager is set); settings adds to the settings file.
  bool Start(bool manager = false, const std::string& settings = "")
  {
    WriteWholeFile(programs.File("01_Init.pr3"), ProgramText(122));
    RunningEditorSetup setup;
    setup.settings = std::string("[gui]\nmanager=") + (manager ? "true" : "false") + "\n[program]\nlastfile=" +
                     programs.File("01_Init.pr3") + "\n" + settings;
    editor = std::make_unique<RunningEditor>(setup);
    std::string error;
    if (editor->Start(error)) return true;
    if (error.rfind("no JACK server", 0) == 0)
      skipped = error;
    else
      ADD_FAILURE() << error;
    return false;
  }
  // Names a file of the folder the file chooser shown now opened in, and
  // accepts it. A chooser that selects the file chosen before does so once
  // its folder has been read, and the name it selects then joins whatever
  // was entered by that time ("07Lead.pr3Lead.pr3"): with preselectedRow,
  // the name waits until that row of the list is shown selected.
  bool ChooseFile(const std::string& path, int preselectedRow = -1)
  {
    // The chooser itself, not the menu that opened it: a window larger
    // than any menu.
    const auto chooserUp = [&] {
      const std::vector<unsigned long> others = editor->OtherWindows();
      return !others.empty() && editor->WindowRect(others.back()).w >= 600 &&
             editor->WindowRect(others.back()).h >= 500;
    };
    if (!RunningEditor::WaitUntil(chooserUp, RunningEditor::kBusyLimit)) return false;
    if (preselectedRow >= 0 && !RunningEditor::WaitUntil([&] { return RowShownSelected(preselectedRow); },
                                                          RunningEditor::kBusyLimit))
      return false;
    if (!editor->EnterInChooser(path)) return false;
    return RunningEditor::WaitUntil([&] { return editor->OtherWindows().empty() || !editor->Alerts().empty(); }, RunningEditor::kBusyLimit);
  }
  // Whether the chooser's file list shows row (from 0) in the selection's
  // colour, read down the middle of the list: the toolkit's theme on the
  // test display draws the middle of the list's first row 83 pixels into
  // the window and its rows 23 pixels apart.
  bool RowShownSelected(int row)
  {
    const std::vector<unsigned long> others = editor->OtherWindows();
    if (others.empty()) return false;
    const RunningEditor::Rect window = editor->WindowRect(others.back());
    constexpr uint32_t kSelected = 0x3584e4;
    const int y = window.y + 83 + 23 * row;
    const std::vector<uint32_t> pixels = editor->Grab({window.x + window.w / 2, y, 1, 1});
    return pixels.size() == 1 && (pixels[0] & 0xffffff) == kSelected;
  }
  SimProgram Stored(int location)
  {
    return editor->Synth().With([location](SynthSimModel& m) { return m.programs[static_cast<size_t>(location - 1)]; });
  }
  // The folder a file chooser opens in when the editor has not named one.
  std::string Desktop()
  {
    const std::string folder = editor->Home() + "/Desktop/";
    mkdir(folder.c_str(), 0755);
    return folder;
  }
  // The texts of the message boxes standing now, for a failure's message.
  std::string BoxesShown()
  {
    std::string texts;
    for (const RunningEditor::Alert& box : editor->Alerts()) texts += "\"" + box.text + "\" ";
    return texts.empty() ? "none" : texts;
  }
  // Start-up has sent the last program whole.
  bool StartProgramSent()
  {
    return editor->HeardAProgram();
  }
};

#define START_OR_SKIP(...)                            \
  if (!Start(__VA_ARGS__))                            \
  {                                                   \
    if (!skipped.empty()) GTEST_SKIP() << skipped;    \
    return;                                           \
  }

// A file whose name starts with no number cannot be written: the editor
// says so at once, sends nothing, and the next write of a good file works.
TEST_F(Library, WriteOfAFileWithoutALocationSaysSoAndTheNextWriteWorks)
{
  START_OR_SKIP();
  WriteWholeFile(Desktop() + "Lead.pr3", ProgramText(40));
  WriteWholeFile(Desktop() + "07Lead.pr3", ProgramText(41));
  ASSERT_TRUE(StartProgramSent());
  editor->ClearHeard();
  ASSERT_TRUE(editor->ChooseMenu(kFileMenu, kWriteProgram));
  ASSERT_TRUE(ChooseFile("Lead.pr3"));
  RunningEditor::Alert box;
  ASSERT_TRUE(editor->WaitForAlert(box, RunningEditor::kBusyLimit));
  EXPECT_EQ(box.title, "Error");
  EXPECT_EQ(box.text, kTexts[kNameNumberText]);
  EXPECT_TRUE(editor->Answer(box, 0));
  // No second box follows (the synth is there and nothing is owed).
  EXPECT_FALSE(editor->WaitForAlert(box, 4)) << box.text;
  for (const SimBytes& m : editor->Heard()) EXPECT_FALSE(m.size() == 213 && m[5] == 0x20) << "a write went out";

  ASSERT_TRUE(editor->ChooseMenu(kFileMenu, kWriteProgram));
  ASSERT_TRUE(ChooseFile("07Lead.pr3", 1));  // Lead.pr3, chosen before, under 07Lead.pr3
  // The synth gets the name the library shows for the file: "Lead".
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return Stored(7).name == "Lead"; }, RunningEditor::kBusyLimit))
    << Stored(7).name << "; boxes: " << BoxesShown() << "; other windows: " << editor->OtherWindows().size();
  EXPECT_EQ(Stored(7).values[76], 41);
  std::vector<SimBytes> writes;
  for (const SimBytes& m : editor->Heard())
    if (m.size() == 213 && m[5] == 0x20) writes.push_back(m);
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0][7], 7);
  EXPECT_EQ(std::string(writes[0].begin() + 178, writes[0].begin() + 184), std::string("Lead\0\0", 6));
  EXPECT_FALSE(editor->WaitForAlert(box, 3)) << box.text;
  EXPECT_EQ(editor->Stop(), 0);
}

// "VCO3 volume": program value 35, its fader's handle at (481, 416) of the
// GUI at value 0; dragged up 12 pixels it stands at 34.
constexpr int kVolume = 35;
constexpr int kFaderX = 481, kFaderZeroY = 416;

bool FileExists(const std::string& path)
{
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

int SynthVolume(RunningEditor& editor)
{
  return editor.Synth().With([](SynthSimModel& m) { return static_cast<int>(m.edit.values[kVolume]); });
}

// Putting the manager away (Ctrl+M twice) loads the program file that was
// current over an edit; Ctrl+Z gives the edit back, on the panel and to the
// synth.
TEST_F(Library, ManagerOffOverAnEditUndoesBackToTheEdit)
{
  // A folder of two: the manager remembers the current file of a folder it
  // can step through.
  WriteWholeFile(programs.File("02_Other.pr3"), ProgramText(40));
  START_OR_SKIP();
  ASSERT_TRUE(StartProgramSent());
  ASSERT_EQ(SynthVolume(*editor), 0);
  const auto [fx, fy] = editor->GuiPoint(kFaderX - 10, kFaderZeroY - 40);
  const RunningEditor::Rect fader{fx, fy, 20, 60};
  const std::vector<uint32_t> untouched = editor->Grab(fader);
  editor->DragGui(kFaderX, kFaderZeroY, kFaderX, kFaderZeroY - 12);
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return SynthVolume(*editor) == 34; }, RunningEditor::kBusyLimit)) << SynthVolume(*editor);
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor->Grab(fader) != untouched; }, RunningEditor::kBusyLimit));
  const std::vector<uint32_t> edited = editor->Grab(fader);

  const std::vector<uint32_t> panels = editor->Grab(editor->GuiRect());
  editor->FocusMain();
  editor->Key("ctrl+m");
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor->Grab(editor->GuiRect()) != panels; }, RunningEditor::kBusyLimit))
    << "no manager";
  editor->FocusMain();
  editor->Key("ctrl+m");
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return SynthVolume(*editor) == 0; }, RunningEditor::kBusyLimit))
    << "the manager put away sent " << SynthVolume(*editor);
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor->Grab(fader) == untouched; }, RunningEditor::kBusyLimit));

  editor->FocusMain();
  editor->Key("ctrl+z");
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return SynthVolume(*editor) == 34; }, RunningEditor::kBusyLimit)) << SynthVolume(*editor);
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return editor->Grab(fader) == edited; }, RunningEditor::kBusyLimit));
  EXPECT_EQ(editor->Stop(), 0);
}

// With no program-database server set, LOGIN and UPLOAD each say so.
TEST_F(Library, DatabaseActionsWithoutAServerSaySo)
{
  WriteWholeFile(programs.File("02_Lead.pr3"), ProgramText(40));
  START_OR_SKIP(true);
  const auto click = [&](int x, int y) { editor->ClickGui(x, y); };
  // A program for the bank: a browser record dragged onto location 10. The
  // drag starts 50 pixels along the row from the click: a press where the
  // click was, at once, is a double click, which loads the record instead.
  click(120, 125 + 14 * 2);
  editor->DragGui(170, 125 + 14 * 2, 308 + 81 * 0 + 40, 108 + 68 * 1 + 34);
  click(587, 47);  // UPLOAD
  RunningEditor::Alert box;
  ASSERT_TRUE(editor->WaitForAlert(box, RunningEditor::kBusyLimit));
  EXPECT_EQ(box.title, "Error");
  EXPECT_EQ(box.text, kNoServerText);
  EXPECT_TRUE(editor->Answer(box, 0));
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor->Alerts().empty(); }, RunningEditor::kBusyLimit));

  // DISK, ONLINE DATABASE: the login panel; LOGIN.
  const auto pixel = [&](int x, int y) {
    const auto [px, py] = editor->GuiPoint(x, y);
    return editor->Pixel(px, py);
  };
  const uint32_t folderPlate = pixel(298, 40);
  click(51, 47);
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return pixel(298, 40) != folderPlate; }, RunningEditor::kBusyLimit)) << "no folder panel";
  const uint32_t loginPlate = pixel(40, 90);
  click(227, 47);
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return pixel(40, 90) != loginPlate; }, RunningEditor::kBusyLimit)) << "no login panel";
  click(145, 81);  // LOGIN
  ASSERT_TRUE(editor->WaitForAlert(box, RunningEditor::kBusyLimit));
  EXPECT_EQ(box.title, "Error");
  EXPECT_EQ(box.text, kNoServerText);
  EXPECT_TRUE(editor->Answer(box, 0));
  EXPECT_FALSE(editor->WaitForAlert(box, 2)) << box.text;
  EXPECT_EQ(editor->Stop(), 0);
}

// Save-all from the synth into the manager: location 5's program is named
// "5th Lead", which starts with a digit; row 5 still shows it, coloured and
// named like its neighbour, and the cache keeps its file.
TEST_F(Library, SaveAllIntoTheManagerFillsEveryRow)
{
  START_OR_SKIP(true);
  editor->Synth().With([](SynthSimModel& m) {
    m.programs[4].name = "5th Lead";
    return 0;
  });
  const auto cell = [&](int n, int dx, int dy, int w, int h) {
    const auto [x, y] = editor->GuiPoint(308 + 81 * (n % 10) + 40 + dx, 108 + 68 * (n / 10) + 34 + dy);
    return editor->Grab({x, y, w, h});
  };
  const std::vector<uint32_t> emptyName = cell(5, -32, -9, 64, 12);
  editor->ClickGui(437, 76);  // DOWNLOAD ALL
  RunningEditor::Alert box;
  ASSERT_TRUE(editor->WaitForAlert(box, 120));
  EXPECT_EQ(box.title, "Done");
  EXPECT_EQ(box.text, "Finished successfully!");
  EXPECT_TRUE(editor->Answer(box, 0));
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor->Alerts().empty(); }, RunningEditor::kBusyLimit));
  EXPECT_TRUE(FileExists(editor->SettingsFolder() + "cache/05_5th Lead.pr3"));
  EXPECT_TRUE(FileExists(editor->SettingsFolder() + "cache/04_INIT.pr3"));
  // The tile of a filled row has its category's colour; row 5's name is
  // drawn, and differs from row 4's "INIT".
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return cell(5, -32, 18, 4, 4) == cell(4, -32, 18, 4, 4); }, RunningEditor::kBusyLimit));
  EXPECT_NE(cell(5, -32, -9, 64, 12), emptyName);
  EXPECT_NE(cell(5, -32, -9, 64, 12), cell(4, -32, -9, 64, 12));
  (void)editor->SavePicture("e2e-library-save-all", editor->GuiRect());
  EXPECT_EQ(editor->Stop(), 0);
}

// A browser record dragged straight onto a bank row, as a new user does it
// (no click on it first), lands there.
TEST_F(Library, ARecordDraggedStraightOntoTheBankLands)
{
  WriteWholeFile(programs.File("02_Lead.pr3"), ProgramText(40));
  START_OR_SKIP(true);
  const auto [x, y] = editor->GuiPoint(308 + 40 - 32, 108 + 68 + 34 - 9);
  const RunningEditor::Rect name{x, y, 64, 12};  // location 10's name
  const std::vector<uint32_t> empty = editor->Grab(name);
  editor->DragGui(120, 125 + 14 * 2, 308 + 40, 108 + 68 + 34);
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return editor->Grab(name) != empty; }, RunningEditor::kBusyLimit))
    << "nothing landed on location 10";
  (void)editor->SavePicture("e2e-library-dragged", editor->GuiRect());
  EXPECT_EQ(editor->Stop(), 0);
}
}  // namespace
