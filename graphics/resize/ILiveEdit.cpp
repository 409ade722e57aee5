// ILiveEdit: the live layout editor's keys, mouse, context menu, history
// and overlay drawing.
//
// ---- history ----
// ---- construction and queries ----
// ---- input from the surface ----
// ---- the pass per repaint ----
// ---- dragging ----
// ---- context menu ----
// ---- layout states ----
// ---- drawing ----
#include "graphics/resize/ILiveEdit.h"

#include "core/IGraphicsLink.h"
#include "core/IUnitBase.h"
#include "graphics/IGraphics.h"
#include "graphics/IPopupMenu.h"
#include "graphics/controls/IControl.h"
#include "graphics/resize/IUnitGUIResize.h"
#include "raster/RAST_FLine.h"
#include "raster/RAST_Line.h"
#include "raster/RAST_Pixel.h"
#include "raster/RAST_Rect.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{
const char* const kDeleteText1 = "If you confirm this dialog, you need to delete control number ";
const char* const kDeleteText2 =
  "Delete control from plugin constructor immediately, otherwise your GUI layout will be messed up after next "
  "recompile...\n\n";
const char* const kDeleteText3 =
  "If you want to add new control, just place it after last attached control in plugin constructor.";

RAST_pixel ToPixel(const IColor& c)
{
  return RAST_RGBA(c.R, c.G, c.B, c.A);
}

// The remainder that snapping to step takes away: v - floor(v / step) * step.
int Remainder(int v, int step)
{
  const int r = v % step;
  return r < 0 ? r + step : r;
}

IRECT Shifted(const IRECT& r, int dx, int dy)
{
  return IRECT(r.L + dx, r.T + dy, r.R + dx, r.B + dy);
}

void SetStyle(IText* style, int size, int quality)
{
  snprintf(style->mFont, sizeof(style->mFont), "%s", "Monaco");
  style->mSize = size;
  style->mQuality = quality;
  style->mAlign = 0;
}
}  // namespace

// ---- history ----

void ILiveEdit::History::Store(LayoutState state)
{
  mRedo.clear();
  mUndo.push_back(std::move(state));
  while (static_cast<int>(mUndo.size()) > kHistoryDepth) mUndo.pop_front();
}

bool ILiveEdit::History::Undo(LayoutState present, LayoutState* restore)
{
  if (mUndo.empty()) return false;
  *restore = std::move(mUndo.back());
  mUndo.pop_back();
  mRedo.push_back(std::move(present));
  return true;
}

bool ILiveEdit::History::Redo(LayoutState present, LayoutState* restore)
{
  if (mRedo.empty()) return false;
  *restore = std::move(mRedo.back());
  mRedo.pop_back();
  mUndo.push_back(std::move(present));
  return true;
}

// ---- construction and queries ----

ILiveEdit::ILiveEdit(IGraphics* graphics) : mGraphics(graphics)
{
  SetStyle(&mLabelStyle, 15, 3);
  SetStyle(&mNoticeStyle, 15, 0);
  SetStyle(&mCoordinateStyle, 10, 0);
  mNoticeStyle.mColor = IColor(255, 0, 0, 0);
}

IUnitGUIResize* ILiveEdit::Manager() const
{
  IUnitBase* plug = mGraphics->GetPlug();
  return plug ? dynamic_cast<IUnitGUIResize*>(plug->GetGUIResize()) : nullptr;
}

int ILiveEdit::NViews() const
{
  IUnitGUIResize* manager = Manager();
  return manager ? std::max(1, manager->GetViewModeSize()) : 1;
}

int ILiveEdit::CurrentView() const
{
  IUnitGUIResize* manager = Manager();
  return manager ? manager->GetViewMode() : 0;
}

ILiveEdit::History* ILiveEdit::GetHistory()
{
  if (static_cast<int>(mHistories.size()) < NViews()) mHistories.resize(static_cast<size_t>(NViews()));
  const int view = CurrentView();
  return view >= 0 && view < static_cast<int>(mHistories.size()) ? &mHistories[static_cast<size_t>(view)] : nullptr;
}

int ILiveEdit::LastEditable() const
{
  return mGraphics->MovableLimit() - 1;
}

double ILiveEdit::Scale() const
{
  IUnitGUIResize* manager = Manager();
  return manager ? manager->GetGUIScaleRatio() : mGraphics->GetScale();
}

