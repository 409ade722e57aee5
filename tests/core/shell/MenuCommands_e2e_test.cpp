// The menu bar's commands in the running program, chosen with the pointer:
// undo after a fader drag, the sizes and looks of the View menu (a FLEXI
// range pair keeps its place in both panel views), the program manager
// shown and put away, and the Help items that cannot open what they name,
// each telling the user so; the Preferences' lists show every port's name
// whole.
#include "support/RunningEditor.h"

#include "support/TempDir.h"
#include "tests/synth/support/ZephraTestPrograms.h"

#include <gtest/gtest.h>
#include <rtmidi/RtMidi.h>

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace
{
// The menus and their items as the pointer counts them (no separators).
constexpr int kFile = 0, kEdit = 1, kView = 2, kProgram = 3, kHelp = 4;
constexpr int kSaveFromZephra = 5;
constexpr int kTenForward = 2, kTenBack = 3;
constexpr int kUndo = 0;
constexpr int kSize200 = 7, kWholePanel = 8, kCompactPanel = 9, kLookLcd = 12, kProgramManager = 13;
constexpr int kUserGuide = 0, kProgramDatabase = 1;
constexpr int kFirmwareUpdate = 7, kPreferences = 9;
// "VCO3 volume": program value 35, its fader's handle at (481, 416) of the
// GUI when the value is 0.
constexpr int kVolume = 35;

#define START_OR_SKIP(editor) RUNNING_EDITOR_START_OR_SKIP(editor)

// Start-up has sent the last program whole.
void WaitForStartProgram(RunningEditor& editor)
{
  ASSERT_TRUE(editor.HeardAProgram());
}

int SynthValue(RunningEditor& editor, int index)
{
  return editor.Synth().With([index](SynthSimModel& m) { return static_cast<int>(m.edit.values[index]); });
}

RunningEditor::Rect GuiPart(RunningEditor& editor, int gx, int gy, int w, int h)
{
  const auto [x, y] = editor.GuiPoint(gx, gy);
  return {x, y, w, h};
}

TEST(MenuCommands, UndoByMenuAndByCtrlZTakesAFaderDragBack)
{
  RunningEditor editor;
  START_OR_SKIP(editor);
  WaitForStartProgram(editor);
  const int before = SynthValue(editor, kVolume);
  const RunningEditor::Rect fader = GuiPart(editor, 440, 380, 70, 120);
  const std::vector<uint32_t> shown = editor.Grab(fader);
  editor.DragGui(481, 416, 481, 392);
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return SynthValue(editor, kVolume) != before; }, RunningEditor::kBusyLimit))
    << "the drag changed nothing";
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return editor.Grab(fader) != shown; }, RunningEditor::kBusyLimit));

  ASSERT_TRUE(editor.ChooseMenu(kEdit, kUndo));
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return SynthValue(editor, kVolume) == before; }, RunningEditor::kBusyLimit))
    << SynthValue(editor, kVolume) << " instead of " << before;
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return editor.Grab(fader) == shown; }, RunningEditor::kBusyLimit));
  editor.SavePicture("e2e-undo", editor.MainRect());

  // The same with the item's key, Ctrl+Z.
  editor.DragGui(481, 416, 481, 392);
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return SynthValue(editor, kVolume) != before; }, RunningEditor::kBusyLimit));
  editor.Key("ctrl+z");
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return SynthValue(editor, kVolume) == before; }, RunningEditor::kBusyLimit))
    << SynthValue(editor, kVolume) << " instead of " << before;
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return editor.Grab(fader) == shown; }, RunningEditor::kBusyLimit));
  EXPECT_EQ(editor.Stop(SIGTERM), 0);
}

