// The NRPN wire encoding of program values.
#include "synth/ZephraNrpn.h"

#include <algorithm>

int32_t WireOffset(int programIndex)
{
  const int32_t min = kProgramMin[programIndex];
  return min < 0 ? -min : 0;
}

uint8_t NrpnDataByte(int programIndex, int value, int32_t min, int32_t max)
{
  const int32_t limited = std::clamp<int32_t>(value, min, max);
  // Every table range spans at most 128 values from its offset; the mask
  // only guards a table that ever broke that.
  return static_cast<uint8_t>((limited + WireOffset(programIndex)) & 0x7F);
}

uint8_t NrpnDataByte(int programIndex, int value)
{
  return NrpnDataByte(programIndex, value, kProgramMin[programIndex], kProgramMax[programIndex]);
}
