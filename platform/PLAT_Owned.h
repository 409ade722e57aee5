// Owning references to the C objects the platform layer works with: cairo
// contexts and surfaces, text layout objects, fontconfig records and GObjects.
// Each is a std::unique_ptr whose deleter drops exactly the one reference the
// creating call handed out, so an early return can never leak one or free it
// twice. Only code inside platform/ includes this header.
//
//   PLAT_Owned<cairo_surface_t> s(cairo_image_surface_create(...));
//   PLAT_GObject<PangoLayout> layout(pango_layout_new(ctx));
#pragma once

#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <glib-object.h>
#include <pango/pango.h>

#include <memory>

// The function that drops one reference of a T; specialised once per type.
template <class T>
struct PLAT_Release;

template <>
struct PLAT_Release<cairo_t>
{
  void operator()(cairo_t* p) const { cairo_destroy(p); }
};

template <>
struct PLAT_Release<cairo_surface_t>
{
  void operator()(cairo_surface_t* p) const { cairo_surface_destroy(p); }
};

template <>
struct PLAT_Release<cairo_font_options_t>
{
  void operator()(cairo_font_options_t* p) const { cairo_font_options_destroy(p); }
};

template <>
struct PLAT_Release<PangoFontDescription>
{
  void operator()(PangoFontDescription* p) const { pango_font_description_free(p); }
};

template <>
struct PLAT_Release<PangoFontMetrics>
{
  void operator()(PangoFontMetrics* p) const { pango_font_metrics_unref(p); }
};

template <>
struct PLAT_Release<FcConfig>
{
  void operator()(FcConfig* p) const { FcConfigDestroy(p); }
};

template <>
struct PLAT_Release<FcPattern>
{
  void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};

// Strings the GLib family hands over to the caller.
template <>
struct PLAT_Release<char>
{
  void operator()(char* p) const { g_free(p); }
};

template <class T>
using PLAT_Owned = std::unique_ptr<T, PLAT_Release<T>>;

// Any GObject (layouts, fonts, font maps, the toolkit's widgets): the deleter
// drops one reference and the object lives on while others hold theirs. A
// newly made widget's reference is floating: sink it (g_object_ref_sink)
// before handing it to one of these.
struct PLAT_GObjectRelease
{
  void operator()(void* p) const { g_object_unref(p); }
};

template <class T>
using PLAT_GObject = std::unique_ptr<T, PLAT_GObjectRelease>;
