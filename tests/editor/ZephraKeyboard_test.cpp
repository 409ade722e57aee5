// The controller keyboard as the synth and the user see it: the bytes that
// reach the wire, the notes held, the values that learnt controllers set,
// and the learn table on disk.
#include "ZephraTestEditor.h"

#include "core/BASE_FileWhole.h"
#include "synth/ProgramFile.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <tuple>

namespace {

struct KeyboardTest : ::testing::Test
{
  TempDir dir;
  std::unique_ptr<TestEditor> t;
  ZephraEditor* editor = nullptr;

  // Made by the test, after it has written the files the editor starts with.
  void Start()
  {
    t = std::make_unique<TestEditor>(dir.Path());
    editor = t->editor.get();
  }
  Bytes Play(Bytes bytes)
  {
    (void)t->TakeWire();
    bytes.resize(3, 0);
    IMidiMsg msg(0, bytes[0], bytes[1], bytes[2]);
    editor->ProcessKeyboardMidiMsg(&msg);
    return t->TakeWire();
  }
  void Set(EParam param, double value) { editor->SetParameterFromGUI2(param, value); }
  // The editor on a clock of the test's, which Pass moves on.
  void StartOnTestClock()
  {
    Start();
    editor->SetClock([this] { return now; });
  }
  void Pass(int ms) { now += std::chrono::milliseconds(ms); }
  // CC74 learnt for "VCO1 coarse" (bound 10) and CC71 for "VCO1 fine"
  // (bound 20), the two values then set to 5 and -7 from the panel.
  void LearnTwoControllers()
  {
    for (auto [param, cc, bound] :
         {std::tuple{kParamVco1Coarse, uint8_t{0x4A}, 10}, std::tuple{kParamVco1Fine, uint8_t{0x47}, 20}})
    {
      Set(kParamCcLearn, 1);
      (void)Play({0xB0, cc, 0x40});
      Set(param, bound);
    }
    Set(kParamVco1Coarse, 5);
    Set(kParamVco1Fine, -7);
  }
  std::chrono::steady_clock::time_point now = std::chrono::steady_clock::time_point{} + std::chrono::hours(1);
  std::string LearnFile() { return ReadWholeFile(dir.File("midilearn.ini")); }
};

}  // namespace

TEST_F(KeyboardTest, LearntControllerSetsTheValueOverItsRange)
{
  Start();
  Set(kParamCcLearn, 1);
  Set(kParamVco1Coarse, 10);
  const struct { const char* name; Bytes in, wire; int value; } steps[] = {
    {"learning: not passed on", {0xB0, 0x4A, 0x40}, {}, 10},
    // The learn button's reset was the last change: the address is restated.
    {"learnt at 0", {0xB0, 0x4A, 0x00}, {0xB0, 0x63, 0x05, 0xB0, 0x62, 0x00, 0xB0, 0x06, 0x00}, -24},
    {"learnt at 127", {0xB0, 0x4A, 0x7F}, {0xB0, 0x06, 0x22}, 10},
    {"unbound", {0xB3, 0x07, 0x64}, {0xB3, 0x07, 0x64}, 10},
    {"pitch bend", {0xE2, 0x00, 0x40}, {0xE2, 0x00, 0x40}, 10},
    {"data byte 0x80", {0xB0, 0x4A, 0x80}, {}, 10},
    {"system", {0xF2, 0x01, 0x01}, {}, 10},
    {"clock: as SysEx", {0xF8}, {}, 10},
  };
  for (const auto& s : steps)
  {
    SCOPED_TRACE(s.name);
    EXPECT_EQ(Play(s.in), s.wire);
    EXPECT_EQ(editor->ParamInt(kParamVco1Coarse), s.value);
  }
  EXPECT_EQ(editor->ParamInt(kParamCcLearn), 0);
  EXPECT_EQ(editor->LearntController(0), 74);
  EXPECT_EQ(LearnFile(), "0=74:10\n");
  EXPECT_EQ(t->TakeSent(), std::vector<Bytes>{{0xF8}});
  t->outChannel = 2;
  EXPECT_EQ(Play({0xB3, 0x07, 0x64}), (Bytes{0xB1, 0x07, 0x64}));
}

