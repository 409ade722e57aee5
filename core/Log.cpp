#include "core/Log.h"

#include "core/BASE_String.h"

#include <cstdio>
#include <cstdlib>

Timer::Timer() : mLastClock(static_cast<uint32_t>(clock())) {}

bool Timer::Every(double seconds)
{
  return Every(seconds, static_cast<uint32_t>(clock()));
}

bool Timer::Every(double seconds, uint32_t nowClock)
{
  const uint32_t elapsed = nowClock - mLastClock;
  if (static_cast<double>(elapsed) <= seconds * 1000000.0) return false;
  mLastClock = nowClock;
  return true;
}

int UtcOffsetMinutes(const tm& local, const tm& utc)
{
  int minutes = (local.tm_min - utc.tm_min) + 60 * (local.tm_hour - utc.tm_hour);
  const int dayDifference = local.tm_yday - utc.tm_yday;
  // Across a year boundary the days of the year jump by about 365: the
  // later of the two dates is then the one with the small day number.
  if (dayDifference == 1 || dayDifference < -1)
    minutes += 1440;
  else if (dayDifference == -1 || dayDifference >= 2)
    minutes -= 1440;
  return minutes;
}

void FormatTimestamp(time_t when, char* destination, int destinationSize)
{
  if (!destination || destinationSize < 1) return;
  tm local{};
  tm utc{};
  if (!localtime_r(&when, &local) || !gmtime_r(&when, &utc))
  {
    destination[0] = 0;
    return;
  }
  char date[32];
  if (strftime(date, sizeof(date), "%Y%m%d %H:%M ", &local) == 0) date[0] = 0;
  const int offset = UtcOffsetMinutes(local, utc);
  const int magnitude = abs(offset);
  snprintf(destination, static_cast<size_t>(destinationSize), "%s%c%02d%02d", date,
           offset < 0 ? '-' : '+', magnitude / 60, magnitude % 60);
}

const char* CurrentTime()
{
  thread_local char text[48];
  FormatTimestamp(time(nullptr), text, sizeof(text));
  return text;
}

void CompileTimestamp(const char* buildDate, const char* buildTime, BASE_String* destination)
{
  if (!destination) return;
  char date[8] = {};
  int length = 0;
  for (int i = 0; buildDate && i < 6 && buildDate[i]; ++i)
    if (i != 3) date[length++] = buildDate[i];
  destination->SetFormatted(32, "[%s %.5s]", date, buildTime ? buildTime : "");
}

const char* AppendTimestamp(const char* buildDate, const char* buildTime, const char* text)
{
  thread_local BASE_String result;
  BASE_String stamp;
  CompileTimestamp(buildDate, buildTime, &stamp);
  result.Set(text);
  result.Append(" ");
  result.Append(stamp.Get());
  return result.Get();
}
