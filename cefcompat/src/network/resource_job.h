#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

#include "include/cef_resource_handler.h"

namespace cefcompat {

// One request run through a CefResourceHandler as CEF runs it: Open (or the
// older ProcessRequest), GetResponseHeaders, then Skip and Read (or the older
// ReadResponse). Each step answers at once or later through its callback,
// from any thread; a step left waiting longer than the time-out fails with
// ERR_TIMED_OUT and the handler is cancelled, so no page waits for ever.
//
// Threads: Open and GetHeaders on TID_IO; Skip and Read on any one thread at
// a time (ReadResponse is always called on TID_IO). A step's answer reaches
// `done` within the call when the handler answered at once, else on TID_IO.
class ResourceJob : public CefBaseRefCounted {
 public:
  // A step's answer: ERR_NONE or a byte count when it went well, a net error
  // (< 0) otherwise.
  using Done = std::function<void(int64 result)>;

  ResourceJob(CefRefPtr<CefResourceHandler> handler, CefRefPtr<CefRequest> request);
  CefRefPtr<CefResourceHandler> Handler() const { return handler_; }
  CefRefPtr<CefRequest> Request() const { return request_; }

  // ERR_NONE once the headers are there; ERR_ABORTED when the handler cancelled.
  void Open(Done done);
  void GetHeaders(CefRefPtr<CefResponse> response, int64& length, CefString& redirect);
  // Skips `count` bytes of the body: ERR_NONE or ERR_REQUEST_RANGE_NOT_SATISFIABLE.
  void Skip(int64 count, Done done);
  // Reads up to `max` bytes into Data(): their count, 0 at the end, or an error.
  void Read(int max, Done done);
  const char* Data() const { return buffer_.data(); }
  // The request ends before the handler finished: the handler hears Cancel, once.
  void Cancel();

  // Runs `step` (Skip or Read) and waits for its answer; for threads that
  // may block, never TID_IO.
  int64 WaitFor(const std::function<void(Done)>& step);

  // How long a step may wait for the handler (30 s unless a test changes it).
  static void SetTimeoutMs(int ms);

 private:
  // A step about to call the handler: `done` waits under a new number.
  uint64_t Arm(Done done);
  // The handler answers later: the step fails if it has not by the time-out.
  void StartTimer(uint64_t wait);
  bool Waiting(uint64_t wait);
  // The answer of step `wait` (ignored when that step is over).
  void Finish(uint64_t wait, int64 result);
  // The same from a callback, on any thread: goes to TID_IO.
  void Answer(uint64_t wait, int64 result);
  void Later(std::function<void()> task);
  void SkipMore(uint64_t wait, int64 left);
  void ReadOlder(uint64_t wait, int max);
  std::string Url() const;

  const CefRefPtr<CefResourceHandler> handler_;
  const CefRefPtr<CefRequest> request_;
  std::vector<char> buffer_;  // where the handler writes, kept until its callback ran
  bool older_ = false;        // the handler reads through ReadResponse
  std::mutex mutex_;
  uint64_t lastWait_ = 0;
  Done done_;  // of step lastWait_, until it is answered
  std::atomic<bool> over_{false};  // the handler ended the body or was cancelled
  IMPLEMENT_REFCOUNTING(ResourceJob);
};

}  // namespace cefcompat
