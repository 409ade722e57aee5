// The program's "Preferences" dialog resource as the shell registers it:
// ten controls in dialog units on a 320 x 160 top-down view.
#pragma once

#include "winl/WINL_Controls.h"
#include "winl/WINL_Dialog.h"

#include <cstdint>

inline const WINL_DlgResourceEntry kPreferencesEntries[] = {
    {"__WINL_GROUP", 0, "MIDI Settings", -1, 5, 5, 300, 120, 0},
    {"__WINL_LABEL", -1, "Zephra Input Device", -1, 20, 25, 100, 20, 0},
    {"__WINL_LABEL", -1, "Keyboard Input Device", -1, 180, 25, 120, 20, 0},
    {"__WINL_COMBO", 0, "", 40018, 20, 43, 150, 100, 3},
    {"__WINL_COMBO", 0, "", 40035, 180, 43, 120, 100, 3},
    {"__WINL_LABEL", -1, "Output Device", -1, 20, 70, 100, 20, 0},
    {"__WINL_COMBO", 0, "", 40019, 20, 88, 150, 100, 3},
    {"__WINL_BUTTON", 1, "OK", 1, 192, 133, 50, 20, 0},
    {"__WINL_BUTTON", 0, "Apply", 40024, 132, 133, 50, 20, 0},
    {"__WINL_BUTTON", 0, "Cancel", 2, 252, 133, 50, 20, 0},
};

inline void CreatePreferences(HWND hwnd, int flags)
{
  WINL_MakeSetCurParms(1.0f, 1.0f, 0, 0, hwnd, false, !(flags & WINL_DLG_NO_SIZE_TO_FIT));
  WINL_GenerateDialogFromList(kPreferencesEntries, 10);
}

inline WINL_DialogResourceIndex* PreferencesResource()
{
  static WINL_DialogResourceIndex res{reinterpret_cast<const char*>(uintptr_t{40002}), "Preferences", 12,
                                      CreatePreferences, 320, 160, nullptr};
  return &res;
}
