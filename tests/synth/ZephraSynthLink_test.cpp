// The synth link without a synth: requests, dumps, writes, save-all, the
// firmware handshake, the watchdog driven tick by tick, start and end.
#include "support/ZephraTestModel.h"

#include "core/MidiPorts.h"
#include "support/TempDir.h"
#include "synth/ProgramFile.h"
#include "tests/synth/support/ZephraTestPrograms.h"
#include "winl/ini/WINL_Ini.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>

namespace
{
namespace fs = std::filesystem;
using Names = std::vector<std::string>;

Bytes Dump(int location, const std::string& name, const TestWire& wire = kDefaultWire)
{
  return ProgramMessage(0x41, location, wire, name);
}
// The first 104 values of wire as a 115-byte short dump.
Bytes ShortDump(int location, const TestWire& wire)
{
  Bytes m = Dump(location, "", wire);
  m.resize(112);
  int sum = 0;
  for (size_t i = 8; i < 112; ++i) sum += m[i];
  m.insert(m.end(), {static_cast<uint8_t>(sum >> 7 & 0x7F), static_cast<uint8_t>(sum & 0x7F), 0xF7});
  return m;
}
// A message one byte shorter or longer.
Bytes Shorter(Bytes m) { m.pop_back(); return m; }
Bytes Longer(Bytes m) { m.push_back(0xF7); return m; }
Bytes Reply(uint8_t messageClass, uint8_t code) { return {0xF0, 0x00, 0x3E, 0x5A, messageClass, code, 0xF7}; }

// An editor whose program folder holds "01_Init.pr3".
struct Fixture
{
  TempDir dir;
  TestModel t{dir.Path()};
  ZephraModel& e = *t.model;
  std::string folder = dir.Path() + "/programs/";
  explicit Fixture(bool withFolder = true)
  {
    if (!withFolder) return;
    fs::create_directories(folder);
    WriteWholeFile(folder + "01_Init.pr3", MarkerText(kDefaultValues));
    e.ScanProgramFolder((folder + "01_Init.pr3").c_str());
  }
  std::string Box() { return t.panels->Boxes().empty() ? "" : t.panels->Boxes().back(); }
  std::string Status() { return t.panels->Status().empty() ? "" : t.panels->Status().back(); }
  // After a transfer that went well, the watchdog's later ticks must find
  // nothing owed and report nothing.
  void ExpectQuietClock()
  {
    const size_t boxes = t.panels->Boxes().size();
    for (int tick = 0; tick < 4; ++tick) e.OnTimerTick();
    EXPECT_EQ(t.panels->Boxes().size(), boxes) << Box();
  }
};
}  // namespace

TEST(ZephraSynthLink, SingleRequestIsOfferedForSaving)
{
  Fixture f;
  for (int location : {0, 1, 99, 100})
  {
    f.e.RequestSingleProgram(location);
    f.e.OnIdle();
  }
  EXPECT_EQ(f.t.TakeSent(), (std::vector<Bytes>{{0xF0, 0x00, 0x3E, 0x5A, 0x03, 0x40, 0x03, 0x01, 0xF7},
                                                {0xF0, 0x00, 0x3E, 0x5A, 0x03, 0x40, 0x03, 0x63, 0xF7}}));
  f.e.RequestSingleProgram(5);
  f.e.OnIdle();
  f.t.panels->QueueSavePath(f.folder + "chosen.pr3");
  f.t.Receive(Dump(5, "Warm Pad", kSampleWire));
  f.e.OnIdle();
  ASSERT_EQ(f.t.panels->Prompts().size(), 1u);
  EXPECT_EQ(f.t.panels->Prompts()[0], f.folder + "05Warm Pad.pr3");
  EXPECT_EQ(LineNumbers(ReadWholeFile(f.folder + "chosen.pr3")), Pr3Numbers(kSampleValues));
  // The editor still holds 01_Init: its name stays, and so does the file
  // the next save proposes.
  EXPECT_EQ(f.Status(), "01_Init");
  EXPECT_EQ(f.t.panels->LastSelectedFile(), f.folder + "01_Init.pr3");
  f.ExpectQuietClock();
}

TEST(ZephraSynthLink, SilentSynthIsReportedOnTheThirdTick)
{
  Fixture f;
  f.e.RequestProgramDump(5);
  f.t.Receive(Dump(4, "Late"));  // a late answer does not end the wait
  f.e.OnTimerTick();
  f.e.OnTimerTick();
  EXPECT_EQ(f.Box(), "");
  f.e.OnTimerTick();
  EXPECT_EQ(f.Box(), "Zephra not present or a communication\nerror has occurred!");
  EXPECT_EQ(f.Status(), "Communication error!");
  // Two waits count twice per tick. (A write is refused during a request,
  // so the write goes first.)
  EXPECT_TRUE(f.e.WriteProgramFileToSynth((f.folder + "01_Init.pr3").c_str()));  // sent, never answered
  f.e.RequestProgramDump(5);
  f.e.OnTimerTick();
  EXPECT_EQ(f.e.ReplyTicks(), 2);
}

// Only messages of a dump's exact length are dumps: a 213-byte one waits for
// the save dialog, a 115-byte one is saved at once with the default
// program's values beyond index 103 and no name.
TEST(ZephraSynthLink, DumpLengths)
{
  TestValues shortValues = kDefaultValues;
  std::copy(kSampleValues.begin(), kSampleValues.begin() + 104, shortValues.begin());
  const struct { const char* name; Bytes message; bool taken; } kCases[] = {
    {"212", Shorter(Dump(4, "A")), false},          {"213", Dump(4, "A"), true},
    {"214", Longer(Dump(4, "A")), false},           {"114", Shorter(ShortDump(4, kSampleWire)), false},
    {"115", ShortDump(4, kSampleWire), true},       {"116", Longer(ShortDump(4, kSampleWire)), false},
  };
  for (const auto& c : kCases)
  {
    SCOPED_TRACE(c.name);
    Fixture f;
    f.t.Receive(Dump(3, "Earlier", kSampleWire));  // leaves a name and values in the record
    f.e.RequestProgramDump(4);
    f.t.Receive(c.message);
    {
      BASE_MutexLock hold(f.e.GetMutex());
      EXPECT_EQ(f.e.AwaitingDump(), !c.taken);
    }
    EXPECT_EQ(fs::exists(f.folder + "04_.pr3"), c.message.size() == 115);
    if (c.message.size() != 115) continue;
    EXPECT_EQ(LineNumbers(ReadWholeFile(f.folder + "04_.pr3")), Pr3Numbers(shortValues));
    f.ExpectQuietClock();
  }
}

