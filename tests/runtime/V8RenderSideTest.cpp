// What the render side makes in a page with real pages: functions, objects
// with an accessor or an interceptor, ArrayBuffers, stack traces and the
// details of exceptions. Built twice: render sub-processes, and the
// single-process switch.
#include <QCoreApplication>
#include <cstdlib>
#include <cstring>
#include <map>
#include <nlohmann/json.hpp>

#include "LogCapture.h"
#include "RuntimeEnvironment.h"
#include "TestApp.h"
#include "TestHttpServer.h"
#include "WaitUntil.h"
#include "include/cef_v8.h"
#include "testing_hooks.h"

namespace {

using Json = nlohmann::json;

CefRefPtr<CefProcessMessage> Message(const std::string& name, const std::string& text = std::string()) {
  auto message = CefProcessMessage::Create(name);
  message->GetArgumentList()->SetString(0, text);
  return message;
}

// Frees its buffer and tells the browser side: "released" with its tag.
class ReportingRelease : public CefV8ArrayBufferReleaseCallback {
 public:
  ReportingRelease(CefRefPtr<CefBrowser> browser, std::string tag) : browser_(browser), tag_(std::move(tag)) {}
  void ReleaseBuffer(void* buffer) override {
    std::free(buffer);
    CefRefPtr<CefFrame> main = browser_->GetMainFrame();
    if (main && main->IsValid()) main->SendProcessMessage(PID_BROWSER, Message("released", tag_));
  }

 private:
  CefRefPtr<CefBrowser> browser_;
  const std::string tag_;
  IMPLEMENT_REFCOUNTING(ReportingRelease);
};

CefRefPtr<CefV8Value> MakeBuffer(const void* bytes, size_t length, const std::string& tag) {
  void* copy = std::malloc(length ? length : 1);
  std::memcpy(copy, bytes, length);
  auto context = CefV8Context::GetCurrentContext();
  CefRefPtr<CefV8Value> made =
      CefV8Value::CreateArrayBuffer(copy, length, new ReportingRelease(context->GetBrowser(), tag));
  if (!made) std::free(copy);
  return made;
}

// `counter`'s accessor: `count` is kept here, `fixed` is read-only, `self` is
// the receiver, `broken` throws either way.
class CounterAccessor : public CefV8Accessor {
 public:
  bool Get(const CefString& name, const CefRefPtr<CefV8Value> object, CefRefPtr<CefV8Value>& retval,
           CefString& exception) override {
    if (name == "count") retval = CefV8Value::CreateInt(count_);
    if (name == "fixed") retval = CefV8Value::CreateInt(42);
    if (name == "self") retval = object;
    if (name == "broken") exception = "broken getter";
    return true;
  }
  bool Set(const CefString& name, const CefRefPtr<CefV8Value>, const CefRefPtr<CefV8Value> value,
           CefString& exception) override {
    if (name == "count") count_ = value->GetIntValue();
    if (name == "fixed") count_ = -1;  // never: the property is read-only
    if (name == "broken") exception = "broken setter";
    return true;
  }

 private:
  int count_ = 0;
  IMPLEMENT_REFCOUNTING(CounterAccessor);
};

// `store`'s interceptor: names starting "n_" and every index are kept here
// (unset indexes read as twice the index below 100), `boom` throws, other
// names are left to the object.
class StoreInterceptor : public CefV8Interceptor {
 public:
  bool Get(const CefString& name, const CefRefPtr<CefV8Value>, CefRefPtr<CefV8Value>& retval,
           CefString& exception) override {
    if (name == "boom") exception = "boom read";
    const auto it = named_.find(name.ToString());
    if (it != named_.end()) retval = it->second;
    return name.ToString().rfind("n_", 0) == 0 || name == "boom";
  }
  bool Get(int index, const CefRefPtr<CefV8Value>, CefRefPtr<CefV8Value>& retval, CefString&) override {
    const auto it = indexed_.find(index);
    if (it != indexed_.end()) retval = it->second;
    if (it == indexed_.end() && index < 100) retval = CefV8Value::CreateInt(index * 2);
    return true;
  }
  bool Set(const CefString& name, const CefRefPtr<CefV8Value>, const CefRefPtr<CefV8Value> value,
           CefString& exception) override {
    if (name == "boom") exception = "boom written";
    if (name.ToString().rfind("n_", 0) == 0) named_[name.ToString()] = value;
    return name.ToString().rfind("n_", 0) == 0 || name == "boom";
  }
  bool Set(int index, const CefRefPtr<CefV8Value>, const CefRefPtr<CefV8Value> value, CefString&) override {
    indexed_[index] = value;
    return true;
  }

