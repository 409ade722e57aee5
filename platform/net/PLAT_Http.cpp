#include "platform/net/PLAT_Http.h"

// The functions are called through pointers: the transfer library's
// type-checking macros would stand in their way.
#define CURL_DISABLE_TYPECHECK
#include <curl/curl.h>
#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include <dlfcn.h>

#include <climits>
#include <mutex>

namespace
{
// The transfer library and the HTML parser are loaded at their first use:
// linked into the program, they and the dozens of libraries they need
// (TLS, Kerberos, LDAP, Unicode tables) were loaded, relocated and
// initialised at every start, some 10 ms of it, for a database that many
// sessions never open. They are never unloaded: a thread's handle is
// cleaned up when the thread ends.
void* OpenLibrary(const char* soname)
{
  return dlopen(soname, RTLD_NOW | RTLD_LOCAL);
}

template <class Fn>
bool Find(void* library, const char* name, Fn*& fn)
{
  fn = library ? reinterpret_cast<Fn*>(dlsym(library, name)) : nullptr;
  return fn != nullptr;
}

struct Curl
{
  decltype(curl_global_init)* globalInit;
  decltype(curl_easy_init)* init;
  decltype(curl_easy_cleanup)* cleanup;
  decltype(curl_easy_reset)* reset;
  decltype(curl_easy_setopt)* setopt;
  decltype(curl_easy_perform)* perform;
  decltype(curl_easy_getinfo)* getinfo;
  decltype(curl_slist_append)* slistAppend;
  decltype(curl_slist_free_all)* slistFreeAll;
};

// Null when the library or one of its functions is missing: every request
// then fails as one that got no reply.
const Curl* TheCurl()
{
  static const Curl* const curl = []() -> const Curl* {
    static Curl c;
    void* lib = OpenLibrary("libcurl.so.4");
    if (!Find(lib, "curl_global_init", c.globalInit) || !Find(lib, "curl_easy_init", c.init) ||
        !Find(lib, "curl_easy_cleanup", c.cleanup) || !Find(lib, "curl_easy_reset", c.reset) ||
        !Find(lib, "curl_easy_setopt", c.setopt) || !Find(lib, "curl_easy_perform", c.perform) ||
        !Find(lib, "curl_easy_getinfo", c.getinfo) || !Find(lib, "curl_slist_append", c.slistAppend) ||
        !Find(lib, "curl_slist_free_all", c.slistFreeAll))
      return nullptr;
    c.globalInit(CURL_GLOBAL_DEFAULT);
    return &c;
  }();
  return curl;
}

struct Html
{
  decltype(htmlReadMemory)* readMemory;
  decltype(xmlDocGetRootElement)* rootElement;
  decltype(xmlNodeGetContent)* nodeContent;
  decltype(xmlFreeDoc)* freeDoc;
  xmlFreeFunc* freeText;  // the library's variable, read at each use
};

const Html* TheHtml()
{
  static const Html* const html = []() -> const Html* {
    static Html h;
    void* lib = OpenLibrary("libxml2.so.2");
    if (!Find(lib, "htmlReadMemory", h.readMemory) || !Find(lib, "xmlDocGetRootElement", h.rootElement) ||
        !Find(lib, "xmlNodeGetContent", h.nodeContent) || !Find(lib, "xmlFreeDoc", h.freeDoc))
      return nullptr;
    h.freeText = reinterpret_cast<xmlFreeFunc*>(dlsym(lib, "xmlFree"));
    return h.freeText && *h.freeText ? &h : nullptr;
  }();
  return html;
}
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
CURL* ThreadHandle(const Curl& c)
{
  struct Owned
  {
    const Curl* curl = nullptr;
    CURL* handle = nullptr;
    ~Owned()
    {
      if (handle) curl->cleanup(handle);
    }
  };
  thread_local Owned owned;
  if (!owned.handle)
  {
    owned.curl = &c;
    owned.handle = c.init();
  }
  return owned.handle;
}
}  // namespace

PLAT_HttpReply PLAT_HttpRequest(const std::string& url, const std::string* postBody,
                                const std::vector<std::string>& headers, const PLAT_HttpOptions& options)
{
  PLAT_HttpReply reply;
  if (url.compare(0, 8, "https://") != 0) return reply;
  if (options.cancel && options.cancel->load()) return reply;
  const Curl* c = TheCurl();
  if (!c) return reply;
  CURL* curl = ThreadHandle(*c);
  if (!curl) return reply;
  std::string body;
  Sink sink{&body, options.maxReplyBytes};
  curl_slist* list = nullptr;
  for (const std::string& h : headers) list = c->slistAppend(list, h.c_str());

  c->setopt(curl, CURLOPT_URL, url.c_str());
  c->setopt(curl, CURLOPT_PROTOCOLS_STR, "https");
  c->setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "https");
  c->setopt(curl, CURLOPT_FOLLOWLOCATION, options.followRedirects ? 1L : 0L);
  c->setopt(curl, CURLOPT_MAXREDIRS, 5L);
  c->setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
  c->setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
  if (!options.caFile.empty()) c->setopt(curl, CURLOPT_CAINFO, options.caFile.c_str());
  c->setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, options.connectTimeoutMs);
  c->setopt(curl, CURLOPT_TIMEOUT_MS, options.totalTimeoutMs);
  c->setopt(curl, CURLOPT_NOSIGNAL, 1L);
  c->setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
  c->setopt(curl, CURLOPT_WRITEDATA, &sink);
  if (options.maxReplyBytes <= static_cast<size_t>(LONG_MAX))
    c->setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(options.maxReplyBytes));
  if (list) c->setopt(curl, CURLOPT_HTTPHEADER, list);
  if (options.cancel)
  {
    c->setopt(curl, CURLOPT_XFERINFOFUNCTION, WatchCancel);
    c->setopt(curl, CURLOPT_XFERINFODATA, const_cast<std::atomic<bool>*>(options.cancel));
    c->setopt(curl, CURLOPT_NOPROGRESS, 0L);
  }
  if (postBody)
  {
    c->setopt(curl, CURLOPT_POST, 1L);
    c->setopt(curl, CURLOPT_POSTFIELDS, postBody->data());
    c->setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(postBody->size()));
  }
  const CURLcode result = c->perform(curl);
  long status = 0;
  c->getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  c->slistFreeAll(list);
  // Reset, not cleaned up: the handle keeps its open connections and TLS
  // sessions for the thread's next request to the same server.
  c->reset(curl);

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
  const Html* h = TheHtml();
  if (!h) return std::string();
  htmlDocPtr doc = h->readMemory(html.data(), static_cast<int>(html.size()), nullptr, "UTF-8",
                                  HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET |
                                    HTML_PARSE_RECOVER | HTML_PARSE_NOBLANKS);
  if (!doc) return std::string();
  std::string text;
  xmlNodePtr root = h->rootElement(doc);
  if (root)
  {
    xmlChar* content = h->nodeContent(root);
    if (content)
    {
      text = reinterpret_cast<const char*>(content);
      (*h->freeText)(content);
    }
  }
  h->freeDoc(doc);
  return text;
}
