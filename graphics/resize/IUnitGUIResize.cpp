// IUnitGUIResize and its edge handles.
//
// ---- process-wide state ----
// ---- construction and configuration ----
// ---- settings ----
// ---- attachment ----
// ---- rectangles and placing controls ----
// ---- applying a scale or size ----
// ---- the corner handle ----
// ---- drawing ----
// ---- the edge handles ----
#include "graphics/resize/IUnitGUIResize.h"
#include "core/SettingsNames.h"

#include "core/IParam.h"
#include "core/IUnitBase.h"
#include "core/PlainNumber.h"
#include "graphics/IGraphics.h"
#include "raster/RAST_Line.h"
#include "winl/ini/WINL_Ini.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unordered_map>
#include <sys/stat.h>

// ---- process-wide state ----

namespace
{
// Shared by every manager of the process: the scale in use, the layout the
// first manager found at attachment, and whether the artwork was resampled
// once and a resize applied.
struct ProcessState
{
  double mScale = 1.0;
  IUnitGUIResize::ViewLayout mReference;
  bool mBitmapsResampledOnce = false;
  bool mResizeApplied = false;
};

ProcessState& Process()
{
  static ProcessState state;
  return state;
}

// A window onto the part of a bitmap inside a rectangle: drawing through it
// clips to the rectangle as well as to the bitmap.
class ClippedBitmap : public RAST_IBitmap
{
public:
  ClippedBitmap(RAST_IBitmap* bitmap, const IRECT& rect) : mBitmap(bitmap)
  {
    const IRECT r = rect.Intersect(IRECT(0, 0, bitmap->getWidth(), bitmap->getHeight()));
    if (r.Empty()) return;
    mLeft = r.L;
    mTop = r.T;
    mWidth = r.W();
    mHeight = r.H();
  }
  int Left() const { return mLeft; }
  int Top() const { return mTop; }
  RAST_pixel* getBits() override
  {
    RAST_pixel* bits = mBitmap->getBits();
    if (!bits) return nullptr;
    // A flipped bitmap keeps its bottom row first: so does the window.
    const int row = mBitmap->isFlipped() ? mBitmap->getHeight() - mTop - mHeight : mTop;
    return bits + static_cast<ptrdiff_t>(row) * mBitmap->getRowSpan() + mLeft;
  }
  int getWidth() override { return mWidth; }
  int getHeight() override { return mHeight; }
  int getRowSpan() override { return mBitmap->getRowSpan(); }
  bool isFlipped() override { return mBitmap->isFlipped(); }
  bool resize(int, int) override { return false; }
  HDC getDC() override { return nullptr; }
  intptr_t Extended(int, void*) override { return 0; }

private:
  RAST_IBitmap* mBitmap;
  int mLeft = 0, mTop = 0, mWidth = 0, mHeight = 0;
};

// The largest width or height of a window that X11 can hold.
constexpr double kLargestWindow = 32767.0;
constexpr const char* kSection = Setting::kGuiScale.section;
constexpr const char* kScaleKey = Setting::kGuiScale.key;
// Scales closer than this are the same scale.
constexpr double kScaleTolerance = 1e-10;
const IColor kFillColor(255, 25, 25, 25);

// Makes path and every missing folder above it, mode 0755. A failure is
// reported: the scale would otherwise be lost without a word at every run
// (the settings calls then read defaults and write nothing).
void MakeFolders(const std::string& path)
{
  for (size_t i = 1; i <= path.size(); ++i)
  {
    if (i < path.size() && path[i] != '/') continue;
    const std::string part = path.substr(0, i);
    if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
    {
      std::fprintf(stderr, "ZephraEditor: cannot make the settings folder %s: %s\n", part.c_str(), strerror(errno));
      return;
    }
  }
}
}  // namespace

void IUnitGUIResize::ResetProcessStateForTest()
{
  Process() = ProcessState();
}

// ---- construction and configuration ----

IUnitGUIResize::IUnitGUIResize(IUnitBase* plug, IGraphics* graphics, int handleSize, int minHandleSize)
  : IControl(plug, IRECT(), -1, IChannelBlend(0, 1.0f)),
    mGraphics(graphics),
    mMinHandleSize(minHandleSize),
    mHandleSize(handleSize)
{
  const int w = graphics ? graphics->Width() : 0, h = graphics ? graphics->Height() : 0;
  mDefaultWidth = mWindowW = w;
  mDefaultHeight = mWindowH = h;
  mBaseW = w;
  mBaseH = h;
  mViewIds.push_back(0);
  mDefaultW.push_back(w);
  mDefaultH.push_back(h);
  mMinW.push_back(0.0);
  mMinH.push_back(0.0);
  mMaxW.push_back(kMaxSize);
  mMaxH.push_back(kMaxSize);
  mLayouts.emplace_back();
  if (graphics) graphics->HandleMouseOver(true);
  mHandleRect = IRECT(w - handleSize, h - handleSize, w, h);
  mRECT = mTargetRECT = mHandleRect;

  // A surface that knows no application-support folder gets no settings
  // file until one is named: "/" + the plug-in's name would be one folder
  // shared by every process that runs such a surface.
  BASE_String folder;
  if (graphics) graphics->AppSupportPath(&folder, false);
  if (folder.Get()[0] != '\0')
    UseSettingsFile(std::string(folder.Get()) + "/" + (plug ? plug->GetEffectName() : "") + "/settings.ini");

  auto* view = new IParam();
  view->InitInt("", -1, -1, 1000000, "", "");
  view->SetCanAutomate(false);
  mParams.Add(view);
  for (int i = 0; i < 2; ++i)
  {
    auto* size = new IParam();
    size->InitDouble("", -1.0, -1.0, 1000000.0, 1.0, "", "", 1.0);
    size->SetCanAutomate(false);
    mParams.Add(size);
  }
}

