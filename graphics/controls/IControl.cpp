#include "graphics/controls/IControl.h"

#include "core/IParam.h"
#include "core/IUnitBase.h"
#include "graphics/IGraphics.h"
#include "graphics/controls/IControlChanges.h"
#include "graphics/controls/ITextControl.h"

IControl::IControl(IUnitBase* plug, IRECT rect, int paramIdx, IChannelBlend blend)
  : mPlug(plug), mRECT(rect), mTargetRECT(rect), mParamIdx(paramIdx), mBlend(blend)
{
  // A new control is dirty.
  IControlChanges::Count();
}

IControl::~IControl() = default;

// ---- input defaults ----

void IControl::OnMouseDown(int, int, IMouseMod* mod)
{
  if (mod && mod->R) PromptUserInput();
}

void IControl::OnMouseUp(int, int, IMouseMod*) {}
void IControl::OnMouseDrag(int, int, int, int, IMouseMod*) {}

void IControl::OnMouseDblClick(int, int, IMouseMod*)
{
  {
    BASE_MutexLock lock(mChangeLock);
    if (mDefaultValue < 0.0) return;
    mValue = mDefaultValue;
  }
  SetDirty(true);
}

void IControl::OnMouseWheel(int, int, IMouseMod*, int) {}
bool IControl::OnKeyDown(int, int, int) { return false; }
void IControl::OnMouseOver(int, int, IMouseMod*) {}
void IControl::OnMouseOut() {}
void IControl::AfterGUIResize(double) {}
void IControl::TextFromTextEntry(const char*) {}
void IControl::OnGUIIdle() {}
void IControl::OnMouseCaptureLost() {}

// ---- values ----

void IControl::SetValueFromPlug(double value)
{
  BASE_MutexLock lock(mChangeLock);
  if (mDefaultValue < 0.0)
  {
    // The first value is shown too when it differs from the one built
    // with (an overlay opened by a command): nothing else repaints it.
    const bool changed = mValue != value;
    mValue = mDefaultValue = value;
    if (changed) SetDirty(false);
    return;
  }
  if (mValue == value) return;
  mValue = value;
  SetDirty(false);
  mRedraw = true;
}

void IControl::SetValueFromUserInput(double value)
{
  {
    BASE_MutexLock lock(mChangeLock);
    if (mValue == value) return;
    mValue = value;
    mRedraw = true;
  }
  SetDirty(true);
}

void IControl::SetDirty(bool pushToPlug)
{
  double value;
  {
    BASE_MutexLock lock(mChangeLock);
    // A NaN value fails every comparison; it takes the high clamp, as
    // min(high, value) gives, so that no NaN reaches drawing or the plug-in.
    if (mClampLo > mValue)
      mValue = mClampLo;
    else if (!(mValue <= mClampHi))
      mValue = mClampHi;
    value = mValue;
    mDirty = true;
  }
  IControlChanges::Count();
  if (!pushToPlug || !mPlug || mParamIdx < 0) return;
  mPlug->SetParameterFromGUI(mParamIdx, value);
  UpdateDisplayControls();
}

void IControl::UpdateDisplayControls()
{
  IParam* param = mPlug->GetParam(mParamIdx);
  if (!param) return;
  if (auto* display = dynamic_cast<ITextControl*>(mValDisplayControl))
  {
    // "text label": the space stays even when the label is empty.
    // At most 32 characters of each.
    char text[IParam::kTextSize + 1];
    param->GetDisplayForHost(false, text, sizeof(text), true, param->Value());
    BASE_String shown(text);
    shown.Append(" ");
    shown.Append(param->GetLabelForHost(), IParam::kTextSize);
    display->SetTextFromPlug(shown.Get());
  }
  if (auto* name = dynamic_cast<ITextControl*>(mNameDisplayControl)) name->SetTextFromPlug(param->GetNameForHost());
}

void IControl::SetClean()
{
  BASE_MutexLock lock(mChangeLock);
  mDirty = mRedraw.exchange(false);
  mStaleRECT = IRECT();
}

bool IControl::IsDirty()
{
  return mDirty.load(std::memory_order_acquire);
}

void IControl::SetAuxParamValueFromPlug(int auxIndex, double value)
{
  BASE_MutexLock lock(mChangeLock);
  AuxParam* aux = GetAuxParam(auxIndex);
  if (!aux || aux->mValue == value) return;
  aux->mValue = value;
  SetDirty(false);
  mRedraw = true;
}

// ---- visibility and place ----

// Hiding, greying or moving a control to the state it is in changes no
// pixel: it is not repainted for it (the panels re-apply whole layouts on
// every program load and view change).
void IControl::Hide(bool hide)
{
  BASE_MutexLock lock(mChangeLock);
  if (mHide.load(std::memory_order_relaxed) == hide) return;
  mHide = hide;
  mRedraw = true;
  SetDirty(false);
}

