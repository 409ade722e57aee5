// The program manager's mouse: selecting bank rows and running the row-edit
// operations on them, and the program browser -- selecting records,
// dragging them onto a bank row, opening folders and loading programs.
#include "synth/ZephraModel.h"

#include "core/BASE_Mutex.h"
#include "synth/ProgramFile.h"
#include "synth/ZephraParams.h"

#include <algorithm>

namespace
{
constexpr int kOkType = 0;
constexpr int kYesNoType = 4;
// The GUI's boxes answer 1 for their first button, Yes here.
constexpr int kAnswerYes = 1;
constexpr int kBrowserRows = 47;
constexpr const char* kRemoveQuestion = "This operation will remove the selected Program(s).\nDo you wish to continue?";
constexpr const char* kOverwriteQuestion =
  "This operation will overwrite the destination Program(s).\nDo you wish to continue?";
constexpr const char* kNoServerText =
  "No program-database server is set.\nName one as server= in the [dbase] section of settings.ini.";

std::string InFolder(const std::string& folder, const std::string& name)
{
  return folder == "/" ? "/" + name : folder + "/" + name;
}

std::string ParentFolder(const std::string& folder)
{
  const size_t slash = folder.rfind('/');
  if (slash == std::string::npos) return folder;
  return slash == 0 ? "/" : folder.substr(0, slash);
}
}  // namespace

void ZephraModel::ShowBankChecks(int lit)
{
  for (int n = kBankFirstLocation; n <= kBankLastLocation; ++n)
    Manager().SetRowChecked(n, mBankList[n].selected != 0 || n == lit);
}

// ---- the bank list ----

void ZephraModel::RemoveOrOverwritePrograms(double rowValue)
{
  // Cell 0 has no tile and the matrix's range ends at cell 100: neither is
  // a location.
  const int location = static_cast<int>(rowValue + 0.001);
  if (location <= 0 || location > kBankLastLocation) return;
  BASE_MutexLock lock(GetMutex());
  const ListMouseEvent mouse = Manager().BankMouse();
  const bool operating = GetParam(kParamManagerEditMode1)->Bool() || GetParam(kParamManagerEditMode2)->Bool() ||
                         GetParam(kParamManagerEditMode3)->Bool() || GetParam(kParamManagerEditMode4)->Bool() ||
                         GetParam(kParamManagerEditMode5)->Bool();
  BankEntry& entry = mBankList[location];
  if (mouse.kind == ListMouseEvent::kDown)
  {
    if (mouse.modifier == ListMouseEvent::kCommand)
    {
      entry.selected = entry.selected ? 0 : 1;
      Manager().SetRowChecked(location, entry.selected != 0);
    }
    else if (mouse.modifier == ListMouseEvent::kShift)
    {
      const int first = mBankList.FirstSelectedRow();
      if (first < 0)
        entry.selected = 1;
      else
      {
        const int low = std::min(first, location), high = std::max(first, location);
        for (int n = kBankFirstLocation; n <= kBankLastLocation; ++n)
          mBankList[n].selected = n >= low && n <= high ? 1 : 0;
      }
      ShowBankChecks(0);
    }
    else if (!entry.selected || (!operating && mBankList.SelectedCount() == kBankLastLocation))
    {
      mBankList.SelectOnly(location);
      ShowBankChecks(0);
    }
    if (!operating) Manager().SetPlayNoteEnabled(false);
    return;
  }
  if (!operating)
  {
    if (mouse.kind != ListMouseEvent::kDoubleClick || mouse.modifier != ListMouseEvent::kNone) return;
    if (!entry.selected)
    {
      mBankList.SelectOnly(location);
      ShowBankChecks(0);
    }
    Manager().SetPlayNoteEnabled(true);
    if (entry.empty) return;
    mLastNrpnIndex = kNrpnNoneSent;
    GetParam(kParamManagerUnselectAll)->SetPlain(0);
    const std::string path = entry.path;
    // A database entry loads once its download is in, off this thread.
    if (IsDatabaseAddress(path))
      LoadRemoteProgram(path, location);
    else
      LoadAndSendProgram(path);
    return;
  }
  const int first = mBankList.FirstSelectedRow();
  if (mouse.kind == ListMouseEvent::kDrag && mouse.modifier == ListMouseEvent::kNone)
  {
    if (!GetParam(kParamManagerEditMode2)->Bool() && !GetParam(kParamManagerEditMode3)->Bool() &&
        !GetParam(kParamManagerEditMode4)->Bool())
      return;
    // Preview where the selection would go.
    ShowBankChecks(0);
    for (int n = kBankFirstLocation; n <= kBankLastLocation && first > 0; ++n)
      if (mBankList[n].selected && location + n - first <= kBankLastLocation)
        Manager().SetRowChecked(location + n - first, true);
    return;
  }
  if (mouse.kind != ListMouseEvent::kUp) return;
  if (mouse.modifier != ListMouseEvent::kNone)
  {
    if (!GetParam(kParamManagerEditMode5)->Bool()) return;
    const bool one = mBankList.SelectedCount() == 1;
    Manager().SetNameField(one ? Utf8Prefix(mBankList[first].name, kBankNameFieldChars).c_str() : "");
    return;
  }
  RunBankOperations(location);
}

