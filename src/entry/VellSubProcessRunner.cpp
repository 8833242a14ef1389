#include "entry/VellSubProcessRunner.h"

#include <cstdio>
#include <cstdlib>

#include "core/VellApp.h"
#include "core/VellBootstrap.h"
#include "entry/VellParentWatchdog.h"
#include "utils/VellVarHelper.h"

namespace {

// A render sub-process whose launcher is gone ends with this code. A POSIX
// parent sees only its low byte: 154.
constexpr int kOrphanExitCode = -10086;

// Ends the process from the watchdog's thread. exit() would run the static
// destructors under the threads still running (the runtime's renderer thread
// and the main thread waiting on it) and can hang there; nothing of this
// process needs more than its output flushed.
[[noreturn]] void EndOrphanedProcess() {
  std::fflush(nullptr);
  std::_Exit(kOrphanExitCode);
}

}  // namespace

VellBootstrap* RunCefSubProcess(int argc, char** argv) {
  VellApp* app = new VellApp(new VellV8Handler(), nullptr);
  if (VellVarHelper::IsCefRenderProcess(argc, argv)) {
    // Lives as long as the process: its task may end the process at any time.
    (new VellParentWatchdog())->Start(&EndOrphanedProcess);
  }
  auto* bootstrap = new VellBootstrap();
  bootstrap->Initialize(app, argc, argv);
  return bootstrap;
}
