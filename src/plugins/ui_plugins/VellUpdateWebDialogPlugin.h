#pragma once

#include <QMetaType>
#include <QObject>
#include <nlohmann/json.hpp>
#include <string>

#include "utils/VellJsonFieldReader.h"
#include "v8_api/VellV8ApiPluginAbstract.h"

namespace VellUpdateWebDialogPluginModel {

struct FireUpdateWebDialogModel {
  std::string name;
  std::string url;
  int width = 0;
  int height = 0;
  friend void from_json(const nlohmann::json& json, FireUpdateWebDialogModel& model) {
    VellJsonFieldReader::Read(json, "name", model.name);
    VellJsonFieldReader::Read(json, "url", model.url);
    VellJsonFieldReader::Read(json, "width", model.width);
    VellJsonFieldReader::Read(json, "height", model.height);
  }
};

}  // namespace VellUpdateWebDialogPluginModel

// "jssdk::uiModule:updateWebDialog": change a web dialog.
class VellUpdateWebDialogPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellUpdateWebDialogPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireUpdateWebDialog(VellUpdateWebDialogPluginModel::FireUpdateWebDialogModel fireUpdateWebDialogModel);
};

Q_DECLARE_METATYPE(VellUpdateWebDialogPluginModel::FireUpdateWebDialogModel)
