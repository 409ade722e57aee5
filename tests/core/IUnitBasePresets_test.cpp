#include "core/IUnitBase.h"

#include "TestUnit.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace
{
// File bytes written out: whitespace-separated tokens, each either hex digits
// (two per byte), 'text (its ASCII characters) or zN (N zero bytes).
std::string Bytes(const char* text)
{
  std::istringstream in(text);
  std::string out, token;
  while (in >> token)
  {
    if (token[0] == '\'')
      out += token.substr(1);
    else if (token[0] == 'z')
      out += std::string(std::stoul(token.substr(1)), '\0');
    else
      for (size_t i = 0; i + 1 < token.size(); i += 2) out += static_cast<char>(std::stoi(token.substr(i, 2), nullptr, 16));
  }
  return out;
}

std::string ChunkString(const ByteChunk& chunk)
{
  return std::string(reinterpret_cast<const char*>(chunk.GetBytes()), static_cast<size_t>(chunk.Size()));
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
  std::string bank;
  int current;

  bool operator==(const UnitState& o) const
  {
    return values == o.values && names == o.names && bank == o.bank && current == o.current;
  }
};

UnitState StateOf(IUnitBase& unit)
{
  UnitState state;
  for (int i = 0; i < unit.NParams(); ++i) state.values.push_back(unit.GetParam(i)->Value());
  for (int i = 0; i < unit.NPresets(); ++i) state.names.push_back(unit.GetPresetName(i));
  ByteChunk bank;
  EXPECT_TRUE(unit.SerializePresets(&bank));
  state.bank = ChunkString(bank);
  state.current = unit.GetCurrentPresetIdx();
  return state;
}

// Three double parameters 0..10 (step 0.5).
void Init3(TestUnit& unit)
{
  for (int i = 0; i < 3; ++i) unit.GetParam(i)->InitDouble("p", 0.0, 0.0, 10.0, 0.5);
}

// Init3 and presets Alpha (1, 2, 3), Beta (2, 3, 4), Gamma (3, 4, 5); Beta is
// the current one.
void SetUp3(TestUnit& unit)
{
  const char* names[3] = {"Alpha", "Beta", "Gamma"};
  Init3(unit);
  for (int p = 0; p < unit.NPresets(); ++p) ASSERT_TRUE(unit.MakePreset(names[p % 3], 1.0 + p, 2.0 + p, 3.0 + p));
  ASSERT_TRUE(unit.RestorePreset(1));
}

// ---- the four files of SetUp3's plug-in ----
// Header words are big-endian: "CcnK", the byte size (0 for the files of
// values), the kind, its version, the plug-in id 'Zped', its version 30600
// (0x7788), the parameter or program count. Values go as big-endian floats of
// the normalised values; the state chunk ("tffp", version 1.0.0) holds
// little-endian doubles, a bank's preset records a little-endian name length,
// the name, the initialised flag and the values.
struct FxFile { const char* name; bool chunks, bank; const char* bytes; };

const FxFile kFiles[] = {
    {"program of values", false, false,
     "'CcnK 00000000 'FxCk 00000001 'Zped 00007788 00000003 'Beta z24 3E4CCCCD 3E99999A 3ECCCCCD"},
    {"program of a state chunk", true, false,
     "'CcnK 0000005C 'FPCh 00000001 'Zped 00007788 00000003 'Beta z24 00000020 'tffp 00000100"
     " 0000000000000040 0000000000000840 0000000000001040"},
    {"bank of programs", false, true,
     "'CcnK 00000000 'FxBk 00000002 'Zped 00007788 00000003 00000001 z124"
     " 'CcnK 00000000 'FxCk 00000001 'Zped 00007788 00000003 'Alpha z23 3DCCCCCD 3E4CCCCD 3E99999A"
     " 'CcnK 00000000 'FxCk 00000001 'Zped 00007788 00000003 'Beta z24 3E4CCCCD 3E99999A 3ECCCCCD"
     " 'CcnK 00000000 'FxCk 00000001 'Zped 00007788 00000003 'Gamma z23 3E99999A 3ECCCCCD 3F000000"},
    {"bank of a state chunk", true, true,
     "'CcnK 0000010D 'FBCh 00000002 'Zped 00007788 00000003 00000001 z124 0000006D 'tffp 00000100"
     " 05000000 'Alpha 01 000000000000F03F 0000000000000040 0000000000000840"
     " 04000000 'Beta 01 0000000000000040 0000000000000840 0000000000001040"
     " 05000000 'Gamma 01 0000000000000840 0000000000001040 0000000000001440"},
};

bool LoadData(TestUnit& unit, bool bank, const std::string& bytes)
{
  // A heap copy of exactly the file's bytes, so a read past them is caught.
  std::vector<uint8_t> copy(bytes.begin(), bytes.end());
  const int n = static_cast<int>(copy.size());
  return bank ? unit.LoadBankFromFXBData(copy.data(), n) : unit.LoadProgramFromFXPData(copy.data(), n);
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
  EXPECT_EQ(ChunkString(chunk), Bytes("'tffp 00000100"));
  int position = 0;
  EXPECT_EQ(GetIUnitVerFromChunk(&chunk, &position), 0x010000);
  EXPECT_EQ(position, 8);
  EXPECT_EQ(GetIUnitVerFromChunk(&chunk, &position), 0);  // nothing left
  EXPECT_EQ(position, 8);
  for (const char* other : {"'abcdefgh", "'tffp 0000"})
  {
    ByteChunk c;
    const std::string bytes = Bytes(other);
    c.PutBytes(bytes.data(), static_cast<int>(bytes.size()));
    position = 0;
    EXPECT_EQ(GetIUnitVerFromChunk(&c, &position), 0) << other;
    EXPECT_EQ(position, 0) << other;
  }
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

  // A name is cut to 255 characters.
  for (size_t length : {254, 255, 256})
  {
    unit.ModifyCurrentPreset(std::string(length, 'L').c_str());
    EXPECT_EQ(strlen(unit.GetPresetName(1)), length < 255 ? length : 255);
  }

  unit.PruneUninitializedPresets();
  EXPECT_EQ(unit.NPresets(), 3);
  unit.EnsureDefaultPreset();
  EXPECT_FALSE(unit.MakePreset("Full", 1.0));
}

TEST(IUnitBasePresets, BlobAndSourceCodeDumps)
{
  TempDir dir;
  TestUnit source(3, 2);
  SetUp3(source);
  // 24 bytes of little-endian doubles 2, 3, 4 in base64.
  const std::string beta = "MakePresetFromBlob(\"Beta\", \"AAAAAAAAAEAAAAAAAAAIQAAAAAAAABBA\", 24);\n";
  ASSERT_TRUE(source.DumpPresetBlob(dir.File("one.txt").c_str()));
  EXPECT_EQ(ReadWholeFile(dir.File("one.txt")), beta);
  ASSERT_TRUE(source.DumpBankBlob(dir.File("bank.txt").c_str()));
  EXPECT_EQ(ReadWholeFile(dir.File("bank.txt")),
            "MakePresetFromBlob(\"Alpha\", \"AAAAAAAA8D8AAAAAAAAAQAAAAAAAAAhA\", 24);\n" + beta);

  TestUnit target(3, 2);
  Init3(target);
  EXPECT_FALSE(target.MakePresetFromBlob("bad", "AAA*", 3));
  EXPECT_FALSE(target.MakePresetFromBlob("short", "AAAAAAAAAEAAAAAAAAAIQAAAAAAAABBA", 25));
  ASSERT_TRUE(target.MakePresetFromBlob("Copy", "AAAAAAAAAEAAAAAAAAAIQAAAAAAAABBA", 24));
  ASSERT_TRUE(target.RestorePreset(0));
  EXPECT_EQ(target.Values(), std::vector<double>({2.0, 3.0, 4.0}));

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

// Each file is written byte for byte as listed, saved the same, and loads
// into a plug-in that has only its parameters, which then writes it again.
TEST(IUnitBaseFx, FilesAreTheListedBytesBothWays)
{
  TempDir dir;
  for (const FxFile& f : kFiles)
  {
    SCOPED_TRACE(f.name);
    const std::string expected = Bytes(f.bytes);
    TestUnit writer(3, 3, f.chunks);
    SetUp3(writer);
    ByteChunk built;
    ASSERT_TRUE(f.bank ? writer.BuildBankFXB(&built) : writer.BuildProgramFXP(&built));
    EXPECT_EQ(ChunkString(built), expected);
    const std::string path = dir.File(f.bank ? "file.fxb" : "file.fxp");
    ASSERT_TRUE(f.bank ? writer.SaveBankAsFXB(path.c_str()) : writer.SaveProgramAsFXP(path.c_str()));
    EXPECT_EQ(ReadWholeFile(path), expected);

    TestUnit reader(3, 3, f.chunks);
    Init3(reader);
    ASSERT_TRUE(f.bank ? reader.LoadBankFromFXB(path.c_str()) : reader.LoadProgramFromFXP(path.c_str()));
    // Program records carry single-precision normalised values.
    ExpectValuesNear(reader, {2.0, 3.0, 4.0});
    if (f.bank)
    {
      EXPECT_EQ(reader.GetCurrentPresetIdx(), 1);
      EXPECT_STREQ(reader.GetPresetName(0), "Alpha");
      EXPECT_STREQ(reader.GetPresetName(2), "Gamma");
      ASSERT_TRUE(reader.RestorePreset(2));
      ExpectValuesNear(reader, {3.0, 4.0, 5.0});
      ASSERT_TRUE(reader.RestorePreset(1));
    }
    else
    {
      EXPECT_EQ(reader.GetCurrentPresetIdx(), 0);
      reader.ModifyCurrentPreset("Beta");
    }
    ByteChunk again;
    ASSERT_TRUE(f.bank ? reader.BuildBankFXB(&again) : reader.BuildProgramFXP(&again));
    EXPECT_EQ(ChunkString(again), expected);
  }
}

// A state-chunk program goes into the current preset; a plug-in without
// chunks refuses it.
TEST(IUnitBaseFx, ProgramChunkFillsTheCurrentPreset)
{
  const std::string file = Bytes(kFiles[1].bytes);
  TestUnit target(3, 2, true);
  SetUp3(target);
  ASSERT_TRUE(target.RestorePreset(0));
  ASSERT_TRUE(LoadData(target, false, file));
  ASSERT_TRUE(target.RestorePreset(0));
  EXPECT_EQ(target.Values(), std::vector<double>({2.0, 3.0, 4.0}));

  TestUnit noChunks(3, 2, false);
  SetUp3(noChunks);
  const UnitState before = StateOf(noChunks);
  EXPECT_FALSE(LoadData(noChunks, false, file));
  EXPECT_TRUE(StateOf(noChunks) == before);
}

// The plug-in's own size: 342 parameters, 1424 bytes.
TEST(IUnitBaseFx, ProgramFileOfAllParameters)
{
  TempDir dir;
  TestUnit unit(342);
  for (int i = 0; i < 342; ++i) unit.GetParam(i)->InitInt("p", 0, 0, 4);
  unit.GetParam(0)->SetPlain(1.0);
  unit.GetParam(341)->SetPlain(4.0);
  unit.ModifyCurrentPreset("Lead");
  ByteChunk file;
  ASSERT_TRUE(unit.BuildProgramFXP(&file));
  const std::string bytes = ChunkString(file);
  ASSERT_EQ(bytes.size(), 1424u);
  EXPECT_EQ(bytes.substr(0, 64), Bytes("'CcnK 00000000 'FxCk 00000001 'Zped 00007788 00000156 'Lead z24 3E800000 00000000"));
  EXPECT_EQ(bytes.substr(1420), Bytes("3F800000"));

  TestUnit other(342);
  for (int i = 0; i < 342; ++i) other.GetParam(i)->InitInt("p", 0, 0, 4);
  ASSERT_TRUE(LoadData(other, false, bytes));
  EXPECT_EQ(other.Values(), unit.Values());
}

// The name field holds 27 characters and a NUL.
TEST(IUnitBaseFx, ProgramNameIsCutToItsField)
{
  const struct { size_t length; const char* field; } cases[] = {
      {0, "z28"},
      {26, "'nnnnnnnnnnnnnnnnnnnnnnnnnn z2"},
      {27, "'nnnnnnnnnnnnnnnnnnnnnnnnnnn z1"},
      {28, "'nnnnnnnnnnnnnnnnnnnnnnnnnnn z1"},
      {100, "'nnnnnnnnnnnnnnnnnnnnnnnnnnn z1"},
  };
  for (const auto& c : cases)
  {
    TestUnit unit(1);
    unit.ModifyCurrentPreset(std::string(c.length, 'n').c_str());
    ByteChunk file;
    ASSERT_TRUE(unit.BuildProgramFXP(&file)) << c.length;
    EXPECT_EQ(ChunkString(file).substr(28, 28), Bytes(c.field)) << c.length;
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

// Every file cut at every length short of whole is refused with nothing
// changed.
TEST(IUnitBaseFx, TruncatedFilesAreRefused)
{
  for (const FxFile& f : kFiles)
  {
    SCOPED_TRACE(f.name);
    const std::string bytes = Bytes(f.bytes);
    TestUnit reader(3, 3, f.chunks);
    SetUp3(reader);
    reader.SetParameterFromGUI2(0, 9.5);
    const UnitState before = StateOf(reader);
    for (size_t n = 0; n < bytes.size(); ++n)
    {
      ASSERT_FALSE(LoadData(reader, f.bank, bytes.substr(0, n))) << "cut to " << n;
      ASSERT_TRUE(StateOf(reader) == before) << "cut to " << n;
    }
    EXPECT_TRUE(LoadData(reader, f.bank, bytes));
    EXPECT_NEAR(reader.GetParam(0)->Value(), 2.0, 1e-6);
  }
}

// Files whose fields lie about what they hold, and files whose state runs out
// part-way (the values and presets already taken are put back).
TEST(IUnitBaseFx, CorruptedFilesAreRefused)
{
  // The listed files with one field changed: offset, then the new bytes.
  const size_t alphaLength = 168, alphaFlag = 168 + 4 + 5, betaLength = alphaFlag + 1 + 24;
  const struct
  {
    const char* name;
    int file;  // in kFiles
    size_t offset;
    const char* poke;
  } kPokes[] = {
      {"wrong chunk magic", 0, 0, "'CcnL"},
      {"byte size beyond the file", 1, 4, "00010000"},
      {"unknown format magic", 0, 8, "'FxCx"},
      {"program version 2", 0, 12, "00000002"},
      {"other plug-in id", 0, 16, "'Zpee"},
      {"more parameters", 0, 24, "00000004"},
      {"fewer parameters", 1, 24, "00000002"},
      {"chunk size beyond the data", 1, 56, "00000021"},
      {"chunk size huge", 1, 56, "FFFFFFFF"},
      {"chunk without its header", 1, 60, "12345678"},
      {"bank version 3", 2, 12, "00000003"},
      {"bank of other plug-in", 3, 16, "00000001"},
      {"more programs than presets", 2, 24, "00000004"},
      {"program count huge", 2, 24, "40000000"},
      {"current program out of range", 3, 28, "00000003"},
      {"bank chunk size beyond the data", 3, 156, "7FFFFFFF"},
      {"program record magic", 2, 156 + 68 + 8, "'FxCy"},
      {"program record id", 2, 156 + 16, "00000007"},
      {"program record parameter count", 2, 156 + 2 * 68 + 24, "0000012C"},
      {"preset name longer than the data", 3, alphaLength, "F0FFFF7F"},
      {"preset name length negative", 3, alphaLength, "FFFFFFFF"},
      {"second preset name beyond the data", 3, betaLength, "F4010000"},
      {"initialised flag 2", 3, alphaFlag, "02"},
  };
  struct Bad { std::string name; bool chunks, bank; std::string bytes; };
  std::vector<Bad> bad;
  for (const auto& p : kPokes)
  {
    const FxFile& f = kFiles[p.file];
    std::string bytes = Bytes(f.bytes);
    const std::string poke = Bytes(p.poke);
    bytes.replace(p.offset, poke.size(), poke);
    bad.push_back({p.name, f.chunks, f.bank, bytes});
  }
  bad.push_back({"program state short of the third value", true, false,
                 Bytes("'CcnK 00000000 'FPCh 00000001 'Zped 00007788 00000003 'short z23 00000010 'tffp 00000100"
                       " 0000000000001E40")});
  bad.push_back({"second preset of a bank short of values", true, true,
                 Bytes("'CcnK 00000000 'FBCh 00000002 'Zped 00007788 00000003 00000000 z124 00000038 'tffp 00000100"
                       " 03000000 'One 01 0000000000001840 0000000000001840 0000000000001840"
                       " 03000000 'Two 01 0000000000001C40")});
  for (const Bad& b : bad)
  {
    TestUnit reader(3, 3, b.chunks);
    SetUp3(reader);
    reader.SetParameterFromGUI2(2, 0.5);
    const UnitState before = StateOf(reader);
    EXPECT_FALSE(LoadData(reader, b.bank, b.bytes)) << b.name;
    EXPECT_TRUE(StateOf(reader) == before) << b.name;
  }
}

TEST(IUnitBaseFx, ValuesOutsideZeroToOneAreLimited)
{
  TestUnit reader(3, 1);
  Init3(reader);
  // -4, 7 and a NaN.
  ASSERT_TRUE(LoadData(reader, false,
                       Bytes("'CcnK 00000000 'FxCk 00000001 'Zped 00007788 00000003 'x z27 C0800000 40E00000 7FC00000")));
  EXPECT_EQ(reader.Values(), std::vector<double>({0.0, 10.0, 0.0}));
}

}  // namespace
