// The 184 program values, one row per program index. Columns: the parameter
// definition {number, name, defined, min, max, default}, then the synth range
// min and max, NRPN MSB and LSB, default program, INIT sound, panel x and y.
// The named per-index arrays of ZephraTables.h are columns of this table.
#include "synth/ZephraTables.h"

constexpr std::array<ProgramValueRow, kProgramSize> kProgramValues = {{
  // {{num, name, defined, pmin, pmax, pdef}, min, max, msb, lsb, dflt, init, x, y}
  {{   3, "VCO1 coarse",                      true,   -24,   48,   0},  -24,   48,  5,   0,    0,   0,    25,   88},  // 0 VCO1 coarse
  {{   4, "VCO1 fine",                        true,   -63,   63,   0},  -63,   63,  5,   1,    0,   0,    65,   88},  // 1 VCO1 fine
  {{   5, "VCO1 beat",                        true,   -63,   63,   0},  -63,   63,  5,   2,    0,   0,   105,   88},  // 2 VCO1 beat
  {{   6, "VCO1 saw env decay",               true,     0,  127,   0},    0,  127,  5,   3,    0,   0,   145,   88},  // 3 VCO1 saw env decay
  {{   7, "VCO1 saw env ampmod",              true,   -63,   63,   0},  -63,   63,  5,   4,    0,   0,   185,   88},  // 4 VCO1 saw env ampmod
  {{   8, "VCO1 PWM offset",                  true,     0,  127,   0},    0,  127,  5,   5,    0,   0,   225,   88},  // 5 VCO1 PWM offset
  {{   9, "VCO1 PWM LFO frq",                 true,     1,  127,   1},    1,  127,  5,   6,    1,   1,   265,   88},  // 6 VCO1 PWM LFO frq
  {{  10, "VCO1 PWM LFO depth",               true,     0,  127,   0},    0,  127,  5,   7,    0,   0,   305,   88},  // 7 VCO1 PWM LFO depth
  {{  11, "VCO1 saw",                         true,     0,  127,   0},    0,  127,  5,   8,   42,   0,   345,   88},  // 8 VCO1 saw
  {{  12, "VCO1 square",                      true,     0,  127,   0},    0,  127,  5,   9,    0,   0,   385,   88},  // 9 VCO1 square
  {{  13, "VCO1 tri",                         true,     0,  127,   0},    0,  127,  5,  10,    0,   0,   425,   88},  // 10 VCO1 tri
  {{  14, "VCO1 volume",                      true,     0,  127,   0},    0,  127,  5,  11,   32,   0,   465,   88},  // 11 VCO1 volume
  {{  15, "VCO2 coarse",                      true,   -24,   48,   0},  -24,   48,  5,  12,    0,   0,    25,  245},  // 12 VCO2 coarse
  {{  16, "VCO2 fine",                        true,   -63,   63,   0},  -63,   63,  5,  13,    0,   0,    65,  245},  // 13 VCO2 fine
  {{  17, "VCO2 beat",                        true,   -63,   63,   0},  -63,   63,  5,  14,    0,   0,   105,  245},  // 14 VCO2 beat
  {{  18, "VCO2 saw env decay",               true,     0,  127,   0},    0,  127,  5,  15,    0,   0,   145,  245},  // 15 VCO2 saw env decay
  {{  19, "VCO2 saw env ampmod",              true,   -63,   63,   0},  -63,   63,  5,  16,    0,   0,   185,  245},  // 16 VCO2 saw env ampmod
  {{  20, "VCO2 PWM offset",                  true,     0,  127,   0},    0,  127,  5,  17,    0,   0,   225,  245},  // 17 VCO2 PWM offset
  {{  21, "VCO PWM LFO frq",                  true,     1,  127,   1},    1,  127,  5,  18,    1,   1,   265,  245},  // 18 VCO PWM LFO frq
  {{  22, "VCO2 PWM LFO depth",               true,     0,  127,   0},    0,  127,  5,  19,    0,   0,   305,  245},  // 19 VCO2 PWM LFO depth
  {{  23, "VCO2 saw",                         true,     0,  127,   0},    0,  127,  5,  20,    0,   0,   345,  245},  // 20 VCO2 saw
  {{  24, "VCO2 square",                      true,     0,  127,   0},    0,  127,  5,  21,    0,   0,   385,  245},  // 21 VCO2 square
  {{  25, "VCO2 tri",                         true,     0,  127,   0},    0,  127,  5,  22,    0,   0,   425,  245},  // 22 VCO2 tri
  {{  26, "VCO2 volume",                      true,     0,  127,   0},    0,  127,  5,  23,    0,   0,   465,  245},  // 23 VCO2 volume
  {{  27, "VCO3 coarse",                      true,   -24,   48,   0},  -24,   48,  5,  24,    0,   0,    25,  402},  // 24 VCO3 coarse
  {{  28, "VCO3 fine",                        true,   -63,   63,   0},  -63,   63,  5,  25,    0,   0,    65,  402},  // 25 VCO3 fine
  {{  29, "VCO3 beat",                        true,   -63,   63,   0},  -63,   63,  5,  26,    0,   0,   105,  402},  // 26 VCO3 beat
  {{  30, "VCO3 saw env decay",               true,     0,  127,   0},    0,  127,  5,  27,    0,   0,   145,  402},  // 27 VCO3 saw env decay
  {{  31, "VCO3 saw env ampmod",              true,   -63,   63,   0},  -63,   63,  5,  28,    0,   0,   185,  402},  // 28 VCO3 saw env ampmod
  {{  32, "VCO3 PWM offset",                  true,     0,  127,   0},    0,  127,  5,  29,    0,   0,   225,  402},  // 29 VCO3 PWM offset
  {{  33, "VCO3 PWM LFO frq",                 true,     1,  127,   1},    1,  127,  5,  30,    1,   1,   265,  402},  // 30 VCO3 PWM LFO frq
  {{  34, "VCO3 PWM LFO depth",               true,     0,  127,   0},    0,  127,  5,  31,    0,   0,   305,  402},  // 31 VCO3 PWM LFO depth
  {{  35, "VCO3 saw",                         true,     0,  127,   0},    0,  127,  5,  32,    0,   0,   345,  402},  // 32 VCO3 saw
  {{  36, "VCO3 square",                      true,     0,  127,   0},    0,  127,  5,  33,    0,   0,   385,  402},  // 33 VCO3 square
  {{  37, "VCO3 tri",                         true,     0,  127,   0},    0,  127,  5,  34,    0,   0,   425,  402},  // 34 VCO3 tri
  {{  38, "VCO3 volume",                      true,     0,  127,   0},    0,  127,  5,  35,    0,   0,   465,  402},  // 35 VCO3 volume
  {{  39, "VCO4 coarse",                      true,   -24,   48,   0},  -24,   48,  5,  36,    0,   0,    25,  559},  // 36 VCO4 coarse
  {{  40, "VCO4 fine",                        true,   -63,   63,   0},  -63,   63,  5,  37,    0,   0,    65,  559},  // 37 VCO4 fine
  {{  41, "VCO4 beat",                        true,   -63,   63,   0},  -63,   63,  5,  38,    0,   0,   105,  559},  // 38 VCO4 beat
  {{  42, "VCO4 saw env decay",               true,     0,  127,   0},    0,  127,  5,  39,    0,   0,   145,  559},  // 39 VCO4 saw env decay
  {{  43, "VCO4 saw env ampmod",              true,   -63,   63,   0},  -63,   63,  5,  40,    0,   0,   185,  559},  // 40 VCO4 saw env ampmod
  {{  44, "VCO4 PWM offset",                  true,     0,  127,   0},    0,  127,  5,  41,    0,   0,   225,  559},  // 41 VCO4 PWM offset
  {{  45, "VCO4 PWM LFO frq",                 true,     1,  127,   1},    1,  127,  5,  42,    1,   1,   265,  559},  // 42 VCO4 PWM LFO frq
  {{  46, "VCO4 PWM LFO depth",               true,     0,  127,   0},    0,  127,  5,  43,    0,   0,   305,  559},  // 43 VCO4 PWM LFO depth
  {{  47, "VCO4 saw",                         true,     0,  127,   0},    0,  127,  5,  44,    0,   0,   345,  559},  // 44 VCO4 saw
  {{  48, "VCO4 square",                      true,     0,  127,   0},    0,  127,  5,  45,    0,   0,   385,  559},  // 45 VCO4 square
  {{  49, "VCO4 tri",                         true,     0,  127,   0},    0,  127,  5,  46,    0,   0,   425,  559},  // 46 VCO4 tri
  {{  50, "VCO4 volume",                      true,     0,  127,   0},    0,  127,  5,  47,    0,   0,   465,  559},  // 47 VCO4 volume
  {{  51, "voice2 transposition",             true,    -2,    3,   0},   -2,    3,  5,  48,    0,   0,   520,  402},  // 48 voice2 transposition
  {{  52, "voice3 transposition",             true,    -2,    3,   0},   -2,    3,  5,  49,    0,   0,   560,  402},  // 49 voice3 transposition
  {{  53, "instrument volume",                true,     0,  127,   0},    0,  127,  5,  50,    0,   0,   600,  402},  // 50 instrument volume
  {{  54, "voice1(+1oct) volume",             true,     0,  127,   0},    0,  127,  5,  51,    0,   0,   640,  402},  // 51 voice1(+1oct) volume
  {{  55, "voice2(var.) volume",              true,     0,  127,   0},    0,  127,  5,  52,    0,   0,   680,  402},  // 52 voice2(var.) volume
  {{  56, "voice3(var.) volume",              true,     0,  127,   0},    0,  127,  5,  53,    0,   0,   720,  402},  // 53 voice3(var.) volume
  {{  57, "distortion grade",                 true,     0,   31,   0},    0,   31,  5,  54,    0,   0,   760,  402},  // 54 distortion grade
  {{  58, "distortion tone",                  true,     0,  127,   0},    0,  127,  5,  55,    0,   0,   800,  402},  // 55 distortion tone
  {{  59, "Instrument volume",                true,     0,  127,   0},    0,  127,  5,  56,   64,   0,  1008,  402},  // 56 Instrument volume
  {{  60, "VCF volume linear",                true,     0,  127,   0},    0,  127,  5,  57,   64,   0,  1044,  402},  // 57 VCF volume linear
  {{  61, "VCF volume logarithmic",           true,     0,  127,   0},    0,  127,  5,  58,   64,   0,  1080,  402},  // 58 VCF volume logarithmic
  {{  62, "VCA attack time",                  true,     1,  127,   1},    1,  127,  5,  59,    1,   1,   560,  245},  // 59 VCA attack time
  {{  63, "VCA decay time",                   true,     1,  127,   1},    1,  127,  5,  60,    1,   1,   600,  245},  // 60 VCA decay time
  {{  64, "VCA sustain level",                true,     0,  127,   0},    0,  127,  5,  61,  127,   0,   640,  245},  // 61 VCA sustain level
  {{  65, "VCA release time",                 true,     1,  127,   1},    1,  127,  5,  62,    1,   1,   680,  245},  // 62 VCA release time
  {{  66, "VCF attack time",                  true,     1,  127,   1},    1,  127,  5,  63,    1,   1,   720,  245},  // 63 VCF attack time
  {{  67, "VCF decay time",                   true,     1,  127,   1},    1,  127,  5,  64,    1,   1,   760,  245},  // 64 VCF decay time
  {{  68, "VCF sustain level",                true,     0,  127,   0},    0,  127,  5,  65,    0,   0,   800,  245},  // 65 VCF sustain level
  {{  69, "VCF release time",                 true,     1,  127,   1},    1,  127,  5,  66,    1,   1,   840,  245},  // 66 VCF release time
  {{  70, "Envelope Mode",                    true,     0,    2,   0},    0,    2,  5,  67,    1,   0,   520,  245},  // 67 Envelope Mode
  {{  71, "Noise attack time",                true,     1,  127,   1},    1,  127,  5,  68,    1,   1,   880,  245},  // 68 Noise attack time
  {{  72, "Noise decay time",                 true,     1,  127,   1},    1,  127,  5,  69,    1,   1,   920,  245},  // 69 Noise decay time
  {{  73, "Instrument volume",                true,     0,  127,   0},    0,  127,  5,  70,    0,   0,   560,   88},  // 70 Instrument volume
  {{  74, "Distortion volume",                true,     0,  127,   0},    0,  127,  5,  71,    0,   0,   600,   88},  // 71 Distortion volume
  {{  75, "Distortion through AR",            true,     0,  127,   0},    0,  127,  5,  72,    0,   0,   640,   88},  // 72 Distortion through AR
  {{  76, "VCO through inverse AR",           true,     0,  127,   0},    0,  127,  5,  73,   64,   0,   680,   88},  // 73 VCO through inverse AR
  {{  77, "Noise volume",                     true,     0,  127,   0},    0,  127,  5,  74,    0,   0,   720,   88},  // 74 Noise volume
  {{  78, "VCF vintage/new",                  true,     0,    1,   0},    0,    1,  5,  75,    1,   1,   762,  155},  // 75 VCF vintage/new
  {{  79, "VCF Cutoff Frequency (vintage)",   true,     0,   80,   0},    0,   80,  5,  76,  122,   0,   800,   88},  // 76 VCF Cutoff Frequency (vintage)
  {{  80, "2nd VCF Cutoff Frequency",         true,     0,   24,   0},    0,   24,  5,  77,    0,   0,   840,   88},  // 77 2nd VCF Cutoff Frequency
  {{  81, "VCF modulation envelope follower", true,     0,  127,   0},    0,  127,  5,  78,    0,   0,   960,   88},  // 78 VCF modulation envelope follower
  {{  82, "VCF accent",                       true,     0,  127,   0},    0,  127,  5,  79,    0,   0,  1040,   88},  // 79 VCF accent
  {{  83, "VCF modulation AD generator",      true,     0,  127,   0},    0,  127,  5,  80,    0,   0,  1000,   88},  // 80 VCF modulation AD generator
  {{  84, "VCF modulation pitch follow",      true,     0,    1,   0},    0,    1,  5,  81,    0,   0,  1080,   88},  // 81 VCF modulation pitch follow
  {{  85, "VCF type",                         true,     0,    4,   0},    0,    4,  5,  82,    0,   0,   920,   88},  // 82 VCF type
  {{  86, "VCF Q",                            true,     7,  127,   7},    7,  127,  5,  83,    7,   7,   880,   88},  // 83 VCF Q
  {{  87, "VCF slope",                        true,     0,    1,   0},    0,    1,  5,  84,    1,   0,   762,  205},  // 84 VCF slope
  {{  88, "portamento time",                  true,     0,  127,   0},    0,  127,  5,  85,    0,   0,   838,  402},  // 85 portamento time
  {{  89, "portamento slope",                 true,     0,    1,   0},    0,    1,  5,  86,    0,   0,   866,  465},  // 86 portamento slope
  {{  90, "pitch bend range",                 true,     0,   24,   0},    0,   24,  5,  87,    2,   0,   970,  402},  // 87 pitch bend range
  {{  91, "VCO transpose",                    true,   -24,   24,   0},  -24,   24,  5,  88,    0,   0,   520,   88},  // 88 VCO transpose
  {{  92, "trig/gate mode",                   true,     0,    1,   0},    0,    3,  5,  89,    0,   0,   883,  520},  // 89 trig/gate mode
  {{  93, "key priority",                     true,     0,    3,   0},    0,    3,  5,  90,    3,   0,   936,  505},  // 90 key priority
  {{  94, "LFO frequency",                    true,     1,  127,   1},    1,  127,  5,  91,    1,   1,   960,  245},  // 91 LFO frequency
  {{  95, "LFO delay",                        true,     0,  127,   0},    0,  127,  5,  92,    0,   0,  1000,  245},  // 92 LFO delay
  {{  96, "LFO VCF depth",                    true,     0,  127,   0},    0,  127,  5,  93,    0,   0,  1040,  245},  // 93 LFO VCF depth
  {{  97, "LFO VCO depth",                    true,     0,  127,   0},    0,  127,  5,  94,    0,   0,  1080,  245},  // 94 LFO VCO depth
  {{  98, "FLEXI1 SOURCE",                    true,     0,  113,   0},    0,  113,  5,  95,    0,   0,     0,    0},  // 95 FLEXI1 SOURCE
  {{  99, "FLEXI1 BITS",                      true,     0,    1,   0},    0,    3,  5,  96,    0,   0,     0,    0},  // 96 FLEXI1 BITS
  {{ 100, "FLEXI1 DESTINATION",               true,     0,  127,   0},    0,  127,  5,  97,    0,   0,     0,    0},  // 97 FLEXI1 DESTINATION
  {{ 101, "FLEXI1 RANGE POLARITY",            true,     0,    1,   0},    0,    3,  5,  98,    0,   0,     0,    0},  // 98 FLEXI1 RANGE POLARITY
  {{ 102, "FLEXI1 RANGE",                     true,     0,  127,   0},    0,  127,  5,  99,    0,   0,     0,    0},  // 99 FLEXI1 RANGE
  {{ 103, "FLEXI1 RANGE CONTROL",             true,     0,  113,   0},    0,  113,  5, 100,    0,   0,     0,    0},  // 100 FLEXI1 RANGE CONTROL
  {{ 104, "FLEXI1 CURVE",                     true,   -11,    5,   0},  -11,    5,  5, 101,    0,   0,   559,    9},  // 101 FLEXI1 CURVE
  {{ 105, "FLEXI2 SOURCE",                    true,     0,  113,   0},    0,  113,  5, 102,    0,   0,     0,    0},  // 102 FLEXI2 SOURCE
  {{ 106, "FLEXI2 BITS",                      true,     0,    1,   0},    0,    3,  5, 103,    0,   0,     0,    0},  // 103 FLEXI2 BITS
  {{ 107, "FLEXI2 DESTINATION",               true,     0,  127,   0},    0,  127,  5, 104,    0,   0,     0,    0},  // 104 FLEXI2 DESTINATION
  {{ 108, "FLEXI2 RANGE POLARITY",            true,     0,    1,   0},    0,    3,  5, 105,    0,   0,     0,    0},  // 105 FLEXI2 RANGE POLARITY
  {{ 109, "FLEXI2 RANGE",                     true,     0,  127,   0},    0,  127,  5, 106,    0,   0,     0,    0},  // 106 FLEXI2 RANGE
  {{ 110, "FLEXI2 RANGE CONTROL",             true,     0,  113,   0},    0,  113,  5, 107,    0,   0,     0,    0},  // 107 FLEXI2 RANGE CONTROL
  {{ 111, "FLEXI2 CURVE",                     true,   -11,    5,   0},  -11,    5,  5, 108,    0,   0,   727,    9},  // 108 FLEXI2 CURVE
  {{ 112, "FLEXI3 SOURCE",                    true,     0,  113,   0},    0,  113,  5, 109,    0,   0,     0,    0},  // 109 FLEXI3 SOURCE
  {{ 113, "FLEXI3 BITS",                      true,     0,    1,   0},    0,    3,  5, 110,    0,   0,     0,    0},  // 110 FLEXI3 BITS
  {{ 114, "FLEXI3 DESTINATION",               true,     0,  127,   0},    0,  127,  5, 111,    0,   0,     0,    0},  // 111 FLEXI3 DESTINATION
  {{ 115, "FLEXI3 RANGE POLARITY",            true,     0,    1,   0},    0,    3,  5, 112,    0,   0,     0,    0},  // 112 FLEXI3 RANGE POLARITY
  {{ 116, "FLEXI3 RANGE",                     true,     0,  127,   0},    0,  127,  5, 113,    0,   0,     0,    0},  // 113 FLEXI3 RANGE
  {{ 117, "FLEXI3 RANGE CONTROL",             true,     0,  113,   0},    0,  113,  5, 114,    0,   0,     0,    0},  // 114 FLEXI3 RANGE CONTROL
  {{ 118, "FLEXI3 CURVE",                     true,   -11,    5,   0},  -11,    5,  5, 115,    0,   0,   895,    9},  // 115 FLEXI3 CURVE
  {{ 119, "FLEXI4 SOURCE",                    true,     0,  113,   0},    0,  113,  5, 116,    0,   0,     0,    0},  // 116 FLEXI4 SOURCE
  {{ 120, "FLEXI4 BITS",                      true,     0,    1,   0},    0,    3,  5, 117,    0,   0,     0,    0},  // 117 FLEXI4 BITS
  {{ 121, "FLEXI4 DESTINATION",               true,     0,  127,   0},    0,  127,  5, 118,    0,   0,     0,    0},  // 118 FLEXI4 DESTINATION
  {{ 122, "FLEXI4 RANGE POLARITY",            true,     0,    1,   0},    0,    3,  5, 119,    0,   0,     0,    0},  // 119 FLEXI4 RANGE POLARITY
  {{ 123, "FLEXI4 RANGE",                     true,     0,  127,   0},    0,  127,  5, 120,    0,   0,     0,    0},  // 120 FLEXI4 RANGE
  {{ 124, "FLEXI4 RANGE CONTROL",             true,     0,  113,   0},    0,  113,  5, 121,    0,   0,     0,    0},  // 121 FLEXI4 RANGE CONTROL
  {{ 125, "FLEXI4 CURVE",                     true,   -11,    5,   0},  -11,    5,  5, 122,    0,   0,  1063,    9},  // 122 FLEXI4 CURVE
  {{ 126, "Delay Vintage/Long",               true,     0,    1,   0},    0,    1,  5, 123,    0,   0,     0,    0},  // 123 Delay Vintage/Long
  {{ 127, "MIDI Sync",                        true,     0,    3,   0},    0,    3,  5, 124,    0,   0,   936,  450},  // 124 MIDI Sync
  {{ 128, "",                                 false,    0,    0,   0},    0,    0,  0,   0,    0,   0,     0,    0},  // 125 (spare)
  {{ 129, "",                                 false,    0,    0,   0},    0,    0,  0,   0,    0,   0,     0,    0},  // 126 (spare)
  {{ 130, "",                                 false,    0,    0,   0},    0,    0,  0,   0,    0,   0,     0,    0},  // 127 (spare)
  {{ 131, "Effects Chain Order",              true,     0,    1,   0},    0,    1,  6,   0,    0,   0,   906,  565},  // 128 Effects Chain Order
  {{ 132, "Mod Blend INSTRUMENT",             true,     0,  127,   0},    0,  127,  6,   1,    0,   0,   560,  559},  // 129 Mod Blend INSTRUMENT
  {{ 133, "Mod Blend VCF",                    true,     0,  127,   0},    0,  127,  6,   2,    0,   0,   600,  559},  // 130 Mod Blend VCF
  {{ 134, "Mod ON/OFF",                       true,     0,    1,   0},    0,    1,  6,   3,    0,   0,   520,  559},  // 131 Mod ON/OFF
  {{ 135, "LFO A frq.",                       true,     0,  127,   0},    0,  127,  6,   4,    0,   0,   640,  559},  // 132 LFO A frq.
  {{ 136, "LFO B frq.",                       true,     0,  127,   0},    0,  127,  6,   5,    0,   0,   680,  559},  // 133 LFO B frq.
  {{ 137, "Level1",                           true,   -64,   63,   0},  -64,   63,  6,   6,    0,   0,   720,  559},  // 134 Level1
  {{ 138, "Delay1",                           true,     0,  127,   0},    0,  127,  6,   7,    0,   0,   760,  559},  // 135 Delay1
  {{ 139, "Mod1 A",                           true,     0,  127,   0},    0,  127,  6,   8,    0,   0,   800,  559},  // 136 Mod1 A
  {{ 140, "Mod1 B",                           true,     0,  127,   0},    0,  127,  6,   9,    0,   0,   840,  559},  // 137 Mod1 B
  {{ 141, "Level2",                           true,   -64,   63,   0},  -64,   63,  6,  10,    0,   0,   880,  559},  // 138 Level2
  {{ 142, "Delay2",                           true,     0,  127,   0},    0,  127,  6,  11,    0,   0,   920,  559},  // 139 Delay2
  {{ 143, "Mod2 A",                           true,     0,  127,   0},    0,  127,  6,  12,    0,   0,   960,  559},  // 140 Mod2 A
  {{ 144, "Mod2 B",                           true,     0,  127,   0},    0,  127,  6,  13,    0,   0,  1000,  559},  // 141 Mod2 B
  {{ 145, "Feedback level",                   true,     0,  127,   0},    0,  127,  6,  14,    0,   0,  1040,  559},  // 142 Feedback level
  {{ 146, "Feedback damping",                 true,     0,  127,   0},    0,  127,  6,  15,    0,   0,  1080,  559},  // 143 Feedback damping
  {{ 147, "Overdrive ON/OFF",                 true,     0,    1,   0},    0,    3,  6,  16,    0,   0,   520,  559},  // 144 Overdrive ON/OFF
  {{ 148, "Drive",                            true,     0,  127,   0},    0,  127,  6,  17,    0,   0,   640,  559},  // 145 Drive
  {{ 149, "Level",                            true,    -6,    6,   0},   -6,    6,  6,  18,    0,   0,   680,  559},  // 146 Level
  {{ 150, "",                                 false,    0,    0,   0},    0,  127,  0,   0,    0,   0,     0,    0},  // 147 (spare)
  {{ 151, "",                                 false,    0,    0,   0},    0,  127,  0,   0,    0,   0,     0,    0},  // 148 (spare)
  {{ 152, "",                                 false,    0,    0,   0},    0,  127,  0,   0,    0,   0,     0,    0},  // 149 (spare)
  {{ 153, "",                                 false,    0,    0,   0},    0,  127,  0,   0,    0,   0,     0,    0},  // 150 (spare)
  {{ 154, "",                                 false,    0,    0,   0},    0,  127,  0,   0,    0,   0,     0,    0},  // 151 (spare)
  {{ 155, "",                                 false,    0,    0,   0},    0,  127,  0,   0,    0,   0,     0,    0},  // 152 (spare)
  {{ 156, "",                                 false,    0,    0,   0},    0,  127,  0,   0,    0,   0,     0,    0},  // 153 (spare)
  {{ 157, "",                                 false,    0,    0,   0},    0,  127,  0,   0,    0,   0,     0,    0},  // 154 (spare)
  {{ 158, "",                                 false,    0,    0,   0},    0,  127,  0,   0,    0,   0,     0,    0},  // 155 (spare)
  {{ 159, "",                                 false,    0,    0,   0},    0,  127,  0,   0,    0,   0,     0,    0},  // 156 (spare)
  {{ 160, "Equalizer ON/OFF",                 true,     0,    1,   0},    0,    3,  6,  29,    0,   0,   520,  559},  // 157 Equalizer ON/OFF
  {{ 161, "Bass frq.",                        true,     0,  127,   0},    0,  127,  6,  30,    0,   0,   640,  559},  // 158 Bass frq.
  {{ 162, "Bass Slope",                       true,     0,  127,   0},    0,  127,  6,  31,    0,   0,   680,  559},  // 159 Bass Slope
  {{ 163, "Bass Boost",                       true,   -20,   20,   0},  -20,   20,  6,  32,    0,   0,   720,  559},  // 160 Bass Boost
  {{ 164, "Mid1 frq.",                        true,     0,  127,   0},    0,  127,  6,  33,    0,   0,   760,  559},  // 161 Mid1 frq.
  {{ 165, "Mid1 Q",                           true,    10,  100,  10},   10,  100,  6,  34,   10,  10,   800,  559},  // 162 Mid1 Q
  {{ 166, "Mid1 Boost",                       true,   -20,   20,   0},  -20,   20,  6,  35,    0,   0,   840,  559},  // 163 Mid1 Boost
  {{ 167, "Mid2 frq.",                        true,     0,  127,   0},    0,  127,  6,  36,    0,   0,   880,  559},  // 164 Mid2 frq.
  {{ 168, "Mid2 Q",                           true,    10,  100,  10},   10,  100,  6,  37,   10,  10,   920,  559},  // 165 Mid2 Q
  {{ 169, "Mid2 Boost",                       true,   -20,   20,   0},  -20,   20,  6,  38,    0,   0,   960,  559},  // 166 Mid2 Boost
  {{ 170, "Treble frq.",                      true,     0,  127,   0},    0,  127,  6,  39,    0,   0,  1000,  559},  // 167 Treble frq.
  {{ 171, "Treble Slope",                     true,     0,  127,   0},    0,  127,  6,  40,    0,   0,  1040,  559},  // 168 Treble Slope
  {{ 172, "Treble Boost",                     true,   -15,   15,   0},  -15,   15,  6,  41,    0,   0,  1080,  559},  // 169 Treble Boost
  {{ 173, "portamento mode",                  true,     0,    1,   0},    0,    1,  5,  89,    0,   0,   902,  465},  // 170 portamento mode
  {{ 174, "FLEXI1 MODE",                      true,     0,    1,   0},    0,    1,  5,  96,    0,   0,   478,   58},  // 171 FLEXI1 MODE
  {{ 175, "FLEXI1 RANGE CONTROL POLARITY",    true,     0,    1,   0},    0,    1,  5,  98,    0,   0,     0,    0},  // 172 FLEXI1 RANGE CONTROL POLARITY
  {{ 176, "FLEXI2 MODE",                      true,     0,    1,   0},    0,    1,  5, 103,    0,   0,   646,   58},  // 173 FLEXI2 MODE
  {{ 177, "FLEXI2 RANGE CONTROL POLARITY",    true,     0,    1,   0},    0,    1,  5, 105,    0,   0,     0,    0},  // 174 FLEXI2 RANGE CONTROL POLARITY
  {{ 178, "FLEXI3 MODE",                      true,     0,    1,   0},    0,    1,  5, 110,    0,   0,   814,   58},  // 175 FLEXI3 MODE
  {{ 179, "FLEXI3 RANGE CONTROL POLARITY",    true,     0,    1,   0},    0,    1,  5, 112,    0,   0,     0,    0},  // 176 FLEXI3 RANGE CONTROL POLARITY
  {{ 180, "FLEXI4 MODE",                      true,     0,    1,   0},    0,    1,  5, 117,    0,   0,   982,   58},  // 177 FLEXI4 MODE
  {{ 181, "FLEXI4 RANGE CONTROL POLARITY",    true,     0,    1,   0},    0,    1,  5, 119,    0,   0,     0,    0},  // 178 FLEXI4 RANGE CONTROL POLARITY
  {{ 182, "OD Blend INSTRUMENT",              true,     0,    1,   0},    0,    1,  6,  16,    0,   0,   560,  559},  // 179 OD Blend INSTRUMENT
  {{ 183, "OD Blend VCF",                     true,     0,    1,   0},    0,    1,  6,  16,    0,   0,   600,  559},  // 180 OD Blend VCF
  {{ 184, "EQ Blend INSTRUMENT",              true,     0,    1,   0},    0,    1,  6,  29,    0,   0,   560,  559},  // 181 EQ Blend INSTRUMENT
  {{ 185, "EQ Blend VCF",                     true,     0,    1,   0},    0,    1,  6,  29,    0,   0,   600,  559},  // 182 EQ Blend VCF
  {{ 186, "VCF Cutoff Frequency (new)",       true,    36,  122,  36},   36,  122,  5,  76,    0,  36,   800,   88},  // 183 VCF Cutoff Frequency (new)
}};