 private:
  std::map<std::string, CefRefPtr<CefV8Value>> named_;
  std::map<int, CefRefPtr<CefV8Value>> indexed_;
  IMPLEMENT_REFCOUNTING(StoreInterceptor);
};

std::string StackJson(int limit) {
  CefRefPtr<CefV8StackTrace> trace = CefV8StackTrace::GetCurrent(limit);
  if (!trace) return "null";
  Json frames = Json::array();
  for (int i = 0; i < trace->GetFrameCount(); ++i) {
    auto frame = trace->GetFrame(i);
    frames.push_back({{"script", frame->GetScriptName().ToString()},
                      {"source", frame->GetScriptNameOrSourceURL().ToString()},
                      {"name", frame->GetFunctionName().ToString()},
                      {"line", frame->GetLineNumber()},
                      {"column", frame->GetColumn()},
                      {"eval", frame->IsEval()},
                      {"constructor", frame->IsConstructor()}});
  }
  return frames.dump();
}

std::string EvalJson(CefRefPtr<CefV8Context> context, const std::string& code, const std::string& url, int line) {
  CefRefPtr<CefV8Value> value;
  CefRefPtr<CefV8Exception> error;
  if (context->Eval(code, url, line, value, error)) return Json{{"value", value->GetIntValue()}}.dump();
  return Json{{"message", error->GetMessage().ToString()},
              {"source", error->GetSourceLine().ToString()},
              {"resource", error->GetScriptResourceName().ToString()},
              {"line", error->GetLineNumber()},
              {"positions", {error->GetStartPosition(), error->GetEndPosition()}},
              {"columns", {error->GetStartColumn(), error->GetEndColumn()}}}
      .dump();
}

// The render side of the tests. Every page gets `made` (a function made with
// CreateFunction), `counter`, `store` and `bytes` (256 bytes 0..255); `v8test`
// and `v8later` are an extension's functions. All run Execute's actions.
class V8TestRenderHandler : public CefRenderProcessHandler, public CefV8Handler {
 public:
  void OnWebKitInitialized() override {
    CefRegisterExtension("v8/made",
                         "var v8test, v8later;\n(function () {\n  native function test();\n"
                         "  native function later(); // async\n  v8test = test; v8later = later;\n})();",
                         this);
  }

  void OnContextCreated(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame, CefRefPtr<CefV8Context> context) override {
    if (!frame->IsMain()) return;
    CefRefPtr<CefV8Value> window = context->GetGlobal();
    made_ = CefV8Value::CreateFunction("made", this);
    window->SetValue("made", made_, V8_PROPERTY_ATTRIBUTE_NONE);
    CefRefPtr<CefV8Value> counter = CefV8Value::CreateObject(new CounterAccessor(), nullptr);
    counter->SetValue("count", V8_ACCESS_CONTROL_DEFAULT, V8_PROPERTY_ATTRIBUTE_NONE);
    counter->SetValue("fixed", V8_ACCESS_CONTROL_DEFAULT, V8_PROPERTY_ATTRIBUTE_READONLY);
    counter->SetValue("self", V8_ACCESS_CONTROL_DEFAULT, V8_PROPERTY_ATTRIBUTE_DONTENUM);
    counter->SetValue("broken", V8_ACCESS_CONTROL_DEFAULT, V8_PROPERTY_ATTRIBUTE_NONE);
    window->SetValue("counter", counter, V8_PROPERTY_ATTRIBUTE_NONE);
    window->SetValue("store", CefV8Value::CreateObject(nullptr, new StoreInterceptor()), V8_PROPERTY_ATTRIBUTE_NONE);
    unsigned char bytes[256];
    for (int i = 0; i < 256; ++i) bytes[i] = static_cast<unsigned char>(i);
    window->SetValue("bytes", MakeBuffer(bytes, sizeof bytes, "context"), V8_PROPERTY_ATTRIBUTE_NONE);
  }

