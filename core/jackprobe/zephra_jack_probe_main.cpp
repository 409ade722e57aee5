// The sound server's probe: zephra-jack-probe CLIENT_NAME opens a client of
// the default JACK server as CLIENT_NAME (never starting a server), closes
// it, and exits 0 when the server answered, 1 when it did not (2 for a
// wrong call).
//
// It runs in a process of its own because a server that dies while a client
// is opened can leave the JACK library's locks held for good: in the editor
// every later client would then wait for ever, and the ports would never
// reopen. Here it holds only this short-lived process, which its caller
// kills when it does not answer in time.
//
// It is asked several times a second while the server is away, so it says
// nothing: the JACK library's complaint that no server answers would fill
// the console. The editor itself says when the server goes and comes back.
#include <jack/jack.h>

#include <sys/prctl.h>

#include <csignal>

int main(int argc, char** argv)
{
  if (argc != 2) return 2;
  // Never outlives the caller that waits for it.
  (void)prctl(PR_SET_PDEATHSIG, SIGKILL);
  jack_set_error_function([](const char*) {});
  jack_set_info_function([](const char*) {});
  jack_status_t status{};
  jack_client_t* client = jack_client_open(argv[1], JackNoStartServer, &status);
  if (!client) return 1;
  jack_client_close(client);
  return 0;
}
