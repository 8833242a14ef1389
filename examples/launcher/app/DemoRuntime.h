#pragma once

#include <QString>

// Brings the framework up the way the README tells launchers to, and takes
// the runtime down at the end.
class DemoRuntime {
 public:
  // On the Qt thread, after QApplication: feature settings from
  // `featuresFile`, the application object, `subprocessPath` as every render
  // process, a temporary browser profile, then the bootstrap. Empty on
  // success, else what went wrong with the feature settings (the built-in
  // defaults are used then; the runtime still starts).
  static QString Start(int argc, char** argv, const QString& featuresFile, const QString& subprocessPath);
  // Once no browser is left.
  static void Stop();

 private:
  static QString _LoadFeatures(const QString& featuresFile);
};
