// The right button on the editor's own controls, in the running program:
// a quick second right click on a fader is a second press, never the double
// click that sets the control back to its first value; a right click on a
// bound spinner asks for its value.
#include "support/RunningEditor.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace
{
// "VCO3 volume": program value 35, its fader's handle at (481, 416) of the
// GUI while the value is 0; 12 pixels up it is 34, 6 more 51.
constexpr int kVolume = 35;
constexpr int kFaderX = 481, kFaderZeroY = 416;

int SynthValue(RunningEditor& editor, int index)
{
  return editor.Synth().With([index](SynthSimModel& m) { return static_cast<int>(m.edit.values[index]); });
}

#define START_OR_SKIP(editor)                                                                 \
  do                                                                                          \
  {                                                                                           \
    RUNNING_EDITOR_START_OR_SKIP(editor);                                                     \
    /* Start-up has sent the last program whole. */                                           \
    ASSERT_TRUE((editor).HeardAProgram());                                                  \
  } while (false)
}  // namespace

// The fader at 34, then two quick right clicks on its handle: the synth
// hears nothing, and the next drag goes on from 34 (to 51), where a reset
// would have sent 0 and the drag would have ended at 17.
TEST(RightButton, ADoubleRightClickOnAFaderLeavesItsValue)
{
  RunningEditor editor;
  START_OR_SKIP(editor);
  ASSERT_EQ(SynthValue(editor, kVolume), 0);
  editor.DragGui(kFaderX, kFaderZeroY, kFaderX, kFaderZeroY - 12);
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return SynthValue(editor, kVolume) == 34; }, RunningEditor::kBusyLimit))
    << "the drag left " << SynthValue(editor, kVolume);

  editor.ClearHeard();
  const auto [x, y] = editor.GuiPoint(kFaderX, kFaderZeroY - 12);
  editor.MoveTo(x, y);
  ASSERT_TRUE(editor.Xdotool("click --repeat 2 --delay 60 3"));
  editor.DragGui(kFaderX, kFaderZeroY - 12, kFaderX, kFaderZeroY - 18);
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return SynthValue(editor, kVolume) >= 51; }, RunningEditor::kBusyLimit))
    << "after the clicks and the drag the value is " << SynthValue(editor, kVolume);
  EXPECT_EQ(SynthValue(editor, kVolume), 51);
  // Only the drag's changes: values above 34, ending at 51, and the address
  // of "VCO3 volume" (NRPN 5, 35) again only when the editor has let it
  // lapse in the moment since the first drag.
  const std::vector<SimBytes> heard = editor.Heard();
  ASSERT_FALSE(heard.empty());
  EXPECT_EQ(heard.back(), (SimBytes{0xB0, 0x06, 51}));
  for (const SimBytes& message : heard)
  {
    ASSERT_EQ(message.size(), 3u);
    const bool address = message == SimBytes{0xB0, 0x63, 0x05} || message == SimBytes{0xB0, 0x62, 0x23};
    const bool raised = message[0] == 0xB0 && message[1] == 0x06 && message[2] > 34;
    EXPECT_TRUE(address || raised) << int(message[0]) << " " << int(message[1]) << " " << int(message[2]);
  }
}

// The on-screen keyboard's MIDI channel spinner ("MIDI Channel", CH:1 to
// CH:16, at (282, 730, 322, 770) of the GUI) asks for its value on a right
// click: its value has names, so the prompt is the menu of them, one row
// per channel. Choosing the fifth row moves the keyboard to CH:5: a key
// played then reaches the synth with status 0x94 where it had 0x90.
TEST(RightButton, TheChannelSpinnerAsksForItsChannelOnARightClick)
{
  RunningEditor editor;
  START_OR_SKIP(editor);
  // The lowest key, C (note 24), near the bottom of its white key.
  constexpr int kKeyX = 322, kKeyY = 790;
  const auto noteOnsWith = [&](uint8_t status) {
    int count = 0;
    for (const SimBytes& m : editor.Heard()) count += m.size() == 3 && m[0] == status && m[1] == 24 && m[2] > 0;
    return count;
  };
  editor.ClearHeard();
  editor.ClickGui(kKeyX, kKeyY);
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return noteOnsWith(0x90) == 1; }, RunningEditor::kBusyLimit)) << "the key sent no note on CH:1";

  const auto [x, y] = editor.GuiPoint(302, 750);
  editor.Click(x, y, 3);
  std::vector<RunningEditor::Rect> rows;
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return (rows = editor.OpenMenuItems()).size() == 16; }, RunningEditor::kBusyLimit))
    << "the right click opened " << rows.size() << " rows";
  editor.Click(rows[4].CenterX(), rows[4].CenterY());
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor.OpenMenuItems().empty(); }, RunningEditor::kBusyLimit));

  editor.ClearHeard();
  editor.ClickGui(kKeyX, kKeyY);
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return noteOnsWith(0x94) == 1; }, RunningEditor::kBusyLimit)) << "the key sent no note on CH:5";
  EXPECT_EQ(noteOnsWith(0x90), 0);
}
