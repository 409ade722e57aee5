// The on-screen keyboard through the surface's mouse events: the notes on
// the wire, that every note it starts is ended, and the keys it lights.
#include "KeyboardControlFixture.h"

#include "raster/RAST_Rect.h"

#include <gtest/gtest.h>

namespace {

IMouseMod kLeft(true, false);
IMouseMod kRight(false, true);
// A white key's pixel, unlit and lit (alpha left out).
constexpr RAST_pixel kW = RAST_RGBA(238, 236, 228, 0);
constexpr RAST_pixel kL = RAST_RGBA(250, 177, 102, 0);

struct KeyboardControlTest : ::testing::Test, KeyboardEditor
{
  Bytes Down(int x, int y)
  {
    t->gui->OnMouseDown(x, y, &kLeft);
    return t->TakeWire();
  }
  Bytes Up(int x, int y)
  {
    t->gui->OnMouseUp(x, y, &kLeft);
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
  };
  for (const auto& c : kCases)
  {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Down(c.x, c.y), c.on);
    EXPECT_EQ(Up(c.x, c.y), OffFor(c.on));
  }
}

// Whatever ends the press ends the note that sounds, not the note under
// the release point. Pixels of C and E below the black keys: white, or lit
// by the mouse or the controller keyboard.
TEST_F(KeyboardControlTest, EveryStartedNoteEndsAndLitKeysShow)
{
  enum Act { kDown, kRightDown, kDrag, kUp, kKeyboardIn, kCaptureLost, kEditorGone };
  const struct { const char* name; Act act; int x, y; Bytes wire; RAST_pixel c, e; } kSteps[] = {
    {"press C", kDown, 319, 782, {0x90, 0x18, 0x7F}, kL, kW},
    {"drag within C", kDrag, 321, 782, {}, kL, kW},
    {"drag to D", kDrag, 333, 782, {0x80, 0x18, 0x00, 0x90, 0x1A, 0x7F}, kW, kW},
    {"drag off the keys", kDrag, 333, 795, {}, kW, kW},
    {"release outside", kUp, 333, 795, {0x80, 0x1A, 0x00}, kW, kW},
    {"press C again", kDown, 319, 782, {0x90, 0x18, 0x7F}, kL, kW},
    {"release over E", kUp, 345, 782, {0x80, 0x18, 0x00}, kW, kW},
    {"right click", kRightDown, 319, 782, {}, kW, kW},
    {"its release", kUp, 319, 782, {}, kW, kW},
    {"E held on the keyboard (status, note)", kKeyboardIn, 0x90, 0x1C, {0x90, 0x1C, 0x40}, kW, kL},
    {"press the held E", kDown, 345, 782, {0x90, 0x1C, 0x7F}, kW, kL},
    {"drag within E", kDrag, 346, 782, {}, kW, kL},
    {"release the held E", kUp, 346, 782, {0x80, 0x1C, 0x00}, kW, kL},
    {"E let go", kKeyboardIn, 0x80, 0x1C, {0x80, 0x1C, 0x40}, kW, kW},
    {"press G", kDown, 375, 782, {0x90, 0x1F, 0x7F}, kW, kW},
    {"capture taken", kCaptureLost, 0, 0, {0x80, 0x1F, 0x00}, kW, kW},
    {"release after the loss", kUp, 375, 782, {}, kW, kW},
    {"press A", kDown, 389, 782, {0x90, 0x21, 0x7F}, kW, kW},
    {"press outside before the release", kDown, 100, 100, {0x80, 0x21, 0x00}, kW, kW},
    {"press the top B", kDown, 805, 782, {0x90, 0x53, 0x7F}, kW, kW},
    {"editor deleted", kEditorGone, 0, 0, {0x80, 0x53, 0x00}, kW, kW},
  };
  for (const auto& s : kSteps)
  {
    SCOPED_TRACE(s.name);
    switch (s.act)
    {
      case kDown: t->gui->OnMouseDown(s.x, s.y, &kLeft); break;
      case kRightDown: t->gui->OnMouseDown(s.x, s.y, &kRight); break;
      case kDrag: t->gui->OnMouseDrag(s.x, s.y, &kLeft); break;
      case kUp: t->gui->OnMouseUp(s.x, s.y, &kLeft); break;
      case kKeyboardIn:
      {
        IMidiMsg msg(0, static_cast<uint8_t>(s.x), static_cast<uint8_t>(s.y), 0x40);
        t->editor->ProcessKeyboardMidiMsg(&msg);
        break;
      }
      case kCaptureLost: t->gui->ReleaseMouseCapture(); break;
      case kEditorGone: t->editor.reset(); break;
    }
    EXPECT_EQ(t->TakeWire(), s.wire);
    if (!t->editor) break;
    EXPECT_EQ(Pixel(323, 780), s.c);
    EXPECT_EQ(Pixel(347, 780), s.e);
  }
}

// The shell closes the output while the user chose none: nothing reaches
// the port, but the key still follows the mouse.
TEST_F(KeyboardControlTest, KeyLightsWithTheOutputOff)
{
  t->editor->MidiOutput().Close();
  (void)Down(323, 780);
  EXPECT_EQ(Pixel(323, 780), kL);
  (void)Up(323, 780);
  EXPECT_EQ(Pixel(323, 780), kW);
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
