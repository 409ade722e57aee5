#include "graphics/controls/IParaGraphicEq.h"

#include "graphics/IGraphics.h"
#include "raster/RAST_Bezier.h"
#include "raster/RAST_Pixel.h"
#include "winl/draw/WINL_Runtime.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{
constexpr double kPi = 3.14159265358979323846;
// Bands are never placed below this frequency, Hz.
constexpr float kLowestFreq = 10.0f;
// A handle is picked within this many pixels in both directions.
constexpr int kPickDistance = 10;
// Two mouse-ups closer than this are a double click, ms.
constexpr uint32_t kDoubleClickMs = 400;

double Log2(double x)
{
  return std::log10(x) / 0.30103;
}

// The scale of one side of 0 dB: the span maps to half the height. A span of
// 0 or of more than 40 dB counts as 80.
double SideScale(float span)
{
  double g = std::fabs(span);
  if (g == 0.0 || g > 40.0) g = 80.0;
  return 1.0 / (2.0 * g);
}

// Splits "a, b, c" at commas into at most max integers.
int SplitValues(const char* text, int* out, int max)
{
  int n = 0;
  const char* p = text;
  while (p && *p && n < max)
  {
    out[n++] = atoi(p);
    p = strchr(p, ',');
    if (p) ++p;
  }
  return n;
}

// The bell's falling side: s(t) rises from about 0 at t = 0 to 1 at t = 1.
double BellSide(double t, double a, double b)
{
  const double d = (t - 1.0) * (a + b * t) + t;
  const double s = d != 0.0 ? t / d : 0.0;
  return std::isfinite(s) ? s : 0.0;
}

IColor Darkened(const IColor& c, int by)
{
  auto down = [by](int v) { return v - by < 0 ? 0 : v - by; };
  return IColor(c.A, down(c.R), down(c.G), down(c.B));
}

RAST_pixel Pixel(const IColor& c)
{
  return RAST_RGBA(c.R, c.G, c.B, c.A);
}
}  // namespace

IParaGraphicEq::IParaGraphicEq(IUnitBase* plug, IRECT rect, int paramIdx, Settings settings)
  : IControl(plug, rect, paramIdx, IChannelBlend(0, 1.0f)), mSettings(settings), mNumBands(0)
{
  Init();
}

void IParaGraphicEq::Init()
{
  BASE_MutexLock lock(mChangeLock);
  mNumBands = mSettings.mNumBands < 0 ? 0 : (mSettings.mNumBands > kMaxBands ? kMaxBands : mSettings.mNumBands);
  float lo = mSettings.mMinFreq, hi = mSettings.mMaxFreq;
  if (!(lo >= 10.0f) || !(lo < hi)) lo = 20.0f;
  if (!(hi <= 24000.0f) || !(hi > lo)) hi = 22000.0f;
  mMinFreq = lo;
  mMaxFreq = hi;
  mSpan = Log2(hi) - Log2(lo);
  mScaleBelow = SideScale(mSettings.mGainBelow);
  mScaleAbove = SideScale(mSettings.mGainAbove);

  int values[kMaxLabels];
  mNumFreqLabels = SplitValues(mSettings.mFreqLabels, values, kMaxLabels);
  for (int i = 0; i < mNumFreqLabels; ++i)
  {
    Label& l = mFreqLabels[i];
    if (values[i] >= 1000)
      snprintf(l.mText, sizeof(l.mText), "%.2gk", values[i] / 1000.0);
    else
      snprintf(l.mText, sizeof(l.mText), "%.3g", static_cast<double>(values[i]));
    l.mPos = values[i] > 0 ? FreqPosition(values[i]) : 0.0;
  }
  mNumGainLabels = SplitValues(mSettings.mGainLabels, values, kMaxLabels);
  for (int i = 0; i < mNumGainLabels; ++i)
  {
    Label& l = mGainLabels[i];
    snprintf(l.mText, sizeof(l.mText), "%.4g", static_cast<double>(values[i]));
    l.mPos = values[i] > 0 ? 0.5 - values[i] * mScaleAbove : 0.5 + std::abs(values[i]) * mScaleBelow;
  }

  for (int b = 0; b < kMaxBands; ++b)
  {
    mGain[b] = mFreq[b] = mWidth[b] = 0.0f;
    mHeld[b] = false;
    mChanged[b] = true;
    mPos[b] = FreqPosition(0.0);
  }
  mSelected = -1;
}

