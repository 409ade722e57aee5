// IGraphics: construction, the control list, access by parameter and by
// index, and the frame cycle. Input routing and prompts are in
// IGraphicsInput.cpp.
#include "graphics/IGraphics.h"

#include "core/IParam.h"
#include "core/IUnitBase.h"
#include "graphics/controls/IControl.h"
#include "graphics/controls/IControlChanges.h"
#include "graphics/controls/IPanelControl.h"
#include "graphics/resize/ILiveEdit.h"
#include "graphics/resize/IUnitGUIResize.h"
#include "raster/RAST_Bitmap.h"

#include <cmath>
#include <limits>
#include <vector>

namespace
{
// The intersection rule of strict drawing: a control touching the right or
// bottom edge of the repainted area counts as meeting it.
bool Meets(const IRECT& a, const IRECT& b)
{
  return b.L <= a.R && a.L < b.R && b.T <= a.B && a.T < b.B;
}
}  // namespace

IGraphics::IGraphics(IUnitBase* plug, int width, int height, int fps)
  : mPlug(plug), mWidth(width), mHeight(height), mFPS(fps > 0 ? fps : kDefaultFPS)
{
}

IGraphics::~IGraphics()
{
  mLiveEditor.reset();
  mKeyCatcher.reset();
  mControls.Empty(true);
  mDrawBitmap.reset();
  mTmpBitmap.reset();
}

void IGraphics::PrepDraw()
{
  mDrawBitmap = std::make_unique<RAST_SysBitmap>(mWidth, mHeight);
  mTmpBitmap = std::make_unique<RAST_MemBitmap>(0, 0, 4);
}

RAST_IBitmap* IGraphics::GetDrawBitmap() const
{
  return mDrawBitmap.get();
}

void IGraphics::Resize(int w, int h)
{
  mWidth = w;
  mHeight = h;
  mDrawBitmap.reset();
  mTmpBitmap.reset();
  PrepDraw();
  if (mPlug) mPlug->ResizeGraphics(w, h);
}

void IGraphics::SetLiveEditForTest(bool on)
{
  if (on && !mLiveEditor) mLiveEditor = std::make_unique<ILiveEdit>(this);
  mLiveEdit = on;
}

bool IGraphics::LiveEditing() const
{
  return mLiveEdit && mLiveEditor && mLiveEditor->Editing();
}

bool IGraphics::WindowIsOpen()
{
  return GetWindow() != nullptr;
}

const char* IGraphics::GetGUIAPI()
{
  return "";
}

// ---- control list ----

void IGraphics::RewriteIndexes()
{
  const int n = mControls.GetSize();
  for (int i = 0; i < n; ++i) mControls.Get(i)->SetIdx(i);
  // A list changed is a change: a resting surface asks its controls again.
  IControlChanges::Count();
}

int IGraphics::MovableLimit() const
{
  const int handles = mPlug && mPlug->GetGUIResize() ? 3 : 0;
  return mControls.GetSize() - handles;
}

int IGraphics::AttachControl(IControl* control)
{
  if (!control || !mControls.Add(control)) return -1;
  // Added at the end: no other control's index changes.
  control->SetIdx(mControls.GetSize() - 1);
  IControlChanges::Count();
  return control->GetIdx();
}

void IGraphics::AttachPanelBackground(const IColor* color)
{
  IControl* panel = new IPanelControl(mPlug, IRECT(0, 0, mWidth, mHeight), color ? *color : IColor());
  if (!mControls.Insert(panel, 0))
  {
    delete panel;
    return;
  }
  RewriteIndexes();
}

void IGraphics::AttachKeyCatcher(IControl* control)
{
  mKeyCatcher.reset(control);
}

void IGraphics::AttachGUIResize(IGUIResizeLink* resizer)
{
  // The manager attaches its edge handles first, so the list ends with the
  // height handle, the width handle and the manager.
  if (auto* manager = dynamic_cast<IUnitGUIResize*>(resizer))
    AttachControl(manager->AttachGUIResize());
  else if (IControl* control = dynamic_cast<IControl*>(resizer))
    AttachControl(control);
}

