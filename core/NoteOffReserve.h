// NoteOffReserve: which of a controller keyboard's messages may take the
// last places of its input queue.
//
// The queue holds kPlaces places back from every message but one kind: the
// note-off (or note-on of velocity 0) of a note whose note-on the queue
// took. There are never more such notes than 16 channels of 128, so however
// long the editor is held up, a note it started at the synth always gets
// its end; what a full queue loses is a note never started, a controller,
// a bend. A note-off with no note-on taken before it (its note-on lost, or
// played before the editor listened) is an ordinary message.
//
// The input callback's thread only.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>

class NoteOffReserve
{
public:
  static constexpr size_t kPlaces = 16 * 128;

  // The places the queue must still have free after message is in it for
  // the message to be let in: 0 for the end of a note the queue took,
  // kPlaces for anything else. bytes is a whole message (1 to 3 bytes).
  size_t PlacesToLeave(const uint8_t* bytes, size_t size) const;
  // The queue took the message: a note-on starts its note, a note-off ends it.
  void Taken(const uint8_t* bytes, size_t size);

private:
  // The note message's place in mSounding (channel * 128 + note), and
  // whether it starts the note; -1 for any other message.
  static int NoteSlot(const uint8_t* bytes, size_t size, bool& starts);

  std::bitset<kPlaces> mSounding;  // notes the queue took a note-on of and no note-off since
};
