// The simulated synth's memory and its side of the MIDI protocol, without
// any ports: a message goes in, the messages to answer with come out.
//
// It holds 99 program locations and the edit buffer, follows NRPN control
// changes into the edit buffer, answers program requests with dumps, checks
// and stores program writes, and runs the firmware loader. Test modes make
// it misbehave on purpose (silence, bad checksums, short dumps, failed
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

// One program as the synth keeps it, in the editor's record encoding. Only
// indices 0..169 travel; 170..183 stay at the default program's.
struct SimProgram
{
  std::array<int32_t, kProgramSize> values = kDefaultProgram;
  std::string name = "INIT";  // without its NUL and blank padding
};

struct SynthSimModel
{
  static constexpr int kLocations = 99;

  // Handles one complete MIDI message and appends the answers, in order. In
  // silent mode the message is still handled but nothing is answered.
  void Receive(const SimBytes& message, std::vector<SimBytes>& answers);

  // ---- test modes ----
  bool silent = false;
  int corruptDumps = 0;  // the next n dumps carry a wrong checksum
  int shortDumps = 0;    // the next n dumps are 115-byte short dumps
  int failFirmware = 0;  // the next n good firmware images are answered "failed"
  std::set<int> failingLocations;  // writes there are answered "failed"
  // What a busy MIDI line mixes into every dump while set: the messages of
  // noiseBefore go out just before the dump, noiseInside splits the dump
  // after its first kNoiseAt bytes (each part a message of its own).
  static constexpr size_t kNoiseAt = 100;
  std::vector<SimBytes> noiseBefore;
  SimBytes noiseInside;
  // While set, every message received is kept in heard, in arrival order.
  bool keepHeard = false;
  std::vector<SimBytes> heard;

  // ---- state, as power-on leaves it ----
  std::array<SimProgram, kLocations> programs;  // location L at L - 1
  SimProgram edit;
  SimBytes firmware;  // the image of the last update that succeeded

private:
  void ReceiveSysEx(const SimBytes& message, std::vector<SimBytes>& answers);
  void ReceiveProgramWrite(const SimBytes& message, std::vector<SimBytes>& answers);
  void ReceiveFirmwareData(const SimBytes& message, std::vector<SimBytes>& answers);
  SimBytes Dump(int location);

  int mNrpnMsb = -1;  // NRPN address by controllers 99 and 98; -1 until set
  int mNrpnLsb = -1;
  bool mLoaderOpen = false;  // after an update request, until an image is taken
};
