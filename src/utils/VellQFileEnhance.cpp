#include "utils/VellQFileEnhance.h"

#include <QFileInfo>
#include <QTextCodec>
#include <fmt/format.h>

#include "utils/VTimeIt.h"
#include "utils/VellAsync.h"

VellQFileEnhance::VellQFileEnhance(const QString& path) : QFile(path) {}

VellQFileEnhance::~VellQFileEnhance() {
  if (isOpen()) close();
}

bool VellQFileEnhance::IsDir(const std::string& path) { return IsQDir(QString::fromStdString(path)); }
bool VellQFileEnhance::IsQDir(const QString& path) { return QFileInfo(path).isDir(); }
bool VellQFileEnhance::IsFile(const std::string& path) { return IsQFile(QString::fromStdString(path)); }
bool VellQFileEnhance::IsQFile(const QString& path) { return QFileInfo(path).isFile(); }
bool VellQFileEnhance::IsFileExist(const std::string& path) {
  return IsQFileExist(QString::fromStdString(path));
}
bool VellQFileEnhance::IsQFileExist(const QString& path) { return QFileInfo(path).exists(); }
bool VellQFileEnhance::IsZipFilePathExtension(const std::string& path) {
  return IsQZipFilePathExtension(QString::fromStdString(path));
}
bool VellQFileEnhance::IsQZipFilePathExtension(const QString& path) {
  return QFileInfo(path).suffix().toLower() == "zip";
}

std::shared_ptr<VellError> VellQFileEnhance::ReadTextFile(const QString& path, QString& out) {
  return VellError::TryCatch([&]() -> std::shared_ptr<VellError> {
    const std::string filePath = path.toStdString();
    // Qt opens a directory as an empty file: refuse it before opening.
    if (IsQDir(path)) {
      return std::make_shared<VellError>(
          fmt::format("ReadTextFile failed, path is a directory. FilePath = {}", filePath), __FILE__, __LINE__,
          __PRETTY_FUNCTION__);
    }
    VellQFileEnhance file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
      return std::make_shared<VellError>(
          fmt::format("ReadTextFile failed, file open failed. FileError = {}, ErrorReason = {}, FilePath = {}",
                      static_cast<int>(file.error()), file.errorString().toStdString(), filePath),
          __FILE__, __LINE__, __PRETTY_FUNCTION__);
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
      return std::make_shared<VellError>(
          fmt::format("ReadTextFile failed, file read failed. FileError = {}, ErrorReason = {}, FilePath = {}",
                      static_cast<int>(file.error()), file.errorString().toStdString(), filePath),
          __FILE__, __LINE__, __PRETTY_FUNCTION__);
    }
    // Decode strictly: a file in another encoding is an error, not text with
    // replacement characters.
    QTextCodec::ConverterState state;
    const QString text = QTextCodec::codecForName("UTF-8")->toUnicode(bytes.constData(), bytes.size(), &state);
    // A truncated sequence at the end is left in the state, not counted as invalid.
    if (state.invalidChars > 0 || state.remainingChars > 0) {
      return std::make_shared<VellError>(
          fmt::format("ReadTextFile failed, file is not valid UTF-8. InvalidChars = {}, FilePath = {}",
                      state.invalidChars + state.remainingChars, filePath),
          __FILE__, __LINE__, __PRETTY_FUNCTION__);
    }
    out = text;
    return nullptr;
  });
}

std::shared_ptr<VellError> VellQFileEnhance::ReadJsonFile(const QString& path, nlohmann::json& out) {
  return VellError::TryCatch([&]() -> std::shared_ptr<VellError> {
    QString text;
    if (auto error = ReadTextFile(path, text)) {
      return std::make_shared<VellError>("ReadJsonFile failed.", __FILE__, __LINE__, __PRETTY_FUNCTION__,
                                         error);
    }
    if (text.isEmpty()) {
      return std::make_shared<VellError>(
          fmt::format("ReadJsonFile failed, file content is empty. FilePath = {}", path.toStdString()),
          __FILE__, __LINE__, __PRETTY_FUNCTION__);
    }
    out = nlohmann::json::parse(text.toStdString(), nullptr, true, false);
    return nullptr;
  });
}

VellAsync<nlohmann::json>* VellQFileEnhance::ReadJsonFileAsync(const QString& path, QObject* parent) {
  return new VellAsync<nlohmann::json>(
      [path](nlohmann::json& out) {
        VTimeIt timeIt("ReadJsonFileAsync", __LINE__, "VellQFileEnhance::ReadJsonFileAsync");
        return ReadJsonFile(path, out);
      },
      parent);
}
