// Drop lists and the clipboard inside the process, without a display.
#include "winl/WINL_Clipboard.h"
#include "winl/WINL_Queue.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{
std::vector<std::string> gDropped;
UINT gCount = 0;

LRESULT DropProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (msg != WM_DROPFILES) return DefWindowProc(hwnd, msg, wParam, lParam);
  HDROP d = reinterpret_cast<HDROP>(wParam);
  gCount = DragQueryFile(d, 0xFFFFFFFFu, nullptr, 0);
  for (UINT i = 0; i < gCount; ++i)
  {
    char path[64];
    DragQueryFile(d, i, path, sizeof path);
    gDropped.push_back(path);
  }
  return 0;
}

TEST(WinlDrop, UriListArrivesAsDropFiles)
{
  WINL_Internal_PostMessage_Init();
  HWND w = WINL_CreateView(nullptr, DropProc, 0);
  const char* kUris = "file:///tmp/a%20b.syx\r\n# a comment\r\nhttp://example.invalid/x\r\nfile://host/c\r\n"
                      "file:///tmp/c.syx\r\nfile:///d%3Bq\r\n";
  const auto paths = WINL_PathsFromUriList(kUris);
  EXPECT_FALSE(WINL_DeliverDrop(w, paths, {1, 2}));
  SetWindowLong(w, GWL_EXSTYLE, WS_EX_ACCEPTFILES);
  gDropped.clear();
  EXPECT_TRUE(WINL_DeliverDrop(w, paths, {1, 2}));
  EXPECT_EQ(gCount, 3u);
  EXPECT_EQ(gDropped, (std::vector<std::string>{"/tmp/a b.syx", "/tmp/c.syx", "/d;q"}));
  DestroyWindow(w);
  WINL_MessageQueue_Flush();
}

TEST(WinlDrop, QueryFileBoundsEveryBuffer)
{
  HDROP d = WINL_MakeDropList({"/ab", "/cdef"}, {7, -3}, false);
  // text null: nothing written
  struct Case { UINT index; UINT size; UINT result; const char* text; } kCases[] = {
      {1, 0, 0, nullptr}, {1, 1, 0, ""}, {1, 5, 4, "/cde"}, {1, 6, 5, "/cdef"}, {1, 7, 5, "/cdef"},
      {0, 4, 3, "/ab"},   {2, 8, 0, nullptr},
  };
  for (const Case& c : kCases)
  {
    char buffer[10];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(DragQueryFile(d, c.index, buffer, c.size), c.result) << c.index << "/" << c.size;
    if (c.text)
    {
      EXPECT_STREQ(buffer, c.text);
      EXPECT_EQ(buffer[c.size], '#');
    }
    else
      EXPECT_EQ(buffer[0], '#');
  }
  EXPECT_EQ(DragQueryFile(d, 1, nullptr, 0), 5u);
  EXPECT_EQ(DragQueryFile(d, 0xFFFFFFFFu, nullptr, 0), 2u);
  POINT p{};
  EXPECT_TRUE(DragQueryPoint(d, &p));
  EXPECT_EQ(p.x, 7);
  EXPECT_EQ(p.y, -3);
  DragFinish(d);
  EXPECT_EQ(DragQueryFile(nullptr, 0xFFFFFFFFu, nullptr, 0), 0u);
}

TEST(WinlClipboardLocal, RegisteredFormatsStayInTheProcess)
{
  EXPECT_EQ(RegisterClipboardFormat("WINL__CF_TEXT"), 1u);
  const UINT f = RegisterClipboardFormat("zephra program");
  EXPECT_EQ(RegisterClipboardFormat("zephra program"), f);
  EXPECT_EQ(RegisterClipboardFormat(""), 0u);
  OpenClipboard(nullptr);
  EmptyClipboard();
  HGLOBAL bytes = GlobalAlloc(0, 3);
  std::memcpy(bytes, "\x01\x00\x02", 3);
  SetClipboardData(f, bytes);
  HGLOBAL text = GlobalAlloc(0, 6);
  std::memcpy(text, "hi\0xx", 6);
  SetClipboardData(CF_TEXT, text);
  CloseClipboard();
  OpenClipboard(nullptr);
  EXPECT_EQ(EnumClipboardFormats(0), CF_TEXT);
  EXPECT_EQ(EnumClipboardFormats(CF_TEXT), f);
  EXPECT_EQ(EnumClipboardFormats(f), 0u);
  HGLOBAL got = GetClipboardData(f);
  ASSERT_NE(got, nullptr);
  EXPECT_EQ(GlobalSize(got), 3);
  EXPECT_EQ(std::memcmp(got, "\x01\x00\x02", 3), 0);
  HGLOBAL gotText = GetClipboardData(CF_TEXT);
  EXPECT_EQ(GlobalSize(gotText), 3);
  EXPECT_STREQ(static_cast<const char*>(gotText), "hi");
  EXPECT_EQ(GetClipboardData(RegisterClipboardFormat("never set")), nullptr);
  CloseClipboard();
}
}  // namespace
