// The program manager shown and put away by the menu (commands 33 and 32):
// what the panels show on each side of the change. Opening lists the
// program folder in the browser with the current file picked out; closing
// loads and sends the program of the selected bank location, or the file
// that was current when the manager opened.
#include "editor/ZephraEditor.h"
#include "editor/ZephraManagerPanel.h"
#include "editor/ZephraPanels.h"

#include "core/BASE_Mutex.h"
#include "graphics/IGraphics.h"
#include "graphics/controls/IUserTextControl.h"
#include "synth/ProgramFile.h"

#include <string>

namespace
{
// The remembered file needs a folder and a name to be worth loading.
constexpr size_t kShortestRememberedFile = 5;
}  // namespace

void ZephraEditor::SetSelectorsTo(const std::string& path)
{
  Panels().SetProgramSelectorsFile(path.c_str());
}

void ZephraEditor::ShowManager()
{
  if (ManagerMode()) return;
  SetManagerMode(true);
  HideManager(false);
  const std::vector<DatabaseListRecord>& browser = BrowserList();
  if (!browser.empty() && (browser.front().remote || FolderFileCount() < 1))
  {
    // The browser keeps what it lists (the database's, or a folder other
    // than the program's), with nothing picked.
    SetParameterFromGUI2(kParamManagerUnselectAll, 0.0);
    if (IGraphics* gui = dynamic_cast<IGraphics*>(GetGUI())) gui->GrayOutControl(kParamManagerPlayNote, true);
    return;
  }
  const std::string folder = ProgramFolder();
  ListDirectory(folder);
  const std::string current =
      FolderFileIndex() < static_cast<int>(FolderFiles().size()) ? FolderFiles()[FolderFileIndex()] : std::string();
  std::vector<DatabaseListRecord>& records = BrowserRecords();
  for (size_t r = 0; r < records.size(); ++r)
  {
    if (current.empty() || current != records[r].name) continue;
    records[r].selected = 1;
    if (r < static_cast<size_t>(kManagerBrowserRows)) Manager().SetBrowserRowSelected(static_cast<int>(r), true);
    mRememberedFile = folder + records[r].name;
    mRememberedFolder = folder;
    break;
  }
  ClearBankSelection();
}

void ZephraEditor::PutManagerAway()
{
  if (!ManagerMode() || TransferRunning() || BankWriteRunning()) return;
  SetManagerMode(false);
  HideManager(true);
  BankList& bank = Bank();
  int first = 0;
  for (int n = kBankFirstLocation; n <= kBankLastLocation && !first; ++n)
    if (!bank[n].empty) first = n;
  const int selected = bank.FirstSelectedRow();
  if (first && selected >= kBankFirstLocation)
  {
    int location = first;
    if (!bank[selected].empty)
    {
      // The selected program is made a file of its own, which the
      // selectors and the file steps then point at.
      (void)ExportBankListToFolder(CachePath(), true, selected);
      location = selected;
    }
    mLastNrpnIndex = kNrpnNoneSent;
    const std::string path = bank[location].path;
    // The selector keeps its folder apart from its file: compare whole
    // paths, or a program already in the editor is loaded over its edits.
    if (SelectedPath(SkinRef::kSaveSelector) == path) return;
    SetSelectorsTo(path);
    const std::string name = std::string(bank[location].name) + ".pr3";
    LoadAndSendKeepingUndo(path);
    SetOnlyFolderFile(name);
    return;
  }
  if (!first && mRememberedFile.size() < kShortestRememberedFile) return;
  if (mRememberedFile.empty()) return;
  // Back to the file that was current when the manager opened.
  mLastNrpnIndex = kNrpnNoneSent;
  ScanProgramFolder(mRememberedFile.c_str());
  SetSelectorsTo(mRememberedFile);
  LoadAndSendKeepingUndo(mRememberedFile);
}
