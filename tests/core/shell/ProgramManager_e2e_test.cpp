// The program manager in the running editor: the window shown with the
// manager, driven by the pointer on its real controls, checked by the
// program the simulated synth holds afterwards, the files left in the
// folders and the message boxes on screen.
#include "support/RunningEditor.h"

#include "synth/ZephraTables.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <set>
#include <thread>
#include <vector>

namespace
{
// GUI points of the manager's controls (unscaled layout).
struct GuiPoint { int x, y; };
constexpr GuiPoint kSave{523, 47};
constexpr GuiPoint kDisk{51, 47}, kLocalFolder{87, 47}, kDatabase{227, 47};
constexpr GuiPoint kLoadBank{437, 47}, kToSynth{607, 76}, kDownloadAll{437, 76};
constexpr GuiPoint kExchangeMode{674, 50};
constexpr GuiPoint kScrollTop{284, 128}, kScrollEnd{284, 764};
GuiPoint BrowserRow(int row) { return {120, 125 + 14 * row}; }
GuiPoint Location(int n) { return {308 + 81 * (n % 10) + 40, 108 + 68 * (n / 10) + 34}; }

// Program i of a folder: the default program with two values telling it
// from its neighbours.
constexpr int kMarkA = 76, kMarkB = 77;
std::array<int32_t, kProgramSize> ProgramOf(int i)
{
  std::array<int32_t, kProgramSize> values = kDefaultProgram;
  const int rangeA = kProgramMax[kMarkA] - kProgramMin[kMarkA] + 1;
  values[kMarkA] = kProgramMin[kMarkA] + i % rangeA;
  values[kMarkB] = kProgramMin[kMarkB] + (i / rangeA) % (kProgramMax[kMarkB] - kProgramMin[kMarkB] + 1);
  return values;
}
std::string ProgramText(const std::array<int32_t, kProgramSize>& values)
{
  std::string text = "243\r\n";
  for (int32_t v : values) text += std::to_string(v) + "\r\n";
  return text;
}
void WriteFile(const std::string& path, const std::string& text)
{
  FILE* f = fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  fwrite(text.data(), 1, text.size(), f);
  fclose(f);
}
struct Manager : ::testing::Test
{
  TempDir work;
  std::unique_ptr<RunningEditor> editor;

  // The editor with the manager shown, its browser on the folder of
  // lastFile.
  bool Start(const std::string& lastFile, bool manager = true, bool keyboard = false,
             std::vector<std::pair<std::string, std::string>> env = {})
  {
    RunningEditorSetup setup;
    setup.env = std::move(env);
    setup.settings = std::string("[gui]\nmanager=") + (manager ? "true" : "false") + "\n[program]\nlastfile=" + lastFile + "\n";
    setup.keyboard = keyboard;
    if (keyboard) setup.settings += "[midi]\ninBdev={keyboard}\nindev={synth-in}\noutdev={synth-out}\n";
    editor = std::make_unique<RunningEditor>(setup);
    std::string error;
    if (editor->Start(error)) return true;
    if (error.rfind("no JACK server", 0) == 0) skipped = error;
    else ADD_FAILURE() << error;
    return false;
  }
  std::string skipped;

