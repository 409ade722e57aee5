#include "graphics/controls/IUnitAnimation.h"

#include "graphics/IGraphics.h"

#include <cmath>
#include <cstring>

namespace
{
constexpr double kPi = 3.14159265358979323846;

const char* const kEasingNames[IUnitAnimation::kNumEasings] = {
  "LinearInterpolation", "QuadraticEaseIn",   "QuadraticEaseOut",    "QuadraticEaseInOut",
  "CubicEaseIn",         "CubicEaseOut",      "CubicEaseInOut",      "QuarticEaseIn",
  "QuarticEaseOut",      "QuarticEaseInOut",  "QuinticEaseIn",       "QuinticEaseOut",
  "QuinticEaseInOut",    "SineEaseIn",        "SineEaseOut",         "SineEaseInOut",
  "CircularEaseIn",      "CircularEaseOut",   "CircularEaseInOut",   "ExponentialEaseIn",
  "ExponentialEaseOut",  "ExponentialEaseInOut", "ElasticEaseIn",    "ElasticEaseOut",
  "ElasticEaseInOut",    "BackEaseIn",        "BackEaseOut",         "BackEaseInOut",
  "BounceEaseIn",        "BounceEaseOut",     "BounceEaseInOut",     "BezierEase",
  "BezierEaseIn",        "BezierEaseOut",     "BezierEaseInOut",     "BezierSwiftMove",
  "BezierSwifterMove",   "BezierHeavyMove",   "BezierSwiftIn",       "BezierSwiftOut",
  "BezierCustom",
};

double Bounce(double t)
{
  if (t < 4.0 / 11.0) return 121.0 * t * t / 16.0;
  if (t < 8.0 / 11.0) return 9.075 * t * t - 9.9 * t + 3.4;
  if (t < 0.9) return 12.066481994459833 * t * t - 19.63545706371191 * t + 8.898060941828255;
  return 10.8 * t * t - 20.52 * t + 10.72;
}

double BackIn(double t) { return t * t * t - t * std::sin(t * kPi); }

// The fixed Bezier easings' control points, for easings 31..39.
constexpr double kBezierPoints[9][4] = {
  {0.25, 0.1, 0.25, 1.0}, {0.42, 0.0, 1.0, 1.0}, {0.0, 0.0, 0.58, 1.0},
  {0.42, 0.0, 0.58, 1.0}, {0.4, 0.0, 0.2, 1.0},  {0.4, 0.0, 0.0, 1.0},
  {0.7, 0.0, 0.6, 1.0},   {0.0, 0.0, 0.2, 1.0},  {0.4, 0.0, 1.0, 1.0},
};
}  // namespace

const char* IUnitAnimation::EasingName(int easing)
{
  return easing >= 0 && easing < kNumEasings ? kEasingNames[easing] : "";
}

void IUnitAnimation::SetBezierCustom(double x1, double y1, double x2, double y2)
{
  mBezier[0] = x1;
  mBezier[1] = y1;
  mBezier[2] = x2;
  mBezier[3] = y2;
}

IUnitAnimation::~IUnitAnimation()
{
  for (Entry& e : mEntries) SetRunning(e, false);
}

void IUnitAnimation::SetRunning(Entry& e, bool running)
{
  if (e.mRunning == running) return;
  e.mRunning = running;
  sRunning.fetch_add(running ? 1 : -1, std::memory_order_relaxed);
}

bool IUnitAnimation::IsAnimating() const
{
  for (const Entry& e : mEntries)
    if (e.mRunning) return true;
  return false;
}

int IUnitAnimation::FindAnimation(const char* name) const
{
  for (size_t i = 0; i < mEntries.size(); ++i)
    if (mEntries[i].mName == name) return static_cast<int>(i);
  return -1;
}

