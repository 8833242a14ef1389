#include "browser/frame_tree.h"

namespace cefcompat {

FrameTree::FrameTree(FrameFactory makeFrame) : makeFrame_(std::move(makeFrame)) {}

void FrameTree::Subscribe(PageSession& session) {
  session.On("Page.frameAttached", [this](const Json& params) {
    Ensure(params.value("frameId", std::string()), params.value("parentFrameId", std::string()));
  });
  session.On("Page.frameDetached", [this](const Json& params) { OnDetached(params); });
  session.On("Runtime.executionContextCreated", [this](const Json& params) {
    const Json& context = params["context"];
    const Json aux = context.value("auxData", Json::object());
    if (aux.value("isDefault", false)) contexts_[context.value("id", 0)] = aux.value("frameId", std::string());
  });
  session.On("Runtime.executionContextDestroyed",
             [this](const Json& params) { contexts_.erase(params.value("executionContextId", 0)); });
  session.On("Runtime.executionContextsCleared", [this](const Json&) { contexts_.clear(); });
  session.On("Inspector.targetCrashed", [this](const Json&) { OnCrashed(); });
}

CefRefPtr<FrameImpl> FrameTree::SetMain(const std::string& id, const std::string& url) {
  CefRefPtr<FrameImpl> frame = makeFrame_(id, "", true);
  frame->SetUrl(url, "");
  std::lock_guard<std::mutex> lock(mutex_);
  main_ = frame;
  frames_[id] = frame;
  return frame;
}

CefRefPtr<FrameImpl> FrameTree::Main() {
  std::lock_guard<std::mutex> lock(mutex_);
  return main_;
}

bool FrameTree::IsMain(const std::string& id) {
  std::lock_guard<std::mutex> lock(mutex_);
  return main_ && main_->ProtocolId() == id;
}

CefRefPtr<FrameImpl> FrameTree::ByProtocolId(const std::string& id) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = frames_.find(id);
  return it == frames_.end() ? nullptr : it->second;
}

CefRefPtr<FrameImpl> FrameTree::ByIdentifier(int64 identifier) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto& entry : frames_) {
    if (entry.second->GetIdentifier() == identifier) return entry.second;
  }
  return nullptr;
}

CefRefPtr<FrameImpl> FrameTree::Ensure(const std::string& id, const std::string& parentId) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto& frame = frames_[id];
  if (!frame) frame = makeFrame_(id, parentId, false);
  return frame;
}

size_t FrameTree::Count() {
  std::lock_guard<std::mutex> lock(mutex_);
  return frames_.size();
}

std::vector<int64> FrameTree::Identifiers() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<int64> identifiers;
  for (auto& entry : frames_) identifiers.push_back(entry.second->GetIdentifier());
  return identifiers;
}

bool FrameTree::HasDocument() {
  std::lock_guard<std::mutex> lock(mutex_);
  return main_ && !main_->GetURL().empty();
}

void FrameTree::InvalidateAll() {
  std::map<std::string, CefRefPtr<FrameImpl>> frames;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    frames.swap(frames_);
  }
  for (auto& entry : frames) entry.second->Invalidate();
}

void FrameTree::OnDetached(const Json& params) {
  // A cross-site frame moving to its own renderer keeps its identity.
  if (params.value("reason", std::string()) == "swap") return;
  const std::string id = params.value("frameId", std::string());
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = frames_.find(id);
  if (it == frames_.end() || it->second->IsMain()) return;
  it->second->Invalidate();
  frames_.erase(it);
}

// Chromium swaps in a new renderer on the next navigation or reload.
void FrameTree::OnCrashed() {
  contexts_.clear();
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto it = frames_.begin(); it != frames_.end();) {
    if (it->second->IsMain()) {
      ++it;
      continue;
    }
    it->second->Invalidate();
    it = frames_.erase(it);
  }
}

CefRefPtr<FrameImpl> FrameTree::FrameOfContext(int contextId) {
  const auto context = contexts_.find(contextId);
  CefRefPtr<FrameImpl> frame = context == contexts_.end() ? nullptr : ByProtocolId(context->second);
  return frame ? frame : Main();
}

int FrameTree::ContextOf(const std::string& frameId) const {
  int contextId = 0;
  for (const auto& [id, frame] : contexts_) {
    if (frame == frameId) contextId = id;
  }
  return contextId;
}

}  // namespace cefcompat
