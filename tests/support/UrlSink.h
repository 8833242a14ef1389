#pragma once

#include <QDesktopServices>
#include <QList>
#include <QObject>
#include <QUrl>

// Receives the http(s) URLs the framework opens in the user's browser, while alive.
class UrlSink : public QObject {
  Q_OBJECT

 public:
  UrlSink() {
    QDesktopServices::setUrlHandler("http", this, "Open");
    QDesktopServices::setUrlHandler("https", this, "Open");
  }
  ~UrlSink() override {
    QDesktopServices::unsetUrlHandler("http");
    QDesktopServices::unsetUrlHandler("https");
  }

  QList<QUrl> opened;

 public slots:
  void Open(const QUrl& url) { opened.append(url); }
};