TEST(MenuCommands, ViewLcdLookAndSize)
{
  RunningEditorSetup setup;
  setup.settings = "[gui]\nguiscale=1.0\nbackground=space\n";
  RunningEditor editor(setup);
  START_OR_SKIP(editor);
  WaitForStartProgram(editor);
  const int menuBar = editor.MainRect().h - 800;
  const std::vector<uint32_t> before = editor.Grab(editor.GuiRect());
  ASSERT_TRUE(editor.ChooseMenu(kView, kLookLcd));
  RunningEditor::Alert alert;
  ASSERT_TRUE(editor.WaitForAlert(alert));
  EXPECT_EQ(alert.title, "Warning");
  EXPECT_EQ(alert.text, "You need to restart the application\nto apply the changes to the user interface!");
  EXPECT_NE(editor.SettingsText().find("background=lcd"), std::string::npos) << editor.SettingsText();
  EXPECT_TRUE(editor.Answer(alert, 0));
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor.Alerts().empty() && editor.OtherWindows().empty(); }, RunningEditor::kBusyLimit));

  // The menu bar answers again once the box's modal run has ended.
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor.ChooseMenu(kView, kSize200); }, RunningEditor::kBusyLimit));
  // The scale is stored at once; the GUI is then drawn at twice its size
  // (its bitmaps made anew, which takes a while), and the menu is gone.
  EXPECT_TRUE(RunningEditor::WaitUntil(
      [&] { return editor.SettingsText().find("guiscale=2.000000000000000") != std::string::npos; }, 60))
    << editor.SettingsText();
  // Waited for as such: the pixels under the menu may have changed before
  // any picture of them could be taken.
  EXPECT_TRUE(RunningEditor::WaitUntil(
    [&] { return editor.OtherWindows().empty() && editor.MainRect().w == 2280 && editor.Grab(editor.GuiRect()) != before; },
    RunningEditor::kBusyLimit));
  // The window follows the GUI: twice its width, the menu bar above.
  EXPECT_EQ(editor.MainRect().w, 2280);
  EXPECT_EQ(editor.MainRect().h, 1600 + menuBar);
  editor.SavePicture("e2e-view-200", editor.MainRect());

  EXPECT_EQ(editor.Stop(SIGTERM), 0);
}

// The compact panel shows the top-left 1024 x 400 of the GUI in a window of
// that size; the whole panel brings back all of it.
TEST(MenuCommands, CompactAndWholePanel)
{
  RunningEditor editor;
  START_OR_SKIP(editor);
  WaitForStartProgram(editor);
  const RunningEditor::Rect whole = editor.MainRect();
  ASSERT_EQ(whole.w, 1140);
  const int menuBar = whole.h - 800;
  ASSERT_TRUE(editor.ChooseMenu(kView, kCompactPanel));
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return editor.MainRect().w == 1024; }, RunningEditor::kBusyLimit));
  EXPECT_EQ(editor.MainRect().h, 400 + menuBar);
  editor.SavePicture("e2e-view-compact", editor.MainRect());
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor.ChooseMenu(kView, kWholePanel); }, RunningEditor::kBusyLimit));
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return editor.MainRect().w == 1140; }, RunningEditor::kBusyLimit));
  EXPECT_EQ(editor.MainRect().h, whole.h);
  EXPECT_EQ(editor.Stop(SIGTERM), 0);
}

// At a stored scale the compact panel is the whole one's top-left 1024 x
// 400 times the scale, the very pixels the whole panel shows there (no
// strip beside them), and the whole panel 1140 x 800 times the scale.
TEST(MenuCommands, CompactAndWholePanelAtTheStoredScale)
{
  const struct { const char* stored; int compactW, compactH, wholeW, wholeH; } kCases[] = {
    {"0.8", 819, 320, 912, 640}, {"0.7", 716, 280, 798, 560}};
  for (const auto& c : kCases)
  {
    SCOPED_TRACE(c.stored);
    RunningEditorSetup setup;
    setup.settings = std::string("[gui]\nguiscale=") + c.stored + "\n";
    RunningEditor editor(setup);
    START_OR_SKIP(editor);
    ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor.MainRect().w == c.wholeW; }));
    const RunningEditor::Rect whole = editor.MainRect();
    const int menuBar = whole.h - c.wholeH;
    const RunningEditor::Rect top{whole.x, whole.y + menuBar, c.compactW, c.compactH - 20};  // short of the handle
    const std::vector<uint32_t> shown = editor.Grab(top);
    ASSERT_TRUE(editor.ChooseMenu(kView, kCompactPanel));
    EXPECT_TRUE(RunningEditor::WaitUntil([&] {
      const RunningEditor::Rect r = editor.MainRect();
      return r.w == c.compactW && r.h == c.compactH + menuBar && editor.Grab(top) == shown;
    })) << editor.MainRect().w << "x" << editor.MainRect().h;
    ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor.ChooseMenu(kView, kWholePanel); }));
    EXPECT_TRUE(RunningEditor::WaitUntil([&] { return editor.MainRect().w == c.wholeW; })) << editor.MainRect().w;
    EXPECT_EQ(editor.MainRect().h, whole.h);
    EXPECT_EQ(editor.Stop(SIGTERM), 0);
  }
}

