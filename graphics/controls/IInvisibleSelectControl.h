// Invisible select controls: laid over lists and grids that other controls
// paint, they turn the mouse position into a normalised value and record
// what the mouse did, so the editor can tell a click from a drag, a double
// click or a wheel turn. Each handled event ends in SetDirty(true), also
// when the value is unchanged, so a second click on the same row reaches the
// plug-in again. They draw nothing. GUI thread only.
#pragma once

#include "graphics/controls/IControl.h"

// What the mouse did last.
enum ESelectMouseEvent
{
  kSelectMouseDown = 0,
  kSelectMouseUp = 1,
  kSelectMouseDrag = 2,
  kSelectMouseDblClick = 3,
  kSelectMouseWheel = 4,
};

// The modifier field: Shift, else Control, else none; the key handler
// writes space and up-arrow into the same field.
enum ESelectModifier
{
  kSelectModNone = 0,
  kSelectModShift = 1,
  kSelectModControl = 2,
  kSelectModSpaceKey = 3,
  kSelectModUpKey = 4,
};

// A vertical pick list: a mouse-up gives the fraction down the rectangle.
class IInvisibleSelectControl : public IControl
{
public:
  IInvisibleSelectControl(IUnitBase* plug, IRECT rect, int paramIdx);

  void OnMouseUp(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics*) override { return true; }
};

// Down, up and drag give the fraction along its direction (0 vertical).
class IInvisibleSelectControl2 : public IControl
{
public:
  IInvisibleSelectControl2(IUnitBase* plug, IRECT rect, int paramIdx, int direction);

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseUp(int x, int y, IMouseMod* mod) override;
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
  bool Draw(IGraphics*) override { return true; }
  void GetLastMouseEvent(int* out) const { *out = mLastEvent; }

private:
  void Select(int x, int y, int event);

  bool mVertical;
  int mLastEvent = kSelectMouseDown;
};

// As IInvisibleSelectControl2, also recording the position and modifier and
// taking double clicks; a wheel notch d gives 0.5 + 0.01 d (0.001 d with
// Shift or Control), telling only the direction of the turn.
class IInvisibleSelectControl3 : public IControl
{
public:
  IInvisibleSelectControl3(IUnitBase* plug, IRECT rect, int paramIdx, int direction);

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseUp(int x, int y, IMouseMod* mod) override;
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override;
  void OnMouseWheel(int x, int y, IMouseMod* mod, int d) override;
  // Space and up-arrow set the modifier field; the key is never taken.
  bool OnKeyDown(int x, int y, int key) override;
  bool Draw(IGraphics*) override { return true; }

  void GetLastMouseEvent(int* out) const { *out = mLastEvent; }
  void GetMouseModifier(int* out) const { *out = mLastModifier; }
  void GetMousePosition(int* x, int* y) const
  {
    *x = mLastX;
    *y = mLastY;
  }

private:
  void Select(int x, int y, IMouseMod* mod, int event);

  bool mVertical;
  int mLastX = 0, mLastY = 0;
  int mLastEvent = kSelectMouseDown;
  int mLastModifier = kSelectModNone;
};

// A grid of columns x rows cells over the rectangle, numbered along each row
// from the top left; the value is cell / (columns * rows). A point on or
// past an edge selects the nearest cell, so the value stays below 1.
class IInvisibleMatrixSelectControl : public IControl
{
public:
  IInvisibleMatrixSelectControl(IUnitBase* plug, IRECT rect, int paramIdx);

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseUp(int x, int y, IMouseMod* mod) override;
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override;
  void OnMouseWheel(int x, int y, IMouseMod* mod, int d) override;
  bool OnKeyDown(int x, int y, int key) override;
  bool Draw(IGraphics*) override { return true; }

  // Call before the first mouse event; until then every point is cell 0.
  void SetMatrixSize(int columns, int rows);
  void GetLastMouseEvent(int* out) const { *out = mLastEvent; }
  void GetMouseModifier(int* out) const { *out = mLastModifier; }
  void GetMousePosition(int* x, int* y) const
  {
    *x = mLastX;
    *y = mLastY;
  }
  bool GetLastWheelUp() const { return mLastWheelUp; }
  // The cell of the last event, 0..columns * rows - 1.
  int GetLastCell() const { return mLastCell; }
  // The cell under (x, y), clamped into the grid.
  int CellAt(int x, int y);

private:
  void Select(int x, int y, IMouseMod* mod, int event, bool recordPosition);

  int mColumns = 0, mRows = 0;
  int mLastX = 0, mLastY = 0;
  bool mLastWheelUp = false;
  int mLastEvent = kSelectMouseDown;
  int mLastModifier = kSelectModNone;
  int mLastCell = 0;
};
