#include "render/setup_script.h"

#include "protocol/link.h"
#include "render/extension.h"

namespace cefcompat {

namespace {

// The most times a new document pauses at its start waiting to be set up (see SetupScriptSource).
constexpr int kStartPauses = 8;

// Installed first in every context: keeps page values by handle, and turns a
// native call into a binding call followed by a pause in which the render
// side answers.
const char kPrelude[] = R"JS((() => {
  if (globalThis.__cefcompat) return;
  const bind = globalThis.__cefcompatNative;
  try { delete globalThis.__cefcompatNative; } catch (e) {}
  const handles = new Map([[0, globalThis]]);
  let next = 1;
  const keep = (v) => { const id = next++; handles.set(id, v); return id; };
  // Lone surrogates become U+FFFD, as a UTF-16 to UTF-8 conversion makes them:
  // the native side reads the call as JSON, which refuses them.
  const wellFormed = (s) => s.replace(/[\uD800-\uDBFF](?![\uDC00-\uDFFF])|(?<![\uD800-\uDBFF])[\uDC00-\uDFFF]/g, '\uFFFD');
  const describe = (v, deep) => {
    if (v === undefined) return {t: 'u'};
    if (v === null) return {t: 'n'};
    switch (typeof v) {
      case 'boolean': return {t: 'b', v};
      case 'number': return Number.isInteger(v) && v >= -2147483648 && v <= 2147483647 ? {t: 'i', v} : {t: 'd', v: Number.isFinite(v) ? v : null};
      case 'string': return {t: 's', v: wellFormed(v)};
      case 'function': return {t: 'f', h: keep(v)};
      case 'object': {
        const d = {t: Array.isArray(v) ? 'a' : 'o', h: keep(v), p: {}};
        if (!deep) return d;
        let keys = [];
        try { keys = Object.keys(v).slice(0, 64); } catch (e) {}
        for (const k of keys) {
          try { const x = v[k]; d.p[wellFormed(k)] = typeof x === 'object' && x !== null ? {t: Array.isArray(x) ? 'a' : 'o', h: keep(x), p: {}} : describe(x, false); } catch (e) {}
        }
        return d;
      }
      default: return {t: 'u'};
    }
  };
  const state = {result: null, started: false};
  const describeCall = (name, self, args, id) =>
    JSON.stringify({name, id, self: describe(self, false), args: Array.prototype.map.call(args, (a) => describe(a, true))});
  function call(name, self, args) {
    if (typeof bind !== 'function') throw new Error('native function ' + name + ' is not available');
    bind(describeCall(name, self, args, 0));
    debugger;  // the render side answers while the page is paused here
    const r = state.result;
    state.result = null;
    if (!r) throw new Error('native function ' + name + ' was not answered');
    if ('exception' in r) throw new Error(r.exception);
    return r.value;
  }
  // A native function that answers later: the page goes on at once and the
  // Promise settles with the handler's outcome.
  const waiting = new Map();
  let nextCall = 1;
  function post(name, self, args) {
    if (typeof bind !== 'function') throw new Error('native function ' + name + ' is not available');
    const id = nextCall++;
    const promise = new Promise((resolve, reject) => waiting.set(id, {resolve, reject}));
    bind(describeCall(name, self, args, id));
    return promise;
  }
  function settle(id, r) {
    const w = waiting.get(id);
    if (!w) return;
    waiting.delete(id);
    if ('exception' in r) w.reject(new Error(r.exception));
    else w.resolve(r.value);
  }
  Object.defineProperty(globalThis, '__cefcompat', {value: Object.freeze({handles, state, call, post, settle}), enumerable: false, configurable: false, writable: false});
})();
)JS";

}  // namespace

std::string SetupScriptSource() {
  std::string source = kPrelude;
  for (const auto& extension : RegisteredExtensions()) {
    source += "try {\n" + extension.code + "\n} catch (e) { console.error('extension " + extension.name +
              " failed: ' + e); }\n";
  }
  // The document waits at its start until the render side has run
  // OnContextCreated, which sets state.started. Chromium holds the commands
  // sent to a page while it navigates and delivers them to the new document,
  // so a resume meant for a pause of the document left behind can end this
  // pause early: the document then pauses again. The bound lets a document go
  // on where `debugger;` does not pause (one made while another is paused).
  return source + "for (let pause = 0; pause < " + std::to_string(kStartPauses) +
         " && !__cefcompat.state.started; ++pause) debugger;\n//# sourceURL=" + kSetupScriptUrl;
}

}  // namespace cefcompat
