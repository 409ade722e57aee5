// For tests on a (virtual) display: what the user's screen and assistive
// tools would read back from a view, and the focus changes they hear of.
// Main thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class PLAT_GtkView;

// The pixel the screen shows at (x, y) of the view, 0xRRGGBB; false when
// the view is not on screen or the point lies off the screen.
bool PLAT_GtkTestScreenPixel(PLAT_GtkView* view, int x, int y, uint32_t* rgb);

// One node of the accessibility tree below a view: its depth below the
// view (the view's own node is 0), role name ("push button", "combo box",
// ...) and name (empty for none).
struct PLAT_AccessibleNode
{
  int depth = 0;
  std::string role;
  std::string name;
};
// The view's accessible and everything below it, depth first, as assistive
// tools read it through the toolkit's accessibility interface.
std::vector<PLAT_AccessibleNode> PLAT_GtkTestAccessibleTree(PLAT_GtkView* view);

// An accessible element as a window procedure would supply one: named, of
// the "panel" role, answering hit tests with hitAnswer (may be null, or the
// element itself) and counting the focus changes it is told of. Free it
// with PLAT_GtkTestFreeElement.
void* PLAT_GtkTestNewElement(const char* name, void* hitAnswer);
void PLAT_GtkTestFreeElement(void* element);
// How often the element was told it got, and lost, the keyboard focus.
int PLAT_GtkTestElementFocusIns(void* element);
int PLAT_GtkTestElementFocusOuts(void* element);
// Tells the view it got (in) or lost the keyboard focus, as the toolkit
// does when its window has the focus; no window manager needs to agree.
void PLAT_GtkTestSendFocusChange(PLAT_GtkView* view, bool in);
// The references held on the view's own accessible: reading the tree
// above it must leave their number as it found it.
int PLAT_GtkTestAccessibleRefs(PLAT_GtkView* view);
// The name of what the view's accessible answers to a hit test at (x, y)
// of the view; "(none)" when it answers nothing.
std::string PLAT_GtkTestAccessibleNameAt(PLAT_GtkView* view, int x, int y);
