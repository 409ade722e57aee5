// The editor's captions, the FLEXI list choices and the capture of the
// parameters into the program record.
#include "synth/ZephraCaptions.h"
#include "synth/ZephraModel.h"

void ZephraModel::UpdateValueDisplay(int programIndex, int value)
{
  if (programIndex < 0 || programIndex >= kProgramSize) return;
  CaptionContext context;
  context.delayLong = ParamInt(kIndexDelayLong + kParamOffset);
  context.midiSync = ParamInt(kIndexMidiSync + kParamOffset);
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
  // Closing the list overlay belongs to the FLEXI list view of the panels.
}

void ZephraModel::CaptureProgram()
{
  for (int p = 0; p < kProgramSize; ++p) mProgram[p] = ParamInt(p + kParamOffset);
  for (const SecondHalfPair& pair : kSecondHalfPairs)
    if (pair.kind == FoldKind::TwoState)
      mProgram[pair.partner] =
        ParamInt(pair.partner + kParamOffset) + 2 * ParamInt(pair.secondHalf + kParamOffset);
  mProgram[kIndexCutoff] = ParamInt(kIndexVcfChooser + kParamOffset) < 1
                             ? ParamInt(kIndexCutoff + kParamOffset)
                             : ParamInt(kIndexNewCutoff + kParamOffset);
  if (mProgram[144] > 0) mProgram[144] = ParamInt(179 + kParamOffset) + 2 * ParamInt(180 + kParamOffset);
  if (mProgram[157] > 0) mProgram[157] = ParamInt(181 + kParamOffset) + 2 * ParamInt(182 + kParamOffset);
}