TEST(ZephraSynthLink, BadChecksumIsAskedAgainThenGivenUp)
{
  Fixture f;
  f.e.RequestSingleProgram(8);
  Bytes bad = Dump(8, "Bad");
  bad[211] ^= 1;
  for (int attempt = 0; attempt < 4; ++attempt, f.t.Receive(bad))
  {
    f.e.OnIdle();
    EXPECT_EQ(f.t.TakeSent(), (std::vector<Bytes>{{0xF0, 0x00, 0x3E, 0x5A, 0x03, 0x40, 0x03, 0x08, 0xF7}}));
  }
  f.e.OnIdle();
  f.e.OnTimerTick();
  EXPECT_TRUE(f.t.TakeSent().empty());
  EXPECT_EQ(f.Box(), "Communication error has occurred!");
}

// Save-all keeps each location in a file of its own that reads back as that
// location and name, and WRITE ALL of the folder puts back every program
// under the name the synth held.
TEST(ZephraSynthLink, SaveAllFilesWriteBackTheWholeBank)
{
  Fixture f;
  fs::remove(f.folder + "01_Init.pr3");
  const struct { int location; const char* name; const char* file; const char* back; } kCases[] = {
    {1, "01_A", "01_01_A.pr3", "01_A"},
    {2, "01_A", "02_01_A.pr3", "01_A"},
    {5, "80s Brass", "05_80s Brass.pr3", "80s Brass"},
    {7, "Warm Pad", "07_Warm Pad.pr3", "Warm Pad"},
    {12, "12_BASS_Deep", "12_12_BASS_Deep.pr3", "12_BASS_Deep"},
    {13, "BASS_X", "13BASS_X.pr3", "BASS_X"},
    {14, "_Lead", "14__Lead.pr3", "_Lead"},
    {20, "AC/DC", "20_AC_DC.pr3", "AC_DC"},
    {50, "INIT", "50_INIT.pr3", "INIT"},
    {98, "..", "98_.pr3", ""},
    {99, "", "99_.pr3", ""},
  };
  std::map<int, std::string> names;
  for (int n = 1; n <= 99; ++n) names[n] = "INIT";
  for (const auto& c : kCases) names[c.location] = c.name;
  const auto wire = [](int n) -> const TestWire& { return n % 2 ? kSampleWire : kDefaultWire; };
  f.e.StartSaveAllFromSynth(false);
  for (int location = 1; location <= 99; ++location)
  {
    f.e.OnIdle();
    ASSERT_EQ(f.t.TakeSent(), std::vector<Bytes>{RequestMessage(location)});
    if (location == 50) f.t.Receive(Dump(3, "Late"));  // neither counts nor skips one
    f.t.Receive(Dump(location, names[location], wire(location)));
  }
  f.e.OnIdle();
  f.e.OnTimerTick();
  EXPECT_TRUE(f.t.TakeSent().empty());
  EXPECT_EQ(f.e.TransferLocation(), 1);
  EXPECT_EQ(f.Status(), "Finished successfully!");
  EXPECT_EQ(std::distance(fs::directory_iterator(f.folder), fs::directory_iterator()), 99);
  for (const auto& c : kCases)
  {
    EXPECT_EQ(LineNumbers(ReadWholeFile(f.folder + c.file)),
              Pr3Numbers(c.location % 2 ? kSampleValues : kDefaultValues)) << c.file;
    names[c.location] = c.back;
  }

  f.e.WriteAllProgramsToSynth((f.folder + "01_01_A.pr3").c_str());
  std::vector<Bytes> written;
  for (int step = 0; step < 99; ++step)
  {
    for (const Bytes& m : f.t.TakeSent()) written.push_back(m);
    f.t.Receive(Reply(0x03, 0x21));
  }
  ASSERT_EQ(written.size(), 99u);
  for (int n = 1; n <= 99; ++n) EXPECT_EQ(written[n - 1], ProgramMessage(0x20, n, wire(n), names[n])) << n;
  f.e.OnTimerTick();
  EXPECT_EQ(f.Status(), "Finished successfully!");
  f.ExpectQuietClock();
}

// Each next request of save-all leaves as the dump before it is taken, a
// damaged dump's as well: no idle pass is needed, however busy the screen.
TEST(ZephraSynthLink, SaveAllAsksEachNextLocationWhereTheDumpIsTaken)
{
  Fixture f;
  f.e.StartSaveAllFromSynth(false);
  EXPECT_EQ(f.t.TakeSent(), std::vector<Bytes>{RequestMessage(1)});
  f.t.Receive(Dump(1, "A"));
  EXPECT_EQ(f.t.TakeSent(), std::vector<Bytes>{RequestMessage(2)});
  Bytes bad = Dump(2, "B");
  bad[211] ^= 1;
  f.t.Receive(bad);
  EXPECT_EQ(f.t.TakeSent(), std::vector<Bytes>{RequestMessage(2)});
  f.t.Receive(Dump(2, "B"));
  EXPECT_EQ(f.t.TakeSent(), std::vector<Bytes>{RequestMessage(3)});
}

// A dump sent from the synth's own panel while a fetch of 50 waits to go
// out: the request is still for 50, and the dialog offers the dump that came.
TEST(ZephraSynthLink, UnaskedDumpLeavesAnOwedFetchItsLocation)
{
  Fixture f;
  f.e.RequestSingleProgram(50);
  f.t.Receive(Dump(7, "Warm Pad"));
  f.e.OnIdle();
  EXPECT_EQ(f.t.TakeSent(), std::vector<Bytes>{RequestMessage(50)});
  EXPECT_EQ(f.t.panels->Prompts(), Names{f.folder + "07Warm Pad.pr3"});
}

