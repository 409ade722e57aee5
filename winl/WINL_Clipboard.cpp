#include "winl/WINL_Clipboard.h"

#include "platform/gtk/PLAT_GtkClipboard.h"
#include "winl/WINL_WndPrivate.h"

#include <algorithm>
#include <cstring>
#include <map>

// ---- clipboard ----

namespace
{
struct Clipboard
{
  std::vector<std::string> formats{"WINL__CF_TEXT"};  // number = index + 1
  std::vector<std::pair<UINT, HGLOBAL>> pending;     // set since the last open
  std::vector<HGLOBAL> handedOut;                    // freed at the next close
  std::map<UINT, std::string> app;                   // this process's formats
  std::string localText;                             // text without the toolkit
  std::vector<UINT> available;
};

Clipboard& Board()
{
  static auto* board = new Clipboard;
  return *board;
}

void ForgetPending()
{
  for (auto& p : Board().pending) GlobalFree(p.second);
  Board().pending.clear();
}

std::string BytesOf(HGLOBAL h)
{
  const auto* data = static_cast<const char*>(h);
  return data ? std::string(data, static_cast<size_t>(GlobalSize(h))) : std::string();
}

// The desktop clipboard's name of a registered format: the same name in
// every process of the program, whatever number each gave it.
constexpr const char* kTargetPrefix = "application/x-winl-format-";

std::string TargetOf(UINT format) { return kTargetPrefix + Board().formats[format - 1]; }

// The program's private board: a selection of its own, so that formats set
// without text never take the desktop's clipboard (and the text another
// program put there) away.
constexpr const char* kAppBoard = "WINL_APP";

// Adds the program's formats the board offers to the available ones; a
// name not registered here yet is registered now.
void CollectFormats(const char* selection)
{
  Clipboard& b = Board();
  const std::string prefix = kTargetPrefix;
  for (const std::string& target : PLAT_GtkClipboardTargets(selection))
    if (target.compare(0, prefix.size(), prefix) == 0 && target.size() > prefix.size())
    {
      const UINT format = RegisterClipboardFormat(target.c_str() + prefix.size());
      if (format != CF_TEXT && std::find(b.available.begin(), b.available.end(), format) == b.available.end())
        b.available.push_back(format);
    }
}

HGLOBAL BlockOf(const std::string& bytes)
{
  HGLOBAL h = GlobalAlloc(0, static_cast<INT_PTR>(bytes.size()));
  if (h && !bytes.empty()) std::memcpy(h, bytes.data(), bytes.size());
  return h;
}
}  // namespace

UINT RegisterClipboardFormat(const char* name)
{
  if (!name || !*name) return 0;
  auto& f = Board().formats;
  auto it = std::find(f.begin(), f.end(), name);
  if (it != f.end()) return static_cast<UINT>(it - f.begin()) + 1;
  f.push_back(name);
  return static_cast<UINT>(f.size());
}

BOOL OpenClipboard(HWND)
{
  ForgetPending();
  Clipboard& b = Board();
  b.available.clear();
  std::string text;
  if (PLAT_GtkIsUp() ? PLAT_GtkClipboardGetText(&text) : !b.localText.empty()) b.available.push_back(CF_TEXT);
  if (!PLAT_GtkIsUp())
  {
    for (const auto& entry : b.app) b.available.push_back(entry.first);
    return TRUE;
  }
  // The program's formats, put there by this process or another.
  CollectFormats(kAppBoard);
  return TRUE;
}

BOOL EmptyClipboard()
{
  ForgetPending();
  return TRUE;
}

HANDLE SetClipboardData(UINT format, HANDLE data)
{
  if (format == 0 || format > Board().formats.size()) return nullptr;
  Board().pending.emplace_back(format, data);
  return data;
}

BOOL CloseClipboard()
{
  Clipboard& b = Board();
  for (HGLOBAL h : b.handedOut) GlobalFree(h);
  b.handedOut.clear();
  if (b.pending.empty()) return TRUE;
  b.app.clear();
  bool hasText = false;
  std::string text;
  std::vector<std::pair<std::string, std::string>> items;
  for (const auto& p : b.pending)
  {
    if (p.first == CF_TEXT)
    {
      // The text ends at its terminator, whatever the block's size.
      text = BytesOf(p.second);
      text.resize(std::strlen(text.c_str()));
      hasText = true;
    }
    else if (PLAT_GtkIsUp())
      items.emplace_back(TargetOf(p.first), BytesOf(p.second));
    else
      b.app[p.first] = BytesOf(p.second);
  }
  if (!PLAT_GtkIsUp())
  {
    if (hasText) b.localText = text;
  }
  else if (items.empty())
    PLAT_GtkClipboardSetText(text);
  else
  {
    // The private board always holds the program's latest formats; the
    // desktop's clipboard is taken only for text, and then offers them too.
    PLAT_GtkClipboardSet(items, nullptr, kAppBoard);
    if (hasText) PLAT_GtkClipboardSet(items, &text);
  }
  ForgetPending();
  return TRUE;
}