  std::pair<int, int> At(GuiPoint p) { return editor->GuiPoint(p.x, p.y); }
  void Click(GuiPoint p) { editor->ClickGui(p.x, p.y); }
  void DoubleClick(GuiPoint p)
  {
    const auto [x, y] = At(p);
    editor->DoubleClick(x, y);
  }
  void Drag(GuiPoint from, GuiPoint to) { editor->DragGui(from.x, from.y, to.x, to.y); }
  // Chooses folder in the folder chooser the program shows now.
  bool ChooseFolder(const std::string& folder)
  {
    // The chooser itself, not a passing menu or tooltip: a large window.
    const auto chooserUp = [&] {
      const std::vector<unsigned long> others = editor->OtherWindows();
      return !others.empty() && editor->WindowRect(others.back()).w >= 300;
    };
    if (!RunningEditor::WaitUntil(chooserUp, RunningEditor::kBusyLimit)) return false;
    if (!editor->EnterInChooser(folder)) return false;
    return RunningEditor::WaitUntil([&] { return editor->OtherWindows().empty(); }, RunningEditor::kBusyLimit);
  }
  void Picture(const std::string& name) { (void)editor->SavePicture(name, editor->GuiRect()); }
  // Whether r of the screen is of one colour: a browser row without a name.
  bool Plain(const RunningEditor::Rect& r)
  {
    const std::vector<uint32_t> pixels = editor->Grab(r);
    return !pixels.empty() && std::all_of(pixels.begin(), pixels.end(), [&](uint32_t p) { return p == pixels.front(); });
  }
};

#define START_OR_SKIP(...)                \
  if (!Start(__VA_ARGS__))               \
  {                                      \
    if (!skipped.empty()) GTEST_SKIP() << skipped; \
    return;                              \
  }

TEST_F(Manager, DroppedRecordsLandFromTheDropAndSaveUnderTheirNames)
{
  const std::string src = work.File("src");
  mkdir(src.c_str(), 0755);
  WriteFile(src + "/01_BASS_Deep.pr3", ProgramText(ProgramOf(1)));
  WriteFile(src + "/02_Lead.pr3", ProgramText(ProgramOf(2)));
  WriteFile(src + "/03_FX_Rain.pr3", ProgramText(ProgramOf(3)));
  START_OR_SKIP(src + "/01_BASS_Deep.pr3");
  Click(BrowserRow(1));
  const auto [x, y] = At(BrowserRow(3));
  editor->Xdotool("keydown shift");
  editor->Click(x, y);
  editor->Xdotool("keyup shift");
  Drag(BrowserRow(2), Location(10));
  Picture("e2e-manager-dropped");

  // A folder where the first file's name is taken by a folder: the export
  // fails there, says so, and claims no success.
  const std::string blocked = work.File("blocked");
  mkdir(blocked.c_str(), 0755);
  mkdir((blocked + "/10_BASS_Deep.pr3").c_str(), 0755);
  WriteFile(blocked + "/keep.txt", "mine");
  Click(kSave);
  ASSERT_TRUE(ChooseFolder(blocked));
  RunningEditor::Alert alert;
  ASSERT_TRUE(editor->WaitForAlert(alert, RunningEditor::kBusyLimit));
  EXPECT_EQ(alert.text, "1 Program(s) could not be exported!");
  EXPECT_TRUE(editor->Answer(alert, 0));
  EXPECT_FALSE(editor->WaitForAlert(alert, 3)) << alert.text;
  EXPECT_EQ(FolderNames(blocked), (std::set<std::string>{"10_BASS_Deep.pr3", "11_Lead.pr3", "12_FX_Rain.pr3", "keep.txt"}));

  const std::string bank = work.File("bank");
  mkdir(bank.c_str(), 0755);
  Click(kSave);
  ASSERT_TRUE(ChooseFolder(bank));
  ASSERT_TRUE(editor->WaitForAlert(alert, RunningEditor::kBusyLimit));
  EXPECT_EQ(alert.text, "Finished successfully!");
  EXPECT_TRUE(editor->Answer(alert, 0));
  EXPECT_EQ(FolderNames(bank), (std::set<std::string>{"10_BASS_Deep.pr3", "11_Lead.pr3", "12_FX_Rain.pr3"}));
}

TEST_F(Manager, FlexiSourceChoiceClosesTheListAndReachesTheSynth)
{
  const std::string src = work.File("flexi");
  mkdir(src.c_str(), 0755);
  WriteFile(src + "/Init.pr3", ProgramText(kDefaultProgram));
  START_OR_SKIP(src + "/Init.pr3", false);
  // FLEXI3's SOURCE field opens the list; "LFO" is page 1's third row.
  constexpr GuiPoint kSourceField{849, 19}, kLfo{150, 242};
  const auto [lx, ly] = At(kLfo);
  const uint32_t under = editor->Pixel(lx, ly);
  Click(kSourceField);
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor->Pixel(lx, ly) != under; }, RunningEditor::kBusyLimit));
  Picture("e2e-flexi-list");
  editor->ClearHeard();
  Click(kLfo);
  // One click: the list is gone and the synth's FLEXI3 SOURCE is "LFO".
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return editor->Pixel(lx, ly) == under; }, RunningEditor::kBusyLimit));
  EXPECT_TRUE(RunningEditor::WaitUntil(
    [&] { return editor->Synth().With([](SynthSimModel& m) { return m.edit.values[109] == 101; }); }, RunningEditor::kBusyLimit));
  Picture("e2e-flexi-chosen");
  bool nrpn = false;
  for (const SimBytes& m : editor->Heard()) nrpn = nrpn || m == SimBytes{0xB0, 0x06, 0x65};
  EXPECT_TRUE(nrpn);
}