TEST(ZephraSynthLink, FailedSaveIsReportedAndEndsSaveAll)
{
  for (int variant = 0; variant < 3; ++variant)  // no folder, folder gone, name taken by a folder
  {
    Fixture f(variant != 0);
    if (variant == 1) fs::remove_all(f.folder);
    if (variant == 2) fs::create_directories(f.folder + "01_A.pr3");
    f.e.StartSaveAllFromSynth(false);
    f.e.OnIdle();
    f.t.Receive(Dump(1, "A"));
    f.e.OnTimerTick();
    EXPECT_FALSE(f.e.SavingAllFromSynth());
    EXPECT_EQ(f.Box(), "The program could not be saved!") << variant;
    EXPECT_EQ(f.Status(), "Saving failed!") << variant;
  }
}

TEST(ZephraSynthLink, WriteSendsTheFileAndFollowsTheReply)
{
  Fixture f;
  WriteWholeFile(f.folder + "Lead.pr3", MarkerText(kDefaultValues));
  f.e.WriteProgramFileToSynth((f.folder + "01_Init.pr3").c_str());
  EXPECT_EQ(f.t.TakeSent(), std::vector<Bytes>{ProgramMessage(0x20, 1, kDefaultWire, "Init")});
  f.t.Receive(Reply(0x03, 0x21));
  f.e.OnTimerTick();
  EXPECT_STREQ(f.e.ProgramName(), "01_Init");
  EXPECT_EQ(f.Status(), "Finished successfully!");
  f.ExpectQuietClock();
  f.e.WriteProgramFileToSynth((f.folder + "01_Init.pr3").c_str());
  f.t.Receive(Reply(0x03, 0x22));
  f.e.OnTimerTick();
  EXPECT_EQ(f.Box(), "Communication error has occurred!");
  f.e.WriteProgramFileToSynth((f.folder + "Lead.pr3").c_str());
  f.e.OnTimerTick();
  EXPECT_EQ(f.Box(), "Program Name does not\ndetermine Program Number!");
  EXPECT_EQ(f.t.TakeSent().size(), 1u);
}

// The synth's program buffer takes files of up to 8191 bytes; locations
// are 1..99, 0 meaning the one the file name starts with.
TEST(ZephraSynthLink, WriteLimits)
{
  const struct { const char* name; size_t size; int location; int sentTo; const char* status; } kCases[] = {
    {"8191 bytes", 8191, 7, 7, "INIT"},
    {"8192 bytes", 8192, 7, 0, "INIT"},
    {"8193 bytes", 8193, 7, 0, "Corrupted filesize!"},
    {"location from the name", 0, 0, 42, "INIT"},
    {"location 1", 0, 1, 1, "INIT"},
    {"location 99", 0, 99, 99, "INIT"},
    {"location 100", 0, 100, 0, "INIT"},
  };
  for (const auto& c : kCases)
  {
    SCOPED_TRACE(c.name);
    Fixture f(false);
    const std::string path = f.dir.File("42_File.pr3");
    std::string text = MarkerText(kDefaultValues);
    if (c.size > 0) text.resize(c.size, '\n');
    WriteWholeFile(path, text);
    EXPECT_EQ(f.e.SendProgramFileToLocation(path.c_str(), c.location), c.sentTo != 0);
    const Bytes write = ProgramMessage(0x20, c.sentTo, kDefaultWire, "File");
    EXPECT_EQ(f.t.TakeSent(), c.sentTo == 0 ? std::vector<Bytes>{} : std::vector<Bytes>{write});
    EXPECT_EQ(f.Status(), c.status);
  }
}

// A ".pr3" file with one value line: written into the synth, the lines it
// lacks go as the default program's values (instrument and VCF volume, VCA
// sustain, ... not 0); loaded into the editor, they are 0 limited to each
// index's range.
TEST(ZephraSynthLink, ShortFileIsWrittenWithTheDefaultProgram)
{
  TestWire wire = kDefaultWire;
  wire[0] = 0x1D;  // coarse 5
  Fixture f;
  WriteWholeFile(f.folder + "Short.pr3", " 243 \r\n5\r\n");
  EXPECT_TRUE(f.e.SendProgramFileToLocation((f.folder + "Short.pr3").c_str(), 5));
  EXPECT_EQ(f.t.TakeSent(), std::vector<Bytes>{ProgramMessage(0x20, 5, wire, "Short")});

  ASSERT_EQ(f.e.LoadProgramFile((f.folder + "Short.pr3").c_str()), ProgramFileError::kNone);
  const struct { EParam param; int value; } kLoaded[] = {
    {kParamVco1Coarse, 5}, {kParamVco1Volume, 0}, {kParamVcfCutoffVintage, 0},
    {kParamVcfQ, 7},       {kParamPitchBendRange, 0}, {kParamVcfCutoffNew, 36},
  };
  for (const auto& c : kLoaded) EXPECT_EQ(f.e.Program()[ProgramIndex(c.param)], c.value) << "parameter " << c.param;
}

