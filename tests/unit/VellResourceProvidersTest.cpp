// The handler's resource part without a browser: the add operations' checks
// in their order, and the report of failed responses.
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "CapturingFrame.h"
#include "LogCapture.h"
#include "TestFiles.h"
#include "core/VellHandler.h"
#include "core/VellSignalsWidget.h"

namespace {

class VellResourceProvidersTest : public ::testing::Test {
 protected:
  std::string AddArchive(const std::string& path, const std::string& url) {
    auto error = handler->AddArchiveResourceProvider(path, url, "", 0);
    return error ? error->errorMessage : "";
  }
  std::string AddDirectory(const std::string& path, const std::string& url) {
    auto error = handler->AddLocalDirectoryResourceProvider(path, url, 0);
    return error ? error->errorMessage : "";
  }

  QTemporaryDir dir;
  VellSignalsWidget signalsWidget;
  CefRefPtr<VellHandler> handler{new VellHandler(&signalsWidget)};
};

TEST_F(VellResourceProvidersTest, AddOperationsCheckTheirArgumentsInOrder) {
  const std::string zip = WriteZip(dir.filePath("site.zip"), {{"index.html", "<p>"}});
  const std::string capitalZip = WriteZip(dir.filePath("SITE.ZIP"), {{"index.html", "<p>"}});
  QDir(dir.path()).mkdir("folder.zip");
  const std::string prefix = "AddArchiveResourceProvider failed, ";
  EXPECT_EQ(AddArchive("", ""), prefix + "strArchivePath cannot be empty");
  EXPECT_EQ(AddArchive(dir.filePath("site.tar").toStdString(), ""),
            prefix + "strArchivePath file extension should be zip, strArchivePath = " + dir.filePath("site.tar").toStdString());
  const std::string missing = dir.filePath("missing.zip").toStdString();
  EXPECT_EQ(AddArchive(missing, "https://a.test/"), prefix + "strArchivePath is not exist, strArchivePath = " + missing);
  const std::string folder = dir.filePath("folder.zip").toStdString();
  EXPECT_EQ(AddArchive(folder, "https://a.test/"), prefix + "strArchivePath is not exist, strArchivePath = " + folder);
  EXPECT_EQ(AddArchive(zip, ""), prefix + "strUrl cannot be empty");
  for (const char* url : {"ftp://a.test/", "a.test/ui/", "https://launcher .test/", "https://"}) {
    EXPECT_EQ(AddArchive(zip, url), prefix + "strUrl is invalid, strUrl = " + url);
  }
  EXPECT_EQ(AddArchive(capitalZip, "HTTPS://A.TEST/UI/"), "");
  EXPECT_EQ(AddArchive(zip, "http://127.0.0.1:8080/ui"), "");

  const std::string dirPrefix = "AddLocalDirectoryResourceProvider failed, ";
  EXPECT_EQ(AddDirectory(dir.path().toStdString(), ""), dirPrefix + "strDirPath cannot be empty");
  EXPECT_EQ(AddDirectory("", "https://a.test/"), dirPrefix + "strDirPath cannot be empty");
  EXPECT_EQ(AddDirectory(dir.path().toStdString() + "/", "https://a.test/"), dirPrefix + "strDirPath should not end with '/'");
  EXPECT_EQ(AddDirectory(dir.path().toStdString() + "\\", "https://a.test/"), "");
}

TEST_F(VellResourceProvidersTest, FailedResponsesAreReportedWithSevenMembersAndOthersNot) {
  LogCapture log;
  CefRefPtr<CapturingFrame> frame(new CapturingFrame());
  CefRefPtr<CefRequest> request = CefRequest::Create();
  request->SetURL("https://a.test/missing.png");
  auto respond = [&](int status, cef_errorcode_t error) {
    CefRefPtr<CefResponse> response = CefResponse::Create();
    response->SetStatus(status);
    response->SetError(error);
    response->SetStatusText(status == 404 ? "Not Found" : "");
    EXPECT_FALSE(handler->OnResourceResponse(nullptr, frame, request, response));
  };
  for (int status : {200, 204, 304, 399}) respond(status, ERR_NONE);
  EXPECT_TRUE(log.Matching("OnResourceResponse").empty());

  respond(404, ERR_NONE);
  respond(0, ERR_CONNECTION_REFUSED);
  const auto lines = log.Matching("OnResourceResponse: Load resource error. ");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].type, QtWarningMsg);
  const auto report = nlohmann::json::parse(lines[0].text.substr(lines[0].text.find('{')));
  EXPECT_EQ(report, nlohmann::json({{"nBrowserId", -1},
                                    {"nFrameId", 1},
                                    {"strCurrentPageUrl", "https://launcher.test/"},
                                    {"strGetStatusText", "Not Found"},
                                    {"strRequestUrl", "https://a.test/missing.png"},
                                    {"nErrorCode", 0},
                                    {"nHttpStatus", 404}}));
  EXPECT_NE(lines[1].text.find("\"nErrorCode\":-102"), std::string::npos);
}

}  // namespace
