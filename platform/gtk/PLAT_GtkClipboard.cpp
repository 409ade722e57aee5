#include "platform/gtk/PLAT_GtkClipboard.h"

#include "platform/gtk/PLAT_GtkPrivate.h"

void PLAT_GtkClipboardSetText(const std::string& text)
{
  GtkClipboard* board = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
  gtk_clipboard_set_text(board, text.data(), static_cast<gint>(text.size()));
  gtk_clipboard_store(board);
}

bool PLAT_GtkClipboardGetText(std::string* text)
{
  gchar* got = gtk_clipboard_wait_for_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD));
  if (!got) return false;
  *text = got;
  g_free(got);
  return true;
}

namespace
{
// What this process offers while it holds the clipboard.
struct Offer
{
  std::vector<std::pair<std::string, std::string>> items;
  bool hasText = false;
  std::string text;
};

constexpr guint kTextInfo = 1;
constexpr guint kItemInfo = 2;

void GiveOffer(GtkClipboard*, GtkSelectionData* data, guint info, gpointer user)
{
  const auto* offer = static_cast<const Offer*>(user);
  if (info == kTextInfo)
  {
    gtk_selection_data_set_text(data, offer->text.data(), static_cast<gint>(offer->text.size()));
    return;
  }
  gchar* name = gdk_atom_name(gtk_selection_data_get_target(data));
  for (const auto& item : offer->items)
    if (item.first == name)
      gtk_selection_data_set(data, gtk_selection_data_get_target(data), 8,
                             reinterpret_cast<const guchar*>(item.second.data()), static_cast<gint>(item.second.size()));
  g_free(name);
}

void DropOffer(GtkClipboard*, gpointer user) { delete static_cast<Offer*>(user); }

GtkClipboard* BoardOf(const char* selection)
{
  return gtk_clipboard_get(selection ? gdk_atom_intern(selection, FALSE) : GDK_SELECTION_CLIPBOARD);
}
}  // namespace

void PLAT_GtkClipboardSet(const std::vector<std::pair<std::string, std::string>>& items, const std::string* text,
                          const char* selection)
{
  auto* offer = new Offer{items, text != nullptr, text ? *text : std::string()};
  GtkTargetList* list = gtk_target_list_new(nullptr, 0);
  if (text) gtk_target_list_add_text_targets(list, kTextInfo);
  for (const auto& item : items) gtk_target_list_add(list, gdk_atom_intern(item.first.c_str(), FALSE), 0, kItemInfo);
  gint count = 0;
  GtkTargetEntry* targets = gtk_target_table_new_from_list(list, &count);
  GtkClipboard* board = BoardOf(selection);
  if (!gtk_clipboard_set_with_data(board, targets, static_cast<guint>(count), GiveOffer, DropOffer, offer))
    delete offer;
  else if (!selection)
    gtk_clipboard_set_can_store(board, targets, count);
  gtk_target_table_free(targets, count);
  gtk_target_list_unref(list);
}

bool PLAT_GtkClipboardGet(const std::string& target, std::string* bytes, const char* selection)
{
  GtkSelectionData* data = gtk_clipboard_wait_for_contents(BoardOf(selection), gdk_atom_intern(target.c_str(), FALSE));
  if (!data) return false;
  gint length = gtk_selection_data_get_length(data);
  const bool got = length >= 0;
  if (got) bytes->assign(reinterpret_cast<const char*>(gtk_selection_data_get_data(data)), static_cast<size_t>(length));
  gtk_selection_data_free(data);
  return got;
}

std::vector<std::string> PLAT_GtkClipboardTargets(const char* selection)
{
  std::vector<std::string> out;
  GdkAtom* atoms = nullptr;
  gint count = 0;
  if (!gtk_clipboard_wait_for_targets(BoardOf(selection), &atoms, &count)) return out;
  for (gint i = 0; i < count; ++i)
  {
    gchar* name = gdk_atom_name(atoms[i]);
    out.push_back(name);
    g_free(name);
  }
  g_free(atoms);
  return out;
}
