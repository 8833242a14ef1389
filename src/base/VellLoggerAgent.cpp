#include "base/VellLoggerAgent.h"

#include <QDebug>
#include <QMessageLogger>

void VellLoggerAgent::Log(int severity, const std::string& text) {
  static constexpr char kTag[] = "[VELL]";
  const char* utf8 = text.c_str();
  switch (severity) {
    case 0:
    case 1:
      QMessageLogger().debug() << kTag << utf8;
      return;
    case 2:
      QMessageLogger().info() << kTag << utf8;
      return;
    case 3:
      QMessageLogger().warning() << kTag << utf8;
      return;
    case 4:
      QMessageLogger().critical() << kTag << utf8;
      return;
    case 5:
      QMessageLogger().fatal("%s%s", kTag, utf8);
    default:
      return;
  }
}
