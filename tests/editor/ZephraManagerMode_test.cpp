// The program manager shown and put away from the menu (indexes 33 and 32)
// on the editor with its real panels: what the overlay and the browser show,
// and which program is loaded and sent when the panels come back.
#include "ZephraManagerWindow.h"

#include "editor/ZephraManagerPanel.h"
#include "graphics/controls/IInvisibleSelectControl.h"
#include "graphics/controls/ITextControl.h"
#include "graphics/controls/IUserTextControl.h"
#include "core/IMidiMsg.h"
#include "synth/ZephraParams.h"
#include "synth/ProgramFile.h"
#include "synth/BankList.h"
#include "tests/synth/support/ZephraTestPrograms.h"

#include <string>
#include <vector>

#include <sys/stat.h>

namespace {

struct ManagerTest
{
  explicit ManagerTest(const std::string& settings = "[gui]\nbackground=space\n") : t(settings) {}
  ZephraEditor& E() { return *t.editor; }
  ZephraManagerPanel& Panel() { return *E().ManagerPanel(); }
  bool OverlayShown() { return !Panel().Matrix()->IsHidden(); }
  // A folder of the named programs, file `current` the current one.
  std::string Folder(const std::vector<std::string>& names, size_t current)
  {
    for (const std::string& name : names) WriteWholeFile(files.File(name), MarkerText(kDefaultValues));
    E().ScanProgramFolder(files.File(names[current]).c_str());
    return files.Path() + "/";
  }
  std::string Row(int row)
  {
    BASE_String text("");
    Panel().BrowserRow(row)->GetText(&text);
    return text.Get();
  }
  bool RowRed(int row)
  {
    const IColor c = Panel().BrowserRow(row)->GetText()->mColor;
    return c.R == 255 && c.G == 0 && c.B == 0;
  }
  // The wire holds a whole program: the 336 controllers of a send.
  bool ProgramSent() { return t.TakeWire().size() >= 3 * 336; }

  SkinEditor t;
  TempDir files;
};

}  // namespace

TEST(ZephraManagerMode, OnListsTheFolderWithTheCurrentFileInRedAndOffReloadsIt)
{
  ManagerTest m;
  m.Folder({"01_A.pr3", "02_B.pr3", "03_C.pr3"}, 1);
  m.E().Bank().SelectOnly(7);
  ASSERT_FALSE(m.OverlayShown());
  EXPECT_TRUE(m.E().OnStandaloneMenuCommand(33));
  EXPECT_TRUE(m.E().ManagerMode());
  EXPECT_TRUE(m.OverlayShown());
  EXPECT_EQ((std::vector<std::string>{m.Row(0), m.Row(1), m.Row(2), m.Row(3)}),
            (std::vector<std::string>{"[..]", "01_A.pr3", "02_B.pr3", "03_C.pr3"}));
  EXPECT_EQ((std::vector<bool>{m.RowRed(0), m.RowRed(1), m.RowRed(2), m.RowRed(3)}),
            (std::vector<bool>{false, false, true, false}));
  EXPECT_EQ(m.E().Bank().SelectedCount(), 0);

  // Another file outside the folder is loaded meanwhile; off goes back to B.
  const std::string other = m.t.dir.File("Elsewhere.pr3");
  WriteWholeFile(other, MarkerText(kDefaultValues));
  ASSERT_EQ(m.E().LoadProgramFile(other.c_str()), ProgramFileError::kNone);
  m.t.TakeWire();
  EXPECT_TRUE(m.E().OnStandaloneMenuCommand(32));
  EXPECT_FALSE(m.E().ManagerMode());
  EXPECT_FALSE(m.OverlayShown());
  EXPECT_STREQ(m.E().ProgramName(), "02_B");
  EXPECT_TRUE(m.ProgramSent());
  EXPECT_EQ(m.E().FolderFiles().size(), 3u);
  EXPECT_EQ(m.E().FolderFileIndex(), 1);
}

