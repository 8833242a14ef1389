#include "testing_hooks.h"

#include "browser/browser_impl.h"
#include "network/resource_job.h"
#include "protocol/in_process_link.h"
#include "protocol/transport.h"

namespace cefcompat {

void SetResourceHandlerTimeoutForTesting(int ms) { ResourceJob::SetTimeoutMs(ms); }

void CollectGarbageForTesting(CefRefPtr<CefBrowser> browser, std::function<void()> done) {
  CefRefPtr<BrowserImpl> impl(static_cast<BrowserImpl*>(browser.get()));
  Threads::Post(TID_UI, [impl, done]() {
    impl->Send("HeapProfiler.collectGarbage", Json::object(), [done](const Connection::Reply&) { done(); });
  });
}

int LiveBrowsersForTesting() { return LiveCount<BrowserImpl>::Get(); }

int LiveTransportsForTesting() { return LiveCount<PipeTransport>::Get() + LiveCount<InProcessLink>::Get(); }

}  // namespace cefcompat
