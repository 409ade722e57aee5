// IParaGraphicEq: the equaliser display. A logarithmic frequency axis across
// and a decibel axis up, on which up to ten bands are drawn as one summed
// response curve with a handle per band. Dragging a handle changes the
// band's frequency and gain, dragging with the right button its width. The
// curve is an illustration built from per-band shapes in pixel space, not a
// filter response. The control's value tells which band was touched:
// band / (number of bands - 1).
//
// Threads: SetBands also runs on the MIDI input thread; the band arrays and
// the curve buffers are changed and drawn under the control's change lock.
#pragma once

#include "graphics/controls/IControl.h"

#include <cstdint>
#include <vector>

class IParaGraphicEq : public IControl
{
public:
  static constexpr int kMaxBands = 10;
  static constexpr int kMaxLabels = 20;
  static constexpr int kLabelSize = 32;  // bytes, terminator included
  // Curves are computed for at most this many columns; a wider display
  // draws the rest flat.
  static constexpr int kMaxCurveWidth = 8192;

  enum EBandType
  {
    kBell = 0,
    kLowShelf = 1,
    kHighShelf = 2,
  };

  // The look and ranges, passed by value to the constructor.
  struct Settings
  {
    int mNumBands = 4;  // 0..10
    bool mHideGridAndLabels = false;
    bool mUnused = false;
    bool mHideCaption = false;
    float mMinFreq = 20.0f;     // Hz
    float mMaxFreq = 12000.0f;  // Hz
    float mGainBelow = -24.0f;  // dB at the bottom edge
    float mGainAbove = 24.0f;   // dB at the top edge
    float mHandleRadius = 4.0f;  // pixels
    IColor mGridColor{255, 255, 255, 255};
    IColor mCurveColor{255, 255, 0, 0};
    IColor mHandleColor{255, 255, 255, 0};
    IColor mUnusedColor{255, 255, 255, 0};
    IColor mCaptionBoxColor{100, 0, 0, 0};
    char mFreqLabels[100] = "";  // Hz values, comma-separated
    char mGainLabels[100] = "";  // dB values, comma-separated
  };

  // One band as the editor exchanges it. Width is the bandwidth in octaves
  // for a bell and the slope setting for a shelf.
  struct Band
  {
    int mIndex = 0;
    int mType = kBell;
    float mGain = 0.0f, mFreq = 0.0f, mWidth = 0.0f;
    float mMinFreq = 0.0f, mMaxFreq = 0.0f;
    float mMinGain = 0.0f, mMaxGain = 0.0f;
    float mMinWidth = 0.0f, mMaxWidth = 0.0f;
  };

  IParaGraphicEq(IUnitBase* plug, IRECT rect, int paramIdx, Settings settings);

  // Applies the range rules, builds the axis and the labels and clears every
  // band; no band is selected.
  void Init();
  // Stores one band (indexes outside 0..count-1 are ignored). Does not mark
  // the control dirty. Any thread.
  void SetBands(Band band);
  // The band last picked with the mouse; false when none is.
  bool GetBand(Band* out);

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
  // Two mouse-ups less than 400 ms apart (by the window layer's tick) set
  // the held band's value once more.
  void OnMouseUp(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;

  // ---- the axes, for the editor and the tests ----
  float GetMinFreq() const { return mMinFreq; }
  float GetMaxFreq() const { return mMaxFreq; }
  // Log-frequency fraction 0..1 of f across the display.
  double FreqPosition(double f) const;
  int NumFreqLabels() const { return mNumFreqLabels; }
  const char* FreqLabel(int i) const { return mFreqLabels[i].mText; }
  int NumGainLabels() const { return mNumGainLabels; }
  const char* GainLabel(int i) const { return mGainLabels[i].mText; }

  // Test seam: band's curve at column as last drawn, in pixels up from the
  // middle; 0 outside the curve.
  float CurveOffsetForTest(int band, int column) const
  {
    if (band < 0 || band >= kMaxBands || column < 0 || column >= static_cast<int>(mCurves[band].size())) return 0.0f;
    return mCurves[band][static_cast<size_t>(column)];
  }

  // Test seam: the millisecond tick the double-click rule reads; null
  // restores the window layer's.
  using TickSource = uint32_t (*)();
  static void SetTickSourceForTest(TickSource source);

private:
  struct Label
  {
    char mText[kLabelSize];
    double mPos;  // fraction across (frequency) or down (gain)
  };

  // Scale of the gain's side of 0 dB.
  double GainScale(double gain) const { return gain > 0.0 ? mScaleAbove : mScaleBelow; }
  // The handle's point relative to the display's top left.
  void HandlePoint(int band, int w, int h, double* x, double* y) const;
  double BandValue(int band) const;
  void BuildCurve(int band, int w, int h);
  void DrawCaption(IGraphics* graphics, int band, double hx, double hy);

  Settings mSettings;
  int mNumBands;
  // Per band.
  int mType[kMaxBands] = {};
  float mGain[kMaxBands] = {}, mFreq[kMaxBands] = {}, mWidth[kMaxBands] = {};
  float mMinFreqB[kMaxBands] = {}, mMaxFreqB[kMaxBands] = {};
  float mMinGain[kMaxBands] = {}, mMaxGain[kMaxBands] = {};
  float mMinWidth[kMaxBands] = {}, mMaxWidth[kMaxBands] = {};
  double mPos[kMaxBands] = {};
  bool mHeld[kMaxBands] = {};
  bool mChanged[kMaxBands] = {};
  // Axis.
  float mMinFreq = 20.0f, mMaxFreq = 22000.0f;
  double mSpan = 1.0;  // octaves
  double mScaleBelow = 1.0 / 80.0, mScaleAbove = 1.0 / 80.0;
  // Labels.
  Label mFreqLabels[kMaxLabels] = {};
  Label mGainLabels[kMaxLabels] = {};
  int mNumFreqLabels = 0, mNumGainLabels = 0;
  // Mouse.
  int mLastX = 0, mLastY = 0;
  uint32_t mLastUpTime = 0;  // GetTickCount milliseconds
  bool mHadMouseUp = false;
  int mSelected = -1;
  // Drawing cache: the size the curves were built for and a pixel offset
  // per column and band.
  int mCurveW = -1, mCurveH = -1;
  std::vector<float> mCurves[kMaxBands];
  std::vector<float> mSum;
};
