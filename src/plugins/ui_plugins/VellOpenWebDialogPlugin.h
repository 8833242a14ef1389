#pragma once

#include <QMetaType>
#include <QObject>
#include <nlohmann/json.hpp>
#include <string>

#include "utils/VellJsonFieldReader.h"
#include "v8_api/VellV8ApiPluginAbstract.h"

namespace VellOpenWebDialogPluginModel {

struct FireOpenWebDialogModel {
  std::string name;
  std::string url;
  int width = 0;
  int height = 0;
  friend void from_json(const nlohmann::json& json, FireOpenWebDialogModel& model) {
    VellJsonFieldReader::Read(json, "name", model.name);
    VellJsonFieldReader::Read(json, "url", model.url);
    VellJsonFieldReader::Read(json, "width", model.width);
    VellJsonFieldReader::Read(json, "height", model.height);
  }
};

}  // namespace VellOpenWebDialogPluginModel

// "jssdk::uiModule:openWebDialog": open a web dialog.
class VellOpenWebDialogPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellOpenWebDialogPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireOpenWebDialog(VellOpenWebDialogPluginModel::FireOpenWebDialogModel fireOpenWebDialogModel);
};

Q_DECLARE_METATYPE(VellOpenWebDialogPluginModel::FireOpenWebDialogModel)
