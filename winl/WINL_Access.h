// Accessibility of window views. Assistive tools read views and controls
// through the toolkit; a window procedure may answer WM_GETOBJECT with an
// accessible element of its own, which then stands in for its view: a view
// without child views is replaced by its element in the tree, a view with
// child views lists the element after them, and hit tests and the keyboard
// focus go to the element. Main thread.
#pragma once

#include "winl/WINL_Window.h"

// wParam WINL_OBJID_ELEMENT, lParam the address of a void* slot: the
// procedure stores its element there (an AtkObject*, which stays its own),
// or leaves the slot null for none.
constexpr UINT WM_GETOBJECT = 0x3D;
constexpr WPARAM WINL_OBJID_ELEMENT = 0x1001;

// The element the view's procedure supplies, or null.
void* WINL_GetAccessibleElement(HWND view);
// Makes views ask their procedures for elements (done when the toolkit starts).
void WINL_InstallAccessibility();
