// The program manager in the real GUI build, driven by the mouse on its
// lists and by its buttons: which record a click acts on, what a drop
// assigns, which button greys, what the location display and the category
// boxes show, the sub-panels and fields as the user meets them, and the
// files a save leaves.
#include "ZephraManagerWindow.h"

#include "winl/ini/WINL_Ini.h"

TEST_F(ManagerWindow, ClickAfterScrollingActsOnTheRecordItShows)
{
  t.editor->ListDirectory(Folder("long", Numbered("A", 60)));
  t.Set(kParamManagerScroll, 0);  // the list's end: record 14 in row 0
  EXPECT_EQ(RowText(0), "A1013.pr3");
  t.editor->ListDirectory(Folder("other", Numbered("B", 60)));
  EXPECT_EQ(t.editor->GetParam(kParamManagerScroll)->Value(), 1.0);
  EXPECT_EQ(t.editor->FirstVisibleRecord(), 0);
  EXPECT_EQ(RowText(1), "B1000.pr3");
  DoubleClick(BrowserRow(1));
  EXPECT_STREQ(t.editor->ProgramName(), "B1000");
  // Row 0 shows "[..]" and opens the parent, loading nothing.
  DoubleClick(BrowserRow(0));
  EXPECT_EQ(t.editor->BrowserFolder(), t.dir.Path());
  EXPECT_STREQ(t.editor->ProgramName(), "B1000");
}

TEST_F(ManagerWindow, DroppingBrowserRecordsAssignsThemFromTheDropLocation)
{
  t.editor->ListDirectory(Folder("drop", {"01_BASS_Deep.pr3", "02_Lead.pr3", "03_FX_Rain.pr3"}));
  Down(BrowserRow(1));
  Up(BrowserRow(1));
  Down(BrowserRow(3), &shift);
  t.gui->OnMouseDrag(Location(10).x, Location(10).y, &left);
  EXPECT_EQ(t.editor->ManagerPanel()->Highlight(10)->GetValue(), 1.0);
  t.gui->OnMouseUp(Location(10).x, Location(10).y, &left);
  struct Row { int location; const char* name; double tile; } const kRows[] = {
    {10, "Deep", 2 / 6.0}, {11, "Lead", 1 / 6.0}, {12, "Rain", 5 / 6.0}, {13, "", 0.0}, {9, "", 0.0}};
  for (const Row& r : kRows)
  {
    SCOPED_TRACE(r.location);
    EXPECT_STREQ(t.editor->Bank()[r.location].name, r.name);
    EXPECT_EQ(NameText(r.location), r.name);
    EXPECT_DOUBLE_EQ(Tile(r.location), r.tile);
  }
  EXPECT_EQ(t.editor->Bank().SelectedCount(), 0);
}

TEST_F(ManagerWindow, FailedSaveIsNoSuccessAndUploadStillAsksToSave)
{
  ASSERT_TRUE(t.editor->Bank().SetProgram(10, Folder("src", {"Lead.pr3"}) + "Lead.pr3", kCategoryNone, "Lead"));
  // An upload needs a server to go to; its page opens with a harmless opener.
  WritePrivateProfileString("dbase", "server", "db.example:8443", t.editor->SettingsPath().c_str());
  t.editor->SetDesktopOpener("/bin/true");
  // A folder in the way of the file: no export can replace it.
  const std::string target = Folder("target", {"keep.pr3"});
  mkdir((target + "10_Lead.pr3").c_str(), 0755);
  WINL_ChooserTestQueue({target.substr(0, target.size() - 1)});
  t.Click(kParamManagerSaveToDisk);
  t.editor->OnTimerTick();
  EXPECT_EQ(Boxes(), std::vector<std::string>{"1 Program(s) could not be exported!"});
  EXPECT_EQ(Files(target), (std::set<std::string>{"10_Lead.pr3", "keep.pr3"}));
  t.gui->QueueMessageBoxResult(2);  // Cancel
  t.Click(kParamManagerUpload);
  EXPECT_EQ(Boxes().back(), "Please save the files first!");

  // Saved for real: the success, and the upload no longer asks.
  const std::string good = Folder("good", {});
  WINL_ChooserTestQueue({good.substr(0, good.size() - 1)});
  t.Click(kParamManagerSaveToDisk);
  t.editor->OnTimerTick();
  EXPECT_EQ(Files(good), std::set<std::string>{"10_Lead.pr3"});
  EXPECT_EQ(ReadWholeFile(good + "10_Lead.pr3"), MarkerText(kSampleValues));
  t.Click(kParamManagerUpload);
  EXPECT_EQ(Boxes().back(), "The files to be uploaded are located in the \n" + good + " folder.");
}

