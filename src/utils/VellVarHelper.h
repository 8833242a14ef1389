#pragma once

#include <string>

#include <QJsonObject>
#include <QJsonParseError>
#include <QString>

// Static string, path, thread and JSON helpers.
// "The Qt thread" is the thread that owns the QCoreApplication object.
class VellVarHelper {
 public:
  VellVarHelper() = delete;

  // True when any argument from argv[1] on contains "--type=" (a runtime sub-process).
  static bool IsCefProcess(int argc, char** argv);
  // True when any argument from argv[1] on contains "--type=render".
  static bool IsCefRenderProcess(int argc, char** argv);

  // The current working directory (not the executable's directory).
  static QString GetExecutableDir();
  static std::string GetFileBasename(const QString& path);
  static QString GetQFileBasename(const QString& path);
  // The basename as UTF-8; valid until the next call on the same thread.
  static const char* GetCharFileBasename(const QString& path);

  static bool IsActionNameValid(const std::string& name);
  static bool IsFileProtocol(const std::string& url);
  // The empty document every browser starts on ("about:blank", with or
  // without a query or fragment).
  static bool IsBlankPage(const std::string& url);
  static bool StartsWith(const std::string& s, const std::string& prefix);
  static bool IsStringContains(const std::string& s, const std::string& part);
  static bool IsStringAllUpperCase(std::string s);
  // Lower-cases the ASCII capitals of s; other bytes stay as they are.
  static void ToLowercase(std::string& s);

  // Parses UTF-8 JSON text into `out`; returns whether it parsed. A null
  // `error` is allowed: the parse result is then only returned.
  static bool ToQJsonObject(const QString& json, QJsonObject& out, QJsonParseError* error);
  static bool ToQJsonObject(const std::string& json, QJsonObject& out, QJsonParseError* error);

  // Must not be called before the QCoreApplication exists.
  static bool IsCurrentThreadQtThread();
  // Throw std::runtime_error when broken: continuing would be unsafe.
  static void InvariantQAppIsCreated();
  static void InvariantRunningUnderQtThread();
  static void WarnIfNotRunningUnderQtThread(const std::string& fileName, const int& lineNum,
                                            const std::string& functionName);

  // Kept for callers that trace to a file; writes nothing.
  static void AppendToFile(const std::string& path, const char* text);
};

// Debug-build assertion of the thread a function must run on.
#ifdef NDEBUG
#define VELL_ASSERT_QT_THREAD() ((void)0)
#else
#define VELL_ASSERT_QT_THREAD() VellVarHelper::InvariantRunningUnderQtThread()
#endif
