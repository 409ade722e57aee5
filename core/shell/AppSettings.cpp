// The settings folder and the fit of the GUI scale to the screen.
#include "core/shell/AppShell.h"
#include "core/PlainNumber.h"
#include "core/SettingsNames.h"

#include "winl/ini/WINL_Ini.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

bool MakeSettingsFolder(const std::string& folder)
{
  // Part by part from the root: on a fresh system neither "Library" nor
  // "Application Support" exists. New folders are the user's alone, since
  // the folder keeps the database password; existing ones are not touched.
  for (size_t slash = folder.find('/', 1); slash != std::string::npos; slash = folder.find('/', slash + 1))
  {
    const std::string part = folder.substr(0, slash);
    struct stat info;
    if (stat(part.c_str(), &info) == 0)
    {
      if (!S_ISDIR(info.st_mode)) return false;
      continue;
    }
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    // The creation mask may have taken the owner's own bits.
    if (chmod(part.c_str(), 0700) != 0) return false;
  }
  struct stat info;
  return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool FitGuiScale(double scale, int screenHeight, int frame, double* fitted, double guiHeight)
{
  // With no screen, or one no higher than the frame, any fit would give a
  // scale of zero or less.
  if (screenHeight < 0 || screenHeight <= frame) return false;
  if (!(frame + scale * guiHeight > screenHeight)) return false;
  *fitted = std::clamp((screenHeight - frame) / guiHeight, 0.5, 2.0);
  return true;
}

double StoredGuiScale(const char* iniPath, double fallback)
{
  // Read as the window-size manager reads it, so that both take the same
  // value whatever the user's locale (a comma written by earlier versions
  // included).
  char text[128];
  (void)GetPrivateProfileString(Setting::kGuiScale.section, Setting::kGuiScale.key, "", text, sizeof text, iniPath);
  double scale = fallback;
  return ReadPlainNumber(text, &scale) ? scale : fallback;
}

bool FitStoredGuiScale(const char* iniPath, int screenHeight, int frame, double* scale)
{
  *scale = StoredGuiScale(iniPath, -1.0);
  // The compact panel opens 400 high at scale 1.0: it may keep a scale the
  // whole panel could not.
  char view[16] = "";
  (void)GetPrivateProfileString(Setting::kView.section, Setting::kView.key, "", view, sizeof view, iniPath);
  const double guiHeight = std::string(view) == "compact" ? 400.0 : 800.0;
  double fitted = 0.0;
  if (!FitGuiScale(*scale, screenHeight, frame, &fitted, guiHeight)) return false;
  (void)WritePrivateProfileString(Setting::kGuiScale.section, Setting::kGuiScale.key, PlainFixed(fitted, 15).c_str(),
                                  iniPath);
  *scale = fitted;
  return true;
}