TEST_F(ManagerWindow, SelectingGreysThePlayNoteButtonAndADoubleClickEnablesIt)
{
  t.editor->ListDirectory(Folder("grey", {"01_A.pr3", "02_B.pr3"}));
  ASSERT_TRUE(t.editor->Bank().SetProgram(3, t.dir.File("grey/02_B.pr3"), kCategoryNone, "B"));
  struct Step { const char* name; std::function<void()> act; bool playGrey; } const kSteps[] = {
    {"bank row clicked", [&] { Click(Location(3)); }, true},
    {"bank row double-clicked", [&] { DoubleClick(Location(3)); }, false},
    {"browser record clicked", [&] { Click(BrowserRow(1)); }, true},
    {"browser record double-clicked", [&] { DoubleClick(BrowserRow(2)); }, false},
  };
  for (const Step& s : kSteps)
  {
    s.act();
    EXPECT_EQ(Grey(kParamManagerPlayNote), s.playGrey) << s.name;
    EXPECT_FALSE(Grey(kParamManagerLoadFromDisk)) << s.name;
  }
}

TEST_F(ManagerWindow, LocationDisplayFollowsEachBankWrite)
{
  const std::string bank = Folder("bank", {"01_A.pr3", "02_B.pr3", "03_C.pr3"});
  t.editor->ScanProgramFolder(bank.c_str());
  t.editor->WriteAllProgramsToSynth(bank.c_str());
  IControl* display = t.ControlOf(kParamSevenSegmentDisplay);
  ASSERT_NE(display, nullptr);
  // The display's range is 0..100.
  for (double shown : {0.01, 0.02, 0.03})
  {
    EXPECT_DOUBLE_EQ(display->GetValue(), shown);
    Receive(0x21);
  }
  EXPECT_FALSE(t.editor->BankWriteRunning());
}

TEST_F(ManagerWindow, NameAndCategoryModeShowsTheClickedProgram)
{
  struct Entry { int location; int32_t category; const char* name; } const kEntries[] = {
    {4, kCategoryGuitar, "Strum"}, {5, kCategoryNone, "Plain"}, {6, kCategoryEwi, "Reed"}};
  for (const Entry& e : kEntries) ASSERT_TRUE(t.editor->Bank().SetProgram(e.location, "/p/x.pr3", e.category, e.name));
  t.Set(kParamManagerEditMode5, 1);
  // box: the category box ticked (0 none).
  struct Case { int location; int box; const char* field; } const kCases[] = {
    {4, kParamManagerCategory3, "Strum"}, {6, kParamManagerCategory6, "Reed"}, {5, 0, "Plain"}};
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.location);
    Click(Location(c.location));
    for (int box = kParamManagerCategory2; box <= kParamManagerCategory6; ++box)
      EXPECT_EQ(t.ControlOf(box)->GetValue(), box == c.box ? 1.0 : 0.0) << box;
    BASE_String text("");
    Field(ManagerRef::kRenameField)->GetText(&text);
    EXPECT_STREQ(text.Get(), c.field);
  }
}

