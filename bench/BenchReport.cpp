#include "bench/BenchReport.h"

#include <algorithm>
#include <cstdio>

namespace bench
{
namespace
{
constexpr const char* kMaxDiff = "max_diff";
constexpr const char* kMeanDiff = "mean_diff";

struct CheckResult
{
  std::string error;
  Quality quality;
};
}  // namespace

void SetRate(benchmark::State& state, const char* counter, double perIteration)
{
  state.counters[counter] =
      benchmark::Counter(perIteration * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void SetQuality(benchmark::State& state, const Quality& quality)
{
  state.counters[kMaxDiff] = quality.maxDiff;
  state.counters[kMeanDiff] = quality.meanDiff;
  state.SetLabel(quality.against + ": " + quality.note);
}

bool CheckOnce(benchmark::State& state, const std::string& name, const CheckFn& check)
{
  static std::map<std::string, CheckResult> results;
  auto it = results.find(name);
  if (it == results.end())
  {
    CheckResult r;
    r.error = check(&r.quality);
    it = results.emplace(name, r).first;
  }
  if (!it->second.error.empty())
  {
    state.SkipWithError(it->second.error.c_str());
    return false;
  }
  SetQuality(state, it->second.quality);
  return true;
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
    Row& row = mRows[name.substr(0, slash)];
    const std::string library = name.substr(slash + 1);
    row.rates[library] = it->second.value;
    const auto maxDiff = run.counters.find(kMaxDiff), meanDiff = run.counters.find(kMeanDiff);
    if (library == mTable.ours && maxDiff != run.counters.end() && meanDiff != run.counters.end())
    {
      row.hasQuality = true;
      const size_t colon = run.report_label.find(": ");
      row.quality = {run.report_label.substr(0, colon), maxDiff->second.value, meanDiff->second.value,
                     colon == std::string::npos ? "" : run.report_label.substr(colon + 2)};
    }
  }
}

void RatioReporter::Finalize()
{
  ConsoleReporter::Finalize();

  int caseW = std::max<int>(20, static_cast<int>(mTable.caseTitle.size()));
  for (const auto& entry : mRows) caseW = std::max<int>(caseW, static_cast<int>(entry.first.size()));
  const std::string oursHead = mTable.ours + " " + mTable.counter, otherHead = "other " + mTable.counter;
  const int rateW = static_cast<int>(std::max<size_t>({12, oursHead.size(), otherHead.size()})) + 2;
  const int d = mTable.decimals;

  std::printf("\n%-*s %*s %-8s %*s %7s %-13s %8s %8s  %s\n", caseW, mTable.caseTitle.c_str(), rateW,
              oursHead.c_str(), "other", rateW, otherHead.c_str(), "ratio", "goal", "max diff", "mean diff", "output");
  for (const auto& [name, row] : mRows)
  {
    const auto ours = row.rates.find(mTable.ours);
    if (ours == row.rates.end()) continue;
    for (const auto& [library, rate] : row.rates)
    {
      if (library == mTable.ours) continue;
      const double ratio = ours->second / rate;
      std::printf("%-*s %*.*f %-8s %*.*f %7.2f", caseW, name.c_str(), rateW, d, ours->second, library.c_str(), rateW,
                  d, rate, ratio);
      const auto goal = mTable.goals.find(name + "/" + library);
      if (goal != mTable.goals.end())
        std::printf(" >= %4.2f %-4s", goal->second, ratio >= goal->second ? "met" : "miss");
      else
        std::printf(" %-13s", "");
      if (row.hasQuality && row.quality.against == library)
        std::printf(" %8.0f %9.2f  %s\n", row.quality.maxDiff, row.quality.meanDiff, row.quality.note.c_str());
      else
        std::printf("\n");
    }
  }
  std::printf("ratio = %s / other; above 1 %s is faster. diff: 8-bit channel difference of our output from the"
              " other library's, checked before timing.\n",
              mTable.ours.c_str(), mTable.oursLong.c_str());
}

void RatioBench::Add(const std::string& name, CaseFn ours, const char* other, CaseFn theirs)
{
  benchmark::RegisterBenchmark((name + "/" + mTable.ours).c_str(), ours)->Unit(benchmark::kMillisecond);
  AddOther(name, other, std::move(theirs));
}

void RatioBench::AddOther(const std::string& name, const char* other, CaseFn theirs)
{
  benchmark::RegisterBenchmark((name + "/" + other).c_str(), theirs)->Unit(benchmark::kMillisecond);
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
