#include "synth/ZephraLinkMessages.h"

#include "synth/BankList.h"
#include "synth/ZephraNrpn.h"

#include <algorithm>

namespace
{
// Every message of the synth's starts with F0 and the maker's bytes.
constexpr uint8_t kSynthHeader[] = {0xF0, 0x00, 0x3E, 0x5A};

// Built as a whole vector: inserting a list into an empty one draws a false
// overflow warning from the optimiser.
Bytes Header(uint8_t messageClass, uint8_t command)
{
  return Bytes{kSynthHeader[0], kSynthHeader[1], kSynthHeader[2], kSynthHeader[3], messageClass, command};
}

void PutSum(Bytes& m, int sum)
{
  m.push_back(static_cast<uint8_t>((sum >> 7) & 0x7F));
  m.push_back(static_cast<uint8_t>(sum & 0x7F));
}
}  // namespace

bool IsSynthMessage(const uint8_t* message, size_t size)
{
  return message && size > sizeof kSynthHeader && std::equal(kSynthHeader, kSynthHeader + sizeof kSynthHeader, message);
}

Bytes ProgramRequestMessage(int location)
{
  Bytes m = Header(0x03, kCmdProgramRequest);
  for (uint8_t b : {uint8_t{0x03}, static_cast<uint8_t>(location & 0x7F), uint8_t{0xF7}}) m.push_back(b);
  return m;
}

Bytes ProgramWriteMessage(const ProgramValues& values, const std::string& name, int location)
{
  Bytes m = Header(0x03, kCmdProgramWrite);
  m.reserve(kDumpSize);
  m.push_back(0x03);
  m.push_back(static_cast<uint8_t>(location & 0x7F));
  for (int p = 0; p < kFileValueCount; ++p)
  {
    // The spare indices carry 0 in every file this editor writes.
    const bool spare = p >= kFirstSpareLow && p <= kLastSpareLow;
    const int32_t value = spare ? 0 : values[p];
    m.push_back(static_cast<uint8_t>((value + WireOffset(p)) & 0x7F));
  }
  for (int i = 0; i < kProgramNameLength; ++i)
  {
    const uint8_t c = i < static_cast<int>(name.size()) ? static_cast<uint8_t>(name[i]) : 0;
    m.push_back(c > 0x7F ? static_cast<uint8_t>('_') : c);
  }
  PutSum(m, SysExSum(m.data(), kDumpValueOffset, kDumpNameOffset + kProgramNameLength - 1));
  m.push_back(0xF7);
  return m;
}

int SysExSum(const uint8_t* message, int first, int last)
{
  int sum = 0;
  for (int i = first; i <= last; ++i) sum += message[i];
  return sum;
}

bool DumpChecksumGood(const uint8_t* message, size_t size)
{
  int last = 0;
  if (size == static_cast<size_t>(kDumpSize))
    last = kDumpNameOffset + kProgramNameLength - 1;
  else if (size == static_cast<size_t>(kShortDumpSize))
    last = 111;
  else
    return false;
  const int sum = SysExSum(message, kDumpValueOffset, last);
  return message[last + 1] == ((sum >> 7) & 0x7F) && message[last + 2] == (sum & 0x7F);
}

std::string ProgramNameFromPath(const std::string& path)
{
  const size_t slash = path.rfind('/');
  return SynthNameOfFile(slash == std::string::npos ? path : path.substr(slash + 1));
}

Bytes FirmwareRequestMessage()
{
  Bytes m = Header(0x02, kCmdFirmwareRequest);
  m.push_back(0xF7);
  return m;
}

Bytes FirmwareDataMessage(const uint8_t* image, size_t size)
{
  const size_t n = 8 * size / 7 + 1;
  Bytes m = Header(0x02, kCmdFirmwareData);
  m.reserve(n + 12);
  m.push_back(static_cast<uint8_t>((n >> 14) & 0x7F));
  m.push_back(static_cast<uint8_t>((n >> 7) & 0x7F));
  m.push_back(static_cast<uint8_t>(n & 0x7F));
  // One chunk of up to seven bytes as a big-endian number in count + 1
  // digits; a full chunk's 56 bits fill exactly eight.
  auto putChunk = [&m](const uint8_t* chunk, size_t count) {
    uint64_t x = 0;
    for (size_t i = 0; i < count; ++i) x = (x << 8) | chunk[i];
    for (size_t j = 0; j <= count; ++j)
      m.push_back(static_cast<uint8_t>((x >> (7 * (count - j))) & 0x7F));
  };
  const size_t full = size / 7;
  for (size_t k = 0; k < full; ++k) putChunk(image + 7 * k, 7);
  putChunk(image + 7 * full, size % 7);
  int sum = 0;
  for (size_t i = 9; i < m.size(); ++i) sum += m[i];
  PutSum(m, sum);
  m.push_back(0xF7);
  return m;
}
