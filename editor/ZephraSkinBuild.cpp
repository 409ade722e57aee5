// The GUI build: CreateGUI picks the look from the settings file and lets
// one table walker attach its controls; the LCD look is the classic table
// with its changes applied before the walk. Then come the about overlay,
// the parameter values, the tool tips and the panels that start hidden.
#include "editor/ZephraEditor.h"
#include "core/SettingsNames.h"
#include "editor/ZephraPanels.h"

#include "editor/IKeyboardControl.h"
#include "core/IParam.h"
#include "graphics/IGraphics.h"
#include "graphics/controls/IKnobControl.h"
#include "graphics/controls/IParaGraphicEq.h"
#include "graphics/controls/ISwitchControl.h"
#include "graphics/controls/ITextControl.h"
#include "graphics/controls/IInvisibleSelectControl.h"
#include "graphics/controls/IUserTextControl.h"
#include "synth/ZephraTables.h"
#include "editor/art/ArtTable.h"
#include "winl/ini/WINL_Ini.h"

#include <cstring>
#include <memory>
#include <vector>

namespace {

// The references held once per FLEXI slot, whose rows tell their slot by
// extra; any other row's extra is its own setting (a selector's action, a
// radio group's buttons) and names no row.
bool PerSlot(SkinRef ref)
{
  return ref == SkinRef::kFlexiPlus || ref == SkinRef::kFlexiLearn;
}

// The look as rows: the synth-value run opened into one row per value, then
// the LCD changes laid over it.
std::vector<SkinRow> SkinRows(bool lcd)
{
  std::vector<SkinRow> rows;
  for (size_t i = 0; i < kClassicSkin.count; ++i)
  {
    const SkinRow& row = kClassicSkin.rows[i];
    if (row.kind != SkinKind::kValueRun)
    {
      rows.push_back(row);
      continue;
    }
    for (int p = row.param; p <= row.extra; ++p)
    {
      SkinRow value = row;
      value.kind = SkinKind::kSlider;
      value.param = p;
      value.extra = 0;
      for (size_t e = 0; e < kValueExceptionCount; ++e)
      {
        const SkinValueException& x = kValueExceptions[e];
        if (x.param != p) continue;
        value.kind = x.kind;
        value.bitmap = x.bitmap;
        value.x = x.dx;
        value.y = x.dy;
        value.gearing = x.gearing;
        value.caption = x.caption;
        value.ref = x.ref;
      }
      rows.push_back(value);
    }
  }
  if (!lcd) return rows;

  for (SkinRow& row : rows)
  {
    if (row.bitmap) row.bitmap += kLcdBitmapOffset;
    if (row.caption == SkinCaption::kBelow) row.caption = SkinCaption::kBelowLcd;
  }
  std::vector<bool> omitted(rows.size(), false);
  for (size_t d = 0; d < kLcdDeltas.count; ++d)
  {
    const SkinDelta& delta = kLcdDeltas.rows[d];
    for (size_t i = 0; i < rows.size(); ++i)
    {
      SkinRow& row = rows[i];
      const bool sameRow = row.ref == delta.ref && (!PerSlot(row.ref) || row.extra == delta.extra);
      const bool match = delta.ref != SkinRef::kNone ? sameRow : row.param == delta.param;
      if (!match) continue;
      switch (delta.change)
      {
        case SkinChange::kOmit: omitted[i] = true; break;
        case SkinChange::kMove:
          row.x = delta.x;
          row.y = delta.y;
          if (delta.r || delta.b)
          {
            row.r = delta.r;
            row.b = delta.b;
          }
          break;
        case SkinChange::kBitmap: row.bitmap = delta.x; break;
        case SkinChange::kCaption: row.caption = static_cast<SkinCaption>(delta.x); break;
        case SkinChange::kShown: row.flags &= static_cast<uint8_t>(~kSkinHideSelf); break;
      }
    }
  }
  std::vector<SkinRow> kept;
  for (size_t i = 0; i < rows.size(); ++i)
    if (!omitted[i]) kept.push_back(rows[i]);
  return kept;
}

IBitmap* Load(IGraphics& gui, int id)
{
  const ArtRow* art = ArtFind(id);
  // Two ids of one file (a slider strip of two uses) share its pixels.
  return art ? gui.LoadIBitmap(ArtFirstOfFile(*art).id, art->path, art->frames) : nullptr;
}

IParaGraphicEq::Settings EqGraphSettings()
{
  IParaGraphicEq::Settings s;
  s.mNumBands = 4;
  s.mMinFreq = 20.0f;
  s.mMaxFreq = 12000.0f;
  s.mGainBelow = -24.0f;
  s.mGainAbove = 24.0f;
  s.mHandleRadius = 4.0f;
  s.mGridColor = IColor(255, 255, 255, 255);
  s.mCurveColor = IColor(255, 255, 0, 0);
  s.mHandleColor = IColor(255, 255, 255, 0);
  s.mUnusedColor = IColor(255, 255, 255, 0);
  s.mCaptionBoxColor = IColor(100, 0, 0, 0);
  std::strcpy(s.mFreqLabels, "25, 50, 100, 200, 300, 500, 1000, 2000, 3000, 5000, 7000, 10000");
  std::strcpy(s.mGainLabels, "-18, -12, -6, 0, 6, 12, 18");
  return s;
}

// Tool tips by parameter: the names of the synth values a user moves, the
// file buttons' own texts, none for the rest.
bool TakesNameTooltip(int p)
{
  const auto in = [p](int lo, int hi) { return p >= lo && p <= hi; };
  return in(kParamVco1Coarse, kParamFlexi4RangeControl) || in(kParamDelayVintageLong, kParamOverdriveLevel) ||
         in(kParamEqualizerOnOff, kParamPortamentoMode) || in(kParamOdBlendInstrument, kParamVcfCutoffNew) ||
         p == kParamParametricEqView || p == kParamParagraphicEqView;
}

const char* const kLoadTip = "Load program from file";
const char* const kSaveTip = "Save program to file";
const char* const kWriteTip = "Select and write program from file to Zephra";

const char* ButtonTooltip(int p)
{
  switch (p)
  {
    case kParamLoadButton: return kLoadTip;
    case kParamSaveButton: return kSaveTip;
    case kParamWriteOneButton: return kWriteTip;
    case kParamWriteAllButton: return "Write all programs from files to Zephra. You have to connect two midicables!";
    default: return nullptr;
  }
}

}  // namespace

