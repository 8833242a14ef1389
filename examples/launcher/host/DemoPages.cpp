#include "host/DemoPages.h"

#include <algorithm>

#include "base/VellError.h"
#include "pool/VellWidgetPool.h"

void DemoPages::Add(VellWidget* widget, bool isMain) {
  m_vecPages.erase(std::remove_if(m_vecPages.begin(), m_vecPages.end(), [](const auto& page) { return page.isNull(); }),
                   m_vecPages.end());
  m_vecPages.emplace_back(widget);
  if (isMain) m_pMain = widget;
}

void DemoPages::ForEach(const std::function<void(VellWidget*)>& call) const {
  for (const auto& page : m_vecPages) {
    if (page) call(page.data());
  }
}

void DemoPages::Broadcast(const nlohmann::json& event) {
  const std::string script = "window.vell && window.vell.basicModule.registerEmitHandler(" + event.dump() + ");";
  VellError::LogErrorChain(VellWidgetPool::Instance()->BroadcastExecuteJavascript(script));
}
