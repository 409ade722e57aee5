// The menu commands on the editor with its real panels: what each shows,
// asks, writes and sends, and the commands that must change nothing.
#include "ZephraSkinEditor.h"

#include "graphics/controls/ISwitchControl.h"
#include "synth/ZephraManagerLink.h"
#include "tests/synth/support/ZephraTestPrograms.h"
#include "winl/ini/WINL_Ini.h"

#include <deque>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// Answers the folder chooser from a queue; no answer cancels.
struct FolderAnswers : ZephraManagerLink
{
  std::string ChooseDirectory(const std::string&) override
  {
    ++asked;
    if (answers.empty()) return std::string();
    const std::string answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::deque<std::string> answers;
  int asked = 0;
};

struct MenuTest
{
  explicit MenuTest(const std::string& settings = "[gui]\nbackground=space\n") : t(settings)
  {
    auto owned = std::make_unique<FolderAnswers>();
    folders = owned.get();
    t.editor->SetManagerLink(std::move(owned));
    t.editor->SetSysExTap([this](const uint8_t* bytes, size_t size) { sent.emplace_back(bytes, bytes + size); });
  }
  bool Run(int index) { return t.editor->OnStandaloneMenuCommand(index); }
  std::string Setting()
  {
    char look[16] = {};
    GetPrivateProfileString("gui", "background", "", look, sizeof look, t.dir.File("settings.ini").c_str());
    return look;
  }
  // A folder of the named programs, the first one current.
  std::string Folder(const std::vector<std::string>& names)
  {
    for (const std::string& name : names) WriteWholeFile(files.File(name), MarkerText(kDefaultValues));
    t.editor->ScanProgramFolder(files.File(names[0]).c_str());
    return files.Path() + "/";
  }

  SkinEditor t;
  TempDir files;
  FolderAnswers* folders = nullptr;  // owned by the editor
  std::vector<Bytes> sent;
};

}  // namespace

TEST(ZephraMenuCommands, AboutShowsTheOverlayAndNoBox)
{
  MenuTest m;
  IBitmapOverlayControl* about = m.t.editor->Face()->About();
  EXPECT_TRUE(m.Run(0));
  EXPECT_FALSE(about->IsHidden());
  EXPECT_EQ(about->GetValue(), 1.0);
  EXPECT_TRUE(m.t.gui->MessageBoxes().empty());
}

TEST(ZephraMenuCommands, IndexesOutsideTheMenusDoNothing)
{
  for (int index : {-1, 34, 35})
  {
    MenuTest m;
    const std::string settings = ReadWholeFile(m.t.dir.File("settings.ini"));
    EXPECT_TRUE(m.Run(index)) << index;
    EXPECT_TRUE(m.t.gui->MessageBoxes().empty());
    EXPECT_EQ(m.folders->asked, 0);
    EXPECT_TRUE(m.sent.empty());
    EXPECT_EQ(ReadWholeFile(m.t.dir.File("settings.ini")), settings);
  }
}

TEST(ZephraMenuCommands, CancelledFolderChangesNothing)
{
  for (int index : {1, 5})
  {
    MenuTest m;
    const std::string folder = m.Folder({"01_A.pr3", "02_B.pr3"});
    EXPECT_TRUE(m.Run(index));
    EXPECT_EQ(m.folders->asked, 1);
    EXPECT_EQ(m.t.editor->ProgramFolder(), folder) << index;
    EXPECT_EQ(m.t.editor->FolderFiles(), (std::vector<std::string>{"01_A.pr3", "02_B.pr3"}));
    m.t.editor->OnIdle();
    EXPECT_TRUE(m.sent.empty()) << index;
  }
}

// Cancelled, save-all goes into the folder already chosen, from location 1.
TEST(ZephraMenuCommands, CancelledSaveAllStillStarts)
{
  MenuTest m;
  m.Folder({"01_A.pr3"});
  EXPECT_TRUE(m.Run(21));
  EXPECT_EQ(m.folders->asked, 1);
  m.t.editor->OnIdle();
  EXPECT_EQ(m.sent, (std::vector<Bytes>{{0xF0, 0x00, 0x3E, 0x5A, 0x03, 0x40, 0x03, 0x01, 0xF7}}));
}

