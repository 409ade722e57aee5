// Every button, box and list of the program manager as the user meets it in
// the real GUI build: what the rows, tiles, fields and boxes show after it,
// the files it leaves and the bytes it sends; each question answered both
// ways, each box ticked and cleared.
#include "ZephraManagerWindow.h"

#include "editor/ZephraUserFile.h"
#include "winl/ini/WINL_Ini.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>

namespace {

using ManagerButtons = ManagerWindow;

constexpr int kYes = 1, kNo = 7;

std::string Ini(const std::string& settings, const char* key)
{
  char text[300] = {};
  GetPrivateProfileString("dbase", key, "(none)", text, sizeof text, settings.c_str());
  return text;
}

}  // namespace

TEST_F(ManagerButtons, SelectionButtonsColourTheRecordsRows)
{
  t.editor->ListDirectory(Folder("sel", {"a.pr3", "b.pr3", "c.pr3"}));
  const auto red = [this] {
    std::string rows;
    for (int r = 0; r < 4; ++r)
    {
      const IColor c = t.editor->ManagerPanel()->BrowserRow(r)->GetText()->mColor;
      rows += c.R == 255 && c.G == 0 && c.B == 0 ? 'R' : '-';
    }
    return rows;
  };
  Click(BrowserRow(1));
  EXPECT_EQ(red(), "-R--");
  t.Click(kParamManagerInvertSelection);
  EXPECT_EQ(red(), "--RR");
  t.Click(kParamManagerUnselectAll);
  EXPECT_EQ(red(), "----");
  t.Click(kParamManagerSelectAll);
  EXPECT_EQ(red(), "-RRR");  // ".." is no program
}

TEST_F(ManagerButtons, ScrollBarMovesTheRows)
{
  t.editor->ListDirectory(Folder("scroll", Numbered("S", 60)));  // 61 records, 14 past the rows
  struct Case { double value; const char* row0, *row46; } const kCases[] = {
    {1.0, "[..]", "S1045.pr3"}, {0.5, "S1006.pr3", "S1052.pr3"}, {0.0, "S1013.pr3", "S1059.pr3"}};
  for (const Case& c : kCases)
  {
    t.Set(kParamManagerScroll, c.value);
    EXPECT_EQ(RowText(0), c.row0) << c.value;
    EXPECT_EQ(RowText(46), c.row46) << c.value;
  }
}

TEST_F(ManagerButtons, NewBankAsksAndEmptiesTheRowsAndTheCache)
{
  ASSERT_TRUE(t.editor->Bank().SetProgram(9, "/p/Keep.pr3", kCategoryFx, "Keep"));
  t.editor->SetCachePath();
  mkdir(t.editor->CachePath().c_str(), 0755);
  t.Set(kParamManagerMatrix, 0);
  struct Case { int answer; const char* name; bool cache; } const kCases[] = {{kNo, "Keep", true}, {kYes, "", false}};
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.answer);
    t.editor->ManagerPanel()->Name(9)->SetTextFromPlug(t.editor->Bank()[9].display);
    t.gui->QueueMessageBoxResult(c.answer);
    t.Click(kParamManagerNewBank);
    EXPECT_EQ(Boxes().back(), "This operation will remove the current Programs.\nDo you wish to continue?");
    EXPECT_STREQ(t.editor->Bank()[9].name, c.name);
    EXPECT_EQ(NameText(9), c.name);
    EXPECT_EQ(access(t.editor->CachePath().c_str(), F_OK) == 0, c.cache);
  }
}

TEST_F(ManagerButtons, LoadFromDiskAsksBeforeReplacingTheBank)
{
  const std::string bank = Folder("bank", {"01_BASS_Deep.pr3", "03_Lead.prg"});
  ASSERT_TRUE(t.editor->Bank().SetProgram(5, "/p/Old.pr3", kCategoryNone, "Old"));
  t.gui->QueueMessageBoxResult(kNo);
  WINL_ChooserTestQueue({bank.substr(0, bank.size() - 1)});
  t.Click(kParamManagerLoadFromDisk);
  EXPECT_STREQ(t.editor->Bank()[5].name, "Old");
  EXPECT_TRUE(WINL_ChooserTestTake().empty());

  t.gui->QueueMessageBoxResult(kYes);
  t.Click(kParamManagerLoadFromDisk);
  ASSERT_EQ(WINL_ChooserTestTake().size(), 1u);
  struct Row { int location; const char* name; double tile; } const kRows[] = {
    {1, "Deep", 2 / 6.0}, {2, "", 0.0}, {3, "Lead", 1 / 6.0}, {5, "", 0.0}};
  for (const Row& r : kRows)
  {
    EXPECT_EQ(NameText(r.location), r.name) << r.location;
    EXPECT_DOUBLE_EQ(Tile(r.location), r.tile) << r.location;
  }
  EXPECT_EQ(Boxes().size(), 2u);  // the two questions, no message
}

