// The entry point for the platform's window view: a canvas over the cairo
// context it paints with. Only code inside platform/ includes this header.
#pragma once

#include "platform/PLAT_Canvas.h"

#include <cairo.h>

#include <memory>

// A canvas that draws through cr (width x height units of the view). The
// canvas takes its own reference to cr and undoes any state it saved when it
// is destroyed. Null for a null or failed context.
std::unique_ptr<PLAT_Canvas> PLAT_CanvasWrapCairo(cairo_t* cr, int width, int height);