void IControl::GrayOut(bool grey)
{
  BASE_MutexLock lock(mChangeLock);
  if (mGrayed.load(std::memory_order_relaxed) == grey) return;
  mGrayed = grey;
  mBlend.mWeight = grey ? 0.25f : 1.0f;
  SetDirty(false);
}

void IControl::SetPosition(int x, int y)
{
  BASE_MutexLock lock(mChangeLock);
  if (x == mRECT.L && y == mRECT.T && mTargetRECT == mRECT) return;
  // What the control covered must be repainted as well, or its old image
  // would stay on the screen.
  MarkStale(mRECT);
  mRECT = IRECT(x, y, x + mRECT.W(), y + mRECT.H());
  mTargetRECT = mRECT;
  SetDirty(false);
}

bool IControl::IsHit(int x, int y)
{
  BASE_MutexLock lock(mChangeLock);
  return mTargetRECT.Contains(x, y);
}

// ---- prompts ----

void IControl::PromptUserInput()
{
  if (mParamIdx < 0 || mDisablePrompt || !mPlug) return;
  IParam* param = mPlug->GetParam(mParamIdx);
  if (!param) return;
  IRECT rect = GetRECT();
  if (param->GetNDisplayTexts() == 0)
  {
    // A number needs only a small field, centred on the control.
    const int cx = static_cast<int>((rect.L + rect.R) * 0.5);
    const int cy = static_cast<int>((rect.T + rect.B) * 0.5);
    rect = IRECT(cx - 20, cy - 8, cx + 20, cy + 8);
  }
  PromptUserInputInRect(&rect);
}

void IControl::PromptUserInputInRect(IRECT* rect)
{
  if (mParamIdx < 0 || mDisablePrompt || !mPlug || !rect) return;
  IGraphics* graphics = dynamic_cast<IGraphics*>(mPlug->GetGUI());
  IParam* param = mPlug->GetParam(mParamIdx);
  if (!graphics || !param) return;
  graphics->PromptUserInput(this, param, rect);
  mRedraw = true;
}

// ---- aux parameters ----

void IControl::AddAuxParam(int paramIdx)
{
  BASE_MutexLock lock(mChangeLock);
  mAuxParams.Add(AuxParam{0.0, paramIdx});
}

IControl::AuxParam* IControl::GetAuxParam(int index)
{
  return index >= 0 && index < mAuxParams.GetSize() ? mAuxParams.Get() + index : nullptr;
}

int IControl::AuxParamIdx(int paramIdx)
{
  BASE_MutexLock lock(mChangeLock);
  const int n = mAuxParams.GetSize();
  for (int i = 0; i < n; ++i)
    if (mAuxParams.Get()[i].mParamIdx == paramIdx) return i;
  return -1;
}

void IControl::SetAllAuxParamsFromGUI()
{
  if (!mPlug) return;
  const int n = mAuxParams.GetSize();
  for (int i = 0; i < n; ++i)
  {
    AuxParam aux;
    {
      BASE_MutexLock lock(mChangeLock);
      aux = mAuxParams.Get()[i];
    }
    mPlug->SetParameterFromGUI(aux.mParamIdx, aux.mValue);
  }
}

// ---- accessors ----

IRECT IControl::GetRECT()
{
  BASE_MutexLock lock(mChangeLock);
  return mRECT;
}

IRECT IControl::GetTargetRECT()
{
  BASE_MutexLock lock(mChangeLock);
  return mTargetRECT;
}

void IControl::SetTargetRECT(IRECT rect)
{
  BASE_MutexLock lock(mChangeLock);
  mTargetRECT = rect;
}

void IControl::SetDrawRECT(IRECT rect)
{
  BASE_MutexLock lock(mChangeLock);
  if (rect != mRECT) MarkStale(mRECT);
  mRECT = rect;
}

void IControl::SetBounds(IRECT draw, IRECT target)
{
  BASE_MutexLock lock(mChangeLock);
  if (draw != mRECT) MarkStale(mRECT);
  mRECT = draw;
  mTargetRECT = target;
}

IRECT IControl::GetStaleRECT()
{
  BASE_MutexLock lock(mChangeLock);
  return mStaleRECT;
}

double IControl::GetValue()
{
  BASE_MutexLock lock(mChangeLock);
  return mValue;
}

double IControl::GetDefaultValue()
{
  BASE_MutexLock lock(mChangeLock);
  return mDefaultValue;
}

void IControl::SetClamp(double lo, double hi)
{
  BASE_MutexLock lock(mChangeLock);
  mClampLo = lo;
  mClampHi = hi;
}

IChannelBlend IControl::GetBlend()
{
  BASE_MutexLock lock(mChangeLock);
  return mBlend;
}

void IControl::SetTooltip(const char* text)
{
  BASE_MutexLock lock(mChangeLock);
  mTooltip.Set(text);
}

void IControl::CopyTooltip(BASE_String* out)
{
  BASE_MutexLock lock(mChangeLock);
  out->Set(mTooltip.Get());
}
