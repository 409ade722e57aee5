// Where the program keeps its settings, and the name of every setting the
// shell and the editor read or write, so that each is spelled in one place.
#pragma once

#include <string>

// "<home>/Library/Application Support/ZephraEditor/" (a null home counts as
// ""): the settings folder, ending in "/".
std::string SettingsFolderOf(const char* home);
// The settings folder of $HOME.
std::string UserSettingsFolder();
// The settings file inside the folder.
constexpr const char* kSettingsFileName = "settings.ini";

// A setting: its section and key in "settings.ini".
struct SettingName
{
  const char* section;
  const char* key;
};

namespace Setting
{
constexpr SettingName kGuiScale{"gui", "guiscale"};
constexpr SettingName kBackground{"gui", "background"};
constexpr SettingName kManager{"gui", "manager"};
constexpr SettingName kView{"gui", "view"};
constexpr SettingName kDatabaseServer{"dbase", "server"};
constexpr SettingName kDatabaseUser{"dbase", "user"};
constexpr SettingName kDatabaseMemo{"dbase", "memo"};
constexpr SettingName kSynthInput{"midi", "indev"};
constexpr SettingName kKeyboardInput{"midi", "inBdev"};
constexpr SettingName kOutput{"midi", "outdev"};
constexpr SettingName kKeyboardChannel{"midi", "kbdmidioutch"};
constexpr SettingName kLastFile{"program", "lastfile"};
}  // namespace Setting
