#pragma once

// The protocol layer: Chromium's process, the pipe and socket transports, the
// DevTools connection with its sessions, and the links to render sides.
// Replies and events are read on the connection's reader thread.

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include <nlohmann/json.hpp>

#include "protocol/transport.h"

namespace cefcompat {

using Json = nlohmann::json;

// The DevTools protocol over a transport: numbered commands with their
// replies, and events routed by session ("" is the browser's root session).
//
// Threads: Send() from any thread. Replies and events are handed, in the
// order they arrived, to the executor (the UI thread in the runtime), and the
// session table is read and written on the executor's thread only.
class Connection {
 public:
  struct Reply {
    bool ok = false;
    Json result;        // when ok
    std::string error;  // when not ok: the protocol's message or why the call failed
  };
  using ReplyCallback = std::function<void(const Reply&)>;
  using EventHandler = std::function<void(const std::string& method, const Json& params)>;
  using Executor = std::function<void(std::function<void()>)>;
  // Runs on the reader thread before the executor sees a message; returns
  // true when it consumed it (screencast frames take this road).
  using FastPath = std::function<bool(const Json& message)>;
  // Takes a session's events on the reader thread, with the message's text.
  using Tap = std::function<void(const std::string& text, const Json& message)>;

  Connection(std::unique_ptr<Transport> transport, Executor executor);
  ~Connection();

  void Start(std::function<void(const std::string& reason)> onClosed);
  void SetFastPath(FastPath fastPath);
  void Send(const std::string& method, Json params, const std::string& sessionId = std::string(),
            ReplyCallback callback = nullptr);
  // Like Send, with the reply handed over on the reader thread.
  void SendReplyOnReader(const std::string& method, Json params, const std::string& sessionId, ReplyCallback callback);
  // Sends and waits up to `timeoutMs` for the reply, which is taken on the
  // reader thread: callable from the executor's own thread.
  Reply Call(const std::string& method, Json params, const std::string& sessionId, int timeoutMs);
  // Writes a message that is not a protocol command (the render link's own).
  bool SendRaw(const Json& message);
  void SetSessionHandler(const std::string& sessionId, EventHandler handler);
  void RemoveSession(const std::string& sessionId);
  // The events of `sessionId` go to `tap` on the reader thread instead of the
  // session's handler. Any thread; a tap may add or remove taps.
  void SetSessionTap(const std::string& sessionId, Tap tap);
  void RemoveSessionTap(const std::string& sessionId);
  bool IsClosed() const { return closed_; }
  void Close();

 private:
  void OnMessage(std::string text);
  void OnClosed(const std::string& reason);
  void Route(const Json& message);
  bool Tapped(const std::string& text, const Json& message);

  std::unique_ptr<Transport> transport_;
  Executor executor_;
  FastPath fastPath_;
  std::mutex mutex_;
  int64_t nextId_ = 1;
  struct Pending {
    ReplyCallback callback;
    bool onReader = false;  // run on the reader thread, not the executor
  };
  void SendCommand(const std::string& method, Json params, const std::string& sessionId, Pending pending);
  std::map<int64_t, Pending> pending_;
  std::atomic<bool> closed_{false};
  std::function<void(const std::string&)> onClosed_;
  std::map<std::string, EventHandler> sessions_;  // executor thread only
  std::mutex tapsMutex_;
  std::map<std::string, Tap> taps_;
};

}  // namespace cefcompat