// The values the synth holds for its edited program, and those of a
// program the same way: the ones that travel, 0..169.
constexpr int kSent = 170;
std::array<int32_t, kSent> Sent(const std::array<int32_t, kProgramSize>& values)
{
  std::array<int32_t, kSent> sent{};
  std::copy_n(values.begin(), kSent, sent.begin());
  return sent;
}
std::array<int32_t, kSent> Edited(RunningEditor& editor)
{
  return editor.Synth().With([](SynthSimModel& m) { return Sent(m.edit.values); });
}
// Folder of programs "p000.pr3"... holding ProgramOf(first), ProgramOf(first + 1)...
void WriteFolder(const std::string& folder, int programs, int first)
{
  mkdir(folder.c_str(), 0755);
  for (int i = 0; i < programs; ++i)
  {
    char name[20];
    snprintf(name, sizeof name, "/p%03d.pr3", i);
    WriteFile(folder + name, ProgramText(ProgramOf(first + i)));
  }
}

TEST_F(Manager, DoubleClickInASiblingFolderAfterScrollingSendsTheRowShown)
{
  const std::string first = work.File("first"), second = work.File("second");
  WriteFolder(first, 200, 0);
  WriteFolder(second, 150, 1040);
  START_OR_SKIP(first + "/p000.pr3");
  // The window can show before the browser holds the folder: the bar's
  // pixel is taken, and the bar dragged, once the first program's row is
  // drawn.
  const auto [rx, ry] = At(BrowserRow(1));
  const RunningEditor::Rect rowOne{rx - 90, ry - 5, 200, 10};
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return !Plain(rowOne); }, RunningEditor::kBusyLimit)) << "the folder never showed";
  Picture("e2e-manager-browser");
  // The sibling folder's first program is "p000" too: its row, once shown,
  // is this one.
  const std::vector<uint32_t> firstRow = editor->Grab(rowOne);
  // The bar shows for 201 records; dragged to its end, the last row is the
  // last program.
  const auto [tx, ty] = At(kScrollTop);
  const auto [ex, ey] = At(kScrollEnd);
  const uint32_t before = editor->Pixel(tx, ty);
  editor->Drag(tx, ty, ex, ey);
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor->Pixel(tx, ty) != before; }, RunningEditor::kBusyLimit)) << "the scroll bar did not move";
  Picture("e2e-manager-scrolled");

  // DISK, then LOCAL FOLDER: the sibling folder from the folder chooser.
  // The whole row is waited for: a single pixel of it can lie between the
  // letters of the name still shown.
  Click(kDisk);
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return Plain(rowOne); }, RunningEditor::kBusyLimit)) << "the browser kept its rows";
  Picture("e2e-manager-folder-choice");
  Click(kLocalFolder);
  // The chooser opens on the program folder, "first"; a path relative to
  // it leaves the location field's completion of the crowded /tmp no part
  // to play.
  ASSERT_TRUE(ChooseFolder("../second"));
  // The whole row, not a pixel of the frame: what the chooser leaves on
  // the screen until the editor repaints is never that row.
  const bool shown = RunningEditor::WaitUntil([&] { return editor->Grab(rowOne) == firstRow; }, RunningEditor::kBusyLimit);
  Picture("e2e-manager-sibling");
  ASSERT_TRUE(shown) << "the sibling folder's first row never showed; the row is " << (Plain(rowOne) ? "empty" : "another");
  editor->ClearHeard();
  // Rows "[..]", "p000", "p001"...: the second row is the folder's first
  // program.
  DoubleClick(BrowserRow(1));
  const auto expected = Sent(ProgramOf(1040));
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return Edited(*editor) == expected; }, RunningEditor::kBusyLimit))
    << [&] {
         std::string diff;
         const auto got = Edited(*editor);
         for (int k = 0; k < kSent; ++k)
           if (got[k] != expected[k]) diff += " [" + std::to_string(k) + "] " + std::to_string(got[k]) + " not " + std::to_string(expected[k]);
         return diff;
       }();
}

