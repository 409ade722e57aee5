// The on-screen keyboard through the surface's mouse events: the notes on
// the wire, that every note it starts is ended, and the keys it lights.
#include "KeyboardControlFixture.h"

#include "raster/RAST_Rect.h"

#include <gtest/gtest.h>

namespace {

IMouseMod kLeft(true, false);
IMouseMod kRight(false, true);

struct KeyboardControlTest : ::testing::Test, KeyboardEditor
{
  Bytes Down(int x, int y, IMouseMod* mod = &kLeft)
  {
    t->gui->OnMouseDown(x, y, mod);
    return t->TakeWire();
  }
  Bytes Drag(int x, int y)
  {
    t->gui->OnMouseDrag(x, y, &kLeft);
    return t->TakeWire();
  }
  Bytes Up(int x, int y)
  {
    t->gui->OnMouseUp(x, y, &kLeft);
    return t->TakeWire();
  }
  Bytes Play(Bytes message)
  {
    IMidiMsg msg(0, message[0], message[1], message[2]);
    t->editor->ProcessKeyboardMidiMsg(&msg);
    return t->TakeWire();
  }
  // The release of a press that sent on: the note off of its note.
  static Bytes OffFor(const Bytes& on) { return on.empty() ? Bytes{} : Bytes{0x80, on[1], 0x00}; }
  RAST_pixel Pixel(int x, int y)
  {
    (void)t->gui->RunFrame();
    return RAST_GetPixel(t->gui->GetScreen(), x, y) & 0xFFFFFF00u;
  }
};

}  // namespace

// The keyboard spans (316, 728) to (806, 788) at scale 1: octaves of 98
// pixels, white keys of 14, black keys 10 wide and 42 high.
TEST_F(KeyboardControlTest, KeyAndVelocityUnderTheMouse)
{
  const struct { const char* name; int x, y; Bytes on; } kCases[] = {
    {"lowest key, top: velocity 1", 316, 728, {0x90, 0x18, 0x01}},
    {"highest key, bottom row", 805, 787, {0x90, 0x53, 0x7F}},
    {"left of the keys", 315, 760, {}},
    {"right of the keys", 806, 760, {}},
    {"below the keys", 400, 788, {}},
    {"white C left of C#", 324, 748, {0x90, 0x18, 0x30}},
    {"C# over C and D, left edge", 325, 748, {0x90, 0x19, 0x44}},
    {"C# right edge", 334, 748, {0x90, 0x19, 0x44}},
    {"white D right of C#", 335, 748, {0x90, 0x1A, 0x30}},
    {"C# above its bottom", 325, 769, {0x90, 0x19, 0x7F}},
    {"C under the C#'s bottom", 325, 770, {0x90, 0x18, 0x63}},
    {"black key short of 90 %", 325, 765, {0x90, 0x19, 0x7C}},
    {"black key at 90 %", 325, 766, {0x90, 0x19, 0x7F}},
    {"white key short of 90 %", 319, 781, {0x90, 0x18, 0x7D}},
    {"white key at 90 %", 319, 782, {0x90, 0x18, 0x7F}},
    {"last B of octave 0", 413, 782, {0x90, 0x23, 0x7F}},
    {"first C of octave 1", 414, 782, {0x90, 0x24, 0x7F}},
    {"A# of octave 4", 797, 740, {0x90, 0x52, 0x29}},
  };
  for (const auto& c : kCases)
  {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Down(c.x, c.y), c.on);
    EXPECT_EQ(Up(c.x, c.y), OffFor(c.on));
  }
}

// Whatever ends the press ends the note that sounds, not the note under
// the release point.
TEST_F(KeyboardControlTest, EveryStartedNoteEnds)
{
  enum Act { kDown, kRightDown, kDrag, kUp, kKeyboardIn, kCaptureLost };
  const struct { const char* name; Act act; int x, y; Bytes in, wire; } kSteps[] = {
    {"press C", kDown, 319, 782, {}, {0x90, 0x18, 0x7F}},
    {"drag within C", kDrag, 321, 782, {}, {}},
    {"drag to D", kDrag, 333, 782, {}, {0x80, 0x18, 0x00, 0x90, 0x1A, 0x7F}},
    {"drag off the keys", kDrag, 333, 795, {}, {}},
    {"release outside", kUp, 333, 795, {}, {0x80, 0x1A, 0x00}},
    {"press C again", kDown, 319, 782, {}, {0x90, 0x18, 0x7F}},
    {"release over E", kUp, 345, 782, {}, {0x80, 0x18, 0x00}},
    {"right click", kRightDown, 319, 782, {}, {}},
    {"its release", kUp, 319, 782, {}, {}},
    {"E held on the keyboard", kKeyboardIn, 0, 0, {0x90, 0x1C, 0x40}, {0x90, 0x1C, 0x40}},
    {"press the held E", kDown, 345, 782, {}, {0x90, 0x1C, 0x7F}},
    {"drag within E", kDrag, 346, 782, {}, {}},
    {"release the held E", kUp, 346, 782, {}, {0x80, 0x1C, 0x00}},
    {"E let go", kKeyboardIn, 0, 0, {0x80, 0x1C, 0x00}, {0x80, 0x1C, 0x00}},
    {"press G", kDown, 375, 782, {}, {0x90, 0x1F, 0x7F}},
    {"capture taken", kCaptureLost, 0, 0, {}, {0x80, 0x1F, 0x00}},
    {"release after the loss", kUp, 375, 782, {}, {}},
    {"press A", kDown, 389, 782, {}, {0x90, 0x21, 0x7F}},
    {"press outside before the release", kDown, 100, 100, {}, {0x80, 0x21, 0x00}},
  };
  for (const auto& s : kSteps)
  {
    SCOPED_TRACE(s.name);
    Bytes wire;
    switch (s.act)
    {
      case kDown: wire = Down(s.x, s.y); break;
      case kRightDown: wire = Down(s.x, s.y, &kRight); break;
      case kDrag: wire = Drag(s.x, s.y); break;
      case kUp: wire = Up(s.x, s.y); break;
      case kKeyboardIn: wire = Play(s.in); break;
      case kCaptureLost:
        t->gui->ReleaseMouseCapture();
        wire = t->TakeWire();
        break;
    }
    EXPECT_EQ(wire, s.wire);
  }
  // Nothing sounds, so nothing more is sent, also when the editor goes.
  (void)t->gui->RunFrame();
  t->editor.reset();
  EXPECT_EQ(t->TakeWire(), Bytes{});
}

