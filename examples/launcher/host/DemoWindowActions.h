#pragma once

#include <QObject>
#include <QString>

class VellWidget;

// What any page may ask of the window it is shown in, and the events it
// sends the launcher: pingPong, moveWindow, emit, browserWindowState and
// report. Serves the fallback page too, so it needs no catalogue.
class DemoWindowActions : public QObject {
  Q_OBJECT

 public:
  // The browserWindowState codes the pages send.
  enum WindowAction { kMinimise = 1, kMaximise = 2, kRestore = 3, kClose = 4 };

  using QObject::QObject;
  void Bind(VellWidget* widget);

 signals:
  void MoveRequested(VellWidget* widget, int deltaX, int deltaY);
  void WindowActionRequested(VellWidget* widget, int action);
  // A page's emit payload, as the page sent it.
  void PageEvent(VellWidget* widget, QString json);
};
