// Internal to the raster library: vectorised row kernels (SSE2, the x86-64
// baseline) for the hottest whole-row cases of the dispatchers. Each one gives
// exactly the bytes of its scalar rule, which stays the reference: the rule in
// RAST_Blend.h or the whole-pixel mix in RAST_Pixel.h named beside it. Rows may
// start at any pixel address; n below 1 does nothing. s may equal d; rows that
// overlap otherwise mix in no defined order, as in the scalar loops.
#pragma once

#include "raster/RAST_Pixel.h"

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
