// The message of a copy without its artwork: every folder looked in, in the
// order tried, with the first image of the artwork table it looked for.
#include "core/shell/AppShell.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <optional>
#include <string>

namespace
{
std::string RealPath(const std::string& path)
{
  char resolved[PATH_MAX];
  return realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

std::string Missing(const std::string& where)
{
  return "ZephraEditor cannot open its window: its artwork is missing; ZephraEditor looked for "
         "img/orig/background-2x.png in " + where + " and did not find it.\n\n"
         "Install the editor with \"cmake --install\" (see the README), or keep the resources folder of its build "
         "beside it.";
}

TEST(AppArtwork, TheMessageNamesEveryFolderLookedInInTheOrderTried)
{
  const char* old = std::getenv("ZEPHRA_RESOURCES_DIR");
  const std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
  TempDir empty;
  // The test program lies in the build tree, with no resources folder beside
  // it nor an installed one above it: the source tree's folder, which holds
  // only the fonts configuration, is the one found.
  const std::string exe = RealPath(std::string(ZEPHRA_BUILD_DIR) + "/tests/core/shell") + "/";
  const std::string sources = RealPath(std::string(ZEPHRA_SOURCE_ROOT) + "/resources") + "/";
  // resourcesDir: $ZEPHRA_RESOURCES_DIR, null for none
  struct Case { const char* name; const char* resourcesDir; std::string message; } const kCases[] = {
      {"no folder named", nullptr,
       Missing(exe + "resources/, " + exe + "../share/zephraeditor/resources/ and " + sources)},
      {"a folder named that lacks the artwork", empty.Path().c_str(), Missing(empty.Path() + "/")},
      {"the build's own artwork", ZEPHRA_BUILD_RESOURCES, ""},
  };
  for (const Case& c : kCases)
  {
    if (c.resourcesDir)
      setenv("ZEPHRA_RESOURCES_DIR", c.resourcesDir, 1);
    else
      unsetenv("ZEPHRA_RESOURCES_DIR");
    EXPECT_EQ(AppMissingArtworkMessage(), c.message) << c.name;
  }
  if (saved)
    setenv("ZEPHRA_RESOURCES_DIR", saved->c_str(), 1);
  else
    unsetenv("ZEPHRA_RESOURCES_DIR");
}
}  // namespace
