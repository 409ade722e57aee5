// The program manager's mouse on the bank rows and the browser: what the
// rows show and what the bank holds after each click, drag and drop.
#include "support/RecordingManager.h"
#include "support/TempDir.h"
#include "support/ZephraTestModel.h"
#include "synth/ZephraParams.h"
#include "tests/synth/support/ZephraTestPrograms.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace
{
class BankMouse : public ::testing::Test
{
protected:
  void SetUp() override
  {
    auto owned = std::make_unique<RecordingManager>();
    mManager = owned.get();
    M().SetManagerLink(std::move(owned));
  }
  ZephraModel& M() { return *mTest.model; }
  void ClickBank(double rowValue, ListMouseEvent::Kind kind, ListMouseEvent::Modifier modifier = ListMouseEvent::kNone)
  {
    mManager->bankMouse = {kind, modifier, 0, 0};
    M().RemoveOrOverwritePrograms(rowValue);
  }
  void ClickBrowser(int row, ListMouseEvent::Kind kind, ListMouseEvent::Modifier modifier = ListMouseEvent::kNone,
                    double x = 0, double y = 0)
  {
    mManager->browserMouse = {kind, modifier, x, y};
    M().OnProgramBrowserClick(row);
  }

  TempDir mDir;
  TestModel mTest{mDir.Path()};
  RecordingManager* mManager = nullptr;
};
}  // namespace

TEST(BankDrop, LocationUnderTheMouse)
{
  const struct { const char* name; double x, y; int location; } kCases[] = {
    {"left of the rows", 308.9, 500, 0},     {"first cell: location 0", 309, 109, 0},
    {"second column", 390, 109, 1},          {"second row", 309, 177, 10},
    {"above the rows", 500, 108.9, 0},       {"last column", 1119, 109, 9},
    {"edge of the last column", 1120, 109, 9}, {"past the last column", 1121, 109, 9},
    {"past both", 5000, 5000, 99},
  };
  for (const auto& c : kCases) EXPECT_EQ(BankDropLocation(c.x, c.y), c.location) << c.name;
}

TEST_F(BankMouse, ModifiersSelectRows)
{
  ClickBank(3, ListMouseEvent::kDown);
  EXPECT_EQ(mManager->Checked(), "3");
  EXPECT_FALSE(mManager->playNoteEnabled);
  ClickBank(6, ListMouseEvent::kDown, ListMouseEvent::kShift);
  EXPECT_EQ(mManager->Checked(), "3,4,5,6");
  ClickBank(4, ListMouseEvent::kDown, ListMouseEvent::kCommand);
  EXPECT_EQ(mManager->Checked(), "3,5,6");
  ClickBank(1.9995, ListMouseEvent::kDown);  // the row value rounds to 2
  EXPECT_EQ(mManager->Checked(), "2");
  ClickBank(0.998, ListMouseEvent::kDown);
  EXPECT_EQ(mManager->Checked(), "2");
  ClickBank(99, ListMouseEvent::kDown);
  EXPECT_EQ(mManager->Checked(), "99");
  ClickBank(100, ListMouseEvent::kDown);  // the matrix's top end is no location
  EXPECT_EQ(mManager->Checked(), "99");
  ClickBank(2, ListMouseEvent::kDown);
  ClickBank(100, ListMouseEvent::kDown);
  EXPECT_EQ(mManager->Checked(), "2");
}

TEST_F(BankMouse, MoveRunsOnMouseUpAndAsksBeforeOverwriting)
{
  for (int n : {1, 2, 4, 5}) ASSERT_TRUE(M().Bank().SetProgram(n, "/x/" + std::to_string(n), 1, "P" + std::to_string(n)));
  M().GetParam(kParamManagerEditMode2)->SetPlain(1);
  M().GetParam(kParamManagerConfirm)->SetPlain(1);
  ClickBank(1, ListMouseEvent::kDown);
  ClickBank(2, ListMouseEvent::kDown, ListMouseEvent::kCommand);
  ClickBank(4, ListMouseEvent::kDrag);
  EXPECT_EQ(mManager->Checked(), "1,2,4,5");  // 4 and 5 lit as targets
  ClickBank(4, ListMouseEvent::kUp);  // the question answered No
  EXPECT_EQ(mTest.panels->Boxes().back(),
            "This operation will overwrite the destination Program(s).\nDo you wish to continue?");
  EXPECT_STREQ(M().Bank()[4].name, "P4");
  mTest.panels->QueueBoxAnswer(7);  // No
  ClickBank(4, ListMouseEvent::kUp);
  EXPECT_STREQ(M().Bank()[4].name, "P4");
  mTest.panels->QueueBoxAnswer(1);  // Yes
  ClickBank(4, ListMouseEvent::kUp);
  EXPECT_STREQ(M().Bank()[4].name, "P1");
  EXPECT_STREQ(M().Bank()[5].name, "P2");
  EXPECT_EQ(M().Bank()[1].empty, 1);
}