void IGraphics::MoveControl(int from, int to)
{
  const int limit = MovableLimit();
  if (from <= 0 || to < 1 || from >= limit || to >= limit) return;
  IControl* control = mControls.Get(from);
  mControls.Delete(from);
  mControls.Insert(control, to);
  RewriteIndexes();
}

void IGraphics::SwapControls(int a, int b)
{
  const int limit = MovableLimit();
  if (a <= 0 || b <= 0 || a >= limit || b >= limit) return;
  IControl** list = mControls.GetList();
  IControl* t = list[a];
  list[a] = list[b];
  list[b] = t;
  RewriteIndexes();
}

void IGraphics::ReplaceControl(int index, IControl* control)
{
  if (!control || index <= 0 || index >= MovableLimit()) return;
  mControls.GetList()[index] = control;
  control->SetIdx(index);
  IControlChanges::Count();
}

void IGraphics::RemoveControl(int index)
{
  if (!mControls.Delete(index)) return;
  if (mMouseCapture >= mControls.GetSize()) mMouseCapture = -1;
  if (mMouseOver >= mControls.GetSize()) mMouseOver = -1;
  RewriteIndexes();
}

int IGraphics::GetControlIdx(IControl* control) const
{
  return mControls.Find(control);
}

void IGraphics::StoreLiveLayout(ILiveLayoutState* state)
{
  if (!state) return;
  const int n = mControls.GetSize();
  for (int i = 0; i < n; ++i)
  {
    IControl* c = mControls.Get(i);
    const IRECT d = c->GetRECT();
    const IRECT t = c->GetTargetRECT();
    state->mDrawRects.Add(ILiveLayoutState::Rect{d.L, d.T, d.R, d.B});
    state->mTargetRects.Add(ILiveLayoutState::Rect{t.L, t.T, t.R, t.B});
    state->mHidden.Add(c->IsHidden());
    state->mControls.Add(c);
  }
}

// ---- by parameter index ----

void IGraphics::HideControl(int paramIdx, bool hide)
{
  const int n = mControls.GetSize();
  for (int i = 0; i < n; ++i)
    if (mControls.Get(i)->ParamIdx() == paramIdx) mControls.Get(i)->Hide(hide);
}

void IGraphics::GrayOutControl(int paramIdx, bool grey)
{
  const int n = mControls.GetSize();
  for (int i = 0; i < n; ++i)
    if (mControls.Get(i)->ParamIdx() == paramIdx) mControls.Get(i)->GrayOut(grey);
}

void IGraphics::MoveControlByParam(int paramIdx, int x, int y)
{
  const int n = mControls.GetSize();
  for (int i = 0; i < n; ++i)
    if (mControls.Get(i)->ParamIdx() == paramIdx) mControls.Get(i)->SetPosition(x, y);
}

void IGraphics::SetControlValueByParam(int paramIdx, double normalized)
{
  const int n = mControls.GetSize();
  for (int i = 0; i < n; ++i)
    if (mControls.Get(i)->ParamIdx() == paramIdx) mControls.Get(i)->SetValueFromUserInput(normalized);
}

void IGraphics::ClampControl(int paramIdx, double lo, double hi, bool normalized)
{
  if (!normalized)
  {
    IParam* param = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
    if (!param) return;
    lo = param->GetNormalized(lo);
    hi = param->GetNormalized(hi);
  }
  const int n = mControls.GetSize();
  for (int i = 0; i < n; ++i)
    if (mControls.Get(i)->ParamIdx() == paramIdx) mControls.Get(i)->SetClamp(lo, hi);
}

void IGraphics::SetParameterFromPlug(int paramIdx, double value, bool normalized)
{
  if (!normalized)
  {
    IParam* param = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
    if (!param) return;
    value = param->GetNormalized(value);
  }
  const int n = mControls.GetSize();
  for (int i = 0; i < n; ++i)
  {
    IControl* c = mControls.Get(i);
    if (c->ParamIdx() == paramIdx) c->SetValueFromPlug(value);
    if (c->NAuxParams() > 0)
    {
      const int aux = c->AuxParamIdx(paramIdx);
      if (aux >= 0) c->SetAuxParamValueFromPlug(aux, value);
    }
  }
}

