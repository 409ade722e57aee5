// The application's resources folder, the one place every user of resources
// (images, the font configuration, anything added later) finds its files:
// $ZEPHRA_RESOURCES_DIR when that is set and not empty (read on every call,
// so a test can point it at a folder of its own), else "resources" beside the
// executable, else "share/zephraeditor/resources" under the install prefix
// (the executable's parent folder), else the source tree's "resources" for
// programs run from the build tree. Plain C++ without any drawing library, so
// the raster library may call it. Safe to call from any thread that does not
// change the environment at the same time.
#pragma once

#include <string>
#include <vector>

// The folder, ending in "/", or "" when none of them exists.
std::string PLAT_GetResourcesDir();

// The path of a file under the resources folder (relative is like
// "fonts/fonts.conf"), or "" when the file does not exist.
std::string PLAT_GetResourcePath(const char* relative);

// The folders looked at for the resources folder, in the order above, up to
// and including the one PLAT_GetResourcesDir settled on (every one when none
// exists; only $ZEPHRA_RESOURCES_DIR when it is set), each ending in "/": for
// a message that says where the program looked.
std::vector<std::string> PLAT_ResourcesFoldersLookedAt();
