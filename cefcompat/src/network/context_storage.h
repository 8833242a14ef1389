#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace cefcompat {

class Connection;

// A storage of Chromium's (a browser context: cookies, localStorage, the
// cache) behind one or more request contexts. The global storage is
// Chromium's default context, which lives as long as Chromium. Any other is
// made in Chromium when first needed, in memory, and disposed of there when
// its last holder (request contexts, their browsers and cookie managers)
// lets go. After Chromium was started again it is made anew, empty, on the
// next use.
//
// Threads: held and released on any thread; WhenReady and what it runs are
// TID_UI's.
class ContextStorage : public std::enable_shared_from_this<ContextStorage> {
 public:
  using Ready = std::function<void(bool ok, const std::string& contextId)>;

  static std::shared_ptr<ContextStorage> Global();
  // A storage of its own.
  static std::shared_ptr<ContextStorage> Own();
  // The storage every context made with `cachePath` shares while any holds it.
  static std::shared_ptr<ContextStorage> ForPath(const std::string& cachePath);
  ~ContextStorage();

  bool IsGlobal() const { return global_; }
  // TID_UI: Chromium's id of the storage once made; empty for the default one.
  const std::string& Id() const { return id_; }
  // TID_UI: `ready(true, id)` once Chromium has the storage (id empty for
  // the default context), at once when it has; `ready(false, "")` when it
  // could not be made.
  void WhenReady(Ready ready);

 private:
  ContextStorage(bool global, std::string path) : global_(global), path_(std::move(path)) {}
  void Create();
  void Finish(bool ok);

  const bool global_;
  const std::string path_;  // the cache path it was asked for; empty for its own
  // TID_UI.
  std::string id_;
  const Connection* madeOn_ = nullptr;
  bool creating_ = false;
  std::vector<Ready> waiting_;
};

}  // namespace cefcompat
