// The shell's start with the settings (code 1) and the fit of the GUI scale
// to the screen, checked in the files they leave.
#include "core/shell/AppShell.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>

namespace
{
const char kFolder[] = "/Library/Application Support/ZephraEditor/";
const char kFresh[] = "[midi]\ninBdev=off\nindev=off\noutdev=off\n\n";

int ModeOf(const std::string& path)
{
  struct stat info{};
  return stat(path.c_str(), &info) == 0 ? static_cast<int>(info.st_mode & 07777) : -1;
}

// Makes the folders (mode 0755) and, unless text is empty, the settings file.
std::string WithSettings(const std::string& home, const std::string& text)
{
  std::filesystem::create_directories(home + kFolder);
  for (const char* part : {"/Library", "/Library/Application Support", kFolder}) chmod((home + part).c_str(), 0755);
  if (!text.empty()) WriteWholeFile(home + kFolder + "settings.ini", text);
  return home;
}

const struct
{
  const char* name;
  std::function<std::string(const std::string& tmp)> home;  // prepares the home folder
  int result;
  std::string settings;  // afterwards
  int folderMode, libraryMode;
} kStarts[] = {
    {"fresh home: parents made, the user's own", [](const std::string& t) { return t; }, 0, kFresh, 0700, 0700},
    {"folders exist and stay as they are", [](const std::string& t) { return WithSettings(t, ""); }, 0, kFresh, 0755, 0755},
    {"no midi section: the read defaults written back",
     [](const std::string& t) { return WithSettings(t, "[gui]\nguiscale=1.0\n"); }, 0,
     "[gui]\nguiscale=1.0\n\n[midi]\ninBdev=no input\nindev=no input\noutdev=no output\n\n", 0755, 0755},
    {"names kept whole",
     [](const std::string& t) { return WithSettings(t, "[midi]\ninBdev=off\nindev=Gone\noutdev=" + std::string(150, 'p') + "\n\n"); },
     0, "[midi]\ninBdev=off\nindev=Gone\noutdev=" + std::string(150, 'p') + "\n\n", 0755, 0755},
    {"home of 300 characters",
     [](const std::string& t) {
       std::string home = t;  // folder names of at most 50 characters
       while (home.size() < 300) home += "/" + std::string(std::min<size_t>(49, 300 - home.size() - 1), 'h');
       std::filesystem::create_directories(home);
       return home;
     },
     0, kFresh, 0700, 0700},
    {"read-only home", [](const std::string&) { return std::string("/proc"); }, 1, "", -1, -1},
};

TEST(AppSettings, StartMakesOrReadsTheSettings)
{
  for (const auto& c : kStarts)
  {
    SCOPED_TRACE(c.name);
    TempDir tmp;
    const std::string home = c.home(tmp.Path());
    setenv("HOME", home.c_str(), 1);
    EXPECT_EQ(WINLAppMain(1, 0, 0), c.result);
    EXPECT_EQ(AppINIPath(), home + kFolder + "settings.ini");
    EXPECT_EQ(ReadWholeFile(AppINIPath()), c.settings);
    EXPECT_EQ(ModeOf(home + kFolder), c.folderMode);
    EXPECT_EQ(ModeOf(home + "/Library"), c.libraryMode);
    // The end may come before launching: nothing but the settings exists.
    EXPECT_EQ(WINLAppMain(3, 0, 0), 0);
  }
}

const struct
{
  const char* name;
  const char* stored;  // settings text ("" for none)
  int screenHeight, frame;
  bool fitted;
  double scale;
  const char* after;  // settings text afterwards
} kFits[] = {
    {"700 high, 22-pixel frame", "[gui]\nguiscale=1.0\n", 700, 22, true, 0.8475, "[gui]\nguiscale=0.847500000000000\n\n"},
    {"fits exactly", "[gui]\nguiscale=0.8475\n", 700, 22, false, 0.8475, "[gui]\nguiscale=0.8475\n"},
    {"no stored scale", "", 700, 22, false, -1.0, ""},
    {"no monitor", "[gui]\nguiscale=1.0\n", -1, 22, false, 1.0, "[gui]\nguiscale=1.0\n"},
    {"screen below the frame", "[gui]\nguiscale=1.0\n", 21, 22, false, 1.0, "[gui]\nguiscale=1.0\n"},
    {"screen as high as the frame", "[gui]\nguiscale=1.0\n", 22, 22, false, 1.0, "[gui]\nguiscale=1.0\n"},
    {"screen above the frame", "[gui]\nguiscale=1.0\n", 23, 22, true, 0.5, "[gui]\nguiscale=0.500000000000000\n\n"},
    {"below the least scale", "[gui]\nguiscale=1.0\n", 421, 22, true, 0.5, "[gui]\nguiscale=0.500000000000000\n\n"},
    {"at the least scale", "[gui]\nguiscale=1.0\n", 422, 22, true, 0.5, "[gui]\nguiscale=0.500000000000000\n\n"},
    {"above the least scale", "[gui]\nguiscale=1.0\n", 423, 22, true, 0.50125, "[gui]\nguiscale=0.501250000000000\n\n"},
    {"below the greatest scale", "[gui]\nguiscale=3\n", 1621, 22, true, 1.99875, "[gui]\nguiscale=1.998750000000000\n\n"},
    {"at the greatest scale", "[gui]\nguiscale=3\n", 1622, 22, true, 2.0, "[gui]\nguiscale=2.000000000000000\n\n"},
    {"above the greatest scale", "[gui]\nguiscale=3\n", 1623, 22, true, 2.0, "[gui]\nguiscale=2.000000000000000\n\n"},
};

TEST(AppSettings, StoredScaleFitsTheScreen)
{
  for (const auto& c : kFits)
  {
    SCOPED_TRACE(c.name);
    TempDir tmp;
    const std::string path = tmp.File("settings.ini");
    if (*c.stored) WriteWholeFile(path, c.stored);
    double scale = 0.0;
    EXPECT_EQ(FitStoredGuiScale(path.c_str(), c.screenHeight, c.frame, &scale), c.fitted);
    EXPECT_DOUBLE_EQ(scale, c.scale);
    EXPECT_EQ(ReadWholeFile(path), c.after);
  }
}
}  // namespace