namespace {

// A row left out would leave a zero row at the end; the numbering catches it.
constexpr bool RowsFollowParameterNumbers()
{
  for (int p = 0; p < kProgramSize; ++p)
    if (kProgramValues[p].param.number != p + kParamOffset) return false;
  return true;
}
static_assert(RowsFollowParameterNumbers(), "one row per program index, in order");

template <class T>
constexpr std::array<T, kProgramSize> Column(T ProgramValueRow::*field)
{
  std::array<T, kProgramSize> column{};
  for (int p = 0; p < kProgramSize; ++p) column[p] = kProgramValues[p].*field;
  return column;
}

// The NRPN columns plus the "nothing sent yet" sentinel and three zero entries.
template <class T>
constexpr std::array<T, kNrpnTableSize> NrpnColumn(T ProgramValueRow::*field, T sentinel)
{
  std::array<T, kNrpnTableSize> column{};
  for (int p = 0; p < kProgramSize; ++p) column[p] = kProgramValues[p].*field;
  column[kNrpnNoneSent] = sentinel;
  return column;
}

}  // namespace

constexpr std::array<int32_t, kProgramSize> kProgramMin = Column(&ProgramValueRow::min);
constexpr std::array<int32_t, kProgramSize> kProgramMax = Column(&ProgramValueRow::max);
constexpr std::array<int32_t, kNrpnTableSize> kNrpnMsb = NrpnColumn(&ProgramValueRow::nrpnMsb, 10);
constexpr std::array<uint8_t, kNrpnTableSize> kNrpnLsb =
    NrpnColumn(&ProgramValueRow::nrpnLsb, static_cast<uint8_t>(1));
constexpr std::array<int32_t, kProgramSize> kDefaultProgram = Column(&ProgramValueRow::defaultProgram);
constexpr std::array<int32_t, kProgramSize> kInitSound = Column(&ProgramValueRow::initSound);
constexpr std::array<int32_t, kProgramSize> kEditorLayoutX = Column(&ProgramValueRow::layoutX);
constexpr std::array<int32_t, kProgramSize> kEditorLayoutY = Column(&ProgramValueRow::layoutY);
