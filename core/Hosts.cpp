#include "core/Hosts.h"

#include <cstdio>
#include <cstring>

namespace
{
struct HostPattern
{
  const char* substring;
  int host;
};

// Tested in this order; the first match wins, so "live" must come after
// every name that merely contains it.
const HostPattern kHostPatterns[] = {
  {"cubase", kHostCubase},
  {"reaper", kHostReaper},
  {"nuendo", kHostNuendo},
  {"cakewalk", kHostSonar},
  {"samplitude", kHostSamplitude},
  {"fruity", kHostFLStudio},
  {"live", kHostLive},
  {"melodyne", kHostMelodyne},
  {"vstmanlib", kHostVSTScanner},
  {"aulab", kHostAULab},
  {"garageband", kHostGarageBand},
  {"forte", kHostForte},
  {"chainer", kHostChainer},
  {"audition", kHostAudition},
  {"orion", kHostOrion},
  {"sawstudio", kHostSAWStudio},
  {"logic", kHostLogic},
  {"digital", kHostDigitalPerformer},
  {"audiomulch", kHostAudioMulch},
  {"presonus", kHostStudioOne},
  {"vst3plugintesthost", kHostVST3PluginTestHost},
  {"protools", kHostProTools},
  {"ardour", kHostArdour},
  {"standalone", kHostStandalone},
};

struct HostName
{
  int host;
  const char* name;
};

const HostName kHostNames[] = {
  {kHostReaper, "Reaper"},
  {kHostProTools, "ProTools"},
  {kHostCubase, "Cubase"},
  {kHostNuendo, "Nuendo"},
  {kHostSonar, "Sonar"},
  {kHostVegas, "Vegas"},
  {kHostFLStudio, "FLStudio"},
  {kHostSamplitude, "Samplitude"},
  {kHostLive, "Live"},
  {kHostVSTScanner, "VSTScanner"},
  {kHostAULab, "AULab"},
  {kHostForte, "Forte"},
  {kHostChainer, "Chainer"},
  {kHostAudition, "Audition"},
  {kHostOrion, "Orion"},
  {kHostSAWStudio, "SAWStudio"},
  {kHostLogic, "Logic"},
  {kHostGarageBand, "GarageBand"},
  {kHostDigitalPerformer, "DigitalPerformer"},
  {kHostStandalone, "Standalone"},
  {kHostAudioMulch, "AudioMulch"},
  {kHostStudioOne, "StudioOne"},
  {kHostVST3PluginTestHost, "VST3PluginTestHost"},
  {kHostArdour, "Ardour"},
};

constexpr int kHostNameBytes = 256;
}  // namespace

void ToLower(char* destination, const char* source, int destinationSize)
{
  if (!destination || destinationSize < 1) return;
  int i = 0;
  if (source)
  {
    for (; i < destinationSize - 1 && source[i]; ++i)
    {
      const char c = source[i];
      destination[i] = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
  }
  destination[i] = 0;
}

int LookUpHost(const char* hostName)
{
  char lower[kHostNameBytes];
  ToLower(lower, hostName, sizeof(lower));
  if (!*lower) return kHostUnknown;
  for (const HostPattern& pattern : kHostPatterns)
    if (strstr(lower, pattern.substring)) return pattern.host;
  return kHostUnknown;
}

void GetHostNameStr(int host, char* destination, int destinationSize)
{
  if (!destination || destinationSize < 1) return;
  const char* name = "Unknown";
  for (const HostName& entry : kHostNames)
    if (entry.host == host) name = entry.name;
  snprintf(destination, static_cast<size_t>(destinationSize), "%s", name);
}