TEST_F(BankMouse, BrowserOpensFoldersAndStopsAtTheRoot)
{
  mkdir(mDir.File("sub").c_str(), 0755);
  WriteWholeFile(mDir.File("sub/01_A.pr3"), MarkerText(kSampleValues));
  M().ListDirectory(mDir.Path() + "/");
  EXPECT_EQ(mManager->rows[1], "[sub]");
  ClickBrowser(1, ListMouseEvent::kDoubleClick);
  EXPECT_EQ(M().BrowserFolder(), mDir.File("sub"));
  EXPECT_EQ(mManager->rows[1], "01_A.pr3");
  ClickBank(7, ListMouseEvent::kDown);
  ClickBrowser(1, ListMouseEvent::kDoubleClick);
  EXPECT_EQ(M().ParamInt(kParamVco1Coarse), -13);
  EXPECT_EQ(mManager->Checked(), "");  // the bank selection cleared
  ClickBrowser(0, ListMouseEvent::kDoubleClick);
  EXPECT_EQ(M().BrowserFolder(), mDir.Path());
  M().ListDirectory("/");
  ClickBrowser(0, ListMouseEvent::kDoubleClick);
  EXPECT_EQ(M().BrowserFolder(), "/");
}

TEST_F(BankMouse, BrowserSelectsAndDropsOnARow)
{
  for (const char* f : {"01_A.pr3", "02_B.pr3", "03_C.pr3"}) WriteWholeFile(mDir.File(f), MarkerText(kSampleValues));
  M().ListDirectory(mDir.Path());
  ClickBrowser(1, ListMouseEvent::kDown);
  ClickBrowser(3, ListMouseEvent::kDown, ListMouseEvent::kShift);
  for (int row : {0, 4}) EXPECT_FALSE(mManager->red[row]) << row;
  for (int row : {1, 2, 3}) EXPECT_TRUE(mManager->red[row]) << row;
  ClickBrowser(2, ListMouseEvent::kDown, ListMouseEvent::kCommand);
  EXPECT_FALSE(mManager->red[2]);

  ClickBank(5, ListMouseEvent::kDown);
  ClickBrowser(1, ListMouseEvent::kDrag, ListMouseEvent::kNone, 390, 177);
  EXPECT_EQ(mManager->Checked(), "5,11");
  ClickBrowser(1, ListMouseEvent::kUp, ListMouseEvent::kNone, 309, 109);  // location 0: no drop
  EXPECT_EQ(mManager->Checked(), "5");
  M().GetParam(kParamManagerSendToBank)->SetPlain(1);
  ClickBrowser(1, ListMouseEvent::kUp, ListMouseEvent::kNone, 390, 177);
  EXPECT_EQ(mManager->Checked(), "11");
  EXPECT_EQ(M().GetParam(kParamManagerSendToBank)->Value(), 0);
}

TEST_F(BankMouse, DatabaseWithoutServerSaysSo)
{
  const char* kText = "No program-database server is set.\nName one as server= in the [dbase] section of settings.ini.";
  // The category list is the manager's.
  M().SetManagerMode(true);
  M().FetchDatabaseCategories();
  EXPECT_EQ(mTest.panels->Boxes().back(), kText);
  ASSERT_TRUE(M().Bank().SetProgram(9, "https://db.example/f/09_X.pr3", 1, "X"));
  ClickBank(9, ListMouseEvent::kDoubleClick);
  EXPECT_EQ(mTest.panels->Boxes().size(), 2u);
  EXPECT_EQ(mTest.panels->Boxes().back(), kText);
  EXPECT_STREQ(M().Bank()[9].path, "https://db.example/f/09_X.pr3");
}

