#include "core/IUnitBase.h"

#include "TestUnit.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{
std::string ChunkString(const ByteChunk& chunk)
{
  return std::string(reinterpret_cast<const char*>(chunk.GetBytes()),
                     static_cast<size_t>(chunk.Size()));
}

std::string BE32(uint32_t v)
{
  const char bytes[4] = {static_cast<char>(v >> 24), static_cast<char>(v >> 16),
                         static_cast<char>(v >> 8), static_cast<char>(v)};
  return std::string(bytes, 4);
}

std::string LE64(double v)
{
  char bytes[8];
  memcpy(bytes, &v, 8);
  return std::string(bytes, 8);
}

std::string FloatBE(float f)
{
  uint32_t bits;
  memcpy(&bits, &f, 4);
  return BE32(bits);
}

std::string Name28(const char* name)
{
  std::string field(name);
  field.resize(28, '\0');
  return field;
}

void ExpectValuesNear(const TestUnit& unit, const std::vector<double>& expected)
{
  const std::vector<double> values = unit.Values();
  ASSERT_EQ(values.size(), expected.size());
  for (size_t i = 0; i < values.size(); ++i) EXPECT_NEAR(values[i], expected[i], 1e-5) << i;
}

// Everything a refused load must leave as it was.
struct UnitState
{
  std::vector<double> values;
  std::vector<std::string> names;
  std::vector<std::string> chunks;
  int current;

  bool operator==(const UnitState& o) const
  {
    return values == o.values && names == o.names && chunks == o.chunks && current == o.current;
  }
};

UnitState StateOf(IUnitBase& unit)
{
  UnitState state;
  for (int i = 0; i < unit.NParams(); ++i) state.values.push_back(unit.GetParam(i)->Value());
  ByteChunk bank;
  for (int i = 0; i < unit.NPresets(); ++i) state.names.push_back(unit.GetPresetName(i));
  EXPECT_TRUE(unit.SerializePresets(&bank));
  state.chunks.push_back(ChunkString(bank));
  state.current = unit.GetCurrentPresetIdx();
  return state;
}

// Three double parameters 0..10 (step 0.5).
void Init3(TestUnit& unit)
{
  for (int i = 0; i < 3; ++i) unit.GetParam(i)->InitDouble("p", 0.0, 0.0, 10.0, 0.5);
}

// Init3 and three presets with known values.
void SetUp3(TestUnit& unit)
{
  const char* names[3] = {"Alpha", "Beta", "Gamma"};
  Init3(unit);
  for (int p = 0; p < unit.NPresets(); ++p)
    ASSERT_TRUE(unit.MakePreset(names[p % 3], 1.0 + p, 2.0 + p, 3.0 + p));
  ASSERT_TRUE(unit.RestorePreset(1));
}

TEST(IUnitBasePresets, ListHelpers)
{
  BASE_PtrList<IPreset> presets;
  presets.Add(new IPreset());
  presets.Add(new IPreset());
  EXPECT_STREQ(presets.Get(0)->mName, "empty");
  strcpy(presets.Get(0)->mName, "user preset 1");
  strcpy(presets.Get(1)->mName, "Bass");
  char name[32];
  MakeDefaultUserPresetName(&presets, name, sizeof(name));
  EXPECT_STREQ(name, "user preset 2");
  MakeDefaultUserPresetName(&presets, name, 6);
  EXPECT_STREQ(name, "user ");
  EXPECT_EQ(GetNextUninitializedPreset(&presets), presets.Get(0));
  presets.Get(0)->mInitialized = true;
  EXPECT_EQ(GetNextUninitializedPreset(&presets), presets.Get(1));
  presets.Get(1)->mInitialized = true;
  EXPECT_EQ(GetNextUninitializedPreset(&presets), nullptr);
  presets.Empty(true);
}

