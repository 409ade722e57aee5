#include "platform/gtk/PLAT_GtkChooser.h"

#include "platform/gtk/PLAT_Gtk.h"
#include "platform/gtk/PLAT_GtkLoop.h"
#include "platform/gtk/PLAT_GtkPrivate.h"
#include "platform/gtk/PLAT_GtkView.h"

#include <gtk/gtk.h>

#include <cstdio>
#include <cstring>

struct PLAT_ChooserTest
{
  GtkWidget* dialog = nullptr;
};

namespace
{
PLAT_ChooserTest gRunning;

// The accept button's answer. Not one the toolkit's chooser recognises as an
// acceptance, so that the chooser hands the choice straight to us instead of
// checking it first in ways that differ between toolkit versions.
constexpr int kChosen = 1;

struct Run
{
  PLAT_NestedLoop loop;
  int response = GTK_RESPONSE_NONE;
  bool save = false;
  // The folder shown: the chooser answers none until it has looked the
  // folder up, which may still be under way when the user confirms.
  std::string folder;
};

// The chooser running now, for PLAT_ChooserCancelRunning.
Run* gCurrentRun = nullptr;

struct Asked
{
  PLAT_NestedLoop loop;
  int response = GTK_RESPONSE_NONE;
};

void OnQuestionResponse(GtkDialog*, gint response, gpointer data)
{
  auto* asked = static_cast<Asked*>(data);
  asked->response = response;
  asked->loop.Quit();
}

// Replacing a file silently would lose a program: the save chooser asks
// first, in a modal run of its own, and stays open on a "no".
bool MayReplace(GtkWidget* chooser, const char* path)
{
  if (!g_file_test(path, G_FILE_TEST_EXISTS)) return true;
  gchar* name = g_path_get_basename(path);
  GtkWidget* q = gtk_message_dialog_new(GTK_WINDOW(chooser), GTK_DIALOG_MODAL, GTK_MESSAGE_QUESTION,
                                        GTK_BUTTONS_NONE, "A file named \"%s\" already exists. Do you want to replace it?",
                                        name);
  g_free(name);
  gtk_dialog_add_buttons(GTK_DIALOG(q), "_Cancel", GTK_RESPONSE_CANCEL, "_Replace", GTK_RESPONSE_ACCEPT, nullptr);
  gtk_dialog_set_default_response(GTK_DIALOG(q), GTK_RESPONSE_CANCEL);
  Asked asked;
  g_signal_connect(q, "response", G_CALLBACK(OnQuestionResponse), &asked);
  gtk_window_present(GTK_WINDOW(q));
  asked.loop.Run();
  gtk_widget_destroy(q);
  return asked.response == GTK_RESPONSE_ACCEPT;
}

void OnFolderChanged(GtkFileChooser* fc, gpointer data)
{
  if (gchar* folder = gtk_file_chooser_get_current_folder(fc))
  {
    static_cast<Run*>(data)->folder = folder;
    g_free(folder);
  }
}

// The chosen path; for a name typed into a save chooser, in the folder shown.
gchar* ChosenPath(GtkFileChooser* fc, const Run* run)
{
  gchar* path = gtk_file_chooser_get_filename(fc);
  if (path || !run->save || run->folder.empty()) return path;
  gchar* name = gtk_file_chooser_get_current_name(fc);
  if (name && *name && !std::strchr(name, '/')) path = g_build_filename(run->folder.c_str(), name, nullptr);
  g_free(name);
  return path;
}

void OnResponse(GtkDialog* dialog, gint response, gpointer data)
{
  auto* run = static_cast<Run*>(data);
  if (response == kChosen)
  {
    GtkFileChooser* fc = GTK_FILE_CHOOSER(dialog);
    gchar* path = ChosenPath(fc, run);
    bool stay = !path;
    // A folder named where a file is wanted is opened instead.
    if (path && gtk_file_chooser_get_action(fc) != GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER &&
        g_file_test(path, G_FILE_TEST_IS_DIR))
    {
      gtk_file_chooser_set_current_folder(fc, path);
      run->folder = path;
      if (run->save) gtk_file_chooser_set_current_name(fc, "");
      stay = true;
    }
    else if (path && run->save)
      stay = !MayReplace(GTK_WIDGET(dialog), path);
    g_free(path);
    if (stay) return;
  }
  run->response = response;
  run->loop.Quit();
}

std::string Dirname(const std::string& path)
{
  gchar* d = g_path_get_dirname(path.c_str());
  std::string s = d;
  g_free(d);
  return s;
}

std::string Basename(const std::string& path)
{
  gchar* b = g_path_get_basename(path.c_str());
  std::string s = b;
  g_free(b);
  return s;
}

GtkMessageDialog* Question()
{
  GtkMessageDialog* found = nullptr;
  GList* tops = gtk_window_list_toplevels();
  for (GList* l = tops; l; l = l->next)
    if (GTK_IS_MESSAGE_DIALOG(l->data) && gtk_widget_get_visible(GTK_WIDGET(l->data)))
      found = GTK_MESSAGE_DIALOG(l->data);
  g_list_free(tops);
  return found;
}
}  // namespace

