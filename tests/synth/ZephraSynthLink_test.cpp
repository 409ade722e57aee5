// The synth link without a synth: requests, dumps, writes, save-all, the
// firmware handshake, the watchdog driven tick by tick, start and end.
#include "core/MidiPorts.h"
#include "support/TempDir.h"
#include "support/ZephraTestModel.h"
#include "synth/ZephraLinkMessages.h"
#include "winl/ini/WINL_Ini.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>

namespace
{
namespace fs = std::filesystem;
using Names = std::vector<std::string>;

Bytes Dump(int location, const std::string& name)
{
  Bytes m = ProgramWriteMessage(kDefaultProgram, name, location);
  m[5] = kCmdProgramDump;
  return m;
}
Bytes Reply(uint8_t messageClass, uint8_t code) { return {0xF0, 0x00, 0x3E, 0x5A, messageClass, code, 0xF7}; }
std::string ReadAll(const std::string& path)
{
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}
void WriteAll(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// A model whose program folder holds "01_Init.pr3".
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
    WriteAll(folder + "01_Init.pr3", FormatPr3Text(kDefaultProgram));
    e.ScanProgramFolder((folder + "01_Init.pr3").c_str());
  }
  std::string Box() { return t.panels->boxes.empty() ? "" : t.panels->boxes.back(); }
  std::string Status() { return t.panels->names.empty() ? "" : t.panels->names.back(); }
};
}  // namespace

TEST(ZephraSynthLink, SingleRequestIsOfferedForSaving)
{
  Fixture f;
  f.e.RequestSingleProgram(5);
  f.e.OnIdle();
  EXPECT_EQ(f.t.TakeSent(), (std::vector<Bytes>{{0xF0, 0x00, 0x3E, 0x5A, 0x03, 0x40, 0x03, 0x05, 0xF7}}));
  f.t.panels->QueueSavePath((f.folder + "chosen.pr3").c_str());
  f.t.Receive(Dump(5, "Warm Pad"));
  f.e.OnIdle();
  ASSERT_EQ(f.t.panels->prompts.size(), 1u);
  EXPECT_EQ(f.t.panels->prompts[0], f.folder + "05Warm Pad.pr3");
  EXPECT_EQ(ReadAll(f.folder + "chosen.pr3"), FormatPr3Text(kDefaultProgram));
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
  f.e.RequestProgramDump(5);  // two waits count twice per tick
  f.e.WriteProgramFileToSynth((f.folder + "02_missing.pr3").c_str());
  f.e.OnTimerTick();
  EXPECT_EQ(f.e.ReplyTicks(), 2);
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
    EXPECT_EQ(f.t.TakeSent(), std::vector<Bytes>{ProgramRequestMessage(8)});
  }
  f.e.OnIdle();
  f.e.OnTimerTick();
  EXPECT_TRUE(f.t.TakeSent().empty());
  EXPECT_EQ(f.Box(), "Communication error has occurred!");
}

TEST(ZephraSynthLink, SaveAllFetchesNinetyNineInOrder)
{
  Fixture f;
  f.e.StartSaveAllFromSynth(false);
  for (int location = 1; location <= 99; ++location)
  {
    f.e.OnIdle();
    ASSERT_EQ(f.t.TakeSent(), std::vector<Bytes>{ProgramRequestMessage(location)});
    if (location == 50) f.t.Receive(Dump(3, "Late"));  // neither counts nor skips one
    f.t.Receive(Dump(location, location == 12 ? "12_BASS_Deep" : location == 7 ? "Warm Pad" : ""));
  }
  f.e.OnIdle();
  f.e.OnTimerTick();
  EXPECT_TRUE(f.t.TakeSent().empty());
  EXPECT_EQ(f.e.TransferLocation(), 1);
  EXPECT_EQ(f.Status(), "Finished successfully!");
  for (const char* name : {"07Warm Pad.pr3", "12_BASS_Deep.pr3", "99.pr3"}) EXPECT_TRUE(fs::exists(f.folder + name));
  EXPECT_EQ(std::distance(fs::directory_iterator(f.folder), fs::directory_iterator()), 100);
}

