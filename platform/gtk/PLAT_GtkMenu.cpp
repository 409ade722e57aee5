#include "platform/gtk/PLAT_GtkMenu.h"

#include "platform/gtk/PLAT_GtkLoop.h"
#include "platform/PLAT_CairoPrivate.h"
#include "platform/PLAT_Image.h"
#include "platform/gtk/PLAT_GtkPrivate.h"

#include <cstdio>
#include <cstring>

namespace
{
PLAT_MenuHandler* gHandler = nullptr;
// While set, every window's bar (and each new one) stays out of sight.
bool gBarsHidden = false;

// What an item widget carries: it reports to its window (0 in a popup).
struct ItemInfo
{
  uint64_t window = 0;
  uint64_t menu = 0;
  uint64_t submenu = 0;
  unsigned command = 0;
  bool checked = false;
};

constexpr const char* kItemKey = "zephra-menu-item";
constexpr const char* kAccelKey = "zephra-menu-accel";
constexpr const char* kPendingKey = "zephra-menu-pending";
constexpr const char* kUnbuiltKey = "zephra-menu-unbuilt";

ItemInfo* InfoOf(GtkWidget* item) { return static_cast<ItemInfo*>(g_object_get_data(G_OBJECT(item), kItemKey)); }

// An entry shown as a check item: a checked one, or a choice of a group,
// which keeps its mark's place whether marked or not. A group's items are
// check items drawn as radio items rather than the toolkit's radio group,
// which always holds one marked item: a state that is none of the choices
// must show none.
bool IsCheckEntry(const PLAT_MenuEntry& e) { return (e.checked || e.radio) && !e.submenu; }

void OnActivate(GtkMenuItem* item, gpointer);
void BuildMenu(GtkWidget* menu);

// Shows the model's state on a check item; setting it emits "activate",
// which must not count as the user's choice.
void ShowChecked(GtkWidget* item, bool checked)
{
  auto* check = GTK_CHECK_MENU_ITEM(item);
  if (gtk_check_menu_item_get_active(check) == (checked ? TRUE : FALSE)) return;
  g_signal_handlers_block_by_func(item, reinterpret_cast<gpointer>(OnActivate), nullptr);
  gtk_check_menu_item_set_active(check, checked);
  g_signal_handlers_unblock_by_func(item, reinterpret_cast<gpointer>(OnActivate), nullptr);
}

// The run of the popup that shows now; popups nest when a handler pops up
// another one.
struct PopupRun
{
  PLAT_NestedLoop loop;
  unsigned chosen = 0;
};
PopupRun* gPopup = nullptr;
GtkWidget* gPopupMenu = nullptr;

struct QueuedCommand
{
  uint64_t window;
  uint64_t menu;
  unsigned command;
};

bool DeliverCommand(void* data)
{
  const QueuedCommand q = *static_cast<QueuedCommand*>(data);
  delete static_cast<QueuedCommand*>(data);
  if (gHandler) gHandler->OnMenuCommand(q.window, q.menu, q.command);
  return false;
}

void OnActivate(GtkMenuItem* item, gpointer)
{
  const ItemInfo* info = InfoOf(GTK_WIDGET(item));
  if (!info) return;
  // A check item has just toggled itself; the model decides what it shows.
  // Setting it back emits "activate" again, which must not count.
  if (GTK_IS_CHECK_MENU_ITEM(item)) ShowChecked(GTK_WIDGET(item), info->checked);
  if (!info->window)
  {
    if (gPopup) gPopup->chosen = info->command;
    return;
  }
  PLAT_LoopAddIdle(DeliverCommand, new QueuedCommand{info->window, info->menu, info->command});
}

void OnSubmenuShow(GtkWidget* menu, gpointer)
{
  BuildMenu(menu);
  const ItemInfo* info = InfoOf(gtk_menu_get_attach_widget(GTK_MENU(menu)));
  if (!info || !gHandler) return;
  try
  {
    gHandler->OnMenuShown(info->window, info->submenu);
  }
  catch (...)
  {
    std::fprintf(stderr, "ZephraEditor: opening a menu failed\n");
  }
}

// The display's key value of a key equivalent; 0 when there is none.
guint KeyvalOf(int key)
{
  if (key >= 'A' && key <= 'Z') return GDK_KEY_a + static_cast<guint>(key - 'A');
  if (key >= '0' && key <= '9') return GDK_KEY_0 + static_cast<guint>(key - '0');
  if (key >= 112 && key <= 135) return GDK_KEY_F1 + static_cast<guint>(key - 112);
  switch (key)
  {
    case 8: return GDK_KEY_BackSpace;
    case 33: return GDK_KEY_Page_Up;
    case 34: return GDK_KEY_Page_Down;
    case 35: return GDK_KEY_End;
    case 36: return GDK_KEY_Home;
    case 37: return GDK_KEY_Left;
    case 38: return GDK_KEY_Up;
    case 39: return GDK_KEY_Right;
    case 40: return GDK_KEY_Down;
    case 45: return GDK_KEY_Insert;
    case 46: return GDK_KEY_Delete;
    default: break;
  }
  if (key > 0 && key < 128 && std::strchr("!\"',./?[\\]|-", key)) return gdk_unicode_to_keyval(static_cast<guint32>(key));
  return 0;
}

GdkModifierType ModsOf(unsigned mods)
{
  unsigned m = 0;
  if (mods & PLAT_MOD_SHIFT) m |= GDK_SHIFT_MASK;
  if (mods & PLAT_MOD_CONTROL) m |= GDK_CONTROL_MASK;
  if (mods & PLAT_MOD_ALT) m |= GDK_MOD1_MASK;
  if (mods & PLAT_MOD_SUPER) m |= GDK_SUPER_MASK;
  return static_cast<GdkModifierType>(m);
}

// The menus of a bar given to a window not yet on the screen are built
// after the window's first frame (or when one is needed sooner): the items
// of every menu are most of the bar's widgets, and the first frame shows
// none of them. Until then a menu holds its entries. A bar given to a shown
// window is built at once: a click may open a menu before its next frame.
struct Unbuilt
{
  uint64_t window;
  std::vector<PLAT_MenuEntry> entries;
};

Unbuilt* UnbuiltOf(GtkWidget* menu) { return static_cast<Unbuilt*>(g_object_get_data(G_OBJECT(menu), kUnbuiltKey)); }

// With later set, each submenu is left empty, holding its entries.
void Fill(GtkWidget* shell, const std::vector<PLAT_MenuEntry>& entries, uint64_t window, GtkAccelGroup* accel,
          bool later = false)
{
  for (const PLAT_MenuEntry& e : entries)
  {
    GtkWidget* item;
    if (e.separator)
    {
      gtk_menu_shell_append(GTK_MENU_SHELL(shell), gtk_separator_menu_item_new());
      continue;
    }
    // Labels without mnemonics: an underscore in a program name is shown.
    if (IsCheckEntry(e))
    {
      item = gtk_check_menu_item_new_with_label(e.title.c_str());
      gtk_check_menu_item_set_draw_as_radio(GTK_CHECK_MENU_ITEM(item), e.radio);
      gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item), e.checked);
    }
    else if (e.image && e.image->GetImpl())
    {
      // A picture item: the bitmap instead of a title.
      item = gtk_menu_item_new();
      gtk_container_add(GTK_CONTAINER(item), gtk_image_new_from_surface(e.image->GetImpl()->surface.get()));
    }
    else
      item = gtk_menu_item_new_with_label(e.title.c_str());
    g_object_set_data_full(G_OBJECT(item), kItemKey, new ItemInfo{window, e.menu, e.submenu, e.command, e.checked},
                           [](gpointer p) { delete static_cast<ItemInfo*>(p); });
    gtk_widget_set_sensitive(item, e.enabled);
    if (e.submenu)
    {
      GtkWidget* sub = gtk_menu_new();
      if (accel) gtk_menu_set_accel_group(GTK_MENU(sub), accel);
      if (later)
        g_object_set_data_full(G_OBJECT(sub), kUnbuiltKey, new Unbuilt{window, e.children},
                               [](gpointer p) { delete static_cast<Unbuilt*>(p); });
      else
        Fill(sub, e.children, window, accel);
      gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), sub);
      g_signal_connect(sub, "show", G_CALLBACK(OnSubmenuShow), nullptr);
    }
    else
    {
      g_signal_connect(item, "activate", G_CALLBACK(OnActivate), nullptr);
      const guint keyval = KeyvalOf(e.accelKey);
      if (accel && keyval) gtk_widget_add_accelerator(item, "activate", accel, keyval, ModsOf(e.accelMods), GTK_ACCEL_VISIBLE);
    }
    gtk_menu_shell_append(GTK_MENU_SHELL(shell), item);
  }
}

