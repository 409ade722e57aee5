// Internal to the toolkit layer: the paint of a view with GL on, which
// brackets the sink's drawing with the view's context.
#pragma once

#include <gtk/gtk.h>

// Before the sink paints: makes the widget's context current over a buffer
// of its size. False (nothing done) for a widget without GL.
bool PLAT_GtkGLBeginPaint(GtkWidget* widget);
// After it painted: lays the buffer over cr (the widget's own coordinates)
// and clears the current context.
void PLAT_GtkGLEndPaint(GtkWidget* widget, cairo_t* cr);
