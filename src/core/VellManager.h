#pragma once

#include "core/VellApp.h"

// Brings the runtime up once for this process.
class VellManager {
 public:
  // -1 in the launcher (browser) process, after the runtime is initialised;
  // otherwise the code a sub-process must exit with.
  int InitializeOnce(VellApp* app, int& argc, char** argv);
};
