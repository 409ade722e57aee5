// IUnitGUIResize: the window-size and scale manager. It is itself a control,
// the last of the list, drawn as the resize handle in the bottom-right
// corner; before it stand its two edge handles (VerticalResizing, then
// HorisontalResizing). It keeps every control's rectangles per view mode in
// unscaled units (the coordinates at scale 1.0) and, whenever the scale or
// the window size changes, places every control anew, moves the handles to
// the window's edges, tells the plug-in (SetGUILayout), has the surface
// resample its artwork, tells every control the new scale (AfterGUIResize)
// and resizes the surface.
//
// The scale is stored between runs as "guiscale" in section "gui" of the
// settings file, written "%.15f" with a point whatever the locale (and read
// so, a comma that earlier versions wrote counting as the point). A stored
// value that is not a positive number, or one that gives a window of no
// pixel across or down or one larger than a display can hold, becomes 1.0
// and is written back; one beyond the drag limits is taken as it stands,
// the artwork resampled at it when the GUI opens.
//
// A scaled coordinate is the integer part of (c + 0.4999) * scale.
//
// GUI thread only (the menu commands call SetGUIScaleRatio and
// ResizeGraphics under the plug-in mutex, on the GUI thread too).
#pragma once

#include "core/BASE_PtrList.h"
#include "core/BASE_String.h"
#include "core/IGraphicsLink.h"
#include "graphics/controls/IControl.h"

#include <string>
#include <vector>

class IGraphics;
class IParam;
class RAST_IBitmap;

// A rectangle in unscaled units.
struct DRECT
{
  double L = 0.0, T = 0.0, R = 0.0, B = 0.0;
};

// Cursor identifiers of the window layer.
enum EResizeCursor
{
  kCursorArrow = 32512,
  kCursorSizeNWSE = 32642,
  kCursorSizeWE = 32644,
  kCursorSizeNS = 32645,
};

class IUnitGUIResize : public IControl, public IGUIResizeLink
{
public:
  // The stored layout of one view mode: per list position, the control
  // attached there, the control to stand there in this view, its draw and
  // target rectangles and whether it is hidden.
  struct ViewLayout
  {
    std::vector<IControl*> mControls;  // not owned
    std::vector<IControl*> mLayers;    // not owned
    std::vector<DRECT> mDrawRects;
    std::vector<DRECT> mTargetRects;
    std::vector<int> mHidden;
  };

  // Receives the cursor the handles ask for; until the view exists the
  // manager calls nothing.
  using CursorSink = void (*)(int cursorId, void* context);

  static constexpr double kMaxSize = 999999999999.0;

  // The graphics' size is the base and window size; the scale is read from
  // the settings file in the graphics' application-support folder, under the
  // plug-in's name (the folder and its parents are made).
  IUnitGUIResize(IUnitBase* plug, IGraphics* graphics, int handleSize, int minHandleSize);
  ~IUnitGUIResize() override;

  // ---- configuration, before the GUI is attached ----
  void EnableGUIResizing() { mResizingEnabled = true; }
  void DisableFastBitmapResizing() { mFastBitmapResizing = false; }
  void UseHandleForGUIScaling(bool on) { mHandleScalesGUI = on; }
  // An id not in the table selects view 0.
  void SelectViewMode(int id);
  void SetGUIScaleLimits(double minPercent, double maxPercent);
  void SetWindowSizeLimits(int viewIndex, double minW, double minH, double maxW, double maxH);
  void AddNewView(int id, int w, int h);
  // side 0 keeps only the width handle, 1 only the height handle, others
  // both.
  void EnableOneSideResizing(int thickness, int minThickness, int side);
  void SetCursorSink(CursorSink sink, void* context);

  // Attaches the two edge handles to the graphics and stores the layouts;
  // returns the manager for the caller to attach last.
  IUnitGUIResize* AttachGUIResize();
  void ResizeAtGUIOpen() override;