// LOCAL's folder chooser cancelled closes the folder/database choice as a
// chosen folder does; DISK opens it again, and a folder chosen then lists.
TEST_F(ManagerWindow, ACancelledLocalFolderClosesTheChoice)
{
  IControl* plate = t.editor->ManagerPanel()->Ref(ManagerRef::kFolderBackground);
  const std::string browse = Folder("browse", {"01_A.pr3"});
  const struct Step { const char* name; std::vector<std::string> answer; const char* row; } kSteps[] = {
    {"cancelled", {}, ""},
    {"chosen", {browse.substr(0, browse.size() - 1)}, "01_A.pr3"},
  };
  (void)WINL_ChooserTestTake();
  for (const Step& s : kSteps)
  {
    SCOPED_TRACE(s.name);
    t.Click(kParamManagerSelectDisk);
    ASSERT_FALSE(plate->IsHidden());
    WINL_ChooserTestQueue(s.answer);
    t.Click(kParamManagerLocalFolder);
    EXPECT_EQ(WINL_ChooserTestTake().size(), 1u);
    EXPECT_TRUE(plate->IsHidden());
    EXPECT_TRUE(t.Hidden(kParamManagerLocalFolder));
    EXPECT_TRUE(t.Hidden(kParamManagerDatabase));
    EXPECT_EQ(RowText(1), s.row);
  }
}

TEST_F(ManagerWindow, NewUserPaths)
{
  // DISK opens the folder/database choice over the buttons.
  t.Click(kParamManagerSelectDisk);
  EXPECT_FALSE(t.editor->ManagerPanel()->Ref(ManagerRef::kFolderBackground)->IsHidden());
  EXPECT_FALSE(t.Hidden(kParamManagerLocalFolder));
  EXPECT_FALSE(t.Hidden(kParamManagerDatabase));
  const std::string browse = Folder("browse", {"01_A.pr3"});
  WINL_ChooserTestQueue({browse.substr(0, browse.size() - 1)});
  t.Click(kParamManagerLocalFolder);
  EXPECT_TRUE(t.Hidden(kParamManagerLocalFolder));
  EXPECT_EQ(RowText(1), "01_A.pr3");

  // A name typed into NAME is what OVERWRITE gives the one selected location.
  ASSERT_TRUE(t.editor->Bank().SetProgram(1, browse + "01_A.pr3", kCategoryNone, "A"));
  t.Set(kParamManagerEditMode5, 1);
  Click(Location(1));
  Field(ManagerRef::kRenameField)->SetText("Brass Lead");
  t.Click(kParamManagerApplyName);
  EXPECT_STREQ(t.editor->Bank()[1].name, "Brass Lead");
  EXPECT_EQ(NameText(1), "Brass Lead");

  // LOAD BANK on a folder without numbered programs says so.
  const std::string loose = Folder("loose", {"Lead.pr3", "notes.txt"});
  t.gui->QueueMessageBoxResult(1);  // Yes: the bank may go
  WINL_ChooserTestQueue({loose.substr(0, loose.size() - 1)});
  t.Click(kParamManagerLoadFromDisk);
  EXPECT_EQ(Boxes().back(), "This directory does not contain any Zephra Programs!");
  EXPECT_FALSE(t.editor->Bank().AnyProgram());
}

TEST(FlexiListWindow, OneClickChoosesClosesAndSends)
{
  SkinEditor t("[gui]\nbackground=space\n");
  IMouseMod left(true, false);
  // FLEXI3's SOURCE field opens its list; "LFO" is page 1's third row.
  t.gui->OnMouseDown(849, 19, &left);
  t.gui->OnMouseUp(849, 19, &left);
  ASSERT_FALSE(t.Hidden(kParamListPage1));
  t.TakeWire();
  t.gui->OnMouseDown(150, 242, &left);
  t.gui->OnMouseUp(150, 242, &left);
  for (int p : {kParamListPage1, kParamListPage4, kParamCloseListView}) EXPECT_TRUE(t.Hidden(p)) << p;
  EXPECT_EQ(t.Int(kParamFlexi3Source), 101);
  t.Draw();
  auto* field = static_cast<ITextControl*>(t.ControlOf(kParamFlexi3Sources));
  BASE_String text("");
  field->GetText(&text);
  EXPECT_STREQ(text.Get(), "LFO ");  // the value and its empty label
  // The slot's SOURCE (program value 109) goes out once, code 101.
  EXPECT_EQ(t.TakeWire(), (Bytes{0xB0, 0x63, 0x05, 0xB0, 0x62, 0x6D, 0xB0, 0x06, 0x65}));
}