TEST_F(ManagerButtons, DownloadAllAsksThenRequestsFromLocationOne)
{
  ASSERT_TRUE(t.editor->Bank().SetProgram(5, "/p/Old.pr3", kCategoryNone, "Old"));
  t.gui->QueueMessageBoxResult(kNo);
  t.Click(kParamManagerDownloadAll);
  EXPECT_FALSE(t.editor->SavingAllFromSynth());
  EXPECT_STREQ(t.editor->Bank()[5].name, "Old");

  t.gui->QueueMessageBoxResult(kYes);
  t.Click(kParamManagerDownloadAll);
  EXPECT_TRUE(t.editor->SavingAllFromSynth());
  EXPECT_EQ(NameText(5), "");
  t.editor->OnIdle();
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent.front(), RequestMessage(1));

  // Pressed again while the synth sends: refused before the question, so
  // the bank it fills keeps its rows.
  ASSERT_TRUE(t.editor->Bank().SetProgram(5, "/p/Old.pr3", kCategoryNone, "Old"));
  const size_t asked = Boxes().size();
  t.Click(kParamManagerDownloadAll);
  EXPECT_EQ(Boxes().size(), asked);
  EXPECT_STREQ(t.editor->Bank()[5].name, "Old");
  EXPECT_TRUE(t.editor->SavingAllFromSynth());
}

TEST_F(ManagerButtons, WriteBankAsksTwiceAndWritesWhatWasChosen)
{
  const std::string src = Folder("w", {"A.pr3", "B.pr3"});
  ASSERT_TRUE(t.editor->Bank().SetProgram(1, src + "A.pr3", kCategoryNone, "A"));
  ASSERT_TRUE(t.editor->Bank().SetProgram(2, src + "B.pr3", kCategoryBass, "B"));
  // answers: overwrite?, then only the selected? (when a row is selected).
  struct Case { const char* name; int selected; std::vector<int> answers; std::vector<uint8_t> written; } const kCases[] = {
    {"overwrite refused", 0, {kNo}, {}},
    {"all", 0, {kYes}, {1, 2}},
    {"selected only", 2, {kYes, kYes}, {2}},
    {"selected, but all", 2, {kYes, kNo}, {1, 2}},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    sent.clear();
    t.editor->Bank().ClearRowSelections();
    if (c.selected) t.editor->Bank()[c.selected].selected = 1;
    for (int answer : c.answers) t.gui->QueueMessageBoxResult(answer);
    t.Click(kParamManagerWriteBank);
    for (size_t i = 0; i < c.written.size(); ++i) Receive(0x21);
    std::vector<uint8_t> written;
    for (const Bytes& m : sent)
      if (m.size() == 213 && m[5] == 0x20) written.push_back(m[7]);
    EXPECT_EQ(written, c.written);
    EXPECT_FALSE(t.editor->BankWriteRunning());
    // The timer turn tells the end, as in the editor.
    t.editor->OnTimerTick();
  }
  // The bank as written is in the cache under its rows' names.
  EXPECT_EQ(Files(t.editor->CachePath()), (std::set<std::string>{"01_A.pr3", "02_BASS_B.pr3", "selected"}));
}

// The write's end is flagged by the MIDI thread and told by the timer; a
// button pressed before that turn must not put its question first.
TEST_F(ManagerButtons, TheEndOfABankWriteIsToldBeforeTheNextActionsQuestion)
{
  const std::string src = Folder("wd", {"A.pr3"});
  ASSERT_TRUE(t.editor->Bank().SetProgram(1, src + "A.pr3", kCategoryNone, "A"));
  t.gui->QueueMessageBoxResult(kYes);
  t.Click(kParamManagerWriteBank);
  Receive(0x21);
  ASSERT_FALSE(t.editor->BankWriteRunning());
  t.gui->QueueMessageBoxResult(kYes);  // the "Finished" box's OK
  t.gui->QueueMessageBoxResult(kYes);  // remove the bank
  t.Click(kParamManagerDownloadAll);
  EXPECT_EQ(Boxes(), (std::vector<std::string>{
                       "This operation will overwrite the current Programs\nin the Zephra Prime.\nDo you wish to continue?",
                       "Finished successfully!",
                       "This operation will remove the current Programs.\nDo you wish to continue?",
                     }));
  EXPECT_TRUE(t.editor->SavingAllFromSynth());
  // Told once: the timer turn after it has nothing left to tell.
  t.editor->OnTimerTick();
  EXPECT_EQ(Boxes().size(), 3u);
}

