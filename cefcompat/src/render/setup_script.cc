#include "render/setup_script.h"

#include "protocol/link.h"
#include "render/extension.h"

namespace cefcompat {

namespace {

// The most times a new document pauses at its start waiting to be set up (see SetupScriptSource).
constexpr int kStartPauses = 8;

// Installed first in every context: keeps page values by handle, turns a
// native call into a binding call followed by a pause in which the render
// side answers, and makes what the native side creates.
const char kPrelude[] = R"JS((() => {
  if (globalThis.__cefcompat) return;
  const bind = globalThis.__cefcompatNative;
  try { delete globalThis.__cefcompatNative; } catch (e) {}
  // Built-ins taken before any page script can replace them.
  const captureStack = Error.captureStackTrace;
  const tagOf = Object.prototype.toString;
  const bufferLength = Object.getOwnPropertyDescriptor(ArrayBuffer.prototype, 'byteLength').get;
  const transfer = ArrayBuffer.prototype.transfer;
  const fromBase64 = Uint8Array.fromBase64;
  const toBase64 = Uint8Array.prototype.toBase64;
  const globalEval = eval;
  const handles = new Map([[0, globalThis]]);
  let next = 1;
  const keep = (v) => { if (v === globalThis) return 0; const id = next++; handles.set(id, v); return id; };
  // Lone surrogates become U+FFFD, as a UTF-16 to UTF-8 conversion makes them:
  // the native side reads the call as JSON, which refuses them.
  const wellFormed = (s) => s.replace(/[\uD800-\uDBFF](?![\uDC00-\uDFFF])|(?<![\uD800-\uDBFF])[\uDC00-\uDFFF]/g, '\uFFFD');
  // What the native side made, by the id it gave: the native side hears when
  // the page has let one go.
  const made = new WeakMap();
  let gone = [];
  const collected = new FinalizationRegistry((id) => {
    if (gone.push(id) > 1) return;
    setTimeout(() => {
      const ids = gone;
      gone = [];
      if (typeof bind === 'function') bind(JSON.stringify({collected: ids}));
    });
  });
  const adopt = (id, v) => { handles.set(id, v); made.set(v, id); collected.register(v, id); };
  const lengthOf = (v) => {
    if (tagOf.call(v) !== '[object ArrayBuffer]') return -1;
    try { return bufferLength.call(v); } catch (e) { return -1; }
  };
  const nameOf = (f) => { try { return typeof f.name === 'string' ? wellFormed(f.name) : ''; } catch (e) { return ''; } };
  const describe = (v, deep) => {
    if (v === undefined) return {t: 'u'};
    if (v === null) return {t: 'n'};
    switch (typeof v) {
      case 'boolean': return {t: 'b', v};
      case 'number': return Number.isInteger(v) && v >= -2147483648 && v <= 2147483647 ? {t: 'i', v} : {t: 'd', v: Number.isFinite(v) ? v : null};
      case 'string': return {t: 's', v: wellFormed(v)};
      case 'function': return {t: 'f', h: keep(v), n: nameOf(v), m: made.get(v)};
      case 'object': {
        const length = lengthOf(v);
        if (length >= 0) return {t: 'ab', h: keep(v), n: length, m: made.get(v)};
        const d = {t: Array.isArray(v) ? 'a' : 'o', h: keep(v), p: {}, m: made.get(v)};
        if (!deep) return d;
        let keys = [];
        try { keys = Object.keys(v).slice(0, 64); } catch (e) {}
        for (const k of keys) {
          try { d.p[wellFormed(k)] = describe(v[k], false); } catch (e) {}
        }
        return d;
      }
      default: return {t: 'u'};
    }
  };
  const state = {result: null, started: false};
  // The answer of an interceptor that left the property to the object.
  const pass = {};
  // `on` names what the native side made that answers, `op` what is asked of it.
  const describeCall = (name, self, args, id, on, op) =>
    JSON.stringify({name, id, on, op, self: describe(self, false), args: Array.prototype.map.call(args, (a) => describe(a, true))});
  function call(name, self, args, on, op) {
    if (typeof bind !== 'function') throw new Error('native function ' + name + ' is not available');
    bind(describeCall(name, self, args, 0, on, op));
    debugger;  // the render side answers while the page is paused here
    const r = state.result;
    state.result = null;
    if (!r) throw new Error('native function ' + name + ' was not answered');
    if ('exception' in r) throw new Error(r.exception);
    return 'pass' in r ? pass : r.value;
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
  function makeFunction(id, name) {
    const f = function () { return call(name, this, arguments, id, 'fn'); };
    Object.defineProperty(f, 'name', {value: name});
    adopt(id, f);
  }
  // Property keys an interceptor is asked by index (CEF's int).
  const isIndex = (k) => /^(?:0|[1-9][0-9]{0,9})$/.test(k) && Number(k) <= 2147483647;
  // An object whose every string- or integer-keyed property is first asked of its interceptor.
  const intercepted = (id) => new Proxy({}, {
    get(target, key, receiver) {
      const r = typeof key === 'symbol' ? pass : call(key, receiver, [], id, isIndex(key) ? 'iget' : 'nget');
      return r === pass ? Reflect.get(target, key, receiver) : r;
    },
    set(target, key, value, receiver) {
      const r = typeof key === 'symbol' ? pass : call(key, receiver, [value], id, isIndex(key) ? 'iset' : 'nset');
      return r === pass ? Reflect.set(target, key, value, receiver) : true;
    },
  });
  const makeObject = (id, withInterceptor) => adopt(id, withInterceptor ? intercepted(id) : {});
  function accessor(h, key, id, readOnly, enumerable, configurable) {
    Object.defineProperty(handles.get(h), key, {
      get() { return call(key, this, [], id, 'get'); },
      set: readOnly ? undefined : function (v) { call(key, this, [v], id, 'set'); },
      enumerable, configurable,
    });
  }
  // An ArrayBuffer's bytes arrive in pieces, then it is made whole.
  const pieces = new Map();
  function bytes(id, text) {
    if (!pieces.has(id)) pieces.set(id, []);
    pieces.get(id).push(fromBase64(text));
  }
  function makeBuffer(id, length) {
    const whole = new Uint8Array(length);
    let at = 0;
    for (const piece of pieces.get(id) || []) { whole.set(piece, at); at += piece.length; }
    pieces.delete(id);
    adopt(id, whole.buffer);
  }
  const read = (h, offset, length) => toBase64.call(new Uint8Array(handles.get(h), offset, length));
  const neuter = (h) => { transfer.call(handles.get(h), 0); return true; };
  // Code run as a script of its own in the global scope, while the page waits paused elsewhere.
  const run = (code) => globalEval(code);
  // The frames below the pause in `call`, without this script's own.
  function stack(limit, own) {
    const before = Error.prepareStackTrace, beforeLimit = Error.stackTraceLimit, holder = {};
    let sites = [];
    try {
      Error.prepareStackTrace = (e, s) => s;
      Error.stackTraceLimit = limit + 8;
      captureStack(holder, call);
      sites = Array.isArray(holder.stack) ? holder.stack : [];
    } finally {
      Error.prepareStackTrace = before;
      Error.stackTraceLimit = beforeLimit;
    }
    let first = 0;
    while (first < sites.length && sites[first].getScriptNameOrSourceURL() === own) ++first;
    return sites.slice(first, first + limit).map((s) => ({
      script: wellFormed(String(s.getFileName() || '')), source: wellFormed(String(s.getScriptNameOrSourceURL() || '')),
      name: wellFormed(String(s.getFunctionName() || '')), line: s.getLineNumber() || 0, column: s.getColumnNumber() || 0,
      eval: s.isEval(), constructor: s.isConstructor(),
    }));
  }
  Object.defineProperty(globalThis, '__cefcompat', {value: Object.freeze({handles, state, call, post, settle,
    makeFunction, makeObject, accessor, bytes, makeBuffer, read, neuter, run, stack}), enumerable: false, configurable: false, writable: false});
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
