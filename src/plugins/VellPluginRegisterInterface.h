#pragma once

#include <memory>

#include "base/VellError.h"
#include "v8_api/VellV8PluginFactory.h"

// Registers one module's plugins on a browser's factory.
class VellPluginRegisterInterface {
 public:
  virtual std::shared_ptr<VellError> Register(VellV8PluginFactory* factory) = 0;

 protected:
  ~VellPluginRegisterInterface() = default;
};
