#include "platform/PLAT_Canvas.h"

#include "platform/PLAT_CairoPrivate.h"
#include "platform/PLAT_CanvasCairo.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

// ---- sections ----
// path · boxes · canvas objects · drawing window · drawing · reading

namespace
{
// Control-point distance that makes four cubic Beziers a close circle.
constexpr double kKappa = 0.55228474983079;

// Bytes (unused, R, G, B) read as a little-endian word, swapped, are cairo's
// 0xXXRRGGBB word, and the other way round.
inline uint32_t Swap(uint32_t v) { return __builtin_bswap32(v); }

void AddToCairo(cairo_t* cr, const PLAT_Path& path)
{
  for (const PLAT_Path::Element& e : path.GetElements())
  {
    switch (e.op)
    {
      case PLAT_Path::Op::Move: cairo_move_to(cr, e.x[0], e.y[0]); break;
      case PLAT_Path::Op::Line: cairo_line_to(cr, e.x[0], e.y[0]); break;
      case PLAT_Path::Op::Curve: cairo_curve_to(cr, e.x[0], e.y[0], e.x[1], e.y[1], e.x[2], e.y[2]); break;
      case PLAT_Path::Op::Close: cairo_close_path(cr); break;
    }
  }
}

void SetSource(cairo_t* cr, PLAT_Color c)
{
  cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a);
}

cairo_antialias_t CairoAntialias(PLAT_Antialias aa)
{
  return aa == PLAT_Antialias::Off ? CAIRO_ANTIALIAS_NONE : CAIRO_ANTIALIAS_GRAY;
}

bool Finite(double v) { return std::isfinite(v); }
}  // namespace

// ---- path ----

void PLAT_Path::MoveTo(double x, double y)
{
  mElements.push_back({Op::Move, {x, 0, 0}, {y, 0, 0}});
  mHasPoint = true;
}

void PLAT_Path::LineTo(double x, double y)
{
  if (!mHasPoint)
  {
    MoveTo(x, y);
    return;
  }
  mElements.push_back({Op::Line, {x, 0, 0}, {y, 0, 0}});
}

void PLAT_Path::CurveTo(double x1, double y1, double x2, double y2, double x3, double y3)
{
  if (!mHasPoint) MoveTo(x1, y1);
  mElements.push_back({Op::Curve, {x1, x2, x3}, {y1, y2, y3}});
}

void PLAT_Path::Close()
{
  if (mHasPoint) mElements.push_back({Op::Close, {0, 0, 0}, {0, 0, 0}});
}

void PLAT_Path::AddRect(double x, double y, double w, double h)
{
  MoveTo(x, y);
  LineTo(x + w, y);
  LineTo(x + w, y + h);
  LineTo(x, y + h);
  Close();
}

void PLAT_Path::AddEllipse(double x, double y, double w, double h)
{
  const double rx = w / 2, ry = h / 2, cx = x + rx, cy = y + ry;
  const double kx = rx * kKappa, ky = ry * kKappa;
  MoveTo(cx + rx, cy);
  CurveTo(cx + rx, cy + ky, cx + kx, cy + ry, cx, cy + ry);
  CurveTo(cx - kx, cy + ry, cx - rx, cy + ky, cx - rx, cy);
  CurveTo(cx - rx, cy - ky, cx - kx, cy - ry, cx, cy - ry);
  CurveTo(cx + kx, cy - ry, cx + rx, cy - ky, cx + rx, cy);
  Close();
}

void PLAT_Path::AddRoundRect(double x, double y, double w, double h, double rw, double rh)
{
  const double rx = std::min(std::fabs(rw) / 2, std::fabs(w) / 2);
  const double ry = std::min(std::fabs(rh) / 2, std::fabs(h) / 2);
  if (rx <= 0 || ry <= 0)
  {
    AddRect(x, y, w, h);
    return;
  }
  const double kx = rx * kKappa, ky = ry * kKappa, r = x + w, b = y + h;
  MoveTo(x + rx, y);
  LineTo(r - rx, y);
  CurveTo(r - rx + kx, y, r, y + ry - ky, r, y + ry);
  LineTo(r, b - ry);
  CurveTo(r, b - ry + ky, r - rx + kx, b, r - rx, b);
  LineTo(x + rx, b);
  CurveTo(x + rx - kx, b, x, b - ry + ky, x, b - ry);
  LineTo(x, y + ry);
  CurveTo(x, y + ry - ky, x + rx - kx, y, x + rx, y);
  Close();
}