TEST(ZephraSynthLink, FailedSaveIsReportedAndEndsSaveAll)
{
  for (int variant = 0; variant < 3; ++variant)  // no folder, folder gone, name taken by a folder
  {
    Fixture f(variant != 0);
    if (variant == 1) fs::remove_all(f.folder);
    if (variant == 2) fs::create_directories(f.folder + "01A.pr3");
    f.e.StartSaveAllFromSynth(false);
    f.e.OnIdle();
    f.t.Receive(Dump(1, "A"));
    f.e.OnTimerTick();
    EXPECT_FALSE(f.e.SavingAllFromSynth());
    EXPECT_EQ(f.Box(), "The program could not be saved!") << variant;
    EXPECT_EQ(f.Status(), "Saving failed!") << variant;
  }
}

TEST(ZephraSynthLink, SavedShortDumpLoads)
{
  Fixture f;
  f.t.Receive(Dump(3, "Earlier"));  // leaves a name and values in the record
  Bytes shortDump = Dump(4, "");
  shortDump.resize(115);
  const int sum = SysExSum(shortDump.data(), 8, 111);
  shortDump[112] = sum >> 7 & 0x7F;
  shortDump[113] = sum & 0x7F;
  shortDump[114] = 0xF7;
  f.t.Receive(shortDump);
  ProgramFileContent content;
  ASSERT_EQ(ReadProgramFile((f.folder + "04.pr3").c_str(), content), ProgramFileError::kNone);
  EXPECT_EQ(content.values[ProgramIndex(kParamFlexi3Bits)], 0) << "a value past the short dump's end";
}

TEST(ZephraSynthLink, WriteSendsTheFileAndFollowsTheReply)
{
  Fixture f;
  WriteAll(f.folder + "Lead.pr3", FormatPr3Text(kDefaultProgram));
  WriteAll(f.folder + "05_Big.pr3", std::string(8193, ' '));
  f.e.WriteProgramFileToSynth((f.folder + "01_Init.pr3").c_str());
  EXPECT_EQ(f.t.TakeSent(), std::vector<Bytes>{ProgramWriteMessage(kDefaultProgram, "01_Init", 1)});
  f.t.Receive(Reply(0x03, 0x21));
  f.e.OnTimerTick();
  EXPECT_STREQ(f.e.ProgramName(), "01_Init");
  EXPECT_EQ(f.Status(), "Finished successfully!");
  f.e.WriteProgramFileToSynth((f.folder + "01_Init.pr3").c_str());
  f.t.Receive(Reply(0x03, 0x22));
  f.e.OnTimerTick();
  EXPECT_EQ(f.Box(), "Communication error has occurred!");
  f.e.WriteProgramFileToSynth((f.folder + "Lead.pr3").c_str());
  f.e.OnTimerTick();
  EXPECT_EQ(f.Box(), "Program Name does not\ndetermine Program Number!");
  EXPECT_FALSE(f.e.SendProgramFileToSynth((f.folder + "05_Big.pr3").c_str()));
  EXPECT_EQ(f.Status(), "Corrupted filesize!");
  EXPECT_EQ(f.t.TakeSent().size(), 1u);
}

TEST(ZephraSynthLink, FirmwareHandshakeAndRefusedFiles)
{
  Fixture f;
  WriteAll(f.dir.File("fw.bin"), std::string(7, '\xFF'));
  WriteAll(f.dir.File("big.bin"), std::string(80001, 'x'));
  f.e.StartFirmwareUpdate(f.dir.File("fw.bin").c_str());
  for (uint8_t code : {0x11, 0x12, 0x14}) f.t.Receive(Reply(0x02, code));
  const Bytes data = FirmwareDataMessage(reinterpret_cast<const uint8_t*>(std::string(7, '\xFF').data()), 7);
  EXPECT_EQ(f.t.TakeSent(), (std::vector<Bytes>{FirmwareRequestMessage(), data}));
  EXPECT_EQ(f.t.panels->names, (Names{"INIT", "01_Init", "Connecting to Zephra...", "Erasing FLASH memory...",
                                         "Loading Update...", "Update successful!"}));
  f.e.StartFirmwareUpdate(f.dir.File("fw.bin").c_str());
  f.t.Receive(Reply(0x02, 0x15));  // failed: the data once more, and the error
  f.e.OnTimerTick();
  EXPECT_EQ(f.t.TakeSent(), (std::vector<Bytes>{FirmwareRequestMessage(), data}));
  EXPECT_EQ(f.Box(), "Communication error has occurred!");
  f.e.StartFirmwareUpdate(f.dir.File("big.bin").c_str());
  EXPECT_EQ(f.Box(), "This is not a valid firmware file!");
  EXPECT_EQ(f.Status(), "Not a valid firmware file!");
  EXPECT_TRUE(f.t.TakeSent().empty());
}

