#include "synth/ProgramDatabase.h"

#include "platform/net/PLAT_Http.h"
#include "synth/BankFolder.h"
#include "synth/BankList.h"
#include "synth/ProgramFile.h"
#include "synth/ProgramFolder.h"

#include <nlohmann/json.hpp>
#include <sys/stat.h>
#include <syslog.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

using nlohmann::json;

namespace
{
json ParseJson(const std::string& body)
{
  // No exceptions: a reply that is not JSON becomes a discarded value.
  return json::parse(body, nullptr, false);
}

// The text of member key, or "" when it is missing or not a string.
std::string Text(const json& object, const char* key)
{
  const auto it = object.find(key);
  return it != object.end() && it->is_string() ? it->get_ref<const std::string&>() : std::string();
}

// A non-negative integer id as decimal text; "" for anything else, so that
// no text from the server ever reaches a query string.
std::string Id(const json& object)
{
  const auto it = object.find("id");
  if (it == object.end()) return std::string();
  if (it->is_number_unsigned()) return std::to_string(it->get<uint64_t>());
  if (it->is_number_integer() && it->get<int64_t>() >= 0) return std::to_string(it->get<int64_t>());
  return std::string();
}

// "title": {"rendered": html} as plain text.
std::string RenderedTitle(const json& object)
{
  const auto it = object.find("title");
  if (it == object.end() || !it->is_object()) return std::string();
  return PLAT_HtmlToText(Text(*it, "rendered"));
}

// Runs f on each object element of an array reply; the element count.
template <class F>
int ForEachElement(const std::string& body, F f)
{
  const json reply = ParseJson(body);
  if (!reply.is_array()) return -1;
  for (const json& element : reply)
    if (element.is_object()) f(element);
  return static_cast<int>(reply.size());
}

bool IsDecimal(const std::string& text)
{
  return !text.empty() && text.size() < 20 &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

void LogStatus(const std::string& address, long status)
{
  syslog(LOG_WARNING, "Error getting %s, HTTP status code %i", address.c_str(), static_cast<int>(status));
}
}  // namespace

bool MakeDatabaseRecord(DatabaseListRecord& record, uint8_t opensCategory, uint8_t program,
                        const std::string& name, const std::string& link, bool cutName)
{
  std::string shown = name;
  if (shown.size() >= sizeof record.name)
  {
    if (!cutName) return false;
    // Cut between characters; stray bytes are characters of their own.
    shown = Utf8Prefix(shown, shown.size(), sizeof record.name - 1);
  }
  if (link.size() >= sizeof record.link || link.find('\0') != std::string::npos) return false;
  record = DatabaseListRecord{};
  record.remote = 1;
  record.opensCategory = opensCategory;
  record.program = program;
  memcpy(record.name, shown.c_str(), std::min(shown.size(), sizeof record.name - 1));
  memcpy(record.link, link.data(), link.size());
  return true;
}

void ParseCategoriesReply(const std::string& body, std::vector<DatabaseListRecord>& list, int& elements)
{
  elements = ForEachElement(body, [&list](const json& e) {
    const std::string id = Id(e);
    DatabaseListRecord r;
    if (Text(e, "taxonomy") == "cmdm_category" && !id.empty() &&
        MakeDatabaseRecord(r, 1, 0, Text(e, "name"), id, true))
      list.push_back(r);
  });
}

void ParseProgramsReply(const std::string& body, std::vector<DatabaseListRecord>& list, int& elements)
{
  elements = ForEachElement(body, [&list](const json& e) {
    const std::string id = Id(e);
    DatabaseListRecord r;
    if (Text(e, "_package_type") == "file" && !id.empty() &&
        MakeDatabaseRecord(r, 0, 0, RenderedTitle(e), id, true))
      list.push_back(r);
  });
}

void ParseMediaReply(const std::string& body, std::vector<DatabaseListRecord>& list, int& elements)
{
  elements = ForEachElement(body, [&list](const json& e) {
    const std::string link = Text(e, "source_url");
    DatabaseListRecord r;
    if (Text(e, "mime_type") == "application/octet-stream" && link.compare(0, 8, "https://") == 0 &&
        MakeDatabaseRecord(r, 0, 1, RenderedTitle(e), link, true))
      list.push_back(r);
  });
}

std::string CollectedRecordsText(const std::vector<DatabaseListRecord>& list, size_t from)
{
  std::string text;
  for (size_t i = from; i < list.size(); ++i) text += std::string("\n") + list[i].link + "\n" + list[i].name;
  return text;
}

bool LoginReplyMatches(const std::string& body, const std::string& user)
{
  const json reply = ParseJson(body);
  if (!reply.is_object()) return false;
  const auto it = reply.find("user_display_name");
  return it != reply.end() && it->is_string() && it->get_ref<const std::string&>() == user;
}

std::string LoginRequestBody(const std::string& user, const std::string& password)
{
  json body = json::object();
  body["username"] = user;
  body["password"] = password;
  // Text that is not UTF-8 is replaced rather than thrown over.
  return body.dump(2, ' ', false, json::error_handler_t::replace);
}

bool DownloadFileName(const std::string& address, std::string& fileName)
{
  std::string path = address.substr(0, address.find_first_of("?#"));
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos || address.compare(0, 8, "https://") != 0 || slash < 8) return false;
  return MakeSafeFileName(path.substr(slash + 1), fileName);
}