// The button of an alert captioned caption; -1 when it has none.
int ButtonOf(const RunningEditor::Alert& alert, const std::string& caption)
{
  for (size_t i = 0; i < alert.buttons.size(); ++i)
    if (alert.buttons[i] == caption) return static_cast<int>(i);
  return -1;
}

// The synth's location display lies under the manager's buttons while the
// manager is shown; what follows a bank write there is the tile of the
// location being written, lit until the synth acknowledges it.
TEST_F(Manager, BankWriteLightsEachLocationInTurnAsTheSynthAcknowledges)
{
  const std::string bank = work.File("bank");
  mkdir(bank.c_str(), 0755);
  const char* names[] = {"01_One.pr3", "02_Two.pr3", "03_Three.pr3", "04_Four.pr3", "05_Five.pr3"};
  for (int n = 1; n <= 5; ++n) WriteFile(bank + "/" + names[n - 1], ProgramText(ProgramOf(1040 + n)));
  START_OR_SKIP(bank + "/01_One.pr3");
  std::vector<RunningEditor::Rect> tiles;
  for (int n = 1; n <= 5; ++n)
  {
    const auto [x, y] = At({308 + 82 * n, 108});
    tiles.push_back({x, y, 80, 66});
  }
  // The five tiles from one grab of their row: grabbed one by one, a frame
  // drawn between two grabs shows the tile going out and the one coming on
  // both lit.
  const RunningEditor::Rect row{tiles[0].x, tiles[0].y, tiles[4].x + tiles[4].w - tiles[0].x, tiles[0].h};
  const auto grabTiles = [&] {
    const std::vector<uint32_t> all = editor->Grab(row);
    std::vector<std::vector<uint32_t>> now(tiles.size());
    if (all.empty()) return now;
    for (size_t i = 0; i < tiles.size(); ++i)
      for (int y = 0; y < row.h; ++y)
      {
        const auto from = all.begin() + y * row.w + (tiles[i].x - row.x);
        now[i].insert(now[i].end(), from, from + tiles[i].w);
      }
    return now;
  };
  const std::vector<std::vector<uint32_t>> empty = grabTiles();
  Click(kLoadBank);
  // The chooser opens on the folder itself (see the sibling case for why
  // the path is relative).
  ASSERT_TRUE(ChooseFolder("../bank"));
  // Loaded: the chooser gone (its white not left on the tiles), every tile
  // shows its name, and no more changes come.
  std::vector<std::vector<uint32_t>> last;
  ASSERT_TRUE(RunningEditor::WaitUntil([&] {
    const std::vector<std::vector<uint32_t>> now = grabTiles();
    bool named = editor->OtherWindows().empty() && std::count(now[0].begin(), now[0].end(), 0xFFFFFFu) == 0;
    for (size_t i = 0; i < now.size(); ++i) named = named && now[i] != empty[i];
    const bool still = now == last;
    last = now;
    return named && still;
  }, RunningEditor::kBusyLimit));
  const std::vector<std::vector<uint32_t>> unlit = last;
  Picture("e2e-manager-bank-loaded");

  // A synth on a slow line: each write takes the better part of a second,
  // long enough to see every tile lit.
  editor->Synth().PaceLikeMidi(400);
  Click(kToSynth);
  RunningEditor::Alert alert;
  ASSERT_TRUE(editor->WaitForAlert(alert, RunningEditor::kBusyLimit));
  const int ok = ButtonOf(alert, "Yes");
  ASSERT_GE(ok, 0) << alert.text;
  ASSERT_TRUE(editor->Answer(alert, ok));
  // The question's box may lie over the tiles until it is gone.
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor->OtherWindows().empty(); }, RunningEditor::kBusyLimit));

  // The order in which tiles light: each new state of the five, recorded.
  std::vector<std::string> seen;
  RunningEditor::WaitUntil([&] {
    std::string lit;
    const std::vector<std::vector<uint32_t>> now = grabTiles();
    for (size_t i = 0; i < tiles.size(); ++i)
      if (now[i] != unlit[i]) lit += std::to_string(i + 1);
    if (seen.empty() || seen.back() != lit) seen.push_back(lit);
    if (lit == "3") Picture("e2e-manager-bank-writing");
    return editor->Synth().With([&](SynthSimModel& m) { return Sent(m.programs[4].values) == Sent(ProgramOf(1045)); });
  }, RunningEditor::kBusyLimit);
  // Between an acknowledgement and the next send no tile may be lit for a
  // moment: only the lit ones count, each alone and in order.
  seen.erase(std::remove(seen.begin(), seen.end(), std::string()), seen.end());
  seen.erase(std::unique(seen.begin(), seen.end()), seen.end());
  EXPECT_EQ(seen, (std::vector<std::string>{"1", "2", "3", "4", "5"}));
  for (int n = 1; n <= 5; ++n)
    EXPECT_EQ(editor->Synth().With([&](SynthSimModel& m) { return Sent(m.programs[n - 1].values); }), Sent(ProgramOf(1040 + n)))
      << "location " << n;
  ASSERT_TRUE(editor->WaitForAlert(alert, RunningEditor::kBusyLimit));
  Picture("e2e-manager-bank-written");
  EXPECT_TRUE(editor->Answer(alert, 0)) << alert.text;
}
// The name caption of location n, where the panel draws it.
RunningEditor::Rect NameCaption(RunningEditor& editor, int n)
{
  const int col = n % 10, row = n / 10;
  const auto [x, y] = editor.GuiPoint(312 + 82 * col, static_cast<int>(131 + 68.5 * row));
  return {x, y, 68, 40};
}

