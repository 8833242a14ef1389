#pragma once

#include <QMetaType>
#include <QObject>
#include <nlohmann/json.hpp>
#include <string>

#include "utils/VellJsonFieldReader.h"
#include "v8_api/VellV8ApiPluginAbstract.h"

namespace VellOpenDialogPluginModel {

struct FireOpenDialogModel {
  std::string dialogType;
  friend void from_json(const nlohmann::json& json, FireOpenDialogModel& model) {
    VellJsonFieldReader::Read(json, "dialogType", model.dialogType);
  }
};

}  // namespace VellOpenDialogPluginModel

// "jssdk::uiModule:openDialog": open a native dialog.
class VellOpenDialogPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellOpenDialogPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireOpenDialog(VellOpenDialogPluginModel::FireOpenDialogModel fireOpenDialogModel);
};

Q_DECLARE_METATYPE(VellOpenDialogPluginModel::FireOpenDialogModel)
