#include "browser/file_dialog_runner.h"

#include <atomic>
#include <sstream>

#include "base/log.h"
#include "base/task_thread.h"
#include "view/default_dialogs.h"

namespace cefcompat {

namespace {

// Answers one file chooser; later calls are ignored.
class FileCallback : public CefFileDialogCallback {
 public:
  FileCallback(CefRefPtr<CefBrowser> browser, FileDialogRunner* runner, int backendNodeId)
      : browser_(std::move(browser)), runner_(runner), backendNodeId_(backendNodeId) {}

  void Continue(int /*selected_accept_filter*/, const std::vector<CefString>& file_paths) override {
    if (answered_.exchange(true)) return;
    std::vector<std::string> paths;
    for (const auto& path : file_paths) paths.push_back(path.ToString());
    CefRefPtr<CefBrowser> browser = browser_;
    FileDialogRunner* runner = runner_;
    const int node = backendNodeId_;
    Threads::Post(TID_UI, [browser, runner, node, paths] { runner->Choose(node, paths); });
  }
  void Cancel() override { answered_ = true; }

 private:
  const CefRefPtr<CefBrowser> browser_;  // keeps the runner
  FileDialogRunner* const runner_;
  const int backendNodeId_;
  std::atomic<bool> answered_{false};
  IMPLEMENT_REFCOUNTING(FileCallback);
};

// The input's `accept` attribute as CEF's filters: ".png", "image/*".
std::vector<CefString> AcceptFilters(const std::string& accept) {
  std::vector<CefString> filters;
  std::stringstream items(accept);
  std::string item;
  while (std::getline(items, item, ',')) {
    const size_t first = item.find_first_not_of(" \t");
    if (first == std::string::npos) continue;
    filters.emplace_back(item.substr(first, item.find_last_not_of(" \t") - first + 1));
  }
  return filters;
}

}  // namespace

FileDialogRunner::FileDialogRunner(CefBrowser* browser, CefRefPtr<CefClient> client, PageSession& session)
    : browser_(browser), client_(std::move(client)), session_(session) {}

void FileDialogRunner::Install(PageSession& session) {
  session.On("Page.fileChooserOpened", [this](const Json& params) { OnOpened(params); });
  session.Send("Page.setInterceptFileChooserDialog", {{"enabled", true}});
}

// The input's accepted types are read from the element itself: the protocol
// names the input but not its filters.
void FileDialogRunner::OnOpened(const Json& params) {
  CefRefPtr<CefBrowser> keep(browser_);
  session_.Send("DOM.resolveNode", {{"backendNodeId", params.value("backendNodeId", 0)}},
                [this, keep, params](const Connection::Reply& node) {
                  const std::string objectId =
                      node.ok ? node.result.value("object", Json::object()).value("objectId", std::string()) : "";
                  if (objectId.empty()) return Ask(params, std::string());
                  session_.Send("Runtime.callFunctionOn",
                                {{"objectId", objectId},
                                 {"functionDeclaration", "function() { return String(this.accept || ''); }"},
                                 {"returnByValue", true}},
                                [this, keep, params](const Connection::Reply& accept) {
                                  const Json value = accept.ok ? accept.result.value("result", Json::object()) : Json();
                                  Ask(params, value.is_object() ? value.value("value", std::string()) : "");
                                });
                });
}

void FileDialogRunner::Ask(const Json& params, const std::string& accept) {
  if (!browser_->IsValid()) return;
  const int node = params.value("backendNodeId", 0);
  const bool multiple = params.value("mode", std::string()) == "selectMultiple";
  CefRefPtr<CefDialogHandler> handler = client_ ? client_->GetDialogHandler() : nullptr;
  CefRefPtr<CefFileDialogCallback> callback(new FileCallback(browser_, this, node));
  const std::vector<CefString> filters = AcceptFilters(accept);
  const cef_file_dialog_mode_t mode = multiple ? FILE_DIALOG_OPEN_MULTIPLE : FILE_DIALOG_OPEN;
  if (handler && handler->OnFileDialog(browser_, mode, CefString(), CefString(), filters, 0, callback)) return;
  DefaultDialogs::ShowFileDialog(browser_->GetHost()->GetWindowHandle(), multiple, filters, callback);
}

void FileDialogRunner::Choose(int backendNodeId, const std::vector<std::string>& paths) {
  if (paths.empty() || !browser_->IsValid()) return;
  session_.Send("DOM.setFileInputFiles", {{"files", paths}, {"backendNodeId", backendNodeId}},
                [](const Connection::Reply& reply) {
                  if (!reply.ok) Log(LOGSEVERITY_WARNING, "the chosen files did not reach the page: " + reply.error);
                });
}

}  // namespace cefcompat
