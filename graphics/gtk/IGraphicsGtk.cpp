// IGraphicsMac: the view's life, the frame cycle, input, prompts and the
// desktop services.
//
// ---- construction and the view ----
// ---- frame cycle ----
// ---- input ----
// ---- text entry and tooltips ----
// ---- menus, message boxes, files ----
// ---- paths, URLs, clipboard, cursor, resources ----
#include "graphics/gtk/IGraphicsGtk.h"

#include "core/IParam.h"
#include "core/Log.h"
#include "graphics/IGraphicsView.h"
#include "graphics/IPopupMenu.h"
#include "graphics/controls/IControl.h"
#include "platform/gtk/PLAT_GtkOpen.h"
#include "platform/gtk/PLAT_GtkView.h"
#include "raster/RAST_Bitmap.h"
#include "winl/WINL_Clipboard.h"
#include "winl/WINL_Cursor.h"
#include "winl/WINL_Dialog.h"
#include "winl/WINL_FileDialog.h"
#include "winl/WINL_Kernel.h"
#include "winl/WINL_Menu.h"
#include "winl/WINL_MessageBox.h"
#include "winl/WINL_Queue.h"
#include "winl/WINL_Window.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>

namespace
{
std::string Home()
{
  const char* home = std::getenv("HOME");
  if (home && *home) return home;
  const passwd* pw = getpwuid(getuid());
  return pw && pw->pw_dir ? pw->pw_dir : "";
}

// Makes the folder and the missing ones above it; a failure is reported,
// since the settings read and written there would otherwise vanish.
void MakeFolders(const std::string& path, mode_t mode)
{
  for (size_t i = 1; i <= path.size(); ++i)
  {
    if (i < path.size() && path[i] != '/') continue;
    const std::string part = path.substr(0, i);
    if (mkdir(part.c_str(), mode) != 0 && errno != EEXIST)
    {
      std::fprintf(stderr, "ZephraEditor: cannot make the folder %s: %s\n", part.c_str(), std::strerror(errno));
      return;
    }
  }
}

IRECT ToIRECT(const PLAT_Rect& r) { return IRECT(r.x, r.y, r.x + r.w, r.y + r.h); }

uint32_t ToARGB(const IColor& c)
{
  return static_cast<uint32_t>(c.A & 255) << 24 | static_cast<uint32_t>(c.R & 255) << 16 |
         static_cast<uint32_t>(c.G & 255) << 8 | static_cast<uint32_t>(c.B & 255);
}
}  // namespace

// ---- construction and the view ----

IGraphicsMac::IGraphicsMac(IUnitBase* plug, int width, int height, int fps) : IGraphics(plug, width, height, fps)
{
  SetRestingWake(&PLAT_GtkSurfaceView::FrameSoon);
}

IGraphicsMac::~IGraphicsMac()
{
  RemoveSubWindow();
  CloseWindow();
}

void IGraphicsMac::AttachSubWindow(void* host)
{
  RemoveSubWindow();
  HWND child = WINL_CreateChildWindow(static_cast<HWND>(host), Width(), Height());
  if (!child) return;
  mHostWindow = host;
  mChildWindow = child;
  // Shown once the host has settled above whatever brought it up.
  SetTimer(child, 1, 50, [](HWND hwnd, UINT, UINT_PTR id, DWORD) {
    KillTimer(hwnd, id);
    ShowWindow(hwnd, SW_SHOWNORMAL);
  });
}

void IGraphicsMac::RemoveSubWindow()
{
  if (mChildWindow && IsWindow(static_cast<HWND>(mChildWindow))) DestroyWindow(static_cast<HWND>(mChildWindow));
  mChildWindow = nullptr;
  mHostWindow = nullptr;
}

void* IGraphicsMac::OpenWindow(void* parent)
{
  CloseWindow();
  mView = PLAT_GtkSurfaceView::Create(this, Width(), Height(), FPS());
  if (!mView) return nullptr;
  mParent = parent;
  if (PLAT_GtkView* host = parent ? WINL_GetNativeView(static_cast<HWND>(parent)) : nullptr)
  {
    mView->Host()->SetParent(host, PLAT_Rect{0, 0, Width(), Height()});
    mView->GrabFocus();
  }
  UpdateTooltips();
  return mView.get();
}

