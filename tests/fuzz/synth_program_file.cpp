// Program files come from disk and from other people: any bytes must parse
// without harm. Feeds the ".pr3" reader and the older ".prg" reader behind it,
// then checks that whatever was accepted lies in range and survives writing
// and reading again, in both the current and the converter's layout. The
// download check may only accept what the reader accepts.
#include "synth/LegacyProgram.h"
#include "synth/ProgramFile.h"

#include <cstdint>
#include <cstdlib>

namespace
{
void CheckRoundTrip(const std::string& text, const ProgramValues& values)
{
  ProgramFileContent again;
  if (ParseProgramText(text.data(), text.size(), again) != ProgramFileError::kNone) abort();
  for (int p = 0; p < kFileValueCount; ++p)
    if (again.values[p] != values[p]) abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  ProgramFileContent content;
  const ProgramFileError error =
      ParseProgramText(reinterpret_cast<const char*>(data), size, content);
  const bool download = IsProgramFileText(std::string(reinterpret_cast<const char*>(data), size));
  if (error != ProgramFileError::kNone)
  {
    if (download) abort();
    return 0;
  }
  for (int p = 0; p < kProgramSize; ++p)
  {
    const int32_t v = content.values[p];
    const int32_t choice = content.values[ProgramIndex(kParamVcfVintageNew)];
    if (v < ProgramValueMin(p, choice) || v > ProgramValueMax(p, choice)) abort();
  }
  CheckRoundTrip(FormatPr3Text(content.values), content.values);
  if (content.legacy) CheckRoundTrip(FormatConvertedPr3Text(content.values), content.values);
  return 0;
}