IUnitGUIResize::~IUnitGUIResize()
{
  mParams.Empty(true);
}

void IUnitGUIResize::SelectViewMode(int id)
{
  mCurrentView = 0;
  for (size_t i = 0; i < mViewIds.size(); ++i)
    if (mViewIds[i] == id)
    {
      mCurrentView = static_cast<int>(i);
      break;
    }
  mBaseW = mDefaultW[static_cast<size_t>(mCurrentView)];
  mBaseH = mDefaultH[static_cast<size_t>(mCurrentView)];
}

void IUnitGUIResize::SetGUIScaleLimits(double minPercent, double maxPercent)
{
  mMinScale = minPercent / 100.0;
  mMaxScale = maxPercent / 100.0;
  mScale = ClampScale(mScale);
}

void IUnitGUIResize::SetWindowSizeLimits(int viewIndex, double minW, double minH, double maxW, double maxH)
{
  if (viewIndex < 0 || viewIndex >= GetViewModeSize()) return;
  const size_t v = static_cast<size_t>(viewIndex);
  mMinW[v] = minW;
  mMinH[v] = minH;
  mMaxW[v] = maxW;
  mMaxH[v] = maxH;
  mBaseW = ClampW(mBaseW);
  mBaseH = ClampH(mBaseH);
}

void IUnitGUIResize::AddNewView(int id, int w, int h)
{
  mViewIds.push_back(id);
  mDefaultW.push_back(w);
  mDefaultH.push_back(h);
  mMinW.push_back(0.0);
  mMinH.push_back(0.0);
  mMaxW.push_back(kMaxSize);
  mMaxH.push_back(kMaxSize);
}

void IUnitGUIResize::EnableOneSideResizing(int thickness, int minThickness, int side)
{
  mOneSideResizing = true;
  mEdgeThickness = thickness;
  mEdgeMinThickness = minThickness;
  mOneSide = side;
}

void IUnitGUIResize::SetCursorSink(CursorSink sink, void* context)
{
  mCursorSink = sink;
  mCursorContext = context;
}

void IUnitGUIResize::SetCursor(int id)
{
  if (mCursorSink) mCursorSink(id, mCursorContext);
}

double IUnitGUIResize::ClampScale(double s) const
{
  return s < mMinScale ? mMinScale : (s < mMaxScale ? s : mMaxScale);
}

double IUnitGUIResize::ClampW(double w) const
{
  const size_t v = static_cast<size_t>(mCurrentView);
  return w < mMinW[v] ? mMinW[v] : (w > mMaxW[v] ? mMaxW[v] : w);
}

double IUnitGUIResize::ClampH(double h) const
{
  const size_t v = static_cast<size_t>(mCurrentView);
  return h < mMinH[v] ? mMinH[v] : (h > mMaxH[v] ? mMaxH[v] : h);
}

// ---- settings ----

void IUnitGUIResize::UseSettingsFile(const std::string& path)
{
  const size_t slash = path.rfind('/');
  if (slash != std::string::npos && slash > 0) MakeFolders(path.substr(0, slash));
  mSettingsPath.Set(path.c_str());
  mScale = ReadStoredScale();
}

double IUnitGUIResize::GetDoubleFromSettings(const char* key)
{
  char value[128] = "-1.0";
  if (mSettingsPath.Get()[0] != '\0')
    GetPrivateProfileString(kSection, key, "-1.0", value, sizeof(value), mSettingsPath.Get());
  // Text that is no number reads as 0, as it always has: a broken scale.
  double number = 0.0;
  return ReadPlainNumber(value, &number) ? number : 0.0;
}

void IUnitGUIResize::WriteDoubleToSettings(const char* key, double value)
{
  if (mSettingsPath.Get()[0] != '\0')
    WritePrivateProfileString(kSection, key, PlainFixed(value, 15).c_str(), mSettingsPath.Get());
}

