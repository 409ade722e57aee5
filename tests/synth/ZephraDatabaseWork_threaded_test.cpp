// The database's network work never holds the plug-in mutex and never waits
// on the calling thread: a stalled server leaves the mutex free for the
// synth's replies, the click returns at once and its result comes back
// through the idle hook; one deadline bounds a whole category.
#include "support/RecordingManager.h"
#include "support/TempDir.h"
#include "support/ZephraTestModel.h"
#include "synth/ZephraParams.h"
#include "synth/support/DatabaseServer.h"
#include "winl/ini/WINL_Ini.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <atomic>
#include <chrono>
#include <thread>

namespace
{
class DatabaseWork : public ::testing::Test
{
protected:
  void SetUp() override
  {
    server = DatabaseServer::Get();
    if (!server) GTEST_SKIP() << "no python3/openssl for the local database server";
    server->Control("{}");
    ASSERT_TRUE(WritePrivateProfileString("dbase", "server", server->Host().c_str(),
                                          (mDir.Path() + "/settings.ini").c_str()));
    M().SetDatabaseCaFile(server->CaFile());
    auto owned = std::make_unique<RecordingManager>();
    mManager = owned.get();
    M().SetManagerLink(std::move(owned));
    host = "https://" + server->Host();
  }
  ZephraModel& M() { return *mTest.model; }
  // Waits until the server has been asked for path (observable, no sleep).
  bool ServerAsked(const std::string& path)
  {
    for (int i = 0; i < 2000; ++i)
    {
      const nlohmann::json log = nlohmann::json::parse(server->Log(), nullptr, false);
      for (const auto& r : log)
        if (r["path"] == path) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
  }
  size_t Requests() { return nlohmann::json::parse(server->Log(), nullptr, false).size(); }

  DatabaseServer* server = nullptr;
  std::string host;
  TempDir mDir;
  TestModel mTest{mDir.Path()};
  RecordingManager* mManager = nullptr;
};
}  // namespace

// Saving a bank with database entries to disk on a stalled server: while
// the download waits, another thread (the synth's replies, the timer)
// takes the mutex at once.
TEST_F(DatabaseWork, ExportWaitsForTheNetworkWithoutTheMutex)
{
  server->Control(R"({"delay": 2, "files": {"09_X.pr3": " 243 \r\n5\r\n"}})");
  ASSERT_TRUE(M().Bank().SetProgram(9, host + "/files/09_X.pr3", 1, "X"));
  TempDir out;
  std::atomic<bool> done{false};
  std::thread exporter([&] {
    EXPECT_TRUE(M().ExportBankListToFolder(out.Path() + "/", false, 0));
    done = true;
  });
  ASSERT_TRUE(ServerAsked("/files/09_X.pr3"));
  {
    BASE_MutexTryLock other(M().GetMutex());
    EXPECT_TRUE(other.Locked());
    EXPECT_FALSE(done.load());
  }
  exporter.join();
  EXPECT_EQ(ReadWholeFile(out.File("09_X.pr3")), " 243 \r\n5\r\n");
}

// A double-click on a database row returns at once; the program is loaded
// and sent when the download is in, from the idle hook; the row then
// points at the download.
TEST_F(DatabaseWork, DoubleClickOnADatabaseRowDoesNotWait)
{
  server->Control(R"({"delay": 1, "files": {"09_X.pr3": " 243 \r\n5\r\n"}})");
  const std::string address = host + "/files/09_X.pr3";
  ASSERT_TRUE(M().Bank().SetProgram(9, address, 1, "X"));
  (void)mTest.TakeWire();
  mManager->bankMouse = {ListMouseEvent::kDoubleClick, ListMouseEvent::kNone, 0, 0};
  M().RemoveOrOverwritePrograms(9);
  // Returned before the server answered: the work is still under way.
  EXPECT_TRUE(M().DatabaseBusy());
  EXPECT_NE(M().ParamInt(kParamVco1Coarse), 5);
  ASSERT_TRUE(M().FinishDatabaseWork());
  EXPECT_EQ(M().ParamInt(kParamVco1Coarse), 5);
  EXPECT_FALSE(mTest.TakeWire().empty());
  EXPECT_EQ(std::string(M().Bank()[9].path), DownloadFolder(M().CachePath(), address) + "09_X.pr3");

  // The row given another program while the download waited keeps it.
  ASSERT_TRUE(M().Bank().SetProgram(10, host + "/files/09_X.pr3?again", 1, "Y"));
  mManager->bankMouse = {ListMouseEvent::kDoubleClick, ListMouseEvent::kNone, 0, 0};
  M().RemoveOrOverwritePrograms(10);
  ASSERT_TRUE(M().Bank().SetProgram(10, mDir.File("mine.pr3"), 1, "Mine"));
  ASSERT_TRUE(M().FinishDatabaseWork());
  EXPECT_EQ(std::string(M().Bank()[10].path), mDir.File("mine.pr3"));
}

// One deadline for the whole category: ten full pages at 0.4 s each stop
// at the 1.5 s deadline instead of taking 4 s, and the list shows what came.
TEST_F(DatabaseWork, OneDeadlineBoundsAWholeCategory)
{
  server->Control(R"({"programs": 470, "page_delay": 0.4})");
  ProgramDatabaseConfig config;
  config.server = server->Host();
  config.caFile = server->CaFile();
  config.totalTimeoutMs = 1500;
  ProgramDatabase db(config);
  std::vector<DatabaseListRecord> list;
  const auto start = std::chrono::steady_clock::now();
  db.ShowCategory("3", list);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2500));
  EXPECT_GE(Requests(), 2u);
  EXPECT_LE(Requests(), 5u);
  EXPECT_EQ((list.size() - 1) % 47, 0u);
}

// Opening a category returns at once; the list arrives through the idle
// hook, and a newer list replaces one still on its way.
TEST_F(DatabaseWork, CategoryListsArriveThroughTheIdleHook)
{
  server->Control(R"({"programs": 50, "page_delay": 0.3})");
  M().SetManagerMode(true);
  M().FetchDatabaseCategories();
  ASSERT_TRUE(M().FinishDatabaseWork());
  ASSERT_EQ(M().BrowserList().size(), 2u);  // Bass and Lead
  mManager->browserMouse = {ListMouseEvent::kDoubleClick, ListMouseEvent::kNone, 0, 0};
  M().OnProgramBrowserClick(0);
  EXPECT_TRUE(M().DatabaseBusy());
  EXPECT_EQ(M().BrowserList().size(), 2u);
  ASSERT_TRUE(M().FinishDatabaseWork());
  EXPECT_EQ(M().BrowserList().size(), 51u);  // ".." and 50 programs
  EXPECT_STREQ(M().BrowserList()[1].name, "Bass & Lead");
}
