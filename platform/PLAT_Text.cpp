#include "platform/PLAT_Text.h"

#include "platform/PLAT_CairoPrivate.h"
#include "platform/PLAT_Owned.h"
#include "platform/PLAT_Resources.h"

#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <mutex>
#include <vector>

// ---- sections ----
// configuration · shared layout objects · face matching · layout · font ·
// engine · engine registry

namespace
{
// The text layout's font map, its contexts and fontconfig are shared by every
// font and are not safe to use from two threads at once.
std::recursive_mutex gTextLock;

// ---- configuration ----

// The application's configuration, built once on whichever thread asks
// first and kept for the process; null when the file is missing or does not
// parse. Reading it is most of what the first text costs, and it touches
// nothing shared: a warming thread builds it while the toolkit starts.
FcConfig* AppConfiguration()
{
  static std::once_flag once;
  static FcConfig* built = nullptr;
  std::call_once(once, [] {
    const std::string path = PLAT_GetResourcePath("fonts/fonts.conf");
    if (path.empty()) return;
    PLAT_Owned<FcConfig> config(FcConfigCreate());
    if (config && FcConfigParseAndLoad(config.get(), reinterpret_cast<const FcChar8*>(path.c_str()), FcTrue) &&
        FcConfigBuildFonts(config.get()))
      built = config.release();
  });
  return built;
}

// ---- shared layout objects ----

struct Shared
{
  PangoFontMap* map = nullptr;
  PangoContext* smooth = nullptr;  // grey-scale edges
  PangoContext* sharp = nullptr;   // whole pixels
  PangoLanguage* language = nullptr;
};

PangoContext* MakeContext(PangoFontMap* map, cairo_antialias_t aa, PangoLanguage* language)
{
  PangoContext* ctx = pango_font_map_create_context(map);
  // Unhinted outlines and fractional advances, as the program's layout
  // expects, whatever the machine's settings say; grey-scale smoothing only,
  // since the pixels may end up on any display or in any byte order.
  PLAT_Owned<cairo_font_options_t> options(cairo_font_options_create());
  cairo_font_options_set_hint_style(options.get(), CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_antialias(options.get(), aa);
  cairo_font_options_set_subpixel_order(options.get(), CAIRO_SUBPIXEL_ORDER_DEFAULT);
  // The context keeps a copy.
  pango_cairo_context_set_font_options(ctx, options.get());
  pango_context_set_round_glyph_positions(ctx, FALSE);
  pango_context_set_language(ctx, language);
  pango_context_set_base_dir(ctx, PANGO_DIRECTION_LTR);
  return ctx;
}

// Made once for the process; the caller holds gTextLock. The font map is
// bound to the application's configuration itself, so that it draws the
// same whether or not that configuration is current yet.
Shared& GetShared()
{
  static Shared shared;
  if (!shared.map)
  {
    shared.map = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
    if (!shared.map) shared.map = pango_cairo_font_map_new();
    if (FcConfig* config = AppConfiguration(); config && PANGO_IS_FC_FONT_MAP(shared.map))
      pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(shared.map), config);
    // One point is one pixel.
    pango_cairo_font_map_set_resolution(PANGO_CAIRO_FONT_MAP(shared.map), 72.0);
    shared.language = pango_language_from_string("en");
    shared.smooth = MakeContext(shared.map, CAIRO_ANTIALIAS_GRAY, shared.language);
    shared.sharp = MakeContext(shared.map, CAIRO_ANTIALIAS_NONE, shared.language);
  }
  return shared;
}

double FromPango(int v) { return static_cast<double>(v) / PANGO_SCALE; }

// ---- face matching ----

struct Face
{
  std::string family;
  PangoWeight weight = PANGO_WEIGHT_NORMAL;
  PangoStyle style = PANGO_STYLE_NORMAL;
  std::string fullName;
};

// The face fontconfig picks for a description's families, weight and style.
bool MatchFace(const PangoFontDescription* desc, Face* out)
{
  const char* families = pango_font_description_get_family(desc);
  if (!families || !*families) return false;
  PLAT_Owned<FcPattern> pattern(FcPatternCreate());
  if (!pattern) return false;
  std::string list = families;
  size_t start = 0;
  while (start <= list.size())
  {
    size_t comma = list.find(',', start);
    if (comma == std::string::npos) comma = list.size();
    std::string name = list.substr(start, comma - start);
    name.erase(0, name.find_first_not_of(' '));
    name.erase(name.find_last_not_of(' ') + 1);
    if (!name.empty()) FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
    start = comma + 1;
  }
  FcPatternAddInteger(pattern.get(), FC_WEIGHT, FcWeightFromOpenType(pango_font_description_get_weight(desc)));
  const PangoStyle style = pango_font_description_get_style(desc);
  FcPatternAddInteger(pattern.get(), FC_SLANT,
                      style == PANGO_STYLE_ITALIC    ? FC_SLANT_ITALIC
                      : style == PANGO_STYLE_OBLIQUE ? FC_SLANT_OBLIQUE
                                                     : FC_SLANT_ROMAN);
  // The application's configuration, current or not yet (null: the current one).
  FcConfig* config = AppConfiguration();
  FcConfigSubstitute(config, pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());
  FcResult result = FcResultNoMatch;
  const PLAT_Owned<FcPattern> match(FcFontMatch(config, pattern.get(), &result));
  if (!match) return false;

  // Strings read from a pattern belong to it.
  FcChar8* family = nullptr;
  if (FcPatternGetString(match.get(), FC_FAMILY, 0, &family) != FcResultMatch || !family) return false;
  out->family = reinterpret_cast<const char*>(family);
  int weight = FC_WEIGHT_REGULAR;
  double weightD = 0;
  if (FcPatternGetInteger(match.get(), FC_WEIGHT, 0, &weight) != FcResultMatch &&
      FcPatternGetDouble(match.get(), FC_WEIGHT, 0, &weightD) == FcResultMatch)
    weight = static_cast<int>(weightD);
  out->weight = static_cast<PangoWeight>(FcWeightToOpenType(weight));
  int slant = FC_SLANT_ROMAN;
  FcPatternGetInteger(match.get(), FC_SLANT, 0, &slant);
  out->style = slant == FC_SLANT_ITALIC    ? PANGO_STYLE_ITALIC
               : slant == FC_SLANT_OBLIQUE ? PANGO_STYLE_OBLIQUE
                                           : PANGO_STYLE_NORMAL;
  FcChar8* full = nullptr;
  out->fullName = FcPatternGetString(match.get(), FC_FULLNAME, 0, &full) == FcResultMatch && full
                      ? reinterpret_cast<const char*>(full)
                      : out->family;
  return true;
}

// ---- layout ----

class LineLayout : public PLAT_TextLayout
{
public:
  struct Line
  {
    PangoLayoutLine* line;  // owned by the layout
    PLAT_LineMetrics metrics;
    PangoRectangle ink;
    PangoRectangle logical;
  };