void IUnitGUIResize::WriteUIntToSettings(const char* key, unsigned value)
{
  char text[32];
  snprintf(text, sizeof(text), "%u", value);
  if (mSettingsPath.Get()[0] != '\0') WritePrivateProfileString(kSection, key, text, mSettingsPath.Get());
}

int IUnitGUIResize::GetIntFromSettings(const char* key)
{
  return mSettingsPath.Get()[0] != '\0' ? GetPrivateProfileInt(kSection, key, -1, mSettingsPath.Get()) : -1;
}

double IUnitGUIResize::ReadStoredScale()
{
  const double stored = GetDoubleFromSettings(kScaleKey);
  // A scale beyond the limits is the user's to choose and is taken as it
  // stands (the limits bound only what a drag or a menu sets). "0", a text
  // that is no number, a negative or an endless value would open a window of
  // no size or of any size, and so would one too small to hold a single
  // pixel across or down, or one wider or higher than the largest window a
  // display can hold: those give 1.0, written back.
  const bool usable = std::isfinite(stored) && stored > 0.0 && mBaseW * stored >= 1.0 && mBaseH * stored >= 1.0 &&
                      mBaseW * stored <= kLargestWindow && mBaseH * stored <= kLargestWindow;
  if (usable) return stored;
  WriteDoubleToSettings(kScaleKey, 1.0);
  return 1.0;
}

bool IUnitGUIResize::StoreScale()
{
  if (IsEqual(GetDoubleFromSettings(kScaleKey), mScale, kScaleTolerance)) return true;
  WriteDoubleToSettings(kScaleKey, mScale);
  return false;
}

// ---- attachment ----

void IUnitGUIResize::CopyLayout(const ViewLayout& from, ViewLayout* to) const
{
  const size_t n = to->mControls.size() < from.mControls.size() ? to->mControls.size() : from.mControls.size();
  to->mDrawRects.assign(to->mControls.size(), DRECT());
  to->mTargetRects.assign(to->mControls.size(), DRECT());
  to->mHidden.assign(to->mControls.size(), 0);
  for (size_t i = 0; i < n; ++i)
  {
    to->mDrawRects[i] = from.mDrawRects[i];
    to->mTargetRects[i] = from.mTargetRects[i];
    to->mHidden[i] = from.mHidden[i];
  }
}

IUnitGUIResize* IUnitGUIResize::AttachGUIResize()
{
  if (!mGraphics) return this;
  const int w = mGraphics->Width(), h = mGraphics->Height(), t = mEdgeThickness;
  auto* height = new VerticalResizing(mPlug, mGraphics, IRECT(0, h - t, w, h));
  auto* width = new HorisontalResizing(mPlug, mGraphics, IRECT(w - t, 0, w, h));
  mGraphics->AttachControl(height);
  mGraphics->AttachControl(width);
  if (!mOneSideResizing)
  {
    height->Hide(true);
    width->Hide(true);
  }
  else if (mOneSide == 0)
    height->Hide(true);
  else if (mOneSide == 1)
    width->Hide(true);

  ViewLayout& reference = Process().mReference;
  const int n = mGraphics->NControls();
  if (reference.mControls.empty())
  {
    for (int i = 0; i < n; ++i)
    {
      IControl* c = mGraphics->GetControl(i);
      reference.mControls.push_back(c);
      reference.mLayers.push_back(c);
      reference.mDrawRects.push_back(IRECTtoDRECT(c->GetRECT()));
      reference.mTargetRects.push_back(IRECTtoDRECT(c->GetTargetRECT()));
      reference.mHidden.push_back(c->IsHidden() ? 1 : 0);
    }
    reference.mControls.push_back(this);
    reference.mLayers.push_back(this);
    reference.mDrawRects.push_back(IRECTtoDRECT(mHandleRect));
    reference.mTargetRects.push_back(IRECTtoDRECT(mHandleRect));
    reference.mHidden.push_back(0);
  }

  ViewLayout& first = mLayouts[0];
  first.mControls.clear();
  for (int i = 0; i < n; ++i) first.mControls.push_back(mGraphics->GetControl(i));
  first.mControls.push_back(this);
  first.mLayers = first.mControls;
  CopyLayout(reference, &first);
  mLayouts.resize(1);
  for (size_t v = 1; v < mViewIds.size(); ++v) mLayouts.push_back(first);

  if (!Process().mBitmapsResampledOnce)
  {
    mGraphics->RescaleBitmaps(mScale);
    Process().mBitmapsResampledOnce = true;
  }
  mAttachPending = true;
  AfterGUIResizeAll();
  mGraphics->SetAllControlsDirty();
  return this;
}

// ---- rectangles and placing controls ----

bool IUnitGUIResize::IsEqual(double a, double b, double tolerance)
{
  return std::fabs(a - b) < tolerance;
}

DRECT IUnitGUIResize::IRECTtoDRECT(const IRECT& r)
{
  return DRECT{static_cast<double>(r.L), static_cast<double>(r.T), static_cast<double>(r.R),
               static_cast<double>(r.B)};
}