TEST(IUnitBasePresets, ChunkHeader)
{
  ByteChunk chunk;
  const double junk = 5.0;
  chunk.Put(&junk);
  InitChunkWithIUnitVer(&chunk);
  EXPECT_EQ(ChunkString(chunk), std::string("\x74\x66\x66\x70\x00\x00\x01\x00", 8));
  int position = 0;
  EXPECT_EQ(GetIUnitVerFromChunk(&chunk, &position), 0x010000);
  EXPECT_EQ(position, 8);
  EXPECT_EQ(GetIUnitVerFromChunk(&chunk, &position), 0);  // nothing left
  EXPECT_EQ(position, 8);

  ByteChunk other;
  other.PutBytes("abcdefgh", 8);
  position = 0;
  EXPECT_EQ(GetIUnitVerFromChunk(&other, &position), 0);
  EXPECT_EQ(position, 0);
  ByteChunk magicOnly;
  magicOnly.PutBytes("\x74\x66\x66\x70\x00\x00", 6);
  EXPECT_EQ(GetIUnitVerFromChunk(&magicOnly, &position), 0);
  EXPECT_EQ(position, 0);
}

TEST(IUnitBasePresets, MakeRestoreModifyAndPrune)
{
  TestUnit unit(3, 4);
  Init3(unit);
  ASSERT_TRUE(unit.MakePreset("One", 1, 2.5, true));
  ASSERT_TRUE(unit.MakePresetFromNamedParams("Two", 1, 2, 9.0));  // only parameter 2
  EXPECT_FALSE(unit.MakePresetFromNamedParams("Bad", 2, 0, 1.0, 7, 1.0));  // no parameter 7
  EXPECT_FALSE(unit.MakePresetFromNamedParams("Bad", 2, 0, 1.0));          // count mismatch
  unit.MakeDefaultPreset(nullptr, 1);
  EXPECT_STREQ(unit.GetPresetName(0), "One");
  EXPECT_STREQ(unit.GetPresetName(1), "Two");
  EXPECT_STREQ(unit.GetPresetName(2), "Empty");
  EXPECT_STREQ(unit.GetPresetName(3), "empty");

  ASSERT_TRUE(unit.RestorePreset(0));
  EXPECT_EQ(unit.Values(), std::vector<double>({1.0, 2.5, 1.0}));
  ASSERT_TRUE(unit.RestorePreset("Two"));
  EXPECT_EQ(unit.Values(), std::vector<double>({1.0, 2.5, 9.0}));
  EXPECT_EQ(unit.GetCurrentPresetIdx(), 1);
  EXPECT_EQ(unit.mRestores, 2);
  EXPECT_FALSE(unit.RestorePreset("Nope"));
  EXPECT_FALSE(unit.RestorePreset(9));

  unit.SetParameterFromGUI2(0, 4.0);
  unit.ModifyCurrentPreset("Two*");
  ASSERT_TRUE(unit.RestorePreset(0));
  ASSERT_TRUE(unit.RestorePreset(1));
  EXPECT_EQ(unit.Values(), std::vector<double>({4.0, 2.5, 9.0}));
  EXPECT_STREQ(unit.GetPresetName(1), "Two*");

  const std::string longName(400, 'L');
  unit.ModifyCurrentPreset(longName.c_str());
  EXPECT_EQ(strlen(unit.GetPresetName(1)), 255u);

  unit.PruneUninitializedPresets();
  EXPECT_EQ(unit.NPresets(), 3);
  unit.EnsureDefaultPreset();
  EXPECT_FALSE(unit.MakePreset("Full", 1.0));
}

TEST(IUnitBasePresets, BankChunkRoundTrip)
{
  TestUnit source(3, 3);
  SetUp3(source);
  ByteChunk bank;
  ASSERT_TRUE(source.SerializePresets(&bank));
  // "Alpha": length 5, characters, flag 1, three doubles.
  const std::string first = std::string("\x05\x00\x00\x00", 4) + "Alpha" + '\x01' + LE64(1.0) +
                            LE64(2.0) + LE64(3.0);
  EXPECT_EQ(ChunkString(bank).substr(0, first.size()), first);

  TestUnit target(3, 3);
  Init3(target);
  EXPECT_EQ(target.UnserializePresets(&bank, 0), bank.Size());
  EXPECT_STREQ(target.GetPresetName(2), "Gamma");
  ASSERT_TRUE(target.RestorePreset(2));
  EXPECT_EQ(target.Values(), std::vector<double>({3.0, 4.0, 5.0}));
}