double IParaGraphicEq::FreqPosition(double f) const
{
  if (!(f >= kLowestFreq)) f = kLowestFreq;
  return mSpan != 0.0 ? (Log2(f) - Log2(mMinFreq)) / mSpan : 0.0;
}

double IParaGraphicEq::BandValue(int band) const
{
  // One band has nothing to tell apart: it is always band 0.
  return mNumBands > 1 ? static_cast<double>(band) / (mNumBands - 1) : 0.0;
}

void IParaGraphicEq::SetBands(Band band)
{
  BASE_MutexLock lock(mChangeLock);
  const int b = band.mIndex;
  if (b < 0 || b >= mNumBands) return;
  mType[b] = band.mType;
  mGain[b] = band.mGain;
  mFreq[b] = band.mFreq;
  mWidth[b] = band.mWidth;
  mMinFreqB[b] = band.mMinFreq;
  mMaxFreqB[b] = band.mMaxFreq;
  mMinGain[b] = band.mMinGain;
  mMaxGain[b] = band.mMaxGain;
  mMinWidth[b] = band.mMinWidth;
  mMaxWidth[b] = band.mMaxWidth;
  mSpan = Log2(mMaxFreq) - Log2(mMinFreq);
  mPos[b] = FreqPosition(band.mFreq);
  mChanged[b] = true;
}

bool IParaGraphicEq::GetBand(Band* out)
{
  BASE_MutexLock lock(mChangeLock);
  const int b = mSelected;
  if (!out || b < 0 || b >= mNumBands) return false;
  out->mIndex = b;
  out->mType = mType[b];
  out->mGain = mGain[b];
  out->mFreq = mFreq[b];
  out->mWidth = mWidth[b];
  out->mMinFreq = mMinFreqB[b];
  out->mMaxFreq = mMaxFreqB[b];
  out->mMinGain = mMinGain[b];
  out->mMaxGain = mMaxGain[b];
  out->mMinWidth = mMinWidth[b];
  out->mMaxWidth = mMaxWidth[b];
  return true;
}

void IParaGraphicEq::HandlePoint(int band, int w, int h, double* x, double* y) const
{
  *x = mPos[band] * w;
  *y = (1.0 - (mGain[band] * GainScale(mGain[band]) + 0.5)) * h;
}

// ---- mouse ----

void IParaGraphicEq::OnMouseDown(int x, int y, IMouseMod*)
{
  {
    BASE_MutexLock lock(mChangeLock);
    mLastX = x - mRECT.L;
    mLastY = y - mRECT.T;
    for (int b = 0; b < mNumBands; ++b)
    {
      double hx, hy;
      HandlePoint(b, mRECT.W(), mRECT.H(), &hx, &hy);
      if (std::fabs(mLastX - hx) < kPickDistance && std::fabs(mLastY - hy) < kPickDistance)
      {
        mHeld[b] = true;
        mSelected = b;
        mValue = BandValue(b);
        break;
      }
    }
  }
  SetDirty(false);
}

void IParaGraphicEq::OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod)
{
  {
    BASE_MutexLock lock(mChangeLock);
    mLastX = x - mRECT.L;
    mLastY = y - mRECT.T;
    const int w = mRECT.W(), h = mRECT.H();
    if (w <= 0 || h <= 0) return;
    for (int b = 0; b < mNumBands; ++b)
    {
      if (!mHeld[b]) continue;
      if (!mod || !mod->R)
      {
        double f = std::pow(2.0, Log2(mMinFreq) + mLastX * mSpan / w);
        f = f < mMinFreqB[b] ? mMinFreqB[b] : (f > mMaxFreqB[b] ? mMaxFreqB[b] : f);
        if (!(f >= kLowestFreq)) f = kLowestFreq;
        mFreq[b] = static_cast<float>(f);
        mPos[b] = FreqPosition(f);
        const double fy = static_cast<double>(mLastY) / h;
        double g = (0.5 - fy) / (fy < 0.5 ? mScaleAbove : mScaleBelow);
        g = g < mMinGain[b] ? mMinGain[b] : (g > mMaxGain[b] ? mMaxGain[b] : g);
        mGain[b] = static_cast<float>(g);
      }
      else if (dX > 0 || dY < 0)
      {
        mWidth[b] = mWidth[b] + 0.1f > mMaxWidth[b] ? mMaxWidth[b] : mWidth[b] + 0.1f;
      }
      else if (dX < 0 || dY > 0)
      {
        mWidth[b] = mWidth[b] - 0.1f < mMinWidth[b] ? mMinWidth[b] : mWidth[b] - 0.1f;
      }
      mChanged[b] = true;
      mValue = BandValue(b);
    }
  }
  SetDirty(true);
}