TEST_F(ManagerButtons, UploadAsksToSaveFirstAndNamesTheFolder)
{
  const std::string kNoServer =
    "No program-database server is set.\nName one as server= in the [dbase] section of settings.ini.";
  const std::string kPage = "https://db.example:8443/zephradatabase2/download/add/\n";
  ASSERT_TRUE(t.editor->Bank().SetProgram(4, Folder("u", {"Pad.pr3"}) + "Pad.pr3", kCategoryMidi, "Pad"));
  // No server set: nothing to upload to, and the user is told so at once.
  t.Click(kParamManagerUpload);
  EXPECT_EQ(Boxes(), std::vector<std::string>{kNoServer});
  EXPECT_TRUE(WINL_ChooserTestTake().empty());
  WritePrivateProfileString("dbase", "server", "db.example:8443", t.editor->SettingsPath().c_str());
  const std::string opened = t.dir.File("opened.txt");
  const std::string opener = t.dir.File("opener.sh");
  WriteWholeFile(opener, "#!/bin/sh\necho \"$1\" >> '" + opened + "'\n");
  chmod(opener.c_str(), 0755);
  t.editor->SetDesktopOpener(opener);

  t.gui->QueueMessageBoxResult(2);  // Cancel
  t.Click(kParamManagerUpload);
  EXPECT_EQ(Boxes(), (std::vector<std::string>{kNoServer, "Please save the files first!"}));
  EXPECT_TRUE(WINL_ChooserTestTake().empty());

  const std::string out = Folder("out", {});
  t.gui->QueueMessageBoxResult(kYes);  // OK
  WINL_ChooserTestQueue({out.substr(0, out.size() - 1)});
  t.Click(kParamManagerUpload);
  EXPECT_EQ(Files(out), std::set<std::string>{"04_MIDI_Pad.pr3"});
  EXPECT_EQ(Boxes().back(), "The files to be uploaded are located in the \n" + out + " folder.");
  // Saved now: the next upload only names the folder.
  t.Click(kParamManagerUpload);
  EXPECT_EQ(Boxes().size(), 5u);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (t.editor->DesktopOpenersRunning() > 0 && std::chrono::steady_clock::now() < end) t.editor->OnIdle();
  t.editor->OnIdle();
  EXPECT_EQ(ReadWholeFile(opened), kPage + kPage);
  EXPECT_EQ(Boxes().size(), 5u);
}

TEST_F(ManagerButtons, RowEditBoxesAreOneChoiceAndHideThePlayNoteButton)
{
  const int kBoxes[] = {kParamManagerEditMode1, kParamManagerEditMode2, kParamManagerEditMode3,
                        kParamManagerEditMode4, kParamManagerEditMode5};
  for (int box : kBoxes)
  {
    SCOPED_TRACE(box);
    t.Set(box, 1);
    for (int other : kBoxes) EXPECT_EQ(t.ControlOf(other)->GetValue(), other == box ? 1.0 : 0.0) << other;
    EXPECT_TRUE(t.Hidden(kParamManagerPlayNote));
  }
  // Clearing a box that is not the chosen one changes nothing.
  t.Set(kParamManagerEditMode1, 0);
  EXPECT_TRUE(t.Hidden(kParamManagerPlayNote));
  // Hiding and showing the manager keeps the button hidden in a mode.
  t.editor->HideManager(true);
  t.editor->HideManager(false);
  EXPECT_TRUE(t.Hidden(kParamManagerPlayNote));
  t.Set(kParamManagerEditMode5, 0);
  EXPECT_FALSE(t.Hidden(kParamManagerPlayNote));
  EXPECT_TRUE(Grey(kParamManagerPlayNote));
}

TEST_F(ManagerButtons, RowOperationsByDraggingOnTheBank)
{
  // Locations 2 and 3 selected, dropped on 10 in each mode; the programs
  // then at 2, 3, 10, 11 ("" empty).
  struct Case { const char* name; int box; std::vector<int> answers; bool confirm; std::vector<std::string> after;
                size_t questions; } const kCases[] = {
    {"move asks, No", kParamManagerEditMode2, {kNo}, true, {"B", "C", "X", "Y"}, 1},
    {"move asks, Yes", kParamManagerEditMode2, {kYes}, true, {"", "", "B", "C"}, 1},
    {"move unconfirmed", kParamManagerEditMode2, {}, false, {"", "", "B", "C"}, 0},
    {"copy asks, Yes", kParamManagerEditMode3, {kYes}, true, {"B", "C", "B", "C"}, 1},
    {"copy asks, No", kParamManagerEditMode3, {kNo}, true, {"B", "C", "X", "Y"}, 1},
    {"exchange", kParamManagerEditMode4, {}, true, {"X", "Y", "B", "C"}, 0},
    // In this mode the click that selects 2 is a mouse-up there too: it
    // asks first, and its question goes unanswered (No).
    {"remove asks, No", kParamManagerEditMode1, {kNo}, true, {"B", "C", "X", "Y"}, 2},
    {"remove asks, Yes", kParamManagerEditMode1, {kYes}, true, {"", "", "X", "Y"}, 2},
    {"remove unconfirmed", kParamManagerEditMode1, {}, false, {"", "", "X", "Y"}, 0},
  };
  const std::string bank = Folder("ops", {"02_B.pr3", "03_C.pr3", "10_X.pr3", "11_Y.pr3"});
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(t.editor->LoadBankListFromFolder(bank));
    const int locations[] = {2, 3, 10, 11};
    t.Set(kParamManagerConfirm, c.confirm ? 1 : 0);
    t.Set(c.box, 1);
    const size_t before = Boxes().size();
    Click(Location(2));
    Down(Location(3), &shift);
    for (int answer : c.answers) t.gui->QueueMessageBoxResult(answer);
    t.gui->OnMouseDrag(Location(10).x, Location(10).y, &left);
    Up(Location(10));
    std::vector<std::string> after;
    for (int n : locations) after.push_back(t.editor->Bank()[n].name);
    EXPECT_EQ(after, c.after);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(NameText(locations[i]), c.after[i]) << locations[i];
    EXPECT_EQ(Boxes().size() - before, c.questions);
    t.Set(c.box, 0);
  }
}