// The synth holds two programs of one name, "80s Brass", at 20 and 21, and
// "20_80s Brass" (a name the library wrote) at 22: downloaded into the
// manager, all three rows show "80s Brass"; written back, each location
// gets its own program, under the name its row shows.
TEST_F(Manager, ProgramsOfOneNameKeepTheirOwnPlacesThroughDownloadAndWrite)
{
  const std::string bank = work.File("bank");
  mkdir(bank.c_str(), 0755);
  WriteFile(bank + "/01_One.pr3", ProgramText(ProgramOf(1)));
  START_OR_SKIP(bank + "/01_One.pr3");
  // Programs 81, 162 and 243 differ in the second marker: the first one,
  // index 76, is where a dump folds the cutoff while index 75 is 1, so it
  // does not come back as it was set here.
  editor->Synth().With([](SynthSimModel& m) {
    m.programs[19] = {ProgramOf(81), "80s Brass"};
    m.programs[20] = {ProgramOf(162), "80s Brass"};
    m.programs[21] = {ProgramOf(243), "20_80s Brass"};
    return 0;
  });
  Click(kDownloadAll);
  RunningEditor::Alert alert;
  ASSERT_TRUE(editor->WaitForAlert(alert, 120));
  EXPECT_EQ(alert.text, "Finished successfully!");
  EXPECT_TRUE(editor->Answer(alert, 0));
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor->OtherWindows().empty(); }, RunningEditor::kBusyLimit));
  std::vector<uint32_t> twenty;
  EXPECT_TRUE(RunningEditor::WaitUntil([&] {
    twenty = editor->Grab(NameCaption(*editor, 20));
    return twenty == editor->Grab(NameCaption(*editor, 21)) && twenty == editor->Grab(NameCaption(*editor, 22)) &&
           twenty != editor->Grab(NameCaption(*editor, 23));
  }, RunningEditor::kBusyLimit)) << "rows 20, 21 and 22 do not all show \"80s Brass\"";
  Picture("e2e-manager-same-names");

  editor->ClearHeard();
  Click(kToSynth);
  ASSERT_TRUE(editor->WaitForAlert(alert, RunningEditor::kBusyLimit));
  const int yes = ButtonOf(alert, "Yes");
  ASSERT_GE(yes, 0) << alert.text;
  ASSERT_TRUE(editor->Answer(alert, yes));
  ASSERT_TRUE(editor->WaitForAlert(alert, 120));
  EXPECT_EQ(alert.text, "Finished successfully!");
  EXPECT_TRUE(editor->Answer(alert, 0));
  // The writes as the synth received them: location byte, name bytes and
  // the two marker values' wire bytes.
  struct Want { int location; const char* name; int program; };
  const Want kWant[] = {{20, "80s Brass", 81}, {21, "80s Brass", 162}, {22, "80s Brass", 243}};
  for (const Want& w : kWant)
  {
    SCOPED_TRACE(w.location);
    int writes = 0;
    for (const SimBytes& m : editor->Heard())
    {
      if (m.size() != 213 || m[5] != 0x20 || m[7] != w.location) continue;
      ++writes;
      EXPECT_EQ(std::string(m.begin() + 178, m.begin() + 178 + strlen(w.name)), w.name);
      EXPECT_EQ(m[178 + strlen(w.name)], 0);
    }
    EXPECT_EQ(writes, 1);
    const auto got = editor->Synth().With([&](SynthSimModel& m) { return Sent(m.programs[w.location - 1].values); });
    const auto want = Sent(ProgramOf(w.program));
    for (int k = 0; k < kSent; ++k)
    {
      if (k == kMarkA) continue;
      EXPECT_EQ(got[k], want[k]) << "index " << k;
    }
  }
}

