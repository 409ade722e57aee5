#include "core/IMidiMsg.h"

#include <cmath>

namespace
{
uint8_t DataByte(int value)
{
  return static_cast<uint8_t>(value < 0 ? 0 : value > 127 ? 127 : value);
}

uint8_t StatusByte(int kind, int channel)
{
  return static_cast<uint8_t>((kind << 4) | (channel & 0x0F));
}
}  // namespace

void IMidiMsg::MakeNoteOnMsg(int noteNumber, int velocity, int offset, int channel)
{
  mOffset = offset;
  mStatus = StatusByte(kNoteOn, channel);
  mData1 = DataByte(noteNumber);
  mData2 = DataByte(velocity);
}

void IMidiMsg::MakeNoteOffMsg(int noteNumber, int offset, int channel)
{
  mOffset = offset;
  mStatus = StatusByte(kNoteOff, channel);
  mData1 = DataByte(noteNumber);
  mData2 = 0;
}

void IMidiMsg::MakePitchWheelMsg(double value, int channel)
{
  mOffset = 0;
  mStatus = StatusByte(kPitchWheel, channel);
  const double scaled = 8192.0 + std::trunc(value * 8192.0);
  // Written so that a value that is not a number lands on the lower limit.
  const int i = scaled >= 16383.0 ? 16383 : scaled >= 0.0 ? static_cast<int>(scaled) : 0;
  mData1 = static_cast<uint8_t>(i & 0x7F);
  mData2 = static_cast<uint8_t>(i / 128);
}

void IMidiMsg::MakeControlChangeMsg(int controller, double value, int channel)
{
  mOffset = 0;
  mStatus = StatusByte(kControlChange, channel);
  mData1 = DataByte(controller);
  const double scaled = std::trunc(value * 127.0);
  const int i = scaled >= 127.0 ? 127 : scaled >= 0.0 ? static_cast<int>(scaled) : 0;
  mData2 = static_cast<uint8_t>(i);
}

void IMidiMsg::Clear()
{
  mOffset = 0;
  mStatus = mData1 = mData2 = 0;
}

IMidiMsg::EStatusMsg IMidiMsg::StatusMsg() const
{
  const int kind = mStatus >> 4;
  return (mStatus & 0x80) && kind < 15 ? static_cast<EStatusMsg>(kind) : kNone;
}

int IMidiMsg::NoteNumber() const
{
  switch (StatusMsg())
  {
    case kNoteOff:
    case kNoteOn:
    case kPolyAftertouch:
      return mData1;
    default:
      return -1;
  }
}

int IMidiMsg::Velocity() const
{
  const EStatusMsg kind = StatusMsg();
  return kind == kNoteOff || kind == kNoteOn ? mData2 : -1;
}

int IMidiMsg::PolyAfterTouch() const
{
  return StatusMsg() == kPolyAftertouch ? mData2 : -1;
}

int IMidiMsg::ChannelAftertouch() const
{
  return StatusMsg() == kChannelAftertouch ? mData1 : -1;
}

int IMidiMsg::Program() const
{
  return StatusMsg() == kProgramChange ? mData1 : -1;
}

double IMidiMsg::PitchWheel() const
{
  if (StatusMsg() != kPitchWheel) return 0.0;
  return (mData1 + 128 * mData2 - 8192) / 8192.0;
}

double IMidiMsg::ControlChange(int controller) const
{
  if (StatusMsg() != kControlChange || mData1 != controller) return -1.0;
  return mData2 / 127.0;
}

const char* IMidiMsg::StatusMsgStr(int msg)
{
  switch (msg)
  {
    case kNone: return "none";
    case kNoteOff: return "noteoff";
    case kNoteOn: return "noteon";
    case kPolyAftertouch: return "aftertouch";
    case kControlChange: return "controlchange";
    case kProgramChange: return "programchange";
    case kChannelAftertouch: return "channelaftertouch";
    case kPitchWheel: return "pitchwheel";
    default: return "unknown";
  }
}

int IMidiMsg::WireLength(uint8_t status)
{
  if (status < 0x80) return 0;
  if (status < 0xF0)
  {
    const int kind = status >> 4;
    return kind == kProgramChange || kind == kChannelAftertouch ? 2 : 3;
  }
  switch (status)
  {
    case 0xF0:  // start of system exclusive
    case 0xF7:  // end of system exclusive
      return 0;
    case 0xF1:  // time-code quarter frame
    case 0xF3:  // song select
      return 2;
    case 0xF2:  // song position
      return 3;
    default:  // tune request, undefined system common, real-time
      return 1;
  }
}

void ISysEx::Clear()
{
  mOffset = 0;
  mSize = 0;
  mData = nullptr;
}

char* SysExStr(char* text, int room, const uint8_t* data, int size)
{
  if (!text || room <= 0) return text;
  text[0] = '\0';
  if (!data || size <= 0) return text;
  int n = room / 3;
  if (n > size) n = size;
  static const char kHex[] = "0123456789ABCDEF";
  for (int i = 0; i < n; ++i)
  {
    text[3 * i] = kHex[data[i] >> 4];
    text[3 * i + 1] = kHex[data[i] & 0x0F];
    text[3 * i + 2] = ' ';
  }
  if (n > 0) text[3 * n - 1] = '\0';
  return text;
}
