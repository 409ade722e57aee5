// A fresh temporary folder standing as the resources folder
// ($ZEPHRA_RESOURCES_DIR) for as long as the object lives; the folder the
// variable named before, or none, comes back after.
#pragma once

#include "support/TempDir.h"

#include <cstdlib>
#include <string>

struct ResourcesFolder
{
  ResourcesFolder()
  {
    const char* old = std::getenv("ZEPHRA_RESOURCES_DIR");
    hadOld = old != nullptr;
    if (old) saved = old;
    setenv("ZEPHRA_RESOURCES_DIR", dir.Path().c_str(), 1);
  }
  ~ResourcesFolder()
  {
    if (hadOld)
      setenv("ZEPHRA_RESOURCES_DIR", saved.c_str(), 1);
    else
      unsetenv("ZEPHRA_RESOURCES_DIR");
  }
  ResourcesFolder(const ResourcesFolder&) = delete;
  ResourcesFolder& operator=(const ResourcesFolder&) = delete;

  TempDir dir;
  std::string saved;
  bool hadOld = false;
};
