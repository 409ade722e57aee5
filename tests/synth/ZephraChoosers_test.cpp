// The editor's choosers and its cache folder: no chooser starts in the
// cache, which the quit removes, and no program of the user's is saved
// there.
#include "support/ZephraTestModel.h"

#include "support/TempDir.h"
#include "tests/synth/support/ZephraTestPrograms.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace
{
namespace fs = std::filesystem;

constexpr const char* kCacheWarning =
  "This folder is the editor's cache, which is deleted when the editor quits.\nPlease choose another folder.";

// HOME set to a folder of the test's for its lifetime.
struct Home
{
  explicit Home(const std::string& path)
  {
    const char* old = getenv("HOME");
    had = old != nullptr;
    if (had) before = old;
    setenv("HOME", path.c_str(), 1);
  }
  ~Home()
  {
    if (had)
      setenv("HOME", before.c_str(), 1);
    else
      unsetenv("HOME");
  }
  bool had = false;
  std::string before;
};

struct Choosers : ::testing::Test
{
  TempDir dir, home;
  Home homeEnv{home.Path()};
  TestModel t{dir.Path()};
  ZephraModel& e = *t.model;
  std::string cache;
  void SetUp() override
  {
    e.SetCachePath();
    cache = e.CachePath();
    fs::create_directories(cache + "selected");
  }
};
}  // namespace

TEST_F(Choosers, NoneStartsInTheCache)
{
  const std::string h = home.Path();
  const std::string sibling = dir.Path() + "/cache2/";
  struct Case { const char* name; std::string chosenBefore; std::string wanted; std::string start; };
  const Case kCases[] = {
    {"a file elsewhere", "", "/music/05_Lead.pr3", "/music/05_Lead.pr3"},
    {"a folder elsewhere", "", "/music/", "/music/"},
    {"a folder beside the cache", "", sibling, sibling},
    {"a cache file, nothing chosen yet", "", cache + "01_INIT.pr3", h + "/01_INIT.pr3"},
    {"the cache folder", "", cache, h + "/"},
    {"the cache without its slash", "", cache.substr(0, cache.size() - 1), h + "/cache"},
    {"the bank write's folder in it", "", cache + "selected/", h + "/"},
    {"a cache file after a choice", "/music/bank/07_Pad.pr3", cache + "01_INIT.pr3", "/music/bank/01_INIT.pr3"},
    {"a cache file after a folder chosen", "/music/banks/", cache + "01_INIT.pr3", "/music/banks/01_INIT.pr3"},
    {"a cache file after the cache was chosen", cache + "02_A.pr3", cache + "01_INIT.pr3", h + "/01_INIT.pr3"},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    TestModel fresh{dir.Path()};
    if (!c.chosenBefore.empty())
      fresh.model->NoteChosenPath(c.chosenBefore, c.chosenBefore.back() == '/');
    EXPECT_EQ(fresh.model->ChooserStart(c.wanted), c.start);
  }
}

// A link to the cache is the cache.
TEST_F(Choosers, ALinkToTheCacheIsTheCache)
{
  const std::string link = dir.Path() + "/link";
  fs::create_directory_symlink(cache, link);
  EXPECT_TRUE(e.InEditorsCache(link + "/01_A.pr3"));
  EXPECT_TRUE(e.InEditorsCache(link));
  EXPECT_FALSE(e.InEditorsCache(dir.Path() + "/"));
  EXPECT_FALSE(e.InEditorsCache(""));
}

// A received program offered from a bank in the cache is offered under
// the same name elsewhere; saved into the cache anyway, it is refused with
// a warning and nothing is written.
TEST_F(Choosers, AReceivedProgramIsNeverSavedIntoTheCache)
{
  WriteWholeFile(cache + "01_INIT.pr3", MarkerText(kDefaultValues));
  e.ScanProgramFolder((cache + "01_INIT.pr3").c_str());
  struct Case { std::string answer; bool saved; size_t boxes; };
  const Case kCases[] = {
    {cache + "07Warm Pad.pr3", false, 1},
    {home.File("07Warm Pad.pr3"), true, 0},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.answer);
    t.panels->boxes.clear();
    t.panels->prompts.clear();
    t.panels->QueueSavePath(c.answer);
    t.Receive(ProgramMessage(0x41, 7, kDefaultWire, "Warm Pad"));
    e.OnIdle();
    ASSERT_EQ(t.panels->Prompts().size(), 1u);
    EXPECT_EQ(t.panels->Prompts()[0], home.Path() + "/07Warm Pad.pr3");
    EXPECT_EQ(fs::exists(c.answer), c.saved);
    ASSERT_EQ(t.panels->Boxes().size(), c.boxes);
    if (c.boxes) { EXPECT_EQ(t.panels->Boxes()[0], kCacheWarning); }
  }
}

// The menu's save-all into a program folder that is the cache (the bank
// written from it was scanned) asks nothing of the synth and warns.
TEST_F(Choosers, SaveAllIntoTheCacheIsRefused)
{
  WriteWholeFile(cache + "01_INIT.pr3", MarkerText(kDefaultValues));
  e.ScanProgramFolder((cache + "01_INIT.pr3").c_str());
  e.StartSaveAllFromSynth(false);
  e.OnIdle();
  EXPECT_TRUE(t.TakeSent().empty());
  EXPECT_FALSE(e.SavingAllFromSynth());
  EXPECT_EQ(t.panels->Boxes(), std::vector<std::string>{kCacheWarning});
  // Into the manager's own cache it is the manager's download, as always.
  e.StartSaveAllFromSynth(true);
  e.OnIdle();
  EXPECT_EQ(t.TakeSent().size(), 1u);
}

TEST_F(Choosers, MaySaveIntoAnyFolderButTheCache)
{
  struct Case { std::string path; bool may; };
  const Case kCases[] = {
    {home.File("a.pr3"), true}, {cache + "a.pr3", false}, {cache, false}, {cache + "selected/x.pr3", false},
    {dir.Path() + "/cache2/a.pr3", true}, {dir.Path() + "/a.pr3", true},
  };
  for (const Case& c : kCases)
  {
    t.panels->boxes.clear();
    EXPECT_EQ(e.MaySaveInto(c.path), c.may) << c.path;
    EXPECT_EQ(t.panels->Boxes().size(), c.may ? 0u : 1u) << c.path;
  }
}
