#include "synth/ProgramFile.h"

#include "core/BASE_FileRead.h"
#include "core/BASE_FileWhole.h"
#include "synth/LegacyProgram.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// ---- layout tables ----

namespace
{
// One run of value lines of the same panel section; the position rises by one
// per index from firstPoti.
struct Pr3Section
{
  int firstIndex;
  int lastIndex;
  int field;
  int firstPoti;
};

constexpr Pr3Section kPr3Sections[] = {
  {0, 11, 0, 1},     {12, 23, 1, 1},    {24, 35, 2, 1},    {36, 47, 3, 1},
  {48, 55, 4, 1},    {56, 58, 5, 1},    {59, 69, 6, 1},    {70, 81, 7, 1},
  {82, 84, 8, 1},    {85, 90, 9, 1},    {91, 94, 10, 1},   {95, 101, 11, 1},
  {102, 108, 12, 1}, {109, 115, 13, 1}, {116, 122, 14, 1}, {123, 124, 9, 7},
  {128, 130, 15, 1}, {131, 143, 16, 1}, {144, 156, 17, 1}, {157, 169, 18, 1},
};

template <class T>
constexpr std::array<T, kFileValueCount> MakePr3Column(bool poti)
{
  std::array<T, kFileValueCount> column{};
  for (const Pr3Section& s : kPr3Sections)
    for (int p = s.firstIndex; p <= s.lastIndex; ++p)
      column[p] = static_cast<T>(poti ? s.firstPoti + (p - s.firstIndex) : s.field);
  return column;
}

// Dummy lines stand where the synth keeps no value.
bool IsDummyIndex(int p) { return p >= kFirstSpareLow && p <= kLastSpareLow; }
} // namespace

const std::array<int32_t, kFileValueCount> kPr3Field = MakePr3Column<int32_t>(false);
const std::array<int8_t, kFileValueCount> kPr3Poti = MakePr3Column<int8_t>(true);

// ---- ranges ----

namespace
{
// The index whose range index p's value has: the vintage cutoff's index
// carries the new cutoff while the new filter is chosen.
int RangeIndex(int p, int32_t vintageNew)
{
  return p == ProgramIndex(kParamVcfCutoffVintage) && vintageNew != 0 ? ProgramIndex(kParamVcfCutoffNew) : p;
}
} // namespace

int32_t ProgramValueMin(int p, int32_t vintageNew)
{
  return kProgramMin[RangeIndex(p, vintageNew)];
}

int32_t ProgramValueMax(int p, int32_t vintageNew)
{
  return kProgramMax[RangeIndex(p, vintageNew)];
}

void LimitProgramToRanges(ProgramValues& values)
{
  // Index 75 comes first in the loop, so 76 is limited by the final choice.
  for (int p = 0; p < kProgramSize; ++p)
  {
    const int32_t choice = values[ProgramIndex(kParamVcfVintageNew)];
    values[p] = std::clamp(values[p], ProgramValueMin(p, choice), ProgramValueMax(p, choice));
  }
}

// ---- writing ----

void AppendPr3ValueLine(std::string& text, int32_t value, int programIndex, int serial)
{
  char line[96];
  const int n = snprintf(line, sizeof line, "%- 6d; field:  %-3dpoti:  %-4dser.no.:  %d \r\n",
                         static_cast<int>(value), static_cast<int>(kPr3Field[programIndex]),
                         kPr3Poti[programIndex] - 1, serial);
  if (n > 0) text.append(line, std::min<size_t>(static_cast<size_t>(n), sizeof line - 1));
}

void AppendPr3DummyLine(std::string& text) { text += " 0    ; dummy\r\n"; }

std::string FormatPr3Text(const ProgramValues& values)
{
  std::string text;
  text.reserve(kProgramFileMaxBytes);
  text += " 243 \r\n";
  // The serial counts value lines only, so it skips the three dummy lines.
  int serial = 1;
  for (int p = 0; p < kFileValueCount; ++p)
  {
    if (IsDummyIndex(p))
      AppendPr3DummyLine(text);
    else
      AppendPr3ValueLine(text, values[p], p, serial++);
  }
  return text;
}

namespace
{
// Parameters are doubles; the file holds integers truncated toward zero. A
// value no parameter can hold (NaN, huge) must not become undefined behaviour.
int32_t Truncate(double v)
{
  if (!(v > -1e6 && v < 1e6)) return 0;
  return static_cast<int32_t>(v);
}
} // namespace

