// The table is sorted when the program is built, so a lookup never writes
// to it and threads may look names up at the same time. Its lines are
// written at build time by scripts/gen_api_table.py from the declarations
// of the layer's public headers.
#include "winl/WINL_ApiTable.h"

// Every public header that declares a function of the table.
#include "WINL_ApiTableHeaders.inc"

#include <cstring>

namespace
{
// Each line of the list is WINL_API(name, function or nullptr); the names
// and the functions are read from it into two arrays of the same order.
constexpr const char* kNames[] = {
#define WINL_API(name, fn) name,
#include "WINL_ApiTableEntries.inc"
#undef WINL_API
};
constexpr size_t kCount = sizeof kNames / sizeof kNames[0];

#define WINL_API_FN(name) reinterpret_cast<void*>(&name)
void* const kFunctions[] = {
#define WINL_API(name, fn) fn,
#include "WINL_ApiTableEntries.inc"
#undef WINL_API
};
#undef WINL_API_FN

constexpr int Compare(const char* a, const char* b)
{
  while (*a && *a == *b)
  {
    ++a;
    ++b;
  }
  return static_cast<unsigned char>(*a) - static_cast<unsigned char>(*b);
}

constexpr bool SortedStrictly()
{
  for (size_t i = 1; i < kCount; ++i)
    if (Compare(kNames[i - 1], kNames[i]) >= 0) return false;
  return true;
}
static_assert(kCount == 341, "one entry for each name of the API");
static_assert(SortedStrictly(), "the API table must be sorted byte-wise, without duplicates");
static_assert(sizeof kFunctions / sizeof kFunctions[0] == kCount, "names and functions agree");
}  // namespace

void* WINLAPI_GetFunc(const char* name)
{
  if (!name) return reinterpret_cast<void*>(0x100);
  size_t lo = 0;
  size_t hi = kCount;
  while (lo < hi)
  {
    const size_t mid = (lo + hi) / 2;
    const int c = std::strcmp(kNames[mid], name);
    if (c == 0) return kFunctions[mid];
    if (c < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  return nullptr;
}
