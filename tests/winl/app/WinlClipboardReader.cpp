// Another process of the program reading the desktop's clipboard: it
// registers a format of its own first, so that "ZephraPatch" gets another
// number here than in the process that put it there, then writes to the
// file named by its argument each offered format's name and the bytes of
// "ZephraPatch" and of the text, one per line, in hex.
//
// With "--hold TEXT FILE" it is instead another program copying text: it
// puts TEXT on the desktop's clipboard, creates FILE, and answers the
// display until FILE is removed.
#include "platform/gtk/PLAT_GtkLoop.h"
#include "platform/gtk/PLAT_GtkTest.h"
#include "winl/WINL_Clipboard.h"
#include "winl/draw/WINL_GlobalMem.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace
{
std::string Hex(HANDLE h)
{
  std::string out;
  const auto* p = static_cast<const unsigned char*>(h);
  for (INT_PTR i = 0; p && i < GlobalSize(h); ++i)
  {
    char two[3];
    std::snprintf(two, sizeof two, "%02x", p[i]);
    out += two;
  }
  return h ? out : "none";
}
}  // namespace

int HoldText(const char* text, const char* file)
{
  OpenClipboard(nullptr);
  EmptyClipboard();
  HGLOBAL h = GlobalAlloc(0, static_cast<INT_PTR>(std::strlen(text) + 1));
  std::memcpy(h, text, std::strlen(text) + 1);
  SetClipboardData(CF_TEXT, h);
  CloseClipboard();
  FILE* ready = std::fopen(file, "w");
  if (!ready) return 4;
  std::fclose(ready);
  while (access(file, F_OK) == 0)
    if (!PLAT_LoopIterate(false)) usleep(1000);
  return 0;
}

int main(int argc, char** argv)
{
  if (argc != 2 && !(argc == 4 && std::strcmp(argv[1], "--hold") == 0)) return 2;
  PLAT_GtkTestPrepare();
  if (!WINL_StartToolkit()) return 3;
  if (argc == 4) return HoldText(argv[2], argv[3]);
  RegisterClipboardFormat("SomethingElse");
  const UINT patch = RegisterClipboardFormat("ZephraPatch");
  FILE* out = std::fopen(argv[1], "w");
  if (!out) return 4;
  OpenClipboard(nullptr);
  std::string formats;
  for (UINT f = EnumClipboardFormats(0); f; f = EnumClipboardFormats(f))
    formats += (formats.empty() ? "" : ",") + std::string(f == patch ? "ZephraPatch" : f == CF_TEXT ? "text" : "?");
  std::fprintf(out, "%s\n%s\n%s\n", formats.c_str(), Hex(GetClipboardData(patch)).c_str(),
               Hex(GetClipboardData(CF_TEXT)).c_str());
  CloseClipboard();
  std::fclose(out);
  return 0;
}