TEST_F(KeyboardControlTest, NoteSoundingWhenTheEditorGoesIsEnded)
{
  EXPECT_EQ(Down(805, 782), (Bytes{0x90, 0x53, 0x7F}));
  t->editor.reset();
  EXPECT_EQ(t->TakeWire(), (Bytes{0x80, 0x53, 0x00}));
}

// A C pixel below the black keys, and a D pixel: unlit, pressed by the
// mouse, held on the keyboard.
TEST_F(KeyboardControlTest, PressedAndHeldKeysLight)
{
  constexpr RAST_pixel kWhite = RAST_RGBA(238, 236, 228, 0);
  constexpr RAST_pixel kLit = RAST_RGBA(250, 177, 102, 0);
  const struct { const char* name; std::function<void()> act; RAST_pixel c, d; } kSteps[] = {
    {"idle", [] {}, kWhite, kWhite},
    {"C pressed", [&] { (void)Down(323, 780); }, kLit, kWhite},
    {"released", [&] { (void)Up(323, 780); }, kWhite, kWhite},
    {"D held on the keyboard", [&] { (void)Play({0x90, 0x1A, 0x40}); }, kWhite, kLit},
    {"both", [&] { (void)Down(323, 780); }, kLit, kLit},
    {"D let go", [&] { (void)Play({0x80, 0x1A, 0x00}); }, kLit, kWhite},
    {"released again", [&] { (void)Up(323, 780); }, kWhite, kWhite},
    // The shell closes the output while the user chose none: the key
    // still follows the mouse.
    {"output off, C pressed", [&] { t->editor->MidiOutput().Close(); (void)Down(323, 780); }, kLit, kWhite},
  };
  for (const auto& s : kSteps)
  {
    SCOPED_TRACE(s.name);
    s.act();
    EXPECT_EQ(Pixel(323, 780), s.c);
    EXPECT_EQ(Pixel(337, 780), s.d);
  }
}

// At scale 0.7 the strip is resampled and the rectangle moved as the
// resize manager does it; the rectangle ends a few pixels past five octaves.
TEST_F(KeyboardControlTest, FractionalScaleKeepsEveryKeyInItsOctave)
{
  t->gui->RescaleBitmaps(0.7);
  keyboard->SetBounds(IRECT(221, 509, 564, 552), IRECT(221, 509, 564, 552));
  keyboard->AfterGUIResize(0.7);
  const struct { const char* name; int x; Bytes on; } kCases[] = {
    {"first C", 221, {0x90, 0x18, 0x7F}},
    {"last B of octave 0", 288, {0x90, 0x23, 0x7F}},
    {"first C of octave 1", 289, {0x90, 0x24, 0x7F}},
    {"last B of octave 3", 492, {0x90, 0x47, 0x7F}},
    {"first C of octave 4", 493, {0x90, 0x48, 0x7F}},
    {"last pixel of the fifth octave", 560, {0x90, 0x53, 0x7F}},
    {"first pixel past it", 561, {0x90, 0x53, 0x7F}},
    {"last pixel of the rectangle", 563, {0x90, 0x53, 0x7F}},
    {"right of the rectangle", 564, {}},
  };
  for (const auto& c : kCases)
  {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Down(c.x, 550), c.on);
    EXPECT_EQ(Up(c.x, 550), OffFor(c.on));
  }
  // Along the black keys' row too: every pixel plays one of the 60 notes.
  for (int x = 221; x < 564; ++x)
  {
    const Bytes on = Down(x, 515);
    ASSERT_EQ(on.size(), 3u) << x;
    EXPECT_GE(on[1], 0x18) << x;
    EXPECT_LE(on[1], 0x53) << x;
    (void)Up(x, 515);
  }
}
