#include "raster/RAST_IndexedImage.h"

#include "raster/RAST_BitmapView.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <new>

namespace
{
// Colours seen so far, found by an open-addressed table twice the size of the
// most it may hold, so a probe ends at an empty slot soon.
class ColourTable
{
public:
  // The index of colour c, given the next free index when it is new; -1 once
  // a 257th colour turns up.
  int IndexOf(RAST_pixel c, std::vector<RAST_pixel>* colours)
  {
    size_t slot = (c * 0x9E3779B1u) >> 23;  // 9 bits: 0..511
    while (mUsed[slot])
    {
      if (mColour[slot] == c) return mIndex[slot];
      slot = (slot + 1) & (kSlots - 1);
    }
    if (colours->size() == 256) return -1;
    mUsed[slot] = true;
    mColour[slot] = c;
    mIndex[slot] = static_cast<uint8_t>(colours->size());
    colours->push_back(c);
    return mIndex[slot];
  }

private:
  static constexpr size_t kSlots = 512;
  std::array<bool, kSlots> mUsed{};
  std::array<RAST_pixel, kSlots> mColour{};
  std::array<uint8_t, kSlots> mIndex{};
};

// A row is a sequence of runs, each led by a control byte c: below 128, a
// stretch of c + 1 indices as they are; from 128, c - 126 copies (2 to 129)
// of the one index that follows.
constexpr int kLongestStretch = 128;
constexpr int kLongestRun = 129;
constexpr int kRunBase = 126;

uint64_t Load8(const uint8_t* at)
{
  uint64_t word;
  std::memcpy(&word, at, sizeof word);
  return word;
}

// The byte number (0..7) of the lowest zero byte of word, 8 when none is:
// the lowest flag of the classic zero-byte test is always a true one.
int FirstZeroByte(uint64_t word)
{
  const uint64_t flags = (word - 0x0101010101010101ull) & ~word & 0x8080808080808080ull;
  return flags ? __builtin_ctzll(flags) >> 3 : 8;
}

// How many of in[0..limit) equal in[0] before the first that does not.
// Eight indices are compared at a time: an artwork row is mostly long
// stretches of one colour or of noise.
int RunLength(const uint8_t* in, int limit)
{
  const uint64_t all = 0x0101010101010101ull * in[0];
  int n = 1;
  for (; n + 8 <= limit; n += 8)
    if (const uint64_t differ = Load8(in + n) ^ all) return n + (__builtin_ctzll(differ) >> 3);
  while (n < limit && in[n] == in[0]) ++n;
  return n;
}

// The first s from 1 on where in[s] and in[s + 1] are equal (both before
// in + w), or limit when none is before it.
int StretchLength(const uint8_t* in, int w, int limit)
{
  int s = 1;
  for (; s + 8 <= limit && s + 9 <= w; s += 8)
  {
    const int zero = FirstZeroByte(Load8(in + s) ^ Load8(in + s + 1));
    if (zero < 8) return s + zero;
  }
  while (s < limit && !(s + 1 < w && in[s] == in[s + 1])) ++s;
  return s;
}

void PackRow(const uint8_t* in, int w, std::vector<uint8_t>& out)
{
  // The most a row can take: a stretch costs a byte more than its indices
  // and ends only before a run (two bytes for two or more indices), at the
  // row's end or at its longest, so no three indices take more than four
  // bytes, and the row's last one alone two. The row is packed aside and
  // only its bytes appended: growing the image's own bytes by that most
  // cleared them on every row, a twentieth of what decoding the artwork
  // cost.
  thread_local std::vector<uint8_t> aside;
  const size_t most = static_cast<size_t>(w) + static_cast<size_t>(w) / 3 + 2;
  if (aside.size() < most) aside.resize(most);
  uint8_t* const begin = aside.data();
  uint8_t* to = begin;
  int x = 0;
  while (x < w)
  {
    const int run = RunLength(in + x, std::min(w - x, kLongestRun));
    if (run >= 2)
    {
      *to++ = static_cast<uint8_t>(run + kRunBase);
      *to++ = in[x];
      x += run;
      continue;
    }
    // A stretch ends where two equal indices begin a run.
    const int stretch = StretchLength(in + x, w - x, std::min(w - x, kLongestStretch));
    *to++ = static_cast<uint8_t>(stretch - 1);
    std::memcpy(to, in + x, static_cast<size_t>(stretch));
    to += stretch;
    x += stretch;
  }
  out.insert(out.end(), begin, to);
}
}  // namespace

bool RAST_IndexedImage::Assign(RAST_IBitmap* src)
{
  Clear();
  RAST_BitmapView view;
  if (!view.Open(src)) return false;
  // Short of memory the image is simply not kept: its file is read again.
  try
  {
    return AssignFrom(view);
  }
  catch (const std::bad_alloc&)
  {
    Clear();
    return false;
  }
}