  explicit LineLayout(PLAT_GObject<PangoLayout> layout) : mLayout(std::move(layout)) {}
  ~LineLayout() override
  {
    // The layout's last reference reaches into the shared font machinery.
    std::lock_guard<std::recursive_mutex> lock(gTextLock);
    mLayout.reset();
  }

  int GetLineCount() const override { return static_cast<int>(mLines.size()); }

  PLAT_LineMetrics GetLine(int index) const override
  {
    return index >= 0 && index < GetLineCount() ? mLines[static_cast<size_t>(index)].metrics : PLAT_LineMetrics{};
  }

  void DrawLine(PLAT_Canvas* canvas, int index, double x, double baseline, PLAT_Color color) const override
  {
    if (!canvas || index < 0 || index >= GetLineCount()) return;
    if (!std::isfinite(x) || !std::isfinite(baseline)) return;
    const Line& l = mLines[static_cast<size_t>(index)];
    // The pixels the line can reach: its ink and its logical box, with a
    // margin for the smoothed edges.
    const double left = std::min(l.ink.x, l.logical.x), top = std::min(l.ink.y, l.logical.y);
    const double right = std::max(l.ink.x + l.ink.width, l.logical.x + l.logical.width);
    const double bottom = std::max(l.ink.y + l.ink.height, l.logical.y + l.logical.height);
    const PLAT_Box box = PLAT_BoxAround(x + left / PANGO_SCALE - 2, baseline + top / PANGO_SCALE - 2,
                                        x + right / PANGO_SCALE + 2, baseline + bottom / PANGO_SCALE + 2);
    std::lock_guard<std::recursive_mutex> lock(gTextLock);
    PLAT_DrawScope draw(canvas->GetImpl(), box);
    cairo_t* cr = draw.Get();
    if (!cr) return;
    cairo_set_source_rgba(cr, color.r, color.g, color.b, color.a);
    cairo_move_to(cr, x, baseline);
    pango_cairo_show_layout_line(cr, l.line);
  }