// A FLEXI range learnt on VCO2 fine puts the slot's range pair where the
// fader was; the compact panel, which only cuts the whole one, shows the
// pair on the very same pixels.
void ExpectPairOverTheFaderInBothViews(bool windowManager)
{
  RunningEditorSetup setup;
  setup.windowManager = windowManager;
  RunningEditor editor(setup);
  START_OR_SKIP(editor);
  WaitForStartProgram(editor);
  const RunningEditor::Rect fader = GuiPart(editor, 60, 225, 45, 60);
  const std::vector<uint32_t> unlearnt = editor.Grab(fader);
  editor.ClickGui(584, 60);  // FLEXI1's LEARN
  editor.DragGui(81, 258, 81, 240);
  // The learn gives the slot its first source, "VCO2 fine" its pair; the
  // picture is taken once two grabs in a row agree.
  std::vector<uint32_t> learnt = unlearnt;
  ASSERT_TRUE(RunningEditor::WaitUntil(
      [&] {
        const std::vector<uint32_t> now = editor.Grab(fader);
        const bool settled = now == learnt && now != unlearnt;
        learnt = now;
        return settled;
      },
      RunningEditor::kBusyLimit))
    << "no pair over the fader";
  editor.SavePicture("e2e-whole-flexi-pair", fader);
  ASSERT_TRUE(editor.ChooseMenu(kView, kCompactPanel));
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor.MainRect().w == 1024; }, RunningEditor::kBusyLimit));
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return editor.Grab(fader) == learnt; }, RunningEditor::kBusyLimit))
    << "the pair stands elsewhere in the compact panel";
  editor.SavePicture("e2e-compact-flexi-pair", fader);
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor.ChooseMenu(kView, kWholePanel); }, RunningEditor::kBusyLimit));
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor.MainRect().w == 1140; }, RunningEditor::kBusyLimit));
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return editor.Grab(fader) == learnt; }, RunningEditor::kBusyLimit));
  EXPECT_EQ(editor.Stop(SIGTERM), 0);
}

TEST(MenuCommands, CompactPanelKeepsTheFlexiRangePairOverItsFader)
{
  ExpectPairOverTheFaderInBothViews(false);
}

TEST(MenuCommands, CompactPanelKeepsTheFlexiRangePairOverItsFaderUnderAWindowManager)
{
  ExpectPairOverTheFaderInBothViews(true);
}

TEST(MenuCommands, ProgramManagerShownAndPutAwaySendsTheCurrentProgram)
{
  // The last program is the middle one of a folder of three.
  TempDir programs;
  for (const char* name : {"01_A.pr3", "02_B.pr3", "03_C.pr3"})
    WriteWholeFile(programs.File(name), MarkerText(kDefaultValues));
  RunningEditorSetup setup;
  setup.settings = "[gui]\nguiscale=1.0\nbackground=space\nmanager=false\n[program]\nlastfile=" +
                   programs.File("02_B.pr3") + "\n";
  RunningEditor editor(setup);
  START_OR_SKIP(editor);
  WaitForStartProgram(editor);
  const std::vector<uint32_t> panels = editor.Grab(editor.GuiRect());

  ASSERT_TRUE(editor.ChooseMenu(kView, kProgramManager));
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor.Grab(editor.GuiRect()) != panels; }, RunningEditor::kBusyLimit))
    << "no overlay";
  editor.SavePicture("e2e-manager-on", editor.MainRect());
  const std::vector<uint32_t> overlay = editor.Grab(editor.GuiRect());

  editor.ClearHeard();
  ASSERT_TRUE(editor.ChooseMenu(kView, kProgramManager));
  EXPECT_TRUE(editor.HeardAProgram())
    << editor.Heard().size();
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return editor.Grab(editor.GuiRect()) != overlay; }, RunningEditor::kBusyLimit));
  editor.SavePicture("e2e-manager-off", editor.MainRect());
  EXPECT_EQ(editor.Stop(SIGTERM), 0);
  EXPECT_NE(editor.SettingsText().find("manager=false"), std::string::npos) << editor.SettingsText();
}