// ---- ZephraPanels: the walk ----

void ZephraPanels::BuildSkin(int skin)
{
  mSkin = skin;
  const bool lcd = skin == kSkinLcd;
  IUnitBase* plug = &mEditor;
  for (const SkinRow& row : SkinRows(lcd))
  {
    IRECT rect(row.x, row.y, row.r, row.b);
    int x = row.x, y = row.y;
    if (row.flags & kSkinAtAnchor)
    {
      x += kEditorLayoutX[ProgramIndex(static_cast<EParam>(row.param))];
      y += kEditorLayoutY[ProgramIndex(static_cast<EParam>(row.param))];
    }
    IBitmap* bitmap = row.bitmap ? Load(mGui, row.bitmap) : nullptr;
    IControl* control = nullptr;
    switch (row.kind)
    {
      case SkinKind::kPlate: control = new IBitmapControl(plug, x, y, -1, bitmap); break;
      case SkinKind::kText:
      {
        const IText style = SkinTextStyle(row.style, lcd);
        auto* text = new ITextControl(plug, rect, &style);
        mGui.AttachControl(text);
        text->SetTextFromPlug(row.text);
        Remember(row, text);
        continue;
      }
      case SkinKind::kBitmap: control = new IBitmapControl(plug, x, y, row.param, bitmap); break;
      case SkinKind::kSlider:
        control = new IKnobMultiControl(plug, x, y, row.param, bitmap, 0, row.gearing);
        break;
      case SkinKind::kSliderHeld:
        control = new IKnobMultiControl2(plug, x, y, row.param, bitmap, 0, row.gearing);
        break;
      case SkinKind::kSwitch: control = new ISwitchControl(plug, x, y, row.param, bitmap); break;
      case SkinKind::kContact: control = new IContactControl(plug, x, y, row.param, bitmap); break;
      case SkinKind::kSpinner:
      {
        const IText style = SkinTextStyle(row.style, lcd);
        control = new ISpinnerControl(plug, rect, row.param, &style, nullptr, true, true, 0, 10.0);
        break;
      }
      case SkinKind::kInvisibleSwitch: control = new IInvisibleSwitchControl(plug, rect, row.param); break;
      case SkinKind::kInvisibleSelect: control = new IInvisibleSelectControl(plug, rect, row.param); break;
      case SkinKind::kRadio:
        control = new IRadioButtonsControl(plug, rect, row.param, row.extra, bitmap, 1, false);
        break;
      case SkinKind::kParaEq: control = new IParaGraphicEq(plug, rect, row.param, EqGraphSettings()); break;
      case SkinKind::kFileSelector:
      {
        auto* selector = new IFileSelectorControl(plug, rect, row.param, bitmap, row.extra, "", row.text);
        // Each chooser says what it is for, under the name of the menu item
        // that opens it (the firmware's has no button in the panel at all).
        if (row.ref == SkinRef::kFirmwareSelector) selector->SetTitle("Firmware update");
        if (row.ref == SkinRef::kLoadSelector) selector->SetTitle("Load Program from File to Editor");
        if (row.ref == SkinRef::kSaveSelector) selector->SetTitle("Save Program from Editor to File");
        if (row.ref == SkinRef::kWriteSelector) selector->SetTitle("Write Program from File to Zephra");
        control = selector;
        break;
      }
      case SkinKind::kValueRun: break;  // opened by SkinRows
      case SkinKind::kStep:
        switch (static_cast<SkinStep>(row.extra))
        {
          case SkinStep::kLoadBitmaps:
            for (size_t i = 0; i < kClassicBitmapIdCount; ++i)
            {
              const int id = kClassicBitmapIds[i];
              bool skipped = false;
              for (size_t k = 0; lcd && k < kLcdSkippedBitmapIdCount; ++k) skipped |= kLcdSkippedBitmapIds[k] == id;
              if (!skipped) Load(mGui, lcd ? id + kLcdBitmapOffset : id);
            }
            for (size_t i = 0; lcd && i < kLcdOnlyBitmapIdCount; ++i) Load(mGui, kLcdOnlyBitmapIds[i]);
            break;
          case SkinStep::kStoreRangeWidth:
            mRangeWidth = Load(mGui, lcd ? 236 : 136)->FrameW();
            break;
          case SkinStep::kCloseFlexiLists:
            HideFlexiRangeList(true);
            mGui.HideControl(kParamCloseListView, true);
            HidePlate(SkinRef::kSourceList, true);
            for (int p = kParamListPage1; p <= kParamListPage4; ++p) mGui.HideControl(p, true);
            break;
        }
        continue;
    }
    if (!control) continue;
    mGui.AttachControl(control);
    Remember(row, control);
    if (row.flags & kSkinHideSelf) control->Hide(true);
    if (row.flags & kSkinZeroParam) mEditor.SetParameterFromGUI2(row.param, 0);
    if (row.flags & kSkinHideParam) mGui.HideControl(row.param, true);
    if (row.caption != SkinCaption::kNone)
    {
      const int r = ProgramIndex(static_cast<EParam>(row.param));
      const IText style = SkinTextStyle(SkinStyle::kCaption, lcd);
      auto* caption = new ITextControl(plug, SkinCaptionRect(row.caption, kEditorLayoutX[r], kEditorLayoutY[r]), &style);
      mGui.AttachControl(caption);
      mCaptions[r] = caption;
      if (row.flags & kSkinCaptionHidden) caption->Hide(true);
    }
  }
  // One background per look is the visible one.
  IControl* space = Ref(SkinRef::kMainBackground);
  IControl* solid = Ref(SkinRef::kSecondBackground);
  if (space) space->Hide(skin == kSkinSolid);
  if (solid) solid->Hide(skin != kSkinSolid);
}

