#include "download/download_starter.h"

#include <algorithm>
#include <cctype>

#include "base/log.h"
#include "base/task_thread.h"
#include "browser/page_session.h"
#include "browser/runtime.h"
#include "download/response_ledger.h"
#include "base/ascii.h"

namespace cefcompat {

namespace {

// A download that has not begun by then is given up.
constexpr int kBeginTimeoutMs = 60000;


// The protocol's header list as an object, for lookups.
Json HeaderObject(const Json& list) {
  Json headers = Json::object();
  for (const Json& header : list) headers[header.value("name", std::string())] = header.value("value", std::string());
  return headers;
}

// The server's disposition made an attachment, its file name kept.
std::string AsAttachment(const std::string& disposition) {
  const std::string lower = AsciiLower(disposition);
  if (lower.rfind("attachment", 0) == 0) return disposition;
  if (lower.rfind("inline", 0) == 0) return "attachment" + disposition.substr(6);
  return "attachment";
}

bool IsRedirect(int status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

}  // namespace

DownloadStarter::DownloadStarter(Request request, Opened opened, Failed failed)
    : request_(std::move(request)), opened_(std::move(opened)), failed_(std::move(failed)) {}

void DownloadStarter::Start() {
  std::shared_ptr<DownloadStarter> self = shared_from_this();
  Json params = {{"url", "about:blank"}, {"hidden", true}};
  if (!request_.contextId.empty()) params["browserContextId"] = request_.contextId;
  PageSession::SendToChromium("Target.createTarget", params, [self](const Connection::Reply& reply) {
    if (!reply.ok) return self->Fail("no page to fetch it in: " + reply.error);
    self->targetId_ = reply.result.value("targetId", std::string());
    if (self->closed_) return PageSession::SendToChromium("Target.closeTarget", {{"targetId", self->targetId_}});
    self->opened_(self->targetId_);
    PageSession::SendToChromium("Target.attachToTarget", {{"targetId", self->targetId_}, {"flatten", true}},
                                [self](const Connection::Reply& attached) {
                                  if (!attached.ok)
                                    return self->Fail("attaching to its page failed: " + attached.error);
                                  self->OnAttached(attached.result.value("sessionId", std::string()));
                                });
  });
  Threads::Post(
      TID_UI,
      [self] {
        if (!self->closed_) self->Fail("no download began within " + std::to_string(kBeginTimeoutMs / 1000) + " s");
      },
      kBeginTimeoutMs);
}

void DownloadStarter::OnAttached(const std::string& sessionId) {
  Runtime* runtime = Runtime::Get();
  if (closed_ || !runtime) return;
  sessionId_ = sessionId;
  std::shared_ptr<DownloadStarter> self = shared_from_this();
  runtime->GetConnection().SetSessionHandler(sessionId_, [self](const std::string& method, const Json& params) {
    if (method == "Fetch.requestPaused") self->OnRequestPaused(params);
  });
  const Json patterns = Json::array(
      {{{"urlPattern", "*"}, {"requestStage", "Request"}}, {{"urlPattern", "*"}, {"requestStage", "Response"}}});
  Send("Fetch.enable", {{"patterns", patterns}});
  // The reply comes once the load has become a download (or failed), which
  // the events tell: it is not waited for.
  Send("Page.navigate", {{"url", request_.url}});
}

void DownloadStarter::OnRequestPaused(const Json& params) {
  if (closed_) return;
  const bool document = params.value("resourceType", std::string()) == "Document";
  const bool response = params.contains("responseStatusCode") || params.contains("responseErrorReason");
  if (!document) return Send("Fetch.continueRequest", {{"requestId", params.value("requestId", std::string())}});
  if (!response) return ContinueRequest(params);
  AnswerResponse(params);
}

// The rest of a file only, and only while it is the same file.
void DownloadStarter::ContinueRequest(const Json& params) {
  Json continued = {{"requestId", params.value("requestId", std::string())}};
  if (request_.from > 0) {
    const Json asked = params.value("request", Json::object()).value("headers", Json::object());
    Json headers = Json::array();
    for (const auto& [name, value] : asked.items()) headers.push_back({{"name", name}, {"value", value}});
    headers.push_back({{"name", "Range"}, {"value", "bytes=" + std::to_string(request_.from) + "-"}});
    if (!request_.validator.empty()) headers.push_back({{"name", "If-Range"}, {"value", request_.validator}});
    continued["headers"] = headers;
  }
  Send("Fetch.continueRequest", continued);
}

void DownloadStarter::AnswerResponse(const Json& params) {
  const std::string requestId = params.value("requestId", std::string());
  if (params.contains("responseErrorReason")) {
    Send("Fetch.continueRequest", {{"requestId", requestId}});
    return Fail("the request failed (" + params.value("responseErrorReason", std::string()) + ")");
  }
  const int status = params.value("responseStatusCode", 0);
  if (IsRedirect(status)) return Send("Fetch.continueRequest", {{"requestId", requestId}});
  const Json list = params.value("responseHeaders", Json::array());
  const Json headers = HeaderObject(list);
  const std::string range = ResponseLedger::Header(headers, "Content-Range");
  answer_.partial =
      request_.from > 0 && status == 206 && range.rfind("bytes " + std::to_string(request_.from) + "-", 0) == 0;
  if (!answer_.partial && (status < 200 || status > 299 || status == 206)) {
    Send("Fetch.failRequest", {{"requestId", requestId}, {"errorReason", "Aborted"}});
    return Fail("the server answered " + std::to_string(status));
  }
  answer_.url = params.value("request", Json::object()).value("url", request_.url);
  const std::string type = ResponseLedger::Header(headers, "Content-Type");
  answer_.mimeType = AsciiLower(type.substr(0, type.find(';')));
  answer_.contentDisposition = ResponseLedger::Header(headers, "Content-Disposition");
  answer_.validator = ResponseLedger::Header(headers, "ETag");
  if (answer_.validator.empty()) answer_.validator = ResponseLedger::Header(headers, "Last-Modified");
  Json passed = Json::array();
  for (const Json& header : list) {
    const std::string name = AsciiLower(header.value("name", std::string()));
    if (name == "content-disposition" || (answer_.partial && name == "content-range")) continue;
    passed.push_back(header);
  }
  passed.push_back({{"name", "Content-Disposition"}, {"value", AsAttachment(answer_.contentDisposition)}});
  Send("Fetch.continueResponse",
       {{"requestId", requestId}, {"responseCode", answer_.partial ? 200 : status}, {"responseHeaders", passed}});
}

void DownloadStarter::Fail(const std::string& reason) {
  if (closed_) return;
  Close();
  failed_(reason);
}

void DownloadStarter::Close() {
  if (closed_) return;
  closed_ = true;
  Runtime* runtime = Runtime::Get();
  if (runtime && !sessionId_.empty()) runtime->GetConnection().RemoveSession(sessionId_);
  sessionId_.clear();
  if (!targetId_.empty()) PageSession::SendToChromium("Target.closeTarget", {{"targetId", targetId_}});
}

void DownloadStarter::Send(const std::string& method, Json params) {
  Runtime* runtime = Runtime::Get();
  if (!runtime || sessionId_.empty()) return;
  runtime->GetConnection().Send(method, std::move(params), sessionId_);
}

}  // namespace cefcompat