  bool OnProcessMessageReceived(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame, CefProcessId,
                                CefRefPtr<CefProcessMessage> message) override {
    auto args = message->GetArgumentList();
    if (message->GetName() == "eval") {
      frame->SendProcessMessage(PID_BROWSER, Message("evaled", EvalJson(frame->GetV8Context(), args->GetString(0),
                                                                        args->GetString(1), args->GetInt(2))));
      return true;
    }
    if (message->GetName() == "afterRelease") {
      frame->SendProcessMessage(PID_BROWSER, Message("after", AfterRelease()));
      return true;
    }
    return false;
  }

  bool Execute(const CefString& name, CefRefPtr<CefV8Value> object, const CefV8ValueList& arguments,
               CefRefPtr<CefV8Value>& retval, CefString& exception) override {
    const std::string action = arguments.empty() ? std::string() : arguments[0]->GetStringValue().ToString();
    CefRefPtr<CefV8Value> first = arguments.size() > 1 ? arguments[1] : CefV8Value::CreateUndefined();
    CefRefPtr<CefV8Context> context = CefV8Context::GetCurrentContext();
    if (action == "args") {
      std::string text = name.ToString() + "|" + (object->IsSame(context->GetGlobal()) ? "global" : "other");
      for (size_t i = 1; i < arguments.size(); ++i) text += "|" + Text(arguments[i]);
      retval = CefV8Value::CreateString(text);
    } else if (action == "this") {
      object->SetValue("seen", CefV8Value::CreateString("by " + name.ToString()), V8_PROPERTY_ATTRIBUTE_NONE);
    } else if (action == "throw") {
      exception = "thrown by " + name.ToString();
    } else if (action == "unhandled") {
      return false;
    } else if (action == "make") {
      retval = CefV8Value::CreateFunction("inner", this);
    } else if (action == "sameAsMade") {
      retval = CefV8Value::CreateBool(first->IsSame(made_));
    } else if (action == "handlerOf") {
      retval = CefV8Value::CreateString(std::string(first->GetFunctionHandler().get() == this ? "this" : "none") + ":" +
                                        first->GetFunctionName().ToString());
    } else if (action == "stack") {
      retval = CefV8Value::CreateString(StackJson(first->GetIntValue()));
    } else if (action == "echo") {
      retval = first;
    } else if (action == "readBuffer") {
      retval = CefV8Value::CreateString(ReadBuffer(first));
    } else if (action == "copyBuffer") {
      retval = MakeBuffer(first->GetArrayBufferData(), first->GetArrayBufferByteLength(), "copy");
    } else if (action == "makeBuffer") {
      const unsigned char four[] = {1, 2, 3, 4};
      retval = MakeBuffer(four, sizeof four, first->GetStringValue());
    } else if (action == "neuter") {
      const bool neutered = first->NeuterArrayBuffer();
      retval = CefV8Value::CreateString(std::string(neutered ? "neutered" : "kept") + "," +
                                        (first->GetArrayBufferReleaseCallback() ? "callback" : "no callback"));
    } else if (action == "releaseOf") {
      retval = CefV8Value::CreateBool(first->GetArrayBufferReleaseCallback() != nullptr);
    } else if (action == "tooBig") {
      LogCapture log;
      const size_t length = (size_t{64} << 20) + 1;
      void* buffer = std::malloc(length);
      CefRefPtr<CefV8Value> made =
          CefV8Value::CreateArrayBuffer(buffer, length, new ReportingRelease(context->GetBrowser(), "big"));
      if (!made) std::free(buffer);
      retval = CefV8Value::CreateBool(!made && !log.Matching("over the 64 MB limit").empty());
    } else if (action == "accessorOnPlain") {
      CefRefPtr<CefV8Value> plain = CefV8Value::CreateObject(nullptr, nullptr);
      retval = CefV8Value::CreateBool(plain->SetValue("x", V8_ACCESS_CONTROL_DEFAULT, V8_PROPERTY_ATTRIBUTE_NONE) ||
                                      first->SetValue("x", V8_ACCESS_CONTROL_DEFAULT, V8_PROPERTY_ATTRIBUTE_NONE));
    } else if (action == "eval" && arguments.size() > 3) {
      retval = CefV8Value::CreateString(
          EvalJson(context, first->GetStringValue(), arguments[2]->GetStringValue(), arguments[3]->GetIntValue()));
    } else if (action == "keep") {
      kept_ = {arguments.begin() + 1, arguments.end()};
      keptContext_ = context;
      context->GetFrame()->SendProcessMessage(PID_BROWSER, Message("kept"));
    } else {
      exception = "unknown action " + action;
    }
    return true;
  }

