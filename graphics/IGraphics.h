// IGraphics: the platform-neutral GUI surface. It owns the ordered control
// list (index 0 is the background; higher indexes draw later and are hit
// first), the off-screen draw bitmap and a scratch bitmap; each frame it
// collects the dirty controls (IsDirty), repaints those that meet the area
// the platform invalidated (Draw) and hands the bitmap to the platform. It
// routes mouse and keyboard input to the controls, asks the user for values
// (popup menus of display texts, text entry) and is the one place where the
// plug-in and the editor reach controls by parameter index.
//
// The platform class (a window-system view, or the headless surface of the
// tests) supplies the pure virtual slots: showing the bitmap, menus, text
// entry, message boxes, file prompts, URLs, paths, resources and text.
//
// Threads: list changes, input, IsDirty and Draw run on the GUI thread. The
// by-parameter operations and the controls' setters may also run on the MIDI
// and timer threads; they work under each control's change lock, with which
// Draw paints and cleans a control (see IControl). Coordinates are GUI pixels,
// top-down, right and bottom exclusive.
#pragma once

#include "core/BASE_Mutex.h"
#include "core/BASE_PtrList.h"
#include "core/BASE_String.h"
#include "core/IGraphicsLink.h"
#include "graphics/IGraphicsTypes.h"

#include "raster/RAST_Pixel.h"

#include <memory>

class IControl;
class ILiveEdit;
class IParam;
class IPopupMenu;
class IUnitBase;
class RAST_IBitmap;
class RAST_IFont;
class RAST_MemBitmap;
class RAST_SysBitmap;

class IGraphics : public IGraphicsLink
{
public:
  static constexpr int kDefaultFPS = 120;

  // fps <= 0 becomes 120.
  IGraphics(IUnitBase* plug, int width, int height, int fps = 0);
  IGraphics(const IGraphics&) = delete;
  IGraphics& operator=(const IGraphics&) = delete;

