// IControl: the base of every element of the editor window. A control has a
// drawing rectangle and a hit (target) rectangle in GUI pixels, a normalised
// value in [0, 1], and optionally the index of the one parameter it is bound
// to. The surface (IGraphics) owns its controls once they are attached.
//
// The 24 virtual operations keep a fixed slot order, and the capture-loss
// notice follows them; subclasses only override. SetDirty(true) is the one
// road from a control to the plug-in base; values from the plug-in enter
// through SetValueFromPlug and never go back.
//
// Threads: the GUI thread draws and routes input; the MIDI input threads and
// the editor's timer thread also hide, move, re-value and re-text controls.
// Every change of a control's state is made under its change lock, and the
// surface draws and cleans a control under the same lock, so a repaint sees
// a change either whole or not at all, and a change made after the draw
// leaves the control dirty for the next frame. Subclasses do the same with
// ChangeLock(). Never call SetDirty(true) while holding a change lock: it
// calls into the plug-in, which takes the plug mutex, and another thread may
// hold that mutex while it waits for this control.
#pragma once

#include "core/BASE_Mutex.h"
#include "core/BASE_String.h"
#include "core/BASE_TypedBuf.h"
#include "graphics/IGraphicsTypes.h"
#include "graphics/controls/IUnitAnimation.h"

#include <atomic>

class IGraphics;
class IUnitBase;

class IControl
{
public:
  struct AuxParam
  {
    double mValue;
    int mParamIdx;
  };

  IControl(IUnitBase* plug, IRECT rect, int paramIdx = -1, IChannelBlend blend = IChannelBlend());
  IControl(const IControl&) = delete;
  IControl& operator=(const IControl&) = delete;

