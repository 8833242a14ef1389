#pragma once

#include <QMetaType>
#include <QObject>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>

#include "utils/VellJsonFieldReader.h"
#include "v8_api/VellV8ApiPluginAbstract.h"

namespace VellSwitchGamePluginModel {

struct FireSwitchGameModel {
  std::string appCode;
  friend void from_json(const nlohmann::json& json, FireSwitchGameModel& model) {
    VellJsonFieldReader::Read(json, "appCode", model.appCode);
  }
};

struct FireSwitchGameRspModel {
  std::string strError;
  std::string strJson;
  friend void to_json(nlohmann::json& json, const FireSwitchGameRspModel& model) {
    json = {{"strError", model.strError}, {"strJson", model.strJson}};
  }
};

using FireSwitchGameCallback = std::function<void(const VellSwitchGamePluginModel::FireSwitchGameRspModel&)>;

}  // namespace VellSwitchGamePluginModel

// "jssdk::gameModule:switchGame": switch the shown game.
class VellSwitchGamePlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellSwitchGamePlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireSwitchGame(VellSwitchGamePluginModel::FireSwitchGameModel fireSwitchGameModel,
                      const VellSwitchGamePluginModel::FireSwitchGameCallback& callback);
};

Q_DECLARE_METATYPE(VellSwitchGamePluginModel::FireSwitchGameModel)
Q_DECLARE_METATYPE(VellSwitchGamePluginModel::FireSwitchGameRspModel)
Q_DECLARE_METATYPE(VellSwitchGamePluginModel::FireSwitchGameCallback)
