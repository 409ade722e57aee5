#include "winl/WINL_Hosting.h"

HWND WINL_CreateCarbonWindowView(HWND, void** windowRef, const RECT*, bool)
{
  if (windowRef) *windowRef = nullptr;
  return nullptr;
}

void* WINL_GetCarbonHostWindowRef(HWND) { return nullptr; }

HWND WINL_LoadAudioUnitCocoaView(HWND, void*, const char*, const char*, RECT*) { return nullptr; }

void WINL_DisableAppNap(int) {}
void WINL_SetWindowCollectionBehavior(HWND) {}
