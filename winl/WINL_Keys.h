// Keys: the toolkit's key events as the layer's virtual keys and modifier
// flags, the shifted digits, and the key and button state. Main thread.
#pragma once

#include "winl/WINL_Window.h"

struct PLAT_Input;

// Modifier flags of key messages and menu accelerators. Ctrl stands for
// Command, Alt for Option, and the Super key for Control.
constexpr int WINL_KEYF_VIRTKEY = 1;  // the result is a virtual key, not a character
constexpr int WINL_KEYF_SHIFT = 4;
constexpr int WINL_KEYF_COMMAND = 8;
constexpr int WINL_KEYF_OPTION = 16;
constexpr int WINL_KEYF_CONTROL = 32;  // not while a Super-click counts as a right click

// The key of the event and its flags; for the extended form a null event
// stands for the last key event, for the plain one it gives 0. Keys
// without a character give their table code (keypad Enter 0x800D, F5 116,
// arrows 37-40, ...); letters give their upper-case letter and digits,
// Tab, line feed, Return, Escape and space themselves, all as virtual keys;
// other characters come back as characters without the Shift flag; a key
// with neither gives its hardware code plus 1024. mode 1 takes the typed
// character (Shift+/ gives '?'), and for a dead key the accent it types;
// any other mode the key's own character without modifiers (Shift+/ gives
// '/', Shift+1 the key 1 with Shift).
int WINL_MacKeyToWindowsKeyEx(const PLAT_Input* event, int* flags, int mode);
int WINL_MacKeyToWindowsKey(const PLAT_Input* event, int* flags);

// Shift with a digit key (flags exactly virtual key and Shift) gives the
// shifted character of the US layout, with flags 0; anything else 0.
int WINL_KeyToASCII(int key, int flags, int* flagsOut);

// 0x8000 while the key is down: 1, 2 and 4 the left, right and middle
// buttons; 16 Shift, 17 Ctrl, 18 Alt, 91 the Super key (never while a
// Super-click counts as a right click). It asks the display what is held
// now; without a display, what the last input event the layer received
// showed.
short GetAsyncKeyState(int key);

// For the view's key handling: remembers the event as the current one.
void WINL_NoteKeyEvent(const PLAT_Input& event);
// For the view's mouse handling: the buttons held (bits 1 left, 2 right,
// 4 middle) and the modifiers (PLAT_MOD_ bits) of the last event.
void WINL_NoteInputState(unsigned buttons, unsigned mods);