void ZephraPanels::Remember(const SkinRow& row, IControl* control)
{
  switch (row.ref)
  {
    case SkinRef::kNone: return;
    case SkinRef::kFlexiPlus: mFlexiPlus[row.extra] = static_cast<ITextControl*>(control); return;
    case SkinRef::kFlexiLearn: mFlexiLearn[row.extra] = static_cast<ITextControl*>(control); return;
    case SkinRef::kRangeSlider:
      mRangeSliders[row.param - kParamFlexi1RangeA] = static_cast<IKnobMultiControl*>(control);
      return;
    case SkinRef::kLearnLamp: mLamps[row.param - kParamFlexi1Clear] = control; return;
    default: mRefs[static_cast<int>(row.ref)] = control; return;
  }
}

void ZephraPanels::AttachKeyboard()
{
  IBitmap* keys = Load(mGui, 104);
  IBitmap* octave = Load(mGui, 105);
  mKeyboard = new IKeyboardControl(&mEditor, keys, octave);
  mGui.AttachControl(mKeyboard);
}

void ZephraPanels::AttachAbout()
{
  IBitmap* about = Load(mGui, 103);
  mAbout = new IBitmapOverlayControl(&mEditor, 70, 0, about, IRECT(0, 0, 20, 20));
  mGui.AttachControl(mAbout);
}

