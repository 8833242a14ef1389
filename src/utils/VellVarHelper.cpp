#include "utils/VellVarHelper.h"

#include <stdexcept>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QThread>
#include <fmt/format.h>

#include "base/VellLoggerAgent.h"

namespace {

bool AnyArgumentContains(int argc, char** argv, const char* text) {
  for (int i = 1; i < argc; ++i) {
    if (argv[i] && std::string(argv[i]).find(text) != std::string::npos) return true;
  }
  return false;
}

}  // namespace

bool VellVarHelper::IsCefProcess(int argc, char** argv) {
  return AnyArgumentContains(argc, argv, "--type=");
}

bool VellVarHelper::IsCefRenderProcess(int argc, char** argv) {
  return AnyArgumentContains(argc, argv, "--type=render");
}

QString VellVarHelper::GetExecutableDir() { return QDir::currentPath(); }

std::string VellVarHelper::GetFileBasename(const QString& path) {
  return GetQFileBasename(path).toStdString();
}

QString VellVarHelper::GetQFileBasename(const QString& path) { return QFileInfo(path).fileName(); }

const char* VellVarHelper::GetCharFileBasename(const QString& path) {
  thread_local std::string buffer;
  buffer = GetFileBasename(path);
  return buffer.c_str();
}

bool VellVarHelper::IsActionNameValid(const std::string& name) {
  return name.rfind("jssdk::", 0) == 0;
}

bool VellVarHelper::IsFileProtocol(const std::string& url) { return url.rfind("file://", 0) == 0; }

bool VellVarHelper::IsBlankPage(const std::string& url) {
  constexpr char kBlank[] = "about:blank";
  if (url.rfind(kBlank, 0) != 0) return false;
  const size_t length = sizeof(kBlank) - 1;
  return url.size() == length || url[length] == '#' || url[length] == '?';
}

bool VellVarHelper::StartsWith(const std::string& s, const std::string& prefix) {
  return s.rfind(prefix, 0) == 0;
}

bool VellVarHelper::IsStringContains(const std::string& s, const std::string& part) {
  return QString::fromStdString(s).contains(QString::fromStdString(part), Qt::CaseSensitive);
}

bool VellVarHelper::IsStringAllUpperCase(std::string s) {
  for (char c : s) {
    if (c >= 'a' && c <= 'z') return false;
  }
  return true;
}

void VellVarHelper::ToLowercase(std::string& s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
}

bool VellVarHelper::ToQJsonObject(const QString& json, QJsonObject& out, QJsonParseError* error) {
  QJsonParseError local;
  QJsonParseError* result = error ? error : &local;
  out = QJsonDocument::fromJson(json.toUtf8(), result).object();
  return result->error == QJsonParseError::NoError;
}

bool VellVarHelper::ToQJsonObject(const std::string& json, QJsonObject& out,
                                  QJsonParseError* error) {
  return ToQJsonObject(QString::fromStdString(json), out, error);
}

bool VellVarHelper::IsCurrentThreadQtThread() {
  return QThread::currentThread() == QCoreApplication::instance()->thread();
}

void VellVarHelper::InvariantQAppIsCreated() {
  if (!QCoreApplication::instance()) throw std::runtime_error("QApplication is not created");
}

void VellVarHelper::InvariantRunningUnderQtThread() {
  InvariantQAppIsCreated();
  if (!IsCurrentThreadQtThread()) throw std::runtime_error("Current thread needs to be Qt thread!");
}

void VellVarHelper::WarnIfNotRunningUnderQtThread(const std::string& fileName, const int& lineNum,
                                                  const std::string& functionName) {
  if (IsCurrentThreadQtThread()) return;
  VellLog(3, fmt::format("{functionName} at {fileName}:{lineNum}, Current thread needs to be Qt thread!",
                         fmt::arg("functionName", functionName), fmt::arg("fileName", fileName),
                         fmt::arg("lineNum", lineNum)));
}

void VellVarHelper::AppendToFile(const std::string& /*path*/, const char* /*text*/) {}
