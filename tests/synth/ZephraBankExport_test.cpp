// The model's bank export and save-back: the files they leave, the paths
// the entries end with, database entries downloaded from the local server,
// and every failure told to the user instead of passing for success.
#include "support/FileFaults.h"
#include "support/TempDir.h"
#include "support/ZephraTestModel.h"
#include "synth/support/DatabaseServer.h"
#include "winl/ini/WINL_Ini.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

namespace
{
const char* kNoServerText =
  "No program-database server is set.\nName one as server= in the [dbase] section of settings.ini.";

std::string Body(const char* tag) { return std::string(" 243 \r\n") + tag + "\r\n"; }

std::string Repeated(const std::string& text, int times)
{
  std::string all;
  for (int i = 0; i < times; ++i) all += text;
  return all;
}

// The names in folder, sorted, joined by ",".
std::string Listing(const std::string& folder)
{
  std::vector<std::string> names;
  if (DIR* dir = opendir(folder.c_str()))
  {
    while (dirent* e = readdir(dir))
      if (e->d_name[0] != '.') names.push_back(e->d_name);
    closedir(dir);
  }
  std::sort(names.begin(), names.end());
  std::string text;
  for (const std::string& n : names) text += (text.empty() ? "" : ",") + n;
  return text;
}

class BankExport : public ::testing::Test
{
protected:
  ZephraModel& M() { return *mTest.model; }
  std::vector<std::string> Boxes() { return mTest.panels->Boxes(); }
  std::string Cache() const { return mDir.Path() + "/cache/"; }

  TempDir mDir;
  TestModel mTest{mDir.Path()};
};
}  // namespace

TEST_F(BankExport, ExportWritesCanonicalFilesAndReportsWhatFailed)
{
  TempDir src, out;
  WriteWholeFile(src.File("7_Bass.pr3"), Body("bass"));
  WriteWholeFile(src.File("any name.pr3"), Body("lead"));
  ASSERT_TRUE(M().Bank().SetProgram(7, src.File("7_Bass.pr3"), 2, "Bass"));
  ASSERT_TRUE(M().Bank().SetProgram(12, src.File("any name.pr3"), 5, "AC/DC"));
  ASSERT_TRUE(M().Bank().SetProgram(30, src.File("gone.pr3"), 1, "Gone"));

  EXPECT_FALSE(M().ExportBankListToFolder(out.Path() + "/", true, 0));
  EXPECT_EQ(Listing(out.Path()), "07_BASS_Bass.pr3,12_FX_AC_DC.pr3");
  EXPECT_EQ(ReadWholeFile(out.File("07_BASS_Bass.pr3")), Body("bass"));
  EXPECT_EQ(ReadWholeFile(out.File("12_FX_AC_DC.pr3")), Body("lead"));
  EXPECT_EQ(std::string(M().Bank()[7].path), out.File("07_BASS_Bass.pr3"));
  EXPECT_EQ(std::string(M().Bank()[30].path), src.File("gone.pr3"));
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0], "1 Program(s) could not be exported!");

  // One location only, paths left alone; already there: nothing to do.
  TempDir one;
  EXPECT_TRUE(M().ExportBankListToFolder(one.Path() + "/", false, 12));
  EXPECT_EQ(Listing(one.Path()), "12_FX_AC_DC.pr3");
  EXPECT_EQ(std::string(M().Bank()[12].path), out.File("12_FX_AC_DC.pr3"));
  EXPECT_TRUE(M().ExportBankListToFolder(out.Path() + "/", true, 7));
  EXPECT_EQ(Boxes().size(), 1u);
}

TEST_F(BankExport, SelectedExportEmptiesOnlyOurFolder)
{
  TempDir src;
  WriteWholeFile(src.File("a.pr3"), Body("a"));
  WriteWholeFile(src.File("b.pr3"), Body("b"));
  ASSERT_TRUE(M().Bank().SetProgram(1, src.File("a.pr3"), 1, "A"));
  ASSERT_TRUE(M().Bank().SetProgram(2, src.File("b.pr3"), 1, "B"));
  M().Bank()[2].selected = 1;
  const std::string selected = Cache() + "selected/";
  mkdir(Cache().c_str(), 0755);
  mkdir(selected.c_str(), 0755);
  WriteWholeFile(selected + "05_Old.pr3", Body("old"));

  EXPECT_TRUE(M().ExportBankList(selected));
  EXPECT_EQ(Listing(selected), "02_B.pr3");
  EXPECT_EQ(ReadWholeFile(selected + "02_B.pr3"), Body("b"));
  EXPECT_EQ(std::string(M().Bank()[2].path), src.File("b.pr3"));
  EXPECT_TRUE(Boxes().empty());

  // A folder of the user's is never emptied.
  WriteWholeFile(src.File("05_Keep.pr3"), Body("keep"));
  EXPECT_FALSE(M().ExportBankList(src.Path() + "/"));
  EXPECT_EQ(Listing(src.Path()), "05_Keep.pr3,a.pr3,b.pr3");
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0], "The folder could not be emptied:\n" + src.Path() + "/");
}

