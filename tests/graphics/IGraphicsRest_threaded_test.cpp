// A resting surface and the threads that change its controls: it asks its
// controls nothing while no change is counted, the first change made while
// it rests wakes it, and no change made at any moment goes unpainted.
#include "support/GuiTestKit.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace
{
// Counts the times the surface asks it whether it is dirty.
class AskedControl : public TestControl
{
public:
  using TestControl::TestControl;
  bool IsDirty() override
  {
    ++mAsked;
    return TestControl::IsDirty();
  }
  int mAsked = 0;
};

std::atomic<int> gRestingWakes{0};
void NoteRestingWake() { ++gRestingWakes; }

// Runs quiet frames until the settled surface has seen total of them in a
// row (the settle ended on the first).
void QuietFramesInARow(GuiFixture& f, int total)
{
  for (int frame = 1; frame < total; ++frame) ASSERT_FALSE(f.gui->RunFrame());
}

// Records the last version it was drawn with, and the frame it was drawn in
// (frames counts the frames ended before it).
class VersionControl : public TestControl
{
public:
  VersionControl(IUnitBase* plug, IRECT rect, const std::atomic<int>* frames)
    : TestControl(plug, rect), mFrames(frames)
  {
  }
  bool Draw(IGraphics*) override
  {
    mDrawnInFrame = mFrames->load() + 1;
    mDrawn = mVersion.load();
    return true;
  }
  const std::atomic<int>* mFrames;
  std::atomic<int> mVersion{0}, mDrawn{0}, mDrawnInFrame{0};
};
}  // namespace

// A resting surface asks its controls nothing until a change is counted;
// the first change made while it rests, from any thread, wakes it once,
// and the frame after repaints the change.
TEST(IGraphicsRest, ARestingSurfaceAsksItsControlsOnlyAfterAChangeAndIsWokenByTheFirst)
{
  GuiFixture f;
  auto* c = new AskedControl(&f.unit, IRECT(10, 10, 20, 20));
  f.gui->AttachControl(c);
  f.Open();
  f.gui->SetRestingWake(NoteRestingWake);
  gRestingWakes = 0;
  f.Settle();
  QuietFramesInARow(f, 31);
  ASSERT_TRUE(f.gui->Resting());
  const int asked = c->mAsked;
  f.unit.mIdles = 0;
  for (int frame = 0; frame < 5; ++frame) EXPECT_FALSE(f.gui->RunFrame());
  // Five idle passes, and not one question.
  EXPECT_EQ(c->mAsked - asked, 0);
  EXPECT_EQ(f.unit.mIdles, 5);
  EXPECT_EQ(gRestingWakes, 0);

  std::thread synth([c] {
    c->SetLabel("synth");
    c->SetLabel("synth again");
  });
  synth.join();
  EXPECT_EQ(gRestingWakes, 1);
  EXPECT_TRUE(f.gui->RunFrame());
  EXPECT_GT(c->mAsked, asked);
  EXPECT_FALSE(f.gui->Resting());
  // Awake, a change wakes nothing: the timer runs at full rate.
  c->SetLabel("awake");
  EXPECT_EQ(gRestingWakes, 1);

  f.Settle();
  QuietFramesInARow(f, 30);
  ASSERT_TRUE(f.gui->Resting());
  c->SetDirty(false);
  EXPECT_EQ(gRestingWakes, 2);
  EXPECT_TRUE(f.gui->RunFrame());

  // A control made while the surface was awake, dirty, and put into the
  // list once it rests is painted on the next resting frame.
  auto* replacement = new AskedControl(&f.unit, IRECT(10, 10, 20, 20));
  f.Settle();
  QuietFramesInARow(f, 30);
  ASSERT_TRUE(f.gui->Resting());
  EXPECT_FALSE(f.gui->RunFrame());
  f.gui->ReplaceControl(c->GetIdx(), replacement);
  delete c;
  EXPECT_TRUE(f.gui->RunFrame());
}


// Another thread changes a control at random moments of a surface that
// rests between the changes, as the synth's values reach an editor left
// alone: each change is painted by the second frame that ends after it at
// the latest (the frame running meanwhile may have read the count before
// it), whatever moment it met.
TEST(IGraphicsRest, EveryChangeOfAnotherThreadIsPaintedByTheSecondFrameAfterIt)
{
  GuiFixture f;
  std::atomic<int> frames{0};
  auto* c = new VersionControl(&f.unit, IRECT(10, 10, 20, 20), &frames);
  f.gui->AttachControl(c);
  f.Open();
  constexpr int kChanges = 200;
  std::atomic<bool> resting{false}, done{false};
  std::atomic<int> late{0}, worst{0};
  std::thread synth([&] {
    for (int version = 1; version <= kChanges; ++version)
    {
      while (!resting) std::this_thread::yield();
      c->mVersion = version;
      c->SetDirty(false);
      // Read after the change: never fewer frames than had ended before it.
      const int endedBefore = frames.load();
      // A change never painted ends the wait some thousand frames on.
      while (c->mDrawn.load() != version && frames.load() - endedBefore < 5000) std::this_thread::yield();
      const int took = c->mDrawnInFrame.load() - endedBefore;
      if (took > 2) ++late;
      worst = std::max(worst.load(), took);
    }
    done = true;
  });
  while (!done)
  {
    f.gui->RunFrame();
    ++frames;
    resting = f.gui->Resting();
  }
  synth.join();
  EXPECT_EQ(late, 0) << "worst " << worst << " frames";
  EXPECT_EQ(c->mDrawn, kChanges);
}