void IGraphics::SetParametersFromPlug(const std::vector<double>& values)
{
  // A parameter the plug-in does not have is passed by, as
  // SetParameterFromPlug passes it by.
  std::vector<double> normalized(values.size(), std::numeric_limits<double>::quiet_NaN());
  for (size_t i = 0; i < values.size(); ++i)
    if (IParam* param = mPlug ? mPlug->GetParam(static_cast<int>(i)) : nullptr)
      normalized[i] = param->GetNormalized(values[i]);
  const auto valueOf = [&normalized](int paramIdx, double* value) {
    if (paramIdx < 0 || static_cast<size_t>(paramIdx) >= normalized.size()) return false;
    *value = normalized[static_cast<size_t>(paramIdx)];
    return !std::isnan(*value);
  };
  const int n = mControls.GetSize();
  for (int i = 0; i < n; ++i)
  {
    IControl* c = mControls.Get(i);
    double value = 0;
    if (valueOf(c->ParamIdx(), &value)) c->SetValueFromPlug(value);
    // An aux binding of a parameter bound twice is shown in its first slot,
    // as SetParameterFromPlug shows it.
    for (int aux = 0; aux < c->NAuxParams(); ++aux)
    {
      const int paramIdx = c->GetAuxParam(aux)->mParamIdx;
      if (valueOf(paramIdx, &value) && c->AuxParamIdx(paramIdx) == aux) c->SetAuxParamValueFromPlug(aux, value);
    }
  }
}

bool IGraphics::IsControlHidden(int paramIdx)
{
  bool hidden = false;
  const int n = mControls.GetSize();
  for (int i = 0; i < n; ++i)
    if (mControls.Get(i)->ParamIdx() == paramIdx) hidden = mControls.Get(i)->IsHidden();
  return hidden;
}

// ---- by list index ----

void IGraphics::HideControlByIdx(int index, bool hide)
{
  if (IControl* c = mControls.Get(index)) c->Hide(hide);
}

void IGraphics::GrayOutControlByIdx(int index, bool grey)
{
  if (IControl* c = mControls.Get(index)) c->GrayOut(grey);
}

void IGraphics::MoveControlByIdx(int index, int x, int y)
{
  if (IControl* c = mControls.Get(index)) c->SetPosition(x, y);
}

void IGraphics::SetControlFromPlug(int index, double normalized)
{
  if (IControl* c = mControls.Get(index)) c->SetValueFromPlug(normalized);
}

// ---- whole list ----

void IGraphics::SetAllControlsDirty()
{
  const int n = mControls.GetSize();
  for (int i = 0; i < n; ++i) mControls.Get(i)->SetDirty(false);
}

void IGraphics::SetStrictDrawing(bool strict)
{
  mStrict = strict;
  SetAllControlsDirty();
}

void IGraphics::SetTooltipsFromParamNames()
{
  if (!mPlug) return;
  const int n = mControls.GetSize();
  for (int i = 0; i < n; ++i)
  {
    IControl* c = mControls.Get(i);
    IParam* param = c->ParamIdx() >= 0 ? mPlug->GetParam(c->ParamIdx()) : nullptr;
    if (param) c->SetTooltip(param->GetNameForHost());
  }
}

void IGraphics::OnGUIIdle()
{
  const int n = mControls.GetSize();
  for (int i = 0; i < n; ++i) mControls.Get(i)->OnGUIIdle();
}

// ---- frame cycle ----

bool IGraphics::IsDirty(IRECT* out)
{
  bool dirty = false;
  const int n = mControls.GetSize();
  IControl* const* list = mControls.GetList();
  const bool animations = IUnitAnimation::AnyRunning();
  // Armed from the frame that may start the rest, before the count is read.
  const bool armed = mRestingWake && mQuietTicks + 1 >= kTicksBeforeRest;
  if (armed) IControlChanges::Arm(mRestingWake);
  const unsigned changes = IControlChanges::Now();
  if (Resting() && !animations && mCleanAtValid && changes == mCleanAt && !ResizeNoticeDue())
  {
    RestQuietly();
    return false;
  }
  for (int i = 0; i < n; ++i)
  {
    IControl* c = list[i];
    if (animations && c->GetAnimation()->IsAnimating()) c->SetDirty(true);
    if (!c->IsDirty()) continue;
    dirty = true;
    // The place a moved or hidden control left needs repainting as well.
    const IRECT area = c->GetRECT().Union(c->GetStaleRECT());
    if (out->IsZero())
      *out = area;
    else
      *out = out->Union(area);
  }
  mCleanAtValid = !dirty;
  mCleanAt = changes;
  if (dirty)
  {
    // Awake, the timer runs at full rate: changes need not wake it. (The
    // wake is the process's: another surface resting meanwhile arms it
    // again on its next frame.)
    if (armed) IControlChanges::Arm(nullptr);
    mIdleTicks = 0;
    mQuietTicks = 0;
    return true;
  }
  RestQuietly();
  return false;
}