void IGraphicsMac::CloseWindow()
{
  if (!mView) return;
  ForceEndUserEdit();
  mTooltipRects.clear();
  mButtonsHeld = 0;
  mView.reset();
  mParent = nullptr;
}

void IGraphicsMac::Resize(int w, int h)
{
  IGraphics::Resize(w, h);
  if (!mView) return;
  mView->SetSize(w, h);
  mView->Host()->SetFrame(PLAT_Rect{0, 0, w, h});
  mView->Invalidate(PLAT_Rect{0, 0, w, h});
  // The controls stand at their new places by now: an open entry goes with
  // its own.
  if (IsTextEntryOpen() && mView->IsTextFieldOpen())
  {
    const IRECT r = TextEntryRect();
    mView->MoveTextField(PLAT_Rect{r.L, r.T, r.W(), r.H()});
  }
}

// ---- frame cycle ----

bool IGraphicsMac::OnSurfaceFrame(PLAT_Rect* area)
{
  IRECT dirty;
  const bool any = IsDirty(&dirty);
  if (mView) mView->SetFrameInterval(FrameIntervalMs());
  if (!any) return false;
  // One pixel wider and taller than the dirty union, as every view of the
  // surface repaints (RunViewFrame).
  *area = PLAT_Rect{dirty.L, dirty.T, dirty.W() + 1, dirty.H() + 1};
  return true;
}

void IGraphicsMac::OnSurfaceDraw(const PLAT_Rect& area)
{
  IRECT r = ToIRECT(area);
  Draw(&r);
  // A surface with nothing to draw still shows the pixels it holds; the
  // view paints only what each paint presents.
  DrawScreen(&r);
}

bool IGraphicsMac::DrawScreen(IRECT* rect)
{
  RAST_IBitmap* bitmap = GetDrawBitmap();
  if (!mView || !rect || !bitmap) return false;
  PLAT_SurfacePixels pixels;
  pixels.bits = bitmap->getBits();
  pixels.span = bitmap->getRowSpan();
  pixels.width = bitmap->getWidth();
  pixels.height = bitmap->getHeight();
  mView->Present(pixels);
  return true;
}

// ---- input ----

bool IGraphicsMac::OnSurfaceInput(const PLAT_Input& in)
{
  NoteInput();
  const bool shift = in.mods & PLAT_MOD_SHIFT, control = in.mods & PLAT_MOD_CONTROL, alt = in.mods & PLAT_MOD_ALT;
  // The desktop's Command key is Control, as in the window layer's menus.
  const auto modsFor = [&](EViewButton button) { return ViewModifiers(button, control, shift, control, alt); };
  switch (in.kind)
  {
    case PLAT_Input::Kind::ButtonDown:
    {
      if (in.button != 1 && in.button != 3) return true;
      const bool again = mClickCount > 0 && in.button == mClickButton &&
                         in.time - mClickTime <= static_cast<uint32_t>(PLAT_GtkDoubleClickTime()) &&
                         std::fabs(in.x - mClickX) <= PLAT_GtkDoubleClickDistance() &&
                         std::fabs(in.y - mClickY) <= PLAT_GtkDoubleClickDistance();
      mClickCount = again ? mClickCount + 1 : 1;
      mClickButton = in.button;
      mClickTime = in.time;
      mClickX = in.x;
      mClickY = in.y;
      mButtonsHeld |= 1u << in.button;
      const EViewButton button = in.button == 1 ? kViewLeft : kViewRight;
      IMouseMod mod = modsFor(button);
      ViewMouseDown(this, in.x, in.y, button, mClickCount, &mod, &mPrevX, &mPrevY);
      return true;
    }
    case PLAT_Input::Kind::ButtonUp:
    {
      if (in.button != 1 && in.button != 3) return true;
      mButtonsHeld &= ~(1u << in.button);
      ViewPointToGUI(in.x, in.y, &mPrevX, &mPrevY);
      IMouseMod mod = modsFor(in.button == 1 ? kViewLeft : kViewRight);
      OnMouseUp(mPrevX, mPrevY, &mod);
      return true;
    }
    case PLAT_Input::Kind::Motion:
    {
      IMouseMod mod = modsFor((mButtonsHeld & (1u << 3)) ? kViewRight : kViewLeft);
      if (mButtonsHeld)
      {
        ViewMouseDrag(this, in.x, in.y, &mod, &mPrevX, &mPrevY);
        return true;
      }
      ViewPointToGUI(in.x, in.y, &mPrevX, &mPrevY);
      mod.L = mod.R = false;
      OnMouseOver(mPrevX, mPrevY, &mod);
      return true;
    }
    case PLAT_Input::Kind::Scroll:
    {
      IMouseMod mod = modsFor(kViewWheel);
      ViewScrollWheel(this, in.x, in.y, in.wheelY, &mod, &mPrevX, &mPrevY);
      return true;
    }
    case PLAT_Input::Kind::KeyDown:
      // Keys without a code, or that no control takes, go on to the windows
      // around the view.
      return ViewKeyDown(this, mPrevX, mPrevY, in.virtualKey, in.keyChar);
    case PLAT_Input::Kind::KeyUp:
    case PLAT_Input::Kind::Magnify:
    case PLAT_Input::Kind::Rotate:
    case PLAT_Input::Kind::Swipe: return false;
  }
  return false;
}