TEST(IUnitBasePresets, BlobLinesRoundTrip)
{
  TempDir dir;
  TestUnit source(3, 2);
  SetUp3(source);
  ASSERT_TRUE(source.DumpPresetBlob(dir.File("one.txt").c_str()));
  const std::string line = ReadWholeFile(dir.File("one.txt"));
  const std::string head = "MakePresetFromBlob(\"Beta\", \"";
  ASSERT_EQ(line.substr(0, head.size()), head);
  EXPECT_EQ(line.substr(line.size() - 8), "\", 24);\n");
  const std::string base64 = line.substr(head.size(), line.size() - head.size() - 8);
  EXPECT_EQ(base64.size(), 32u);

  TestUnit target(3, 2);
  Init3(target);
  EXPECT_FALSE(target.MakePresetFromBlob("bad", "AAA*", 3));
  EXPECT_FALSE(target.MakePresetFromBlob("short", base64.c_str(), 25));
  ASSERT_TRUE(target.MakePresetFromBlob("Copy", base64.c_str(), 24));
  ASSERT_TRUE(target.RestorePreset(0));
  EXPECT_EQ(target.Values(), std::vector<double>({2.0, 3.0, 4.0}));

  ASSERT_TRUE(source.DumpBankBlob(dir.File("bank.txt").c_str()));
  const std::string bank = ReadWholeFile(dir.File("bank.txt"));
  EXPECT_EQ(bank.find("MakePresetFromBlob(\"Alpha\""), 0u);
  EXPECT_NE(bank.find("\nMakePresetFromBlob(\"Beta\""), std::string::npos);
}

TEST(IUnitBasePresets, SourceCodeDump)
{
  TempDir dir;
  TestUnit unit(3, 1);
  unit.GetParam(0)->InitBool("on", true);
  unit.GetParam(1)->InitInt("n", 7, 0, 10);
  unit.GetParam(2)->InitDouble("d", 0.25, 0.0, 1.0, 0.01);
  unit.MakeDefaultPreset("Init", 1);
  const char* names[3] = {"kOn", nullptr, "kDepth"};
  ASSERT_TRUE(unit.DumpPresetSrcCode(dir.File("src.txt").c_str(), names));
  EXPECT_EQ(ReadWholeFile(dir.File("src.txt")),
            "  MakePresetFromNamedParams(\"Init\", 3,\n    kOn, true,\n    1, 7,\n"
            "    kDepth, 0.250000);\n");
  EXPECT_FALSE(unit.DumpPresetSrcCode("", names));
}

// ---- FXP and FXB ----

TEST(IUnitBaseFx, ProgramFileOfParameterValues)
{
  TempDir dir;
  TestUnit unit(342);
  for (int i = 0; i < 342; ++i) unit.GetParam(i)->InitInt("p", 0, 0, 4);
  unit.GetParam(0)->SetPlain(1.0);
  unit.GetParam(341)->SetPlain(4.0);
  unit.ModifyCurrentPreset("Lead");
  const std::string path = dir.File("lead.fxp");
  ASSERT_TRUE(unit.SaveProgramAsFXP(path.c_str()));
  const std::string file = ReadWholeFile(path);
  ASSERT_EQ(file.size(), 1424u);
  const std::string header = "CcnK" + BE32(0) + "FxCk" + BE32(1) + BE32(0x5A706564) +
                             BE32(30600) + BE32(342) + Name28("Lead");
  EXPECT_EQ(file.substr(0, 56), header);
  EXPECT_EQ(file.substr(56, 4), FloatBE(0.25f));
  EXPECT_EQ(file.substr(60, 4), FloatBE(0.0f));
  EXPECT_EQ(file.substr(1420, 4), FloatBE(1.0f));

  TestUnit other(342);
  for (int i = 0; i < 342; ++i) other.GetParam(i)->InitInt("p", 0, 0, 4);
  ASSERT_TRUE(other.LoadProgramFromFXP(path.c_str()));
  EXPECT_EQ(other.Values(), unit.Values());
  EXPECT_EQ(other.GetParam(0)->Value(), 1.0);
  ByteChunk saved;
  ASSERT_TRUE(other.BuildProgramFXP(&saved));
  EXPECT_EQ(ChunkString(saved).substr(56), file.substr(56));
}

