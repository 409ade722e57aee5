#include "winl/WINL_Hosting.h"

#include "platform/gtk/PLAT_Bus.h"
#include "winl/WINL_App.h"

#include <cstdio>
#include <mutex>
#include <string>

HWND WINL_CreateCarbonWindowView(HWND, void** windowRef, const RECT*, bool)
{
  if (windowRef) *windowRef = nullptr;
  return nullptr;
}

void* WINL_GetCarbonHostWindowRef(HWND) { return nullptr; }

HWND WINL_LoadAudioUnitCocoaView(HWND, void*, const char*, const char*, RECT*) { return nullptr; }

void WINL_DisableAppNap(int delta)
{
  if (WINL_IsQuitting()) return;
  // Worker threads may ask too; the hold follows the count's sign.
  static std::mutex lock;
  static int count = 0;
  std::lock_guard<std::mutex> guard(lock);
  const int before = count;
  count += delta;
  if (before <= 0 && count > 0)
  {
    std::string why;
    if (!PLAT_BusInhibitIdle("ZephraEditor", "WINL_DisableAppNap", &why))
      std::fprintf(stderr, "ZephraEditor: the desktop may idle into sleep: %s\n", why.c_str());
  }
  else if (before > 0 && count <= 0)
    PLAT_BusAllowIdle();
}
void WINL_SetWindowCollectionBehavior(HWND) {}
