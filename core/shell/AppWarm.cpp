// The panels' first texts, warmed on a thread of their own while the
// toolkit starts: see AppShell.h.
#include "core/shell/AppShell.h"

#include "platform/PLAT_Text.h"

#include <system_error>
#include <thread>

namespace
{
// The face and the pixel sizes the panels' captions and values are drawn
// in at the usual scale (their styles ask for "Monaco", bold); the texts
// are ASCII. Other scales still find the configuration read and the face
// loaded.
constexpr const char* kPanelFace = "Monaco Bold";
constexpr double kPanelSizes[] = {8, 9, 10, 11, 12};

std::thread gWarming;

std::string PrintableAscii()
{
  std::string text;
  for (char c = ' '; c <= '~'; ++c) text += c;
  return text;
}
}  // namespace

void AppStartWarming()
{
  if (gWarming.joinable()) return;
  try
  {
    gWarming = std::thread([] {
      PLAT_WarmText(kPanelFace, kPanelSizes, sizeof kPanelSizes / sizeof kPanelSizes[0], PrintableAscii().c_str());
    });
  }
  catch (const std::system_error&)
  {
    // Without the thread the first texts do the work themselves.
  }
}

void AppJoinWarming()
{
  if (gWarming.joinable()) gWarming.join();
}