// Two programs of one name in a folder, exchanged in the manager and saved
// back into that folder: each file holds the program now at its location.
TEST_F(Manager, ExchangedProgramsOfOneNameAreBothSaved)
{
  const std::string bank = work.File("bank");
  mkdir(bank.c_str(), 0755);
  WriteFile(bank + "/02_Init.pr3", ProgramText(ProgramOf(2)));
  WriteFile(bank + "/05_Init.pr3", ProgramText(ProgramOf(5)));
  START_OR_SKIP(bank + "/02_Init.pr3");
  const std::vector<uint32_t> emptyFive = editor->Grab(NameCaption(*editor, 5));
  Click(kLoadBank);
  ASSERT_TRUE(ChooseFolder("../bank"));
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor->Grab(NameCaption(*editor, 5)) != emptyFive; },
                                       RunningEditor::kBusyLimit));
  Click(kExchangeMode);
  Drag(Location(2), Location(5));
  Picture("e2e-manager-exchanged");
  Click(kSave);
  ASSERT_TRUE(ChooseFolder("../bank"));
  RunningEditor::Alert alert;
  ASSERT_TRUE(editor->WaitForAlert(alert, RunningEditor::kBusyLimit));
  EXPECT_EQ(alert.text, "Finished successfully!");
  EXPECT_TRUE(editor->Answer(alert, 0));
  EXPECT_EQ(FolderNames(bank), (std::set<std::string>{"02_Init.pr3", "05_Init.pr3"}));
  EXPECT_EQ(ReadWholeFile(bank + "/02_Init.pr3"), ProgramText(ProgramOf(5)));
  EXPECT_EQ(ReadWholeFile(bank + "/05_Init.pr3"), ProgramText(ProgramOf(2)));
}
// A bank assembled in the manager and saved nowhere: Ctrl+Q asks whether to
// save it first; Cancel keeps the editor open, "Don't save" quits.
TEST_F(Manager, QuitWithAnUnsavedBankAsksFirst)
{
  const std::string src = work.File("src");
  mkdir(src.c_str(), 0755);
  WriteFile(src + "/01_Lead.pr3", ProgramText(ProgramOf(1)));
  START_OR_SKIP(src + "/01_Lead.pr3");
  // Rows "[..]", "01_Lead.pr3".
  const auto [rx, ry] = At(BrowserRow(1));
  const RunningEditor::Rect rowOne{rx - 90, ry - 5, 200, 10};
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return !Plain(rowOne); }, RunningEditor::kBusyLimit)) << "the folder never showed";
  const std::vector<uint32_t> emptyTen = editor->Grab(NameCaption(*editor, 10));
  Drag(BrowserRow(1), Location(10));
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor->Grab(NameCaption(*editor, 10)) != emptyTen; },
                                       RunningEditor::kBusyLimit)) << "the program did not land";
  for (const char* answer : {"Cancel", "Don't save"})
  {
    SCOPED_TRACE(answer);
    editor->FocusMain();
    editor->Key("ctrl+q");
    RunningEditor::Alert alert;
    ASSERT_TRUE(editor->WaitForAlert(alert, RunningEditor::kBusyLimit));
    EXPECT_EQ(alert.title, "Warning");
    EXPECT_EQ(alert.text, "The program manager's bank has changes that are not saved.\nSave the bank before quitting?");
    EXPECT_EQ(alert.buttons, (std::vector<std::string>{"Save", "Don't save", "Cancel"}));
    ASSERT_TRUE(editor->Answer(alert, ButtonOf(alert, answer)));
    ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor->Alerts().empty(); }, RunningEditor::kBusyLimit));
    if (std::string(answer) == "Cancel")
    {
      EXPECT_TRUE(editor->Running());
      EXPECT_GT(editor->MainRect().w, 0);
      continue;
    }
    EXPECT_TRUE(RunningEditor::WaitUntil([&] { return !editor->Running(); }, RunningEditor::kBusyLimit));
    EXPECT_EQ(editor->Stop(SIGTERM), 0);
  }
}
}  // namespace