void IGraphics::RestQuietly()
{
  const bool resting = Resting();
  if (mQuietTicks < kTicksBeforeRest) ++mQuietTicks;
  if (Resting() && mPlug && mPlug->IdleIsTimed()) mQuietTicks = 0;
  // At rest each frame is as far from the next as several at full rate.
  if (!resting && mIdleTicks == 0)
  {
    mIdleTicks = 1;
    return;
  }
  mIdleTicks = 0;
  if (mPlug) mPlug->OnIdle();
}

bool IGraphics::ResizeNoticeDue()
{
  // The window-size manager repaints for a scale another editor of the
  // process applied, which no change of a control of this one tells.
  auto* manager = mPlug ? dynamic_cast<IUnitGUIResize*>(mPlug->GetGUIResize()) : nullptr;
  return manager && manager->IsDirty();
}

bool IGraphics::Draw(IRECT* invalidated)
{
  if (!invalidated) return false;
  IRECT window(0, 0, mWidth, mHeight);
  // While the corner handle is dragged the artwork is not resampled yet:
  // the window shows only the manager's plain fill until the release.
  auto* manager = mPlug ? dynamic_cast<IUnitGUIResize*>(mPlug->GetGUIResize()) : nullptr;
  if (manager && manager->IsDragging())
  {
    manager->DrawBackgroundFill(this, &window);
    return DrawScreen(&window);
  }
  const int n = mControls.GetSize();
  if (n == 0) return true;
  const IRECT area = *invalidated;

  if (mStrict)
  {
    mDrawRECT = area;
    for (int i = 0; i < n; ++i)
    {
      IControl* c = mControls.Get(i);
      // Drawing and cleaning under the control's lock: a change made by
      // another thread lands either before (and is painted) or after (and
      // leaves the control dirty for the next frame).
      BASE_MutexLock lock(c->ChangeLock());
      const IRECT rect = c->GetRECT();
      if (!c->IsHidden() && !area.Empty() && !rect.Empty() && Meets(area, rect)) c->Draw(this);
      // Only a control whose whole on-screen area was repainted is clean;
      // one that became dirty outside this area keeps its flag.
      if (area.ContainsRect(rect.Intersect(window)) &&
          area.ContainsRect(c->GetStaleRECT().Intersect(window)))
        c->SetClean();
    }
  }
  else
  {
    IControl* background = mControls.Get(0);
    if (background->IsDirty())
    {
      mDrawRECT = background->GetRECT();
      for (int i = 0; i < n; ++i)
      {
        IControl* c = mControls.Get(i);
        if (i > 0 && c->IsHidden()) continue;
        BASE_MutexLock lock(c->ChangeLock());
        c->Draw(this);
        c->SetClean();
      }
    }
    else
    {
      for (int j = 1; j < n; ++j)
      {
        IControl* dirty = mControls.Get(j);
        if (!dirty->IsDirty()) continue;
        mDrawRECT = dirty->GetRECT();
        for (int i = 0; i < n; ++i)
        {
          IControl* c = mControls.Get(i);
          if (c->IsHidden()) continue;
          BASE_MutexLock lock(c->ChangeLock());
          const IRECT rect = c->GetRECT();
          if (i == j || (!rect.Empty() && !mDrawRECT.Empty() && Meets(rect, mDrawRECT))) c->Draw(this);
        }
        dirty->SetClean();
      }
    }
  }
  if (mLiveEdit && mLiveEditor) mLiveEditor->Run();
  return DrawScreen(invalidated);
}