// The learn file is read at the start (its lines that bind nothing kept
// as they are) and written anew by every learn.
TEST_F(KeyboardTest, LearnFileReadAtTheStartWrittenByALearn)
{
  WriteWholeFile(dir.File("midilearn.ini"), "130=20:5\nabc\n5=200:3\n7=7:3\n");
  Start();
  for (int item : {0, 5, 6, 7, 8, 121}) EXPECT_EQ(editor->LearntController(item), item == 7 ? 7 : -1) << item;

  // Controller first, then the value: the same binding as the other order.
  Set(kParamCcLearn, 1);
  (void)Play({0xB0, 0x4A, 0x10});
  Set(kParamVcfCutoffVintage, 80);
  EXPECT_FALSE(editor->IsLearnArmed());
  EXPECT_EQ(editor->LearntController(76), 74);
  EXPECT_EQ(LearnFile(), "7=7:3\n76=74:80\n130=20:5\nabc\n5=200:3\n");

  // Loading keeps what the file does not mention; saving writes both.
  EXPECT_TRUE(editor->LoadMidiLearn());
  for (int item : {0, 5, 6, 7, 8, 76, 121})
    EXPECT_EQ(editor->LearntController(item), item == 7 ? 7 : item == 76 ? 74 : -1) << item;
  EXPECT_TRUE(editor->SaveMidiLearn());
  EXPECT_EQ(LearnFile(), "7=7:3\n76=74:80\n130=20:5\nabc\n5=200:3\n");

  // A save that cannot be made (the disk refuses the bytes) leaves the file
  // as it was.
  BASE_ReplaceFileCalls& calls = BASE_ReplaceFileSystemCalls();
  const BASE_ReplaceFileCalls system = calls;
  calls.write = [](int, const void*, size_t) -> ssize_t { return errno = ENOSPC, -1; };
  Set(kParamCcLearn, 1);
  Set(kParamVco1Fine, 5);
  (void)Play({0xB0, 0x10, 0x10});
  EXPECT_EQ(editor->LearntController(1), 16);
  EXPECT_FALSE(editor->SaveMidiLearn());
  EXPECT_EQ(LearnFile(), "7=7:3\n76=74:80\n130=20:5\nabc\n5=200:3\n");
  calls = system;
  EXPECT_EQ(LearnFile(), "7=7:3\n76=74:80\n130=20:5\nabc\n5=200:3\n");
}

TEST_F(KeyboardTest, NotesHeldPassedOnAndSent)
{
  Start();
  const struct { const char* name; Bytes in, wire; bool held60; int count; } steps[] = {
    {"note on", {0x90, 0x3C, 0x64}, {0x90, 0x3C, 0x64}, true, 1},
    {"repeated note on", {0x90, 0x3C, 0x64}, {0x90, 0x3C, 0x64}, true, 1},
    {"velocity 0", {0x90, 0x3C, 0x00}, {0x90, 0x3C, 0x00}, false, 0},
    {"stray note off", {0x80, 0x3D, 0x00}, {0x80, 0x3D, 0x00}, false, 0},
    {"note 0x90", {0x90, 0x90, 0x40}, {}, false, 0},
    {"velocity 0x80", {0x91, 0x3C, 0x80}, {}, false, 0},
    {"note 127", {0x9F, 0x7F, 0x01}, {0x9F, 0x7F, 0x01}, false, 1},
    {"off 127", {0x8F, 0x7F, 0x40}, {0x8F, 0x7F, 0x40}, false, 0},
  };
  for (const auto& s : steps)
  {
    SCOPED_TRACE(s.name);
    EXPECT_EQ(Play(s.in), s.wire);
    EXPECT_EQ(editor->IsNoteHeld(60), s.held60);
    EXPECT_EQ(editor->GetHeldNoteCount(), s.count);
  }
  // The on-screen keyboard's notes go out on the synth's channel.
  Set(kParamMidiChannel, 3);
  t->TakeWire();
  editor->SendNote(60, true);
  editor->SendNote(60, false);
  editor->SendNote(-1, true);
  EXPECT_EQ(t->TakeWire(), (Bytes{0x93, 0x3C, 0x01, 0x83, 0x3C, 0x00}));
}

