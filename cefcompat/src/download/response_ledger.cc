#include "download/response_ledger.h"

#include <algorithm>
#include <cctype>

#include "browser/page_session.h"

namespace cefcompat {

namespace {

constexpr size_t kKeptEntries = 16;

bool SameText(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

template <class Item>
void KeepNewest(std::deque<Item>& items) {
  while (items.size() > kKeptEntries) items.pop_front();
}

}  // namespace

void ResponseLedger::Subscribe(PageSession& session) {
  session.On("Network.requestWillBeSent", [this](const Json& params) { OnRequest(params); });
  session.On("Network.responseReceived", [this](const Json& params) { OnResponse(params); });
}

std::string ResponseLedger::Header(const Json& headers, const std::string& name) {
  if (!headers.is_object()) return std::string();
  for (const auto& [key, value] : headers.items()) {
    if (SameText(key, name) && value.is_string()) return value.get<std::string>();
  }
  return std::string();
}

// A redirect is sent again under the same request id: the first URL stays.
void ResponseLedger::OnRequest(const Json& params) {
  if (params.value("type", std::string()) != "Document") return;
  const std::string id = params.value("requestId", std::string());
  for (const Request& request : requests_) {
    if (request.id == id) return;
  }
  requests_.push_back({id, params.value("request", Json::object()).value("url", std::string())});
  KeepNewest(requests_);
}

void ResponseLedger::OnResponse(const Json& params) {
  if (params.value("type", std::string()) != "Document") return;
  const Json response = params.value("response", Json::object());
  const Json headers = response.value("headers", Json::object());
  Entry entry;
  entry.url = response.value("url", std::string());
  entry.originalUrl = entry.url;
  const std::string id = params.value("requestId", std::string());
  for (const Request& request : requests_) {
    if (request.id == id) entry.originalUrl = request.firstUrl;
  }
  entry.mimeType = response.value("mimeType", std::string());
  entry.contentDisposition = Header(headers, "Content-Disposition");
  entry.validator = Header(headers, "ETag");
  if (entry.validator.empty()) entry.validator = Header(headers, "Last-Modified");
  entries_.push_back(std::move(entry));
  KeepNewest(entries_);
}

const ResponseLedger::Entry* ResponseLedger::Find(const std::string& url) const {
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
    if (it->url == url) return &*it;
  }
  return nullptr;
}

}  // namespace cefcompat
