#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QWidget>

// A picture of a launcher window as the user sees it. A widget's own grab
// leaves its browsers' areas empty (each page paints into a native surface
// window of the runtime), so those areas are taken from the surfaces.
class DemoScreenshot : public QObject {
  Q_OBJECT

 public:
  // Once no page has painted for this long after a frame, the window is taken as still.
  static constexpr int kStillMs = 400;
  // Taken at the latest this long after TakeWhenStill, however busy (or idle) the pages.
  static constexpr int kLatestMs = 5000;

  DemoScreenshot(QWidget* window, QString strPath, QObject* parent);
  // Writes the picture once every page of the window has stopped painting.
  void TakeWhenStill();
  static QImage Compose(QWidget* window);

 signals:
  // Empty on success, else why no picture was written.
  void Done(QString error);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void _Take();

  QWidget* m_pWindow;
  QString m_strPath;
  QTimer m_still;
  QTimer m_latest;
};
