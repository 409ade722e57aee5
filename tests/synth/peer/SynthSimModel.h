// The simulated synth's memory and its side of the MIDI protocol, without
// any ports: a message goes in, the messages to answer with come out.
//
// The model holds 99 program locations and the edit buffer, follows NRPN
// control changes into the edit buffer, answers program requests with dumps,
// checks and stores program writes, and runs the firmware loader. Test modes
// make it misbehave on purpose (silence, bad checksums, short dumps, failed
// writes and updates) so that the editor's error paths can be exercised.
//
// Not thread-safe: its owner serialises every call.
#pragma once

#include "synth/ZephraTables.h"

#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

using SimBytes = std::vector<uint8_t>;

// One program as the synth keeps it, in the editor's record encoding: the
// value of index i travels as the byte value + SimWireOffset(i). Indices
// 170..183 never travel on their own; they stay at the default program's.
struct SimProgram
{
  std::array<int32_t, kProgramSize> values{};
  std::array<uint8_t, kProgramNameLength> name{}; // NUL-padded

  bool operator==(const SimProgram& other) const
  {
    return values == other.values && name == other.name;
  }
};

// The default program under the name "INIT", which every location and the
// edit buffer hold at power-on.
SimProgram SimDefaultProgram();

// What is added to a value to make its wire byte: -min for indices whose
// range goes below zero, else 0.
int32_t SimWireOffset(int index);

// Message counters, as the "counts" command reports them.
struct SimCounts
{
  int received = 0;  // every complete MIDI message, good or bad
  int sysex = 0;     // of them system-exclusive
  int cc = 0;        // of them control changes
  int nrpn = 0;      // controller-6 values that reached the edit buffer
  int rejected = 0;  // messages refused as malformed
  int dumps = 0;     // program dumps sent
  int stored = 0;    // program writes stored
  int firmware = 0;  // firmware data messages received
};

class SynthSimModel
{
public:
  static constexpr int kLocations = 99;  // locations 1..99

  SynthSimModel();

  // Back to power-on: default programs, no NRPN selection, no test modes,
  // no firmware, counters zero.
  void Reset();

  // Handles one complete MIDI message and appends the messages the synth
  // sends in answer, in order. In silent mode the message is still handled
  // but nothing is appended.
  void Receive(const SimBytes& message, std::vector<SimBytes>* answers);

  // ---- test modes ----
  void SetSilent(bool silent) { mSilent = silent; }
  // The next n dumps carry a wrong checksum / are 115-byte short dumps.
  void SetCorruptDumps(int n) { mCorruptDumps = n; }
  void SetShortDumps(int n) { mShortDumps = n; }
  // Writes to the location are answered "failed" and not stored.
  void AddFailingLocation(int location) { mFailingLocations.insert(location); }
  void ClearFailingLocations() { mFailingLocations.clear(); }
  // The next n firmware data messages are answered "update failed".
  void SetFailFirmware(int n) { mFailFirmware = n; }

  bool Silent() const { return mSilent; }
  int CorruptDumps() const { return mCorruptDumps; }
  int ShortDumps() const { return mShortDumps; }
  int FailFirmware() const { return mFailFirmware; }
  const std::set<int>& FailingLocations() const { return mFailingLocations; }

  // ---- state, for the queries ----
  const SimProgram& EditBuffer() const { return mEdit; }
  // location 1..99
  const SimProgram& Program(int location) const { return mPrograms[location - 1]; }
  void SetProgram(int location, const SimProgram& program) { mPrograms[location - 1] = program; }
  const SimCounts& Counts() const { return mCounts; }
  // The file bytes of the last firmware update that succeeded.
  const SimBytes& Firmware() const { return mFirmware; }

private:
  enum class Loader { Idle, AwaitingData };

  void ReceiveControlChange(uint8_t controller, uint8_t value);
  void ReceiveSysEx(const SimBytes& message, std::vector<SimBytes>* answers);
  void ReceiveProgramRequest(const SimBytes& message, bool clean, std::vector<SimBytes>* answers);
  void ReceiveProgramWrite(const SimBytes& message, bool clean, std::vector<SimBytes>* answers);
  void ReceiveFirmwareData(const SimBytes& message, bool clean, std::vector<SimBytes>* answers);
  SimBytes BuildDump(int location);

  std::array<SimProgram, kLocations> mPrograms;
  SimProgram mEdit;

  // NRPN selection by controllers 99 and 98; -1 until first set.
  int mNrpnMsb = -1;
  int mNrpnLsb = -1;

  Loader mLoader = Loader::Idle;
  SimBytes mFirmware;

  bool mSilent = false;
  int mCorruptDumps = 0;
  int mShortDumps = 0;
  int mFailFirmware = 0;
  std::set<int> mFailingLocations;

  SimCounts mCounts;
};
