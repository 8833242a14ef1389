#pragma once

#include <QMetaType>
#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "v8_api/VellV8ApiPluginAbstract.h"

class VellWidget;

namespace VellExtensionCardPluginModel {

// The host's JSON text, sent to the page as it is.
struct ExtensionCardResponseModel : VellRawStringResponse {};

using FireGetExtensionCardCallback =
    std::function<void(const VellExtensionCardPluginModel::ExtensionCardResponseModel&)>;

}  // namespace VellExtensionCardPluginModel

// "jssdk::gameModule:data:getExtensionCard": the extension card, as JSON text from the host.
class VellExtensionCardPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellExtensionCardPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

  // Pushes changed data into the page: `text` is inserted verbatim as a
  // JavaScript expression (normally the JSON the host answers with).
  static std::shared_ptr<VellError> NotifyExtensionCardChanged(const VellWidget* widget, const std::string& text);

 signals:
  void FireGetExtensionCard(const VellExtensionCardPluginModel::FireGetExtensionCardCallback& callback);
};

Q_DECLARE_METATYPE(VellExtensionCardPluginModel::ExtensionCardResponseModel)
Q_DECLARE_METATYPE(VellExtensionCardPluginModel::FireGetExtensionCardCallback)
