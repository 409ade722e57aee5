#include "graphics/controls/ITextControl.h"

#include "core/IParam.h"
#include "core/IUnitBase.h"
#include "graphics/IGraphics.h"

#include <cstring>

namespace
{
// A secure field never shows more stars than this, however long its text.
constexpr int kMaxStars = 99;

const IText& StyleOrDefault(const IText* style)
{
  static const IText kDefault;
  return style ? *style : kDefault;
}

// The style at ratio times its constructed size, with its font to be
// picked anew; face, colours, weight, alignment and orientation stay.
void ResizeStyle(IText* style, const IText& base, double ratio)
{
  IText sized = *style;
  sized.mSize = static_cast<int>(base.mSize * ratio);
  sized.mCached = nullptr;
  *style = sized;
}

// "text" or "text label" of the parameter's current plain value.
void ParamText(IParam* param, bool withLabel, BASE_String* out)
{
  char display[IParam::kTextSize];
  param->GetDisplayForHost(false, display, sizeof(display), true, param->Value());
  out->Set(display);
  if (!withLabel) return;
  out->Append(" ");
  out->Append(param->GetLabelForHost(), IParam::kTextSize);
}
}  // namespace

// ---- ITextControl ----

ITextControl::ITextControl(IUnitBase* plug, IRECT rect, const IText* style, const char* text)
  : ITextControl(plug, rect, -1, style, text)
{
  IControl::AfterGUIResize(1.0);
}

ITextControl::ITextControl(IUnitBase* plug, IRECT rect, int paramIdx, const IText* style, const char* text)
  : IControl(plug, rect, paramIdx, IChannelBlend(0, 1.0f)), mBaseText(StyleOrDefault(style))
{
  mText = mBaseText;
  mStr.Set(text ? text : "");
  // A text shows a value that can be typed: a right click on a bound one
  // asks for it (spinners, second texts, captions and fields alike).
  SetPromptDisabled(false);
}

bool ITextControl::DrawString(IGraphics* graphics, const char* text)
{
  if (!text || !*text) return true;
  graphics->DrawIText(&mText, text, &mRECT);
  return true;
}

bool ITextControl::Draw(IGraphics* graphics)
{
  return DrawString(graphics, mStr.Get());
}

void ITextControl::AfterGUIResize(double ratio)
{
  BASE_MutexLock lock(mChangeLock);
  ResizeStyle(&mText, mBaseText, ratio);
}

void ITextControl::SetTextFromPlug(const char* text)
{
  BASE_MutexLock lock(mChangeLock);
  if (!text) text = "";
  if (strcmp(mStr.Get(), text) == 0) return;
  SetDirty(false);
  mStr.Set(text);
}

void ITextControl::SetTextColor(IColor color)
{
  BASE_MutexLock lock(mChangeLock);
  mText.mColor = color;
}

void ITextControl::GetText(BASE_String* out)
{
  BASE_MutexLock lock(mChangeLock);
  if (out) out->Set(mStr.Get());
}

void ITextControl::SetText(const char* text)
{
  BASE_MutexLock lock(mChangeLock);
  mStr.Set(text ? text : "");
}

// ---- ITextControl2 ----

ITextControl2::ITextControl2(IUnitBase* plug, IRECT rect, int paramIdx, const IText* style, const char* text,
                             const IText* style2, const char* text2)
  : ITextControl(plug, rect, paramIdx, style, text),
    mStr2(text2 ? text2 : ""),
    mText2(StyleOrDefault(style2 ? style2 : style)),
    mBaseText2(mText2)
{
}

bool ITextControl2::Draw(IGraphics* graphics)
{
  ITextControl::Draw(graphics);
  if (mStr2.GetLength() > 0) graphics->DrawIText(&mText2, mStr2.Get(), &mRECT);
  return true;
}

void ITextControl2::AfterGUIResize(double ratio)
{
  ITextControl::AfterGUIResize(ratio);
  BASE_MutexLock lock(mChangeLock);
  ResizeStyle(&mText2, mBaseText2, ratio);
}

void ITextControl2::SetText2FromPlug(const char* text)
{
  BASE_MutexLock lock(mChangeLock);
  if (!text) text = "";
  if (strcmp(mStr2.Get(), text) == 0) return;
  SetDirty(false);
  mStr2.Set(text);
}

// ---- IEditableTextControl ----

