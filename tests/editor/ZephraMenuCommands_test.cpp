// The menu commands on the editor with its real panels: what each shows,
// asks, writes and sends, and the commands that must change nothing.
#include "ZephraSkinEditor.h"

#include "graphics/controls/ISwitchControl.h"
#include "synth/ZephraManagerLink.h"
#include "tests/synth/support/ZephraTestPrograms.h"

#include <sys/stat.h>

#include <chrono>
#include <vector>

namespace {

// A folder chooser the user always cancels.
struct FolderAnswers : ZephraManagerLink
{
  std::string ChooseDirectory(const std::string&) override { ++asked; return {}; }
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

// What each command asks and sends when every folder prompt is cancelled.
TEST(ZephraMenuCommands, CancelledPromptsAndUnknownIndexes)
{
  const Bytes kRequestOne = {0xF0, 0x00, 0x3E, 0x5A, 0x03, 0x40, 0x03, 0x01, 0xF7};
  // sent: at the next idle pass.
  const struct Case { const char* name; int index, asked; bool aboutShown; std::vector<Bytes> sent; } kCases[] = {
    {"About", 0, 0, true, {}},
    {"below the menus", -1, 0, false, {}},
    {"past the menus", 37, 0, false, {}},
    {"Select Directory", 1, 1, false, {}},
    {"write all", 5, 1, false, {}},
    {"save all: into the folder as it was", 21, 1, false, {kRequestOne}},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    MenuTest m;
    const std::string folder = m.Folder({"01_A.pr3", "02_B.pr3"});
    const std::string settings = ReadWholeFile(m.t.dir.File("settings.ini"));
    EXPECT_TRUE(m.Run(c.index));
    m.t.editor->OnIdle();
    EXPECT_EQ(m.folders->asked, c.asked);
    EXPECT_EQ(m.sent, c.sent);
    EXPECT_EQ(m.t.editor->Face()->About()->GetValue(), c.aboutShown ? 1.0 : 0.0);
    EXPECT_FALSE(m.t.editor->Face()->About()->IsHidden());
    EXPECT_TRUE(m.t.gui->MessageBoxes().empty() && m.t.editor->FolderFiles().size() == 2u);
    EXPECT_EQ(m.t.editor->ProgramFolder(), folder);
    EXPECT_EQ(ReadWholeFile(m.t.dir.File("settings.ini")), settings);
  }
}

// Learn arms and calls off the controller learn, unlearn likewise; a knob
// and a controller then complete them, and clear all forgets every one.
TEST(ZephraMenuCommands, ControllerLearnUnlearnAndClearAll)
{
  MenuTest m;
  ZephraEditor& e = *m.t.editor;
  const auto play = [&](int controller, int value) {
    IMidiMsg msg(0, 0xB0, controller, value);
    e.ProcessKeyboardMidiMsg(&msg);
  };
  EXPECT_TRUE(m.Run(34));
  EXPECT_TRUE(e.ControllerLearnArmed());
  EXPECT_TRUE(m.Run(34));
  EXPECT_FALSE(e.ControllerLearnArmed());
  EXPECT_TRUE(m.Run(34));
  m.t.Set(kParamVco1Coarse, 10);
  play(74, 64);
  EXPECT_FALSE(e.ControllerLearnArmed());
  EXPECT_EQ(e.LearntController(0), 74);
  (void)m.t.TakeWire();
  play(74, 0);
  EXPECT_EQ(m.t.TakeWire(), (Bytes{0xB0, 0x63, 0x05, 0xB0, 0x62, 0x00, 0xB0, 0x06, 0x00}));

  EXPECT_TRUE(m.Run(35));
  EXPECT_TRUE(e.ControllerUnlearnArmed());
  EXPECT_TRUE(m.Run(35));
  EXPECT_FALSE(e.ControllerUnlearnArmed());
  EXPECT_TRUE(m.Run(35));
  m.t.Set(kParamVco1Coarse, 5);
  EXPECT_FALSE(e.ControllerUnlearnArmed());
  EXPECT_EQ(e.LearntController(0), -1);

  EXPECT_TRUE(m.Run(34));
  m.t.Set(kParamVco1Fine, 3);
  play(20, 1);
  EXPECT_EQ(e.LearntController(1), 20);
  EXPECT_TRUE(m.Run(36));
  EXPECT_EQ(e.LearntController(1), -1);
  EXPECT_EQ(e.ParamInt(kParamCcClearAll), 0);
  (void)m.t.TakeWire();
  play(20, 1);
  EXPECT_EQ(m.t.TakeWire(), (Bytes{0xB0, 0x14, 0x01}));
}

TEST(ZephraMenuCommands, LooksSwitchOrWarn)
{
  // settings: the whole settings file after; spaceHidden -1: as it was.
  const struct Case { const char* name; const char* start; int index; const char* settings; int skin; size_t boxes;
                      int spaceHidden; } kCases[] = {
    {"space again", "space", 22, "[gui]\nbackground=space\nguiscale=1.000000000000000\n", 0, 0, 0},
    {"space to solid", "space", 23, "[gui]\nbackground=solid\nguiscale=1.000000000000000\n\n", 1, 0, 1},
    {"solid to space", "solid", 22, "[gui]\nbackground=space\nguiscale=1.000000000000000\n\n", 0, 0, 0},
    {"space to lcd", "space", 25, "[gui]\nbackground=lcd\nguiscale=1.000000000000000\n\n", 0, 1, 0},
    {"lcd again", "lcd", 25, "[gui]\nbackground=lcd\nguiscale=1.000000000000000\n", 2, 0, -1},
    {"lcd to space", "lcd", 22, "[gui]\nbackground=space\nguiscale=1.000000000000000\n\n", 2, 1, -1},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    MenuTest m(std::string("[gui]\nbackground=") + c.start + "\nguiscale=1.000000000000000\n");
    IControl* space = m.t.editor->Face()->Ref(SkinRef::kMainBackground);
    const bool spaceWasHidden = space->IsHidden();
    EXPECT_TRUE(m.Run(c.index));
    EXPECT_EQ(ReadWholeFile(m.t.dir.File("settings.ini")), c.settings);
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
  const struct Step { int index, position, coarse, fine; } kSteps[] = {
    {27, 2, 3, 4},  // redo at the last snapshot: nothing
    {26, 1, 3, 0},
    {26, 0, 0, 0},
    {26, 0, 0, 0},  // undo at the first snapshot stays there
    {27, 1, 3, 0},
  };
  for (const Step& s : kSteps)
  {
    m.Run(s.index);
    EXPECT_EQ((std::vector<int>{e.UndoPosition(), e.ParamInt(kParamVco1Coarse), e.ParamInt(kParamVco1Fine)}),
              (std::vector<int>{s.position, s.coarse, s.fine})) << s.index;
  }
}

// Ten files forward or back from the first, in a folder of one, two or
// three files: held at the last (or first) file, the index always names a
// file of the folder.
TEST(ZephraMenuCommands, TenProgramStepsStayInTheFolder)
{
  const std::vector<std::string> five = {"01_A.pr3", "02_B.pr3", "03_C.pr3", "04_D.pr3", "05_E.pr3"};
  const struct Case { const char* name; std::vector<std::string> files; int start, index, expected; } kCases[] = {
    {"one file, forward", {"01_A.pr3"}, 0, 30, 0},
    {"one file, back", {"01_A.pr3"}, 0, 31, 0},
    {"two files, forward", {"01_A.pr3", "02_B.pr3"}, 0, 30, 1},
    {"three files, forward", {"01_A.pr3", "02_B.pr3", "03_C.pr3"}, 0, 30, 2},
    {"three files, back", {"01_A.pr3", "02_B.pr3", "03_C.pr3"}, 0, 31, 0},
    {"second of five, forward", five, 1, 30, 4},
    {"fourth of five, back", five, 3, 31, 0},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    MenuTest m;
    m.Folder(c.files);
    m.t.editor->SetFolderFileIndex(c.start);
    EXPECT_TRUE(m.Run(c.index));
    EXPECT_EQ(m.t.editor->FolderFileIndex(), c.expected);
  }
}

// The sizes of the surface after the GUI-scale and view commands, in turn:
// the compact panel is 1024 x 400 times the scale, and a scale change keeps
// it.
TEST(ZephraMenuCommands, SizesResizeTheGraphics)
{
  const struct Case { int index, width, height; } kCases[] = {
    {18, 1482, 1040}, {19, 2280, 1600}, {12, 798, 560}, {11, 716, 280}, {13, 819, 320}, {10, 912, 640}};
  MenuTest m;
  for (const Case& c : kCases)
  {
    EXPECT_TRUE(m.Run(c.index));
    EXPECT_EQ(std::make_pair(m.t.gui->Width(), m.t.gui->Height()), std::make_pair(c.width, c.height)) << c.index;
  }
}

// Help's user guide and database page: what the desktop opener is given,
// and the message the user sees for each way it can fail.
TEST(ZephraMenuCommands, GuideAndDatabasePageSayWhyTheyDoNotOpen)
{
  const std::string guide = ZEPHRA_BUILD_RESOURCES "/pdf/Zephra_userguide-v3.60.pdf";
  const std::string page = "https://db.example:8443/zephradatabase";
  const std::string readIt = "\nTo read the user guide, open this file with a PDF viewer.";
  const struct Case
  {
    const char* name;
    const char* server;  // [dbase] server
    int index;
    const char* opener;  // "ok", "fails", "missing"
    bool guideThere;
    std::string opened;  // what the opener was given
    std::string box;     // caption|text, "" for none
  } kCases[] = {
      {"page opens", "db.example:8443", 8, "ok", true, page + "\n", ""},
      {"guide opens", "", 7, "ok", true, guide + "\n", ""},
      {"no server set", "", 8, "ok", true, "",
       "Error|No program-database server is set.\nName one as server= in the [dbase] section of settings.ini."},
      {"no program opens the guide", "", 7, "fails", true, guide + "\n",
       "Error|No program on this computer could open\n" + guide + readIt},
      {"no opener for the guide", "", 7, "missing", true, "",
       "Error|The desktop's opener (xdg-open) could not be started for\n" + guide + readIt},
      {"no opener at all", "db.example:8443", 8, "missing", true, "",
       "Error|The desktop's opener (xdg-open) could not be started for\n" + page},
      {"guide missing", "", 7, "ok", false, "", "Error|The user guide pdf/Zephra_userguide-v3.60.pdf is missing."},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    MenuTest m(std::string("[gui]\nbackground=space\n[dbase]\nserver=") + c.server + "\n");
    const std::string log = m.files.File("opened.txt");
    const std::string opener = m.files.File("opener.sh");
    WriteWholeFile(opener, "#!/bin/sh\necho \"$1\" >> '" + log + "'\nexit " +
                               (std::string(c.opener) == "fails" ? "3" : "0") + "\n");
    chmod(opener.c_str(), 0755);
    m.t.editor->SetDesktopOpener(std::string(c.opener) == "missing" ? m.files.File("none/xdg-open") : opener);
    TempDir empty;
    if (!c.guideThere) setenv("ZEPHRA_RESOURCES_DIR", empty.Path().c_str(), 1);
    EXPECT_TRUE(m.Run(c.index));
    setenv("ZEPHRA_RESOURCES_DIR", ZEPHRA_BUILD_RESOURCES, 1);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (m.t.editor->DesktopOpenersRunning() > 0 && std::chrono::steady_clock::now() < end) m.t.editor->OnIdle();
    m.t.editor->OnIdle();
    EXPECT_EQ(m.t.editor->DesktopOpenersRunning(), 0u);
    EXPECT_EQ(ReadWholeFile(log), c.opened);
    const auto boxes = m.t.gui->MessageBoxes();
    std::string shown;
    for (const auto& box : boxes) shown += box.caption + "|" + box.text;
    EXPECT_EQ(shown, c.box);
  }
}

// The section boxes as drawn: select all ticks every one of the twelve,
// clear all brings back the unticked picture exactly.
TEST(ZephraButtonPixels, SelectAllTicksTwelveBoxes)
{
  // The boxes' corners: three columns of four rows.
  const int kColumns[] = {874, 922, 1002}, kRows[] = {731, 744, 757, 770};
  SkinEditor t("[gui]\nbackground=space\n");
  auto pictures = [&t, &kColumns, &kRows] {
    std::vector<std::vector<uint32_t>> boxes;
    for (int bx : kColumns)
      for (int by : kRows)
      {
        std::vector<uint32_t>& pixels = boxes.emplace_back();
        for (int y = by; y < by + 12; ++y)
          for (int x = bx; x < bx + 12; ++x)
          {
            const IColor c = t.At(x, y);
            pixels.push_back(uint32_t(c.R) << 16 | uint32_t(c.G) << 8 | uint32_t(c.B));
          }
      }
    return boxes;
  };
  const std::vector<std::vector<uint32_t>> unticked = pictures();
  for (int button : {kParamSelectAll, kParamClearAll})
  {
    t.editor->SetParameterFromGUI2(button, 1);
    t.editor->SetParameterFromGUI2(button, 0);
    t.Draw();
    const std::vector<std::vector<uint32_t>> now = pictures();
    for (size_t i = 0; i < now.size(); ++i)
      EXPECT_EQ(now[i] == unticked[i], button == kParamClearAll) << "box " << i + 1 << " after " << button;
  }
}
