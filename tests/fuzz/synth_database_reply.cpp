// Replies of the program database come from a server on the network: any
// bytes must parse without harm. Feeds every reply reader, then checks that
// each record it made holds NUL-terminated fields, an id that is a plain
// number, and a download address that starts with "https://".
#include "synth/ProgramDatabase.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{
void CheckRecords(const std::vector<DatabaseListRecord>& list, bool addresses)
{
  for (const DatabaseListRecord& r : list)
  {
    if (memchr(r.name, 0, sizeof r.name) == nullptr || memchr(r.link, 0, sizeof r.link) == nullptr) abort();
    if (addresses)
    {
      if (strncmp(r.link, "https://", 8) != 0) abort();
    }
    else
    {
      if (r.link[0] == 0 || strspn(r.link, "0123456789") != strlen(r.link)) abort();
    }
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  const std::string body(reinterpret_cast<const char*>(data), size);
  std::vector<DatabaseListRecord> list;
  int elements = 0;
  ParseCategoriesReply(body, list, elements);
  CheckRecords(list, false);
  list.clear();
  ParseProgramsReply(body, list, elements);
  CheckRecords(list, false);
  list.clear();
  ParseMediaReply(body, list, elements);
  CheckRecords(list, true);
  SortDatabaseList(list);
  (void)LoginReplyMatches(body, "Alice");
  return 0;
}
