// Host detection: which program hosts the plug-in, from that program's name,
// and the host's display name. In this program the host is always the
// standalone wrapper. Also the bounded lower-casing copy used for the test.
#pragma once

enum EHost
{
  kHostUnknown = 0,
  kHostReaper = 1,
  kHostProTools = 2,
  kHostCubase = 3,
  kHostNuendo = 4,
  kHostSonar = 5,
  kHostVegas = 6,
  kHostFLStudio = 7,
  kHostSamplitude = 8,
  kHostLive = 9,
  kHostMelodyne = 12,
  kHostVSTScanner = 13,
  kHostAULab = 14,
  kHostForte = 15,
  kHostChainer = 16,
  kHostAudition = 17,
  kHostOrion = 18,
  kHostSAWStudio = 20,
  kHostLogic = 21,
  kHostGarageBand = 22,
  kHostDigitalPerformer = 23,
  kHostStandalone = 24,
  kHostAudioMulch = 25,
  kHostStudioOne = 26,
  kHostVST3PluginTestHost = 27,
  kHostArdour = 28,
};

// The host code for a host program's name (any case); kHostUnknown for a
// null or unmatched name. Names are compared over their first 255 bytes.
int LookUpHost(const char* hostName);

// Writes the display name of a host code ("Unknown" for codes without one),
// cut to fit destinationSize bytes including the terminator.
void GetHostNameStr(int host, char* destination, int destinationSize);

// Copies source lower-cased (ASCII) into destination, cut to fit
// destinationSize bytes including the terminator. A null source gives "".
void ToLower(char* destination, const char* source, int destinationSize);
