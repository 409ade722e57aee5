// The shell's start-up with the settings (code 1) and the fit of the GUI
// scale to the screen, checked in the files they leave.
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

int ModeOf(const std::string& path)
{
  struct stat info{};
  return stat(path.c_str(), &info) == 0 ? static_cast<int>(info.st_mode & 07777) : -1;
}

struct StartCase
{
  const char* name;
  std::function<std::string(const std::string& tmp)> prepare;  // makes the home folder, returns it
  int result;
  const char* settings;  // the settings file after code 1; null: none
  int folderMode;        // of the settings folder; -1: none
  int libraryMode;       // of "Library"
};

std::string Home(const std::string& tmp) { return tmp; }
std::string WithSettings(const std::string& tmp, const std::string& text)
{
  std::filesystem::create_directories(tmp + kFolder);
  chmod((tmp + "/Library").c_str(), 0755);
  chmod((tmp + "/Library/Application Support").c_str(), 0755);
  chmod((tmp + kFolder).c_str(), 0755);
  if (!text.empty()) WriteWholeFile(tmp + kFolder + "settings.ini", text);
  return tmp;
}

const StartCase kStartCases[] = {
    {"fresh home: parents made, the user's own",
     Home, 0, "[midi]\ninBdev=off\nindev=off\noutdev=off\n\n", 0700, 0700},
    {"folder without settings: existing folders left alone",
     [](const std::string& tmp) { return WithSettings(tmp, ""); }, 0,
     "[midi]\ninBdev=off\nindev=off\noutdev=off\n\n", 0755, 0755},
    {"settings without a midi section: the read defaults written back",
     [](const std::string& tmp) { return WithSettings(tmp, "[gui]\nguiscale=1.0\n"); }, 0,
     "[gui]\nguiscale=1.0\n\n[midi]\ninBdev=no input\nindev=no input\noutdev=no output\n\n", 0755, 0755},
    {"stored names kept whole",
     [](const std::string& tmp) {
       return WithSettings(tmp, "[midi]\ninBdev=off\nindev=Gone\noutdev=" + std::string(150, 'p') + "\n\n");
     },
     0, nullptr, 0755, 0755},
    {"home of 300 characters",
     [](const std::string& tmp) {
       // Folder names of at most 50 characters, 300 in all.
       std::string home = tmp;
       while (home.size() < 300) home += "/" + std::string(std::min<size_t>(49, 300 - home.size() - 1), 'h');
       std::filesystem::create_directories(home);
       return home;
     },
     0, "[midi]\ninBdev=off\nindev=off\noutdev=off\n\n", 0700, 0700},
    {"a file where the folder goes",
     [](const std::string& tmp) {
       WriteWholeFile(tmp + "/Library", "x");
       return tmp;
     },
     1, nullptr, -1, 0644},
    {"read-only home", [](const std::string&) { return std::string("/proc"); }, 1, nullptr, -1, -1},
};

TEST(AppSettings, StartUpMakesOrReadsTheSettings)
{
  for (const StartCase& c : kStartCases)
  {
    SCOPED_TRACE(c.name);
    TempDir tmp;
    const std::string home = c.prepare(tmp.Path());
    const std::string before = ReadWholeFile(home + kFolder + "settings.ini");
    setenv("HOME", home.c_str(), 1);
    EXPECT_EQ(WINLAppMain(1, 0, 0), c.result);
    EXPECT_EQ(AppINIPath(), home + kFolder + "settings.ini");
    if (c.settings)
    {
      EXPECT_EQ(ReadWholeFile(AppINIPath()), c.settings);
    }
    EXPECT_EQ(ModeOf(home + kFolder), c.folderMode);
    EXPECT_EQ(ModeOf(home + "/Library"), c.libraryMode);
    Cleanup();
    if (!c.settings && c.folderMode >= 0)
    {
      EXPECT_EQ(ReadWholeFile(home + kFolder + "settings.ini"), before);  // written back unchanged
    }
  }
}

struct FitCase
{
  const char* name;
  const char* stored;  // settings text; null: no file
  int screenHeight;
  int frame;
  bool fitted;
  double scale;
  const char* after;  // settings text afterwards; null: as stored
};

const FitCase kFitCases[] = {
    {"700 high with a 22-pixel frame", "[gui]\nguiscale=1.0\n", 700, 22, true, 0.8475,
     "[gui]\nguiscale=0.847500000000000\n\n"},
    {"already fits exactly", "[gui]\nguiscale=0.8475\n", 700, 22, false, 0.8475, nullptr},
    {"no stored scale", nullptr, 700, 22, false, -1.0, nullptr},
    {"unreadable scale", "[gui]\nguiscale=big\n", 700, 22, false, -1.0, nullptr},
    {"no monitor", "[gui]\nguiscale=1.0\n", -1, 22, false, 1.0, nullptr},
    {"screen one below the frame", "[gui]\nguiscale=1.0\n", 21, 22, false, 1.0, nullptr},
    {"screen as high as the frame", "[gui]\nguiscale=1.0\n", 22, 22, false, 1.0, nullptr},
    {"screen one above the frame", "[gui]\nguiscale=1.0\n", 23, 22, true, 0.5, "[gui]\nguiscale=0.500000000000000\n\n"},
    {"fit just below the least scale", "[gui]\nguiscale=1.0\n", 421, 22, true, 0.5,
     "[gui]\nguiscale=0.500000000000000\n\n"},
    {"fit at the least scale", "[gui]\nguiscale=1.0\n", 422, 22, true, 0.5, "[gui]\nguiscale=0.500000000000000\n\n"},
    {"fit just above the least scale", "[gui]\nguiscale=1.0\n", 423, 22, true, 0.50125,
     "[gui]\nguiscale=0.501250000000000\n\n"},
    {"fit just below the greatest scale", "[gui]\nguiscale=3.0\n", 1621, 22, true, 1.99875,
     "[gui]\nguiscale=1.998750000000000\n\n"},
    {"fit at the greatest scale", "[gui]\nguiscale=3.0\n", 1622, 22, true, 2.0, "[gui]\nguiscale=2.000000000000000\n\n"},
    {"fit just above the greatest scale", "[gui]\nguiscale=3.0\n", 1623, 22, true, 2.0,
     "[gui]\nguiscale=2.000000000000000\n\n"},
};

TEST(AppSettings, StoredScaleFitsTheScreen)
{
  for (const FitCase& c : kFitCases)
  {
    SCOPED_TRACE(c.name);
    TempDir tmp;
    const std::string path = tmp.File("settings.ini");
    if (c.stored) WriteWholeFile(path, c.stored);
    double scale = 0.0;
    EXPECT_EQ(FitStoredGuiScale(path.c_str(), c.screenHeight, c.frame, &scale), c.fitted);
    EXPECT_DOUBLE_EQ(scale, c.scale);
    EXPECT_EQ(ReadWholeFile(path), c.after ? c.after : c.stored ? c.stored : "");
  }
}
}  // namespace
