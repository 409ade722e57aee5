// The fixture of the tests that open windows on the (virtual) display: the
// toolkit and the posted-message queue started once, the message log cleared
// before each test, and every window gone after it.
#pragma once

#include "platform/gtk/PLAT_GtkTest.h"
#include "winl/WINL_Queue.h"
#include "winl/WINL_Window.h"

#include "WinlMessageLog.h"

#include <gtest/gtest.h>

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
