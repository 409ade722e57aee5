// Internal to the toolkit layer: the direct-save property both sides of a
// promised-file drag read and write on the source's drag window.
#pragma once

#include <gtk/gtk.h>

#include <string>

// The drag target and the property name of the direct-save protocol.
constexpr char PLAT_kDirectSave[] = "XdndDirectSave0";
// The same, writable, as the toolkit's target entries want it.
inline char PLAT_kDirectSaveTarget[] = "XdndDirectSave0";

// The property's text on the window, empty when unset.
std::string PLAT_GtkDirectSaveGet(GdkWindow* window);
void PLAT_GtkDirectSaveSet(GdkWindow* window, const std::string& text);
