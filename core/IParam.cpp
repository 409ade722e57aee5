#include "core/IParam.h"

#include "core/FixedText.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace
{
constexpr int kMaxDisplayPrecision = 6;

bool IsWholeNumber(double x)
{
  return std::fabs(x - std::round(x)) <= 1e-9 * std::fmax(1.0, std::fabs(x));
}
}  // namespace

int TruncateToInt(double value)
{
  if (std::isnan(value)) return 0;
  if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(value);
}

IParam::IParam() = default;

void IParam::InitTexts(const char* name, const char* label, const char* group)
{
  CopyFixedText(mName, name);
  CopyFixedText(mLabel, label);
  CopyFixedText(mParamGroup, group);
}

void IParam::InitBool(const char* name, bool defaultValue, const char* label, const char* group)
{
  if (mType == kTypeNone) mType = kTypeBool;
  InitTexts(name, label, group);
  mMin = 0.0;
  mMax = 1.0;
  mStep = 1.0;
  mDisplayPrecision = 0;
  mValue = mDefault = defaultValue ? 1.0 : 0.0;
  // A table that cannot grow only costs the "off"/"on" captions.
  (void)SetDisplayText(0, "off");
  (void)SetDisplayText(1, "on");
}

void IParam::InitEnum(const char* name, int defaultValue, int nEnums, const char* label,
                      const char* group)
{
  if (mType == kTypeNone) mType = kTypeEnum;
  InitTexts(name, label, group);
  mMin = 0.0;
  mMax = nEnums > 2 ? static_cast<double>(nEnums) - 1.0 : 1.0;
  mStep = 1.0;
  mDisplayPrecision = 0;
  mValue = mDefault = defaultValue;
}

void IParam::InitInt(const char* name, int defaultValue, int minValue, int maxValue,
                     const char* label, const char* group)
{
  if (mType == kTypeNone) mType = kTypeInt;
  InitTexts(name, label, group);
  mMin = minValue;
  mMax = maxValue > minValue ? static_cast<double>(maxValue) : static_cast<double>(minValue) + 1.0;
  mStep = 1.0;
  mDisplayPrecision = 0;
  mValue = mDefault = defaultValue;
}

void IParam::InitDouble(const char* name, double defaultValue, double minValue, double maxValue,
                        double step, const char* label, const char* group, double shape)
{
  if (mType == kTypeNone) mType = kTypeDouble;
  InitTexts(name, label, group);
  mMin = minValue;
  mMax = maxValue < minValue + step ? minValue + step : maxValue;
  mStep = step;
  mValue = mDefault = defaultValue;
  SetShape(shape);

  mDisplayPrecision = 0;
  double scaled = step;
  while (mDisplayPrecision < kMaxDisplayPrecision && !IsWholeNumber(scaled))
  {
    scaled *= 10.0;
    ++mDisplayPrecision;
  }
}

bool IParam::SetDisplayText(int value, const char* text)
{
  DisplayText record;
  record.mValue = value;
  CopyFixedText(record.mText, text);
  return mDisplayTexts.Add(record) != nullptr;
}

void IParam::SetShape(double shape)
{
  if (shape != 0.0) mShape = shape;
}

void IParam::Set(double normalized)
{
  double value = mMin + (mMax - mMin) * std::pow(normalized, mShape);
  if (mType != kTypeDouble) value = std::floor(value / mStep + 0.5) * mStep;
  if (value > mMax) value = mMax;
  // A negative normalised value under a fractional shape has no real power.
  mValue = std::isnan(value) ? mMin : value;
}

void IParam::SetPlain(double value)
{
  if (!(value >= mMin))
    value = mMin;
  else if (value > mMax)
    value = mMax;
  mValue = value;
}

int IParam::Int() const
{
  return TruncateToInt(mValue);
}

double IParam::GetNormalized(double value) const
{
  const double range = mMax - mMin;
  if (!(range > 0.0)) return 0.0;
  if (!(value >= mMin))
    value = mMin;
  else if (value > mMax)
    value = mMax;
  return std::pow((value - mMin) / range, 1.0 / mShape);
}

double IParam::GetNonNormalized(double normalized) const
{
  return mMin + std::pow(normalized, mShape) * (mMax - mMin);
}

double IParam::DBToAmp() const
{
  return std::exp(mValue * 0.1151292546497);
}

void IParam::GetBounds(double* minValue, double* maxValue) const
{
  if (minValue) *minValue = mMin;
  if (maxValue) *maxValue = mMax;
}

void IParam::GetDisplayForHost(bool normalized, char* destination, int destinationSize,
                               bool withDisplayText, double value) const
{
  if (!destination || destinationSize <= 0) return;
  if (normalized) value = mMin + (mMax - mMin) * std::pow(value, mShape);

  if (withDisplayText)
  {
    const char* text = GetDisplayText(TruncateToInt(value));
    if (text[0])
    {
      CopyFixedText(destination, static_cast<size_t>(destinationSize), text);
      return;
    }
  }

  if (mNegateDisplay) value = -value;
  if (mDisplayPrecision == 0)
    snprintf(destination, static_cast<size_t>(destinationSize), "%d", TruncateToInt(value));
  else
    snprintf(destination, static_cast<size_t>(destinationSize), "%.*f", mDisplayPrecision, value);
}

const char* IParam::GetDisplayText(int value) const
{
  const DisplayText* records = mDisplayTexts.Get();
  const int n = mDisplayTexts.GetSize();
  for (int i = 0; i < n; ++i)
    if (records[i].mValue == value) return records[i].mText;
  return "";
}

const char* IParam::GetLabelForHost() const
{
  return GetDisplayText(Int())[0] ? "" : mLabel;
}

const char* IParam::GetDisplayTextAtIdx(int index, int* value) const
{
  if (index < 0 || index >= mDisplayTexts.GetSize()) return "";
  const DisplayText& record = mDisplayTexts.Get()[index];
  if (value) *value = record.mValue;
  return record.mText;
}

bool IParam::MapDisplayText(const char* text, int* value) const
{
  if (!text) return false;
  const DisplayText* records = mDisplayTexts.Get();
  const int n = mDisplayTexts.GetSize();
  for (int i = 0; i < n; ++i)
  {
    if (strcmp(records[i].mText, text) == 0)
    {
      if (value) *value = records[i].mValue;
      return true;
    }
  }
  return false;
}
