// Drags over a view from the desktop or from another view. A view takes a
// drag only when the window layer says it is a drop target; other views
// pass it on to the view around them. A list of files arrives as the
// "text/uri-list" text as dragged, which goes to the sink's OnViewDrop; the
// window layer picks the local files out of it. A promised file (the
// desktop's direct-save protocol, PLAT_GtkDrag.h) is taken only when the
// layer names a folder for it: the source writes it there, and the written
// file then arrives at OnViewDrop as a one-file list.
#pragma once

#include <cstdint>
#include <string>

class PLAT_GtkView;

// What the window layer says of drags over its views; unset members skip
// their step. Points: x, y in the view (y down); rootX, rootY on the screen
// (top-down), fractions kept.
struct PLAT_DropHandler
{
  // Whether view id is a drop target.
  bool (*accepts)(uint64_t id) = nullptr;
  // A drag came over the view: its "text/uri-list" (empty for a promise).
  void (*entered)(uint64_t id, const char* uriList, int x, int y, double rootX, double rootY) = nullptr;
  void (*moved)(uint64_t id, double rootX, double rootY) = nullptr;
  // The drag left the view, or is about to be dropped on it.
  void (*left)(uint64_t id) = nullptr;
  // The folder a promised file dropped on the view goes to; false refuses
  // promises. A null folder only asks whether the view would name one.
  bool (*promiseFolder)(uint64_t id, std::string* folder) = nullptr;
};
// Not copied: the handler must outlive its use.
void PLAT_GtkSetDropHandler(const PLAT_DropHandler* handler);

// Makes the view id take drags (asking the handler whether it does).
void PLAT_GtkAcceptUriDrops(PLAT_GtkView& view, uint64_t id);

// What the widget's drop handler does with the data it received: passes the
// list, and the point in the view (y down), to the sink. True when the sink
// took the drop; false without a sink or a list.
bool PLAT_GtkUriListDropped(uint64_t id, const char* uriList, int x, int y);
