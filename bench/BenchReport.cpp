#include "bench/BenchReport.h"

#include <algorithm>
#include <cstdio>
#include <set>

namespace bench
{
void SetRate(benchmark::State& state, const char* counter, double perIteration)
{
  state.counters[counter] =
      benchmark::Counter(perIteration * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void RatioReporter::ReportRuns(const std::vector<Run>& runs)
{
  ConsoleReporter::ReportRuns(runs);
  for (const Run& run : runs)
  {
    if (run.error_occurred) continue;
    if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") continue;
    const auto it = run.counters.find(mTable.counter);
    if (it == run.counters.end()) continue;
    const std::string name = run.run_name.function_name;
    const size_t slash = name.rfind('/');
    mRates[name.substr(0, slash)][name.substr(slash + 1)] = it->second.value;
  }
}

void RatioReporter::Finalize()
{
  ConsoleReporter::Finalize();

  // The other libraries with a rate beside ours, and the column widths.
  std::set<std::string> others;
  int caseW = std::max<int>(20, static_cast<int>(mTable.caseTitle.size()));
  int otherW = 8;
  for (const auto& [name, rates] : mRates)
  {
    if (rates.find(mTable.ours) == rates.end()) continue;
    for (const auto& [library, rate] : rates)
      if (library != mTable.ours)
      {
        others.insert(library);
        caseW = std::max<int>(caseW, static_cast<int>(name.size()));
        otherW = std::max<int>(otherW, static_cast<int>(library.size()));
      }
  }
  const bool oneOther = others.size() == 1;
  const std::string other = oneOther ? *others.begin() : "other";
  const std::string oursHead = mTable.ours + " " + mTable.counter, otherHead = other + " " + mTable.counter;
  const int rateW = static_cast<int>(std::max<size_t>({12, oursHead.size(), otherHead.size()})) + 2;
  const int d = mTable.decimals;

  if (oneOther)
    std::printf("\n%-*s %*s %*s %8s\n", caseW, mTable.caseTitle.c_str(), rateW, oursHead.c_str(), rateW,
                otherHead.c_str(), "ratio");
  else
    std::printf("\n%-*s %*s %-*s %*s %8s\n", caseW, mTable.caseTitle.c_str(), rateW, oursHead.c_str(), otherW,
                "other", rateW, otherHead.c_str(), "ratio");
  for (const auto& [name, rates] : mRates)
  {
    const auto ours = rates.find(mTable.ours);
    if (ours == rates.end()) continue;
    for (const auto& [library, rate] : rates)
    {
      if (library == mTable.ours) continue;
      if (oneOther)
        std::printf("%-*s %*.*f %*.*f %8.2f\n", caseW, name.c_str(), rateW, d, ours->second, rateW, d, rate,
                    ours->second / rate);
      else
        std::printf("%-*s %*.*f %-*s %*.*f %8.2f\n", caseW, name.c_str(), rateW, d, ours->second, otherW,
                    library.c_str(), rateW, d, rate, ours->second / rate);
    }
  }
  std::printf("ratio = %s / %s; above 1 %s is faster.\n", mTable.ours.c_str(), other.c_str(),
              mTable.oursLong.c_str());
}

void RatioBench::Add(const char* name, CaseFn ours, const char* other, CaseFn theirs)
{
  benchmark::RegisterBenchmark((std::string(name) + "/" + mTable.ours).c_str(), ours)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark((std::string(name) + "/" + other).c_str(), theirs)->Unit(benchmark::kMillisecond);
}

int RatioBench::Run(int argc, char** argv)
{
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter(mTable);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
}  // namespace bench