IEditableTextControl::IEditableTextControl(IUnitBase* plug, IRECT rect, int paramIdx, const IText* style,
                                           const char* text, bool flag, bool secure)
  : ITextControl(plug, rect, paramIdx, style, text), mTextEntryRECT(rect), mFlag(flag), mSecure(secure)
{
  SetDblAsSingleClick(true);
  // The password flag hides the typing; the orientation stays 0, as it is
  // also the angle the font is drawn at.
  mText.mPassword = mBaseText.mPassword = secure ? 1 : 0;
}

void IEditableTextControl::OnMouseDown(int, int, IMouseMod*)
{
  if (mParamIdx < 0 || mDisablePrompt || !mPlug || !mPlug->GetParam(mParamIdx)) return;
  PromptUserInputInRect(&mTextEntryRECT);
}

bool IEditableTextControl::Draw(IGraphics* graphics)
{
  if (mBackground.A != 0) graphics->FillIRect(&mBackground, &mRECT, nullptr);
  if (!mSecure) return ITextControl::Draw(graphics);
  const int n = mStr.GetLength() < kMaxStars ? mStr.GetLength() : kMaxStars;
  char stars[kMaxStars + 1];
  memset(stars, '*', n);
  stars[n] = '\0';
  return DrawString(graphics, stars);
}

// ---- ICaptionControl ----

ICaptionControl::ICaptionControl(IUnitBase* plug, IRECT rect, int paramIdx, const IText* style, bool showLabel)
  : ITextControl(plug, rect, paramIdx, style, ""), mShowLabel(showLabel)
{
}

void ICaptionControl::OnMouseDown(int, int, IMouseMod* mod)
{
  if (!mod || (!mod->L && !mod->R)) return;
  PromptUserInput();
  SetDirty(true);
}

void ICaptionControl::OnMouseDblClick(int, int, IMouseMod*)
{
  PromptUserInput();
}

bool ICaptionControl::Draw(IGraphics* graphics)
{
  IParam* param = mPlug ? mPlug->GetParam(mParamIdx) : nullptr;
  if (param) ParamText(param, mShowLabel, &mStr);
  return ITextControl::Draw(graphics);
}

// ---- ISpinnerControl ----

ISpinnerControl::ISpinnerControl(IUnitBase* plug, IRECT rect, int paramIdx, const IText* style, IParam* ownParam,
                                 bool showValue, bool showLabel, int direction, double gearing)
  : ITextControl(plug, rect, paramIdx, style, ""),
    mDirection(direction),
    mGearing(gearing),
    mShowValue(showValue),
    mShowLabel(showLabel),
    mOwnParam(ownParam)
{
}

ISpinnerControl::~ISpinnerControl()
{
  delete mOwnParam;
}

IParam* ISpinnerControl::ShownParam()
{
  IParam* bound = mPlug && mParamIdx >= 0 ? mPlug->GetParam(mParamIdx) : nullptr;
  return bound ? bound : mOwnParam;
}

void ISpinnerControl::OnMouseDrag(int, int, int dX, int dY, IMouseMod*)
{
  {
    BASE_MutexLock lock(mChangeLock);
    const int size = mDirection == 0 ? mRECT.T - mRECT.B : mRECT.R - mRECT.L;
    if (size == 0 || mGearing == 0.0) return;
    mValue += (mDirection == 0 ? dY : dX) / static_cast<double>(size) / mGearing;
  }
  SetDirty(true);
}

void ISpinnerControl::OnMouseWheel(int, int, IMouseMod* mod, int d)
{
  IParam* param = ShownParam();
  double step = mod && (mod->S || mod->C) ? 0.001 : 0.01;
  // The value is normalised, so one plain step is step / (max - min) of it:
  // a notch moves one entry of a long list, not to its end.
  if (param && param->GetStep() != 0.0 && param->GetMax() > param->GetMin())
    step = param->GetStep() / (param->GetMax() - param->GetMin());
  else if (!param)
    step = 0.01;
  {
    BASE_MutexLock lock(mChangeLock);
    mValue += step * d;
    mValue = mValue < 0.0 ? 0.0 : (mValue > 1.0 ? 1.0 : mValue);
  }
  SetDirty(true);
}

bool ISpinnerControl::Draw(IGraphics* graphics)
{
  if (mOwnParam) mOwnParam->Set(mValue);
  if (mShowValue)
  {
    if (IParam* param = ShownParam()) ParamText(param, mShowLabel, &mStr);
  }
  return ITextControl::Draw(graphics);
}
