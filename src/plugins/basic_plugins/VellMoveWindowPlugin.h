#pragma once

#include <QMetaType>
#include <QObject>
#include <nlohmann/json.hpp>
#include <string>

#include "utils/VellJsonFieldReader.h"
#include "v8_api/VellV8ApiPluginAbstract.h"

namespace VellMoveWindowPluginModel {

struct RequestModel {
  int deltaX = 0;
  int deltaY = 0;
  friend void from_json(const nlohmann::json& json, RequestModel& model) {
    VellJsonFieldReader::Read(json, "deltaX", model.deltaX);
    VellJsonFieldReader::Read(json, "deltaY", model.deltaY);
  }
};

}  // namespace VellMoveWindowPluginModel

// "jssdk::basicModule:moveWindow": the page drags the launcher's window by an offset.
class VellMoveWindowPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellMoveWindowPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireMoveWindowPlugin(const VellMoveWindowPluginModel::RequestModel& requestModel);
};

Q_DECLARE_METATYPE(VellMoveWindowPluginModel::RequestModel)
