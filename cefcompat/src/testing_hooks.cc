#include "testing_hooks.h"

#include <chrono>
#include <future>
#include <memory>

#include "browser/browser_impl.h"
#include "network/resource_job.h"
#include "browser/page_session.h"
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

std::vector<std::string> BrowserContextsForTesting() {
  auto ids = std::make_shared<std::promise<std::vector<std::string>>>();
  auto future = ids->get_future();
  PageSession::SendToChromium("Target.getBrowserContexts", Json::object(), [ids](const Connection::Reply& reply) {
    std::vector<std::string> found;
    for (const Json& id : reply.ok ? reply.result.value("browserContextIds", Json::array()) : Json::array()) {
      found.push_back(id.get<std::string>());
    }
    ids->set_value(found);
  });
  if (future.wait_for(std::chrono::seconds(10)) != std::future_status::ready) return {"(no answer)"};
  return future.get();
}

}  // namespace cefcompat