TEST_F(BankExport, SaveBackRenamesInTheCacheAndReportsFailures)
{
  mkdir(Cache().c_str(), 0755);
  WriteWholeFile(Cache() + "7_Bass.pr3", Body("seven"));
  WriteWholeFile(Cache() + "20_Stray.pr3", Body("stray"));
  ASSERT_TRUE(M().Bank().SetProgram(7, Cache() + "7_Bass.pr3", 2, "Bass"));
  ASSERT_TRUE(M().Bank().SetProgram(9, Cache() + "9_Lost.pr3", 1, "Lost"));

  EXPECT_FALSE(M().SaveBankListToFolder(Cache()));
  EXPECT_EQ(Listing(Cache()), "07_BASS_Bass.pr3");
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0], "1 Program(s) could not be saved!");
}

TEST_F(BankExport, DatabaseEntriesAreDownloadedFirst)
{
  ASSERT_TRUE(M().Bank().SetProgram(9, "https://db.example/f/09_X.pr3", 1, "X"));
  ASSERT_TRUE(M().Bank().SetProgram(10, "https://db.example/f/10_Y.pr3", 1, "Y"));
  TempDir out;
  // Without a server: said once, and the export does not pass for success.
  EXPECT_FALSE(M().ExportBankListToFolder(out.Path() + "/", true, 0));
  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(Boxes()[0], kNoServerText);
  EXPECT_EQ(Boxes()[1], "2 Program(s) could not be exported!");
  EXPECT_STREQ(M().Bank()[9].path, "https://db.example/f/09_X.pr3");
  EXPECT_EQ(Listing(out.Path()), "");

  DatabaseServer* server = DatabaseServer::Get();
  if (!server) GTEST_SKIP() << "no python3/openssl for the local database server";
  server->Control(R"({"files": {"09_FX_Zap.pr3": " 243 \r\n9\r\n"}})");
  ASSERT_TRUE(WritePrivateProfileString("dbase", "server", server->Host().c_str(),
                                        (mDir.Path() + "/settings.ini").c_str()));
  M().SetDatabaseCaFile(server->CaFile());
  const std::string host = "https://" + server->Host();
  ASSERT_TRUE(M().Bank().SetProgram(9, host + "/files/09_FX_Zap.pr3", 1, "Zap"));
  ASSERT_TRUE(M().Bank().SetProgram(10, host + "/files/10_Missing.pr3", 1, "Missing"));

  EXPECT_FALSE(M().ExportBankListToFolder(out.Path() + "/", true, 0));
  EXPECT_EQ(Listing(out.Path()), "09_Zap.pr3");
  EXPECT_EQ(ReadWholeFile(out.File("09_Zap.pr3")), " 243 \r\n9\r\n");
  EXPECT_EQ(ReadWholeFile(DownloadFolder(Cache(), host + "/files/09_FX_Zap.pr3") + "09_FX_Zap.pr3"),
            " 243 \r\n9\r\n");
  EXPECT_EQ(std::string(M().Bank()[9].path), out.File("09_Zap.pr3"));
  EXPECT_EQ(std::string(M().Bank()[10].path), host + "/files/10_Missing.pr3");
  ASSERT_EQ(Boxes().size(), 3u);
  EXPECT_EQ(Boxes()[2], "1 Program(s) could not be exported!");
}