// A musician plays on (a thousand note messages a second) while the manager
// saves a bank of 99 programs to a slow disk, where every flush of a file
// waits 150 ms (some 15 to 30 s for the bank): every note-on and note-off
// reaches the synth, in order.
TEST_F(Manager, NotesPlayedWhileABankIsSavedAllReachTheSynthInOrder)
{
  const std::string bank = work.File("bank"), out = work.File("out");
  mkdir(bank.c_str(), 0755);
  mkdir(out.c_str(), 0755);
  for (int i = 1; i <= 99; ++i)
    WriteFile(bank + "/" + (i < 10 ? "0" : "") + std::to_string(i) + "_Init.pr3", ProgramText(ProgramOf(i)));
  // The address checker wants its library first among the program's; the
  // slow disk comes before it.
  const char* asan = std::getenv("ASAN_OPTIONS");
  START_OR_SKIP(bank + "/01_Init.pr3", true, true,
                {{"LD_PRELOAD", ZEPHRA_SLOW_FLUSH},
                 {"ASAN_OPTIONS", std::string(asan ? asan : "") + ":verify_asan_link_order=0"}});
  const std::vector<uint32_t> emptyLast = editor->Grab(NameCaption(*editor, 99));
  Click(kLoadBank);
  ASSERT_TRUE(ChooseFolder("../bank"));
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor->Grab(NameCaption(*editor, 99)) != emptyLast; },
                                       RunningEditor::kBusyLimit));
  ASSERT_TRUE(editor->PassThrough({0x80, 0x10, 0x00})) << "the keyboard never reached the synth";
  editor->ClearHeard();

  std::vector<SimBytes> played;
  std::atomic<bool> stop{false};
  std::thread keyboard([&] {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; !stop || i % 2 == 1; ++i)
    {
      std::this_thread::sleep_until(start + std::chrono::milliseconds(i));
      const unsigned char note = static_cast<unsigned char>(24 + i / 2 % 96);
      played.push_back(i % 2 == 0 ? SimBytes{0x90, note, 100} : SimBytes{0x80, note, 0});
      (void)editor->Keyboard().SendRaw(played.back());
    }
  });
  Click(kSave);
  const bool chosen = ChooseFolder("../out");
  RunningEditor::Alert alert;
  const bool finished = chosen && editor->WaitForAlert(alert, 3 * RunningEditor::kBusyLimit);
  stop = true;
  keyboard.join();
  ASSERT_TRUE(finished);
  EXPECT_EQ(alert.text, "Finished successfully!");
  // The disk was slow: the keyboard played through at least 99 flushes.
  EXPECT_GT(played.size(), 99u * 150);
  EXPECT_TRUE(editor->Answer(alert, 0));
  const auto notes = [&] {
    std::vector<SimBytes> heard;
    for (const SimBytes& m : editor->Heard())
      if (!m.empty() && ((m[0] & 0xF0) == 0x80 || (m[0] & 0xF0) == 0x90)) heard.push_back(m);
    return heard;
  };
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return notes().size() >= played.size(); }, RunningEditor::kBusyLimit))
    << notes().size() << " of " << played.size() << " notes reached the synth";
  EXPECT_EQ(notes(), played);
}
