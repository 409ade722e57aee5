// The generator's painters: one per kind of artwork, each drawing every
// frame of a row's strip into a canvas of the row's base size times its
// frames. Painting is deterministic: fixed colours, a fixed-seed noise and
// the built-in pixel font.
#pragma once

#include "tools/artgen/ArtCanvas.h"
#include "editor/art/ArtTable.h"

// The colours of a look.
struct ArtTheme
{
  RAST_pixel panel, box, boxLine, title, label;
  RAST_pixel face, faceLight, faceDark, faceText;
  RAST_pixel accent, accentDim;
  RAST_pixel groove, handle, handleLight, handleGrip;
  RAST_pixel display, displayLit, displayDim;
  RAST_pixel lampOff, lampOn;
  bool stars;
  bool captionWindows;     // a window of captionBack behind every value caption
  RAST_pixel captionBack;
  RAST_pixel channelFace;  // the MIDI channel's window, under black digits
  int sliderLift;          // image pixels a slider's track ends higher, clear of the caption under it
};

// The look of a row: LCD for "img/lcd/" files, the program manager's for
// "img/manager/", classic otherwise ("solid" backgrounds without stars).
const ArtTheme& ArtThemeFor(const ArtRow& row);

// Paints the whole strip of row; false for a kind without a painter.
bool ArtPaint(const ArtRow& row, ArtCanvas* canvas);

// ---- painters (ArtPaintParts.cpp and ArtPaintPanels.cpp) ----
// Each paints frame `frame` (0-based) of row at base-pixel offset (0, y0).
void ArtPaintSlider(const ArtRow& row, const ArtTheme& t, ArtCanvas* c, int frame, int y0);
void ArtPaintCurves(const ArtRow& row, const ArtTheme& t, ArtCanvas* c, int frame, int y0);
void ArtPaintButton(const ArtRow& row, const ArtTheme& t, ArtCanvas* c, int frame, int y0);
void ArtPaintSwitch(const ArtRow& row, const ArtTheme& t, ArtCanvas* c, int frame, int y0);
void ArtPaintTabLamp(const ArtRow& row, const ArtTheme& t, ArtCanvas* c, int frame, int y0);
void ArtPaintTabHighlight(const ArtRow& row, const ArtTheme& t, ArtCanvas* c, int frame, int y0);
void ArtPaintLamp(const ArtRow& row, const ArtTheme& t, ArtCanvas* c, int frame, int y0);
void ArtPaintCheckbox(const ArtRow& row, const ArtTheme& t, ArtCanvas* c, int frame, int y0);
void ArtPaintSevenSegment(const ArtRow& row, const ArtTheme& t, ArtCanvas* c, int frame, int y0);
void ArtPaintFileIcon(const ArtRow& row, const ArtTheme& t, ArtCanvas* c, int frame, int y0);
void ArtPaintKeys(const ArtRow& row, const ArtTheme& t, ArtCanvas* c, int frame, int y0);
void ArtPaintKeyboardOctave(const ArtRow& row, const ArtTheme& t, ArtCanvas* c, int frame, int y0);
void ArtPaintTile(const ArtRow& row, const ArtTheme& t, ArtCanvas* c, int frame, int y0);
void ArtPaintTileHighlight(const ArtRow& row, const ArtTheme& t, ArtCanvas* c, int frame, int y0);
void ArtPaintScrollHandle(const ArtRow& row, const ArtTheme& t, ArtCanvas* c, int frame, int y0);
// Single images.
void ArtPaintBackground(const ArtRow& row, const ArtTheme& t, ArtCanvas* c);
void ArtPaintSavePlate(const ArtRow& row, const ArtTheme& t, ArtCanvas* c);
void ArtPaintEffectPlate(const ArtRow& row, const ArtTheme& t, ArtCanvas* c);
void ArtPaintListPlate(const ArtRow& row, const ArtTheme& t, ArtCanvas* c);
void ArtPaintChooserPlate(const ArtRow& row, const ArtTheme& t, ArtCanvas* c);
void ArtPaintPanel(const ArtRow& row, const ArtTheme& t, ArtCanvas* c);
void ArtPaintManagerBackground(const ArtRow& row, const ArtTheme& t, ArtCanvas* c);

// Where the plate of an overlay lies in its image (base pixels); the rest
// of the image is clear. Empty for images that are not overlays.
struct ArtPlate
{
  int x, y, w, h;
};
ArtPlate ArtPlateOf(const ArtRow& row);
