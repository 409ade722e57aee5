// The synth model brought up as the editor brings it up: its start, its
// parameters, the program record and undo recall.
#include "support/TempDir.h"
#include "support/ZephraTestModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

using Bytes = std::vector<uint8_t>;

struct ModelTest : ::testing::Test
{
  TempDir dir;
  std::unique_ptr<TestModel> t;
  ZephraModel* editor = nullptr;

  void Make()
  {
    t = std::make_unique<TestModel>(dir.Path());
    editor = t->model.get();
  }
  void Set(int param, double value) { editor->SetParameterFromGUI2(param, value); }
};

// Every message here is a three-byte control change.
size_t ControllerCount(const Bytes& bytes) { return bytes.size() / 3; }

}  // namespace

TEST_F(ModelTest, StartSendsTheDefaultProgramOnce)
{
  Make();
  const Bytes wire = t->tap.Take();
  ASSERT_EQ(ControllerCount(wire), 336u);
  const Bytes head = {0xB0, 0x63, 0x05, 0xB0, 0x62, 0x00, 0xB0, 0x06, 0x18,
                      0xB0, 0x62, 0x01, 0xB0, 0x06, 0x3F};
  EXPECT_TRUE(std::equal(head.begin(), head.end(), wire.begin()));
  for (size_t i = 0; i < wire.size(); i += 3) EXPECT_LT(wire[i + 2], 0x80) << "message " << i / 3;
  EXPECT_STREQ(editor->ProgramName(), "INIT");
  EXPECT_EQ(editor->UndoCount(), 1);
}

TEST_F(ModelTest, ParameterDefinitions)
{
  Make();
  ASSERT_EQ(editor->NParams(), kParamCount);
  for (int p = 0; p < kProgramSize; ++p)
  {
    const ProgramParamDef& def = kProgramValues[p].param;
    if (!def.defined) continue;
    const IParam* param = editor->GetParam(def.number);
    EXPECT_EQ(std::string(param->GetNameForHost()), std::string(def.name).substr(0, 31)) << p;
    EXPECT_EQ(param->GetMin(), def.min) << def.name;
    EXPECT_EQ(param->GetMax(), def.max) << def.name;
  }
  EXPECT_STREQ(editor->GetParam(kParamFlexi1Sources)->GetDisplayText(80), " ");
  EXPECT_STREQ(editor->GetParam(kParamFlexi4Ranges)->GetDisplayText(74), "Midi CC 87");
  EXPECT_EQ(editor->GetParam(kParamFlexi1Ranges)->GetMax(), 74);
  EXPECT_STREQ(editor->GetParam(kParamProgramNumber)->GetDisplayText(0), "01");
  EXPECT_STREQ(editor->GetParam(kParamMidiChannel)->GetDisplayText(15), "CH:16");
}

// The synth reads a data byte of 0x80 or more as a status byte.
TEST_F(ModelTest, OutOfRangeRecordNeverLeavesAsStatusByte)
{
  Make();
  for (int32_t fill : {-64, 127, -1000, 1000})
  {
    ZephraModel::ProgramValues values;
    values.fill(fill);
    editor->ApplyProgram(values);
    t->tap.Take();
    editor->SendProgramToSynth();
    const Bytes wire = t->tap.Take();
    ASSERT_EQ(ControllerCount(wire), 336u);
    for (size_t i = 0; i < wire.size(); i += 3) ASSERT_LT(wire[i + 2], 0x80) << fill << " at " << i / 3;
  }
}

// The store starts with the program in the editor, so the first undo
// re-sends that program, not an all-zero one below the synth's minima.
TEST_F(ModelTest, FirstUndoRecallsTheStartProgram)
{
  Make();
  const Bytes start = t->tap.Take();
  editor->Undo();
  EXPECT_EQ(t->tap.Take(), start);
  EXPECT_EQ(editor->ParamInt(kParamVcfQ), 7);  // its minimum
  EXPECT_EQ(editor->UndoPosition(), 0);
}

TEST_F(ModelTest, FlexiTargets)
{
  Make();
  struct Case { const char* name; int bits; int destination; int target; } kCases[] = {
    {"overdrive", 1, 16, 144},
    {"new cutoff", 0, 76, 183},
    {"beyond the program", 1, 100, -1},
    {"last beyond", 1, 127, -1},
  };
  for (const Case& c : kCases)
  {
    ZephraModel::ProgramValues values = editor->Program();
    values[ProgramIndex(kParamFlexi1Source)] = 98;  // VCF Env.
    values[ProgramIndex(kParamFlexi1Bits)] = c.bits;
    values[ProgramIndex(kParamFlexi1Destination)] = c.destination;
    editor->ApplyProgram(values);
    EXPECT_EQ(editor->FlexiTarget(0), c.target) << c.name;
  }
}

TEST_F(ModelTest, CaptureFoldsSecondHalves)
{
  Make();
  Set(kParamTrigGateMode, 1);
  Set(kParamPortamentoMode, 1);
  Set(kParamOdBlendInstrument, 1);
  Set(kParamOdBlendVcf, 1);  // blends on, overdrive off
  editor->CaptureProgram();
  EXPECT_EQ(editor->Program()[ProgramIndex(kParamTrigGateMode)], 3);
  EXPECT_EQ(editor->Program()[ProgramIndex(kParamOverdriveOnOff)], 0);
  // New filter: the new cutoff under the vintage cutoff's index.
  EXPECT_EQ(editor->Program()[ProgramIndex(kParamVcfCutoffVintage)], 122);
}