int ILiveEdit::GridStep() const
{
  const int size = mGraphics->mLiveEditGridSize;
  const int step = Manager() ? static_cast<int>(size * Scale()) : size;
  return step < 1 ? 1 : step;
}

int ILiveEdit::CornerZone() const
{
  return static_cast<int>(8.0 * Scale());
}

bool ILiveEdit::Selectable(int index) const
{
  if (index < 1 || index > LastEditable()) return false;
  const int snapshot = SnapshotIndex(mGraphics->GetControl(index));
  return std::find(mDeleted.begin(), mDeleted.end(), snapshot) == mDeleted.end() || snapshot < 0;
}

int ILiveEdit::SnapshotIndex(IControl* control) const
{
  IUnitBase* plug = mGraphics->GetPlug();
  const ILiveLayoutState* state = plug ? plug->GetLiveLayoutState() : nullptr;
  if (!state || !control) return -1;
  for (int i = 0; i < state->mControls.GetSize(); ++i)
    if (state->mControls.Get()[i] == control) return i;
  return -1;
}

IRECT ILiveEdit::EditedRect(IControl* control) const
{
  return mGraphics->mLiveEditHitMode == 2 ? control->GetTargetRECT() : control->GetRECT();
}

IColor ILiveEdit::OverlayColor() const
{
  switch (mDisplayMode)
  {
    case 0: return IColor(255, 255, 40, 40);
    case 1: return IColor(255, 40, 200, 40);
    case 2: return IColor(255, 40, 120, 255);
    default: return IColor(255, 0, 0, 0);
  }
}

// ---- input from the surface ----

void ILiveEdit::OnMouseDown(int x, int y, const IMouseMod* mod)
{
  mX = mPressX = x;
  mY = mPressY = y;
  mPressMod = mod ? *mod : IMouseMod();
  mButtonDown = true;
  mPressIndex = mGraphics->GetLiveEditControlIdx(x, y);
  ++mPresses;
  if (mEditing) mGraphics->SetAllControlsDirty();
}

void ILiveEdit::OnMouseUp(int x, int y)
{
  mX = x;
  mY = y;
  mButtonDown = false;
  if (mEditing) mGraphics->SetAllControlsDirty();
}

void ILiveEdit::OnMouseMove(int x, int y)
{
  mX = x;
  mY = y;
  if (mEditing) mGraphics->SetAllControlsDirty();
}

// ---- the pass per repaint ----

void ILiveEdit::Run()
{
  if (!mHeaderRead)
  {
    mHeaderRead = true;
    // No header yet is the usual start: every view then begins empty.
    [[maybe_unused]] const bool read = mHeader.Read(NViews());
  }
  HandleKey();
  if (!mEditing)
  {
    EmptyGroup();
    mPressesSeen = mPresses;
    return;
  }
  DrawDeletedNotice();
  // The window-size manager's three controls are never edited.
  if (Manager() && mPressIndex > LastEditable()) mPressIndex = -1;
  if (mSelected > LastEditable()) ClearSelection();
  UpdateCursor();
  HandleGroup();
  HandleMouse();
  DrawGrid();
  DrawSelection();
  DrawCoordinates();
}

void ILiveEdit::HandleKey()
{
  const int key = mGraphics->mLastKey;
  mGraphics->mLastKey = -1;
  if (key == kKeyEdit)
  {
    mEditing = !mEditing;
    ClearSelection();
    return;
  }
  const int mode = key == kKeyBoth ? 0 : key == kKeyDraw ? 1 : key == kKeyTarget ? 2 : -1;
  if (mode < 0 || !mEditing) return;
  if (!mGraphics->mLiveEditMod.S)
  {
    mGraphics->mLiveEditHitMode = mode;
    ClearSelection();
    EmptyGroup();
  }
  mDisplayMode = mode;
}

void ILiveEdit::UpdateCursor()
{
  int cursor = kCursorArrow;
  if (mGroupBounds.L == kNone)
  {
    const int zone = CornerZone();
    for (int i = 1; i <= LastEditable(); ++i)
    {
      if (!Selectable(i)) continue;
      const IRECT r = EditedRect(mGraphics->GetControl(i));
      if (IRECT(r.R - zone, r.B - zone, r.R, r.B).Contains(mX, mY))
      {
        cursor = kCursorSizeNWSE;
        break;
      }
    }
  }
  if (cursor == mCursor) return;
  mCursor = cursor;
  if (IUnitGUIResize* manager = Manager()) manager->SetCursor(cursor);
}

