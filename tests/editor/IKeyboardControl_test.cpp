// The on-screen keyboard through the surface's mouse events: the notes on
// the wire, that every note it starts is ended, and the keys it lights.
#include "KeyboardControlFixture.h"

#include "raster/RAST_Rect.h"

#include <gtest/gtest.h>

namespace {

IMouseMod kLeft(true, false);
IMouseMod kRight(false, true);
// The pixel at (323, 788), low on the lowest C: white, or lit (alpha left out).
constexpr RAST_pixel kW = RAST_RGBA(238, 236, 228, 0);
constexpr RAST_pixel kL = RAST_RGBA(250, 177, 102, 0);

struct KeyboardControlTest : ::testing::Test, KeyboardEditor
{
  // Presses and releases at (x, y): the note on, then its note off, or nothing.
  void Click(int x, int y, const Bytes& on)
  {
    t->gui->OnMouseDown(x, y, &kLeft);
    EXPECT_EQ(t->TakeWire(), on);
    t->gui->OnMouseUp(x, y, &kLeft);
    EXPECT_EQ(t->TakeWire(), on.empty() ? Bytes{} : Bytes({0x80, on[1], 0x00}));
  }
};

}  // namespace

// At scale 1 the keyboard spans (316, 728) to (806, 800), the window's
// bottom: octaves of 98 pixels, white keys 14 wide and 72 high, black keys
// 10 wide and 42 high. Velocity grows from 1 at a key's top to 127 at nine
// tenths of its height (64.8 pixels white, 37.8 black).
TEST_F(KeyboardControlTest, KeyAndVelocityUnderTheMouse)
{
  const struct { const char* name; int x, y; Bytes on; } kCases[] = {
    {"lowest key, top", 316, 728, {0x90, 0x18, 0x01}},
    {"left of the keys", 315, 760, {}},
    {"highest key, window's last row", 805, 799, {0x90, 0x53, 0x7F}},
    {"right of the keys", 806, 760, {}},
    {"below the window", 400, 800, {}},
    {"C left of C#", 324, 748, {0x90, 0x18, 0x28}},
    {"C# over C, left edge", 325, 748, {0x90, 0x19, 0x44}},
    {"C# over D, right edge", 334, 748, {0x90, 0x19, 0x44}},
    {"D right of C#", 335, 748, {0x90, 0x1A, 0x28}},
    {"C# short of 90 %", 325, 765, {0x90, 0x19, 0x7C}},
    {"C# at 90 %", 325, 766, {0x90, 0x19, 0x7F}},
    {"C#'s last row", 325, 769, {0x90, 0x19, 0x7F}},
    {"C under the C#", 325, 770, {0x90, 0x18, 0x53}},
    {"C short of 90 %", 319, 792, {0x90, 0x18, 0x7D}},
    {"C at 90 %", 319, 793, {0x90, 0x18, 0x7F}},
  };
  for (const auto& c : kCases)
  {
    SCOPED_TRACE(c.name);
    Click(c.x, c.y, c.on);
  }
}

// Whatever ends the press ends the note that sounds, not the note under
// the release point; the lowest C lights for the mouse and for the
// controller keyboard.
TEST_F(KeyboardControlTest, EveryStartedNoteEnds)
{
  enum Act { kDown, kRightDown, kDrag, kUp, kKeyboardIn, kCaptureLost, kEditorGone };
  const struct { const char* name; Act act; int x, y; Bytes wire; RAST_pixel c; } kSteps[] = {
    {"press C", kDown, 319, 793, {0x90, 0x18, 0x7F}, kL},
    {"drag within C", kDrag, 321, 793, {}, kL},
    {"drag to D", kDrag, 333, 793, {0x80, 0x18, 0x00, 0x90, 0x1A, 0x7F}, kW},
    {"release outside", kUp, 315, 793, {0x80, 0x1A, 0x00}, kW},
    {"press C again", kDown, 319, 793, {0x90, 0x18, 0x7F}, kL},
    {"release over E", kUp, 345, 793, {0x80, 0x18, 0x00}, kW},
    {"right click", kRightDown, 319, 793, {}, kW},
    {"C held on the keyboard (status, note)", kKeyboardIn, 0x90, 0x18, {0x90, 0x18, 0x40}, kL},
    {"press the held C", kDown, 319, 793, {0x90, 0x18, 0x7F}, kL},
    {"drag within the held C", kDrag, 321, 793, {}, kL},
    {"release the held C", kUp, 321, 793, {0x80, 0x18, 0x00}, kL},
    {"C let go", kKeyboardIn, 0x80, 0x18, {0x80, 0x18, 0x40}, kW},
    {"press G", kDown, 375, 793, {0x90, 0x1F, 0x7F}, kW},
    {"capture taken", kCaptureLost, 0, 0, {0x80, 0x1F, 0x00}, kW},
    {"release after the loss", kUp, 375, 793, {}, kW},
    {"press the top B", kDown, 805, 793, {0x90, 0x53, 0x7F}, kW},
    {"editor deleted", kEditorGone, 0, 0, {0x80, 0x53, 0x00}, kW},
  };
  for (const auto& s : kSteps)
  {
    SCOPED_TRACE(s.name);
    IMidiMsg msg(0, static_cast<uint8_t>(s.x), static_cast<uint8_t>(s.y), 0x40);
    switch (s.act)
    {
      case kDown: t->gui->OnMouseDown(s.x, s.y, &kLeft); break;
      case kRightDown: t->gui->OnMouseDown(s.x, s.y, &kRight); break;
      case kDrag: t->gui->OnMouseDrag(s.x, s.y, &kLeft); break;
      case kUp: t->gui->OnMouseUp(s.x, s.y, &kLeft); break;
      case kKeyboardIn: t->editor->ProcessKeyboardMidiMsg(&msg); break;
      case kCaptureLost: t->gui->ReleaseMouseCapture(); break;
      case kEditorGone: t->editor.reset(); break;
    }
    EXPECT_EQ(t->TakeWire(), s.wire);
    if (!t->editor) break;
    (void)t->gui->RunFrame();
    EXPECT_EQ(RAST_GetPixel(t->gui->GetScreen(), 323, 788) & 0xFFFFFF00u, s.c);
  }
}

// At scale 0.7 the strip is resampled to octaves of 68 pixels and the
// rectangle rounded as the resize manager does it: it ends three pixels
// past five octaves, which belong to the top key.
TEST_F(KeyboardControlTest, FractionalScaleKeepsEveryKeyInItsOctave)
{
  t->gui->RescaleBitmaps(0.7);
  keyboard->SetBounds(IRECT(221, 509, 564, 560), IRECT(221, 509, 564, 560));
  keyboard->AfterGUIResize(0.7);
  const struct { const char* name; int x; Bytes on; } kCases[] = {
    {"last B of octave 0", 288, {0x90, 0x23, 0x7F}},
    {"first C of octave 1", 289, {0x90, 0x24, 0x7F}},
    {"last pixel of the fifth octave", 560, {0x90, 0x53, 0x7F}},
    {"first pixel past it", 561, {0x90, 0x53, 0x7F}},
    {"last pixel of the rectangle", 563, {0x90, 0x53, 0x7F}},
    {"right of the rectangle", 564, {}},
  };
  for (const auto& c : kCases)
  {
    SCOPED_TRACE(c.name);
    Click(c.x, 558, c.on);
  }
}
