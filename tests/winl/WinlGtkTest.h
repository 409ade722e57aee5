// The fixture of the tests that open windows on the (virtual) display: the
// toolkit and the posted-message queue started once, the message log cleared
// before each test, and every window gone after it; and waits that run the
// main loop.
#pragma once

#include "platform/gtk/PLAT_GtkLoop.h"
#include "platform/gtk/PLAT_GtkTest.h"
#include "platform/gtk/PLAT_GtkTestReadBack.h"
#include "winl/WINL_Queue.h"
#include "winl/WINL_Window.h"

#include "WinlMessageLog.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <thread>

class WinlGtkTest : public ::testing::Test
{
protected:
  static void SetUpTestSuite()
  {
    PLAT_GtkTestPrepare();
    ASSERT_TRUE(WINL_StartToolkit()) << "no display";
    WINL_Internal_PostMessage_Init();
  }
  void SetUp() override { MessageLog().clear(); }
  void TearDown() override
  {
    EnumWindows([](HWND h, LPARAM) { return DestroyWindow(h); }, 0);
    WINL_MessageQueue_Flush();
    PLAT_GtkTestSettle();
    EXPECT_EQ(PLAT_GtkTestToplevelCount(), 0);
  }
};

// Runs the main loop for the given number of rounds.
inline void Pump(int rounds)
{
  for (int i = 0; i < rounds; ++i)
  {
    PLAT_GtkTestSettle();
    if (!PLAT_LoopIterate(false)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

// Runs the main loop until done() holds; false after a minute, which a
// display on two cores shared with other work still keeps within.
template <class Done>
bool LoopUntil(Done done)
{
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!done())
  {
    if (std::chrono::steady_clock::now() > end) return false;
    Pump(1);
  }
  return true;
}

// The pixel the screen shows at (x, y) of the view, 0xRRGGBB; 0xFFFFFFFF
// when it is not on screen.
inline uint32_t ScreenPixel(HWND view, int x, int y)
{
  uint32_t rgb = 0xFFFFFFFF;
  PLAT_GtkTestScreenPixel(WINL_GetNativeView(view), x, y, &rgb);
  return rgb;
}
