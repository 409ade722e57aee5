// Clock and log utilities: a coarse processor-clock interval timer, the
// local time stamp with its UTC offset, build time stamps, and the trace
// hook, which does nothing in this program.
#pragma once

#include <cstdint>
#include <ctime>

class BASE_String;

// Tells whether a given stretch of processor time (clock()) has passed.
class Timer
{
public:
  Timer();
  // Starts from the given clock reading instead of the current one.
  explicit Timer(uint32_t startClock) : mLastClock(startClock) {}

  // True, and the timer restarts, when more than seconds x 1,000,000 clock
  // ticks passed since the last restart.
  bool Every(double seconds);
  // The same for a given clock reading; the clock may wrap around.
  bool Every(double seconds, uint32_t nowClock);

private:
  uint32_t mLastClock;
};

// Local time as "YYYYMMDD HH:MM +HHMM" (UTC offset last), in a buffer of
// the calling thread that the next call overwrites.
const char* CurrentTime();
// The same for a given moment, cut to fit destinationSize bytes.
void FormatTimestamp(time_t when, char* destination, int destinationSize);
// Minutes that local time is ahead of UTC, from the two broken-down times of
// one moment; local and UTC may fall on different days, even years.
int UtcOffsetMinutes(const tm& local, const tm& utc);

// "[" + date's first 6 characters without the 4th + " " + time's first 5
// characters + "]": "Jun 16 2021" and "10:20:30" give "[Jun16 10:20]".
void CompileTimestamp(const char* buildDate, const char* buildTime, BASE_String* destination);
// text + " " + the compile time stamp, in a string of the calling thread
// that the next call overwrites.
const char* AppendTimestamp(const char* buildDate, const char* buildTime, const char* text);

// The trace hook: compiled as a no-op; the format is still checked.
__attribute__((format(printf, 3, 4))) inline void Trace(const char* /*function*/, int /*line*/,
                                                        const char* /*format*/, ...)
{
}

// Tab, line feed, carriage return and blank.
inline bool IsBlankCharacter(char c)
{
  return c == '\t' || c == '\n' || c == '\r' || c == ' ';
}
