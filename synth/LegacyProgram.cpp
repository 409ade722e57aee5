#include "synth/LegacyProgram.h"

#include "core/BASE_DirScan.h"

#include <cmath>
#include <cstring>
#include <vector>

int32_t LegacyLfoRate(int32_t legacyValue)
{
  // Kept in single precision step by step: the older editor computed it so,
  // and a double would round some values differently.
  const float scaled = static_cast<float>(legacyValue) * 0.89692f;
  const float shifted = scaled + 13.1138f;
  const long rounded = lroundf(shifted);
  return static_cast<int32_t>(rounded > 127 ? 127 : rounded);
}

ProgramValues MapLegacyProgram(const int* legacy, int count)
{
  int L[kLegacyValueCount] = {};
  for (int i = 0; i < count && i < kLegacyValueCount; ++i) L[i] = legacy[i];

  ProgramValues N = kDefaultProgram;
  auto copy = [&N, &L](int firstN, int lastN, int firstL) {
    for (int p = firstN; p <= lastN; ++p) N[p] = L[firstL + (p - firstN)];
  };
  copy(0, 57, 0);
  N[58] = 127;
  N[59] = L[58];
  N[60] = 1;
  N[61] = 0;
  copy(62, 64, 59);
  N[65] = 0;
  N[66] = 1;
  N[67] = 0;
  copy(68, 74, 62);
  // The older file marks the new filter with -1 in the vintage cutoff's place
  // and puts the new cutoff on the next line.
  N[ProgramIndex(kParamVcfVintageNew)] = L[69] == -1 ? 1 : 0;
  N[ProgramIndex(kParamVcfCutoffVintage)] = L[69] == -1 ? L[70] : L[69];
  N[77] = L[71];
  N[78] = L[72];
  N[79] = 0;
  copy(80, 86, 73);
  N[87] = L[81];
  N[88] = 0;
  N[89] = L[83];
  N[90] = L[84];
  N[91] = LegacyLfoRate(L[85]);
  copy(92, 94, 86);

  // The one older effect: L[89] its type, L[90] and L[91] its blends to the
  // instrument and to the VCF, L[92] on its values.
  switch (L[89])
  {
  case 1: // chorus/delay
    N[129] = L[90];
    N[130] = L[91];
    N[131] = 1;
    copy(132, 143, 92);
    break;
  case 2: // overdrive: blends fold into the effect switch
    if (L[90] == 1) N[144] += 1, N[179] = 1;
    if (L[91] == 1) N[144] += 2, N[180] = 1;
    N[145] = L[92];
    N[146] = L[93];
    break;
  case 3: // equaliser
    if (L[90] == 1) N[157] += 1, N[181] = 1;
    if (L[91] == 1) N[157] += 2, N[182] = 1;
    copy(158, 169, 92);
    break;
  default:
    break;
  }
  return N;
}

std::string FormatConvertedPr3Text(const ProgramValues& values)
{
  std::string text;
  text.reserve(kProgramFileMaxBytes);
  text += " 243 \r\n";
  for (int p = 0; p <= 122; ++p) AppendPr3ValueLine(text, values[p], p, p + 1);
  // Delay range and MIDI sync did not exist; their dummies read back as 0,
  // which is what the default program holds for them.
  for (int p = 123; p <= 127; ++p) AppendPr3DummyLine(text);
  for (int p = 128; p < kFileValueCount; ++p) AppendPr3ValueLine(text, values[p], p, p - 4);
  return text;
}

std::string ConvertedProgramPath(const std::string& legacyPath)
{
  const size_t slash = legacyPath.rfind('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  // Only a "." inside the file name counts; one in a folder name must not cut
  // the path short.
  const size_t dot = legacyPath.rfind('.');
  if (dot == std::string::npos || dot < nameStart) return legacyPath + ".pr3";
  return legacyPath.substr(0, dot) + ".pr3";
}

ProgramFileError ConvertPrgToPr3File(const char* path)
{
  std::string bytes;
  ProgramFileError error = ReadProgramFileBytes(path, bytes);
  if (error != ProgramFileError::kNone) return error;
  ProgramFileContent content;
  error = ParseProgramText(bytes.data(), bytes.size(), content);
  if (error != ProgramFileError::kNone) return error;
  if (!content.legacy) return ProgramFileError::kAlreadyPr3;
  if (!WriteProgramText(ConvertedProgramPath(path).c_str(), FormatConvertedPr3Text(content.values)))
    return ProgramFileError::kWriteFailed;
  return ProgramFileError::kNone;
}

int ConvertPrgFolderFiles(const char* folder, int* oversized)
{
  if (oversized) *oversized = 0;
  if (folder == nullptr || strchr(folder, '/') == nullptr) return 0;
  std::string base = folder;
  if (base.back() != '/') base += '/';

  // Collect first: the converted files land in the same folder.
  std::vector<std::string> names;
  BASE_DirScan scan;
  for (int more = scan.First(base.c_str()); more == 0; more = scan.Next())
  {
    const char* name = scan.GetCurrentFileName();
    if (strstr(name, ".prg") || strstr(name, ".PRG") || strstr(name, ".Prg")) names.push_back(name);
  }
  scan.Close();

  int written = 0;
  for (const std::string& name : names)
  {
    const ProgramFileError error = ConvertPrgToPr3File((base + name).c_str());
    if (error == ProgramFileError::kNone) ++written;
    if (error == ProgramFileError::kBadSize && oversized) ++*oversized;
  }
  return written;
}