std::vector<std::string> PLAT_ChooserRun(const PLAT_ChooserRequest& request)
{
  std::vector<std::string> chosen;
  if (!PLAT_GtkIsUp() || gRunning.dialog)
  {
    std::fprintf(stderr, "ZephraEditor: no file chooser can be shown\n");
    return chosen;
  }
  const GtkFileChooserAction action = request.kind == PLAT_ChooserKind::Save     ? GTK_FILE_CHOOSER_ACTION_SAVE
                                      : request.kind == PLAT_ChooserKind::Folder ? GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER
                                                                                 : GTK_FILE_CHOOSER_ACTION_OPEN;
  const char* accept = !request.accept.empty()                    ? request.accept.c_str()
                       : request.kind == PLAT_ChooserKind::Save ? "_Save"
                                                                : "_Open";
  GtkWidget* dialog = gtk_file_chooser_dialog_new(request.title.c_str(), nullptr, action, "_Cancel",
                                                  GTK_RESPONSE_CANCEL, accept, kChosen, nullptr);
  g_object_ref_sink(dialog);
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), kChosen);
  gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
  // The layer asks before replacing (MayReplace), the same way on every
  // toolkit version.
  gtk_file_chooser_set_do_overwrite_confirmation(chooser, FALSE);
  gtk_file_chooser_set_create_folders(chooser, request.kind != PLAT_ChooserKind::Open);
  gtk_file_chooser_set_select_multiple(chooser, request.kind == PLAT_ChooserKind::Open && request.multiple);
  gtk_file_chooser_set_local_only(chooser, TRUE);
  if (!request.folder.empty()) gtk_file_chooser_set_current_folder(chooser, request.folder.c_str());
  if (!request.file.empty())
  {
    if (request.kind == PLAT_ChooserKind::Save)
      gtk_file_chooser_set_current_name(chooser, request.file.c_str());
    else if (request.kind == PLAT_ChooserKind::Open && !request.folder.empty())
      gtk_file_chooser_select_filename(chooser, (request.folder + "/" + request.file).c_str());
  }
  if (!request.patterns.empty())
  {
    GtkFileFilter* filter = gtk_file_filter_new();
    for (const std::string& p : request.patterns) gtk_file_filter_add_pattern(filter, p.c_str());
    gtk_file_chooser_set_filter(chooser, filter);
  }

  GtkWidget* accessory = request.accessory ? request.accessory->GetImpl()->widget : nullptr;
  if (accessory)
  {
    gtk_file_chooser_set_extra_widget(chooser, accessory);
    gtk_widget_show(accessory);
  }

  Run run;
  run.save = request.kind == PLAT_ChooserKind::Save;
  run.folder = request.folder;
  g_signal_connect(dialog, "current-folder-changed", G_CALLBACK(OnFolderChanged), &run);
  const gulong handler = g_signal_connect(dialog, "response", G_CALLBACK(OnResponse), &run);
  // Escape or the window's close button answers as a cancel, and the dialog
  // then destroys itself by default, under the run, which still uses it (its
  // handlers gone, the accessory destroyed with it): it stays until the run
  // is over.
  const gulong closing = g_signal_connect(dialog, "delete-event", G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer) {
                                            return gboolean{TRUE};
                                          }),
                                          nullptr);
  gRunning.dialog = dialog;
  gCurrentRun = &run;
  gtk_window_present(GTK_WINDOW(dialog));
  run.loop.Run();
  gCurrentRun = nullptr;
  gRunning.dialog = nullptr;
  g_signal_handler_disconnect(dialog, handler);
  g_signal_handler_disconnect(dialog, closing);

  if (run.response == kChosen && run.save)
  {
    if (gchar* path = ChosenPath(chooser, &run))
    {
      chosen.emplace_back(path);
      g_free(path);
    }
  }
  else if (run.response == kChosen)
  {
    GSList* files = gtk_file_chooser_get_filenames(chooser);
    for (GSList* l = files; l; l = l->next)
    {
      chosen.emplace_back(static_cast<const char*>(l->data));
      g_free(l->data);
    }
    g_slist_free(files);
  }
  // The accessory's view outlives the chooser; its owner destroys it.
  if (accessory) gtk_file_chooser_set_extra_widget(chooser, nullptr);
  gtk_widget_destroy(dialog);
  g_object_unref(dialog);
  return chosen;
}

