// The application's resources folder: "resources" beside the executable, else
// "share/zephraeditor/resources" under the install prefix (the executable's
// parent folder), else the source tree's "resources" for programs run from the
// build tree. Safe to call from any thread.
#pragma once

#include <string>

// The folder, ending in "/", or "" when none of them exists.
std::string PLAT_GetResourcesDir();

// The path of a file under the resources folder (relative is like
// "fonts/fonts.conf"), or "" when the file does not exist.
std::string PLAT_GetResourcePath(const char* relative);
