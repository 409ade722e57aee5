// Keeping the desktop awake: the count of reasons and the session's inhibit
// service on a private session bus.
#include "winl/WINL_Hosting.h"

#include "platform/gtk/PLAT_Bus.h"
#include "platform/gtk/PLAT_BusTest.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace
{
constexpr const char* kScreenSaver = R"(<node><interface name="org.freedesktop.ScreenSaver">
  <method name="Inhibit"><arg direction="in" type="s"/><arg direction="in" type="s"/><arg direction="out" type="u"/></method>
  <method name="UnInhibit"><arg direction="in" type="u"/></method>
</interface></node>)";

constexpr const char* kSessionManager = R"(<node><interface name="org.gnome.SessionManager">
  <method name="Inhibit"><arg direction="in" type="s"/><arg direction="in" type="u"/><arg direction="in" type="s"/>
    <arg direction="in" type="u"/><arg direction="out" type="u"/></method>
  <method name="Uninhibit"><arg direction="in" type="u"/></method>
</interface></node>)";

TEST(WinlAppNap, TheHoldFollowsTheCountOnTheScreenSaver)
{
  PLAT_TestSessionBus bus;
  ASSERT_TRUE(bus.Ok());
  PLAT_TestBusService saver("org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver", kScreenSaver,
                            "(uint32 7,)");
  ASSERT_TRUE(saver.Ok());
  WINL_DisableAppNap(1);
  WINL_DisableAppNap(1);
  EXPECT_EQ(saver.Calls(), std::vector<std::string>{"Inhibit('ZephraEditor', 'WINL_DisableAppNap')"});
  WINL_DisableAppNap(-1);
  EXPECT_TRUE(PLAT_BusIdleInhibited());
  WINL_DisableAppNap(-1);
  EXPECT_FALSE(PLAT_BusIdleInhibited());
  EXPECT_EQ(saver.Calls(), (std::vector<std::string>{"Inhibit('ZephraEditor', 'WINL_DisableAppNap')",
                                                     "UnInhibit(uint32 7,)"}));
  // Below zero no hold is taken until the count is above zero again.
  WINL_DisableAppNap(-2);
  WINL_DisableAppNap(2);
  EXPECT_EQ(saver.Calls().size(), 2u);
  WINL_DisableAppNap(1);
  EXPECT_EQ(saver.Calls().size(), 3u);
  WINL_DisableAppNap(-1);
  EXPECT_EQ(saver.Calls().size(), 4u);
}

TEST(WinlAppNap, TheSessionManagerTakesTheHoldWhenNoScreenSaverAnswers)
{
  PLAT_TestSessionBus bus;
  ASSERT_TRUE(bus.Ok());
  PLAT_TestBusService session("org.gnome.SessionManager", "/org/gnome/SessionManager", kSessionManager,
                              "(uint32 12,)");
  ASSERT_TRUE(session.Ok());
  WINL_DisableAppNap(1);
  WINL_DisableAppNap(-1);
  EXPECT_EQ(session.Calls(), (std::vector<std::string>{"Inhibit('ZephraEditor', uint32 0, 'WINL_DisableAppNap', uint32 8)",
                                                       "Uninhibit(uint32 12,)"}));
}

TEST(WinlAppNap, WithoutASessionBusTheCountGoesOnAndNothingIsHeld)
{
  const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  const std::string saved = address ? address : "";
  setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/zephra-bus", 1);
  testing::internal::CaptureStderr();
  WINL_DisableAppNap(1);
  const std::string log = testing::internal::GetCapturedStderr();
  EXPECT_FALSE(PLAT_BusIdleInhibited());
  EXPECT_EQ(log.rfind("ZephraEditor: the desktop may idle into sleep: session bus unreachable: ", 0), 0u) << log;
  // Still above zero: no second attempt, no second line.
  testing::internal::CaptureStderr();
  WINL_DisableAppNap(1);
  WINL_DisableAppNap(-2);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  if (address)
    setenv("DBUS_SESSION_BUS_ADDRESS", saved.c_str(), 1);
  else
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
}
}  // namespace
