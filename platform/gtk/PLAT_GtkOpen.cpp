#include "platform/gtk/PLAT_GtkOpen.h"

#include <cstring>

#include <gio/gio.h>

bool PLAT_OpenWithDefaultApp(const char* target)
{
  if (!target || !*target) return false;
  gchar* uri = nullptr;
  if (std::strstr(target, "http"))
    uri = g_strdup(target);
  else
  {
    GFile* file = g_file_new_for_path(target);
    uri = g_file_get_uri(file);
    g_object_unref(file);
  }
  // The launch looks the document up first: a missing one is an error here,
  // not a process started only to fail later.
  GError* error = nullptr;
  const gboolean launched = g_app_info_launch_default_for_uri(uri, nullptr, &error);
  if (error) g_error_free(error);
  g_free(uri);
  return launched != FALSE;
}

bool PLAT_OpenAsPlainText(const char* path)
{
  if (!path || !*path) return false;
  GAppInfo* editor = g_app_info_get_default_for_type("text/plain", FALSE);
  if (!editor) return false;
  GFile* file = g_file_new_for_path(path);
  GList files = {file, nullptr, nullptr};
  GError* error = nullptr;
  const gboolean launched = g_app_info_launch(editor, &files, nullptr, &error);
  if (error) g_error_free(error);
  g_object_unref(file);
  g_object_unref(editor);
  return launched != FALSE;
}
