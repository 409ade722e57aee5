// Shared by the benchmarks that measure one of our libraries against other
// libraries doing the same work. Each case is registered once per library,
// as "<case>/<library>", and reports a rate counter; after the usual console
// report a table sets each case's rates side by side with their ratio.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace bench
{
// Sets the case's rate counter: perIteration units (megapixels, shapes, ...)
// done in each iteration, divided by the time taken.
void SetRate(benchmark::State& state, const char* counter, double perIteration);

// What the ratio table compares and how it heads its columns.
struct RatioTable
{
  std::string counter;    // the rate counter compared, e.g. "MP/s"
  std::string ours;       // our library, as its cases are named, e.g. "raster"
  std::string oursLong;   // our library in the closing line, e.g. "the raster library"
  std::string caseTitle;  // heading of the case column
  int decimals = 0;       // of the rates printed
};

// The console report, then the ratio table. With one other library in the
// run the table has a column of rates for each library; with several, a row
// per other library, named in a column of its own.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
  explicit RatioReporter(RatioTable table) : mTable(std::move(table)) {}

  void ReportRuns(const std::vector<Run>& runs) override;
  void Finalize() override;

private:
  RatioTable mTable;
  // Rates by case, then by library.
  std::map<std::string, std::map<std::string, double>> mRates;
};

// The cases of one benchmark program and its run.
class RatioBench
{
public:
  using CaseFn = void (*)(benchmark::State&);

  explicit RatioBench(RatioTable table) : mTable(std::move(table)) {}

  // Registers name/<ours> and name/<other>, timed in milliseconds.
  void Add(const char* name, CaseFn ours, const char* other, CaseFn theirs);

  // Runs what the command line selects and reports it; main's return value.
  int Run(int argc, char** argv);

private:
  RatioTable mTable;
};
}  // namespace bench
