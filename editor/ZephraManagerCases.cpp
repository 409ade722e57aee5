// The program manager's actions on its buttons and lists (307..340), which
// run before the rest of the handler while the manager is shown.
//
// Questions and folder choosers go through AskUser and AskForFolder, which
// let go of the plug-in mutex while the user answers; the database is asked
// by database jobs, off this thread, whose answers come back through the
// idle hook (the lock rule of synth/ZephraModel.h).
#include "editor/ZephraEditor.h"
#include "core/SettingsNames.h"

#include "core/BASE_Mutex.h"
#include "core/IMidiMsg.h"
#include "editor/ZephraUserFile.h"
#include "graphics/IGraphics.h"
#include "synth/ZephraParams.h"
#include "winl/ini/WINL_Ini.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace
{
constexpr int kOkType = 0;
constexpr int kOkCancelType = 1;
constexpr int kYesNoType = 4;
constexpr int kAnswerYes = 1;  // also OK
constexpr int kBrowserRows = 47;
constexpr size_t kBrowserRowChars = 40;
constexpr size_t kLoginFieldChars = 79;
constexpr int kTestNote = 48;
constexpr int kTestVelocity = 127;
constexpr const char* kRemoveBankText = "This operation will remove the current Programs.\nDo you wish to continue?";
constexpr const char* kOverwriteSynthText =
  "This operation will overwrite the current Programs\nin the Zephra Prime.\nDo you wish to continue?";
constexpr const char* kSelectedOnlyText = "Do you wish to upload only the selected Program(s)?";
constexpr const char* kSaveFirstText = "Please save the files first!";
constexpr const char* kUploadFolderText = "The files to be uploaded are located in the \n%s folder.";
constexpr const char* kUploadPage = "/zephradatabase2/download/add/";
constexpr const char* kLoginErrorText =
  "There was an error during the Login process.\nPlease check your account on the\nZephra Prime Program Database site!";

// The row-edit boxes with the mode each one sets.
struct EditModeBox
{
  int param;
  int mode;
};
constexpr EditModeBox kEditModeBoxes[] = {
  {kParamManagerEditMode1, 1}, {kParamManagerEditMode2, 2}, {kParamManagerEditMode3, 3},
  {kParamManagerEditMode4, 4}, {kParamManagerEditMode5, 5},
};

std::string FieldText(std::string text, size_t chars)
{
  if (text.size() > chars) text.resize(chars);
  return text;
}
}  // namespace

