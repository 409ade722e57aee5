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
  EXPECT_STREQ(editor->GetParam(247)->GetDisplayText(80), " ");
  EXPECT_STREQ(editor->GetParam(254)->GetDisplayText(74), "Midi CC 87");
  EXPECT_EQ(editor->GetParam(248)->GetMax(), 74);
  EXPECT_STREQ(editor->GetParam(301)->GetDisplayText(0), "01");
  EXPECT_STREQ(editor->GetParam(341)->GetDisplayText(15), "CH:16");
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
  EXPECT_EQ(editor->ParamInt(86), 7);  // "VCF Q" minimum 7
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
    values[95] = 98;  // FLEXI1 SOURCE: VCF Env.
    values[96] = c.bits;
    values[97] = c.destination;
    editor->ApplyProgram(values);
    EXPECT_EQ(editor->FlexiTarget(0), c.target) << c.name;
  }
}

TEST_F(ModelTest, CaptureFoldsSecondHalves)
{
  Make();
  Set(92, 1);   // trig/gate mode
  Set(173, 1);  // portamento mode
  Set(182, 1);
  Set(183, 1);  // blends on, overdrive off
  editor->CaptureProgram();
  EXPECT_EQ(editor->Program()[89], 3);
  EXPECT_EQ(editor->Program()[144], 0);
  EXPECT_EQ(editor->Program()[76], 122);  // new filter: the new cutoff
}