void ILiveEdit::HandleGroup()
{
  if (!(mButtonDown && mPressMod.L && mPressMod.C)) return;
  const IRECT area(std::min(mPressX, mX), std::min(mPressY, mY), std::max(mPressX, mX), std::max(mPressY, mY));
  RAST_IBitmap* bitmap = mGraphics->GetDrawBitmap();
  const RAST_pixel color = ToPixel(OverlayColor());
  RAST_DashedLine(bitmap, area.L, area.T, area.R, area.T, 2, 2, color, 1.0f, 0, false);
  RAST_DashedLine(bitmap, area.L, area.B, area.R, area.B, 2, 2, color, 1.0f, 0, false);
  RAST_DashedLine(bitmap, area.L, area.T, area.L, area.B, 2, 2, color, 1.0f, 0, false);
  RAST_DashedLine(bitmap, area.R, area.T, area.R, area.B, 2, 2, color, 1.0f, 0, false);
  mGroup.clear();
  mGroupBounds = IRECT(kNone, kNone, 0, 0);
  for (int i = 1; i <= LastEditable(); ++i)
  {
    if (!Selectable(i)) continue;
    IControl* c = mGraphics->GetControl(i);
    if (mGraphics->mLiveEditHitMode == 0 && c->GetRECT() != c->GetTargetRECT()) continue;
    const IRECT r = EditedRect(c);
    if (r.Empty() || !area.ContainsRect(r)) continue;
    mGroup.push_back(i);
    mGroupBounds = IRECT(std::min(mGroupBounds.L, r.L), std::min(mGroupBounds.T, r.T),
                         std::max(mGroupBounds.R, r.R), std::max(mGroupBounds.B, r.B));
  }
}

void ILiveEdit::HandleMouse()
{
  if (mPresses != mPressesSeen)
  {
    mPressesSeen = mPresses;
    mPressActive = false;
    mGuideX = mGuideY = kNone;
    if (mPressMod.R)
    {
      OpenMenu();
      return;
    }
    if (mPressMod.C) return;
    if (mPressIndex < 0)
    {
      ClearSelection();
      return;
    }
    mSelected = mPressIndex;
    IControl* c = mGraphics->GetControl(mSelected);
    mSelDraw = c->GetRECT();
    mSelTarget = c->GetTargetRECT();
    const IRECT edited = EditedRect(c);
    const int zone = CornerZone();
    mResizing = IRECT(edited.R - zone, edited.B - zone, edited.R, edited.B).Contains(mPressX, mPressY);
    mDragStored = false;
    mPressActive = true;
  }
  if (!mButtonDown) mPressActive = false;
  if (mPressActive && (mX != mPressX || mY != mPressY)) Drag();
  DrawGuides();
}

// ---- dragging ----

void ILiveEdit::Drag()
{
  IControl* c = mGraphics->GetControl(mSelected);
  if (!c) return;
  const int dx = mX - mPressX, dy = mY - mPressY;
  const int mode = mGraphics->mLiveEditHitMode;
  IRECT draw = mSelDraw, target = mSelTarget;
  const bool snap = !mGraphics->mLiveEditMod.A;
  const int step = GridStep();
  if (mResizing)
  {
    for (IRECT* r : {&draw, &target})
    {
      r->R += dx;
      r->B += dy;
      if (snap)
      {
        r->R -= Remainder(r->R, step);
        r->B -= Remainder(r->B, step);
      }
    }
  }
  else
  {
    draw = Shifted(draw, dx, dy);
    target = Shifted(target, dx, dy);
    if (snap)
    {
      // The edited rectangle lands on the grid; the other one keeps its
      // offset from it.
      const IRECT& edited = mode == 2 ? target : draw;
      const int rx = Remainder(edited.L, step), ry = Remainder(edited.T, step);
      draw = Shifted(draw, -rx, -ry);
      target = Shifted(target, -rx, -ry);
    }
  }
  if (mGraphics->mLiveEditMod.S)
    FindGuides(mode == 2 ? target : draw, mResizing);
  else
    mGuideX = mGuideY = kNone;

  if (!mDragStored)
  {
    StoreUndo();
    mDragStored = true;
  }
  const IRECT newDraw = mode == 0 || mode == 1 ? draw : c->GetRECT();
  const IRECT newTarget = mode == 0 || mode == 2 ? target : c->GetTargetRECT();
  c->SetBounds(newDraw, newTarget);
  c->SetDirty(false);
  WriteHeader(false, CurrentView());
}

