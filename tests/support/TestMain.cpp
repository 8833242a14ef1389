// Test entry: a render sub-process when the runtime started us as one;
// otherwise a QApplication on the offscreen platform unless one is chosen.
#include <QApplication>
#include <QString>
#include <cstring>
#include <gtest/gtest.h>

#include "TestApp.h"
#include "utils/VellLeakSanitizerDefaults.h"

namespace {
TestAppFactory& Factory() {
  static TestAppFactory factory;
  return factory;
}

QtMessageHandler g_defaultHandler = nullptr;

// A Qt object used from a thread it does not belong to is a fault even when
// the test's own checks pass: Qt only warns, the suite fails.
void FailOnThreadAffinityWarning(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.contains("different thread") || message.contains("from another thread")) {
    ADD_FAILURE() << "Qt thread-affinity warning: " << message.toStdString();
  }
  g_defaultHandler(type, context, message);
}
}  // namespace

bool SetTestAppFactory(TestAppFactory factory) {
  Factory() = std::move(factory);
  return true;
}

CefRefPtr<CefApp> MakeTestApp() { return Factory() ? Factory()() : nullptr; }

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strstr(argv[i], "--type=")) return CefExecuteProcess(CefMainArgs(argc, argv), MakeTestApp(), nullptr);
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  g_defaultHandler = qInstallMessageHandler(&FailOnThreadAffinityWarning);
  return RUN_ALL_TESTS();
}
