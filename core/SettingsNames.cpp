// The settings folder.
#include "core/SettingsNames.h"

#include <cstdlib>

std::string SettingsFolderOf(const char* home)
{
  return std::string(home ? home : "") + "/Library/Application Support/ZephraEditor/";
}

std::string UserSettingsFolder() { return SettingsFolderOf(std::getenv("HOME")); }
