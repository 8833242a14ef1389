// Nested values and binary data in process messages, each way between the
// browser side and a real render side. Built twice: render sub-processes, and
// the single-process switch.
#include <cmath>
#include <mutex>

#include "LogCapture.h"
#include "RuntimeEnvironment.h"
#include "TestApp.h"
#include "include/cef_render_process_handler.h"

namespace {

constexpr size_t kLargeBinary = 24u * 1024u * 1024u;  // crosses
constexpr size_t kHugeBinary = 100u * 1024u * 1024u;  // over the limit: refused

CefRefPtr<CefBinaryValue> Pattern(size_t size) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>((i * 131) ^ (i >> 11));
  return CefBinaryValue::Create(bytes.data(), bytes.size());
}

// Every type, nested, with doubles whose every bit counts.
void FillArguments(CefRefPtr<CefListValue> args) {
  args->SetNull(0);
  args->SetBool(1, true);
  args->SetInt(2, -2147483647 - 1);
  args->SetDouble(3, 0.1 + 0.2);
  args->SetDouble(4, -0.0);
  args->SetDouble(5, 1e308 * 10);
  args->SetString(6, "gr\xC3\xBC\xC3\x9F \xF0\x9F\x8E\xAE");
  args->SetBinary(7, Pattern(kLargeBinary));
  CefRefPtr<CefDictionaryValue> dictionary = CefDictionaryValue::Create();
  dictionary->SetBinary("small", Pattern(3));
  dictionary->SetList("list", CefListValue::Create());
  CefRefPtr<CefListValue> level = dictionary->GetList("list");
  for (int depth = 0; depth < 20; ++depth) {
    level->SetDouble(0, 5e-324 * depth);
    level->SetList(1, CefListValue::Create());
    level = level->GetList(1);
  }
  level->SetDictionary(0, CefDictionaryValue::Create());
  args->SetDictionary(8, dictionary);
}

// Echoes messages back, argument by argument through CefValue, and on request
// sends a message over the limit followed by a small one.
class ValuesRenderHandler : public CefRenderProcessHandler {
 public:
  bool OnProcessMessageReceived(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame, CefProcessId,
                                CefRefPtr<CefProcessMessage> message) override {
    const std::string name = message->GetName().ToString();
    if (name == "echo") {
      CefRefPtr<CefProcessMessage> reply = CefProcessMessage::Create("echoed");
      CefRefPtr<CefListValue> args = message->GetArgumentList();
      for (size_t i = 0; i < args->GetSize(); ++i) reply->GetArgumentList()->SetValue(i, args->GetValue(i));
      reply->GetArgumentList()->SetBool(args->GetSize(), message->IsReadOnly() && args->IsReadOnly());
      frame->SendProcessMessage(PID_BROWSER, reply);
      return true;
    }
    if (name == "send-huge") {
      CefRefPtr<CefProcessMessage> huge = CefProcessMessage::Create("huge-back");
      huge->GetArgumentList()->SetBinary(0, Pattern(kHugeBinary));
      frame->SendProcessMessage(PID_BROWSER, huge);
      frame->SendProcessMessage(PID_BROWSER, CefProcessMessage::Create("after-huge"));
      return true;
    }
    return false;
  }

 private:
  IMPLEMENT_REFCOUNTING(ValuesRenderHandler);
};

const bool g_factory = SetTestAppFactory([] { return CefRefPtr<CefApp>(new RenderHandlerApp<ValuesRenderHandler>()); });
const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new RuntimeEnvironment(MakeTestApp()));

class ProcessMessageValuesTest : public BrowserTest {
 protected:
  void SetUp() override {
    client->onMessage = [this](CefRefPtr<CefFrame>, CefRefPtr<CefProcessMessage> message) {
      std::lock_guard<std::mutex> lock(mutex_);
      received_.push_back(message);
    };
    Create(DataUrl("<p>values</p>"));
    ASSERT_TRUE(WaitForMainLoadEnd());
  }

  CefRefPtr<CefProcessMessage> WaitForReceived(const std::string& name) {
    CefRefPtr<CefProcessMessage> found;
    recorder.WaitFor([&] {
      found = Received(name);
      return found != nullptr;
    }, 60000);
    return found;
  }

  CefRefPtr<CefProcessMessage> Received(const std::string& name) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& message : received_) {
      if (message->GetName() == name) return message;
    }
    return nullptr;
  }

 private:
  std::mutex mutex_;
  std::vector<CefRefPtr<CefProcessMessage>> received_;
};

TEST_F(ProcessMessageValuesTest, NestedValuesAndBinaryDataCrossEachWayUnchanged) {
  CefRefPtr<CefProcessMessage> sent = CefProcessMessage::Create("echo");
  FillArguments(sent->GetArgumentList());
  CefRefPtr<CefListValue> expected = sent->GetArgumentList()->Copy();
  browser->GetMainFrame()->SendProcessMessage(PID_RENDERER, sent);

  CefRefPtr<CefProcessMessage> echoed = WaitForReceived("echoed");
  ASSERT_TRUE(echoed);
  CefRefPtr<CefListValue> args = echoed->GetArgumentList();
  ASSERT_EQ(args->GetSize(), expected->GetSize() + 1);
  EXPECT_TRUE(args->GetBool(expected->GetSize())) << "the render side got a writable message";
  EXPECT_TRUE(echoed->IsReadOnly());
  EXPECT_TRUE(args->GetBinary(7)->IsEqual(expected->GetBinary(7)));
  EXPECT_EQ(args->GetDouble(3), 0.1 + 0.2);
  EXPECT_TRUE(std::signbit(args->GetDouble(4)));
  CefRefPtr<CefListValue> crossed = echoed->Copy()->GetArgumentList();
  crossed->SetSize(expected->GetSize());
  EXPECT_TRUE(crossed->IsEqual(expected));
}

TEST_F(ProcessMessageValuesTest, AHundredMegabyteBinaryIsRefusedEachWayAndLaterMessagesStillCross) {
  LogCapture log;
  CefRefPtr<CefProcessMessage> huge = CefProcessMessage::Create("echo");
  huge->GetArgumentList()->SetBinary(0, Pattern(kHugeBinary));
  browser->GetMainFrame()->SendProcessMessage(PID_RENDERER, huge);
  EXPECT_EQ(log.Matching("process message 'echo' not sent: its arguments take more than 64 MB").size(), 1u);

  browser->GetMainFrame()->SendProcessMessage(PID_RENDERER, CefProcessMessage::Create("send-huge"));
  ASSERT_TRUE(WaitForReceived("after-huge"));
  EXPECT_FALSE(Received("huge-back"));
  EXPECT_FALSE(Received("echoed"));
#ifdef VELL_TEST_SINGLE_PROCESS
  EXPECT_EQ(log.Matching("process message 'huge-back' not sent").size(), 1u);  // a sub-process logs on its own stderr
#endif
}

}  // namespace