void SortDatabaseList(std::vector<DatabaseListRecord>& list)
{
  auto upper = [](const char* s) {
    std::string u = s;
    for (char& c : u)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return u;
  };
  const auto rank = [](const DatabaseListRecord& r) { return strcmp(r.name, "..") == 0 ? 0 : 1; };
  std::stable_sort(list.begin(), list.end(), [&](const DatabaseListRecord& l, const DatabaseListRecord& r) {
    if (rank(l) != rank(r)) return rank(l) < rank(r);
    return upper(l.name) < upper(r.name);
  });
}

int DatabaseScrollRange(size_t records)
{
  return records > static_cast<size_t>(kDatabasePageSize) ? static_cast<int>(records) - kDatabasePageSize : 0;
}

// ---- the client ----

std::string ProgramDatabase::BaseAddress() const
{
  return "https://" + mConfig.server + kDatabaseBasePath;
}

ProgramDatabase::Deadline ProgramDatabase::StartDeadline() const
{
  if (mFixedDeadline) return *mFixedDeadline;
  return std::chrono::steady_clock::now() + std::chrono::milliseconds(mConfig.totalTimeoutMs);
}

PLAT_HttpReply ProgramDatabase::Request(const std::string& address, const std::string* postBody,
                                        const std::vector<std::string>& headers, size_t maxBytes,
                                        Deadline deadline, bool followRedirects)
{
  const long left = static_cast<long>(
    std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count());
  // The time is up, or the caller gave up: no request at all.
  if (left <= 0 || (mConfig.cancel && mConfig.cancel->load())) return PLAT_HttpReply{};
  PLAT_HttpOptions options{mConfig.caFile, std::min(mConfig.connectTimeoutMs, left), left, maxBytes};
  options.followRedirects = followRedirects;
  options.cancel = mConfig.cancel;
  return PLAT_HttpRequest(address, postBody, headers, options);
}

std::string ProgramDatabase::GetJson(const std::string& route, Deadline deadline)
{
  if (!HasServer()) return std::string();
  const std::string address = BaseAddress() + route;
  const PLAT_HttpReply reply = Request(address, nullptr, {}, kDatabaseJsonMaxBytes, deadline, true);
  if (!reply.complete || reply.status != 200)
  {
    LogStatus(address, reply.status);
    return std::string();
  }
  return reply.body;
}

std::string ProgramDatabase::GetJson(const std::string& route)
{
  return GetJson(route, StartDeadline());
}

bool ProgramDatabase::Login(const std::string& user, const std::string& password)
{
  if (!HasServer()) return false;
  const std::string body = LoginRequestBody(user, password);
  // The transfer sets Content-Length from the body: one set by hand would
  // outlive a change of method and leave the server waiting for a body.
  const std::vector<std::string> headers = {"Content-Type: application/json", "cache-control: no-cache"};
  const std::string address = BaseAddress() + "jwt-auth/v1/token";
  // The password goes to the database's own address and nowhere else.
  const PLAT_HttpReply reply = Request(address, &body, headers, kDatabaseJsonMaxBytes, StartDeadline(), false);
  if (!reply.complete || reply.status != 200)
  {
    LogStatus(address, reply.status);
    return false;
  }
  // The reply carries a token: it is neither kept nor logged.
  const bool ok = LoginReplyMatches(reply.body, user);
  syslog(LOG_INFO, "Program database login %s", ok ? "accepted" : "refused");
  return ok;
}