TEST(ZephraManagerMode, OffLoadsAndSendsTheSelectedLocationsProgram)
{
  const struct Case
  {
    const char* name;
    int selected;         // 0: none
    const char* loaded;   // the program name afterwards
    const char* onlyFile; // the folder table's one file: the location's name
  } kCases[] = {
      {"location 12 selected: exported and loaded", 12, "12_Lead", "Lead.pr3"},
      {"empty location 40 selected: the first stored one", 40, "05_Pad", "Pad.pr3"},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    ManagerTest m;
    const std::string pad = m.files.File("05_Pad.pr3"), lead = m.files.File("12_Lead.pr3");
    WriteWholeFile(pad, MarkerText(kDefaultValues));
    WriteWholeFile(lead, MarkerText(kDefaultValues));
    ASSERT_TRUE(m.E().OnStandaloneMenuCommand(33));
    ASSERT_TRUE(m.E().Bank().SetProgram(5, pad, 1, "Pad"));
    ASSERT_TRUE(m.E().Bank().SetProgram(12, lead, 1, "Lead"));
    m.E().Bank().SelectOnly(c.selected);
    m.t.TakeWire();
    EXPECT_TRUE(m.E().OnStandaloneMenuCommand(32));
    EXPECT_FALSE(m.OverlayShown());
    EXPECT_STREQ(m.E().ProgramName(), c.loaded);
    EXPECT_TRUE(m.ProgramSent());
    EXPECT_EQ(m.E().FolderFiles(), std::vector<std::string>{c.onlyFile});
  }
}

TEST(ZephraManagerMode, StartedWithTheManagerTheMenuLeadsBackToThePanels)
{
  ManagerTest m("[gui]\nbackground=space\nmanager=true\n");
  ASSERT_TRUE(m.E().ManagerMode());
  EXPECT_TRUE(m.OverlayShown());
  // On again: nothing changes.
  EXPECT_TRUE(m.E().OnStandaloneMenuCommand(33));
  EXPECT_TRUE(m.OverlayShown());
  EXPECT_TRUE(m.E().OnStandaloneMenuCommand(32));
  EXPECT_FALSE(m.E().ManagerMode());
  EXPECT_FALSE(m.OverlayShown());
  // Nothing was remembered and the bank is empty: nothing is sent.
  EXPECT_TRUE(m.t.TakeWire().empty());
}

TEST(ZephraManagerMode, TheLayoutHookShowsTheOverlayExactlyInManagerMode)
{
  ManagerTest m;
  const struct Step
  {
    bool mode;
    bool shownBefore;
  } kSteps[] = {{true, false}, {false, true}, {true, true}, {false, false}};
  for (const Step& s : kSteps)
  {
    m.E().HideManager(!s.shownBefore);
    m.E().SetManagerMode(s.mode);
    m.E().SetGUILayout(0, 1140, 800);
    EXPECT_EQ(m.OverlayShown(), s.mode) << s.mode << s.shownBefore;
  }
}

// Putting the manager away loads the remembered file over an edit made
// before; one Undo gives the edit back and sends it, Redo the file again.
TEST(ZephraManagerMode, OffOverAnEditKeepsTheEditOneUndoAway)
{
  ManagerTest m;
  m.Folder({"01_A.pr3", "02_B.pr3"}, 1);
  ASSERT_EQ(m.E().LoadProgramFile(m.files.File("02_B.pr3").c_str()), ProgramFileError::kNone);
  m.E().SetParameterFromGUI2(kParamVco1Coarse, 7);
  m.E().SetParameterFromGUI2(kParamVco2Coarse, 9);
  const int steps = m.E().UndoCount();
  ASSERT_TRUE(m.E().OnStandaloneMenuCommand(33));
  ASSERT_TRUE(m.E().OnStandaloneMenuCommand(32));
  EXPECT_EQ(m.E().ParamInt(kParamVco1Coarse), 0);
  EXPECT_EQ(m.E().ParamInt(kParamVco2Coarse), 0);
  EXPECT_EQ(m.E().UndoCount(), steps + 1);
  m.t.TakeWire();
  EXPECT_TRUE(m.E().OnStandaloneMenuCommand(26));
  EXPECT_EQ(m.E().ParamInt(kParamVco1Coarse), 7);
  EXPECT_EQ(m.E().ParamInt(kParamVco2Coarse), 9);
  EXPECT_TRUE(m.ProgramSent());
  EXPECT_TRUE(m.E().OnStandaloneMenuCommand(27));
  EXPECT_EQ(m.E().ParamInt(kParamVco2Coarse), 0);
  EXPECT_TRUE(m.ProgramSent());
  // The steps before the edit are still there.
  EXPECT_TRUE(m.E().OnStandaloneMenuCommand(26));
  EXPECT_TRUE(m.E().OnStandaloneMenuCommand(26));
  EXPECT_EQ(m.E().ParamInt(kParamVco1Coarse), 7);
  EXPECT_EQ(m.E().ParamInt(kParamVco2Coarse), 0);
}

