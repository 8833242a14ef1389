#pragma once

#include "core/VellApp.h"

// The process's way into the runtime: the same object starts a sub-process
// (and never returns there) and initialises the launcher's process.
class VellBootstrap {
 public:
  ~VellBootstrap();

  // Call from the process's main thread, which in the launcher must be the
  // Qt thread. A sub-process ends inside with the runtime's exit code.
  void Initialize(VellApp* app, int argc, char** argv);

 private:
  // The launcher shuts the runtime down itself, once its last browser has closed.
  void _RunCefShutdown();
};