ProgramValues FileRecordFromParameters(const double* paramValues,
                                       const std::array<int32_t, kFlexiSlotCount>& flexiTarget)
{
  auto param = [paramValues](int n) { return Truncate(paramValues[n]); };
  ProgramValues v{};
  const auto copyRun = [&v, &param](EParam first, EParam last) {
    for (int n = first; n <= last; ++n) v[n - kParamOffset] = param(n);
  };
  copyRun(kParamVco1Coarse, kParamVcoTranspose);
  v[ProgramIndex(kParamVcfCutoffVintage)] =
    paramValues[kParamVcfVintageNew] < 1 ? param(kParamVcfCutoffVintage) : param(kParamVcfCutoffNew);
  v[ProgramIndex(kParamTrigGateMode)] = param(kParamTrigGateMode) + 2 * param(kParamPortamentoMode);
  copyRun(kParamKeyPriority, kParamLfoVcoDepth);
  for (int s = 0; s < kFlexiSlotCount; ++s)
  {
    // A slot without a target is stored empty, whatever its controls show.
    if (flexiTarget[s] == -1) continue;
    const int b = kFlexiFirstIndex + kFlexiSlotSize * s;
    const int q = kParamFlexi1Source + kFlexiSlotSize * s;
    v[b + kFlexiSource] = param(q + kFlexiSource);
    v[b + kFlexiBits] = param(q + kFlexiBits) + 2 * param(kParamFlexi1Mode + 2 * s);
    v[b + kFlexiDestination] = param(q + kFlexiDestination);
    v[b + kFlexiRangePolarity] =
      param(q + kFlexiRangePolarity) + 2 * param(kParamFlexi1RangeControlPolarity + 2 * s);
    v[b + kFlexiRange] = param(q + kFlexiRange);
    v[b + kFlexiRangeControl] = param(q + kFlexiRangeControl);
    v[b + kFlexiCurve] = param(q + kFlexiCurve);
  }
  copyRun(kParamDelayVintageLong, kParamMidiSync);
  copyRun(kParamEffectsChainOrder, kParamOverdriveLevel);
  // An effect that is off is stored as 0, its blends dropped.
  for (const EffectBlends& effect : kEffectBlends)
    v[ProgramIndex(effect.onOff)] =
      param(effect.onOff) > 0 ? param(effect.blendInstrument) + 2 * param(effect.blendVcf) : 0;
  copyRun(kParamBassFrq, kParamTrebleBoost);
  LimitProgramToRanges(v);
  return v;
}

bool ProgramValuesFromDump(const uint8_t* dump, size_t size, ProgramValues& values)
{
  if (dump == nullptr || size < static_cast<size_t>(kDumpNameOffset + kProgramNameLength))
    return false;
  ProgramValues v{};
  for (int p = 0; p < kFileValueCount; ++p)
  {
    if (IsDummyIndex(p)) continue;
    // The synth sends value minus a negative minimum, so that bytes stay 0..127.
    const int32_t offset = kProgramMin[p] < 0 ? kProgramMin[p] : 0;
    v[p] = (dump[kDumpValueOffset + p] & 0x7F) + offset;
  }
  LimitProgramToRanges(v);
  values = v;
  return true;
}

bool WriteProgramText(const char* path, const std::string& text)
{
  if (path == nullptr || *path == 0) return false;
  // Never truncate in place: a save that fails half way (a full disk) would
  // leave a fragment the reader accepts, and the earlier program is gone.
  return BASE_ReplaceFile(path, text);
}

// ---- reading ----

