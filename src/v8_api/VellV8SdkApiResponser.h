#pragma once

class VellProcessMessage;

// Settles the page callback waiting for an answer (render process).
class VellV8SdkApiResponser {
 public:
  VellV8SdkApiResponser() = delete;

  // False when no callback waits for the record's request id.
  static bool Response(const VellProcessMessage& message);
};
