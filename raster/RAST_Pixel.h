// The raster library's pixel and drawing-mode word.
//
// A RAST_pixel is four bytes in memory: alpha, red, green, blue. Read as a
// little-endian 32-bit number it is a | r << 8 | g << 16 | b << 24. Colour
// channels are not premultiplied by alpha; every combine rule treats the alpha
// byte as one more channel.
#pragma once

#include <cstdint>

#if !defined(__BYTE_ORDER__) || __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "RAST_pixel's byte order (A, R, G, B in memory) assumes a little-endian target"
#endif

typedef uint32_t RAST_pixel;

// Packs the four channels (each taken modulo 256) into a pixel.
constexpr RAST_pixel RAST_RGBA(int r, int g, int b, int a)
{
  return (static_cast<RAST_pixel>(a) & 255u) | (static_cast<RAST_pixel>(r) & 255u) << 8 |
         (static_cast<RAST_pixel>(g) & 255u) << 16 | (static_cast<RAST_pixel>(b) & 255u) << 24;
}

constexpr int RAST_GETA(RAST_pixel p) { return static_cast<int>(p & 255u); }
constexpr int RAST_GETR(RAST_pixel p) { return static_cast<int>((p >> 8) & 255u); }
constexpr int RAST_GETG(RAST_pixel p) { return static_cast<int>((p >> 16) & 255u); }
constexpr int RAST_GETB(RAST_pixel p) { return static_cast<int>(p >> 24); }

// ---- channel sums ----
// The four channels of a pixel spread into the 16-bit lanes of a 64-bit word,
// alpha lowest, so that up to 257 pixels add up without one channel carrying
// into the next; packing takes each lane's low byte back into a pixel.
constexpr uint64_t RAST_SpreadLanes(RAST_pixel p)
{
  const uint64_t v = p;
  return (v & 0xffu) | (v & 0xff00u) << 8 | (v & 0xff0000u) << 16 | (v & 0xff000000u) << 24;
}

constexpr RAST_pixel RAST_PackLanes(uint64_t lanes)
{
  return static_cast<RAST_pixel>((lanes & 0xffu) | (lanes >> 8 & 0xff00u) | (lanes >> 16 & 0xff0000u) |
                                 (lanes >> 24 & 0xff000000u));
}

// The 2 x 2 mean of copy mode: each channel of the four pixels summed and
// floored over 4, (p00 + p10 + p01 + p11) >> 2, alpha like any other.
constexpr RAST_pixel RAST_BoxMean4(uint64_t laneSum)
{
  return RAST_PackLanes((laneSum >> 2) & 0x00ff00ff00ff00ffull);
}

// ---- drawing-mode word ----
// Low byte: the combine mode. Modes 6..255 draw nothing, except the channel
// copy of RAST_Blit, selected when bits 4..7 are all set: bits 2..3 then give
// the destination byte index and bits 0..1 the source byte index (0 alpha,
// 1 red, 2 green, 3 blue).
constexpr int RAST_BLIT_MODE_MASK = 0xff;
constexpr int RAST_BLIT_MODE_COPY = 0;
constexpr int RAST_BLIT_MODE_ADD = 1;
constexpr int RAST_BLIT_MODE_DODGE = 2;
constexpr int RAST_BLIT_MODE_MUL = 3;
constexpr int RAST_BLIT_MODE_OVERLAY = 4;
constexpr int RAST_BLIT_MODE_HSVADJ = 5;
constexpr int RAST_BLIT_MODE_COUNT = 6;  // modes 0..5 draw
constexpr int RAST_BLIT_MODE_CHANCOPY = 0xf0;
// Bits 8..15: the filter of scaled, rotated and transformed blits.
constexpr int RAST_BLIT_FILTER_MASK = 0xff00;
constexpr int RAST_BLIT_FILTER_BILINEAR = 0x100;
// Weight each source pixel by its own alpha byte.
constexpr int RAST_BLIT_USE_ALPHA = 0x10000;

// ---- whole-pixel mixes of copy mode ----
// All four channels at once with shifts and masks: each channel's share is
// truncated on its own and no carry crosses into the next channel, so the low
// bits lost by the shifts are part of the result (half of 0xFF onto 0 is 0x7F).

// p / 2 + c / 2 per channel: copy at weight 128.
constexpr RAST_pixel RAST_HalfMix(RAST_pixel p, RAST_pixel c)
{
  return ((p >> 1) & 0x7f7f7f7fu) + ((c >> 1) & 0x7f7f7f7fu);
}

// p / 2 + p / 4 + c / 4 per channel: copy at weight 64.
constexpr RAST_pixel RAST_QuarterMix(RAST_pixel p, RAST_pixel c)
{
  return ((p >> 2) & 0x3f3f3f3fu) + ((p >> 1) & 0x7f7f7f7fu) + ((c >> 2) & 0x3f3f3f3fu);
}

// p / 4 + c / 4 + c / 2 per channel: copy at weight 192.
constexpr RAST_pixel RAST_ThreeQuarterMix(RAST_pixel p, RAST_pixel c)
{
  return ((p >> 2) & 0x3f3f3f3fu) + ((c >> 2) & 0x3f3f3f3fu) + ((c >> 1) & 0x7f7f7f7fu);
}