double IUnitAnimation::Animate(const char* name, bool on, int framesToOn, int framesToOff,
                               int easingToOn, int easingToOff, double offValue, double onValue)
{
  int index = FindAnimation(name);
  if (index < 0)
  {
    Entry e;
    e.mName = name;
    e.mOn = on;
    e.mFramesOn = framesToOn;
    e.mFramesOff = framesToOff;
    e.mEasingOn = easingToOn;
    e.mEasingOff = easingToOff;
    e.mStart = e.mLast = offValue;
    mEntries.push_back(e);
    index = static_cast<int>(mEntries.size()) - 1;
  }
  Entry& e = mEntries[static_cast<size_t>(index)];

  if (e.mOn != on)
  {
    // Carry the progress over in proportion, so reversing half-way starts
    // the way back half-way, from where the value is now.
    const int oldCount = e.mOn ? e.mFramesOn : e.mFramesOff;
    const int newCount = on ? e.mFramesOn : e.mFramesOff;
    e.mFrame = oldCount > 0 ? static_cast<int>(static_cast<double>(e.mFrame) / oldCount * newCount)
                            : 0;
    e.mStart = e.mLast;
    e.mOn = on;
  }

  double value;
  if (on)
  {
    if (e.mFrame >= e.mFramesOn)
    {
      SetRunning(e, false);
      value = onValue;
    }
    else
    {
      ++e.mFrame;
      SetRunning(e, true);
      value = Ease(e.mEasingOn, e.mStart, onValue, static_cast<double>(e.mFrame) / e.mFramesOn);
    }
  }
  else
  {
    if (e.mFrame <= 0)
    {
      SetRunning(e, false);
      value = offValue;
    }
    else
    {
      --e.mFrame;
      SetRunning(e, true);
      const double t = e.mFramesOff > 0 ? 1.0 - static_cast<double>(e.mFrame) / e.mFramesOff : 1.0;
      value = Ease(e.mEasingOff, e.mStart, offValue, t);
    }
  }
  e.mLast = value;
  return value;
}

double IUnitAnimation::Bezier(double x1, double y1, double x2, double y2, double t) const
{
  // x(s) and y(s) of the cubic from (0,0) to (1,1); Newton's method finds
  // the s whose x is t.
  auto curve = [](double a, double b, double s) {
    const double u = 1.0 - s;
    return 3.0 * u * u * s * a + 3.0 * u * s * s * b + s * s * s;
  };
  auto slope = [](double a, double b, double s) {
    const double u = 1.0 - s;
    return 3.0 * u * u * a + 6.0 * u * s * (b - a) + 3.0 * s * s * (1.0 - b);
  };
  double s = t;
  for (int i = 0; i < 10; ++i)
  {
    const double err = curve(x1, x2, s) - t;
    if (std::fabs(err) < 0.001) break;
    const double d = slope(x1, x2, s);
    if (d == 0.0) break;
    s -= err / d;
  }
  return curve(y1, y2, s);
}