TEST(MenuCommands, HelpItemsThatCannotOpenSaySo)
{
  // An opener that finds no program for anything, as on a desktop without
  // a PDF viewer.
  TempDir bin;
  WriteWholeFile(bin.File("xdg-open"), "#!/bin/sh\nexit 3\n");
  chmod(bin.File("xdg-open").c_str(), 0755);
  RunningEditorSetup setup;
  setup.env.push_back({"PATH", bin.Path() + ":" + std::string(std::getenv("PATH") ? std::getenv("PATH") : "")});
  RunningEditor editor(setup);
  START_OR_SKIP(editor);
  WaitForStartProgram(editor);

  const struct Case
  {
    int item;
    std::string text;  // the start of the message
  } kCases[] = {
      {kProgramDatabase, "No program-database server is set.\nName one as server= in the [dbase] section"},
      {kUserGuide, "No program on this computer could open\n"},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.item);
    ASSERT_TRUE(editor.ChooseMenu(kHelp, c.item));
    RunningEditor::Alert alert;
    ASSERT_TRUE(editor.WaitForAlert(alert));
    EXPECT_EQ(alert.title, "Error");
    EXPECT_EQ(alert.text.substr(0, c.text.size()), c.text);
    EXPECT_TRUE(editor.Answer(alert, 0));
    EXPECT_TRUE(RunningEditor::WaitUntil([&] { return editor.Alerts().empty(); }, RunningEditor::kBusyLimit));
  }
  EXPECT_EQ(editor.Stop(SIGTERM), 0);
}

TEST(MenuCommands, PreferencesPicture)
{
  RunningEditor editor;
  START_OR_SKIP(editor);
  WaitForStartProgram(editor);
  ASSERT_TRUE(editor.ChooseMenu(kFile, kPreferences));
  std::vector<unsigned long> windows;
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return !(windows = editor.OtherWindows()).empty(); }, RunningEditor::kBusyLimit));
  // Mapped is not yet drawn: the window is black until the dialog paints
  // its light face over most of it.
  const auto painted = [&] {
    const std::vector<uint32_t> pixels = editor.Grab(editor.WindowRect(windows.back()));
    const auto light = std::count_if(pixels.begin(), pixels.end(), [](uint32_t p) {
      return ((p >> 16) & 255) * 3 + ((p >> 8) & 255) * 6 + (p & 255) >= 1100;
    });
    return !pixels.empty() && static_cast<size_t>(light) * 2 > pixels.size();
  };
  ASSERT_TRUE(RunningEditor::WaitUntil(painted, RunningEditor::kBusyLimit)) << "the dialog never drew";
  const RunningEditor::Rect dialog = editor.WindowRect(windows.back());
  // The dialog grew from its 320 units to show its labels whole.
  EXPECT_GT(dialog.w, 320);
  EXPECT_TRUE(editor.SavePicture("e2e-preferences", dialog));
  // Each list's selected text lies inside its box, with room above and
  // below: its frame (x, y, w of the dialog's units, widened with the
  // dialog; 18 pixels high), the text's dark pixels over its left half.
  const double widen = dialog.w / 320.0;
  const struct
  {
    int x, y, w;
  } kLists[] = {{20, 43, 150}, {180, 43, 120}, {20, 88, 150}};
  for (const auto& list : kLists)
  {
    SCOPED_TRACE(list.x * 1000 + list.y);
    const RunningEditor::Rect box{dialog.x + static_cast<int>(list.x * widen) + 4, dialog.y + list.y,
                                  static_cast<int>(list.w * widen / 2), 18};
    const std::vector<uint32_t> pixels = editor.Grab(box);
    int top = -1, bottom = -1;
    for (int y = 0; y < box.h; ++y)
      for (int x = 0; x < box.w; ++x)
      {
        const uint32_t p = pixels[static_cast<size_t>(y * box.w + x)];
        if (((p >> 16) & 255) * 3 + ((p >> 8) & 255) * 6 + (p & 255) >= 1100) continue;
        if (top < 0) top = y;
        bottom = y;
      }
    ASSERT_GE(top, 0) << "no text";
    // Clear of the frame's rows, and as tall as a line of the 10-point
    // font ("off" inks 7 rows; a text pushed below the box shows only the
    // 2 to 4 rows of its tops).
    EXPECT_GT(top, 1);
    EXPECT_LT(bottom, box.h - 1);
    EXPECT_GE(bottom - top + 1, 7);
  }
  editor.Key("Escape");
  EXPECT_EQ(editor.Stop(SIGTERM), 0);
}

