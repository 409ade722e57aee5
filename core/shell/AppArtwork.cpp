// Whether the artwork is where the editor looks for it, before anything is
// built: without it the window would open as a blank panel.
#include "core/shell/AppShell.h"

#include "editor/art/ArtTable.h"
#include "platform/PLAT_Resources.h"
#include "winl/WINL_MessageBox.h"

#include <cstdio>

std::string AppMissingArtworkMessage()
{
  const std::string folder = PLAT_GetResourcesDir();
  std::string where;
  if (folder.empty())
  {
    // No folder at all: every place looked at is named.
    const std::vector<std::string> places = PLAT_ResourcesFoldersLookedAt();
    where = "no resources folder was found; ZephraEditor looked for one at ";
    for (size_t i = 0; i < places.size(); ++i)
      where += (i == 0 ? "" : i + 1 == places.size() ? " and " : ", ") + places[i];
    where += ".";
  }
  else
  {
    for (size_t i = 0; i < kArtTableSize && where.empty(); ++i)
      if (PLAT_GetResourcePath(kArtTable[i].path).empty())
        where = std::string("ZephraEditor looked for ") + kArtTable[i].path + " in " + folder + " and did not find it.";
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
