#include "browser/stray_tabs.h"

#include <algorithm>

#include "base/log.h"
#include "browser/page_session.h"

namespace cefcompat {

namespace {

constexpr std::chrono::seconds kStrayWindow(5);

}  // namespace

void StrayTabs::Forget(std::deque<Entry>& entries) const {
  const Clock::time_point oldest = Clock::now() - kStrayWindow;
  while (!entries.empty() && entries.front().at < oldest) entries.pop_front();
}

void StrayTabs::Close(const std::string& targetId, const std::string& url) {
  Log(LOGSEVERITY_VERBOSE, "closing Chromium's own tab for " + url);
  PageSession::SendToChromium("Target.closeTarget", {{"targetId", targetId}});
}

void StrayTabs::Expect(const std::string& url) {
  Forget(unclaimed_);
  const auto tab = std::find_if(unclaimed_.begin(), unclaimed_.end(), [&](const Entry& e) { return e.url == url; });
  if (tab != unclaimed_.end()) {
    Close(tab->targetId, url);
    unclaimed_.erase(tab);
    return;
  }
  Forget(expected_);
  expected_.push_back({url, std::string(), Clock::now()});
}

bool StrayTabs::OnTargetCreated(const Json& targetInfo) {
  if (targetInfo.value("type", std::string()) != "page" || targetInfo.contains("openerId")) return false;
  // The runtime's own pages start blank.
  const std::string url = targetInfo.value("url", std::string());
  if (url.empty() || url == "about:blank") return false;
  const std::string targetId = targetInfo.value("targetId", std::string());
  Forget(expected_);
  const auto link = std::find_if(expected_.begin(), expected_.end(), [&](const Entry& e) { return e.url == url; });
  if (link == expected_.end()) {
    Forget(unclaimed_);
    unclaimed_.push_back({url, targetId, Clock::now()});
    return false;
  }
  expected_.erase(link);
  Close(targetId, url);
  return true;
}

}  // namespace cefcompat