bool ZephraEditor::RunManagerAction(int p)
{
  const double value = GetParam(p)->Value();
  const bool released = value < 0.5;
  if (p >= kParamManagerSendToBank && p <= kParamManagerWriteBank)
  {
    if (TransferRunning()) return true;
    // A transfer that ended since the last timer turn is told first: its
    // "Finished" box must not come after this action's question.
    TellReports();
  }
  switch (p)
  {
    case kParamManagerSelectDisk:
    case kParamManagerSelectAll:
    case kParamManagerUnselectAll:
    case kParamManagerInvertSelection:
      if (released) OnBrowserSelection(p);
      break;
    case kParamManagerSendToBank:
      if (released) SendSelectionToBank();
      break;
    case kParamManagerNewBank:
    case kParamManagerLoadFromDisk:
    case kParamManagerDownloadAll:
    case kParamManagerSaveToDisk:
    case kParamManagerUpload:
    case kParamManagerWriteBank:
      if (released && !OnBankButton(p)) return true;
      break;
    case kParamManagerEditMode1:
    case kParamManagerEditMode2:
    case kParamManagerEditMode3:
    case kParamManagerEditMode4:
    case kParamManagerEditMode5:
      OnRowEditMode(p, !released);
      break;
    case kParamManagerCategory2:
    case kParamManagerCategory3:
    case kParamManagerCategory4:
    case kParamManagerCategory5:
    case kParamManagerCategory6:
      if (released) break;
      for (int other = kParamManagerCategory2; other <= kParamManagerCategory6; ++other)
        if (other != p) SetParameterFromGUI2(other, 0.0);
      RedrawParamControls();
      break;
    case kParamManagerApplyName:
      if (released && GetParam(kParamManagerEditMode5)->Bool()) ApplyNameAndCategory();
      break;
    case kParamManagerBrowserList:
    {
      const int row = static_cast<int>(value + 0.001);
      // The click may open a folder or a message box; the handler takes the
      // mutex itself, and a database list comes as a job.
      BASE_MutexRelease release(GetMutex());
      OnProgramBrowserClick(row);
      break;
    }
    case kParamManagerMatrix:
      // Location 0 and the cell past 99 are no locations.
      if (value >= kBankFirstLocation && value < kBankLastLocation + 1) RemoveOrOverwritePrograms(value);
      break;
    case kParamManagerScroll:
      ScrollBrowser();
      break;
    case kParamManagerPlayNote:
    {
      IMidiMsg msg;
      if (value > 0)
        msg.MakeNoteOnMsg(kTestNote, kTestVelocity, 0, KbdMidiChannel());
      else
        msg.MakeNoteOffMsg(kTestNote, 0, KbdMidiChannel());
      PassToSynth(msg);
      break;
    }
    case kParamManagerLocalFolder:
    {
      if (!released) break;
      const std::string folder = AskForFolder(ProgramFolder());
      if (!folder.empty()) ListDirectory(folder);
      // A cancelled chooser closes the choice too: nothing else in the
      // manager closes it, and it would stay over the bank buttons.
      CloseSubPanels();
      break;
    }
    case kParamManagerDatabase:
      if (released) OnDatabaseButton();
      break;
    case kParamManagerLogIn:
      if (released) LogIn();
      break;
    case kParamManagerRemember:
      OnRemember(!released);
      break;
    default:
      break;
  }
  return false;
}

// ---- the browser ----

void ZephraEditor::ShowBrowserSelection()
{
  const std::vector<DatabaseListRecord>& list = BrowserRecords();
  const size_t first = static_cast<size_t>(FirstVisibleRecord());
  for (size_t row = 0; row < static_cast<size_t>(kBrowserRows) && first + row < list.size(); ++row)
    Manager().SetBrowserRowSelected(static_cast<int>(row), list[first + row].selected != 0);
}

void ZephraEditor::OnBrowserSelection(int p)
{
  std::vector<DatabaseListRecord>& list = BrowserRecords();
  if (p == kParamManagerSelectDisk)
  {
    Manager().ShowFolderPanel(true);
    EmptyBrowser();
    Panels().HideParamControl(kParamManagerScroll, true);
    return;
  }
  for (DatabaseListRecord& record : list)
  {
    if (!record.program) continue;
    if (p == kParamManagerSelectAll)
      record.selected = 1;
    else if (p == kParamManagerUnselectAll)
      record.selected = 0;
    else
      record.selected = record.selected ? 0 : 1;
  }
  ShowBrowserSelection();
  ForgetBrowserAnchor();
}

void ZephraEditor::EmptyBrowser()
{
  BrowserRecords().clear();
  for (int row = 0; row < kBrowserRows; ++row)
  {
    Manager().SetBrowserRow(row, "", false);
    Manager().SetBrowserRowSelected(row, false);
  }
}

void ZephraEditor::ScrollBrowser()
{
  const std::vector<DatabaseListRecord>& list = BrowserRecords();
  const size_t first = static_cast<size_t>(FirstVisibleRecord());
  const size_t rows = std::min(static_cast<size_t>(kBrowserRows), list.size());
  for (size_t row = 0; row < rows; ++row)
  {
    const int r = static_cast<int>(row);
    if (first + row >= list.size())
    {
      Manager().SetBrowserRow(r, "", true);
      Manager().SetBrowserRowSelected(r, false);
      continue;
    }
    const DatabaseListRecord& record = list[first + row];
    const std::string text = record.program ? record.name : "[" + std::string(record.name) + "]";
    Manager().SetBrowserRow(r, Utf8Prefix(text, kBrowserRowChars).c_str(), true);
    Manager().SetBrowserRowSelected(r, record.selected != 0);
  }
}