int ReadProgramLineNumber(const char* line, size_t length, int previous)
{
  const size_t n = length < 6 ? (length == 0 ? 0 : length - 1) : 5;
  size_t i = 0;
  // "%d": leading white space, an optional sign, then at least one digit.
  while (i < n && (line[i] == ' ' || (line[i] >= '\t' && line[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < n && (line[i] == '+' || line[i] == '-')) negative = line[i++] == '-';
  if (i >= n || line[i] < '0' || line[i] > '9') return previous;
  int value = 0; // at most five digits, so no overflow
  while (i < n && line[i] >= '0' && line[i] <= '9') value = value * 10 + (line[i++] - '0');
  return negative ? -value : value;
}

namespace
{
// Walks the non-empty LF-separated lines of a text.
class LineReader
{
public:
  LineReader(const char* text, size_t size) : mText(text), mSize(size) {}

  // The next line's number, or false at the end of the text.
  bool Next(int previous, int& number)
  {
    while (mAt < mSize)
    {
      const char* start = mText + mAt;
      const void* lf = memchr(start, '\n', mSize - mAt);
      const size_t length = lf ? static_cast<size_t>(static_cast<const char*>(lf) - start)
                               : mSize - mAt;
      mAt += length + 1;
      if (length == 0) continue;
      number = ReadProgramLineNumber(start, length, previous);
      return true;
    }
    return false;
  }

private:
  const char* mText;
  size_t mSize;
  size_t mAt = 0;
};

bool InFileRange(int v) { return v >= kFileValueMin && v <= kFileValueMax; }
} // namespace

ProgramFileError ParseProgramText(const char* text, size_t size, ProgramFileContent& content,
                                  const ProgramValues& missing)
{
  if (text == nullptr || size == 0 || size > static_cast<size_t>(kProgramFileMaxBytes))
    return ProgramFileError::kBadSize;

  LineReader lines(text, size);
  int first = 0;
  if (!lines.Next(0, first)) return ProgramFileError::kBadSize; // nothing but line ends

  ProgramFileContent result;
  if (first == kPr3Marker)
  {
    result.values = missing;
    int number = 0;
    for (int p = 0; p < kProgramSize && lines.Next(number, number); ++p)
    {
      if (!InFileRange(number)) return ProgramFileError::kBadValue;
      result.values[p] = number;
    }
    result.values[ProgramIndex(kParamVcfCutoffNew)] = result.values[ProgramIndex(kParamVcfCutoffVintage)];
  }
  else
  {
    // The older layout has no marker: its first line is its first value.
    LineReader legacy(text, size);
    int values[kLegacyValueCount] = {};
    int count = 0;
    int number = 0;
    while (count < kLegacyValueCount && legacy.Next(number, number))
    {
      if (!InFileRange(number)) return ProgramFileError::kBadValue;
      values[count++] = number;
    }
    result.values = MapLegacyProgram(values, count);
    result.legacy = true;
  }
  LimitProgramToRanges(result.values);
  content = result;
  return ProgramFileError::kNone;
}

bool IsProgramFileText(const std::string& bytes)
{
  if (bytes.empty() || bytes.size() > static_cast<size_t>(kProgramFileMaxBytes)) return false;
  int lines = 0;
  bool marker = false;
  size_t at = 0;
  while (at < bytes.size())
  {
    size_t end = bytes.find('\n', at);
    if (end == std::string::npos) end = bytes.size();
    const std::string line = bytes.substr(at, end - at);
    at = end + 1;
    size_t i = line.find_first_not_of(" \t\r");
    if (i == std::string::npos) continue;  // blank
    // Stricter than the reader, which lets a line without a number repeat
    // the one before: here the number must be there.
    const size_t sign = line[i] == '-' || line[i] == '+' ? 1 : 0;
    if (i + sign >= line.size() || line[i + sign] < '0' || line[i + sign] > '9') return false;
    const long number = strtol(line.c_str() + i, nullptr, 10);
    if (lines == 0 && number == kPr3Marker)
      marker = true;
    else if (number < kFileValueMin || number > kFileValueMax)
      return false;
    ++lines;
  }
  if (!marker && lines < kLegacyValueCount) return false;
  ProgramFileContent content;
  return ParseProgramText(bytes.data(), bytes.size(), content) == ProgramFileError::kNone;
}

ProgramFileError ReadProgramFileBytes(const char* path, std::string& bytes)
{
  if (path == nullptr || *path == 0) return ProgramFileError::kCannotOpen;
  struct stat info;
  // A folder opens like a file here but reads nothing; refuse it up front.
  if (stat(path, &info) != 0 || !S_ISREG(info.st_mode)) return ProgramFileError::kCannotOpen;
  BASE_FileRead file(path, 1, kProgramFileMaxBytes);
  if (!file.IsOpen()) return ProgramFileError::kCannotOpen;
  if (file.GetSize() <= 0 || file.GetSize() > kProgramFileMaxBytes)
    return ProgramFileError::kBadSize;
  // One byte more than allowed, in case the file grew since it was opened.
  std::string data(kProgramFileMaxBytes + 1, '\0');
  int total = 0;
  while (total < kProgramFileMaxBytes + 1)
  {
    const int n = file.Read(&data[total], kProgramFileMaxBytes + 1 - total);
    if (n <= 0) break;
    total += n;
  }
  if (total <= 0 || total > kProgramFileMaxBytes) return ProgramFileError::kBadSize;
  data.resize(static_cast<size_t>(total));
  bytes.swap(data);
  return ProgramFileError::kNone;
}

ProgramFileError ReadProgramFile(const char* path, ProgramFileContent& content)
{
  std::string bytes;
  const ProgramFileError error = ReadProgramFileBytes(path, bytes);
  if (error != ProgramFileError::kNone) return error;
  return ParseProgramText(bytes.data(), bytes.size(), content);
}
