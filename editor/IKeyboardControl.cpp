#include "editor/IKeyboardControl.h"

#include "graphics/IGraphics.h"
#include "synth/ZephraModel.h"

#include <algorithm>

namespace {

// Left edge of each key within an octave at scale 1, C to B.
constexpr int kKeyOffset[12] = {0, 9, 14, 25, 28, 42, 51, 56, 66, 70, 81, 84};
constexpr int kBlackKeys[5] = {1, 3, 6, 8, 10};
constexpr int kBlackWidth = 10;
constexpr int kBlackHeight = 42;
constexpr int kWhiteKeysPerOctave = 7;

// Velocity fraction at dy pixels down a key of the given height: full from
// nine tenths of the way down.
double VelocityAt(int dy, int height)
{
  return height > 0 ? std::min(1.0, dy / (0.9 * height)) : 1.0;
}

}  // namespace

IKeyboardControl::IKeyboardControl(ZephraModel* model, IBitmap* keys, IBitmap* octave, int x, int y)
  : IControl(model, IRECT(x, y, x + kOctaves * keys->W, y + keys->FrameH())),
    mModel(model),
    mKeys(keys),
    mOctave(octave)
{
  SetDblAsSingleClick(true);
}

IKeyboardControl::~IKeyboardControl()
{
  EndNote();
}

// ---- lookup ----

int IKeyboardControl::GetKeyAt(int x, int y)
{
  const IRECT r = GetTargetRECT();
  const int octaveWidth = mKeys->W;
  if (!r.Contains(x, y) || octaveWidth <= 0) return -1;
  double scale;
  {
    BASE_MutexLock lock(ChangeLock());
    scale = mScale;
  }
  const int dx = x - r.L;
  const int dy = y - r.T;
  // At fractional scales the rectangle rounds differently from the strip
  // and may end a few pixels past the fifth octave: they belong to its top
  // key, not to a sixth octave.
  const int octave = std::min(dx / octaveWidth, kOctaves - 1);
  const int xo = dx - octave * octaveWidth;
  const int blackHeight = static_cast<int>(kBlackHeight * scale);
  const int blackWidth = static_cast<int>(kBlackWidth * scale);
  if (dy < blackHeight)
  {
    for (int key : kBlackKeys)
    {
      const int left = static_cast<int>(kKeyOffset[key] * scale);
      if (left <= xo && xo < left + blackWidth)
      {
        mVelocity.store(VelocityAt(dy, blackHeight), std::memory_order_relaxed);
        return key + 12 * octave;
      }
    }
  }
  // White keys are a seventh of the octave each; the last pixels of a
  // rounded octave must not make an eighth.
  const int white = std::clamp(static_cast<int>(xo / (octaveWidth / double(kWhiteKeysPerOctave))), 0,
                               kWhiteKeysPerOctave - 1);
  const int key = white < 3 ? 2 * white : 2 * white - 1;  // C D E, then F G A B
  mVelocity.store(VelocityAt(dy, r.H()), std::memory_order_relaxed);
  return key + 12 * octave;
}

// ---- mouse ----

void IKeyboardControl::OnMouseDown(int x, int y, IMouseMod* mod)
{
  if (mod && mod->R) return;
  const int key = GetKeyAt(x, y);
  if (key < 0 || key > kHighestKey) return;
  // A key held on the controller keyboard sounds all the same, but is not
  // shown pressed: it is lit already.
  const bool heldOutside = mModel->IsNoteHeld(kLowestNote + key);
  int ended = kNoKey;
  bool starts = false;
  {
    BASE_MutexLock lock(ChangeLock());
    if (key == mPressedKey) return;
    if (key != mSoundingKey)
    {
      ended = mSoundingKey;
      mSoundingKey = key;
      starts = true;
    }
    mPressedKey = heldOutside ? -1 : key;
  }
  if (ended >= 0) mModel->SendNote(kLowestNote + ended, false);
  if (starts) mModel->SendNote(kLowestNote + key, true);
  SetDirty(false);
}

void IKeyboardControl::OnMouseUp(int, int, IMouseMod*)
{
  EndNote();
  SetDirty(false);
}

void IKeyboardControl::OnMouseDrag(int x, int y, int, int, IMouseMod* mod)
{
  OnMouseDown(x, y, mod);
}

void IKeyboardControl::OnMouseWheel(int, int, IMouseMod*, int) {}

void IKeyboardControl::OnMouseCaptureLost()
{
  EndNote();
  SetDirty(false);
}

void IKeyboardControl::EndNote()
{
  int ended;
  {
    BASE_MutexLock lock(ChangeLock());
    ended = mSoundingKey;
    mSoundingKey = kNoKey;
    mPressedKey = -1;
  }
  if (ended >= 0) mModel->SendNote(kLowestNote + ended, false);
}

// ---- drawing ----

IRECT IKeyboardControl::OctaveRect(const IRECT& r, int octave) const
{
  const int width = mKeys->W;
  return IRECT(r.L + octave * width, r.T, r.L + (octave + 1) * width, r.B);
}

bool IKeyboardControl::Draw(IGraphics* graphics)
{
  for (int octave = 0; octave < kOctaves; ++octave) DrawKey(graphics, OctaveRect(mRECT, octave), 0, true);
  if (mModel->GetHeldNoteCount() == 0 && mPressedKey < 0) return true;
  // A lit key's frame covers its whole octave; the lit keys of one octave
  // are drawn one over the other.
  for (int key = 0; key <= kHighestKey; ++key)
    if (key == mPressedKey || mModel->IsNoteHeld(kLowestNote + key))
      DrawKey(graphics, OctaveRect(mRECT, key / 12), key % 12, false);
  return true;
}

void IKeyboardControl::DrawKey(IGraphics* graphics, const IRECT& rect, int keyInOctave, bool background)
{
  if (background)
    graphics->DrawIBitmap(mOctave, &rect, 1, &mBlend);
  else
    graphics->DrawIBitmap(mKeys, &rect, keyInOctave + 1, &mBlend);
}

void IKeyboardControl::AfterGUIResize(double ratio)
{
  BASE_MutexLock lock(ChangeLock());
  mScale = ratio;
}
