// The program-manager overlay as data: one table in attach order (the attach
// order is the drawing order, so the sub-panels lie over the buttons they
// cover and each tile over its highlight), walked once by Build.
#include "editor/ZephraManagerPanel.h"
#include "core/SettingsNames.h"

#include "editor/ZephraEditor.h"
#include "editor/ZephraPanels.h"

#include "core/BASE_String.h"
#include "core/IParam.h"
#include "graphics/IGraphics.h"
#include "graphics/controls/IBitmapControl.h"
#include "graphics/controls/IFaderControl.h"
#include "graphics/controls/IInvisibleSelectControl.h"
#include "graphics/controls/ISwitchControl.h"
#include "graphics/controls/ITextControl.h"
#include "graphics/controls/IUserTextControl.h"
#include "synth/ZephraParams.h"
#include "editor/art/ArtTable.h"
#include "winl/ini/WINL_Ini.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr int kCheckbox = 324;
constexpr int kTileImage = 313;
constexpr int kHighlightImage = 314;
constexpr int kColumnStep = 82;

using K = ManagerKind;
using R = ManagerRef;

const ManagerRow kManagerRows[] = {
  {K::kPlate, -1, 301, 0, 0, 0, 0, R::kBackground},
  {K::kContact, kParamManagerSelectDisk, 302, 22, 35, 0, 0, R::kNone},
  {K::kContact, kParamManagerNewBank, 310, 324, 35, 0, 0, R::kNone},
  {K::kContact, kParamManagerSaveToDisk, 309, 493, 35, 0, 0, R::kNone},
  {K::kContact, kParamManagerSelectAll, 303, 84, 35, 0, 0, R::kNone},
  {K::kContact, kParamManagerUnselectAll, 304, 84, 64, 0, 0, R::kNone},
  {K::kContact, kParamManagerInvertSelection, 312, 188, 35, 0, 0, R::kNone},
  {K::kContact, kParamManagerSendToBank, 308, 188, 64, 0, 0, R::kNone},
  {K::kContact, kParamManagerLoadFromDisk, 311, 387, 35, 0, 0, R::kNone},
  {K::kContact, kParamManagerDownloadAll, 306, 387, 64, 0, 0, R::kNone},
  {K::kContact, kParamManagerUpload, 307, 557, 35, 0, 0, R::kNone},
  {K::kContact, kParamManagerWriteBank, 305, 557, 64, 0, 0, R::kNone},
  {K::kContact, kParamManagerApplyName, 315, 942, 64, 0, 0, R::kNone},
  {K::kPlate, -1, 323, 0, 0, 0, 0, R::kFolderBackground},
  {K::kContact, kParamManagerLocalFolder, 319, 22, 35, 0, 0, R::kNone},
  {K::kContact, kParamManagerDatabase, 320, 162, 35, 0, 0, R::kNone},
  {K::kPlate, -1, 322, 0, 0, 0, 0, R::kLoginBackground},
  {K::kContact, kParamManagerLogIn, 321, 115, 70, 0, 0, R::kNone},
  {K::kField, -1, 0, 68, 21, 258, 37, R::kUserField},
  {K::kField, -1, 0, 68, 45, 258, 61, R::kPasswordField},
  {K::kSwitch, kParamManagerRemember, kCheckbox, 226, 74, 0, 0, R::kNone},
  {K::kCloseSubPanels, -1, 0, 0, 0, 0, 0, R::kNone},
  {K::kSwitch, kParamManagerEditMode1, kCheckbox, 668, 70, 0, 0, R::kNone},
  {K::kSwitch, kParamManagerEditMode2, kCheckbox, 668, 31, 0, 0, R::kNone},
  {K::kSwitch, kParamManagerEditMode3, kCheckbox, 668, 57, 0, 0, R::kNone},
  {K::kSwitch, kParamManagerEditMode4, kCheckbox, 668, 44, 0, 0, R::kNone},
  {K::kSwitch, kParamManagerEditMode5, kCheckbox, 668, 83, 0, 0, R::kNone},
  {K::kSwitch, kParamManagerConfirm, kCheckbox, 736, 83, 0, 0, R::kNone},
  {K::kSwitch, kParamManagerCategory2, kCheckbox, 826, 31, 0, 0, R::kNone},
  {K::kSwitch, kParamManagerCategory3, kCheckbox, 826, 44, 0, 0, R::kNone},
  {K::kSwitch, kParamManagerCategory4, kCheckbox, 826, 57, 0, 0, R::kNone},
  {K::kSwitch, kParamManagerCategory5, kCheckbox, 826, 70, 0, 0, R::kNone},
  {K::kSwitch, kParamManagerCategory6, kCheckbox, 826, 83, 0, 0, R::kNone},
  {K::kBrowserRows, -1, 0, 24, 118, 274, 132, R::kNone},
  {K::kBrowserSelect, kParamManagerBrowserList, 0, 24, 118, 274, 776, R::kNone},
  {K::kScrollFader, kParamManagerScroll, 318, 276, 116, 660, 0, R::kNone},
  {K::kLocations, -1, kTileImage, 308, 108, 0, 0, R::kNone},
  {K::kField, -1, 0, 880, 37, 1100, 53, R::kRenameField},
  {K::kMatrix, kParamManagerMatrix, 0, 308, 108, 1120, 788, R::kNone},
  {K::kContact, kParamManagerPlayNote, 317, 317, 112, 0, 0, R::kNone},
};

