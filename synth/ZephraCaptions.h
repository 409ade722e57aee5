// Value captions in the synth's own units: numbers, frequencies, times,
// intervals, tempo divisions and mode words.
#pragma once

#include <cstddef>

// The settings that other captions depend on.
struct CaptionContext
{
  int delayLong = 0;  // "Delay Vintage/Long" (index 123)
  int midiSync = 0;   // "MIDI Sync" (index 124)
};

// Writes the caption of program index p with value v into text (size bytes,
// cut to fit). A mode value without a word gives an empty text.
void FormatValueCaption(int programIndex, int value, const CaptionContext& context, char* text,
                        std::size_t size);