void IGraphicsMac::OnSurfaceLeave()
{
  OnMouseOut();
}

// ---- text entry and tooltips ----

void IGraphicsMac::CreateTextEntry(IControl* control, IText* style, IRECT* rect, const char* text, IParam* param)
{
  if (!control || !mView || !rect)
  {
    TextEntryCancelled();
    return;
  }
  const char* allowed = param ? TextEntryCharacters(param->Type()) : nullptr;
  mFieldAllowsAll = allowed == nullptr;
  mFieldAllowed = allowed ? allowed : "";
  mFieldMaxLength = param ? control->GetTextEntryLength() : 0;
  PLAT_GtkSurfaceView::TextField field;
  if (style)
  {
    field.font = style->mFont;
    field.size = static_cast<int>(style->mSize * 0.9);
    field.align = style->mAlign;
    field.password = style->mPassword == 1;
    field.textColor = ToARGB(style->mTextEntryFGColor);
    field.backColor = ToARGB(style->mTextEntryBGColor);
  }
  mView->OpenTextField(PLAT_Rect{rect->L, rect->T, rect->W(), rect->H()}, text, field);
}

bool IGraphicsMac::OnTextEntryAccepts(const char* text)
{
  return TextEntryAccepts(text, mFieldAllowsAll ? nullptr : mFieldAllowed.c_str(), mFieldMaxLength, 0);
}

void IGraphicsMac::OnTextEntryEnd(const char* text)
{
  if (IsTextEntryOpen()) TextEntryEnded(text);
}

void IGraphicsMac::OnTextEntryCancel() { TextEntryCancelled(); }

void IGraphicsMac::CommitUserEdit()
{
  if (!mView || !mView->IsTextFieldOpen())
  {
    if (IsTextEntryOpen()) TextEntryCancelled();
    return;
  }
  const std::string text = mView->TextFieldText();
  mView->CloseTextField();
  OnTextEntryEnd(text.c_str());
}

void IGraphicsMac::ForceEndUserEdit()
{
  if (mView) mView->CloseTextField();
  TextEntryCancelled();
}

void IGraphicsMac::UpdateTooltips()
{
  if (!TooltipsEnabled() || !mView) return;
  mTooltipRects.clear();
  for (int i = 0; i < NControls(); ++i)
  {
    IControl* c = GetControl(i);
    const IRECT target = c->GetTargetRECT();
    if (!c->IsHidden() && !target.Empty()) mTooltipRects.push_back(target);
  }
  mView->EnableTooltips(true);
}

std::string IGraphicsMac::OnSurfaceTooltip(int x, int y)
{
  bool inside = false;
  for (const IRECT& r : mTooltipRects) inside = inside || r.Contains(x, y);
  if (!inside) return std::string();
  BASE_String text;
  GetMouseOverTooltip(&text);
  return text.Get();
}

bool IGraphicsMac::MeasureIText(IText* style, const char* text, IRECT* rect)
{
  return IGraphics::DrawIText(style, text, rect, true);
}

bool IGraphicsMac::DrawIText(IText* style, const char* text, IRECT* rect)
{
  return IGraphics::DrawIText(style, text, rect, false);
}

// ---- menus, message boxes, files ----

