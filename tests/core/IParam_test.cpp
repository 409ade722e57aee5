#include "core/IParam.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

namespace
{
TEST(IParam, InitRangesAndTexts)
{
  IParam b;
  b.InitBool("Sync", true, "unit", "grp");
  ASSERT_EQ(b.GetNDisplayTexts(), 2);
  int v = -1;
  EXPECT_STREQ(b.GetDisplayTextAtIdx(0, &v), "off");
  EXPECT_EQ(v, 0);
  EXPECT_STREQ(b.GetDisplayTextAtIdx(1, &v), "on");
  EXPECT_EQ(v, 1);
  EXPECT_STREQ(b.GetDisplayTextAtIdx(2), "");
  EXPECT_STREQ(b.GetLabelForHost(), "");  // a display text matches the value
  EXPECT_STREQ(b.GetParamGroupForHost(), "grp");

  IParam i;
  i.InitInt("Lvl", 5, 5, 5, "dB");
  EXPECT_EQ(i.GetMax(), 6.0);
  EXPECT_STREQ(i.GetLabelForHost(), "dB");

  IParam e;
  e.InitEnum("Mode", 0, 1);
  EXPECT_EQ(e.GetMax(), 1.0);
  e.InitEnum("Mode", 0, 4);
  EXPECT_EQ(e.GetMax(), 3.0);
  EXPECT_EQ(e.Type(), IParam::kTypeEnum);  // the type is set once only

  IParam d;
  d.InitDouble("Amt", 0.25, 0.0, 0.5, 1.0, "", "", 0.0);
  EXPECT_EQ(d.GetMax(), 1.0);  // one step above the minimum
  EXPECT_EQ(d.GetShape(), 1.0);
}

TEST(IParam, DoublePrecisionFollowsStep)
{
  const struct
  {
    double step;
    int precision;
  } cases[] = {{1.0, 0}, {0.5, 1}, {0.01, 2}, {0.125, 3}, {0.1234567, 6}, {10.0, 0}};
  for (const auto& c : cases)
  {
    IParam p;
    p.InitDouble("x", 0.0, 0.0, 100.0, c.step);
    EXPECT_EQ(p.GetPrecision(), c.precision) << "step " << c.step;
  }
}

// Names, labels, groups and display texts keep at most 31 characters.
TEST(IParam, LongTextsAreCutToTheField)
{
  for (size_t length : {30, 31, 32})
  {
    const std::string text(length, 'n'), kept(length < 31 ? length : 31, 'n');
    IParam p;
    p.InitInt(text.c_str(), 0, 0, 10, text.c_str(), text.c_str());
    EXPECT_EQ(p.GetNameForHost(), kept);
    EXPECT_EQ(p.GetLabelForHost(), kept);
    EXPECT_EQ(p.GetParamGroupForHost(), kept);
    ASSERT_TRUE(p.SetDisplayText(3, text.c_str()));
    EXPECT_EQ(p.GetDisplayText(3), kept);
  }
  IParam nulls;
  nulls.InitInt(nullptr, 0, 0, 1, nullptr, nullptr);
  EXPECT_STREQ(nulls.GetNameForHost(), "");
}

TEST(IParam, SetFromNormalised)
{
  struct Case
  {
    const char* name;
    int type;  // IParam::EParamType
    double min, max, step, shape, normalized, expected;
  };
  const Case cases[] = {
    {"int rounds down", IParam::kTypeInt, 0, 10, 1, 1, 0.449, 4.0},
    {"int top", IParam::kTypeInt, 0, 10, 1, 1, 1.0, 10.0},
    {"int above one is limited to max", IParam::kTypeInt, 0, 10, 1, 1, 1.7, 10.0},
    {"below zero is not raised to min", IParam::kTypeInt, 0, 10, 1, 1, -0.5, -5.0},
    {"double keeps fractions", IParam::kTypeDouble, 0, 1, 0.5, 1, 0.3, 0.3},
    {"double shape 2", IParam::kTypeDouble, 0, 100, 0.01, 2, 0.5, 25.0},
    {"fractional shape of a negative is min", IParam::kTypeDouble, 2, 4, 0.1, 0.5, -0.5, 2.0},
  };
  for (const Case& c : cases)
  {
    IParam p;
    if (c.type == IParam::kTypeInt)
      p.InitInt("p", 0, static_cast<int>(c.min), static_cast<int>(c.max));
    else
      p.InitDouble("p", c.min, c.min, c.max, c.step, "", "", c.shape);
    p.Set(c.normalized);
    EXPECT_DOUBLE_EQ(p.Value(), c.expected) << c.name;
  }
}

TEST(IParam, PlainSetClampsWithoutRounding)
{
  IParam p;
  p.InitInt("p", 0, 2, 9);
  p.SetPlain(4.6);
  EXPECT_EQ(p.Value(), 4.6);
  p.SetPlain(-3);
  EXPECT_EQ(p.Value(), 2.0);
  p.SetPlain(100);
  EXPECT_EQ(p.Value(), 9.0);
  p.SetPlain(NAN);
  EXPECT_EQ(p.Value(), 2.0);
}

TEST(IParam, Normalisation)
{
  IParam p;
  p.InitDouble("p", 0.0, 0.0, 100.0, 0.01, "", "", 2.0);
  p.SetPlain(25.0);
  EXPECT_DOUBLE_EQ(p.GetNormalized(), 0.5);
  EXPECT_DOUBLE_EQ(p.GetNormalized(400.0), 1.0);
  EXPECT_DOUBLE_EQ(p.GetNormalized(-1.0), 0.0);
  EXPECT_DOUBLE_EQ(p.GetNonNormalized(0.5), 25.0);
  EXPECT_DOUBLE_EQ(p.GetNonNormalized(2.0), 400.0);  // no clamping
  double lo = -1, hi = -1;
  p.GetBounds(&lo, &hi);
  EXPECT_EQ(lo, 0.0);
  EXPECT_EQ(hi, 100.0);

  IParam db;
  db.InitDouble("gain", 20.0, -60.0, 20.0, 0.1);
  EXPECT_NEAR(db.DBToAmp(), 10.0, 1e-9);

  IParam flat;  // step 0 leaves no range; the normalised value must still be a number
  flat.InitDouble("flat", 1.0, 1.0, 1.0, 0.0);
  EXPECT_EQ(flat.GetNormalized(), 0.0);
}

TEST(IParam, DisplayForHost)
{
  struct Case
  {
    const char* name;
    int precisionStep;  // 0: step 1, 2: step 0.01
    bool negate;
    bool normalized;
    bool withTexts;
    double value;
    const char* expected;
  };
  const Case cases[] = {
    {"negated two decimals", 2, true, false, true, -0.5, "0.50"},
    {"integer truncates", 0, false, false, true, 3.9, "3"},
    {"negative integer truncates toward zero", 0, false, false, true, -3.9, "-3"},
    {"display text wins", 0, false, false, true, 7.2, "seven"},
    {"display text skipped when not asked", 0, false, false, false, 7.2, "7"},
    {"empty display text falls back", 0, false, false, true, 8.0, "8"},
    {"normalised input", 0, false, true, true, 0.5, "5"},
    {"negate applies after the text lookup", 0, true, false, true, 7.0, "seven"},
  };
  for (const Case& c : cases)
  {
    IParam p;
    p.InitDouble("p", 0.0, c.precisionStep ? -10.0 : 0.0, 10.0, c.precisionStep ? 0.01 : 1.0);
    p.SetNegateDisplay(c.negate);
    ASSERT_TRUE(p.SetDisplayText(7, "seven"));
    ASSERT_TRUE(p.SetDisplayText(8, ""));
    char text[32] = "garbage";
    p.GetDisplayForHost(c.normalized, text, sizeof(text), c.withTexts, c.value);
    EXPECT_STREQ(text, c.expected) << c.name;
  }
}

TEST(IParam, DisplayIsBoundedByTheDestination)
{
  IParam p;
  p.InitDouble("p", 0.0, -1e300, 1e300, 0.000001);
  char text[8];
  memset(text, 'x', sizeof(text));
  p.GetDisplayForHost(false, text, 5, true, -123456789.123);
  EXPECT_STREQ(text, "-123");
  EXPECT_EQ(text[5], 'x');
  // An integer text of a huge value saturates instead of overflowing.
  IParam q;
  q.InitInt("q", 0, 0, 10);
  char big[32];
  q.GetDisplayForHost(false, big, sizeof(big), false, 1e300);
  EXPECT_STREQ(big, "2147483647");
  q.GetDisplayForHost(false, big, 0, false, 1.0);  // no room: nothing written, no crash

  ASSERT_TRUE(p.SetDisplayText(1, "a rather long display text here"));
  char small[6];
  p.GetDisplayForHost(false, small, sizeof(small), true, 1.0);
  EXPECT_STREQ(small, "a rat");
}

TEST(IParam, DisplayTextLookups)
{
  IParam p;
  p.InitEnum("Wave", 0, 3);
  ASSERT_TRUE(p.SetDisplayText(0, "saw"));
  ASSERT_TRUE(p.SetDisplayText(1, "on"));
  ASSERT_TRUE(p.SetDisplayText(1, "second"));
  EXPECT_STREQ(p.GetDisplayText(1), "on");  // the first record wins
  EXPECT_STREQ(p.GetDisplayText(2), "");
  EXPECT_NE(p.GetDisplayText(99), nullptr);
  int v = -1;
  EXPECT_FALSE(p.MapDisplayText("On", &v));
  EXPECT_EQ(v, -1);
  EXPECT_TRUE(p.MapDisplayText("on", &v));
  EXPECT_EQ(v, 1);
  EXPECT_FALSE(p.MapDisplayText(nullptr, &v));
}
}  // namespace
