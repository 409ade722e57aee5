// The install as a user makes it: "cmake --install" of this build into a
// prefix of the test's own puts the editor, its two helpers and its artwork
// where the editor looks, and the installed copy opens with its artwork
// drawn. A copy of the program without the artwork says where it looked, in
// a message box shown by its own helper and on stderr, and starts nothing.
#include "support/RunningEditor.h"
#include "support/TempDir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>

namespace
{
bool IsExecutable(const std::string& path) { return access(path.c_str(), X_OK) == 0; }

bool IsFile(const std::string& path)
{
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string RealPath(const std::string& path)
{
  char resolved[PATH_MAX];
  return realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

// The program a process runs.
std::string ProgramOf(pid_t pid)
{
  char target[PATH_MAX];
  const ssize_t n = readlink(("/proc/" + std::to_string(pid) + "/exe").c_str(), target, sizeof target - 1);
  return n > 0 ? std::string(target, static_cast<size_t>(n)) : "";
}

// Installs this build into prefix; the command's exit status.
int Install(const std::string& prefix)
{
  const std::string cmd = std::string("'") + ZEPHRA_CMAKE_COMMAND + "' --install '" + ZEPHRA_BUILD_DIR +
                          "' --prefix '" + prefix + "' >/dev/null";
  return std::system(cmd.c_str());
}

RunningEditorSetup ProgramAt(const std::string& program)
{
  RunningEditorSetup setup;
  setup.synth = false;
  setup.program = program;
  return setup;
}

TEST(Install, TheInstalledCopyOpensWithItsArtworkAndHelpers)
{
  TempDir prefix;
  ASSERT_EQ(Install(prefix.Path()), 0);
  const std::string bin = prefix.Path() + "/bin/";
  for (const char* program : {"ZephraEditor", "zephra-alert", "zephra-jack-probe"})
    EXPECT_TRUE(IsExecutable(bin + program)) << program;
  const std::string resources = prefix.Path() + "/share/zephraeditor/resources/";
  for (const char* file : {"img/orig/background-2x.png", "img/orig//flexisavebg-2x.png", "fonts/fonts.conf"})
    EXPECT_TRUE(IsFile(resources + file)) << file;
  EXPECT_FALSE(IsFile(resources + "artwork.stamp"));

  // Start waits until the panels are drawn (never one colour), which a
  // window without its artwork never is.
  RunningEditor editor(ProgramAt(bin + "ZephraEditor"));
  std::string error;
  ASSERT_TRUE(editor.Start(error)) << error;
  EXPECT_EQ(editor.MainRect().w, 1140);
  EXPECT_EQ(editor.Stop(SIGTERM), 0);
}

TEST(Install, ACopyWithoutItsArtworkSaysWhereItLooked)
{
  TempDir prefix, copy;
  ASSERT_EQ(Install(prefix.Path()), 0);
  // The program and its two helpers beside it, and nothing else.
  const std::string bin = copy.Path() + "/bin/";
  ASSERT_EQ(mkdir(bin.c_str(), 0755), 0);
  const std::string cp = "cp '" + prefix.Path() + "/bin/ZephraEditor' '" + prefix.Path() + "/bin/zephra-alert' '" +
                         prefix.Path() + "/bin/zephra-jack-probe' '" + bin + "'";
  ASSERT_EQ(std::system(cp.c_str()), 0);

  // A resources folder named by the environment that lacks the artwork,
  // and none named: every folder the copy then tries, up to the one it
  // finds (the sources' one, which holds only the fonts configuration).
  const std::string empty = copy.Path() + "/empty/";
  ASSERT_EQ(mkdir(empty.c_str(), 0755), 0);
  const std::string beside = RealPath(bin) + "/";
  struct Case { const char* name; std::string resourcesDir; std::string lookedIn; } const kCases[] = {
      {"named folder", empty, empty},
      {"found folder", "",
       beside + "resources/, " + beside + "../share/zephraeditor/resources/ and " +
           RealPath(std::string(ZEPHRA_SOURCE_ROOT) + "/resources") + "/"},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    RunningEditorSetup setup = ProgramAt(bin + "ZephraEditor");
    setup.env.push_back({"ZEPHRA_RESOURCES_DIR", c.resourcesDir});
    RunningEditor editor(setup);
    std::string error;
    ASSERT_TRUE(editor.Launch(error)) << error;
    RunningEditor::Alert alert;
    ASSERT_TRUE(editor.WaitForAlert(alert)) << "no message box";
    EXPECT_EQ(alert.title, "ZephraEditor");
    EXPECT_EQ(alert.text, "ZephraEditor cannot open its window: its artwork is missing; ZephraEditor looked for "
                          "img/orig/background-2x.png in " + c.lookedIn + " and did not find it.\n\n"
                          "Install the editor with \"cmake --install\" (see the README), or keep the resources "
                          "folder of its build beside it.");
    EXPECT_EQ(alert.buttons, std::vector<std::string>{"OK"});
    // The box is the copy's own helper, beside it.
    EXPECT_EQ(ProgramOf(alert.pid), bin + "zephra-alert");
    ASSERT_TRUE(editor.Answer(alert, 0));
    EXPECT_EQ(editor.Stop(0), 1);
  }
}
}  // namespace
