// The DevTools protocol as Chromium's pipe delivers it: NUL-framed text read
// by the pipe transport, decoded and routed by the connection to replies of
// commands in flight and to session handlers. Any bytes are taken without
// fault, and every command in flight is answered exactly once.
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <future>
#include <memory>
#include <string>

#include <QtGlobal>

#include "protocol/connection.h"
#include "protocol/transport.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

constexpr size_t kMaxMessageBytes = 2048;  // small, so oversized messages are met too
constexpr int kCommands = 3;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  int fds[2];
  Require(pipe2(fds, O_CLOEXEC) == 0);
  const int sink = open("/dev/null", O_WRONLY | O_CLOEXEC);
  Require(sink >= 0);
  cefcompat::Connection connection(std::make_unique<cefcompat::PipeTransport>(sink, fds[0], kMaxMessageBytes),
                                   [](std::function<void()> task) { task(); });
  std::atomic<int> events{0};
  for (const char* session : {"", "S1"}) {
    connection.SetSessionHandler(session, [&events](const std::string& method, const cefcompat::Json& params) {
      Require(params.is_object());
      events += method.empty() ? 0 : 1;
    });
  }
  std::promise<void> closed;
  connection.Start([&closed](const std::string&) { closed.set_value(); });
  std::atomic<int> replies[kCommands] = {};
  for (int i = 0; i < kCommands; ++i) {
    connection.Send("Test.command", {}, i == 0 ? "" : "S1", [&replies, i](const cefcompat::Connection::Reply& reply) {
      Require(reply.ok ? reply.result.is_object() : !reply.error.empty());
      ++replies[i];
    });
  }
  for (size_t written = 0; written < size;) {
    const ssize_t count = write(fds[1], data + written, size - written);
    Require(count > 0);
    written += static_cast<size_t>(count);
  }
  close(fds[1]);
  closed.get_future().wait();
  for (const auto& count : replies) Require(count == 1);
  return 0;
}
