// The LCD look as changes to the classic rows: its images are the classic
// ones plus 100 under "img/lcd/", its effect strip sits 3 px higher, its
// file row and step buttons are laid out for wider images, and it has no
// second background and no radio group. Everything not named here is as
// the classic look has it.
#include "editor/ZephraSkin.h"

namespace {

constexpr SkinDelta Omit(SkinRef ref, int param = -1)
{
  return {ref, param, 0, SkinChange::kOmit, 0, 0, 0, 0};
}
constexpr SkinDelta Move(int param, int x, int y, int r = 0, int b = 0)
{
  return {SkinRef::kNone, param, 0, SkinChange::kMove, x, y, r, b};
}
constexpr SkinDelta MoveRef(SkinRef ref, int x, int y, int r = 0, int b = 0)
{
  return {ref, -1, 0, SkinChange::kMove, x, y, r, b};
}
constexpr SkinDelta Caption(int param, SkinCaption rule)
{
  return {SkinRef::kNone, param, 0, SkinChange::kCaption, static_cast<int>(rule), 0, 0, 0};
}
constexpr SkinDelta Bitmap(int param, int id)
{
  return {SkinRef::kNone, param, 0, SkinChange::kBitmap, id, 0, 0, 0};
}

const SkinDelta kLcdRows[] = {
  Omit(SkinRef::kSecondBackground),
  MoveRef(SkinRef::kOverdriveHighlight, 523, 562),
  MoveRef(SkinRef::kEqualizerHighlight, 618, 562),
  MoveRef(SkinRef::kChorusHighlight, 713, 562),
  MoveRef(SkinRef::kDelayHighlight, 808, 562),
  MoveRef(SkinRef::kProgramName, 58, 31, 268, 47),
  Move(kParamPortamentoMode, 6, -8),
  Move(kParamSevenSegmentDisplay, 141, 47),
  Move(kParamVcfVintageNew, 6, -4),
  Caption(kParamVcfVintageNew, SkinCaption::kAboveLow),
  Move(kParamVcfSlope, 6, -4),
  Caption(kParamVcfSlope, SkinCaption::kAboveLow),
  Move(kParamTrigGateMode, 6, -4),
  Caption(kParamTrigGateMode, SkinCaption::kAboveLow),
  Move(kParamPortamentoSlope, 6, -8),
  Move(kParamKeyPriority, 0, -9),
  Caption(kParamKeyPriority, SkinCaption::kKeyPriority),
  Caption(kParamMidiSync, SkinCaption::kMidiSync),
  Move(kParamEffectsChainOrder, 906, 562),
  Bitmap(kParamFlexi1Learn, 265),
  Bitmap(kParamFlexi2Learn, 265),
  Bitmap(kParamFlexi3Learn, 265),
  Bitmap(kParamFlexi4Learn, 265),
  Move(kParamFlexi1Clear, 570, 50),
  Move(kParamFlexi2Clear, 738, 50),
  Move(kParamFlexi3Clear, 906, 50),
  Move(kParamFlexi4Clear, 1074, 50),
  // No control at all: the LCD look has no use for the group.
  Omit(SkinRef::kNone, kParamUnused293),
  Move(kParamShowFxOverdrive, 523, 562),
  Move(kParamShowFxEqualizer, 618, 562),
  Move(kParamShowFxChorus, 713, 562),
  Move(kParamShowFxDelay, 808, 562),
  Move(kParamTabOverdrive, 523, 562, 623, 587),
  Move(kParamTabEqualizer, 618, 562, 718, 587),
  Move(kParamTabChorus, 713, 562, 813, 587),
  Move(kParamTabDelay, 808, 562, 908, 587),
  Move(kParamPgEq, 650, 590, 1110, 705),
  Move(kParamCopy, 219, 725),
  Move(kParamInit, 48, 49),
  Move(kParamPreviousProgram, 216, 49),
  Move(kParamNextProgram, 247, 49),
  MoveRef(SkinRef::kFolderSelector, 47, 10, 103, 27),
  MoveRef(SkinRef::kLoadSelector, 47, 10, 103, 27),
  {SkinRef::kLoadSelector, -1, 0, SkinChange::kShown, 0, 0, 0, 0},
  MoveRef(SkinRef::kSaveSelector, 104, 10, 160, 27),
  MoveRef(SkinRef::kWriteSelector, 161, 10, 217, 27),
  Move(kParamLoadButton, 47, 10),
  Move(kParamSaveButton, 104, 10),
  Move(kParamWriteOneButton, 161, 10),
  Move(kParamWriteAllButton, 218, 10),
};

}  // namespace

const SkinDeltaTable kLcdDeltas = {kLcdRows, sizeof(kLcdRows) / sizeof(kLcdRows[0])};

const int kLcdOnlyBitmapIds[] = {265};
const size_t kLcdOnlyBitmapIdCount = 1;
// The second background and the radio group's buttons.
const int kLcdSkippedBitmapIds[] = {162, 146};
const size_t kLcdSkippedBitmapIdCount = 2;