// The on-screen keyboard is told of a note only when it was pressed or let
// go, and not while the manager covers it.
TEST_F(KeyboardTest, OnlyANoteThatChangedIsToldToTheOnScreenKeyboard)
{
  Start();
  const struct { const char* name; Bytes in; std::vector<int> told; bool manager; } steps[] = {
    {"note on", {0x90, 0x3C, 0x64}, {60}, false},       {"repeated", {0x90, 0x3C, 0x64}, {}, false},
    {"bend", {0xE0, 0x00, 0x50}, {}, false},            {"aftertouch", {0xD0, 0x30}, {}, false},
    {"controller", {0xB0, 0x01, 0x40}, {}, false},      {"clock", {0xF8}, {}, false},
    {"note off", {0x80, 0x3C, 0x00}, {60}, false},      {"stray off", {0x80, 0x3C, 0x00}, {}, false},
    {"in the manager", {0x90, 0x3D, 0x64}, {}, true},
  };
  for (const auto& s : steps)
  {
    SCOPED_TRACE(s.name);
    editor->SetManagerMode(s.manager);
    t->panels->notesTold.clear();
    (void)Play(s.in);
    EXPECT_EQ(t->panels->notesTold, s.told);
  }
}

// A keyboard's own parameter select (98..101) passed on moves the synth's
// address: the editor's next value restates its whole address, while other
// controllers leave the remembered address in force.
TEST_F(KeyboardTest, PassedParameterSelectMakesTheNextValueRestateItsAddress)
{
  Start();
  Set(kParamVco1Coarse, 2);
  const struct { int controller; Bytes next; } cases[] = {
    {97, {0xB0, 0x06, 0x19}},
    {98, {0xB0, 0x63, 0x05, 0xB0, 0x62, 0x00, 0xB0, 0x06, 0x19}},
    {99, {0xB0, 0x63, 0x05, 0xB0, 0x62, 0x00, 0xB0, 0x06, 0x19}},
    {100, {0xB0, 0x63, 0x05, 0xB0, 0x62, 0x00, 0xB0, 0x06, 0x19}},
    {101, {0xB0, 0x63, 0x05, 0xB0, 0x62, 0x00, 0xB0, 0x06, 0x19}},
    {102, {0xB0, 0x06, 0x19}},
  };
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.controller);
    Set(kParamVco1Coarse, 0);
    (void)t->TakeWire();
    const uint8_t cc = static_cast<uint8_t>(c.controller);
    EXPECT_EQ(Play({0xB0, cc, 0x07}), (Bytes{0xB0, cc, 0x07}));
    Set(kParamVco1Coarse, 1);
    EXPECT_EQ(t->TakeWire(), c.next);
  }
}

// A controller learnt for two values, moved message after message: one undo
// step while the messages follow within half a second, whatever their
// number, and that one undo brings back both values from before the move.
TEST_F(KeyboardTest, LearntControllerMoveIsOneUndoStep)
{
  StartOnTestClock();
  for (EParam param : {kParamVco1Coarse, kParamVco1Fine})
  {
    Set(kParamCcLearn, 1);
    (void)Play({0xB0, 0x4A, 0x40});
    Set(param, 3);
  }
  ASSERT_EQ(editor->LearntController(0), 74);
  ASSERT_EQ(editor->LearntController(1), 74);
  Set(kParamVco1Coarse, 5);
  Set(kParamVco1Fine, -7);
  const int steps = editor->UndoCount();

  for (int i = 0; i < 3000; ++i)
  {
    Pass(1);
    (void)Play({0xB0, 0x4A, static_cast<uint8_t>(i % 128)});
  }
  EXPECT_EQ(editor->UndoCount(), steps + 1);
  editor->Undo();
  EXPECT_EQ(editor->ParamInt(kParamVco1Coarse), 5);
  EXPECT_EQ(editor->ParamInt(kParamVco1Fine), -7);
}

// Where one gesture ends: a pause of half a second or more in which no
// learnt controller moved, or a change of another kind in between. Another
// learnt controller moved within the pause belongs to the same gesture.
TEST_F(KeyboardTest, LearntGestureEndsAtAPause)
{
  StartOnTestClock();
  for (auto [param, cc] : {std::pair{kParamVco1Coarse, uint8_t{0x4A}}, std::pair{kParamVco1Fine, uint8_t{0x4B}}})
  {
    Set(kParamCcLearn, 1);
    (void)Play({0xB0, cc, 0x40});
    Set(param, 3);
  }
  const struct { const char* name; int gapMs; Bytes message; int newSteps; } cases[] = {
    {"gap 1 ms", 1, {0xB0, 0x4A, 0x70}, 0},
    {"gap 499 ms", 499, {0xB0, 0x4A, 0x10}, 0},
    {"gap 500 ms", 500, {0xB0, 0x4A, 0x70}, 1},
    {"gap 501 ms", 501, {0xB0, 0x4A, 0x10}, 1},
    {"another learnt controller", 1, {0xB0, 0x4B, 0x70}, 0},
    {"back to the first", 1, {0xB0, 0x4A, 0x70}, 0},
    {"an unlearnt controller", 1, {0xB0, 0x07, 0x70}, 0},
    // The unlearnt one moved nothing: the pause runs from 0x4A's move.
    {"the other one 499 ms after", 498, {0xB0, 0x4B, 0x10}, 0},
    {"the other one 500 ms after", 500, {0xB0, 0x4B, 0x70}, 1},
  };
  (void)Play({0xB0, 0x4A, 0x10});
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.name);
    const int before = editor->UndoCount();
    Pass(c.gapMs);
    (void)Play(c.message);
    EXPECT_EQ(editor->UndoCount(), before + c.newSteps);
  }
  // A knob turned between two messages of one move splits it.
  const int before = editor->UndoCount();
  Set(kParamVco2Coarse, 4);
  Pass(1);
  (void)Play({0xB0, 0x4A, 0x10});
  EXPECT_EQ(editor->UndoCount(), before + 2);
}

