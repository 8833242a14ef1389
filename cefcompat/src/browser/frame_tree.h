#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "browser/frame_impl.h"
#include "browser/page_session.h"

namespace cefcompat {

// The frames of one browser by protocol id, and the page's JavaScript
// contexts by frame.
//
// Threads: frames are read from any thread (under a mutex) and changed on
// TID_UI; contexts are TID_UI only.
class FrameTree {
 public:
  using FrameFactory =
      std::function<CefRefPtr<FrameImpl>(const std::string& id, const std::string& parentId, bool isMain)>;

  explicit FrameTree(FrameFactory makeFrame);
  void Subscribe(PageSession& session);

  CefRefPtr<FrameImpl> SetMain(const std::string& id, const std::string& url);
  CefRefPtr<FrameImpl> Main();
  bool IsMain(const std::string& id);
  CefRefPtr<FrameImpl> ByProtocolId(const std::string& id);
  CefRefPtr<FrameImpl> ByIdentifier(int64 identifier);
  // The frame, made when it is new.
  CefRefPtr<FrameImpl> Ensure(const std::string& id, const std::string& parentId);
  size_t Count();
  std::vector<int64> Identifiers();
  bool HasDocument();
  // Invalidates every frame and forgets them (the browser closed).
  void InvalidateAll();

  // TID_UI: the frame of a default context (the main frame when unknown),
  // and a frame's default context (0 when it has none).
  CefRefPtr<FrameImpl> FrameOfContext(int contextId);
  int ContextOf(const std::string& frameId) const;

 private:
  void OnDetached(const Json& params);
  // The page's renderer crashed: its subframes and contexts are gone.
  void OnCrashed();

  const FrameFactory makeFrame_;
  std::mutex mutex_;
  std::map<std::string, CefRefPtr<FrameImpl>> frames_;
  CefRefPtr<FrameImpl> main_;
  std::map<int, std::string> contexts_;  // execution context id -> frame id
};

}  // namespace cefcompat
