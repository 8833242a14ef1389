#pragma once

#include <QString>
#include <nlohmann/json.hpp>

// One JSON object the launcher keeps for the user in a file. Saving writes
// a new file beside it and renames it over the old one, so the old content
// stays whole until the new one is complete. A file that cannot be read or
// holds no JSON object is never overwritten unseen: the next save first
// copies it aside.
class DemoJsonFile {
 public:
  explicit DemoJsonFile(QString strPath) : m_strPath(std::move(strPath)) {}

  const QString& Path() const { return m_strPath; }
  bool Exists() const;
  // The file's object, {} when there is no file. Empty on success, else why
  // the file could not be used (then `out` is {}).
  QString Load(nlohmann::json& out);
  // Creates the folder when needed. Empty on success, else why not.
  QString Save(const nlohmann::json& value);
  // Where the last unreadable file was copied ("" when none was).
  const QString& AsidePath() const { return m_strAsidePath; }

 private:
  QString _Parse(const QByteArray& bytes, nlohmann::json& out) const;
  QString _CopyUnreadableAside();
  // "<file>.unreadable", or with a number when that is taken.
  QString _FreeAsidePath() const;

  QString m_strPath;
  QString m_strAsidePath;
  bool m_bUnreadable = false;
};
