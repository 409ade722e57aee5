// Processes, modules and the desktop opener, without a display.
#include "winl/WINL_Kernel.h"

#include "platform/gtk/PLAT_BusTest.h"

#include "support/TempDir.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
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
      // No application is launched for it: it is a document like any other.
      {"name ending in .app", "/tmp/Tool.app", nullptr, "/tmp/Tool.app\n"},
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
  EXPECT_EQ(ShellExecute(nullptr, "open", "/tmp/n.txt", nullptr, nullptr, 1), 33);
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

namespace
{
// A desktop of the test's own: a text editor for plain text and a browser for
// HTML, each a script that writes the arguments it got to a file, and the
// desktop's opener on the PATH doing the same. The shell service runs in a
// process of its own that reads this desktop afresh.
class WinlTextEditor : public WinlShell
{
protected:
  void SetUp() override
  {
    WinlShell::SetUp();
    const std::string d = mDir.Path();
    for (const char* folder : {"/share", "/share/applications", "/config", "/none"})
      mkdir((d + folder).c_str(), 0755);
    MakeApp("zephra-text", "text/plain;");
    MakeApp("zephra-browser", "text/html;");
  }
  void MakeApp(const std::string& name, const std::string& types)
  {
    const std::string d = mDir.Path();
    const std::string script = d + "/" + name, out = d + "/" + name + ".args";
    std::ofstream(script) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > " << out << ".tmp\nmv "
                          << out << ".tmp " << out << "\n";
    chmod(script.c_str(), 0755);
    std::ofstream(d + "/share/applications/" + name + ".desktop")
        << "[Desktop Entry]\nType=Application\nName=" << name << "\nExec=" << script << " %f\nMimeType=" << types
        << "\n";
  }
  // Asks the service in a process of its own to open path with file; its
  // answer.
  std::string Open(const char* file, const std::string& path)
  {
    const std::string d = mDir.Path();
    const std::string cmd = "env XDG_DATA_HOME=" + d + "/share XDG_DATA_DIRS=" + d + "/none XDG_CONFIG_HOME=" + d +
                            "/config XDG_CONFIG_DIRS=" + d + "/none " + WINL_SHELL_OPEN + " " + file + " '" + path +
                            "'";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return "no process";
    char line[64] = "";
    if (!std::fgets(line, sizeof line, p)) line[0] = 0;
    pclose(p);
    return line;
  }
  std::string Args(const char* app, bool wait)
  {
    const std::string out = mDir.Path() + "/" + app + ".args";
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(wait ? 10 : 0);
    struct stat st;
    while (stat(out.c_str(), &st) != 0 && std::chrono::steady_clock::now() < end)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const std::string got = ReadAll(out);
    unlink(out.c_str());
    return got;
  }
  void SetDefaults(const std::string& lines)
  {
    std::ofstream(mDir.Path() + "/config/mimeapps.list") << "[Default Applications]\n" << lines;
  }
};

TEST_F(WinlTextEditor, NotepadOpensTheFileInTheTextEditorWhateverItsType)
{
  SetDefaults("text/plain=zephra-text.desktop\ntext/html=zephra-browser.desktop\n");
  const std::string page = mDir.Path() + "/page one.html", notes = mDir.Path() + "/notes.txt";
  std::ofstream(page) << "<html><body>page</body></html>\n";
  std::ofstream(notes) << "notes\n";
  struct Case { const char* file; std::string path; } const kCases[] = {
      {"notepad", page}, {"notepad.exe", page}, {"NOTEPAD.EXE", notes}, {"Notepad", notes},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.file);
    EXPECT_EQ(Open(c.file, c.path), "33\n");
    EXPECT_EQ(Args("zephra-text", true), c.path + "\n");
  }
  // Neither the browser nor the desktop's opener was asked at any time.
  EXPECT_EQ(Args("zephra-browser", false), "");
  struct stat st;
  EXPECT_NE(stat(mOut.c_str(), &st), 0);
}

// A desktop that names no text editor: nothing is opened, not even by the
// file type's own application.
TEST_F(WinlTextEditor, WithoutATextEditorNothingOpens)
{
  unlink((mDir.Path() + "/share/applications/zephra-text.desktop").c_str());
  SetDefaults("text/html=zephra-browser.desktop\n");
  const std::string page = mDir.Path() + "/page.html";
  std::ofstream(page) << "<html></html>\n";
  EXPECT_EQ(Open("notepad", page), "2\n");
  EXPECT_EQ(Open("notepad", ""), "2\n");
  EXPECT_EQ(Args("zephra-browser", false), "");
}
}  // namespace
