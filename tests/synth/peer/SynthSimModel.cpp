#include "SynthSimModel.h"

#include <cstring>

namespace
{
// ---- wire constants ----

constexpr uint8_t kSysExStart = 0xF0;
constexpr uint8_t kSysExEnd = 0xF7;
constexpr uint8_t kManufacturer[3] = {0x00, 0x3E, 0x5A};

constexpr uint8_t kClassFirmware = 0x02;
constexpr uint8_t kClassProgram = 0x03;

constexpr uint8_t kCmdProgramRequest = 0x40;
constexpr uint8_t kCmdProgramDump = 0x41;
constexpr uint8_t kCmdProgramWrite = 0x20;
constexpr uint8_t kCmdWriteAcknowledged = 0x21;
constexpr uint8_t kCmdWriteFailed = 0x22;
constexpr uint8_t kCmdUpdateRequest = 0x10;
constexpr uint8_t kCmdErasing = 0x11;
constexpr uint8_t kCmdReadyForData = 0x12;
constexpr uint8_t kCmdFirmwareData = 0x13;
constexpr uint8_t kCmdUpdateSuccessful = 0x14;
constexpr uint8_t kCmdUpdateFailed = 0x15;

// Byte 6 of requests, dumps and writes; the synth has only this one bank.
constexpr uint8_t kProgramBank = 0x03;

constexpr size_t kRequestSize = 9;
constexpr size_t kReplySize = 7;
constexpr size_t kDumpSize = 213;
constexpr size_t kValueStart = 8;
constexpr int kDumpValueCount = kFileValueCount;   // indices 0..169
constexpr int kShortDumpValueCount = 104;          // indices 0..103
constexpr size_t kNameStart = kValueStart + kDumpValueCount;  // 178
constexpr size_t kChecksumAt = kNameStart + kProgramNameLength; // 210

// The flash holds at most this much; the length digits could say more.
constexpr int kMaxFirmwareBytes = 80000;
constexpr size_t kFirmwareDigitStart = 9;

// Whole-program sends address index i as 5/i for 0..124 and 128 + i as 6/i
// for 0..41; single-value sends use the same numbers, second halves arriving
// already folded under their partner's address.
constexpr int kBankLowMsb = 5, kBankLowCount = 125;
constexpr int kBankHighMsb = 6, kBankHighFirst = 128, kBankHighCount = 42;

SimBytes Reply(uint8_t messageClass, uint8_t command)
{
  return {kSysExStart, kManufacturer[0], kManufacturer[1], kManufacturer[2],
          messageClass, command, kSysExEnd};
}

int SumBytes(const SimBytes& message, size_t first, size_t end)
{
  int sum = 0;
  for (size_t i = first; i < end; ++i) sum += message[i];
  return sum;
}

// The two seven-bit digits that carry a sum, high first.
void AppendChecksum(SimBytes* message, int sum)
{
  message->push_back(static_cast<uint8_t>((sum >> 7) & 0x7F));
  message->push_back(static_cast<uint8_t>(sum & 0x7F));
}

bool ChecksumMatches(const SimBytes& message, size_t first, size_t end)
{
  const int sum = SumBytes(message, first, end);
  return message[end] == ((sum >> 7) & 0x7F) && message[end + 1] == (sum & 0x7F);
}

int NrpnIndex(int msb, int lsb)
{
  if (msb == kBankLowMsb && lsb >= 0 && lsb < kBankLowCount) return lsb;
  if (msb == kBankHighMsb && lsb >= 0 && lsb < kBankHighCount) return kBankHighFirst + lsb;
  return -1;
}

// Firmware travels as seven-bit digits: every 7 file bytes as one 56-bit
// big-endian number in 8 digits, and the last R = S mod 7 bytes as one
// big-endian number in R + 1 digits, so N = 8 * (S / 7) + R + 1. A digit
// count whose remainder would need 7 tail bytes cannot come from a file.
bool UnpackFirmware(const uint8_t* digits, int count, SimBytes* file)
{
  if (count < 1 || (count - 1) % 8 == 7) return false;
  const int chunks = (count - 1) / 8;
  const int rest = (count - 1) % 8;
  file->clear();
  file->reserve(static_cast<size_t>(chunks) * 7 + static_cast<size_t>(rest));
  for (int k = 0; k < chunks; ++k) {
    uint64_t x = 0;
    for (int j = 0; j < 8; ++j) x = (x << 7) | digits[8 * k + j];
    for (int b = 0; b < 7; ++b) file->push_back(static_cast<uint8_t>(x >> (48 - 8 * b)));
  }
  uint64_t x = 0;
  for (int j = 0; j <= rest; ++j) x = (x << 7) | digits[8 * chunks + j];
  for (int b = 0; b < rest; ++b) file->push_back(static_cast<uint8_t>(x >> (8 * (rest - 1 - b))));
  return true;
}
} // namespace

