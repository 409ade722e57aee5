// The program manager's buttons as the user presses them: what lands in the
// bank, what the browser rows show, which questions are asked, the
// remembered login, and the folder chooser's answer.
#include "ZephraTestEditor.h"

#include "editor/ZephraManagerWindowLink.h"
#include "editor/ZephraUserFile.h"
#include "support/TempDir.h"
#include "synth/ZephraParams.h"
#include "synth/support/DatabaseServer.h"
#include "winl/WINL_FileDialog.h"
#include "winl/ini/WINL_Ini.h"

#include <gtest/gtest.h>

#include <list>

#include <sys/stat.h>

namespace
{
// The panel as the actions see it: fields that keep their text, and the
// calls that change rows.
struct RecordingManager : ZephraManagerLink
{
  void SetBrowserRowSelected(int row, bool selected) override { rowSelected[row] = selected; }
  void ShowLoginPanel(bool shown) override { loginShown = shown; }
  std::string UserField() override { return user; }
  void SetUserField(const char* text) override { user = text; }
  std::string PasswordField() override { return password; }
  void SetPasswordField(const char* text) override { password = text; }
  std::string ChooseDirectory(const std::string&) override { ++chooserCalls; return {}; }
  std::map<int, bool> rowSelected;
  bool loginShown = false;
  std::string user, password;
  int chooserCalls = 0;
};

RecordingManager* Attach(ZephraEditor& editor)
{
  auto link = std::make_unique<RecordingManager>();
  RecordingManager* manager = link.get();
  editor.SetManagerLink(std::move(link));
  editor.SetManagerMode(true);
  return manager;
}

// 64 file bytes: a head block, then one filler block seven times.
std::string File64(Bytes head, const Bytes& filler)
{
  for (int i = 0; i < 7; ++i) head.insert(head.end(), filler.begin(), filler.end());
  return std::string(head.begin(), head.end());
}
// The old file of "abcd": filled with 0A 00 00 00 words, so it deciphers
// to "abcd\n".
const std::string kOldAbcdFile =
  File64({0x10, 0x9b, 0x13, 0x57, 0x9d, 0x36, 0xd3, 0xac}, {0x85, 0xbc, 0x38, 0x83, 0xba, 0xf8, 0xd5, 0x40});
// "abcd" as written now: a terminator and zero filler.
const std::string kAbcdFile =
  File64({0x29, 0xa8, 0x1a, 0xb1, 0x26, 0x1f, 0x8b, 0x22}, {0xed, 0xfe, 0x83, 0xd8, 0x9b, 0x03, 0x53, 0x79});

struct ManagerActionsTest : ::testing::Test
{
  TempDir dir;
  TestEditor t{dir.Path()};
  ZephraEditor* editor = t.editor.get();
  RecordingManager* manager = Attach(*editor);

  void SetUp() override
  {
    // The ranges the manager panel gives its list, matrix and scroll bar.
    editor->GetParam(kParamManagerBrowserList)->InitDouble("", 0, 0, 47, 0.001);
    editor->GetParam(kParamManagerMatrix)->InitDouble("", 0, 0, 100, 0.001);
    editor->GetParam(kParamManagerScroll)->InitDouble("Scroll", 0, 0, 1, 0.001);
  }
  void Set(int param, double value) { editor->SetParameterFromGUI2(param, value); }
  void Press(int button) { Set(button, 1); Set(button, 0); }
  std::list<TempDir> folders;  // each listing in a fresh one
  void Browse(const std::vector<std::string>& files)
  {
    TempDir& folder = folders.emplace_back();
    for (const std::string& f : files) WriteWholeFile(folder.File(f), "x");
    editor->ListDirectory(folder.Path() + "/");
  }
  void Fill(int location, const char* name)
  {
    ASSERT_TRUE(editor->Bank().SetProgram(location, "/p/" + std::string(name) + ".pr3", kCategoryNone, name));
  }
};

}  // namespace

