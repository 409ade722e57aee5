// The program-manager overlay in the real GUI build on the headless surface:
// which settings show it, where its locations sit, what stays hidden, and a
// picture of the whole manager kept under the build folder (artefacts/).
#include "ZephraSkinEditor.h"

#include "editor/ZephraManagerPanel.h"
#include "graphics/controls/ITextControl.h"
#include "graphics/controls/IUserTextControl.h"

#include <sys/stat.h>

namespace {

std::string Hex(const IColor& c)
{
  char text[16];
  std::snprintf(text, sizeof text, "%02x%02x%02x", c.R, c.G, c.B);
  return text;
}

// A folder of empty program files (the bank and the browser read names only).
std::string ProgramFolder(SkinEditor& t, const std::string& name, const std::vector<std::string>& files)
{
  const std::string folder = t.dir.File(name);
  mkdir(folder.c_str(), 0755);
  for (const std::string& file : files) WriteWholeFile(folder + "/" + file, "");
  return folder + "/";
}

std::vector<std::string> Numbered(int count)
{
  std::vector<std::string> files;
  for (int i = 0; i < count; ++i) files.push_back("P" + std::to_string(100 + i) + ".pr3");
  return files;
}

}  // namespace

TEST(ZephraManagerPanel, SettingsChooseTheManagerAndTheRememberBox)
{
  // pixel: at (600, 396); remember: the value of the remember box.
  struct Case { const char* name, *settings; bool managerMode; const char* pixel; double remember; } const kCases[] = {
    {"missing", "[gui]\nbackground=space\n", false, "20263a", 0},
    {"true", "[gui]\nbackground=space\nmanager=true\n", true, "343842", 0},
    {"other text", "[gui]\nbackground=space\nmanager=yes\n", false, "20263a", 0},
    {"memo", "[gui]\nbackground=space\nmanager=true\n[dbase]\nmemo=true\n", true, "343842", 1},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    SkinEditor t(c.settings);
    ZephraManagerPanel* manager = t.editor->ManagerPanel();
    ASSERT_NE(manager, nullptr);
    EXPECT_EQ(t.editor->ManagerMode(), c.managerMode);
    EXPECT_EQ(manager->Ref(ManagerRef::kBackground)->IsHidden(), !c.managerMode);
    EXPECT_EQ(t.ControlOf(kParamManagerSelectDisk)->IsHidden(), !c.managerMode);
    EXPECT_FALSE(t.editor->Face()->Ref(SkinRef::kMainBackground)->IsHidden());
    EXPECT_EQ(Hex(t.At(600, 396)), c.pixel);
    EXPECT_EQ(t.editor->GetParam(kParamManagerRemember)->Value(), c.remember);
    // Neither sub-panel is open, whatever the settings.
    EXPECT_TRUE(manager->Ref(ManagerRef::kLoginBackground)->IsHidden());
    EXPECT_TRUE(t.ControlOf(kParamManagerRemember)->IsHidden());
    EXPECT_TRUE(t.ControlOf(kParamManagerLocalFolder)->IsHidden());
    EXPECT_EQ(t.editor->GetParam(kParamManagerConfirm)->Value(), 1.0);
  }
}

TEST(ZephraManagerPanel, LocationsOnTheGridAndLocationZeroNeverShown)
{
  SkinEditor t("[gui]\nbackground=space\nmanager=true\n");
  ZephraManagerPanel* manager = t.editor->ManagerPanel();
  struct Case { int location; IRECT tile, number, name; } const kCases[] = {
    {0, {308, 108, 388, 174}, {316, 110, 356, 134}, {312, 131, 380, 171}},
    {1, {390, 108, 470, 174}, {398, 110, 438, 134}, {394, 131, 462, 171}},
    {10, {308, 176, 388, 242}, {316, 178, 356, 202}, {312, 199, 380, 239}},
    {57, {882, 450, 962, 516}, {890, 452, 930, 476}, {886, 473, 954, 513}},
    {99, {1046, 724, 1126, 790}, {1054, 726, 1094, 750}, {1050, 747, 1118, 787}},
  };
  t.editor->HideManager(true);
  t.editor->HideManager(false);
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.location);
    EXPECT_TRUE(manager->Tile(c.location)->GetRECT() == c.tile);
    EXPECT_TRUE(manager->Highlight(c.location)->GetRECT() == c.tile);
    EXPECT_TRUE(manager->Number(c.location)->GetRECT() == c.number);
    EXPECT_TRUE(manager->Name(c.location)->GetRECT() == c.name);
    const bool hidden = c.location == 0;
    EXPECT_EQ(manager->Tile(c.location)->IsHidden(), hidden);
    EXPECT_EQ(manager->Highlight(c.location)->IsHidden(), hidden);
    EXPECT_EQ(manager->Number(c.location)->IsHidden(), hidden);
    EXPECT_EQ(manager->Name(c.location)->IsHidden(), hidden);
  }
  // Nothing reaches location 0 through the link, nor past 99.
  manager->SetRowCell(0, 2 / 6.0);
  manager->SetRowCell(100, 2 / 6.0);
  manager->SetRowChecked(0, true);
  EXPECT_EQ(manager->Tile(0)->GetValue(), 0.0);
  EXPECT_EQ(manager->Highlight(0)->GetValue(), 0.0);

  struct CellCase { int cell, location; } const kCells[] = {{-1, 0}, {0, 0}, {1, 1}, {99, 99}, {100, 0}, {101, 0}};
  for (const CellCase& c : kCells) EXPECT_EQ(ZephraManagerPanel::LocationOfCell(c.cell), c.location) << c.cell;
}