// Images of 1 to 80000 bytes are sent; a failed update sends the data once
// more and reports the error.
TEST(ZephraSynthLink, FirmwareHandshakeAndRefusedFiles)
{
  const struct { size_t size; size_t messageSize; } kCases[] = {{0, 0}, {1, 14}, {80000, 91441}, {80001, 0}};
  for (const auto& c : kCases)
  {
    SCOPED_TRACE(c.size);
    Fixture f;
    WriteWholeFile(f.dir.File("fw.bin"), std::string(c.size, '\xAB'));
    f.e.StartFirmwareUpdate(f.dir.File("fw.bin").c_str());
    for (uint8_t code : {0x11, 0x12, 0x14}) f.t.Receive(Reply(0x02, code));
    const auto sent = f.t.TakeSent();
    if (c.messageSize == 0)
    {
      EXPECT_TRUE(sent.empty());
      EXPECT_EQ(f.Box(), "This is not a valid firmware file!");
      EXPECT_EQ(f.Status(), "Not a valid firmware file!");
      continue;
    }
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0], (Bytes{0xF0, 0x00, 0x3E, 0x5A, 0x02, 0x10, 0xF7}));
    EXPECT_EQ(sent[1].size(), c.messageSize);
    EXPECT_EQ(f.t.panels->Status(), (Names{"INIT", "01_Init", "Connecting to Zephra...", "Erasing FLASH memory...",
                                           "Loading Update...", "Update successful!"}));
    f.ExpectQuietClock();
  }
  Fixture f;
  WriteWholeFile(f.dir.File("fw.bin"), std::string(7, '\xFF'));
  f.e.StartFirmwareUpdate(f.dir.File("fw.bin").c_str());
  f.t.Receive(Reply(0x02, 0x12));
  f.t.Receive(Reply(0x02, 0x15));
  f.e.OnTimerTick();
  // Seven 0xFF bytes: 9 digits, eight 0x7F and one 0, summing to 1016.
  const Bytes data = {0xF0, 0x00, 0x3E, 0x5A, 0x02, 0x13, 0x00, 0x00, 0x09, 0x7F, 0x7F,
                      0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x00, 0x07, 0x78, 0xF7};
  EXPECT_EQ(f.t.TakeSent(), (std::vector<Bytes>{{0xF0, 0x00, 0x3E, 0x5A, 0x02, 0x10, 0xF7}, data, data}));
  EXPECT_EQ(f.Box(), "Communication error has occurred!");
  EXPECT_EQ(f.Status(), "Communication error!");
}

// Ports open again: the link's error gives way to the program's name, and
// nothing else the name display shows is touched.
TEST(ZephraSynthLink, RestoredLinkClearsOnlyTheCommunicationError)
{
  const auto silentRequest = [](Fixture& f) {
    f.e.RequestProgramDump(5);
    for (int tick = 0; tick < 3; ++tick) f.e.OnTimerTick();
  };
  const struct
  {
    const char* name;
    std::function<void(Fixture&)> before;
    Names shown;
  } kCases[] = {
    {"error", silentRequest, {"INIT", "01_Init", "Communication error!", "01_Init"}},
    {"status after the error", [&](Fixture& f) {
       silentRequest(f);
       WriteWholeFile(f.dir.File("fw.bin"), std::string(7, '\xFF'));
       f.e.StartFirmwareUpdate(f.dir.File("fw.bin").c_str());
     }, {"INIT", "01_Init", "Communication error!", "Connecting to Zephra..."}},
    {"no error", [](Fixture&) {}, {"INIT", "01_Init"}},
  };
  for (const auto& c : kCases)
  {
    SCOPED_TRACE(c.name);
    Fixture f;
    c.before(f);
    {
      BASE_MutexLock lock(f.e.GetMutex());
      f.e.SynthLinkRestored();
    }
    EXPECT_EQ(f.t.panels->Status(), c.shown);
  }
}

TEST(ZephraSynthLink, StartsWithTheLastFileAndSavesItAtTheEnd)
{
  TempDir dir;
  const std::string folder = dir.Path() + "/programs/", ini = dir.File("settings.ini");
  fs::create_directories(folder);
  WriteWholeFile(folder + "03_Keys.pr3", MarkerText(kDefaultValues));
  WriteWholeFile(dir.File("lastprogram.pr3"), MarkerText(kSampleValues));
  WritePrivateProfileString("program", "lastfile", (folder + "03_Keys.pr3").c_str(), ini.c_str());
  {
    TestModel t(dir.Path());
    EXPECT_EQ(t.model->ParamInt(kParamVco1Coarse), -13);
    // The kept copy's sound under the last file's name.
    ASSERT_FALSE(t.panels->Status().empty());
    EXPECT_EQ(t.panels->Status().back(), "03_Keys");
    fs::create_directories(dir.Path() + "/cache/selected");
    fs::remove(dir.File("lastprogram.pr3"));
  }
  EXPECT_FALSE(fs::exists(dir.Path() + "/cache"));
  EXPECT_EQ(LineNumbers(ReadWholeFile(dir.File("lastprogram.pr3"))), Pr3Numbers(kSampleValues));
  EXPECT_EQ(ReadWholeFile(ini), "[gui]\nmanager=false\n\n[midi]\nkbdmidioutch=0\n\n[program]\nlastfile=" + folder +
                                  "03_Keys.pr3\n\n");
  TempDir fresh;  // no current file: only [gui] manager
  TestModel(fresh.Path()).model->SetManagerMode(true);
  EXPECT_EQ(ReadWholeFile(fresh.File("settings.ini")), "[gui]\nmanager=true\n\n");
}

// The end (and a save-all into the cache) empties the cache; a link there,
// whether the "cache" itself or something inside it, goes as a link and the
// user's folder it points to keeps every file.
TEST(ZephraSynthLink, CacheRemovalFollowsNoLink)
{
  const struct { const char* name; const char* link; bool saveAll; } kCases[] = {
    {"cache is a link", "cache", false},
    {"cache is a link, save-all", "cache", true},
    {"selected is a link", "cache/selected", false},
    {"link inside the cache", "cache/user", false},
    {"link inside selected", "cache/selected/user", false},
  };
  for (const auto& c : kCases)
  {
    SCOPED_TRACE(c.name);
    TempDir dir, user;
    fs::create_directories(user.File("sub"));
    WriteWholeFile(user.File("a.pr3"), "a");
    WriteWholeFile(user.File("sub/b.pr3"), "b");
    fs::create_directories(fs::path(dir.File(c.link)).parent_path());
    fs::create_directory_symlink(user.Path(), dir.File(c.link));
    {
      TestModel t(dir.Path());
      if (c.saveAll) t.model->StartSaveAllFromSynth(true);
      // Only paths strictly inside the settings folder.
      const std::string outside[] = {user.Path() + "/sub/", dir.File("cache/.."), dir.Path() + "/"};
      for (const std::string& path : outside) EXPECT_FALSE(t.model->RemoveFolder(path)) << path;
    }
    EXPECT_EQ(ReadWholeFile(user.File("a.pr3")), "a");
    EXPECT_EQ(ReadWholeFile(user.File("sub/b.pr3")), "b");
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir.File("cache"))));
  }
}