TEST(ManagerStart, BrowserListsTheProgramFolderWithItsSubPanelsShut)
{
  TempDir programs;
  for (int i = 1; i <= 50; ++i)
    WriteWholeFile(programs.File((i < 10 ? "0" : "") + std::to_string(i) + "_P.pr3"), MarkerText(kSampleValues));
  SkinEditor t(std::string(kManagerSettings) + "[program]\nlastfile=" + programs.File("02_P.pr3") + "\n");
  EXPECT_EQ(t.editor->BrowserFolder(), programs.Path());
  ASSERT_EQ(t.editor->BrowserList().size(), 51u);
  EXPECT_STREQ(t.editor->BrowserList()[2].name, "02_P.pr3");
  EXPECT_FALSE(t.Hidden(kParamManagerScroll));  // 51 records: 4 past the rows
  t.Draw();
  t.Keep("manager-start");
  for (int p = kParamManagerLocalFolder; p <= kParamManagerRemember; ++p) EXPECT_TRUE(t.Hidden(p)) << p;
}

TEST_F(ManagerWindow, LoadingASelectedLocationNamesItAsTheLocationsFile)
{
  const std::string folder = Folder("named", {"Bass.pr3"});
  ASSERT_TRUE(t.editor->Bank().SetProgram(7, folder + "Bass.pr3", kCategoryBass, "Bass"));
  DoubleClick(Location(7));
  EXPECT_STREQ(t.editor->ProgramName(), "07_BASS_Bass");
  // The cache now holds the bank under the names its rows show; the user's
  // file stays.
  const std::string cached = t.editor->CachePath() + "07_BASS_Bass.pr3";
  EXPECT_STREQ(t.editor->Bank()[7].path, cached.c_str());
  EXPECT_EQ(ReadWholeFile(cached), MarkerText(kSampleValues));
  EXPECT_EQ(Files(folder), std::set<std::string>{"Bass.pr3"});
  // A location already named so is loaded without another save-back.
  DoubleClick(Location(7));
  EXPECT_EQ(Files(t.editor->CachePath()), std::set<std::string>{"07_BASS_Bass.pr3"});
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(ManagerWindow, LoadedProgramLaysOutTheWindow)
{
  // The program-number chooser left open, the cutoff of a "new" filter:
  // a loaded program closes the one and shows the other.
  t.gui->HideControl(kParamProgramNumber, false);
  std::string text = "243\r\n";
  for (int i = 0; i < 184; ++i) text += std::string(i == 75 ? "1" : "0") + "\r\n";
  WriteWholeFile(t.dir.File("new.pr3"), text);
  ASSERT_EQ(t.editor->LoadProgramFile(t.dir.File("new.pr3").c_str()), ProgramFileError::kNone);
  EXPECT_TRUE(t.Hidden(kParamProgramNumber));
  EXPECT_TRUE(t.Hidden(kParamVcfCutoffVintage));
  EXPECT_FALSE(t.Hidden(kParamVcfCutoffNew));
}

// A rename saved back into the folder the bank came from leaves one file per
// location, so that the folder can be written to the synth afterwards.
TEST_F(ManagerWindow, SaveAfterARenameLeavesOneFilePerLocation)
{
  const std::string bank = Folder("renamed", {"02_INIT.pr3", "03_Keep.pr3", "05_Loose.txt", "notes.pr3"});
  WINL_ChooserTestQueue({bank.substr(0, bank.size() - 1)});
  t.Click(kParamManagerLoadFromDisk);
  t.Set(kParamManagerEditMode5, 1);
  Click(Location(2));
  Field(ManagerRef::kRenameField)->SetText("Pad2");
  t.Click(kParamManagerApplyName);
  t.Set(kParamManagerEditMode5, 0);
  WINL_ChooserTestQueue({bank.substr(0, bank.size() - 1)});
  t.Click(kParamManagerSaveToDisk);
  t.editor->OnTimerTick();
  EXPECT_EQ(Files(bank), (std::set<std::string>{"02_Pad2.pr3", "03_Keep.pr3", "05_Loose.txt", "notes.pr3"}));
  EXPECT_EQ(std::string(t.editor->Bank()[2].path), bank + "02_Pad2.pr3");
  EXPECT_EQ(ReadWholeFile(bank + "02_Pad2.pr3"), MarkerText(kSampleValues));
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Finished successfully!"});

  sent.clear();
  t.editor->ScanProgramFolder(bank.c_str());
  t.editor->WriteAllProgramsToSynth(bank.c_str());
  Receive(0x21);
  Receive(0x21);
  std::vector<uint8_t> written;
  for (const Bytes& m : sent)
    if (m.size() == 213 && m[5] == 0x20) written.push_back(m[7]);
  EXPECT_EQ(written, (std::vector<uint8_t>{2, 3}));
  EXPECT_FALSE(t.editor->BankWriteRunning());
}

// An unnamed program has a file name of its own and blocks nothing.
TEST_F(ManagerWindow, AnUnnamedProgramIsSavedAndWritten)
{
  const std::string src = Folder("unnamed", {"Any.pr3"});
  ASSERT_TRUE(t.editor->Bank().SetProgram(1, src + "Any.pr3", kCategoryNone, ""));
  for (int n = 2; n <= 99; ++n)
    ASSERT_TRUE(t.editor->Bank().SetProgram(n, src + "Any.pr3", kCategoryNone, "P" + std::to_string(n)));
  const std::string out = Folder("out", {});
  WINL_ChooserTestQueue({out.substr(0, out.size() - 1)});
  t.Click(kParamManagerSaveToDisk);
  t.editor->OnTimerTick();
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Finished successfully!"});
  EXPECT_EQ(Files(out).size(), 99u);
  EXPECT_EQ(ReadWholeFile(out + "01_.pr3"), MarkerText(kSampleValues));
  EXPECT_EQ(ReadWholeFile(out + "99_P99.pr3"), MarkerText(kSampleValues));

  sent.clear();
  t.gui->QueueMessageBoxResult(1);  // Yes: overwrite the synth's bank
  t.Click(kParamManagerWriteBank);
  for (int n = 1; n <= 99; ++n) Receive(0x21);
  std::vector<uint8_t> written;
  std::string firstName;
  for (const Bytes& m : sent)
  {
    if (m.size() != 213 || m[5] != 0x20) continue;
    if (written.empty()) firstName.assign(m.begin() + 178, m.begin() + 210);
    written.push_back(m[7]);
  }
  ASSERT_EQ(written.size(), 99u);
  for (int n = 1; n <= 99; ++n) EXPECT_EQ(written[static_cast<size_t>(n - 1)], n);
  // Unnamed in its row, unnamed on the synth: the file's location stays behind.
  EXPECT_EQ(firstName, std::string(32, '\0'));
  EXPECT_FALSE(t.editor->BankWriteRunning());
}

// A single write in the manager lights only its target's row; a bank write
// leaves all three file selectors on the first file written.
TEST_F(ManagerWindow, WritesShowTheirTargetAndLeaveTheSelectorsOnTheBank)
{
  const std::string src = Folder("single", {"07Lead.pr3"});
  t.editor->Bank()[3].selected = 1;
  t.editor->Bank()[5].selected = 1;
  t.editor->WriteProgramFileToSynth((src + "07Lead.pr3").c_str());
  EXPECT_EQ(t.editor->Bank().SelectedCount(), 0);
  for (int n : {3, 5, 7}) EXPECT_EQ(t.editor->ManagerPanel()->Highlight(n)->GetValue(), n == 7 ? 1.0 : 0.0) << n;
  Receive(0x21);
  t.editor->OnTimerTick();

  ASSERT_TRUE(t.editor->Bank().SetProgram(2, src + "07Lead.pr3", kCategoryBass, "Deep"));
  ASSERT_TRUE(t.editor->Bank().SetProgram(4, src + "07Lead.pr3", kCategoryNone, "Pad"));
  t.gui->QueueMessageBoxResult(1);  // Yes: overwrite the synth's bank
  t.Click(kParamManagerWriteBank);
  Receive(0x21);
  Receive(0x21);
  EXPECT_FALSE(t.editor->BankWriteRunning());
  const std::string first = t.editor->CachePath() + "02_BASS_Deep.pr3";
  for (SkinRef ref : {SkinRef::kLoadSelector, SkinRef::kSaveSelector, SkinRef::kWriteSelector})
  {
    auto* selector = dynamic_cast<IFileSelectorControl*>(t.editor->Face()->Ref(ref));
    ASSERT_NE(selector, nullptr);
    BASE_String folder(""), file("");
    selector->GetFolder(&folder);
    selector->GetLastSelectedFileForPlug(&file);
    EXPECT_EQ(std::string(folder.Get()) + file.Get(), first) << static_cast<int>(ref);
  }
}

// SELECT ALL only recolours the browser's rows; they are drawn again at
// once, not when something else happens to redraw them.
TEST_F(ManagerWindow, SelectAllRedrawsTheRowsInRed)
{
  t.editor->ListDirectory(Folder("red", {"a.pr3", "b.pr3"}));
  t.Draw();
  const auto redPixels = [this](int row) {
    const IRECT r = t.editor->ManagerPanel()->BrowserRow(row)->GetRECT();
    int red = 0;
    for (int y = r.T; y < r.B; ++y)
      for (int x = r.L; x < r.R; ++x)
      {
        const IColor c = t.At(x, y);
        red += c.R > 200 && c.G < 80 && c.B < 80;
      }
    return red;
  };
  ASSERT_EQ(redPixels(1), 0);
  t.Click(kParamManagerSelectAll);
  t.gui->RunFrame();  // draws only what changed
  EXPECT_GT(redPixels(1), 0);
  EXPECT_GT(redPixels(2), 0);
  t.Click(kParamManagerUnselectAll);
  t.gui->RunFrame();
  EXPECT_EQ(redPixels(1), 0);
}

// A name typed longer than a location holds is cut to its 32 characters,
// and the category chosen with it applies too.
TEST_F(ManagerWindow, ALongRenameIsCutTo32Characters)
{
  ASSERT_TRUE(t.editor->Bank().SetProgram(1, Folder("long", {"01_A.pr3"}) + "01_A.pr3", kCategoryNone, "A"));
  t.Set(kParamManagerEditMode5, 1);
  Click(Location(1));
  t.Set(kParamManagerCategory3, 1);
  Field(ManagerRef::kRenameField)->SetText("This name is longer than thirty-two chars");
  t.Click(kParamManagerApplyName);
  EXPECT_STREQ(t.editor->Bank()[1].name, "This name is longer than thirty-");
  EXPECT_EQ(t.editor->Bank()[1].category, kCategoryGuitar);
  EXPECT_DOUBLE_EQ(Tile(1), 3 / 6.0);
}

// After "Save to disk" into a new folder the file list shows that folder,
// with the files just written, no longer the folder it showed before.
TEST_F(ManagerWindow, SaveToDiskShowsTheFolderWritten)
{
  const std::string old = Folder("old", {"01_A.pr3", "02_B.pr3"});
  t.editor->ListDirectory(old);
  ASSERT_EQ(RowText(1), "01_A.pr3");
  ASSERT_TRUE(t.editor->Bank().SetProgram(10, old + "02_B.pr3", kCategoryBass, "Deep"));
  const std::string fresh = Folder("fresh", {});
  WINL_ChooserTestQueue({fresh.substr(0, fresh.size() - 1)});
  t.Click(kParamManagerSaveToDisk);
  t.editor->OnTimerTick();
  EXPECT_EQ(Files(fresh), std::set<std::string>{"10_BASS_Deep.pr3"});
  EXPECT_EQ(RowText(0), "[..]");
  EXPECT_EQ(RowText(1), "10_BASS_Deep.pr3");
  EXPECT_EQ(RowText(2), "");
}