// Every control bound to a parameter that the overlay shows and hides as a
// whole; the sub-panels' own are left to their panels.
const int kOverlayParams[] = {
  kParamManagerSelectDisk,  kParamManagerNewBank,       kParamManagerSaveToDisk,   kParamManagerSelectAll,
  kParamManagerUnselectAll, kParamManagerInvertSelection, kParamManagerSendToBank, kParamManagerLoadFromDisk,
  kParamManagerDownloadAll, kParamManagerUpload,        kParamManagerWriteBank,    kParamManagerApplyName,
  kParamManagerEditMode1,   kParamManagerEditMode2,     kParamManagerEditMode3,    kParamManagerEditMode4,
  kParamManagerEditMode5,   kParamManagerConfirm,       kParamManagerCategory2,    kParamManagerCategory3,
  kParamManagerCategory4,   kParamManagerCategory5,     kParamManagerCategory6,    kParamManagerScroll,
  kParamManagerPlayNote,
};

const IColor kGrey(255, 200, 200, 200);
const IColor kRed(255, 255, 0, 0);
const IColor kLight(255, 220, 220, 220);

IText Style(const char* face, int size, IColor colour, int align)
{
  IText style;
  std::snprintf(style.mFont, sizeof style.mFont, "%s", face);
  style.mSize = size;
  style.mColor = colour;
  style.mStyle = 1;
  style.mAlign = align;
  return style;
}

// The top of location i's tile: the rows lie 68.5 apart, cut to whole
// pixels, so they are 68 or 69 apart by turns.
int TileY(int top, int i)
{
  return static_cast<int>(top + 68.5 * (i / 10));
}

ListMouseEvent MouseOf(int event, int modifier, int x, int y, double scale)
{
  ListMouseEvent mouse;
  switch (event)
  {
    case kSelectMouseUp: mouse.kind = ListMouseEvent::kUp; break;
    case kSelectMouseDrag: mouse.kind = ListMouseEvent::kDrag; break;
    case kSelectMouseDblClick: mouse.kind = ListMouseEvent::kDoubleClick; break;
    default: mouse.kind = ListMouseEvent::kDown; break;
  }
  mouse.modifier = modifier == kSelectModShift     ? ListMouseEvent::kShift
                   : modifier == kSelectModControl ? ListMouseEvent::kCommand
                                                   : ListMouseEvent::kNone;
  mouse.x = scale > 0 ? x / scale : x;
  mouse.y = scale > 0 ? y / scale : y;
  return mouse;
}

}  // namespace

ZephraManagerPanel::ZephraManagerPanel(ZephraEditor& editor, IGraphics& gui) : mEditor(editor), mGui(gui) {}

int ZephraManagerPanel::LocationOfCell(int cell)
{
  return cell > 0 && cell < kManagerLocations ? cell : 0;
}

