// Text and the program's own formats through the desktop's clipboard on
// the virtual display, read in this process and in another.
#include "platform/gtk/PLAT_GtkLoop.h"
#include "platform/gtk/PLAT_GtkTest.h"
#include "winl/WINL_Clipboard.h"
#include "winl/WINL_Kernel.h"
#include "winl/draw/WINL_Runtime.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <unistd.h>
#include <string>
#include <vector>

namespace
{
TEST(WinlClipboardDisplay, TextRoundTrips)
{
  PLAT_GtkTestPrepare();
  ASSERT_TRUE(WINL_StartToolkit()) << "no display";
  const std::string kText = "01_Init \xC3\xA9 & more";
  OpenClipboard(nullptr);
  EmptyClipboard();
  HGLOBAL h = GlobalAlloc(0, static_cast<INT_PTR>(kText.size() + 1));
  std::memcpy(h, kText.c_str(), kText.size() + 1);
  SetClipboardData(CF_TEXT, h);
  CloseClipboard();
  OpenClipboard(nullptr);
  EXPECT_EQ(EnumClipboardFormats(0), CF_TEXT);
  HGLOBAL got = GetClipboardData(CF_TEXT);
  ASSERT_NE(got, nullptr);
  EXPECT_EQ(std::string(static_cast<const char*>(got)), kText);
  CloseClipboard();
}

HGLOBAL Block(const std::string& bytes)
{
  HGLOBAL h = GlobalAlloc(0, static_cast<INT_PTR>(bytes.size()));
  std::memcpy(h, bytes.data(), bytes.size());
  return h;
}

TEST(WinlClipboardDisplay, AnotherProcessReadsTheProgramsOwnFormatByName)
{
  PLAT_GtkTestPrepare();
  ASSERT_TRUE(WINL_StartToolkit()) << "no display";
  const UINT patch = RegisterClipboardFormat("ZephraPatch");
  const std::string kPatch("\xF0\x00\x20\x33\xF7", 5);  // bytes, a zero among them
  OpenClipboard(nullptr);
  EmptyClipboard();
  SetClipboardData(patch, Block(kPatch));
  SetClipboardData(CF_TEXT, Block(std::string("Init\0", 5)));
  CloseClipboard();
  // This process reads both back.
  OpenClipboard(nullptr);
  HGLOBAL got = GetClipboardData(patch);
  ASSERT_NE(got, nullptr);
  EXPECT_EQ(std::string(static_cast<const char*>(got), static_cast<size_t>(GlobalSize(got))), kPatch);
  CloseClipboard();

  // Another process, whose number for the format differs, while this one
  // answers the display.
  const std::string file = "/tmp/winl-clipboard-" + std::to_string(getpid()) + ".txt";
  const char* args[] = {file.c_str()};
  HANDLE reader = WINL_CreateProcess(WINL_CLIPBOARD_READER, 1, args);
  ASSERT_NE(reader, nullptr);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (WaitForSingleObject(reader, 0) == WAIT_TIMEOUT && std::chrono::steady_clock::now() < end)
    if (!PLAT_LoopIterate(false)) Sleep(1);
  EXPECT_EQ(WaitForSingleObject(reader, 0), WAIT_OBJECT_0);
  CloseHandle(reader);
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  std::remove(file.c_str());
  EXPECT_EQ(text.str(), "text,ZephraPatch\nf0002033f7\n496e697400\n");
}

TEST(WinlClipboardDisplay, TextAnotherProgramCopiedSurvivesAPrivateFormat)
{
  PLAT_GtkTestPrepare();
  ASSERT_TRUE(WINL_StartToolkit()) << "no display";
  // Another program on the desktop copies text and keeps answering for it.
  const std::string ready = "/tmp/winl-clipboard-holder-" + std::to_string(getpid());
  const char* args[] = {"--hold", "copied elsewhere", ready.c_str()};
  HANDLE holder = WINL_CreateProcess(WINL_CLIPBOARD_READER, 3, args);
  ASSERT_NE(holder, nullptr);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (access(ready.c_str(), F_OK) != 0 && WaitForSingleObject(holder, 0) == WAIT_TIMEOUT &&
         std::chrono::steady_clock::now() < end)
    if (!PLAT_LoopIterate(false)) Sleep(1);
  ASSERT_EQ(access(ready.c_str(), F_OK), 0) << "the other program did not copy";

  const UINT patch = RegisterClipboardFormat("ZephraPatch");
  OpenClipboard(nullptr);
  EmptyClipboard();
  SetClipboardData(patch, Block(std::string("\xF0\x7F\xF7", 3)));
  CloseClipboard();

  OpenClipboard(nullptr);
  std::vector<UINT> formats;
  for (UINT f = EnumClipboardFormats(0); f; f = EnumClipboardFormats(f)) formats.push_back(f);
  EXPECT_EQ(formats, (std::vector<UINT>{CF_TEXT, patch}));
  HGLOBAL text = GetClipboardData(CF_TEXT);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::string(static_cast<const char*>(text)), "copied elsewhere");
  HGLOBAL got = GetClipboardData(patch);
  ASSERT_NE(got, nullptr);
  EXPECT_EQ(std::string(static_cast<const char*>(got), static_cast<size_t>(GlobalSize(got))),
            std::string("\xF0\x7F\xF7", 3));
  CloseClipboard();

  std::remove(ready.c_str());
  const auto stop = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (WaitForSingleObject(holder, 0) == WAIT_TIMEOUT && std::chrono::steady_clock::now() < stop)
    if (!PLAT_LoopIterate(false)) Sleep(1);
  EXPECT_EQ(WaitForSingleObject(holder, 0), WAIT_OBJECT_0);
  CloseHandle(holder);
}
}  // namespace