bool PLAT_Path::GetBounds(double* x0, double* y0, double* x1, double* y1) const
{
  bool any = false;
  double l = 0, t = 0, r = 0, b = 0;
  for (const Element& e : mElements)
  {
    const int n = e.op == Op::Curve ? 3 : e.op == Op::Close ? 0 : 1;
    for (int i = 0; i < n; ++i)
    {
      if (!any)
      {
        l = r = e.x[i];
        t = b = e.y[i];
        any = true;
      }
      l = std::min(l, e.x[i]);
      r = std::max(r, e.x[i]);
      t = std::min(t, e.y[i]);
      b = std::max(b, e.y[i]);
    }
  }
  *x0 = l;
  *y0 = t;
  *x1 = r;
  *y1 = b;
  return any;
}

// ---- boxes ----

PLAT_Box PLAT_BoxAround(double x0, double y0, double x1, double y1)
{
  static constexpr double kLimit = 1 << 30;
  auto lo = [](double v) { return static_cast<int>(std::floor(std::clamp(v, -kLimit, kLimit))); };
  auto hi = [](double v) { return static_cast<int>(std::ceil(std::clamp(v, -kLimit, kLimit))); };
  if (!Finite(x0) || !Finite(y0) || !Finite(x1) || !Finite(y1)) return PLAT_Box{};
  return PLAT_Box{lo(x0), lo(y0), hi(x1), hi(y1)};
}

// ---- canvas objects ----

PLAT_Canvas::Impl::~Impl()
{
  // A context handed in goes back to its owner as it came.
  for (; cr && saveDepth > 0; --saveDepth) cairo_restore(cr.get());
}

std::unique_ptr<PLAT_Canvas> PLAT_CanvasFactory::Make(std::unique_ptr<PLAT_Canvas::Impl> impl)
{
  return std::unique_ptr<PLAT_Canvas>(new PLAT_Canvas(std::move(impl)));
}

PLAT_Canvas::PLAT_Canvas(std::unique_ptr<Impl> impl) : mImpl(std::move(impl)) {}

PLAT_Canvas::~PLAT_Canvas() = default;

std::unique_ptr<PLAT_Canvas> PLAT_Canvas::CreateForPixels(void* pixels, int width, int height, int rowBytes)
{
  // Pixels are read and written as whole 32-bit words.
  if (!pixels || width < 1 || height < 1 || reinterpret_cast<uintptr_t>(pixels) % 4 != 0) return nullptr;
  if (rowBytes % 4 != 0 || static_cast<int64_t>(rowBytes) < static_cast<int64_t>(width) * 4) return nullptr;
  auto impl = std::make_unique<Impl>();
  impl->kind = Impl::Kind::Pixels;
  impl->pixels = static_cast<uint8_t*>(pixels);
  impl->width = width;
  impl->height = height;
  impl->rowBytes = rowBytes;
  impl->clip = {0, 0, static_cast<double>(width), static_cast<double>(height)};
  return PLAT_CanvasFactory::Make(std::move(impl));
}

