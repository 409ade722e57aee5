#include "raster/RAST_DeltaBlit.h"

#include "raster/RAST_SourceWalk.h"

#include <cmath>
#include <iterator>

namespace
{
// ---- row loops ----
// One loop (RAST_WalkRows) for every rule and both sampling forms; the form is
// settled once per call here, the rule by the table below.

using DeltaRowsFn = void (*)(const RAST_WalkTarget& target, const RAST_Walk& walk, const RAST_SampleBox& box,
                             bool bilinear, int weight);

template <class Blend>
void RAST_DeltaBlit_Rows(const RAST_WalkTarget& target, const RAST_Walk& walk, const RAST_SampleBox& box,
                         bool bilinear, int weight)
{
  if (bilinear)
    RAST_WalkRows<RAST_SampleBilinear, Blend>(target, walk, RAST_SampleBilinear{box}, RAST_ConstWeight{weight});
  else
    RAST_WalkRows<RAST_SampleNearest, Blend>(target, walk, RAST_SampleNearest{box}, RAST_ConstWeight{weight});
}

// Indexed by RAST_Rule.
constexpr DeltaRowsFn kDeltaRows[] = {
    nullptr,                                                    // None
    &RAST_DeltaBlit_Rows<RAST_BlendClobber>,                    // Clobber
    &RAST_DeltaBlit_Rows<RAST_BlendCopy>,                       // Copy
    &RAST_DeltaBlit_Rows<RAST_BlendAdd>,                        // Add
    &RAST_DeltaBlit_Rows<RAST_BlendColorDodge>,                 // ColorDodge
    &RAST_DeltaBlit_Rows<RAST_BlendMultiply>,                   // Multiply
    &RAST_DeltaBlit_Rows<RAST_BlendOverlay>,                    // Overlay
    &RAST_DeltaBlit_Rows<RAST_BlendHSVAdjust>,                  // HSVAdjust
    &RAST_DeltaBlit_Rows<RAST_BlendCopySourceAlphaFull>,        // CopySourceAlphaFull
    &RAST_DeltaBlit_Rows<RAST_BlendCopySourceAlpha>,            // CopySourceAlpha
    &RAST_DeltaBlit_Rows<RAST_BlendAddSourceAlpha>,             // AddSourceAlpha
    &RAST_DeltaBlit_Rows<RAST_BlendColorDodgeSourceAlpha>,      // ColorDodgeSourceAlpha
    &RAST_DeltaBlit_Rows<RAST_BlendMultiplySourceAlpha>,        // MultiplySourceAlpha
    &RAST_DeltaBlit_Rows<RAST_BlendOverlaySourceAlpha>,         // OverlaySourceAlpha
    &RAST_DeltaBlit_Rows<RAST_BlendHSVAdjustSourceAlpha>,       // HSVAdjustSourceAlpha
};
static_assert(std::size(kDeltaRows) == RAST_RULE_COUNT, "every rule needs its delta instance");

using DeltaAlphaRowsFn = void (*)(const RAST_WalkTarget& target, const RAST_Walk& walk, const RAST_SampleBox& box,
                                  bool bilinear, const RAST_WalkingAlpha& alpha);

template <class Blend>
void RAST_DeltaBlitAlpha_Rows(const RAST_WalkTarget& target, const RAST_Walk& walk, const RAST_SampleBox& box,
                              bool bilinear, const RAST_WalkingAlpha& alpha)
{
  if (bilinear)
    RAST_WalkRows<RAST_SampleBilinear, Blend>(target, walk, RAST_SampleBilinear{box}, alpha);
  else
    RAST_WalkRows<RAST_SampleNearest, Blend>(target, walk, RAST_SampleNearest{box}, alpha);
}

// The clamping rule of each mode byte, as RAST_CombineFuncTable: the weight
// reaches them already held within the bounds they accept.
constexpr DeltaAlphaRowsFn kDeltaAlphaRows[] = {
    &RAST_DeltaBlitAlpha_Rows<RAST_BlendCopyClamp>,      // RAST_BLIT_MODE_COPY
    &RAST_DeltaBlitAlpha_Rows<RAST_BlendAdd>,            // RAST_BLIT_MODE_ADD
    &RAST_DeltaBlitAlpha_Rows<RAST_BlendColorDodge>,     // RAST_BLIT_MODE_DODGE
    &RAST_DeltaBlitAlpha_Rows<RAST_BlendMultiplyClamp>,  // RAST_BLIT_MODE_MUL
    &RAST_DeltaBlitAlpha_Rows<RAST_BlendOverlay>,        // RAST_BLIT_MODE_OVERLAY
    &RAST_DeltaBlitAlpha_Rows<RAST_BlendHSVAdjust>,      // RAST_BLIT_MODE_HSVADJ
};
static_assert(std::size(kDeltaAlphaRows) == RAST_BLIT_MODE_COUNT, "one alpha instance per combine mode");

// ---- set-up ----

bool AllFinite(std::initializer_list<double> values)
{
  for (double v : values)
    if (!std::isfinite(v)) return false;
  return true;
}

// v clamped to 0..extent, then truncated.
int ClampTrunc(double v, int extent)
{
  if (v <= 0.0) return 0;
  if (v >= extent) return extent;
  return static_cast<int>(v);
}

// The source clip box: the source rectangle within the source, or the whole
// source. False when it is empty.
bool SourceClipBox(const RAST_BitmapView& sv, bool cliptosourcerect, float srcx, float srcy, float srcw, float srch,
                   RAST_SampleBox* box)
{
  if (!cliptosourcerect)
  {
    *box = RAST_SampleBox(sv, 0, 0, sv.width, sv.height);
    return true;
  }
  const double x0 = srcx, y0 = srcy, x1 = x0 + srcw, y1 = y0 + srch;
  *box = RAST_SampleBox(sv, ClampTrunc(x0, sv.width), ClampTrunc(y0, sv.height), ClampTrunc(x1, sv.width),
                        ClampTrunc(y1, sv.height));
  return box->minx < box->maxx && box->miny < box->maxy;
}

// The walk in 16.16; false when a value does not fit.
bool MakeWalk(float srcx, float srcy, double dsdx, double dtdx, double dsdy, double dtdy, double dsdxdy,
              double dtdxdy, RAST_Walk* walk)
{
  return RAST_ToFixed(srcx, &walk->s) && RAST_ToFixed(srcy, &walk->t) && RAST_ToFixed(dsdx, &walk->dsdx) &&
         RAST_ToFixed(dtdx, &walk->dtdx) && RAST_ToFixed(dsdy, &walk->dsdy) && RAST_ToFixed(dtdy, &walk->dtdy) &&
         RAST_ToFixed(dsdxdy, &walk->dsdxdy) && RAST_ToFixed(dtdxdy, &walk->dtdxdy);
}

// What every call has settled before its rows run.
struct DeltaSetup
{
  RAST_WalkTarget target;
  RAST_SampleBox box;
  RAST_Walk walk;
  bool bilinear = false;
};

// The source bitmap and its clip box, taken from the rectangle as given
// (before any mirroring). False when nothing is to be drawn.
bool PrepareSource(RAST_IBitmap* dest, RAST_IBitmap* src, int dstw, int dsth, float srcx, float srcy, float srcw,
                   float srch, bool cliptosourcerect, DeltaSetup* setup)
{
  if (!dest || !src || dstw == 0 || dsth == 0) return false;
  if (!AllFinite({srcx, srcy, srcw, srch})) return false;
  RAST_BitmapView sv;
  return sv.Open(src) && SourceClipBox(sv, cliptosourcerect, srcx, srcy, srcw, srch, &setup->box);
}

// The destination rectangle (x, y, w, h), no longer mirrored, clipped to
// dest; the walk from the source position (srcx, srcy) with its steps. False
// when nothing is to be drawn.
bool PrepareWalk(RAST_IBitmap* dest, int64_t x, int64_t y, int64_t w, int64_t h, float srcx, float srcy, double dsdx,
                 double dtdx, double dsdy, double dtdy, double dsdxdy, double dtdxdy, int mode, DeltaSetup* setup)
{
  RAST_BitmapView dv;
  if (!dv.Open(dest) || !setup->target.Clip(dv, x, y, w, h)) return false;
  setup->bilinear = (mode & RAST_BLIT_FILTER_MASK) == RAST_BLIT_FILTER_BILINEAR;
  return MakeWalk(srcx, srcy, dsdx, dtdx, dsdy, dtdy, dsdxdy, dtdxdy, &setup->walk);
}

// The delta blits' own preparation: a negative size moves the start by the
// source size and leaves the steps as given.
bool PrepareDelta(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                  float srcy, float srcw, float srch, double dsdx, double dtdx, double dsdy, double dtdy,
                  double dsdxdy, double dtdxdy, bool cliptosourcerect, int mode, DeltaSetup* setup)
{
  if (!PrepareSource(dest, src, dstw, dsth, srcx, srcy, srcw, srch, cliptosourcerect, setup)) return false;
  int64_t x = dstx, y = dsty, w = dstw, h = dsth;
  RAST_UnmirrorSpan(&x, &w, &srcx, &srcw);
  RAST_UnmirrorSpan(&y, &h, &srcy, &srch);
  return PrepareWalk(dest, x, y, w, h, srcx, srcy, dsdx, dtdx, dsdy, dtdy, dsdxdy, dtdxdy, mode, setup);
}

void DrawConstant(const DeltaSetup& setup, float alpha, int mode)
{
  const int weight = RAST_WeightFromAlpha(alpha);
  const RAST_Rule rule = RAST_SelectRule(mode, weight);
  if (rule == RAST_Rule::None) return;
  kDeltaRows[static_cast<int>(rule)](setup.target, setup.walk, setup.box, setup.bilinear, weight);
}
}  // namespace