// Builds the items of a menu that holds its entries still.
void BuildMenu(GtkWidget* menu)
{
  std::unique_ptr<Unbuilt> unbuilt(static_cast<Unbuilt*>(g_object_steal_data(G_OBJECT(menu), kUnbuiltKey)));
  if (!unbuilt) return;
  Fill(menu, unbuilt->entries, unbuilt->window, gtk_menu_get_accel_group(GTK_MENU(menu)));
  gtk_widget_show_all(menu);  // the items; the menu itself shows when it opens
}

// Builds every menu of the bar; its window's key equivalents work from then.
void BuildBar(GtkWidget* bar)
{
  GList* children = gtk_container_get_children(GTK_CONTAINER(bar));
  for (GList* l = children; l; l = l->next)
    if (GtkWidget* sub = gtk_menu_item_get_submenu(GTK_MENU_ITEM(l->data))) BuildMenu(sub);
  g_list_free(children);
  GtkWidget* window = gtk_widget_get_toplevel(bar);
  if (window != bar)
    g_signal_handlers_disconnect_matched(window, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, bar);
}

// A key may be a key equivalent: the items that carry them come first.
gboolean OnKeyBeforeBuilt(GtkWidget*, GdkEvent*, gpointer bar)
{
  BuildBar(GTK_WIDGET(bar));
  return FALSE;
}

