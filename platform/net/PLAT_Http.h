// Synchronous HTTPS requests and HTML-to-text, for the program database.
//
// Only "https://" is ever spoken, redirects included; the server's
// certificate and name are always checked (against the system's authorities,
// or a given CA file for a test server). A request gives up after its
// connect and total time-outs and when the reply grows past its cap, so a
// stalled or hostile server can neither hang the caller for ever nor fill
// its memory.
//
// Threads: any; each thread keeps one transfer handle, and with it its open
// connections, from one request to the next.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <vector>

struct PLAT_HttpOptions
{
  std::string caFile;          // empty: the system's certificate authorities
  long connectTimeoutMs = 10000;
  long totalTimeoutMs = 30000;
  size_t maxReplyBytes = 4u << 20;
  // Off for a request that carries credentials: a redirect would hand them
  // to whatever origin it names, and a 302 would turn the POST into a GET.
  bool followRedirects = true;
  // When it turns true the request gives up at once (within a fraction of
  // a second), as after a time-out.
  const std::atomic<bool>* cancel = nullptr;
};

struct PLAT_HttpReply
{
  bool complete = false;  // a whole reply arrived (any status)
  long status = 0;        // the HTTP status, 0 without a reply
  std::string body;       // empty unless complete
};

// GET (postBody null) or POST of url with the given "Name: value" headers.
// A POST's Content-Length is set here from the body; none may be given.
PLAT_HttpReply PLAT_HttpRequest(const std::string& url, const std::string* postBody,
                                const std::vector<std::string>& headers, const PLAT_HttpOptions& options);

// The plain text of an HTML fragment: entities decoded, markup dropped,
// nothing loaded from the network. Empty for empty or unreadable input.
std::string PLAT_HtmlToText(const std::string& html);