void ZephraModel::RunBankOperations(int location)
{
  const int first = mBankList.FirstSelectedRow();
  const bool confirm = GetParam(kParamManagerConfirm)->Bool();
  // Some selected program would land on one already there.
  bool overwrites = false;
  for (int n = kBankFirstLocation; n <= kBankLastLocation && first > 0; ++n)
  {
    const int target = location + n - first;
    if (mBankList[n].selected && !mBankList[n].empty && target <= kBankLastLocation && !mBankList[target].empty)
      overwrites = true;
  }
  auto redraw = [this](const std::vector<int>& rows) {
    for (int row : rows) RefreshBankRow(row);
  };
  if (GetParam(kParamManagerEditMode1)->Bool() && !(confirm && mBankList[location].empty) &&
      (!confirm || AskUser(kRemoveQuestion, "Warning", kYesNoType) == kAnswerYes))
  {
    redraw(mBankList.RemoveSelectedPrograms());
    mBankList.ClearRowSelections();
  }
  const bool moveOrCopy = GetParam(kParamManagerEditMode2)->Bool() || GetParam(kParamManagerEditMode3)->Bool();
  if (moveOrCopy && first > 0 && location != first &&
      (!confirm || !overwrites || AskUser(kOverwriteQuestion, "Warning", kYesNoType) == kAnswerYes))
  {
    if (GetParam(kParamManagerEditMode2)->Bool())
      redraw(mBankList.MoveProgramEntries(location));
    else
      redraw(mBankList.CopyProgramEntries(location));
  }
  if (GetParam(kParamManagerEditMode4)->Bool() && first > 0 && location != first)
    redraw(mBankList.ExchangeProgramEntries(location));
  if (GetParam(kParamManagerEditMode5)->Bool()) ShowProgramEntry(location);
  ShowBankChecks(0);
}

void ZephraModel::ShowProgramEntry(int location)
{
  const BankEntry& shown = mBankList[location];
  if (!shown.selected) return;
  // The boxes are a radio group: the entry's category alone ticked, none
  // for a program without one. Other values leave them as they are.
  if (shown.category >= kCategoryNone && shown.category <= kCategoryEwi)
    for (int category = kCategoryBass; category <= kCategoryEwi; ++category)
      SetParamShown(kParamManagerCategory2 + category - kCategoryBass, shown.category == category ? 1 : 0);
  const bool one = mBankList.SelectedCount() == 1;
  Manager().SetNameField(one ? Utf8Prefix(shown.name, kBankNameFieldChars).c_str() : "");
}

// ---- the browser ----

void ZephraModel::ShowBrowserRows()
{
  const int scroll = FirstVisibleRecord();
  for (int r = 0; r < kBrowserRows; ++r)
  {
    const size_t record = static_cast<size_t>(scroll + r);
    Manager().SetBrowserRowSelected(r, record < mBrowserList.size() && mBrowserList[record].selected);
  }
}

void ZephraModel::OnProgramBrowserClick(int row)
{
  std::string link;
  bool opensCategory = false;
  {
    BASE_MutexLock lock(GetMutex());
    if (!BrowserClick(row, link, opensCategory)) return;
  }
  // The list comes as a database job; this thread goes on at once.
  ShowDatabaseRecord(link, opensCategory);
}