TEST_F(ManagerActionsTest, SendToBankFillsEmptyLocationsFromTheSelection)
{
  // selected: the bank location selected first (0 none); filled: locations
  // holding a program before; category and name: of the first landed one.
  struct Case { const char* name; std::vector<std::string> files; int selected; std::vector<int> filled, landed;
                int32_t category; const char* programName; } kCases[] = {
    {"tag after number", {"07_BASS_Deep.pr3"}, 0, {}, {1}, kCategoryBass, "Deep"},
    {"leading underscore", {"_Lead.pr3"}, 0, {}, {1}, kCategoryNone, "Lead"},
    {"past filled", {"07_BASS_Deep.pr3"}, 5, {5, 6}, {7}, kCategoryBass, "Deep"},
    {"tag without number", {"_EWI_Reed.pr3"}, 99, {}, {99}, kCategoryEwi, "Reed"},
    {"surplus skipped", {"a1.pr3", "a2.pr3", "a3.pr3"}, 97, {98}, {97, 99}, kCategoryNone, "a1"},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    Browse(c.files);
    editor->Bank().Clear();
    for (int n : c.filled) Fill(n, "Old");
    if (c.selected) editor->Bank()[c.selected].selected = 1;
    Press(kParamManagerSelectAll);
    Press(kParamManagerSendToBank);

    std::vector<int> landed;
    for (int n = 1; n <= 99; ++n)
      if (!editor->Bank()[n].empty && std::string(editor->Bank()[n].name) != "Old") landed.push_back(n);
    EXPECT_EQ(landed, c.landed);
    const BankEntry& first = editor->Bank()[c.landed.front()];
    EXPECT_EQ(first.category, c.category);
    EXPECT_STREQ(first.name, c.programName);
    for (int n : c.filled) EXPECT_STREQ(editor->Bank()[n].name, "Old");
    EXPECT_EQ(editor->Bank().SelectedCount(), 0);
    for (const DatabaseListRecord& r : editor->BrowserList()) EXPECT_EQ(r.selected, 0);
  }
}

TEST_F(ManagerActionsTest, SelectAllAtTheListsEndColoursOnlyRecordsThatExist)
{
  // Records: ".." and the files; the scroll at its end (value 0).
  struct Case { int files; size_t rowsColoured; } kCases[] = {{45, 46}, {46, 47}, {47, 47}};
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.files);
    std::vector<std::string> files;
    for (int i = 0; i < c.files; ++i) files.push_back("p" + std::to_string(100 + i) + ".pr3");
    Browse(files);
    Set(kParamManagerScroll, 0);
    manager->rowSelected.clear();
    Press(kParamManagerSelectAll);
    EXPECT_EQ(manager->rowSelected.size(), c.rowsColoured);
    EXPECT_TRUE(manager->rowSelected.rbegin()->second);
    // Row 0 is ".." with one file too many for the rows, p100 with the list scrolled by one.
    EXPECT_EQ(manager->rowSelected[0], c.files == 47);
  }
}

TEST_F(ManagerActionsTest, BankButtonsOnAnEmptyBankAskNothing)
{
  Press(kParamManagerNewBank);
  Press(kParamManagerLoadFromDisk);
  EXPECT_EQ(manager->chooserCalls, 1);
  Press(kParamManagerDownloadAll);
  EXPECT_TRUE(editor->SavingAllFromSynth());
  EXPECT_TRUE(t.gui->MessageBoxes().empty());

  // While the download runs, the bank buttons change nothing and ask nothing.
  Fill(3, "Kept");
  Browse({"01_Lead.pr3"});
  Press(kParamManagerSelectAll);
  for (int button = kParamManagerSendToBank; button <= kParamManagerWriteBank; ++button) Press(button);
  EXPECT_TRUE(t.gui->MessageBoxes().empty() && manager->chooserCalls == 1 && editor->Bank()[1].empty);
  EXPECT_STREQ(editor->Bank()[3].name, "Kept");
}

