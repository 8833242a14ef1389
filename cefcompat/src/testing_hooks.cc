#include "testing_hooks.h"

#include <chrono>
#include <future>
#include <memory>

#include "browser/browser_impl.h"
#include "browser/page_session.h"
#include "protocol/in_process_link.h"
#include "protocol/transport.h"

namespace cefcompat {

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
