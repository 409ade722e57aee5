// Files dragged onto a view from the desktop: the toolkit offers the drop as
// a "text/uri-list", which goes to the sink as it came; the window layer
// picks the local files out of it.
#pragma once

#include <cstdint>

class PLAT_GtkView;

// Makes the view id take uri-list drops.
void PLAT_GtkAcceptUriDrops(PLAT_GtkView& view, uint64_t id);

// What the widget's drop handler does with the data it received: passes the
// list, and the point in the view (y down), to the sink. True when the sink
// took the drop; false without a sink or a list.
bool PLAT_GtkUriListDropped(uint64_t id, const char* uriList, int x, int y);