  // ---- virtual slots, in their fixed order ----
  virtual ~IControl();
  // With the right button: PromptUserInput.
  virtual void OnMouseDown(int x, int y, IMouseMod* mod);
  virtual void OnMouseUp(int x, int y, IMouseMod* mod);
  virtual void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod);
  // Restores the default value once one is known, and tells the plug-in.
  virtual void OnMouseDblClick(int x, int y, IMouseMod* mod);
  virtual void OnMouseWheel(int x, int y, IMouseMod* mod, int d);
  // True when the key was taken.
  virtual bool OnKeyDown(int x, int y, int key);
  virtual void OnMouseOver(int x, int y, IMouseMod* mod);
  virtual void OnMouseOut();
  // Paints into the surface's draw bitmap. Called under the change lock.
  virtual bool Draw(IGraphics* graphics) = 0;
  virtual void AfterGUIResize(double ratio);
  // The first value from the plug-in also becomes the double-click default.
  virtual void SetValueFromPlug(double value);
  // As if the user had set the value: pushed to the plug-in when it differs.
  virtual void SetValueFromUserInput(double value);
  virtual void TextFromTextEntry(const char* text);
  virtual void Hide(bool hide);
  // A greyed control is drawn at weight 0.25 and is not hit.
  virtual void GrayOut(bool grey);
  // Moves the top-left corner to (x, y), size kept; the old place is
  // repainted too.
  virtual void SetPosition(int x, int y);
  // L <= x < R and T <= y < B of the target rectangle.
  virtual bool IsHit(int x, int y);
  // Clamps the value and marks the control dirty; with pushToPlug a bound
  // control also hands its value to the plug-in base.
  virtual void SetDirty(bool pushToPlug);
  // dirty = redraw; redraw = false.
  virtual void SetClean();
  virtual bool IsDirty();
  virtual void OnGUIIdle();
  virtual void SetAuxParamValueFromPlug(int auxIndex, double value);
  // The surface took the mouse capture from this control without a release
  // (a press elsewhere before the release, a menu, the view losing the
  // pointer). A control that acts while the button is held ends it here.
  virtual void OnMouseCaptureLost();

  // ---- prompts ----
  // Asks the surface for a new value of the bound parameter (a popup of its
  // display texts, or a text entry); nothing while the prompt is disabled.
  void PromptUserInput();
  void PromptUserInputInRect(IRECT* rect);

  // ---- aux parameters ----
  void AddAuxParam(int paramIdx);
  AuxParam* GetAuxParam(int index);
  int AuxParamIdx(int paramIdx);
  int NAuxParams() const { return mAuxParams.GetSize(); }
  void SetAllAuxParamsFromGUI();

  // ---- accessors (thread-safe where other threads write) ----
  IRECT GetRECT();
  IRECT GetTargetRECT();
  void SetTargetRECT(IRECT rect);
  // The drawing rectangle alone (as the live editor's layout header sets
  // it); the old place is repainted too.
  void SetDrawRECT(IRECT rect);
  // Both rectangles at once (the resize manager's re-layout); the old place
  // is repainted too.
  void SetBounds(IRECT draw, IRECT target);
  // Old rectangles not yet repainted since the last clean (empty: none).
  IRECT GetStaleRECT();
  int ParamIdx() const { return mParamIdx; }
  double GetValue();
  double GetDefaultValue();
  void SetClamp(double lo, double hi);
  bool IsHidden() const { return mHide.load(std::memory_order_acquire); }
  bool IsGrayed() const { return mGrayed.load(std::memory_order_acquire); }
  bool GetMOWhenGrayed() const { return mMOWhenGrayed; }
  void SetMOWhenGrayed(bool on) { mMOWhenGrayed = on; }
  bool GetDblAsSingleClick() const { return mDblAsSingleClick; }
  void SetDblAsSingleClick(bool on) { mDblAsSingleClick = on; }
  void SetPromptDisabled(bool disabled) { mDisablePrompt = disabled; }
  bool GetRedraw() const { return mRedraw.load(std::memory_order_acquire); }
  IChannelBlend GetBlend();
  IText* GetText() { return &mText; }
  int GetTextEntryLength() const { return mTextEntryLength; }
  void SetTooltip(const char* text);
  void CopyTooltip(BASE_String* out);
  IUnitAnimation* GetAnimation() { return &mAnimation; }
  IUnitBase* GetPlug() const { return mPlug; }
  // Text controls (ITextControl) that SetDirty(true) keeps showing the bound
  // parameter's "value label" and its name; not owned.
  void SetValueDisplayControl(IControl* control) { mValDisplayControl = control; }
  void SetNameDisplayControl(IControl* control) { mNameDisplayControl = control; }
  // The surface keeps it equal to the control's position in its list.
  int GetIdx() const { return mIdx; }
  void SetIdx(int index) { mIdx = index; }
  BASE_Mutex& ChangeLock() { return mChangeLock; }

protected:
  // Shows the bound parameter's value and name on the display controls;
  // called without the change lock, after the plug-in took the value.
  void UpdateDisplayControls();
  // Callers hold the change lock.
  void MarkStale(const IRECT& rect) { mStaleRECT = mStaleRECT.Union(rect); }

  BASE_Mutex mChangeLock;
  int mTextEntryLength = 7;
  IText mText;
  IUnitBase* mPlug;  // not owned
  IRECT mRECT;
  IRECT mTargetRECT;
  IRECT mStaleRECT;
  int mParamIdx;
  int mIdx = 0;
  BASE_TypedBuf<AuxParam> mAuxParams{4096};
  double mValue = 0.0;
  double mDefaultValue = -1.0;
  double mClampLo = 0.0;
  double mClampHi = 1.0;
  std::atomic<bool> mDirty{true};
  std::atomic<bool> mHide{false};
  std::atomic<bool> mGrayed{false};
  std::atomic<bool> mRedraw{false};
  bool mDisablePrompt = true;
  bool mClamped = false;
  bool mDblAsSingleClick = false;
  bool mMOWhenGrayed = false;
  IChannelBlend mBlend;
  IControl* mValDisplayControl = nullptr;   // not owned
  IControl* mNameDisplayControl = nullptr;  // not owned
  BASE_String mTooltip;
  IUnitAnimation mAnimation;
};
