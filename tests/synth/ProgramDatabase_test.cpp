#include "synth/ProgramDatabase.h"

#include "synth/support/DatabaseServer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <filesystem>

namespace
{
const std::string kProgramsRoute = "/zephradatabase2/wp-json/wp/v2/cmdm_page?per_page=47&page=";

class ProgramDatabaseTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    server = DatabaseServer::Get();
    if (!server) GTEST_SKIP() << "no python3/openssl for the local database server";
    server->Control("{}");
    mCache = std::make_unique<TempDir>();
  }
  ProgramDatabase Client(long totalMs = 30000)
  {
    ProgramDatabaseConfig config;
    config.server = server->Host();
    config.caFile = server->CaFile();
    config.cacheFolder = mCache->Path() + "/";
    config.totalTimeoutMs = totalMs;
    return ProgramDatabase(config);
  }
  std::vector<std::string> Paths()
  {
    std::vector<std::string> paths;
    const nlohmann::json log = nlohmann::json::parse(server->Log(), nullptr, false);
    for (const auto& r : log) paths.push_back(r["path"].get<std::string>());
    return paths;
  }
  std::string Cache(const char* name) const { return mCache->File(name); }

  DatabaseServer* server = nullptr;
  std::unique_ptr<TempDir> mCache;
};

std::vector<std::string> Names(const std::vector<DatabaseListRecord>& list)
{
  std::vector<std::string> names;
  for (const DatabaseListRecord& r : list) names.push_back(r.name);
  return names;
}
}  // namespace

TEST_F(ProgramDatabaseTest, LoginPostsTheBodyAndChecksTheName)
{
  ProgramDatabase db = Client();
  EXPECT_TRUE(db.Login("Alice", "pw"));
  const nlohmann::json log = nlohmann::json::parse(server->Log(), nullptr, false);
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0]["method"], "POST");
  EXPECT_EQ(log[0]["path"], "/zephradatabase2/wp-json/jwt-auth/v1/token");
  EXPECT_EQ(log[0]["headers"]["content-type"], "application/json");
  EXPECT_EQ(log[0]["headers"]["cache-control"], "no-cache");
  EXPECT_EQ(log[0]["headers"]["content-length"], "45");
  EXPECT_EQ(log[0]["body"], "{\n  \"password\": \"pw\",\n  \"username\": \"Alice\"\n}");

  EXPECT_FALSE(db.Login("alice", "pw"));  // the display name differs in case
  EXPECT_FALSE(db.Login("Alice", "wrong"));  // 403
  ProgramDatabase none{ProgramDatabaseConfig{}};
  EXPECT_FALSE(none.HasServer());
  EXPECT_FALSE(none.Login("Alice", "pw"));
}

TEST_F(ProgramDatabaseTest, ProgramPagesEndOnAShortOrRepeatedPage)
{
  struct Case
  {
    const char* name;
    const char* control;
    size_t records;  // ".." included
    std::vector<std::string> pages;
  };
  const Case kCases[] = {
    {"47 programs", R"({"programs": 47})", 48, {"1", "2"}},
    {"46 programs", R"({"programs": 46})", 47, {"1"}},
    {"48 programs", R"({"programs": 48})", 49, {"1", "2"}},
    {"5 links among 47", R"({"programs": 47, "links": 5})", 43, {"1", "2"}},
    {"page ignored", R"({"programs": 47, "ignore_page": true})", 48, {"1", "2"}},
    {"not JSON", R"({"body": "nonjson"})", 1, {"1"}},
    {"an object", R"({"body": "object"})", 1, {"1"}},
    {"status 500", R"({"status": 500})", 1, {"1"}},
  };
  for (const Case& c : kCases)
  {
    server->Control(c.control);
    ProgramDatabase db = Client();
    std::vector<DatabaseListRecord> list;
    db.ShowCategory("3", list);
    EXPECT_EQ(list.size(), c.records) << c.name;
    std::vector<std::string> expected;
    for (const std::string& p : c.pages) expected.push_back(kProgramsRoute + p + "&cmdm_category=3&status=publish");
    EXPECT_EQ(Paths(), expected) << c.name;
  }
  server->Control(R"({"programs": 47})");
  std::vector<DatabaseListRecord> list;
  Client().ShowCategory("3", list);
  ASSERT_EQ(list.size(), 48u);
  EXPECT_STREQ(list[0].name, "..");
  EXPECT_STREQ(list[1].name, "Bass & Lead");
  EXPECT_STREQ(list[1].link, "1000");
  EXPECT_EQ(DatabaseScrollRange(list.size()), 1);

  server->Control(R"({"endless": true})");
  Client().ShowCategory("3", list);
  EXPECT_EQ(Paths().size(), 50u);
  EXPECT_EQ(list.size(), 1u + 50u * 47u);
}