void ILiveEdit::FindGuides(const IRECT& moving, bool resizing)
{
  const int distance = mGraphics->mLiveEditAlignDistance;
  int bestX = kNone, bestY = kNone, bestDX = kNone, bestDY = kNone;
  auto consider = [distance](int line, int mine, int* best, int* bestD) {
    const int d = line - mine;
    if (d < -distance || d > distance) return;
    if (std::abs(d) < *bestD)
    {
      *bestD = std::abs(d);
      *best = line;
    }
  };
  for (int i = 0; i < mGraphics->NControls(); ++i)
  {
    if (i == mSelected || i > LastEditable()) continue;
    IControl* c = mGraphics->GetControl(i);
    if (c->IsHidden()) continue;
    const IRECT r = EditedRect(c);
    const int xs[3] = {r.L, (r.L + r.R) / 2, r.R};
    const int ys[3] = {r.T, (r.T + r.B) / 2, r.B};
    const int myX[3] = {moving.L, (moving.L + moving.R) / 2, moving.R};
    const int myY[3] = {moving.T, (moving.T + moving.B) / 2, moving.B};
    for (int a = resizing ? 2 : 0; a < 3; ++a)
      for (int b = 0; b < 3; ++b)
      {
        consider(xs[b], myX[a], &bestX, &bestDX);
        consider(ys[b], myY[a], &bestY, &bestDY);
      }
  }
  mGuideX = bestX;
  mGuideY = bestY;
}

// ---- context menu ----

void ILiveEdit::OpenMenu()
{
  IControl* c = mGraphics->GetControl(mSelected);
  const bool selected = c != nullptr && mSelected >= 0;
  const int off = selected ? 0 : IPopupMenu::IPopupMenuItem::kDisabled;
  IPopupMenu menu;
  menu.AddItemText("Undo");
  menu.AddItemText("Redo");
  menu.AddSeparator();
  menu.AddItemText("Reset Control Position", -1, off);
  menu.AddItemText("Reset Control Size", -1, off);
  if (selected && c->GetRECT() != c->GetTargetRECT())
    menu.AddItemText("Merge Draw and Target Rect");
  else
    menu.AddItemText("Merge Draw and Target IRECT", -1, IPopupMenu::IPopupMenuItem::kDisabled);
  menu.AddSeparator();
  menu.AddItemText(!selected || c->IsHidden() ? "Show Control" : "Hide Control", -1, off);
  menu.AddSeparator();
  menu.AddItemText("Bring to Front", -1, off);
  menu.AddItemText("Send to Back", -1, off);
  menu.AddSeparator();
  menu.AddItemText("Bring Forward", -1, off);
  menu.AddItemText("Send Backward", -1, off);
  menu.AddSeparator();
  menu.AddItemText("Deselect");
  menu.AddItemText(mGridShown ? "Hide Grid" : "Show Grid");
  menu.AddItemText(mCoordinatesShown ? "Hide Mouse Coordinates" : "Show Mouse Coordinates");
  menu.AddSeparator();
  menu.AddItemText("Reset View to Default");
  menu.AddSeparator();
  menu.AddItemText("Delete Control !!!", -1, off);

  IRECT at(mPressX, mPressY, mPressX, mPressY);
  if (mGraphics->CreateIPopupMenu(&menu, &at) != &menu) return;
  const int item = menu.GetChosenItemIdx();
  IPopupMenu::IPopupMenuItem* chosen = menu.GetItem(item);
  if (!chosen || !chosen->GetEnabled() || chosen->GetIsSeparator()) return;
  DoMenu(item);
  mGraphics->SetAllControlsDirty();
}