TEST(IUnitBaseFx, ProgramFileOfStateChunk)
{
  TestUnit unit(3, 2, true);
  SetUp3(unit);
  ByteChunk file;
  ASSERT_TRUE(unit.BuildProgramFXP(&file));
  const std::string expected = "CcnK" + BE32(92) + "FPCh" + BE32(1) + BE32(0x5A706564) +
                               BE32(30600) + BE32(3) + Name28("Beta") + BE32(32) +
                               std::string("\x74\x66\x66\x70\x00\x00\x01\x00", 8) + LE64(2.0) +
                               LE64(3.0) + LE64(4.0);
  EXPECT_EQ(ChunkString(file), expected);

  TestUnit target(3, 2, true);
  SetUp3(target);
  ASSERT_TRUE(target.RestorePreset(0));
  ASSERT_TRUE(target.LoadProgramFromFXPData(file.GetBytes(), file.Size()));
  EXPECT_EQ(target.Values(), std::vector<double>({2.0, 3.0, 4.0}));
  EXPECT_EQ(target.GetCurrentPresetIdx(), 0);
  ASSERT_TRUE(target.RestorePreset(0));  // the current preset took the program
  EXPECT_EQ(target.Values(), std::vector<double>({2.0, 3.0, 4.0}));

  TestUnit noChunks(3, 2, false);
  SetUp3(noChunks);
  const UnitState before = StateOf(noChunks);
  EXPECT_FALSE(noChunks.LoadProgramFromFXPData(file.GetBytes(), file.Size()));
  EXPECT_TRUE(StateOf(noChunks) == before);
}

TEST(IUnitBaseFx, ProgramNameIsCutToItsField)
{
  const struct
  {
    const char* name;
    std::string preset;
    std::string field;
  } cases[] = {
    {"27 characters", std::string(27, 'a'), std::string(27, 'a') + '\0'},
    {"28 characters", std::string(28, 'b'), std::string(27, 'b') + '\0'},
    {"100 characters", std::string(100, 'c'), std::string(27, 'c') + '\0'},
    {"empty", "", std::string(28, '\0')},
  };
  for (const auto& c : cases)
  {
    TestUnit unit(1);
    unit.ModifyCurrentPreset(c.preset.c_str());
    ByteChunk file;
    ASSERT_TRUE(unit.BuildProgramFXP(&file)) << c.name;
    EXPECT_EQ(ChunkString(file).substr(28, 28), c.field) << c.name;
  }
}

TEST(IUnitBaseFx, BankFilesRoundTrip)
{
  for (bool chunks : {false, true})
  {
    SCOPED_TRACE(chunks ? "opaque bank" : "program bank");
    TestUnit unit(3, 3, chunks);
    SetUp3(unit);
    ByteChunk file;
    ASSERT_TRUE(unit.BuildBankFXB(&file));
    const std::string bytes = ChunkString(file);
    const int bankChunk = 8 + 3 * (4 + 5 + 1 + 24) - 1;  // "Beta" is one shorter
    const uint32_t byteSize = chunks ? static_cast<uint32_t>(bankChunk + 160) : 0;
    const std::string header = "CcnK" + BE32(byteSize) + (chunks ? "FBCh" : "FxBk") + BE32(2) +
                               BE32(0x5A706564) + BE32(30600) + BE32(3) + BE32(1) +
                               std::string(124, '\0');
    EXPECT_EQ(bytes.substr(0, 156), header);
    if (chunks)
    {
      EXPECT_EQ(bytes.size(), static_cast<size_t>(bankChunk + 160));
      EXPECT_EQ(bytes.substr(156, 4), BE32(static_cast<uint32_t>(bankChunk)));
    }
    else
    {
      ASSERT_EQ(bytes.size(), 156u + 3 * (56 + 12));
      const std::string second = "CcnK" + BE32(0) + "FxCk" + BE32(1) + BE32(0x5A706564) +
                                 BE32(30600) + BE32(3) + Name28("Beta") + FloatBE(0.2f) +
                                 FloatBE(0.3f) + FloatBE(0.4f);
      EXPECT_EQ(bytes.substr(156 + 68, 68), second);
    }

    TempDir dir;
    const std::string path = dir.File("bank.fxb");
    ASSERT_TRUE(unit.SaveBankAsFXB(path.c_str()));
    EXPECT_EQ(ReadWholeFile(path), bytes);

    TestUnit target(3, 3, chunks);
    Init3(target);
    ASSERT_TRUE(target.LoadBankFromFXB(path.c_str()));
    EXPECT_EQ(target.GetCurrentPresetIdx(), 1);
    // Program records carry single-precision normalised values.
    ExpectValuesNear(target, {2.0, 3.0, 4.0});
    EXPECT_STREQ(target.GetPresetName(0), "Alpha");
    EXPECT_STREQ(target.GetPresetName(2), "Gamma");
    ASSERT_TRUE(target.RestorePreset(2));
    ExpectValuesNear(target, {3.0, 4.0, 5.0});
  }
}