TEST_F(ManagerActionsTest, NewBankAnsweredNoKeepsTheBank)
{
  Fill(9, "Keep");
  t.gui->QueueMessageBoxResult(7);
  Press(kParamManagerNewBank);
  ASSERT_EQ(t.gui->MessageBoxes().size(), 1u);
  EXPECT_STREQ(editor->Bank()[9].name, "Keep");
  t.gui->QueueMessageBoxResult(1);
  Press(kParamManagerNewBank);
  EXPECT_FALSE(editor->Bank().AnyProgram());
}

TEST_F(ManagerActionsTest, MatrixCellsOutsideTheLocationsDoNothing)
{
  struct Case { double cell; int selectedRow; } kCases[] = {{0, -1}, {1, 1}, {99, 99}, {100, -1}};
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.cell);
    editor->Bank().ClearRowSelections();
    Set(kParamManagerMatrix, c.cell);
    EXPECT_EQ(editor->Bank().FirstSelectedRow(), c.selectedRow);
    Set(kParamManagerMatrix, 50.5);  // a change, so the next cell is one too
  }
}

TEST(UserFile, RoundTripsPasswordsUpToTheLimit)
{
  TempDir dir;
  const std::string path = dir.File("user.dat");
  struct Case { size_t length; bool stored; } kCases[] = {
    {0, true}, {1, true}, {3, true}, {4, true}, {5, true}, {8, true}, {62, true}, {63, true}, {64, false}};
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.length);
    ASSERT_TRUE(WriteUserFile(path, "old"));
    std::string password(c.length, 'k');
    for (size_t i = 0; i < c.length; ++i) password[i] = static_cast<char>('!' + i);
    EXPECT_EQ(WriteUserFile(path, password), c.stored);
    std::string back = "unchanged";
    ASSERT_TRUE(ReadUserFile(path, back));
    EXPECT_EQ(back, c.stored ? password : "old");
    struct stat st{};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(st.st_size, 64);
  }
}

TEST(UserFile, FileBytes)
{
  TempDir dir;
  const std::string path = dir.File("user.dat");
  ASSERT_TRUE(WriteUserFile(path, "abcd"));
  EXPECT_EQ(ReadWholeFile(path), kAbcdFile);
  struct Case { const char* name; std::string bytes; bool read; const char* password; } kCases[] = {
    {"old filler", kOldAbcdFile, true, "abcd"},
    {"one block", kAbcdFile.substr(0, 8), true, "abcd"},
    {"short of a block", kAbcdFile.substr(0, 7), false, "unchanged"},
    {"empty", "", false, "unchanged"},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    WriteWholeFile(path, c.bytes);
    std::string back = "unchanged";
    EXPECT_EQ(ReadUserFile(path, back), c.read);
    EXPECT_EQ(back, c.password);
  }
}

