// IGraphics: mouse and keyboard routing, the capture, the user prompts for
// parameter values and the text-entry bookkeeping. GUI thread only.
#include "graphics/IGraphics.h"

#include "core/IParam.h"
#include "core/IUnitBase.h"
#include "core/PlainNumber.h"
#include "graphics/IPopupMenu.h"
#include "graphics/controls/IControl.h"
#include "graphics/resize/ILiveEdit.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <system_error>

namespace
{
// The leading decimal number of text ([+-]digits[.digits]); 0 when there is
// none. Exponents, hex and "inf"/"nan" are not numbers a user types here.
// Read with a point whatever the locale, as the entry opened with it, and
// rounded as a double is: the text an entry opens with reads back as the
// value it was written from.
double LeadingNumber(const char* text)
{
  if (!text) return 0.0;
  while (*text == ' ' || *text == '\t') ++text;
  const char* sign = text;
  if (*text == '+' || *text == '-') ++text;
  const char* end = text;
  while (*end >= '0' && *end <= '9') ++end;
  const bool whole = end > text;
  if (*end == '.' && (whole || (end[1] >= '0' && end[1] <= '9')))
    for (++end; *end >= '0' && *end <= '9'; ++end) {}
  else if (!whole)
    return 0.0;
  double value = 0.0;
  if (std::from_chars(text, end, value, std::chars_format::fixed).ec != std::errc() || !std::isfinite(value))
    return 0.0;
  return *sign == '-' ? -value : value;
}

bool HasDisplayTexts(const IParam* param)
{
  return param->GetNDisplayTexts() > 0;
}
}  // namespace

// ---- hit search ----

int IGraphics::HitSearch(int x, int y, bool mouseOver)
{
  for (int i = mControls.GetSize() - 1; i >= 0; --i)
  {
    IControl* c = mControls.Get(i);
    if (c->IsHidden()) continue;
    if (c->IsGrayed() && !(mouseOver && c->GetMOWhenGrayed())) continue;
    if (c->IsHit(x, y)) return i;
  }
  return -1;
}

int IGraphics::GetControlIdxAt(int x, int y, bool mouseOver)
{
  if (mMouseCapture >= 0) return mMouseCapture;
  return HitSearch(x, y, mouseOver);
}

void IGraphics::ReleaseMouseCapture()
{
  IControl* holder = mControls.Get(mMouseCapture);
  mMouseCapture = mMouseX = mMouseY = -1;
  if (holder) holder->OnMouseCaptureLost();
}

int IGraphics::GetLiveEditControlIdx(int x, int y)
{
  if (mLiveEditPinned >= 0) return mLiveEditPinned;
  const int last = (mPlug && mPlug->GetGUIResize() ? mControls.GetSize() - 4
                                                   : mControls.GetSize() - 1);
  for (int i = last; i >= 0; --i)
  {
    IControl* c = mControls.Get(i);
    const IRECT d = c->GetRECT();
    const IRECT t = c->GetTargetRECT();
    bool hit = false;
    switch (mLiveEditHitMode)
    {
      case 0: hit = d.Contains(x, y) && d == t; break;
      case 1: hit = d.Contains(x, y); break;
      case 2: hit = t.Contains(x, y); break;
      default: return -1;
    }
    if (hit) return i;
  }
  return -1;
}

int IGraphics::GetParamIdxForPos(int x, int y)
{
  const int index = GetControlIdxAt(x, y);
  mLastClickedParam = index > 0 ? mControls.Get(index)->ParamIdx() : -1;
  return mLastClickedParam;
}

int IGraphics::TakeLastClickedParam()
{
  const int param = mLastClickedParam;
  mLastClickedParam = -1;
  return param;
}

// ---- mouse ----

void IGraphics::OnMouseDown(int x, int y, IMouseMod* mod)
{
  // A click anywhere in the surface ends an open text entry, keeping what
  // was typed, as leaving the field does.
  if (IsTextEntryOpen()) CommitUserEdit();
  const int pinned = GetLiveEditControlIdx(x, y);
  if (pinned >= 0) mLiveEditPinned = pinned;
  if (mod) mLiveEditMod = *mod;
  if (mLiveEdit && mLiveEditor) mLiveEditor->OnMouseDown(x, y, mod);
  ReleaseMouseCapture();
  const int index = HitSearch(x, y, false);
  if (index < 0) return;
  mMouseCapture = index;
  mMouseX = x;
  mMouseY = y;
  IControl* c = mControls.Get(index);
  if (c->ParamIdx() >= 0 && mPlug) mPlug->BeginInformHostOfParamChange(c->ParamIdx());
  if (!LiveEditing()) c->OnMouseDown(x, y, mod);
}

