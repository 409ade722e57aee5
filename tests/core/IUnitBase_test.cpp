#include "core/IUnitBase.h"

#include "TestUnit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{
std::vector<uint8_t> ChunkBytes(const ByteChunk& chunk)
{
  return std::vector<uint8_t>(chunk.GetBytes(), chunk.GetBytes() + chunk.Size());
}

TEST(IUnitBase, ConstructionAndIdentity)
{
  TestUnit unit(342);
  EXPECT_EQ(unit.GetParam(342), nullptr);
  EXPECT_EQ(unit.GetParam(-1), nullptr);

  // Names keep at most 127 characters.
  for (size_t length : {126, 127, 128})
  {
    const std::string name(length, 'q');
    IUnitBase cut(0, nullptr, 0, name.c_str(), name.c_str(), name.c_str(), 0, 0, 0, 0, false, false, false, 0);
    const size_t kept = length < 127 ? length : 127;
    EXPECT_EQ(strlen(cut.GetEffectName()), kept);
    EXPECT_EQ(strlen(cut.GetProductName()), kept);
    EXPECT_EQ(strlen(cut.GetMfrName()), kept);
  }
}

TEST(IUnitBase, ChannelIO)
{
  TestUnit unit(1);
  EXPECT_EQ(unit.NChannelIO(), 2);
  EXPECT_EQ(unit.NInChannels(), 0);
  EXPECT_EQ(unit.NOutChannels(), 2);
  const struct
  {
    int in, out;
    bool legal;
  } cases[] = {{0, 2, true}, {1, 2, false}, {-1, 1, true}, {0, -1, true}, {2, 2, false}};
  for (const auto& c : cases) EXPECT_EQ(unit.LegalIO(c.in, c.out), c.legal) << c.in << "-" << c.out;

  TestUnit wide(1, 1, false, "2-2 4-6 junk 1-");
  EXPECT_EQ(wide.NChannelIO(), 2);
  EXPECT_EQ(wide.NInChannels(), 4);
  EXPECT_EQ(wide.NOutChannels(), 6);
}

TEST(IUnitBase, SetParameterFromGUI)
{
  TestUnit unit(3);
  unit.GetParam(1)->InitInt("int", 0, 0, 10);
  unit.SetParameterFromGUI(1, 0.449);
  EXPECT_EQ(unit.GetParam(1)->Value(), 4.0);
  ASSERT_EQ(unit.mNotices.size(), 1u);
  EXPECT_EQ(unit.mNotices[0].first, 1);
  EXPECT_EQ(unit.mNotices[0].second, 0.449);
  EXPECT_EQ(unit.mChanges, std::vector<int>({1}));

  unit.SetParameterFromGUI2(1, -7.0);  // below min: min, no host notice, still slot 3
  EXPECT_EQ(unit.GetParam(1)->Value(), 0.0);
  EXPECT_EQ(unit.mNotices.size(), 1u);
  EXPECT_EQ(unit.mChanges, std::vector<int>({1, 1}));
  unit.SetParameterFromGUI2(1, 3.3);  // plain values are not rounded
  EXPECT_EQ(unit.GetParam(1)->Value(), 3.3);

  unit.SetParameterFromGUI(3, 0.5);
  unit.SetParameterFromGUI2(-1, 0.5);
  EXPECT_EQ(unit.mChanges.size(), 3u);

  unit.OnParamReset();
  EXPECT_EQ(unit.mChanges, std::vector<int>({1, 1, 1, 0, 1, 2}));
}

// The parameter at which the data runs out gets 0 held to its range; the
// ones after it keep their values.
TEST(IUnitBase, ShortStateChunkZeroesWhereItRunsOut)
{
  struct Case
  {
    const char* name;
    double secondMin;  // of the second parameter's range, to 50
    int bytes;         // of the chunk: 42.0, then 99.0 cut short
    int start;
    int returned;
    std::vector<double> values;
  } kCases[] = {
      {"half a value, 0 in range", -50.0, 12, 0, -1, {42.0, 0.0, 9.0}},
      {"half a value, 0 below range", 5.0, 12, 0, -1, {42.0, 5.0, 9.0}},
      {"one value only", 5.0, 8, 0, -1, {42.0, 5.0, 9.0}},
      {"one byte short", 5.0, 15, 0, -1, {42.0, 5.0, 9.0}},
      {"empty from the start", 5.0, 0, 0, -1, {0.0, 8.0, 9.0}},
      {"start past the data", 5.0, 16, 24, -1, {0.0, 8.0, 9.0}},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    TestUnit unit(3);
    unit.InitAllDouble();
    unit.GetParam(1)->InitDouble("b", 0.0, c.secondMin, 50.0, 0.5);
    for (int i = 0; i < 3; ++i) unit.GetParam(i)->SetPlain(7.0 + i);
    ByteChunk chunk;
    const double values[2] = {42.0, 99.0};
    ASSERT_EQ(chunk.PutBytes(values, c.bytes), c.bytes);
    EXPECT_EQ(unit.UnserializeParams(&chunk, c.start), c.returned);
    EXPECT_EQ(unit.Values(), c.values);
    EXPECT_EQ(unit.mChanges, std::vector<int>({0, 1, 2}));  // every parameter, whatever ran out
  }
}

