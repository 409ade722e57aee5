// The classic look, one row per control in attach order, and the caption
// rules and text styles both looks share. Sliders stand 12 px above their
// anchor so that their caption (33 px under the anchor) meets the handle's
// travel; the effect strip's three panels all use the row at y 600, whose
// sliders (588 to 633) stand wholly under the effect tabs (565 to 587).
#include "editor/ZephraSkin.h"

namespace {

constexpr SkinRow Plate(int bitmap, int x, int y, SkinRef ref, uint8_t flags = 0)
{
  return {SkinKind::kPlate, -1, bitmap, x, y, 0, 0, 1.0f, SkinCaption::kNone, ref, flags, 0, "", SkinStyle::kCaption};
}
constexpr SkinRow Text(int l, int t, int r, int b, SkinStyle style, const char* text, SkinRef ref, int slot = 0)
{
  return {SkinKind::kText, -1, 0, l, t, r, b, 1.0f, SkinCaption::kNone, ref, 0, slot, text, style};
}
// A control at a fixed top-left corner.
constexpr SkinRow At(SkinKind kind, int param, int bitmap, int x, int y, SkinRef ref = SkinRef::kNone,
                     uint8_t flags = 0, float gearing = 1.0f)
{
  return {kind, param, bitmap, x, y, 0, 0, gearing, SkinCaption::kNone, ref, flags, 0, "", SkinStyle::kCaption};
}
// A slider at its anchor, 12 px up, with its caption.
constexpr SkinRow Slider(int param, int bitmap, float gearing, SkinCaption caption = SkinCaption::kBelow,
                         SkinRef ref = SkinRef::kNone, uint8_t flags = 0)
{
  return {SkinKind::kSlider, param, bitmap, 0, -12, 0, 0, gearing, caption, ref,
          static_cast<uint8_t>(flags | kSkinAtAnchor), 0, "", SkinStyle::kCaption};
}
// A control over a rectangle.
constexpr SkinRow Area(SkinKind kind, int param, int l, int t, int r, int b, uint8_t flags = 0, int bitmap = 0,
                       int extra = 0, const char* text = "", SkinRef ref = SkinRef::kNone,
                       SkinStyle style = SkinStyle::kCaption)
{
  return {kind, param, bitmap, l, t, r, b, 1.0f, SkinCaption::kNone, ref, flags, extra, text, style};
}
constexpr SkinRow Spinner(int param, int l, int t, int r, int b, SkinStyle style)
{
  return Area(SkinKind::kSpinner, param, l, t, r, b, 0, 0, 0, "", SkinRef::kNone, style);
}
constexpr SkinRow Step(SkinStep step)
{
  return {SkinKind::kStep, -1, 0, 0, 0, 0, 0, 1.0f, SkinCaption::kNone, SkinRef::kNone, 0,
          static_cast<int>(step), "", SkinStyle::kCaption};
}
constexpr SkinRow Selector(int param, int l, int t, int r, int b, int action, const char* extensions, SkinRef ref,
                           uint8_t flags = 0)
{
  return Area(SkinKind::kFileSelector, param, l, t, r, b, flags, 109, action, extensions, ref);
}

constexpr SkinKind kSwitch = SkinKind::kSwitch;
constexpr SkinKind kContact = SkinKind::kContact;
constexpr SkinKind kInvisible = SkinKind::kInvisibleSwitch;
constexpr SkinKind kSelect = SkinKind::kInvisibleSelect;
constexpr uint8_t kHideParam = kSkinHideParam;
constexpr uint8_t kHideSelf = kSkinHideSelf;

const SkinRow kClassicRows[] = {
  // ---- backgrounds and plates ----
  Plate(102, 0, 0, SkinRef::kMainBackground, kHideSelf),        // "space" background
  Plate(162, 0, 0, SkinRef::kSecondBackground, kHideSelf),      // "solid" background
  Plate(158, -15, 0, SkinRef::kVcoSaveBackground),              // VCO save mode
  Plate(159, -15, 0, SkinRef::kFlexiSaveBackground, kHideSelf), // FLEXI save mode
  Step(SkinStep::kLoadBitmaps),
  // ---- FLEXI headers: slot n at c = 611 + 168 (n - 1) ----
  Text(532, 51, 552, 63, SkinStyle::kFlexiPlus, "(+)", SkinRef::kFlexiPlus, 0),
  Text(551, 71, 611, 83, SkinStyle::kFlexiLearn, "LEARN", SkinRef::kFlexiLearn, 0),
  Text(700, 51, 720, 63, SkinStyle::kFlexiPlus, "(+)", SkinRef::kFlexiPlus, 1),
  Text(719, 71, 779, 83, SkinStyle::kFlexiLearn, "LEARN", SkinRef::kFlexiLearn, 1),
  Text(868, 51, 888, 63, SkinStyle::kFlexiPlus, "(+)", SkinRef::kFlexiPlus, 2),
  Text(887, 71, 947, 83, SkinStyle::kFlexiLearn, "LEARN", SkinRef::kFlexiLearn, 2),
  Text(1036, 51, 1056, 63, SkinStyle::kFlexiPlus, "(+)", SkinRef::kFlexiPlus, 3),
  Text(1055, 71, 1115, 83, SkinStyle::kFlexiLearn, "LEARN", SkinRef::kFlexiLearn, 3),
  // ---- effect panels and the highlights under their tabs ----
  Plate(112, 0, 0, SkinRef::kModPanel),
  Plate(113, 0, 0, SkinRef::kDrivePanel),
  Plate(114, 0, 0, SkinRef::kEqPanel),
  Plate(132, 0, 0, SkinRef::kGraphPanel),
  Plate(155, 523, 565, SkinRef::kOverdriveHighlight, kHideSelf),
  Plate(155, 618, 565, SkinRef::kEqualizerHighlight, kHideSelf),
  Plate(155, 713, 565, SkinRef::kChorusHighlight, kHideSelf),
  Plate(155, 808, 565, SkinRef::kDelayHighlight, kHideSelf),
  Text(58, 30, 268, 46, SkinStyle::kProgramName, "Last Used Program", SkinRef::kProgramName),
  // ---- synth values ----
  {kSwitch, kParamPortamentoMode, 133, 6, -7, 0, 0, 1.0f, SkinCaption::kAbove, SkinRef::kNone, kSkinAtAnchor, 0, "",
   SkinStyle::kCaption},
  At(SkinKind::kBitmap, kParamSevenSegmentDisplay, 117, 144, 47),
  {SkinKind::kValueRun, kParamVco1Coarse, 106, 0, -12, 0, 0, 1.0f, SkinCaption::kBelow, SkinRef::kNone,
   kSkinAtAnchor, kParamLfoVcoDepth, "", SkinStyle::kCaption},
  {SkinKind::kSliderHeld, kParamMidiSync, 169, 0, -12, 0, 0, 0.4f, SkinCaption::kShort, SkinRef::kMidiSyncSlider,
   kSkinAtAnchor, 0, "", SkinStyle::kCaption},
  Slider(kParamVcfCutoffNew, 107, 1.0f, SkinCaption::kBelow, SkinRef::kNone, kHideParam | kSkinCaptionHidden),
  Slider(kParamModBlendInstrument, 107, 1.0f),
  Slider(kParamModBlendVcf, 107, 1.0f),
  Slider(kParamModOnOff, 118, 0.4f),
  Slider(kParamLfoAFrq, 107, 1.0f),
  Slider(kParamLfoBFrq, 107, 1.0f),
  Slider(kParamLevel1, 107, 1.0f),
  Slider(kParamDelay1, 106, 1.0f, SkinCaption::kBelow, SkinRef::kDelay1Slider),
  Slider(kParamMod1A, 107, 1.0f),
  Slider(kParamMod1B, 107, 1.0f),
  Slider(kParamLevel2, 107, 1.0f),
  Slider(kParamDelay2, 106, 1.0f, SkinCaption::kBelow, SkinRef::kDelay2Slider),
  Slider(kParamMod2A, 107, 1.0f),
  Slider(kParamMod2B, 107, 1.0f),
  Slider(kParamFeedbackLevel, 107, 1.0f),
  Slider(kParamDrive, 107, 1.0f),
  Slider(kParamOverdriveLevel, 107, 1.0f),
  Slider(kParamOverdriveOnOff, 118, 1.0f),
  Slider(kParamOdBlendInstrument, 118, 1.0f),
  Slider(kParamOdBlendVcf, 118, 1.0f),
  Slider(kParamBassFrq, 107, 1.0f),
  Slider(kParamBassSlope, 107, 1.0f),
  Slider(kParamBassBoost, 107, 1.0f),
  Slider(kParamMid1Frq, 107, 1.0f),
  Slider(kParamMid1Q, 107, 1.0f),
  Slider(kParamMid1Boost, 107, 1.0f),
  Slider(kParamMid2Frq, 107, 1.0f),
  Slider(kParamMid2Q, 107, 1.0f),
  Slider(kParamMid2Boost, 107, 1.0f),
  Slider(kParamTrebleFrq, 107, 1.0f),
  Slider(kParamTrebleSlope, 107, 1.0f),
  Slider(kParamTrebleBoost, 107, 1.0f),
  Slider(kParamEqualizerOnOff, 118, 1.0f),
  Slider(kParamEqBlendInstrument, 118, 1.0f),
  Slider(kParamEqBlendVcf, 118, 1.0f),
  At(kSwitch, kParamEffectsChainOrder, 147, 906, 565),
  // ---- FLEXI: range pairs parked off the panel until a slot has a target ----
  At(SkinKind::kSlider, kParamFlexi1RangeA, 136, 300, -40, SkinRef::kRangeSlider, kHideParam),
  At(SkinKind::kSlider, kParamFlexi1RangeB, 136, 300, -40, SkinRef::kRangeSlider, kHideParam),
  At(SkinKind::kSlider, kParamFlexi2RangeA, 138, 300, -40, SkinRef::kRangeSlider, kHideParam),
  At(SkinKind::kSlider, kParamFlexi2RangeB, 138, 300, -40, SkinRef::kRangeSlider, kHideParam),
  At(SkinKind::kSlider, kParamFlexi3RangeA, 140, 300, -40, SkinRef::kRangeSlider, kHideParam),
  At(SkinKind::kSlider, kParamFlexi3RangeB, 140, 300, -40, SkinRef::kRangeSlider, kHideParam),
  At(SkinKind::kSlider, kParamFlexi4RangeA, 142, 300, -40, SkinRef::kRangeSlider, kHideParam),
  At(SkinKind::kSlider, kParamFlexi4RangeB, 142, 300, -40, SkinRef::kRangeSlider, kHideParam),
  Step(SkinStep::kStoreRangeWidth),
  At(kContact, kParamFlexi1Learn, 133, 570, 50),
  At(kContact, kParamFlexi2Learn, 133, 738, 50),
  At(kContact, kParamFlexi3Learn, 133, 906, 50),
  At(kContact, kParamFlexi4Learn, 133, 1074, 50),
  At(kContact, kParamFlexi1Clear, 151, 572, 52, SkinRef::kLearnLamp),
  At(kContact, kParamFlexi2Clear, 151, 740, 52, SkinRef::kLearnLamp),
  At(kContact, kParamFlexi3Clear, 151, 908, 52, SkinRef::kLearnLamp),
  At(kContact, kParamFlexi4Clear, 151, 1076, 52, SkinRef::kLearnLamp),
  {SkinKind::kSlider, kParamFlexi1Curve, 134, 0, 0, 0, 0, 3.0f, SkinCaption::kNone, SkinRef::kNone, kSkinAtAnchor,
   0, "", SkinStyle::kCaption},
  {SkinKind::kSlider, kParamFlexi2Curve, 134, 0, 0, 0, 0, 3.0f, SkinCaption::kNone, SkinRef::kNone, kSkinAtAnchor,
   0, "", SkinStyle::kCaption},
  {SkinKind::kSlider, kParamFlexi3Curve, 134, 0, 0, 0, 0, 3.0f, SkinCaption::kNone, SkinRef::kNone, kSkinAtAnchor,
   0, "", SkinStyle::kCaption},
  {SkinKind::kSlider, kParamFlexi4Curve, 134, 0, 0, 0, 0, 3.0f, SkinCaption::kNone, SkinRef::kNone, kSkinAtAnchor,
   0, "", SkinStyle::kCaption},
  Spinner(kParamFlexi1Sources, 478, 12, 548, 28, SkinStyle::kListSpinner),
  Spinner(kParamFlexi1Ranges, 478, 39, 548, 55, SkinStyle::kListSpinner),
  Spinner(kParamFlexi2Sources, 646, 12, 716, 28, SkinStyle::kListSpinner),
  Spinner(kParamFlexi2Ranges, 646, 39, 716, 55, SkinStyle::kListSpinner),
  Spinner(kParamFlexi3Sources, 814, 12, 884, 28, SkinStyle::kListSpinner),
  Spinner(kParamFlexi3Ranges, 814, 39, 884, 55, SkinStyle::kListSpinner),
  Spinner(kParamFlexi4Sources, 982, 12, 1052, 28, SkinStyle::kListSpinner),
  Spinner(kParamFlexi4Ranges, 982, 39, 1052, 55, SkinStyle::kListSpinner),
  At(kSwitch, kParamFlexi1Mode, 156, 478, 56),
  At(kSwitch, kParamFlexi2Mode, 156, 646, 56),
  At(kSwitch, kParamFlexi3Mode, 156, 814, 56),
  At(kSwitch, kParamFlexi4Mode, 156, 982, 56),
  // ---- effect strip: the radio group nobody sees, lamps and tabs ----
  Area(SkinKind::kRadio, kParamUnused293, 524, 565, 810, 581, kHideParam | kSkinZeroParam, 146, 3),
  At(kSwitch, kParamShowFxOverdrive, 154, 523, 565),
  At(kSwitch, kParamShowFxEqualizer, 153, 618, 565),
  At(kSwitch, kParamShowFxChorus, 152, 713, 565),
  At(kSwitch, kParamShowFxDelay, 170, 808, 565),
  Area(kInvisible, kParamTabOverdrive, 523, 565, 623, 585),
  Area(kInvisible, kParamTabEqualizer, 618, 565, 718, 585),
  Area(kInvisible, kParamTabChorus, 713, 565, 813, 585),
  Area(kInvisible, kParamTabDelay, 808, 565, 908, 585),
  Area(SkinKind::kParaEq, kParamPgEq, 640, 593, 1100, 708, 0, 0, 0, "", SkinRef::kEqGraph),
  // ---- FLEXI list view ----
  Area(kInvisible, kParamShowFlexi1Sources, 478, 12, 548, 28),
  Area(kInvisible, kParamShowFlexi1Ranges, 478, 39, 548, 55),
  Area(kInvisible, kParamShowFlexi2Sources, 646, 12, 716, 28),
  Area(kInvisible, kParamShowFlexi2Ranges, 646, 39, 716, 55),
  Area(kInvisible, kParamShowFlexi3Sources, 814, 12, 884, 28),
  Area(kInvisible, kParamShowFlexi3Ranges, 814, 39, 884, 55),
  Area(kInvisible, kParamShowFlexi4Sources, 982, 12, 1052, 28),
  Area(kInvisible, kParamShowFlexi4Ranges, 982, 39, 1052, 55),
  Plate(148, 0, 0, SkinRef::kSourceList),
  Plate(149, 0, 0, SkinRef::kRangeList),
  Area(kSelect, kParamListPage1, 23, 180, 295, 680),
  Area(kSelect, kParamListPage2, 295, 180, 567, 680),
  Area(kSelect, kParamListPage3, 567, 180, 839, 680),
  Area(kSelect, kParamListPage4, 839, 180, 1111, 680),
  Area(kInvisible, kParamCloseListView, 0, 0, 1140, 120, kHideParam),
  At(kSwitch, kParamFlexi1RangeControlPolarity, 150, 575, 100, SkinRef::kNone, kHideParam),
  At(kSwitch, kParamFlexi2RangeControlPolarity, 150, 575, 100, SkinRef::kNone, kHideParam),
  At(kSwitch, kParamFlexi3RangeControlPolarity, 150, 575, 100, SkinRef::kNone, kHideParam),
  At(kSwitch, kParamFlexi4RangeControlPolarity, 150, 575, 100, SkinRef::kNone, kHideParam),
  Step(SkinStep::kCloseFlexiLists),
  // ---- editing buttons and section boxes ----
  At(kContact, kParamCopyModeVco, 160, 18, 730),
  At(kContact, kParamCopyModeFlexi, 161, 18, 760),
  At(kContact, kParamCopy, 125, 226, 730),
  At(kContact, kParamInit, 126, 76, 49),
  At(kContact, kParamRandom, 127, 822, 758),
  At(kContact, kParamReset, 128, 822, 730),
  At(kContact, kParamSelectAll, 129, 1066, 730),
  At(kContact, kParamClearAll, 130, 1066, 758),
  At(kSwitch, kParamCopySource1, 131, 66, 731),
  At(kSwitch, kParamCopySource2, 131, 66, 744),
  At(kSwitch, kParamCopySource3, 131, 66, 757),
  At(kSwitch, kParamCopySource4, 131, 66, 770),
  At(kSwitch, kParamCopyTarget1, 131, 170, 731),
  At(kSwitch, kParamCopyTarget2, 131, 170, 744),
  At(kSwitch, kParamCopyTarget3, 131, 170, 757),
  At(kSwitch, kParamCopyTarget4, 131, 170, 770),
  At(kSwitch, kParamSectionVco1, 131, 874, 731),
  At(kSwitch, kParamSectionVco2, 131, 874, 744),
  At(kSwitch, kParamSectionVco3, 131, 874, 757),
  At(kSwitch, kParamSectionVco4, 131, 874, 770),
  At(kSwitch, kParamSectionFilter, 131, 922, 731),
  At(kSwitch, kParamSectionEnvLfo, 131, 922, 744),
  At(kSwitch, kParamSectionHarmDist, 131, 922, 757),
  At(kSwitch, kParamSectionEffect, 131, 922, 770),
  At(kSwitch, kParamSectionFlexi1, 131, 1002, 731),
  At(kSwitch, kParamSectionFlexi2, 131, 1002, 744),
  At(kSwitch, kParamSectionFlexi3, 131, 1002, 757),
  At(kSwitch, kParamSectionFlexi4, 131, 1002, 770),
  At(kContact, kParamPreviousProgram, 163, 196, 49),
  At(kContact, kParamNextProgram, 164, 228, 49),
  // Under the switch and the blends, clear of the band sliders and the graph.
  Area(kInvisible, kParamParametricEqView, 547, 692, 574, 711),
  Area(kInvisible, kParamParagraphicEqView, 578, 692, 605, 711),
  // ---- files ----
  Selector(kParamFirmwareSelector, 0, 0, 40, 16, 0, "ldr", SkinRef::kFirmwareSelector, kHideSelf),
  Selector(kParamLoadSelector, 60, 12, 100, 28, 0, "", SkinRef::kFolderSelector, kHideSelf),
  Selector(kParamLoadSelector, 60, 12, 100, 28, 0, "pr3 prg", SkinRef::kLoadSelector, kHideSelf),
  Selector(kParamSaveSelector, 100, 12, 140, 28, 1, "pr3", SkinRef::kSaveSelector),
  Selector(kParamWriteSelector, 150, 12, 190, 28, 0, "pr3", SkinRef::kWriteSelector),
  At(kContact, kParamLoadButton, 166, 56, 11),
  At(kContact, kParamSaveButton, 167, 100, 11),
  At(kContact, kParamWriteOneButton, 168, 142, 11),
  At(kContact, kParamWriteAllButton, 116, 206, 11),
  // ---- save from the synth, keyboard channel ----
  Plate(157, 0, 0, SkinRef::kSaveFromSynthBackground),
  Spinner(kParamProgramNumber, 548, 348, 588, 388, SkinStyle::kNumberChooser),
  Area(kInvisible, kParamProgramNumberOk, 524, 404, 600, 444),
  Spinner(kParamMidiChannel, 282, 730, 322, 770, SkinStyle::kChannel),
};

}  // namespace