namespace {

// The path (folder and file) a selector holds.
std::string Selected(ManagerTest& m, SkinRef ref)
{
  BASE_String folder(""), file("");
  if (auto* selector = dynamic_cast<IFileSelectorControl*>(m.t.Face().Ref(ref)))
  {
    selector->GetFolder(&folder);
    selector->GetLastSelectedFileForPlug(&file);
  }
  return std::string(folder.Get()) + file.Get();
}

// The paths the load, save and write selectors hold, in that order.
std::vector<std::string> Selectors(ManagerTest& m)
{
  return {Selected(m, SkinRef::kLoadSelector), Selected(m, SkinRef::kSaveSelector),
          Selected(m, SkinRef::kWriteSelector)};
}

void SetSelectors(ManagerTest& m, const std::string& load, const std::string& save)
{
  const std::pair<SkinRef, std::string> kSet[] = {
    {SkinRef::kLoadSelector, load}, {SkinRef::kSaveSelector, save}, {SkinRef::kWriteSelector, load}};
  for (const auto& [ref, file] : kSet)
    if (auto* selector = dynamic_cast<IFileSelectorControl*>(m.t.Face().Ref(ref))) selector->SetLastSelectedFileFromPlug(file.c_str());
}

std::vector<std::string> Three(const std::string& file) { return {file, file, file}; }

// The synth's answer to a program write: 0x21, taken.
void AcknowledgeWrite(ManagerTest& m)
{
  const Bytes ok = WriteReply(0x21);
  ISysEx sysEx(0, ok.data(), static_cast<int>(ok.size()));
  m.E().ProcessSysEx(&sysEx);
}

}  // namespace

TEST(ZephraManagerMode, OffNamesTheLoadedProgramInAllThreeSelectors)
{
  const struct Case
  {
    const char* name;
    int selected;            // 0: none
    const char* file;        // the selectors afterwards, in the cache ("cache/") or the folder
    const char* loaded;      // the program name afterwards, "" nothing loaded
  } kCases[] = {
    {"location 12 selected: its export in the cache", 12, "cache/12_Lead.pr3", "12_Lead"},
    {"empty location 40 selected: the first stored one's file", 40, "05_Pad.pr3", "05_Pad"},
    {"nothing selected: the file current at the opening", 0, "02_B.pr3", "02_B"},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    ManagerTest m;
    const std::string folder = m.Folder({"01_A.pr3", "02_B.pr3", "05_Pad.pr3", "12_Lead.pr3"}, 1);
    ASSERT_TRUE(m.E().OnStandaloneMenuCommand(33));
    ASSERT_TRUE(m.E().Bank().SetProgram(5, folder + "05_Pad.pr3", 1, "Pad"));
    ASSERT_TRUE(m.E().Bank().SetProgram(12, folder + "12_Lead.pr3", 1, "Lead"));
    m.E().Bank().SelectOnly(c.selected);
    SetSelectors(m, folder + "01_A.pr3", folder + "01_A.pr3");
    m.t.TakeWire();
    EXPECT_TRUE(m.E().OnStandaloneMenuCommand(32));
    const std::string file = std::string(c.file).rfind("cache/", 0) == 0 ? m.t.dir.Path() + "/" + c.file : folder + c.file;
    EXPECT_EQ(Selectors(m), Three(file));
    EXPECT_STREQ(m.E().ProgramName(), c.loaded);
    EXPECT_TRUE(m.ProgramSent());
  }
}