// ---- the bank ----

bool ZephraEditor::BankHoldsProgram()
{
  return Bank().AnyProgram();
}

void ZephraEditor::ClearBankSelection()
{
  Bank().ClearRowSelections();
  for (int n = kBankFirstLocation; n <= kBankLastLocation; ++n) Manager().SetRowChecked(n, false);
}

void ZephraEditor::ResetBank()
{
  Bank().Clear();
  for (int n = kBankFirstLocation; n <= kBankLastLocation; ++n)
  {
    Manager().SetRowChecked(n, false);
    Manager().SetRowCell(n, 0.0);
    Manager().SetRowText(n, "");
  }
  Manager().SetNameField("");
}

void ZephraEditor::MarkBankSaved(const std::string& folder)
{
  mBankSaved = true;
  mBankFolder = folder;
  mSavedRevision = Bank().Revision();
}

bool ZephraEditor::BankUnsaved()
{
  BASE_MutexLock lock(GetMutex());
  return BankHoldsProgram() && (!mBankSaved || Bank().Revision() != mSavedRevision);
}

bool ZephraEditor::SaveBankBeforeQuit()
{
  BASE_MutexLock lock(GetMutex());
  const std::string folder = AskForFolder(ProgramFolder());
  if (folder.empty() || !MaySaveInto(folder) || !SaveBankToDisk(folder)) return false;
  MarkBankSaved(folder);
  return true;
}

bool ZephraEditor::Confirm(const char* text)
{
  return AskUser(text, "Warning", kYesNoType) == kAnswerYes;
}

void ZephraEditor::SendSelectionToBank()
{
  BankList& bank = Bank();
  const int firstSelected = bank.FirstSelectedRow();
  int location = firstSelected >= kBankFirstLocation ? firstSelected : kBankFirstLocation;
  std::string folder = BrowserFolder();
  if (folder != "/") folder += "/";
  for (const DatabaseListRecord& record : BrowserRecords())
  {
    if (!record.program || !record.selected) continue;
    int k = location;
    while (k <= kBankLastLocation && !bank[k].empty) ++k;
    if (k > kBankLastLocation) continue;
    int32_t category = kCategoryNone;
    std::string name;
    BankNameOfFile(record.name, category, name);
    const std::string path = record.remote ? std::string(record.link) : folder + record.name;
    if (!bank.SetProgram(k, path, category, name)) continue;
    bank[k].selected = 0;
    mBankSaved = false;
    Manager().SetRowCell(k, category / 6.0);
    Manager().SetRowText(k, bank[k].display);
    location = k;
  }
  SetParameterFromGUI2(kParamManagerUnselectAll, 0.0);
  ClearBankSelection();
}