IRECT IUnitGUIResize::DRECTtoIRECT(const DRECT& r)
{
  return IRECT(static_cast<int>(r.L), static_cast<int>(r.T), static_cast<int>(r.R), static_cast<int>(r.B));
}

IRECT IUnitGUIResize::ScaleDRECT(const DRECT& r, double sx, double sy)
{
  return IRECT(static_cast<int>((r.L + 0.4999) * sx), static_cast<int>((r.T + 0.4999) * sy),
               static_cast<int>((r.R + 0.4999) * sx), static_cast<int>((r.B + 0.4999) * sy));
}

const IUnitGUIResize::ViewLayout* IUnitGUIResize::LayoutOf(int view) const
{
  if (view < 0 || view >= static_cast<int>(mLayouts.size())) return nullptr;
  return &mLayouts[static_cast<size_t>(view)];
}

int IUnitGUIResize::GetControlIndexInView(int view, IControl* control) const
{
  const ViewLayout* layout = LayoutOf(view);
  if (!layout) return -1;
  for (size_t i = 0; i < layout->mControls.size(); ++i)
    if (layout->mControls[i] == control) return static_cast<int>(i);
  return -1;
}

DRECT IUnitGUIResize::GetViewDrawRECT(int view, IControl* control) const
{
  const int entry = GetControlIndexInView(view, control);
  return entry < 0 ? DRECT() : LayoutOf(view)->mDrawRects[static_cast<size_t>(entry)];
}

DRECT IUnitGUIResize::GetViewTargetRECT(int view, IControl* control) const
{
  const int entry = GetControlIndexInView(view, control);
  return entry < 0 ? DRECT() : LayoutOf(view)->mTargetRects[static_cast<size_t>(entry)];
}

int IUnitGUIResize::GetViewHiddenFlag(int view, IControl* control) const
{
  const int entry = GetControlIndexInView(view, control);
  return entry < 0 ? 0 : LayoutOf(view)->mHidden[static_cast<size_t>(entry)];
}

void IUnitGUIResize::SetViewControlRECTs(int view, IControl* control, int hidden, const DRECT& draw,
                                         const DRECT& target)
{
  const int entry = GetControlIndexInView(view, control);
  if (entry < 0) return;
  ViewLayout& layout = mLayouts[static_cast<size_t>(view)];
  layout.mDrawRects[static_cast<size_t>(entry)] = draw;
  layout.mTargetRects[static_cast<size_t>(entry)] = target;
  layout.mHidden[static_cast<size_t>(entry)] = hidden;
}

void IUnitGUIResize::LiveEditSetLayout(int view, int slot, int controlIndex, IRECT draw, IRECT target,
                                       bool hidden)
{
  if (!LayoutOf(view)) return;
  ViewLayout& layout = mLayouts[static_cast<size_t>(view)];
  const int n = static_cast<int>(layout.mControls.size());
  if (slot < 0 || slot >= n || controlIndex < 0 || controlIndex >= n) return;
  const size_t i = static_cast<size_t>(slot);
  layout.mLayers[i] = layout.mControls[static_cast<size_t>(controlIndex)];
  layout.mDrawRects[i] = IRECTtoDRECT(draw);
  layout.mTargetRects[i] = IRECTtoDRECT(target);
  layout.mHidden[i] = hidden ? 1 : 0;
}

void IUnitGUIResize::RemoveControlFromViews(IControl* control)
{
  for (size_t v = 0; v < mLayouts.size(); ++v)
  {
    const int entry = GetControlIndexInView(static_cast<int>(v), control);
    if (entry < 0) continue;
    ViewLayout& layout = mLayouts[v];
    const auto at = static_cast<std::ptrdiff_t>(entry);
    layout.mControls.erase(layout.mControls.begin() + at);
    layout.mLayers.erase(layout.mLayers.begin() + at);
    layout.mDrawRects.erase(layout.mDrawRects.begin() + at);
    layout.mTargetRects.erase(layout.mTargetRects.begin() + at);
    layout.mHidden.erase(layout.mHidden.begin() + at);
  }
}

void IUnitGUIResize::MoveControl(int index, int which, double x, double y)
{
  IControl* c = mGraphics ? mGraphics->GetControl(index) : nullptr;
  const int entry = GetControlIndexInView(mCurrentView, c);
  if (!c || entry < 0) return;
  ViewLayout& layout = CurrentLayout();
  const double s = mScale;
  // The pixel size is kept; the stored rectangle keeps its stored size.
  auto place = [&](const IRECT& r, DRECT* stored) {
    *stored = DRECT{x, y, x + (stored->R - stored->L), y + (stored->B - stored->T)};
    return IRECT(static_cast<int>(s * x), static_cast<int>(s * y), static_cast<int>(r.W() + s * x),
                 static_cast<int>(r.H() + s * y));
  };
  IRECT draw = c->GetRECT(), target = c->GetTargetRECT();
  if (which == 0 || which == 1) draw = place(draw, &layout.mDrawRects[static_cast<size_t>(entry)]);
  if (which == 0 || which == 2) target = place(target, &layout.mTargetRects[static_cast<size_t>(entry)]);
  c->SetBounds(draw, target);
}

