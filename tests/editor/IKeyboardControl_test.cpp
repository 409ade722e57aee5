// The on-screen keyboard through the surface's mouse events: the notes on
// the wire, that every note it starts is ended, and the keys it lights.
#include "KeyboardControlFixture.h"

#include "raster/RAST_Rect.h"

#include <gtest/gtest.h>

namespace {

IMouseMod kLeft(true, false);
IMouseMod kRight(false, true);
// The pixel at (323, 788), low on the lowest C: white or lit (alpha left
// out); 0 where the step does not look.
constexpr RAST_pixel kW = RAST_RGBA(238, 236, 228, 0);
constexpr RAST_pixel kL = RAST_RGBA(250, 177, 102, 0);

struct KeyboardControlTest : ::testing::Test, KeyboardEditor {};

}  // namespace

// At scale 1 the keyboard spans (316, 728) to (806, 800), the window's
// bottom: octaves of 98 pixels, white keys 14 wide and 72 high, black keys
// 10 wide and 42 high. Velocity grows from 1 at a key's top to 127 at nine
// tenths of its height (64.8 pixels white, 37.8 black). Whatever ends a
// press ends the note that sounds, not the one under the release point.
TEST_F(KeyboardControlTest, NotesVelocitiesAndLitKeys)
{
  // A click is a press and a release: its note on, then that note's off.
  enum Act { kClick, kDown, kRightDown, kDrag, kUp, kKeyboardIn, kCaptureLost, kScale07, kEditorGone };
  const struct { const char* name; Act act; int x, y; Bytes wire; RAST_pixel c; } kSteps[] = {
    {"lowest key, top", kClick, 316, 728, {0x90, 0x18, 0x01}, kW},
    {"left of the keys", kClick, 315, 760, {}, 0},
    {"highest key, window's last row", kClick, 805, 799, {0x90, 0x53, 0x7F}, 0},
    {"right of the keys", kClick, 806, 760, {}, 0},
    {"C left of C#", kClick, 324, 748, {0x90, 0x18, 0x28}, 0},
    {"C# over C, left edge", kClick, 325, 748, {0x90, 0x19, 0x44}, 0},
    {"C# over D, right edge", kClick, 334, 748, {0x90, 0x19, 0x44}, 0},
    {"D right of C#", kClick, 335, 748, {0x90, 0x1A, 0x28}, 0},
    {"C# short of 90 %", kClick, 325, 765, {0x90, 0x19, 0x7C}, 0},
    {"C# at 90 %", kClick, 325, 766, {0x90, 0x19, 0x7F}, 0},
    {"C#'s last row", kClick, 325, 769, {0x90, 0x19, 0x7F}, 0},
    {"C under the C#", kClick, 325, 770, {0x90, 0x18, 0x53}, 0},
    {"C short of 90 %", kClick, 319, 792, {0x90, 0x18, 0x7D}, 0},
    {"C at 90 %", kClick, 319, 793, {0x90, 0x18, 0x7F}, kW},
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
    // Octaves of 68 pixels; the rectangle, rounded as the resize manager
    // does it, ends three pixels past five octaves: they are the top B's.
    {"scale 0.7", kScale07, 0, 0, {}, 0},
    {"last B of octave 0", kClick, 288, 558, {0x90, 0x23, 0x7F}, 0},
    {"first C of octave 1", kClick, 289, 558, {0x90, 0x24, 0x7F}, 0},
    {"last pixel of the fifth octave", kClick, 560, 558, {0x90, 0x53, 0x7F}, 0},
    {"first pixel past it", kClick, 561, 558, {0x90, 0x53, 0x7F}, 0},
    {"last pixel of the rectangle", kClick, 563, 558, {0x90, 0x53, 0x7F}, 0},
    {"right of the rectangle", kClick, 564, 558, {}, 0},
    {"press the top B", kDown, 560, 558, {0x90, 0x53, 0x7F}, 0},
    {"editor deleted", kEditorGone, 0, 0, {0x80, 0x53, 0x00}, 0},
  };
  for (const auto& s : kSteps)
  {
    SCOPED_TRACE(s.name);
    IMidiMsg msg(0, static_cast<uint8_t>(s.x), static_cast<uint8_t>(s.y), 0x40);
    switch (s.act)
    {
      case kClick:
        t->gui->OnMouseDown(s.x, s.y, &kLeft);
        EXPECT_EQ(t->TakeWire(), s.wire);
        t->gui->OnMouseUp(s.x, s.y, &kLeft);
        EXPECT_EQ(t->TakeWire(), s.wire.empty() ? Bytes{} : Bytes({0x80, s.wire[1], 0x00}));
        break;
      case kDown: t->gui->OnMouseDown(s.x, s.y, &kLeft); break;
      case kRightDown: t->gui->OnMouseDown(s.x, s.y, &kRight); break;
      case kDrag: t->gui->OnMouseDrag(s.x, s.y, &kLeft); break;
      case kUp: t->gui->OnMouseUp(s.x, s.y, &kLeft); break;
      case kKeyboardIn: t->editor->ProcessKeyboardMidiMsg(&msg); break;
      case kCaptureLost: t->gui->ReleaseMouseCapture(); break;
      case kScale07:
        t->gui->RescaleBitmaps(0.7);
        keyboard->SetBounds(IRECT(221, 509, 564, 560), IRECT(221, 509, 564, 560));
        keyboard->AfterGUIResize(0.7);
        break;
      case kEditorGone: t->editor.reset(); break;
    }
    if (s.act != kClick)
    {
      EXPECT_EQ(t->TakeWire(), s.wire);
    }
    if (!s.c) continue;
    (void)t->gui->RunFrame();
    EXPECT_EQ(RAST_GetPixel(t->gui->GetScreen(), 323, 788) & 0xFFFFFF00u, s.c);
  }
}
