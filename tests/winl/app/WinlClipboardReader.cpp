// Another process of the program reading the desktop's clipboard: it
// registers a format of its own first, so that "ZephraPatch" gets another
// number here than in the process that put it there, then writes to the
// file named by its argument each offered format's name and the bytes of
// "ZephraPatch" and of the text, one per line, in hex.
#include "platform/gtk/PLAT_GtkTest.h"
#include "winl/WINL_Clipboard.h"

#include <cstdio>
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

int main(int argc, char** argv)
{
  if (argc != 2) return 2;
  PLAT_GtkTestPrepare();
  if (!WINL_StartToolkit()) return 3;
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
