// IMidiMsg and ISysEx: the two value records that carry MIDI through the
// framework. IMidiMsg is one short message (status byte with the kind in
// the upper four bits and the channel 0-15 in the lower four, two data
// bytes); ISysEx points at one whole system-exclusive message, F0 to F7,
// that it does not own. Both are plain values, safe to copy between threads.
#pragma once

#include <cstdint>

struct IMidiMsg
{
  // The upper four bits of a channel message's status byte.
  enum EStatusMsg
  {
    kNone = 0,
    kNoteOff = 8,
    kNoteOn = 9,
    kPolyAftertouch = 10,
    kControlChange = 11,
    kProgramChange = 12,
    kChannelAftertouch = 13,
    kPitchWheel = 14,
  };

  int mOffset;  // sample offset within a block; 0 in this program
  uint8_t mStatus;
  uint8_t mData1;
  uint8_t mData2;

  IMidiMsg(int offset = 0, uint8_t status = 0, uint8_t data1 = 0, uint8_t data2 = 0)
    : mOffset(offset), mStatus(status), mData1(data1), mData2(data2)
  {
  }

  // ---- builders: each overwrites the whole record ----
  // Channels are taken modulo 16; note, velocity and controller numbers are
  // limited to 0..127, since a data byte with its top bit set would read as
  // a status byte on the wire.
  void MakeNoteOnMsg(int noteNumber, int velocity, int offset, int channel = 0);
  // Always velocity 0.
  void MakeNoteOffMsg(int noteNumber, int offset, int channel = 0);
  // value -1..1; 0 is the centre 8192, limited to 0..16383.
  void MakePitchWheelMsg(double value, int channel = 0);
  // value 0..1 becomes 0..127 (truncated, limited to 0..127).
  void MakeControlChangeMsg(int controller, double value, int channel = 0);
  void Clear();

  // ---- readers; -1 where the message is of another kind ----
  int Channel() const { return mStatus & 0x0F; }
  // The kind of a channel message; kNone for system messages (F0-FF) and for
  // a status byte without its top bit.
  EStatusMsg StatusMsg() const;
  int NoteNumber() const;
  int Velocity() const;
  int PolyAfterTouch() const;
  int ChannelAftertouch() const;
  int Program() const;
  // -1..1 for a pitch-wheel message; 0 otherwise.
  double PitchWheel() const;
  // Data 1, whatever the kind.
  int ControlChangeIdx() const { return mData1; }
  // 0..1 when this is a change of the given controller; -1 otherwise.
  double ControlChange(int controller) const;
  // "noteon", "controlchange", ... ; "unknown" for kinds without a name.
  static const char* StatusMsgStr(int msg);

  // Bytes this message occupies on the wire: 2 for program change, channel
  // pressure, song select and time-code quarter frame; 1 for real-time and
  // other single-byte system messages; 3 for the other channel messages and
  // song position. 0 for a status byte without its top bit and for F0 and
  // F7, which belong to a system-exclusive message and are never sent alone.
  static int WireLength(uint8_t status);
  int WireLength() const { return WireLength(mStatus); }
};

struct ISysEx
{
  int mOffset;
  int mSize;
  const uint8_t* mData;  // not owned; valid only during the call that hands it over

  ISysEx(int offset = 0, const uint8_t* data = nullptr, int size = 0)
    : mOffset(offset), mSize(size), mData(data)
  {
  }

  void Clear();
};

// Hex dump of data for logs: "F0 00 3E", as many whole bytes as fit in room
// bytes (three per byte, the last blank becoming the terminator) and at most
// size. Empty text for null data or size 0. Returns text.
char* SysExStr(char* text, int room, const uint8_t* data, int size);
