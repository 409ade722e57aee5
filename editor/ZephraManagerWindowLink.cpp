// The folder chooser of the program manager.
#include "editor/ZephraManagerWindowLink.h"

#include "winl/WINL_FileDialog.h"

std::string ZephraManagerWindowLink::ChooseDirectory(const std::string& startFolder)
{
  // 255 bytes hold the folder and its "/": the chooser's answer may take
  // 254 of them, and refuses a longer one whole rather than cut it.
  char folder[255] = {};
  if (!BrowseForDirectory("Select Directory", startFolder.c_str(), folder, sizeof folder, "Select Directory"))
    return std::string();
  return std::string(folder) + "/";
}
