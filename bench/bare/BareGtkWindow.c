/* The least a GTK 3 program does to show a window the editor's size: one
 * drawing area that paints a gradient (as many colours as the editor's
 * panels show on the benchmark's grid of samples). The start benchmark sets
 * the editor's start against this program's. */
#include <gtk/gtk.h>

static gboolean Draw(GtkWidget* area, cairo_t* cr, gpointer unused)
{
  (void)unused;
  cairo_pattern_t* ramp = cairo_pattern_create_linear(0, 0, gtk_widget_get_allocated_width(area),
                                                      gtk_widget_get_allocated_height(area));
  cairo_pattern_add_color_stop_rgb(ramp, 0, 0.9, 0.1, 0.1);
  cairo_pattern_add_color_stop_rgb(ramp, 0.5, 0.1, 0.9, 0.2);
  cairo_pattern_add_color_stop_rgb(ramp, 1, 0.1, 0.2, 0.9);
  cairo_set_source(cr, ramp);
  cairo_paint(cr);
  cairo_pattern_destroy(ramp);
  return FALSE;
}

int main(int argc, char** argv)
{
  gtk_init(&argc, &argv);
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_default_size(GTK_WINDOW(window), 1140, 800);
  GtkWidget* area = gtk_drawing_area_new();
  g_signal_connect(area, "draw", G_CALLBACK(Draw), NULL);
  gtk_container_add(GTK_CONTAINER(window), area);
  g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), NULL);
  gtk_widget_show_all(window);
  gtk_main();
  return 0;
}