double IUnitAnimation::Ease(int easing, double start, double end, double t)
{
  if (mSmoothStep)
  {
    t = t * t * (3.0 - 2.0 * t);
    mSmoothStep = false;
  }
  const double u = 2.0 * t;
  double f;
  switch (easing)
  {
    case 0: f = t; break;
    case 1: f = t * t; break;
    case 2: f = -(t * (t - 2.0)); break;
    case 3: f = t < 0.5 ? 2.0 * t * t : -2.0 * t * t + 4.0 * t - 1.0; break;
    case 4: f = t * t * t; break;
    case 5: f = std::pow(t - 1.0, 3) + 1.0; break;
    case 6: f = t < 0.5 ? 4.0 * t * t * t : 0.5 * std::pow(2.0 * t - 2.0, 3) + 1.0; break;
    case 7: f = std::pow(t, 4); break;
    case 8: f = std::pow(t - 1.0, 3) * (1.0 - t) + 1.0; break;
    case 9: f = t < 0.5 ? 8.0 * std::pow(t, 4) : -8.0 * std::pow(t - 1.0, 4) + 1.0; break;
    case 10: f = std::pow(t, 5); break;
    case 11: f = std::pow(t - 1.0, 5) + 1.0; break;
    case 12: f = t < 0.5 ? 16.0 * std::pow(t, 5) : 0.5 * std::pow(2.0 * t - 2.0, 5) + 1.0; break;
    case 13: f = std::sin((t - 1.0) * kPi / 2.0) + 1.0; break;
    case 14: f = std::sin(t * kPi / 2.0); break;
    case 15: f = 0.5 * (1.0 - std::cos(t * kPi)); break;
    case 16: f = 1.0 - std::sqrt(1.0 - t * t); break;
    case 17: f = std::sqrt((2.0 - t) * t); break;
    case 18:
      f = t < 0.5 ? 0.5 * (1.0 - std::sqrt(1.0 - 4.0 * t * t))
                  : 0.5 * (std::sqrt(-(2.0 * t - 3.0) * (2.0 * t - 1.0)) + 1.0);
      break;
    case 19: f = t == 0.0 ? 0.0 : std::pow(2.0, 10.0 * (t - 1.0)); break;
    case 20: f = t == 1.0 ? 1.0 : 1.0 - std::pow(2.0, -10.0 * t); break;
    case 21:
      if (t == 0.0 || t == 1.0)
        f = t;
      else
        f = t < 0.5 ? 0.5 * std::pow(2.0, 20.0 * t - 10.0)
                    : -0.5 * std::pow(2.0, -20.0 * t + 10.0) + 1.0;
      break;
    case 22: f = std::sin(13.0 * kPi / 2.0 * t) * std::pow(2.0, 10.0 * (t - 1.0)); break;
    case 23: f = std::sin(-13.0 * kPi / 2.0 * (t + 1.0)) * std::pow(2.0, -10.0 * t) + 1.0; break;
    case 24:
      f = t < 0.5 ? 0.5 * std::sin(13.0 * kPi / 2.0 * u) * std::pow(2.0, 10.0 * (u - 1.0))
                  : 0.5 * (std::sin(-13.0 * kPi / 2.0 * u) * std::pow(2.0, -10.0 * (u - 1.0)) + 2.0);
      break;
    case 25: f = BackIn(t); break;
    case 26: f = 1.0 - BackIn(1.0 - t); break;
    case 27: f = t < 0.5 ? 0.5 * BackIn(u) : 0.5 * (1.0 - BackIn(1.0 - (u - 1.0))) + 0.5; break;
    case 28: f = 1.0 - Bounce(1.0 - t); break;
    case 29: f = Bounce(t); break;
    case 30: f = t < 0.5 ? 0.5 * (1.0 - Bounce(1.0 - u)) : 0.5 * Bounce(u - 1.0) + 0.5; break;
    case 40: f = Bezier(mBezier[0], mBezier[1], mBezier[2], mBezier[3], t); break;
    default:
      if (easing >= 31 && easing <= 39)
      {
        const double* p = kBezierPoints[easing - 31];
        f = Bezier(p[0], p[1], p[2], p[3], t);
        break;
      }
      return 0.0;
  }
  return start + (end - start) * f;
}

// ---- preview ----

void IUnitAnimation::DrawEasingPreview(IGraphics* graphics, const IRECT& rect, int easing,
                                       const IColor& curveColor, const IColor& textColor)
{
  if (!graphics || rect.Empty()) return;
  const bool smoothStep = mSmoothStep;
  const int w = rect.W(), h = rect.H();
  float lastX = 0.0f, lastY = 0.0f;
  for (int i = 0; i < w; ++i)
  {
    mSmoothStep = false;
    const double t = w > 1 ? static_cast<double>(i) / (w - 1) : 0.0;
    const float x = static_cast<float>(rect.L + i);
    const float y = static_cast<float>(rect.B - 1 - Ease(easing, 0.0, 1.0, t) * (h - 1));
    if (i > 0) graphics->DrawLine(&curveColor, lastX, lastY, x, y, nullptr, true);
    lastX = x;
    lastY = y;
  }
  mSmoothStep = smoothStep;

  IText style;
  style.mSize = 10;
  style.mColor = textColor;
  style.mAlign = 0;
  IRECT bottomLeft(rect.L, rect.B - 12, rect.L + 30, rect.B);
  graphics->DrawIText(&style, "XY0", &bottomLeft);
  IRECT topLeft(rect.L, rect.T, rect.L + 30, rect.T + 12);
  graphics->DrawIText(&style, "Y1", &topLeft);
  style.mAlign = 2;
  IRECT bottomRight(rect.R - 30, rect.B - 12, rect.R, rect.B);
  graphics->DrawIText(&style, "X1", &bottomRight);
  style.mAlign = 1;
  IRECT top(rect.L, rect.T, rect.R, rect.T + 12);
  // The preview has always labelled easing 33 this way.
  graphics->DrawIText(&style, easing == 33 ? "ezierEaseOut" : EasingName(easing), &top);
}