  std::vector<Line> mLines;

private:
  PLAT_GObject<PangoLayout> mLayout;
};

// ---- font ----

class LayoutFont : public PLAT_Font
{
public:
  LayoutFont(PLAT_Owned<PangoFontDescription> desc, double size, const PLAT_FontMetrics& metrics, std::string name)
      : mDesc(std::move(desc)), mSize(size), mMetrics(metrics), mName(std::move(name))
  {
  }

  PLAT_FontMetrics GetMetrics() const override { return mMetrics; }
  std::string GetDisplayName() const override { return mName; }
  double GetSize() const override { return mSize; }

  std::unique_ptr<PLAT_TextLayout> Layout(const char* utf8, size_t len, PLAT_Antialias aa) const override
  {
    if (!utf8) len = 0;
    const int n = static_cast<int>(std::min<size_t>(len, 1u << 30));
    std::lock_guard<std::recursive_mutex> lock(gTextLock);
    Shared& shared = GetShared();
    PLAT_GObject<PangoLayout> owned(pango_layout_new(aa == PLAT_Antialias::Off ? shared.sharp : shared.smooth));
    if (!owned) return nullptr;
    PangoLayout* layout = owned.get();
    pango_layout_set_font_description(layout, mDesc.get());
    pango_layout_set_width(layout, -1);
    pango_layout_set_text(layout, n ? utf8 : "", n);
    auto result = std::make_unique<LineLayout>(std::move(owned));
    const int count = pango_layout_get_line_count(layout);
    for (int i = 0; i < count; ++i)
    {
      LineLayout::Line line{};
      line.line = pango_layout_get_line_readonly(layout, i);
      if (!line.line) continue;
      pango_layout_line_get_extents(line.line, &line.ink, &line.logical);
      line.metrics.width = FromPango(line.logical.width);
      // A line as tall as its tallest font, and never shorter than this one.
      line.metrics.ascent = std::max(FromPango(-line.logical.y), mMetrics.ascent);
      line.metrics.descent = std::max(FromPango(line.logical.y + line.logical.height), mMetrics.descent);
      line.metrics.leading = mMetrics.leading;
      result->mLines.push_back(line);
    }
    if (result->mLines.empty())
    {
      // Unreachable with a working layout; keeps "at least one line" true.
      LineLayout::Line line{};
      line.metrics = {0, mMetrics.ascent, mMetrics.descent, mMetrics.leading};
      result->mLines.push_back(line);
    }
    return result;
  }

private:
  PLAT_Owned<PangoFontDescription> mDesc;
  double mSize;
  PLAT_FontMetrics mMetrics;
  std::string mName;
};

// ---- engine ----

class LayoutEngine : public PLAT_TextEngine
{
public:
  bool ResolveFaceName(const char* requested, std::string* resolved) override
  {
    PLAT_InitText();
    return Resolve(requested, resolved);
  }

  // ResolveFaceName without making the application's configuration current.
  static bool Resolve(const char* requested, std::string* resolved)
  {
    if (!requested || !*requested || !resolved) return false;
    std::lock_guard<std::recursive_mutex> lock(gTextLock);
    GetShared();
    const PLAT_Owned<PangoFontDescription> desc(pango_font_description_from_string(requested));
    Face face;
    if (!MatchFace(desc.get(), &face)) return false;
    PLAT_Owned<PangoFontDescription> out(pango_font_description_new());
    pango_font_description_set_family(out.get(), face.family.c_str());
    pango_font_description_set_weight(out.get(), face.weight);
    pango_font_description_set_style(out.get(), face.style);
    const PLAT_Owned<char> text(pango_font_description_to_string(out.get()));
    *resolved = text ? text.get() : "";
    return !resolved->empty();
  }

  std::unique_ptr<PLAT_Font> CreateFont(const char* face, double size) override
  {
    PLAT_InitText();
    return MakeFont(face, size);
  }

