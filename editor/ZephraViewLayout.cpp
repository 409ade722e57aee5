// The view-layout hook: after a resize, a view command or a program load,
// every panel is brought into the state the current values demand -- which
// cutoff slider shows, where the FLEXI range pairs sit at this GUI scale,
// which effect panel is open and in which order its tabs stand.
#include "editor/ZephraEditor.h"
#include "editor/ZephraPanels.h"

#include "core/BASE_Mutex.h"
#include "graphics/IGraphics.h"
#include "graphics/controls/ITextControl.h"
#include "synth/ZephraTables.h"

#include <algorithm>
#include <cmath>


void ZephraEditor::SetGUILayout(int viewMode, double /*width*/, double /*height*/)
{
  if (viewMode != 0 || !mFace) return;
  BASE_MutexLock lock(GetMutex());
  ZephraPanels& face = *mFace;
  IGraphics& gui = face.Gui();
  // The scale the panels were drawn at, not the window's width: the compact
  // panel cuts the whole one narrower without shrinking it.
  const double s = gui.GetScale();
  const auto program = [this](EParam param) { return Program()[ProgramIndex(param)]; };
  const auto hideValue = [&](int param, bool hide) {
    gui.HideControl(param, hide);
    if (ITextControl* caption = face.Caption(ProgramIndex(static_cast<EParam>(param))))
      caption->Hide(hide);
  };

  // 1. The cutoff of the filter in use.
  const int vcfNew = ParamInt(kParamVcfVintageNew);
  if (vcfNew == 1 || vcfNew == 0)
  {
    hideValue(kParamVcfCutoffVintage, vcfNew == 1);
    hideValue(kParamVcfCutoffNew, vcfNew == 0);
  }

  // 2, 3. Lamps of empty slots off; range pairs over their targets.
  for (int slot = 0; slot < kFlexiSlotCount; ++slot)
  {
    const int t = FlexiTarget(slot);
    if (t < 0)
    {
      if (IControl* lamp = face.LearnLamp(slot)) lamp->Hide(true);
      continue;
    }
    const int rangeA = kParamFlexi1RangeA + 2 * slot, rangeB = kParamFlexi1RangeB + 2 * slot;
    if (!ZephraPanels::RangePairCanCover(t))
    {
      // Nothing on the panel for the pair to stand in for: no pair, and
      // the value keeps whatever control it has.
      gui.HideControl(rangeA, true);
      gui.HideControl(rangeB, true);
      gui.HideControl(ParamOfIndex(t), false);
      continue;
    }
    if (ParamInt(kParamFlexi1Source + kFlexiSlotSize * slot) > 0)
    {
      face.PlaceFlexiRangeControls(slot, t);
      gui.HideControl(rangeA, false);
      gui.HideControl(rangeB, false);
      gui.HideControl(ParamOfIndex(t), true);
    }
    else
    {
      gui.HideControl(rangeA, true);
      gui.HideControl(rangeB, true);
      gui.HideControl(ParamOfIndex(t), false);
    }
  }

  // 4. A learnt equaliser value needs its knob: the knob view then.
  for (int slot = 0; slot < kFlexiSlotCount; ++slot)
  {
    const int t = FlexiTarget(slot);
    if (t >= ProgramIndex(kParamEqualizerOnOff) && t <= ProgramIndex(kParamTrebleBoost)) face.SetEqParametric(true);
  }

  // 5. Transient panels closed, every effect panel shut.
  if (IControl* saveFromSynth = face.Ref(SkinRef::kSaveFromSynthBackground)) saveFromSynth->Hide(true);
  gui.HideControl(kParamProgramNumber, true);
  gui.HideControl(kParamProgramNumberOk, true);
  face.HideModFxPanel(true);
  face.HideOverdrivePanel(true);
  face.HideEqualizerPanel(true);
  face.HideParagraphicEqPanel(true);

  // 6. The chosen effect panel open.
  const int delayLong = program(kParamDelayVintageLong);
  if (ParamInt(kParamShowFxOverdrive) == 1)
    face.HideOverdrivePanel(false);
  else if (ParamInt(kParamShowFxEqualizer) == 1)
  {
    if (face.EqParametric())
      face.HideEqualizerPanel(false);
    else
      face.HideParagraphicEqPanel(false);
  }
  else
  {
    face.HideModFxPanel(false);
    SetParameterFromGUI2(kParamShowFxChorus, delayLong == 0 ? 1.0 : 0.0);
    SetParameterFromGUI2(kParamShowFxDelay, delayLong == 0 ? 0.0 : 1.0);
  }

  // 7. Chorus or delay highlight while the modulation effect is on.
  IControl* chorus = face.Ref(SkinRef::kChorusHighlight);
  IControl* delay = face.Ref(SkinRef::kDelayHighlight);
  // The switch as the sound holds it now: an edit since the load may have
  // changed it. Only a program being applied holds it in the program alone.
  const bool modOn = (mLayoutOfNewProgram ? program(kParamModOnOff) : ParamInt(kParamModOnOff)) == 1;
  if (chorus) chorus->Hide(!modOn || delayLong != 0);
  if (delay) delay->Hide(!modOn || delayLong == 0);

  // 8. Tempo-synced ranges by "MIDI Sync". Re-ranging resets the synced
  // values: outside a load their controls hold the sound (an edit since the
  // load included), so their values are taken first.
  const EParam kSynced[] = {kParamVco4PwmLfoFrq, kParamDelay1, kParamDelay2};
  int syncedValue[3];
  for (int i = 0; i < 3; ++i)
    syncedValue[i] = mLayoutOfNewProgram ? program(kSynced[i]) : ParamInt(kSynced[i]);
  switch (program(kParamMidiSync))
  {
    case 0: face.SetPwmLfoRangeMode(false); face.SetDelayRangeMode(0); break;
    case 1: face.SetPwmLfoRangeMode(true); face.SetDelayRangeMode(0); break;
    case 2: face.SetDelayRangeMode(delayLong == 1 ? 1 : 0); face.SetPwmLfoRangeMode(false); break;
    case 3: face.SetDelayRangeMode(delayLong == 1 ? 2 : 0); face.SetPwmLfoRangeMode(false); break;
    default: face.SetDelayRangeMode(0); break;
  }

  // 9, 10. The synced values take their values again, and the range pairs
  // on them follow. This only shows what
  // the synth holds already, or is about to be sent whole by a load, so
  // nothing goes out, no address is noted as sent, and the program does
  // not count as edited.
  const bool bulk = mBulkLoad;
  const int lastNrpn = mLastNrpnIndex;
  mBulkLoad = true;
  mLastSentValue[ProgramIndex(kParamVco4PwmLfoFrq)] = kNoLastValue;
  for (int i = 0; i < 3; ++i) SetParameterFromGUI2(kSynced[i], syncedValue[i]);
  for (int slot = 0; slot < kFlexiSlotCount; ++slot)
  {
    const int t = FlexiTarget(slot);
    if (t != ProgramIndex(kParamVco4PwmLfoFrq) && t != ProgramIndex(kParamDelay1) && t != ProgramIndex(kParamDelay2))
      continue;
    const int v = ParamInt(ParamOfIndex(t));
    const int d = mLayoutOfNewProgram ? Program()[ProgramIndex(kParamFlexi1Range) + kFlexiSlotSize * slot]
                                      : ParamInt(kParamFlexi1Range + kFlexiSlotSize * slot);
    const int other = ParamInt(kParamFlexi1RangePolarity + kFlexiSlotSize * slot) != 0 ? v - d : v + d;
    SetParameterFromGUI2(kParamFlexi1RangeA + 2 * slot, v);
    SetParameterFromGUI2(kParamFlexi1RangeB + 2 * slot, std::clamp(other, kProgramMin[t], kProgramMax[t]));
  }
  mBulkLoad = bulk;
  mLastNrpnIndex = lastNrpn;

  // 11. The graph shows the program's bands.
  if (!face.EqParametric()) face.UpdateEqGraphFromProgram();

  // 12, 13. Effect tabs in chain order, lit by their effect's switch.
  const int a = static_cast<int>(std::ceil(523 * s)), b = static_cast<int>(std::ceil(618 * s));
  const int y = mSkin == kSkinLcd ? static_cast<int>(562 * s) : static_cast<int>(std::ceil(565 * s));
  IControl* odHighlight = face.Ref(SkinRef::kOverdriveHighlight);
  IControl* eqHighlight = face.Ref(SkinRef::kEqualizerHighlight);
  const auto placeTrio = [&](int lamp, int tab, IControl* highlight, int x) {
    gui.MoveControlByParam(lamp, x, y);
    gui.MoveControlByParam(tab, x, y);
    if (highlight) highlight->SetPosition(x, y);
  };
  const int order = ParamInt(kParamEffectsChainOrder);
  if (order == 0 || order == 1)
  {
    placeTrio(kParamShowFxOverdrive, kParamTabOverdrive, odHighlight, order == 0 ? a : b);
    placeTrio(kParamShowFxEqualizer, kParamTabEqualizer, eqHighlight, order == 0 ? b : a);
  }
  if (odHighlight) odHighlight->Hide(ParamInt(kParamOverdriveOnOff) == 0);
  if (eqHighlight) eqHighlight->Hide(ParamInt(kParamEqualizerOnOff) == 0);

  // 14. Controls show the values; the manager overlay per manager mode. A
  // re-layout restores every control's visibility as the view was first
  // laid out, so a manager in use is shown again with the panels it had
  // open, not afresh with them closed.
  RedrawParamControls();
  if (ManagerMode())
    ShowManagerAsItWas();
  else
    HideManager(true);
}
