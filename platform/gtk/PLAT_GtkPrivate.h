// Internal to the toolkit layer: the widgets behind the view and window
// objects. No header outside platform/gtk/ includes this one.
#pragma once

#include "platform/gtk/PLAT_GtkView.h"

#include <gtk/gtk.h>

#include <cstdint>

// The sink set with PLAT_GtkSetSink, or null.
PLAT_GtkSink* PLAT_GtkGetSink();

struct PLAT_GtkView::Impl
{
  GtkWidget* widget = nullptr;  // a ZephraWinlView; we hold a reference
  GdkDrawingContext* directDraw = nullptr;
  std::unique_ptr<PLAT_Canvas> directCanvas;

  ~Impl();
};

struct PLAT_GtkWindow::Impl
{
  GtkWidget* window = nullptr;  // a GtkWindow; we hold a reference
  GtkWidget* content = nullptr; // the content view's widget while it is inside
  uint64_t id = 0;

  ~Impl();
};