 private:
  static std::string Text(CefRefPtr<CefV8Value> value) {
    if (value->IsNull()) return "null";
    if (value->IsBool()) return value->GetBoolValue() ? "true" : "false";
    return value->IsString() ? value->GetStringValue().ToString() : std::to_string(value->GetIntValue());
  }

  static std::string ReadBuffer(CefRefPtr<CefV8Value> buffer) {
    if (!buffer->IsArrayBuffer() || !buffer->IsObject()) return "not a buffer";
    LogCapture log;
    const auto* data = static_cast<const unsigned char*>(buffer->GetArrayBufferData());
    const size_t length = buffer->GetArrayBufferByteLength();
    if (!data) {
      return "unreadable:" + std::to_string(length) + ":" +
             (log.Matching("over the 64 MB limit").empty() ? "" : "logged");
    }
    return std::to_string(length) + ":" + std::to_string(data[0]) + "," + std::to_string(data[length - 1]);
  }

  // Everything kept by "keep" (made, counter, a page's buffer, bytes) once its context is gone.
  std::string AfterRelease() {
    Json after;
    after["valid"] = keptContext_->IsValid();
    after["entered"] = keptContext_->Enter();
    after["function"] = CefV8Value::CreateFunction("late", this) != nullptr;
    void* four = std::malloc(4);
    CefRefPtr<CefV8Value> late =
        CefV8Value::CreateArrayBuffer(four, 4, new ReportingRelease(keptContext_->GetBrowser(), "late"));
    if (!late) std::free(four);
    after["buffer"] = late != nullptr;
    after["object"] = CefV8Value::CreateObject(new CounterAccessor(), nullptr) != nullptr;
    after["stack"] = CefV8StackTrace::GetCurrent(5) != nullptr;
    if (after["entered"]) keptContext_->Exit();
    after["madeValid"] = kept_[0]->IsValid();
    after["call"] = kept_[0]->ExecuteFunction(nullptr, {}) != nullptr;
    after["set"] = kept_[1]->SetValue("x", CefV8Value::CreateInt(1), V8_PROPERTY_ATTRIBUTE_NONE);
    after["accessor"] = kept_[1]->SetValue("y", V8_ACCESS_CONTROL_DEFAULT, V8_PROPERTY_ATTRIBUTE_NONE);
    after["data"] = kept_[2]->GetArrayBufferData() != nullptr;
    after["neuter"] = kept_[3]->NeuterArrayBuffer();
    CefRefPtr<CefV8Value> value;
    CefRefPtr<CefV8Exception> error;
    after["eval"] = keptContext_->Eval("1", "", 0, value, error) ? "ran" : error->GetMessage().ToString();
    return after.dump();
  }

  CefRefPtr<CefV8Value> made_;  // `made` of the latest main frame's context
  CefV8ValueList kept_;
  CefRefPtr<CefV8Context> keptContext_;
  IMPLEMENT_REFCOUNTING(V8TestRenderHandler);
};

const bool g_factory = SetTestAppFactory([] { return CefRefPtr<CefApp>(new RenderHandlerApp<V8TestRenderHandler>()); });
const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new RuntimeEnvironment(MakeTestApp()));

