// Downloads of real pages through CefDownloadHandler: a link with a
// download attribute, an attachment after a redirect, StartDownload, progress
// then the file whole in its place; cancel, pause and resume from
// OnDownloadUpdated; a folder that cannot be written, a handler that does not
// continue, the save dialog, and a closing browser leave nothing behind.
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <atomic>

#include "LogCapture.h"
#include "RecordingClient.h"
#include "RuntimeEnvironment.h"
#include "TestHttpServer.h"
#include "VisibleDialog.h"
#include "WaitUntil.h"
#include "include/cef_download_handler.h"
#include "include/cef_request_context.h"
#include "include/cef_task.h"

namespace {

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new RuntimeEnvironment());

nlohmann::json Describe(CefRefPtr<CefDownloadItem> item) {
  return {{"valid", item->IsValid()},
          {"inProgress", item->IsInProgress()},
          {"complete", item->IsComplete()},
          {"canceled", item->IsCanceled()},
          {"speed", item->GetCurrentSpeed()},
          {"percent", item->GetPercentComplete()},
          {"total", item->GetTotalBytes()},
          {"received", item->GetReceivedBytes()},
          {"start", item->GetStartTime().GetTimeT()},
          {"end", item->GetEndTime().GetTimeT()},
          {"path", item->GetFullPath().ToString()},
          {"id", item->GetId()},
          {"url", item->GetURL().ToString()},
          {"originalUrl", item->GetOriginalUrl().ToString()},
          {"suggested", item->GetSuggestedFileName().ToString()},
          {"disposition", item->GetContentDisposition().ToString()},
          {"mime", item->GetMimeType().ToString()},
          {"onUi", CefCurrentlyOn(TID_UI)}};
}

// Records every download callback; `onBefore` and `onUpdated` (TID_UI) act.
class DownloadRecorder : public CefDownloadHandler {
 public:
  explicit DownloadRecorder(EventRecorder* recorder) : recorder_(recorder) {}
  std::function<void(CefRefPtr<CefDownloadItem>, CefRefPtr<CefBeforeDownloadCallback>)> onBefore;
  std::function<void(CefRefPtr<CefDownloadItem>, CefRefPtr<CefDownloadItemCallback>)> onUpdated;

  void OnBeforeDownload(CefRefPtr<CefBrowser>, CefRefPtr<CefDownloadItem> item, const CefString& suggested_name,
                        CefRefPtr<CefBeforeDownloadCallback> callback) override {
    auto data = Describe(item);
    data["suggestedName"] = suggested_name.ToString();
    recorder_->Record("OnBeforeDownload", data);
    if (onBefore) onBefore(item, callback);
  }
  void OnDownloadUpdated(CefRefPtr<CefBrowser>, CefRefPtr<CefDownloadItem> item,
                         CefRefPtr<CefDownloadItemCallback> callback) override {
    recorder_->Record("OnDownloadUpdated", Describe(item));
    if (onUpdated) onUpdated(item, callback);
  }

 private:
  EventRecorder* recorder_;
  IMPLEMENT_REFCOUNTING(DownloadRecorder);
};

class DownloadingClient : public RecordingClient {
 public:
  explicit DownloadingClient(EventRecorder* recorder)
      : RecordingClient(recorder), handler(new DownloadRecorder(recorder)) {}
  CefRefPtr<CefDownloadHandler> GetDownloadHandler() override { return handler.get(); }
  CefRefPtr<DownloadRecorder> handler;
};

// Bytes no two offsets of which a misplaced part would keep equal.
QByteArray Pattern(int size) {
  QByteArray bytes(size, Qt::Uninitialized);
  for (int i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + i / 251) & 0xFF);
  return bytes;
}

