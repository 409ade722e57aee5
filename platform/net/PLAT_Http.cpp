#include "platform/net/PLAT_Http.h"

#include <curl/curl.h>
#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include <climits>
#include <mutex>

namespace
{
struct Sink
{
  std::string* body;
  size_t cap;
  bool overflow = false;
};

// Called by the transfer library; returning less than given aborts it.
size_t Collect(char* data, size_t size, size_t count, void* user) noexcept
{
  Sink* sink = static_cast<Sink*>(user);
  const size_t n = size * count;
  if (sink->body->size() + n > sink->cap)
  {
    sink->overflow = true;
    return 0;
  }
  try
  {
    sink->body->append(data, n);
  }
  catch (...)
  {
    return 0;
  }
  return n;
}

// Called by the transfer library while it waits; non-zero aborts.
int WatchCancel(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) noexcept
{
  const std::atomic<bool>* cancel = static_cast<const std::atomic<bool>*>(user);
  return cancel->load(std::memory_order_relaxed) ? 1 : 0;
}

// One transfer handle per thread, kept between requests so that the pages
// of a category reuse one connection instead of a TLS handshake each.
CURL* ThreadHandle()
{
  struct Owned
  {
    CURL* handle = nullptr;
    ~Owned()
    {
      if (handle) curl_easy_cleanup(handle);
    }
  };
  thread_local Owned owned;
  if (!owned.handle) owned.handle = curl_easy_init();
  return owned.handle;
}

void GlobalInit()
{
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}
}  // namespace

PLAT_HttpReply PLAT_HttpRequest(const std::string& url, const std::string* postBody,
                                const std::vector<std::string>& headers, const PLAT_HttpOptions& options)
{
  PLAT_HttpReply reply;
  if (url.compare(0, 8, "https://") != 0) return reply;
  if (options.cancel && options.cancel->load()) return reply;
  GlobalInit();
  CURL* curl = ThreadHandle();
  if (!curl) return reply;
  std::string body;
  Sink sink{&body, options.maxReplyBytes};
  curl_slist* list = nullptr;
  for (const std::string& h : headers) list = curl_slist_append(list, h.c_str());

  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "https");
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, options.followRedirects ? 1L : 0L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
  if (!options.caFile.empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, options.caFile.c_str());
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, options.connectTimeoutMs);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, options.totalTimeoutMs);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
  if (options.maxReplyBytes <= static_cast<size_t>(LONG_MAX))
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(options.maxReplyBytes));
  if (list) curl_easy_setopt(curl, CURLOPT_HTTPHEADER, list);
  if (options.cancel)
  {
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, WatchCancel);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, const_cast<std::atomic<bool>*>(options.cancel));
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  }
  if (postBody)
  {
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, postBody->data());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(postBody->size()));
  }
  const CURLcode result = curl_easy_perform(curl);
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  curl_slist_free_all(list);
  // Reset, not cleaned up: the handle keeps its open connections and TLS
  // sessions for the thread's next request to the same server.
  curl_easy_reset(curl);

  reply.status = status;
  if (result == CURLE_OK && !sink.overflow)
  {
    reply.complete = true;
    reply.body = std::move(body);
  }
  return reply;
}

std::string PLAT_HtmlToText(const std::string& html)
{
  if (html.empty() || html.size() > static_cast<size_t>(INT_MAX)) return std::string();
  htmlDocPtr doc = htmlReadMemory(html.data(), static_cast<int>(html.size()), nullptr, "UTF-8",
                                  HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET |
                                    HTML_PARSE_RECOVER | HTML_PARSE_NOBLANKS);
  if (!doc) return std::string();
  std::string text;
  xmlNodePtr root = xmlDocGetRootElement(doc);
  if (root)
  {
    xmlChar* content = xmlNodeGetContent(root);
    if (content)
    {
      text = reinterpret_cast<const char*>(content);
      xmlFree(content);
    }
  }
  xmlFreeDoc(doc);
  return text;
}