// Downloads whose names carry dots and upper-case extensions: each is
// cached under its own name and exported under the entry's canonical one,
// a ".PRG" converted, a ".PR3" copied byte for byte.
TEST_F(BankExport, DownloadsWithDotsAndUpperCaseExtensionsExport)
{
  DatabaseServer* server = DatabaseServer::Get();
  if (!server) GTEST_SKIP() << "no python3/openssl for the local database server";
  server->Control(R"({"files": {"My.Lead.pr3": " 243 \r\n1\r\n", "Bass.PR3": " 243 \r\n2\r\n",
                                 "Old.PRG": ")" + Repeated("5\\r\\n", 121) + R"("}})");
  ASSERT_TRUE(WritePrivateProfileString("dbase", "server", server->Host().c_str(),
                                        (mDir.Path() + "/settings.ini").c_str()));
  M().SetDatabaseCaFile(server->CaFile());
  const std::string host = "https://" + server->Host();
  ASSERT_TRUE(M().Bank().SetProgram(3, host + "/files/My.Lead.pr3", 1, "My.Lead"));
  ASSERT_TRUE(M().Bank().SetProgram(4, host + "/files/Bass.PR3", 2, "Bass"));
  ASSERT_TRUE(M().Bank().SetProgram(5, host + "/files/Old.PRG", 1, "Old"));
  TempDir out;
  EXPECT_TRUE(M().ExportBankListToFolder(out.Path() + "/", true, 0));
  EXPECT_EQ(Listing(out.Path()), "03_My.Lead.pr3,04_BASS_Bass.pr3,05_Old.pr3");
  EXPECT_EQ(ReadWholeFile(out.File("05_Old.pr3")).substr(0, 10), " 243 \r\n 5 ");
  EXPECT_EQ(ReadWholeFile(out.File("03_My.Lead.pr3")), " 243 \r\n1\r\n");
  EXPECT_EQ(ReadWholeFile(out.File("04_BASS_Bass.pr3")), " 243 \r\n2\r\n");
  EXPECT_EQ(ReadWholeFile(DownloadFolder(Cache(), host + "/files/My.Lead.pr3") + "My.Lead.pr3"), " 243 \r\n1\r\n");
  EXPECT_EQ(ReadWholeFile(DownloadFolder(Cache(), host + "/files/Bass.PR3") + "Bass.PR3"), " 243 \r\n2\r\n");
  EXPECT_TRUE(Boxes().empty());
}

// The write-all's export into the cache: location 3's own "03_Lead.pr3" and
// a database file of the same name at location 5 each keep their program,
// and so do two database files named alike in different folders.
TEST_F(BankExport, ExportIntoTheCacheKeepsEachLocationsOwnProgram)
{
  DatabaseServer* server = DatabaseServer::Get();
  if (!server) GTEST_SKIP() << "no python3/openssl for the local database server";
  server->Control(R"({"files": {"03_Lead.pr3": " 243 \r\n5\r\n", "x/Pad.pr3": " 243 \r\n6\r\n",
                                 "y/Pad.pr3": " 243 \r\n7\r\n"}})");
  ASSERT_TRUE(WritePrivateProfileString("dbase", "server", server->Host().c_str(),
                                        (mDir.Path() + "/settings.ini").c_str()));
  M().SetDatabaseCaFile(server->CaFile());
  const std::string host = "https://" + server->Host();
  TempDir src;
  WriteWholeFile(src.File("03_Lead.pr3"), Body("3"));
  ASSERT_TRUE(M().Bank().SetProgram(3, src.File("03_Lead.pr3"), 1, "Lead"));
  ASSERT_TRUE(M().Bank().SetProgram(5, host + "/files/03_Lead.pr3", 1, "Lead"));
  ASSERT_TRUE(M().Bank().SetProgram(6, host + "/files/x/Pad.pr3", 1, "Pad"));
  ASSERT_TRUE(M().Bank().SetProgram(7, host + "/files/y/Pad.pr3", 1, "Pad"));
  M().SetCachePath();

  // Not asked to update paths: the entries keep their addresses.
  TempDir out;
  EXPECT_TRUE(M().ExportBankListToFolder(out.Path() + "/", false, 0));
  EXPECT_EQ(std::string(M().Bank()[5].path), host + "/files/03_Lead.pr3");
  EXPECT_EQ(std::string(M().Bank()[3].path), src.File("03_Lead.pr3"));

  EXPECT_TRUE(M().ExportBankListToFolder(Cache(), true, 0));
  EXPECT_TRUE(M().SaveBankListToFolder(Cache()));
  EXPECT_EQ(Listing(Cache()), "03_Lead.pr3,05_Lead.pr3,06_Pad.pr3,07_Pad.pr3,db");
  const char* kWant[][2] = {{"03_Lead.pr3", " 243 \r\n3\r\n"}, {"05_Lead.pr3", " 243 \r\n5\r\n"},
                            {"06_Pad.pr3", " 243 \r\n6\r\n"}, {"07_Pad.pr3", " 243 \r\n7\r\n"}};
  for (const auto& w : kWant) EXPECT_EQ(ReadWholeFile(Cache() + w[0]), w[1]) << w[0];
  EXPECT_EQ(ReadWholeFile(src.File("03_Lead.pr3")), Body("3"));
  EXPECT_TRUE(Boxes().empty());

  // The write-all then sends each location its own program: the location
  // byte and the first value's wire byte (value + 24) of every write.
  M().ScanProgramFolder(Cache().c_str());
  M().WriteAllProgramsToSynth(Cache().c_str());
  std::vector<std::pair<int, int>> sent;
  for (int reply = 0; reply < 8; ++reply)
  {
    for (const Bytes& m : mTest.TakeSent())
      if (m.size() == 213 && m[5] == 0x20) sent.emplace_back(m[7], m[8]);
    mTest.Receive({0xF0, 0x00, 0x3E, 0x5A, 0x03, 0x21, 0xF7});
  }
  EXPECT_EQ(sent, (std::vector<std::pair<int, int>>{{3, 27}, {5, 29}, {6, 30}, {7, 31}}));
}