TEST_F(ProgramDatabaseTest, CategoriesAndFiles)
{
  ProgramDatabase db = Client();
  std::vector<DatabaseListRecord> list;
  EXPECT_TRUE(db.FetchCategories(list));
  EXPECT_EQ(Names(list), (std::vector<std::string>{"Bass", "Lead"}));
  EXPECT_STREQ(list[1].link, "4");
  EXPECT_EQ(list[1].opensCategory, 1);

  const std::string host = "https://" + server->Host();
  server->Control(R"({"media": [["zeta", ")" + host + R"(/files/z.pr3"], ["..", ")" + host +
                  R"(/files/a.pr3"], ["alpha", "file:///etc/passwd"], ["Beta", ")" + host + R"(/files/b.pr3"]]})");
  db.ShowProgramFiles("1000", "3", list);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"..", "..", "Beta", "zeta"}));
  EXPECT_STREQ(list[0].link, "3");
  EXPECT_EQ(list[0].opensCategory, 1);
  EXPECT_EQ(list[2].program, 1);
}

TEST_F(ProgramDatabaseTest, DownloadsWholeOrNotAtAll)
{
  // 8,008 bytes: the marker and 1,143 lines of "0    \r\n".
  std::string content = " 243 \r\n", escaped = " 243 \\r\\n";
  for (int i = 0; i < 1143; ++i)
  {
    content += "0    \r\n";
    escaped += "0    \\r\\n";
  }
  ASSERT_EQ(content.size(), 8008u);
  server->Control(R"({"files": {"07_BASS_Deep.pr3": ")" + escaped + R"("}})");
  const std::string host = "https://" + server->Host();
  ProgramDatabase db = Client();
  std::string cached;
  ASSERT_TRUE(db.FetchProgramToCache(host + "/files/07_BASS_Deep.pr3?ver=2#top", cached));
  const std::string kept = DownloadFolder(mCache->Path() + "/", host + "/files/07_BASS_Deep.pr3?ver=2#top") +
                           "07_BASS_Deep.pr3";
  EXPECT_EQ(cached, kept);
  EXPECT_EQ(ReadWholeFile(cached), content);

  struct Case { const char* name; const char* control; std::string address; };
  const Case kCases[] = {
    {"404", "{}", host + "/files/07_BASS_Deep.pr3"},
    {"10 MB", R"({"body": "huge"})", host + "/files/07_BASS_Deep.pr3"},
    {"file link", "{}", "file:///tmp/07_BASS_Deep.pr3"},
    {"plain http", "{}", "http://" + server->Host() + "/files/07_BASS_Deep.pr3"},
    {"no name", "{}", host + "/files/"},
  };
  for (const Case& c : kCases)
  {
    server->Control(c.control);
    std::string path = "unchanged";
    EXPECT_FALSE(db.FetchProgramToCache(c.address, path)) << c.name;
    EXPECT_EQ(path, "unchanged") << c.name;
    EXPECT_EQ(ReadWholeFile(kept), content) << c.name;
  }

  server->Control(R"({"delay": 3})");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(Client(1000).FetchProgramToCache(host + "/files/07_BASS_Deep.pr3?ver=2#top", cached));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  EXPECT_EQ(ReadWholeFile(kept), content);
}