const SkinTable kClassicSkin = {kClassicRows, sizeof(kClassicRows) / sizeof(kClassicRows[0])};

// The synth values 3..97 are sliders of 106 unless named here.
const SkinValueException kValueExceptions[] = {
  {kParamVco4PwmLfoFrq, SkinKind::kSlider, 106, 0, -12, 1.0f, SkinCaption::kBelow, SkinRef::kPwmSlider},
  {kParamVoice2Transposition, SkinKind::kSlider, 145, 0, -12, 0.4f, SkinCaption::kBelow, SkinRef::kNone},
  {kParamVoice3Transposition, SkinKind::kSlider, 145, 0, -12, 0.4f, SkinCaption::kBelow, SkinRef::kNone},
  {kParamEnvelopeMode, SkinKind::kSlider, 143, 0, -12, 0.4f, SkinCaption::kBelow, SkinRef::kNone},
  {kParamVcfVintageNew, SkinKind::kSwitch, 133, 6, -7, 1.0f, SkinCaption::kAbove, SkinRef::kNone},
  {kParamVcfModPitchFollow, SkinKind::kSlider, 118, 0, -12, 0.4f, SkinCaption::kBelow, SkinRef::kNone},
  {kParamVcfType, SkinKind::kSlider, 144, 0, -12, 0.4f, SkinCaption::kBelow, SkinRef::kNone},
  {kParamVcfSlope, SkinKind::kSwitch, 133, 6, -7, 1.0f, SkinCaption::kAbove, SkinRef::kNone},
  {kParamPortamentoSlope, SkinKind::kSwitch, 133, 6, -7, 1.0f, SkinCaption::kAbove, SkinRef::kNone},
  {kParamTrigGateMode, SkinKind::kSwitch, 133, 6, -7, 1.0f, SkinCaption::kAbove, SkinRef::kNone},
  {kParamKeyPriority, SkinKind::kSlider, 169, 0, -12, 0.4f, SkinCaption::kShort, SkinRef::kNone},
};
const size_t kValueExceptionCount = sizeof(kValueExceptions) / sizeof(kValueExceptions[0]);

