// A plug-in object for tests: the editor's identity and channel set-up, with
// the slots that tests watch recorded instead of acted on.
#pragma once

#include "core/IUnitBase.h"

#include <utility>
#include <vector>

constexpr int kTestUniqueID = 0x5A706564;  // 'Zped'
constexpr int kTestMfrID = 0x42726941;     // 'BriA'
constexpr int kTestVersion = 0x30600;

class TestUnit : public IUnitBase
{
public:
  explicit TestUnit(int nParams, int nPresets = 1, bool doesChunks = false,
                    const char* channelIO = "0-1 0-2", int latency = 0)
    : IUnitBase(nParams, channelIO, nPresets, "ZephraEditor", "", "brindleaudio", kTestVersion,
                kTestUniqueID, kTestMfrID, latency, true, doesChunks, false, kAPIStandalone)
  {
  }

  void OnParamChange(int paramIndex) override { mChanges.push_back(paramIndex); }
  void InformHostOfParamChange(int paramIndex, double normalized) override
  {
    mNotices.emplace_back(paramIndex, normalized);
  }
  bool SendMidiMsg(const IMidiMsg* msg) override
  {
    mSent.push_back(*msg);
    return mSendResult;
  }
  double GetTempo() override { return mTempo; }
  void OnRestorePreset() override { ++mRestores; }

  // Gives every parameter a range of -100..100 in steps of 0.5.
  void InitAllDouble()
  {
    for (int i = 0; i < NParams(); ++i) GetParam(i)->InitDouble("p", 0.0, -100.0, 100.0, 0.5);
  }
  std::vector<double> Values() const
  {
    std::vector<double> values;
    for (int i = 0; i < NParams(); ++i) values.push_back(GetParam(i)->Value());
    return values;
  }

  std::vector<int> mChanges;
  std::vector<std::pair<int, double>> mNotices;
  std::vector<IMidiMsg> mSent;
  bool mSendResult = true;
  double mTempo = 0.0;
  int mRestores = 0;
};
