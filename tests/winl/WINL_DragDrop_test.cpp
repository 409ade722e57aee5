// Promised files written where a receiver names a folder, without a
// display: the pending promise, the "Copy" alert and the free names of
// "Keep Both Files".
#include "winl/WINL_DragDrop.h"
#include "winl/WINL_Hosting.h"
#include "winl/WINL_MessageBox.h"
#include "winl/WINL_Queue.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
std::vector<std::string> gWrites;  // destinations the write callback was given

void WriteProgram(const char* destination)
{
  gWrites.push_back(destination);
  WriteWholeFile(destination, "new program");
}

constexpr char kCopyText[] =
    "An item named \"Lead 1.pr3\" already exists in this location. Do you want to replace it with the one "
    "you're moving?";

class WinlPromise : public ::testing::Test
{
protected:
  void SetUp() override
  {
    WINL_Internal_PostMessage_Init();
    gWrites.clear();
    mView = WINL_CreateView(nullptr, nullptr, 0);
  }
  void TearDown() override
  {
    WINL_FinishDragDrop();
    WINL_MessageBoxTestEnd();
    DestroyWindow(mView);
    WINL_MessageQueue_Flush();
  }
  void Promise(const char* path) { WINL_InitiateDragDrop(mView, nullptr, path, WriteProgram); }

  HWND mView = nullptr;
  TempDir mFolder;
};

TEST_F(WinlPromise, WritesThePendingFileIntoTheFolder)
{
  EXPECT_TRUE(WINL_WritePromisedFiles(mFolder.Path().c_str()).empty());  // nothing pending
  Promise("/home/u/Programs/Lead 1.pr3");
  // A folder given with its trailing slash gives no doubled one.
  EXPECT_EQ(WINL_WritePromisedFiles((mFolder.Path() + "/").c_str()), std::vector<std::string>{"Lead 1.pr3"});
  EXPECT_EQ(gWrites, std::vector<std::string>{mFolder.File("Lead 1.pr3")});
  EXPECT_EQ(ReadWholeFile(mFolder.File("Lead 1.pr3")), "new program");
  // The promise stays until finished: a second receiver may ask.
  WINL_FinishDragDrop();
  EXPECT_TRUE(WINL_WritePromisedFiles(mFolder.Path().c_str()).empty());
  EXPECT_EQ(gWrites.size(), 1u);
}

TEST_F(WinlPromise, ExistingFileAsksAndTheAnswerDecides)
{
  struct Case
  {
    const char* name;
    int answer;                       // button index; -1 dismissed, -2 not shown
    std::vector<std::string> written; // names returned
    const char* existing;             // the old file's bytes afterwards
  } kCases[] = {
      {"keep both", 0, {"Lead 002.pr3"}, "old program"},  // counting on from its 1
      {"stop", 1, {}, "old program"},
      {"replace", 2, {"Lead 1.pr3"}, "new program"},
      {"dismissed", -1, {}, "old program"},
      {"not shown", -2, {}, "old program"},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    TempDir folder;
    WriteWholeFile(folder.File("Lead 1.pr3"), "old program");
    Promise("/p/Lead 1.pr3");
    WINL_MessageBoxTestQueue(c.answer);
    EXPECT_EQ(WINL_WritePromisedFiles(folder.Path().c_str()), c.written);
    EXPECT_EQ(ReadWholeFile(folder.File("Lead 1.pr3")), c.existing);
    const auto shown = WINL_MessageBoxTestTake();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "Copy");
    EXPECT_EQ(shown[0].text, kCopyText);
    EXPECT_EQ(shown[0].buttons, (std::vector<std::string>{"Keep Both Files", "Stop", "Replace"}));
  }
}

TEST_F(WinlPromise, KeepBothCountsOnToTheFirstFreeNameBelowAThousand)
{
  struct Case
  {
    const char* promised;
    std::vector<const char*> present;
    const char* written;  // "" for none
  } kCases[] = {
      {"name.pr3", {"name.pr3"}, "name001.pr3"},
      {"name.pr3", {"name.pr3", "name001.pr3"}, "name002.pr3"},
      {"name001.pr3", {"name001.pr3"}, "name002.pr3"},
      {"name998.pr3", {"name998.pr3"}, "name999.pr3"},
      {"name999.pr3", {"name999.pr3"}, ""},                  // no three-digit number left
      {"name1000.pr3", {"name1000.pr3"}, "name1001.pr3"},    // only three digits count
      {"README", {"README"}, "README001"},
      {".bank", {".bank"}, ".bank001"},                      // a leading dot starts no extension
      {"a.b.syx", {"a.b.syx"}, "a.b001.syx"},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.promised);
    TempDir folder;
    for (const char* p : c.present) WriteWholeFile(folder.File(p), "old");
    Promise((std::string("/src/") + c.promised).c_str());
    WINL_MessageBoxTestQueue(0);
    const auto names = WINL_WritePromisedFiles(folder.Path().c_str());
    if (*c.written)
    {
      EXPECT_EQ(names, std::vector<std::string>{c.written});
      EXPECT_EQ(ReadWholeFile(folder.File(c.written)), "new program");
    }
    else
      EXPECT_TRUE(names.empty());
    WINL_MessageBoxTestTake();
  }
}

TEST_F(WinlPromise, OnlyPlainLiveViewsKeepAPromise)
{
  Promise("/p/x.pr3");
  WINL_InitiateDragDrop(nullptr, nullptr, "/p/y.pr3", WriteProgram);  // drops x, keeps nothing
  EXPECT_TRUE(WINL_WritePromisedFiles(mFolder.Path().c_str()).empty());
  WINL_InitiateDragDrop(mView, nullptr, "/p/y.pr3", nullptr);         // no callback
  EXPECT_TRUE(WINL_WritePromisedFiles(mFolder.Path().c_str()).empty());
  Promise("/p/x.pr3");
  const char* paths[] = {"/p/a.syx"};
  WINL_InitiateDragDropOfFileList(mView, nullptr, paths, 1, nullptr);  // a file list drops the promise
  EXPECT_TRUE(WINL_WritePromisedFiles(mFolder.Path().c_str()).empty());
  EXPECT_TRUE(gWrites.empty());
}
}  // namespace
