#include "winl/draw/WINL_GlobalMem.h"

#include <cstdlib>
#include <cstring>

namespace
{
// The header in front of the data. Padded to 16 bytes so the data keeps
// malloc's alignment for any type a caller stores in it.
struct alignas(16) GlobalHeader
{
  uint32_t size;
  uint32_t lockCount;
};
static_assert(sizeof(GlobalHeader) == 16, "data must stay 16-byte aligned");

GlobalHeader* HeaderOf(HGLOBAL mem)
{
  return reinterpret_cast<GlobalHeader*>(static_cast<unsigned char*>(mem) - sizeof(GlobalHeader));
}
}  // namespace

HGLOBAL GlobalAlloc(UINT /*flags*/, INT_PTR size)
{
  if (size < 0) size = 0;
  if (static_cast<uint64_t>(size) > 0x7FFFFFFFu) return nullptr;
  void* block = calloc(1, sizeof(GlobalHeader) + static_cast<size_t>(size));
  if (!block) return nullptr;
  GlobalHeader* h = static_cast<GlobalHeader*>(block);
  h->size = static_cast<uint32_t>(size);
  h->lockCount = 0;
  return h + 1;
}

void* GlobalLock(HGLOBAL mem)
{
  if (!mem) return nullptr;
  ++HeaderOf(mem)->lockCount;
  return mem;
}

BOOL GlobalUnlock(HGLOBAL mem)
{
  if (!mem) return FALSE;
  GlobalHeader* h = HeaderOf(mem);
  if (h->lockCount > 0) --h->lockCount;
  return h->lockCount > 0 ? TRUE : FALSE;
}

INT_PTR GlobalSize(HGLOBAL mem)
{
  if (!mem) return 0;
  return static_cast<INT_PTR>(HeaderOf(mem)->size);
}

HGLOBAL GlobalFree(HGLOBAL mem)
{
  if (mem) free(HeaderOf(mem));
  return nullptr;
}