TEST(IUnitBaseFx, PathsAndMissingFiles)
{
  TempDir dir;
  TestUnit unit(3);
  EXPECT_FALSE(unit.SaveProgramAsFXP(""));
  EXPECT_FALSE(unit.SaveProgramAsFXP(dir.File("no/such/folder.fxp").c_str()));
  EXPECT_FALSE(unit.LoadProgramFromFXP(dir.File("missing.fxp").c_str()));
  EXPECT_FALSE(unit.LoadBankFromFXB(dir.File("missing.fxb").c_str()));
  EXPECT_FALSE(unit.LoadProgramFromFXP(""));
}

// Every file kind of a three-parameter, three-preset plug-in, each cut at
// every length short of whole: all must be refused with nothing changed.
TEST(IUnitBaseFx, TruncatedFilesAreRefused)
{
  for (bool chunks : {false, true})
  {
    TestUnit writer(3, 3, chunks);
    SetUp3(writer);
    ByteChunk program, bank;
    ASSERT_TRUE(writer.BuildProgramFXP(&program));
    ASSERT_TRUE(writer.BuildBankFXB(&bank));
    const struct
    {
      const char* name;
      const ByteChunk* file;
      bool bank;
    } files[] = {{"program", &program, false}, {"bank", &bank, true}};
    for (const auto& f : files)
    {
      SCOPED_TRACE(std::string(f.name) + (chunks ? " of chunks" : " of values"));
      TestUnit reader(3, 3, chunks);
      SetUp3(reader);
      reader.SetParameterFromGUI2(0, 9.5);
      const UnitState before = StateOf(reader);
      for (int n = 0; n < f.file->Size(); ++n)
      {
        // A heap copy of exactly n bytes, so a read past it is caught.
        std::vector<uint8_t> cut(f.file->GetBytes(), f.file->GetBytes() + n);
        const bool loaded = f.bank ? reader.LoadBankFromFXBData(cut.data(), n)
                                   : reader.LoadProgramFromFXPData(cut.data(), n);
        ASSERT_FALSE(loaded) << "cut to " << n;
        ASSERT_TRUE(StateOf(reader) == before) << "cut to " << n;
      }
      const bool whole = f.bank ? reader.LoadBankFromFXBData(f.file->GetBytes(), f.file->Size())
                                : reader.LoadProgramFromFXPData(f.file->GetBytes(), f.file->Size());
      EXPECT_TRUE(whole);
      EXPECT_NEAR(reader.GetParam(0)->Value(), 2.0, 1e-6);
    }
  }
}

void Poke32(std::string* bytes, size_t offset, uint32_t value)
{
  bytes->replace(offset, 4, BE32(value));
}

void PokeLE32(std::string* bytes, size_t offset, uint32_t value)
{
  char le[4];
  memcpy(le, &value, 4);
  bytes->replace(offset, 4, std::string(le, 4));
}