QByteArray ReadAll(const std::string& path) {
  QFile file(QString::fromStdString(path));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool Ended(const nlohmann::json& update) { return !update.value("inProgress", true); }

class DownloadTest : public BrowserTest {
 protected:
  void SetUp() override {
    downloading = new DownloadingClient(&recorder);
    client = downloading.get();
    server.Route("/page", {200, "text/html", "<a id=l download='named.zip' href='/data'>file</a>"});
  }
  void TearDown() override {
    BrowserTest::TearDown();
    downloading->handler->onBefore = nullptr;
    downloading->handler->onUpdated = nullptr;
  }

  // A browser on the page with the download link.
  void OpenPage() {
    ASSERT_TRUE(Create(server.Url("/page")));
    ASSERT_TRUE(WaitForMainLoadEnd());
  }
  void ContinueTo(const std::string& path, bool showDialog = false) {
    downloading->handler->onBefore = [path, showDialog](CefRefPtr<CefDownloadItem>,
                                                        CefRefPtr<CefBeforeDownloadCallback> callback) {
      callback->Continue(path, showDialog);
    };
  }
  std::string InFolder(const std::string& name) const {
    return folder.filePath(QString::fromStdString(name)).toStdString();
  }
  // Every file in the folder, hidden ones too.
  QStringList FolderFiles() const {
    return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot);
  }
  // The update that ended download number `count` (1-based); null on time-out.
  nlohmann::json WaitForEnd(size_t count = 1, int timeoutMs = 30000) {
    nlohmann::json found;
    recorder.WaitFor(
        [&] {
          size_t ends = 0;
          for (const auto& event : recorder.Of("OnDownloadUpdated")) {
            if (Ended(event.data) && ++ends == count) found = event.data;
          }
          return !found.is_null();
        },
        timeoutMs);
    return found;
  }

  TestHttpServer server;
  CefRefPtr<DownloadingClient> downloading;
  QTemporaryDir folder;
};

TEST_F(DownloadTest, LinkDownloadReportsProgressThenLandsWhole) {
  // Chromium tells a download's progress twice a second: this one lasts longer.
  const QByteArray data = Pattern(1200000);
  server.Route("/data", {200, "application/octet-stream", data, 0, {}, 40000, 40});
  ContinueTo(InFolder("saved.bin"));
  OpenPage();
  Run("l.click()");

  const auto end = WaitForEnd();
  ASSERT_FALSE(end.is_null());
  const auto before = recorder.Of("OnBeforeDownload");
  ASSERT_EQ(before.size(), 1u);
  EXPECT_EQ(before[0].data["suggestedName"], "named.zip");
  EXPECT_EQ(before[0].data["suggested"], "named.zip");
  EXPECT_EQ(before[0].data["url"], server.Url("/data"));
  EXPECT_EQ(before[0].data["path"], "");
  EXPECT_TRUE(before[0].data["inProgress"]);
  EXPECT_EQ(before[0].data["mime"], "application/zip");  // from the name: the link's response is not seen

  bool progressed = false;
  for (const auto& update : recorder.Of("OnDownloadUpdated")) {
    EXPECT_TRUE(update.data["onUi"]);
    EXPECT_EQ(update.data["id"], before[0].data["id"]);
    if (update.data["inProgress"] && update.data["received"] > 0 && update.data["received"] < data.size()) {
      progressed = true;
      EXPECT_EQ(update.data["path"], InFolder("saved.bin"));
      EXPECT_GE(update.data["percent"], 0);
      EXPECT_LT(update.data["percent"], 100);
    }
  }
  EXPECT_TRUE(progressed);
  EXPECT_TRUE(end["complete"]);
  EXPECT_FALSE(end["canceled"]);
  EXPECT_EQ(end["received"], data.size());
  EXPECT_EQ(end["total"], data.size());
  EXPECT_EQ(end["percent"], 100);
  EXPECT_GE(end["end"], end["start"]);
  EXPECT_GT(end["start"], 0);
  EXPECT_EQ(ReadAll(InFolder("saved.bin")), data);
  EXPECT_EQ(FolderFiles(), QStringList({"saved.bin"}));
}

