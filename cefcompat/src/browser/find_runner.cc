#include "browser/find_runner.h"

#include <cmath>

namespace cefcompat {

namespace {

// (text, matchCase, ordinal): finds `text` in the visible text of the page
// (across element boundaries), selects match number `ordinal` (from 1,
// wrapping either way) and scrolls to it.
constexpr char kFindScript[] = R"((text, matchCase, ordinal) => {
  const fold = (s) => (matchCase ? s : s.toLowerCase());
  const root = document.body || document.documentElement;
  if (!root || !text) return {count: 0, active: 0};
  const hidden = /^(SCRIPT|STYLE|NOSCRIPT|TEMPLATE|TITLE)$/;
  const walker = document.createTreeWalker(root, NodeFilter.SHOW_TEXT, {acceptNode(node) {
    const parent = node.parentElement;
    const shown = parent && !hidden.test(parent.tagName) && parent.getClientRects().length > 0;
    return shown ? NodeFilter.FILTER_ACCEPT : NodeFilter.FILTER_REJECT;
  }});
  const nodes = [];
  let all = '';
  for (let node = walker.nextNode(); node; node = walker.nextNode()) {
    nodes.push({node, start: all.length});
    all += node.data;
  }
  const haystack = fold(all);
  const needle = fold(text);
  const starts = [];
  for (let at = haystack.indexOf(needle); at >= 0; at = haystack.indexOf(needle, at + needle.length)) starts.push(at);
  const count = starts.length;
  if (!count) return {count: 0, active: 0};
  const active = (((ordinal - 1) % count) + count) % count + 1;
  const locate = (offset, isEnd) => {
    let found = nodes[0];
    for (const each of nodes) {
      if (isEnd ? each.start < offset : each.start <= offset) found = each;
    }
    return [found.node, offset - found.start];
  };
  const range = document.createRange();
  range.setStart(...locate(starts[active - 1], false));
  range.setEnd(...locate(starts[active - 1] + needle.length, true));
  const selection = getSelection();
  selection.removeAllRanges();
  selection.addRange(range);
  range.startContainer.parentElement.scrollIntoView({block: 'center', inline: 'nearest'});
  const rect = range.getBoundingClientRect();
  return {count, active, x: rect.x, y: rect.y, width: rect.width, height: rect.height};
})";

int Rounded(const Json& result, const char* name) { return static_cast<int>(std::lround(result.value(name, 0.0))); }

}  // namespace

FindRunner::FindRunner(CefBrowser* browser, CefRefPtr<CefClient> client, PageSession& session)
    : browser_(browser), client_(std::move(client)), session_(session) {}

void FindRunner::Find(int identifier, const std::string& text, bool forward, bool matchCase, bool findNext) {
  const bool sameSearch = findNext && text == text_ && matchCase == matchCase_ && active_ > 0;
  text_ = text;
  matchCase_ = matchCase;
  // A new search starts at the first match (going back: the last).
  const int ordinal = sameSearch ? active_ + (forward ? 1 : -1) : (forward ? 1 : 0);
  const std::string call = std::string("(") + kFindScript + ")(" + Json(text).dump() + ", " +
                           (matchCase ? "true" : "false") + ", " + std::to_string(ordinal) + ")";
  CefRefPtr<CefBrowser> keep(browser_);
  session_.Send("Runtime.evaluate", {{"expression", call}, {"returnByValue", true}},
                [this, keep, identifier](const Connection::Reply& reply) {
                  const Json result = reply.ok ? reply.result.value("result", Json::object()).value("value", Json::object())
                                               : Json::object();
                  Report(identifier, result);
                });
}

void FindRunner::Report(int identifier, const Json& result) {
  active_ = result.value("active", 0);
  if (!client_ || !browser_->IsValid()) return;
  auto handler = client_->GetFindHandler();
  if (!handler) return;
  const CefRect rect(Rounded(result, "x"), Rounded(result, "y"), Rounded(result, "width"), Rounded(result, "height"));
  handler->OnFindResult(browser_, identifier, result.value("count", 0), rect, active_, true);
}

void FindRunner::Stop(bool clearSelection) {
  text_.clear();
  active_ = 0;
  if (clearSelection) session_.Send("Runtime.evaluate", {{"expression", "getSelection().removeAllRanges()"}});
}

}  // namespace cefcompat
