// The shell's start with the settings (code 1) and the fit of the GUI scale
// to the screen, checked in the files they leave.
#include "core/shell/AppShell.h"

#include "support/MadeLocale.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace
{
const char kFolder[] = "/Library/Application Support/ZephraEditor/";
const char kFresh[] = "[midi]\ninBdev=off\nindev=off\noutdev=off\n\n";
const std::string kLongNames = "[midi]\ninBdev=off\nindev=Gone\noutdev=" + std::string(150, 'p') + "\n\n";

int ModeOf(const std::string& path)
{
  struct stat info{};
  return stat(path.c_str(), &info) == 0 ? static_cast<int>(info.st_mode & 07777) : -1;
}

const struct
{
  const char* name;
  size_t homeLength;     // 0: the temporary folder; 1: "/proc", not writable; else padded to it
  const char* before;    // settings text in existing folders of mode 0755; null: none
  int result;
  std::string settings;  // afterwards
  int mode;              // of the folder and of "Library"
} kStarts[] = {
    {"fresh home: parents made, the user's own", 0, nullptr, 0, kFresh, 0700},
    {"home of 300 characters", 300, nullptr, 0, kFresh, 0700},
    {"folders exist and stay as they are", 0, "", 0, kFresh, 0755},
    {"no midi section: the read defaults written back", 0, "[gui]\nguiscale=1.0\n", 0,
     "[gui]\nguiscale=1.0\n\n[midi]\ninBdev=no input\nindev=no input\noutdev=no output\n\n", 0755},
    {"names kept whole", 0, kLongNames.c_str(), 0, kLongNames, 0755},
    {"read-only home", 1, nullptr, 1, "", -1},
};

TEST(AppSettings, StartMakesOrReadsTheSettings)
{
  for (const auto& c : kStarts)
  {
    SCOPED_TRACE(c.name);
    TempDir tmp;
    std::string home = c.homeLength == 1 ? "/proc" : tmp.Path();
    while (home.size() < c.homeLength)  // folder names of at most 50 characters
      home += "/" + std::string(std::min<size_t>(49, c.homeLength - home.size() - 1), 'h');
    std::filesystem::create_directories(home);
    if (c.before)
    {
      std::filesystem::create_directories(home + kFolder);
      for (const char* part : {"/Library", "/Library/Application Support", kFolder}) chmod((home + part).c_str(), 0755);
      if (*c.before) WriteWholeFile(home + kFolder + "settings.ini", c.before);
    }
    setenv("HOME", home.c_str(), 1);
    EXPECT_EQ(WINLAppMain(1, 0, 0), c.result);
    EXPECT_EQ(AppINIPath(), home + kFolder + "settings.ini");
    EXPECT_EQ(ReadWholeFile(AppINIPath()), c.settings);
    EXPECT_EQ(ModeOf(home + kFolder), c.mode);
    EXPECT_EQ(ModeOf(home + "/Library"), c.mode);
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
    // Earlier versions wrote the scale with a comma under a comma locale:
    // it is 1.5, too high for a screen of 1000, and fitted.
    {"written with a comma, fitted", "[gui]\nguiscale=1,500000000000000\n", 1000, 22, true, 1.2225,
     "[gui]\nguiscale=1.222500000000000\n\n"},
    {"written with a comma, fits", "[gui]\nguiscale=1,300000000000000\n", 1100, 22, false, 1.3,
     "[gui]\nguiscale=1,300000000000000\n"},
    // The compact panel is 400 high at scale 1.0.
    {"compact, fits", "[gui]\nguiscale=1.5\nview=compact\n", 622, 22, false, 1.5, "[gui]\nguiscale=1.5\nview=compact\n"},
    {"compact, fitted", "[gui]\nguiscale=1.5\nview=compact\n", 621, 22, true, 1.4975,
     "[gui]\nguiscale=1.497500000000000\nview=compact\n\n"},
};

void ExpectStoredScalesFit()
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

TEST(AppSettings, StoredScaleFitsTheScreen)
{
  ExpectStoredScalesFit();
}

// Under a decimal-comma locale the scale is read and written with a point
// all the same.
TEST(AppSettings, StoredScaleFitsTheScreenUnderADecimalCommaLocale)
{
  ScopedMadeLocale french("fr_FR.UTF-8");
  if (!french.Active()) GTEST_SKIP() << french.Why();
  ExpectStoredScalesFit();
}
}  // namespace
