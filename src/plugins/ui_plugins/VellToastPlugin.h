#pragma once

#include <QMetaType>
#include <QObject>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "utils/VellJsonFieldReader.h"
#include "v8_api/VellV8ApiPluginAbstract.h"

class VellWidget;

namespace VellToastPluginModel {

struct NotifyToastModel {
  std::string message;
  int ms = 0;
  int position = 0;
  friend void to_json(nlohmann::json& json, const NotifyToastModel& model) {
    json = {{"message", model.message}, {"ms", model.ms}, {"position", model.position}};
  }
};

struct FireToastModel {
  std::string message;
  int ms = 0;
  int position = 0;
  friend void from_json(const nlohmann::json& json, FireToastModel& model) {
    VellJsonFieldReader::Read(json, "message", model.message);
    VellJsonFieldReader::Read(json, "ms", model.ms);
    VellJsonFieldReader::Read(json, "position", model.position);
  }
};

}  // namespace VellToastPluginModel

// "jssdk::uiModule:toast": show a toast.
class VellToastPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellToastPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

  // Shows a toast inside the page.
  static std::shared_ptr<VellError> NotifyToast(const VellWidget* widget, VellToastPluginModel::NotifyToastModel model);

 signals:
  void FireToast(VellToastPluginModel::FireToastModel fireToastModel);
};

Q_DECLARE_METATYPE(VellToastPluginModel::FireToastModel)
