// "user.dat" is read on the GUI thread at start: what lies under that name
// must neither block it nor be read without bound.
#include "editor/ZephraUserFile.h"

#include "support/FileFaults.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace
{
TEST(UserFile, OnlyABoundedRegularFileIsRead)
{
  TempDir dir;
  ASSERT_TRUE(WriteUserFile(dir.File("good"), "secret"));
  std::string padded = ReadWholeFile(dir.File("good"));
  WriteWholeFile(dir.File("4096"), padded + std::string(4096 - padded.size(), '\0'));
  WriteWholeFile(dir.File("4097"), padded + std::string(4097 - padded.size(), '\0'));
  MakeFifo(dir.File("fifo"));
  MakeDevZeroLink(dir.File("zero"));
  struct Case { const char* name; bool read; } const kCases[] = {
    {"good", true}, {"4096", true}, {"4097", false}, {"fifo", false}, {"zero", false},
  };
  for (const Case& c : kCases)
  {
    std::string password = "untouched";
    EXPECT_EQ(ReadUserFile(dir.File(c.name), password), c.read) << c.name;
    EXPECT_EQ(password, c.read ? "secret" : "untouched") << c.name;
  }
}
}  // namespace
