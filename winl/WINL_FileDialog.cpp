#include "winl/WINL_FileDialog.h"

#include "platform/gtk/PLAT_GtkChooser.h"
#include "winl/WINL_MenuPrivate.h"
#include "winl/WINL_WndPrivate.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>

namespace
{
struct Seam
{
  bool on = false;
  std::deque<std::vector<std::string>> answers;
  std::vector<WINL_ShownChooser> shown;
};

struct Template
{
  bool set = false;
  int resid = 0;
  DLGPROC proc = nullptr;
  LPARAM param = 0;
};
Template gTemplate;

Seam& TheSeam()
{
  static Seam* seam = new Seam;
  return *seam;
}

std::string Text(const char* s) { return s ? s : ""; }

// Splits an initial file with a folder in it; names are kept to 2047 bytes.
void SplitInitialFile(const char* folder, const char* file, PLAT_ChooserRequest* r)
{
  r->folder = Text(folder);
  r->file = Text(file);
  const size_t slash = r->file.rfind('/');
  if (slash == std::string::npos) return;
  r->folder = r->file.substr(0, slash);
  r->file = r->file.substr(slash + 1);
  if (r->folder.size() > 2047) r->folder.clear();
  if (r->file.size() > 2047) r->file.clear();
}

void SetPatterns(const char* filterList, PLAT_ChooserRequest* r)
{
  for (const std::string& ext : WINL_FilterExtensions(filterList)) r->patterns.push_back(WINL_CaseBlindPattern(ext));
}

std::vector<std::string> ChooseWith(const PLAT_ChooserRequest& r)
{
  Seam& s = TheSeam();
  if (!s.on) return PLAT_ChooserRun(r);
  const HMENU menu = WINL_GetCurrentMenu();
  std::vector<std::string> menuItems;
  for (int i = 0; i < GetMenuItemCount(menu); ++i)
  {
    char title[256] = "";
    WINL_TestMenuItemTitle(menu, i, title, sizeof title);
    menuItems.push_back(title);
  }
  s.shown.push_back({static_cast<WINL_ShownChooser::Kind>(r.kind), r.title, r.folder, r.file, r.patterns,
                     r.multiple, r.accept, menu, menuItems});
  if (s.answers.empty())
  {
    std::fprintf(stderr, "ZephraEditor: chooser \"%s\" shown with no answer queued\n", r.title.c_str());
    std::abort();
  }
  std::vector<std::string> answer = std::move(s.answers.front());
  s.answers.pop_front();
  return answer;
}

std::vector<std::string> Choose(PLAT_ChooserRequest r)
{
  if (!WINL_OnMainThread())
  {
    std::fprintf(stderr, "ZephraEditor: a file chooser was asked for outside the main thread\n");
    return {};
  }
  const Template t = gTemplate;
  gTemplate = Template{};
  HWND accessory = nullptr;
  if (t.set)
  {
    accessory = WINL_CreateAccessory(reinterpret_cast<const char*>(static_cast<uintptr_t>(t.resid)), t.proc, t.param);
    r.accessory = WINL_GetNativeView(accessory);
  }
  const HMENU panelMenu = WINL_BeginModalPanelMenu();
  std::vector<std::string> chosen = ChooseWith(r);
  WINL_EndModalPanelMenu(panelMenu);
  if (accessory) DestroyWindow(accessory);
  return chosen;
}

bool OnePath(const std::vector<std::string>& chosen, char* buffer, int size)
{
  if (buffer && size > 0) buffer[0] = 0;
  if (chosen.empty() || !buffer || size <= 0) return false;
  const std::string& path = chosen.front();
  if (path.size() + 1 > static_cast<size_t>(size))
  {
    std::fprintf(stderr, "ZephraEditor: the chosen path is longer than %d bytes\n", size - 1);
    return false;
  }
  std::memcpy(buffer, path.c_str(), path.size() + 1);
  return true;
}
}  // namespace

void BrowseFile_SetTemplate(int resid, DLGPROC proc, LPARAM param) { gTemplate = {true, resid, proc, param}; }

std::vector<std::string> WINL_FilterExtensions(const char* filterList)
{
  std::vector<std::string> out;
  if (!filterList) return out;
  const char* p = filterList;
  while (*p)
  {
    const char* patterns = p + std::strlen(p) + 1;  // after the description
    if (!*patterns) break;                           // a description without patterns ends the list
    for (const char* q = patterns; *q;)
    {
      const char* end = std::strchr(q, ';');
      if (!end) end = q + std::strlen(q);
      const char* dot = static_cast<const char*>(std::memchr(q, '.', static_cast<size_t>(end - q)));
      if (dot)
      {
        std::string ext(dot + 1, std::min<size_t>(static_cast<size_t>(end - dot - 1), 31));
        if (!ext.empty() && ext != "*") out.push_back(ext);
      }
      q = *end ? end + 1 : end;
    }
    p = patterns + std::strlen(patterns) + 1;
  }
  return out;
}

std::string WINL_CaseBlindPattern(const std::string& extension)
{
  std::string p = "*.";
  for (unsigned char c : extension)
  {
    if (std::isalpha(c))
    {
      p += '[';
      p += static_cast<char>(std::tolower(c));
      p += static_cast<char>(std::toupper(c));
      p += ']';
    }
    else if (c == '[' || c == ']' || c == '*' || c == '?')
    {
      p += '[';
      p += static_cast<char>(c);
      p += ']';
    }
    else
      p += static_cast<char>(c);
  }
  return p;
}

bool BrowseForSaveFile(const char* title, const char* initialFolder, const char* initialFile, const char* filterList,
                       char* buffer, int size)
{
  PLAT_ChooserRequest r;
  r.kind = PLAT_ChooserKind::Save;
  r.title = Text(title);
  SplitInitialFile(initialFolder, initialFile, &r);
  SetPatterns(filterList, &r);
  return OnePath(Choose(r), buffer, size);
}

bool BrowseForDirectory(const char* title, const char* initialFolder, char* buffer, int size, const char* accept)
{
  PLAT_ChooserRequest r;
  r.kind = PLAT_ChooserKind::Folder;
  r.title = Text(title);
  r.accept = Text(accept);
  r.folder = Text(initialFolder);
  return OnePath(Choose(r), buffer, size);
}

char* BrowseForFiles(const char* title, const char* initialFolder, const char* initialFile, bool allowSeveral,
                     const char* filterList)
{
  PLAT_ChooserRequest r;
  r.kind = PLAT_ChooserKind::Open;
  r.title = Text(title);
  r.multiple = allowSeveral;
  SplitInitialFile(initialFolder, initialFile, &r);
  SetPatterns(filterList, &r);
  const std::vector<std::string> chosen = Choose(r);
  if (chosen.empty()) return nullptr;
  size_t total = 1;
  for (const std::string& path : chosen) total += path.size() + 1;
  char* list = static_cast<char*>(std::malloc(total));
  if (!list) return nullptr;
  char* at = list;
  for (const std::string& path : chosen)
  {
    std::memcpy(at, path.c_str(), path.size() + 1);
    at += path.size() + 1;
  }
  *at = 0;
  return list;
}

void WINL_ChooserTestQueue(const std::vector<std::string>& paths)
{
  Seam& s = TheSeam();
  s.on = true;
  s.answers.push_back(paths);
}

std::vector<WINL_ShownChooser> WINL_ChooserTestTake()
{
  std::vector<WINL_ShownChooser> out;
  out.swap(TheSeam().shown);
  return out;
}

void WINL_ChooserTestEnd()
{
  Seam& s = TheSeam();
  s.on = false;
  s.answers.clear();
  s.shown.clear();
}