TEST(ZephraSynthLink, StartsWithTheLastFileAndSavesItAtTheEnd)
{
  TempDir dir;
  const std::string folder = dir.Path() + "/programs/", ini = dir.File("settings.ini");
  fs::create_directories(folder);
  ProgramValues values = kDefaultProgram;
  values[ProgramIndex(kParamVco1SawEnvDecay)] = 5;
  WriteAll(folder + "03_Keys.pr3", FormatPr3Text(values));
  WriteAll(dir.File("lastprogram.pr3"), FormatPr3Text(values));
  WritePrivateProfileString("program", "lastfile", (folder + "03_Keys.pr3").c_str(), ini.c_str());
  {
    TestModel t(dir.Path());
    EXPECT_EQ(t.model->ParamInt(kParamVco1SawEnvDecay), 5);
    fs::create_directories(dir.Path() + "/cache/selected");
    fs::remove(dir.File("lastprogram.pr3"));
  }
  EXPECT_FALSE(fs::exists(dir.Path() + "/cache"));
  EXPECT_EQ(ReadAll(dir.File("lastprogram.pr3")), FormatPr3Text(values));
  EXPECT_NE(ReadAll(ini).find("lastfile=" + folder + "03_Keys.pr3"), std::string::npos);
  EXPECT_NE(ReadAll(ini).find("kbdmidioutch=0"), std::string::npos);
  TempDir fresh;  // no current file: only [gui] manager
  TestModel(fresh.Path()).model->SetManagerMode(true);
  EXPECT_EQ(ReadAll(fresh.File("settings.ini")), "[gui]\nmanager=true\n\n");
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
    (void)ports.ChooseMidiOutput("virtual output");
    TestModel t(dir.Path(), false, ports.MidiOut());
    ports.SetPlug(t.model.get());
    t.model->RequestProgramDump(5);
    EXPECT_TRUE(!ports.MidiOut() || !ports.MidiOut()->isPortOpen());
    ports.CloseAll();  // the shell's order: ports first, then the editor
  }
  saved.empty() ? unsetenv("JACK_DEFAULT_SERVER") : setenv("JACK_DEFAULT_SERVER", saved.c_str(), 1);
}

// A damaged dump, arriving before the GUI has offered a good one for saving,
// must not replace it.
TEST(ZephraSynthLink, BadDumpDoesNotReplaceTheReceivedOne)
{
  Fixture f;
  ProgramValues good = kDefaultProgram;
  good[ProgramIndex(kParamVco1SawEnvDecay)] = 9;
  Bytes first = ProgramWriteMessage(good, "Keep", 5);
  first[5] = kCmdProgramDump;
  f.t.Receive(first);
  Bytes bad = Dump(6, "Damaged");
  bad[211] ^= 1;
  f.t.Receive(bad);
  f.t.panels->QueueSavePath((f.folder + "kept.pr3").c_str());
  f.e.OnIdle();
  ASSERT_EQ(f.t.panels->prompts.size(), 1u);
  EXPECT_EQ(f.t.panels->prompts[0], f.folder + "05Keep.pr3");
  EXPECT_EQ(ReadAll(f.folder + "kept.pr3"), FormatPr3Text(good));
}

