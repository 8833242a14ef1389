#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QObject>
#include <QString>

#include "base/VellError.h"
#include "v8_api/VellV8PluginFactory.h"

// A module register's table: rows of (action name, plugin class), registered
// in order with the register as every plugin's Qt parent.
class VellPluginTable {
 public:
  struct Row {
    QString actionName;
    std::function<VellV8ApiPluginInterface*(QObject* parent)> create;
  };

  template <class Plugin>
  static Row Of(const QString& actionName) {
    return {actionName, [](QObject* parent) -> VellV8ApiPluginInterface* { return new Plugin(parent); }};
  }

  // Stops at the first refusal and returns it wrapped with `failure`.
  static std::shared_ptr<VellError> Register(VellV8PluginFactory* factory, QObject* parent, const std::vector<Row>& rows,
                                             const char* failure, const char* functionName) {
    for (const Row& row : rows) {
      if (auto error = factory->Register(row.actionName, row.create(parent))) {
        return std::make_shared<VellError>(failure, __FILE__, __LINE__, functionName, error);
      }
    }
    return nullptr;
  }
};