namespace
{
// The window layer reads "&x" as a mnemonic; a menu's texts are shown as they are.
std::string Literal(const char* text)
{
  std::string out;
  for (const char* p = text; *p; ++p)
  {
    if (*p == '&') out += '&';
    out += *p;
  }
  return out;
}

// The window-layer menu of menu and its submenus; each item that can be
// chosen gets the command id of its place in chosen, counted from 1.
HMENU BuildMenu(IPopupMenu* menu, std::vector<std::pair<IPopupMenu*, int>>* chosen, int depth)
{
  HMENU h = CreatePopupMenu();
  for (int i = 0; i < menu->GetNItems(); ++i)
  {
    IPopupMenu::IPopupMenuItem* item = menu->GetItem(i);
    const std::string title = IGraphicsMac::PopupItemTitle(menu, i);
    const UINT pos = static_cast<UINT>(i);
    if (item->GetIsSeparator())
      WINL_InsertMenu(h, pos, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
    else if (IPopupMenu* sub = item->GetSubmenu(); sub && depth < 16)
      WINL_InsertMenu(h, pos, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(BuildMenu(sub, chosen, depth + 1)),
                      title.c_str());
    else
    {
      chosen->emplace_back(menu, i);
      const UINT state = (item->GetEnabled() ? 0 : MF_GRAYED) | (item->GetChecked() ? MF_CHECKED : 0);
      WINL_InsertMenu(h, pos, MF_BYPOSITION | state, chosen->size(), title.c_str());
    }
  }
  return h;
}
}  // namespace

std::string IGraphicsMac::PopupItemTitle(IPopupMenu* menu, int index)
{
  BASE_String text;
  menu->GetDisplayText(index, &text);
  const IPopupMenu::IPopupMenuItem* item = menu->GetItem(index);
  // A title heads the items below it and stands one level in.
  return (item && item->GetIsTitle() ? "    " : "") + Literal(text.Get());
}

IPopupMenu* IGraphicsMac::CreateIPopupMenu(IPopupMenu* menu, IRECT* rect)
{
  ReleaseMouseCapture();
  if (!mView || !menu || !mParent) return nullptr;
  std::vector<std::pair<IPopupMenu*, int>> chosen;
  HMENU h = BuildMenu(menu, &chosen, 0);
  // Just below the rectangle's bottom-left corner; the view lies at (0, 0)
  // of the window-layer view.
  POINT at{rect ? rect->L : mPrevX, (rect ? rect->B : mPrevY) + 4};
  ClientToScreen(static_cast<HWND>(mParent), &at);
  const int command = TrackPopupMenu(h, TPM_RETURNCMD | TPM_NONOTIFY, at.x, at.y, 0, static_cast<HWND>(mParent), nullptr);
  DestroyMenu(h);
  if (command <= 0 || static_cast<size_t>(command) > chosen.size()) return nullptr;
  const auto [level, index] = chosen[static_cast<size_t>(command) - 1];
  level->SetChosenItemIdx(index);
  return level;
}

int IGraphicsMac::ShowMessageBox(const char* text, const char* caption, int type)
{
  const UINT kind = type == 1 || type == 3 || type == 4 ? static_cast<UINT>(type) : MB_OK;
  switch (MessageBox(nullptr, text, caption, kind))
  {
    case IDOK:
    case IDYES: return 1;
    case IDNO: return 7;
    case IDCANCEL: return kind == MB_YESNOCANCEL ? 2 : 7;
    default: return 0;
  }
}

void IGraphicsMac::PromptForFile(BASE_String* file, int action, BASE_String* dir, const char* extensions,
                                 const char* title)
{
  if (!file) return;
  if (!mView)
  {
    file->Set("");
    return;
  }
  const std::string name = file->Get();
  if (dir && dir->GetLength() == 0) dir->Set("~/Desktop");
  std::string folder = dir ? dir->Get() : "~/Desktop";
  if (folder.compare(0, 1, "~") == 0) folder = Home() + folder.substr(1);
  file->Set("");

  // One filter of every extension: "Files", "*.a;*.b", then the end mark.
  std::string filter;
  if (extensions && *extensions)
  {
    std::string patterns;
    for (const char* p = extensions; *p;)
    {
      const char* end = std::strchr(p, ' ');
      const size_t n = end ? static_cast<size_t>(end - p) : std::strlen(p);
      if (n > 0) patterns += (patterns.empty() ? "*." : ";*.") + std::string(p, n);
      p += n + (end ? 1 : 0);
    }
    filter = std::string("Files") + '\0' + patterns + '\0' + '\0';
  }
  const char* filterList = filter.empty() ? nullptr : filter.c_str();
  const char* caption = title && *title ? title : nullptr;

  std::string chosen;
  if (action == 1)
  {
    std::vector<char> buffer(4096);
    if (BrowseForSaveFile(caption, folder.c_str(), name.c_str(), filterList, buffer.data(),
                          static_cast<int>(buffer.size())))
      chosen = buffer.data();
  }
  else if (char* list = BrowseForFiles(caption, folder.c_str(), name.c_str(), false, filterList))
  {
    chosen = list;
    std::free(list);
  }
  if (chosen.empty()) return;
  file->Set(chosen.c_str());
  if (dir)
  {
    const size_t slash = chosen.rfind('/');
    dir->Set(slash == std::string::npos ? "" : chosen.substr(0, slash + 1).c_str());
  }
}

// ---- paths, URLs, clipboard, cursor, resources ----

void IGraphicsMac::HostPath(BASE_String* path)
{
  char buffer[4096];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  buffer[n > 0 ? n : 0] = '\0';
  path->Set(buffer);
}

void IGraphicsMac::PluginPath(BASE_String* path)
{
  HostPath(path);
  const std::string host = path->Get();
  const size_t slash = host.rfind('/');
  path->Set(slash == std::string::npos ? "" : host.substr(0, slash + 1).c_str());
}

void IGraphicsMac::DesktopPath(BASE_String* path) { path->Set((Home() + "/Desktop").c_str()); }

void IGraphicsMac::DocumentsPath(BASE_String* path) { path->Set((Home() + "/Documents").c_str()); }

void IGraphicsMac::AppSupportPath(BASE_String* path, bool system)
{
  if (system)
  {
    path->Set("/Library/Application Support");
    return;
  }
  const std::string folder = Home() + "/Library/Application Support";
  MakeFolders(folder, 0700);
  path->Set(folder.c_str());
}

void IGraphicsMac::SandboxSafeAppSupportPath(BASE_String* path) { path->Set((Home() + "/Music").c_str()); }

bool IGraphicsMac::OpenURL(const char* url)
{
  if (!url || !*url) return true;
  return PLAT_OpenWithDefaultApp(url);
}

bool IGraphicsMac::GetTextFromClipboard(BASE_String* text)
{
  std::string got;
  bool any = false;
  if (OpenClipboard(nullptr))
  {
    if (HANDLE data = GetClipboardData(CF_TEXT))
      if (const char* p = static_cast<const char*>(GlobalLock(data)))
      {
        got = p;
        any = true;
        GlobalUnlock(data);
      }
    CloseClipboard();
  }
  if (text) text->Set(got.c_str());
  return any;
}

void IGraphicsMac::HideMouseCursor()
{
  if (mCursorHidden) return;
  // The window layer keeps the pointer where it was hidden and brings it
  // back there when shown.
  WINL_ShowCursor(false);
  mCursorHidden = true;
}

void IGraphicsMac::ShowMouseCursor()
{
  if (!mCursorHidden) return;
  WINL_ShowCursor(true);
  mCursorHidden = false;
}

RAST_IBitmap* IGraphicsMac::OSLoadBitmap(int, const char* name)
{
  return LoadPNGResource(name);
}

int IGraphicsMac::OSVersionOf(const char* release)
{
  int part[3] = {0, 0, 0};
  const char* p = release ? release : "";
  for (int i = 0; i < 3; ++i)
  {
    if (*p < '0' || *p > '9') break;
    char* end = nullptr;
    const long v = std::strtol(p, &end, 10);
    part[i] = static_cast<int>(std::min(v, i == 0 ? 0x7FFFFFL : 15L));
    p = end;
    if (*p != '.') break;
    ++p;
  }
  return (part[0] << 8) | (part[1] << 4) | part[2];
}

int IGraphicsMac::GetUserOSVersion()
{
  utsname name{};
  const int version = uname(&name) == 0 ? OSVersionOf(name.release) : 0;
  Trace(__func__, __LINE__, "%x", static_cast<unsigned>(version));
  return version;
}

bool IGraphicsMac::OSPeekBitmapSize(int, const char* name, int* w, int* h) { return PNGResourceSize(name, w, h); }
