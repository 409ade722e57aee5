// The firmware update in the running program. Quitting while it runs: the
// synth, which has erased its flash by the time the image goes out, gets
// the whole image or, when the quit came before any of it was sent, none of
// it; never a piece. A fetch or save-all asked for while the synth erases
// is refused, and the update completes.
#include "support/RunningEditor.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <rtmidi/RtMidi.h>

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace
{
// The File menu's items, separators not counted.
constexpr int kFileMenu = 0, kSaveFromZephra = 5, kSaveAllFromZephra = 6, kFirmwareUpdate = 7;
// The largest image the synth takes, and its data message.
constexpr size_t kImageBytes = 80000, kImageMessageBytes = 91441;
// Past this the image should long be through, however busy the machine.
constexpr int kLatestQuitMs = 20000;

#define START_OR_SKIP(editor) RUNNING_EDITOR_START_OR_SKIP(editor)

// The program without its leak check: the toolkit's file chooser, closed
// a moment before the quit, leaves icons it was loading and strings of its
// own unfreed (a different few each time), and the exit code must tell only
// whether the quit went as it should. The other checks stay as they are.
RunningEditorSetup WithoutLeakCheck()
{
  RunningEditorSetup setup;
  const char* asan = std::getenv("ASAN_OPTIONS");
  setup.env = {{"ASAN_OPTIONS", std::string(asan ? asan : "") + ":detect_leaks=0"}};
  return setup;
}

// Start-up has sent the last program whole.
bool StartProgramSent(RunningEditor& editor)
{
  return editor.HeardAProgram();
}

// The largest image, as "update.ldr" in the desktop folder the firmware
// chooser opens in.
std::string WriteImage(RunningEditor& editor)
{
  const std::string desktop = editor.Home() + "/Desktop/";
  ::mkdir(desktop.c_str(), 0755);
  std::string image(kImageBytes, '\0');
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<char>(i * 7 + 3);
  WriteWholeFile(desktop + "update.ldr", image);
  return image;
}

// Chooses the file name in the firmware chooser, opened from the File menu
// in the desktop folder, and notes the moment the chooser has gone with it
// (the update starts as it closes); false when the chooser never came or
// never went.
bool ConfirmFirmwareFile(RunningEditor& editor, const std::string& name,
                         std::chrono::steady_clock::time_point& confirmed)
{
  if (!editor.ChooseMenu(kFileMenu, kFirmwareUpdate)) return false;
  const auto chooserUp = [&] {
    const std::vector<unsigned long> others = editor.OtherWindows();
    return !others.empty() && editor.WindowRect(others.back()).w >= 600 &&
           editor.WindowRect(others.back()).h >= 500;
  };
  if (!RunningEditor::WaitUntil(chooserUp, RunningEditor::kBusyLimit)) return false;
  if (!editor.EnterInChooser(name)) return false;
  const bool gone = RunningEditor::WaitUntil([&] { return editor.OtherWindows().empty(); }, RunningEditor::kBusyLimit);
  confirmed = std::chrono::steady_clock::now();
  return gone;
}

// A SysEx the program's output began and never ended waits, unseen, in the
// synth's input until an F7 arrives. Once the program is gone, another
// client sends a lone F7 to the synth's input: it arrives alone, or ends
// (and so shows) that piece. True once the synth has heard it.
bool FlushSynthInput(RunningEditor& editor)
{
  RtMidiOut flusher(RtMidi::UNIX_JACK, "Zephra Test Flusher");
  for (unsigned i = 0; i < flusher.getPortCount(); ++i)
  {
    if (flusher.getPortName(i).find(SynthSim::kOwnInputName) == std::string::npos) continue;
    flusher.openPort(i, "Out");
    const size_t before = editor.Heard().size();
    // A connection just made may miss its first cycles: sent until heard.
    return RunningEditor::WaitUntil([&] {
      const std::vector<unsigned char> end = {0xF7};
      flusher.sendMessage(&end);
      return editor.Heard().size() > before;
    }, RunningEditor::kBusyLimit);
  }
  return false;
}
}  // namespace