void IUnitGUIResize::SetControlRight(int index, int which, double x)
{
  SetControlEdge(index, which, x, &IRECT::R, &DRECT::R);
}

void IUnitGUIResize::SetControlBottom(int index, int which, double y)
{
  SetControlEdge(index, which, y, &IRECT::B, &DRECT::B);
}

// Moves one edge of a control's draw and/or target rectangle (which: 0 both,
// 1 draw, 2 target) to v in base pixels, and keeps it in the stored layout.
void IUnitGUIResize::SetControlEdge(int index, int which, double v, int IRECT::*edge, double DRECT::*stored)
{
  IControl* c = mGraphics ? mGraphics->GetControl(index) : nullptr;
  const int entry = GetControlIndexInView(mCurrentView, c);
  if (!c || entry < 0) return;
  ViewLayout& layout = CurrentLayout();
  IRECT draw = c->GetRECT(), target = c->GetTargetRECT();
  if (which == 0 || which == 1)
  {
    draw.*edge = static_cast<int>(mScale * v);
    layout.mDrawRects[static_cast<size_t>(entry)].*stored = v;
  }
  if (which == 0 || which == 2)
  {
    target.*edge = static_cast<int>(mScale * v);
    layout.mTargetRects[static_cast<size_t>(entry)].*stored = v;
  }
  c->SetBounds(draw, target);
}

void IUnitGUIResize::HideControl(int index)
{
  if (IControl* c = mGraphics ? mGraphics->GetControl(index) : nullptr) c->Hide(true);
}

void IUnitGUIResize::ShowControl(int index)
{
  if (IControl* c = mGraphics ? mGraphics->GetControl(index) : nullptr) c->Hide(false);
}

void IUnitGUIResize::SetOneSideHandlesHidden(int which, bool hidden)
{
  const int n = mGraphics ? mGraphics->NControls() : 0;
  if (!mOneSideResizing || n < 3) return;
  if (which == 0 || which == 2) mGraphics->GetControl(n - 2)->Hide(hidden);
  if (which == 1 || which == 2) mGraphics->GetControl(n - 3)->Hide(hidden);
}

void IUnitGUIResize::ShowOneSideHandle(int which)
{
  SetOneSideHandlesHidden(which, false);
}

void IUnitGUIResize::HideOneSideHandle(int which)
{
  SetOneSideHandlesHidden(which, true);
}

void IUnitGUIResize::UsingBitmaps()
{
  if (!Process().mBitmapsResampledOnce && mGraphics)
  {
    mGraphics->RescaleBitmaps(mScale);
    Process().mBitmapsResampledOnce = true;
  }
  mAttachPending = true;
}

void IUnitGUIResize::RescaleControls()
{
  AfterGUIResizeAll();
  if (mGraphics) mGraphics->SetAllControlsDirty();
}

void IUnitGUIResize::RearrangeLayers()
{
  if (!mGraphics) return;
  ViewLayout& layout = CurrentLayout();
  const ViewLayout& first = mLayouts[0];
  // Where each control of the first layout stands: the first of two places.
  std::unordered_map<const IControl*, size_t> place;
  for (size_t p = first.mControls.size(); p-- > 0;) place[first.mControls[p]] = p;
  const int n = mGraphics->NControls();
  for (int i = 1; i < n && i < static_cast<int>(layout.mLayers.size()); ++i)
  {
    const auto at = place.find(layout.mLayers[static_cast<size_t>(i)]);
    if (at != place.end()) mGraphics->ReplaceControl(static_cast<int>(at->second), layout.mControls[static_cast<size_t>(i)]);
  }
}

