// The effect panels: the chain order, the effect switches, the four effect
// tabs with their lamps, and the equaliser's knob and graph views.
#include "editor/ZephraEditor.h"

#include <algorithm>

namespace {

using CaseEnd = ZephraEditor::CaseEnd;

// Each effect tab lights its own lamp; the lamps show one effect at a time.
struct TabLamp
{
  EParam tab, lamp;
};
constexpr TabLamp kTabLamps[] = {
  {kParamTabOverdrive, kParamShowFxOverdrive},
  {kParamTabEqualizer, kParamShowFxEqualizer},
  {kParamTabChorus, kParamShowFxChorus},
  {kParamTabDelay, kParamShowFxDelay},
};

}  // namespace

CaseEnd ZephraEditor::OnEffectsChainOrder(int /*r*/, int /*v*/)
{
  return CaseEnd::kTail;
}

CaseEnd ZephraEditor::OnEffectSwitch(int /*r*/, int /*v*/)
{
  return CaseEnd::kTail;
}

// While learn waits for a knob the graph edits nothing: a band drag then
// is dropped unrecorded.
CaseEnd ZephraEditor::OnEqGraphDrag(int /*r*/, int /*v*/)
{
  return mFlexiLearnMode ? CaseEnd::kEarly : CaseEnd::kTail;
}

// The graph cannot stand in for an equaliser value that a FLEXI range pair
// already stands in for.
CaseEnd ZephraEditor::OnEqView(int r, int /*v*/)
{
  if (r != kParamParagraphicEqView) return CaseEnd::kTail;
  const bool eqLearnt = std::any_of(mFlexiTarget.begin(), mFlexiTarget.end(), [](int32_t target) {
    return target >= ProgramIndex(kParamEqualizerOnOff) && target <= ProgramIndex(kParamTrebleBoost);
  });
  return eqLearnt ? CaseEnd::kEarly : CaseEnd::kTail;
}

CaseEnd ZephraEditor::OnEffectTab(int r, int /*v*/)
{
  for (const TabLamp& row : kTabLamps)
    if (row.tab != r) SetParameterFromGUI2(row.lamp, 0);
  for (const TabLamp& row : kTabLamps)
    if (row.tab == r) SetParameterFromGUI2(row.lamp, 1);
  if (!mBulkLoad) RedrawParamControls();
  return CaseEnd::kTail;
}
