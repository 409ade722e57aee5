// The wall time this process has spent in IGraphics::RescaleBitmaps, which
// reads, decodes and resamples the artwork, in milliseconds: what the
// artwork costs, for the program's report of where its start goes.
#pragma once

double IGraphicsArtworkMs();
