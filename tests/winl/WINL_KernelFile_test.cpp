// File handles: positions at the 32-bit limit, sizes and the bytes that go
// through, checked against the file on disk.
#include "winl/WINL_Kernel.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace
{
class WinlFile : public ::testing::Test
{
protected:
  void TearDown() override
  {
    if (mFile)
    {
      EXPECT_TRUE(CloseHandle(mFile));
    }
  }
  HANDLE Open(const std::string& bytes)
  {
    WriteWholeFile(mPath, bytes);
    mFile = WINL_OpenFile(mPath.c_str(), "r+b");
    EXPECT_NE(mFile, nullptr);
    return mFile;
  }
  TempDir mDir;
  std::string mPath = mDir.File("data.bin");
  HANDLE mFile = nullptr;
};

TEST_F(WinlFile, WrittenBytesReadBackAndReachTheDisk)
{
  HANDLE f = Open("");
  DWORD done = 99;
  ASSERT_TRUE(WriteFile(f, "Zephra\0\x7F\xFF", 9, &done, nullptr));
  EXPECT_EQ(done, 9u);
  EXPECT_EQ(ReadWholeFile(mPath), std::string("Zephra\0\x7F\xFF", 9));
  EXPECT_EQ(WINL_GetFilePointer(f), 9u);
  EXPECT_EQ(SetFilePointer(f, 4, nullptr, FILE_BEGIN), 4u);
  char got[8] = {};
  ASSERT_TRUE(ReadFile(f, got, 3, &done, nullptr));
  EXPECT_EQ(done, 3u);
  EXPECT_EQ(std::string(got, 3), std::string("ra\0", 3));
  // A read straight after it and a write straight after that.
  ASSERT_TRUE(WriteFile(f, "!", 1, &done, nullptr));
  EXPECT_EQ(ReadWholeFile(mPath), std::string("Zephra\0!\xFF", 9));
}

TEST_F(WinlFile, ReadAtTheEndGivesTheShorterCount)
{
  HANDLE f = Open("abcde");
  ASSERT_EQ(SetFilePointer(f, 3, nullptr, FILE_BEGIN), 3u);
  char got[8] = {};
  DWORD done = 99;
  EXPECT_TRUE(ReadFile(f, got, 8, &done, nullptr));
  EXPECT_EQ(done, 2u);
  EXPECT_EQ(std::string(got, 2), "de");
  EXPECT_TRUE(ReadFile(f, got, 8, &done, nullptr));
  EXPECT_EQ(done, 0u);
}

TEST_F(WinlFile, SizeKeepsThePosition)
{
  HANDLE f = Open("0123456789");
  ASSERT_EQ(SetFilePointer(f, 6, nullptr, FILE_BEGIN), 6u);
  DWORD high = 7;
  EXPECT_EQ(GetFileSize(f, &high), 10u);
  EXPECT_EQ(high, 0u);
  EXPECT_EQ(WINL_GetFilePointer(f), 6u);
  char got = 0;
  DWORD done = 0;
  ASSERT_TRUE(ReadFile(f, &got, 1, &done, nullptr));
  EXPECT_EQ(got, '6');
}

// Offsets around the largest one a 32-bit position holds; the files are
// sparse, so they take no room.
TEST_F(WinlFile, PositionsAndSizesAtThe32BitLimit)
{
  HANDLE f = Open("");
  struct Case
  {
    LONG low;
    DWORD position;
    DWORD sizeLow, sizeHigh;  // after one byte written there
  };
  const Case cases[] = {
      {static_cast<LONG>(0xFFFFFFFE), 0xFFFFFFFE, 0xFFFFFFFF, 0},
      {static_cast<LONG>(0xFFFFFFFF), 0xFFFFFFFF, 0x00000000, 1},
  };
  for (const Case& c : cases)
  {
    LONG high = 0;
    EXPECT_EQ(SetFilePointer(f, c.low, &high, FILE_BEGIN), c.position);
    DWORD done = 0;
    ASSERT_TRUE(WriteFile(f, "x", 1, &done, nullptr));
    DWORD sizeHigh = 7;
    EXPECT_EQ(GetFileSize(f, &sizeHigh), c.sizeLow);
    EXPECT_EQ(sizeHigh, c.sizeHigh);
  }
  // One past the last byte written is 2^32: it no longer fits.
  EXPECT_EQ(WINL_GetFilePointer(f), INVALID_SET_FILE_POINTER);
}

TEST_F(WinlFile, AHighPartOrAnotherMethodFailsAndKeepsThePosition)
{
  HANDLE f = Open("0123456789");
  ASSERT_EQ(SetFilePointer(f, 5, nullptr, FILE_BEGIN), 5u);
  const struct
  {
    LONG high;
    DWORD method;
  } refused[] = {{1, FILE_BEGIN}, {-1, FILE_BEGIN}, {0, 1}, {0, 2}};
  for (const auto& r : refused)
  {
    LONG high = r.high;
    EXPECT_EQ(SetFilePointer(f, 2, &high, r.method), 0xFFFFFFFFu);
    EXPECT_EQ(WINL_GetFilePointer(f), 5u);
  }
}

TEST(WinlFileHandles, OtherHandlesAreRefused)
{
  HANDLE event = CreateEvent(nullptr, TRUE, FALSE);
  char byte = 0;
  DWORD done = 7, high = 7;
  const HANDLE refused[] = {nullptr, event, &byte};
  for (HANDLE h : refused)
  {
    EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(WINL_GetFilePointer(h), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetFileSize(h, &high), INVALID_SET_FILE_POINTER);
    EXPECT_FALSE(WriteFile(h, "a", 1, &done, nullptr));
    EXPECT_EQ(done, 0u);
    EXPECT_FALSE(ReadFile(h, &byte, 1, &done, nullptr));
  }
  EXPECT_TRUE(CloseHandle(event));
  EXPECT_EQ(WINL_OpenFile("/nonexistent/folder/file", "rb"), nullptr);
}

TEST(WinlFileHandles, AWriteOnAReadOnlyFileFails)
{
  TempDir dir;
  WriteWholeFile(dir.File("ro"), "abc");
  HANDLE f = WINL_OpenFile(dir.File("ro").c_str(), "rb");
  ASSERT_NE(f, nullptr);
  DWORD done = 7;
  EXPECT_FALSE(WriteFile(f, "zz", 2, &done, nullptr));
  EXPECT_EQ(done, 0u);
  EXPECT_TRUE(CloseHandle(f));
  EXPECT_EQ(ReadWholeFile(dir.File("ro")), "abc");
}
}  // namespace
