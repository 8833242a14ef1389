#pragma once

#include <functional>
#include <vector>

#include <QPointer>
#include <nlohmann/json.hpp>

#include "core/VellSignalsWidget.h"
#include "core/VellWidget.h"

// The pages the launcher shows and answers: the main window's page and the
// web dialogs' pages. Notifications go to each of them; toasts to the main
// one. Qt thread.
class DemoPages {
 public:
  void Add(VellWidget* widget, bool isMain);
  // Every page still shown.
  void ForEach(const std::function<void(VellWidget*)>& call) const;
  // Null when the main page is gone.
  VellWidget* Main() const { return m_pMain.data(); }
  // Delivers `event` to the basicModule.onEmit handlers of every page.
  static void Broadcast(const nlohmann::json& event);

  // The plugin of `widget`'s browser; its plugins exist once the browser does.
  template <class Plugin>
  static Plugin* Find(const VellWidget* widget) {
    return widget->GetVellSignalsWidget()->findChild<Plugin*>();
  }

 private:
  std::vector<QPointer<VellWidget>> m_vecPages;
  QPointer<VellWidget> m_pMain;
};
