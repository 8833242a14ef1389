#pragma once

#include "v8_api/VellProcessMessage.h"

// The process-wide map from browser to its plugins. Here so far: the render
// process's road of an SDK call to the browser process.
class VellV8PluginFactoryCluster {
 public:
  // Render process: parks the callback under a new request id and sends the
  // message through the current browser's main frame.
  static void ForwardStandardJsonPayloadFromCefBrowserMessage(VellProcessMessage message);
};
