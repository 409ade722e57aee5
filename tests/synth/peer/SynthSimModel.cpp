#include "SynthSimModel.h"

#include <algorithm>

namespace
{
// Every message opens with F0 and the manufacturer bytes, then a class and
// a command; requests, dumps and writes carry the bank 03 in byte 6.
constexpr uint8_t kHeader[4] = {0xF0, 0x00, 0x3E, 0x5A};
constexpr uint8_t kClassFirmware = 0x02, kClassProgram = 0x03, kBank = 0x03;
constexpr size_t kDumpSize = 213, kRequestSize = 9, kReplySize = 7;
constexpr size_t kValueStart = 8, kNameStart = 178, kChecksumAt = 210;
constexpr int kShortDumpValues = 104;   // a short dump carries indices 0..103
constexpr size_t kMaxFirmware = 80000;  // what the flash holds
constexpr size_t kFirmwareDigitStart = 9;

SimBytes Reply(uint8_t messageClass, uint8_t command)
{
  return {0xF0, 0x00, 0x3E, 0x5A, messageClass, command, 0xF7};
}

// The synth sends value minus a negative minimum, so that bytes stay 0..127.
int32_t WireOffset(int index) { return kProgramMin[index] < 0 ? -kProgramMin[index] : 0; }

int Sum(const SimBytes& m, size_t first, size_t end)
{
  int sum = 0;
  for (size_t i = first; i < end; ++i) sum += m[i];
  return sum;
}

// The two seven-bit digits at end carry the sum of first..end-1, high first.
bool ChecksumMatches(const SimBytes& m, size_t first, size_t end)
{
  const int sum = Sum(m, first, end);
  return m[end] == ((sum >> 7) & 0x7F) && m[end + 1] == (sum & 0x7F);
}

// Firmware travels as seven-bit digits: every 7 image bytes as one 56-bit
// big-endian number in 8 digits, the last R = S mod 7 bytes as one number
// in R + 1 digits. A count whose tail would need 7 bytes comes from no image.
bool UnpackFirmware(const uint8_t* digits, size_t count, SimBytes& image)
{
  if (count < 1 || (count - 1) % 8 == 7) return false;
  const size_t chunks = (count - 1) / 8, rest = (count - 1) % 8;
  image.clear();
  for (size_t k = 0; k <= chunks; ++k)
  {
    const size_t bytes = k < chunks ? 7 : rest;
    uint64_t x = 0;
    for (size_t j = 0; j <= bytes; ++j) x = (x << 7) | digits[8 * k + j];
    for (size_t b = 0; b < bytes; ++b) image.push_back(static_cast<uint8_t>(x >> (8 * (bytes - 1 - b))));
  }
  return true;
}
}  // namespace

void SynthSimModel::Receive(const SimBytes& message, std::vector<SimBytes>& answers)
{
  if (keepHeard) heard.push_back(message);
  std::vector<SimBytes> replies;
  if (!message.empty() && message[0] == 0xF0)
  {
    ReceiveSysEx(message, replies);
  }
  else if (message.size() == 3 && (message[0] & 0xF0) == 0xB0)
  {
    // Whole-program sends address index i as 5/i for 0..124 and 128 + i as
    // 6/i for 0..41; single values use the same numbers, second halves
    // folded into their partners.
    if (message[1] == 99) mNrpnMsb = message[2];
    if (message[1] == 98) mNrpnLsb = message[2];
    int index = -1;
    if (mNrpnMsb == 5 && mNrpnLsb >= 0 && mNrpnLsb < 125) index = mNrpnLsb;
    if (mNrpnMsb == 6 && mNrpnLsb >= 0 && mNrpnLsb < 42) index = 128 + mNrpnLsb;
    // No range check: index 76 carries the new filter's cutoff, beyond the
    // vintage range the tables give it.
    if (message[1] == 6 && index >= 0) edit.values[index] = message[2] - WireOffset(index);
  }
  // Notes and the rest make sound on a real synth; the protocol ignores them.
  if (!silent)
    for (SimBytes& reply : replies) answers.push_back(std::move(reply));
}

