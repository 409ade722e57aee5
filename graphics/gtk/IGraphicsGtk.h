// IGraphicsMac: the GUI surface on the desktop. Its view is a drawing area
// of the platform layer (PLAT_GtkSurfaceView), placed at the top-left corner
// of a window-layer view; the view's frame timer runs the surface's dirty
// query at the surface's rate, and its paint repaints the area and shows the
// draw bitmap's pixels of that area. Events arrive in GUI pixels one to one.
// Menus, file choosers, message boxes, cursors and the clipboard go through
// the window layer; URLs and documents open with the desktop's application
// for them.
//
// Threads: the GUI thread, except ShowMessageBox, which any thread may call
// (the alert it shows needs no main loop).
#pragma once

#include "core/BASE_String.h"
#include "graphics/IGraphics.h"
#include "platform/gtk/PLAT_GtkSurfaceView.h"

#include <memory>
#include <string>
#include <vector>

class IGraphicsMac : public IGraphics, private PLAT_SurfaceClient
{
public:
  // fps <= 0 becomes 120. Opens no window.
  IGraphicsMac(IUnitBase* plug, int width, int height, int fps = 0);
  // Closes the view first.
  ~IGraphicsMac() override;

  // The application's identifier, set by the creator.
  void SetBundleID(const char* id) { mBundleID.Set(id); }
  const char* GetBundleID() const { return mBundleID.Get(); }

  // ---- platform slots ----
  using IGraphics::DrawIText;
  // Presents the draw bitmap to the open view, which paints the area being
  // painted from it; false without one.
  bool DrawScreen(IRECT* rect) override;
  bool MeasureIText(IText* style, const char* text, IRECT* rect) override;
  void ForceEndUserEdit() override;
  void Resize(int w, int h) override;
  const char* GetGUIAPI() override { return "Cocoa GUI"; }
  // Type 0 "OK"; 1 "OK", "Cancel"; 3 "Yes", "No", "Cancel"; 4 "Yes", "No";
  // other types "OK". Answers 1 for OK or Yes, 7 for No or the Cancel of an
  // OK/Cancel box, 2 for the Cancel of a Yes/No/Cancel box, and 0 when the
  // box could not be shown. Any thread.
  int ShowMessageBox(const char* text, const char* caption, int type) override;
  // Shown as a window-layer popup menu just below rect's bottom left.
  IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* rect) override;
  // The title item index of menu shows there: its display text, "&" as
  // itself, a title item indented one level (four spaces).
  static std::string PopupItemTitle(IPopupMenu* menu, int index);
  void CreateTextEntry(IControl* control, IText* style, IRECT* rect, const char* text, IParam* param) override;
  // The executable, read from /proc/self/exe; empty when it cannot be read.
  void HostPath(BASE_String* path) override;
  // The executable's folder with a "/".
  void PluginPath(BASE_String* path) override;
  void DesktopPath(BASE_String* path) override;
  void DocumentsPath(BASE_String* path) override;
  // "$HOME/Library/Application Support", made with its parents (mode 0700)
  // for the user; "/Library/Application Support" for the system.
  void AppSupportPath(BASE_String* path, bool system) override;
  // "$HOME/Music".
  void SandboxSafeAppSupportPath(BASE_String* path) override;
  void PromptForFile(BASE_String* file, int action, BASE_String* dir, const char* extensions,
                     const char* title) override;
  bool PromptForColor(IColor*, const char*) override { return false; }
  // A web address (a text containing "http") or a document opened with the
  // desktop's application for it; false when that did not open (a missing
  // document, no application, a failed launch). No URL (null or empty)
  // opens nothing and answers true.
  bool OpenURL(const char* url) override;
  // parent is a window-layer view (HWND) or null. Any view open is closed
  // first, so one view at most exists. The new view, or null without a
  // display.
  void* OpenWindow(void* parent) override;
  // host is a window-layer view (HWND). Makes a borderless window of the
  // GUI's size owned by host's window, above it and horizontally centred on
  // it, shown 0.05 s later. Any window made before is removed first.
  void AttachSubWindow(void* host) override;
  // Removes the window AttachSubWindow made, if any.
  void RemoveSubWindow() override;
  // The window AttachSubWindow made; null when there is none.
  void* GetSubWindow() const { return mChildWindow; }
  // Stops the frame timer and takes the view away; the surface is never
  // asked again until the next OpenWindow.
  void CloseWindow() override;
  void* GetWindow() override { return mView.get(); }
  bool GetTextFromClipboard(BASE_String* text) override;
  void HideMouseCursor() override;
  void ShowMouseCursor() override;
  void UpdateTooltips() override;
  // The resource "<stem>.png" for a name ending in ".png" in any case.
  RAST_IBitmap* OSLoadBitmap(int id, const char* name) override;
  bool OSPeekBitmapSize(int id, const char* name, int* w, int* h) override;
  bool DrawIText(IText* style, const char* text, IRECT* rect) override;
  void CommitUserEdit() override;

  // The running kernel's version as 0xMmp: major, then minor and patch
  // held to one hex digit each (6.1.0 gives 0x610); 0 when unknown.
  int GetUserOSVersion();
  // The same of a release text ("6.1.0-18-amd64").
  static int OSVersionOf(const char* release);

  // The view, for tests that drive it on a display; null when closed.
  PLAT_GtkSurfaceView* GetView() const { return mView.get(); }

private:
  // ---- the view's calls ----
  bool OnSurfaceFrame(PLAT_Rect* area) override;
  void OnSurfaceDraw(const PLAT_Rect& area) override;
  bool OnSurfaceInput(const PLAT_Input& input) override;
  void OnSurfaceLeave() override;
  bool OnTextEntryAccepts(const char* text) override;
  void OnTextEntryEnd(const char* text) override;
  void OnTextEntryCancel() override;
  std::string OnSurfaceTooltip(int x, int y) override;

  std::unique_ptr<PLAT_GtkSurfaceView> mView;
  void* mParent = nullptr;  // the window-layer view holding the view
  void* mHostWindow = nullptr;   // AttachSubWindow's host (HWND)
  void* mChildWindow = nullptr;  // the window it made (HWND)
  BASE_String mBundleID;
  // Mouse state of the view: the last position, the buttons held and the
  // presses counted towards a double click.
  int mPrevX = 0, mPrevY = 0;
  unsigned mButtonsHeld = 0;
  int mClickButton = 0, mClickCount = 0;
  uint32_t mClickTime = 0;
  double mClickX = 0, mClickY = 0;
  // The open text entry's input rule.
  std::string mFieldAllowed;
  bool mFieldAllowsAll = true;
  int mFieldMaxLength = 0;
  // Where tooltips show: the target rectangles of the visible controls.
  std::vector<IRECT> mTooltipRects;
};
