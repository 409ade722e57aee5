// Opening a database category of 50 pages from the local test server, each
// page answered after 5 ms, as the editor does it: the GUI thread asks for
// the list and goes on, calling the idle hook every millisecond as its loop
// would, until the list is in. Two numbers matter: the whole time set
// against the pages' serial time -- the same 50 requests made one after
// another by the client alone, measured in the same run (the test server
// adds about a millisecond of its own to each 5 ms page) -- which must stay
// at or below 1.2; and the longest the GUI thread was held by any one call,
// at most 16 ms (one frame). ratio_to_5ms_pages sets the time against the
// bare 50 x 5 ms. Without python3/openssl the benchmark is skipped.
#include "support/RecordingManager.h"
#include "support/TempDir.h"
#include "support/ZephraTestModel.h"
#include "synth/support/DatabaseServer.h"
#include "winl/ini/WINL_Ini.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace
{
using Clock = std::chrono::steady_clock;

constexpr int kPages = 50;
constexpr double kPageSeconds = 0.005;
constexpr double kSerialSeconds = kPages * kPageSeconds;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

void BM_OpenCategoryOf50Pages(benchmark::State& state)
{
  DatabaseServer* server = DatabaseServer::Get();
  if (!server)
  {
    state.SkipWithError("no python3/openssl for the local database server");
    return;
  }
  // 49 full pages and one of a single program: 50 requests in all.
  server->Control(R"({"programs": )" + std::to_string(47 * (kPages - 1) + 1) + R"(, "page_delay": )" +
                  std::to_string(kPageSeconds) + "}");
  TempDir dir;
  WritePrivateProfileString("dbase", "server", server->Host().c_str(), (dir.Path() + "/settings.ini").c_str());
  TestModel test(dir.Path());
  ZephraModel& model = *test.model;
  model.SetDatabaseCaFile(server->CaFile());
  auto owned = std::make_unique<RecordingManager>();
  RecordingManager* manager = owned.get();
  model.SetManagerLink(std::move(owned));
  model.FetchDatabaseCategories();
  if (!model.FinishDatabaseWork() || model.BrowserList().empty())
  {
    state.SkipWithError("the local server listed no categories");
    return;
  }

  // The pages' serial time: the best of three serial fetches.
  double serialSeconds = 1e9;
  for (int round = 0; round < 3; ++round)
  {
    ProgramDatabase alone = model.Database();
    std::vector<DatabaseListRecord> list;
    const Clock::time_point start = Clock::now();
    alone.ShowCategory(model.BrowserList()[0].link, list);
    serialSeconds = std::min(serialSeconds, Seconds(Clock::now() - start));
  }

  double worstRatio = 0, worstBlockMs = 0, worstSeconds = 0;
  for (auto _ : state)
  {
    // The browser shows the categories; a double-click opens the first.
    model.FetchDatabaseCategories();
    (void)model.FinishDatabaseWork();
    manager->browserMouse = {ListMouseEvent::kDoubleClick, ListMouseEvent::kNone, 0, 0};
    const Clock::time_point start = Clock::now();
    Clock::duration longest{};
    const auto timed = [&longest](const std::function<void()>& call) {
      const Clock::time_point before = Clock::now();
      call();
      longest = std::max(longest, Clock::now() - before);
    };
    timed([&] { model.OnProgramBrowserClick(0); });
    while (model.BrowserList().size() < static_cast<size_t>(47 * (kPages - 1) + 2))
    {
      timed([&] { model.OnIdle(); });
      if (Clock::now() - start > std::chrono::seconds(30)) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const double seconds = Seconds(Clock::now() - start);
    state.SetIterationTime(seconds);
    worstRatio = std::max(worstRatio, seconds / serialSeconds);
    worstSeconds = std::max(worstSeconds, seconds);
    worstBlockMs = std::max(worstBlockMs, Seconds(longest) * 1000);
  }
  state.counters["serial_ms"] = serialSeconds * 1000;
  state.counters["ratio_to_serial"] = worstRatio;
  state.counters["ratio_to_5ms_pages"] = worstSeconds / kSerialSeconds;
  state.counters["gui_block_ms"] = worstBlockMs;
  if (worstRatio > 1.2) state.SkipWithError("took more than 1.2 x the pages' serial time");
  if (worstBlockMs > 16) state.SkipWithError("the GUI thread was held more than 16 ms");
}
BENCHMARK(BM_OpenCategoryOf50Pages)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
}  // namespace

BENCHMARK_MAIN();