PLAT_ChooserTest* PLAT_ChooserTestCurrent() { return gRunning.dialog ? &gRunning : nullptr; }

void PLAT_ChooserTestAccept(PLAT_ChooserTest* chooser, const char* path)
{
  if (!chooser || !chooser->dialog) return;
  GtkFileChooser* fc = GTK_FILE_CHOOSER(chooser->dialog);
  const std::string p = path;
  if (gtk_file_chooser_get_action(fc) == GTK_FILE_CHOOSER_ACTION_SAVE)
  {
    // Changing to the folder it shows would reload it and clear the name.
    gchar* shown = gtk_file_chooser_get_current_folder(fc);
    if (!shown || Dirname(p) != shown) gtk_file_chooser_set_current_folder(fc, Dirname(p).c_str());
    g_free(shown);
    gtk_file_chooser_set_current_name(fc, Basename(p).c_str());
  }
  else
    gtk_file_chooser_select_filename(fc, p.c_str());
  gtk_dialog_response(GTK_DIALOG(chooser->dialog), kChosen);
}

void PLAT_ChooserTestCancel(PLAT_ChooserTest* chooser)
{
  if (chooser && chooser->dialog) gtk_dialog_response(GTK_DIALOG(chooser->dialog), GTK_RESPONSE_CANCEL);
}

void PLAT_ChooserTestClose(PLAT_ChooserTest* chooser)
{
  if (chooser && chooser->dialog) g_signal_emit_by_name(chooser->dialog, "close");
}

std::string PLAT_ChooserTestQuestion()
{
  GtkMessageDialog* q = Question();
  if (!q) return "";
  gchar* text = nullptr;
  g_object_get(q, "text", &text, nullptr);
  std::string s = text ? text : "";
  g_free(text);
  return s;
}

void PLAT_ChooserTestAnswerQuestion(bool yes)
{
  if (GtkMessageDialog* q = Question())
    gtk_dialog_response(GTK_DIALOG(q), yes ? GTK_RESPONSE_ACCEPT : GTK_RESPONSE_CANCEL);
}

void PLAT_ChooserCancelRunning()
{
  PLAT_ChooserTestAnswerQuestion(false);
  // Straight to the run: a response emitted from inside the chooser's own
  // response (its replace question) would not reach it.
  if (!gCurrentRun) return;
  gCurrentRun->response = GTK_RESPONSE_CANCEL;
  gCurrentRun->loop.Quit();
}
