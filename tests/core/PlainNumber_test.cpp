// Numbers of the settings file and of typed fields, written and read with a
// point under the C locale and under a decimal-comma one alike; a comma
// that earlier versions wrote is read as the point.
#include "core/PlainNumber.h"

#include "support/MadeLocale.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
void ExpectPlainNumbers()
{
  const struct Read
  {
    const char* text;
    bool number;
    double value;  // when a number
  } kReads[] = {
    {"1.3", true, 1.3},
    {"1,300000000000000", true, 1.3},
    {"0,8", true, 0.8},
    {"-0,5", true, -0.5},
    {"  +2.5", true, 2.5},
    {"1.5abc", true, 1.5},
    {"3", true, 3.0},
    {"1e-300", true, 1e-300},
    {"2,", true, 2.0},       // a comma with no digit after it ends the number
    {"1,5,7", true, 1.5},
    {"1.5,7", true, 1.5},    // one point, then a comma that is not part of it
    {"abc", false, 0},
    {"", false, 0},
    {",5", true, 0.5},       // as ".5"
    {"+-1", false, 0},
    {"1e400", false, 0},
  };
  for (const Read& r : kReads)
  {
    SCOPED_TRACE(r.text);
    double value = -7.0;
    EXPECT_EQ(ReadPlainNumber(r.text, &value), r.number);
    EXPECT_EQ(value, r.number ? r.value : -7.0);
  }
  double untouched = -7.0;
  EXPECT_FALSE(ReadPlainNumber(nullptr, &untouched));

  const struct Write
  {
    double value;
    int decimals;
    const char* text;
  } kWrites[] = {
    {1.3, 15, "1.300000000000000"}, {0.8475, 15, "0.847500000000000"}, {1.0, 3, "1.000"},
    {0.4567, 3, "0.457"},           {2.5, 2, "2.50"},                  {-0.25, 1, "-0.2"},
    {12.0, 0, "12"},                {3.0, -1, "3"},
  };
  for (const Write& w : kWrites)
  {
    SCOPED_TRACE(w.text);
    EXPECT_EQ(PlainFixed(w.value, w.decimals), w.text);
  }
  // What is written reads back as the same double.
  double back = 0;
  ASSERT_TRUE(ReadPlainNumber(PlainFixed(0.928750000000000, 15).c_str(), &back));
  EXPECT_EQ(back, 0.92875);
}
}  // namespace

TEST(PlainNumber, UnderTheCLocale)
{
  ExpectPlainNumbers();
}

TEST(PlainNumber, UnderADecimalCommaLocale)
{
  ScopedMadeLocale german("de_DE.UTF-8");
  if (!german.Active()) GTEST_SKIP() << german.Why();
  char printed[16];
  std::snprintf(printed, sizeof printed, "%.1f", 1.5);
  ASSERT_STREQ(printed, "1,5");  // the locale is the one the fault needs
  ExpectPlainNumbers();
}
