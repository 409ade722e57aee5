// OpenGL on a view. A view with GL on has a context of its own, on screen
// or not; while the context is current, drawing goes into an
// off-screen buffer of the view's size (device pixels), which is laid over
// whatever the view painted at the end of each of its paints. Main thread.
#pragma once

class PLAT_GtkView;

// Turns GL on or off for the view. Off releases the context (clearing it
// first when it is the current one). True when the view's GL state is as
// asked.
bool PLAT_GtkSetViewGL(PLAT_GtkView* view, bool enable);
// Whether GL is on for the view.
bool PLAT_GtkViewHasGL(PLAT_GtkView* view);
// Makes the view's context current with its buffer bound and its viewport
// set; a null view clears the current context. False when the view has GL
// off or the driver refused a buffer of its size.
bool PLAT_GtkMakeViewGLCurrent(PLAT_GtkView* view);