void IParaGraphicEq::OnMouseUp(int, int, IMouseMod*)
{
  {
    BASE_MutexLock lock(mChangeLock);
    const uint32_t now = GetTickCount();
    if (mHadMouseUp && now - mLastUpTime < kDoubleClickMs)
    {
      for (int b = 0; b < mNumBands; ++b)
        if (mHeld[b])
        {
          mValue = BandValue(b);
          break;
        }
    }
    mLastUpTime = now;
    mHadMouseUp = true;
    for (bool& held : mHeld) held = false;
  }
  SetDirty(false);
}

// ---- drawing ----

void IParaGraphicEq::BuildCurve(int band, int w, int h)
{
  std::vector<float>& curve = mCurves[band];
  curve.assign(static_cast<size_t>(w), 0.0f);
  const double gain = mGain[band];
  const double peak = gain * h * GainScale(gain);
  const double p = mPos[band];
  auto put = [&](long column, double v) {
    if (column >= 0 && column < w) curve[static_cast<size_t>(column)] = static_cast<float>(v);
  };
  // Columns are computed in long, so a band far off the axis cannot
  // overflow them; every write is clipped to the display.
  auto column = [](double c) {
    if (!(c > -1e9)) return -1000000000L;
    return c > 1e9 ? 1000000000L : static_cast<long>(c);
  };

  if (mType[band] == kBell)
  {
    const double bw = mWidth[band];
    const long c = column(p * w);
    const long half = mSpan > 0.0 ? column(2.0 * bw / mSpan * w) / 2 : 0;
    const double k = 1.0 / (bw * 0.02 + 0.05);
    const double a = 1.0 - k, b = -0.8181818 - a;
    put(c, peak);
    const long n = half < w ? half : w;
    for (long j = 0; j < n; ++j) put(c - n + j, peak * BellSide(static_cast<double>(j + 1) / n, a, b));
    for (long d = 1; d <= n; ++d) put(c + d, peak * BellSide(1.0 - static_cast<double>(d + 1) / n, a, b));
  }
  else if (mType[band] == kLowShelf || mType[band] == kHighShelf)
  {
    const double f = mWidth[band] * 0.1;
    const long start = column((p - f / 2.0) * w);
    long n = column(f * w);
    if (n > w) n = w;
    const bool high = mType[band] == kHighShelf;
    for (long i = 0; i < n; ++i)
    {
      const double c = std::cos(kPi * i / n);
      put(start + i, peak * (high ? 0.5 - 0.5 * c : 0.5 + 0.5 * c));
    }
    if (high)
    {
      put(start + n, peak);
      for (long i = column((p + f / 2.0) * w); i < w; ++i) put(i, peak);
    }
    else
    {
      const long end = start < w ? start : w;
      for (long i = 0; i < end; ++i) put(i, peak);
    }
  }
  mChanged[band] = false;
}

void IParaGraphicEq::DrawCaption(IGraphics* graphics, int band, double hx, double hy)
{
  char text[96];
  const double f = mFreq[band];
  const int used = f < 1000.0 ? snprintf(text, sizeof(text), "%5.2fHz\n", f)
                              : snprintf(text, sizeof(text), "%5.2fkHz\n", f / 1000.0);
  char* rest = text + used;
  const size_t room = sizeof(text) - static_cast<size_t>(used);
  const double width = mWidth[band];
  if (mType[band] == kBell)
  {
    const double e = std::pow(2.0, width);
    snprintf(rest, room, "%.3gdB\nQ=%.3g", static_cast<double>(mGain[band]), std::sqrt(e) / (e - 1.0));
  }
  else if (mType[band] == kLowShelf || mType[band] == kHighShelf)
  {
    snprintf(rest, room, "%.3gdB\nS=%.3g", static_cast<double>(mGain[band]),
             static_cast<double>(mMaxWidth[band] + mMinWidth[band] - mWidth[band]));
  }
  else
  {
    snprintf(rest, room, "%.3gdB\nB=%.3g", static_cast<double>(mGain[band]), width);
  }

  const int x = mRECT.L + static_cast<int>(hx);
  const int y = mRECT.T + static_cast<int>(hy);
  const int left = x > mRECT.R - 50 ? x - 50 : x;
  const int top = hy < 40.0 ? y + 20 : y - 40;
  IRECT box(left, top, left + 45, top + 36);
  graphics->FillIRect(&mSettings.mCaptionBoxColor, &box, nullptr);
  IText style;
  style.mSize = 12;
  style.mStyle = 1;
  style.mAlign = 2;
  style.mColor = mSettings.mHandleColor;
  graphics->DrawIText(&style, text, &box);
}

