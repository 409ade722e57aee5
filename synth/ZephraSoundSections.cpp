#include "synth/ZephraSoundSections.h"

namespace {

struct IndexRun
{
  int first, last;
};

// Each section as at most two runs of program indices.
struct SectionRuns
{
  IndexRun runs[2];
};

constexpr SectionRuns kSections[kSectionCount] = {
  {{{0, 11}, {-1, -2}}},     // VCO1
  {{{12, 23}, {-1, -2}}},    // VCO2
  {{{24, 35}, {-1, -2}}},    // VCO3
  {{{36, 47}, {-1, -2}}},    // VCO4
  {{{70, 84}, {88, 88}}},    // Filter
  {{{59, 69}, {91, 94}}},    // EnvLFO
  {{{48, 58}, {-1, -2}}},    // HarmDist
  {{{129, 169}, {-1, -2}}},  // Effect
  {{{95, 101}, {-1, -2}}},   // FLEXI1
  {{{102, 108}, {-1, -2}}},  // FLEXI2
  {{{109, 115}, {-1, -2}}},  // FLEXI3
  {{{116, 122}, {-1, -2}}},  // FLEXI4
};

// The synth's internal FLEXI sources are the first 18 list positions, and
// the range controls a random sound may pick the first six.
constexpr int kRandomSourceChoices = 18;
constexpr int kRandomRangeChoices = 6;

bool IsSpare(int index)
{
  return (index >= kFirstSpareLow && index <= kLastSpareLow) ||
         (index >= kFirstSpareHigh && index <= kLastSpareHigh);
}

int SlotBase(int slot)
{
  return kFlexiFirstIndex + kFlexiSlotSize * slot;
}

// Second halves of a slot: FLEXI MODE (bit 1 of BITS) and RANGE CONTROL
// POLARITY (bit 1 of RANGE POLARITY).
int ModeIndex(int slot)
{
  return 171 + 2 * slot;
}
int PolarityIndex(int slot)
{
  return 172 + 2 * slot;
}

}  // namespace

bool SectionHasIndex(int section, int index, bool withComposites)
{
  if (section < 0 || section >= kSectionCount || IsSpare(index)) return false;
  for (const IndexRun& run : kSections[section].runs)
    if (index >= run.first && index <= run.last) return true;
  if (!withComposites || section < kFirstFlexiSection) return false;
  const int slot = section - kFirstFlexiSection;
  return index == ModeIndex(slot) || index == PolarityIndex(slot);
}

void CopySection(int section, const ProgramRecord& from, ProgramRecord& to, bool withComposites)
{
  for (int p = 0; p < kProgramSize; ++p)
    if (SectionHasIndex(section, p, withComposites)) to[p] = from[p];
}

void CopyVcoValues(ProgramRecord& program, int source, int target)
{
  for (int i = 0; i < kVcoSize; ++i) program[kVcoSize * target + i] = program[kVcoSize * source + i];
}

void CopyFlexiValues(ProgramRecord& program, int source, int target)
{
  const int from = SlotBase(source);
  const int to = SlotBase(target);
  const int32_t keptBits = program[to + kFlexiBits] & 1;
  for (int field = 0; field < kFlexiSlotSize; ++field)
    if (field != kFlexiDestination) program[to + field] = program[from + field];
  program[to + kFlexiBits] = (program[from + kFlexiBits] & 2) | keptBits;
  program[ModeIndex(target)] = (program[to + kFlexiBits] >> 1) & 1;
  program[PolarityIndex(target)] = (program[to + kFlexiRangePolarity] >> 1) & 1;
}

ProgramRecord MakeRandomProgram(const ProgramRecord& current, int (*draw)())
{
  ProgramRecord drawn{};
  for (int p = 0; p < kProgramSize; ++p)
    drawn[p] = draw() % (kProgramMax[p] + 1 - kProgramMin[p]) + kProgramMin[p];
  for (int slot = 0; slot < kFlexiSlotCount; ++slot)
  {
    drawn[SlotBase(slot) + kFlexiSource] = kFlexiSourceCode[draw() % kRandomSourceChoices];
    drawn[SlotBase(slot) + kFlexiRangeControl] = kFlexiRangeCode[draw() % kRandomRangeChoices];
  }
  for (int p = 0; p < kProgramSize; ++p)
    if (IsSpare(p)) drawn[p] = current[p];
  for (int slot = 0; slot < kFlexiSlotCount; ++slot)
  {
    const int base = SlotBase(slot);
    drawn[base + kFlexiBits] = (current[base + kFlexiBits] & 1) + 2 * drawn[ModeIndex(slot)];
    drawn[base + kFlexiDestination] = current[base + kFlexiDestination];
    drawn[base + kFlexiRangePolarity] = (current[base + kFlexiRangePolarity] & 1) + 2 * drawn[PolarityIndex(slot)];
    drawn[base + kFlexiRange] = current[base + kFlexiRange];
  }
  return drawn;
}