void SynthSimModel::ReceiveSysEx(const SimBytes& message, std::vector<SimBytes>& answers)
{
  const size_t size = message.size();
  if (size < kReplySize || !std::equal(kHeader, kHeader + 4, message.begin()) || message.back() != 0xF7) return;
  // A byte with the top bit set cannot be SysEx data; a write holding one is
  // still answered, "failed".
  for (size_t i = 1; i + 1 < size; ++i)
    if (message[i] >= 0x80)
    {
      if (message[4] == kClassProgram && message[5] == 0x20) answers.push_back(Reply(kClassProgram, 0x22));
      return;
    }
  const uint8_t command = message[5];
  if (message[4] == kClassProgram && command == 0x40)
  {
    const int location = size == kRequestSize && message[6] == kBank ? message[7] : 0;
    // Silence must not use up the corrupt or short dumps a test asked for.
    if (location >= 1 && location <= kLocations && !silent)
    {
      SimBytes dump = Dump(location);
      answers.insert(answers.end(), noiseBefore.begin(), noiseBefore.end());
      if (!noiseInside.empty())
      {
        answers.emplace_back(dump.begin(), dump.begin() + kNoiseAt);
        answers.push_back(noiseInside);
        dump.erase(dump.begin(), dump.begin() + kNoiseAt);
      }
      answers.push_back(std::move(dump));
    }
  }
  else if (message[4] == kClassProgram && command == 0x20)
  {
    ReceiveProgramWrite(message, answers);
  }
  else if (message[4] == kClassFirmware && command == 0x10 && size == kReplySize)
  {
    // The real loader reports the erase and then its readiness; the erase
    // takes no time here.
    mLoaderOpen = true;
    answers.push_back(Reply(kClassFirmware, 0x11));
    answers.push_back(Reply(kClassFirmware, 0x12));
  }
  else if (message[4] == kClassFirmware && command == 0x13)
  {
    ReceiveFirmwareData(message, answers);
  }
}

void SynthSimModel::ReceiveProgramWrite(const SimBytes& message, std::vector<SimBytes>& answers)
{
  const int location = message.size() == kDumpSize && message[6] == kBank ? message[7] : 0;
  if (location < 1 || location > kLocations || !ChecksumMatches(message, kValueStart, kChecksumAt) ||
      failingLocations.count(location) != 0)
  {
    answers.push_back(Reply(kClassProgram, 0x22));
    return;
  }
  SimProgram program;
  for (int i = 0; i < kFileValueCount; ++i) program.values[i] = message[kValueStart + i] - WireOffset(i);
  program.name.assign(message.begin() + kNameStart, message.begin() + kChecksumAt);
  program.name.erase(program.name.find_last_not_of(std::string(" \0", 2)) + 1);
  programs[location - 1] = program;
  answers.push_back(Reply(kClassProgram, 0x21));
}

void SynthSimModel::ReceiveFirmwareData(const SimBytes& message, std::vector<SimBytes>& answers)
{
  // Outside the loader the synth does not know this message at all.
  if (!mLoaderOpen) return;
  const size_t size = message.size();
  const size_t count = size >= kFirmwareDigitStart + 4
                         ? static_cast<size_t>(message[6] << 14 | message[7] << 7 | message[8])
                         : 0;
  SimBytes image;
  const bool good = count > 0 && size == count + 12 &&
                    ChecksumMatches(message, kFirmwareDigitStart, kFirmwareDigitStart + count) &&
                    UnpackFirmware(&message[kFirmwareDigitStart], count, image) && image.size() <= kMaxFirmware;
  // On failure the loader stays open: the editor sends the data once more.
  if (!good || failFirmware > 0)
  {
    if (good) --failFirmware;
    answers.push_back(Reply(kClassFirmware, 0x15));
    return;
  }
  firmware = std::move(image);
  mLoaderOpen = false;
  answers.push_back(Reply(kClassFirmware, 0x14));
}

SimBytes SynthSimModel::Dump(int location)
{
  const bool isShort = shortDumps > 0;
  if (isShort) --shortDumps;
  const SimProgram& program = programs[location - 1];
  SimBytes dump = {0xF0, 0x00, 0x3E, 0x5A, kClassProgram, 0x41, kBank, static_cast<uint8_t>(location)};
  for (int i = 0; i < (isShort ? kShortDumpValues : kFileValueCount); ++i)
    dump.push_back(static_cast<uint8_t>((program.values[i] + WireOffset(i)) & 0x7F));
  if (!isShort)
    for (int i = 0; i < kProgramNameLength; ++i)
      dump.push_back(static_cast<uint8_t>(i < static_cast<int>(program.name.size()) ? program.name[i] & 0x7F : 0));
  int sum = Sum(dump, kValueStart, dump.size());
  if (corruptDumps > 0)
  {
    --corruptDumps;
    // Off by one in the low digit: always a different, still 7-bit pair.
    sum = (sum & ~0x7F) | ((sum + 1) & 0x7F);
  }
  dump.push_back(static_cast<uint8_t>((sum >> 7) & 0x7F));
  dump.push_back(static_cast<uint8_t>(sum & 0x7F));
  dump.push_back(0xF7);
  return dump;
}
