// Text through the desktop's clipboard on the virtual display.
#include "platform/gtk/PLAT_GtkTest.h"
#include "winl/WINL_Clipboard.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace
{
TEST(WinlClipboardDisplay, TextRoundTrips)
{
  PLAT_GtkTestPrepare();
  ASSERT_TRUE(WINL_StartToolkit());
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
}  // namespace