// Each address gets a file of its own: two programs of one name from two
// folders of the server, or the same address with another query, never
// share one, and none lands where the bank's numbered files go.
TEST_F(ProgramDatabaseTest, EachAddressHasItsOwnCacheFile)
{
  server->Control(R"({"files": {"a/Pad.pr3": " 243 \r\n1\r\n", "b/Pad.pr3": " 243 \r\n2\r\n",
                                 "03_Lead.pr3": " 243 \r\n3\r\n"}})");
  const std::string host = "https://" + server->Host();
  ProgramDatabase db = Client();
  std::string a, b, lead;
  ASSERT_TRUE(db.FetchProgramToCache(host + "/files/a/Pad.pr3", a));
  ASSERT_TRUE(db.FetchProgramToCache(host + "/files/b/Pad.pr3", b));
  ASSERT_TRUE(db.FetchProgramToCache(host + "/files/03_Lead.pr3", lead));
  EXPECT_NE(a, b);
  EXPECT_EQ(ReadWholeFile(a), " 243 \r\n1\r\n");
  EXPECT_EQ(ReadWholeFile(b), " 243 \r\n2\r\n");
  EXPECT_EQ(lead.compare(0, mCache->Path().size() + 4, mCache->Path() + "/db/"), 0) << lead;
  EXPECT_EQ(lead.substr(lead.size() - 12), "/03_Lead.pr3");
  EXPECT_FALSE(std::filesystem::exists(Cache("03_Lead.pr3")));
  EXPECT_FALSE(std::filesystem::exists(Cache("Pad.pr3")));
}

// A reply of status 200 is a program only when its text is one: anything
// else is refused like a failed request, and nothing reaches the cache.
TEST_F(ProgramDatabaseTest, OnlyProgramFilesAreCached)
{
  std::string legacy120, legacy121;
  for (int i = 0; i < 121; ++i) (i < 120 ? legacy120 : legacy121) += "0\r\n";
  legacy121 = legacy120 + legacy121;
  const auto quoted = [](std::string text) {
    std::string out;
    for (char c : text) out += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n") : std::string(1, c);
    return out;
  };
  struct Case { const char* name; std::string control; bool cached; } const kCases[] = {
    {"HTML error page", R"({"body": "html"})", false},
    {"empty", R"({"files": {"07_BASS_Deep.pr3": ""}})", false},
    {"a word among the values", R"({"files": {"07_BASS_Deep.pr3": " 243 \r\n5\r\nzap\r\n"}})", false},
    {"a value out of range", R"({"files": {"07_BASS_Deep.pr3": " 243 \r\n128\r\n"}})", false},
    {"lowest and highest", R"({"files": {"07_BASS_Deep.pr3": " 243 \r\n-64\r\n127\r\n"}})", true},
    {"a dummy line", R"({"files": {"07_BASS_Deep.pr3": " 243 \r\n 0    ; dummy\r\n"}})", true},
    {"no marker, 120 lines", R"({"files": {"07_BASS_Deep.pr3": ")" + quoted(legacy120) + R"("}})", false},
    {"no marker, 121 lines", R"({"files": {"07_BASS_Deep.pr3": ")" + quoted(legacy121) + R"("}})", true},
  };
  const std::string host = "https://" + server->Host();
  for (const Case& c : kCases)
  {
    TempDir cache;
    ProgramDatabaseConfig config;
    config.server = server->Host();
    config.caFile = server->CaFile();
    config.cacheFolder = cache.Path() + "/";
    ProgramDatabase db(config);
    server->Control(c.control);
    std::string path = "unchanged";
    EXPECT_EQ(db.FetchProgramToCache(host + "/files/07_BASS_Deep.pr3", path), c.cached) << c.name;
    if (!c.cached)
    {
      EXPECT_EQ(path, "unchanged") << c.name;
      EXPECT_FALSE(std::filesystem::exists(DownloadFolder(config.cacheFolder, host + "/files/07_BASS_Deep.pr3")))
        << c.name;
    }
  }
}