// ArrayBuffers of 16 MB cross in pieces; a loaded machine takes seconds.
constexpr int kLargeTimeoutMs = 120000;

class V8RenderSideTest : public BrowserTest {
 protected:
  // The first argument of each process message called `name`, in arrival order.
  std::vector<std::string> Messages(const std::string& name) {
    std::vector<std::string> texts;
    for (const auto& event : recorder.Of("OnProcessMessageReceived")) {
      if (event.data["name"] == name) texts.push_back(event.data["args"][0]);
    }
    return texts;
  }
  bool WaitForMessage(const std::string& name, const std::string& text, int timeoutMs = 15000) {
    return recorder.WaitFor(
        [&] {
          for (const auto& each : Messages(name)) {
            if (each == text) return true;
          }
          return false;
        },
        timeoutMs);
  }
  size_t CountOf(const std::string& name, const std::string& text) {
    size_t count = 0;
    for (const auto& each : Messages(name)) count += each == text ? 1 : 0;
    return count;
  }
  // The console line that starts with `prefix`, without it; empty after a time-out.
  std::string ConsoleAfter(const std::string& prefix, int timeoutMs = 15000) {
    std::string found;
    recorder.WaitFor(
        [&] {
          for (const auto& event : recorder.Of("OnConsoleMessage")) {
            const std::string message = event.data["message"];
            if (message.rfind(prefix, 0) == 0) found = message.substr(prefix.size());
          }
          return !found.empty();
        },
        timeoutMs);
    return found;
  }

  TestHttpServer server;
};

TEST_F(V8RenderSideTest, CreatedFunctionsAnswerWithTheirThisArgumentsValuesAndErrors) {
  Create(
      DataUrl("<script>"
              "console.log('args:' + made('args', 1, 'two', true, null));"
              "const box = {method: made}; box.method('this'); console.log('this:' + box.seen);"
              "console.log('name:' + made.name + ',' + typeof made);"
              "try { made('throw'); } catch (e) { console.log('threw:' + (e instanceof Error) + ',' + e.message); }"
              "try { made('unhandled'); } catch (e) { console.log('unhandled:' + e.message); }"
              "const inner = made('make'); console.log('inner:' + inner('args', 5));"
              "console.log('handler:' + v8test('handlerOf', made) + '|' + v8test('handlerOf', () => 0));"
              "console.log('same:' + v8test('sameAsMade', made) + ',' + v8test('sameAsMade', inner));"
              "console.log('constructed:' + (typeof new made('args')));"
              "</script>"));
  EXPECT_TRUE(WaitForConsole("args:made|global|1|two|true|null"));
  EXPECT_TRUE(WaitForConsole("this:by made"));
  EXPECT_TRUE(WaitForConsole("name:made,function"));
  EXPECT_TRUE(WaitForConsole("threw:true,thrown by made"));
  EXPECT_TRUE(WaitForConsole("unhandled:native function made is not handled"));
  EXPECT_TRUE(WaitForConsole("inner:inner|global|5"));
  EXPECT_TRUE(WaitForConsole("handler:this:made|none:"));
  EXPECT_TRUE(WaitForConsole("same:true,false"));
  EXPECT_TRUE(WaitForConsole("constructed:object"));
}

