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
  // Once no page has painted for this long, the window is taken as still.
  static constexpr int kStillMs = 400;
  // A page area still blank this long after TakeWhenStill is pictured as it is.
  static constexpr int kLatestMs = 5000;

  DemoScreenshot(QWidget* window, QString strPath, QObject* parent);
  // Writes the picture once every page of the window has painted and stopped painting.
  void TakeWhenStill();
  static QImage Compose(QWidget* window);
  // True when some page of `window` shows as one flat colour in `picture`: it painted nothing yet.
  static bool HasBlankPage(QWidget* window, const QImage& picture);

 signals:
  // `written` false: no picture. `problem` empty: a picture of every page.
  void Done(bool written, QString problem);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void _TakeIfPainted();
  void _ShowPagesAgain();
  void _Save(const QImage& picture, const QString& problem);

  QWidget* m_pWindow;
  QString m_strPath;
  QTimer m_still;
  QTimer m_latest;
};
