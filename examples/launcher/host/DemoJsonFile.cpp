#include "host/DemoJsonFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

bool DemoJsonFile::Exists() const { return QFileInfo::exists(m_strPath); }

QString DemoJsonFile::Load(nlohmann::json& out) {
  out = nlohmann::json::object();
  if (!Exists()) return {};
  QFile file(m_strPath);
  if (!file.open(QIODevice::ReadOnly)) {
    m_bUnreadable = true;
    return QString("%1 cannot be read: %2").arg(m_strPath, file.errorString());
  }
  const QString error = _Parse(file.readAll(), out);
  m_bUnreadable = !error.isEmpty();
  if (m_bUnreadable) out = nlohmann::json::object();
  return error;
}

QString DemoJsonFile::_Parse(const QByteArray& bytes, nlohmann::json& out) const {
  out = nlohmann::json::parse(bytes.toStdString(), nullptr, false);
  if (out.is_discarded()) return QString("%1 is not valid JSON").arg(m_strPath);
  if (!out.is_object()) return QString("%1 holds no JSON object").arg(m_strPath);
  return {};
}

QString DemoJsonFile::Save(const nlohmann::json& value) {
  const QFileInfo info(m_strPath);
  if (!QDir().mkpath(info.absolutePath())) return QString("the folder %1 cannot be created").arg(info.absolutePath());
  if (m_bUnreadable) {
    const QString error = _CopyUnreadableAside();
    if (!error.isEmpty()) return error;
  }
  QSaveFile file(m_strPath);
  file.setDirectWriteFallback(false);
  if (!file.open(QIODevice::WriteOnly)) return QString("%1 cannot be written: %2").arg(m_strPath, file.errorString());
  file.write(QByteArray::fromStdString(value.dump(2)));
  file.write("\n");
  if (!file.commit()) return QString("%1 cannot be written: %2").arg(m_strPath, file.errorString());
  return {};
}

QString DemoJsonFile::_CopyUnreadableAside() {
  const QString aside = _FreeAsidePath();
  if (Exists() && !QFile::copy(m_strPath, aside)) {
    return QString("%1 could not be kept as %2 before saving").arg(m_strPath, aside);
  }
  m_strAsidePath = aside;
  m_bUnreadable = false;
  return {};
}

QString DemoJsonFile::_FreeAsidePath() const {
  const QString base = m_strPath + ".unreadable";
  QString candidate = base;
  for (int n = 2; QFileInfo::exists(candidate); ++n) candidate = QString("%1.%2").arg(base).arg(n);
  return candidate;
}