bool IParaGraphicEq::Draw(IGraphics* graphics)
{
  const IRECT& r = mRECT;
  const int fullW = r.W(), h = r.H();
  if (fullW <= 0 || h <= 0) return true;
  const int w = fullW < kMaxCurveWidth ? fullW : kMaxCurveWidth;
  if (w != mCurveW || h != mCurveH)
  {
    for (bool& changed : mChanged) changed = true;
    mCurveW = w;
    mCurveH = h;
  }

  if (!mSettings.mHideGridAndLabels)
  {
    IText style;
    style.mSize = 9;
    style.mStyle = 1;
    style.mColor = mSettings.mGridColor;
    for (int i = 0; i < mNumFreqLabels; ++i)
    {
      const int x = r.L + static_cast<int>(mFreqLabels[i].mPos * fullW);
      graphics->DrawLine(&mSettings.mGridColor, x, r.T, x, r.B - 9, nullptr, false);
      IRECT box(x - 4, r.B - 8, x + 4, r.B);
      graphics->DrawIText(&style, mFreqLabels[i].mText, &box);
    }
    style.mAlign = 2;
    for (int i = 0; i < mNumGainLabels; ++i)
    {
      const int y = r.T + static_cast<int>(mGainLabels[i].mPos * h);
      graphics->DrawLine(&mSettings.mGridColor, r.L, y, r.R - 16, y, nullptr, false);
      IRECT box(r.R - 8, y - 4, r.R, y + 4);
      graphics->DrawIText(&style, mGainLabels[i].mText, &box);
    }
  }

  mSum.assign(static_cast<size_t>(w), 0.0f);
  for (int b = 0; b < mNumBands; ++b)
  {
    if (mChanged[b] || mCurves[b].size() != static_cast<size_t>(w)) BuildCurve(b, w, h);
    for (int i = 0; i < w; ++i) mSum[static_cast<size_t>(i)] += mCurves[b][static_cast<size_t>(i)];
  }

  RAST_IBitmap* target = graphics->GetDrawBitmap();
  const double mid = r.T + h / 2.0;
  const RAST_pixel line = Pixel(mSettings.mCurveColor);
  const RAST_pixel shade = Pixel(Darkened(mSettings.mCurveColor, 50));
  for (int i = 0; target && i + 2 < w && i <= w - 17; ++i)
  {
    const double y0 = mid - mSum[static_cast<size_t>(i)];
    if (!(y0 > r.T && y0 < r.B)) continue;
    const float x0 = static_cast<float>(r.L + i);
    const float ys[3] = {static_cast<float>(y0), static_cast<float>(mid - mSum[static_cast<size_t>(i + 1)]),
                         static_cast<float>(mid - mSum[static_cast<size_t>(i + 2)])};
    if (!std::isfinite(ys[1]) || !std::isfinite(ys[2])) continue;
    for (int off = -1; off <= 1; ++off)
      RAST_DrawQBezier(target, x0, ys[0] + off, x0 + 1, ys[1] + off, x0 + 2, ys[2] + off, off ? shade : line,
                       off ? 0.2f : 1.0f, 0, true, 1.0f);
  }

  const IColor black(255, 0, 0, 0);
  for (int b = 0; b < mNumBands; ++b)
  {
    double hx, hy;
    HandlePoint(b, fullW, h, &hx, &hy);
    if (!std::isfinite(hx) || std::fabs(hx) > 1e6) continue;
    const int cx = r.L + static_cast<int>(hx), cy = r.T + static_cast<int>(hy);
    graphics->FillCircle(&black, cx, cy, 1.4f * mSettings.mHandleRadius, nullptr, true);
    graphics->FillCircle(&mSettings.mHandleColor, cx, cy, mSettings.mHandleRadius, nullptr, true);
  }

  if (!mSettings.mHideCaption)
  {
    for (int b = 0; b < mNumBands; ++b)
    {
      if (!mHeld[b]) continue;
      double hx, hy;
      HandlePoint(b, fullW, h, &hx, &hy);
      DrawCaption(graphics, b, hx, hy);
      break;
    }
  }
  return true;
}