TEST_F(V8RenderSideTest, AccessorPropertiesAndInterceptorsAnswerThePage) {
  Create(DataUrl(
      "<script>"
      "counter.count = 5; counter.count = counter.count + 1; console.log('count:' + counter.count);"
      "counter.fixed = 9; console.log('fixed:' + counter.fixed + ',' + counter.count);"
      "try { counter.broken; } catch (e) { console.log('get threw:' + e.message); }"
      "try { counter.broken = 1; } catch (e) { console.log('set threw:' + e.message); }"
      "const child = Object.create(counter);"
      "console.log('self:' + (counter.self === counter) + ',' + (child.self === child));"
      "console.log('keys:' + Object.keys(counter).join());"
      "console.log('plain refused:' + !v8test('accessorOnPlain', {}));"
      "store.n_a = 'x'; store.plain = 1;"
      "console.log('named:' + store.n_a + ',' + store.n_missing + ',' + store.plain + ',' + Object.keys(store));"
      "store[3] = 'three'; console.log('indexed:' + store[7] + ',' + store[3] + ',' + store[200]);"
      "try { store.boom; } catch (e) { console.log('read threw:' + e.message); }"
      "try { store.boom = 1; } catch (e) { console.log('write threw:' + e.message); }"
      "</script>"));
  EXPECT_TRUE(WaitForConsole("count:6"));
  EXPECT_TRUE(WaitForConsole("fixed:42,6"));
  EXPECT_TRUE(WaitForConsole("get threw:broken getter"));
  EXPECT_TRUE(WaitForConsole("set threw:broken setter"));
  EXPECT_TRUE(WaitForConsole("self:true,true"));
  EXPECT_TRUE(WaitForConsole("keys:count,fixed,broken"));
  EXPECT_TRUE(WaitForConsole("plain refused:true"));
  EXPECT_TRUE(WaitForConsole("named:x,undefined,1,plain"));
  EXPECT_TRUE(WaitForConsole("indexed:14,three,undefined"));
  EXPECT_TRUE(WaitForConsole("read threw:boom read"));
  EXPECT_TRUE(WaitForConsole("write threw:boom written"));
}

TEST_F(V8RenderSideTest, ArrayBuffersCarryTheirBytesBothWays) {
  Create(DataUrl(
      "<script>"
      "const u = new Uint8Array(bytes);"
      "console.log('made:' + (bytes instanceof ArrayBuffer) + ',' + u.length + ',' + u[1] + ',' + u[255]);"
      "console.log('read:' + v8test('readBuffer', new Uint8Array([9, 8, 7]).buffer));"
      "console.log('same:' + (v8test('echo', bytes) === bytes));"
      "console.log('callbacks:' + v8test('releaseOf', bytes) + ',' + v8test('releaseOf', new ArrayBuffer(2)));"
      "console.log('too big:' + v8test('tooBig') + ',' + v8test('readBuffer', new ArrayBuffer((64 << 20) + 1)));"
      "const big = new Uint8Array(16 << 20);"
      "for (let i = 0; i < big.length; ++i) big[i] = (i * 31 + (i >> 13)) & 255;"
      "const copy = new Uint8Array(v8test('copyBuffer', big.buffer));"
      "console.log('copied:' + copy.length + ',' + copy.every((b, i) => b === big[i]));"
      "</script>"));
  EXPECT_TRUE(WaitForConsole("made:true,256,1,255"));
  EXPECT_TRUE(WaitForConsole("read:3:9,7"));
  EXPECT_TRUE(WaitForConsole("same:true"));
  EXPECT_TRUE(WaitForConsole("callbacks:true,false"));
  EXPECT_TRUE(WaitForConsole("too big:true,unreadable:67108865:logged"));
  EXPECT_TRUE(WaitForConsole("copied:16777216,true", kLargeTimeoutMs));
}

// Each buffer is released once: when the page collected it, when it was
// neutered, or when its context went with a navigation.
TEST_F(V8RenderSideTest, ReleaseCallbacksAreToldOnceWhenCollectedNeuteredOrLeft) {
  Create(
      DataUrl("<script>"
              "console.log('dropped:' + new Uint8Array(v8test('makeBuffer', 'collected'))[3]);"
              "const kept = v8test('makeBuffer', 'neutered');"
              "console.log('neuter:' + v8test('neuter', kept) + ',' + kept.byteLength);"
              "</script>"));
  ASSERT_TRUE(WaitForConsole("dropped:4"));
  EXPECT_TRUE(WaitForConsole("neuter:neutered,no callback,0"));
  EXPECT_TRUE(WaitForMessage("released", "neutered"));
  // Collections until the page's finalizer has reported the dropped buffer.
  bool collected = false;
  for (int attempt = 0; attempt < 20 && !collected; ++attempt) {
    std::atomic<bool> done{false};
    cefcompat::CollectGarbageForTesting(browser, [&done] { done = true; });
    ASSERT_TRUE(WaitUntil([&] { return done.load(); }));
    collected = WaitForMessage("released", "collected", 1000);
  }
  EXPECT_TRUE(collected);
  EXPECT_EQ(CountOf("released", "context"), 0u);
  browser->GetMainFrame()->LoadURL(DataUrl("<script>v8test('keep', made)</script>"));
  ASSERT_TRUE(WaitForMessage("released", "context"));
  ASSERT_TRUE(WaitForMessage("kept", ""));
  // Whatever the old context still had to release came before the next document's first call.
  EXPECT_EQ(CountOf("released", "context"), 1u);
  EXPECT_EQ(CountOf("released", "collected"), 1u);
  EXPECT_EQ(CountOf("released", "neutered"), 1u);
}

