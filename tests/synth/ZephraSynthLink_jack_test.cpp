// The synth link end to end over JACK, as the fixture sets it up. Under the
// race detector this is the three-thread test.
#include "ZephraSynthLinkJack.h"

#include "core/BASE_Mutex.h"
#include "synth/BankFolder.h"

// A file written into a location is stored there whole, the editor follows
// it, and asked for again it comes back as the same file.
TEST_F(ZephraSynthLinkJack, WrittenProgramIsStoredAndComesBack)
{
  WriteWholeFile(mFolder + "07_Sample.pr3", MarkerText(kSampleValues));
  E().WriteProgramFileToSynth((mFolder + "07_Sample.pr3").c_str());
  ASSERT_TRUE(mShell->plug.WaitUntil([&] { return !Waiting(&ZephraModel::AwaitingWrite); }));
  EXPECT_EQ(SimValues([](SynthSimModel& m) -> SimProgram& { return m.programs[6]; }),
            std::vector<int>(kSampleValues.begin(), kSampleValues.end()));
  EXPECT_EQ(mSim.With([](SynthSimModel& m) { return m.programs[6].name; }), "Sample");
  EXPECT_EQ(E().ParamInt(kParamVco1Coarse), -13);

  mLink->panels->QueueSavePath(mFolder + "back.pr3");
  E().RequestSingleProgram(7);
  ASSERT_TRUE(IdleUntil([&] { return !mLink->panels->Prompts().empty(); }));
  EXPECT_EQ(mLink->panels->Prompts()[0], mFolder + "07Sample.pr3");
  EXPECT_EQ(LineNumbers(ReadWholeFile(mFolder + "back.pr3")), Pr3Numbers(kSampleValues));
  ExpectQuietClock();
}

// The whole-program send lands in the synth's edit buffer. JACK drops MIDI
// that crosses an overrun cycle, which a loaded machine brings about, and
// controllers are not acknowledged: a send that has not arrived whole after
// some seconds is made once more (a wrong byte fails every time).
TEST_F(ZephraSynthLinkJack, ProgramReachesTheEditBuffer)
{
  const std::vector<int> sample(kSampleValues.begin(), kSampleValues.end());
  auto edit = [](SynthSimModel& m) -> SimProgram& { return m.edit; };
  bool arrived = false;
  for (int attempt = 0; attempt < 3 && !arrived; ++attempt)
  {
    {
      BASE_MutexLock hold(E().GetMutex());
      ZephraModel::ProgramValues values{};
      std::copy(kSampleValues.begin(), kSampleValues.end(), values.begin());
      E().ApplyProgram(values);
      E().SendProgramToSynth();
    }
    arrived = mShell->plug.WaitUntil([&] { return SimValues(edit) == sample; }, {}, 10);
  }
  EXPECT_TRUE(arrived);
}

TEST_F(ZephraSynthLinkJack, SaveAllFetchesEveryLocationInOrder)
{
  mLink->TakeSent();
  E().StartSaveAllFromSynth(false);
  ASSERT_TRUE(IdleUntil([&] { return !Waiting(&ZephraModel::SavingAllFromSynth); }));
  const auto sent = mLink->TakeSent();
  ASSERT_EQ(sent.size(), 99u);
  for (int location = 1; location <= 99; ++location) EXPECT_EQ(sent[location - 1], RequestMessage(location));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(mFolder), std::filesystem::directory_iterator()), 100);
  ExpectQuietClock();
}

// The menu's save-all names its files as the bank does, "01_INIT.pr3" ...
// "99_INIT.pr3". Such a folder, loaded as a bank, shows "INIT" in every row;
// saved by the manager into the same folder it stays as it is.
TEST_F(ZephraSynthLinkJack, MenuSaveAllFolderLoadsAndSavesAsABank)
{
  const std::string folder = mDir.Path() + "/saved/";
  std::filesystem::create_directories(folder);
  E().ScanProgramFolder((folder + "none.pr3").c_str());
  E().StartSaveAllFromSynth(false);
  ASSERT_TRUE(IdleUntil([&] { return !Waiting(&ZephraModel::SavingAllFromSynth); }));
  const std::string first = ReadWholeFile(folder + "01_INIT.pr3");
  EXPECT_EQ(LineNumbers(first), Pr3Numbers(kDefaultValues));
  {
    BASE_MutexLock hold(E().GetMutex());
    BankList& bank = E().Bank();
    ASSERT_EQ(LoadBankListFromFolder(bank, folder), 99);
    for (int n : {1, 2, 50, 98, 99})
    {
      EXPECT_STREQ(bank[n].name, "INIT") << n;
      EXPECT_EQ(bank[n].category, 1) << n;
    }
    EXPECT_TRUE(E().SaveBankToDisk(folder));
  }
  for (const char* name : {"01_INIT.pr3", "09_INIT.pr3", "10_INIT.pr3", "99_INIT.pr3"})
    EXPECT_TRUE(std::filesystem::exists(folder + name)) << name;
  for (const char* name : {"01INIT.pr3", "01_01INIT.pr3", "99_99INIT.pr3"}) EXPECT_FALSE(std::filesystem::exists(folder + name)) << name;
  EXPECT_EQ(ReadWholeFile(folder + "01_INIT.pr3"), first);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 99);
  ExpectQuietClock();
}

