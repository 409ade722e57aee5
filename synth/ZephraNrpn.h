// The NRPN wire encoding of program values, shared by the senders and their
// tests. The synth takes value + offset as the controller-6 byte, the
// offset lifting a signed range to start at 0.
#pragma once

#include "synth/ZephraTables.h"

#include <cstdint>

constexpr int kNrpnMsbController = 99;
constexpr int kNrpnLsbController = 98;
constexpr int kDataEntryController = 6;
// The registered-parameter select (100 LSB, 101 MSB) ends an NRPN address too.
constexpr int kRpnMsbController = 101;
constexpr int kControlChangeStatus = 0xB0;  // channel 1; the wrapper sets the real one

// -kProgramMin[p] when that is negative, else 0.
int32_t WireOffset(int programIndex);

// The controller-6 byte for value at programIndex, whose synth range is
// min..max. The value is first limited to that range, so a value that
// slipped outside it can never put a byte of 0x80 or more on the wire,
// where it would read as a status byte.
uint8_t NrpnDataByte(int programIndex, int value, int32_t min, int32_t max);
// The same with the index's own table range.
uint8_t NrpnDataByte(int programIndex, int value);
