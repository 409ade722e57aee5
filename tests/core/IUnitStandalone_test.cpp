#include "core/IUnitStandalone.h"

#include "support/StubGraphicsLink.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
IUnitInstanceInfo NoOutput(uint16_t* channel = nullptr)
{
  IUnitInstanceInfo info;
  info.mBundleID.Set(kStandaloneBundleID);
  info.mMidiOutChan = channel;
  return info;
}

class TestStandalone : public IUnitStandalone
{
public:
  explicit TestStandalone(const IUnitInstanceInfo& info, bool doesMIDI = true)
    : IUnitStandalone(info, 342, "0-1 0-2", 1, "ZephraEditor", "", "brindleaudio", 0x30600,
                      0x5A706564, 0x42726941, 0, doesMIDI, false, false)
  {
  }
  void OnWindowResize() override { ++mResizes; }
  int mResizes = 0;
};

TEST(IUnitStandalone, NothingIsSentWithoutAnOutputObject)
{
  uint16_t channel = 0;
  TestStandalone unit(NoOutput(&channel));
  IMidiMsg note(0, 0x90, 60, 100);
  EXPECT_FALSE(unit.SendMidiMsg(&note));
  EXPECT_FALSE(unit.SendMidiMsg(nullptr));
  const uint8_t data[] = {0xF0, 0x7E, 0xF7};
  const ISysEx sysEx(0, data, 3);
  EXPECT_FALSE(unit.SendSysEx(&sysEx));
  EXPECT_FALSE(unit.SendSysEx(nullptr));
  unit.ProcessMidiMsg(&note);  // the pass-through must not fail loudly either
}

TEST(IUnitStandalone, WireBytes)
{
  struct Case { const char* name; IMidiMsg msg; int outChannel; std::vector<uint8_t> expected; };
  const Case cases[] = {
    {"note on keeps its channel", IMidiMsg(0, 0x93, 60, 1), 0, {0x93, 60, 1}},
    {"forced to channel 1", IMidiMsg(0, 0xB5, 1, 2), 1, {0xB0, 1, 2}},
    {"forced to channel 16", IMidiMsg(0, 0xB5, 1, 2), 16, {0xBF, 1, 2}},
    {"program change is two bytes", IMidiMsg(0, 0xC3, 5, 99), 0, {0xC3, 5}},
    {"program change forced", IMidiMsg(0, 0xC3, 5, 99), 1, {0xC0, 5}},
    {"channel pressure is two bytes", IMidiMsg(0, 0xD1, 70, 0), 0, {0xD1, 70}},
    {"clock is one byte", IMidiMsg(0, 0xF8, 0, 0), 0, {0xF8}},
    {"clock keeps its status under a channel", IMidiMsg(0, 0xF8, 0, 0), 16, {0xF8}},
    {"start keeps its status", IMidiMsg(0, 0xFA, 0, 0), 1, {0xFA}},
    {"song position keeps its status", IMidiMsg(0, 0xF2, 1, 2), 5, {0xF2, 1, 2}},
    {"channel 17 is no channel", IMidiMsg(0, 0x94, 1, 2), 17, {0x94, 1, 2}},
    {"data byte as status", IMidiMsg(0, 0x40, 1, 2), 0, {}},
    {"lone start of system exclusive", IMidiMsg(0, 0xF0, 1, 2), 0, {}},
  };
  for (const Case& c : cases)
  {
    uint8_t bytes[3] = {0xAA, 0xAA, 0xAA};
    const int n = IUnitStandalone::MakeWireBytes(c.msg, c.outChannel, bytes);
    EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + n), c.expected) << c.name;
  }
}

class FakeWindow : public IStandaloneWindow
{
public:
  bool GetWindowRect(Rect* rect) override
  {
    *rect = mRect;
    return mHasRect;
  }
  void SetWindowPos(int x, int y, int width, int height) override
  {
    mRect = {x, y, x + width, y + height};
    ++mMoves;
  }
  Rect mRect{100, 300, 900, 900};
  bool mHasRect = true;
  int mMoves = 0;
};

TEST(IUnitStandalone, ResizeGraphicsFitsTheWindowAndKeepsItsTopLeft)
{
  TestStandalone unit(NoOutput());
  FakeWindow window;
  unit.SetMainWindow(&window);
  unit.ResizeGraphics(1140, 800);  // no graphics yet: nothing
  EXPECT_EQ(window.mMoves, 0);
  EXPECT_EQ(unit.mResizes, 0);

  unit.AttachGraphics(new StubGraphicsLink());
  unit.ResizeGraphics(1140, 800);
  ASSERT_EQ(window.mMoves, 1);
  EXPECT_EQ(window.mRect.left, 100);
  EXPECT_EQ(window.mRect.right - window.mRect.left, 1140);
  EXPECT_EQ(window.mRect.bottom - window.mRect.top, 822);
  EXPECT_EQ(window.mRect.bottom, 900);  // y grows upward: the top edge stays
  EXPECT_EQ(unit.mResizes, 1);

  window.mHasRect = false;
  unit.ResizeGraphics(1140, 800);
  EXPECT_EQ(window.mMoves, 1);
  EXPECT_EQ(unit.mResizes, 2);
  unit.SetMainWindow(nullptr);
  unit.ResizeGraphics(1140, 800);
  EXPECT_EQ(unit.mResizes, 3);
}
}  // namespace
