// The program's entry: the window layer's runner drives the shell.
#include "core/shell/AppShell.h"
#include "winl/WINL_App.h"

#include <malloc.h>

#include <cstdlib>

int main()
{
  // Blocks of artwork and surface pixels (any of a quarter megabyte or
  // more) are mapped on their own and unmapped when freed. Left to itself,
  // the allocator raises this bound after the first such block is freed and
  // carves later ones out of its heaps, whose freed pages it keeps: a visit
  // to a larger scale left the editor holding that scale's memory.
  mallopt(M_MMAP_THRESHOLD, 256 * 1024);
  // The MIDI ports use a sound server only when one runs: the editor never
  // starts one of its own.
  setenv("JACK_NO_START_SERVER", "1", 1);
  // Without its artwork the editor would open a blank panel: it says where
  // it looked instead, and starts nothing.
  if (const std::string missing = AppMissingArtworkMessage(); !missing.empty())
    return AppReportMissingArtwork(missing);
  // The toolkit's environment and locale are set before any thread starts
  // that reads them (the resources folder, the font configuration).
  AppSetUpEarly();
  AppStartEarlyArtwork();
  AppStartWarming();
  const int status = WINL_RunApplication(WINLAppMain);
  AppFinishEarlyArtwork();
  AppJoinWarming();
  return status;
}