SimProgram SimDefaultProgram()
{
  SimProgram program;
  program.values = kDefaultProgram;
  std::memcpy(program.name.data(), "INIT", 4);
  return program;
}

int32_t SimWireOffset(int index)
{
  return kProgramMin[index] < 0 ? -kProgramMin[index] : 0;
}

SynthSimModel::SynthSimModel()
{
  Reset();
}

void SynthSimModel::Reset()
{
  mPrograms.fill(SimDefaultProgram());
  mEdit = SimDefaultProgram();
  mNrpnMsb = mNrpnLsb = -1;
  mLoader = Loader::Idle;
  mFirmware.clear();
  mSilent = false;
  mCorruptDumps = mShortDumps = mFailFirmware = 0;
  mFailingLocations.clear();
  mCounts = SimCounts{};
}

void SynthSimModel::Receive(const SimBytes& message, std::vector<SimBytes>* answers)
{
  ++mCounts.received;
  if (message.empty()) return;
  std::vector<SimBytes> replies;
  const uint8_t status = message[0];
  if (status == kSysExStart) {
    ++mCounts.sysex;
    ReceiveSysEx(message, &replies);
  } else if ((status & 0xF0) == 0xB0) {
    ++mCounts.cc;
    if (message.size() == 3 && message[1] < 0x80 && message[2] < 0x80)
      ReceiveControlChange(message[1], message[2]);
    else
      ++mCounts.rejected;
  }
  // Notes, program changes and the rest make sound on a real synth; the
  // editor's protocol does not depend on them, so they are only counted.
  if (!mSilent)
    for (SimBytes& reply : replies) answers->push_back(std::move(reply));
}

void SynthSimModel::ReceiveControlChange(uint8_t controller, uint8_t value)
{
  switch (controller) {
  case 99:
    mNrpnMsb = value;
    break;
  case 98:
    mNrpnLsb = value;
    break;
  case 6: {
    const int index = NrpnIndex(mNrpnMsb, mNrpnLsb);
    if (index < 0) {
      ++mCounts.rejected;
      return;
    }
    // No range check: index 76 legitimately carries the new filter's cutoff,
    // beyond the vintage range the tables give it.
    mEdit.values[index] = value - SimWireOffset(index);
    ++mCounts.nrpn;
    break;
  }
  default:
    break;
  }
}

void SynthSimModel::ReceiveSysEx(const SimBytes& message, std::vector<SimBytes>* answers)
{
  const size_t size = message.size();
  const bool framed = size >= kReplySize && message[1] == kManufacturer[0] &&
                      message[2] == kManufacturer[1] && message[3] == kManufacturer[2] &&
                      message.back() == kSysExEnd;
  if (!framed) {
    ++mCounts.rejected;
    return;
  }
  // A byte with the top bit set cannot be SysEx data; the message is still
  // recognised by its command so that a write can be answered "failed".
  bool clean = true;
  for (size_t i = 1; i + 1 < size; ++i) clean = clean && message[i] < 0x80;

  const uint8_t messageClass = message[4];
  const uint8_t command = message[5];
  if (messageClass == kClassProgram && command == kCmdProgramRequest) {
    ReceiveProgramRequest(message, clean, answers);
  } else if (messageClass == kClassProgram && command == kCmdProgramWrite) {
    ReceiveProgramWrite(message, clean, answers);
  } else if (messageClass == kClassFirmware && command == kCmdUpdateRequest) {
    if (!clean || size != kReplySize) {
      ++mCounts.rejected;
      return;
    }
    // The real loader reports the erase and then its readiness; the erase
    // takes no time here.
    mLoader = Loader::AwaitingData;
    answers->push_back(Reply(kClassFirmware, kCmdErasing));
    answers->push_back(Reply(kClassFirmware, kCmdReadyForData));
  } else if (messageClass == kClassFirmware && command == kCmdFirmwareData) {
    ReceiveFirmwareData(message, clean, answers);
  } else {
    ++mCounts.rejected;
  }
}

