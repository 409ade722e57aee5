// Internal to the raster library: vectorised row kernels for the dispatchers.
// Each one gives exactly the bytes of its scalar rule, which stays the
// reference: the functor in RAST_Blend.h, the whole-pixel mix in RAST_Pixel.h,
// or the sampler of RAST_SourceWalk.h named beside it. Rows may start at any
// pixel address; n below 1 does nothing. s may equal d; rows that overlap
// otherwise mix in no defined order, as in the scalar loops.
//
// SSE2 is the x86-64 baseline and always there; wider kernels (AVX2) are
// chosen at run time when the processor has them. GUI thread only, like the
// rest of the library.
#pragma once

#include "raster/RAST_Blend.h"
#include "raster/RAST_Pixel.h"

#include <cstddef>
#include <cstdint>

// ---- instruction-set level ----

enum class RAST_SimdLevel
{
  Scalar,  // the functor loops alone
  SSE2,
  AVX2,
};

// The level the dispatchers run at: the widest the processor offers unless a
// test or benchmark has lowered it.
RAST_SimdLevel RAST_GetSimdLevel();

// Sets the level, held to what the processor offers; returns the level set.
// Tests and benchmarks lower it to compare the kernels with the scalar rules.
RAST_SimdLevel RAST_SetSimdLevel(RAST_SimdLevel level);

// The widest level the processor offers.
RAST_SimdLevel RAST_SupportedSimdLevel();

// ---- whole-pixel rows (SSE2 at every level) ----

// d[i] = c.
void RAST_RowFill(RAST_pixel* d, int n, RAST_pixel c);

// d[i] = RAST_HalfMix(d[i], s[i]).
void RAST_RowHalfMix(RAST_pixel* d, const RAST_pixel* s, int n);

// d[i] = RAST_QuarterMix / RAST_HalfMix / RAST_ThreeQuarterMix (d[i], c): copy
// of a colour at weight 64, 128 or 192.
void RAST_RowQuarterMixColor(RAST_pixel* d, int n, RAST_pixel c);
void RAST_RowHalfMixColor(RAST_pixel* d, int n, RAST_pixel c);
void RAST_RowThreeQuarterMixColor(RAST_pixel* d, int n, RAST_pixel c);

// RAST_BlendCopySourceAlphaFull of s[i] onto d[i]: a source drawn over the
// destination by its own alpha at full weight.
void RAST_RowCopySourceAlphaFull(RAST_pixel* d, const RAST_pixel* s, int n);

// ---- the combine rules on whole rows ----

// A fill's per-channel constants, worked out once per call from the colour
// and the weight. Channels are in byte order (alpha, red, green, blue); what
// the fields hold depends on the rule (RAST_Simd.cpp says which).
struct alignas(16) RAST_FillSource
{
  int16_t lanes16[2][8];  // per channel, for two pixels
  int32_t lanes32[4];
  float lanesF[4];
  RAST_pixel bytes;
};

// d[i] combined with the fill's colour by one rule.
using RAST_FillRowFn = void (*)(RAST_pixel* d, int n, const RAST_FillSource& source);

// d[i] combined with s[i] by one rule at weight w.
using RAST_BlitRowFn = void (*)(RAST_pixel* d, const RAST_pixel* s, int n, int w);

// The kernel that fills with combine mode op (0..5) of the colour (r, g, b
// within 0..255) at weight w, as FillRows<functor> does with the weight as the
// source alpha; *source receives its constants. Null at the scalar level and
// for weights outside 1..256.
RAST_FillRowFn RAST_VectorFillRow(int op, int r, int g, int b, int w, RAST_FillSource* source);

// The kernel of a source-bitmap rule at weight w, as the functor loop does it
// for sources within 0..255. Null at the scalar level, for weights outside
// 1..256, and for None and Clobber (a plain copy of memory).
RAST_BlitRowFn RAST_VectorBlitRow(RAST_Rule rule, int w);

// ---- scaled sampling ----
// A row of a scaled picture: out[i] samples the source at column positions
// xs[i] (16.16, integer part within the columns given to the column pass).

// A bilinear row is built in two passes. The column pass reads source
// columns first..last of two rows (row1 is row0 when the sample row is the
// source's last) and stores, per column, the pixel and its change to the row
// below as interleaved 16-bit pairs (a record of 16 bytes, column c at
// records + (c - first) * 16 bytes); column last + 1 repeats column last when
// dup is set, so a sample in the last column mixes only vertically.
// The row pass then gives, per channel, with p00 the pixel at (x0, row0),
// p01 its right neighbour, p10 and p11 the pixels below them, fx = xs & 0xffff,
// fy the row fraction and w11 = (fx * fy) >> 16:
//   (p00 * (0x10000 - fx - fy + w11) + p01 * (fx - w11) + p10 * (fy - w11)
//    + p11 * w11) >> 16,
// exactly the scalar bilinear sampler, computed as
//   (0x10000 * p00 + fy * dv0 + fx * (p01 - p00) + w11 * (dv1 - dv0)) >> 16
// with dv the change to the row below.
struct RAST_BilinearKernels
{
  void (*columns)(const RAST_pixel* row0, const RAST_pixel* row1, int first, int last, bool dup,
                  int16_t* records);
  void (*row)(const int16_t* records, int first, const int32_t* xs, int n, int fy, RAST_pixel* out);
};

// The box average: the column pass sums each source column first..last over
// the rows row0..row0 + rows - 1 into 16-bit channel sums (8 bytes a column);
// the row pass adds the sums of taps columns around each sample, x0 - taps / 2
// to x0 + taps / 2, and divides by count (columns inside times rows) through a
// reciprocal: floor(sum / count) exactly. The row pass reads sums for the
// columns x0 - taps / 2 .. x0 + taps / 2, which the caller keeps zero outside
// the source.
struct RAST_BoxKernels
{
  void (*columns)(const RAST_pixel* row0, ptrdiff_t step, int rows, int first, int last, uint16_t* sums);
  void (*row)(const uint16_t* sums, int first, const int32_t* xs, const uint8_t* counts, int n, int taps,
              int rows, RAST_pixel* out);
};

// The kernels of the current level; null members at the scalar level.
const RAST_BilinearKernels& RAST_VectorBilinear();
const RAST_BoxKernels& RAST_VectorBox();