// The window is painting its first frame with the bar: the menus are built
// once that frame is sent, before the input that came meanwhile.
gboolean OnDrawBeforeBuilt(GtkWidget* window, cairo_t*, gpointer bar)
{
  g_signal_handlers_disconnect_by_func(window, reinterpret_cast<gpointer>(OnDrawBeforeBuilt), bar);
  g_idle_add_full(
      G_PRIORITY_HIGH,
      [](gpointer b) {
        if (GdkDisplay* display = gdk_display_get_default()) gdk_display_flush(display);
        BuildBar(GTK_WIDGET(b));
        return G_SOURCE_REMOVE;
      },
      g_object_ref(bar), g_object_unref);
  return FALSE;
}

// Whether the widgets of shell can show entries by changing texts and
// states only: same kinds of item in the same places, same key equivalents.
bool SameShape(GtkWidget* shell, const std::vector<PLAT_MenuEntry>& entries)
{
  GList* children = gtk_container_get_children(GTK_CONTAINER(shell));
  bool same = g_list_length(children) == entries.size();
  size_t i = 0;
  for (GList* l = children; same && l; l = l->next, ++i)
  {
    GtkWidget* item = GTK_WIDGET(l->data);
    const PLAT_MenuEntry& e = entries[i];
    const ItemInfo* info = InfoOf(item);
    if (e.separator != GTK_IS_SEPARATOR_MENU_ITEM(item) || (!e.separator && !info))
      same = false;
    else if (e.separator)
      continue;
    else if (info->submenu != e.submenu || IsCheckEntry(e) != static_cast<bool>(GTK_IS_CHECK_MENU_ITEM(item)) ||
             (IsCheckEntry(e) && e.radio != static_cast<bool>(gtk_check_menu_item_get_draw_as_radio(GTK_CHECK_MENU_ITEM(item)))))
      same = false;
    else if (e.submenu)
    {
      // A menu not built yet can take any entries.
      GtkWidget* sub = gtk_menu_item_get_submenu(GTK_MENU_ITEM(item));
      same = UnbuiltOf(sub) || SameShape(sub, e.children);
    }
    else
    {
      // A changed key equivalent needs a new accelerator: rebuild.
      GList* closures = gtk_widget_list_accel_closures(item);
      const bool had = closures != nullptr;
      g_list_free(closures);
      if (had != (KeyvalOf(e.accelKey) != 0)) same = false;
    }
  }
  g_list_free(children);
  return same;
}