std::unique_ptr<PLAT_Canvas> PLAT_Canvas::CreateImage(int width, int height)
{
  if (width < 1 || height < 1) return nullptr;
  auto impl = std::make_unique<Impl>();
  impl->kind = Impl::Kind::Surface;
  impl->surface.reset(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
  if (cairo_surface_status(impl->surface.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  impl->cr.reset(cairo_create(impl->surface.get()));
  if (cairo_status(impl->cr.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  impl->width = width;
  impl->height = height;
  return PLAT_CanvasFactory::Make(std::move(impl));
}

std::unique_ptr<PLAT_Canvas> PLAT_CanvasWrapCairo(cairo_t* cr, int width, int height)
{
  if (!cr || cairo_status(cr) != CAIRO_STATUS_SUCCESS) return nullptr;
  auto impl = std::make_unique<PLAT_Canvas::Impl>();
  impl->kind = PLAT_Canvas::Impl::Kind::Context;
  impl->cr.reset(cairo_reference(cr));
  impl->width = std::max(width, 0);
  impl->height = std::max(height, 0);
  return PLAT_CanvasFactory::Make(std::move(impl));
}

int PLAT_Canvas::GetWidth() const { return mImpl->width; }
int PLAT_Canvas::GetHeight() const { return mImpl->height; }

double PLAT_Canvas::GetDeviceScale() const
{
  if (mImpl->kind == Impl::Kind::Pixels) return 1.0;
  double dx = 1, dy = 0;
  cairo_user_to_device_distance(mImpl->cr.get(), &dx, &dy);
  double sx = 1, sy = 1;
  cairo_surface_get_device_scale(cairo_get_target(mImpl->cr.get()), &sx, &sy);
  return std::hypot(dx, dy) * sx;
}

// ---- state ----

void PLAT_Canvas::SaveState()
{
  if (mImpl->kind == Impl::Kind::Pixels)
  {
    mImpl->savedClips.push_back(mImpl->clip);
    return;
  }
  cairo_save(mImpl->cr.get());
  ++mImpl->saveDepth;
}

void PLAT_Canvas::RestoreState()
{
  if (mImpl->kind == Impl::Kind::Pixels)
  {
    if (mImpl->savedClips.empty()) return;
    mImpl->clip = mImpl->savedClips.back();
    mImpl->savedClips.pop_back();
    return;
  }
  // cairo puts a context into a lasting error state on an unmatched restore.
  if (mImpl->saveDepth == 0) return;
  cairo_restore(mImpl->cr.get());
  --mImpl->saveDepth;
}

void PLAT_Canvas::ClipToRect(double x, double y, double w, double h)
{
  if (!Finite(x) || !Finite(y) || !Finite(w) || !Finite(h)) w = h = 0;
  if (w < 0) w = 0;
  if (h < 0) h = 0;
  if (mImpl->kind == Impl::Kind::Pixels)
  {
    Impl::Clip& c = mImpl->clip;
    c.x0 = std::max(c.x0, x);
    c.y0 = std::max(c.y0, y);
    c.x1 = std::min(c.x1, x + w);
    c.y1 = std::min(c.y1, y + h);
    return;
  }
  cairo_rectangle(mImpl->cr.get(), x, y, w, h);
  cairo_clip(mImpl->cr.get());
}

int PLAT_Canvas::GetSaveDepth() const
{
  return mImpl->kind == Impl::Kind::Pixels ? static_cast<int>(mImpl->savedClips.size()) : mImpl->saveDepth;
}

// ---- drawing window ----

PLAT_DrawScope::PLAT_DrawScope(PLAT_Canvas::Impl* c, PLAT_Box box) : mCanvas(c)
{
  if (c->kind != PLAT_Canvas::Impl::Kind::Pixels)
  {
    cairo_save(c->cr.get());
    mCr = c->cr.get();
    return;
  }

  // Only the pixels the operation can reach are converted: the box cut to the
  // clip and to the block.
  const PLAT_Box clip = PLAT_BoxAround(c->clip.x0, c->clip.y0, c->clip.x1, c->clip.y1);
  box.x0 = std::max({box.x0, clip.x0, 0});
  box.y0 = std::max({box.y0, clip.y0, 0});
  box.x1 = std::min({box.x1, clip.x1, c->width});
  box.y1 = std::min({box.y1, clip.y1, c->height});
  if (box.IsEmpty() || c->clip.x1 <= c->clip.x0 || c->clip.y1 <= c->clip.y0) return;

  const int w = box.x1 - box.x0, h = box.y1 - box.y0;
  const size_t count = static_cast<size_t>(w) * static_cast<size_t>(h);
  if (c->scratch.size() < count) c->scratch.resize(count);
  uint32_t* out = c->scratch.data();
  for (int y = box.y0; y < box.y1; ++y)
  {
    const uint32_t* in = reinterpret_cast<const uint32_t*>(c->pixels + static_cast<ptrdiff_t>(y) * c->rowBytes) + box.x0;
    for (int x = 0; x < w; ++x) out[x] = Swap(in[x]);
    out += w;
  }

  // The context takes its own reference to the surface.
  PLAT_Owned<cairo_surface_t> surface(cairo_image_surface_create_for_data(
      reinterpret_cast<unsigned char*>(c->scratch.data()), CAIRO_FORMAT_RGB24, w, h, w * 4));
  PLAT_Owned<cairo_t> cr(cairo_create(surface.get()));
  if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) return;
  c->scratchBox = box;
  cairo_translate(cr.get(), -box.x0, -box.y0);
  cairo_rectangle(cr.get(), c->clip.x0, c->clip.y0, c->clip.x1 - c->clip.x0, c->clip.y1 - c->clip.y0);
  cairo_clip(cr.get());
  mScratch = std::move(cr);
  mCr = mScratch.get();
}

PLAT_DrawScope::~PLAT_DrawScope()
{
  if (!mCr) return;
  PLAT_Canvas::Impl* c = mCanvas;
  if (c->kind != PLAT_Canvas::Impl::Kind::Pixels)
  {
    cairo_restore(mCr);
    return;
  }
  cairo_surface_flush(cairo_get_target(mCr));
  mScratch.reset();

  const PLAT_Box& box = c->scratchBox;
  const int w = box.x1 - box.x0;
  const uint32_t* in = c->scratch.data();
  for (int y = box.y0; y < box.y1; ++y)
  {
    uint32_t* row = reinterpret_cast<uint32_t*>(c->pixels + static_cast<ptrdiff_t>(y) * c->rowBytes) + box.x0;
    // The block's first byte belongs to its owner (the raster library keeps
    // alpha there); drawing never changes it.
    for (int x = 0; x < w; ++x) row[x] = (row[x] & 0xFFu) | (Swap(in[x]) & 0xFFFFFF00u);
    in += w;
  }
}

// ---- drawing ----

void PLAT_Canvas::FillRect(double x, double y, double w, double h, PLAT_Color color)
{
  if (!Finite(x) || !Finite(y) || !Finite(w) || !Finite(h)) return;
  const double x0 = std::round(std::min(x, x + w)), x1 = std::round(std::max(x, x + w));
  const double y0 = std::round(std::min(y, y + h)), y1 = std::round(std::max(y, y + h));
  if (x1 <= x0 || y1 <= y0) return;
  PLAT_DrawScope draw(mImpl.get(), PLAT_BoxAround(x0, y0, x1, y1));
  cairo_t* cr = draw.Get();
  if (!cr) return;
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  cairo_rectangle(cr, x0, y0, x1 - x0, y1 - y0);
  SetSource(cr, color);
  cairo_fill(cr);
}

void PLAT_Canvas::FillPath(const PLAT_Path& path, PLAT_Color color, PLAT_Antialias aa)
{
  double x0, y0, x1, y1;
  if (!path.GetBounds(&x0, &y0, &x1, &y1)) return;
  PLAT_DrawScope draw(mImpl.get(), PLAT_BoxAround(x0 - 1, y0 - 1, x1 + 1, y1 + 1));
  cairo_t* cr = draw.Get();
  if (!cr) return;
  cairo_set_antialias(cr, CairoAntialias(aa));
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
  AddToCairo(cr, path);
  SetSource(cr, color);
  cairo_fill(cr);
}

void PLAT_Canvas::StrokePath(const PLAT_Path& path, double width, PLAT_Color color, PLAT_Antialias aa)
{
  double x0, y0, x1, y1;
  if (!path.GetBounds(&x0, &y0, &x1, &y1) || !Finite(width) || width <= 0) return;
  // Mitred corners reach up to the miter limit (10) times half the width.
  const double pad = width * 5 + 2;
  PLAT_DrawScope draw(mImpl.get(), PLAT_BoxAround(x0 - pad, y0 - pad, x1 + pad, y1 + pad));
  cairo_t* cr = draw.Get();
  if (!cr) return;
  cairo_set_antialias(cr, CairoAntialias(aa));
  cairo_set_line_width(cr, width);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
  cairo_set_miter_limit(cr, 10);
  AddToCairo(cr, path);
  SetSource(cr, color);
  cairo_stroke(cr);
}

void PLAT_Canvas::DrawImage(const PLAT_Image& image, double sx, double sy, double sw, double sh, double dx,
                            double dy, double dw, double dh)
{
  const double all[] = {sx, sy, sw, sh, dx, dy, dw, dh};
  for (double v : all)
    if (!Finite(v)) return;
  if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
  PLAT_DrawScope draw(mImpl.get(), PLAT_BoxAround(dx, dy, dx + dw, dy + dh));
  cairo_t* cr = draw.Get();
  if (!cr) return;
  cairo_rectangle(cr, dx, dy, dw, dh);
  cairo_clip(cr);
  cairo_translate(cr, dx, dy);
  cairo_scale(cr, dw / sw, dh / sh);
  cairo_set_source_surface(cr, image.GetImpl()->surface.get(), -sx, -sy);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_BILINEAR);
  // The image's edge pixels reach to the rectangle's edges instead of fading
  // into what lies beyond the image.
  cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
  cairo_paint(cr);
}

// ---- reading ----

std::unique_ptr<PLAT_Image> PLAT_Canvas::CopyImage(int x, int y, int w, int h) const
{
  const Impl& c = *mImpl;
  const int64_t x0 = std::max<int64_t>(x, 0), y0 = std::max<int64_t>(y, 0);
  const int64_t x1 = std::min<int64_t>(static_cast<int64_t>(x) + w, c.width);
  const int64_t y1 = std::min<int64_t>(static_cast<int64_t>(y) + h, c.height);
  if (x1 <= x0 || y1 <= y0) return nullptr;
  std::unique_ptr<PLAT_Image> image = PLAT_Image::Create(static_cast<int>(x1 - x0), static_cast<int>(y1 - y0));
  if (!image) return nullptr;
  cairo_surface_t* dest = image->GetImpl()->surface.get();

  if (c.kind == Impl::Kind::Pixels)
  {
    cairo_surface_flush(dest);
    unsigned char* data = cairo_image_surface_get_data(dest);
    const int stride = cairo_image_surface_get_stride(dest);
    for (int64_t row = y0; row < y1; ++row)
    {
      const uint32_t* in = reinterpret_cast<const uint32_t*>(c.pixels + row * c.rowBytes) + x0;
      uint32_t* out = reinterpret_cast<uint32_t*>(data + (row - y0) * stride);
      for (int64_t i = 0; i < x1 - x0; ++i) out[i] = Swap(in[i]) | 0xFF000000u;
    }
    cairo_surface_mark_dirty(dest);
    return image;
  }

  PLAT_Owned<cairo_t> cr(cairo_create(dest));
  cairo_set_operator(cr.get(), CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr.get(), cairo_get_target(c.cr.get()), static_cast<double>(-x0), static_cast<double>(-y0));
  cairo_paint(cr.get());
  return image;
}

uint32_t PLAT_Canvas::GetPixel(int x, int y) const
{
  const Impl& c = *mImpl;
  if (x < 0 || y < 0 || x >= c.width || y >= c.height) return 0;
  if (c.kind == Impl::Kind::Pixels)
  {
    const uint32_t v = reinterpret_cast<const uint32_t*>(c.pixels + static_cast<ptrdiff_t>(y) * c.rowBytes)[x];
    return Swap(v) | 0xFF000000u;
  }
  std::unique_ptr<PLAT_Image> one = CopyImage(x, y, 1, 1);
  return one ? one->GetPixel(0, 0) : 0;
}
