// What a MIDI input hands over, cleaned into whole messages: the library's
// JACK input glues events into an open SysEx, so these are the byte runs a
// synth that sends clock or active sensing, or a broken sender, produces.
#include "core/MidiInputCleaner.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
using Bytes = std::vector<uint8_t>;

struct Case
{
  const char* name;
  std::vector<Bytes> handed;  // one entry per callback
  std::vector<Bytes> expected;
  size_t discarded;
};

const Case kCases[] = {
  {"dump with a clock byte inside", {{0xF0, 0x00, 0x3E, 0xF8, 0x5A, 0x03, 0xF7}},
   {{0xF8}, {0xF0, 0x00, 0x3E, 0x5A, 0x03, 0xF7}}, 0},
  {"dump with active sensing inside", {{0xF0, 0x01, 0xFE, 0x02, 0xF7}}, {{0xFE}, {0xF0, 0x01, 0x02, 0xF7}}, 0},
  {"unfinished foreign SysEx, a note, then a dump", {{0xF0, 0x41, 0x10, 0x90, 0x3C, 0x64, 0xF0, 0x00, 0x3E, 0xF7}},
   {{0x90, 0x3C, 0x64}, {0xF0, 0x00, 0x3E, 0xF7}}, 1},
  {"second F0 before F7", {{0xF0, 0x7D, 0x01, 0xF0, 0x00, 0x3E, 0x5A, 0xF7}}, {{0xF0, 0x00, 0x3E, 0x5A, 0xF7}}, 1},
  {"SysEx in three pieces", {{0xF0, 0x01}, {0x02}, {0x03, 0xF7}}, {{0xF0, 0x01, 0x02, 0x03, 0xF7}}, 0},
  {"stray F7 and data bytes", {{0xF7, 0x10, 0x20, 0xC1, 0x05}}, {{0xC1, 0x05}}, 0},
  {"running status", {{0x90, 0x3C, 0x64, 0x3E, 0x00, 0x40}}, {{0x90, 0x3C, 0x64}, {0x90, 0x3E, 0x00}}, 0},
  {"program change runs on", {{0xC2, 0x01, 0x02}}, {{0xC2, 0x01}, {0xC2, 0x02}}, 0},
  {"clock inside a controller", {{0xB0, 0x07, 0xF8, 0x3F}}, {{0xF8}, {0xB0, 0x07, 0x3F}}, 0},
  {"tune request and song position", {{0xF6, 0xF2, 0x01, 0x02, 0x03}}, {{0xF6}, {0xF2, 0x01, 0x02}}, 0},
  {"song select then data", {{0xF3, 0x04, 0x05}}, {{0xF3, 0x04}}, 0},
  {"note ends an unfinished SysEx across callbacks", {{0xF0, 0x01, 0x02}, {0x80, 0x3C, 0x00}},
   {{0x80, 0x3C, 0x00}}, 1},
};

TEST(MidiInputCleaner, SplitsWhatTheLibraryGlued)
{
  for (const Case& c : kCases)
  {
    MidiInputCleaner cleaner;
    std::vector<Bytes> got;
    for (const Bytes& piece : c.handed)
      cleaner.Feed(piece.data(), piece.size(), [&](const uint8_t* b, size_t n) { got.emplace_back(b, b + n); });
    EXPECT_EQ(got, c.expected) << c.name;
    EXPECT_EQ(cleaner.Discarded(), c.discarded) << c.name;
  }
}

// A SysEx of up to 262,144 bytes in all is kept; one byte more and it is
// thrown away whole, and the next message is not harmed.
TEST(MidiInputCleaner, OverlongSysExIsDiscarded)
{
  struct Limit { size_t dataBytes; size_t kept; } kLimits[] = {{262141, 262143}, {262142, 262144}, {262143, 0}};
  for (const Limit& l : kLimits)
  {
    Bytes sysEx(l.dataBytes + 2, 0x11);
    sysEx.front() = 0xF0;
    sysEx.back() = 0xF7;
    sysEx.insert(sysEx.end(), {0xC0, 0x09});
    MidiInputCleaner cleaner;
    std::vector<size_t> sizes;
    cleaner.Feed(sysEx.data(), sysEx.size(), [&](const uint8_t*, size_t n) { sizes.push_back(n); });
    EXPECT_EQ(sizes, l.kept ? (std::vector<size_t>{l.kept, 2}) : (std::vector<size_t>{2})) << l.dataBytes;
  }
}
}  // namespace