// Files whose fields lie about what they hold.
TEST(IUnitBaseFx, CorruptedFilesAreRefused)
{
  TestUnit opaqueWriter(3, 3, true);
  SetUp3(opaqueWriter);
  TestUnit programWriter(3, 3, false);
  SetUp3(programWriter);
  ByteChunk chunkFxp, chunkFxb, paramFxp, paramFxb;
  ASSERT_TRUE(opaqueWriter.BuildProgramFXP(&chunkFxp));
  ASSERT_TRUE(opaqueWriter.BuildBankFXB(&chunkFxb));
  ASSERT_TRUE(programWriter.BuildProgramFXP(&paramFxp));
  ASSERT_TRUE(programWriter.BuildBankFXB(&paramFxb));
  // Bank chunk body: header 8 bytes at 160, then "Alpha" length at 168.
  const size_t alphaLength = 168, alphaFlag = 168 + 4 + 5, betaLength = alphaFlag + 1 + 24;

  enum Poke
  {
    kBigEndian32,
    kLittleEndian32,
    kByte,
  };
  struct Case
  {
    const char* name;
    bool opaque;
    bool bank;
    size_t offset;
    uint32_t value;
    Poke poke;
  };
  const Case cases[] = {
    {"wrong chunk magic", false, false, 0, 0x43636E4C, kBigEndian32},
    {"byte size beyond the file", true, false, 4, 0x10000, kBigEndian32},
    {"unknown format magic", false, false, 8, 0x46784378, kBigEndian32},
    {"program version 2", false, false, 12, 2, kBigEndian32},
    {"other plug-in id", false, false, 16, 0x5A706565, kBigEndian32},
    {"more parameters", false, false, 24, 4, kBigEndian32},
    {"fewer parameters", true, false, 24, 2, kBigEndian32},
    {"chunk size beyond the data", true, false, 56, 33, kBigEndian32},
    {"chunk size huge", true, false, 56, 0xFFFFFFFF, kBigEndian32},
    {"chunk without its header", true, false, 60, 0x12345678, kBigEndian32},
    {"bank version 3", false, true, 12, 3, kBigEndian32},
    {"bank of other plug-in", true, true, 16, 1, kBigEndian32},
    {"more programs than presets", false, true, 24, 4, kBigEndian32},
    {"program count huge", false, true, 24, 0x40000000, kBigEndian32},
    {"current program out of range", true, true, 28, 3, kBigEndian32},
    {"bank chunk size beyond the data", true, true, 156, 0x7FFFFFFF, kBigEndian32},
    {"program record magic", false, true, 156 + 68 + 8, 0x46784379, kBigEndian32},
    {"program record id", false, true, 156 + 16, 7, kBigEndian32},
    {"program record parameter count", false, true, 156 + 2 * 68 + 24, 300, kBigEndian32},
    {"preset name longer than the data", true, true, alphaLength, 0x7FFFFFF0, kLittleEndian32},
    {"preset name length negative", true, true, alphaLength, 0xFFFFFFFF, kLittleEndian32},
    {"second preset name beyond the data", true, true, betaLength, 500, kLittleEndian32},
    {"initialised flag 2", true, true, alphaFlag, 2, kByte},
  };
  for (const Case& c : cases)
  {
    const ByteChunk& source =
      c.bank ? (c.opaque ? chunkFxb : paramFxb) : (c.opaque ? chunkFxp : paramFxp);
    std::string bytes = ChunkString(source);
    ASSERT_LT(c.offset + 4, bytes.size()) << c.name;
    if (c.poke == kByte)
      bytes[c.offset] = static_cast<char>(c.value);
    else if (c.poke == kLittleEndian32)
      PokeLE32(&bytes, c.offset, c.value);
    else
      Poke32(&bytes, c.offset, c.value);

    TestUnit reader(3, 3, c.opaque);
    SetUp3(reader);
    reader.SetParameterFromGUI2(2, 0.5);
    const UnitState before = StateOf(reader);
    std::vector<uint8_t> copy(bytes.begin(), bytes.end());
    const int n = static_cast<int>(copy.size());
    const bool loaded = c.bank ? reader.LoadBankFromFXBData(copy.data(), n)
                               : reader.LoadProgramFromFXPData(copy.data(), n);
    EXPECT_FALSE(loaded) << c.name;
    EXPECT_TRUE(StateOf(reader) == before) << c.name;
  }
}

