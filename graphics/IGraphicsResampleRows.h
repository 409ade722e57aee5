// Internal to the graphics library: the two row passes of the resampler in
// IGraphicsResample.cpp, at the vector levels of raster/RAST_Simd.h. The
// SSE2 pair is the reference and always there; the AVX2 pair, built on its
// own in IGraphicsResampleAvx2.cpp, does every lane's multiplies and adds in
// the reference's order and without fused multiply-adds, so both give the
// same bytes. GUI thread only, like the rest of the resampler.
#pragma once

#include "raster/RAST_Pixel.h"

#include <vector>

namespace ResampleRows
{
// The weights one destination column (or row) gives the source columns
// (rows) it reads.
struct Taps
{
  int span;                    // weights per destination column (row): k + 1
  std::vector<int> base;       // first source column (row) of each
  std::vector<double> weight;  // of base, base + 1, ... base + k, span apiece
};

// One source row filtered across: out[4 i + ch] is channel ch (byte order)
// of destination column i, for i below dstW. Taps at srcBound or beyond are
// left out, as zero terms would be.
using FilterAcrossFn = void (*)(const RAST_pixel* line, int srcBound, const Taps& cols, int dstW, double* out);

// One destination row: count filtered rows weighed by weights, scaled by
// norm, truncated and packed into dstW pixels.
using MixDownFn = void (*)(const double* const* lines, const double* weights, int count, double norm, int dstW,
                           RAST_pixel* out);

void FilterAcrossAvx2(const RAST_pixel* line, int srcBound, const Taps& cols, int dstW, double* out);
void MixDownAvx2(const double* const* lines, const double* weights, int count, double norm, int dstW,
                 RAST_pixel* out);
}  // namespace ResampleRows
