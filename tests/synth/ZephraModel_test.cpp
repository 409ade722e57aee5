// The synth model brought up as the editor brings it up: its start, its
// parameters, the program record and undo recall.
#include "support/TempDir.h"
#include "support/ZephraTestModel.h"
#include "tests/synth/support/ZephraTestPrograms.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

struct ModelTest : ::testing::Test
{
  TempDir dir;
  std::unique_ptr<TestModel> t;
  ZephraModel* model = nullptr;

  void Make()
  {
    t.reset();
    t = std::make_unique<TestModel>(dir.Path());
    model = t->model.get();
  }
  void Set(int param, double value) { model->SetParameterFromGUI2(param, value); }
  Bytes Take() { return t->TakeWire(); }
};

// Every message here is a three-byte control change.
size_t ControllerCount(const Bytes& bytes) { return bytes.size() / 3; }

// The whole-program send: indices 0..124 under MSB 5, then 128..169 under
// MSB 6, each as LSB and data; the spare 125..127 have no address.
Bytes WholeProgramSend(const TestWire& wire)
{
  Bytes m = {0xB0, 0x63, 0x05};
  for (int i = 0; i < 167; ++i)
  {
    if (i == 125) m.insert(m.end(), {0xB0, 0x63, 0x06});
    const int index = i < 125 ? i : i + 3;
    m.insert(m.end(), {0xB0, 0x62, static_cast<uint8_t>(index < 125 ? index : index - 128), 0xB0, 0x06, wire[index]});
  }
  return m;
}

}  // namespace

TEST_F(ModelTest, StartSendsTheDefaultProgramOnce)
{
  Make();
  EXPECT_EQ(Take(), WholeProgramSend(kDefaultWire));
  EXPECT_STREQ(model->ProgramName(), "INIT");
  EXPECT_EQ(model->UndoCount(), 1);
}

// The synth reads a data byte of 0x80 or more as a status byte.
TEST_F(ModelTest, OutOfRangeRecordNeverLeavesAsStatusByte)
{
  Make();
  for (int32_t fill : {-64, 127, -1000, 1000})
  {
    ZephraModel::ProgramValues values;
    values.fill(fill);
    model->ApplyProgram(values);
    Take();
    model->SendProgramToSynth();
    const Bytes wire = Take();
    ASSERT_EQ(ControllerCount(wire), 336u);
    for (size_t i = 0; i < wire.size(); i += 3) ASSERT_LT(wire[i + 2], 0x80) << fill << " at " << i / 3;
  }
}

// The store starts with the program in the editor, so the first undo
// re-sends that program, not an all-zero one below the synth's minima.
TEST_F(ModelTest, FirstUndoRecallsTheStartProgram)
{
  Make();
  const Bytes start = Take();
  model->Undo();
  EXPECT_EQ(Take(), start);
  EXPECT_EQ(model->ParamInt(kParamVcfQ), 7);  // its minimum
  EXPECT_EQ(model->UndoPosition(), 0);
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
    ZephraModel::ProgramValues values = model->Program();
    values[ProgramIndex(kParamFlexi1Source)] = 98;  // VCF Env.
    values[ProgramIndex(kParamFlexi1Bits)] = c.bits;
    values[ProgramIndex(kParamFlexi1Destination)] = c.destination;
    model->ApplyProgram(values);
    EXPECT_EQ(model->FlexiTarget(0), c.target) << c.name;
  }
}

TEST_F(ModelTest, CaptureFoldsSecondHalves)
{
  Make();
  Set(kParamTrigGateMode, 1);
  Set(kParamPortamentoMode, 1);
  Set(kParamOdBlendInstrument, 1);
  Set(kParamOdBlendVcf, 1);  // blends on, overdrive off
  model->CaptureProgram();
  EXPECT_EQ(model->Program()[ProgramIndex(kParamTrigGateMode)], 3);
  EXPECT_EQ(model->Program()[ProgramIndex(kParamOverdriveOnOff)], 0);
  EXPECT_EQ(model->Program()[ProgramIndex(kParamVcfCutoffVintage)], 122);  // new filter: the new cutoff
}

// Reset drops the taken records, keeps the queued ones in order and sizes
// the queue for one block in whole pages of 512 eight-byte records.
TEST_F(ModelTest, ResetSizesTheMidiQueueInWholePages)
{
  Make();
  MidiMsgQueue& queue = model->MidiQueue();
  EXPECT_EQ(queue.Capacity(), 1024u);
  struct Case { const char* name; int block; size_t queued, capacity; } cases[] = {
    {"block 511", 511, 2, 512}, {"block 512", 512, 2, 512}, {"block 513", 513, 2, 1024},
    {"block 0", 0, 2, 512},     {"queued 512", 1, 512, 512}, {"queued 513", 1, 513, 1024}};
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    // One record taken ahead of the ones that stay.
    queue.Add(IMidiMsg(0, 0x90, 1, 1));
    for (size_t i = 0; i < c.queued; ++i) queue.Add(IMidiMsg(0, 0xB0, static_cast<uint8_t>(i % 128), 2));
    IMidiMsg msg;
    ASSERT_TRUE(queue.Take(msg));
    model->SetBlockSize(c.block);
    model->Reset();
    EXPECT_EQ(queue.Capacity(), c.capacity);
    EXPECT_EQ(queue.Size(), c.queued);
    ASSERT_TRUE(queue.Take(msg));
    EXPECT_EQ(msg.mStatus, 0xB0);
    EXPECT_EQ(msg.mData1, 0);
    while (queue.Take(msg)) {}
  }
}
