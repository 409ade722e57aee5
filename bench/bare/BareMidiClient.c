/* The least a program does to hold one MIDI input and one MIDI output open on
 * a JACK server: one client with the two ports, whose cycle reads what came
 * in and clears what goes out. What it costs while nothing is played is the
 * floor the sound server sets for any MIDI program; the idle benchmark sets
 * the editor's idle use beside it. Ends on SIGTERM. */
#include <jack/jack.h>
#include <jack/midiport.h>

#include <signal.h>
#include <stdio.h>
#include <unistd.h>

static jack_port_t* gIn;
static jack_port_t* gOut;
static volatile sig_atomic_t gEnd;
static volatile unsigned gEvents;

static int Process(jack_nframes_t frames, void* unused)
{
  (void)unused;
  void* in = jack_port_get_buffer(gIn, frames);
  void* out = jack_port_get_buffer(gOut, frames);
  gEvents += jack_midi_get_event_count(in);
  jack_midi_clear_buffer(out);
  return 0;
}

static void End(int signal)
{
  (void)signal;
  gEnd = 1;
}

int main(void)
{
  jack_status_t status;
  jack_client_t* client = jack_client_open("Bare MIDI Client", JackNoStartServer, &status);
  if (!client)
  {
    fprintf(stderr, "no JACK server (status 0x%x)\n", (unsigned)status);
    return 1;
  }
  gIn = jack_port_register(client, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
  gOut = jack_port_register(client, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
  if (!gIn || !gOut || jack_set_process_callback(client, Process, NULL) != 0 || jack_activate(client) != 0)
  {
    fprintf(stderr, "the ports could not be opened\n");
    jack_client_close(client);
    return 1;
  }
  signal(SIGTERM, End);
  signal(SIGINT, End);
  while (!gEnd) pause();
  jack_deactivate(client);
  jack_client_close(client);
  return 0;
}