HANDLE GetClipboardData(UINT format)
{
  Clipboard& b = Board();
  std::string bytes;
  if (format == CF_TEXT)
  {
    if (PLAT_GtkIsUp() ? !PLAT_GtkClipboardGetText(&bytes) : b.localText.empty()) return nullptr;
    if (!PLAT_GtkIsUp()) bytes = b.localText;
    bytes.push_back(0);
  }
  else if (PLAT_GtkIsUp())
  {
    if (format == 0 || format > b.formats.size() || !PLAT_GtkClipboardGet(TargetOf(format), &bytes, kAppBoard))
      return nullptr;
  }
  else
  {
    auto it = b.app.find(format);
    if (it == b.app.end()) return nullptr;
    bytes = it->second;
  }
  HGLOBAL h = BlockOf(bytes);
  if (h) b.handedOut.push_back(h);
  return h;
}

UINT EnumClipboardFormats(UINT previous)
{
  const auto& a = Board().available;
  if (previous == 0) return a.empty() ? 0 : a.front();
  auto it = std::find(a.begin(), a.end(), previous);
  return it == a.end() || it + 1 == a.end() ? 0 : *(it + 1);
}

// ---- drop lists ----

namespace
{
constexpr uint32_t kNamesOffset = 16;

int32_t Read32(const char* p)
{
  int32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

// The paths of a drop list, bounded by the block's size.
std::vector<std::pair<const char*, size_t>> Paths(HDROP drop)
{
  std::vector<std::pair<const char*, size_t>> out;
  const auto* base = static_cast<const char*>(drop);
  const INT_PTR size = GlobalSize(drop);
  if (!base || size < 16) return out;
  INT_PTR at = Read32(base);
  while (at >= 0 && at < size && base[at])
  {
    const void* end = std::memchr(base + at, 0, static_cast<size_t>(size - at));
    if (!end) break;
    const size_t len = static_cast<size_t>(static_cast<const char*>(end) - (base + at));
    out.emplace_back(base + at, len);
    at += static_cast<INT_PTR>(len) + 1;
  }
  return out;
}

int HexValue(char c)
{
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
}  // namespace

HDROP WINL_MakeDropList(const std::vector<std::string>& paths, POINT point, bool outsideClient)
{
  std::string bytes(kNamesOffset, '\0');
  const int32_t head[4] = {static_cast<int32_t>(kNamesOffset), point.x, point.y, outsideClient ? 1 : 0};
  std::memcpy(&bytes[0], head, sizeof head);
  for (const std::string& p : paths)
    if (!p.empty()) bytes.append(p.c_str(), p.size() + 1);
  bytes.push_back(0);
  return BlockOf(bytes);
}

std::vector<std::string> WINL_PathsFromUriList(const char* uriList)
{
  std::vector<std::string> out;
  if (!uriList) return out;
  const std::string all(uriList);
  size_t start = 0;
  while (start < all.size())
  {
    size_t end = all.find('\n', start);
    if (end == std::string::npos) end = all.size();
    std::string line = all.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // Only local files can be opened by path; "file://host/..." names
    // another machine's file.
    if (line.compare(0, 8, "file:///") != 0) continue;
    std::string path;
    for (size_t i = 7; i < line.size(); ++i)
    {
      if (line[i] == '%' && i + 2 < line.size() && HexValue(line[i + 1]) >= 0 && HexValue(line[i + 2]) >= 0)
      {
        path.push_back(static_cast<char>(HexValue(line[i + 1]) * 16 + HexValue(line[i + 2])));
        i += 2;
      }
      else
        path.push_back(line[i]);
    }
    if (path.find('\0') == std::string::npos) out.push_back(path);
  }
  return out;
}

BOOL WINL_DeliverDrop(HWND hwnd, const std::vector<std::string>& paths, POINT point)
{
  WINL_Wnd* w = WINL_Live(hwnd);
  if (!w || !w->acceptsFiles || paths.empty()) return FALSE;
  HDROP drop = WINL_MakeDropList(paths, point, false);
  if (!drop) return FALSE;
  SendMessage(hwnd, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
  GlobalFree(drop);
  return TRUE;
}

UINT DragQueryFile(HDROP drop, UINT index, char* buffer, UINT size)
{
  const auto paths = Paths(drop);
  if (index == 0xFFFFFFFFu) return static_cast<UINT>(paths.size());
  if (index >= paths.size()) return 0;
  const auto& p = paths[index];
  if (!buffer) return static_cast<UINT>(p.second);
  if (size == 0) return 0;
  const size_t n = std::min<size_t>(p.second, size - 1);
  std::memcpy(buffer, p.first, n);
  buffer[n] = 0;
  return static_cast<UINT>(n);
}

BOOL DragQueryPoint(HDROP drop, POINT* point)
{
  const auto* base = static_cast<const char*>(drop);
  if (!base || GlobalSize(drop) < 16) return FALSE;
  if (point)
  {
    point->x = Read32(base + 4);
    point->y = Read32(base + 8);
  }
  return Read32(base + 12) == 0;
}

void DragFinish(HDROP drop) { GlobalFree(drop); }