void ILiveEdit::DoMenu(int item)
{
  IControl* c = mGraphics->GetControl(mSelected);
  const int mode = mGraphics->mLiveEditHitMode;
  const double s = Scale();
  switch (item)
  {
    case kMenuUndo:
    case kMenuRedo:
    {
      History* history = GetHistory();
      LayoutState state;
      const bool found = history && (item == kMenuUndo ? history->Undo(Capture(), &state)
                                                       : history->Redo(Capture(), &state));
      ClearSelection();
      if (!found) return;
      Restore(state);
      WriteHeader(false, CurrentView());
      return;
    }
    case kMenuResetPosition:
    case kMenuResetSize:
    {
      IUnitBase* plug = mGraphics->GetPlug();
      const ILiveLayoutState* snapshot = plug ? plug->GetLiveLayoutState() : nullptr;
      const int i = SnapshotIndex(c);
      if (!snapshot || i < 0) return;
      StoreUndo();
      auto reset = [&](IRECT r, const ILiveLayoutState::Rect& stored) {
        const int w = r.W(), h = r.H();
        if (item == kMenuResetPosition)
        {
          r.L = static_cast<int>(stored.left * s);
          r.T = static_cast<int>(stored.top * s);
          r.R = r.L + w;
          r.B = r.T + h;
        }
        else
        {
          r.R = r.L + static_cast<int>((stored.right - stored.left) * s);
          r.B = r.T + static_cast<int>((stored.bottom - stored.top) * s);
        }
        return r;
      };
      IRECT draw = c->GetRECT(), target = c->GetTargetRECT();
      if (mode == 0 || mode == 1) draw = reset(draw, snapshot->mDrawRects.Get()[i]);
      if (mode == 0 || mode == 2) target = reset(target, snapshot->mTargetRects.Get()[i]);
      c->SetBounds(draw, target);
      break;
    }
    case kMenuMerge:
      StoreUndo();
      if (mode == 2)
        c->SetBounds(c->GetTargetRECT(), c->GetTargetRECT());
      else
        c->SetBounds(c->GetRECT(), c->GetRECT());
      break;
    case kMenuShowHide:
      StoreUndo();
      c->Hide(!c->IsHidden());
      break;
    case kMenuBringToFront: MoveLayer(LastEditable(), false); break;
    case kMenuSendToBack: MoveLayer(1, false); break;
    case kMenuBringForward: MoveLayer(mSelected + 1, true); break;
    case kMenuSendBackward: MoveLayer(mSelected - 1, true); break;
    case kMenuDeselect: EmptyGroup(); return;
    case kMenuGrid: mGridShown = !mGridShown; return;
    case kMenuCoordinates: mCoordinatesShown = !mCoordinatesShown; return;
    case kMenuResetView: ResetView(); return;
    case kMenuDelete: DeleteSelected(); return;
    default: return;
  }
  WriteHeader(false, CurrentView());
}

void ILiveEdit::MoveLayer(int to, bool swap)
{
  IControl* c = mGraphics->GetControl(mSelected);
  if (!c || to < 1 || to > LastEditable() || to == mSelected || mSelected < 1) return;
  StoreUndo();
  if (swap)
    mGraphics->SwapControls(mSelected, to);
  else
    mGraphics->MoveControl(mSelected, to);
  // The selection follows the control wherever the list put it.
  mSelected = mGraphics->GetControlIdx(c);
}

void ILiveEdit::DeleteSelected()
{
  IControl* c = mGraphics->GetControl(mSelected);
  const int index = SnapshotIndex(c);
  if (index < 0) return;
  const std::string text = kDeleteText1 + std::to_string(index) + "!" + "\n\n" + kDeleteText2 + kDeleteText3;
  if (mGraphics->ShowMessageBox(text.c_str(), "Warning!!!", 1) != 1) return;
  StoreUndo();
  mDeleted.push_back(index);
  if (IUnitGUIResize* manager = Manager())
  {
    const int current = manager->GetViewMode();
    auto deleteIn = [&](int view) {
      manager->SelectViewMode(manager->GetViewModeId(view));
      manager->RearrangeLayers();
      manager->ResizeControlRects();
      c->Hide(true);
      // The header leaves a deleted control out, so the manager is told
      // itself that it stays hidden in this view.
      manager->SetViewControlRECTs(view, c, 1, manager->GetViewDrawRECT(view, c), manager->GetViewTargetRECT(view, c));
      WriteHeader(false, view);
    };
    for (int v = 0; v < manager->GetViewModeSize(); ++v)
      if (v != current) deleteIn(v);
    deleteIn(current);
  }
  else
  {
    c->Hide(true);
    WriteHeader(false, 0);
  }
  ClearSelection();
}

