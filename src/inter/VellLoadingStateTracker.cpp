#include "inter/VellLoadingStateTracker.h"

#include <fmt/format.h>

#include "base/VellLoggerAgent.h"
#include "core/VellSignalsWidget.h"
#include "platform/VellPlatform.h"

namespace {

int PrintableStatus(int code) { return code >= 0 && code <= 600 ? code : -1; }

}  // namespace

VellLoadingStateTracker::VellLoadingStateTracker(VellSignalsWidget* signalsWidget)
    : QObject(signalsWidget), m_pSignalsWidget(signalsWidget) {}

void VellLoadingStateTracker::Track() { _TrackLoadTime(); }

void VellLoadingStateTracker::_TrackLoadTime() {
  connect(m_pSignalsWidget, &VellSignalsWidget::OnLoadStart, this, [this](const QString&) {
    std::lock_guard<std::mutex> lock(m_loadTimeMutex);
    m_nLoadEndTick = 0;
    m_nLoadStartTick = VellPlatform::GetTickCount();
  });
  connect(m_pSignalsWidget, &VellSignalsWidget::OnLoadSuccess, this, [this](const QString&, int) { _MarkLoadEnd(); });
  connect(m_pSignalsWidget, &VellSignalsWidget::OnLoadError, this,
          [this](const QString&, int, const QString&) { _MarkLoadEnd(); });
}

void VellLoadingStateTracker::_MarkLoadEnd() {
  std::lock_guard<std::mutex> lock(m_loadTimeMutex);
  m_nLoadEndTick = VellPlatform::GetTickCount();
}

void VellLoadingStateTracker::PrintLoadingState() {
  connect(m_pSignalsWidget, &VellSignalsWidget::OnLoadStart, this, [](const QString& strUrl) {
    VellLog(LOGSEVERITY_INFO, fmt::format("VellSignalsWidget::OnLoadStart:strUrl = {}", strUrl.toStdString()));
  });
  connect(m_pSignalsWidget, &VellSignalsWidget::OnLoadSuccess, this, [this](const QString& strUrl, int code) {
    VellLog(LOGSEVERITY_INFO, fmt::format("VellSignalsWidget::OnLoadSuccess:strUrl = {}, nHttpStatusCode = {} ({}ms)",
                                          strUrl.toStdString(), PrintableStatus(code), GetLoadDuration()));
  });
  connect(m_pSignalsWidget, &VellSignalsWidget::OnLoadError, this,
          [this](const QString& strUrl, int code, const QString& strErrorText) {
            VellLog(LOGSEVERITY_INFO,
                    fmt::format("VellSignalsWidget::OnLoadError:strUrl = {}, nHttpStatusCode = {}, strErrorText = {} ({}ms)",
                                strUrl.toStdString(), PrintableStatus(code), strErrorText.toStdString(),
                                GetLoadDuration()));
          });
}

long VellLoadingStateTracker::GetLoadDuration() {
  std::lock_guard<std::mutex> lock(m_loadTimeMutex);
  if (m_nLoadStartTick == 0 || m_nLoadEndTick == 0) return -1;
  // Ticks wrap at 2^32: the difference is taken in that arithmetic.
  const auto elapsed = static_cast<int32_t>(m_nLoadEndTick - m_nLoadStartTick);
  return elapsed < 0 ? -2 : elapsed;
}

QString VellLoadingStateTracker::GetSessionId() {
  std::lock_guard<std::mutex> lock(m_sessionMutex);
  return m_strSessionId;
}
