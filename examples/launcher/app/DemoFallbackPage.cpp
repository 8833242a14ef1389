#include "app/DemoFallbackPage.h"

#include <QByteArray>

#include "host/DemoWindowActions.h"

namespace {

const char kStyle[] = R"CSS(
  html, body { margin: 0; height: 100%; background: #0d0f14; color: #e7e9f0;
    font: 15px/1.5 "Inter", "Noto Sans", "DejaVu Sans", sans-serif; }
  body { display: grid; grid-template-rows: 44px 1fr; }
  header { display: flex; align-items: center; padding: 0 8px 0 18px; background: #12151c;
    border-bottom: 1px solid #1f2430; font-weight: 600; letter-spacing: .02em; user-select: none; }
  header span { flex: 1; }
  header button { width: 40px; height: 30px; border: 0; border-radius: 6px; background: transparent;
    color: #9aa3b5; font-size: 16px; }
  header button:hover { background: #e5484d; color: white; }
  main { display: grid; place-items: center; padding: 32px; }
  section { max-width: 640px; padding: 36px 40px; border-radius: 18px; background: #151925;
    border: 1px solid #262c3b; box-shadow: 0 30px 80px rgba(0,0,0,.45); }
  .badge { display: inline-grid; place-items: center; width: 52px; height: 52px; border-radius: 14px;
    background: linear-gradient(135deg, #e5484d, #f59e0b); font-size: 26px; font-weight: 800; color: #fff; }
  h1 { margin: 20px 0 8px; font-size: 24px; }
  p { color: #a9b1c4; margin: 0 0 16px; }
  ul { margin: 0 0 24px; padding: 0; list-style: none; }
  li { padding: 12px 14px; margin-bottom: 8px; border-radius: 10px; background: #1c2130;
    border-left: 3px solid #e5484d; font-family: "DejaVu Sans Mono", monospace; font-size: 13px;
    color: #f1c4c5; word-break: break-word; }
  .actions button { padding: 10px 20px; border: 0; border-radius: 10px; font-weight: 600; font-size: 14px;
    background: #7c5cff; color: white; }
)CSS";

const char kScript[] = R"JS(
  const closeLauncher = () => window.vell.browserModule.browserWindowState({windowAction: CLOSE});
  document.getElementById('close').onclick = closeLauncher;
  document.getElementById('quit').onclick = closeLauncher;
  requestAnimationFrame(() => requestAnimationFrame(() =>
      window.vell.basicModule.emit({type: 'settled', page: 'fallback'})));
)JS";

}  // namespace

QString DemoFallbackPage::Url(const QStringList& problems) {
  return "data:text/html;charset=utf-8;base64," + QString::fromLatin1(_Html(problems).toUtf8().toBase64());
}

QString DemoFallbackPage::_Html(const QStringList& problems) {
  QString items;
  for (const QString& problem : problems) items += "<li>" + problem.toHtmlEscaped() + "</li>";
  const QString script = QString(kScript).replace("CLOSE", QString::number(DemoWindowActions::kClose));
  return QString(
             "<!doctype html><html lang=\"en\"><head><meta charset=\"utf-8\"><title>Vell demo launcher</title>"
             "<style>%1</style></head><body>"
             "<header><span>Vell · Demo launcher</span><button id=\"close\" title=\"Close\">✕</button></header>"
             "<main><section><div class=\"badge\">!</div>"
             "<h1>The launcher's pages cannot be shown</h1>"
             "<p>The launcher started, but what it needs to show its pages is missing or damaged:</p>"
             "<ul>%2</ul>"
             "<p>Rebuild the demo (<code>./scripts/build.sh</code>) or point it at the right files "
             "(<code>--pages</code>, <code>--data</code>), then start it again. Nothing you saved was changed.</p>"
             "<div class=\"actions\"><button id=\"quit\">Close the launcher</button></div>"
             "</section></main><script>%3</script></body></html>")
      .arg(kStyle, items, script);
}
