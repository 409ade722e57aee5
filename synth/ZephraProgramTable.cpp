// The 184 program values, one row per program index p. Columns: the parameter
// definition {parameter, name, defined, min, max, default}, then the synth range
// min and max, NRPN MSB and LSB, default program, INIT sound, panel x and y.
// The named per-index arrays of ZephraTables.h are columns of this table.
#include "synth/ZephraTables.h"

constexpr std::array<ProgramValueRow, kProgramSize> kProgramValues = {{
  // {{param, name, defined, pmin, pmax, pdef}, min, max, msb, lsb, dflt, init, x, y}
  {{kParamVco1Coarse,                 "VCO1 coarse",                      true,   -24,   48,   0},  -24,   48,  5,   0,    0,   0,    25,   88},  // p 0
  {{kParamVco1Fine,                   "VCO1 fine",                        true,   -63,   63,   0},  -63,   63,  5,   1,    0,   0,    65,   88},  // p 1
  {{kParamVco1Beat,                   "VCO1 beat",                        true,   -63,   63,   0},  -63,   63,  5,   2,    0,   0,   105,   88},  // p 2
  {{kParamVco1SawEnvDecay,            "VCO1 saw env decay",               true,     0,  127,   0},    0,  127,  5,   3,    0,   0,   145,   88},  // p 3
  {{kParamVco1SawEnvAmpMod,           "VCO1 saw env ampmod",              true,   -63,   63,   0},  -63,   63,  5,   4,    0,   0,   185,   88},  // p 4
  {{kParamVco1PwmOffset,              "VCO1 PWM offset",                  true,     0,  127,   0},    0,  127,  5,   5,    0,   0,   225,   88},  // p 5
  {{kParamVco1PwmLfoFrq,              "VCO1 PWM LFO frq",                 true,     1,  127,   1},    1,  127,  5,   6,    1,   1,   265,   88},  // p 6
  {{kParamVco1PwmLfoDepth,            "VCO1 PWM LFO depth",               true,     0,  127,   0},    0,  127,  5,   7,    0,   0,   305,   88},  // p 7
  {{kParamVco1Saw,                    "VCO1 saw",                         true,     0,  127,   0},    0,  127,  5,   8,   42,   0,   345,   88},  // p 8
  {{kParamVco1Square,                 "VCO1 square",                      true,     0,  127,   0},    0,  127,  5,   9,    0,   0,   385,   88},  // p 9
  {{kParamVco1Tri,                    "VCO1 tri",                         true,     0,  127,   0},    0,  127,  5,  10,    0,   0,   425,   88},  // p 10
  {{kParamVco1Volume,                 "VCO1 volume",                      true,     0,  127,   0},    0,  127,  5,  11,   32,   0,   465,   88},  // p 11
  {{kParamVco2Coarse,                 "VCO2 coarse",                      true,   -24,   48,   0},  -24,   48,  5,  12,    0,   0,    25,  245},  // p 12
  {{kParamVco2Fine,                   "VCO2 fine",                        true,   -63,   63,   0},  -63,   63,  5,  13,    0,   0,    65,  245},  // p 13
  {{kParamVco2Beat,                   "VCO2 beat",                        true,   -63,   63,   0},  -63,   63,  5,  14,    0,   0,   105,  245},  // p 14
  {{kParamVco2SawEnvDecay,            "VCO2 saw env decay",               true,     0,  127,   0},    0,  127,  5,  15,    0,   0,   145,  245},  // p 15
  {{kParamVco2SawEnvAmpMod,           "VCO2 saw env ampmod",              true,   -63,   63,   0},  -63,   63,  5,  16,    0,   0,   185,  245},  // p 16
  {{kParamVco2PwmOffset,              "VCO2 PWM offset",                  true,     0,  127,   0},    0,  127,  5,  17,    0,   0,   225,  245},  // p 17
  {{kParamVco2PwmLfoFrq,              "VCO PWM LFO frq",                  true,     1,  127,   1},    1,  127,  5,  18,    1,   1,   265,  245},  // p 18
  {{kParamVco2PwmLfoDepth,            "VCO2 PWM LFO depth",               true,     0,  127,   0},    0,  127,  5,  19,    0,   0,   305,  245},  // p 19
  {{kParamVco2Saw,                    "VCO2 saw",                         true,     0,  127,   0},    0,  127,  5,  20,    0,   0,   345,  245},  // p 20
  {{kParamVco2Square,                 "VCO2 square",                      true,     0,  127,   0},    0,  127,  5,  21,    0,   0,   385,  245},  // p 21
  {{kParamVco2Tri,                    "VCO2 tri",                         true,     0,  127,   0},    0,  127,  5,  22,    0,   0,   425,  245},  // p 22
  {{kParamVco2Volume,                 "VCO2 volume",                      true,     0,  127,   0},    0,  127,  5,  23,    0,   0,   465,  245},  // p 23
  {{kParamVco3Coarse,                 "VCO3 coarse",                      true,   -24,   48,   0},  -24,   48,  5,  24,    0,   0,    25,  402},  // p 24
  {{kParamVco3Fine,                   "VCO3 fine",                        true,   -63,   63,   0},  -63,   63,  5,  25,    0,   0,    65,  402},  // p 25
  {{kParamVco3Beat,                   "VCO3 beat",                        true,   -63,   63,   0},  -63,   63,  5,  26,    0,   0,   105,  402},  // p 26
  {{kParamVco3SawEnvDecay,            "VCO3 saw env decay",               true,     0,  127,   0},    0,  127,  5,  27,    0,   0,   145,  402},  // p 27
  {{kParamVco3SawEnvAmpMod,           "VCO3 saw env ampmod",              true,   -63,   63,   0},  -63,   63,  5,  28,    0,   0,   185,  402},  // p 28
  {{kParamVco3PwmOffset,              "VCO3 PWM offset",                  true,     0,  127,   0},    0,  127,  5,  29,    0,   0,   225,  402},  // p 29
  {{kParamVco3PwmLfoFrq,              "VCO3 PWM LFO frq",                 true,     1,  127,   1},    1,  127,  5,  30,    1,   1,   265,  402},  // p 30
  {{kParamVco3PwmLfoDepth,            "VCO3 PWM LFO depth",               true,     0,  127,   0},    0,  127,  5,  31,    0,   0,   305,  402},  // p 31
  {{kParamVco3Saw,                    "VCO3 saw",                         true,     0,  127,   0},    0,  127,  5,  32,    0,   0,   345,  402},  // p 32
  {{kParamVco3Square,                 "VCO3 square",                      true,     0,  127,   0},    0,  127,  5,  33,    0,   0,   385,  402},  // p 33
  {{kParamVco3Tri,                    "VCO3 tri",                         true,     0,  127,   0},    0,  127,  5,  34,    0,   0,   425,  402},  // p 34
  {{kParamVco3Volume,                 "VCO3 volume",                      true,     0,  127,   0},    0,  127,  5,  35,    0,   0,   465,  402},  // p 35
  {{kParamVco4Coarse,                 "VCO4 coarse",                      true,   -24,   48,   0},  -24,   48,  5,  36,    0,   0,    25,  559},  // p 36
  {{kParamVco4Fine,                   "VCO4 fine",                        true,   -63,   63,   0},  -63,   63,  5,  37,    0,   0,    65,  559},  // p 37
  {{kParamVco4Beat,                   "VCO4 beat",                        true,   -63,   63,   0},  -63,   63,  5,  38,    0,   0,   105,  559},  // p 38
  {{kParamVco4SawEnvDecay,            "VCO4 saw env decay",               true,     0,  127,   0},    0,  127,  5,  39,    0,   0,   145,  559},  // p 39
  {{kParamVco4SawEnvAmpMod,           "VCO4 saw env ampmod",              true,   -63,   63,   0},  -63,   63,  5,  40,    0,   0,   185,  559},  // p 40
  {{kParamVco4PwmOffset,              "VCO4 PWM offset",                  true,     0,  127,   0},    0,  127,  5,  41,    0,   0,   225,  559},  // p 41
  {{kParamVco4PwmLfoFrq,              "VCO4 PWM LFO frq",                 true,     1,  127,   1},    1,  127,  5,  42,    1,   1,   265,  559},  // p 42
  {{kParamVco4PwmLfoDepth,            "VCO4 PWM LFO depth",               true,     0,  127,   0},    0,  127,  5,  43,    0,   0,   305,  559},  // p 43
  {{kParamVco4Saw,                    "VCO4 saw",                         true,     0,  127,   0},    0,  127,  5,  44,    0,   0,   345,  559},  // p 44
  {{kParamVco4Square,                 "VCO4 square",                      true,     0,  127,   0},    0,  127,  5,  45,    0,   0,   385,  559},  // p 45
  {{kParamVco4Tri,                    "VCO4 tri",                         true,     0,  127,   0},    0,  127,  5,  46,    0,   0,   425,  559},  // p 46
  {{kParamVco4Volume,                 "VCO4 volume",                      true,     0,  127,   0},    0,  127,  5,  47,    0,   0,   465,  559},  // p 47
  {{kParamVoice2Transposition,        "voice2 transposition",             true,    -2,    3,   0},   -2,    3,  5,  48,    0,   0,   520,  402},  // p 48
  {{kParamVoice3Transposition,        "voice3 transposition",             true,    -2,    3,   0},   -2,    3,  5,  49,    0,   0,   560,  402},  // p 49
  {{kParamInstrumentVolume,           "instrument volume",                true,     0,  127,   0},    0,  127,  5,  50,    0,   0,   600,  402},  // p 50
  {{kParamVoice1Volume,               "voice1(+1oct) volume",             true,     0,  127,   0},    0,  127,  5,  51,    0,   0,   640,  402},  // p 51
  {{kParamVoice2Volume,               "voice2(var.) volume",              true,     0,  127,   0},    0,  127,  5,  52,    0,   0,   680,  402},  // p 52
  {{kParamVoice3Volume,               "voice3(var.) volume",              true,     0,  127,   0},    0,  127,  5,  53,    0,   0,   720,  402},  // p 53
  {{kParamDistortionGrade,            "distortion grade",                 true,     0,   31,   0},    0,   31,  5,  54,    0,   0,   760,  402},  // p 54
  {{kParamDistortionTone,             "distortion tone",                  true,     0,  127,   0},    0,  127,  5,  55,    0,   0,   800,  402},  // p 55
  {{kParamOutInstrumentVolume,        "Instrument volume",                true,     0,  127,   0},    0,  127,  5,  56,   64,   0,  1008,  402},  // p 56
  {{kParamVcfVolumeLinear,            "VCF volume linear",                true,     0,  127,   0},    0,  127,  5,  57,   64,   0,  1044,  402},  // p 57
  {{kParamVcfVolumeLog,               "VCF volume logarithmic",           true,     0,  127,   0},    0,  127,  5,  58,   64,   0,  1080,  402},  // p 58
  {{kParamVcaAttackTime,              "VCA attack time",                  true,     1,  127,   1},    1,  127,  5,  59,    1,   1,   560,  245},  // p 59
  {{kParamVcaDecayTime,               "VCA decay time",                   true,     1,  127,   1},    1,  127,  5,  60,    1,   1,   600,  245},  // p 60
  {{kParamVcaSustainLevel,            "VCA sustain level",                true,     0,  127,   0},    0,  127,  5,  61,  127,   0,   640,  245},  // p 61
  {{kParamVcaReleaseTime,             "VCA release time",                 true,     1,  127,   1},    1,  127,  5,  62,    1,   1,   680,  245},  // p 62
  {{kParamVcfAttackTime,              "VCF attack time",                  true,     1,  127,   1},    1,  127,  5,  63,    1,   1,   720,  245},  // p 63
  {{kParamVcfDecayTime,               "VCF decay time",                   true,     1,  127,   1},    1,  127,  5,  64,    1,   1,   760,  245},  // p 64
  {{kParamVcfSustainLevel,            "VCF sustain level",                true,     0,  127,   0},    0,  127,  5,  65,    0,   0,   800,  245},  // p 65
  {{kParamVcfReleaseTime,             "VCF release time",                 true,     1,  127,   1},    1,  127,  5,  66,    1,   1,   840,  245},  // p 66
  {{kParamEnvelopeMode,               "Envelope Mode",                    true,     0,    2,   0},    0,    2,  5,  67,    1,   0,   520,  245},  // p 67
  {{kParamNoiseAttackTime,            "Noise attack time",                true,     1,  127,   1},    1,  127,  5,  68,    1,   1,   880,  245},  // p 68
  {{kParamNoiseDecayTime,             "Noise decay time",                 true,     1,  127,   1},    1,  127,  5,  69,    1,   1,   920,  245},  // p 69
  {{kParamMixInstrumentVolume,        "Instrument volume",                true,     0,  127,   0},    0,  127,  5,  70,    0,   0,   560,   88},  // p 70
  {{kParamDistortionVolume,           "Distortion volume",                true,     0,  127,   0},    0,  127,  5,  71,    0,   0,   600,   88},  // p 71
  {{kParamDistortionThroughAr,        "Distortion through AR",            true,     0,  127,   0},    0,  127,  5,  72,    0,   0,   640,   88},  // p 72
  {{kParamVcoThroughInverseAr,        "VCO through inverse AR",           true,     0,  127,   0},    0,  127,  5,  73,   64,   0,   680,   88},  // p 73
  {{kParamNoiseVolume,                "Noise volume",                     true,     0,  127,   0},    0,  127,  5,  74,    0,   0,   720,   88},  // p 74
  {{kParamVcfVintageNew,              "VCF vintage/new",                  true,     0,    1,   0},    0,    1,  5,  75,    1,   1,   762,  155},  // p 75
  {{kParamVcfCutoffVintage,           "VCF Cutoff Frequency (vintage)",   true,     0,   80,   0},    0,   80,  5,  76,  122,   0,   800,   88},  // p 76
  {{kParamVcf2Cutoff,                 "2nd VCF Cutoff Frequency",         true,     0,   24,   0},    0,   24,  5,  77,    0,   0,   840,   88},  // p 77
  {{kParamVcfModEnvFollower,          "VCF modulation envelope follower", true,     0,  127,   0},    0,  127,  5,  78,    0,   0,   960,   88},  // p 78
  {{kParamVcfAccent,                  "VCF accent",                       true,     0,  127,   0},    0,  127,  5,  79,    0,   0,  1040,   88},  // p 79
  {{kParamVcfModAdGenerator,          "VCF modulation AD generator",      true,     0,  127,   0},    0,  127,  5,  80,    0,   0,  1000,   88},  // p 80
  {{kParamVcfModPitchFollow,          "VCF modulation pitch follow",      true,     0,    1,   0},    0,    1,  5,  81,    0,   0,  1080,   88},  // p 81
  {{kParamVcfType,                    "VCF type",                         true,     0,    4,   0},    0,    4,  5,  82,    0,   0,   920,   88},  // p 82
  {{kParamVcfQ,                       "VCF Q",                            true,     7,  127,   7},    7,  127,  5,  83,    7,   7,   880,   88},  // p 83
  {{kParamVcfSlope,                   "VCF slope",                        true,     0,    1,   0},    0,    1,  5,  84,    1,   0,   762,  205},  // p 84
  {{kParamPortamentoTime,             "portamento time",                  true,     0,  127,   0},    0,  127,  5,  85,    0,   0,   838,  402},  // p 85
  {{kParamPortamentoSlope,            "portamento slope",                 true,     0,    1,   0},    0,    1,  5,  86,    0,   0,   866,  465},  // p 86
  {{kParamPitchBendRange,             "pitch bend range",                 true,     0,   24,   0},    0,   24,  5,  87,    2,   0,   970,  402},  // p 87
  {{kParamVcoTranspose,               "VCO transpose",                    true,   -24,   24,   0},  -24,   24,  5,  88,    0,   0,   520,   88},  // p 88
  {{kParamTrigGateMode,               "trig/gate mode",                   true,     0,    1,   0},    0,    3,  5,  89,    0,   0,   883,  520},  // p 89
  {{kParamKeyPriority,                "key priority",                     true,     0,    3,   0},    0,    3,  5,  90,    3,   0,   936,  505},  // p 90
  {{kParamLfoFrequency,               "LFO frequency",                    true,     1,  127,   1},    1,  127,  5,  91,    1,   1,   960,  245},  // p 91
  {{kParamLfoDelay,                   "LFO delay",                        true,     0,  127,   0},    0,  127,  5,  92,    0,   0,  1000,  245},  // p 92
  {{kParamLfoVcfDepth,                "LFO VCF depth",                    true,     0,  127,   0},    0,  127,  5,  93,    0,   0,  1040,  245},  // p 93
  {{kParamLfoVcoDepth,                "LFO VCO depth",                    true,     0,  127,   0},    0,  127,  5,  94,    0,   0,  1080,  245},  // p 94
  {{kParamFlexi1Source,               "FLEXI1 SOURCE",                    true,     0,  113,   0},    0,  113,  5,  95,    0,   0,     0,    0},  // p 95
  {{kParamFlexi1Bits,                 "FLEXI1 BITS",                      true,     0,    1,   0},    0,    3,  5,  96,    0,   0,     0,    0},  // p 96
  {{kParamFlexi1Destination,          "FLEXI1 DESTINATION",               true,     0,  127,   0},    0,  127,  5,  97,    0,   0,     0,    0},  // p 97
  {{kParamFlexi1RangePolarity,        "FLEXI1 RANGE POLARITY",            true,     0,    1,   0},    0,    3,  5,  98,    0,   0,     0,    0},  // p 98
  {{kParamFlexi1Range,                "FLEXI1 RANGE",                     true,     0,  127,   0},    0,  127,  5,  99,    0,   0,     0,    0},  // p 99
  {{kParamFlexi1RangeControl,         "FLEXI1 RANGE CONTROL",             true,     0,  113,   0},    0,  113,  5, 100,    0,   0,     0,    0},  // p 100
  {{kParamFlexi1Curve,                "FLEXI1 CURVE",                     true,   -11,    5,   0},  -11,    5,  5, 101,    0,   0,   559,    9},  // p 101
  {{kParamFlexi2Source,               "FLEXI2 SOURCE",                    true,     0,  113,   0},    0,  113,  5, 102,    0,   0,     0,    0},  // p 102
  {{kParamFlexi2Bits,                 "FLEXI2 BITS",                      true,     0,    1,   0},    0,    3,  5, 103,    0,   0,     0,    0},  // p 103
  {{kParamFlexi2Destination,          "FLEXI2 DESTINATION",               true,     0,  127,   0},    0,  127,  5, 104,    0,   0,     0,    0},  // p 104
  {{kParamFlexi2RangePolarity,        "FLEXI2 RANGE POLARITY",            true,     0,    1,   0},    0,    3,  5, 105,    0,   0,     0,    0},  // p 105
  {{kParamFlexi2Range,                "FLEXI2 RANGE",                     true,     0,  127,   0},    0,  127,  5, 106,    0,   0,     0,    0},  // p 106
  {{kParamFlexi2RangeControl,         "FLEXI2 RANGE CONTROL",             true,     0,  113,   0},    0,  113,  5, 107,    0,   0,     0,    0},  // p 107
  {{kParamFlexi2Curve,                "FLEXI2 CURVE",                     true,   -11,    5,   0},  -11,    5,  5, 108,    0,   0,   727,    9},  // p 108
  {{kParamFlexi3Source,               "FLEXI3 SOURCE",                    true,     0,  113,   0},    0,  113,  5, 109,    0,   0,     0,    0},  // p 109
  {{kParamFlexi3Bits,                 "FLEXI3 BITS",                      true,     0,    1,   0},    0,    3,  5, 110,    0,   0,     0,    0},  // p 110
  {{kParamFlexi3Destination,          "FLEXI3 DESTINATION",               true,     0,  127,   0},    0,  127,  5, 111,    0,   0,     0,    0},  // p 111
  {{kParamFlexi3RangePolarity,        "FLEXI3 RANGE POLARITY",            true,     0,    1,   0},    0,    3,  5, 112,    0,   0,     0,    0},  // p 112
  {{kParamFlexi3Range,                "FLEXI3 RANGE",                     true,     0,  127,   0},    0,  127,  5, 113,    0,   0,     0,    0},  // p 113
  {{kParamFlexi3RangeControl,         "FLEXI3 RANGE CONTROL",             true,     0,  113,   0},    0,  113,  5, 114,    0,   0,     0,    0},  // p 114
  {{kParamFlexi3Curve,                "FLEXI3 CURVE",                     true,   -11,    5,   0},  -11,    5,  5, 115,    0,   0,   895,    9},  // p 115
  {{kParamFlexi4Source,               "FLEXI4 SOURCE",                    true,     0,  113,   0},    0,  113,  5, 116,    0,   0,     0,    0},  // p 116
  {{kParamFlexi4Bits,                 "FLEXI4 BITS",                      true,     0,    1,   0},    0,    3,  5, 117,    0,   0,     0,    0},  // p 117
  {{kParamFlexi4Destination,          "FLEXI4 DESTINATION",               true,     0,  127,   0},    0,  127,  5, 118,    0,   0,     0,    0},  // p 118
  {{kParamFlexi4RangePolarity,        "FLEXI4 RANGE POLARITY",            true,     0,    1,   0},    0,    3,  5, 119,    0,   0,     0,    0},  // p 119
  {{kParamFlexi4Range,                "FLEXI4 RANGE",                     true,     0,  127,   0},    0,  127,  5, 120,    0,   0,     0,    0},  // p 120
  {{kParamFlexi4RangeControl,         "FLEXI4 RANGE CONTROL",             true,     0,  113,   0},    0,  113,  5, 121,    0,   0,     0,    0},  // p 121
  {{kParamFlexi4Curve,                "FLEXI4 CURVE",                     true,   -11,    5,   0},  -11,    5,  5, 122,    0,   0,  1063,    9},  // p 122
  {{kParamDelayVintageLong,           "Delay Vintage/Long",               true,     0,    1,   0},    0,    1,  5, 123,    0,   0,     0,    0},  // p 123
  {{kParamMidiSync,                   "MIDI Sync",                        true,     0,    3,   0},    0,    3,  5, 124,    0,   0,   936,  450},  // p 124
  {{kParamSpare128,                   "",                                 false,    0,    0,   0},    0,    0,  0,   0,    0,   0,     0,    0},  // p 125
  {{kParamSpare129,                   "",                                 false,    0,    0,   0},    0,    0,  0,   0,    0,   0,     0,    0},  // p 126
  {{kParamSpare130,                   "",                                 false,    0,    0,   0},    0,    0,  0,   0,    0,   0,     0,    0},  // p 127
  {{kParamEffectsChainOrder,          "Effects Chain Order",              true,     0,    1,   0},    0,    1,  6,   0,    0,   0,   906,  565},  // p 128
  {{kParamModBlendInstrument,         "Mod Blend INSTRUMENT",             true,     0,  127,   0},    0,  127,  6,   1,    0,   0,   560,  600},  // p 129
  {{kParamModBlendVcf,                "Mod Blend VCF",                    true,     0,  127,   0},    0,  127,  6,   2,    0,   0,   600,  600},  // p 130
  {{kParamModOnOff,                   "Mod ON/OFF",                       true,     0,    1,   0},    0,    1,  6,   3,    0,   0,   520,  600},  // p 131
  {{kParamLfoAFrq,                    "LFO A frq.",                       true,     0,  127,   0},    0,  127,  6,   4,    0,   0,   640,  600},  // p 132
  {{kParamLfoBFrq,                    "LFO B frq.",                       true,     0,  127,   0},    0,  127,  6,   5,    0,   0,   680,  600},  // p 133
  {{kParamLevel1,                     "Level1",                           true,   -64,   63,   0},  -64,   63,  6,   6,    0,   0,   720,  600},  // p 134
  {{kParamDelay1,                     "Delay1",                           true,     0,  127,   0},    0,  127,  6,   7,    0,   0,   760,  600},  // p 135
  {{kParamMod1A,                      "Mod1 A",                           true,     0,  127,   0},    0,  127,  6,   8,    0,   0,   800,  600},  // p 136
  {{kParamMod1B,                      "Mod1 B",                           true,     0,  127,   0},    0,  127,  6,   9,    0,   0,   840,  600},  // p 137
  {{kParamLevel2,                     "Level2",                           true,   -64,   63,   0},  -64,   63,  6,  10,    0,   0,   880,  600},  // p 138
  {{kParamDelay2,                     "Delay2",                           true,     0,  127,   0},    0,  127,  6,  11,    0,   0,   920,  600},  // p 139
  {{kParamMod2A,                      "Mod2 A",                           true,     0,  127,   0},    0,  127,  6,  12,    0,   0,   960,  600},  // p 140
  {{kParamMod2B,                      "Mod2 B",                           true,     0,  127,   0},    0,  127,  6,  13,    0,   0,  1000,  600},  // p 141
  {{kParamFeedbackLevel,              "Feedback level",                   true,     0,  127,   0},    0,  127,  6,  14,    0,   0,  1040,  600},  // p 142
  {{kParamFeedbackDamping,            "Feedback damping",                 true,     0,  127,   0},    0,  127,  6,  15,    0,   0,  1080,  600},  // p 143
  {{kParamOverdriveOnOff,             "Overdrive ON/OFF",                 true,     0,    1,   0},    0,    3,  6,  16,    0,   0,   520,  600},  // p 144
  {{kParamDrive,                      "Drive",                            true,     0,  127,   0},    0,  127,  6,  17,    0,   0,   640,  600},  // p 145
  {{kParamOverdriveLevel,             "Level",                            true,    -6,    6,   0},   -6,    6,  6,  18,    0,   0,   680,  600},  // p 146
  {{kParamSpare150,                   "",                                 false,    0,    0,   0},    0,  127,  0,   0,    0,   0,     0,    0},  // p 147
  {{kParamSpare151,                   "",                                 false,    0,    0,   0},    0,  127,  0,   0,    0,   0,     0,    0},  // p 148
  {{kParamSpare152,                   "",                                 false,    0,    0,   0},    0,  127,  0,   0,    0,   0,     0,    0},  // p 149
  {{kParamSpare153,                   "",                                 false,    0,    0,   0},    0,  127,  0,   0,    0,   0,     0,    0},  // p 150
  {{kParamSpare154,                   "",                                 false,    0,    0,   0},    0,  127,  0,   0,    0,   0,     0,    0},  // p 151
  {{kParamSpare155,                   "",                                 false,    0,    0,   0},    0,  127,  0,   0,    0,   0,     0,    0},  // p 152
  {{kParamSpare156,                   "",                                 false,    0,    0,   0},    0,  127,  0,   0,    0,   0,     0,    0},  // p 153
  {{kParamSpare157,                   "",                                 false,    0,    0,   0},    0,  127,  0,   0,    0,   0,     0,    0},  // p 154
  {{kParamSpare158,                   "",                                 false,    0,    0,   0},    0,  127,  0,   0,    0,   0,     0,    0},  // p 155
  {{kParamSpare159,                   "",                                 false,    0,    0,   0},    0,  127,  0,   0,    0,   0,     0,    0},  // p 156
  {{kParamEqualizerOnOff,             "Equalizer ON/OFF",                 true,     0,    1,   0},    0,    3,  6,  29,    0,   0,   520,  600},  // p 157
  {{kParamBassFrq,                    "Bass frq.",                        true,     0,  127,   0},    0,  127,  6,  30,    0,   0,   640,  600},  // p 158
  {{kParamBassSlope,                  "Bass Slope",                       true,     0,  127,   0},    0,  127,  6,  31,    0,   0,   680,  600},  // p 159
  {{kParamBassBoost,                  "Bass Boost",                       true,   -20,   20,   0},  -20,   20,  6,  32,    0,   0,   720,  600},  // p 160
  {{kParamMid1Frq,                    "Mid1 frq.",                        true,     0,  127,   0},    0,  127,  6,  33,    0,   0,   760,  600},  // p 161
  {{kParamMid1Q,                      "Mid1 Q",                           true,    10,  100,  10},   10,  100,  6,  34,   10,  10,   800,  600},  // p 162
  {{kParamMid1Boost,                  "Mid1 Boost",                       true,   -20,   20,   0},  -20,   20,  6,  35,    0,   0,   840,  600},  // p 163
  {{kParamMid2Frq,                    "Mid2 frq.",                        true,     0,  127,   0},    0,  127,  6,  36,    0,   0,   880,  600},  // p 164
  {{kParamMid2Q,                      "Mid2 Q",                           true,    10,  100,  10},   10,  100,  6,  37,   10,  10,   920,  600},  // p 165
  {{kParamMid2Boost,                  "Mid2 Boost",                       true,   -20,   20,   0},  -20,   20,  6,  38,    0,   0,   960,  600},  // p 166
  {{kParamTrebleFrq,                  "Treble frq.",                      true,     0,  127,   0},    0,  127,  6,  39,    0,   0,  1000,  600},  // p 167
  {{kParamTrebleSlope,                "Treble Slope",                     true,     0,  127,   0},    0,  127,  6,  40,    0,   0,  1040,  600},  // p 168
  {{kParamTrebleBoost,                "Treble Boost",                     true,   -15,   15,   0},  -15,   15,  6,  41,    0,   0,  1080,  600},  // p 169
  {{kParamPortamentoMode,             "portamento mode",                  true,     0,    1,   0},    0,    1,  5,  89,    0,   0,   902,  465},  // p 170
  {{kParamFlexi1Mode,                 "FLEXI1 MODE",                      true,     0,    1,   0},    0,    1,  5,  96,    0,   0,   478,   58},  // p 171
  {{kParamFlexi1RangeControlPolarity, "FLEXI1 RANGE CONTROL POLARITY",    true,     0,    1,   0},    0,    1,  5,  98,    0,   0,     0,    0},  // p 172
  {{kParamFlexi2Mode,                 "FLEXI2 MODE",                      true,     0,    1,   0},    0,    1,  5, 103,    0,   0,   646,   58},  // p 173
  {{kParamFlexi2RangeControlPolarity, "FLEXI2 RANGE CONTROL POLARITY",    true,     0,    1,   0},    0,    1,  5, 105,    0,   0,     0,    0},  // p 174
  {{kParamFlexi3Mode,                 "FLEXI3 MODE",                      true,     0,    1,   0},    0,    1,  5, 110,    0,   0,   814,   58},  // p 175
  {{kParamFlexi3RangeControlPolarity, "FLEXI3 RANGE CONTROL POLARITY",    true,     0,    1,   0},    0,    1,  5, 112,    0,   0,     0,    0},  // p 176
  {{kParamFlexi4Mode,                 "FLEXI4 MODE",                      true,     0,    1,   0},    0,    1,  5, 117,    0,   0,   982,   58},  // p 177
  {{kParamFlexi4RangeControlPolarity, "FLEXI4 RANGE CONTROL POLARITY",    true,     0,    1,   0},    0,    1,  5, 119,    0,   0,     0,    0},  // p 178
  {{kParamOdBlendInstrument,          "OD Blend INSTRUMENT",              true,     0,    1,   0},    0,    1,  6,  16,    0,   0,   560,  600},  // p 179
  {{kParamOdBlendVcf,                 "OD Blend VCF",                     true,     0,    1,   0},    0,    1,  6,  16,    0,   0,   600,  600},  // p 180
  {{kParamEqBlendInstrument,          "EQ Blend INSTRUMENT",              true,     0,    1,   0},    0,    1,  6,  29,    0,   0,   560,  600},  // p 181
  {{kParamEqBlendVcf,                 "EQ Blend VCF",                     true,     0,    1,   0},    0,    1,  6,  29,    0,   0,   600,  600},  // p 182
  {{kParamVcfCutoffNew,               "VCF Cutoff Frequency (new)",       true,    36,  122,  36},   36,  122,  5,  76,    0,  36,   800,   88},  // p 183
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
