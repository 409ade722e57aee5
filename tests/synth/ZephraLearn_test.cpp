#include "synth/ZephraLearn.h"

#include "support/FileFaults.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

TEST(ZephraLearn, LearntValueSpansMinimumToBound)
{
  struct Case { const char* name; int item, bound, value, expected; } cases[] = {
    {"coarse at 64", 0, 10, 64, -7},  {"coarse at 126", 0, 10, 126, 9},
    {"cutoff at 1", 76, 80, 1, 0},    {"bound past max", 76, 200, 127, 80},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    ZephraLearn learn;
    ASSERT_TRUE(learn.Bind(c.item, 7, c.bound));
    EXPECT_EQ(learn.LearntValue(c.item, c.value), c.expected);
  }
}

TEST(ZephraLearn, ParseTakesOnlyWellFormedLines)
{
  struct Case { const char* name; const char* text; int item, controller, bound; } cases[] = {
    {"example", "76=74:80\n", 76, 74, 80},          {"last item", "121=0:1", 121, 0, 1},
    {"controller 127", "5=127:3\n", 5, 127, 3},     {"controller 128", "5=128:3\n", 5, -1, 0},
    {"negative bound", "0=1:-20\n", 0, 1, -20},     {"bound under min", "0=1:-25\n", 0, 1, -24},
    {"bound over max", "0=1:49\n", 0, 1, 48},       {"carriage return", "7=7:3\r\n", 7, 7, 3},
    {"trailing text", "7=7:3z\n", 7, 7, 3},         {"no colon", "7=7\n", 7, -1, 0},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    ZephraLearn learn;
    (void)learn.ParseText(c.text);
    EXPECT_EQ(learn.Controller(c.item), c.controller);
    EXPECT_EQ(learn.Bound(c.item), c.bound);
  }
}

// Each line's numbers: at its start, after "=" and after the last ":";
// lines that bind nothing are written back after the bindings as they were.
TEST(ZephraLearn, LinesReadAtTheirNumbersAndKeptWhenTheyBindNothing)
{
  struct Case { const char *name, *text, *written; } cases[] = {
    {"trailing blank", "10=20:30 \n", "10=20:30\n"},
    {"trailing comment", "11=21:31 ; filter\n", "11=21:31\n"},
    {"extra field", "12=22:5:40\n", "12=22:40\n"},
    {"blanks before numbers", " 13 =\t23 : 33\n", "13=23:33\n"},
    {"byte-order mark", "\xEF\xBB\xBF" "14=24:34\n15=25:35\n", "14=24:34\n15=25:35\n"},
    {"CR only", "1=2:3\r4=5:6\r", "1=2:3\n4=5:6\n"},
    {"CR CR LF", "7=7:3\r\r\n8=8:4\r\r\n", "7=7:3\n8=8:4\n"},
    {"no last line end", "121=0:1", "121=0:1\n"},
    {"kept in file order", "; mine\n130=20:5\n76=74:80\n5=200:3\n  \n7=7\n1:2=3\nabc=1:2\n",
     "76=74:80\n; mine\n130=20:5\n5=200:3\n7=7\n1:2=3\nabc=1:2\n"},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    ZephraLearn learn;
    (void)learn.ParseText(c.text);
    EXPECT_EQ(learn.FormatText(), c.written);
    // What is written reads back as the same table and the same kept lines.
    ZephraLearn again;
    (void)again.ParseText(learn.FormatText());
    EXPECT_EQ(again.FormatText(), c.written);
  }
}

TEST(ZephraLearn, FileSizeCap)
{
  TempDir dir;
  const std::string path = dir.File("midilearn.ini");
  ZephraLearn missing;
  EXPECT_EQ(missing.LoadFile(path), ZephraLearn::FileResult::kMissing);
  // The size cap, one short, at the cap and one past: a file too large is
  // neither read nor written over.
  using R = ZephraLearn::FileResult;
  struct Case { size_t size; R result; int controller; R saved; } cases[] = {
    {8388607, R::kLoaded, 7, R::kSaved}, {8388608, R::kLoaded, 7, R::kSaved},
    {8388609, R::kTooLarge, -1, R::kLeftAlone}};
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.size);
    std::string text = "7=7:3\n";
    text.resize(c.size, '\n');
    WriteWholeFile(path, text);
    ZephraLearn capped;
    EXPECT_EQ(capped.LoadFile(path), c.result);
    EXPECT_EQ(capped.Controller(7), c.controller);
    ASSERT_TRUE(capped.Bind(8, 9, 10));
    EXPECT_EQ(capped.SaveFile(path), c.saved);
    const std::string after = ReadWholeFile(path);
    EXPECT_TRUE(c.saved == R::kSaved ? after == "7=7:3\n8=9:10\n" : after == text);
  }
}

// Read at start on the GUI thread: a FIFO or a folder under the name is
// refused at once rather than waited on.
TEST(ZephraLearn, WhatIsNoFileIsRefusedWithoutWaiting)
{
  TempDir dir;
  MakeFifo(dir.File("midilearn.ini"));
  ASSERT_EQ(mkdir(dir.File("folder").c_str(), 0755), 0);
  for (const char* name : {"midilearn.ini", "folder"})
  {
    const std::string path = dir.File(name);
    EXPECT_TRUE(FinishesWithin(5, [&] {
      ZephraLearn learn;
      return learn.LoadFile(path) == ZephraLearn::FileResult::kReadFailed &&
             learn.SaveFile(path) == ZephraLearn::FileResult::kLeftAlone;
    })) << name;
  }
}