void ZephraManagerPanel::Build()
{
  mEditor.GetParam(kParamManagerBrowserList)->InitDouble("", 0, 0, 47, 0.001, "", "", 1.0);
  mEditor.GetParam(kParamManagerScroll)->InitDouble("Scroll", 0, 0, 1, 0.001, "", "", 1.0);
  mEditor.GetParam(kParamManagerMatrix)->InitDouble("", 0, 0, 100, 0.001, "", "", 1.0);

  IUnitBase* plug = &mEditor;
  const auto load = [this](int id) -> IBitmap* {
    const ArtRow* art = id ? ArtFind(id) : nullptr;
    return art ? mGui.LoadIBitmap(id, art->path, art->frames) : nullptr;
  };
  for (const ManagerRow& row : kManagerRows)
  {
    const IRECT rect(row.x, row.y, row.r, row.b);
    IControl* control = nullptr;
    switch (row.kind)
    {
      case K::kPlate: control = new IBitmapControl(plug, row.x, row.y, -1, load(row.bitmap)); break;
      case K::kContact: control = new IContactControl(plug, row.x, row.y, row.param, load(row.bitmap)); break;
      case K::kSwitch: control = new ISwitchControl(plug, row.x, row.y, row.param, load(row.bitmap)); break;
      case K::kField:
      {
        IText style = Style("Arial", 15, IColor(255, 0, 0, 0), 1);
        // The password field takes the text entry's hiding flag and draws
        // one "*" a character.
        if (row.ref == R::kPasswordField) style.mPassword = 1;
        auto* field = new IUserTextControl(plug, rect, &style);
        field->SetSecure(style.mPassword != 0);
        control = field;
        break;
      }
      case K::kCloseSubPanels: CloseSubPanels(); continue;
      case K::kBrowserRows:
      {
        const IText style = Style("Monaco", 12, kGrey, 0);
        for (int i = 0; i < kManagerBrowserRows; ++i)
        {
          mRows[i] = new ITextControl(plug, IRECT(row.x, row.y + 14 * i, row.r, row.b + 14 * i), &style);
          mGui.AttachControl(mRows[i]);
        }
        for (ITextControl* text : mRows) text->SetTextFromPlug("");
        continue;
      }
      case K::kBrowserSelect:
        control = mBrowserSelect = new IInvisibleSelectControl3(plug, rect, row.param, 0);
        break;
      case K::kScrollFader:
        control = new IFaderControl(plug, row.x, row.y, row.r, row.param, load(row.bitmap), 0);
        break;
      case K::kLocations: MakeLocations(row, load(row.bitmap), load(kHighlightImage)); continue;
      case K::kMatrix:
        control = mMatrix = new IInvisibleMatrixSelectControl(plug, rect, row.param);
        mMatrix->SetMatrixSize(10, 10);
        break;
    }
    mGui.AttachControl(control);
    if (row.ref != R::kNone) mRefs[static_cast<int>(row.ref)] = control;
  }
}

void ZephraManagerPanel::MakeLocations(const ManagerRow& row, IBitmap* tile, IBitmap* highlight)
{
  IUnitBase* plug = &mEditor;
  for (int i = 0; i < kManagerLocations; ++i)
  {
    const int x = row.x + kColumnStep * (i % 10), y = TileY(row.y, i);
    mHighlights[i] = new IBitmapControl(plug, x, y, -1, highlight);
    mGui.AttachControl(mHighlights[i]);
    mTiles[i] = new IBitmapControl(plug, x, y, -1, tile);
    mGui.AttachControl(mTiles[i]);
  }
  mHighlights[0]->Hide(true);
  mTiles[0]->Hide(true);
  const IText number = Style("Verdana", 22, kLight, 0);
  const IText name = Style("Monaco", 10, kLight, 1);
  // The captions over all tiles, the number at the tile's top left, the
  // name across its middle.
  for (int i = 0; i < kManagerLocations; ++i)
  {
    const int x = row.x + kColumnStep * (i % 10), y = TileY(row.y, i);
    mNumbers[i] = new ITextControl(plug, IRECT(x + 8, y + 2, x + 48, y + 26), &number);
    mGui.AttachControl(mNumbers[i]);
    mNames[i] = new ITextControl(plug, IRECT(x + 4, y + 23, x + 72, y + 63), &name);
    mGui.AttachControl(mNames[i]);
  }
  mNumbers[0]->Hide(true);
  mNames[0]->Hide(true);
  for (int i = 0; i < kManagerLocations; ++i)
  {
    char text[12];  // room for any int, so the compiler can see nothing is cut
    std::snprintf(text, sizeof text, "%02d", i);
    mNumbers[i]->SetTextFromPlug(text);
    mNames[i]->SetTextFromPlug("");
  }
}

