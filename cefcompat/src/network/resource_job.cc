#include "network/resource_job.h"

#include <chrono>
#include <future>
#include <memory>

#include "base/log.h"
#include "base/task_thread.h"

namespace cefcompat {

namespace {

std::atomic<int> g_jobTimeoutMs{30000};
// A blocked reader waits this much longer than the step's own time-out,
// which only a stopped TID_IO can miss.
constexpr int kWaitSlackMs = 5000;

// The callback of one waiting step, whichever form the handler was given.
// Only the first answer counts.
class StepCallback : public CefCallback, public CefResourceReadCallback, public CefResourceSkipCallback {
 public:
  StepCallback(std::function<void(int64)> proceed, std::function<void()> cancel)
      : proceed_(std::move(proceed)), cancel_(std::move(cancel)) {}
  void Continue() override { Proceed(0); }
  void Continue(int bytes_read) override { Proceed(bytes_read); }
  void Continue(int64 bytes_skipped) override { Proceed(bytes_skipped); }
  void Cancel() override {
    if (!used_.exchange(true)) cancel_();
  }

 private:
  void Proceed(int64 value) {
    if (!used_.exchange(true)) proceed_(value);
  }
  const std::function<void(int64)> proceed_;
  const std::function<void()> cancel_;
  std::atomic<bool> used_{false};
  IMPLEMENT_REFCOUNTING(StepCallback);
};

}  // namespace

ResourceJob::ResourceJob(CefRefPtr<CefResourceHandler> handler, CefRefPtr<CefRequest> request)
    : handler_(std::move(handler)), request_(std::move(request)) {}

void ResourceJob::SetTimeoutMs(int ms) { g_jobTimeoutMs = ms; }

std::string ResourceJob::Url() const { return request_ ? request_->GetURL().ToString() : std::string(); }

void ResourceJob::Open(Done done) {
  const uint64_t wait = Arm(std::move(done));
  CefRefPtr<ResourceJob> self(this);
  CefRefPtr<CefCallback> callback(new StepCallback([self, wait](int64) { self->Answer(wait, ERR_NONE); },
                                                   [self, wait] { self->Answer(wait, ERR_ABORTED); }));
  bool handle = false;
  const bool opened = handler_->Open(request_, handle, callback);
  if (handle) return Finish(wait, opened ? ERR_NONE : ERR_ABORTED);
  if (opened) return StartTimer(wait);
  // A handler of the older kind.
  if (!handler_->ProcessRequest(request_, callback)) return Finish(wait, ERR_ABORTED);
  StartTimer(wait);
}

void ResourceJob::GetHeaders(CefRefPtr<CefResponse> response, int64& length, CefString& redirect) {
  handler_->GetResponseHeaders(response, length, redirect);
}

void ResourceJob::Skip(int64 count, Done done) { SkipMore(Arm(std::move(done)), count); }

void ResourceJob::SkipMore(uint64_t wait, int64 left) {
  if (!Waiting(wait)) return;
  if (left <= 0) return Finish(wait, ERR_NONE);
  CefRefPtr<ResourceJob> self(this);
  CefRefPtr<CefResourceSkipCallback> callback(new StepCallback(
      [self, wait, left](int64 skipped) {
        if (skipped <= 0) return self->Answer(wait, ERR_REQUEST_RANGE_NOT_SATISFIABLE);
        self->Later([self, wait, left, skipped] { self->SkipMore(wait, left - skipped); });
      },
      [self, wait] { self->Answer(wait, ERR_REQUEST_RANGE_NOT_SATISFIABLE); }));
  int64 skipped = 0;
  const bool ok = handler_->Skip(left, skipped, callback);
  if (ok && skipped > 0) return SkipMore(wait, left - skipped);
  if (ok && skipped == 0) return StartTimer(wait);
  Log(LOGSEVERITY_WARNING, "resource " + Url() + ": the handler could not skip to the requested range");
  Finish(wait, ERR_REQUEST_RANGE_NOT_SATISFIABLE);
}

void ResourceJob::Read(int max, Done done) {
  buffer_.resize(static_cast<size_t>(max));
  CefRefPtr<ResourceJob> self(this);
  // The body's end leaves nothing to cancel.
  const uint64_t wait = Arm([self, done](int64 result) {
    if (result == 0) self->over_ = true;
    done(result);
  });
  if (older_) return ReadOlder(wait, max);
  CefRefPtr<CefResourceReadCallback> callback(
      new StepCallback([self, wait](int64 got) { self->Answer(wait, got); }, [self, wait] { self->Answer(wait, ERR_ABORTED); }));
  int got = 0;
  const bool more = handler_->Read(buffer_.data(), max, got, callback);
  if (more && got > 0) return Finish(wait, got);
  if (more && got == 0) return StartTimer(wait);
  if (!more && got == -1) {
    older_ = true;
    return ReadOlder(wait, max);
  }
  Finish(wait, got < 0 ? got : 0);
}

void ResourceJob::ReadOlder(uint64_t wait, int max) {
  CefRefPtr<ResourceJob> self(this);
  if (!Threads::CurrentlyOn(TID_IO)) return Later([self, wait, max] { self->ReadOlder(wait, max); });
  if (!Waiting(wait)) return;
  CefRefPtr<CefCallback> callback(new StepCallback(
      [self, wait, max](int64) { self->Later([self, wait, max] { self->ReadOlder(wait, max); }); },
      [self, wait] { self->Answer(wait, ERR_ABORTED); }));
  int got = 0;
  const bool more = handler_->ReadResponse(buffer_.data(), max, got, callback);
  if (more && got > 0) return Finish(wait, got);
  if (more && got == 0) return StartTimer(wait);
  Finish(wait, got < 0 ? got : 0);
}

void ResourceJob::Cancel() {
  if (over_.exchange(true)) return;
  CefRefPtr<ResourceJob> self(this);
  auto cancel = [self] { self->handler_->Cancel(); };
  if (Threads::CurrentlyOn(TID_IO) || !Threads::Post(TID_IO, cancel)) cancel();
}

int64 ResourceJob::WaitFor(const std::function<void(Done)>& step) {
  auto answer = std::make_shared<std::promise<int64>>();
  std::future<int64> answered = answer->get_future();
  step([answer](int64 result) { answer->set_value(result); });
  const auto limit = std::chrono::milliseconds(g_jobTimeoutMs.load() + kWaitSlackMs);
  if (answered.wait_for(limit) == std::future_status::ready) return answered.get();
  Cancel();
  return ERR_TIMED_OUT;
}

uint64_t ResourceJob::Arm(Done done) {
  std::lock_guard<std::mutex> lock(mutex_);
  done_ = std::move(done);
  return ++lastWait_;
}

void ResourceJob::StartTimer(uint64_t wait) {
  CefRefPtr<ResourceJob> self(this);
  const int timeoutMs = g_jobTimeoutMs.load();
  Threads::Post(
      TID_IO,
      [self, wait, timeoutMs] {
        if (!self->Waiting(wait)) return;
        Log(LOGSEVERITY_WARNING, "resource " + self->Url() + ": the handler did not answer within " +
                                     std::to_string(timeoutMs) + " ms; the request fails");
        self->Finish(wait, ERR_TIMED_OUT);
        self->Cancel();
      },
      timeoutMs);
}

bool ResourceJob::Waiting(uint64_t wait) {
  std::lock_guard<std::mutex> lock(mutex_);
  return wait == lastWait_ && done_;
}

void ResourceJob::Finish(uint64_t wait, int64 result) {
  Done done;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (wait != lastWait_ || !done_) return;
    done = std::move(done_);
    done_ = nullptr;
  }
  done(result);
}

void ResourceJob::Answer(uint64_t wait, int64 result) {
  CefRefPtr<ResourceJob> self(this);
  Later([self, wait, result] { self->Finish(wait, result); });
}

// On TID_IO; at once when it is gone (the runtime stopping), so that nobody waits.
void ResourceJob::Later(std::function<void()> task) {
  if (!Threads::Post(TID_IO, task)) task();
}

}  // namespace cefcompat