// The dialog's frame on the screen, once shown.
RunningEditor::Rect OpenPreferences(RunningEditor& editor)
{
  std::vector<unsigned long> windows;
  if (!editor.ChooseMenu(kFile, kPreferences)) return {};
  if (!RunningEditor::WaitUntil([&] { return !(windows = editor.OtherWindows()).empty(); }, RunningEditor::kBusyLimit)) return {};
  // Without a window manager the program itself gives its dialog the keyboard.
  const std::string id = std::to_string(windows.back());
  RunningEditor::WaitUntil([&] { return editor.XdotoolOutput("getwindowfocus").find(id) != std::string::npos; }, RunningEditor::kBusyLimit);
  return editor.WindowRect(windows.back());
}

// The pixels of a list box of the dialog (resource units x, y, w; 18 high).
std::vector<uint32_t> ListPixels(RunningEditor& editor, const RunningEditor::Rect& dialog, int x, int y, int w)
{
  const double widen = dialog.w / 320.0;
  return editor.Grab({dialog.x + static_cast<int>(x * widen), dialog.y + y, static_cast<int>(w * widen), 18});
}

// Whether the window at r shows the same picture over a run of reads (half
// a second at the least): the program has drawn all it had to draw there.
bool DrawnStill(RunningEditor& editor, const RunningEditor::Rect& r)
{
  std::vector<uint32_t> last = editor.Grab(r);
  auto since = std::chrono::steady_clock::now();
  return RunningEditor::WaitUntil([&] {
    std::vector<uint32_t> now = editor.Grab(r);
    if (now.empty() || now != last)
    {
      last = std::move(now);
      since = std::chrono::steady_clock::now();
      return false;
    }
    return std::chrono::steady_clock::now() - since >= std::chrono::milliseconds(500);
  }, 20);
}

// The firmware chooser opens from the File menu only: its window's name says
// what it is for; Escape closes it with nothing sent to the synth.
TEST(MenuCommands, FirmwareUpdateOpensAChooserNamedForIt)
{
  RunningEditor editor;
  START_OR_SKIP(editor);
  WaitForStartProgram(editor);
  // The chooser starts in the desktop folder: a firmware file in either
  // letter case and a file of another kind, for the picture left behind.
  const std::string desktop = editor.Home() + "/Desktop/";
  ::mkdir(desktop.c_str(), 0755);
  for (const char* file : {"update.ldr", "OLD.LDR", "notes.txt"}) WriteWholeFile(desktop + file, "x");
  const size_t heard = editor.Heard().size();
  ASSERT_TRUE(editor.ChooseMenu(kFile, kFirmwareUpdate));
  std::string name;
  unsigned long chooser = 0;
  EXPECT_TRUE(RunningEditor::WaitUntil([&] {
    const std::vector<unsigned long> windows = editor.OtherWindows();
    if (windows.empty()) return false;
    chooser = windows.back();
    name = editor.XdotoolOutput("getwindowname " + std::to_string(chooser));
    return !name.empty();
  }, RunningEditor::kBusyLimit));
  EXPECT_EQ(name, "Firmware update\n");
  EXPECT_TRUE(DrawnStill(editor, editor.WindowRect(chooser)));
  editor.SavePicture("e2e-firmware-chooser", editor.WindowRect(chooser));
  editor.Key("Escape");
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor.OtherWindows().empty(); }, 20));
  EXPECT_EQ(editor.Heard().size(), heard);
  EXPECT_EQ(editor.Stop(SIGTERM), 0);
}

// "Save Program from Zephra to File": the location chooser's OK requests
// the program, and the chooser that saves it is named for the menu item.
void ExpectSaveFromZephraChooserNamedForIt(bool windowManager)
{
  RunningEditorSetup setup;
  setup.windowManager = windowManager;
  RunningEditor editor(setup);
  START_OR_SKIP(editor);
  WaitForStartProgram(editor);
  // The location chooser's OK, under its number (location 1), clicked once
  // the chooser shows.
  const RunningEditor::Rect ok = GuiPart(editor, 524, 404, 76, 40);
  const std::vector<uint32_t> without = editor.Grab(ok);
  ASSERT_TRUE(editor.ChooseMenu(kFile, kSaveFromZephra));
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor.Grab(ok) != without; })) << "no location chooser";
  editor.ClearHeard();
  editor.Click(ok.CenterX(), ok.CenterY());
  // A chooser shows, and a window of the display bears the item's name (a
  // window manager's frame around the chooser bears none).
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return !editor.OtherWindows().empty(); })) << "no chooser";
  std::string found;
  EXPECT_TRUE(RunningEditor::WaitUntil([&] {
    found = editor.XdotoolOutput("search --onlyvisible --name '^Save Program from Zephra to File$'");
    return !found.empty();
  })) << "no window named for the item";
  if (!found.empty())
  {
    EXPECT_EQ(editor.XdotoolOutput("getwindowname " + found.substr(0, found.find('\n'))),
              "Save Program from Zephra to File\n");
  }
  // The synth was asked for location 1's program.
  const std::vector<SimBytes> heard = editor.Heard();
  EXPECT_TRUE(std::any_of(heard.begin(), heard.end(), [](const SimBytes& b) { return !b.empty() && b[0] == 0xF0; }));
  editor.Key("Escape");
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor.OtherWindows().empty(); }, 20));
  EXPECT_EQ(editor.Stop(SIGTERM), 0);
}