bool ZephraModel::BrowserClick(int row, std::string& link, bool& opensCategory)
{
  const ListMouseEvent mouse = Manager().BrowserMouse();
  // A drag and its drop happen over the bank, where no browser row is.
  if (mouse.kind == ListMouseEvent::kDrag || mouse.kind == ListMouseEvent::kUp)
  {
    DropOnBank(mouse);
    return false;
  }
  if (row < 0 || row >= std::min(static_cast<int>(mBrowserList.size()), kBrowserRows)) return false;
  const int index = FirstVisibleRecord() + row;
  if (index < 0 || index >= static_cast<int>(mBrowserList.size())) return false;
  DatabaseListRecord& record = mBrowserList[static_cast<size_t>(index)];
  switch (mouse.kind)
  {
    case ListMouseEvent::kDown:
    {
      if (!record.program) return false;
      if (mouse.modifier == ListMouseEvent::kCommand)
      {
        record.selected = record.selected ? 0 : 1;
        mBrowserAnchor = -1;
      }
      else if (mouse.modifier == ListMouseEvent::kShift && mBrowserAnchor >= 0)
      {
        const int low = std::min(mBrowserAnchor, index), high = std::max(mBrowserAnchor, index);
        for (int n = low; n <= high; ++n)
          if (mBrowserList[static_cast<size_t>(n)].program) mBrowserList[static_cast<size_t>(n)].selected = 1;
      }
      else if (!record.selected || mouse.modifier == ListMouseEvent::kShift)
      {
        for (DatabaseListRecord& other : mBrowserList) other.selected = 0;
        record.selected = 1;
        mBrowserAnchor = index;
      }
      ShowBrowserRows();
      Manager().SetPlayNoteEnabled(false);
      return false;
    }
    case ListMouseEvent::kDrag:
    case ListMouseEvent::kUp:
      return false;
    case ListMouseEvent::kDoubleClick:
      break;
  }
  if (!record.program && record.remote)
  {
    link = record.link;
    opensCategory = record.opensCategory != 0;
    return true;
  }
  if (!record.program)
  {
    const std::string name = record.name;
    ListDirectory(name == ".." ? ParentFolder(mBrowserFolder) : InFolder(mBrowserFolder, name));
    return false;
  }
  mBankList.ClearRowSelections();
  ShowBankChecks(0);
  Manager().SetPlayNoteEnabled(true);
  mLastNrpnIndex = kNrpnNoneSent;
  const std::string path = record.remote ? std::string(record.link) : InFolder(mBrowserFolder, record.name);
  if (IsDatabaseAddress(path))
    LoadRemoteProgram(path, 0);
  else
    LoadAndSendProgram(path);
  return false;
}

void ZephraModel::DropOnBank(const ListMouseEvent& mouse)
{
  const int target = BankDropLocation(mouse.x, mouse.y);
  if (target == 0)
  {
    if (mouse.kind == ListMouseEvent::kUp) ShowBankChecks(0);
    return;
  }
  if (mouse.kind == ListMouseEvent::kDrag)
  {
    ShowBankChecks(target);
    return;
  }
  // The drop: the target becomes the only selected row, and the panel's
  // assign step places the dragged records from there.
  mBankList.SelectOnly(target);
  ShowBankChecks(0);
  SetParameterFromGUI2(kParamManagerSendToBank, 0);
}

// ---- loading ----

bool ZephraModel::DatabaseOrSay(ProgramDatabase& database)
{
  if (database.HasServer()) return true;
  AskUser(kNoServerText, "Error", kOkType);
  return false;
}

void ZephraModel::LoadAndSendProgram(const std::string& path)
{
  if (LoadProgramFile(path.c_str()) == ProgramFileError::kNone) SendProgramToSynth();
}

void ZephraModel::LoadAndSendKeepingUndo(const std::string& path)
{
  BASE_MutexLock lock(GetMutex());
  // The sound as it stands, with every step that led to it.
  ParamsToUndoRecord();
  ZephraUndoStore kept = mUndo;
  if (kept.Count() == 0 || kept.Current() != kept.Record()) kept.Push();
  if (LoadProgramFile(path.c_str()) != ProgramFileError::kNone) return;
  SendProgramToSynth();
  // Loading left the new program as the only step: it goes after the kept
  // ones instead.
  kept.Record() = mUndo.Current();
  kept.Push();
  kept.EndGroup();
  mUndo = std::move(kept);
}

void ZephraModel::FetchDatabaseCategories()
{
  // The list belongs to the program manager's browser.
  if (!mManagerMode) return;
  ShowDatabaseRecord("..", false);
}
