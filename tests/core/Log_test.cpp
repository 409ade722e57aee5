#include "core/Hosts.h"
#include "core/Log.h"

#include "core/BASE_String.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace
{
struct HostCase { const char* name; int expected; };

const HostCase kHostCases[] = {
  {"Standalone", kHostStandalone},
  {"REAPER64", kHostReaper},
  {"Ablive 2", kHostLive},
  {"", kHostUnknown},
  {"Cubase Live", kHostCubase},  // earlier substrings win
  {"Digital Performer", kHostDigitalPerformer},
  {"Some Editor", kHostUnknown},
};

TEST(Hosts, LookUpHost)
{
  for (const HostCase& c : kHostCases) EXPECT_EQ(LookUpHost(c.name), c.expected) << c.name;
  EXPECT_EQ(LookUpHost(nullptr), kHostUnknown);
  // Longer than the lower-casing buffer: cut, not overrun.
  std::string longName(1000, 'x');
  EXPECT_EQ(LookUpHost(longName.c_str()), kHostUnknown);
  EXPECT_EQ(LookUpHost((std::string(200, 'x') + "REAPER").c_str()), kHostReaper);
}

TEST(Hosts, HostNames)
{
  const struct
  {
    int host;
    const char* expected;
  } cases[] = {{12, "Unknown"}, {6, "Vegas"}, {0, "Unknown"}, {29, "Unknown"}, {-1, "Unknown"},
               {10, "Unknown"}, {24, "Standalone"}, {27, "VST3PluginTestHost"}};
  for (const auto& c : cases)
  {
    char name[19];
    GetHostNameStr(c.host, name, sizeof(name));
    EXPECT_STREQ(name, c.expected) << c.host;
  }
  char small[6];
  GetHostNameStr(kHostStandalone, small, sizeof(small));
  EXPECT_STREQ(small, "Stand");
}

TEST(Hosts, ToLowerIsBounded)
{
  char buffer[8];
  memset(buffer, '#', sizeof(buffer));
  ToLower(buffer, "ABCdefGHIJ", 5);
  EXPECT_STREQ(buffer, "abcd");
  EXPECT_EQ(buffer[5], '#');
  ToLower(buffer, nullptr, sizeof(buffer));
  EXPECT_STREQ(buffer, "");
  ToLower(buffer, "Zq-9", sizeof(buffer));
  EXPECT_STREQ(buffer, "zq-9");
}

TEST(Log, TimerEvery)
{
  Timer timer(1000);
  EXPECT_FALSE(timer.Every(0.5, 1000 + 400000));
  EXPECT_TRUE(timer.Every(0.5, 1000 + 600000));
  // Restarted at 601000.
  EXPECT_FALSE(timer.Every(0.5, 601000 + 400000));
  EXPECT_TRUE(timer.Every(0.5, 601000 + 500001));
  Timer wrapped(0xfffff000u);
  EXPECT_TRUE(wrapped.Every(0.5, 600000));
}

tm MakeTm(int yday, int hour, int minute)
{
  tm t{};
  t.tm_yday = yday;
  t.tm_hour = hour;
  t.tm_min = minute;
  return t;
}

struct OffsetCase { const char* name; tm local; tm utc; int expected; };

TEST(Log, UtcOffsetMinutes)
{
  const OffsetCase cases[] = {
    {"same day east", MakeTm(100, 14, 0), MakeTm(100, 12, 0), 120},
    {"same day west, half hour", MakeTm(100, 8, 0), MakeTm(100, 11, 30), -210},
    {"local a day ahead", MakeTm(101, 1, 0), MakeTm(100, 20, 0), 300},
    {"local a day behind", MakeTm(100, 23, 30), MakeTm(101, 4, 30), -300},
    {"local already in the new year", MakeTm(0, 5, 0), MakeTm(364, 20, 0), 540},
    {"local still in the old year", MakeTm(364, 23, 30), MakeTm(0, 4, 30), -300},
    {"leap year end, local behind", MakeTm(365, 23, 30), MakeTm(0, 4, 30), -300},
  };
  for (const OffsetCase& c : cases) EXPECT_EQ(UtcOffsetMinutes(c.local, c.utc), c.expected) << c.name;
}

// Sets TZ for one scope and restores it afterwards.
class ZoneScope
{
public:
  explicit ZoneScope(const char* zone)
  {
    const char* old = getenv("TZ");
    mHadOld = old != nullptr;
    if (old) mOld = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ZoneScope()
  {
    if (mHadOld)
      setenv("TZ", mOld.c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }

private:
  bool mHadOld = false;
  std::string mOld;
};

struct StampCase { const char* name; const char* zone; time_t when; const char* expected; };

// 2021-01-01 04:30 UTC and 2020-12-31 20:00 UTC (2020 is a leap year).
const StampCase kStampCases[] = {
  {"west of UTC, local still in the old year", "EST5", 1609475400, "20201231 23:30 -0500"},
  {"east of UTC, local already in the new year", "JST-9", 1609444800, "20210101 05:00 +0900"},
  {"east, half hour", "IST-5:30", 1609444800, "20210101 01:30 +0530"},
  {"UTC", "UTC0", 1609444800, "20201231 20:00 +0000"},
};

TEST(Log, TimestampAtYearBoundary)
{
  for (const StampCase& c : kStampCases)
  {
    ZoneScope zone(c.zone);
    char text[48];
    FormatTimestamp(c.when, text, sizeof(text));
    EXPECT_STREQ(text, c.expected) << c.name;
  }
  char small[10];
  FormatTimestamp(1609444800, small, sizeof(small));
  EXPECT_EQ(strlen(small), 9u);
  EXPECT_EQ(strlen(CurrentTime()), strlen("20201231 20:00 +0000"));
}

TEST(Log, CompileTimestamps)
{
  const struct { const char* date; const char* time; const char* expected; } cases[] = {
    {"Jun 16 2021", "10:20:30", "[Jun16 10:20]"},
    {"Jun  6 2021", "10:20:30", "[Jun 6 10:20]"},
    {"Jun", "10", "[Jun 10]"},
    {nullptr, nullptr, "[ ]"},
  };
  for (const auto& c : cases)
  {
    BASE_String stamp;
    CompileTimestamp(c.date, c.time, &stamp);
    EXPECT_STREQ(stamp.Get(), c.expected) << (c.date ? c.date : "null");
  }
  EXPECT_STREQ(AppendTimestamp("Jun 16 2021", "10:20:30", "ZephraEditor 1.0"),
               "ZephraEditor 1.0 [Jun16 10:20]");
}

}  // namespace
