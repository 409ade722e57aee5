// The editor's looks as data. A skin is one table of rows in attach order
// (the attach order is the drawing order); the builder (ZephraSkinBuild.cpp)
// walks the table once and makes each row's control. The LCD look is the
// classic table with a short list of changes laid over it, so the two looks
// can never drift apart in anything but what the changes name.
//
// Positions are unscaled GUI pixels of the 1140 x 800 window. A row placed
// at the anchor takes its (x, y) as an offset from the parameter's entry in
// the layout tables (kEditorLayoutX/Y); captions always sit relative to the
// anchor.
#pragma once

#include "graphics/IGraphicsTypes.h"
#include "synth/ZephraParams.h"

#include <cstddef>
#include <cstdint>

// What a row makes.
enum class SkinKind : uint8_t
{
  kPlate,            // unbound image at (x, y), shown or hidden as a whole
  kText,             // ITextControl over (x, y, r, b) in a text style
  kBitmap,           // IBitmapControl bound to the parameter
  kSlider,           // IKnobMultiControl, vertical
  kSliderHeld,       // IKnobMultiControl2: a slider that tells whether it is held
  kSwitch,           // ISwitchControl
  kContact,          // IContactControl
  kSpinner,          // ISpinnerControl over (x, y, r, b): no own parameter, value and label shown, vertical
  kInvisibleSwitch,  // IInvisibleSwitchControl over (x, y, r, b)
  kInvisibleSelect,  // IInvisibleSelectControl over (x, y, r, b)
  kRadio,            // IRadioButtonsControl over (x, y, r, b), extra buttons, laid right to left
  kParaEq,           // IParaGraphicEq over (x, y, r, b) with the editor's settings
  kFileSelector,     // IFileSelectorControl over (x, y, r, b); extra is the action, text the extensions
  kValueRun,         // the synth values param..extra: each its default slider or its exception row
  kStep,             // a build step that is no control (extra names it)
};

// Build steps that are not controls.
enum class SkinStep : uint8_t
{
  kLoadBitmaps,       // load every image of the look not loaded yet
  kStoreRangeWidth,   // remember the width of the first red range slider
  kCloseFlexiLists,   // both FLEXI list views hidden
};

// The caption under, over or beside a control; the rectangle is
// (x - 8, y + top, x + 40, y + bottom) of the anchor (x, y).
enum class SkinCaption : uint8_t
{
  kNone,
  kBelow,        // under a slider
  kBelowLcd,     // LCD: under a slider, 6 px higher
  kAbove,        // over a push button
  kShort,        // over a four-step short slider
  kAboveLow,     // LCD: over a push button drawn 4 px lower
  kKeyPriority,  // LCD: the "key priority" slider's own place
  kMidiSync,     // LCD: the "MIDI Sync" slider's own place
};

// Text styles by use.
enum class SkinStyle : uint8_t
{
  kCaption,
  kFlexiPlus,
  kFlexiLearn,
  kProgramName,
  kListSpinner,
  kNumberChooser,
  kChannel,
  kCount,
};

// References the editor keeps to controls it shows, hides or moves later.
enum class SkinRef : uint8_t
{
  kNone,
  kMainBackground,
  kSecondBackground,
  kVcoSaveBackground,
  kFlexiSaveBackground,
  kModPanel,
  kDrivePanel,
  kEqPanel,
  kGraphPanel,
  kOverdriveHighlight,
  kEqualizerHighlight,
  kChorusHighlight,
  kDelayHighlight,
  kProgramName,
  kFlexiPlus,         // one per slot: extra is the slot 0..3
  kFlexiLearn,        // one per slot
  kPwmSlider,
  kDelay1Slider,
  kDelay2Slider,
  kMidiSyncSlider,
  kRangeSlider,       // one per range parameter 231..238
  kLearnLamp,         // one per lamp parameter 243..246
  kEqGraph,
  kSourceList,
  kRangeList,
  kFirmwareSelector,
  kFolderSelector,
  kLoadSelector,
  kSaveSelector,
  kWriteSelector,
  kSaveFromSynthBackground,
  kCount,
};

// Row flags.
enum SkinFlag : uint8_t
{
  kSkinAtAnchor = 1,       // (x, y) is an offset from the parameter's anchor
  kSkinHideParam = 2,      // every control of the parameter hidden after attaching
  kSkinHideSelf = 4,       // this control hidden after attaching
  kSkinCaptionHidden = 8,  // the caption hidden after attaching
  kSkinZeroParam = 16,     // the parameter set to 0 before it is hidden
};

struct SkinRow
{
  SkinKind kind;
  int param;              // -1 for none
  int bitmap;             // classic bitmap id, 0 for none
  int x, y, r, b;         // corner, or rectangle; offsets at the anchor
  float gearing;
  SkinCaption caption;
  SkinRef ref;
  uint8_t flags;
  int extra;              // slot, buttons, action, frames or step, by kind
  const char* text;       // initial text or extensions
  SkinStyle style;
};

// One change of the LCD look to a classic row. The row is found by its
// reference (and extra, for the per-slot ones) or, with kNone, by its
// parameter; rows of kind kValueRun exceptions are found by parameter too.
enum class SkinChange : uint8_t
{
  kOmit,     // the row makes nothing
  kMove,     // new (x, y, r, b)
  kBitmap,   // new bitmap id, taken as it is
  kCaption,  // new caption rule
  kShown,    // the row's kSkinHideSelf dropped
};

struct SkinDelta
{
  SkinRef ref;
  int param;
  int extra;
  SkinChange change;
  int x, y, r, b;          // kMove; kBitmap: x is the id; kCaption: x is the rule
};

// A synth value of the run whose control is not the default slider.
struct SkinValueException
{
  int param;
  SkinKind kind;
  int bitmap;
  int dx, dy;
  float gearing;
  SkinCaption caption;
  SkinRef ref;
};

struct SkinTable
{
  const SkinRow* rows;
  size_t count;
};

struct SkinDeltaTable
{
  const SkinDelta* rows;
  size_t count;
};

// The classic look (images under "img/orig/") and the LCD changes.
extern const SkinTable kClassicSkin;
extern const SkinValueException kValueExceptions[];
extern const size_t kValueExceptionCount;
extern const SkinDeltaTable kLcdDeltas;

// The caption's rectangle for the anchor (x, y); empty for kNone.
IRECT SkinCaptionRect(SkinCaption rule, int x, int y);

// The text style of a use in a look (lcd true for the LCD look).
IText SkinTextStyle(SkinStyle style, bool lcd);

// Every bitmap id the classic look loads, in load order; the LCD look loads
// these plus 100 except the second background and the radio-group image,
// and its own learn button.
extern const int kClassicBitmapIds[];
extern const size_t kClassicBitmapIdCount;
extern const int kLcdOnlyBitmapIds[];
extern const size_t kLcdOnlyBitmapIdCount;
extern const int kLcdSkippedBitmapIds[];
extern const size_t kLcdSkippedBitmapIdCount;
constexpr int kLcdBitmapOffset = 100;