void ZephraManagerPanel::CloseSubPanels()
{
  HideFolderPanel(true);
  HideLoginPanel(true);
  char memo[16] = "";
  GetPrivateProfileString(Setting::kDatabaseMemo.section, Setting::kDatabaseMemo.key, "", memo, sizeof memo, mEditor.SettingsPath().c_str());
  if (std::strcmp(memo, "true") == 0)
    mEditor.SetParameterFromGUI(kParamManagerRemember, 1.0);
  else if (std::strcmp(memo, "false") == 0)
    mEditor.SetParameterFromGUI(kParamManagerRemember, 0.0);
}

void ZephraManagerPanel::Hide(bool hide, bool rowEditMode, size_t browserRecords)
{
  if (!mMatrix) return;
  Ref(R::kBackground)->Hide(hide);
  for (int param : kOverlayParams) mGui.HideControl(param, hide);
  for (ITextControl* row : mRows) row->Hide(hide);
  mBrowserSelect->Hide(hide);
  for (int i = 1; i < kManagerLocations; ++i)
  {
    mHighlights[i]->Hide(hide);
    mTiles[i]->Hide(hide);
    mNumbers[i]->Hide(hide);
    mNames[i]->Hide(hide);
  }
  Ref(R::kRenameField)->Hide(hide);
  mMatrix->Hide(hide);
  if (!hide)
  {
    if (rowEditMode) mGui.HideControl(kParamManagerPlayNote, true);
    if (browserRecords < static_cast<size_t>(kManagerBrowserRows)) mGui.HideControl(kParamManagerScroll, true);
  }
  HideLoginPanel(true);
  HideFolderPanel(true);
}

void ZephraManagerPanel::ShowAsItWas(bool rowEditMode, size_t browserRecords)
{
  const bool login = mLoginShown, folder = mFolderShown;
  Hide(false, rowEditMode, browserRecords);
  if (folder) HideFolderPanel(false);
  if (login) HideLoginPanel(false);
}

void ZephraManagerPanel::HideLoginPanel(bool hide)
{
  mLoginShown = !hide;
  for (R ref : {R::kLoginBackground, R::kUserField, R::kPasswordField})
    if (IControl* control = Ref(ref)) control->Hide(hide);
  mGui.HideControl(kParamManagerLogIn, hide);
  mGui.HideControl(kParamManagerRemember, hide);
}

void ZephraManagerPanel::HideFolderPanel(bool hide)
{
  mFolderShown = !hide;
  if (IControl* background = Ref(R::kFolderBackground)) background->Hide(hide);
  mGui.HideControl(kParamManagerDatabase, hide);
  mGui.HideControl(kParamManagerLocalFolder, hide);
}

// ---- the program library's link ----

ListMouseEvent ZephraManagerPanel::BankMouse()
{
  if (!mMatrix) return {};
  int event = 0, modifier = 0, x = 0, y = 0;
  mMatrix->GetLastMouseEvent(&event);
  mMatrix->GetMouseModifier(&modifier);
  mMatrix->GetMousePosition(&x, &y);
  return MouseOf(event, modifier, x, y, mGui.GetScale());
}

ListMouseEvent ZephraManagerPanel::BrowserMouse()
{
  if (!mBrowserSelect) return {};
  int event = 0, modifier = 0, x = 0, y = 0;
  mBrowserSelect->GetLastMouseEvent(&event);
  mBrowserSelect->GetMouseModifier(&modifier);
  mBrowserSelect->GetMousePosition(&x, &y);
  return MouseOf(event, modifier, x, y, mGui.GetScale());
}

