// Whether the machine has a MIDI system the ports can use. The MIDI library
// makes its objects even when no sound server answers (it only prints a
// warning), so the shell asks the systems themselves.
#include "core/shell/AppShell.h"

#include <jack/jack.h>
#include <unistd.h>

bool MidiSystemPresent()
{
  // The ALSA sequencer answers through its device.
  if (access("/dev/snd/seq", R_OK | W_OK) == 0) return true;
  jack_status_t status{};
  jack_client_t* probe = jack_client_open("ZephraEditor probe", JackNoStartServer, &status);
  if (!probe) return false;
  jack_client_close(probe);
  return true;
}
