// ZephraManagerWindowLink: the manager link's parts that the window layer
// provides by itself -- the folder chooser. The program-manager panel
// derives from it for the rows and controls.
#pragma once

#include "synth/ZephraManagerLink.h"

class ZephraManagerWindowLink : public ZephraManagerLink
{
public:
  std::string ChooseDirectory(const std::string& startFolder) override;
};
