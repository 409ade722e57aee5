// Outlines that show the window layer's tree views: a table widget with
// disclosure triangles in a scrolled window over a model that holds nothing.
// Items are the layer's numbers (never 0, never reused); the model asks the
// source for an item's children, parent, place and text, so the outline
// never shows an item the layer no longer has.
//
// After the layer changes its items it calls PLAT_TreeReload, and its own
// changes never come back as events. What the user does (clicks, a new
// selection, opening and closing items) reaches the source's OnTreeEvent.
// Main thread only.
#pragma once

#include "platform/gtk/PLAT_GtkView.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct PLAT_ListColors;

enum class PLAT_TreeEvent
{
  Click,       // left button down: the item under the pointer, or 0
  RightClick,  // right button up, or a left click with Control: the item, or 0
  Selected,    // the user selected the item (0: nothing is selected)
  Expanded,    // the user opened the item
  Collapsed,   // the user closed the item
  FocusIn,     // the outline took the keyboard focus (Tab, a click, GrabFocus); nothing is selected by it
};

// What the outline asks of the layer; tree is the id given at creation,
// item 0 the top level.
class PLAT_TreeSource
{
public:
  virtual ~PLAT_TreeSource() = default;
  virtual int TreeChildCount(uint64_t tree, uint64_t item) = 0;
  // 0 when index is out of range.
  virtual uint64_t TreeChild(uint64_t tree, uint64_t item, int index) = 0;
  // The item's parent (0 at the top level) and its index among its
  // siblings; false for an item that is not in the tree.
  virtual bool TreePlace(uint64_t tree, uint64_t item, uint64_t* parent, int* index) = 0;
  // Whether the item shows a triangle.
  virtual bool TreeCanOpen(uint64_t tree, uint64_t item) = 0;
  // UTF-8 or Latin-1, as PLAT_ControlText takes it.
  virtual std::string TreeText(uint64_t tree, uint64_t item) = 0;
  virtual void OnTreeEvent(uint64_t tree, PLAT_TreeEvent event, uint64_t item) = 0;
};

// The source of every outline; null shows no items. Not owned.
void PLAT_TreeSetSource(PLAT_TreeSource* source);

// Null before PLAT_GtkInit.
std::unique_ptr<PLAT_GtkView> PLAT_TreeCreate(uint64_t id);

// The items changed: the outline reads them again, opens the expanded items
// (parents before their children) and selects one item (0: none).
void PLAT_TreeReload(PLAT_GtkView* tree, const std::vector<uint64_t>& expanded, uint64_t selected);
// Pixels of indentation per level beyond the triangle's.
void PLAT_TreeSetIndent(PLAT_GtkView* tree, int pixels);
void PLAT_TreeSetColors(PLAT_GtkView* tree, const PLAT_ListColors& colors);
// The item of the row at a point of the rows' own pixels ((0, 0) is the
// first row's top-left corner, header not counted, whatever the scrolling);
// 0 for none or off screen.
uint64_t PLAT_TreeItemAt(PLAT_GtkView* tree, int x, int y);

// ---- for tests ----

// The texts of the rows the outline shows, top first, each indented by two
// spaces per level.
std::vector<std::string> PLAT_TreeTestRows(PLAT_GtkView* tree);
// The middle of an item's row in the rows' own pixels, or with screen in
// top-down screen pixels. False when its row does not show.
bool PLAT_TreeTestItemPoint(PLAT_GtkView* tree, uint64_t item, bool screen, int* x, int* y);