// The login carries the password: a redirect to another origin is not
// followed (a 307 would post it there again, a 302 would turn it into a
// GET still announcing a body), and the length is the body's own.
TEST_F(ProgramDatabaseTest, LoginFollowsNoRedirect)
{
  const std::string port = server->Host().substr(server->Host().rfind(':'));
  const std::string elsewhere = "https://localhost" + port + "/zephradatabase2/wp-json/jwt-auth/v1/token";
  for (int code : {302, 307})
  {
    SCOPED_TRACE(code);
    server->Control(R"({"redirect": [)" + std::to_string(code) + R"(, ")" + elsewhere + R"("]})");
    ProgramDatabase db = Client(5000);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(db.Login("Alice", "pw"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    const nlohmann::json log = nlohmann::json::parse(server->Log(), nullptr, false);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0]["headers"]["host"], server->Host());
    EXPECT_EQ(log[0]["headers"]["content-length"], "45");
  }
  // The other origin answers for itself: it is a working server.
  server->Control("{}");
  ProgramDatabaseConfig config;
  config.server = "localhost" + port;
  config.caFile = server->CaFile();
  EXPECT_TRUE(ProgramDatabase(config).Login("Alice", "pw"));
}

TEST(ProgramDatabaseReplies, RecordsComeStraightFromEachElement)
{
  struct Case
  {
    const char* name;
    const char* body;
    int elements;
    std::vector<std::string> names;
    std::vector<std::string> links;
  };
  const Case kCases[] = {
    {"id with a query", R"([{"id": "7&status=draft", "_package_type": "file", "title": {"rendered": "X"}}])", 1, {}, {}},
    {"negative id", R"([{"id": -4, "_package_type": "file", "title": {"rendered": "X"}}])", 1, {}, {}},
    {"empty and broken titles", R"([{"id": 1, "_package_type": "file", "title": {"rendered": ""}},
       {"id": 2, "_package_type": "file", "title": {"rendered": "A<br>\nB"}},
       {"id": 3, "_package_type": "file", "title": {"rendered": "C"}}])", 3, {"", "A\nB", "C"}, {"1", "2", "3"}},
    {"title not an object", R"([{"id": 5, "_package_type": "file", "title": "T"}])", 1, {""}, {"5"}},
    {"not an array", R"({"id": 1})", -1, {}, {}},
    {"truncated", R"([{"id": 1, "_package)", -1, {}, {}},
  };
  for (const Case& c : kCases)
  {
    std::vector<DatabaseListRecord> list;
    int elements = 0;
    ParseProgramsReply(c.body, list, elements);
    EXPECT_EQ(elements, c.elements) << c.name;
    EXPECT_EQ(Names(list), c.names) << c.name;
    std::vector<std::string> links;
    for (const auto& r : list) links.push_back(r.link);
    EXPECT_EQ(links, c.links) << c.name;
  }
  // Names are cut at a character boundary; links that do not fit are skipped.
  DatabaseListRecord r;
  const std::string longName = std::string(254, 'a') + "\xc3\xa4";  // 256 bytes
  ASSERT_TRUE(MakeDatabaseRecord(r, 0, 1, longName, "https://x/y", true));
  EXPECT_EQ(std::string(r.name), std::string(254, 'a'));
  EXPECT_TRUE(MakeDatabaseRecord(r, 0, 1, "n", "https://" + std::string(247, 'l'), true));  // 255 bytes
  EXPECT_FALSE(MakeDatabaseRecord(r, 0, 1, "n", "https://" + std::string(248, 'l'), true));
}