TEST_F(DownloadTest, AttachmentAfterARedirectKeepsItsResponse) {
  server.Route("/redirect", {302, "text/plain", "", 0, "Location: /attachment\r\n"});
  const QByteArray data = Pattern(50000);
  server.Route("/attachment", {200, "application/x-game", data, 0,
                               "Content-Disposition: attachment; filename=\"game.bin\"\r\nETag: \"v7\"\r\n"});
  const std::string defaultPath = QDir::temp().filePath("game.bin").toStdString();
  QFile::remove(QString::fromStdString(defaultPath));
  ContinueTo(std::string());  // the suggested name in the temporary folder
  OpenPage();
  Run("location.href = '/redirect'");

  const auto end = WaitForEnd();
  ASSERT_FALSE(end.is_null());
  EXPECT_TRUE(end["complete"]);
  EXPECT_EQ(end["path"], defaultPath);
  EXPECT_EQ(end["suggested"], "game.bin");
  EXPECT_EQ(end["mime"], "application/x-game");
  EXPECT_EQ(end["disposition"], "attachment; filename=\"game.bin\"");
  EXPECT_EQ(end["url"], server.Url("/attachment"));
  EXPECT_EQ(end["originalUrl"], server.Url("/redirect"));
  EXPECT_EQ(ReadAll(defaultPath), data);
  // The page stays as it was.
  EXPECT_EQ(browser->GetMainFrame()->GetURL().ToString(), server.Url("/page"));
  QFile::remove(QString::fromStdString(defaultPath));
}

TEST_F(DownloadTest, StartDownloadSavesWhatThePageWouldShow) {
  const QByteArray page = "<title>shown elsewhere</title><p>kept as a file</p>";
  server.Route("/doc.html", {200, "text/html; charset=utf-8", page});
  ContinueTo(InFolder("doc.html"));
  OpenPage();
  browser->GetHost()->StartDownload(server.Url("/doc.html"));

  const auto end = WaitForEnd();
  ASSERT_FALSE(end.is_null());
  EXPECT_TRUE(end["complete"]);
  EXPECT_EQ(end["mime"], "text/html");
  EXPECT_EQ(end["suggested"], "doc.html");
  EXPECT_EQ(end["originalUrl"], server.Url("/doc.html"));
  EXPECT_EQ(ReadAll(InFolder("doc.html")), page);
  EXPECT_EQ(browser->GetMainFrame()->GetURL().ToString(), server.Url("/page"));
  EXPECT_EQ(recorder.Count("OnLoadStart"), 1u);
}

TEST_F(DownloadTest, StartDownloadOfNothingIsRefusedWithALogLine) {
  LogCapture capture;
  ContinueTo(InFolder("never.bin"));
  OpenPage();
  browser->GetHost()->StartDownload("not a url");
  browser->GetHost()->StartDownload("data:text/plain,local");
  browser->GetHost()->StartDownload(server.Url("/missing"));
  EXPECT_TRUE(WaitUntil([&] { return !capture.Matching("server answered 404").empty(); }));
  EXPECT_EQ(capture.Matching("'not a url' is no URL").size(), 1u);
  EXPECT_EQ(capture.Matching("only http and https URLs are downloaded").size(), 1u);
  EXPECT_EQ(recorder.Count("OnBeforeDownload"), 0u);
  EXPECT_TRUE(FolderFiles().isEmpty());
}

TEST_F(DownloadTest, CancelFromAnUpdateLeavesNothing) {
  server.Route("/data", {200, "application/octet-stream", Pattern(2000000), 0, {}, 20000, 40});
  ContinueTo(InFolder("cancelled.bin"));
  std::atomic<bool> cancelled{false};
  downloading->handler->onUpdated = [&](CefRefPtr<CefDownloadItem> item, CefRefPtr<CefDownloadItemCallback> callback) {
    if (item->IsInProgress() && item->GetReceivedBytes() > 0 && !cancelled.exchange(true)) callback->Cancel();
  };
  OpenPage();
  Run("l.click()");

  const auto end = WaitForEnd();
  ASSERT_FALSE(end.is_null());
  EXPECT_TRUE(end["canceled"]);
  EXPECT_FALSE(end["complete"]);
  EXPECT_LT(end["received"], 2000000);
  EXPECT_GT(end["end"], 0);
  EXPECT_TRUE(FolderFiles().isEmpty()) << FolderFiles().join(", ").toStdString();
}