// Two editors under one settings folder: a save-all into the cache, or a
// bank loaded from elsewhere, empties the cache but leaves the downloads a
// running other editor may be using; alone, the editor empties it all.
TEST(ZephraSynthLink, EmptyingTheCacheKeepsAnotherEditorsDownloads)
{
  const struct { const char* name; bool other; bool saveAll; const char* left; } kCases[] = {
    {"save-all, another editor runs", true, true, "01_.pr3,02_BASS_Deep.pr3,db"},
    {"save-all, alone", false, true, "01_.pr3,02_BASS_Deep.pr3"},
    {"bank loaded, another editor runs", true, false, "db"},
    {"bank loaded, alone", false, false, ""},
  };
  for (const auto& c : kCases)
  {
    SCOPED_TRACE(c.name);
    TempDir home, bank;
    WriteWholeFile(bank.File("05_Pad.pr3"), MarkerText(kDefaultValues));
    auto other = c.other ? std::make_unique<TestModel>(home.Path()) : nullptr;
    const std::string cache = home.File("cache/");
    fs::create_directories(cache + "db/a1");
    WriteWholeFile(cache + "db/a1/Lead.pr3", "lead");
    WriteWholeFile(cache + "09_X.pr3", "x");
    {
      TestModel t(home.Path());
      ZephraModel& e = *t.model;
      if (!c.saveAll)
      {
        EXPECT_TRUE(e.LoadBankListFromFolder(bank.Path() + "/"));
      }
      else
      {
        e.StartSaveAllFromSynth(true);
        for (int location = 1; location <= 99; ++location)
        {
          e.OnIdle();
          ASSERT_EQ(t.TakeSent(), std::vector<Bytes>{RequestMessage(location)});
          t.Receive(Dump(location, location == 2 ? "02_BASS_Deep" : ""));
        }
        e.OnIdle();
        e.OnTimerTick();
        EXPECT_EQ(t.panels->Status().back(), "Finished successfully!");
        EXPECT_EQ(std::distance(fs::directory_iterator(cache), fs::directory_iterator()), c.other ? 100 : 99);
        EXPECT_TRUE(fs::exists(cache + "99_.pr3"));
        // Only the names this test looks at are kept for the listing below.
        for (int location = 3; location <= 99; ++location)
        {
          char name[16];
          snprintf(name, sizeof name, "%02d_.pr3", location);
          fs::remove(cache + name);
        }
      }
      std::vector<std::string> names;
      std::error_code gone;  // no cache folder at all lists nothing
      for (const auto& entry : fs::directory_iterator(cache, gone)) names.push_back(entry.path().filename());
      std::sort(names.begin(), names.end());
      std::string listing;
      for (const std::string& n : names) listing += (listing.empty() ? "" : ",") + n;
      EXPECT_EQ(listing, c.left);
      if (c.other)
      {
        EXPECT_EQ(ReadWholeFile(cache + "db/a1/Lead.pr3"), "lead");
      }
    }
  }
}

// No ALSA sequencer and no JACK server: the editor starts and works.
TEST(ZephraSynthLink, EditorWithoutAnyMidiSystem)
{
  const std::string saved = getenv("JACK_DEFAULT_SERVER") ? getenv("JACK_DEFAULT_SERVER") : "";
  setenv("JACK_NO_START_SERVER", "1", 1);
  setenv("JACK_DEFAULT_SERVER", "zephra-no-such-server", 1);
  {
    TempDir dir;
    MidiPorts ports{MidiSettingsStore{}};
    (void)ports.InitialiseMidi();
    ports.ProbeMidiIO();
    EXPECT_TRUE(ports.OutputNames().empty() || ports.OutputNames().size() == 2u);
    (void)ports.ChooseMidiOutput("virtual output");
    TestModel t(dir.Path(), false, ports.MidiOut());
    ports.SetPlug(t.model.get());
    t.model->RequestProgramDump(5);
    EXPECT_TRUE(!ports.MidiOut() || !ports.MidiOut()->isPortOpen());
    ports.CloseAll();  // the shell's order: ports first, then the editor
  }
  saved.empty() ? unsetenv("JACK_DEFAULT_SERVER") : setenv("JACK_DEFAULT_SERVER", saved.c_str(), 1);
}

// A dump the editor has not offered for saving yet must stay what is saved:
// a damaged dump arriving meanwhile does not replace it, nor does a good one
// that the MIDI thread takes while the save dialog runs without the mutex.
TEST(ZephraSynthLink, ReceivedDumpKeepsUntilSaved)
{
  struct Panels : RecordingPanels
  {
    std::function<void()> duringPrompt;
    std::string PromptForSaveFile(const char* proposedPath) override
    {
      if (duringPrompt) duringPrompt();
      return RecordingPanels::PromptForSaveFile(proposedPath);
    }
  };
  Fixture f;
  auto panels = std::make_unique<Panels>();
  panels->duringPrompt = [&f] { f.t.Receive(Dump(5, "Other")); };
  f.t.panels = panels.get();
  f.e.SetPanels(std::move(panels));
  f.t.Receive(Dump(5, "Keep", kSampleWire));
  Bytes bad = Dump(6, "Damaged");
  bad[211] ^= 1;
  f.t.Receive(bad);
  f.t.panels->QueueSavePath(f.folder + "kept.pr3");
  f.e.OnIdle();
  ASSERT_EQ(f.t.panels->Prompts().size(), 1u);
  EXPECT_EQ(f.t.panels->Prompts()[0], f.folder + "05Keep.pr3");
  EXPECT_EQ(LineNumbers(ReadWholeFile(f.folder + "kept.pr3")), Pr3Numbers(kSampleValues));
}