void Update(GtkWidget* shell, const std::vector<PLAT_MenuEntry>& entries)
{
  GList* children = gtk_container_get_children(GTK_CONTAINER(shell));
  size_t i = 0;
  for (GList* l = children; l; l = l->next, ++i)
  {
    GtkWidget* item = GTK_WIDGET(l->data);
    const PLAT_MenuEntry& e = entries[i];
    ItemInfo* info = InfoOf(item);
    if (e.separator || !info) continue;
    if (std::strcmp(gtk_menu_item_get_label(GTK_MENU_ITEM(item)), e.title.c_str()) != 0)
      gtk_menu_item_set_label(GTK_MENU_ITEM(item), e.title.c_str());
    gtk_widget_set_sensitive(item, e.enabled);
    info->command = e.command;
    info->checked = e.checked;
    if (GTK_IS_CHECK_MENU_ITEM(item)) ShowChecked(item, e.checked);
    if (!e.submenu) continue;
    GtkWidget* sub = gtk_menu_item_get_submenu(GTK_MENU_ITEM(item));
    if (Unbuilt* unbuilt = UnbuiltOf(sub))
      unbuilt->entries = e.children;
    else
      Update(sub, e.children);
  }
  g_list_free(children);
}

GtkAccelGroup* AccelOf(GtkWidget* window)
{
  auto* accel = static_cast<GtkAccelGroup*>(g_object_get_data(G_OBJECT(window), kAccelKey));
  if (accel) return accel;
  accel = gtk_accel_group_new();
  gtk_window_add_accel_group(GTK_WINDOW(window), accel);
  g_object_set_data_full(G_OBJECT(window), kAccelKey, accel, g_object_unref);
  return accel;
}

void Rebuild(PLAT_GtkWindow::Impl* w, const std::vector<PLAT_MenuEntry>* entries);

// A bar with a menu open is not rebuilt under the user's pointer: the new
// entries wait until the menus close.
struct Pending
{
  PLAT_GtkWindow::Impl* window;
  std::vector<PLAT_MenuEntry> entries;
  GtkWidget* bar = nullptr;  // a reference while the rebuild waits for the loop
};

void OnBarDeactivate(GtkMenuShell* bar, gpointer)
{
  auto* pending = static_cast<Pending*>(g_object_steal_data(G_OBJECT(bar), kPendingKey));
  if (!pending) return;
  // Not from inside the signal: the bar about to be replaced is emitting it.
  pending->bar = GTK_WIDGET(g_object_ref(bar));
  PLAT_LoopAddIdle(
      [](void* p) {
        auto* q = static_cast<Pending*>(p);
        // A bar still in its window means the window (and its object) lives
        // and no other rebuild replaced it meanwhile.
        if (gtk_widget_get_parent(q->bar)) Rebuild(q->window, &q->entries);
        g_object_unref(q->bar);
        delete q;
        return false;
      },
      pending);
}

bool BarIsOpen(GtkWidget* bar)
{
  bool open = false;
  GList* children = gtk_container_get_children(GTK_CONTAINER(bar));
  for (GList* l = children; l && !open; l = l->next)
    if (GtkWidget* sub = gtk_menu_item_get_submenu(GTK_MENU_ITEM(l->data))) open = gtk_widget_get_visible(sub);
  g_list_free(children);
  return open;
}

// Keeps the content its size when the bar's height changes from before.
void FitToBar(PLAT_GtkWindow::Impl* w, int before)
{
  const int after = PLAT_GtkMenuBarHeight(w);
  if (after == before) return;
  int width = 0, height = 0;
  gtk_window_get_size(GTK_WINDOW(w->window), &width, &height);
  height = height - before + after < 1 ? 1 : height - before + after;
  PLAT_GtkHoldSize(w, width, height);
  gtk_window_resize(GTK_WINDOW(w->window), width, height);
}

