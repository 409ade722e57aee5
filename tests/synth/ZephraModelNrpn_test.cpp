// The NRPN sender with composite values whose halves were set far outside
// their ranges: a parameter set from a normalised value is limited at the
// top only, so its integer part can be INT_MIN. Built with the undefined-
// behaviour sanitizer, an overflow while folding the halves aborts here.
#include "synth/ZephraModel.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

struct ModelWire
{
  TempDir dir;
  Bytes bytes;
  ZephraModel model{IUnitInstanceInfo{}, Setup()};

  ZephraModelSetup Setup()
  {
    ZephraModelSetup setup;
    setup.settingsFolder = dir.Path();
    setup.runTimer = false;
    setup.sendTap = [this](const IMidiMsg& msg) {
      uint8_t wire[3];
      const int n = IUnitStandalone::MakeWireBytes(msg, 0, wire);
      bytes.insert(bytes.end(), wire, wire + n);
    };
    return setup;
  }
  void Set(EParam param, double normalized) { model.GetParam(param)->Set(normalized); }
  // What the handler does for a change of param.
  void Send(EParam param) { model.SendParamNRPN(ProgramIndex(param), model.ParamInt(param)); }
};

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kIntMin = -2147483648.0;

// The two halves folded as low + 2 * high; onOff, when set, is the effect
// switch that must be on for its blends to count.
struct Composite { const char* name; EParam sent, low, high, onOff; uint8_t msb, lsb; };
constexpr Composite kComposites[] = {
  {"portamento mode", kParamPortamentoMode, kParamTrigGateMode, kParamPortamentoMode, kParamUnused0, 0x05, 0x59},
  {"trig/gate mode", kParamTrigGateMode, kParamTrigGateMode, kParamPortamentoMode, kParamUnused0, 0x05, 0x59},
  {"FLEXI1 MODE", kParamFlexi1Mode, kParamFlexi1Bits, kParamFlexi1Mode, kParamUnused0, 0x05, 0x60},
  {"FLEXI1 RANGE CONTROL POLARITY", kParamFlexi1RangeControlPolarity, kParamFlexi1RangePolarity,
   kParamFlexi1RangeControlPolarity, kParamUnused0, 0x05, 0x62},
  {"FLEXI2 MODE", kParamFlexi2Mode, kParamFlexi2Bits, kParamFlexi2Mode, kParamUnused0, 0x05, 0x67},
  {"FLEXI2 RANGE CONTROL POLARITY", kParamFlexi2RangeControlPolarity, kParamFlexi2RangePolarity,
   kParamFlexi2RangeControlPolarity, kParamUnused0, 0x05, 0x69},
  {"FLEXI3 MODE", kParamFlexi3Mode, kParamFlexi3Bits, kParamFlexi3Mode, kParamUnused0, 0x05, 0x6E},
  {"FLEXI3 RANGE CONTROL POLARITY", kParamFlexi3RangeControlPolarity, kParamFlexi3RangePolarity,
   kParamFlexi3RangeControlPolarity, kParamUnused0, 0x05, 0x70},
  {"FLEXI4 MODE", kParamFlexi4Mode, kParamFlexi4Bits, kParamFlexi4Mode, kParamUnused0, 0x05, 0x75},
  {"FLEXI4 RANGE CONTROL POLARITY", kParamFlexi4RangeControlPolarity, kParamFlexi4RangePolarity,
   kParamFlexi4RangeControlPolarity, kParamUnused0, 0x05, 0x77},
  {"OD Blend INSTRUMENT", kParamOdBlendInstrument, kParamOdBlendInstrument, kParamOdBlendVcf, kParamOverdriveOnOff,
   0x06, 0x10},
  {"OD Blend VCF", kParamOdBlendVcf, kParamOdBlendInstrument, kParamOdBlendVcf, kParamOverdriveOnOff, 0x06, 0x10},
  {"EQ Blend INSTRUMENT", kParamEqBlendInstrument, kParamEqBlendInstrument, kParamEqBlendVcf, kParamEqualizerOnOff,
   0x06, 0x1D},
  {"EQ Blend VCF", kParamEqBlendVcf, kParamEqBlendInstrument, kParamEqBlendVcf, kParamEqualizerOnOff, 0x06, 0x1D},
};

struct Extreme { const char* name; double low, high; uint8_t data; };
constexpr Extreme kExtremes[] = {
  {"both far below", -1e300, -1e300, 0x00},
  {"both far above", 1e300, 1e300, 0x03},
  {"both NaN", kNaN, kNaN, 0x00},
  {"low at INT_MIN", kIntMin, 1e300, 0x02},
  {"high at INT_MIN", 1e300, kIntMin, 0x01},
  {"both at INT_MIN", kIntMin, kIntMin, 0x00},
};

}  // namespace

TEST(ZephraModelNrpn, CompositesWithHalvesOutOfRange)
{
  for (const Composite& c : kComposites)
    for (const Extreme& e : kExtremes)
    {
      ModelWire w;
      if (c.onOff != kParamUnused0) w.Set(c.onOff, 1e300);
      w.Set(c.low, e.low);
      w.Set(c.high, e.high);
      w.Send(c.sent);
      EXPECT_EQ(w.bytes, (Bytes{0xB0, 0x63, c.msb, 0xB0, 0x62, c.lsb, 0xB0, 0x06, e.data})) << c.name << ", " << e.name;
    }
}

// An effect that is off sends 0 whatever its blends hold.
TEST(ZephraModelNrpn, EffectOffIgnoresBlendsOutOfRange)
{
  ModelWire w;
  w.Set(kParamOverdriveOnOff, kIntMin);
  w.Set(kParamOdBlendInstrument, kIntMin);
  w.Set(kParamOdBlendVcf, kIntMin);
  w.Send(kParamOdBlendVcf);
  EXPECT_EQ(w.bytes, (Bytes{0xB0, 0x63, 0x06, 0xB0, 0x62, 0x10, 0xB0, 0x06, 0x00}));
}

// The new cutoff travels under the vintage cutoff's address, in its own range 36..122.
TEST(ZephraModelNrpn, NewCutoffOutOfRange)
{
  const struct { const char* name; double value; uint8_t data; } kCases[] = {
    {"far below", -1e300, 0x24}, {"INT_MIN", kIntMin, 0x24}, {"NaN", kNaN, 0x24}, {"far above", 1e300, 0x7A}};
  for (const auto& c : kCases)
  {
    ModelWire w;
    w.Set(kParamVcfCutoffNew, c.value);
    w.Send(kParamVcfCutoffNew);
    EXPECT_EQ(w.bytes, (Bytes{0xB0, 0x63, 0x05, 0xB0, 0x62, 0x4C, 0xB0, 0x06, c.data})) << c.name;
  }
}
