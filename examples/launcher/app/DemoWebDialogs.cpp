#include "app/DemoWebDialogs.h"

#include <fmt/format.h>

#include "base/VellLoggerAgent.h"
#include "core/VellWidget.h"

DemoWebDialogs::DemoWebDialogs(QString strPagesUrl, AcquirePage acquire, QObject* parent)
    : QObject(parent), m_strPagesUrl(std::move(strPagesUrl)), m_fnAcquire(std::move(acquire)) {}

bool DemoWebDialogs::_IsOwnPage(const QString& url) const {
  if (url.startsWith(m_strPagesUrl)) return true;
  VellLog(LOGSEVERITY_WARNING, fmt::format("DemoWebDialogs: not opened, not a launcher page: {}", url.toStdString()));
  return false;
}

DemoWebDialog* DemoWebDialogs::_Find(const QString& name) const {
  const auto it = m_mapDialogs.find(name);
  return it == m_mapDialogs.end() ? nullptr : it->second.data();
}

void DemoWebDialogs::Open(const QString& name, const QString& url, const QSize& size) {
  if (!_IsOwnPage(url)) return;
  if (_Find(name)) return Update(name, url, size);
  const std::string address = url.toStdString();
  VellWidget* page = m_fnAcquire([address](VellWidget* shown) { shown->LoadUrl(address); });
  if (!page) return;
  if (m_pParent) page->SetMainWindow(m_pParent);
  auto* dialog = new DemoWebDialog(name, page, m_pParent);
  connect(dialog, &DemoWebDialog::Closed, this, [this](const QString& closed) {
    m_mapDialogs.erase(closed);
    emit Closed(closed);
  });
  m_mapDialogs[name] = dialog;
  dialog->Fit(size);
  dialog->show();
}

void DemoWebDialogs::Update(const QString& name, const QString& url, const QSize& size) {
  DemoWebDialog* dialog = _Find(name);
  if (!dialog) return;
  dialog->Fit(size);
  if (!url.isEmpty() && _IsOwnPage(url) && dialog->Page()) dialog->Page()->LoadUrl(url.toStdString());
}

void DemoWebDialogs::CloseShowing(const VellWidget* page) {
  DemoWebDialog* showing = Showing(page);
  if (!showing) return CloseAll();
  showing->close();
}

void DemoWebDialogs::CloseAll() {
  const auto dialogs = m_mapDialogs;
  for (const auto& entry : dialogs) {
    if (entry.second) entry.second->close();
  }
}

DemoWebDialog* DemoWebDialogs::Showing(const VellWidget* page) const {
  for (const auto& entry : m_mapDialogs) {
    if (entry.second && entry.second->Page() == page) return entry.second.data();
  }
  return nullptr;
}

std::vector<VellWidget*> DemoWebDialogs::Pages() const {
  std::vector<VellWidget*> pages;
  for (const auto& entry : m_mapDialogs) {
    if (entry.second && entry.second->Page()) pages.push_back(entry.second->Page());
  }
  return pages;
}
