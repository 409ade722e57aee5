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

// ---- the combine rules on whole rows ----

// A fill's per-channel constants, worked out once per call from the colour
// and the weight. Channels are in byte order (alpha, red, green, blue); what
// the fields hold depends on the rule (each rule's Fill in RAST_SimdKernels.h
// says which).
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
// source alpha; *source receives its constants. Null at the scalar level, for
// weights outside 1..256, and for copy at 256 (a plain fill there).
RAST_FillRowFn RAST_VectorFillRow(int op, int r, int g, int b, int w, RAST_FillSource* source);

// The kernel of a source-bitmap rule at weight w, as the functor loop does it
// for sources within 0..255. Null at the scalar level, for weights outside
// 1..256, and for None and Clobber (a plain copy of memory).
RAST_BlitRowFn RAST_VectorBlitRow(RAST_Rule rule, int w);

// ---- scaled sampling ----
// A row of a scaled picture: out[i] samples the source at a column that runs
// monotonically (either way) with i, for i in 0..n - 1.

// The bilinear sampler on a row whose samples all have a right neighbour in
// the source (column x0[i] + 1 is readable): out[i] mixes the pixels at
// columns x0[i] and x0[i] + 1 of row0 and row1 (row1 is row0 when the sample
// row is the source's last, so nothing mixes vertically) with fx = fx[i] and
// the row's fy, each channel as the scalar sampler does, w11 = (fx * fy) >> 16:
//   (p00 * (0x10000 - fx - fy + w11) + p01 * (fx - w11) + p10 * (fy - w11)
//    + p11 * w11) >> 16,
// computed exactly from 16-bit products.
struct RAST_BilinearKernels
{
  void (*row)(const RAST_pixel* row0, const RAST_pixel* row1, const int32_t* x0, const uint16_t* fx, int n, int fy,
              RAST_pixel* out);
};

// The box average in two passes. The column pass sums each source column
// first..last over rows rows from row0, step pixels apart, into four 16-bit
// channel sums (column c at sums + (c - first) * 4). The row pass adds, for
// each sample, the sums of taps adjacent columns from sums + at[i] and gives
// floor(sum / count) per channel through a reciprocal: each sample's taps all
// lie inside the source, so count (taps times rows) is the same for all.
struct RAST_BoxKernels
{
  void (*columns)(const RAST_pixel* row0, ptrdiff_t step, int rows, int first, int last, uint16_t* sums);
  void (*row)(const uint16_t* sums, const int32_t* at, int n, int taps, int count, RAST_pixel* out);
};

// The kernels of the current level; null members at the scalar level.
const RAST_BilinearKernels& RAST_VectorBilinear();
const RAST_BoxKernels& RAST_VectorBox();