  // A font as CreateFont makes it, without making the application's
  // configuration current: for warming, on any thread.
  static std::unique_ptr<PLAT_Font> MakeFont(const char* face, double size)
  {
    if (!face || !*face || !std::isfinite(size) || size <= 0) return nullptr;
    std::lock_guard<std::recursive_mutex> lock(gTextLock);
    Shared& shared = GetShared();
    PLAT_Owned<PangoFontDescription> desc(pango_font_description_from_string(face));
    const char* family = pango_font_description_get_family(desc.get());
    Face matched;
    if (!family || !*family || !MatchFace(desc.get(), &matched)) return nullptr;
    // Sizes in the face string are not the caller's.
    pango_font_description_set_absolute_size(desc.get(), size * PANGO_SCALE);
    const PLAT_GObject<PangoFont> loaded(pango_font_map_load_font(shared.map, shared.smooth, desc.get()));
    if (!loaded) return nullptr;
    const PLAT_Owned<PangoFontMetrics> m(pango_font_get_metrics(loaded.get(), shared.language));
    PLAT_FontMetrics metrics;
    metrics.ascent = FromPango(pango_font_metrics_get_ascent(m.get()));
    metrics.descent = FromPango(pango_font_metrics_get_descent(m.get()));
    const double height = FromPango(pango_font_metrics_get_height(m.get()));
    metrics.leading = std::max(0.0, height - metrics.ascent - metrics.descent);
    return std::make_unique<LayoutFont>(std::move(desc), size, metrics, matched.fullName);
  }

  std::unique_ptr<PLAT_Font> CreateLabelFont(double size) override { return CreateFont(PLAT_LABEL_FACE, size); }

  const PLAT_Font* GetDefaultFont() override
  {
    std::call_once(mDefaultOnce, [this] { mDefault = CreateLabelFont(10); });
    return mDefault.get();
  }

private:
  std::once_flag mDefaultOnce;
  std::unique_ptr<PLAT_Font> mDefault;
};

PLAT_TextEngine* RealEngine()
{
  static LayoutEngine engine;
  return &engine;
}

// ---- engine registry ----

std::atomic<PLAT_TextEngine*> gInstalled{nullptr};
}  // namespace

bool PLAT_InitText()
{
  static std::once_flag once;
  static bool loaded = false;
  // Setting it current takes a reference of its own.
  std::call_once(once, [] {
    FcConfig* config = AppConfiguration();
    loaded = config && FcConfigSetCurrent(config);
  });
  return loaded;
}

void PLAT_WarmText(const char* face, const double* sizes, size_t count, const char* text)
{
  // Warming reaches the real engine's shared machinery only; a test's own
  // engine has nothing to warm.
  if (gInstalled.load() || !face || !text) return;
  // The system's configuration, which the toolkit's own texts (the menu
  // bar) read: the same that the toolkit would load on its first text.
  FcInit();
  const size_t length = std::strlen(text);
  std::unique_ptr<PLAT_Canvas> canvas = PLAT_Canvas::CreateImage(64, 64);
  if (!canvas) return;
  // Resolved as the window layer resolves a face before it asks for it.
  std::string resolved;
  if (!LayoutEngine::Resolve(face, &resolved)) return;
  for (size_t i = 0; i < count; ++i)
  {
    const std::unique_ptr<PLAT_Font> font = LayoutEngine::MakeFont(resolved.c_str(), sizes[i]);
    if (!font) continue;
    // Each character laid out and drawn on its own, as the glyph cache of
    // the raster layer asks for them, with smooth edges as the panels'
    // texts have them.
    for (size_t c = 0; c < length; ++c)
      if (const std::unique_ptr<PLAT_TextLayout> layout = font->Layout(text + c, 1, PLAT_Antialias::On))
        layout->DrawLine(canvas.get(), 0, 8, 40, PLAT_Color{0, 0, 0, 1});
  }
}

PLAT_TextEngine* PLAT_GetTextEngine()
{
  PLAT_TextEngine* engine = gInstalled.load();
  return engine ? engine : RealEngine();
}

PLAT_TextEngine* PLAT_SetTextEngine(PLAT_TextEngine* engine)
{
  PLAT_TextEngine* previous = gInstalled.exchange(engine);
  return previous ? previous : RealEngine();
}
