#pragma once

// The windowed mode's X11 side: the runtime's own connection to the X server
// the embedder's windows are on, the nursery that takes in Chromium's windows
// before anyone sees them, and the focus relay between Qt and those windows.
// Xlib's headers stay inside this folder's sources: its macros clash with
// Qt's and CEF's names.

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct _XDisplay;
union _XEvent;

namespace cefcompat {

// A connection to the X server with a thread of its own, the X thread: it
// reads the connection's events and runs the X work posted to it, so no
// other thread ever touches the connection. X errors are logged and never
// end the process.
class XConnection {
 public:
  using Task = std::function<void(_XDisplay*)>;
  using EventHandler = std::function<void(_XDisplay*, const _XEvent&)>;

  // Null, with `error` set, when no X server answers.
  static std::unique_ptr<XConnection> Open(std::string& error);
  ~XConnection();  // stops the X thread (tasks not yet run are dropped) and closes
  XConnection(const XConnection&) = delete;
  XConnection& operator=(const XConnection&) = delete;

  // Before Start: every event read goes to `handler` on the X thread.
  void SetEventHandler(EventHandler handler) { handler_ = std::move(handler); }
  void Start();
  // Any thread. False once stopping.
  bool Post(Task task);
  // Any thread but the X thread: runs `task` and waits for it at most
  // `timeoutMs`; false when it did not run in time.
  bool Run(Task task, int timeoutMs);
  unsigned long Root() const { return root_; }

 private:
  XConnection(_XDisplay* display, int wakeFd);
  void Loop();
  void RunPosted();

  _XDisplay* const display_;
  const int wakeFd_;
  unsigned long root_ = 0;
  EventHandler handler_;
  std::mutex mutex_;
  std::vector<Task> tasks_;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

}  // namespace cefcompat
