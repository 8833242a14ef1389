#pragma once

#include <chrono>
#include <deque>
#include <string>

#include "protocol/connection.h"

namespace cefcompat {

// The tab or window Chromium opens by itself for a link a person opens in a
// new tab or window: the runtime's browsers decide where such a link goes
// (see OpenUrlRouter), so Chromium's own page for it is closed as soon as it
// appears. It is told apart by its URL: a page target without an opener at
// the link's URL, appearing within a few seconds of the link's navigation
// (either may be reported first).
//
// Threads: TID_UI.
class StrayTabs {
 public:
  // A link of a page is opening at `url` (as Chromium names it) in a tab of
  // Chromium's.
  void Expect(const std::string& url);
  // Every page target Chromium reports: true when it was such a tab (and is
  // being closed).
  bool OnTargetCreated(const Json& targetInfo);

 private:
  using Clock = std::chrono::steady_clock;
  struct Entry {
    std::string url;
    std::string targetId;  // empty for a link whose tab has not appeared yet
    Clock::time_point at;
  };
  void Forget(std::deque<Entry>& entries) const;
  static void Close(const std::string& targetId, const std::string& url);

  std::deque<Entry> expected_;   // links whose tab has not appeared
  std::deque<Entry> unclaimed_;  // tabs without an opener no link has claimed
};

}  // namespace cefcompat
