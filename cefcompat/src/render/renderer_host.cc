#include "render/renderer_host.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "protocol/in_process_link.h"
#include "include/cef_command_line.h"
#include "protocol/link.h"
#include "base/log.h"
#include "render/render_process.h"
#include "browser/runtime.h"
#include "base/task_thread.h"

namespace cefcompat {

namespace {
constexpr int kReadyTimeoutMs = 10000;
constexpr int kReapPollMs = 50;
constexpr int kReapKillAfterMs = 2000;
constexpr int kGoneStatusWaitMs = 1000;

// Reaps a render sub-process that was told to end, killing it if it lingers.
void Reap(pid_t pid, int waitedMs) {
  if (waitpid(pid, nullptr, WNOHANG) != 0) return;
  if (waitedMs >= kReapKillAfterMs) kill(pid, SIGKILL);
  if (!Threads::Post(TID_UI, [pid, waitedMs] { Reap(pid, waitedMs + kReapPollMs); }, kReapPollMs)) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
}

}  // namespace

RendererHost::RendererHost(int browserId, std::string targetId, MessageHandler onMessage, GoneHandler onGone)
    : browserId_(browserId),
      targetId_(std::move(targetId)),
      onMessage_(std::move(onMessage)),
      onGone_(std::move(onGone)),
      relay_(std::make_shared<SessionRelay>()),
      alive_(std::make_shared<bool>(true)) {}

RendererHost::~RendererHost() { Stop(); }

void RendererHost::Start(ReadyHandler onReady) {
  onReady_ = std::move(onReady);
  Runtime* runtime = Runtime::Get();
  if (!runtime) return onReady_(false);
  std::unique_ptr<Transport> renderEnd;
  if (CefCommandLine::GetGlobalCommandLine()->HasSwitch("single-process")) {
    auto ends = InProcessLink::CreatePair();
    link_ = std::move(ends.first);
    renderEnd = std::move(ends.second);
  } else {
    std::string error;
    if (!SpawnWithLink(error)) {
      Log(LOGSEVERITY_ERROR, "render side of browser " + std::to_string(browserId_) + " not started: " + error);
      return onReady_(false);
    }
  }
  std::weak_ptr<bool> alive = alive_;
  relay_->Attach(link_.get());
  link_->Start(
      [this, alive, relay = relay_](std::string text) {
        Json message = Json::parse(text, nullptr, false);
        if (!message.is_object()) return;
        if (!message.contains("link")) return relay->RelayCommand(message);
        Threads::Post(TID_UI, [this, alive, message = std::move(message)] {
          if (alive.lock()) OnLinkMessage(message);
        });
      },
      [this, alive](const std::string& reason) {
        Threads::Post(TID_UI, [this, alive, reason] {
          if (alive.lock() && !stopping_) ReportGone(reason, 0);
        });
      });
  if (renderEnd) RenderProcess::InProcess()->AddLink(std::move(renderEnd));
  runtime->GetConnection().Send(
      "Target.attachToTarget", {{"targetId", targetId_}, {"flatten", true}}, "",
      [this, alive](const Connection::Reply& reply) {
        if (!alive.lock()) return;
        if (!reply.ok) {
          Log(LOGSEVERITY_ERROR, "render side: attaching failed: " + reply.error);
          return onReady_(false);
        }
        sessionId_ = reply.result.value("sessionId", std::string());
        relay_->Watch(sessionId_);
        link_->Send(Json{{"link", "hello"}, {"browserId", browserId_}, {"targetId", targetId_}, {"sessionId", sessionId_}}
                        .dump());
      });
  Threads::Post(TID_UI, [this, alive] {
    if (!alive.lock() || !onReady_) return;
    Log(LOGSEVERITY_ERROR, "render side of browser " + std::to_string(browserId_) + " did not start in time");
    onReady_(false);
  }, kReadyTimeoutMs);
}

bool RendererHost::SpawnWithLink(std::string& error) {
  int fds[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) {
    error = "no link: " + std::string(strerror(errno));
    return false;
  }
  if (!Spawn(fds[1], error)) {
    close(fds[0]);
    return false;
  }
  link_ = std::make_unique<PipeTransport>(fds[0], dup(fds[0]));
  return true;
}

bool RendererHost::Spawn(int fd, std::string& error) {
  Runtime* runtime = Runtime::Get();
  std::string executable = runtime ? CefString(&runtime->Settings().browser_subprocess_path).ToString() : std::string();
  if (executable.empty()) {
    char path[4096] = {};
    const ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length <= 0) {
      error = "cannot find the launcher's own executable";
      close(fd);
      return false;
    }
    executable.assign(path, static_cast<size_t>(length));
  }
  if (access(executable.c_str(), X_OK) != 0) {
    error = "render sub-process executable not found: " + executable;
    close(fd);
    return false;
  }
  std::vector<std::string> args = {executable, "--type=renderer", "--" + std::string(kLinkFdSwitch) + "=" + std::to_string(fd)};
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  // posix_spawn shares the launcher's memory until exec instead of copying
  // its page tables as fork does: a launcher holding large archives starts
  // browsers as fast as a small one.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fd, fd);  // the same number: the link end survives exec
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  pid_t pid = -1;
  const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fd);
  if (failed != 0) {
    error = std::string("the render sub-process could not be started: ") + strerror(failed);
    return false;
  }
  pid_ = pid;
  return true;
}

void RendererHost::ReportGone(const std::string& reason, int waitedMs) {
  // The link closes as the sub-process dies; its exit status may take a moment longer.
  int status = 0;
  const bool exited = pid_ > 0 && waitpid(pid_, &status, WNOHANG) == pid_;
  if (!exited && pid_ > 0 && waitedMs < kGoneStatusWaitMs) {
    std::weak_ptr<bool> alive = alive_;
    Threads::Post(TID_UI, [this, alive, reason, waitedMs] {
      if (alive.lock() && !stopping_) ReportGone(reason, waitedMs + kReapPollMs);
    }, kReapPollMs);
    return;
  }
  if (exited) pid_ = -1;
  onGone_(reason, exited && WIFSIGNALED(status));
}

void RendererHost::OnLinkMessage(const Json& message) {
  const std::string kind = LinkString(message, "link");
  if (kind == "ready") {
    if (auto ready = std::move(onReady_)) ready(true);
    onReady_ = nullptr;
    return;
  }
  if (kind == "message") onMessage_(LinkString(message, "frame"), DecodeProcessMessage(message));
}

void RendererHost::SendProcessMessage(const std::string& protocolFrameId, CefRefPtr<CefProcessMessage> message) {
  Json link;
  if (!EncodeProcessMessage(protocolFrameId, message, &link)) return;
  relay_->SendDown(link.dump(-1, ' ', false, Json::error_handler_t::replace));
}

void RendererHost::Stop() {
  if (stopping_) return;
  stopping_ = true;
  alive_.reset();
  relay_->Stop();
  if (link_) link_->Close();
  link_.reset();
  if (pid_ > 0) Reap(pid_, 0);
  pid_ = -1;
}

}  // namespace cefcompat
