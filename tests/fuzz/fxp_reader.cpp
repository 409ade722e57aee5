// Fuzzes the FXP program and FXB bank readers of the plug-in base. Every
// input goes to both readers of two plug-ins (state chunks on and off) that
// match the corpus files; a refused file must leave the state as it was.
#include "core/IUnitBase.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{
struct Snapshot
{
  std::vector<double> values;
  std::string names;
  int current = 0;

  bool operator==(const Snapshot& o) const
  {
    return values == o.values && names == o.names && current == o.current;
  }
};

Snapshot Take(IUnitBase& unit)
{
  Snapshot s;
  for (int i = 0; i < unit.NParams(); ++i) s.values.push_back(unit.GetParam(i)->Value());
  for (int i = 0; i < unit.NPresets(); ++i) s.names += std::string(unit.GetPresetName(i)) + '\n';
  s.current = unit.GetCurrentPresetIdx();
  return s;
}

void SetUp(IUnitBase& unit)
{
  for (int i = 0; i < unit.NParams(); ++i) unit.GetParam(i)->InitDouble("p", 0.0, 0.0, 10.0, 0.5);
  (void)unit.MakePreset("Alpha", 1.0, 2.0, 3.0);
  (void)unit.MakePreset("Beta", 2.0, 3.0, 4.0);
  (void)unit.MakePreset("Gamma", 3.0, 4.0, 5.0);
  (void)unit.RestorePreset(1);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size > 1 << 16) return 0;
  // Exactly size bytes on the heap, so any read past them is reported.
  std::vector<uint8_t> bytes(data, data + size);
  for (bool chunks : {false, true})
  {
    for (bool bank : {false, true})
    {
      IUnitBase unit(3, "0-2", 3, "ZephraEditor", "", "brindleaudio", 0x30600, 0x5A706564,
                     0x42726941, 0, true, chunks, false, kAPIStandalone);
      SetUp(unit);
      const Snapshot before = Take(unit);
      const bool loaded = bank ? unit.LoadBankFromFXBData(bytes.data(), static_cast<int>(size))
                               : unit.LoadProgramFromFXPData(bytes.data(), static_cast<int>(size));
      if (!loaded && !(Take(unit) == before)) abort();
      for (int i = 0; loaded && i < unit.NParams(); ++i)
      {
        const double v = unit.GetParam(i)->Value();
        if (!(v >= 0.0 && v <= 10.0)) abort();
      }
    }
  }
  return 0;
}