TEST(IUnitBase, StateValuesAreClampedAndBadStartsReadNothing)
{
  TestUnit unit(3);
  unit.InitAllDouble();
  ByteChunk big;
  const double huge[3] = {1e9, -1e9, 50.25};
  ASSERT_EQ(big.PutBytes(huge, sizeof(huge)), 24);
  EXPECT_EQ(unit.UnserializeParams(&big, 0), 24);
  EXPECT_EQ(unit.Values(), std::vector<double>({100.0, -100.0, 50.25}));
  EXPECT_EQ(unit.UnserializeParams(&big, -8), -1);
  EXPECT_EQ(unit.UnserializeParams(nullptr, 0), -1);
  EXPECT_EQ(unit.Values(), std::vector<double>({100.0, -100.0, 50.25}));
}

TEST(IUnitBase, CompareState)
{
  TestUnit unit(2);
  unit.InitAllDouble();
  unit.GetParam(0)->SetPlain(1.0);
  unit.GetParam(1)->SetPlain(2.0);
  const struct
  {
    const char* name;
    double stored[3];  // one leading element, then the two parameters
    int size;
    int position;
    bool equal;
  } cases[] = {
    {"equal", {0, 1.0, 2.0}, 24, 1, true},
    {"1e-6 apart is equal", {0, 1.0 + 1e-6, 2.0}, 24, 1, true},
    {"1e-4 apart differs", {0, 1.0, 2.0 + 1e-4}, 24, 1, false},
    {"position counts doubles", {1.0, 2.0, 0}, 24, 0, true},
    {"data too short", {0, 1.0, 2.0}, 23, 1, false},
    {"negative position", {0, 1.0, 2.0}, 24, -1, false},
  };
  for (const auto& c : cases)
  {
    uint8_t bytes[24];
    memcpy(bytes, c.stored, sizeof(bytes));
    EXPECT_EQ(unit.CompareState(bytes, c.size, c.position), c.equal) << c.name;
  }
  TestUnit empty(0);
  EXPECT_TRUE(empty.CompareState(nullptr, 0, 0));
}

// ---- the GUI link ----

struct GraphicsLog { std::vector<std::string> calls; bool destroyed = false; };

class FakeGraphics : public IGraphicsLink
{
public:
  explicit FakeGraphics(GraphicsLog* log) : mLog(log) {}
  ~FakeGraphics() override { mLog->destroyed = true; }
  int Width() const override { return 1140; }
  int Height() const override { return 800; }
  void PrepDraw() override { mLog->calls.push_back("PrepDraw"); }
  void SetParameterFromPlug(int index, double value, bool normalized) override
  {
    mLog->calls.push_back("Set " + std::to_string(index) + " " + std::to_string(value) +
                          (normalized ? " n" : " p"));
  }
  void AttachGUIResize(IGUIResizeLink*) override { mLog->calls.push_back("AttachGUIResize"); }
  void StoreLiveLayout(ILiveLayoutState* state) override
  {
    mLog->calls.push_back("StoreLiveLayout");
    ILiveLayoutState::Rect r{1, 2, 3, 4};
    state->mDrawRects.Add(r);
  }

private:
  GraphicsLog* mLog;
};

class FakeResizer : public IGUIResizeLink
{
public:
  void ResizeAtGUIOpen() override { ++mOpened; }
  int mOpened = 0;
};

TEST(IUnitBase, AttachGraphicsShowsParametersAndOwnsTheGraphics)
{
  GraphicsLog log;
  {
    TestUnit unit(2);
    unit.GetParam(0)->InitInt("a", 5, 0, 10);
    unit.GetParam(1)->InitInt("b", 0, 0, 4);
    FakeResizer resizer;
    unit.SetGUIResize(&resizer);
    unit.AttachGraphics(nullptr);
    EXPECT_EQ(unit.GetGUI(), nullptr);

    auto* graphics = new FakeGraphics(&log);
    unit.AttachGraphics(graphics);
    EXPECT_EQ(unit.GetGUI(), graphics);
    EXPECT_EQ(log.calls, std::vector<std::string>({"AttachGUIResize", "Set 0 0.500000 n",
                                                   "Set 1 0.000000 n", "PrepDraw",
                                                   "StoreLiveLayout"}));
    EXPECT_EQ(unit.GetLiveLayoutState()->mDrawRects.GetSize(), 1);

    log.calls.clear();
    unit.GetParam(1)->SetPlain(3.0);
    unit.RedrawParamControls();
    EXPECT_EQ(log.calls, std::vector<std::string>({"Set 0 5.000000 p", "Set 1 3.000000 p"}));

    unit.ResizeAtGUIOpen();
    EXPECT_EQ(resizer.mOpened, 1);
    unit.AttachGraphics(graphics);  // the same object again is not deleted
    EXPECT_FALSE(log.destroyed);
    unit.SetGUIResize(nullptr);  // the resizer goes before the unit
  }
  EXPECT_TRUE(log.destroyed);
}

