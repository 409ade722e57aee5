// ILiveEdit: the live layout editor, an overlay of the surface with which a
// developer rearranges the controls of the running GUI: select a control
// with the left button, drag it (or its bottom-right corner zone to resize
// it) snapped to the grid, line it up with other controls' edges while
// Shift is held, gather a group with Control, and use the context menu of
// the right button for undo, redo, resets, hiding, layers, the grid and
// deletion. Every change is written at once into the layout header
// (ILayoutHeader).
//
// The surface owns the editor and runs it once per repaint, after the
// controls are drawn, while its live-edit flag is set; 'E' then switches
// editing on and off. While editing is on, the controls get no mouse
// events and every input event repaints the whole surface, so the overlay
// follows the mouse.
//
// Layer changes keep the control list a permutation: undo, redo and
// "Reset View to Default" put controls back by moving them, never by
// overwriting list slots, so no control can stand at two positions. The
// window-size manager's three controls at the end of the list are never
// selected, moved or restored.
//
// GUI thread only.
#pragma once

#include "graphics/IGraphicsTypes.h"
#include "graphics/resize/ILayoutHeader.h"

#include <deque>
#include <string>
#include <vector>

class IControl;
class IGraphics;
class IUnitGUIResize;

class ILiveEdit
{
public:
  // Surface key codes of the editor's keys.
  static constexpr int kKeyEdit = 19;      // 'E'
  static constexpr int kKeyBoth = 16;      // 'B'
  static constexpr int kKeyDraw = 18;      // 'D'
  static constexpr int kKeyTarget = 34;    // 'T'
  static constexpr int kHistoryDepth = 256;  // states kept per view
  static constexpr int kNone = 999999999;    // no guide, empty group bounds

  // Context-menu positions.
  enum EMenuItem
  {
    kMenuUndo = 0,
    kMenuRedo = 1,
    kMenuResetPosition = 3,
    kMenuResetSize = 4,
    kMenuMerge = 5,
    kMenuShowHide = 7,
    kMenuBringToFront = 9,
    kMenuSendToBack = 10,
    kMenuBringForward = 12,
    kMenuSendBackward = 13,
    kMenuDeselect = 15,
    kMenuGrid = 16,
    kMenuCoordinates = 17,
    kMenuResetView = 19,
    kMenuDelete = 21,
  };

  // One layout: every control of the list in list order with both
  // rectangles and its hidden flag.
  struct LayoutState
  {
    std::vector<IControl*> controls;  // not owned
    std::vector<IRECT> draws, targets;
    std::vector<bool> hidden;
  };

  // Undo and redo of one view, at most kHistoryDepth states together; the
  // oldest state goes first.
  class History
  {
  public:
    // Before a change: the state before it; clears what could be redone.
    void Store(LayoutState state);
    // The state to go back to, the present one kept for redo; false when
    // there is none.
    bool Undo(LayoutState present, LayoutState* restore);
    bool Redo(LayoutState present, LayoutState* restore);
    int NUndo() const { return static_cast<int>(mUndo.size()); }
    int NRedo() const { return static_cast<int>(mRedo.size()); }

  private:
    std::deque<LayoutState> mUndo, mRedo;
  };

  explicit ILiveEdit(IGraphics* graphics);

  // ---- from the surface ----
  // One pass per repaint: keys, mouse, drawing of the overlay.
  void Run();
  void OnMouseDown(int x, int y, const IMouseMod* mod);
  void OnMouseUp(int x, int y);
  void OnMouseMove(int x, int y);
  bool Editing() const { return mEditing; }

  // ---- state ----
  int GetSelected() const { return mSelected; }
  int GetDisplayMode() const { return mDisplayMode; }
  // The cursor last asked for: 32512 arrow, 32642 the resize diagonal.
  int GetCursor() const { return mCursor; }
  const std::vector<int>& GetDeleted() const { return mDeleted; }
  const IRECT& GetGroupBounds() const { return mGroupBounds; }
  int GetGuideX() const { return mGuideX; }
  int GetGuideY() const { return mGuideY; }
  ILayoutHeader* GetHeader() { return &mHeader; }
  // The current view's history.
  History* GetHistory();
  // False when the last header write failed (the reason is logged and in
  // the header's LastError).
  bool LastWriteOk() const { return mLastWriteOk; }

private:
  IUnitGUIResize* Manager() const;
  int NViews() const;
  int CurrentView() const;
  // The last list position the editor may select or move to.
  int LastEditable() const;
  double Scale() const;
  int GridStep() const;
  int CornerZone() const;
  bool Selectable(int index) const;
  int SnapshotIndex(IControl* control) const;
  IRECT EditedRect(IControl* control) const;
  IColor OverlayColor() const;

  void HandleKey();
  void UpdateCursor();
  void HandleGroup();
  void HandleMouse();
  void Drag();
  void FindGuides(const IRECT& moving, bool resizing);
  void OpenMenu();
  void DoMenu(int item);
  void DeleteSelected();
  void ResetView();
  void MoveLayer(int to, bool swap);
  void ClearSelection();
  void EmptyGroup();

  LayoutState Capture() const;
  // Puts the stored order back with a chain of moves, then the rectangles
  // and hidden flags of the controls still in the list.
  void Restore(const LayoutState& state);
  // The editable positions of the list ordered as wanted, when wanted holds
  // exactly the controls standing there now; false (nothing moved) if not.
  bool RestoreOrder(const std::vector<IControl*>& wanted);
  void StoreUndo();
  void WriteHeader(bool keepPixels, int view);

  void DrawDeletedNotice();
  void DrawGrid();
  void DrawGuides();
  void DrawSelection();
  void DrawCoordinates();
  void DrawText(IText* style, const std::string& text, int x, int y);

  IGraphics* mGraphics;  // not owned; owns this editor
  ILayoutHeader mHeader;
  bool mHeaderRead = false;
  bool mLastWriteOk = true;
  bool mEditing = false;
  int mDisplayMode = 0;
  bool mGridShown = false;
  bool mCoordinatesShown = false;
  int mCursor = 32512;

  // The mouse as the surface reported it; presses are counted so that
  // each is seen even when several events come between two repaints.
  int mX = 0, mY = 0;
  int mPressX = 0, mPressY = 0;
  IMouseMod mPressMod;
  bool mButtonDown = false;
  unsigned mPresses = 0, mPressesSeen = 0;
  int mPressIndex = -1;

  // The selection and the press that made it.
  int mSelected = -1;
  IRECT mSelDraw, mSelTarget;
  bool mResizing = false;
  bool mDragStored = false;
  bool mPressActive = false;
  int mGuideX = kNone, mGuideY = kNone;

  // Group selection: members and their bounding rectangle.
  std::vector<int> mGroup;
  IRECT mGroupBounds{kNone, kNone, 0, 0};

  std::vector<int> mDeleted;  // snapshot indexes
  std::vector<History> mHistories;  // per view

  IText mLabelStyle, mNoticeStyle, mCoordinateStyle;
};