// The save selector already names the selected location's file: the
// program in the editor is that one, and nothing is loaded or sent again.
TEST(ZephraManagerMode, OffLoadsNothingWhenTheSaveSelectorNamesTheLocation)
{
  const struct Case
  {
    const char* name;
    bool saveNamesIt;
    bool loadNamesIt;
    bool sent;
  } kCases[] = {
    {"only the load selector names it", false, true, true},
    {"save selector names it", true, false, false},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    ManagerTest m;
    const std::string folder = m.Folder({"01_A.pr3", "05_Pad.pr3"}, 0);
    ASSERT_TRUE(m.E().OnStandaloneMenuCommand(33));
    ASSERT_TRUE(m.E().Bank().SetProgram(5, folder + "05_Pad.pr3", 1, "Pad"));
    m.E().Bank().SelectOnly(40);  // empty: location 5 is the one opened
    const std::string pad = folder + "05_Pad.pr3", other = folder + "01_A.pr3";
    SetSelectors(m, c.loadNamesIt ? pad : other, c.saveNamesIt ? pad : other);
    m.t.TakeWire();
    EXPECT_TRUE(m.E().OnStandaloneMenuCommand(32));
    EXPECT_EQ(m.ProgramSent(), c.sent);
    EXPECT_STREQ(m.E().ProgramName(), c.sent ? "05_Pad" : "01_A");
  }
}

// Open, close, another program loaded from another folder, open again: the
// browser lists that folder with the new program marked, and closing goes
// back to it.
TEST(ZephraManagerMode, ReopenListsTheFolderOfTheProgramLoadedMeanwhile)
{
  ManagerTest m;
  m.Folder({"01_A.pr3", "02_B.pr3", "03_C.pr3"}, 0);
  ASSERT_TRUE(m.E().OnStandaloneMenuCommand(33));
  ASSERT_TRUE(m.E().OnStandaloneMenuCommand(32));
  ASSERT_STREQ(m.E().ProgramName(), "01_A");

  const std::string other = m.t.dir.File("other");
  mkdir(other.c_str(), 0755);
  for (const char* name : {"x.pr3", "y.pr3", "z.pr3"}) WriteWholeFile(other + "/" + name, MarkerText(kDefaultValues));
  m.E().ScanProgramFolder((other + "/y.pr3").c_str());
  ASSERT_EQ(m.E().LoadProgramFile((other + "/y.pr3").c_str()), ProgramFileError::kNone);
  ASSERT_TRUE(m.E().OnStandaloneMenuCommand(33));
  EXPECT_EQ(m.E().BrowserFolder(), other);
  EXPECT_EQ((std::vector<std::string>{m.Row(0), m.Row(1), m.Row(2), m.Row(3)}),
            (std::vector<std::string>{"[..]", "x.pr3", "y.pr3", "z.pr3"}));
  EXPECT_EQ((std::vector<bool>{m.RowRed(0), m.RowRed(1), m.RowRed(2), m.RowRed(3)}),
            (std::vector<bool>{false, false, true, false}));
  std::vector<int> selected;
  for (size_t r = 0; r < m.E().BrowserList().size(); ++r)
    if (m.E().BrowserList()[r].selected) selected.push_back(static_cast<int>(r));
  EXPECT_EQ(selected, std::vector<int>{2});

  // Something else loaded while the manager is open; closing goes back to y.
  ASSERT_EQ(m.E().LoadProgramFile(m.files.File("03_C.pr3").c_str()), ProgramFileError::kNone);
  m.t.TakeWire();
  ASSERT_TRUE(m.E().OnStandaloneMenuCommand(32));
  EXPECT_STREQ(m.E().ProgramName(), "y");
  EXPECT_EQ(Selectors(m), Three(other + "/y.pr3"));
  EXPECT_TRUE(m.ProgramSent());
}

