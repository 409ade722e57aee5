#include "core/NoteOffReserve.h"

int NoteOffReserve::NoteSlot(const uint8_t* bytes, size_t size, bool& starts)
{
  if (size != 3 || bytes[1] >= 0x80) return -1;
  const uint8_t kind = bytes[0] & 0xF0;
  if (kind != 0x80 && kind != 0x90) return -1;
  starts = kind == 0x90 && bytes[2] > 0;
  return (bytes[0] & 0x0F) * 128 + bytes[1];
}

size_t NoteOffReserve::PlacesToLeave(const uint8_t* bytes, size_t size) const
{
  bool starts = false;
  const int slot = NoteSlot(bytes, size, starts);
  return slot >= 0 && !starts && mSounding.test(static_cast<size_t>(slot)) ? 0 : kPlaces;
}

void NoteOffReserve::Taken(const uint8_t* bytes, size_t size)
{
  bool starts = false;
  const int slot = NoteSlot(bytes, size, starts);
  if (slot >= 0) mSounding.set(static_cast<size_t>(slot), starts);
}