TEST_F(DownloadTest, PauseKeepsTheBytesAndResumeFetchesOnlyTheRest) {
  const QByteArray data = Pattern(1500000);
  server.Route("/data", {200, "application/octet-stream", data, 0, "ETag: \"same\"\r\n", 30000, 40, true});
  ContinueTo(InFolder("resumed.bin"));
  std::atomic<int> stage{0};
  std::atomic<long long> pausedAt{0};
  downloading->handler->onUpdated = [&](CefRefPtr<CefDownloadItem> item, CefRefPtr<CefDownloadItemCallback> callback) {
    if (!item->IsInProgress()) return;
    if (stage == 0 && item->GetReceivedBytes() >= 200000) {
      stage = 1;
      return callback->Pause();
    }
    if (stage == 1) {  // the first update after the pause is the paused download
      EXPECT_EQ(item->GetCurrentSpeed(), 0);
      pausedAt = item->GetReceivedBytes();
      stage = 2;
      callback->Resume();
    }
  };
  OpenPage();
  Run("l.click()");

  const auto end = WaitForEnd();
  ASSERT_FALSE(end.is_null());
  EXPECT_TRUE(end["complete"]);
  EXPECT_EQ(end["received"], data.size());
  EXPECT_EQ(ReadAll(InFolder("resumed.bin")), data);
  EXPECT_EQ(FolderFiles(), QStringList({"resumed.bin"}));
  const auto asked = server.RequestsFor("/data");
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0], "");
  EXPECT_GE(pausedAt.load(), 200000);
  EXPECT_EQ(asked[1].toStdString(), "bytes=" + std::to_string(pausedAt.load()) + "-");
}