TEST(MenuCommands, SaveProgramFromZephraOpensAChooserNamedForIt)
{
  ExpectSaveFromZephraChooserNamedForIt(false);
}

TEST(MenuCommands, SaveProgramFromZephraOpensAChooserNamedForItUnderAWindowManager)
{
  ExpectSaveFromZephraChooserNamedForIt(true);
}

// Ten Programs Forward and Back in a folder of five: from the second file
// forward to the fifth, where it stays; back to the first, where it stays.
// Each file is known by its VCO3 volume (10 for the first .. 50 for the
// fifth), which the synth hears with the whole program.
void ExpectTenStepsToStopAtTheFolderEnds(bool windowManager)
{
  TempDir programs;
  const char* const kNames[] = {"01_A.pr3", "02_B.pr3", "03_C.pr3", "04_D.pr3", "05_E.pr3"};
  for (int i = 0; i < 5; ++i)
  {
    TestValues values = kDefaultValues;
    values[kVolume] = 10 * (i + 1);
    WriteWholeFile(programs.File(kNames[i]), MarkerText(values));
  }
  RunningEditorSetup setup;
  setup.windowManager = windowManager;
  setup.settings = "[gui]\nguiscale=1.0\nmanager=false\n[program]\nlastfile=" + programs.File("02_B.pr3") + "\n";
  RunningEditor editor(setup);
  // The second file is the program the editor starts with, as after a quit.
  std::filesystem::create_directories(editor.SettingsFolder());
  WriteWholeFile(editor.SettingsFolder() + "lastprogram.pr3", ReadWholeFile(programs.File("02_B.pr3")));
  START_OR_SKIP(editor);
  WaitForStartProgram(editor);
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return SynthValue(editor, kVolume) == 20; })) << SynthValue(editor, kVolume);
  // The program's name as the display shows it: the file's name.
  const RunningEditor::Rect nameDisplay = GuiPart(editor, 58, 30, 210, 16);
  ASSERT_TRUE(DrawnStill(editor, nameDisplay));
  std::vector<std::vector<uint32_t>> names = {editor.Grab(nameDisplay)};
  const struct Step { const char* name; int item, volume; } kSteps[] = {
    {"forward from the second", kTenForward, 50},
    {"forward at the last", kTenForward, 50},
    {"back from the last", kTenBack, 10},
    {"back at the first", kTenBack, 10},
  };
  for (const Step& step : kSteps)
  {
    SCOPED_TRACE(step.name);
    editor.Synth().With([](SynthSimModel& m) { return m.edit.values[kVolume] = 99; });
    editor.ClearHeard();
    ASSERT_TRUE(editor.ChooseMenu(kProgram, step.item));
    EXPECT_TRUE(editor.HeardAProgram()) << editor.Heard().size();
    EXPECT_TRUE(RunningEditor::WaitUntil([&] { return SynthValue(editor, kVolume) == step.volume; }))
      << SynthValue(editor, kVolume);
    EXPECT_TRUE(DrawnStill(editor, nameDisplay));
    names.push_back(editor.Grab(nameDisplay));
  }
  // Second, fifth, fifth, first, first.
  EXPECT_NE(names[1], names[0]);
  EXPECT_EQ(names[2], names[1]) << "forward at the last file showed another name";
  EXPECT_NE(names[3], names[1]);
  EXPECT_NE(names[3], names[0]);
  EXPECT_EQ(names[4], names[3]) << "back at the first file showed another name";
  EXPECT_EQ(editor.Stop(SIGTERM), 0);
}

TEST(MenuCommands, TenProgramsForwardAndBackStopAtTheFolderEnds)
{
  ExpectTenStepsToStopAtTheFolderEnds(false);
}