void IGraphics::OnMouseUp(int x, int y, IMouseMod* mod)
{
  mLiveEditPinned = -1;
  if (mod)
  {
    mLiveEditMod = *mod;
    mLiveEditMod.C = false;
  }
  if (mLiveEdit && mLiveEditor) mLiveEditor->OnMouseUp(x, y);
  const int index = GetControlIdxAt(x, y);
  // The holder gets the release itself: the capture ends, it is not lost.
  mMouseCapture = mMouseX = mMouseY = -1;
  if (index < 0) return;
  IControl* c = mControls.Get(index);
  if (!LiveEditing()) c->OnMouseUp(x, y, mod);
  if (c->ParamIdx() >= 0 && mPlug) mPlug->EndInformHostOfParamChange(c->ParamIdx());
}

void IGraphics::OnMouseDrag(int x, int y, IMouseMod* mod)
{
  if (mod)
  {
    mLiveEditMod.S = mod->S;
    mLiveEditMod.A = mod->A;
  }
  mLiveEditDragged = true;
  if (mLiveEdit && mLiveEditor) mLiveEditor->OnMouseMove(x, y);
  IControl* c = mControls.Get(mMouseCapture);
  if (!c) return;
  const int dX = x - mMouseX;
  const int dY = y - mMouseY;
  if (dX == 0 && dY == 0) return;
  mMouseX = x;
  mMouseY = y;
  if (!LiveEditing()) c->OnMouseDrag(x, y, dX, dY, mod);
}

bool IGraphics::OnMouseDblClick(int x, int y, IMouseMod* mod)
{
  if (IsTextEntryOpen()) CommitUserEdit();
  ReleaseMouseCapture();
  const int index = HitSearch(x, y, false);
  if (index < 0) return false;
  IControl* c = mControls.Get(index);
  if (!c->GetDblAsSingleClick())
  {
    c->OnMouseDblClick(x, y, mod);
    return false;
  }
  mMouseCapture = index;
  mMouseX = x;
  mMouseY = y;
  c->OnMouseDown(x, y, mod);
  return true;
}

void IGraphics::OnMouseWheel(int x, int y, IMouseMod* mod, int d)
{
  const int index = GetControlIdxAt(x, y);
  if (IControl* c = mControls.Get(index)) c->OnMouseWheel(x, y, mod, d);
}

bool IGraphics::OnMouseOver(int x, int y, IMouseMod* mod)
{
  if (mod) mLiveEditMod.S = mod->S;
  if (mLiveEdit && mLiveEditor) mLiveEditor->OnMouseMove(x, y);
  if (!mHandleMouseOver) return false;
  const int index = GetControlIdxAt(x, y, true);
  IControl* c = mControls.Get(index);
  if (!c) return true;
  mMouseX = x;
  mMouseY = y;
  c->OnMouseOver(x, y, mod);
  if (mMouseOver != index)
    if (IControl* previous = mControls.Get(mMouseOver)) previous->OnMouseOut();
  mMouseOver = index;
  return true;
}

void IGraphics::OnMouseOut()
{
  const int n = mControls.GetSize();
  for (int i = 0; i < n; ++i) mControls.Get(i)->OnMouseOut();
  mMouseOver = -1;
}

bool IGraphics::OnKeyDown(int x, int y, int key)
{
  // While editing, every key may change the overlay.
  if (mLiveEdit && (key == 19 || LiveEditing())) SetAllControlsDirty();
  mLastKey = key;
  if (mMouseCapture >= 0)
  {
    if (mMouseCapture == 0) return mKeyCatcher ? mKeyCatcher->OnKeyDown(x, y, key) : false;
    return mControls.Get(mMouseCapture)->OnKeyDown(x, y, key);
  }
  const int index = HitSearch(x, y, false);
  if (index > 0) return mControls.Get(index)->OnKeyDown(x, y, key);
  return mKeyCatcher ? mKeyCatcher->OnKeyDown(x, y, key) : false;
}

// ---- prompts ----