TEST_F(ManagerButtons, CategoryBoxesAndApplyToTwoRows)
{
  ASSERT_TRUE(t.editor->LoadBankListFromFolder(Folder("two", {"98_Keep.pr3", "99_Keep.pr3"})));
  t.Set(kParamManagerEditMode5, 1);
  Click(Location(98));
  Down(Location(99), &shift);
  Up(Location(99));
  t.Set(kParamManagerCategory4, 1);
  t.Set(kParamManagerCategory2, 1);
  for (int box = kParamManagerCategory2; box <= kParamManagerCategory6; ++box)
    EXPECT_EQ(t.ControlOf(box)->GetValue(), box == kParamManagerCategory2 ? 1.0 : 0.0) << box;
  Field(ManagerRef::kRenameField)->SetText("Other");
  t.Click(kParamManagerApplyName);
  for (int n : {98, 99})
  {
    EXPECT_EQ(t.editor->Bank()[n].category, kCategoryBass) << n;
    EXPECT_DOUBLE_EQ(Tile(n), 2 / 6.0) << n;
    EXPECT_EQ(NameText(n), "Keep") << n;  // two rows: none renamed
  }
}

TEST_F(ManagerButtons, PlayNoteSendsANoteWhileHeld)
{
  t.TakeWire();
  t.Set(kParamManagerPlayNote, 1);
  EXPECT_EQ(t.TakeWire(), (Bytes{0x90, 48, 127}));
  t.Set(kParamManagerPlayNote, 0);
  EXPECT_EQ(t.TakeWire(), (Bytes{0x80, 48, 0}));
}

TEST_F(ManagerButtons, RememberBoxKeepsOrForgetsTheLogin)
{
  const std::string settings = t.dir.File("settings.ini");
  WritePrivateProfileString("dbase", "user", "Alice", settings.c_str());
  ASSERT_TRUE(WriteUserFile(t.dir.File("user.dat"), "secret"));
  // Cleared: the database button opens the login with empty fields.
  t.Set(kParamManagerRemember, 0);
  EXPECT_EQ(Ini(settings, "memo"), "false");
  EXPECT_EQ(Ini(settings, "user"), "");
  EXPECT_NE(access(t.dir.File("user.dat").c_str(), F_OK), 0);
  WritePrivateProfileString("dbase", "user", "Alice", settings.c_str());
  ASSERT_TRUE(WriteUserFile(t.dir.File("user.dat"), "secret"));
  t.Click(kParamManagerDatabase);
  EXPECT_FALSE(t.editor->ManagerPanel()->Ref(ManagerRef::kLoginBackground)->IsHidden());
  EXPECT_FALSE(t.Hidden(kParamManagerLogIn));
  BASE_String user(""), password("");
  Field(ManagerRef::kUserField)->GetText(&user);
  Field(ManagerRef::kPasswordField)->GetText(&password);
  EXPECT_STREQ(user.Get(), "");
  EXPECT_STREQ(password.Get(), "");

  // Ticked: the remembered user and password fill the fields.
  t.Set(kParamManagerRemember, 1);
  EXPECT_EQ(Ini(settings, "memo"), "true");
  t.Click(kParamManagerDatabase);
  Field(ManagerRef::kUserField)->GetText(&user);
  Field(ManagerRef::kPasswordField)->GetText(&password);
  EXPECT_STREQ(user.Get(), "Alice");
  EXPECT_STREQ(password.Get(), "secret");
}

// Pictures of the manager in each row-edit mode and with each sub-panel,
// kept under artefacts/ of the build folder.
TEST_F(ManagerButtons, PicturesOfEachMode)
{
  t.editor->ListDirectory(Folder("pics", {"01_BASS_Deep.pr3", "02_Lead.pr3"}));
  ASSERT_TRUE(t.editor->LoadBankListFromFolder(t.dir.File("pics/")));
  struct Mode { int box; const char* name; } const kModes[] = {
    {kParamManagerEditMode1, "manager-mode-remove"}, {kParamManagerEditMode2, "manager-mode-move"},
    {kParamManagerEditMode3, "manager-mode-copy"},   {kParamManagerEditMode4, "manager-mode-exchange"},
    {kParamManagerEditMode5, "manager-mode-name"}};
  for (const Mode& m : kModes)
  {
    t.Set(m.box, 1);
    t.Draw();
    EXPECT_EQ(t.ControlOf(m.box)->GetValue(), 1.0) << m.name;
    t.Keep(m.name);
  }
  t.Set(kParamManagerEditMode5, 0);
  t.Click(kParamManagerSelectDisk);
  t.Draw();
  t.Keep("manager-folder-choice");
  t.Click(kParamManagerDatabase);
  t.Draw();
  EXPECT_FALSE(t.Hidden(kParamManagerLogIn));
  t.Keep("manager-login");
}

