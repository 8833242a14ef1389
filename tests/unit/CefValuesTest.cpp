#include <Qt>
#include <gtest/gtest.h>

#include "include/cef_command_line.h"
#include "include/cef_process_message.h"
#include "view/keys.h"
#include "network/net_errors.h"

namespace {

TEST(CefListValueTest, TypedSlotsAndCopies) {
  CefRefPtr<CefProcessMessage> message = CefProcessMessage::Create("jssdk::basicModule:pingPong");
  auto args = message->GetArgumentList();
  args->SetSize(7);
  EXPECT_EQ(args->GetType(0), VTYPE_NULL);
  args->SetString(0, "name");
  args->SetInt(1, 42);
  args->SetBool(2, true);
  args->SetDouble(3, 2.5);
  EXPECT_EQ(args->GetType(1), VTYPE_INT);
  EXPECT_EQ(args->GetType(7), VTYPE_INVALID);
  EXPECT_EQ(args->GetDouble(1), 42.0);  // an int reads as a double, as CEF does
  EXPECT_EQ(args->GetString(1).ToString(), "");
  auto copy = message->Copy();
  args->SetString(0, "changed");
  EXPECT_EQ(copy->GetArgumentList()->GetString(0).ToString(), "name");
  EXPECT_EQ(copy->GetName().ToString(), "jssdk::basicModule:pingPong");
  EXPECT_EQ(copy->GetArgumentList()->GetSize(), 7u);
}

TEST(CefCommandLineTest, ParsesAndRebuildsSwitches) {
  const char* argv[] = {"/opt/launcher", "--type=renderer", "--no-sandbox", "file.txt", "--user-agent=A B"};
  CefRefPtr<CefCommandLine> line = CefCommandLine::CreateCommandLine();
  line->InitFromArgv(5, argv);
  EXPECT_EQ(line->GetSwitchValue("type").ToString(), "renderer");
  EXPECT_TRUE(line->HasSwitch("no-sandbox"));
  EXPECT_EQ(line->GetSwitchValue("user-agent").ToString(), "A B");
  CefCommandLine::ArgumentList arguments;
  line->GetArguments(arguments);
  ASSERT_EQ(arguments.size(), 1u);
  line->AppendSwitchWithValue("type", "gpu-process");
  EXPECT_EQ(line->GetCommandLineString().ToString(),
            "/opt/launcher --type=gpu-process --no-sandbox --user-agent=A B file.txt");
}

TEST(KeysTest, QtKeysBecomeWindowsCodesAndProtocolEvents) {
  EXPECT_EQ(cefcompat::WindowsKeyCodeFromQtKey(Qt::Key_A), 0x41);
  EXPECT_EQ(cefcompat::WindowsKeyCodeFromQtKey(Qt::Key_F4), 0x73);
  EXPECT_EQ(cefcompat::WindowsKeyCodeFromQtKey(Qt::Key_Escape), 27);
  EXPECT_EQ(cefcompat::CefModifiersFromQt(Qt::AltModifier | Qt::ShiftModifier),
            static_cast<uint32>(EVENTFLAG_ALT_DOWN | EVENTFLAG_SHIFT_DOWN));
  CefKeyEvent event;
  event.windows_key_code = 0x73;
  event.modifiers = EVENTFLAG_ALT_DOWN;
  event.is_system_key = 1;
  const auto params = cefcompat::KeyEventToProtocol(event);
  EXPECT_EQ(params["type"], "rawKeyDown");
  EXPECT_EQ(params["key"], "F4");
  EXPECT_EQ(params["modifiers"], 1);
  // Never marked as a system key: Chromium would close itself on Alt+F4.
  EXPECT_FALSE(params.contains("isSystemKey"));
  EXPECT_FALSE(params.contains("nativeVirtualKeyCode"));
}

TEST(NetErrorsTest, NamesMapToChromiumCodes) {
  EXPECT_EQ(cefcompat::NetErrorFromText("net::ERR_CONNECTION_REFUSED"), ERR_CONNECTION_REFUSED);
  EXPECT_EQ(cefcompat::NetErrorFromText("net::ERR_FILE_NOT_FOUND"), ERR_FILE_NOT_FOUND);
  EXPECT_EQ(cefcompat::NetErrorFromText("net::ERR_SOMETHING_NEW"), ERR_FAILED);
}

}  // namespace