void IUnitGUIResize::ResizeControlRects()
{
  if (!mGraphics) return;
  const ViewLayout& layout = CurrentLayout();
  const double s = mScale;
  const int n = mGraphics->NControls();
  for (int i = 1; i < n; ++i)
  {
    IControl* c = mGraphics->GetControl(i);
    const int entry = GetControlIndexInView(mCurrentView, c);
    if (entry < 0) continue;
    const IRECT draw = ScaleDRECT(layout.mDrawRects[static_cast<size_t>(entry)], s, s);
    const IRECT target = ScaleDRECT(layout.mTargetRects[static_cast<size_t>(entry)], s, s);
    c->SetBounds(draw, target);
    c->Hide(layout.mHidden[static_cast<size_t>(entry)] != 0);
  }

  if (mOneSideResizing && n >= 3)
  {
    const int m = mEdgeMinThickness;
    IControl* width = mGraphics->GetControl(n - 2);
    IRECT t = width->GetTargetRECT();
    if (t.W() < m) width->SetBounds(IRECT(t.R - m, 0, t.R, t.B), IRECT(t.R - m, 0, t.R, t.B));
    IControl* height = mGraphics->GetControl(n - 3);
    t = height->GetTargetRECT();
    if (t.H() < m) height->SetBounds(IRECT(0, t.B - m, t.R, t.B), IRECT(0, t.B - m, t.R, t.B));
  }

  // The corner handle stays a square at the bottom right, never smaller
  // than the minimum.
  const int w = mRECT.W(), h = mRECT.H();
  const int k = w < h ? w : h;
  if (w != h)
  {
    mRECT.L = mRECT.R - k;
    mRECT.T = mRECT.B - k;
    mTargetRECT = mRECT;
  }
  if (k < mMinHandleSize)
  {
    mRECT.L = mRECT.R - mMinHandleSize;
    mRECT.T = mRECT.B - mMinHandleSize;
    mTargetRECT = mRECT;
  }
}

void IUnitGUIResize::ResizeBackground()
{
  if (!mGraphics || mScale <= 0.0) return;
  const double w = mWindowW / mScale, h = mWindowH / mScale;
  const int n = mGraphics->NControls();
  if (mOneSideResizing && n >= 3)
  {
    MoveControl(n - 2, 0, w - mEdgeThickness, 0.0);
    SetControlBottom(n - 2, 0, h);
    MoveControl(n - 3, 0, 0.0, h - mEdgeThickness);
    SetControlRight(n - 3, 0, w);
  }
  MoveControl(n - 1, 0, w - mHandleSize, h - mHandleSize);
}

void IUnitGUIResize::ResizeFirstControl()
{
  IControl* background = mGraphics ? mGraphics->GetControl(0) : nullptr;
  if (!background || background == this) return;
  const IRECT r(0, 0, static_cast<int>((mBaseW + 0.4999) * mScale), static_cast<int>((mBaseH + 0.4999) * mScale));
  background->SetBounds(r, r);
}

void IUnitGUIResize::AfterGUIResizeAll()
{
  const int n = mGraphics ? mGraphics->NControls() : 0;
  for (int i = 0; i < n; ++i) mGraphics->GetControl(i)->AfterGUIResize(mScale);
  // Before attachment the manager is not in the list yet.
  if (mGraphics && mGraphics->GetControlIdx(this) < 0) AfterGUIResize(mScale);
}

void IUnitGUIResize::TellLayout()
{
  if (mPlug) mPlug->SetGUILayout(mCurrentView, mBaseW, mBaseH);
}

// ---- applying a scale or size ----

void IUnitGUIResize::UpdateWindowSize()
{
  mWindowW = static_cast<int>(mBaseW * mScale);
  mWindowH = static_cast<int>(mBaseH * mScale);
}

void IUnitGUIResize::SetGUIScaleRatio(double scale)
{
  mScale = ClampScale(scale);
  Process().mScale = mScale;
  UpdateWindowSize();
}

void IUnitGUIResize::SetWindowSize(double w, double h)
{
  mBaseW = ClampW(w);
  mBaseH = ClampH(h);
}

void IUnitGUIResize::SetWindowWidth(double w)
{
  mBaseW = ClampW(w);
}

void IUnitGUIResize::SetWindowHeight(double h)
{
  mBaseH = ClampH(h);
}

void IUnitGUIResize::ResizeAtGUIOpen()
{
  if (!mGraphics) return;
  const int oldW = mGraphics->Width(), oldH = mGraphics->Height();
  if (!mStateApplied)
  {
    if (mParams.Get(0)->Value() > -0.5)
    {
      const int view = static_cast<int>(mParams.Get(0)->Value());
      if (view < GetViewModeSize()) mCurrentView = view;
    }
    if (mParams.Get(1)->Value() > -0.5) mBaseW = mParams.Get(1)->Value();
    if (mParams.Get(2)->Value() > -0.5) mBaseH = mParams.Get(2)->Value();
    mStateApplied = true;
  }
  mScale = ReadStoredScale();
  mGraphics->SetScale(mScale);
  UpdateWindowSize();
  RearrangeLayers();
  ResizeBackground();
  ResizeFirstControl();
  ResizeControlRects();
  TellLayout();
  // The artwork was resampled at attachment, at the scale the limits had
  // clamped the stored one to, or by the shell's fit to the screen: it must
  // stand at the scale the window opens with, whatever that is.
  const bool artworkElsewhere = mResizingEnabled && !IsEqual(mGraphics->ArtworkScale(), mScale, kScaleTolerance);
  if (oldW == mWindowW && oldH == mWindowH && !artworkElsewhere)
  {
    Process().mScale = mScale;
    return;
  }
  if (artworkElsewhere) mGraphics->RescaleBitmaps(mScale);
  mAttachPending = false;
  AfterGUIResizeAll();
  mGraphics->SetAllControlsDirty();
  mGraphics->Resize(mWindowW, mWindowH);
  Process().mResizeApplied = false;
  mReopenNotice = false;
  Process().mScale = mScale;
}