// Which questions the write asks, in order: the overwrite question always,
// the selected-only question only with a row selected. A bank whose only
// program is at 99 is written there.
TEST_F(ManagerButtons, WriteBankAsksOnlyWhatTheSelectionCallsFor)
{
  const std::string src = Folder("w99", {"Z.pr3"});
  ASSERT_TRUE(t.editor->Bank().SetProgram(99, src + "Z.pr3", kCategoryNone, "Z"));
  const char* kOverwrite = "This operation will overwrite the current Programs\nin the Zephra Prime.\nDo you wish to continue?";
  const char* kOnlySelected = "Do you wish to upload only the selected Program(s)?";
  struct Case { const char* name; int selected; std::vector<int> answers; std::vector<std::string> questions;
                std::vector<uint8_t> written; int selectedAfter; } const kCases[] = {
    {"nothing selected", 0, {kYes}, {kOverwrite}, {99}, 0},
    {"nothing selected, refused", 0, {kNo}, {kOverwrite}, {}, 0},
    {"99 selected", 99, {kYes, kYes}, {kOverwrite, kOnlySelected}, {99}, 0},
    {"99 selected, but all", 99, {kYes, kNo}, {kOverwrite, kOnlySelected}, {99}, 0},
    {"99 selected, refused", 99, {kNo}, {kOverwrite}, {}, 1},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    sent.clear();
    const size_t before = Boxes().size();
    t.editor->Bank().SelectOnly(c.selected);
    for (int answer : c.answers) t.gui->QueueMessageBoxResult(answer);
    t.Click(kParamManagerWriteBank);
    const auto shown = t.gui->MessageBoxes();
    EXPECT_EQ(BoxesFrom(before), c.questions);
    for (size_t i = before; i < shown.size(); ++i) EXPECT_EQ(shown[i].caption, "Warning") << i;
    for (size_t i = 0; i < c.written.size(); ++i) Receive(0x21);
    EXPECT_EQ(Written(), c.written);
    EXPECT_FALSE(t.editor->BankWriteRunning());
    EXPECT_EQ(t.editor->Bank().SelectedCount(), c.selectedAfter);
    if (!c.written.empty()) { EXPECT_EQ(t.editor->ManagerPanel()->Highlight(99)->GetValue(), 0.0); }
    // The timer turn tells the end, as in the editor.
    t.editor->OnTimerTick();
  }
}

// Whether the bank counts as saved, told by Upload: a saved bank only
// names its folder, an unsaved one asks to be saved first. Sending to the
// bank and applying a name unsave it; the row operations of the mouse do
// not.
TEST_F(ManagerButtons, UploadAsksToSaveAfterWhatUnsavesTheBank)
{
  const std::string kSaveFirst = "Please save the files first!";
  const std::string bank = Folder("saved", {"02_B.pr3", "03_C.pr3", "10_X.pr3"});
  const std::string browse = Folder("browse", {"Extra.pr3"});
  const std::string kUploadText = "The files to be uploaded are located in the \n" + bank + " folder.";
  // Location 2 dragged onto `to` in the row-edit mode of box; the names at
  // 2 and `to` afterwards.
  const auto drag = [this](int box, int to) {
    t.Set(box, 1);
    Click(Location(2));
    t.gui->OnMouseDrag(Location(to).x, Location(to).y, &left);
    Up(Location(to));
    t.Set(box, 0);
    return std::string(t.editor->Bank()[2].name) + "," + t.editor->Bank()[to].name;
  };
  struct Case { const char* name; std::function<void()> edit; std::string firstBox; } const kCases[] = {
    {"loaded only", [] {}, kUploadText},
    {"sent to the bank", [&] {
       t.editor->ListDirectory(browse);
       t.Click(kParamManagerSelectAll);
       t.Click(kParamManagerSendToBank);
       EXPECT_STREQ(t.editor->Bank()[1].name, "Extra");
     }, kSaveFirst},
    {"dropped on the bank", [&] {
       t.editor->ListDirectory(browse);
       Down(BrowserRow(1));
       t.gui->OnMouseDrag(Location(20).x, Location(20).y, &left);
       t.gui->OnMouseUp(Location(20).x, Location(20).y, &left);
       EXPECT_STREQ(t.editor->Bank()[20].name, "Extra");
     }, kSaveFirst},
    {"name applied", [&] {
       t.Set(kParamManagerEditMode5, 1);
       Click(Location(2));
       t.Set(kParamManagerCategory3, 1);
       t.Click(kParamManagerApplyName);
       t.Set(kParamManagerCategory3, 0);
       t.Set(kParamManagerEditMode5, 0);
       EXPECT_EQ(t.editor->Bank()[2].category, kCategoryGuitar);
     }, kSaveFirst},
    {"moved", [&] { EXPECT_EQ(drag(kParamManagerEditMode2, 30), ",B"); }, kUploadText},
    {"copied", [&] { EXPECT_EQ(drag(kParamManagerEditMode3, 30), "B,B"); }, kUploadText},
    {"exchanged", [&] { EXPECT_EQ(drag(kParamManagerEditMode4, 10), "X,B"); }, kUploadText},
    {"removed", [&] {
       t.Set(kParamManagerEditMode1, 1);
       Click(Location(2));
       t.Set(kParamManagerEditMode1, 0);
       EXPECT_EQ(t.editor->Bank()[2].empty, 1);
     }, kUploadText},
  };
  t.Set(kParamManagerConfirm, 0);
  // A server to upload to, and an opener that only records the page.
  WritePrivateProfileString("dbase", "server", "db.example:8443", t.editor->SettingsPath().c_str());
  const std::string opener = t.dir.File("opener.sh");
  WriteWholeFile(opener, "#!/bin/sh\necho \"$1\" >> '" + t.dir.File("opened.txt") + "'\n");
  chmod(opener.c_str(), 0755);
  t.editor->SetDesktopOpener(opener);
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    if (t.editor->Bank().AnyProgram()) t.gui->QueueMessageBoxResult(kYes);
    WINL_ChooserTestQueue({bank.substr(0, bank.size() - 1)});
    t.Click(kParamManagerLoadFromDisk);
    ASSERT_STREQ(t.editor->Bank()[2].name, "B");
    c.edit();
    const size_t before = Boxes().size();
    t.gui->QueueMessageBoxResult(2);  // Cancel the save, or close the message
    t.Click(kParamManagerUpload);
    EXPECT_EQ(BoxesFrom(before),
              std::vector<std::string>{c.firstBox});
    WINL_ChooserTestTake();
  }
}

