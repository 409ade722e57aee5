// ProgramDatabase: the client of the online program database, a JSON REST
// interface under "https://<server>/zephradatabase2/wp-json/". It logs in,
// lists categories, the programs of a category (in pages of 47) and the
// downloadable files of a program, and downloads a file into the cache.
//
// The editor knows no server by itself: the host comes from settings.ini
// ([dbase] "server"); with none every request fails at once.
//
// Replies are outside input: they are parsed without exceptions, read with
// checked access, and a record is built straight from each JSON element, so
// an odd title can never pair a name with another program's id. Records
// whose texts do not fit their fields are skipped rather than cut (a cut
// address is another address).
//
// Deadlines: each operation (a login, a category with all its pages, a
// program's files, a download) ends within totalTimeoutMs in all, or by the
// deadline set for a batch; the cancel flag ends it at once.
//
// Threads: requests block the calling thread, which must not be the GUI
// thread nor hold the plug-in mutex: the editor runs them as DatabaseJobs.
// An object is used by one thread at a time.
#pragma once

#include "platform/net/PLAT_Http.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

constexpr const char* kDatabaseBasePath = "/zephradatabase2/wp-json/";
constexpr int kDatabasePageSize = 47;
// A category has never more pages than this; a server that ignores "page"
// would otherwise be asked for ever.
constexpr int kDatabaseMaxPages = 50;
constexpr size_t kDatabaseJsonMaxBytes = 4u << 20;
constexpr size_t kDatabaseFileMaxBytes = 8191;
constexpr const char* kNoDatabaseServerText = "No program-database server is set.";

// One row of the program browser or of the database list.
struct DatabaseListRecord
{
  uint8_t remote = 0;        // 0: an entry of a local folder
  uint8_t opensCategory = 0; // a category, or the ".." of a file list
  uint8_t program = 0;       // a program or downloadable file
  uint8_t selected = 0;
  char name[256] = {};
  char link[256] = {};       // identifier, or the file's "https://" address
};

// Fills a record; false (record untouched) when name or link do not fit.
// The name is cut at a UTF-8 character boundary instead when cutName.
[[nodiscard]] bool MakeDatabaseRecord(DatabaseListRecord& record, uint8_t opensCategory, uint8_t program,
                                      const std::string& name, const std::string& link, bool cutName);

// ---- replies (no network; each appends what it finds) ----

// Elements counts the reply array's elements (the paging rule: 47 means a
// full page), -1 when the reply is not a JSON array.
void ParseCategoriesReply(const std::string& body, std::vector<DatabaseListRecord>& list, int& elements);
void ParseProgramsReply(const std::string& body, std::vector<DatabaseListRecord>& list, int& elements);
void ParseMediaReply(const std::string& body, std::vector<DatabaseListRecord>& list, int& elements);
// The text a reply's records were collected as, for the log: "\n" id "\n"
// name for each record of list from index `from` on.
std::string CollectedRecordsText(const std::vector<DatabaseListRecord>& list, size_t from);
// True when the login reply names exactly this user.
bool LoginReplyMatches(const std::string& body, const std::string& user);
// The login request body, a pretty-printed JSON object.
std::string LoginRequestBody(const std::string& user, const std::string& password);
// The file name a download is stored under: the address's last path
// component without query or fragment, made safe. False when none.
[[nodiscard]] bool DownloadFileName(const std::string& address, std::string& fileName);
// Sorts by name compared in ASCII upper case; equal names keep their order
// and ".." stays first.
void SortDatabaseList(std::vector<DatabaseListRecord>& list);

// ---- the client ----

struct ProgramDatabaseConfig
{
  std::string server;      // host (and ":port"); empty: no database
  std::string caFile;      // certificate authorities; empty: the system's
  std::string cacheFolder; // ends in "/"
  long connectTimeoutMs = 10000;
  // The longest any one operation (a login, a category with all its pages,
  // a program's files, a download) may take in all.
  long totalTimeoutMs = 30000;
  // When it turns true, the requests under way and those to come give up.
  const std::atomic<bool>* cancel = nullptr;
};

class ProgramDatabase
{
public:
  explicit ProgramDatabase(ProgramDatabaseConfig config) : mConfig(std::move(config)) {}

  bool HasServer() const { return !mConfig.server.empty(); }
  const std::string& Server() const { return mConfig.server; }
  const ProgramDatabaseConfig& Config() const { return mConfig; }

  [[nodiscard]] bool Login(const std::string& user, const std::string& password);
  // Appends the categories; false when the request failed.
  bool FetchCategories(std::vector<DatabaseListRecord>& list);
  // Appends the programs of a category, page after full page.
  void FetchPrograms(const std::string& categoryId, std::vector<DatabaseListRecord>& list);
  // The list for a category: ".." then its programs.
  void ShowCategory(const std::string& categoryId, std::vector<DatabaseListRecord>& list);
  // The list for a program's files: ".." (back to categoryId) and the files, sorted.
  void ShowProgramFiles(const std::string& programId, const std::string& categoryId,
                        std::vector<DatabaseListRecord>& list);
  // Downloads address into its own folder of the cache (DownloadFolder)
  // through a temporary file; cachedPath is the file. A reply that is not a
  // program file is refused like a failed request; a failure leaves any
  // earlier file as it was.
  [[nodiscard]] bool FetchProgramToCache(const std::string& address, std::string& cachedPath);
  // The body of a GET of an address under the base path, "" on failure.
  std::string GetJson(const std::string& route);
  // From now on, every operation ends by this time instead of its own
  // totalTimeoutMs: one deadline for a batch of downloads.
  using Deadline = std::chrono::steady_clock::time_point;
  void SetDeadline(Deadline deadline) { mFixedDeadline = deadline; }
  void SetCancel(const std::atomic<bool>* cancel) { mConfig.cancel = cancel; }

private:
  std::string BaseAddress() const;
  Deadline StartDeadline() const;
  std::string GetJson(const std::string& route, Deadline deadline);
  PLAT_HttpReply Request(const std::string& address, const std::string* postBody,
                         const std::vector<std::string>& headers, size_t maxBytes, Deadline deadline,
                         bool followRedirects);

  ProgramDatabaseConfig mConfig;
  std::optional<Deadline> mFixedDeadline;
};

// Downloads live below this folder of the cache, where the bank's own
// numbered files (which start with a digit) never land.
constexpr const char* kDownloadSubfolder = "db/";
// The folder of the cache one address is downloaded into: one per address,
// so that files of one name from different places never share a file.
std::string DownloadFolder(const std::string& cacheFolder, const std::string& address);

// The scroll state of a list shown 47 rows at a time: the range is the
// records beyond the first 47, the control shown only then.
int DatabaseScrollRange(size_t records);
