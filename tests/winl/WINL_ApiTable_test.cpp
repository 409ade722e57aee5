// Looking the window layer's functions up by name.
#include "winl/WINL_ApiTable.h"
#include "winl/WINL_Kernel.h"
#include "winl/WINL_Menu.h"
#include "winl/draw/WINL_Runtime.h"

#include <gtest/gtest.h>

namespace
{
TEST(WinlApiTable, NamesAtTheEndsAndBetween)
{
  struct Case { const char* name; void* fn; } kCases[] = {
      {"AddMenuItem", reinterpret_cast<void*>(&AddMenuItem)},          // first
      {"lstrcpyn", reinterpret_cast<void*>(&lstrcpyn)},                // last
      {"TrackPopupMenu", reinterpret_cast<void*>(&TrackPopupMenu)},
      {"WaitForSingleObject", reinterpret_cast<void*>(&WaitForSingleObject)},
      {"AddMenuIte", nullptr},
      {"AddMenuItemX", nullptr},
      {"lstrcpynz", nullptr},
      {"", nullptr},
      {"A", nullptr},
      {"trackpopupmenu", nullptr},
      {"WINLAPI_GetFunc", nullptr},
  };
  for (const Case& c : kCases) EXPECT_EQ(WINLAPI_GetFunc(c.name), c.fn) << c.name;
  EXPECT_EQ(WINLAPI_GetFunc(nullptr), reinterpret_cast<void*>(0x100));
}
}  // namespace
