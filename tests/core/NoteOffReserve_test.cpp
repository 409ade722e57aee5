// Which keyboard messages may take the input queue's last places: only the
// end of a note whose start the queue took, on its own channel.
#include "core/NoteOffReserve.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
struct Step
{
  const char* name;
  std::vector<uint8_t> message;
  size_t placesToLeave;  // before the message is offered
  bool taken;            // whether the queue then takes it
};

constexpr size_t kAll = NoteOffReserve::kPlaces;

TEST(NoteOffReserve, OnlyTheEndOfATakenNoteMayUseTheReserve)
{
  const Step kSteps[] = {
    {"a note-off with no note-on before it", {0x80, 0x3C, 0x00}, kAll, true},
    {"a note-on", {0x90, 0x3C, 0x64}, kAll, true},
    {"its note-off on another channel", {0x81, 0x3C, 0x00}, kAll, false},
    {"its note-off for another note", {0x80, 0x3D, 0x00}, kAll, false},
    {"a controller", {0xB0, 0x3C, 0x00}, kAll, false},
    {"its note-on of velocity 0, not taken", {0x90, 0x3C, 0x00}, 0, false},
    {"its note-off, taken", {0x80, 0x3C, 0x40}, 0, true},
    {"the note ended: a second note-off", {0x80, 0x3C, 0x40}, kAll, false},
    {"channel 16's note 127 starts", {0x9F, 0x7F, 0x01}, kAll, true},
    {"a second note-on of it", {0x9F, 0x7F, 0x02}, kAll, true},
    {"its end by velocity 0", {0x9F, 0x7F, 0x00}, 0, true},
    {"a note-on the queue dropped", {0x92, 0x10, 0x64}, kAll, false},
    {"the end of the dropped note", {0x82, 0x10, 0x00}, kAll, false},
    {"a note-on of two bytes is no note", {0x93, 0x10}, kAll, false},
  };
  NoteOffReserve reserve;
  for (const Step& s : kSteps)
  {
    EXPECT_EQ(reserve.PlacesToLeave(s.message.data(), s.message.size()), s.placesToLeave) << s.name;
    if (s.taken) reserve.Taken(s.message.data(), s.message.size());
  }
}

// Every one of the 2,048 notes sounding at once keeps its end's place.
TEST(NoteOffReserve, AllSixteenChannelsOfNotesCanSoundAtOnce)
{
  NoteOffReserve reserve;
  for (uint8_t channel = 0; channel < 16; ++channel)
    for (uint8_t note = 0; note < 128; ++note)
    {
      const uint8_t on[] = {static_cast<uint8_t>(0x90 | channel), note, 1};
      reserve.Taken(on, 3);
    }
  size_t free = 0;
  for (uint8_t channel = 0; channel < 16; ++channel)
    for (uint8_t note = 0; note < 128; ++note)
    {
      const uint8_t off[] = {static_cast<uint8_t>(0x80 | channel), note, 0};
      free += reserve.PlacesToLeave(off, 3) == 0;
    }
  EXPECT_EQ(free, 2048u);
}
}  // namespace