const int kClassicBitmapIds[] = {
  102, 162, 158, 159, 134, 135, 136, 138, 140, 142, 106, 107, 118, 143, 119, 144, 145, 169, 133, 151, 112, 113,
  114, 132, 155, 117, 147, 156, 146, 154, 153, 152, 170, 148, 149, 150, 160, 161, 125, 126, 127, 128, 129, 130,
  131, 163, 164, 109, 166, 167, 168, 116, 157,
};
const size_t kClassicBitmapIdCount = sizeof(kClassicBitmapIds) / sizeof(kClassicBitmapIds[0]);

IRECT SkinCaptionRect(SkinCaption rule, int x, int y)
{
  struct Offsets { int top, bottom; };
  // Indexed by SkinCaption.
  static const Offsets kOffsets[] = {
    {0, 0},     // none
    {33, 49},   // below
    {27, 43},   // below, LCD
    {-20, -4},  // above
    {-15, 1},   // short
    {-16, 0},   // above, low button
    {-12, 4},   // key priority
    {-18, -2},  // MIDI Sync
  };
  if (rule == SkinCaption::kNone) return IRECT();
  const Offsets& o = kOffsets[static_cast<int>(rule)];
  return IRECT(x - 8, y + o.top, x + 40, y + o.bottom);
}

IText SkinTextStyle(SkinStyle style, bool lcd)
{
  const IColor white(255, 255, 255, 255), red(255, 255, 0, 0), black(255, 0, 0, 0);
  struct Look { int size; IColor classic; IColor lcd; int classicStyle; int lcdStyle; int align; int quality; };
  // Indexed by SkinStyle; style 1 is bold, alignment 0 near and 1 centre.
  const Look kLooks[] = {
    {11, white, white, 1, 1, 1, 0},  // caption
    {10, white, black, 1, 1, 0, 0},  // FLEXI plus
    {10, white, black, 1, 1, 1, 0},  // FLEXI learn
    {12, red, black, 1, 1, 1, 0},    // program name
    {11, red, black, 1, 0, 1, 2},    // list spinner
    {30, black, black, 0, 0, 1, 0},  // number chooser
    {11, black, black, 1, 1, 1, 0},  // channel
  };
  const Look& look = kLooks[static_cast<int>(style)];
  IText text;  // "Monaco", entry colours white on black text
  text.mSize = look.size;
  text.mColor = lcd ? look.lcd : look.classic;
  text.mStyle = lcd ? look.lcdStyle : look.classicStyle;
  text.mAlign = look.align;
  text.mQuality = look.quality;
  return text;
}