TEST(ZephraMenuCommands, LooksSwitchOrWarn)
{
  const struct Case
  {
    const char* name;
    const char* start;
    int index;
    const char* setting;
    int skin;
    size_t boxes;
    int spaceHidden;  // -1: as it was
  } kCases[] = {
    {"space again", "space", 22, "space", 0, 0, 0},
    {"space to solid", "space", 23, "solid", 1, 0, 1},
    {"solid to space", "solid", 22, "space", 0, 0, 0},
    {"space to lcd", "space", 25, "lcd", 0, 1, 0},
    {"lcd again", "lcd", 25, "lcd", 2, 0, -1},
    {"lcd to space", "lcd", 22, "space", 2, 1, -1},
    {"lcd to solid", "lcd", 23, "solid", 2, 1, -1},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    MenuTest m(std::string("[gui]\nbackground=") + c.start + "\n");
    IControl* space = m.t.editor->Face()->Ref(SkinRef::kMainBackground);
    const bool spaceWasHidden = space->IsHidden();
    EXPECT_TRUE(m.Run(c.index));
    EXPECT_EQ(m.Setting(), c.setting);
    EXPECT_EQ(m.t.editor->Skin(), c.skin);
    const auto boxes = m.t.gui->MessageBoxes();
    ASSERT_EQ(boxes.size(), c.boxes);
    if (c.boxes)
    {
      EXPECT_EQ(boxes[0].text, "You need to restart the application\nto apply the changes to the user interface!");
      EXPECT_EQ(boxes[0].caption, "Warning");
    }
    EXPECT_EQ(space->IsHidden(), c.spaceHidden < 0 ? spaceWasHidden : c.spaceHidden == 1);
  }
}

TEST(ZephraMenuCommands, UndoAndRedoStopAtTheEnds)
{
  MenuTest m;
  ZephraEditor& e = *m.t.editor;
  e.SetParameterFromGUI2(kParamVco1Coarse, 3);
  e.SetParameterFromGUI2(kParamVco1Fine, 4);
  ASSERT_EQ(e.UndoCount(), 3);
  const struct Step
  {
    int index;
    int position, coarse, fine;
  } kSteps[] = {
    {27, 2, 3, 4},  // redo at the last snapshot: nothing
    {26, 1, 3, 0},
    {26, 0, 0, 0},
    {26, 0, 0, 0},  // undo at the first snapshot stays there
    {27, 1, 3, 0},
  };
  for (const Step& s : kSteps)
  {
    m.Run(s.index);
    EXPECT_EQ(e.UndoPosition(), s.position) << s.index;
    EXPECT_EQ(e.ParamInt(kParamVco1Coarse), s.coarse) << s.index;
    EXPECT_EQ(e.ParamInt(kParamVco1Fine), s.fine) << s.index;
  }
}

// Ten files forward or back from the first, round a folder of one, two or
// three files: the index always names a file of the folder.
TEST(ZephraMenuCommands, TenProgramStepsStayInTheFolder)
{
  const struct Case
  {
    const char* name;
    std::vector<std::string> files;
    int index;
    int expected;
  } kCases[] = {
    {"one file, forward", {"01_A.pr3"}, 30, 0},
    {"one file, back", {"01_A.pr3"}, 31, 0},
    {"two files, forward", {"01_A.pr3", "02_B.pr3"}, 30, 0},
    {"three files, forward", {"01_A.pr3", "02_B.pr3", "03_C.pr3"}, 30, 1},
    {"three files, back", {"01_A.pr3", "02_B.pr3", "03_C.pr3"}, 31, 2},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    MenuTest m;
    m.Folder(c.files);
    EXPECT_TRUE(m.Run(c.index));
    EXPECT_EQ(m.t.editor->FolderFileIndex(), c.expected);
    EXPECT_TRUE(m.Run(c.index));
    EXPECT_GE(m.t.editor->FolderFileIndex(), 0);
    EXPECT_LT(m.t.editor->FolderFileIndex(), static_cast<int>(c.files.size()));
  }
}

TEST(ZephraMenuCommands, GuiScaleAndViewSizes)
{
  const struct Case
  {
    int index;
    int width, height;
  } kCases[] = {{18, 1482, 1040}, {15, 1140, 800}, {19, 2280, 1600}, {12, 798, 560}};
  MenuTest m;
  for (const Case& c : kCases)
  {
    EXPECT_TRUE(m.Run(c.index));
    EXPECT_EQ(m.t.gui->Width(), c.width) << c.index;
    EXPECT_EQ(m.t.gui->Height(), c.height) << c.index;
  }
}

// The guide and the database page go to the desktop's opener; a guide that
// is not there is never handed to it.
TEST(ZephraMenuCommands, GuideAndDatabasePageOpen)
{
  MenuTest m("[gui]\nbackground=space\n[dbase]\nserver=db.example:8443\n");
  m.t.gui->QueueOpenURLResult(false);
  EXPECT_TRUE(m.Run(8));
  EXPECT_TRUE(m.Run(7));
  ASSERT_EQ(m.t.gui->mOpenedURLs.size(), 2u);
  EXPECT_EQ(m.t.gui->mOpenedURLs[0], "https://db.example:8443/zephradatabase");
  EXPECT_EQ(m.t.gui->mOpenedURLs[1], std::string(ZEPHRA_BUILD_RESOURCES) + "/pdf/Zephra_userguide-v3.60.pdf");

  TempDir empty;
  setenv("ZEPHRA_RESOURCES_DIR", empty.Path().c_str(), 1);
  EXPECT_TRUE(m.Run(7));
  setenv("ZEPHRA_RESOURCES_DIR", ZEPHRA_BUILD_RESOURCES, 1);
  EXPECT_EQ(m.t.gui->mOpenedURLs.size(), 2u);
}
