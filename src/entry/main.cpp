// The runtime's sub-process executable: started with --type= it runs that
// sub-process (the render process of every browser); started without, it
// has nothing to do.
#include <QApplication>

#include "entry/VellSubProcessRunner.h"
#include "platform/VellPlatform.h"
#include "utils/VellVarHelper.h"

int main(int argc, char** argv) {
  if (VellVarHelper::IsCefProcess(argc, argv)) {
    VellPlatform::SetProcessDPIAware();
    RunCefSubProcess(argc, argv);
    return 0;
  }
  { QApplication app(argc, argv); }
  return 0;
}