TEST_F(DownloadTest, UnwritableFolderFailsAndLeavesNothing) {
  LogCapture capture;
  QFile blocker(folder.filePath("afile"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  server.Route("/data", {200, "application/octet-stream", Pattern(100000)});
  const std::vector<std::string> targets = {"/proc/self/download.bin", InFolder("afile/sub/download.bin")};
  std::atomic<size_t> next{0};
  downloading->handler->onBefore = [&](CefRefPtr<CefDownloadItem>, CefRefPtr<CefBeforeDownloadCallback> callback) {
    callback->Continue(targets[next++ % targets.size()], false);
  };
  OpenPage();
  Run("l.click()");
  ASSERT_FALSE(WaitForEnd(1).is_null());
  Run("l.click()");
  ASSERT_FALSE(WaitForEnd(2).is_null());

  for (size_t i = 1; i <= 2; ++i) {
    const auto end = WaitForEnd(i);
    EXPECT_FALSE(end["complete"]) << i;  // failed: neither complete nor cancelled, as CEF 89 reports it
    EXPECT_FALSE(end["canceled"]) << i;
    EXPECT_FALSE(end["inProgress"]) << i;
  }
  EXPECT_EQ(capture.Matching("cannot be saved as /proc/self/download.bin").size(), 1u);
  EXPECT_EQ(capture.Matching("cannot be saved as " + InFolder("afile/sub/download.bin")).size(), 1u);
  EXPECT_EQ(FolderFiles(), QStringList({"afile"}));
}

TEST_F(DownloadTest, HandlerThatDoesNotContinueCancelsIt) {
  LogCapture capture;
  server.Route("/data", {200, "application/octet-stream", Pattern(100000)});
  downloading->handler->onBefore = [](CefRefPtr<CefDownloadItem>, CefRefPtr<CefBeforeDownloadCallback>) {};
  OpenPage();
  Run("l.click()");

  const auto end = WaitForEnd();
  ASSERT_FALSE(end.is_null());
  EXPECT_TRUE(end["canceled"]);
  EXPECT_EQ(end["path"], "");
  EXPECT_EQ(capture.Matching("cancelled: the download handler did not continue it").size(), 1u);
  EXPECT_EQ(recorder.Count("OnDownloadUpdated"), 1u);
}

TEST_F(DownloadTest, ClientWithoutAHandlerHasItCancelled) {
  LogCapture capture;
  client = new RecordingClient(&recorder);
  server.Route("/data", {200, "application/octet-stream", Pattern(1000)});
  OpenPage();
  Run("l.click()");
  EXPECT_TRUE(
      WaitUntil([&] { return !capture.Matching("cancelled: the browser's client has no download handler").empty(); }));
}

TEST_F(DownloadTest, SaveDialogPutsTheFileWhereChosen) {
  server.Route("/data", {200, "application/octet-stream", Pattern(70000)});
  ContinueTo(InFolder("proposed.bin"), true);
  OpenPage();
  Run("l.click()");
  auto* dialog = WaitForVisibleDialog<QFileDialog>();
  ASSERT_TRUE(dialog);
  EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
  EXPECT_EQ(dialog->selectedFiles().value(0).toStdString(), InFolder("proposed.bin"));
  // Typed as a person would (selectFile leaves a focused name field alone).
  auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
  ASSERT_TRUE(name);
  name->setText(QString::fromStdString(InFolder("chosen.bin")));
  QMetaObject::invokeMethod(dialog, "accept");
  const auto saved = WaitForEnd();
  ASSERT_FALSE(saved.is_null());
  EXPECT_TRUE(saved["complete"]);
  EXPECT_EQ(saved["path"], InFolder("chosen.bin"));
  EXPECT_EQ(ReadAll(InFolder("chosen.bin")), Pattern(70000));

  // Dismissed, the dialog cancels the download.
  Run("l.click()");
  dialog = WaitForVisibleDialog<QFileDialog>();
  ASSERT_TRUE(dialog);
  dialog->reject();
  const auto dismissed = WaitForEnd(2);
  ASSERT_FALSE(dismissed.is_null());
  EXPECT_TRUE(dismissed["canceled"]);
  EXPECT_EQ(FolderFiles(), QStringList({"chosen.bin"}));
}

TEST_F(DownloadTest, ClosingTheBrowserStopsItsDownloadAndLeavesNothing) {
  server.Route("/data", {200, "application/octet-stream", Pattern(2000000), 0, {}, 20000, 40});
  ContinueTo(InFolder("stopped.bin"));
  std::atomic<bool> running{false};
  downloading->handler->onUpdated = [&](CefRefPtr<CefDownloadItem> item, CefRefPtr<CefDownloadItemCallback>) {
    if (item->GetReceivedBytes() > 0) running = true;
  };
  OpenPage();
  Run("l.click()");
  ASSERT_TRUE(WaitUntil([&] { return running.load(); }));
  EXPECT_FALSE(FolderFiles().isEmpty());  // its place is taken
  browser->GetHost()->CloseBrowser(true);
  ASSERT_TRUE(recorder.WaitForKind("OnBeforeClose"));
  EXPECT_TRUE(WaitUntil([&] { return FolderFiles().isEmpty(); })) << FolderFiles().join(", ").toStdString();
  EXPECT_FALSE(QFile::exists(QString::fromStdString(InFolder("stopped.bin"))));
}

TEST_F(DownloadTest, BrowserOfItsOwnRequestContextDownloadsToo) {
  const QByteArray data = Pattern(40000);
  server.Route("/data", {200, "application/octet-stream", data});
  ContinueTo(InFolder("context.bin"));
  CefRefPtr<CefRequestContext> context = CefRequestContext::CreateContext(CefRequestContextSettings(), nullptr);
  ASSERT_TRUE(CefBrowserHost::CreateBrowser(CefWindowInfo(), client.get(), server.Url("/page"), CefBrowserSettings(),
                                            nullptr, context));
  ASSERT_TRUE(recorder.WaitForKind("OnAfterCreated"));
  browser = client->browser;
  ASSERT_TRUE(WaitForMainLoadEnd());
  EXPECT_TRUE(browser->GetHost()->GetRequestContext()->IsSame(context));
  Run("l.click()");
  const auto end = WaitForEnd();
  ASSERT_FALSE(end.is_null());
  EXPECT_TRUE(end["complete"]);
  EXPECT_EQ(ReadAll(InFolder("context.bin")), data);
}

}  // namespace
