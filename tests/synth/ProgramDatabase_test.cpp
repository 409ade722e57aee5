#include "synth/ProgramDatabase.h"

#include "synth/support/DatabaseServer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>

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
  const std::string content = std::string(" 243 \r\n") + std::string(8000, 'x') + "\r\n";  // 8,009 bytes
  server->Control(R"({"files": {"07_BASS_Deep.pr3": ")" + std::string(" 243 \\r\\n") +
                  std::string(8000, 'x') + R"(\r\n"}})");
  const std::string host = "https://" + server->Host();
  ProgramDatabase db = Client();
  std::string cached;
  ASSERT_TRUE(db.FetchProgramToCache(host + "/files/07_BASS_Deep.pr3?ver=2#top", cached));
  EXPECT_EQ(cached, Cache("07_BASS_Deep.pr3"));
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
    EXPECT_EQ(ReadWholeFile(Cache("07_BASS_Deep.pr3")), content) << c.name;
  }

  server->Control(R"({"delay": 3})");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(Client(1000).FetchProgramToCache(host + "/files/07_BASS_Deep.pr3", cached));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  EXPECT_EQ(ReadWholeFile(Cache("07_BASS_Deep.pr3")), content);
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