// A browser file name whose name part holds 31, 32, 33 and more
// characters: sent to the bank by the button and by a drop, the name is
// cut to 32 characters; the path stays the file's.
TEST_F(ManagerButtons, LongFileNamesSentToTheBankAreCutTo32)
{
  const std::vector<std::string> kFiles = {"07_BASS_ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghij.pr3",
                                           "ABCDEFGHIJKLMNOPQRSTUVWXYZabcde.pr3", "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdef.pr3",
                                           "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefg.pr3"};
  const std::string folder = Folder("long", kFiles);
  // In the browser's order: the numbered file first.
  struct Row { const char* name; const char* display; int category; const char* file; } const kRows[] = {
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdef", "ABCDEFGHIJKL\nMNOPQRSTUVWX\nYZabcd", 2,
     "07_BASS_ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghij.pr3"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcde", "ABCDEFGHIJKL\nMNOPQRSTUVWX\nYZabcd", 1, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcde.pr3"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdef", "ABCDEFGHIJKL\nMNOPQRSTUVWX\nYZabcd", 1, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdef.pr3"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdef", "ABCDEFGHIJKL\nMNOPQRSTUVWX\nYZabcd", 1, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefg.pr3"},
  };
  const struct Way { const char* name; int first; std::function<void()> send; } kWays[] = {
    {"button", 1, [&] { t.Click(kParamManagerSelectAll); t.Click(kParamManagerSendToBank); }},
    {"drop", 40, [&] {
       Down(BrowserRow(1));
       Up(BrowserRow(1));
       Down(BrowserRow(4), &shift);
       t.gui->OnMouseDrag(Location(40).x, Location(40).y, &left);
       t.gui->OnMouseUp(Location(40).x, Location(40).y, &left);
     }},
  };
  for (const Way& w : kWays)
  {
    SCOPED_TRACE(w.name);
    t.editor->ListDirectory(folder);
    w.send();
    for (int i = 0; i < 4; ++i)
    {
      const BankEntry& e = t.editor->Bank()[w.first + i];
      EXPECT_STREQ(e.name, kRows[i].name) << i;
      EXPECT_STREQ(e.display, kRows[i].display) << i;
      EXPECT_EQ(e.category, kRows[i].category) << i;
      EXPECT_EQ(std::string(e.path), folder + kRows[i].file) << i;
      EXPECT_EQ(NameText(w.first + i), kRows[i].display) << i;
    }
    EXPECT_EQ(t.editor->Bank()[w.first + 4].empty, 1);
  }
}

// A second write of the whole bank after a program has moved: the cache
// holds the bank as it is now, and only its locations are written.
TEST_F(ManagerButtons, WriteBankAgainAfterAMoveWritesOnlyTheBankAsItIs)
{
  const std::string src = Folder("again", {"A.pr3", "B.pr3"});
  ASSERT_TRUE(t.editor->Bank().SetProgram(1, src + "A.pr3", kCategoryNone, "A"));
  ASSERT_TRUE(t.editor->Bank().SetProgram(2, src + "B.pr3", kCategoryBass, "B"));
  const auto writeAll = [this] {
    sent.clear();
    t.gui->QueueMessageBoxResult(kYes);
    t.Click(kParamManagerWriteBank);
    for (int i = 0; i < 3 && t.editor->BankWriteRunning(); ++i) Receive(0x21);
    t.editor->OnTimerTick();  // tells the end, as in the editor
    return Written();
  };
  EXPECT_EQ(writeAll(), (std::vector<uint8_t>{1, 2}));
  t.editor->Bank().SelectOnly(2);
  t.editor->Bank().MoveProgramEntries(5);
  EXPECT_EQ(writeAll(), (std::vector<uint8_t>{1, 5}));
  EXPECT_EQ(Files(t.editor->CachePath()), (std::set<std::string>{"01_A.pr3", "05_BASS_B.pr3"}));
  EXPECT_EQ(ReadWholeFile(src + "B.pr3"), MarkerText(kSampleValues));
}

