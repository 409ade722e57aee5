// The editor's captions, the FLEXI list choices, parameters the model sets
// shown on their controls, and the capture of the parameters into the
// program record.
#include "synth/ZephraCaptions.h"
#include "synth/ZephraModel.h"

void ZephraModel::UpdateValueDisplay(int programIndex, int value)
{
  if (programIndex < 0 || programIndex >= kProgramSize) return;
  CaptionContext context;
  context.delayLong = ParamInt(kParamDelayVintageLong);
  context.midiSync = ParamInt(kParamMidiSync);
  char text[32];
  FormatValueCaption(programIndex, value, context, text, sizeof text);
  mPanels->SetValueCaption(programIndex, text);
}

void ZephraModel::SelectFlexiListEntry(int position)
{
  if (mFlexiOpenList < 0 || mFlexiOpenList >= kFlexiOpenListCount) return;
  const FlexiListChoice& choice = kFlexiListChoices[mFlexiOpenList];
  const int count = choice.isSource ? kFlexiSourceCount : kFlexiRangeListCount;
  if (position < 0 || position >= count) return;
  SetParameterFromGUI2(choice.listParam, position);
  SetParameterFromGUI2(choice.programParam,
                       choice.isSource ? kFlexiSourceCode[position] : kFlexiRangeCode[position]);
  // Set from here, not by their controls: the controls must follow.
  ShowParamOnControl(choice.listParam);
  ShowParamOnControl(choice.programParam);
  // Closing the list overlay belongs to the FLEXI list view of the panels.
}

void ZephraModel::SetParamShown(int param, double value)
{
  GetParam(param)->SetPlain(value);
  ShowParamOnControl(param);
}

void ZephraModel::ShowParamOnControl(int param)
{
  if (IGraphicsLink* gui = GetGUI()) gui->SetParameterFromPlug(param, GetParam(param)->GetNormalized(), true);
}

void ZephraModel::CaptureProgram()
{
  for (int p = 0; p < kProgramSize; ++p) mProgram[p] = ProgramParamValue(p);
  for (const SecondHalfPair& pair : kSecondHalfPairs)
    if (pair.kind == FoldKind::TwoState)
      mProgram[pair.partner] = ProgramParamValue(pair.partner) + 2 * ProgramParamValue(pair.secondHalf);
  Value(kParamVcfCutoffVintage) = Value(kParamVcfVintageNew) < 1 ? Value(kParamVcfCutoffVintage)
                                                                : Value(kParamVcfCutoffNew);
  for (const EffectBlends& effect : kEffectBlends)
    if (Value(effect.onOff) > 0) Value(effect.onOff) = Value(effect.blendInstrument) + 2 * Value(effect.blendVcf);
}