void SynthSimModel::ReceiveProgramRequest(const SimBytes& message, bool clean,
                                          std::vector<SimBytes>* answers)
{
  const int location = message.size() == kRequestSize ? message[7] : 0;
  if (!clean || message.size() != kRequestSize || message[6] != kProgramBank || location < 1 ||
      location > kLocations) {
    ++mCounts.rejected;
    return;
  }
  // Silence must not use up the corrupt or short dumps a test asked for.
  if (mSilent) return;
  answers->push_back(BuildDump(location));
  ++mCounts.dumps;
}

void SynthSimModel::ReceiveProgramWrite(const SimBytes& message, bool clean,
                                        std::vector<SimBytes>* answers)
{
  const int location = message.size() > 7 ? message[7] : 0;
  const bool good = clean && message.size() == kDumpSize && message[6] == kProgramBank &&
                    location >= 1 && location <= kLocations &&
                    ChecksumMatches(message, kValueStart, kChecksumAt);
  if (!good) {
    ++mCounts.rejected;
    answers->push_back(Reply(kClassProgram, kCmdWriteFailed));
    return;
  }
  if (mFailingLocations.count(location) != 0) {
    answers->push_back(Reply(kClassProgram, kCmdWriteFailed));
    return;
  }
  SimProgram program = SimDefaultProgram();
  for (int i = 0; i < kDumpValueCount; ++i)
    program.values[i] = message[kValueStart + i] - SimWireOffset(i);
  std::memcpy(program.name.data(), &message[kNameStart], kProgramNameLength);
  mPrograms[location - 1] = program;
  ++mCounts.stored;
  answers->push_back(Reply(kClassProgram, kCmdWriteAcknowledged));
}

void SynthSimModel::ReceiveFirmwareData(const SimBytes& message, bool clean,
                                        std::vector<SimBytes>* answers)
{
  ++mCounts.firmware;
  // Outside the loader the synth does not know this message at all.
  if (mLoader != Loader::AwaitingData) {
    ++mCounts.rejected;
    return;
  }
  const size_t size = message.size();
  bool good = clean && size >= kFirmwareDigitStart + 4;
  int count = 0;
  if (good) {
    count = (message[6] << 14) | (message[7] << 7) | message[8];
    good = size == static_cast<size_t>(count) + 12 &&
           ChecksumMatches(message, kFirmwareDigitStart, kFirmwareDigitStart + count);
  }
  SimBytes file;
  good = good && UnpackFirmware(&message[kFirmwareDigitStart], count, &file) &&
         file.size() <= static_cast<size_t>(kMaxFirmwareBytes);
  if (!good) {
    // The loader stays open: the editor sends the data once more on failure.
    ++mCounts.rejected;
    answers->push_back(Reply(kClassFirmware, kCmdUpdateFailed));
    return;
  }
  if (mFailFirmware > 0) {
    --mFailFirmware;
    answers->push_back(Reply(kClassFirmware, kCmdUpdateFailed));
    return;
  }
  mFirmware = std::move(file);
  mLoader = Loader::Idle;
  answers->push_back(Reply(kClassFirmware, kCmdUpdateSuccessful));
}

SimBytes SynthSimModel::BuildDump(int location)
{
  const bool isShort = mShortDumps > 0;
  if (isShort) --mShortDumps;
  const SimProgram& program = mPrograms[location - 1];

  SimBytes dump = {kSysExStart,   kManufacturer[0], kManufacturer[1],
                   kManufacturer[2], kClassProgram, kCmdProgramDump,
                   kProgramBank,  static_cast<uint8_t>(location)};
  const int valueCount = isShort ? kShortDumpValueCount : kDumpValueCount;
  for (int i = 0; i < valueCount; ++i)
    dump.push_back(static_cast<uint8_t>((program.values[i] + SimWireOffset(i)) & 0x7F));
  if (!isShort)
    for (uint8_t c : program.name) dump.push_back(c & 0x7F);

  int sum = SumBytes(dump, kValueStart, dump.size());
  if (mCorruptDumps > 0) {
    --mCorruptDumps;
    // Off by one in the low digit: always a different, still 7-bit pair.
    sum = (sum & ~0x7F) | ((sum + 1) & 0x7F);
  }
  AppendChecksum(&dump, sum);
  dump.push_back(kSysExEnd);
  return dump;
}
