// The synth link in the running program: a synth switched off and on again
// after an edit gets the editor's sound back, and a bank fetch keeps its
// pace while a controller keyboard plays, every message of which still
// reaches the synth.
#include "support/RunningEditor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;

// "VCO3 volume": program value 35, its fader's handle at (481, 416) of the
// GUI when the value is 0; 12 pixels up is 34.
constexpr int kVolume = 35;
constexpr int kFaderX = 481, kFaderZeroY = 416;
// The program manager's FROM ZEPHRA button.
constexpr int kFromSynthButton[2] = {436, 75};

int SynthValue(RunningEditor& editor, int index)
{
  return editor.Synth().With([index](SynthSimModel& m) { return static_cast<int>(m.edit.values[index]); });
}

// Message i of a keyboard playing chords of three notes, with bend,
// aftertouch and clock between them.
SimBytes KeyboardMessage(int i)
{
  const uint8_t note = static_cast<uint8_t>(48 + i % 10 + i / 10 % 24), amount = static_cast<uint8_t>(i % 128);
  switch (i % 10)
  {
    case 0: case 1: case 2: return {0x90, note, 100};
    case 5: case 6: case 7: return {0x80, static_cast<uint8_t>(note - 5), 0};
    case 3: return {0xE0, 0, amount};
    case 8: return {0xD0, amount};
    default: return {0xF8};
  }
}

int YesButton(const RunningEditor::Alert& box)
{
  return static_cast<int>(std::find(box.buttons.begin(), box.buttons.end(), "Yes") - box.buttons.begin());
}

bool FromKeyboard(const SimBytes& m)
{
  const uint8_t kind = m.empty() ? 0 : (m[0] == 0xF8 ? 0xF8 : m[0] & 0xF0);
  return kind == 0x80 || kind == 0x90 || kind == 0xD0 || kind == 0xE0 || kind == 0xF8;
}
}  // namespace

TEST(SynthLink, ASynthSwitchedOffAndOnAfterAnEditGetsTheEditorsSound)
{
  RunningEditor editor;
  RUNNING_EDITOR_START_OR_SKIP(editor);
  ASSERT_TRUE(editor.HeardAProgram());
  editor.DragGui(kFaderX, kFaderZeroY, kFaderX, kFaderZeroY - 12);
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return SynthValue(editor, kVolume) == 34; }));
  std::string error;
  ASSERT_TRUE(editor.SwitchSynthOffAndOn(error)) << error;
  EXPECT_TRUE(editor.HeardAProgram()) << "the synth that came back got no program";
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return SynthValue(editor, kVolume) == 34; }))
    << "the synth holds " << SynthValue(editor, kVolume);
  EXPECT_EQ(editor.Stop(SIGTERM), 0);
}

// FROM ZEPHRA with the keyboard quiet, then with it playing 150 messages a
// second; each timed from the synth's first request to the 99th file.
TEST(SynthLink, ABankFetchKeepsItsPaceWhileAKeyboardPlays)
{
  RunningEditorSetup setup;
  setup.keyboard = true;
  setup.settings = "[gui]\nmanager=true\n\n[midi]\ninBdev={keyboard}\nindev={synth-in}\noutdev={synth-out}\n";
  RunningEditor editor(setup);
  RUNNING_EDITOR_START_OR_SKIP(editor);
  ASSERT_TRUE(editor.HeardAProgram());
  ASSERT_TRUE(editor.PassThrough({0xF8})) << "the keyboard does not reach the synth";
  const std::string cache = editor.SettingsFolder() + "cache/";
  const auto files = [&] {
    std::error_code ignored;
    const auto all = std::filesystem::directory_iterator(cache, ignored);
    return std::count_if(begin(all), end(all), [](const auto& e) { return e.path().extension() == ".pr3"; });
  };
  const SimBytes firstRequest = {0xF0, 0x00, 0x3E, 0x5A, 0x03, 0x40, 0x03, 0x01, 0xF7};
  // Seconds the fetch took; a second fetch first confirms that the bank it
  // holds goes.
  const auto fetch = [&](bool confirm) {
    editor.ClickGui(kFromSynthButton[0], kFromSynthButton[1]);
    RunningEditor::Alert box;
    if (confirm && !(editor.WaitForAlert(box) && editor.Answer(box, YesButton(box)))) return -1.0;
    if (!RunningEditor::WaitUntil([&] {
          const std::vector<SimBytes> heard = editor.Heard();
          return std::find(heard.begin(), heard.end(), firstRequest) != heard.end();
        }))
      return -1.0;
    const Clock::time_point asked = Clock::now();
    if (!RunningEditor::WaitUntil([&] { return files() == 99; })) return -1.0;
    const double took = std::chrono::duration<double>(Clock::now() - asked).count();
    return editor.WaitForAlert(box) && box.text == "Finished successfully!" && editor.Answer(box, 0) &&
               RunningEditor::WaitUntil([&] { return editor.Alerts().empty(); })
             ? took
             : -1.0;
  };
  editor.ClearHeard();
  const double quiet = fetch(false);
  ASSERT_GT(quiet, 0);

  editor.ClearHeard();
  std::atomic<bool> playing{true};
  std::vector<SimBytes> played;
  std::thread keyboard([&] {
    const Clock::time_point start = Clock::now();
    for (int i = 0; playing; ++i)
    {
      std::this_thread::sleep_until(start + i * std::chrono::microseconds(1000000 / 150));
      if (editor.Keyboard().SendRaw(KeyboardMessage(i))) played.push_back(KeyboardMessage(i));
    }
  });
  const double busy = fetch(true);
  playing = false;
  keyboard.join();
  std::printf("FROM ZEPHRA: %.2f s quiet, %.2f s with the keyboard playing\n", quiet, busy);
  ASSERT_GT(busy, 0);
  EXPECT_LE(busy, 1.5 * quiet);
  std::vector<SimBytes> heard;
  EXPECT_TRUE(RunningEditor::WaitUntil([&] {
    heard = editor.Heard();
    heard.erase(std::remove_if(heard.begin(), heard.end(), [](const SimBytes& m) { return !FromKeyboard(m); }),
                heard.end());
    return heard.size() >= played.size();
  }));
  EXPECT_EQ(heard, played);
  EXPECT_EQ(editor.Stop(SIGTERM), 0);
}