// Save-all into the cache for the program manager: every dump fills its own
// location in a file of its own, also when its name begins with a number or
// another location holds a program of the same name, and saving the list
// back keeps each of them under its canonical name.
TEST(ZephraSynthLink, SaveAllToTheCacheFillsEachDumpsOwnLocation)
{
  Fixture f(false);
  const std::map<int, std::string> kNames = {
    {3, "5th Lead"}, {4, "00 Init"}, {5, "3 Osc Bass"}, {6, "12_BASS_Deep"}, {7, "8-Bit"},
    {12, "12_BASS_Deep"}, {20, "80s Brass"}, {21, "80s Brass"}};
  // Of each pair of one name, one location holds the other program.
  const auto sample = [](int location) { return location == 5 || location == 12 || location == 21; };
  f.e.StartSaveAllFromSynth(true);
  for (int location = 1; location <= 99; ++location)
  {
    f.e.OnIdle();
    ASSERT_EQ(f.t.TakeSent(), std::vector<Bytes>{RequestMessage(location)});
    const auto named = kNames.find(location);
    f.t.Receive(Dump(location, named == kNames.end() ? "" : named->second, sample(location) ? kSampleWire : kDefaultWire));
  }
  const std::string cache = f.dir.Path() + "/cache/";
  struct Row { int location; int category; const char* name; const char* file; };
  const Row kRows[] = {
    {3, 1, "5th Lead", "03_5th Lead.pr3"},     {4, 1, "00 Init", "04_00 Init.pr3"},
    {5, 1, "3 Osc Bass", "05_3 Osc Bass.pr3"}, {6, 2, "Deep", "06_BASS_Deep.pr3"},
    {7, 1, "8-Bit", "07_8-Bit.pr3"},           {8, 1, "", "08_.pr3"},
    {12, 2, "Deep", "12_BASS_Deep.pr3"},       {20, 1, "80s Brass", "20_80s Brass.pr3"},
    {21, 1, "80s Brass", "21_80s Brass.pr3"},
  };
  BankList& bank = f.e.Bank();
  for (const Row& r : kRows)
  {
    EXPECT_EQ(bank[r.location].empty, 0) << r.location;
    EXPECT_EQ(bank[r.location].category, r.category) << r.location;
    EXPECT_STREQ(bank[r.location].name, r.name) << r.location;
    EXPECT_EQ(std::string(bank[r.location].path), cache + r.file) << r.location;
    EXPECT_EQ(LineNumbers(ReadWholeFile(cache + r.file)),
              Pr3Numbers(sample(r.location) ? kSampleValues : kDefaultValues)) << r.file;
  }

  ASSERT_TRUE(f.e.SaveBankListToFolder(cache));
  for (const Row& r : kRows)
  {
    EXPECT_EQ(std::string(bank[r.location].path), cache + r.file) << r.location;
    EXPECT_EQ(LineNumbers(ReadWholeFile(cache + r.file)),
              Pr3Numbers(sample(r.location) ? kSampleValues : kDefaultValues)) << r.file;
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(cache), fs::directory_iterator()), 99);
}

// A single write whose file sends nothing names the file at once instead of
// waiting for a time-out that would blame the synth; the next write works.
TEST(ZephraSynthLink, WriteOfAFileThatSendsNothingSaysSoAtOnce)
{
  const struct { const char* name; const char* file; size_t size; const char* box; } kCases[] = {
    {"missing", "05_Gone.pr3", 0, "The program file could not be sent:\n05_Gone.pr3"},
    {"8193 bytes", "05_Big.pr3", 8193, "The program file could not be sent:\n05_Big.pr3"},
    {"no location", "Lead.pr3", 1, "Program Name does not\ndetermine Program Number!"},
  };
  for (const auto& c : kCases)
  {
    SCOPED_TRACE(c.name);
    Fixture f;
    if (c.size > 0)
    {
      std::string text = MarkerText(kDefaultValues);
      if (c.size > 1) text.resize(c.size, '\n');
      WriteWholeFile(f.folder + c.file, text);
    }
    f.e.WriteProgramFileToSynth((f.folder + c.file).c_str());
    EXPECT_FALSE(f.e.AwaitingWrite());
    f.e.OnTimerTick();
    EXPECT_EQ(f.Box(), c.box);
    EXPECT_TRUE(f.t.TakeSent().empty());
    const size_t boxes = f.t.panels->Boxes().size();
    for (int tick = 0; tick < 4; ++tick) f.e.OnTimerTick();
    EXPECT_EQ(f.t.panels->Boxes().size(), boxes) << f.Box();
    f.e.WriteProgramFileToSynth((f.folder + "01_Init.pr3").c_str());
    EXPECT_EQ(f.t.TakeSent(), std::vector<Bytes>{ProgramMessage(0x20, 1, kDefaultWire, "Init")});
  }
}

// Another maker's SysEx on the synth's input, with the length and command
// byte of one of the synth's replies or dumps, is passed over: only F0 00 3E
// 5A opens a message of the synth's. Each header differs from the synth's
// in one byte.
const Bytes kOtherHeaders[] = {
  {0xF0, 0x7D, 0x01, 0x02}, {0xF0, 0x01, 0x3E, 0x5A}, {0xF0, 0x00, 0x3D, 0x5A},
  {0xF0, 0x00, 0x3F, 0x5A}, {0xF0, 0x00, 0x3E, 0x59}, {0xF0, 0x00, 0x3E, 0x5B},
};

Bytes WithHeader(Bytes message, const Bytes& header)
{
  std::copy(header.begin(), header.end(), message.begin());
  return message;
}

TEST(ZephraSynthLink, AnotherMakersAcknowledgementLeavesTheWriteWaiting)
{
  Fixture f;
  f.e.WriteProgramFileToSynth((f.folder + "01_Init.pr3").c_str());
  f.t.TakeSent();
  f.t.Receive({0xF0, 0x7D, 0x01, 0x02, 0x03, 0x21, 0xF7});
  for (const Bytes& header : kOtherHeaders) f.t.Receive(WithHeader(Reply(0x03, 0x21), header));
  for (const Bytes& header : kOtherHeaders) f.t.Receive(WithHeader(Reply(0x03, 0x22), header));
  EXPECT_TRUE(f.e.AwaitingWrite());
  f.e.OnTimerTick();
  EXPECT_EQ(f.Box(), "");
  EXPECT_NE(f.Status(), "Finished successfully!");
  // The synth's own acknowledgement still ends it.
  f.t.Receive({0xF0, 0x00, 0x3E, 0x5A, 0x03, 0x21, 0xF7});
  EXPECT_FALSE(f.e.AwaitingWrite());
  f.e.OnTimerTick();
  EXPECT_EQ(f.Status(), "Finished successfully!");
}

