#include "graphics/controls/IControlChanges.h"

#include <atomic>

namespace
{
// Sequentially consistent on both sides: a surface arms, then reads the
// count; a change counts, then looks for the wake. One of the two sees the
// other.
std::atomic<unsigned> gChanges{0};
std::atomic<void (*)()> gWake{nullptr};
}  // namespace

namespace IControlChanges
{
void Count()
{
  gChanges.fetch_add(1);
  if (gWake.load() == nullptr) return;
  if (void (*wake)() = gWake.exchange(nullptr)) wake();
}

unsigned Now() { return gChanges.load(); }

void Arm(void (*wake)()) { gWake.store(wake); }
}  // namespace IControlChanges