TEST(ZephraManagerPanel, ScrollBarShowsFromFortySevenRecords)
{
  SkinEditor t("[gui]\nbackground=space\nmanager=true\n");
  // Each folder lists ".." before its files.
  struct Case { const char* name; int files; bool scrollHidden; } const kCases[] = {
    {"46 records", 45, true},
    {"47 records", 46, false},
    {"48 records", 47, false},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    t.editor->ListDirectory(ProgramFolder(t, c.name, Numbered(c.files)));
    t.editor->HideManager(true);
    t.editor->HideManager(false);
    EXPECT_EQ(t.ControlOf(kParamManagerScroll)->IsHidden(), c.scrollHidden);
  }

  // The first record in row 0 as the bar's value gives it, 1 at the top:
  // 52 records, 5 past the rows.
  t.editor->ListDirectory(ProgramFolder(t, "52 records", Numbered(51)));
  struct Position { double value; int first; } const kPositions[] = {{1.0, 0}, {0.8, 1}, {0.5, 3}, {0.0, 5}};
  for (const Position& p : kPositions)
  {
    t.editor->GetParam(kParamManagerScroll)->Set(p.value);
    EXPECT_EQ(t.editor->FirstVisibleRecord(), p.first) << p.value;
  }
}

TEST(ZephraManagerPanel, PasswordFieldDrawsStars)
{
  SkinEditor t("[gui]\nbackground=space\nmanager=true\n");
  ZephraManagerPanel* manager = t.editor->ManagerPanel();
  t.editor->HideLoginPanel(false);
  auto* user = static_cast<IUserTextControl*>(manager->Ref(ManagerRef::kUserField));
  auto* password = static_cast<IUserTextControl*>(manager->Ref(ManagerRef::kPasswordField));
  const auto pixels = [&t](IControl* field) {
    t.Draw();
    std::string all;
    const IRECT r = field->GetRECT();
    for (int y = r.T; y < r.B; ++y)
      for (int x = r.L; x < r.R; ++x) all += Hex(t.At(x, y));
    return all;
  };
  password->SetText("**");
  const std::string stars = pixels(password);
  password->SetText("ab");
  EXPECT_EQ(pixels(password), stars);
  user->SetText("**");
  const std::string userStars = pixels(user);
  user->SetText("ab");
  EXPECT_NE(pixels(user), userStars);
}

TEST(ZephraManagerPanel, WholeManagerPicture)
{
  SkinEditor t("[gui]\nbackground=space\nmanager=true\n");
  ZephraManagerPanel* manager = t.editor->ManagerPanel();
  t.editor->LoadBankListFromFolder(ProgramFolder(
    t, "bank", {"01_BASS_Deep.pr3", "02_GTR_Pick.pr3", "03_MIDI_Keys.pr3", "04_FX_Rain.pr3", "05_EWI_Breath.pr3",
                "06_Lead.pr3", "57_BASS_Sub.pr3"}));
  t.editor->Bank()[2].selected = 1;
  manager->SetRowChecked(2, true);
  t.editor->ListDirectory(ProgramFolder(t, "browse", {"Alpha.pr3", "Beta.pr3", "Gamma.pr3"}));
  manager->SetBrowserRowSelected(2, true);
  t.Draw();
  t.Keep("manager");

  // The selected browser row draws red, the others grey.
  const auto reds = [&t](ITextControl* row) {
    int n = 0;
    const IRECT r = row->GetRECT();
    for (int y = r.T; y < r.B; ++y)
      for (int x = r.L; x < r.R; ++x)
      {
        const IColor c = t.At(x, y);
        n += c.R > 200 && c.G < 60 && c.B < 60;
      }
    return n;
  };
  EXPECT_GT(reds(manager->BrowserRow(2)), 5);
  EXPECT_EQ(reds(manager->BrowserRow(1)), 0);
  // Tiles take the category's frame: an empty location and a filled one differ.
  EXPECT_EQ(manager->Tile(57)->GetValue(), 2 / 6.0);
  EXPECT_NE(Hex(t.At(955, 455)), Hex(t.At(873, 455)));
}