void RAST_DeltaBlit(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                    float srcy, float srcw, float srch, double dsdx, double dtdx, double dsdy, double dtdy,
                    double dsdxdy, double dtdxdy, bool cliptosourcerect, float alpha, int mode)
{
  DeltaSetup setup;
  if (!PrepareDelta(dest, src, dstx, dsty, dstw, dsth, srcx, srcy, srcw, srch, dsdx, dtdx, dsdy, dtdy, dsdxdy,
                    dtdxdy, cliptosourcerect, mode, &setup))
    return;
  DrawConstant(setup, alpha, mode);
}

void RAST_DeltaBlitAlpha(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                         float srcy, float srcw, float srch, double dsdx, double dtdx, double dsdy, double dtdy,
                         double dsdxdy, double dtdxdy, bool cliptosourcerect, float alpha, int mode, double dadx,
                         double dady, double dadxdy)
{
  // An alpha that barely moves is drawn as a constant one, through the
  // faster instances (where the source-alpha bit counts again).
  if (std::fabs(dstw * dadx) < 0.0001 && std::fabs(dsth * dady) < 0.0001 && std::fabs(dsth * dadxdy) < 0.0001)
  {
    RAST_DeltaBlit(dest, src, dstx, dsty, dstw, dsth, srcx, srcy, srcw, srch, dsdx, dtdx, dsdy, dtdy, dsdxdy, dtdxdy,
                   cliptosourcerect, alpha, mode);
    return;
  }
  const int op = mode & RAST_BLIT_MODE_MASK;
  if (op >= RAST_BLIT_MODE_COUNT) return;
  DeltaSetup setup;
  if (!PrepareDelta(dest, src, dstx, dsty, dstw, dsth, srcx, srcy, srcw, srch, dsdx, dtdx, dsdy, dtdy, dsdxdy,
                    dtdxdy, cliptosourcerect, mode, &setup))
    return;
  int64_t a = 0, ax = 0, ay = 0, axy = 0;
  if (!RAST_ToFixed(alpha, &a) || !RAST_ToFixed(dadx, &ax) || !RAST_ToFixed(dady, &ay) ||
      !RAST_ToFixed(dadxdy, &axy))
    return;
  RAST_WalkingAlpha walking;
  walking.a = a;
  walking.dadx = ax;
  walking.dady = ay;
  walking.dadxdy = axy;
  kDeltaAlphaRows[op](setup.target, setup.walk, setup.box, setup.bilinear, walking);
}