// Two learnt knobs turned together (or a controller sending its knob bank):
// the messages alternate, and the whole gesture is one undo step that takes
// both values back. The history's memory stays that of a few steps.
TEST_F(KeyboardTest, TwoLearntControllersMovedTogetherAreOneUndoStep)
{
  StartOnTestClock();
  LearnTwoControllers();
  ASSERT_EQ(editor->LearntController(0), 74);
  ASSERT_EQ(editor->LearntController(1), 71);
  ASSERT_EQ(editor->UndoCount(), 5);

  for (int i = 0; i < 200000; ++i)
  {
    Pass(1);
    (void)Play({0xB0, 0x4A, static_cast<uint8_t>(i % 128)});
    Pass(1);
    (void)Play({0xB0, 0x47, static_cast<uint8_t>(127 - i % 128)});
  }
  // The last pair: CC74 = 63 (-24 + 34 * 63 / 127 = -7.13), CC71 = 64
  // (-63 + 83 * 64 / 127 = -21.17).
  EXPECT_EQ(editor->ParamInt(kParamVco1Coarse), -8);
  EXPECT_EQ(editor->ParamInt(kParamVco1Fine), -22);
  EXPECT_EQ(editor->UndoCount(), 6);
  EXPECT_EQ(editor->UndoCapacity(), 8u);
  editor->Undo();
  EXPECT_EQ(editor->ParamInt(kParamVco1Coarse), 5);
  EXPECT_EQ(editor->ParamInt(kParamVco1Fine), -7);
}

// A learnt controller sent slower than every half second opens a step per
// message: the history keeps the last 1,000 of them, and loading a program
// gives its memory back.
TEST_F(KeyboardTest, SlowLearntControllerKeepsABoundedHistory)
{
  StartOnTestClock();
  LearnTwoControllers();
  ASSERT_EQ(editor->UndoCount(), 5);

  const struct { int messages, steps; size_t capacity; } cases[] = {
    {994, 999, 1000},
    {1, 1000, 1000},
    {1, 1000, 1000},
    {2000, 1000, 1000},
  };
  int sent = 0;
  for (const auto& c : cases)
  {
    for (int i = 0; i < c.messages; ++i, ++sent)
    {
      Pass(600);
      // Steps of 5 move the value every time (34 * 5 / 127 > 1): an
      // unchanged value would record nothing.
      (void)Play({0xB0, 0x4A, static_cast<uint8_t>(sent * 5 % 128)});
    }
    SCOPED_TRACE(sent);
    EXPECT_EQ(editor->UndoCount(), c.steps);
    EXPECT_EQ(editor->UndoPosition(), c.steps - 1);
    EXPECT_EQ(editor->UndoCapacity(), c.capacity);
  }
  // 2,996 messages, counted from 0: the oldest step kept is that of
  // message 1,996, value 124 (-24 + 34 * 124 / 127 = 9.20); undo goes no
  // further.
  for (int i = 0; i < 1000; ++i) editor->Undo();
  EXPECT_EQ(editor->UndoPosition(), 0);
  EXPECT_EQ(editor->ParamInt(kParamVco1Coarse), 9);

  std::string text = "243\r\n";
  for (int i = 0; i < 184; ++i) text += "0\r\n";
  WriteWholeFile(dir.File("zero.pr3"), text);
  ASSERT_EQ(editor->LoadProgramFile(dir.File("zero.pr3").c_str()), ProgramFileError::kNone);
  EXPECT_EQ(editor->UndoCount(), 1);
  EXPECT_EQ(editor->UndoCapacity(), 1u);
}
