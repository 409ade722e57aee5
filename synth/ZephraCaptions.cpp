// Value captions in the synth's units.
#include "synth/ZephraCaptions.h"

#include "synth/ZephraTables.h"

#include <array>
#include <cstdio>

namespace {

// A tempo division when the value has one, else the plain number.
template <std::size_t N>
void FormatDivision(const std::array<const char*, N>& texts, int value, char* text, std::size_t size)
{
  if (value >= 0 && value < static_cast<int>(N))
    std::snprintf(text, size, "%s", texts[value]);
  else
    std::snprintf(text, size, kCaptionNumberFormat, value);
}

void FormatDelay(int value, bool division, int delayLong, char* text, std::size_t size)
{
  if (division)
  {
    FormatDivision(kDelayDivisionText, value, text, size);
    return;
  }
  // The long delay reaches 600 ms, the vintage one 140 ms.
  const double fullScale = delayLong == 1 ? 600.0 : 140.0;
  std::snprintf(text, size, kCaptionMsFormat, static_cast<int>(value / 127.0 * fullScale));
}

}  // namespace

void FormatValueCaption(int programIndex, int value, const CaptionContext& context, char* text,
                        std::size_t size)
{
  if (!text || size == 0) return;
  const int p = programIndex;
  for (const ValueWordCaption& words : kValueWordCaptions)
  {
    if (words.programIndex != p) continue;
    const int entry = value - words.firstValue;
    std::snprintf(text, size, "%s", entry >= 0 && entry < words.count ? words.texts[entry] : "");
    return;
  }
  switch (p)
  {
    case ProgramIndex(kParamVco4PwmLfoFrq):
      if (context.midiSync == 1) return FormatDivision(kPwmLfoDivisionText, value, text, size);
      break;
    case ProgramIndex(kParamVcf2Cutoff):
      // The second filter is switched off by its lowest cutoff.
      if (value == 0)
      {
        std::snprintf(text, size, "%s", kVcf2OffText);
        return;
      }
      break;
    case ProgramIndex(kParamLfoFrequency):
      std::snprintf(text, size, kCaptionHertzFormat, (value + 12.0) * (value + 12.0) * 0.00145);
      return;
    case ProgramIndex(kParamLfoAFrq):
    case ProgramIndex(kParamLfoBFrq):
      std::snprintf(text, size, kCaptionHertzFormat, value / 127.0 * 8.6);
      return;
    case ProgramIndex(kParamDelay1):
      return FormatDelay(value,
                         context.delayLong >= 1 && (context.midiSync == 2 || context.midiSync == 3),
                         context.delayLong, text, size);
    case ProgramIndex(kParamDelay2):
      return FormatDelay(value, context.delayLong >= 1 && context.midiSync == 3, context.delayLong,
                         text, size);
    default:
      break;
  }
  std::snprintf(text, size, kCaptionNumberFormat, value);
}