  // ---- queries ----
  double GetGUIScaleRatio() const { return mScale; }
  int GetViewMode() const { return mCurrentView; }
  int GetViewModeSize() const { return static_cast<int>(mViewIds.size()); }
  // The id SelectViewMode takes for the view at index; -1 when none.
  int GetViewModeId(int index) const
  {
    return index >= 0 && index < GetViewModeSize() ? mViewIds[static_cast<size_t>(index)] : -1;
  }
  bool IsDragging() const { return mDragging; }
  IParam* GetParam(int i) const { return mParams.Get(i); }
  int NumParams() const { return mParams.GetSize(); }
  int GetWindowWidth() const { return mWindowW; }
  int GetWindowHeight() const { return mWindowH; }
  double GetBaseWidth() const { return mBaseW; }
  double GetBaseHeight() const { return mBaseH; }
  const char* GetSettingsPath() const { return mSettingsPath.Get(); }
  // Keeps the scale in this settings file (its folders made) and reads the
  // scale stored there.
  void UseSettingsFile(const std::string& path);

  // ---- changes ----
  // Clamped into the limits; the window size follows. Call ResizeGraphics
  // to apply it.
  void SetGUIScaleRatio(double scale);
  void ResizeGraphics();
  void SetWindowSize(double w, double h);
  void SetWindowWidth(double w);
  void SetWindowHeight(double h);
  // which: 0 both rectangles, 1 the draw rectangle, 2 the target rectangle;
  // coordinates unscaled.
  void MoveControl(int index, int which, double x, double y);
  void SetControlRight(int index, int which, double x);
  void SetControlBottom(int index, int which, double y);
  void HideControl(int index);
  void ShowControl(int index);
  // Only while one-side resizing is on: which 0 the width handle, 1 the
  // height handle, 2 both, other values neither.
  void ShowOneSideHandle(int which);
  void HideOneSideHandle(int which);
  // Resamples the artwork once per process, then lets the next GUI open
  // know it was just done.
  void UsingBitmaps();
  // Every control learns the scale and is redrawn.
  void RescaleControls();
  void RearrangeLayers();
  void ResizeControlRects();

  // ---- the stored layout of each view ----
  // -1 when the view or the control is unknown.
  int GetControlIndexInView(int view, IControl* control) const;
  // An all-zero rectangle, or not hidden, when the view or the control is
  // unknown.
  DRECT GetViewDrawRECT(int view, IControl* control) const;
  DRECT GetViewTargetRECT(int view, IControl* control) const;
  int GetViewHiddenFlag(int view, IControl* control) const;
  void SetViewControlRECTs(int view, IControl* control, int hidden, const DRECT& draw, const DRECT& target);
  // Position slot of the view shows the control at controlIndex of that
  // view's list, with these rectangles (unscaled) and hidden flag. Unknown
  // views, slots or indexes are ignored.
  void LiveEditSetLayout(int view, int slot, int controlIndex, IRECT draw, IRECT target, bool hidden);
  // Forgets the control's position in every view.
  void RemoveControlFromViews(IControl* control);

  // ---- settings, section "gui" of the settings file ----
  double GetDoubleFromSettings(const char* key);
  void WriteDoubleToSettings(const char* key, double value);
  void WriteUIntToSettings(const char* key, unsigned value);
  // -1 when the key is missing.
  int GetIntFromSettings(const char* key);

  // ---- the corner handle ----
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseUp(int x, int y, IMouseMod* mod) override;
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
  void OnMouseOver(int x, int y, IMouseMod* mod) override;
  void OnMouseOut() override;
  bool Draw(IGraphics* graphics) override;
  bool IsDirty() override;

  // ---- own slots ----
  // What the window shows while a corner drag with live scaling runs.
  virtual void DrawBackgroundFill(IGraphics* graphics, IRECT* rect);
  virtual void DrawReopenNotice(IGraphics* graphics);
  virtual void DrawResizeHandle(IGraphics* graphics);
  virtual void OnRightButton() {}

  // Diagonal strokes fading in towards the bottom-right corner of the
  // square of rect's smaller side at its bottom right: stroke i runs from
  // (L + i, B) to (R, B - w + i), anti-aliased, at alpha 1 - ((w - i) / w)^3.
  // Only what falls inside rect and the bitmap is drawn.
  static void DrawResizeHandleInto(RAST_IBitmap* bitmap, IRECT rect);