void IUnitGUIResize::ResizeGraphics()
{
  if (!mGraphics) return;
  // A corner drag changes the scale on every pointer step, and each write
  // of the settings file waits for the disk twice: at 120 steps a second
  // the drag would lag the pointer. The release stores the scale instead.
  const bool dragStep = mResizingEnabled && mFastBitmapResizing && mDragging;
  const bool unchanged = dragStep || StoreScale();
  mGraphics->SetScale(mScale);
  UpdateWindowSize();
  const double values[3] = {static_cast<double>(mCurrentView), mBaseW, mBaseH};
  for (int i = 0; i < 3; ++i)
  {
    IParam* p = mParams.Get(i);
    p->SetPlain(values[i] < p->GetMin() ? p->GetMin() : (values[i] > p->GetMax() ? p->GetMax() : values[i]));
  }
  RearrangeLayers();
  ResizeBackground();
  ResizeFirstControl();
  ResizeControlRects();
  TellLayout();

  if (!mResizingEnabled)
  {
    AfterGUIResizeAll();
    mGraphics->SetAllControlsDirty();
    mGraphics->Resize(mWindowW, mWindowH);
    mGraphics->SetAllControlsDirty();
    return;
  }
  if (mFastBitmapResizing && mDragging)
  {
    // The artwork and the controls' scales wait for the end of the drag;
    // the window shows a plain fill meanwhile.
    mGraphics->Resize(mWindowW, mWindowH);
    Process().mResizeApplied = true;
    mGraphics->SetAllControlsDirty();
    return;
  }
  if (mFastBitmapResizing || !unchanged) mGraphics->RescaleBitmaps(mScale);
  AfterGUIResizeAll();
  mGraphics->SetAllControlsDirty();
  mGraphics->Resize(mWindowW, mWindowH);
  Process().mResizeApplied = true;
  mGraphics->SetAllControlsDirty();
}

// ---- the corner handle ----

void IUnitGUIResize::OnMouseOver(int, int, IMouseMod*)
{
  if (!mReopenNotice) SetCursor(kCursorSizeNWSE);
}

void IUnitGUIResize::OnMouseOut()
{
  SetCursor(kCursorArrow);
}

void IUnitGUIResize::OnMouseDown(int, int, IMouseMod* mod)
{
  if (!mReopenNotice) SetCursor(kCursorSizeNWSE);
  if (mod && mod->L && mResizingEnabled && mFastBitmapResizing && mHandleScalesGUI && !mReopenNotice)
  {
    mRECT = mTargetRECT = IRECT(0, 0, mWindowW, mWindowH);
    mDragging = true;
  }
  else if (mod && mod->R)
    OnRightButton();
}

void IUnitGUIResize::OnMouseDrag(int x, int y, int, int, IMouseMod*)
{
  if (mReopenNotice) return;
  SetCursor(kCursorSizeNWSE);
  if (mHandleScalesGUI)
  {
    const double base = mBaseW + mBaseH;
    mScale = ClampScale(base > 0.0 ? (x + y) / base : mScale);
    Process().mScale = mScale;
    UpdateWindowSize();
  }
  else if (mScale > 0.0)
  {
    mBaseW = ClampW(x / mScale);
    mBaseH = ClampH(y / mScale);
  }
  if (mResizingEnabled && mFastBitmapResizing && mHandleScalesGUI)
  {
    mRECT = mTargetRECT = IRECT(0, 0, mWindowW, mWindowH);
  }
  else
  {
    const int scaled = static_cast<int>(mHandleSize * mScale);
    const int k = scaled > mMinHandleSize ? scaled : mMinHandleSize;
    mRECT = mTargetRECT = IRECT(x - k, y - k, x, y);
  }
  ResizeGraphics();
}

void IUnitGUIResize::OnMouseUp(int, int, IMouseMod*)
{
  SetCursor(kCursorArrow);
  if (mResizingEnabled && mFastBitmapResizing && !mReopenNotice && mGraphics)
  {
    mGraphics->RescaleBitmaps(mScale);
    ResizeControlRects();
    AfterGUIResizeAll();
    mGraphics->SetAllControlsDirty();
    if (mDragging) StoreScale();
    mDragging = false;
    Process().mScale = mScale;
    mGraphics->SetAllControlsDirty();
  }
  TellLayout();
}

bool IUnitGUIResize::IsDirty()
{
  if (mResizingEnabled && Process().mResizeApplied && !mReopenNotice && !mDragging)
  {
    mReopenNotice = !IsEqual(Process().mScale, mScale, kScaleTolerance);
    if (mReopenNotice) mRECT = mTargetRECT = IRECT(0, 0, mWindowW, mWindowH);
  }
  // The handle is drawn with what lies under it; only the notice is the
  // manager's own reason to repaint.
  return mReopenNotice;
}

