// Internal to the toolkit layer: the accessible type of view widgets.
#pragma once

#include <gtk/gtk.h>

#include <cstdint>

// The type views' widgets make their accessibles of.
GType PLAT_GtkViewAccessibleType();
// The id a view widget was made with; 0 for any other widget.
uint64_t PLAT_GtkViewIdOf(GtkWidget* widget);
// Whether the widget is a view's container widget.
bool PLAT_GtkIsViewWidget(GtkWidget* widget);
// The view got (in) or lost the keyboard focus: the element it supplies,
// if any, is told so.
void PLAT_GtkViewFocusChanged(GtkWidget* widget, bool in);
