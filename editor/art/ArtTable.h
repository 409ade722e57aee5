// The artwork every skin loads: one row per LoadIBitmap call of the skin
// builders, and the generator paints each file from the same rows, so ids,
// file names, frame counts and sizes live in one place.
//
// Files are stored at twice their base size (bitmap divisor 2) and named
// "...-2x.png"; a strip of N frames is stacked vertically, frame 1 on top,
// so its PNG is 2 * w wide and 2 * h * N high. Paths are written exactly
// as the builders pass them, doubled slashes included. A file loaded under
// two ids has two rows; the builders load both under the first row's id, so
// the editor holds the file's pixels once.
#pragma once

#include <cstddef>
#include <vector>

// What an image shows; the generator paints each kind its own way and the
// gallery picks the control that shows it.
enum class ArtKind
{
  kBackground,      // the whole window: section boxes and a label at every control anchor
  kSavePlate,       // lit frame around the chosen save-mode button, clear elsewhere
  kEffectPlate,     // the effect strip of one effect, clear elsewhere
  kEqGraphPlate,    // the effect strip with the equaliser graph's grid
  kListPlate,       // a FLEXI list page set (the synth's source or range-control texts)
  kChooserPlate,    // the program-number chooser of "save from synth"
  kPanel,           // an opaque panel of its own size (about, manager sub-panels)
  kManagerBackground,
  kSlider,          // vertical slider strip: the handle rises with the frame
  kRangeSlider,     // the narrow slider of a FLEXI range pair
  kShortSlider,     // a slider with a short track under a caption
  kCurves,          // the seventeen FLEXI curve shapes
  kButton,          // up, down
  kSwitch,          // off, on
  kTabLamp,         // an effect tab, off and on
  kTabHighlight,    // a bar under an effect tab, clear above it
  kLamp,            // a round lamp, off and on
  kCheckbox,        // clear, ticked
  kSevenSegment,    // the numbers 0..100
  kFileIcon,
  kKeys,            // one lit key per frame of an octave, clear elsewhere
  kKeyboardOctave,  // an octave of keys
  kTile,            // a program location, one frame per category
  kTileHighlight,   // clear, then a frame around the tile
  kScrollHandle,
};

struct ArtRow
{
  int id;
  const char* path;  // relative to the resources folder
  int frames;
  int w, h;          // one frame, in base (unscaled) GUI pixels
  ArtKind kind;
  const char* label; // text painted on it, or the look of a background
};

// The skins' rows: classic (54, with the keyboard and about images both
// skins use), LCD (50) and program manager (23).
extern const ArtRow kArtTable[];
extern const size_t kArtTableSize;

// The row of id, or null.
const ArtRow* ArtFind(int id);

// The first row of the row's file: the id both load the file under.
const ArtRow& ArtFirstOfFile(const ArtRow& row);

// The stored size of a row's file: twice the base size, frames stacked.
inline int ArtFileWidth(const ArtRow& row) { return 2 * row.w; }
inline int ArtFileHeight(const ArtRow& row) { return 2 * row.h * row.frames; }

// The files a start shows in a look (the stored background: "space",
// "solid", "lcd"; another or none is "space") with nothing opened yet, the
// most pixels first, each file once: what is worth decoding ahead.
std::vector<const ArtRow*> ArtShownAtStart(const char* look);
