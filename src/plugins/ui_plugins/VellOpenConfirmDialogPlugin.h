#pragma once

#include <QMetaType>
#include <QObject>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>

#include "utils/VellJsonFieldReader.h"
#include "v8_api/VellV8ApiPluginAbstract.h"

namespace VellOpenConfirmDialogPluginModel {

struct Result {
  bool isCheckBoxChecked = false;
  int action = 0;
  friend void to_json(nlohmann::json& json, const Result& model) {
    json = {{"isCheckBoxChecked", model.isCheckBoxChecked}, {"action", model.action}};
  }
};

struct RequestModel {
  std::string title;
  std::string content;
  std::string leftButtonText;
  std::string rightButtonText;
  std::string checkboxText;
  std::string checkedText;
  bool withCloseButton = false;
  int buttonType = 0;
  std::string name;
  friend void from_json(const nlohmann::json& json, RequestModel& model) {
    VellJsonFieldReader::Read(json, "title", model.title);
    VellJsonFieldReader::Read(json, "content", model.content);
    VellJsonFieldReader::Read(json, "leftButtonText", model.leftButtonText);
    VellJsonFieldReader::Read(json, "rightButtonText", model.rightButtonText);
    VellJsonFieldReader::Read(json, "checkboxText", model.checkboxText);
    VellJsonFieldReader::Read(json, "checkedText", model.checkedText);
    VellJsonFieldReader::Read(json, "withCloseButton", model.withCloseButton);
    VellJsonFieldReader::Read(json, "buttonType", model.buttonType);
    VellJsonFieldReader::Read(json, "name", model.name);
  }
};

struct FireOpenConfirmDialogResponseModel {
  Result result;
  std::string strError;
  friend void to_json(nlohmann::json& json, const FireOpenConfirmDialogResponseModel& model) {
    json = {{"result", model.result}, {"strError", model.strError}};
  }
};

using FireOpenConfirmDialogCallback =
    std::function<void(const VellOpenConfirmDialogPluginModel::FireOpenConfirmDialogResponseModel&)>;

}  // namespace VellOpenConfirmDialogPluginModel

// "jssdk::uiModule:openConfirmDialog": a confirmation dialog; answered with the user's choice.
class VellOpenConfirmDialogPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellOpenConfirmDialogPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireOpenConfirmDialog(VellOpenConfirmDialogPluginModel::RequestModel requestModel,
                             const VellOpenConfirmDialogPluginModel::FireOpenConfirmDialogCallback& callback);
};

Q_DECLARE_METATYPE(VellOpenConfirmDialogPluginModel::RequestModel)
Q_DECLARE_METATYPE(VellOpenConfirmDialogPluginModel::FireOpenConfirmDialogResponseModel)
Q_DECLARE_METATYPE(VellOpenConfirmDialogPluginModel::FireOpenConfirmDialogCallback)