TEST_F(ManagerActionsTest, RememberedOldPasswordLogsInAndAWrongOneSaysSo)
{
  DatabaseServer* server = DatabaseServer::Get();
  if (!server) GTEST_SKIP() << "no python3/openssl for the local database server";
  server->Control(R"({"password": "abcd"})");
  const std::string settings = dir.File("settings.ini");
  WritePrivateProfileString("dbase", "server", server->Host().c_str(), settings.c_str());
  WritePrivateProfileString("dbase", "user", "Alice", settings.c_str());
  editor->SetDatabaseCaFile(server->CaFile());
  WriteWholeFile(dir.File("user.dat"), kOldAbcdFile);

  Set(kParamManagerRemember, 1);
  Press(kParamManagerDatabase);
  EXPECT_TRUE(manager->loginShown && manager->user == "Alice" && manager->password == "abcd");
  Press(kParamManagerLogIn);
  ASSERT_TRUE(editor->FinishDatabaseWork());
  EXPECT_TRUE(t.gui->MessageBoxes().empty() && !manager->loginShown && !editor->BrowserList().empty());
  // The login rewrote the file without the line feed.
  EXPECT_EQ(ReadWholeFile(dir.File("user.dat")), kAbcdFile);

  TestEditor other{dir.Path()};
  RecordingManager* otherManager = Attach(*other.editor);
  other.editor->SetDatabaseCaFile(server->CaFile());
  otherManager->user = "Alice";
  otherManager->password = "wrong";
  other.editor->SetParameterFromGUI2(kParamManagerLogIn, 1);
  other.editor->SetParameterFromGUI2(kParamManagerLogIn, 0);
  ASSERT_TRUE(other.editor->FinishDatabaseWork());
  const auto boxes = other.gui->MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text,
            "There was an error during the Login process.\nPlease check your account on the\n"
            "Zephra Prime Program Database site!");
  EXPECT_EQ(boxes[0].caption, "Login Error");

  // Clearing the box forgets the user and the file at once.
  Set(kParamManagerRemember, 0);
  char user[64] = {};
  GetPrivateProfileString("dbase", "user", "none", user, sizeof user, settings.c_str());
  EXPECT_STREQ(user, "");
  EXPECT_NE(access(dir.File("user.dat").c_str(), F_OK), 0);
}

// The chooser's answer with a "/" added, never a path cut to fit.
TEST(ZephraManagerWindowLink, ChosenFolderGetsItsSlashWithin255Bytes)
{
  // answer: none when cancelled; expected "=": the answer and "/".
  struct Case { const char* name; std::vector<std::string> answer; const char* expected; } const kCases[] = {
    {"chosen", {"/home/user/banks"}, "/home/user/banks/"},
    {"cancelled", {}, ""},
    {"253 bytes", {"/" + std::string(252, 'f')}, "="},
    {"254 bytes: 255 with the slash", {"/" + std::string(253, 'f')}, "="},
    {"255 bytes", {"/" + std::string(254, 'f')}, ""},
  };
  ZephraManagerWindowLink link;
  for (const Case& c : kCases)
  {
    WINL_ChooserTestQueue(c.answer);
    const std::string chosen = link.ChooseDirectory("/start/here/");
    EXPECT_EQ(chosen, std::string(c.expected) == "=" ? c.answer[0] + "/" : c.expected) << c.name;
    const auto shown = WINL_ChooserTestTake();
    ASSERT_EQ(shown.size(), 1u) << c.name;
    EXPECT_EQ(shown[0].kind, WINL_ShownChooser::Folder);
    EXPECT_EQ(shown[0].title, "Select Directory");
    EXPECT_EQ(shown[0].folder, "/start/here/");
    EXPECT_EQ(shown[0].accept, "Select Directory");
  }
  WINL_ChooserTestEnd();
}

// No server set: LOGIN says so, not that the account is wrong, and the
// category list is never asked for.
TEST_F(ManagerActionsTest, LoginWithoutAServerSaysNoneIsSet)
{
  manager->user = "Alice";
  manager->password = "abcd";
  Press(kParamManagerDatabase);
  EXPECT_TRUE(manager->loginShown);
  Press(kParamManagerLogIn);
  ASSERT_TRUE(editor->FinishDatabaseWork());
  const auto boxes = t.gui->MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text,
            "No program-database server is set.\nName one as server= in the [dbase] section of settings.ini.");
  EXPECT_EQ(boxes[0].caption, "Error");
  EXPECT_FALSE(manager->loginShown);
}

// The database's category list belongs to the manager: outside it nothing
// is fetched, not even the no-server message.
TEST_F(ManagerActionsTest, CategoriesAreFetchedOnlyInTheManager)
{
  editor->SetManagerMode(false);
  editor->FetchDatabaseCategories();
  EXPECT_TRUE(t.gui->MessageBoxes().empty());
  editor->SetManagerMode(true);
  editor->FetchDatabaseCategories();
  EXPECT_EQ(t.gui->MessageBoxes().size(), 1u);
}

