// The keyboard's MIDI thread and the GUI thread at once: notes and learnt
// controllers arrive while the user arms and disarms learn and the
// on-screen keyboard reads the held notes.
#include "ZephraTestEditor.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

TEST(ZephraKeyboardThreaded, NotesAndControllersWhileLearnToggles)
{
  TempDir dir;
  WriteWholeFile(dir.File("midilearn.ini"), "0=74:10\n3=75:20\n");
  TestEditor t(dir.Path());
  ZephraEditor& editor = *t.editor;

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
  // Armed, a controller is only remembered: the table stays as loaded.
  EXPECT_EQ(editor.LearntController(0), 74);
  EXPECT_EQ(editor.LearntController(3), 75);
}