TEST(ZephraSynthLink, AnotherMakersRepliesDoNotDriveTheFirmwareUpdate)
{
  Fixture f;
  WriteWholeFile(f.dir.File("fw.bin"), std::string(7, '\xFF'));
  f.e.StartFirmwareUpdate(f.dir.File("fw.bin").c_str());
  EXPECT_EQ(f.t.TakeSent(), (std::vector<Bytes>{{0xF0, 0x00, 0x3E, 0x5A, 0x02, 0x10, 0xF7}}));
  for (uint8_t code : {0x11, 0x12, 0x14, 0x15})
    for (const Bytes& header : kOtherHeaders) f.t.Receive(WithHeader(Reply(0x02, code), header));
  f.t.Receive({0xF0, 0x7D, 0x01, 0x02, 0x02, 0x12, 0xF7});
  EXPECT_TRUE(f.t.TakeSent().empty()) << "the image went out";
  EXPECT_TRUE(f.e.FirmwareUpdateRunning());
  EXPECT_EQ(f.Status(), "Connecting to Zephra...");
  // Still waiting for the synth's first answer, which its own "erasing" is.
  f.t.Receive({0xF0, 0x00, 0x3E, 0x5A, 0x02, 0x11, 0xF7});
  EXPECT_EQ(f.Status(), "Erasing FLASH memory...");
}

TEST(ZephraSynthLink, AnotherMakersDumpWithAGoodSumIsNoDump)
{
  for (const Bytes& message : {Dump(4, "A", kSampleWire), ShortDump(4, kSampleWire)})
  {
    for (const Bytes& header : kOtherHeaders)
    {
      SCOPED_TRACE(std::to_string(message.size()) + " bytes, header byte 1..3: " + std::to_string(header[1]) + " " +
                   std::to_string(header[2]) + " " + std::to_string(header[3]));
      Fixture f;
      f.e.RequestProgramDump(4);
      f.t.Receive(WithHeader(message, header));
      f.e.OnIdle();
      EXPECT_TRUE(f.e.AwaitingDump());
      EXPECT_TRUE(f.t.panels->Prompts().empty());
      EXPECT_FALSE(fs::exists(f.folder + "04_.pr3"));
    }
  }
  // The synth's own dump with the same bytes after the header is taken.
  Fixture f;
  f.e.RequestProgramDump(4);
  f.t.Receive(ShortDump(4, kSampleWire));
  EXPECT_FALSE(f.e.AwaitingDump());
  EXPECT_TRUE(fs::exists(f.folder + "04_.pr3"));
}

// A synth that says it erases and then falls silent (switched off, cable
// pulled) is waited for two minutes of timer ticks, each answer counting
// afresh; then the editor says the update did not finish and is free again:
// a write goes out.
TEST(ZephraSynthLink, SilenceAfterErasingEndsTheUpdateAfterTwoMinutes)
{
  const std::string kUnfinished =
    "The firmware update did not finish: the Zephra stopped answering.\n"
    "Switch the Zephra off and on again and start the firmware update once more.";
  const struct { const char* name; std::vector<uint8_t> answers; int ticks; bool running; } kCases[] = {
    {"erasing, 119 ticks", {0x11}, 119, true},
    {"erasing, 120 ticks", {0x11}, 120, false},
    {"erasing, 121 ticks", {0x11}, 121, false},
    {"erasing, ready, 119 ticks", {0x11, 0x12}, 119, true},
    {"erasing, ready, 120 ticks", {0x11, 0x12}, 120, false},
  };
  for (const auto& c : kCases)
  {
    SCOPED_TRACE(c.name);
    Fixture f;
    WriteWholeFile(f.dir.File("fw.bin"), std::string(7, '\xFF'));
    f.e.StartFirmwareUpdate(f.dir.File("fw.bin").c_str());
    // Many ticks of erasing, then the answer that counts afresh.
    for (uint8_t code : c.answers)
    {
      f.t.Receive(Reply(0x02, code));
      for (int tick = 0; tick < 100; ++tick) f.e.OnTimerTick();
    }
    for (int tick = 100; tick < c.ticks; ++tick) f.e.OnTimerTick();
    EXPECT_EQ(f.e.FirmwareUpdateRunning(), c.running);
    const Names shown = f.t.panels->Boxes();
    const std::string status = f.Status();
    f.t.TakeSent();
    // "Write all" is refused while the update runs, and works once it ended
    // (asking first about the folder's gaps, which are left).
    f.e.WriteAllProgramsToSynth((f.folder + "01_Init.pr3").c_str());
    const std::vector<Bytes> written = f.t.TakeSent();
    if (c.running)
    {
      EXPECT_TRUE(shown.empty()) << shown.front();
      EXPECT_EQ(status, c.answers.size() == 1 ? "Erasing FLASH memory..." : "Loading Update...");
      EXPECT_TRUE(written.empty());
      continue;
    }
    EXPECT_EQ(shown, Names{kUnfinished});
    EXPECT_EQ(status, "Update not finished!");
    EXPECT_EQ(written, std::vector<Bytes>{ProgramMessage(0x20, 1, kDefaultWire, "Init")});
  }
}

