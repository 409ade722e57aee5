// The artwork before anything is built: whether it is where the editor
// looks for it (without it the window would open as a blank panel), and
// the start's files decoded ahead while the toolkit starts.
#include "core/shell/AppShell.h"

#include "core/SettingsNames.h"
#include "editor/art/ArtTable.h"
#include "graphics/IGraphicsEarlyArt.h"
#include "platform/PLAT_Resources.h"
#include "winl/WINL_MessageBox.h"
#include "winl/ini/WINL_Ini.h"

#include <cstdio>

namespace
{
// "a", "a and b", "a, b and c".
std::string ListOf(const std::vector<std::string>& items)
{
  std::string out;
  for (size_t i = 0; i < items.size(); ++i) out += (i == 0 ? "" : i + 1 == items.size() ? " and " : ", ") + items[i];
  return out;
}
}  // namespace

std::string AppMissingArtworkMessage()
{
  // Every folder looked in is named, in the order tried: a copy that lost
  // its artwork is told of the places its artwork belongs, not only of the
  // last folder tried.
  const std::vector<std::string> places = PLAT_ResourcesFoldersLookedAt();
  std::string where;
  if (PLAT_GetResourcesDir().empty())
    where = "no resources folder was found; ZephraEditor looked for one at " + ListOf(places) + ".";
  else
  {
    for (size_t i = 0; i < kArtTableSize && where.empty(); ++i)
      if (PLAT_GetResourcePath(kArtTable[i].path).empty())
        where = std::string("ZephraEditor looked for ") + kArtTable[i].path + " in " + ListOf(places) +
                " and did not find it.";
    if (where.empty()) return "";
  }
  return "ZephraEditor cannot open its window: its artwork is missing; " + where +
         "\n\nInstall the editor with \"cmake --install\" (see the README), or keep the resources folder of its build "
         "beside it.";
}

int AppReportMissingArtwork(const std::string& message)
{
  std::fprintf(stderr, "%s\n", message.c_str());
  MessageBox(nullptr, message.c_str(), "ZephraEditor", MB_OK);
  return 1;
}

void AppStartEarlyArtwork()
{
  const std::string ini = UserSettingsFolder() + kSettingsFileName;
  char look[16] = "";
  (void)GetPrivateProfileString(Setting::kBackground.section, Setting::kBackground.key, "", look, sizeof look, ini.c_str());
  // At the scale of 1, which a first start takes, every file is read at half
  // its stored size (a strip's frames, of even height each, are spread out
  // afterwards); at any other every file is decoded whole. A scale the
  // start then fits to a small screen only leaves the halved decodes unused.
  double scale = StoredGuiScale(ini.c_str(), 1.0);
  if (!(scale > 0)) scale = 1.0;
  std::vector<EarlyArtFile> files;
  for (const ArtRow* row : ArtShownAtStart(look)) files.push_back({row->path, scale == 1.0});
  EarlyArtStart(files);
}

void AppFinishEarlyArtwork() { (void)EarlyArtFinish(); }