void Rebuild(PLAT_GtkWindow::Impl* w, const std::vector<PLAT_MenuEntry>* entries)
{
  const int before = PLAT_GtkMenuBarHeight(w);
  if (w->menuBar)
  {
    g_signal_handlers_disconnect_matched(w->window, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, w->menuBar);
    gtk_widget_destroy(w->menuBar);
    w->menuBar = nullptr;
  }
  if (entries)
  {
    w->menuBar = gtk_menu_bar_new();
    const bool later = !gtk_widget_get_mapped(w->window);
    Fill(w->menuBar, *entries, w->id, AccelOf(w->window), later);
    g_signal_connect(w->menuBar, "deactivate", G_CALLBACK(OnBarDeactivate), nullptr);
    if (later)
    {
      g_signal_connect_object(w->window, "draw", G_CALLBACK(OnDrawBeforeBuilt), w->menuBar, GConnectFlags(0));
      g_signal_connect_object(w->window, "key-press-event", G_CALLBACK(OnKeyBeforeBuilt), w->menuBar,
                              GConnectFlags(0));
    }
    gtk_box_pack_start(GTK_BOX(w->box), w->menuBar, FALSE, FALSE, 0);
    gtk_widget_show_all(w->menuBar);
    gtk_widget_set_visible(w->menuBar, !gBarsHidden);
  }
  FitToBar(w, before);
}

GtkWidget* FindItem(GtkWidget* shell, const std::string& title)
{
  GtkWidget* found = nullptr;
  GList* children = gtk_container_get_children(GTK_CONTAINER(shell));
  for (GList* l = children; l && !found; l = l->next)
  {
    // A picture item has no title.
    const char* label = InfoOf(GTK_WIDGET(l->data)) ? gtk_menu_item_get_label(GTK_MENU_ITEM(l->data)) : nullptr;
    if (label && title == label) found = GTK_WIDGET(l->data);
  }
  g_list_free(children);
  return found;
}

GtkWidget* FindPath(PLAT_GtkWindow* window, const std::vector<std::string>& path)
{
  GtkWidget* shell = window ? window->GetImpl()->menuBar : nullptr;
  GtkWidget* item = nullptr;
  for (const std::string& title : path)
  {
    if (!shell || !(item = FindItem(shell, title))) return nullptr;
    if ((shell = gtk_menu_item_get_submenu(GTK_MENU_ITEM(item)))) BuildMenu(shell);
  }
  return item;
}
}  // namespace

int PLAT_GtkMenuBarHeight(const PLAT_GtkWindow::Impl* window)
{
  if (!window || !window->menuBar || !gtk_widget_get_visible(window->menuBar)) return 0;
  int natural = 0;
  gtk_widget_get_preferred_height(window->menuBar, nullptr, &natural);
  return natural;
}

void PLAT_GtkMenuSetHandler(PLAT_MenuHandler* handler) { gHandler = handler; }

void PLAT_GtkWindowSetMenuBar(PLAT_GtkWindow* window, const std::vector<PLAT_MenuEntry>* entries)
{
  if (!window) return;
  PLAT_GtkWindow::Impl* w = window->GetImpl();
  if (entries && w->menuBar && SameShape(w->menuBar, *entries))
  {
    Update(w->menuBar, *entries);
    return;
  }
  if (entries && w->menuBar && BarIsOpen(w->menuBar))
  {
    g_object_set_data_full(G_OBJECT(w->menuBar), kPendingKey, new Pending{w, *entries},
                           [](gpointer p) { delete static_cast<Pending*>(p); });
    return;
  }
  Rebuild(w, entries);
}

void PLAT_GtkWindowHideMenuBar(PLAT_GtkWindow* window, bool hidden)
{
  gBarsHidden = hidden;
  if (!window || !window->GetImpl()->menuBar) return;
  PLAT_GtkWindow::Impl* w = window->GetImpl();
  const int before = PLAT_GtkMenuBarHeight(w);
  gtk_widget_set_visible(w->menuBar, !hidden);
  FitToBar(w, before);
}

