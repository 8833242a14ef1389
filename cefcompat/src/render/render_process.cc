#include "render/render_process.h"

#include <unistd.h>

#include "render/render_browser.h"

namespace cefcompat {

namespace {

RenderProcess* g_inProcess = nullptr;
std::mutex g_inProcessMutex;
CefRefPtr<CefApp>& App() {
  static CefRefPtr<CefApp> app;
  return app;
}

}  // namespace

RenderProcess::RenderProcess() = default;

void RenderProcess::SetApp(CefRefPtr<CefApp> app) { App() = app; }

RenderProcess* RenderProcess::InProcess() {
  std::lock_guard<std::mutex> lock(g_inProcessMutex);
  if (!g_inProcess) {
    Threads::StartRenderer();
    g_inProcess = new RenderProcess();
  }
  return g_inProcess;
}

void RenderProcess::ShutdownInProcess() {
  std::lock_guard<std::mutex> lock(g_inProcessMutex);
  delete g_inProcess;
  g_inProcess = nullptr;
}

bool RenderProcess::PostToRenderer(std::function<void()> task, int64_t delayMs) {
  return Threads::Post(TID_RENDERER, std::move(task), delayMs);
}

bool RenderProcess::OnRendererThread() { return Threads::CurrentlyOn(TID_RENDERER); }

void RenderProcess::Initialize() {
  if (initialized_) return;
  initialized_ = true;
  if (CefRefPtr<CefApp> app = App()) handler_ = app->GetRenderProcessHandler();
  if (handler_) handler_->OnWebKitInitialized();
}

void RenderProcess::AddLink(std::unique_ptr<Transport> link) {
  auto held = std::make_shared<std::unique_ptr<Transport>>(std::move(link));
  PostToRenderer([this, held] {
    Initialize();
    const int linkId = ++nextLink_;
    CefRefPtr<RenderBrowser> browser(
        new RenderBrowser(this, linkId, std::move(*held), [this](int id) { OnLinkClosed(id); }));
    browsers_[linkId] = browser;
    browser->Start();
  });
}

void RenderProcess::OnLinkClosed(int linkId) {
  browsers_.erase(linkId);
  std::lock_guard<std::mutex> lock(doneMutex_);
  anyClosed_ = true;
  done_.notify_all();
}

int RenderProcess::RunSubProcess(CefRefPtr<CefApp> app, int fd) {
  SetApp(app);
  Threads::StartRenderer();
  RenderProcess process;
  process.AddLink(std::make_unique<PipeTransport>(fd, dup(fd)));
  {
    // The launcher closing the link (or dying) ends this process.
    std::unique_lock<std::mutex> lock(process.doneMutex_);
    process.done_.wait(lock, [&] { return process.anyClosed_; });
  }
  Threads::Stop();
  return 0;
}

}  // namespace cefcompat