// A program fetched into the cache for the manager becomes its location's
// entry under the name the synth gives it, in the file of its numbered,
// category-tagged name, which saving the bank back keeps as it is.
TEST_F(ZephraSynthLinkJack, CachedProgramIsSavedBackUnderItsBankName)
{
  mSim.With([](SynthSimModel& m) {
    std::copy(kSampleValues.begin(), kSampleValues.end(), m.programs[6].values.begin());
    m.programs[6].name = "7_BASS_Bass";
  });
  E().StartSaveAllFromSynth(true);
  ASSERT_TRUE(IdleUntil([&] { return !Waiting(&ZephraModel::SavingAllFromSynth); }));
  const std::string cache = E().CachePath();
  const std::string received = ReadWholeFile(cache + "07_BASS_Bass.pr3");
  EXPECT_EQ(LineNumbers(received), Pr3Numbers(kSampleValues));
  {
    BASE_MutexLock hold(E().GetMutex());
    const BankEntry& seven = E().Bank()[7];
    EXPECT_EQ(std::string(seven.path), cache + "07_BASS_Bass.pr3");
    EXPECT_EQ(seven.category, 2);
    EXPECT_STREQ(seven.name, "Bass");
    EXPECT_EQ(SaveBankListToFolder(E().Bank(), cache, cache, nullptr), 0);
    EXPECT_EQ(std::string(seven.path), cache + "07_BASS_Bass.pr3");
  }
  EXPECT_EQ(ReadWholeFile(cache + "07_BASS_Bass.pr3"), received);
  EXPECT_FALSE(std::filesystem::exists(cache + "7_BASS_Bass.pr3"));
  // The other 98 came as "01_INIT.pr3" ...: one file each.
  EXPECT_TRUE(std::filesystem::exists(cache + "01_INIT.pr3"));
  EXPECT_FALSE(std::filesystem::exists(cache + "01INIT.pr3"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(cache), std::filesystem::directory_iterator()), 99);
  ExpectQuietClock();
}

// The synth's faults, one at a time, as the user meets them.
TEST_F(ZephraSynthLinkJack, SynthFaults)
{
  WriteWholeFile(mDir.File("fw.bin"), std::string(7, '\xFF'));
  const struct
  {
    const char* name;
    std::function<void(SynthSimModel&)> mode;
    std::function<void()> act;
    const char* box;  // the message the user gets, "" for none
  } kCases[] = {
    {"silent", [](SynthSimModel& m) { m.silent = true; }, [&] { E().RequestProgramDump(5); },
     "Zephra not present or a communication\nerror has occurred!"},
    {"corrupt", [](SynthSimModel& m) { m.corruptDumps = 1; },  // asked again, then saved
     [&] {
       mLink->TakeSent();
       mLink->panels->QueueSavePath(mFolder + "09INIT.pr3");
       E().RequestSingleProgram(9);
       ASSERT_TRUE(IdleUntil([&] { return !mLink->panels->Prompts().empty(); }));
       EXPECT_EQ(mLink->TakeSent(), (std::vector<Bytes>{RequestMessage(9), RequestMessage(9)}));
       EXPECT_EQ(LineNumbers(ReadWholeFile(mFolder + "09INIT.pr3")), Pr3Numbers(kDefaultValues));
     },
     ""},
    {"short", [](SynthSimModel& m) { m.shortDumps = 1; },  // saved at once, the rest from the default program
     [&] {
       E().RequestSingleProgram(4);
       ASSERT_TRUE(IdleUntil([&] { return std::filesystem::exists(mFolder + "04_.pr3"); }));
       EXPECT_EQ(LineNumbers(ReadWholeFile(mFolder + "04_.pr3")), Pr3Numbers(kDefaultValues));
     },
     ""},
    {"fail-write", [](SynthSimModel& m) { m.failingLocations.insert(1); },
     [&] { E().WriteProgramFileToSynth((mFolder + "01_Init.pr3").c_str()); }, "Communication error has occurred!"},
    {"fail-firmware", [](SynthSimModel& m) { m.failFirmware = 1; },
     [&] { E().StartFirmwareUpdate(mDir.File("fw.bin").c_str()); }, "Communication error has occurred!"},
  };
  for (const auto& c : kCases)
  {
    SCOPED_TRACE(c.name);
    mSim.With([&c](SynthSimModel& m) {
      m = SynthSimModel{};
      c.mode(m);
    });
    const size_t boxes = mLink->panels->Boxes().size();
    c.act();
    if (*c.box == 0)
    {
      ExpectQuietClock();
      continue;
    }
    ASSERT_TRUE(mShell->plug.WaitUntil([&] { return mLink->panels->Boxes().size() > boxes; }));
    EXPECT_EQ(mLink->panels->Boxes().back(), c.box);
  }
  // The failed update sent its data once more, and that one was taken.
  EXPECT_TRUE(mShell->plug.WaitUntil(
    [&] { return mSim.With([](SynthSimModel& m) { return m.firmware; }) == SimBytes(7, 0xFF); }, {}, 10));
}