unsigned PLAT_GtkMenuPopup(const std::vector<PLAT_MenuEntry>& entries, PLAT_GtkWindow* over, int x, int y)
{
  if (!PLAT_GtkIsUp() || entries.empty()) return 0;
  GtkWidget* menu = gtk_menu_new();
  g_object_ref_sink(menu);
  Fill(menu, entries, 0, nullptr);
  gtk_widget_show_all(menu);

  GdkWindow* anchor = over ? gtk_widget_get_window(over->GetImpl()->window) : nullptr;
  if (!anchor) anchor = gdk_get_default_root_window();
  int ox = 0, oy = 0;
  gdk_window_get_origin(anchor, &ox, &oy);
  const GdkRectangle rect{x - ox, y - oy, 1, 1};

  PopupRun run;
  PopupRun* outerRun = gPopup;
  GtkWidget* outerMenu = gPopupMenu;
  gPopup = &run;
  gPopupMenu = menu;
  const gulong done = g_signal_connect_swapped(menu, "deactivate", G_CALLBACK(+[](PopupRun* r) { r->loop.Quit(); }), &run);
  // Without the event that opened it, the toolkit warns and may not grab
  // the pointer: give it a press at the menu's place when none is current.
  GdkEvent* trigger = gtk_get_current_event();
  if (!trigger)
  {
    trigger = gdk_event_new(GDK_BUTTON_PRESS);
    trigger->button.window = GDK_WINDOW(g_object_ref(anchor));
    trigger->button.time = GDK_CURRENT_TIME;
    trigger->button.button = 3;
    trigger->button.x = rect.x;
    trigger->button.y = rect.y;
    trigger->button.x_root = x;
    trigger->button.y_root = y;
    GdkSeat* seat = gdk_display_get_default_seat(gdk_window_get_display(anchor));
    if (GdkDevice* pointer = seat ? gdk_seat_get_pointer(seat) : nullptr) gdk_event_set_device(trigger, pointer);
  }
  gtk_menu_popup_at_rect(GTK_MENU(menu), anchor, &rect, GDK_GRAVITY_NORTH_WEST, GDK_GRAVITY_NORTH_WEST, trigger);
  gdk_event_free(trigger);
  if (gtk_widget_get_visible(menu)) run.loop.Run();
  g_signal_handler_disconnect(menu, done);
  gPopup = outerRun;
  gPopupMenu = outerMenu;
  gtk_widget_destroy(menu);
  g_object_unref(menu);
  return run.chosen;
}

bool PLAT_GtkTestActivateMenuItem(PLAT_GtkWindow* window, const std::vector<std::string>& path)
{
  GtkWidget* item = FindPath(window, path);
  if (!item) return false;
  gtk_menu_item_activate(GTK_MENU_ITEM(item));
  return true;
}

bool PLAT_GtkTestMenuItemChecked(PLAT_GtkWindow* window, const std::vector<std::string>& path)
{
  GtkWidget* item = FindPath(window, path);
  return item && GTK_IS_CHECK_MENU_ITEM(item) && gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(item));
}

bool PLAT_GtkTestActivatePopupItem(const std::string& title)
{
  GtkWidget* item = gPopupMenu ? FindItem(gPopupMenu, title) : nullptr;
  if (!item) return false;
  // As a click does: the menu closes, then the item activates.
  gtk_menu_shell_activate_item(GTK_MENU_SHELL(gPopupMenu), item, TRUE);
  return true;
}

bool PLAT_GtkTestMenuItemImage(PLAT_GtkWindow* window, const std::vector<std::string>& menuPath, int position,
                               int* width, int* height)
{
  GtkWidget* item = FindPath(window, menuPath);
  GtkWidget* menu = item ? gtk_menu_item_get_submenu(GTK_MENU_ITEM(item)) : nullptr;
  if (!menu) return false;
  GList* children = gtk_container_get_children(GTK_CONTAINER(menu));
  GtkWidget* at = GTK_WIDGET(g_list_nth_data(children, static_cast<guint>(position)));
  g_list_free(children);
  GtkWidget* picture = at ? gtk_bin_get_child(GTK_BIN(at)) : nullptr;
  if (!picture || !GTK_IS_IMAGE(picture) || gtk_image_get_storage_type(GTK_IMAGE(picture)) != GTK_IMAGE_SURFACE)
    return false;
  cairo_surface_t* surface = nullptr;
  g_object_get(picture, "surface", &surface, nullptr);
  if (!surface) return false;
  *width = cairo_image_surface_get_width(surface);
  *height = cairo_image_surface_get_height(surface);
  cairo_surface_destroy(surface);
  return true;
}