  // ---- virtual slots, in their fixed order ----
  // Shows the draw bitmap; rect is the area just repainted.
  virtual bool DrawScreen(IRECT* rect) = 0;
  // Platform text slot: the size text takes in style, written into rect as
  // DrawIText with measure does.
  virtual bool MeasureIText(IText* style, const char* text, IRECT* rect) = 0;
  // Closes an open text entry without applying its text.
  virtual void ForceEndUserEdit() = 0;
  // New GUI size: bitmaps are made anew, then the plug-in is told.
  virtual void Resize(int w, int h);
  virtual bool WindowIsOpen();
  virtual const char* GetGUIAPI();
  // Blocks the calling thread (any thread) until answered: 1 default
  // button, 7 alternate, 2 other, 0 anything else.
  virtual int ShowMessageBox(const char* text, const char* caption, int type) = 0;
  // The menu (or submenu) holding the chosen item, with its chosen index
  // set; null when nothing was chosen. Implementations release the capture.
  virtual IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* rect) = 0;
  // The platform's half of a text entry; use OpenTextEntry, which keeps one
  // entry open at a time. The platform reports the end through
  // TextEntryEnded or TextEntryCancelled.
  virtual void CreateTextEntry(IControl* control, IText* style, IRECT* rect, const char* text,
                               IParam* param) = 0;
  virtual void HostPath(BASE_String* path) = 0;
  virtual void PluginPath(BASE_String* path) = 0;
  virtual void DesktopPath(BASE_String* path) = 0;
  virtual void DocumentsPath(BASE_String* path) = 0;
  virtual void AppSupportPath(BASE_String* path, bool system) = 0;
  virtual void SandboxSafeAppSupportPath(BASE_String* path) = 0;
  // action 1 saves, anything else opens; extensions are separated by single
  // spaces. On success file is the path and dir its folder with a "/".
  // title names the chooser's window (null or "" for the toolkit's own).
  virtual void PromptForFile(BASE_String* file, int action, BASE_String* dir,
                             const char* extensions, const char* title) = 0;
  virtual bool PromptForColor(IColor* color, const char* prompt) = 0;
  virtual bool OpenURL(const char* url) = 0;
  // OpenURL for a control that carries a text to show while the address
  // opens ("" for none); a surface that shows no such text opens the URL.
  virtual bool OpenURLWithMessage(const char* url, const char* message)
  {
    static_cast<void>(message);
    return OpenURL(url);
  }
  virtual void* OpenWindow(void* parent) = 0;
  virtual void* OpenCarbonWindow(void*, void*) { return nullptr; }
  virtual void AttachSubWindow(void*) {}
  virtual void RemoveSubWindow() {}
  virtual void CloseWindow() = 0;
  virtual void* GetWindow() = 0;
  virtual bool GetTextFromClipboard(BASE_String* text) = 0;
  // Deletes the key catcher, the controls (last first) and the bitmaps.
  ~IGraphics() override;
  virtual void HideMouseCursor() {}
  virtual void ShowMouseCursor() {}
  virtual void UpdateTooltips() = 0;
  // Platform resource slot: a new bitmap of the named PNG resource (the
  // caller owns it), or null.
  virtual RAST_IBitmap* OSLoadBitmap(int id, const char* name) = 0;
  // Platform resource slot: the size of the named PNG resource read from
  // its header, when the platform reads artwork from the resources folder
  // (so that LoadPNGResource, which any thread may call, decodes it later).
  // False has LoadIBitmap decode at once through OSLoadBitmap.
  virtual bool OSPeekBitmapSize(int /*id*/, const char* /*name*/, int* /*w*/, int* /*h*/) { return false; }
  // Platform text slot: draws text in style into rect of the draw bitmap.
  virtual bool DrawIText(IText* style, const char* text, IRECT* rect) = 0;
  // Ends an open text entry and applies its text (TextEntryEnded).
  virtual void CommitUserEdit() = 0;

  // ---- IGraphicsLink ----
  int Width() const override { return mWidth; }
  int Height() const override { return mHeight; }
  void PrepDraw() override;
  // Value reaches every control bound to the parameter and every aux
  // binding of it; normalised through the parameter first unless normalized.
  void SetParameterFromPlug(int paramIdx, double value, bool normalized) override;
  // The same for every parameter (plain values) in one pass over the
  // controls.
  void SetParametersFromPlug(const std::vector<double>& values) override;
  // The manager must be a control; the surface then owns it.
  void AttachGUIResize(IGUIResizeLink* resizer) override;
  void StoreLiveLayout(ILiveLayoutState* state) override;

  // ---- control list (GUI thread) ----
  // Appends control and takes ownership; its index, or -1 when the list
  // could not grow (the control is then not owned).
  int AttachControl(IControl* control);
  void AttachPanelBackground(const IColor* color);
  // The one-frame image of the resource as an unbound bitmap control over
  // (0, 0, its size), copied without blending, inserted at index 0.
  void AttachBackground(int id, const char* name);
  // Owned; receives the keys no control takes.
  void AttachKeyCatcher(IControl* control);
  void MoveControl(int from, int to);
  void SwapControls(int a, int b);
  // The replaced control is not deleted: its owner keeps it.
  void ReplaceControl(int index, IControl* control);
  // Not deleted either.
  void RemoveControl(int index);
  int GetControlIdx(IControl* control) const;
  IControl* GetControl(int index) const { return mControls.Get(index); }
  int NControls() const { return mControls.GetSize(); }
  // The same, by the name the live editor's layout header uses.
  int GetNControls() const { return NControls(); }

  // ---- by parameter index (any thread) ----
  void HideControl(int paramIdx, bool hide);
  void GrayOutControl(int paramIdx, bool grey);
  void MoveControlByParam(int paramIdx, int x, int y);
  void SetControlValueByParam(int paramIdx, double normalized);
  void ClampControl(int paramIdx, double lo, double hi, bool normalized);
  // Hidden flag of the last control bound to it; false when none.
  bool IsControlHidden(int paramIdx);

  // ---- by list index ----
  void HideControlByIdx(int index, bool hide);
  void GrayOutControlByIdx(int index, bool grey);
  void MoveControlByIdx(int index, int x, int y);
  void SetControlFromPlug(int index, double normalized);

  // ---- whole list ----
  void SetAllControlsDirty();
  void SetStrictDrawing(bool strict);
  void SetTooltipsFromParamNames();
  void OnGUIIdle();

  // ---- frame cycle (GUI thread) ----
  // out must be all zero on entry; it becomes the union of the dirty
  // controls' rectangles (and of the places they left). Calls the plug-in's
  // idle hook on every second frame in a row with nothing dirty, and on
  // every frame while the surface rests.
  bool IsDirty(IRECT* out);
  // An editor left alone repaints nothing for minutes: once no control has
  // needed a repaint for kTicksBeforeRest frames in a row, the surface rests
  // and the platform's timer ticks every kRestingFrameMs instead of FPS()
  // times a second. A dirty control and any input end the rest; a plug-in
  // whose idle passes keep time (IUnitBase::IdleIsTimed) keeps it from
  // resting. A resting frame asks the controls only when a change was
  // counted since the last one that found none dirty (IControlChanges), and
  // the first change counted while it rests calls the resting wake (from
  // the thread that made it), which should run a frame at once.
  static constexpr int kTicksBeforeRest = 30;
  static constexpr int kRestingFrameMs = 250;
  void SetRestingWake(void (*wake)()) { mRestingWake = wake; }
  bool Resting() const { return mQuietTicks >= kTicksBeforeRest; }
  void NoteInput() { mQuietTicks = 0; }
  // What the platform's timer waits between two frames now, in ms.
  int FrameIntervalMs() const { return Resting() ? kRestingFrameMs : 1000 / mFPS; }
  // Repaints the controls meeting invalidated and shows the bitmap. A
  // control is cleaned only when all it covers (and covered) lies inside
  // invalidated; otherwise it stays dirty for the next frame.
  bool Draw(IRECT* invalidated);

  // ---- input (GUI thread; IGraphicsInput.cpp) ----
  void OnMouseDown(int x, int y, IMouseMod* mod);
  void OnMouseUp(int x, int y, IMouseMod* mod);
  void OnMouseDrag(int x, int y, IMouseMod* mod);
  // True when the click was taken as a press and captured.
  bool OnMouseDblClick(int x, int y, IMouseMod* mod);
  void OnMouseWheel(int x, int y, IMouseMod* mod, int d);
  bool OnMouseOver(int x, int y, IMouseMod* mod);
  void OnMouseOut();
  bool OnKeyDown(int x, int y, int key);
  int GetControlIdxAt(int x, int y, bool mouseOver = false);
  // Ends the capture; the control that held it is told it lost it.
  void ReleaseMouseCapture();
  int GetLiveEditControlIdx(int x, int y);
  int GetParamIdxForPos(int x, int y);
  int TakeLastClickedParam();

  // ---- prompts and text entry ----
  void PromptUserInput(IControl* control, IParam* param, IRECT* textRect);
  void SetFromStringAfterPrompt(IControl* control, IParam* param, const char* text);
  // Opens a text entry over rect; an entry already open is ended first and
  // its text applied.
  void OpenTextEntry(IControl* control, IText* style, IRECT* rect, const char* text,
                     IParam* param);
  bool IsTextEntryOpen() const { return mEdControl != nullptr; }
  IControl* GetTextEntryControl() const { return mEdControl; }
  IParam* GetTextEntryParam() const { return mEdParam; }
  // Where the open entry belongs now: the rectangle it opened over, moved
  // and scaled as its control's rectangle was since (a re-layout at another
  // scale); empty with none open.
  IRECT TextEntryRect() const;
  // For the platform: the entry ended with text (applied) or was dropped.
  void TextEntryEnded(const char* text);
  void TextEntryCancelled();
  // The tooltip of the control under the mouse, "" when none.
  void GetMouseOverTooltip(BASE_String* out);

  // ---- artwork: process-wide caches (IGraphicsBitmaps.cpp) ----
  // The record of the PNG resource name, N frames, kept under id: the
  // first load of an id decodes the file, later loads share its pixels.
  // With a bitmap divisor of 2 or more the artwork is stored at that many
  // times its size: the record gets the PNG's size divided by the divisor
  // and a 1 x 1 placeholder until RescaleBitmaps fills it, and a file the
  // platform can size from its header (OSPeekBitmapSize) is decoded only
  // then. A file that cannot be loaded is logged and gives a 0 x 0 record
  // that draws nothing. Never null; the record lives as long as the caches.
  IBitmap* LoadIBitmap(int id, const char* name, int nStates = 1, bool framesAreHoriz = false);
  // Resamples every record handed out from its PNG to scale times its
  // stored size; a strip of N >= 2 frames gets N more pixels along its
  // frames. The first rescale of an id decodes its file (or uses the
  // decode its load kept); later ones expand the colour indices kept from
  // that decode, or read a file of more than 256 colours again; a change
  // back to the scale before takes the pixels kept from it. The ids
  // are worked on side by side, one thread per processor; a file broken
  // behind a whole header leaves 0 x 0 records. GUI thread, while nothing
  // loads bitmaps.
  // Artwork never made that only hidden bitmap controls of this surface
  // draw (closed panels) is not made: its records take their new size, its
  // pixels wait, empty, for the first draw that needs them.
  // Single-frame artwork whose pixels other than 0 fill at most three
  // quarters of it once resampled (the mostly transparent effect plates)
  // keeps only their bounding box: its records are marked cropped with the
  // box's place, keep the whole size, and draw the same pixels.
  // Single-frame artwork of at least a million pixels whose pixels have at
  // most 256 colours (the background at a scale its file is drawn for)
  // keeps them as colour indices only, which draws expand a band at a time.
  // Pixels kept from the scale before are kept only while that scale is
  // the smaller: coming back from a larger scale gives its memory back.
  void RescaleBitmaps(double scale) override;
  // The scale of the last RescaleBitmaps (0 before the first), which every
  // record handed out stands at.
  static double ArtworkScale();
  // Makes the pixels of a record whose artwork waits for its first draw;
  // nothing for any other. Every drawing call that reads a record runs it.
  void MakeWaitingPixels(IBitmap* bitmap);
  // The record's pixels as the whole artwork: mData itself, or, for
  // artwork that holds only its part with pixels other than 0 or holds its
  // pixels as colour indices, a copy of the whole size made in holder (0
  // outside the part). For the drawing calls that turn or scale artwork,
  // which read it whole.
  static RAST_IBitmap* WholePixels(const IBitmap* bitmap, std::unique_ptr<RAST_MemBitmap>* holder);
  // Resamples src into the whole of dst; a strip of nStates >= 2 frames is
  // resampled frame by frame into a cleared dst (see ResampleBitmapData).
  static void ResampleBitmap(RAST_IBitmap* src, RAST_IBitmap* dst, int nStates, bool framesAreHoriz);
  // The box-filtered bilinear resampler. Spans and width bounds are in
  // pixels; a source pixel at column srcBound or beyond, or at row srcH or
  // beyond, reads as 0. Destination pixel (i, j) averages kx by ky bilinear
  // taps one source pixel apart from (i * srcW / dstW, j * srcH / dstH),
  // kx and ky the ratios rounded up (1 when enlarging); each channel
  // truncated.
  static void ResampleBitmapData(int srcSpan, int srcBound, int dstSpan, int dstBound,
                                 const RAST_pixel* src, RAST_pixel* dst, int srcW, int srcH,
                                 int dstW, int dstH);
  // Puts the record's pixels in the cache under id -1 / takes them out
  // and deletes them.
  void RetainBitmap(IBitmap* bitmap);
  void ReleaseBitmap(IBitmap* bitmap);
  // New pixels kept in the cache under id -1: in scaled to destW x destH,
  // or the rectangle r of it; the record has the input's frames.
  IBitmap ScaleBitmap(IBitmap* in, int destW, int destH);
  IBitmap CropBitmap(IBitmap* in, const IRECT* r);
  // The font of the style, shared by every style with the same size,
  // orientation, style and face; null when none can be made.
  RAST_IFont* CacheFont(IText* style);
  // Test seam: empties the bitmap, scaled-bitmap and font caches, so each
  // test starts as a fresh process does. Records handed out before are
  // gone, and so are the fonts styles cached: the surfaces and styles that
  // used them must go first.
  static void ClearCachesForTest();

  // ---- drawing into the draw bitmap (IGraphicsDrawing.cpp) ----
  // Colours are IColor; a null blend copies with the source's alpha at
  // weight 1.0. Bitmaps paint only inside the area being repainted.
  bool DrawBitmap(IBitmap* bitmap, const IRECT* dest, int srcX, int srcY, const IChannelBlend* blend);
  // frame counts from 1.
  bool DrawIBitmap(IBitmap* bitmap, const IRECT* dest, int frame, const IChannelBlend* blend);
  // Turned by angle (radians) about its centre at (cx, cy), the centre
  // moved down by yOffsetZeroDeg.
  bool DrawRotatedBitmap(IBitmap* bitmap, int cx, int cy, double angle, int yOffsetZeroDeg,
                         const IChannelBlend* blend);
  // base with its alpha cleared, mask added over it turned by angle
  // (degrees), top over that turned alike; the result at (x, y).
  bool DrawRotatedMask(IBitmap* base, IBitmap* mask, IBitmap* top, int x, int y, double angle,
                       const IChannelBlend* blend);
  bool DrawPoint(const IColor* color, float x, float y, const IChannelBlend* blend);
  // Stores the pixel as it is; nothing outside the draw bitmap.
  bool ForcePixel(const IColor* color, int x, int y);
  // The draw bitmap's pixel; all zero outside it.
  IColor GetPoint(int x, int y);
  RAST_pixel* GetBits();
  bool DrawLine(const IColor* color, float x1, float y1, float x2, float y2,
                const IChannelBlend* blend, bool antiAlias);
  // Angles in radians, 0 up, clockwise.
  bool DrawArc(const IColor* color, float cx, float cy, float r, float minAngle, float maxAngle,
               const IChannelBlend* blend, bool antiAlias);
  bool DrawCircle(const IColor* color, float cx, float cy, float r, const IChannelBlend* blend,
                  bool antiAlias);
  bool RoundRect(const IColor* color, const IRECT* rect, const IChannelBlend* blend, int corner,
                 bool antiAlias);
  bool FillRoundRect(const IColor* color, const IRECT* rect, const IChannelBlend* blend, int corner,
                     bool antiAlias);
  bool FillIRect(const IColor* color, const IRECT* rect, const IChannelBlend* blend);
  bool FillCircle(const IColor* color, int cx, int cy, float r, const IChannelBlend* blend,
                  bool antiAlias);
  bool FillTriangle(const IColor* color, int x1, int y1, int x2, int y2, int x3, int y3,
                    const IChannelBlend* blend);
  bool FillIConvexPolygon(const IColor* color, const int* x, const int* y, int n,
                          const IChannelBlend* blend);
  // One-pixel outline along the edges, copied at full weight.
  bool DrawRect(const IColor* color, const IRECT* rect);
  // A line across rect at the fraction (clamped to 0..1) of its width or
  // height.
  bool DrawVerticalLine(const IColor* color, const IRECT* rect, float x);
  bool DrawHorizontalLine(const IColor* color, const IRECT* rect, float y);
  bool DrawVerticalLineAt(const IColor* color, int xi, int yLo, int yHi);
  bool DrawHorizontalLineAt(const IColor* color, int yi, int xLo, int xHi);
  bool DrawRadialLine(const IColor* color, float cx, float cy, float angle, float rMin, float rMax,
                      const IChannelBlend* blend, bool antiAlias);
  bool DrawBitmapScaled(IBitmap* bitmap, const IRECT* dest, const IRECT* src);
  // Draws text in style into r of the draw bitmap, or with measure sets r
  // to the size the text takes: centred on r's middle, ending at r.R when
  // far-aligned, from r.L when near-aligned; r.B = r.T + its height. False
  // when the style's font cannot be made.
  bool DrawIText(IText* style, const char* text, IRECT* r, bool measure);

  // ---- state ----
  RAST_IBitmap* GetDrawBitmap() const;
  RAST_MemBitmap* GetTmpBitmap() const { return mTmpBitmap.get(); }
  const IRECT& GetDrawRECT() const { return mDrawRECT; }
  IUnitBase* GetPlug() const { return mPlug; }
  int FPS() const { return mFPS; }
  bool GetStrictDrawing() const { return mStrict; }
  void HandleMouseOver(bool on) { mHandleMouseOver = on; }
  void EnableTooltips(bool on) { mTooltips = on; }
  bool TooltipsEnabled() const { return mTooltips; }
  int GetMouseCapture() const { return mMouseCapture; }
  int GetMouseOver() const { return mMouseOver; }
  unsigned GetBitmapDivisor() const { return mBitmapDivisor; }
  void SetBitmapDivisor(unsigned divisor) { mBitmapDivisor = divisor; }
  double GetScale() const { return mScale; }
  // The resize manager keeps it equal to its GUI scale.
  void SetScale(double scale) { mScale = scale; }
  // Nothing in the program sets the live-edit flag; tests switch the live
  // layout editor on here. Null until then.
  void SetLiveEditForTest(bool on);
  ILiveEdit* GetLiveEdit() const { return mLiveEditor.get(); }