// Two editors under one settings folder: the one that ends first leaves the
// other's cache; the last one to end removes it.
TEST(BankCache, TheLastEditorToEndRemovesTheCache)
{
  TempDir home;
  auto a = std::make_unique<TestModel>(home.Path());
  a->model->SetCachePath();
  const std::string cache = a->model->CachePath();
  ASSERT_EQ(mkdir(cache.c_str(), 0755), 0);
  WriteWholeFile(cache + "09_X.pr3", Body("x"));
  ASSERT_TRUE(a->model->Bank().SetProgram(9, cache + "09_X.pr3", 1, "X"));
  {
    TestModel b(home.Path());
  }
  EXPECT_EQ(ReadWholeFile(cache + "09_X.pr3"), Body("x"));
  // A's write from its cache still finds every file.
  TempDir out;
  EXPECT_TRUE(a->model->ExportBankListToFolder(out.Path() + "/", false, 0));
  EXPECT_EQ(ReadWholeFile(out.File("09_X.pr3")), Body("x"));
  a.reset();
  struct stat info;
  EXPECT_NE(lstat(cache.c_str(), &info), 0);
}

// A folder in the target named like the program being written stays a
// folder, with its files, and the entry is reported as not exported.
TEST_F(BankExport, AFolderNamedLikeTheProgramIsNotReplaced)
{
  TempDir src, out;
  WriteWholeFile(src.File("a.pr3"), Body("a"));
  ASSERT_TRUE(M().Bank().SetProgram(7, src.File("a.pr3"), 2, "Bass"));
  ASSERT_EQ(mkdir(out.File("07_BASS_Bass.pr3").c_str(), 0755), 0);
  WriteWholeFile(out.File("07_BASS_Bass.pr3/keep.pr3"), Body("keep"));
  EXPECT_FALSE(M().ExportBankListToFolder(out.Path() + "/", true, 0));
  EXPECT_EQ(ReadWholeFile(out.File("07_BASS_Bass.pr3/keep.pr3")), Body("keep"));
  EXPECT_EQ(std::string(M().Bank()[7].path), src.File("a.pr3"));
  EXPECT_EQ(Listing(out.Path()), "07_BASS_Bass.pr3");
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0], "1 Program(s) could not be exported!");
}

// The editor's own saves (the Save button and "lastprogram.pr3" at the
// end share this writer) keep the earlier file on a full disk and say so.
TEST_F(BankExport, ASaveOnAFullDiskKeepsTheEarlierProgram)
{
  const std::string path = mDir.File("lastprogram.pr3");
  const std::string earlier = Body("earlier");
  WriteWholeFile(path, earlier);
  EXPECT_FALSE(RunWithFileSizeLimit(4096, [&] { return M().WriteSoundAsProgramFile(path.c_str()); }));
  EXPECT_EQ(ReadWholeFile(path), earlier);
  EXPECT_TRUE(RunWithFileSizeLimit(16384, [&] { return M().WriteSoundAsProgramFile(path.c_str()); }));
  EXPECT_NE(ReadWholeFile(path), earlier);
}