// Names whose order changes with case: the list compares them in upper
// case, so "alpha" comes before "Beta" and "_" after the letters ("AB"
// before "a_b", where lower case would put "_" first); names equal but for
// case keep the server's order, and ".." stays first.
TEST(ProgramDatabaseReplies, NamesSortWithoutCase)
{
  const struct { const char* name; std::vector<std::string> in, out; } kCases[] = {
    {"case mixed", {"zeta", "Beta", "alpha", "Zed", "bass"}, {"alpha", "bass", "Beta", "Zed", "zeta"}},
    {"underscore", {"a_b", "AB", "Aa"}, {"Aa", "AB", "a_b"}},
    {"equal but for case", {"pad", "PAD", "Pad"}, {"pad", "PAD", "Pad"}},
    {"dots and extensions", {"My.Lead.pr3", "my lead.PR3", "MY.lead"}, {"my lead.PR3", "MY.lead", "My.Lead.pr3"}},
    {"parent first", {"a", "..", "A"}, {"..", "a", "A"}},
  };
  for (const auto& c : kCases)
  {
    std::vector<DatabaseListRecord> list;
    for (const std::string& n : c.in)
    {
      DatabaseListRecord r;
      ASSERT_TRUE(MakeDatabaseRecord(r, 0, 1, n, "https://x/y", true));
      list.push_back(r);
    }
    SortDatabaseList(list);
    EXPECT_EQ(Names(list), c.out) << c.name;
  }
}

// The repeated-page guard holds on the file list as on the program list: a
// server that answers every page of media alike is asked twice, not fifty
// times, and lists each file once.
TEST_F(ProgramDatabaseTest, FileListEndsOnARepeatedPage)
{
  const std::string host = "https://" + server->Host();
  std::string media = "[";
  for (int i = 0; i < 47; ++i)
    media += std::string(i ? "," : "") + R"([")" + "F" + std::to_string(i) + R"(", ")" + host + "/files/f" +
             std::to_string(i) + R"(.pr3"])";
  server->Control(R"({"media": )" + media + "]}");
  ProgramDatabase db = Client();
  std::vector<DatabaseListRecord> list;
  db.ShowProgramFiles("1000", "3", list);
  EXPECT_EQ(list.size(), 48u);
  EXPECT_EQ(Paths().size(), 2u);
}

// A server that stops after its headers, or sends its reply a byte at a
// time, holds a download no longer than the deadline; nothing is cached.
TEST_F(ProgramDatabaseTest, StallingAndDrippingServersEndAtTheDeadline)
{
  const std::string host = "https://" + server->Host();
  const std::string address = host + "/files/07_BASS_Deep.pr3";
  const char* kModes[] = {R"("stall": 5)", R"("drip": 0.05)"};
  for (const char* mode : kModes)
  {
    SCOPED_TRACE(mode);
    // A whole program of 37 bytes, which would be cached if it came in time.
    std::string program = " 243 \\r\\n";
    for (int i = 0; i < 10; ++i) program += "0\\r\\n";
    server->Control(std::string("{") + mode + R"(, "files": {"07_BASS_Deep.pr3": ")" + program + R"("}})");
    TempDir cache;
    ProgramDatabaseConfig config;
    config.server = server->Host();
    config.caFile = server->CaFile();
    config.cacheFolder = cache.Path() + "/";
    config.totalTimeoutMs = 1000;
    ProgramDatabase db(config);
    std::string path = "unchanged";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(db.FetchProgramToCache(address, path));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2500));
    EXPECT_EQ(path, "unchanged");
    EXPECT_FALSE(std::filesystem::exists(DownloadFolder(config.cacheFolder, address)));
  }
}

// What the log gets of a reply: the ids and names collected from it.
TEST(ProgramDatabaseLog, CollectedTextHoldsIdsAndNames)
{
  std::vector<DatabaseListRecord> list;
  int elements = 0;
  ParseCategoriesReply(R"([{"id": 1, "name": "..", "taxonomy": "x"}])", list, elements);
  const size_t before = list.size();
  ParseCategoriesReply(R"([{"id": 12, "name": "Bass", "taxonomy": "cmdm_category"},
                           {"id": 13, "name": "Pads & Strings", "taxonomy": "cmdm_category"}])",
                       list, elements);
  EXPECT_EQ(CollectedRecordsText(list, before), "\n12\nBass\n13\nPads & Strings");
  EXPECT_EQ(CollectedRecordsText(list, list.size()), "");
}
