// IUnitAnimation: named, frame-counted transitions of a value between an
// "off" and an "on" value along one of 41 easing curves. Every control
// carries one; the surface redraws a control every frame while it runs.
// GUI thread only. IsAnimating never allocates (it runs once per control per
// frame); AnyRunning tells the frame cycle whether to ask at all.
#pragma once

#include "graphics/IGraphicsTypes.h"

#include <atomic>
#include <string>
#include <vector>

class IGraphics;

class IUnitAnimation
{
public:
  static constexpr int kNumEasings = 41;

  IUnitAnimation() = default;
  ~IUnitAnimation();
  IUnitAnimation(const IUnitAnimation&) = delete;
  IUnitAnimation& operator=(const IUnitAnimation&) = delete;

  // One frame of the named animation toward on (or off); returns its value.
  // The first call for a name creates it at its off state with these frame
  // counts and easings.
  double Animate(const char* name, bool on, int framesToOn, int framesToOff, int easingToOn,
                 int easingToOff, double offValue, double onValue);
  // start + (end - start) * f(t) for easing 0..40; other indexes give 0.
  double Ease(int easing, double start, double end, double t);
  // The easing's name; "" out of range.
  static const char* EasingName(int easing);

  void SetBezierCustom(double x1, double y1, double x2, double y2);
  // The next Ease reshapes t with t*t*(3-2t) once.
  void SetSmoothStep(bool on) { mSmoothStep = on; }

  bool IsAnimating() const;
  // Whether an animation of any control runs now: an editor at rest has
  // hundreds of controls, none animating, and is asked many times a second.
  static bool AnyRunning() { return sRunning.load(std::memory_order_relaxed) > 0; }

  // Plots easing across rect: the curve from its bottom-left (t = 0, value
  // 0) to its top-right (t = 1, value 1), one sample per column, in
  // curveColor; the axis labels "XY0" (bottom left), "X1" (bottom right)
  // and "Y1" (top left) and the easing's name (top centre) in textColor.
  // Leaves a pending smoothstep for the next Ease.
  void DrawEasingPreview(IGraphics* graphics, const IRECT& rect, int easing, const IColor& curveColor,
                         const IColor& textColor);
  // Index of the named animation, or -1.
  int FindAnimation(const char* name) const;

private:
  struct Entry
  {
    std::string mName;
    bool mRunning = false;
    bool mOn = false;
    int mFrame = 0;
    int mFramesOn = 0;
    int mFramesOff = 0;
    int mEasingOn = 0;
    int mEasingOff = 0;
    double mStart = 0.0;
    double mLast = 0.0;
  };

  double Bezier(double x1, double y1, double x2, double y2, double t) const;
  // Sets e.mRunning, keeping the count of running entries.
  static void SetRunning(Entry& e, bool running);

  // Entries running in all animations.
  static inline std::atomic<int> sRunning{0};

  std::vector<Entry> mEntries;
  double mBezier[4] = {0.0, 0.0, 1.0, 1.0};
  bool mSmoothStep = false;
};
