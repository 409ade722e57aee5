// Text controls: a string drawn in a rectangle with the control's text
// style. ITextControl is the editor's caption and value text; the others add
// a second text, a text-entry prompt, the bound parameter's value as text,
// or a small numeric field that is dragged and wheeled.
//
// Threads: the texts are changed from the GUI, MIDI and timer threads; every
// change is made under the control's change lock, under which the surface
// also draws the control, so a repaint never sees half a text.
#pragma once

#include "graphics/controls/IControl.h"

class IParam;

class ITextControl : public IControl
{
public:
  // Unbound; style is copied and kept as the size reference for resizing.
  ITextControl(IUnitBase* plug, IRECT rect, const IText* style, const char* text = "");

  bool Draw(IGraphics* graphics) override;
  // The style's size becomes the constructed size times ratio, truncated;
  // the cached font is dropped so the next drawing picks the new size.
  void AfterGUIResize(double ratio) override;

  // Replaces the text and marks the control for repaint when it differs;
  // an equal text changes nothing. Any thread.
  void SetTextFromPlug(const char* text);
  // Takes effect at the next drawing; does not mark the control dirty.
  void SetTextColor(IColor color);
  using IControl::GetText;  // the style
  void GetText(BASE_String* out);
  // Replaces the text without marking the control dirty.
  void SetText(const char* text);

protected:
  ITextControl(IUnitBase* plug, IRECT rect, int paramIdx, const IText* style, const char* text);
  // Draws text with the control's style; callers hold the change lock.
  bool DrawString(IGraphics* graphics, const char* text);

  BASE_String mStr;
  IText mBaseText;
};

// Draws, sets and resizes a second text and style of its own in the same
// rectangle, after the first.
class ITextControl2 : public ITextControl
{
public:
  ITextControl2(IUnitBase* plug, IRECT rect, int paramIdx, const IText* style, const char* text,
                const IText* style2 = nullptr, const char* text2 = "");

  bool Draw(IGraphics* graphics) override;
  void AfterGUIResize(double ratio) override;
  void SetText2FromPlug(const char* text);

private:
  BASE_String mStr2;
  IText mText2;
  IText mBaseText2;
};

// Prompts for the bound parameter over its entry rectangle; a secure field
// shows one "*" per character, at most 99, and its entry hides the typing.
class IEditableTextControl : public ITextControl
{
public:
  IEditableTextControl(IUnitBase* plug, IRECT rect, int paramIdx, const IText* style, const char* text,
                       bool flag = false, bool secure = false);

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;
  // alpha 0: no background.
  void SetBackground(IColor color) { mBackground = color; }

private:
  IRECT mTextEntryRECT;
  IColor mBackground{0, 0, 0, 0};
  bool mFlag;
  bool mSecure;
};

// Shows the bound parameter's display text (with " " and its label when
// showLabel); a click prompts for a new value.
class ICaptionControl : public ITextControl
{
public:
  ICaptionControl(IUnitBase* plug, IRECT rect, int paramIdx, const IText* style, bool showLabel = true);

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;

private:
  bool mShowLabel;
};

// A numeric field: dragging over its height (or width) at gearing 1 runs the
// value from 0 to 1; a wheel notch moves one step of the parameter. An
// unbound spinner may carry a parameter of its own (owned), which takes the
// control's value when drawn.
class ISpinnerControl : public ITextControl
{
public:
  ISpinnerControl(IUnitBase* plug, IRECT rect, int paramIdx, const IText* style, IParam* ownParam,
                  bool showValue, bool showLabel, int direction = 0, double gearing = 1.0);
  ~ISpinnerControl() override;

  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
  void OnMouseWheel(int x, int y, IMouseMod* mod, int d) override;
  bool Draw(IGraphics* graphics) override;

private:
  // The parameter the spinner shows: the bound one, else its own; null when
  // it has neither.
  IParam* ShownParam();

  int mDirection;
  double mGearing;
  bool mShowValue;
  bool mShowLabel;
  IParam* mOwnParam;  // owned
};
