#include "core/shell/AppStartMarks.h"

#include "graphics/IGraphicsArtworkClock.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace
{
using Mark = std::pair<const char*, long long>;

std::vector<Mark>& Marks()
{
  static std::vector<Mark> marks;
  return marks;
}

bool gWritten = false;

const char* MarksFile()
{
  const char* path = std::getenv("ZEPHRA_START_MARKS");
  return path && *path && !gWritten ? path : nullptr;
}
}  // namespace

void AppMarkStart(const char* stage)
{
  if (!MarksFile()) return;
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  Marks().emplace_back(stage, std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
}

void AppWriteStartMarks()
{
  const char* path = MarksFile();
  if (!path || Marks().empty()) return;
  if (FILE* file = std::fopen(path, "w"))
  {
    for (const Mark& mark : Marks()) std::fprintf(file, "%s %lld\n", mark.first, mark.second);
    std::fprintf(file, "artwork_us %lld\n", static_cast<long long>(IGraphicsArtworkMs() * 1000.0));
    std::fclose(file);
  }
  // Stages noted later (a change of scale) belong to no start.
  gWritten = true;
  Marks().clear();
}
