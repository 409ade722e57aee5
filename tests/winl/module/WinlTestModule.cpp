// A loadable module for the module tests: it counts how often its entry is
// called for loading and for freeing.
#include <cstdint>

namespace
{
int gLoads = 0;
int gFrees = 0;
}  // namespace

extern "C" int WINL_dllMain(void*, uint32_t reason, void*)
{
  if (reason == 1)
    ++gLoads;
  else
    ++gFrees;
  return 1;
}

extern "C" int WinlTestModuleLoads() { return gLoads; }
extern "C" int WinlTestModuleFrees() { return gFrees; }