// Sending to the bank from location 98 when 98 is taken: the program goes
// to 99 while it is free, and nowhere when 99 is taken too.
TEST_F(ManagerButtons, SendToBankFromLocation98)
{
  const std::string folder = Folder("late", {"New.pr3"});
  const struct Case { const char* name; bool fill99; const char* at99; } kCases[] = {
    {"99 free", false, "New"}, {"99 taken", true, "Keep"}};
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    t.editor->Bank().Clear();
    ASSERT_TRUE(t.editor->Bank().SetProgram(98, "/p/Old.pr3", kCategoryNone, "Old"));
    if (c.fill99)
    {
      ASSERT_TRUE(t.editor->Bank().SetProgram(99, "/p/Keep.pr3", kCategoryNone, "Keep"));
    }
    t.editor->Bank().SelectOnly(98);
    t.editor->ListDirectory(folder);
    t.Click(kParamManagerSelectAll);
    t.Click(kParamManagerSendToBank);
    EXPECT_STREQ(t.editor->Bank()[98].name, "Old");
    EXPECT_STREQ(t.editor->Bank()[99].name, c.at99);
    EXPECT_EQ(t.editor->Bank()[1].empty, 1);
  }
}

// Name and category applied to one selected location, 99: only it changes;
// an unselected program keeps its category and name.
TEST_F(ManagerButtons, ApplyNameToTheOneSelectedLocation99)
{
  ASSERT_TRUE(t.editor->LoadBankListFromFolder(Folder("one", {"05_Keep.pr3", "99_Old.pr3"})));
  Click(Location(5));  // selected before the mode: ticking it clears the selection
  t.Set(kParamManagerEditMode5, 1);
  EXPECT_EQ(t.editor->Bank().SelectedCount(), 0);
  EXPECT_EQ(t.editor->ManagerPanel()->Highlight(5)->GetValue(), 0.0);
  Click(Location(99));
  t.Set(kParamManagerCategory6, 1);
  Field(ManagerRef::kRenameField)->SetText("Warm Pad_with_long tail");
  t.Click(kParamManagerApplyName);
  struct Row { int location; int category; const char* name; const char* text; double tile; } const kRows[] = {
    {99, kCategoryEwi, "Warm Pad_with_long tail", "Warm\nPad_with\nlong tail", 1.0},
    {5, kCategoryNone, "Keep", "Keep", 1 / 6.0},
  };
  for (const Row& r : kRows)
  {
    SCOPED_TRACE(r.location);
    EXPECT_EQ(t.editor->Bank()[r.location].category, r.category);
    EXPECT_STREQ(t.editor->Bank()[r.location].name, r.name);
    EXPECT_EQ(NameText(r.location), r.text);
    EXPECT_DOUBLE_EQ(Tile(r.location), r.tile);
  }
}

// A rename to 24 three-byte characters renames the row whole, together
// with its category.
TEST_F(ManagerButtons, ApplyALongWideName)
{
  ASSERT_TRUE(t.editor->LoadBankListFromFolder(Folder("wide", {"05_Keep.pr3"})));
  t.Set(kParamManagerEditMode5, 1);
  Click(Location(5));
  t.Set(kParamManagerCategory3, 1);
  std::string wide;
  for (int i = 0; i < 24; ++i) wide += "\xe3\x81\x82";
  Field(ManagerRef::kRenameField)->SetText(wide.c_str());
  t.Click(kParamManagerApplyName);
  EXPECT_EQ(t.editor->Bank()[5].category, kCategoryGuitar);
  EXPECT_EQ(std::string(t.editor->Bank()[5].name), wide);
  EXPECT_EQ(NameText(5), wide.substr(0, 36) + "\n" + wide.substr(36, 36) + "\n");
}

// A new bank is unsaved: programs that arrive in it afterwards (as a
// download from the synth brings them) must be saved before an upload.
TEST_F(ManagerButtons, NewBankIsUnsaved)
{
  const std::string bank = Folder("fresh", {"02_B.pr3"});
  WINL_ChooserTestQueue({bank.substr(0, bank.size() - 1)});
  t.Click(kParamManagerLoadFromDisk);
  ASSERT_STREQ(t.editor->Bank()[2].name, "B");
  t.gui->QueueMessageBoxResult(kYes);
  t.Click(kParamManagerNewBank);
  ASSERT_FALSE(t.editor->Bank().AnyProgram());
  ASSERT_TRUE(t.editor->Bank().SetProgram(4, bank + "02_B.pr3", kCategoryNone, "B"));
  WritePrivateProfileString("dbase", "server", "db.example:8443", t.editor->SettingsPath().c_str());
  const size_t before = Boxes().size();
  t.gui->QueueMessageBoxResult(2);  // Cancel
  t.Click(kParamManagerUpload);
  EXPECT_EQ(BoxesFrom(before), std::vector<std::string>{"Please save the files first!"});
}

