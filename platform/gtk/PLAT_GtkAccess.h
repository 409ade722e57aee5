// What assistive tools see of views. A view's accessible lists its child
// views and controls; a window procedure may supply an accessible element of
// its own (an AtkObject), which then stands in for its view:
// - a view without child views that supplies an element is replaced by it
//   in its parent's children;
// - a view with child views lists its element after them;
// - hit tests and the keyboard focus go to the element's answer when it
//   gives one other than itself, else to the view's own.
// Fields and drop-down lists without a name of their own are named by the
// label beside them (to their left on the same row, else just above). Main
// thread.
#pragma once

#include <cstdint>

// The element the window procedure of view id supplies, or null; the
// element stays the procedure's (not referenced).
typedef void* (*PLAT_AccessibleElementFn)(uint64_t id);
// Where views ask for their elements; null (the default) supplies none.
void PLAT_GtkSetAccessibleSource(PLAT_AccessibleElementFn source);