void ILiveEdit::ResetView()
{
  IUnitBase* plug = mGraphics->GetPlug();
  const ILiveLayoutState* snapshot = plug ? plug->GetLiveLayoutState() : nullptr;
  if (!snapshot) return;
  StoreUndo();
  const int n = snapshot->mControls.GetSize();
  std::vector<IControl*> wanted;
  for (int i = 0; i < n; ++i) wanted.push_back(static_cast<IControl*>(snapshot->mControls.Get()[i]));
  // When controls came or went since the snapshot the order is left alone.
  (void)RestoreOrder(wanted);
  const double s = Scale();
  auto place = [&](bool atScale) {
    auto rect = [&](const ILiveLayoutState::Rect& r) {
      if (!atScale) return IRECT(r.left, r.top, r.right, r.bottom);
      return IUnitGUIResize::ScaleDRECT(DRECT{double(r.left), double(r.top), double(r.right), double(r.bottom)}, s, s);
    };
    for (int i = 0; i < n && i <= LastEditable(); ++i)
    {
      if (std::find(mDeleted.begin(), mDeleted.end(), i) != mDeleted.end()) continue;
      IControl* c = wanted[static_cast<size_t>(i)];
      if (mGraphics->GetControlIdx(c) < 0) continue;
      c->SetBounds(rect(snapshot->mDrawRects.Get()[i]), rect(snapshot->mTargetRects.Get()[i]));
      c->Hide(snapshot->mHidden.Get()[i]);
    }
  };
  ClearSelection();
  // The header gets the snapshot's own rectangles, written as they are;
  // the controls then take them at the GUI scale. Written from the scaled
  // ones they would be pixels (or, divided back, a unit) off.
  place(false);
  WriteHeader(true, CurrentView());
  if (Manager()) place(true);
}

void ILiveEdit::ClearSelection()
{
  mSelected = -1;
  mPressActive = false;
  mGuideX = mGuideY = kNone;
}

void ILiveEdit::EmptyGroup()
{
  mGroup.clear();
  mGroupBounds = IRECT(kNone, kNone, 0, 0);
}

// ---- layout states ----

ILiveEdit::LayoutState ILiveEdit::Capture() const
{
  LayoutState state;
  for (int i = 0; i < mGraphics->NControls(); ++i)
  {
    IControl* c = mGraphics->GetControl(i);
    state.controls.push_back(c);
    state.draws.push_back(c->GetRECT());
    state.targets.push_back(c->GetTargetRECT());
    state.hidden.push_back(c->IsHidden());
  }
  return state;
}

bool ILiveEdit::RestoreOrder(const std::vector<IControl*>& wanted)
{
  const int last = LastEditable();
  if (static_cast<int>(wanted.size()) <= last) return false;
  std::vector<IControl*> now, want(wanted.begin() + 1, wanted.begin() + last + 1);
  for (int i = 1; i <= last; ++i) now.push_back(mGraphics->GetControl(i));
  std::vector<IControl*> a = now, b = want;
  std::sort(a.begin(), a.end());
  std::sort(b.begin(), b.end());
  if (a != b || std::adjacent_find(b.begin(), b.end()) != b.end()) return false;
  // Each step moves one control to its place and shifts the others; the
  // list stays a permutation at every step.
  for (int i = 1; i <= last; ++i)
  {
    const int at = mGraphics->GetControlIdx(wanted[static_cast<size_t>(i)]);
    if (at != i) mGraphics->MoveControl(at, i);
  }
  return true;
}

void ILiveEdit::Restore(const LayoutState& state)
{
  (void)RestoreOrder(state.controls);
  const int last = LastEditable();
  for (size_t k = 0; k < state.controls.size(); ++k)
  {
    IControl* c = state.controls[k];
    const int at = mGraphics->GetControlIdx(c);
    if (at < 0 || at > last) continue;
    c->SetBounds(state.draws[k], state.targets[k]);
    c->Hide(state.hidden[k]);
  }
}

void ILiveEdit::StoreUndo()
{
  if (History* history = GetHistory()) history->Store(Capture());
}

void ILiveEdit::WriteHeader(bool keepPixels, int view)
{
  IUnitBase* plug = mGraphics->GetPlug();
  ILayoutHeader::Source source;
  source.snapshot = plug ? plug->GetLiveLayoutState() : nullptr;
  source.graphics = mGraphics;
  source.manager = Manager();
  source.deleted = &mDeleted;
  source.view = view;
  source.keepPixels = keepPixels;
  source.scale = Scale();
  mLastWriteOk = mHeader.Write(source);
}

// ---- drawing ----

void ILiveEdit::DrawText(IText* style, const std::string& text, int x, int y)
{
  IRECT r(x, y, x, y);
  mGraphics->MeasureIText(style, text.c_str(), &r);
  r = IRECT(x, y, x + r.W(), y + r.H());
  mGraphics->DrawIText(style, text.c_str(), &r);
}

