// Shared by the benchmarks that measure one of our libraries against other
// libraries doing the same work. Each case is registered once per library,
// as "<case>/<library>", and reports a rate counter; after the usual console
// report a table sets each case's rates side by side with their ratio, and
// with how far our output lies from the other library's.
//
// Before a case of ours is timed it checks its own output (against the
// scalar rule it must equal, or against the library it races) and records
// the difference from the other library's output of the same work: a timing
// is only worth reading beside what was computed.
#pragma once

#include <benchmark/benchmark.h>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace bench
{
// Sets the case's rate counter: perIteration units (megapixels, shapes, ...)
// done in each iteration, divided by the time taken.
void SetRate(benchmark::State& state, const char* counter, double perIteration);

// How our output compares with another library's, per 8-bit channel.
struct Quality
{
  std::string against;  // the library compared with
  double maxDiff = 0;   // the largest difference of any channel
  double meanDiff = 0;  // the mean difference over the channels compared
  std::string note;     // what the difference comes from, in a few words
};

// Records quality on our run of a case: two counters, and the library and
// the note as its label.
void SetQuality(benchmark::State& state, const Quality& quality);

// The check a case of ours makes once before it is timed: an empty string
// when its output is right, else what is wrong, which skips the case.
using CheckFn = std::function<std::string(Quality*)>;

// Runs check once per case name for the whole program (benchmarks are entered
// many times) and reports the result on state; false when the case must stop.
bool CheckOnce(benchmark::State& state, const std::string& name, const CheckFn& check);

// What the ratio table compares and how it heads its columns.
struct RatioTable
{
  std::string counter;    // the rate counter compared, e.g. "MP/s"
  std::string ours;       // our library, as its cases are named, e.g. "raster"
  std::string oursLong;   // our library in the closing line, e.g. "the raster library"
  std::string caseTitle;  // heading of the case column
  int decimals = 0;       // of the rates printed
  // The least ratio aimed at, by "<case>/<other library>"; the table prints
  // it and whether the run reached it beside the ratio.
  std::map<std::string, double> goals;
};

// The console report, then the ratio table: a row per case and other library,
// with both rates, their ratio, and the quality our run recorded.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
  explicit RatioReporter(RatioTable table) : mTable(std::move(table)) {}

  void ReportRuns(const std::vector<Run>& runs) override;
  void Finalize() override;

private:
  struct Row
  {
    std::map<std::string, double> rates;  // by library
    Quality quality;
    bool hasQuality = false;
  };

  RatioTable mTable;
  std::map<std::string, Row> mRows;  // by case
};

// The cases of one benchmark program and its run.
class RatioBench
{
public:
  using CaseFn = std::function<void(benchmark::State&)>;

  explicit RatioBench(RatioTable table) : mTable(std::move(table)) {}

  // Registers name/<ours> and name/<other>, timed in milliseconds.
  void Add(const std::string& name, CaseFn ours, const char* other, CaseFn theirs);

  // Registers one more library's run of a case already added.
  void AddOther(const std::string& name, const char* other, CaseFn theirs);

  // Runs what the command line selects and reports it; main's return value.
  int Run(int argc, char** argv);

private:
  RatioTable mTable;
};
}  // namespace bench
