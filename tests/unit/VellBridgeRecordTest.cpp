// The record that crosses between processes, the callback registry and the responder.
#include <gtest/gtest.h>

#include "LogCapture.h"
#include "include/cef_browser.h"
#include "v8_api/VellJsCallbackPayloadManager.h"
#include "v8_api/VellProcessMessage.h"
#include "v8_api/VellV8SdkApiResponser.h"

namespace {

class TestFrame : public CefFrame {
 public:
  TestFrame(int64 id, bool valid) : valid_(valid), id_(id) {}
  bool IsValid() override { return valid_; }
  bool IsMain() override { return true; }
  int64 GetIdentifier() override { return id_; }
  CefString GetName() override { return ""; }
  CefString GetURL() override { return "https://launcher.test/"; }
  CefRefPtr<CefFrame> GetParent() override { return nullptr; }
  CefRefPtr<CefBrowser> GetBrowser() override { return nullptr; }
  CefRefPtr<CefV8Context> GetV8Context() override { return nullptr; }
  void LoadURL(const CefString&) override {}
  void ExecuteJavaScript(const CefString& code, const CefString&, int) override { scripts.push_back(code.ToString()); }
  void SendProcessMessage(CefProcessId target, CefRefPtr<CefProcessMessage> message) override {
    sent.push_back({target, message});
  }
  std::vector<std::string> scripts;
  std::vector<std::pair<CefProcessId, CefRefPtr<CefProcessMessage>>> sent;
  bool valid_;

 private:
  int64 id_;
  IMPLEMENT_REFCOUNTING(TestFrame);
};

class TestContext : public CefV8Context {
 public:
  TestContext(CefRefPtr<CefFrame> frame, bool valid) : valid_(valid), frame_(frame) {}
  bool IsValid() override { return valid_; }
  CefRefPtr<CefBrowser> GetBrowser() override { return nullptr; }
  CefRefPtr<CefFrame> GetFrame() override { return frame_; }
  CefRefPtr<CefV8Value> GetGlobal() override { return nullptr; }
  bool Enter() override { return false; }
  bool Exit() override { return false; }
  bool IsSame(CefRefPtr<CefV8Context> that) override { return that.get() == this; }
  bool Eval(const CefString&, const CefString&, int, CefRefPtr<CefV8Value>&, CefRefPtr<CefV8Exception>&) override {
    return false;
  }
  bool valid_;

