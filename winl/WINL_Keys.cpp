#include "winl/WINL_Keys.h"

#include "platform/gtk/PLAT_Gtk.h"
#include "platform/gtk/PLAT_GtkCursor.h"

namespace
{
PLAT_Input gLastKey;
bool gHaveKey = false;
unsigned gButtons = 0;
unsigned gMods = 0;

bool IsAsciiLetterOrDigit(unsigned c)
{
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool RightClickEmulated() { return WINL_IsRightClickEmulateEnabled(); }
}  // namespace

int WINL_MacKeyToWindowsKeyEx(const PLAT_Input* event, int* flags, int mode)
{
  if (!event)
  {
    if (!gHaveKey) return 0;
    event = &gLastKey;
  }
  int f = 0;
  if (event->mods & PLAT_MOD_SHIFT) f |= WINL_KEYF_SHIFT;
  if (event->mods & PLAT_MOD_CONTROL) f |= WINL_KEYF_COMMAND;
  if (event->mods & PLAT_MOD_ALT) f |= WINL_KEYF_OPTION;
  if ((event->mods & PLAT_MOD_SUPER) && !RightClickEmulated()) f |= WINL_KEYF_CONTROL;
  // Mode 1 wants what the user typed; any other mode the key itself, so
  // that Shift+1 stays the key 1 with Shift.
  const unsigned typed = mode == 1 && event->keyChar ? event->keyChar : event->plainChar;
  int key;
  if (event->virtualKey)
  {
    key = event->virtualKey;
    f |= WINL_KEYF_VIRTKEY;
  }
  else if (unsigned c = typed)
  {
    if (c >= 'a' && c <= 'z') c -= 'a' - 'A';
    if ((f & WINL_KEYF_SHIFT) && c == 25) c = 9;  // back-tab is Tab with Shift
    if (IsAsciiLetterOrDigit(c) || c == 9 || c == 10 || c == 13 || c == 27 || c == 32)
      f |= WINL_KEYF_VIRTKEY;
    else
      f &= ~WINL_KEYF_SHIFT;
    key = static_cast<int>(c);
  }
  else if (mode == 1 && event->deadChar)
  {
    // A dead key: the accent it types, as a character.
    key = static_cast<int>(event->deadChar);
    f &= ~WINL_KEYF_SHIFT;
  }
  else
  {
    key = event->keyCode + 1024;
    f |= WINL_KEYF_VIRTKEY;
  }
  if (flags) *flags = f;
  return key;
}

int WINL_MacKeyToWindowsKey(const PLAT_Input* event, int* flags)
{
  // Only the extended form stands in the last key event for a null one.
  if (!event) return 0;
  return WINL_MacKeyToWindowsKeyEx(event, flags, 0);
}

int WINL_KeyToASCII(int key, int flags, int* flagsOut)
{
  static const char kShiftedDigits[] = ")!@#$%^&*(";
  if (flags != (WINL_KEYF_VIRTKEY | WINL_KEYF_SHIFT) || key < '0' || key > '9') return 0;
  if (flagsOut) *flagsOut = 0;
  return kShiftedDigits[key - '0'];
}

short GetAsyncKeyState(int key)
{
  constexpr short kDown = static_cast<short>(0x8000);
  // What is held now on the display, not what the last event said; without
  // a display, what the last input showed.
  unsigned buttons = gButtons, mods = gMods;
  if (!PLAT_InputHeldNow(&buttons, &mods))
  {
    buttons = gButtons;
    mods = gMods;
  }
  switch (key)
  {
    case 1: return (buttons & 1) ? kDown : 0;
    case 2: return (buttons & 2) ? kDown : 0;
    case 4: return (buttons & 4) ? kDown : 0;
    case 16: return (mods & PLAT_MOD_SHIFT) ? kDown : 0;
    case 17: return (mods & PLAT_MOD_CONTROL) ? kDown : 0;
    case 18: return (mods & PLAT_MOD_ALT) ? kDown : 0;
    case 91: return (mods & PLAT_MOD_SUPER) && !RightClickEmulated() ? kDown : 0;
    default: return 0;
  }
}

void WINL_NoteKeyEvent(const PLAT_Input& event)
{
  gLastKey = event;
  gHaveKey = true;
  gMods = event.mods;
}

void WINL_NoteInputState(unsigned buttons, unsigned mods)
{
  gButtons = buttons;
  gMods = mods;
}