// A bank write in the manager leaves the selectors on the cache's first
// program; once the manager is closed, previous and next step through the
// program's own folder again.
TEST(ZephraManagerMode, AfterABankWritePreviousAndNextStepThroughTheProgramsFolder)
{
  ManagerTest m;
  std::vector<Bytes> sent;
  m.E().SetSysExTap([&sent](const uint8_t* bytes, size_t size) { sent.emplace_back(bytes, bytes + size); });
  const std::string folder = m.Folder({"01_A.pr3", "02_B.pr3", "03_C.pr3"}, 1);
  ASSERT_TRUE(m.E().OnStandaloneMenuCommand(33));
  ASSERT_TRUE(m.E().Bank().SetProgram(3, folder + "01_A.pr3", kCategoryBass, "Deep"));
  ASSERT_TRUE(m.E().Bank().SetProgram(99, folder + "03_C.pr3", kCategoryNone, "Lead"));
  m.t.gui->QueueMessageBoxResult(1);  // Yes: overwrite the synth's programs
  m.t.Click(kParamManagerWriteBank);
  for (int reply = 0; reply < 2; ++reply) AcknowledgeWrite(m);
  EXPECT_EQ(WrittenLocations(sent), (std::vector<uint8_t>{3, 99}));
  EXPECT_FALSE(m.E().BankWriteRunning());
  const std::string cache = m.t.dir.Path() + "/cache/";
  EXPECT_EQ(Selected(m, SkinRef::kSaveSelector), cache + "03_BASS_Deep.pr3");
  EXPECT_EQ(m.E().FolderFiles(), (std::vector<std::string>{"03_BASS_Deep.pr3", "99_Lead.pr3"}));

  m.t.TakeWire();
  ASSERT_TRUE(m.E().OnStandaloneMenuCommand(32));
  EXPECT_STREQ(m.E().ProgramName(), "02_B");
  EXPECT_EQ(m.E().FolderFiles(), (std::vector<std::string>{"01_A.pr3", "02_B.pr3", "03_C.pr3"}));
  const struct Step { int button; const char* name; } kSteps[] = {
    {kParamNextProgram, "03_C"}, {kParamNextProgram, "01_A"}, {kParamPreviousProgram, "03_C"}};
  for (const Step& s : kSteps)
  {
    m.t.Click(s.button);
    EXPECT_STREQ(m.E().ProgramName(), s.name) << s.button;
  }
}

// A bank whose only program is at location 99, an empty location selected:
// closing opens location 99's program.
TEST(ZephraManagerMode, OffOpensTheOnlyProgramAt99)
{
  ManagerTest m;
  const std::string folder = m.Folder({"01_A.pr3", "99_Last.pr3"}, 0);
  ASSERT_TRUE(m.E().OnStandaloneMenuCommand(33));
  ASSERT_TRUE(m.E().Bank().SetProgram(99, folder + "99_Last.pr3", kCategoryNone, "Last"));
  m.E().Bank().SelectOnly(40);
  m.t.TakeWire();
  EXPECT_TRUE(m.E().OnStandaloneMenuCommand(32));
  EXPECT_STREQ(m.E().ProgramName(), "99_Last");
  EXPECT_EQ(Selectors(m), Three(folder + "99_Last.pr3"));
  EXPECT_EQ(m.E().FolderFiles(), std::vector<std::string>{"Last.pr3"});
  EXPECT_TRUE(m.ProgramSent());
}

// Outside the manager a folder whose first gap is location 1 asks whether
// to fill the gaps: OK writes every location, the gaps with the folder's
// first file; Cancel only the files.
TEST(ZephraManagerMode, OutsideTheManagerAGapAtLocation1IsAskedAbout)
{
  const struct Case { const char* name; int answer; size_t writes; uint8_t first; } kCases[] = {
    {"OK", 1, 99, 1}, {"Cancel", 2, 2, 2}};
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    ManagerTest m;
    std::vector<Bytes> sent;
    m.E().SetSysExTap([&sent](const uint8_t* bytes, size_t size) { sent.emplace_back(bytes, bytes + size); });
    const std::string folder = m.Folder({"02_B.pr3", "03_C.pr3"}, 0);
    m.t.gui->QueueMessageBoxResult(c.answer);
    m.E().WriteAllProgramsToSynth((folder + "02_B.pr3").c_str());
    const auto boxes = m.t.gui->MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "There are gaps in the list.\nPress OK to fill them with the Default or Cancel to skip!");
    EXPECT_EQ(boxes[0].caption, "Warning");
    for (int reply = 0; reply < 100 && m.E().BankWriteRunning(); ++reply) AcknowledgeWrite(m);
    const std::vector<uint8_t> written = WrittenLocations(sent);
    ASSERT_EQ(written.size(), c.writes);
    EXPECT_EQ(written.front(), c.first);
    EXPECT_EQ(written.back(), c.writes == 99 ? 99 : 3);
  }
}