  // ---- rectangles ----
  // The integer part of (c + 0.4999) * s for each coordinate.
  static IRECT ScaleDRECT(const DRECT& r, double sx, double sy);
  // |a - b| < tolerance.
  static bool IsEqual(double a, double b, double tolerance);
  static DRECT IRECTtoDRECT(const IRECT& r);
  // The integer part of each coordinate.
  static IRECT DRECTtoIRECT(const DRECT& r);

  // ---- for the edge handles ----
  void SetBaseWidthFromDrag(int x);
  void SetBaseHeightFromDrag(int y);
  void SetCursor(int id);

  // Test seam: forgets the process-wide scale, reference layout and flags,
  // as a fresh process starts.
  static void ResetProcessStateForTest();

private:
  void SetControlEdge(int index, int which, double v, int IRECT::*edge, double DRECT::*stored);
  double ClampScale(double s) const;
  double ClampW(double w) const;
  double ClampH(double h) const;
  // The stored scale, taken as stored (the limits do not apply); what is
  // not a positive number, or would open a window larger than a display can
  // hold, gives 1.0, written back.
  double ReadStoredScale();
  // Writes the scale as "guiscale" unless the stored value is within 1e-10
  // of it; true when it was (nothing written).
  bool StoreScale();
  void UpdateWindowSize();
  void CopyLayout(const ViewLayout& from, ViewLayout* to) const;
  ViewLayout& CurrentLayout() { return mLayouts[static_cast<size_t>(mCurrentView)]; }
  // The stored layout of view, or null.
  const ViewLayout* LayoutOf(int view) const;
  void SetOneSideHandlesHidden(int which, bool hidden);
  void ResizeBackground();
  void ResizeFirstControl();
  void AfterGUIResizeAll();
  void TellLayout();

  int mCurrentView = 0;
  std::vector<int> mViewIds;
  std::vector<int> mDefaultW, mDefaultH;
  std::vector<double> mMinW, mMinH, mMaxW, mMaxH;
  std::vector<ViewLayout> mLayouts;
  bool mHandleScalesGUI = false;
  IGraphics* mGraphics;  // not owned
  double mScale = 1.0;
  double mMinScale = 0.0, mMaxScale = 1000000000.0;
  double mBaseW, mBaseH;
  int mEdgeThickness = 0;
  int mEdgeMinThickness = 0;
  bool mOneSideResizing = false;
  int mDefaultWidth, mDefaultHeight;
  int mWindowW, mWindowH;
  int mMinHandleSize;
  int mHandleSize;
  bool mDragging = false;
  bool mReopenNotice = false;
  bool mResizingEnabled = false;
  bool mFastBitmapResizing = true;
  bool mAttachPending = false;
  bool mStateApplied = false;
  IRECT mHandleRect;
  BASE_String mSettingsPath;
  int mOneSide = 0;
  BASE_PtrList<IParam> mParams;  // owned
  CursorSink mCursorSink = nullptr;
  void* mCursorContext = nullptr;
};

// An edge handle of the window: a drag along its axis resizes the window,
// and the pointer shows the matching resize cursor while over it.
class IEdgeResizing : public IControl
{
public:
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
  void OnMouseOver(int x, int y, IMouseMod* mod) override;
  void OnMouseOut() override;
  bool Draw(IGraphics*) override { return true; }

protected:
  // width: the handle changes the window width (x drags), else the height.
  IEdgeResizing(IUnitBase* plug, IGraphics* graphics, IRECT rect, bool width);

private:
  IUnitGUIResize* Manager() const;
  // Kept as given; the handle reaches the surface through the manager.
  [[maybe_unused]] IGraphics* mGraphics;  // not owned
  bool mWidth;
};

// The right edge: a drag changes the window width.
class HorisontalResizing : public IEdgeResizing
{
public:
  HorisontalResizing(IUnitBase* plug, IGraphics* graphics, IRECT rect) : IEdgeResizing(plug, graphics, rect, true) {}
};

// The bottom edge: a drag changes the window height.
class VerticalResizing : public IEdgeResizing
{
public:
  VerticalResizing(IUnitBase* plug, IGraphics* graphics, IRECT rect) : IEdgeResizing(plug, graphics, rect, false) {}
};
