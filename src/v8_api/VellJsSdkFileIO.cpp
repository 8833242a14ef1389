#include "v8_api/VellJsSdkFileIO.h"

#include "base/VellError.h"
#include "utils/VellQFileEnhance.h"
#include "utils/VellVarHelper.h"

std::mutex VellJsSdkFileIO::m_mutex;
QString VellJsSdkFileIO::m_strJsSdk;

const QString& VellJsSdkFileIO::ReadJsSdk() {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_strJsSdk.isEmpty()) return m_strJsSdk;
  if (auto error = VellQFileEnhance::ReadTextFile(_GetJsSdkFilePath(), m_strJsSdk)) {
    VellError::LogErrorChain(
        std::make_shared<VellError>("ReadJsSdk Failed.", __FILE__, __LINE__, "VellJsSdkFileIO::ReadJsSdk", error));
    m_strJsSdk.clear();
  }
  return m_strJsSdk;
}

QString VellJsSdkFileIO::_GetJsSdkFilePath() {
  return VellVarHelper::GetExecutableDir() + "/vell/extension/vell-sdk-v2.min.cjs";
}