// Location 99 as a target: a program there is overwritten only after the
// question, and a drag lights it as a target.
TEST_F(BankMouse, TargetsAt99AreLitAndAskedAbout)
{
  for (int n : {97, 98, 99}) ASSERT_TRUE(M().Bank().SetProgram(n, "/x/" + std::to_string(n), 1, "P" + std::to_string(n)));
  M().GetParam(kParamManagerEditMode2)->SetPlain(1);
  M().GetParam(kParamManagerConfirm)->SetPlain(1);
  ClickBank(97, ListMouseEvent::kDown);
  ClickBank(98, ListMouseEvent::kDrag);
  EXPECT_EQ(mManager->Checked(), "97,98");
  ClickBank(96, ListMouseEvent::kDown, ListMouseEvent::kShift);
  ClickBank(98, ListMouseEvent::kDrag);
  EXPECT_EQ(mManager->Checked(), "96,97,98,99");
  ClickBank(96, ListMouseEvent::kDown, ListMouseEvent::kCommand);  // 97 alone
  ASSERT_EQ(M().Bank().SelectedCount(), 1);
  ASSERT_EQ(M().Bank().FirstSelectedRow(), 97);
  const size_t before = mTest.panels->Boxes().size();
  mTest.panels->QueueBoxAnswer(7);  // No
  ClickBank(99, ListMouseEvent::kUp);
  EXPECT_EQ(mTest.panels->Boxes().size(), before + 1);
  EXPECT_STREQ(M().Bank()[99].name, "P99");
  mTest.panels->QueueBoxAnswer(1);  // Yes
  ClickBank(99, ListMouseEvent::kUp);
  EXPECT_STREQ(M().Bank()[99].name, "P97");
  EXPECT_EQ(M().Bank()[97].empty, 1);
}

// A plain click on a selected row changes nothing, unless every row is
// selected: then it selects that row alone.
TEST_F(BankMouse, PlainClickOnASelectedRow)
{
  ClickBank(3, ListMouseEvent::kDown);
  ClickBank(6, ListMouseEvent::kDown, ListMouseEvent::kShift);
  ClickBank(4, ListMouseEvent::kDown);
  EXPECT_EQ(mManager->Checked(), "3,4,5,6");
  ClickBank(1, ListMouseEvent::kDown);
  ClickBank(99, ListMouseEvent::kDown, ListMouseEvent::kShift);
  EXPECT_EQ(M().Bank().SelectedCount(), 99);
  ClickBank(50, ListMouseEvent::kDown);
  EXPECT_EQ(mManager->Checked(), "50");
}

// Name editing shows the name of the one selected location, and nothing
// when two are selected.
TEST_F(BankMouse, NameFieldShowsOnlyOneSelectedName)
{
  ASSERT_TRUE(M().Bank().SetProgram(3, "/x/3", kCategoryBass, "Three"));
  ASSERT_TRUE(M().Bank().SetProgram(4, "/x/4", kCategoryFx, "Four"));
  M().GetParam(kParamManagerEditMode5)->SetPlain(1);
  ClickBank(3, ListMouseEvent::kDown);
  ClickBank(3, ListMouseEvent::kUp);
  EXPECT_EQ(mManager->nameField, "Three");
  EXPECT_EQ(M().ParamInt(kParamManagerCategory2), 1);
  ClickBank(4, ListMouseEvent::kDown, ListMouseEvent::kCommand);
  ClickBank(4, ListMouseEvent::kUp, ListMouseEvent::kCommand);
  EXPECT_EQ(mManager->nameField, "");
  ClickBank(4, ListMouseEvent::kUp);
  EXPECT_EQ(mManager->nameField, "");
  EXPECT_EQ(M().ParamInt(kParamManagerCategory5), 1);
  EXPECT_EQ(M().ParamInt(kParamManagerCategory2), 0);
}

// A double-click on an empty row selects it and loads nothing.
TEST_F(BankMouse, DoubleClickOnAnEmptyRowLoadsNothing)
{
  ASSERT_TRUE(M().Bank().SetProgram(8, "/x/8", 1, "Eight"));
  const int before = M().ParamInt(kParamVco1Coarse);
  M().GetParam(kParamManagerUnselectAll)->SetPlain(1);
  ClickBank(9, ListMouseEvent::kDoubleClick);
  EXPECT_EQ(mManager->Checked(), "9");
  EXPECT_TRUE(mTest.panels->Boxes().empty());
  EXPECT_EQ(M().ParamInt(kParamVco1Coarse), before);
  EXPECT_EQ(M().GetParam(kParamManagerUnselectAll)->Value(), 1);
}
