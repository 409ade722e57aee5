// The shell's resources: the main window (dialog 40001), the "Preferences"
// dialog (40002) and the menu (40004, built from the command table), linked
// into the window layer's resource lists before the program's own code runs.
#include "core/shell/AppResources.h"

#include "core/shell/AppCommands.h"

#include "winl/WINL_Controls.h"
#include "winl/WINL_Dialog.h"
#include "winl/WINL_Menu.h"

namespace
{
const char* ResourceId(uintptr_t id) { return reinterpret_cast<const char*>(id); }

void MakeSetCurParms(HWND view, int flags)
{
  WINL_MakeSetCurParms(1.0f, 1.0f, 0, 0, view, false, !(flags & WINL_DLG_NO_SIZE_TO_FIT));
}

// The main window holds no controls of its own: the GUI's view fills it.
void MainDialogResourceCreate(HWND view, int flags)
{
  MakeSetCurParms(view, flags);
  WINL_GenerateDialogFromList(nullptr, 0);
}

const WINL_DlgResourceEntry kPreferencesControls[] = {
    {"__WINL_GROUP", 0, "MIDI Settings", -1, 5, 5, 300, 120, 0},
    {"__WINL_LABEL", -1, "Zephra Input Device", -1, 20, 25, 100, 20, 0},
    {"__WINL_LABEL", -1, "Keyboard Input Device", -1, 180, 25, 120, 20, 0},
    {"__WINL_COMBO", 0, "", kIdcSynthInput, 20, 43, 150, 100, 3},
    {"__WINL_COMBO", 0, "", kIdcKeyboardInput, 180, 43, 120, 100, 3},
    {"__WINL_LABEL", -1, "Output Device", -1, 20, 70, 100, 20, 0},
    {"__WINL_COMBO", 0, "", kIdcOutput, 20, 88, 150, 100, 3},
    {"__WINL_BUTTON", 1, "OK", 1, 192, 133, 50, 20, 0},
    {"__WINL_BUTTON", 0, "Apply", kIdcApply, 132, 133, 50, 20, 0},
    {"__WINL_BUTTON", 0, "Cancel", 2, 252, 133, 50, 20, 0},
};

void PreferencesDialogResourceCreate(HWND view, int flags)
{
  MakeSetCurParms(view, flags);
  WINL_GenerateDialogFromList(kPreferencesControls, sizeof kPreferencesControls / sizeof kPreferencesControls[0]);
}

void MainMenuResourceCreate(HMENU menu)
{
  BuildMainMenu(menu);
}

WINL_DialogResourceIndex gMainDialog{ResourceId(kDlgMain), "ZephraEditor", 12, MainDialogResourceCreate,
                                     1140, 800, nullptr};
WINL_DialogResourceIndex gPreferencesDialog{ResourceId(kDlgPreferences), "Preferences", 12,
                                            PreferencesDialogResourceCreate, 320, 160, nullptr};
WINL_MenuResourceIndex gMainMenu{ResourceId(kMenuMain), MainMenuResourceCreate, nullptr};

// Links the records in while the program starts, before any window exists.
[[maybe_unused]] const bool kLinked = (AppResourcesStaticInit(), true);
}  // namespace

void AppResourcesStaticInit()
{
  static bool linked = false;
  if (linked) return;
  linked = true;
  gMainDialog.next = WINL_curmodule_dialogresource_head;
  WINL_curmodule_dialogresource_head = &gMainDialog;
  gPreferencesDialog.next = WINL_curmodule_dialogresource_head;
  WINL_curmodule_dialogresource_head = &gPreferencesDialog;
  gMainMenu.next = WINL_curmodule_menuresource_head;
  WINL_curmodule_menuresource_head = &gMainMenu;
}