// The save dialog runs without the mutex; a dump that the MIDI thread takes
// meanwhile must not become the content of the file named for the first.
TEST(ZephraSynthLink, DumpDuringSaveDialogDoesNotChangeTheSavedOne)
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
  Panels* hook = panels.get();
  f.e.SetPanels(std::move(panels));
  f.t.panels = hook;
  ProgramValues other = kDefaultProgram;
  other[ProgramIndex(kParamVco1SawEnvDecay)] = 9;
  Bytes late = ProgramWriteMessage(other, "Other", 6);
  late[5] = kCmdProgramDump;
  hook->duringPrompt = [&f, &late] { f.t.Receive(late); };
  f.t.Receive(Dump(5, "First"));
  f.t.panels->QueueSavePath((f.folder + "first.pr3").c_str());
  f.e.OnIdle();
  EXPECT_EQ(ReadAll(f.folder + "first.pr3"), FormatPr3Text(kDefaultProgram));
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
    WriteAll(user.File("a.pr3"), "a");
    WriteAll(user.File("sub/b.pr3"), "b");
    fs::create_directories(fs::path(dir.File(c.link)).parent_path());
    fs::create_directory_symlink(user.Path(), dir.File(c.link));
    {
      TestModel t(dir.Path());
      if (c.saveAll) t.model->StartSaveAllFromSynth(true);
      // Only paths strictly inside the settings folder.
      const std::string outside[] = {user.Path() + "/sub/", dir.File("cache/.."), dir.Path() + "/"};
      for (const std::string& path : outside) EXPECT_FALSE(t.model->RemoveFolder(path)) << path;
    }
    EXPECT_EQ(ReadAll(user.File("a.pr3")), "a");
    EXPECT_EQ(ReadAll(user.File("sub/b.pr3")), "b");
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir.File("cache"))));
  }
}

// A ".pr3" file with one value line: written into the synth, the lines it
// lacks go as the default program's values (instrument and VCF volume, VCA
// sustain, ... not 0); loaded into the editor, they are 0 limited to each
// index's range.
TEST(ZephraSynthLink, ShortFileIsWrittenWithTheDefaultProgram)
{
  const Bytes kWire = {
    0xF0, 0x00, 0x3E, 0x5A, 0x03, 0x20, 0x03, 0x05,  // write into location 5; values by index:
    0x1D, 0x3F, 0x3F, 0x00, 0x3F, 0x00, 0x01, 0x00, 0x2A, 0x00, 0x00, 0x20, 0x18, 0x3F, 0x3F, 0x00, 0x3F,  // 0..16
    0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x18, 0x3F, 0x3F, 0x00, 0x3F, 0x00, 0x01, 0x00, 0x00, 0x00,  // 17..33
    0x00, 0x00, 0x18, 0x3F, 0x3F, 0x00, 0x3F, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x02, 0x00,  // 34..50
    0x00, 0x00, 0x00, 0x00, 0x00, 0x40, 0x40, 0x40, 0x01, 0x01, 0x7F, 0x01, 0x01, 0x01, 0x00, 0x01, 0x01,  // 51..67
    0x01, 0x01, 0x00, 0x00, 0x00, 0x40, 0x00, 0x01, 0x7A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x07, 0x01,  // 68..84
    0x00, 0x00, 0x02, 0x18, 0x00, 0x03, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0B,  // 85..101
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0B, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0B, 0x00, 0x00, 0x00,  // 102..118
    0x00, 0x00, 0x00, 0x0B, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40, 0x00,  // 119..135
    0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 136..152
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x14, 0x00, 0x0A, 0x14, 0x00, 0x0A, 0x14, 0x00, 0x00, 0x0F,  // 153..169
    'S', 'h', 'o', 'r', 't', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0x11, 0x75, 0xF7,
  };
  Fixture f;
  WriteAll(f.folder + "Short.pr3", " 243 \r\n5\r\n");
  EXPECT_TRUE(f.e.SendProgramFileToLocation((f.folder + "Short.pr3").c_str(), 5));
  EXPECT_EQ(f.t.TakeSent(), std::vector<Bytes>{kWire});

  ASSERT_EQ(f.e.LoadProgramFile((f.folder + "Short.pr3").c_str()), ProgramFileError::kNone);
  const struct { EParam param; int value; } kLoaded[] = {
    {kParamVco1Coarse, 5}, {kParamVco1Volume, 0}, {kParamVcfCutoffVintage, 0},
    {kParamVcfQ, 7},       {kParamPitchBendRange, 0}, {kParamVcfCutoffNew, 36},
  };
  for (const auto& c : kLoaded) EXPECT_EQ(f.e.Program()[ProgramIndex(c.param)], c.value) << "parameter " << c.param;
}
