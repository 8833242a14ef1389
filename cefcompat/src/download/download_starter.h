#pragma once

#include <functional>
#include <memory>
#include <string>

#include "include/internal/cef_types.h"
#include "protocol/connection.h"

namespace cefcompat {

// Has Chromium download a URL for the runtime: a page of Chromium's that
// nobody sees (a hidden target, in the storage the download belongs to)
// loads the URL, and its answer is made an attachment, so that Chromium
// downloads whatever it is. To resume a download, only the rest of the file
// is asked for (Range, If-Range with the validator) and the server's
// partial answer is passed on as a whole file of that rest.
//
// Threads: TID_UI.
class DownloadStarter : public std::enable_shared_from_this<DownloadStarter> {
 public:
  struct Request {
    std::string url;
    std::string contextId;  // Chromium's storage; empty for the default one
    int64 from = 0;         // the bytes already kept
    std::string validator;  // ETag or Last-Modified of the kept bytes
  };
  struct Answer {
    std::string url;  // after redirects
    std::string mimeType;
    std::string contentDisposition;
    std::string validator;
    bool partial = false;  // only the rest, from Request::from
  };
  // The page is there: Chromium names its target id as the download's frame.
  using Opened = std::function<void(const std::string& targetId)>;
  using Failed = std::function<void(const std::string& reason)>;

  DownloadStarter(Request request, Opened opened, Failed failed);
  void Start();
  const Answer& GetAnswer() const { return answer_; }
  const std::string& TargetId() const { return targetId_; }
  // The download has begun, or is not wanted any more: the page goes.
  void Close();

 private:
  void OnAttached(const std::string& sessionId);
  void OnRequestPaused(const Json& params);
  void ContinueRequest(const Json& params);
  void AnswerResponse(const Json& params);
  void Fail(const std::string& reason);
  void Send(const std::string& method, Json params);

  const Request request_;
  const Opened opened_;
  const Failed failed_;
  Answer answer_;
  std::string targetId_;
  std::string sessionId_;
  bool closed_ = false;
};

}  // namespace cefcompat