// The quit at every moment of the update, from the file's confirmation to
// the image's last piece and after (on a quiet machine the synth has the
// whole image a few hundred milliseconds after the confirmation).
TEST(FirmwareQuit, TheSynthGetsTheWholeImageOrNone)
{
  int whole = 0, none = 0;
  // Every 50 ms up to 700 ms, and on where a busy machine has not finished
  // the image by then, until a quit finds it whole.
  for (int delayMs = 0; delayMs <= 700 || (whole == 0 && delayMs <= kLatestQuitMs);
       delayMs += delayMs < 700 ? 50 : 250)
  {
    SCOPED_TRACE("quit " + std::to_string(delayMs) + " ms after the confirmation");
    RunningEditor editor(WithoutLeakCheck());
    START_OR_SKIP(editor);
    ASSERT_TRUE(StartProgramSent(editor));
    (void)WriteImage(editor);
    editor.ClearHeard();
    std::chrono::steady_clock::time_point confirmed;
    ASSERT_TRUE(ConfirmFirmwareFile(editor, "update.ldr", confirmed));
    // The moment of the quit is what this case is about, not a wait for
    // something to happen.
    std::this_thread::sleep_until(confirmed + std::chrono::milliseconds(delayMs));
    ASSERT_EQ(editor.Stop(SIGTERM, RunningEditor::kBusyLimit), 0);
    ASSERT_TRUE(FlushSynthInput(editor)) << "the synth's input could not be reached";
    const std::vector<SimBytes> heard = editor.Heard();
    ASSERT_FALSE(heard.empty());
    // The flush arrived on its own: nothing unfinished stood before it.
    EXPECT_EQ(heard.back(), SimBytes{0xF7}) << "a piece of " << heard.back().size() << " bytes";
    int images = 0;
    for (const SimBytes& m : heard)
    {
      if (m.size() < 6 || m[0] != 0xF0 || m[5] != 0x13) continue;
      ++images;
      EXPECT_EQ(m.size(), kImageMessageBytes);
    }
    EXPECT_LE(images, 1);
    if (images == 1) ++whole;
    if (images == 0) ++none;
  }
  // The moments spanned the update: the last quits found the image whole.
  EXPECT_GT(whole, 0);
  std::printf("quits with the whole image: %d, with none: %d\n", whole, none);
}

// The synth erasing its flash answers nothing (the test sends its "erasing"
// and, later, "ready"). A single fetch (the location chooser's OK) and save
// all asked for meanwhile are refused with the busy word on the name
// display: sent, their requests would time out, and the time-out would end
// the update. Once the synth is ready the image goes out whole.
TEST(FirmwareUpdate, FetchAndSaveAllWhileTheSynthErasesAreRefused)
{
  RunningEditor editor(WithoutLeakCheck());
  START_OR_SKIP(editor);
  ASSERT_TRUE(StartProgramSent(editor));
  const std::string image = WriteImage(editor);
  editor.Synth().With([](SynthSimModel& m) { return m.silent = true; });
  const RunningEditor::Rect name = editor.NameDisplay();
  // Waits for the name display to change from shown and answers what it shows then.
  const auto changed = [&](const std::vector<uint32_t>& shown) {
    std::vector<uint32_t> now;
    EXPECT_TRUE(RunningEditor::WaitUntil([&] { return (now = editor.Grab(name)) != shown; }));
    return now;
  };
  const auto heard = [&](const SimBytes& start) {
    const std::vector<SimBytes> all = editor.Heard();
    return std::any_of(all.begin(), all.end(), [&](const SimBytes& m) {
      return m.size() >= start.size() && std::equal(start.begin(), start.end(), m.begin());
    });
  };
  const std::vector<uint32_t> program = editor.Grab(name);
  std::chrono::steady_clock::time_point confirmed;
  ASSERT_TRUE(ConfirmFirmwareFile(editor, "update.ldr", confirmed));
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return heard({0xF0, 0x00, 0x3E, 0x5A, 0x02, 0x10}); }));
  const std::vector<uint32_t> connecting = changed(program);
  ASSERT_TRUE(editor.Synth().SendRaw({0xF0, 0x00, 0x3E, 0x5A, 0x02, 0x11, 0xF7}));
  const std::vector<uint32_t> erasing = changed(connecting);

  const auto [okX, okY] = editor.GuiPoint(524 + 38, 404 + 20);
  const uint32_t okBefore = editor.Pixel(okX, okY);
  ASSERT_TRUE(editor.ChooseMenu(kFileMenu, kSaveFromZephra));
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor.Pixel(okX, okY) != okBefore; })) << "no location chooser";
  editor.Click(okX, okY);
  const std::vector<uint32_t> busy = changed(erasing);
  ASSERT_TRUE(editor.ChooseMenu(kFileMenu, kSaveAllFromZephra));
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return !editor.OtherWindows().empty(); })) << "no folder chooser";
  editor.Key("Escape");
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor.OtherWindows().empty(); }));
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return editor.Grab(name) == busy; }));
  // Past the reply watchdog's three seconds: no request went out, nothing timed out.
  EXPECT_FALSE(RunningEditor::WaitUntil(
    [&] { return heard({0xF0, 0x00, 0x3E, 0x5A, 0x03, 0x40}) || !editor.Alerts().empty(); }, 5));
  (void)editor.SavePicture("e2e-firmware-busy", name);

  editor.Synth().With([](SynthSimModel& m) { return m.silent = false; });
  ASSERT_TRUE(editor.Synth().SendRaw({0xF0, 0x00, 0x3E, 0x5A, 0x02, 0x12, 0xF7}));
  EXPECT_TRUE(RunningEditor::WaitUntil([&] {
    return editor.Synth().With([](SynthSimModel& m) { return m.firmware; }) == SimBytes(image.begin(), image.end());
  })) << "the update did not complete";
  (void)changed(busy);  // "Update successful!"
  EXPECT_EQ(editor.Stop(SIGTERM), 0);
}
