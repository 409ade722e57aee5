// IParam: one parameter of the plug-in: its kind, plain value, range, step,
// response curve (shape), default, display precision, name, label and group
// (each cut to 31 characters), and an optional table of display texts for
// single integer values. Controls read and write it as a normalised value in
// 0..1: plain = min + (max - min) * normalised^shape.
// The plug-in base owns one per index and guards it with the plug-in mutex;
// the class itself is not thread-safe.
#pragma once

#include "core/BASE_TypedBuf.h"

class IParam
{
public:
  enum EParamType
  {
    kTypeNone = 0,
    kTypeBool = 1,
    kTypeInt = 2,
    kTypeEnum = 3,
    kTypeDouble = 4,
  };

  static constexpr int kTextSize = 32;  // bytes of each text field, terminator included

  struct DisplayText
  {
    int mValue;
    char mText[kTextSize];
  };

  IParam();
  IParam(const IParam&) = delete;
  IParam& operator=(const IParam&) = delete;

  // ---- definition ----
  // Each sets the type only while it is still none, copies the texts (null
  // reads as empty) and sets value and default to defaultValue.
  void InitBool(const char* name, bool defaultValue, const char* label = "",
                const char* group = "");
  void InitEnum(const char* name, int defaultValue, int nEnums, const char* label = "",
                const char* group = "");
  void InitInt(const char* name, int defaultValue, int minValue, int maxValue,
               const char* label = "", const char* group = "");
  // The display precision follows the decimals of step (0..6); a shape of 0
  // keeps the current shape.
  void InitDouble(const char* name, double defaultValue, double minValue, double maxValue,
                  double step, const char* label = "", const char* group = "", double shape = 1.0);

  // Appends a value-to-text record; false when the table could not grow.
  bool SetDisplayText(int value, const char* text);
  // Ignores a shape of 0.
  void SetShape(double shape);
  void SetNegateDisplay(bool negate) { mNegateDisplay = negate; }
  // A parameter the host must not automate (the GUI's own size state).
  void SetCanAutomate(bool canAutomate) { mCanAutomate = canAutomate; }

  // ---- value ----
  // From a normalised value: curve, then step rounding (all but double),
  // then limited to max. A result that is not a number becomes min.
  void Set(double normalized);
  // A plain value clamped to [min, max], without step rounding; not a
  // number becomes min.
  void SetPlain(double value);

  double Value() const { return mValue; }
  int Int() const;
  bool Bool() const { return mValue >= 0.5; }
  double GetNormalized() const { return GetNormalized(mValue); }
  double GetNormalized(double value) const;
  // No rounding and no clamping.
  double GetNonNormalized(double normalized) const;
  // The value read as decibels, as an amplitude factor.
  double DBToAmp() const;
  void GetBounds(double* minValue, double* maxValue) const;

  int Type() const { return mType; }
  double GetMin() const { return mMin; }
  double GetMax() const { return mMax; }
  double GetStep() const { return mStep; }
  double GetShape() const { return mShape; }
  double GetDefault() const { return mDefault; }
  int GetPrecision() const { return mDisplayPrecision; }
  bool GetNegateDisplay() const { return mNegateDisplay; }
  bool GetSignDisplay() const { return mSignDisplay; }
  bool GetCanAutomate() const { return mCanAutomate; }
  bool GetIsMeta() const { return mIsMeta; }

  // ---- texts ----
  // Writes the text for value (a normalised one when normalized is true):
  // the display text of its integer part when one exists and withDisplayText
  // is set, else the number with the display precision. The text is cut to
  // fit destinationSize bytes including the terminator.
  void GetDisplayForHost(bool normalized, char* destination, int destinationSize,
                         bool withDisplayText, double value) const;
  // The first display text for value, or "" (never null).
  const char* GetDisplayText(int value) const;
  const char* GetNameForHost() const { return mName; }
  // "" while a non-empty display text exists for the current value.
  const char* GetLabelForHost() const;
  const char* GetParamGroupForHost() const { return mParamGroup; }
  int GetNDisplayTexts() const { return mDisplayTexts.GetSize(); }
  // The text of record index ("" out of range); its value into *value when given.
  const char* GetDisplayTextAtIdx(int index, int* value = nullptr) const;
  // Case-sensitive search by text; true and the value when found.
  bool MapDisplayText(const char* text, int* value) const;

private:
  void InitTexts(const char* name, const char* label, const char* group);

  int mType = kTypeNone;
  double mValue = 0.0;
  double mMin = 0.0;
  double mMax = 1.0;
  double mStep = 1.0;
  double mShape = 1.0;
  double mDefault = 0.0;
  int mDisplayPrecision = 0;
  char mName[kTextSize] = {};
  char mLabel[kTextSize] = {};
  char mParamGroup[kTextSize] = {};
  bool mNegateDisplay = false;
  bool mSignDisplay = false;
  bool mCanAutomate = true;
  bool mIsMeta = false;
  BASE_TypedBuf<DisplayText> mDisplayTexts{4096};
};

// A double truncated toward zero into int, saturating at the int limits;
// not a number gives 0.
int TruncateToInt(double value);