void ILiveEdit::DrawDeletedNotice()
{
  if (mDeleted.empty()) return;
  IUnitBase* plug = mGraphics->GetPlug();
  const ILiveLayoutState* snapshot = plug ? plug->GetLiveLayoutState() : nullptr;
  std::vector<std::string> pieces{" Delete this controls: "};
  for (int index : mDeleted)
  {
    IControl* c = snapshot && index < snapshot->mControls.GetSize()
                    ? static_cast<IControl*>(snapshot->mControls.Get()[index])
                    : nullptr;
    pieces.push_back(std::to_string(index) + " (" + ILayoutHeader::ClassName(c) + "), ");
  }
  const IColor background(255, 255, 250, 200);
  int x = 0, y = 0, lineH = 0;
  for (const std::string& piece : pieces)
  {
    IRECT size(0, 0, 0, 0);
    mGraphics->MeasureIText(&mNoticeStyle, piece.c_str(), &size);
    if (x > 0 && x + size.W() > mGraphics->Width())
    {
      x = 0;
      y += lineH;
    }
    lineH = std::max(lineH, size.H());
    RAST_FillRect(mGraphics->GetDrawBitmap(), x, y, size.W(), size.H(), ToPixel(background), 1.0f, 0);
    DrawText(&mNoticeStyle, piece, x, y);
    x += size.W();
  }
}

void ILiveEdit::DrawGrid()
{
  if (!mGridShown) return;
  RAST_IBitmap* bitmap = mGraphics->GetDrawBitmap();
  const RAST_pixel color = ToPixel(OverlayColor());
  const int w = mGraphics->Width(), h = mGraphics->Height(), step = GridStep();
  if (step < 2)
  {
    RAST_FillRect(bitmap, 0, 0, w, h, color, 0.11f, 0);
    return;
  }
  for (int x = 0; x < w; x += step) RAST_Line(bitmap, x, 0, x, h - 1, color, 0.17f, 0, false);
  for (int y = 0; y < h; y += step) RAST_Line(bitmap, 0, y, w - 1, y, color, 0.17f, 0, false);
}

void ILiveEdit::DrawGuides()
{
  RAST_IBitmap* bitmap = mGraphics->GetDrawBitmap();
  const RAST_pixel color = ToPixel(OverlayColor());
  if (mGuideX != kNone) RAST_DashedLine(bitmap, mGuideX, 0, mGuideX, mGraphics->Height(), 2, 2, color, 1.0f, 0, false);
  if (mGuideY != kNone) RAST_DashedLine(bitmap, 0, mGuideY, mGraphics->Width(), mGuideY, 2, 2, color, 1.0f, 0, false);
}

void ILiveEdit::DrawSelection()
{
  IControl* c = mSelected >= 0 ? mGraphics->GetControl(mSelected) : nullptr;
  if (!c) return;
  const IRECT draw = c->GetRECT(), target = c->GetTargetRECT();
  IRECT shown = mDisplayMode == 2 ? target : draw;
  const IColor color = OverlayColor();
  mGraphics->DrawRect(&color, &shown);
  if (mDisplayMode == 0 && draw != target) shown = IRECT();
  if (Manager())
  {
    const double k = Scale() > 0.0 ? 1.0 / Scale() : 1.0;
    auto u = [k](int v) { return static_cast<int>((v + 0.4999) * k); };
    shown = IRECT(u(shown.L), u(shown.T), u(shown.R), u(shown.B));
  }
  char label[96];
  snprintf(label, sizeof(label), "N:%i IRECT(%i,%i,%i,%i)%s", mSelected, shown.L, shown.T, shown.R, shown.B,
           c->IsHidden() ? " (HIDDEN)" : "");
  mLabelStyle.mColor = color;
  const IRECT at = mDisplayMode == 2 ? target : draw;
  DrawText(&mLabelStyle, label, std::max(0, at.L), std::max(0, at.B + 2));
}

void ILiveEdit::DrawCoordinates()
{
  if (!mCoordinatesShown) return;
  char text[48];
  snprintf(text, sizeof(text), "x: %i, y: %i", mX, mY);
  mCoordinateStyle.mColor = OverlayColor();
  DrawText(&mCoordinateStyle, text, mX + 12, mY + 12);
}