// Ticking a row-edit mode keeps the bank selection, except name editing;
// clearing the chosen mode clears the selection, and name editing's
// rename field too.
TEST_F(ManagerButtons, RowEditModesAndTheSelection)
{
  ASSERT_TRUE(t.editor->LoadBankListFromFolder(Folder("modes", {"02_B.pr3", "99_Old.pr3"})));
  const auto selected = [this](int n) {
    return std::to_string(t.editor->Bank()[n].selected) + "/" +
           std::to_string(static_cast<int>(t.editor->ManagerPanel()->Highlight(n)->GetValue()));
  };
  Click(Location(2));
  ASSERT_EQ(selected(2), "1/1");
  t.Set(kParamManagerEditMode2, 1);
  EXPECT_EQ(selected(2), "1/1");
  t.Set(kParamManagerEditMode2, 0);
  EXPECT_EQ(selected(2), "0/0");

  Click(Location(2));
  t.Set(kParamManagerEditMode5, 1);
  EXPECT_EQ(selected(2), "0/0");
  Click(Location(99));
  BASE_String name("");
  Field(ManagerRef::kRenameField)->GetText(&name);
  EXPECT_STREQ(name.Get(), "Old");
  t.Set(kParamManagerEditMode5, 0);
  Field(ManagerRef::kRenameField)->GetText(&name);
  EXPECT_STREQ(name.Get(), "");
  EXPECT_EQ(selected(99), "0/0");
}

// While the bank is written the location being written is lit; afterwards
// the rows show the selection again. A refused write ends with the
// communication error.
TEST_F(ManagerButtons, WriteBankLightsTheLocationBeingWrittenAndReportsARefusal)
{
  const std::string src = Folder("lit", {"A.pr3", "B.pr3"});
  ASSERT_TRUE(t.editor->Bank().SetProgram(1, src + "A.pr3", kCategoryNone, "A"));
  ASSERT_TRUE(t.editor->Bank().SetProgram(2, src + "B.pr3", kCategoryNone, "B"));
  const auto lit = [this] {
    return std::to_string(static_cast<int>(t.editor->ManagerPanel()->Highlight(1)->GetValue())) +
           std::to_string(static_cast<int>(t.editor->ManagerPanel()->Highlight(2)->GetValue()));
  };
  t.gui->QueueMessageBoxResult(kYes);
  t.Click(kParamManagerWriteBank);
  EXPECT_EQ(lit(), "10");
  Receive(0x21);
  EXPECT_EQ(lit(), "01");
  Receive(0x21);
  EXPECT_EQ(lit(), "00");
  EXPECT_FALSE(t.editor->BankWriteRunning());
  size_t shown = Boxes().size();
  t.editor->OnTimerTick();
  EXPECT_EQ(BoxesFrom(shown), std::vector<std::string>{"Finished successfully!"});

  t.gui->QueueMessageBoxResult(kYes);
  t.Click(kParamManagerWriteBank);
  Receive(0x22);
  EXPECT_FALSE(t.editor->BankWriteRunning());
  const size_t before = Boxes().size();
  t.editor->OnTimerTick();
  EXPECT_EQ(BoxesFrom(before), std::vector<std::string>{"Communication error has occurred!"});
}

// The bank at quit: unsaved while it holds programs in no folder as they
// stand; a load or a save puts it in one, a change takes it out again.
TEST_F(ManagerButtons, BankUnsavedUntilItIsInAFolderAsItStands)
{
  EXPECT_FALSE(t.editor->BankUnsaved());  // nothing to lose
  const std::string bank = Folder("quit", {"02_Init.pr3", "05_Init.pr3"});
  WriteWholeFile(bank + "02_Init.pr3", " 243 \r\ntwo\r\n");
  WriteWholeFile(bank + "05_Init.pr3", " 243 \r\nfive\r\n");
  WINL_ChooserTestQueue({bank.substr(0, bank.size() - 1)});
  t.Click(kParamManagerLoadFromDisk);
  ASSERT_STREQ(t.editor->Bank()[5].name, "Init");
  EXPECT_FALSE(t.editor->BankUnsaved());

  // Exchanged by the pointer, in the exchange mode.
  t.Set(kParamManagerEditMode4, 1);
  Down(Location(2));
  t.gui->OnMouseDrag(Location(5).x, Location(5).y, &left);
  Up(Location(5));
  EXPECT_TRUE(t.editor->BankUnsaved());

  // A cancelled folder choice saves nothing and does not quit.
  WINL_ChooserTestQueue({});
  EXPECT_FALSE(t.editor->SaveBankBeforeQuit());
  EXPECT_TRUE(t.editor->BankUnsaved());
  WINL_ChooserTestQueue({bank.substr(0, bank.size() - 1)});
  EXPECT_TRUE(t.editor->SaveBankBeforeQuit());
  EXPECT_FALSE(t.editor->BankUnsaved());
  EXPECT_EQ(ReadWholeFile(bank + "02_Init.pr3"), " 243 \r\nfive\r\n");
  EXPECT_EQ(ReadWholeFile(bank + "05_Init.pr3"), " 243 \r\ntwo\r\n");

  // A program dropped from the browser is a change as well.
  ASSERT_TRUE(t.editor->Bank().SetProgram(9, bank + "02_Init.pr3", kCategoryNone, "Init"));
  EXPECT_TRUE(t.editor->BankUnsaved());
}