// Images with tails of every length the packing knows (0 to 6 bytes after
// the 7-byte chunks), and one large enough to go out in paced pieces (more
// than the MIDI library's 16 KB buffer), arrive in the synth byte for byte.
TEST_F(ZephraSynthLinkJack, FirmwareArrivesWhole)
{
  for (size_t size : {1, 2, 3, 4, 5, 6, 7, 20000})
  {
    SCOPED_TRACE(size);
    SimBytes image(size);
    for (size_t i = 0; i < size; ++i) image[i] = static_cast<uint8_t>(0xFF - i * 7);
    WriteWholeFile(mDir.File("fw.bin"), std::string(image.begin(), image.end()));
    E().StartFirmwareUpdate(mDir.File("fw.bin").c_str());
    ASSERT_TRUE(mShell->plug.WaitUntil([&] { return mLink->panels->Status().back() == "Update successful!"; }));
    const auto status = mLink->panels->Status();
    EXPECT_EQ(std::vector<std::string>(status.end() - 4, status.end()),
              (std::vector<std::string>{"Connecting to Zephra...", "Erasing FLASH memory...", "Loading Update...",
                                        "Update successful!"}));
    EXPECT_TRUE(mSim.With([](SynthSimModel& m) { return m.firmware; }) == image) << "the synth holds other bytes";
    ExpectQuietClock();
    mLink->panels->SetNameDisplay("next");
  }
}

// A folder written into the synth: one write per acknowledgement, in the
// order of the locations, and the report only on the timer's next turn.
TEST_F(ZephraSynthLinkJack, BankWriteGoesOutOnEachAcknowledgement)
{
  struct Case
  {
    const char* name;
    std::vector<const char*> files;
    int answer;         // the gap question's button (1 = OK)
    int failing;        // a location the synth refuses, 0 none
    size_t writes;      // program writes sent
    const char* box;    // the message shown, "" for the finished report
  };
  const Case kCases[] = {
    {"gaps skipped", {"01_A.pr3", "02_B.pr3", "04_D.pr3"}, 0, 0, 3, ""},
    {"gaps filled", {"01_A.pr3", "02_B.pr3", "04_D.pr3"}, 1, 0, 99, ""},
    {"two for one", {"05_A.pr3", "05_B.pr3"}, 0, 0, 0, "Multiple files assigned to location: 5\nPlease resolve it!"},
    {"second fails", {"01_A.pr3", "02_B.pr3", "04_D.pr3"}, 0, 2, 2, "Communication error has occurred!"},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    TempDir bank;
    for (const char* f : c.files) WriteWholeFile(bank.File(f), MarkerText(kDefaultValues));
    mSim.With([&c](SynthSimModel& m) {
      m = SynthSimModel{};
      if (c.failing) m.failingLocations.insert(c.failing);
    });
    mLink->TakeSent();
    mLink->panels->QueueBoxAnswer(c.answer);
    const size_t boxes = mLink->panels->Boxes().size();
    E().WriteAllProgramsToSynth((bank.Path() + "/").c_str());
    ASSERT_TRUE(mShell->plug.WaitUntil([&] { return !Waiting(&ZephraModel::BankWriteRunning); }, {}, 120));
    std::vector<Bytes> writes;
    for (const Bytes& m : mLink->TakeSent())
      if (m.size() == 213) writes.push_back(m);
    EXPECT_EQ(writes.size(), c.writes);
    if (c.writes == 3)
    {
      const uint8_t locations[] = {1, 2, 4};
      for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(Bytes(writes[i].begin(), writes[i].begin() + 8),
                  (Bytes{0xF0, 0x00, 0x3E, 0x5A, 0x03, 0x20, 0x03, locations[i]}));
      EXPECT_EQ(mSim.With([](SynthSimModel& m) { return m.programs[3].name; }), "D");
    }
    E().OnTimerTick();
    if (*c.box)
    {
      ASSERT_GT(mLink->panels->Boxes().size(), boxes);
      EXPECT_EQ(mLink->panels->Boxes().back(), c.box);
    }
    else
    {
      EXPECT_EQ(mLink->panels->Status().back(), "Finished successfully!");
    }
    ExpectQuietClock();
  }
}
