// The fixture of the tests of window records without a display: the
// posted-message queue started, the message log cleared before each test,
// and every window gone after it; and top-level windows made and counted.
#pragma once

#include "winl/WINL_Dialog.h"
#include "winl/WINL_Queue.h"
#include "winl/WINL_Window.h"

#include "WinlMessageLog.h"

#include <gtest/gtest.h>

class WinlRecordsTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    WINL_Internal_PostMessage_Init();
    MessageLog().clear();
  }
  void TearDown() override
  {
    EnumWindows([](HWND h, LPARAM) { return DestroyWindow(h); }, 0);
    WINL_MessageQueue_Flush();
  }
};

// A hidden top-level window without a resource, with the procedure.
inline HWND TopLevel(WNDPROC proc)
{
  return WINL_CreateDialog(nullptr, reinterpret_cast<const char*>(WINL_NO_RESOURCE), nullptr, proc, 0);
}

inline int CountTopLevels()
{
  int n = 0;
  EnumWindows([](HWND, LPARAM p) { return ++*reinterpret_cast<int*>(p), TRUE; }, reinterpret_cast<LPARAM>(&n));
  return n;
}
