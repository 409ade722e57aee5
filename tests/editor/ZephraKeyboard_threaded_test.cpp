// The keyboard's MIDI thread and the GUI thread at once: the on-screen
// keyboard drawn and played while notes arrive and mark it dirty with the
// plug-in mutex held (the drawing must never wait for that mutex), and
// notes and learnt controllers arriving while the user toggles learn.
#include "KeyboardControlFixture.h"

#include "raster/RAST_Rect.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

TEST(KeyboardControlThreaded, DrawsHeldNotesWhileTheKeyboardPlays)
{
  KeyboardEditor k;
  ZephraEditor& editor = *k.t->editor;
  IGraphicsHeadless& gui = *k.t->gui;
  constexpr int kPairs = 2000;
  std::atomic<bool> done{false};
  std::thread midi([&] {
    for (int i = 0; i < kPairs; ++i)
    {
      const auto note = static_cast<uint8_t>(24 + i % 60);
      IMidiMsg on(0, 0x90, note, 0x40), off(0, 0x80, note, 0x00);
      editor.ProcessKeyboardMidiMsg(&on);
      editor.ProcessKeyboardMidiMsg(&off);
    }
    done = true;
  });
  IMouseMod left(true, false);
  int frames = 0;
  for (; !done; ++frames)
  {
    const int x = 319 + 98 * (frames % 5);
    gui.OnMouseDown(x, 788, &left);
    (void)gui.RunFrame();
    gui.OnMouseUp(x, 788, &left);
    (void)gui.RunFrame();
  }
  midi.join();

  EXPECT_EQ(editor.GetHeldNoteCount(), 0);
  EXPECT_EQ(k.t->TakeWire().size(), 6u * kPairs + 6u * frames);  // every on with its off
  // Nothing is held any more: every C shows unlit.
  (void)gui.RunFrame();
  for (int octave = 0; octave < 5; ++octave)
    EXPECT_EQ(RAST_GetPixel(gui.GetScreen(), 323 + 98 * octave, 788) & 0xFFFFFF00u, RAST_RGBA(238, 236, 228, 0));
}

TEST(ZephraKeyboardThreaded, NotesAndControllersWhileLearnToggles)
{
  TempDir dir;
  TestEditor t(dir.Path());
  ZephraEditor& editor = *t.editor;
  // Two controllers learnt as the user learns them: the learn button, a
  // value moved, the controller.
  const auto learn = [&editor](EParam param, double value, uint8_t number) {
    editor.SetParameterFromGUI2(kParamCcLearn, 1);
    editor.SetParameterFromGUI2(param, value);
    IMidiMsg controller(0, 0xB0, number, 0x40);
    editor.ProcessKeyboardMidiMsg(&controller);
  };
  learn(kParamVco1Coarse, 10, 74);
  learn(kParamVco1SawEnvDecay, 20, 75);
  ASSERT_EQ(editor.LearntController(0), 74);
  ASSERT_EQ(editor.LearntController(3), 75);

  constexpr int kPairs = 10000;
  std::atomic<bool> done{false};
  std::thread midi([&] {
    for (int i = 0; i < kPairs; ++i)
    {
      IMidiMsg on(0, 0x90, static_cast<uint8_t>(i % 128), 0x40);
      IMidiMsg controller(0, 0xB0, static_cast<uint8_t>(74 + i % 2), static_cast<uint8_t>(i % 128));
      IMidiMsg off(0, 0x80, static_cast<uint8_t>(i % 128), 0x00);
      editor.ProcessKeyboardMidiMsg(&on);
      editor.ProcessKeyboardMidiMsg(&controller);
      editor.ProcessKeyboardMidiMsg(&off);
    }
    done = true;
  });
  int toggles = 0;
  while (!done)
  {
    editor.SetParameterFromGUI2(kParamCcLearn, ++toggles % 2);
    (void)editor.GetHeldNoteCount();
    (void)editor.IsNoteHeld(toggles % 128);
  }
  midi.join();
  editor.SetParameterFromGUI2(kParamCcLearn, 0);
  EXPECT_EQ(editor.GetHeldNoteCount(), 0);
  EXPECT_FALSE(editor.IsLearnArmed());
  // Armed, a controller is only remembered: the table stays as learnt.
  EXPECT_EQ(editor.LearntController(0), 74);
  EXPECT_EQ(editor.LearntController(3), 75);
}
