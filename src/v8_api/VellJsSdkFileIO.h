#pragma once

#include <mutex>

#include <QString>

// Cached reader of the page-side SDK script. A successful read is kept for the
// life of the process; a failed one is logged and retried on the next call.
class VellJsSdkFileIO {
 public:
  VellJsSdkFileIO() = delete;

  // Any thread; readers are serialised.
  static const QString& ReadJsSdk();

 private:
  // <current directory>/vell/extension/vell-sdk-v2.min.cjs
  static QString _GetJsSdkFilePath();

  static std::mutex m_mutex;
  static QString m_strJsSdk;
};