 private:
  CefRefPtr<CefFrame> frame_;
  IMPLEMENT_REFCOUNTING(TestContext);
};

CefRefPtr<CefV8Value> Function() { return new CefV8Value(CefV8Value::Kind::Function); }

TEST(VellProcessMessageTest, DefaultAndFilledRecordsSurviveTheWireBothWays) {
  CefRefPtr<CefProcessMessage> wire;
  VellProcessMessage::ConvertToArgumentList(VellProcessMessage(), wire);
  auto args = wire->GetArgumentList();
  ASSERT_EQ(args->GetSize(), 7u);
  EXPECT_EQ(wire->GetName().ToString(), "");
  EXPECT_EQ(args->GetInt(0), -1);
  EXPECT_EQ(args->GetType(4), VTYPE_BOOL);
  EXPECT_FALSE(args->GetBool(4));
  for (size_t i : {1u, 2u, 3u, 5u, 6u}) EXPECT_EQ(args->GetType(i), VTYPE_STRING) << i;

  VellProcessMessage record;
  record.SetMessageName("jssdk::accountModule:bindAccount");
  record.SetRequestId(7);
  record.SetErrorCode("#E");
  record.SetErrorMessage(QString("größe failed"));
  record.SetValue(R"({"a":1})");
  record.SetIsBroadcast(true);
  record.SetBroadcastJsCode("x()");
  record.SetResponseValue("{}");
  VellProcessMessage::ConvertToArgumentList(record, wire);
  VellProcessMessage back;
  back.InterpretNativeProcessMessage(wire);
  EXPECT_EQ(back.GetMessageName(), "jssdk::accountModule:bindAccount");
  EXPECT_EQ(back.GetRequestId(), 7);
  EXPECT_EQ(back.GetErrorCode(), "#E");
  EXPECT_EQ(back.GetErrorMessage(), "größe failed");
  EXPECT_EQ(back.GetValue(), R"({"a":1})");
  EXPECT_TRUE(back.IsBroadcast());
  EXPECT_EQ(back.GetBroadcastJsCode(), "x()");
  EXPECT_EQ(back.GetResponseValue(), "{}");
  EXPECT_EQ(back.GetSuccessCallback(), nullptr);
}

TEST(VellProcessMessageTest, Predicates) {
  VellProcessMessage record;
  EXPECT_FALSE(record.IsRequestIdValid());
  record.SetRequestId(0);
  EXPECT_TRUE(record.IsRequestIdValid());
  for (const char* name : {"jssdk:", "x jssdk::a"}) {
    record.SetMessageName(name);
    EXPECT_FALSE(record.IsMessageNameValid()) << name;
  }
  record.SetMessageName("jssdk::");
  EXPECT_TRUE(record.IsMessageNameValid());
  EXPECT_FALSE(record.IsValid());
  record.SetSuccessCallback(Function());
  record.SetErrorCallback(CefV8Value::CreateString("not a function"));
  EXPECT_FALSE(record.IsValid());
  record.SetErrorCallback(Function());
  EXPECT_TRUE(record.IsValid());
  EXPECT_EQ(record.GetHost(), "");
  CefRefPtr<CefV8Value> extra = CefV8Value::CreateObject(nullptr, nullptr);
  extra->SetValue("host", CefV8Value::CreateString("launcher.test:8080"), V8_PROPERTY_ATTRIBUTE_NONE);
  extra->SetValue("hostname", CefV8Value::CreateString("launcher.test"), V8_PROPERTY_ATTRIBUTE_NONE);
  record.SetExtra(extra);
  EXPECT_EQ(record.GetHost(), "launcher.test:8080");
  EXPECT_EQ(record.GetHostname(), "launcher.test");
}

struct CountModel {
  int n = 0;
};
void from_json(const nlohmann::json& json, CountModel& model) { json.at("n").get_to(model.n); }

TEST(VellProcessMessageTest, ParseValueRecordsTheFailureWhenAsked) {
  VellProcessMessage record;
  record.SetValue(R"({"n": 3})");
  std::shared_ptr<VellError> error;
  EXPECT_EQ(record.ParseValue<CountModel>(error, true).n, 3);
  EXPECT_EQ(error, nullptr);

  record.SetValue(R"({"m": 3})");
  record.ParseValue<CountModel>(error, false);
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(record.GetErrorCode(), "");
  error.reset();
  record.ParseValue<CountModel>(error, true);
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(record.GetErrorCode(), "#ParseValue2JsonError");
  EXPECT_EQ(record.GetErrorMessage(), error->GetErrorString());
}

TEST(VellProcessMessageTest, SendsThroughALiveFrameOnly) {
  VellProcessMessage record;
  record.SetMessageName("jssdk::basicModule:pingPong");
  CefRefPtr<TestFrame> live(new TestFrame(5, true));
  record.SendProcessMessage(PID_RENDERER, live.get());
  ASSERT_EQ(live->sent.size(), 1u);
  EXPECT_EQ(live->sent[0].first, PID_RENDERER);
  EXPECT_EQ(live->sent[0].second->GetName().ToString(), "jssdk::basicModule:pingPong");

  LogCapture capture;
  CefRefPtr<TestFrame> gone(new TestFrame(6, false));
  record.SendProcessMessage(PID_RENDERER, gone.get());
  record.SendProcessMessage(PID_RENDERER, nullptr);
  EXPECT_TRUE(gone->sent.empty());
  EXPECT_EQ(capture.Matching("Frame is destroyed. SendProcessMessage will stop").size(), 2u);
}

TEST(VellProcessMessageTest, BroadcastRunsInUsableFramesThenSettlesTheRequest) {
  CefRefPtr<TestFrame> first(new TestFrame(1, true)), gone(new TestFrame(2, false)), second(new TestFrame(3, true));
  auto* registry = VellJsCallbackPayloadManager::Instance();
  const int id = registry->CheckIn({Function(), Function(), new TestContext(first.get(), true)});
  VellProcessMessage record;
  record.SetIsBroadcast(true);
  record.SetBroadcastJsCode("window.notify()");
  record.SetRequestId(id);
  CefRefPtr<CefProcessMessage> wire;
  VellProcessMessage::ConvertToArgumentList(record, wire);
  EXPECT_TRUE(VellProcessMessage::HandleReceivedProcessMessage(wire, {first.get(), gone.get(), nullptr, second.get()}));
  EXPECT_EQ(first->scripts, std::vector<std::string>{"window.notify()"});
  EXPECT_TRUE(gone->scripts.empty());
  EXPECT_EQ(second->scripts, std::vector<std::string>{"window.notify()"});
  JsCallbackPayload payload;
  EXPECT_FALSE(registry->Checkout(id, payload));  // settled by the responder

  // The same record again, with no frames: no script runs, and a request it
  // does not name stays pending.
  const int other = registry->CheckIn({Function(), Function(), new TestContext(second.get(), true)});
  VellProcessMessage::HandleReceivedProcessMessage(wire, {});
  EXPECT_EQ(first->scripts.size(), 1u);
  EXPECT_EQ(second->scripts.size(), 1u);
  EXPECT_TRUE(registry->Checkout(other, payload));
}

TEST(VellJsCallbackPayloadManagerTest, IdsCheckoutOnceAndFrameRelease) {
  auto* registry = VellJsCallbackPayloadManager::Instance();
  EXPECT_EQ(registry->CheckIn({}), VellJsCallbackPayloadManager::KnSkipCallbackId);
  CefRefPtr<TestFrame> main(new TestFrame(100, true)), sub(new TestFrame(200, true));
  CefRefPtr<TestContext> mainContext(new TestContext(main.get(), true)), subContext(new TestContext(sub.get(), true));
  const int a = registry->CheckIn({Function(), Function(), mainContext.get()});
  const int b = registry->CheckIn({Function(), nullptr, subContext.get()});
  const int c = registry->CheckIn({nullptr, Function(), subContext.get()});
  EXPECT_GT(a, 0);
  EXPECT_EQ(b, a + 1);
  EXPECT_EQ(c, a + 2);

  JsCallbackPayload payload;
  EXPECT_FALSE(registry->Checkout(VellJsCallbackPayloadManager::KnSkipCallbackId, payload));
  registry->EraseByFrameId(200);  // only the sub-frame's entries go
  EXPECT_FALSE(registry->Checkout(b, payload));
  EXPECT_FALSE(registry->Checkout(c, payload));
  EXPECT_TRUE(registry->Checkout(a, payload));
  EXPECT_EQ(payload.context.get(), mainContext.get());
  EXPECT_FALSE(registry->Checkout(a, payload));

  // A payload whose context is already gone cannot be answered: it goes with the next release.
  const int orphan = registry->CheckIn({Function(), Function(), new TestContext(main.get(), false)});
  const int kept = registry->CheckIn({Function(), Function(), mainContext.get()});
  registry->EraseByFrameId(999);
  EXPECT_FALSE(registry->Checkout(orphan, payload));
  EXPECT_TRUE(registry->Checkout(kept, payload));
}

TEST(VellV8SdkApiResponserTest, AnswersOnlyPendingRequestsAndLogsDeadContexts) {
  VellProcessMessage answer;
  EXPECT_FALSE(VellV8SdkApiResponser::Response(answer));  // request id -1
  answer.SetRequestId(424242);
  EXPECT_FALSE(VellV8SdkApiResponser::Response(answer));  // nothing pending

  CefRefPtr<TestFrame> frame(new TestFrame(1, true));
  LogCapture capture;
  answer.SetRequestId(VellJsCallbackPayloadManager::Instance()->CheckIn({Function(), Function(), new TestContext(frame.get(), false)}));
  EXPECT_TRUE(VellV8SdkApiResponser::Response(answer));
  EXPECT_EQ(capture.Matching("InvokeSuccessJsCallback will stop due to cef context is in valid").size(), 1u);
  answer.SetRequestId(VellJsCallbackPayloadManager::Instance()->CheckIn({Function(), Function(), new TestContext(frame.get(), false)}));
  answer.SetErrorMessage(std::string("failed"));
  EXPECT_TRUE(VellV8SdkApiResponser::Response(answer));
  EXPECT_EQ(capture.Matching("InvokeErrorJsCallback will stop").size(), 1u);
}

}  // namespace