TEST(MenuCommands, TenProgramsForwardAndBackStopAtTheFolderEndsUnderAWindowManager)
{
  ExpectTenStepsToStopAtTheFolderEnds(true);
}

TEST(MenuCommands, PreferencesTakeTheKeyboardAndGiveItBackWhenClosed)
{
  // how the dialog is closed: a key, or a click on a button (resource units)
  struct Case { const char* name; const char* key; int buttonX, buttonY; } const kCases[] = {
      {"Cancel by Escape", "Escape", 0, 0},
      {"OK by a click", nullptr, 192 + 25, 133 + 10},
  };
  for (const auto& c : kCases)
  {
    SCOPED_TRACE(c.name);
    RunningEditor editor;
    START_OR_SKIP(editor);
    WaitForStartProgram(editor);
    const RunningEditor::Rect dialog = OpenPreferences(editor);
    ASSERT_GT(dialog.w, 0);
    const std::string focused = editor.XdotoolOutput("getwindowfocus");
    EXPECT_NE(std::strtoul(focused.c_str(), nullptr, 10), editor.MainWindow()) << "the dialog has the keyboard";
    // Tab moves the keyboard from the first list to the second, which shows
    // the focus mark; Shift+Tab takes it back to the first. The dialog maps
    // before it draws, and is drawn in its inactive look until the program has
    // taken in that it has the keyboard, a moment after the display gave it:
    // the lists are taken once they are more than one fill and stand still.
    const auto drawn = [](const std::vector<uint32_t>& pixels) {
      return std::any_of(pixels.begin(), pixels.end(), [&](uint32_t p) { return p != pixels.front(); });
    };
    ASSERT_TRUE(RunningEditor::WaitUntil(
      [&] { return drawn(ListPixels(editor, dialog, 20, 43, 150)) && drawn(ListPixels(editor, dialog, 180, 43, 120)); },
      RunningEditor::kBusyLimit));
    ASSERT_TRUE(DrawnStill(editor, dialog));
    const std::vector<uint32_t> first = ListPixels(editor, dialog, 20, 43, 150);
    const std::vector<uint32_t> second = ListPixels(editor, dialog, 180, 43, 120);
    editor.Key("Tab");
    EXPECT_TRUE(RunningEditor::WaitUntil([&] { return ListPixels(editor, dialog, 180, 43, 120) != second; }, RunningEditor::kBusyLimit))
      << "the keyboard is now at window " << editor.XdotoolOutput("getwindowfocus") << ", the dialog's was " << focused
      << (ListPixels(editor, dialog, 20, 43, 150) != first ? "; the first list changed" : "; the first list did not change");
    EXPECT_TRUE(RunningEditor::WaitUntil([&] { return ListPixels(editor, dialog, 20, 43, 150) == first; }, RunningEditor::kBusyLimit));
    editor.Key("shift+Tab");
    EXPECT_TRUE(RunningEditor::WaitUntil([&] {
      return ListPixels(editor, dialog, 20, 43, 150) != first && ListPixels(editor, dialog, 180, 43, 120) == second;
    }, RunningEditor::kBusyLimit));
    if (c.key)
      editor.Key(c.key);
    else
      editor.Click(dialog.x + static_cast<int>(c.buttonX * dialog.w / 320.0), dialog.y + c.buttonY);
    ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor.OtherWindows().empty(); }, RunningEditor::kBusyLimit));
    // No window manager: the main window has the keyboard again because the
    // program gave it back, and Ctrl+Q reaches it. The pointer is away from
    // it, so that the display cannot hand it the key by the pointer either.
    const RunningEditor::Rect main = editor.MainRect();
    const int awayX = 2395, awayY = 1795;
    ASSERT_FALSE(awayX >= main.x && awayX < main.x + main.w && awayY >= main.y && awayY < main.y + main.h);
    editor.MoveTo(awayX, awayY);
    editor.Key("ctrl+q");
    EXPECT_TRUE(RunningEditor::WaitUntil([&] { return !editor.Running(); }, RunningEditor::kBusyLimit));
    EXPECT_EQ(editor.Stop(SIGTERM), 0);
  }
}