// A login that succeeds remembers the user and the password only with the
// remember box ticked; unticked, neither settings.ini nor user.dat is
// written.
TEST_F(ManagerActionsTest, LoginRemembersOnlyWithTheBoxTicked)
{
  DatabaseServer* server = DatabaseServer::Get();
  if (!server) GTEST_SKIP() << "no python3/openssl for the local database server";
  const std::string settings = dir.File("settings.ini");
  WritePrivateProfileString("dbase", "server", server->Host().c_str(), settings.c_str());
  editor->SetDatabaseCaFile(server->CaFile());
  const struct Case { const char* name; bool remember; const char* user; bool userFile; } kCases[] = {
    {"unticked", false, "(none)", false},
    {"ticked", true, "Alice", true},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    server->Control(R"({"password": "abcd"})");
    ASSERT_EQ(editor->GetParam(kParamManagerRemember)->Bool(), false);
    if (c.remember) Set(kParamManagerRemember, 1);
    manager->user = "Alice";
    manager->password = "abcd";
    Press(kParamManagerLogIn);
    ASSERT_TRUE(editor->FinishDatabaseWork());
    EXPECT_TRUE(t.gui->MessageBoxes().empty());
    EXPECT_FALSE(editor->BrowserList().empty());
    char user[64] = {};
    GetPrivateProfileString("dbase", "user", "(none)", user, sizeof user, settings.c_str());
    EXPECT_STREQ(user, c.user);
    std::string password;
    EXPECT_EQ(ReadUserFile(dir.File("user.dat"), password), c.userFile);
    EXPECT_EQ(password, c.userFile ? "abcd" : "");
  }
}

// A database listing in the browser stays through closing and opening the
// manager: the same records, none selected.
TEST_F(ManagerActionsTest, DatabaseListingSurvivesAReopen)
{
  DatabaseServer* server = DatabaseServer::Get();
  if (!server) GTEST_SKIP() << "no python3/openssl for the local database server";
  server->Control(R"({"password": "abcd"})");
  const std::string settings = dir.File("settings.ini");
  WritePrivateProfileString("dbase", "server", server->Host().c_str(), settings.c_str());
  editor->SetDatabaseCaFile(server->CaFile());
  // A program folder of its own, as the editor has after loading a file.
  Browse({"01_A.pr3", "02_B.pr3"});
  editor->ScanProgramFolder((folders.back().Path() + "/02_B.pr3").c_str());
  manager->user = "Alice";
  manager->password = "abcd";
  Press(kParamManagerLogIn);
  ASSERT_TRUE(editor->FinishDatabaseWork());
  std::vector<std::string> listed;
  for (const DatabaseListRecord& record : editor->BrowserList()) listed.push_back(record.name);
  ASSERT_GE(listed.size(), 2u);
  ASSERT_EQ(editor->BrowserList().front().remote, 1);

  ASSERT_TRUE(editor->OnStandaloneMenuCommand(32));
  ASSERT_FALSE(editor->ManagerMode());
  ASSERT_TRUE(editor->OnStandaloneMenuCommand(33));
  ASSERT_TRUE(editor->ManagerMode());
  std::vector<std::string> after;
  int selected = 0;
  for (const DatabaseListRecord& record : editor->BrowserList())
  {
    after.push_back(record.name);
    selected += record.selected;
  }
  EXPECT_EQ(after, listed);
  EXPECT_EQ(selected, 0);
}

// Save, upload and write on an empty bank ask nothing and choose no folder.
TEST_F(ManagerActionsTest, SaveUploadAndWriteOnAnEmptyBankAskNothing)
{
  for (int button : {kParamManagerSaveToDisk, kParamManagerUpload, kParamManagerWriteBank})
  {
    SCOPED_TRACE(button);
    Press(button);
    EXPECT_TRUE(t.gui->MessageBoxes().empty());
    EXPECT_EQ(manager->chooserCalls, 0);
    EXPECT_FALSE(editor->BankWriteRunning());
  }
}
