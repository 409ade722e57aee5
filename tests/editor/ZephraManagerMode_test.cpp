// The program manager shown and put away from the menu (indexes 33 and 32)
// on the editor with its real panels: what the overlay and the browser show,
// and which program is loaded and sent when the panels come back.
#include "ZephraSkinEditor.h"

#include "editor/ZephraManagerPanel.h"
#include "graphics/controls/IInvisibleSelectControl.h"
#include "graphics/controls/ITextControl.h"
#include "synth/ProgramFile.h"
#include "synth/BankList.h"
#include "tests/synth/support/ZephraTestPrograms.h"

#include <string>
#include <vector>

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