// A port name much longer than the list's field: the opened list is wider
// than the field and the name's ink runs its whole length there, inside the
// list, where a list cut to its field ends it with an ellipsis within the
// field's width. Desktop themes open a drop-down list as a menu (the
// toolkit's own theme) or as a list under the field.
TEST(MenuCommands, PreferencesListShowsALongPortNameWhole)
{
  struct Case { const char* name; const char* css; } const kCases[] = {
      {"a menu", ""},
      {"a list", "combobox { -GtkComboBox-appears-as-list: true; }\n"},
  };
  if (!SynthSim::JackServerAnswers()) GTEST_SKIP() << "no JACK server";
  // "Zephra Prime Output:Zephra Prime Output Port With A Long Name 2", 63
  // characters, 335 pixels, as the keyboard input's list gives it.
  RtMidiOut device(RtMidi::UNIX_JACK, "Zephra Prime Output");
  device.openVirtualPort("Zephra Prime Output Port With A Long Name 2");
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    TempDir config;
    mkdir(config.File("gtk-3.0").c_str(), 0700);
    WriteWholeFile(config.File("gtk-3.0/gtk.css"), c.css);
    RunningEditorSetup setup;
    setup.env = {{"XDG_CONFIG_HOME", config.Path()}};
    RunningEditor editor(setup);
    START_OR_SKIP(editor);
    WaitForStartProgram(editor);
    const RunningEditor::Rect dialog = OpenPreferences(editor);
    ASSERT_GT(dialog.w, 0);
    const unsigned long dialogWindow = editor.OtherWindows().back();
    // The keyboard input's list: 120 units wide at (180, 43), 18 pixels high.
    const double widen = dialog.w / 320.0;
    const int fieldW = static_cast<int>(120 * widen);
    ASSERT_LT(fieldW, 250);
    // A click on a dialog still being drawn on a busy machine may open
    // nothing: the field is clicked once the dialog stands still.
    ASSERT_TRUE(DrawnStill(editor, dialog));
    editor.Click(dialog.x + static_cast<int>((180 + 60) * widen), dialog.y + 43 + 9);
    RunningEditor::Rect list;
    // The widest run of ink in one row of the opened list, and where it ends.
    int inkW = 0, inkRight = 0;
    // The list as the grab before saw it: a list still being placed, sized
    // or painted on a busy machine shows a picture that the next grab does
    // not, so only one seen twice in a row is measured.
    RunningEditor::Rect seenAt;
    std::vector<uint32_t> seen;
    const auto measure = [&] {
      const std::vector<unsigned long> windows = editor.OtherWindows();
      if (windows.empty() || windows.back() == dialogWindow) return false;
      list = editor.WindowRect(windows.back());
      const std::vector<uint32_t> pixels = editor.Grab(list);
      if (pixels.empty()) return false;
      const bool settled = pixels == seen && list.x == seenAt.x && list.y == seenAt.y && list.w == seenAt.w &&
                           list.h == seenAt.h;
      seen = pixels;
      seenAt = list;
      if (!settled) return false;
      // A list mapped but not yet painted is dark from edge to edge, one
      // run of "ink" as wide as the window: measured only on its light
      // ground.
      const auto light = [](uint32_t p) { return ((p >> 16) & 255) * 3 + ((p >> 8) & 255) * 6 + (p & 255) >= 900; };
      if (static_cast<size_t>(std::count_if(pixels.begin(), pixels.end(), light)) * 2 < pixels.size()) return false;
      inkW = 0;
      for (int y = 2; y < list.h - 2; ++y)
      {
        int left = -1, right = -1;
        for (int x = 2; x < list.w - 2; ++x)
        {
          // Dark text on the light ground; the chosen row's light text on
          // its coloured bar is not the row measured, nor a row lit dark
          // under the pointer, which is dark from its left edge.
          if (light(pixels[static_cast<size_t>(y * list.w + x)])) continue;
          if (x == 2) break;
          if (left < 0) left = x;
          right = x;
        }
        if (left >= 0 && right - left + 1 > inkW) inkW = right - left + 1, inkRight = right;
      }
      return inkW >= 320;
    };
    EXPECT_TRUE(RunningEditor::WaitUntil(measure, RunningEditor::kBusyLimit))
      << "widest text " << inkW << " pixels in a list " << list.w << " wide, the field " << fieldW;
    EXPECT_GT(list.w, fieldW + 100);
    // Nothing of the name at the list's edge, where a longer text would be cut.
    EXPECT_LT(inkRight, list.w - 6) << inkRight << " of " << list.w;
    editor.Key("Escape");
    ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor.OtherWindows().size() == 1; }, 10));
    editor.Key("Escape");
    ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor.OtherWindows().empty(); }, 10));
    EXPECT_EQ(editor.Stop(SIGTERM), 0);
  }
}
}  // namespace
