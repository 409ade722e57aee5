// Processes, modules and the desktop opener, without a display.
#include "winl/WINL_Kernel.h"

#include "platform/gtk/PLAT_BusTest.h"

#include "support/TempDir.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace
{
std::string ReadAll(const std::string& path)
{
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(WinlProcess, WaitGivesZeroOnceTheProgramEnds)
{
  const char* args[] = {"0.05"};
  HANDLE p = WINL_CreateProcess("/bin/sleep", 1, args);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(WaitForSingleObject(p, 0), WAIT_TIMEOUT);
  EXPECT_EQ(WaitForSingleObject(p, 5000), WAIT_OBJECT_0);
  EXPECT_TRUE(CloseHandle(p));
  EXPECT_EQ(WINL_CreateProcess("/no/such/program", 0, nullptr), nullptr);
}

TEST(WinlModule, LoadedTwiceIsOneModuleWhoseEntryRunsOnce)
{
  HMODULE a = LoadLibrary(WINL_TEST_MODULE);
  ASSERT_NE(a, nullptr);
  HMODULE b = LoadLibrary(WINL_TEST_MODULE);
  EXPECT_EQ(a, b);
  auto loads = reinterpret_cast<int (*)()>(GetProcAddress(a, "WinlTestModuleLoads"));
  auto frees = reinterpret_cast<int (*)()>(GetProcAddress(a, "WinlTestModuleFrees"));
  ASSERT_NE(loads, nullptr);
  EXPECT_EQ(loads(), 1);
  EXPECT_EQ(GetProcAddress(a, "NoSuchFunction"), nullptr);
  // One free keeps it loaded; the second calls the entry for freeing.
  EXPECT_TRUE(FreeLibrary(a));
  EXPECT_EQ(frees(), 0);
  char path[8];
  EXPECT_EQ(GetModuleFileName(a, path, sizeof path), 7u);
  EXPECT_EQ(std::string(path), std::string(WINL_TEST_MODULE).substr(0, 7));
  EXPECT_TRUE(FreeLibrary(b));
  EXPECT_FALSE(FreeLibrary(b));
  EXPECT_EQ(GetProcAddress(b, "WinlTestModuleLoads"), nullptr);
}

TEST(WinlModule, BogusAndMissingModulesAreRefused)
{
  int bogus = 0;
  EXPECT_FALSE(FreeLibrary(reinterpret_cast<HMODULE>(&bogus)));
  EXPECT_EQ(GetProcAddress(reinterpret_cast<HMODULE>(&bogus), "x"), nullptr);
  EXPECT_EQ(LoadLibrary(nullptr), nullptr);
  EXPECT_EQ(LoadLibrary(""), nullptr);
  EXPECT_EQ(LoadLibrary("/tmp"), nullptr);
  EXPECT_EQ(LoadLibrary("/no/such/module.so"), nullptr);
}

TEST(WinlGuid, VersionAndVariantBits)
{
  GUID a{}, b{};
  WINL_GenerateGUID(&a);
  WINL_GenerateGUID(&b);
  EXPECT_EQ(a.Data3 & 0xF000, 0x4000);
  EXPECT_EQ(a.Data4[0] & 0xC0, 0x80);
  EXPECT_NE(0, std::memcmp(&a, &b, sizeof a));
}

// A stand-in opener on the PATH writes each argument it got on a line.
class WinlShell : public ::testing::Test
{
protected:
  void SetUp() override
  {
    mOut = mDir.Path() + "/args";
    const std::string opener = mDir.Path() + "/xdg-open";
    std::ofstream(opener) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > " << mOut << ".tmp\nmv "
                          << mOut << ".tmp " << mOut << "\n";
    chmod(opener.c_str(), 0755);
    const char* path = std::getenv("PATH");
    mSavedPath = path ? path : "";
    setenv("PATH", (mDir.Path() + ":" + mSavedPath).c_str(), 1);
    // No session bus unless a test starts its own: no file manager answers.
    for (const char* name : {"DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR"})
    {
      if (const char* value = std::getenv(name)) mSavedBus.emplace_back(name, value);
      unsetenv(name);
    }
  }
  void TearDown() override
  {
    setenv("PATH", mSavedPath.c_str(), 1);
    for (const auto& [name, value] : mSavedBus) setenv(name.c_str(), value.c_str(), 1);
  }

  std::string OpenedWith()
  {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    struct stat st;
    while (stat(mOut.c_str(), &st) != 0 && std::chrono::steady_clock::now() < end)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return ReadAll(mOut);
  }

  TempDir mDir;
  std::string mOut;
  std::string mSavedPath;
  std::vector<std::pair<std::string, std::string>> mSavedBus;
};

TEST_F(WinlShell, TargetsReachTheOpenerAsOneUnchangedArgument)
{
  struct Case { const char* name; const char* file; const char* parameters; const char* opened; } kCases[] = {
      {"url with blank and semicolon", "http://example.invalid/a b;c", nullptr, "http://example.invalid/a b;c\n"},
      {"url in capitals", "HTTP://X.invalid/$(id)", "", "HTTP://X.invalid/$(id)\n"},
      {"document", "/tmp/a 'b'.txt", nullptr, "/tmp/a 'b'.txt\n"},
      {"reveal", "explorer.exe", "/select,\"/tmp/x y/z.syx\"", "/tmp/x y\n"},
      {"folder", "explorer.exe", "/tmp/q r", "/tmp/q r\n"},
      {"text editor", "notepad", "/tmp/n.txt", "/tmp/n.txt\n"},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    unlink(mOut.c_str());
    EXPECT_EQ(ShellExecute(nullptr, "open", c.file, c.parameters, nullptr, 1), 33);
    EXPECT_EQ(OpenedWith(), c.opened);
  }
  EXPECT_EQ(ShellExecute(nullptr, "open", nullptr, nullptr, nullptr, 1), 2);
  EXPECT_EQ(ShellExecute(nullptr, "open", "notepad", nullptr, nullptr, 1), 2);
}
constexpr const char* kFileManager = R"(<node><interface name="org.freedesktop.FileManager1">
  <method name="ShowItems"><arg direction="in" type="as"/><arg direction="in" type="s"/></method>
</interface></node>)";

TEST_F(WinlShell, RevealAsksTheFileManagerToShowTheFileSelected)
{
  PLAT_TestSessionBus bus;
  ASSERT_TRUE(bus.Ok());
  PLAT_TestBusService manager("org.freedesktop.FileManager1", "/org/freedesktop/FileManager1", kFileManager, "()");
  ASSERT_TRUE(manager.Ok());
  EXPECT_EQ(ShellExecute(nullptr, "open", "explorer.exe", "/select,\"/tmp/x y/z.syx\"", nullptr, 1), 33);
  EXPECT_EQ(manager.Calls(), std::vector<std::string>{"ShowItems(['file:///tmp/x%20y/z.syx'], '')"});
  // The file manager showed it: the opener was not started for the folder.
  EXPECT_EQ(ShellExecute(nullptr, "open", "notepad", "/tmp/n.txt", nullptr, 1), 33);
  EXPECT_EQ(OpenedWith(), "/tmp/n.txt\n");
}

TEST_F(WinlShell, RevealOpensTheFolderWhenTheBusHasNoFileManager)
{
  PLAT_TestSessionBus bus;
  ASSERT_TRUE(bus.Ok());
  EXPECT_EQ(ShellExecute(nullptr, "open", "explorer.exe", "/select,\"/tmp/x y/z.syx\"", nullptr, 1), 33);
  EXPECT_EQ(OpenedWith(), "/tmp/x y\n");
}
}  // namespace
