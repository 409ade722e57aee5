// The sections of a sound that the random and reset actions work on, and
// the record-level halves of the editing actions: copying a VCO or a FLEXI
// slot within a program record, and drawing a random program. All values
// are in record encoding (second halves folded into their partners, plus
// their own copies at 170..183 as the parameters hold them).
//
// Pure functions over constant tables; safe on any thread.
#pragma once

#include "synth/ZephraTables.h"

#include <array>
#include <cstdint>

using ProgramRecord = std::array<int32_t, kProgramSize>;

// The twelve section check boxes, parameters 278..289 in this order:
// VCO1..VCO4, Filter, EnvLFO, HarmDist, Effect, FLEXI1..FLEXI4.
constexpr int kSectionCount = 12;
constexpr int kFirstSectionParam = 278;
constexpr int kFirstFlexiSection = 8;
constexpr int kVcoCount = 4;
constexpr int kVcoSize = 12;  // indices 12 * vco .. 12 * vco + 11

// True when program index belongs to section. Spare indices belong to
// none: they carry nothing and a record always stores them as 0. With
// composites, a FLEXI section also holds its slot's two second halves
// (171 + 2s, 172 + 2s), which only the random action draws.
bool SectionHasIndex(int section, int index, bool withComposites);

// Copies the indices of section from one record to another.
void CopySection(int section, const ProgramRecord& from, ProgramRecord& to, bool withComposites);

// Copies VCO source's twelve values onto VCO target.
void CopyVcoValues(ProgramRecord& program, int source, int target);

// Copies FLEXI slot source onto slot target, except what names the
// target's own destination: DESTINATION and bit 0 of BITS (the high bit of
// the target index) stay the target slot's. The second halves at 171..178
// follow their partners.
void CopyFlexiValues(ProgramRecord& program, int source, int target);

// A random program: every index drawn in its table range, then each slot's
// SOURCE from the synth's 18 internal sources and its RANGE CONTROL from the
// first six range codes. The slot fields that name and size the target
// (BITS bit 0, DESTINATION, RANGE POLARITY bit 0, RANGE) and the spare
// indices keep current's values; the drawn second halves are folded into
// BITS and RANGE POLARITY. draw returns a non-negative pseudo-random number.
ProgramRecord MakeRandomProgram(const ProgramRecord& current, int (*draw)());