// ---- drawing ----

bool IUnitGUIResize::Draw(IGraphics* graphics)
{
  if (mReopenNotice)
  {
    mRECT = mTargetRECT = IRECT(0, 0, mWindowW, mWindowH);
    DrawReopenNotice(graphics);
  }
  else
    DrawResizeHandle(graphics);
  return true;
}

void IUnitGUIResize::DrawBackgroundFill(IGraphics* graphics, IRECT* rect)
{
  if (graphics && rect) graphics->FillIRect(&kFillColor, rect, nullptr);
}

void IUnitGUIResize::DrawReopenNotice(IGraphics* graphics)
{
  graphics->FillIRect(&kFillColor, &mRECT, nullptr);
  const int n = mDefaultWidth > 0 ? static_cast<int>(graphics->Width() * 77.0 / mDefaultWidth) : 0;
  IText style;
  snprintf(style.mFont, sizeof(style.mFont), "%s", "Arial");
  style.mSize = n;
  style.mColor = IColor(255, 255, 255, 255);
  style.mStyle = 2;
  style.mAlign = 0;
  const int d = graphics->Height() / 2 - n;
  const int e = d < 0 ? -d : 0;
  IRECT first(0, d + e, mRECT.R, mRECT.B);
  IRECT second(0, graphics->Height() / 2 + e, mRECT.R, mRECT.B);
  graphics->DrawIText(&style, "  Reopen plugin interface", &first);
  graphics->DrawIText(&style, "  to get new size...", &second);
}

void IUnitGUIResize::DrawResizeHandle(IGraphics* graphics)
{
  DrawResizeHandleInto(graphics->GetDrawBitmap(), mRECT);
}

void IUnitGUIResize::DrawResizeHandleInto(RAST_IBitmap* bitmap, IRECT rect)
{
  if (!bitmap) return;
  const int w = rect.W() < rect.H() ? rect.W() : rect.H();
  if (w <= 0) return;
  const IRECT square(rect.R - w, rect.B - w, rect.R, rect.B);
  // The strokes end on the row B and the column R, which belong to what
  // lies beyond the handle (at the window's corner, to no pixel at all):
  // they are drawn through a window onto the handle's own pixels.
  ClippedBitmap inside(bitmap, square);
  if (inside.getWidth() <= 0 || inside.getHeight() <= 0) return;
  const int dx = square.L - inside.Left(), dy = square.T - inside.Top();
  const RAST_pixel white = 0xFFFFFFFFu;
  for (int i = 0; i < w; ++i)
  {
    const double f = static_cast<double>(w - i) / w;
    const float alpha = static_cast<float>(1.0 - f * f * f);
    RAST_Line(&inside, dx + i, dy + w, dx + w, dy + i, white, alpha, 0, true);
  }
}

// ---- the edge handles ----

void IUnitGUIResize::SetBaseWidthFromDrag(int x)
{
  if (mScale <= 0.0) return;
  mBaseW = ClampW(x / mScale);
  ResizeGraphics();
}

void IUnitGUIResize::SetBaseHeightFromDrag(int y)
{
  if (mScale <= 0.0) return;
  mBaseH = ClampH(y / mScale);
  ResizeGraphics();
}

IEdgeResizing::IEdgeResizing(IUnitBase* plug, IGraphics* graphics, IRECT rect, bool width)
  : IControl(plug, rect), mGraphics(graphics), mWidth(width)
{
  if (graphics) graphics->HandleMouseOver(true);
}

IUnitGUIResize* IEdgeResizing::Manager() const
{
  return mPlug ? dynamic_cast<IUnitGUIResize*>(mPlug->GetGUIResize()) : nullptr;
}

void IEdgeResizing::OnMouseDown(int, int, IMouseMod*)
{
  if (IUnitGUIResize* m = Manager()) m->SetCursor(mWidth ? kCursorSizeWE : kCursorSizeNS);
}

void IEdgeResizing::OnMouseOver(int, int, IMouseMod*)
{
  if (IUnitGUIResize* m = Manager()) m->SetCursor(mWidth ? kCursorSizeWE : kCursorSizeNS);
}

void IEdgeResizing::OnMouseOut()
{
  if (IUnitGUIResize* m = Manager()) m->SetCursor(kCursorArrow);
}

void IEdgeResizing::OnMouseDrag(int x, int y, int, int, IMouseMod*)
{
  IUnitGUIResize* m = Manager();
  if (!m) return;
  m->SetCursor(mWidth ? kCursorSizeWE : kCursorSizeNS);
  if (mWidth)
    m->SetBaseWidthFromDrag(x);
  else
    m->SetBaseHeightFromDrag(y);
}