protected:
  friend class ILiveEdit;
  // True while the live layout editor takes the mouse from the controls.
  bool LiveEditing() const;
  // Index limit of the list operations: the resize manager's three controls
  // stay at the end.
  int MovableLimit() const;
  void RewriteIndexes();
  int HitSearch(int x, int y, bool mouseOver);
  // The quiet frame's count toward the rest, and its idle pass.
  void RestQuietly();
  bool ResizeNoticeDue();

  BASE_Mutex mMutex;
  BASE_PtrList<IControl> mControls;
  IUnitBase* mPlug;  // not owned
  IRECT mDrawRECT;
  bool mCursorHidden = false;
  int mHiddenX = -1, mHiddenY = -1;
  std::unique_ptr<RAST_SysBitmap> mDrawBitmap;
  std::unique_ptr<RAST_MemBitmap> mTmpBitmap;
  int mWidth, mHeight;
  int mFPS;
  int mIdleTicks = 0;
  int mQuietTicks = 0;  // frames in a row with nothing dirty, up to kTicksBeforeRest
  void (*mRestingWake)() = nullptr;
  // The change count read before the last scan that found every control
  // clean; unset while that scan found one dirty.
  bool mCleanAtValid = false;
  unsigned mCleanAt = 0;
  int mMouseCapture = -1;
  int mMouseOver = -1;
  int mMouseX = 0, mMouseY = 0;
  int mLastClickedParam = -1;
  bool mHandleMouseOver = false;
  bool mStrict = true;
  bool mTooltips = false;
  bool mShowControlBounds = false;
  std::unique_ptr<IControl> mKeyCatcher;
  unsigned mBitmapDivisor = 1;
  double mScale = 1.0;
  // Layout editor state: hit mode, live-edit flag, last modifiers, last key
  // code, pinned control, whether a drag was seen, the grid size, the
  // alignment distance and the editor itself.
  int mLiveEditHitMode = 0;
  bool mLiveEdit = false;
  IMouseMod mLiveEditMod;
  int mLastKey = -1;
  int mLiveEditPinned = -1;
  bool mLiveEditDragged = false;
  int mLiveEditGridSize = 1;
  int mLiveEditAlignDistance = 0;
  std::unique_ptr<ILiveEdit> mLiveEditor;
  // The control and parameter of the open text entry.
  IControl* mEdControl = nullptr;
  IParam* mEdParam = nullptr;
  // The entry's rectangle and its control's when it opened.
  IRECT mEdRect;
  IRECT mEdControlRect;
};