TEST_F(V8RenderSideTest, StackTracesShowThePagesFramesBelowTheCall) {
  const std::string app =
      "function inner(limit) {\n"
      "  return made('stack', limit);\n"
      "}\n"
      "function Outer(limit) {\n"
      "  this.trace = inner(limit);\n"
      "}\n"
      "window.traceAll = () => new Outer(10).trace;\n"
      "window.traceEval = () => eval('inner(2)\\n//# sourceURL=evaled.js');\n";
  server.Route("/app.js", {200, "text/javascript", QByteArray::fromStdString(app), 0});
  server.Route("/stack", {200, "text/html",
                          "<script src='/app.js'></script><script>\n"
                          "console.log('all:' + traceAll());\n"
                          "console.log('one:' + inner(1));\n"
                          "console.log('eval:' + traceEval());\n"
                          "console.log('extension:' + v8test('stack', 1));\n"
                          "v8later('stack', 5).then((s) => console.log('later:' + s));\n"
                          "</script>",
                          0});
  Create(server.Url("/stack"));
  const std::string script = server.Url("/app.js");
  const Json all = Json::parse(ConsoleAfter("all:"), nullptr, false);
  ASSERT_TRUE(all.is_array() && all.size() == 4) << all.dump();
  EXPECT_EQ(all[0], Json({{"script", script},
                          {"source", script},
                          {"name", "inner"},
                          {"line", 2},
                          {"column", 10},
                          {"eval", false},
                          {"constructor", false}}));
  EXPECT_EQ(all[1]["name"], "Outer");
  EXPECT_EQ(all[1]["line"], 5);
  EXPECT_TRUE(all[1]["constructor"]);
  EXPECT_EQ(all[2]["line"], 7);
  EXPECT_EQ(all[3]["script"], server.Url("/stack"));
  EXPECT_EQ(all[3]["line"], 2);
  const Json one = Json::parse(ConsoleAfter("one:"), nullptr, false);
  ASSERT_TRUE(one.is_array() && one.size() == 1) << one.dump();
  EXPECT_EQ(one[0]["name"], "inner");
  const Json evaled = Json::parse(ConsoleAfter("eval:"), nullptr, false);
  ASSERT_TRUE(evaled.is_array() && evaled.size() == 2) << evaled.dump();
  EXPECT_TRUE(evaled[1]["eval"]);
  EXPECT_EQ(evaled[1]["source"], "evaled.js");
  const Json extension = Json::parse(ConsoleAfter("extension:"), nullptr, false);
  ASSERT_TRUE(extension.is_array() && extension.size() == 1) << extension.dump();
  EXPECT_EQ(extension[0]["script"], server.Url("/stack"));
  EXPECT_EQ(extension[0]["line"], 5);
  // A call that answers later runs once the page has gone on: no frames.
  EXPECT_EQ(ConsoleAfter("later:"), "[]");
}