// A bank write whose next file cannot be read when the synth acknowledges
// the one before ends there; the box naming the file opens from the idle
// hook (the GUI thread), never inside the reply's handling on the MIDI
// delivery thread, and only once.
TEST(ZephraSynthLink, BankWritesUnreadableFileIsToldByTheIdleHook)
{
  Fixture f;
  WriteWholeFile(f.folder + "02_B.pr3", MarkerText(kDefaultValues));
  f.e.WriteAllProgramsToSynth((f.folder + "01_Init.pr3").c_str());
  ASSERT_EQ(f.t.panels->Boxes().size(), 1u);  // the gaps are not filled
  const std::vector<Bytes> first = f.t.TakeSent();
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0][7], 0x01);
  ASSERT_TRUE(f.e.BankWriteRunning());
  fs::remove(f.folder + "02_B.pr3");
  f.t.Receive({0xF0, 0x00, 0x3E, 0x5A, 0x03, 0x21, 0xF7});
  EXPECT_FALSE(f.e.BankWriteRunning());
  EXPECT_EQ(f.t.panels->Boxes().size(), 1u) << "a box opened while the reply was handled: " << f.Box();
  EXPECT_TRUE(f.t.TakeSent().empty());
  f.e.OnIdle();
  EXPECT_EQ(f.t.panels->Boxes().size(), 2u);
  EXPECT_EQ(f.Box(), "The program file could not be sent:\n02_B.pr3");
  f.e.OnIdle();
  f.ExpectQuietClock();
  EXPECT_EQ(f.t.panels->Boxes().size(), 2u);
}

// A single write while another transfer runs is refused and says so in the
// name display: sent, its acknowledgement would be taken for the other's.
// The running transfer goes on as if nothing had happened.
TEST(ZephraSynthLink, WriteDuringAnotherTransferIsRefused)
{
  struct Case
  {
    const char* name;
    std::function<void(Fixture&)> start;
    const char* text;
  };
  const Case kCases[] = {
    {"bank write", [](Fixture& f) { f.e.WriteAllProgramsToSynth((f.folder + "01_Init.pr3").c_str()); },
     "Busy writing programs to Zephra!"},
    {"save-all", [](Fixture& f) { f.e.StartSaveAllFromSynth(false); }, "Busy saving all programs!"},
    {"single fetch", [](Fixture& f) { f.e.RequestSingleProgram(9); }, "Busy waiting for Zephra!"},
    {"single write", [](Fixture& f) { f.e.WriteProgramFileToSynth((f.folder + "02_B.pr3").c_str()); },
     "Busy waiting for Zephra!"},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    Fixture f;
    WriteWholeFile(f.folder + "02_B.pr3", MarkerText(kDefaultValues));
    WriteWholeFile(f.folder + "50_Other.pr3", MarkerText(kSampleValues));
    c.start(f);
    f.e.OnIdle();
    const std::vector<Bytes> before = f.t.TakeSent();
    ASSERT_EQ(before.size(), 1u);
    EXPECT_FALSE(f.e.WriteProgramFileToSynth((f.folder + "50_Other.pr3").c_str()));
    EXPECT_TRUE(f.t.TakeSent().empty());
    EXPECT_EQ(f.Status(), c.text);
  }
}

// A fetch or save-all while a bank transfer or a firmware update (here
// erasing) runs is refused as a write is, and says so.
TEST(ZephraSynthLink, FetchDuringABankTransferOrFirmwareUpdateIsRefused)
{
  const struct
  {
    const char* name;
    std::function<void(Fixture&)> start;
    const char* text;
  } kRunning[] = {
    {"firmware", [](Fixture& f) {
       WriteWholeFile(f.dir.File("fw.bin"), std::string(7, '\xFF'));
       f.e.StartFirmwareUpdate(f.dir.File("fw.bin").c_str());
       f.t.Receive(Reply(0x02, 0x11));
     }, "Busy updating the firmware!"},
    {"bank write", [](Fixture& f) { f.e.WriteAllProgramsToSynth((f.folder + "01_Init.pr3").c_str()); },
     "Busy writing programs to Zephra!"},
    {"save-all", [](Fixture& f) { f.e.StartSaveAllFromSynth(false); }, "Busy saving all programs!"},
  };
  const std::function<void(ZephraModel&)> kRefused[] = {
    [](ZephraModel& e) { e.RequestSingleProgram(9); },
    [](ZephraModel& e) { e.StartSaveAllFromSynth(false); },
    [](ZephraModel& e) { e.StartSaveAllFromSynth(true); },
  };
  for (const auto& c : kRunning)
    for (const auto& refused : kRefused)
    {
      SCOPED_TRACE(c.name);
      Fixture f;
      c.start(f);
      f.t.TakeSent();
      refused(f.e);
      f.e.OnIdle();
      EXPECT_TRUE(f.t.TakeSent().empty());
      EXPECT_EQ(f.Status(), c.text);
    }
}

// The bank write the refused write would have broken: every file goes to
// its location, one per acknowledgement, and it ends finished; then a write
// goes out again.
TEST(ZephraSynthLink, BankWriteFinishesAfterARefusedWrite)
{
  Fixture f;
  WriteWholeFile(f.folder + "02_B.pr3", MarkerText(kDefaultValues));
  WriteWholeFile(f.folder + "03_C.pr3", MarkerText(kDefaultValues));
  TempDir other;
  WriteWholeFile(other.File("50_Other.pr3"), MarkerText(kSampleValues));
  f.e.WriteAllProgramsToSynth((f.folder + "01_Init.pr3").c_str());
  std::vector<int> locations;
  for (int step = 0; step < 3; ++step)
  {
    for (const Bytes& m : f.t.TakeSent()) locations.push_back(m[7]);
    EXPECT_FALSE(f.e.WriteProgramFileToSynth(other.File("50_Other.pr3").c_str()));
    f.t.Receive(Reply(0x03, 0x21));
  }
  EXPECT_EQ(locations, (std::vector<int>{1, 2, 3}));
  EXPECT_FALSE(f.e.BankWriteRunning());
  f.e.OnTimerTick();
  EXPECT_EQ(f.Status(), "Finished successfully!");
  f.ExpectQuietClock();
  EXPECT_TRUE(f.e.WriteProgramFileToSynth(other.File("50_Other.pr3").c_str()));
  EXPECT_EQ(f.t.TakeSent(), std::vector<Bytes>{ProgramMessage(0x20, 50, kSampleWire, "Other")});
}
