#include "x11/x_connection.h"

#include <X11/Xlib.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <condition_variable>

#include "base/log.h"

namespace cefcompat {

namespace {

// Chromium's windows come and go on their own: a request on one that has
// just gone fails, which is expected and only logged.
int LogXError(Display* display, XErrorEvent* event) {
  char text[256] = {};
  XGetErrorText(display, event->error_code, text, sizeof(text) - 1);
  Log(LOGSEVERITY_VERBOSE, std::string("X error ignored: ") + text + " (request " +
                               std::to_string(event->request_code) + ", resource " +
                               std::to_string(event->resourceid) + ")");
  return 0;
}

}  // namespace

std::unique_ptr<XConnection> XConnection::Open(std::string& error) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    error = "no X server answers on DISPLAY '" + std::string(getenv("DISPLAY") ? getenv("DISPLAY") : "") + "'";
    return nullptr;
  }
  const int wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wakeFd < 0) {
    XCloseDisplay(display);
    error = "eventfd failed";
    return nullptr;
  }
  XSetErrorHandler(LogXError);
  return std::unique_ptr<XConnection>(new XConnection(display, wakeFd));
}

XConnection::XConnection(_XDisplay* display, int wakeFd)
    : display_(display), wakeFd_(wakeFd), root_(DefaultRootWindow(display)) {}

XConnection::~XConnection() {
  stopping_ = true;
  const uint64_t one = 1;
  if (write(wakeFd_, &one, sizeof(one)) < 0) Log(LOGSEVERITY_VERBOSE, "X thread wake failed");
  if (thread_.joinable()) thread_.join();
  XCloseDisplay(display_);
  close(wakeFd_);
}

void XConnection::Start() { thread_ = std::thread([this] { Loop(); }); }

bool XConnection::Post(Task task) {
  if (stopping_) return false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  const uint64_t one = 1;
  return write(wakeFd_, &one, sizeof(one)) == sizeof(one);
}

bool XConnection::Run(Task task, int timeoutMs) {
  struct Done {
    std::mutex mutex;
    std::condition_variable cv;
    bool ran = false;
  };
  auto done = std::make_shared<Done>();
  const bool posted = Post([task = std::move(task), done](_XDisplay* display) {
    task(display);
    std::lock_guard<std::mutex> lock(done->mutex);
    done->ran = true;
    done->cv.notify_all();
  });
  if (!posted) return false;
  std::unique_lock<std::mutex> lock(done->mutex);
  return done->cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return done->ran; });
}

void XConnection::RunPosted() {
  uint64_t count = 0;
  while (read(wakeFd_, &count, sizeof(count)) > 0) {
  }
  std::vector<Task> tasks;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    tasks.swap(tasks_);
  }
  for (auto& task : tasks) task(display_);
  XFlush(display_);
}

void XConnection::Loop() {
  pollfd fds[2] = {{ConnectionNumber(display_), POLLIN, 0}, {wakeFd_, POLLIN, 0}};
  while (!stopping_) {
    while (XPending(display_) > 0) {
      XEvent event;
      XNextEvent(display_, &event);
      if (handler_) handler_(display_, event);
    }
    XFlush(display_);
    if (poll(fds, 2, -1) < 0 && errno != EINTR) break;
    if (fds[1].revents & POLLIN) RunPosted();
  }
}

}  // namespace cefcompat