void IGraphics::PromptUserInput(IControl* control, IParam* param, IRECT* textRect)
{
  if (!control || !param || !textRect) return;
  const int type = param->Type();
  const int nTexts = param->GetNDisplayTexts();
  // A list of words is chosen from a menu; a bool without words is typed.
  const bool listed = (type == IParam::kTypeEnum || type == IParam::kTypeBool) && nTexts > 0;
  if (listed && nTexts != 1)
  {
    char current[IParam::kTextSize];
    param->GetDisplayForHost(false, current, sizeof(current), true, param->Value());
    IPopupMenu menu;
    for (int i = 0; i < nTexts; ++i)
    {
      const char* text = param->GetDisplayTextAtIdx(i);
      menu.AddItemText(text, -1, strcmp(text, current) == 0 ? 4 : 0);
    }
    IPopupMenu* chosen = CreateIPopupMenu(&menu, textRect);
    if (chosen != &menu) return;
    int value = 0;
    const int index = menu.GetChosenItemIdx();
    if (index < 0 || index >= nTexts) return;
    // The item stands for its display text's own value, which need not be
    // its position in the list.
    param->GetDisplayTextAtIdx(index, &value);
    control->SetValueFromUserInput(param->GetNormalized(static_cast<double>(value)));
    return;
  }

  double value = param->Value();
  if (param->GetNegateDisplay()) value = -value;
  // With a point whatever the locale: the entry accepts no comma, and reads
  // the text back with a point.
  const std::string text = param->GetPrecision() == 0 ? std::to_string(TruncateToInt(value))
                                                      : PlainFixed(value, param->GetPrecision());
  OpenTextEntry(control, control->GetText(), textRect, text.c_str(), param);
}

void IGraphics::SetFromStringAfterPrompt(IControl* control, IParam* param, const char* text)
{
  if (!param || !control) return;
  const int type = param->Type();
  double value;
  if ((type == IParam::kTypeBool || type == IParam::kTypeEnum) && HasDisplayTexts(param))
  {
    int mapped = 0;
    if (!param->MapDisplayText(text ? text : "", &mapped)) mapped = 0;
    value = mapped;
  }
  else
  {
    value = LeadingNumber(text);
    if (param->GetNegateDisplay()) value = -value;
  }
  control->SetValueFromUserInput(param->GetNormalized(value));
}

// ---- text entry ----

void IGraphics::OpenTextEntry(IControl* control, IText* style, IRECT* rect, const char* text,
                              IParam* param)
{
  if (!control) return;
  // One entry at a time: the one open now ends as if the user had left it.
  if (IsTextEntryOpen()) CommitUserEdit();
  // A platform that could not close it drops it without applying.
  if (IsTextEntryOpen()) TextEntryCancelled();
  mEdControl = control;
  mEdParam = param;
  mEdRect = rect ? *rect : IRECT();
  mEdControlRect = control->GetRECT();
  CreateTextEntry(control, style, rect, text, param);
}

IRECT IGraphics::TextEntryRect() const
{
  if (!mEdControl) return IRECT();
  const IRECT now = mEdControl->GetRECT();
  const IRECT& then = mEdControlRect;
  // Each edge keeps its place relative to the control's, in proportion to
  // the control's size; a control of no size only moves it.
  const double sx = then.W() > 0 ? static_cast<double>(now.W()) / then.W() : 1.0;
  const double sy = then.H() > 0 ? static_cast<double>(now.H()) / then.H() : 1.0;
  const auto x = [&](int c) { return now.L + static_cast<int>(std::lround((c - then.L) * sx)); };
  const auto y = [&](int c) { return now.T + static_cast<int>(std::lround((c - then.T) * sy)); };
  return IRECT(x(mEdRect.L), y(mEdRect.T), x(mEdRect.R), y(mEdRect.B));
}

void IGraphics::TextEntryEnded(const char* text)
{
  IControl* control = mEdControl;
  IParam* param = mEdParam;
  mEdControl = nullptr;
  mEdParam = nullptr;
  if (!control) return;
  if (param)
    SetFromStringAfterPrompt(control, param, text);
  else
    control->TextFromTextEntry(text ? text : "");
}

void IGraphics::TextEntryCancelled()
{
  mEdControl = nullptr;
  mEdParam = nullptr;
}

void IGraphics::GetMouseOverTooltip(BASE_String* out)
{
  out->Set("");
  if (IControl* c = mControls.Get(mMouseOver)) c->CopyTooltip(out);
}