bool ZephraEditor::OnBankButton(int p)
{
  const bool holds = BankHoldsProgram();
  switch (p)
  {
    case kParamManagerNewBank:
      if (!holds || !Confirm(kRemoveBankText)) return true;
      mBankSaved = false;
      RemoveCacheFolder();
      ResetBank();
      return true;
    case kParamManagerLoadFromDisk:
    {
      if (holds && !Confirm(kRemoveBankText)) return true;
      const std::string folder = AskForFolder(ProgramFolder());
      if (folder.empty()) return true;
      if (LoadBankListFromFolder(folder))
        MarkBankSaved(folder);
      else
        mBankSaved = false;
      mBankFolder = folder;
      Manager().SetNameField("");
      return true;
    }
    case kParamManagerDownloadAll:
      // Refused before the question: a running transfer must not cost the bank.
      if (RefusedWhileBusy(TransferRunning())) return false;
      if (holds)
      {
        if (!Confirm(kRemoveBankText)) return false;
        ResetBank();
      }
      // The question let go of the mutex: a transfer begun meanwhile keeps the synth.
      if (TransferRunning()) return false;
      StartSaveAllFromSynth(true);
      ClearBankSelection();
      return true;
    case kParamManagerSaveToDisk:
    {
      if (!holds) return true;
      const std::string folder = AskForFolder(ProgramFolder());
      if (folder.empty() || !MaySaveInto(folder)) return true;
      // Database entries are downloaded first, off this thread.
      AfterBankDownloads(false, [this, folder] {
        // A failed export has said so; the bank is not in that folder.
        if (!SaveBankToDisk(folder)) return;
        BASE_MutexLock lock(GetMutex());
        MarkBankSaved(folder);
        // The file list shows the folder just written, not the one before.
        ListDirectory(folder);
        FlagFinished();
      });
      return true;
    }
    case kParamManagerUpload:
    {
      if (!holds) return true;
      // Without a server there is no page to upload to: say so before
      // asking for a folder to save into.
      ProgramDatabase database = Database();
      if (!DatabaseOrSay(database)) return true;
      const auto showUploadPage = [this] {
        char text[400];
        snprintf(text, sizeof text, kUploadFolderText, mBankFolder.c_str());
        AskUser(text, "Warning", kOkType);
        ProgramDatabase database = Database();
        // A page that cannot be opened is told, now or when the opener ends.
        if (DatabaseOrSay(database)) (void)OpenWithDesktop("https://" + database.Server() + kUploadPage);
      };
      if (mBankSaved)
      {
        showUploadPage();
        return true;
      }
      if (AskUser(kSaveFirstText, "Warning", kOkCancelType) != kAnswerYes) return true;
      const std::string folder = AskForFolder(ProgramFolder());
      if (folder.empty() || !MaySaveInto(folder)) return true;
      // Database entries are downloaded first, off this thread.
      AfterBankDownloads(false, [this, folder, showUploadPage] {
        // A failed export has said so: the bank is still not saved.
        if (!SaveBankToDisk(folder)) return;
        MarkBankSaved(folder);
        showUploadPage();
      });
      return true;
    }
    case kParamManagerWriteBank:
      if (holds && Confirm(kOverwriteSynthText)) WriteBankToSynth();
      return true;
    default:
      return true;
  }
}

void ZephraEditor::WriteBankToSynth()
{
  if (CachePath().empty()) SetCachePath();
  (void)mkdir(CachePath().c_str(), 0755);
  const bool selectedOnly = Bank().FirstSelectedRow() >= kBankFirstLocation && Confirm(kSelectedOnlyText);
  // Database entries are downloaded first, off this thread.
  AfterBankDownloads(selectedOnly, [this, selectedOnly] { WriteBankToSynth(selectedOnly); });
}

void ZephraEditor::WriteBankToSynth(bool selectedOnly)
{
  if (selectedOnly)
  {
    const std::string selected = CachePath() + "selected/";
    if (!ExportBankList(selected)) return;
    ScanProgramFolder(selected.c_str());
    Bank().ClearRowSelections();
    WriteAllProgramsToSynth(selected.c_str());
    return;
  }
  const std::string cache = CachePath();
  if (!ExportBankListToFolder(cache, true, 0) || !SaveBankListToFolder(cache)) return;
  ScanProgramFolder(cache.c_str());
  Bank().ClearRowSelections();
  WriteAllProgramsToSynth(cache.c_str());
}

void ZephraEditor::OnRowEditMode(int p, bool ticked)
{
  int mode = 0;
  for (const EditModeBox& box : kEditModeBoxes)
    if (box.param == p) mode = box.mode;
  if (ticked)
  {
    mRowEditMode = mode;
    for (const EditModeBox& box : kEditModeBoxes)
      if (box.param != p) SetParameterFromGUI2(box.param, 0.0);
    Panels().HideParamControl(kParamManagerPlayNote, true);
    if (p == kParamManagerEditMode5) ClearBankSelection();
    Manager().SetNameField("");
    RedrawParamControls();
    return;
  }
  if (mRowEditMode != mode) return;
  mRowEditMode = 0;
  Panels().HideParamControl(kParamManagerPlayNote, false);
  Panels().GrayOutParamControl(kParamManagerPlayNote, true);
  ClearBankSelection();
  if (p == kParamManagerEditMode5) Manager().SetNameField("");
}