// ---- channels and audio buffers ----

TEST(IUnitBase, FloatBufferPath)
{
  TestUnit unit(0, 0, false, "2-2");
  unit.SetBlockSize(4);
  unit.SetInputChannelConnections(0, 2, true);
  unit.SetOutputChannelConnections(0, 1, true);  // output 1 stays disconnected
  EXPECT_TRUE(unit.IsInChannelConnected(1));
  EXPECT_FALSE(unit.IsOutChannelConnected(1));
  EXPECT_FALSE(unit.IsOutChannelConnected(7));

  float in0[4] = {0.5f, 1, 2, 3};
  float in1[4] = {9, 9, 9, 9};
  float out0[4] = {1, 1, 1, 1};
  float out1[4] = {7, 7, 7, 7};
  float* inputs[2] = {in0, in1};
  float* outputs[2] = {out0, out1};
  unit.AttachInputBuffers(0, 2, inputs, 4);
  unit.AttachOutputBuffers(0, 2, outputs);
  unit.ProcessBuffers(0.0f, 4);
  EXPECT_EQ(std::vector<float>(out0, out0 + 4), std::vector<float>({0.5f, 1, 2, 3}));
  EXPECT_EQ(std::vector<float>(out1, out1 + 4), std::vector<float>({7, 7, 7, 7}));
  unit.ProcessBuffersAccumulating(0.0f, 100);  // frames beyond the block size are ignored
  EXPECT_EQ(std::vector<float>(out0, out0 + 4), std::vector<float>({1, 2, 4, 6}));

  TestUnit wide(0, 0, false, "4-4");
  wide.SetOutputChannelConnections(0, 4, false);
  wide.SetInputChannelConnections(0, 4, true);
  wide.LimitToStereoIO();
  EXPECT_TRUE(wide.IsInChannelConnected(1));
  EXPECT_FALSE(wide.IsInChannelConnected(2));
  EXPECT_FALSE(wide.IsOutChannelConnected(1));
  EXPECT_TRUE(wide.IsOutChannelConnected(3));
}

TEST(IUnitBase, PassThroughDelaysByTheLatency)
{
  TestUnit unit(0, 0, false, "1-1", 2);
  unit.SetBlockSize(3);
  unit.SetInputChannelConnections(0, 1, true);
  unit.SetOutputChannelConnections(0, 1, true);
  double in[3] = {1, 2, 3};
  double out[3] = {};
  double* inputs[1] = {in};
  double* outputs[1] = {out};
  unit.AttachInputBuffers(0, 1, inputs, 3);
  unit.AttachOutputBuffers(0, 1, outputs);
  unit.PassThroughBuffers(0.0, 3);
  EXPECT_EQ(std::vector<double>(out, out + 3), std::vector<double>({0, 0, 1}));
  double in2[3] = {4, 5, 6};
  inputs[0] = in2;
  unit.AttachInputBuffers(0, 1, inputs, 3);
  unit.PassThroughBuffers(0.0, 3);
  EXPECT_EQ(std::vector<double>(out, out + 3), std::vector<double>({2, 3, 4}));

  unit.SetLatency(0);
  unit.PassThroughBuffers(0.0, 3);
  EXPECT_EQ(std::vector<double>(out, out + 3), std::vector<double>({4, 5, 6}));
}

}  // namespace

namespace
{
// A chunk appended to itself, or given bytes of its own, copies what it held
// before growing, even when growing moves its block.
TEST(ByteChunk, AppendsItsOwnBytes)
{
  ByteChunk chunk;
  std::vector<uint8_t> bytes(5000);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7);
  ASSERT_EQ(chunk.PutBytes(bytes.data(), 5000), 5000);
  ASSERT_EQ(chunk.PutChunk(&chunk), 10000);
  ASSERT_EQ(chunk.PutBytes(chunk.GetBytes() + 1, 9000), 19000);
  std::vector<uint8_t> expected = bytes;
  expected.insert(expected.end(), bytes.begin(), bytes.end());
  expected.insert(expected.end(), expected.begin() + 1, expected.begin() + 9001);
  EXPECT_EQ(ChunkBytes(chunk), expected);
}
}  // namespace