// A file whose state runs out part-way is refused even though the first
// values could be read: the values already taken are put back.
TEST(IUnitBaseFx, ShortStateInsideAFileIsRolledBack)
{
  TestUnit reader(3, 3, true);
  SetUp3(reader);
  const UnitState before = StateOf(reader);

  std::string state = std::string("\x74\x66\x66\x70\x00\x00\x01\x00", 8) + LE64(7.5);
  const std::string fxp = "CcnK" + BE32(0) + "FPCh" + BE32(1) + BE32(0x5A706564) + BE32(30600) +
                          BE32(3) + Name28("short") + BE32(static_cast<uint32_t>(state.size())) +
                          state;
  std::vector<uint8_t> bytes(fxp.begin(), fxp.end());
  EXPECT_FALSE(reader.LoadProgramFromFXPData(bytes.data(), static_cast<int>(bytes.size())));
  EXPECT_TRUE(StateOf(reader) == before);

  // A bank whose second preset's state is short: the first preset was
  // already replaced when the data ran out.
  std::string bankChunk = std::string("\x74\x66\x66\x70\x00\x00\x01\x00", 8);
  bankChunk += std::string("\x03\x00\x00\x00", 4) + "One" + '\x01' + LE64(6) + LE64(6) + LE64(6);
  bankChunk += std::string("\x03\x00\x00\x00", 4) + "Two" + '\x01' + LE64(7);
  const std::string fxb = "CcnK" + BE32(0) + "FBCh" + BE32(2) + BE32(0x5A706564) + BE32(30600) +
                          BE32(3) + BE32(0) + std::string(124, '\0') +
                          BE32(static_cast<uint32_t>(bankChunk.size())) + bankChunk;
  std::vector<uint8_t> bank(fxb.begin(), fxb.end());
  EXPECT_FALSE(reader.LoadBankFromFXBData(bank.data(), static_cast<int>(bank.size())));
  EXPECT_TRUE(StateOf(reader) == before);
  EXPECT_STREQ(reader.GetPresetName(0), "Alpha");
}

TEST(IUnitBaseFx, ValuesOutsideZeroToOneAreLimited)
{
  TestUnit reader(3, 1);
  Init3(reader);
  const std::string fxp = "CcnK" + BE32(0) + "FxCk" + BE32(1) + BE32(0x5A706564) + BE32(30600) +
                          BE32(3) + Name28("x") + FloatBE(-4.0f) + FloatBE(7.0f) +
                          BE32(0x7FC00000);  // not a number
  std::vector<uint8_t> bytes(fxp.begin(), fxp.end());
  ASSERT_TRUE(reader.LoadProgramFromFXPData(bytes.data(), static_cast<int>(bytes.size())));
  EXPECT_EQ(reader.Values(), std::vector<double>({0.0, 10.0, 0.0}));
}
}  // namespace

namespace
{
// The fuzz corpus files, written independently of this code, load into the
// plug-in they were made for.
TEST(IUnitBaseFx, CorpusFilesLoad)
{
  const struct
  {
    const char* file;
    bool chunks;
    bool bank;
  } cases[] = {{"program_values.fxp", false, false},
               {"program_chunk.fxp", true, false},
               {"bank_programs.fxb", false, true},
               {"bank_chunk.fxb", true, true}};
  for (const auto& c : cases)
  {
    TestUnit unit(3, 3, c.chunks);
    Init3(unit);
    const std::string path = std::string(ZEPHRA_TEST_INPUTS) + "/fxp_reader/" + c.file;
    ASSERT_TRUE(c.bank ? unit.LoadBankFromFXB(path.c_str()) : unit.LoadProgramFromFXP(path.c_str()))
      << c.file;
    ExpectValuesNear(unit, {2.0, 3.0, 4.0});
    if (c.bank)
    {
      EXPECT_STREQ(unit.GetPresetName(2), "Gamma") << c.file;
    }
  }
}
}  // namespace