bool ProgramDatabase::FetchCategories(std::vector<DatabaseListRecord>& list)
{
  const std::string body = GetJson("wp/v2/cmdm_category", StartDeadline());
  int elements = 0;
  const size_t before = list.size();
  ParseCategoriesReply(body, list, elements);
  // Ids and names only: the replies hold no credentials.
  syslog(LOG_INFO, "%s", CollectedRecordsText(list, before).c_str());
  return elements >= 0;
}

void ProgramDatabase::FetchPrograms(const std::string& categoryId, std::vector<DatabaseListRecord>& list)
{
  if (!IsDecimal(categoryId)) return;
  // One deadline for the whole category, not one per page: a slow server
  // must not multiply the wait by the number of pages.
  const Deadline deadline = StartDeadline();
  std::string previous;
  for (int page = 1; page <= kDatabaseMaxPages; ++page)
  {
    const std::string body =
      GetJson("wp/v2/cmdm_page?per_page=47&page=" + std::to_string(page) + "&cmdm_category=" + categoryId +
                "&status=publish",
              deadline);
    // A server that repeats a page would otherwise fill the list with copies.
    if (page > 1 && body == previous) return;
    int elements = 0;
    const size_t before = list.size();
    ParseProgramsReply(body, list, elements);
    syslog(LOG_INFO, "%s", CollectedRecordsText(list, before).c_str());
    if (elements != kDatabasePageSize) return;
    previous = body;
  }
}

void ProgramDatabase::ShowCategory(const std::string& categoryId, std::vector<DatabaseListRecord>& list)
{
  list.clear();
  DatabaseListRecord up;
  if (MakeDatabaseRecord(up, 0, 0, "..", "..", false)) list.push_back(up);
  FetchPrograms(categoryId, list);
}

void ProgramDatabase::ShowProgramFiles(const std::string& programId, const std::string& categoryId,
                                       std::vector<DatabaseListRecord>& list)
{
  list.clear();
  DatabaseListRecord up;
  if (MakeDatabaseRecord(up, 1, 0, "..", categoryId, false)) list.push_back(up);
  if (IsDecimal(programId))
  {
    const Deadline deadline = StartDeadline();
    std::string previous;
    for (int page = 1; page <= kDatabaseMaxPages; ++page)
    {
      const std::string body = GetJson(
        "wp/v2/media?parent=" + programId + "&per_page=47&page=" + std::to_string(page) + "&order=asc", deadline);
      if (page > 1 && body == previous) break;
      int elements = 0;
      ParseMediaReply(body, list, elements);
      if (elements != kDatabasePageSize) break;
      previous = body;
    }
  }
  SortDatabaseList(list);
}

std::string DownloadFolder(const std::string& cacheFolder, const std::string& address)
{
  // FNV-1a over the whole address: two files of one name in different
  // folders of the server get folders of their own.
  uint64_t hash = 0xcbf29ce484222325ull;
  for (unsigned char c : address) hash = (hash ^ c) * 0x100000001b3ull;
  char hex[17];
  snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
  return cacheFolder + kDownloadSubfolder + hex + "/";
}

bool ProgramDatabase::FetchProgramToCache(const std::string& address, std::string& cachedPath)
{
  std::string fileName;
  if (!HasServer() || mConfig.cacheFolder.empty() || !DownloadFileName(address, fileName)) return false;
  const std::string folder = DownloadFolder(mConfig.cacheFolder, address);
  const std::string path = folder + fileName;
  if (path.size() >= static_cast<size_t>(kBankPathSize)) return false;
  const PLAT_HttpReply reply = Request(address, nullptr, {}, kDatabaseFileMaxBytes, StartDeadline(), true);
  // A status of 200 does not make a program: a busy server answers with an
  // error page, which would read as a program of zeros and go to the synth.
  if (!reply.complete || reply.status != 200 || !IsProgramFileText(reply.body))
  {
    LogStatus(address, reply.status);
    return false;
  }
  (void)mkdir(mConfig.cacheFolder.c_str(), 0755);
  (void)mkdir((mConfig.cacheFolder + kDownloadSubfolder).c_str(), 0755);
  (void)mkdir(folder.c_str(), 0755);
  if (!WriteFileWhole(path, reply.body)) return false;
  cachedPath = path;
  return true;
}