void RAST_RotatedBlit(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                      float srcy, float srcw, float srch, float angle, bool cliptosourcerect, float alpha, int mode,
                      float rotxcent, float rotycent)
{
  DeltaSetup setup;
  if (!PrepareSource(dest, src, dstw, dsth, srcx, srcy, srcw, srch, cliptosourcerect, &setup)) return;
  if (!AllFinite({angle, rotxcent, rotycent})) return;

  // Mirroring turns the source rectangle round as well, so the scale below
  // comes out negative in that direction.
  int64_t x = dstx, y = dsty, w = dstw, h = dsth;
  RAST_UnmirrorSpan(&x, &w, &srcx, &srcw);
  RAST_UnmirrorSpan(&y, &h, &srcy, &srch);
  const double c = std::cos(static_cast<double>(angle)), sn = std::sin(static_cast<double>(angle));
  const float xs = srcw / static_cast<float>(w), ys = srch / static_cast<float>(h);
  const double dsdx = xs * c, dtdx = -ys * sn, dsdy = xs * sn, dtdy = ys * c;
  // Put the centre of the destination rectangle on the turning point: the
  // walk from the corner to the centre covers half the turned, scaled size.
  const double wd = static_cast<double>(w), hd = static_cast<double>(h);
  const double startx = srcx - ((wd * dsdx + hd * dsdy - srcw) / 2.0 - rotxcent);
  const double starty = srcy - ((wd * dtdx + hd * dtdy - srch) / 2.0 - rotycent);
  // The start is kept in single precision like the other source positions;
  // one beyond its range could not be walked anyway.
  if (!(std::fabs(startx) < 1e30 && std::fabs(starty) < 1e30)) return;
  srcx = static_cast<float>(startx);
  srcy = static_cast<float>(starty);
  if (!PrepareWalk(dest, x, y, w, h, srcx, srcy, dsdx, dtdx, dsdy, dtdy, 0.0, 0.0, mode, &setup)) return;
  DrawConstant(setup, alpha, mode);
}
