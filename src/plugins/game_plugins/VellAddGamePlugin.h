#pragma once

#include <QMetaType>
#include <QObject>
#include <nlohmann/json.hpp>
#include <string>

#include "utils/VellJsonFieldReader.h"
#include "v8_api/VellV8ApiPluginAbstract.h"

namespace VellAddGamePluginModel {

struct FireAddGameModel {
  std::string appCode;
  bool isSelected = false;
  friend void from_json(const nlohmann::json& json, FireAddGameModel& model) {
    VellJsonFieldReader::Read(json, "appCode", model.appCode);
    VellJsonFieldReader::Read(json, "isSelected", model.isSelected);
  }
};

}  // namespace VellAddGamePluginModel

// "jssdk::gameModule:addGame": add a game to the user's list.
class VellAddGamePlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellAddGamePlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireAddGame(VellAddGamePluginModel::FireAddGameModel fireAddGameModel);
};

Q_DECLARE_METATYPE(VellAddGamePluginModel::FireAddGameModel)
