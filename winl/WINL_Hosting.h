// Hosting extras for code loaded into the process: drag sources, OpenGL
// views, and the hosting of foreign windows and plug-in views, which this
// system has no counterpart for: those entry points answer as a failed call
// does, and there is no App Nap or window collection behaviour to change.
#pragma once

#include "winl/WINL_Window.h"

// Null: no foreign window is hosted; *windowRef is cleared.
HWND WINL_CreateCarbonWindowView(HWND parent, void** windowRef, const RECT* rect, bool composited);
void* WINL_GetCarbonHostWindowRef(HWND host);
// Null: plug-in views of other programs cannot be shown.
HWND WINL_LoadAudioUnitCocoaView(HWND parent, void* unit, const char* bundle, const char* factory, RECT* rect);
// ---- drag sources (WINL_DragDrop.h) ----
// Called with the full path to write the promised file to.
typedef void (*WINL_DragWriteFn)(const char* destination);
// Drops any pending promise; for a plain view keeps a copy of the path and
// the callback as the pending promise and, from the button press being
// handled, drags a promise of a file of the path's name from the rectangle
// (view pixels). Receivers get it through WINL_WritePromisedFiles.
void WINL_InitiateDragDrop(HWND view, const RECT* rect, const char* sourcePath, WINL_DragWriteFn write);
// Forgets the pending promise.
void WINL_FinishDragDrop();
// Drops any pending promise; for a plain view drags the files (absolute
// paths) from the rectangle as a "text/uri-list", showing the icon (an
// HICON or HBITMAP) under the pointer, or for null the desktop's icon for
// the first file's kind.
void WINL_InitiateDragDropOfFileList(HWND view, const RECT* rect, const char* const* paths, int count, void* icon);
// ---- OpenGL views ----
// A view with GL on has a context of its own, on screen or not; its
// drawing goes into a buffer of the view's size that is shown over what the
// view paints, and the context is current while WM_PAINT runs (GL calls
// there draw the view). Plain views only; false for controls, dead handles
// and without a display.
bool WINL_SetViewGL(HWND view, bool enable);
bool WINL_GetViewGL(HWND view);
// Makes the view's context current (true); a null view clears the current
// context; false for a view without GL or whose buffer the driver refused.
bool WINL_SetGLContextToView(HWND view);
// Changes the count of reasons to stay awake by delta. While the count is
// above zero the session is asked to keep the desktop from idling into
// sleep (reason "WINL_DisableAppNap"); at zero or below the hold ends.
// Where no session service answers, the log says so and nothing else
// happens. Ignored while quitting.
void WINL_DisableAppNap(int delta);
// Nothing to change.
void WINL_SetWindowCollectionBehavior(HWND hwnd);