void ZephraPanels::SetTooltips()
{
  for (int i = 0; i < mGui.NControls(); ++i)
  {
    IControl* control = mGui.GetControl(i);
    const int p = control->ParamIdx();
    if (p < 0 || p >= kParamCount) continue;
    if (TakesNameTooltip(p))
      control->SetTooltip(mEditor.GetParam(p)->GetNameForHost());
    else if (const char* tip = ButtonTooltip(p))
      control->SetTooltip(tip);
  }
  const std::pair<SkinRef, const char*> selectors[] = {
    {SkinRef::kLoadSelector, kLoadTip}, {SkinRef::kSaveSelector, kSaveTip}, {SkinRef::kWriteSelector, kWriteTip}};
  for (const auto& [ref, tip] : selectors)
    if (IControl* selector = Ref(ref)) selector->SetTooltip(tip);
}

// ---- ZephraEditor: the build ----

void ZephraEditor::CreateGUI(bool onlyBackground, IGraphics* graphics)
{
  IGraphics* gui = graphics ? graphics : static_cast<IGraphics*>(GetGUI());
  if (!gui) return;
  const IColor grey(255, 127, 127, 127);
  const IColor red(255, 255, 0, 0);
  gui->AttachPanelBackground(onlyBackground ? &red : &grey);
  if (onlyBackground) return;

  auto panels = std::make_unique<ZephraPanels>(*this, *gui);
  mFace = panels.get();
  SetPanels(std::move(panels));

  char background[16] = "";
  GetPrivateProfileString(Setting::kBackground.section, Setting::kBackground.key, "", background, sizeof background, SettingsPath().c_str());
  if (background[0] == '\0')
  {
    WritePrivateProfileString(Setting::kBackground.section, Setting::kBackground.key, "space", SettingsPath().c_str());
    CreateClassicSkin(true);
  }
  else if (std::strcmp(background, "solid") == 0)
    CreateClassicSkin(false);
  else if (std::strcmp(background, "lcd") == 0)
    CreateLcdSkin();
  else
    CreateClassicSkin(true);

  mFace->AttachKeyboard();
  CreateManagerPanel();
  HideManager(!ManagerMode());
  mFace->AttachAbout();
  // The transient panels close before the attach resamples the artwork to
  // the GUI scale: artwork only hidden controls draw waits for its first
  // draw, so a start holds no plates it does not show (four effect plates
  // and the chooser's are each nearly a window's size).
  if (IControl* saveFromSynth = mFace->Ref(SkinRef::kSaveFromSynthBackground)) saveFromSynth->Hide(true);
  gui->HideControl(kParamProgramNumber, true);
  gui->HideControl(kParamProgramNumberOk, true);
  mFace->HideOverdrivePanel(true);
  mFace->HideEqualizerPanel(true);
  mFace->HideParagraphicEqPanel(true);
  AttachGraphics(gui);
  mFace->SetTooltips();
  gui->EnableTooltips(true);
  gui->HandleMouseOver(true);

}

void ZephraEditor::CreateClassicSkin(bool space)
{
  mSkin = space ? kSkinSpace : kSkinSolid;
  mFace->BuildSkin(mSkin);
}

void ZephraEditor::CreateLcdSkin()
{
  mSkin = kSkinLcd;
  mFace->BuildSkin(mSkin);
}
