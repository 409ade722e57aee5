// For tests: keys with modifiers as the display delivers them.
#pragma once

class PLAT_GtkView;

// Presses (or releases) the key with the display's key value (GDK's
// numbers: 0xFF1B Escape, 0xFF0D Return, 'w') with the PLAT_MOD_ bits held,
// in the view's window, which gives it to the widget with the keyboard focus.
bool PLAT_GtkTestKeyval(PLAT_GtkView* view, unsigned keyval, unsigned mods, bool press);
