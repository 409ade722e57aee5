// Whether the machine has a MIDI system the ports can use. The MIDI library
// makes its objects even when no sound server answers (it only prints a
// warning), so the shell asks the systems themselves.
#include "core/shell/AppShell.h"

#include "core/JackServerWatch.h"

#include <unistd.h>

bool MidiSystemPresent()
{
  // The ALSA sequencer answers through its device.
  if (access("/dev/snd/seq", R_OK | W_OK) == 0) return true;
  return JackServerWatch::ServerAnswers("ZephraEditor probe");
}