void ZephraManagerPanel::SetRowChecked(int location, bool checked)
{
  if (!Valid(location) || !mHighlights[location]) return;
  mHighlights[location]->SetValueFromPlug(checked ? 1.0 : 0.0);
}

void ZephraManagerPanel::SetRowCell(int location, double value)
{
  if (!Valid(location) || !mTiles[location]) return;
  mTiles[location]->SetValueFromPlug(value);
}

void ZephraManagerPanel::SetRowText(int location, const char* text)
{
  if (!Valid(location) || !mNames[location]) return;
  mNames[location]->SetTextFromPlug(text);
}

void ZephraManagerPanel::SetNameField(const char* text)
{
  SetFieldText(R::kRenameField, text);
}

std::string ZephraManagerPanel::FieldText(ManagerRef ref) const
{
  auto* field = static_cast<IUserTextControl*>(Ref(ref));
  if (!field) return std::string();
  BASE_String text("");
  field->GetText(&text);
  return text.Get();
}

void ZephraManagerPanel::SetFieldText(ManagerRef ref, const char* text)
{
  if (auto* field = static_cast<IUserTextControl*>(Ref(ref))) field->SetText(text);
}

void ZephraManagerPanel::SetBrowserRow(int row, const char* text, bool shown)
{
  if (row < 0 || row >= kManagerBrowserRows || !mRows[row]) return;
  mRows[row]->SetTextFromPlug(shown ? text : "");
  if (!shown) mRows[row]->SetTextColor(kGrey);
}

void ZephraManagerPanel::SetBrowserScroll(int range)
{
  mScrollRange = range > 0 ? range : 0;
  if (!mMatrix) return;
  // The bar shows only with the manager and only with something to scroll.
  mGui.HideControl(kParamManagerScroll, mScrollRange == 0 || mMatrix->IsHidden());
}

void ZephraManagerPanel::SetBrowserRowSelected(int row, bool selected)
{
  if (row < 0 || row >= kManagerBrowserRows || !mRows[row]) return;
  mRows[row]->SetTextColor(selected ? kRed : kGrey);
  // A new colour alone does not make the row draw again.
  mRows[row]->SetDirty(false);
}

void ZephraManagerPanel::SetPlayNoteEnabled(bool enabled)
{
  mGui.GrayOutControl(kParamManagerPlayNote, !enabled);
}

// ---- ZephraEditor: the overlay's build and its showing ----

void ZephraEditor::CreateManagerPanel()
{
  if (!mFace) return;
  mLoggedIn = false;
  mBankSaved = false;
  mRowEditMode = 0;
  const std::string& settings = SettingsPath();

  char manager[16] = "";
  GetPrivateProfileString(Setting::kManager.section, Setting::kManager.key, "", manager, sizeof manager, settings.c_str());
  if (manager[0] == '\0' || std::strcmp(manager, "false") == 0)
    SetManagerMode(false);
  else if (std::strcmp(manager, "true") == 0)
    SetManagerMode(true);

  auto panel = std::make_unique<ZephraManagerPanel>(*this, mFace->Gui());
  mManagerPanel = panel.get();
  SetManagerLink(std::move(panel));
  mManagerPanel->Build();

  for (int n = 0; n < kBankSize; ++n) Bank()[n].empty = 1;
  SetParameterFromGUI(kParamManagerConfirm, 1.0);
}

ZephraManagerPanel* ZephraEditor::ManagerPanel()
{
  return mManagerPanel && &Manager() == mManagerPanel ? mManagerPanel : nullptr;
}

void ZephraEditor::HideManager(bool hide)
{
  if (ZephraManagerPanel* panel = ManagerPanel()) panel->Hide(hide, mRowEditMode != 0, BrowserList().size());
}

void ZephraEditor::ShowManagerAsItWas()
{
  if (ZephraManagerPanel* panel = ManagerPanel()) panel->ShowAsItWas(mRowEditMode != 0, BrowserList().size());
}

void ZephraEditor::HideLoginPanel(bool hide)
{
  if (ZephraManagerPanel* panel = ManagerPanel()) panel->HideLoginPanel(hide);
}

void ZephraEditor::HideFolderPanel(bool hide)
{
  if (ZephraManagerPanel* panel = ManagerPanel()) panel->HideFolderPanel(hide);
}
