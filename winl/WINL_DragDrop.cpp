// The drag sources and drop targets of window views over the toolkit's
// drags (PLAT_GtkDrag.h, PLAT_GtkDrop.h).

#include "winl/WINL_DragDrop.h"

#include "platform/gtk/PLAT_GtkDrag.h"
#include "platform/gtk/PLAT_GtkDrop.h"
#include "winl/WINL_Hosting.h"
#include "winl/WINL_MessageBox.h"
#include "winl/WINL_WndPrivate.h"
#include "winl/draw/WINL_GDI.h"

#include <sys/stat.h>

#include <cmath>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

// ---- sections ----
// the pending promise · writing it · sources · targets

namespace
{
// ---- the pending promise ----

struct Promise
{
  std::string path;
  WINL_DragWriteFn write = nullptr;
};

Promise& Pending()
{
  static auto* promise = new Promise;
  return *promise;
}

WINL_DropHooks& Hooks()
{
  static auto* hooks = new WINL_DropHooks;
  return *hooks;
}

// ---- writing it ----

bool Exists(const std::string& path)
{
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

// The first free "<stem><nnn><extension>" in the folder beside name; a
// number the stem already ends in (up to three digits) is counted on from.
// Empty when every number up to 999 is taken.
std::string FreeName(const std::string& folder, const std::string& name)
{
  const size_t dot = name.rfind('.');
  const bool hasExtension = dot != std::string::npos && dot > 0;
  std::string stem = hasExtension ? name.substr(0, dot) : name;
  const std::string extension = hasExtension ? name.substr(dot) : std::string();
  size_t digits = 0;
  while (digits < 3 && digits < stem.size() && stem[stem.size() - 1 - digits] >= '0' &&
         stem[stem.size() - 1 - digits] <= '9')
    ++digits;
  int first = 1;
  if (digits > 0)
  {
    first = std::atoi(stem.c_str() + stem.size() - digits) + 1;
    stem.erase(stem.size() - digits);
  }
  for (int n = first; n < 1000; ++n)
  {
    char number[16];
    std::snprintf(number, sizeof number, "%03d", n);
    const std::string candidate = stem + number + extension;
    if (!Exists(folder + "/" + candidate)) return candidate;
  }
  return {};
}

std::string AfterLastSlash(const std::string& path)
{
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// What the toolkit calls when a receiver asks for the promise.
std::string WriteForReceiver(const char* folder)
{
  const std::vector<std::string> names = WINL_WritePromisedFiles(folder);
  if (names.empty()) return {};
  std::string dir = folder;
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir + "/" + names.front();
}

// ---- sources ----

// Where a drag starts from in the view: the rectangle's middle, or where
// the pointer is (-1) without one.
void StartPoint(const RECT* rect, int* x, int* y)
{
  *x = rect ? (rect->left + rect->right) / 2 : -1;
  *y = rect ? (std::min(rect->top, rect->bottom) + std::max(rect->top, rect->bottom)) / 2 : -1;
}

// ---- targets ----

HWND HandleOf(uint64_t id) { return reinterpret_cast<HWND>(static_cast<uintptr_t>(id)); }

// Screen points from the toolkit (top-down, fractional) as the hooks get
// them: y-up, rounded.
POINT ScreenPoint(double rootX, double rootY)
{
  return {WINL_ScreenXUp(static_cast<int>(std::floor(rootX + 0.5))),
          WINL_ScreenYUp(static_cast<int>(std::floor(rootY + 0.5)))};
}

bool Accepts(uint64_t id)
{
  WINL_Wnd* w = WINL_Live(id);
  return w && !w->control && w->acceptsFiles;
}

void Entered(uint64_t id, const char* uriList, int x, int y, double rootX, double rootY)
{
  if (!Hooks().dragEnter || !Accepts(id)) return;
  // The hook sees the list the drop would give, not sent.
  HDROP drop = WINL_MakeDropList(WINL_PathsFromUriList(uriList), {x, y}, false);
  if (!drop) return;
  Hooks().dragEnter(HandleOf(id), drop, ScreenPoint(rootX, rootY));
  GlobalFree(drop);
}

void Moved(uint64_t id, double rootX, double rootY)
{
  if (Hooks().dragUpdate && Accepts(id)) Hooks().dragUpdate(HandleOf(id), ScreenPoint(rootX, rootY));
}

void Left(uint64_t id)
{
  if (Hooks().dragLeave && WINL_Live(id)) Hooks().dragLeave(HandleOf(id));
}

bool PromiseFolder(uint64_t id, std::string* folder)
{
  if (!Hooks().promiseFolder || !Accepts(id)) return false;
  if (!folder) return true;
  char buffer[4096] = {};
  Hooks().promiseFolder(HandleOf(id), buffer, sizeof buffer);
  buffer[sizeof buffer - 1] = 0;
  *folder = buffer[0] ? buffer : "/tmp/";
  return true;
}

const PLAT_DropHandler kDropHandler = [] {
  PLAT_DropHandler h;
  h.accepts = Accepts;
  h.entered = Entered;
  h.moved = Moved;
  h.left = Left;
  h.promiseFolder = PromiseFolder;
  return h;
}();
}  // namespace

std::vector<std::string> WINL_WritePromisedFiles(const char* folder)
{
  const Promise promise = Pending();
  if (!folder || !*folder || promise.path.empty() || !promise.write) return {};
  std::string dir = folder;
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  std::string name = AfterLastSlash(promise.path);
  if (name.empty()) return {};
  if (Exists(dir + "/" + name))
  {
    char text[1024];
    std::snprintf(text, sizeof text,
                  "An item named \"%s\" already exists in this location. Do you want to replace it with the one "
                  "you're moving?",
                  name.c_str());
    static const char* const kButtons[] = {"Keep Both Files", "Stop", "Replace"};
    const int answer = WINL_AlertWithButtons("Copy", text, kButtons, 3);
    if (answer == 0)
      name = FreeName(dir, name);
    else if (answer != 2)
      return {};  // "Stop", dismissed, or not shown: nothing is overwritten unasked
    if (name.empty()) return {};
  }
  promise.write((dir + "/" + name).c_str());
  return {name};
}

void WINL_InitiateDragDrop(HWND view, const RECT* rect, const char* sourcePath, WINL_DragWriteFn write)
{
  WINL_FinishDragDrop();
  WINL_Wnd* w = WINL_Live(view);
  if (!w || w->control || !sourcePath || !*sourcePath || !write) return;
  Pending() = {sourcePath, write};
  if (PLAT_GtkView* native = WINL_PlainNative(view))
  {
    int x, y;
    StartPoint(rect, &x, &y);
    PLAT_GtkSetPromiseWriter(WriteForReceiver);
    PLAT_GtkStartPromiseDrag(native, x, y, AfterLastSlash(sourcePath).c_str());
  }
}

void WINL_FinishDragDrop() { Pending() = {}; }

void WINL_InitiateDragDropOfFileList(HWND view, const RECT* rect, const char* const* paths, int count, void* icon)
{
  WINL_FinishDragDrop();
  PLAT_GtkView* native = WINL_PlainNative(view);
  if (!native || !paths || count <= 0) return;
  int x, y;
  StartPoint(rect, &x, &y);
  PLAT_GtkStartFileListDrag(native, x, y, paths, count, GetNSImageFromHICON(static_cast<HICON>(icon)));
}

void WINL_SetDropHooks(const WINL_DropHooks* hooks) { Hooks() = hooks ? *hooks : WINL_DropHooks{}; }

void WINL_InstallDragDrop() { PLAT_GtkSetDropHandler(&kDropHandler); }
