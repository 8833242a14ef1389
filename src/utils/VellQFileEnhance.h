#pragma once

#include <memory>
#include <string>

#include <QFile>
#include <QString>
#include <nlohmann/json.hpp>

#include "base/VellError.h"

template <class T>
class VellAsync;
class QObject;

// A QFile with static readers. Readers return an error record for a missing
// path, a directory, an unreadable or non-UTF-8 file, empty content (JSON) and
// invalid JSON; they never throw. The file is closed when the object goes.
class VellQFileEnhance : public QFile {
 public:
  explicit VellQFileEnhance(const QString& path);
  ~VellQFileEnhance() override;

  QFile& GetQFile() { return *this; }

  static bool IsDir(const std::string& path);
  static bool IsQDir(const QString& path);
  static bool IsFile(const std::string& path);
  static bool IsQFile(const QString& path);
  static bool IsFileExist(const std::string& path);
  static bool IsQFileExist(const QString& path);
  static bool IsZipFilePathExtension(const std::string& path);
  static bool IsQZipFilePathExtension(const QString& path);

  static std::shared_ptr<VellError> ReadTextFile(const QString& path, QString& out);
  static std::shared_ptr<VellError> ReadJsonFile(const QString& path, nlohmann::json& out);
  // Reads in the background; the result object is a child of `parent`.
  static VellAsync<nlohmann::json>* ReadJsonFileAsync(const QString& path, QObject* parent);
};
