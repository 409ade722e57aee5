// The on-screen keyboard drawn and played on the GUI thread while the
// controller keyboard's thread plays notes and marks it dirty with the
// plug-in mutex held: the drawing must never wait for that mutex.
#include "KeyboardControlFixture.h"

#include "raster/RAST_Rect.h"

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
      IMidiMsg on(0, 0x90, static_cast<uint8_t>(24 + i % 60), 0x40);
      IMidiMsg off(0, 0x80, static_cast<uint8_t>(24 + i % 60), 0x00);
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
    gui.OnMouseDown(x, 782, &left);
    (void)gui.RunFrame();
    gui.OnMouseUp(x, 782, &left);
    (void)gui.RunFrame();
  }
  midi.join();

  EXPECT_EQ(editor.GetHeldNoteCount(), 0);
  EXPECT_EQ(k.t->TakeWire().size(), 6u * kPairs + 6u * frames);  // every on with its off
  // Nothing is held any more: every C shows unlit.
  (void)gui.RunFrame();
  for (int octave = 0; octave < 5; ++octave)
    EXPECT_EQ(RAST_GetPixel(gui.GetScreen(), 323 + 98 * octave, 780) & 0xFFFFFF00u, RAST_RGBA(238, 236, 228, 0));
}