bool RAST_IndexedImage::AssignFrom(const RAST_BitmapView& view)
{
  std::vector<RAST_pixel> colours;
  std::vector<uint8_t> row(static_cast<size_t>(view.width));
  ColourTable table;
  // Artwork runs in long stretches of one colour: the last colour's index
  // serves again without a look in the table.
  RAST_pixel last = 0;
  int lastIndex = -1;
  std::vector<uint8_t> packed;
  std::vector<size_t> starts;
  starts.reserve(static_cast<size_t>(view.height) + 1);
  for (int y = 0; y < view.height; ++y)
  {
    const RAST_pixel* pixels = view.Row(y);
    for (int x = 0; x < view.width; ++x)
    {
      if (lastIndex < 0 || pixels[x] != last)
      {
        last = pixels[x];
        lastIndex = table.IndexOf(last, &colours);
        if (lastIndex < 0) return false;
      }
      row[static_cast<size_t>(x)] = static_cast<uint8_t>(lastIndex);
    }
    starts.push_back(packed.size());
    PackRow(row.data(), view.width, packed);
  }
  starts.push_back(packed.size());
  colours.resize(256, 0);
  packed.shrink_to_fit();
  mWidth = view.width;
  mHeight = view.height;
  mColours = std::move(colours);
  mPacked = std::move(packed);
  mRowStarts = std::move(starts);
  return true;
}

bool RAST_IndexedImage::Prepare(int w, int h, const RAST_pixel* colours, int count)
{
  Clear();
  if (w <= 0 || h <= 0 || !colours || count < 1 || count > 256) return false;
  try
  {
    mColours.assign(colours, colours + count);
    mColours.resize(256, 0);
    mRowStarts.reserve(static_cast<size_t>(h) + 1);
    mRowStarts.push_back(0);
  }
  catch (const std::bad_alloc&)
  {
    Clear();
    return false;
  }
  mWidth = w;
  mHeight = h;
  return true;
}

bool RAST_IndexedImage::PutRow(int y, const uint8_t* indices)
{
  if (Empty() || Complete() || !indices || static_cast<size_t>(y) + 1 != mRowStarts.size()) return false;
  try
  {
    PackRow(indices, mWidth, mPacked);
    mRowStarts.push_back(mPacked.size());
  }
  catch (const std::bad_alloc&)
  {
    // The image is dropped whole: a decoder goes on without it.
    Clear();
    return false;
  }
  if (Complete()) mPacked.shrink_to_fit();
  return true;
}

void RAST_IndexedImage::Clear()
{
  mWidth = mHeight = 0;
  mColours.clear();
  std::vector<uint8_t>().swap(mPacked);
  std::vector<size_t>().swap(mRowStarts);
}

bool RAST_IndexedImage::ExpandInto(RAST_IBitmap* dst) const { return ExpandRect(0, 0, mWidth, mHeight, dst); }

bool RAST_IndexedImage::ExpandRect(int x, int y, int w, int h, RAST_IBitmap* dst) const
{
  if (!Complete() || !dst || x < 0 || y < 0 || w <= 0 || h <= 0 || x > mWidth - w || y > mHeight - h) return false;
  dst->resize(w, h);
  RAST_BitmapView view;
  if (!view.Open(dst) || view.width != w || view.height != h) return false;
  const RAST_pixel* colours = mColours.data();
  for (int row = 0; row < h; ++row)
  {
    // at counts the row's pixels passed; only those from x to x + w are
    // written, out[0] being the one at x.
    RAST_pixel* const out = view.Row(row);
    const size_t packedRow = static_cast<size_t>(y + row);
    const uint8_t* in = mPacked.data() + mRowStarts[packedRow];
    const uint8_t* const last = mPacked.data() + mRowStarts[packedRow + 1];
    int at = 0;
    const int end = x + w;
    while (in < last && at < mWidth)
    {
      const int control = *in++;
      if (control >= kLongestStretch)
      {
        const int n = std::min(control - kRunBase, mWidth - at);
        if (in == last) break;
        const int from = std::max(at, x), to = std::min(at + n, end);
        if (from < to) std::fill(out + (from - x), out + (to - x), colours[*in]);
        ++in;
        at += n;
      }
      else
      {
        const int n = std::min<int>({control + 1, mWidth - at, static_cast<int>(last - in)});
        const int from = std::max(at, x), to = std::min(at + n, end);
        for (int i = from; i < to; ++i) out[i - x] = colours[in[i - at]];
        at += n;
        in += n;
      }
      // The rest of the row is not wanted; a whole row is still checked.
      if (at >= end && w != mWidth) break;
    }
    // A row that does not fill the width exactly is not this image's.
    if (w == mWidth && (at != mWidth || in != last)) return false;
    if (at < end) return false;
  }
  return true;
}