void ZephraEditor::ApplyNameAndCategory()
{
  int32_t category = kCategoryNone;
  for (int box = kParamManagerCategory2; box <= kParamManagerCategory6; ++box)
    if (GetParam(box)->Bool()) category = kCategoryBass + (box - kParamManagerCategory2);
  BankList& bank = Bank();
  int changed = 0, only = 0;
  for (int n = kBankFirstLocation; n <= kBankLastLocation; ++n)
  {
    if (bank[n].empty || !bank[n].selected) continue;
    bank[n].category = category;
    Manager().SetRowCell(n, category / 6.0);
    ++changed;
    only = n;
  }
  if (changed == 1 && bank.SetName(only, Manager().NameField())) Manager().SetRowText(only, bank[only].display);
  mBankSaved = false;
}

// ---- the database and the login ----

void ZephraEditor::CloseSubPanels()
{
  Manager().ShowLoginPanel(false);
  Manager().ShowFolderPanel(false);
}

std::string ZephraEditor::UserFilePath() const
{
  const std::string& settings = SettingsPath();
  return settings.substr(0, settings.rfind('/') + 1) + kUserFileName;
}

void ZephraEditor::OnDatabaseButton()
{
  if (mLoggedIn)
  {
    CloseSubPanels();
    EmptyBrowser();
    BASE_MutexRelease release(GetMutex());
    FetchDatabaseCategories();
    return;
  }
  Manager().ShowLoginPanel(true);
  if (!GetParam(kParamManagerRemember)->Bool()) return;
  char user[257] = {};
  GetPrivateProfileString(Setting::kDatabaseUser.section, Setting::kDatabaseUser.key, "", user, sizeof user, SettingsPath().c_str());
  if (user[0]) Manager().SetUserField(user);
  std::string password;
  if (ReadUserFile(UserFilePath(), password)) Manager().SetPasswordField(password.c_str());
}

void ZephraEditor::LogIn()
{
  const std::string user = FieldText(Manager().UserField(), kLoginFieldChars);
  const std::string password = FieldText(Manager().PasswordField(), kLoginFieldChars);
  ProgramDatabase database = Database();
  if (!DatabaseOrSay(database))
  {
    Manager().ShowLoginPanel(false);
    return;
  }
  // The login waits on the network as a database job; the rest follows on
  // this thread once the answer is in.
  PostDatabaseJob([this, database, user, password](const std::atomic<bool>& cancelled) mutable {
    database.SetCancel(&cancelled);
    const bool accepted = database.Login(user, password);
    return DatabaseJobs::Apply([this, accepted, user, password] { FinishLogIn(accepted, user, password); });
  });
}

void ZephraEditor::FinishLogIn(bool accepted, const std::string& user, const std::string& password)
{
  mLoggedIn = accepted;
  if (!mLoggedIn)
  {
    AskUser(kLoginErrorText, "Login Error", kOkType);
    Manager().ShowLoginPanel(false);
    return;
  }
  if (GetParam(kParamManagerRemember)->Bool())
  {
    WritePrivateProfileString(Setting::kDatabaseUser.section, Setting::kDatabaseUser.key, user.c_str(), SettingsPath().c_str());
    // A password the file cannot hold is not remembered, nor is an older one.
    if (!WriteUserFile(UserFilePath(), password)) unlink(UserFilePath().c_str());
  }
  CloseSubPanels();
  EmptyBrowser();
  BASE_MutexRelease release(GetMutex());
  FetchDatabaseCategories();
}

void ZephraEditor::OnRemember(bool ticked)
{
  WritePrivateProfileString(Setting::kDatabaseMemo.section, Setting::kDatabaseMemo.key, ticked ? "true" : "false", SettingsPath().c_str());
  if (ticked) return;
  WritePrivateProfileString(Setting::kDatabaseUser.section, Setting::kDatabaseUser.key, "", SettingsPath().c_str());
  unlink(UserFilePath().c_str());
  Manager().SetUserField("");
  Manager().SetPasswordField("");
}