TEST_F(V8RenderSideTest, EvalGivesTheValueOrTheExceptionsDetails) {
  server.Route("/app.js", {200, "text/javascript", "function pageFn() {\n  return missing + 1;\n}\n", 0});
  server.Route("/eval", {200, "text/html",
                         "<script src='/app.js'></script><script>"
                         "console.log('in call:' + v8test('eval', 'var a = 1;\\nnope();', 'test://eval.js', 10));"
                         "console.log('syntax in call:' + v8test('eval', 'var x = ;', 'test://syntax.js', 3));"
                         "</script>",
                         0});
  Create(server.Url("/eval"));
  const Json inCall = Json::parse(ConsoleAfter("in call:"), nullptr, false);
  EXPECT_EQ(inCall, Json({{"message", "Uncaught ReferenceError: nope is not defined"},
                          {"source", "nope();"},
                          {"resource", "test://eval.js"},
                          {"line", 11},
                          {"positions", {11, 15}},
                          {"columns", {0, 4}}}));
  const Json syntaxInCall = Json::parse(ConsoleAfter("syntax in call:"), nullptr, false);
  EXPECT_EQ(syntaxInCall, Json({{"message", "Uncaught SyntaxError: Unexpected token ';'"},
                                {"source", "var x = ;"},
                                {"resource", "test://syntax.js"},
                                {"line", 3},
                                {"positions", {8, 9}},
                                {"columns", {8, 9}}}));
  // Outside a call: the page is not paused.
  const std::vector<std::tuple<std::string, std::string, int>> cases = {
      {"6 * 7", "", 0}, {"var x = ;", "test://syntax.js", 3}, {"pageFn()", "", 1}, {"throw 'plain'", "", 1}};
  for (const auto& [code, url, line] : cases) {
    auto message = CefProcessMessage::Create("eval");
    message->GetArgumentList()->SetString(0, code);
    message->GetArgumentList()->SetString(1, url);
    message->GetArgumentList()->SetInt(2, line);
    browser->GetMainFrame()->SendProcessMessage(PID_RENDERER, message);
  }
  ASSERT_TRUE(recorder.WaitFor([&] { return Messages("evaled").size() == cases.size(); }));
  const auto evaled = Messages("evaled");
  EXPECT_EQ(Json::parse(evaled[0]), Json({{"value", 42}}));
  const Json syntax = Json::parse(evaled[1]);
  EXPECT_EQ(syntax["message"], "Uncaught SyntaxError: Unexpected token ';'");
  EXPECT_EQ(syntax["resource"], "test://syntax.js");
  EXPECT_EQ(syntax["line"], 3);
  EXPECT_EQ(syntax["columns"], Json({8, 9}));
  const Json inPage = Json::parse(evaled[2]);
  EXPECT_EQ(inPage["message"], "Uncaught ReferenceError: missing is not defined");
  EXPECT_EQ(inPage["resource"], server.Url("/app.js"));
  EXPECT_EQ(inPage["line"], 2);
  EXPECT_EQ(inPage["source"], "  return missing + 1;");
  EXPECT_EQ(inPage["columns"], Json({2, 8}));  // V8 places the error at its statement
  EXPECT_EQ(Json::parse(evaled[3])["message"], "Uncaught plain");
}

TEST_F(V8RenderSideTest, WhatWasMadeFailsCleanlyOnceItsContextIsGone) {
  client->onMessage = [&](CefRefPtr<CefFrame>, CefRefPtr<CefProcessMessage> message) {
    if (message->GetName() == "kept") browser->GetMainFrame()->LoadURL(DataUrl("<p>next</p>"));
  };
  Create(DataUrl("<script>v8test('keep', made, counter, new ArrayBuffer(8), bytes)</script>"));
  ASSERT_TRUE(WaitForMessage("released", "context"));
  browser->GetMainFrame()->SendProcessMessage(PID_RENDERER, CefProcessMessage::Create("afterRelease"));
  ASSERT_TRUE(recorder.WaitFor([&] { return !Messages("after").empty(); }));
  EXPECT_EQ(Json::parse(Messages("after")[0]), Json({{"valid", false},
                                                     {"entered", false},
                                                     {"function", false},
                                                     {"buffer", false},
                                                     {"object", false},
                                                     {"stack", false},
                                                     {"madeValid", false},
                                                     {"call", false},
                                                     {"set", false},
                                                     {"accessor", false},
                                                     {"data", false},
                                                     {"neuter", false},
                                                     {"eval", "the context is gone"}}));
  // The refused buffer was never the runtime's to release.
  EXPECT_EQ(CountOf("released", "late"), 0u);
}

}  // namespace
