// Protocol messages with long strings (frames, bodies) parse as the JSON
// parser parses them.
#include <string>

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include "protocol/message_parsing.h"

namespace cefcompat {
namespace {

using Json = nlohmann::json;

std::string Long(char fill, size_t size = 100 * 1024) {
  std::string text(size, fill);
  for (size_t i = 0; i < size; i += 7) text[i] = 'Z';
  return text;
}

TEST(MessageParsingTest, LongStringsAnywhereComeBackWhereTheyWere) {
  const Json message = {
      {"method", "Page.screencastFrame"},
      {"params", {{"data", Long('A')}, {"metadata", {{"offsetTop", 0}}}, {"sessionId", 3}}},
      {"list", {Long('B'), "short", Json::array({Long('C', 64 * 1024)}), 12.5, nullptr}},
      {"escaped", Long('D') + "\"quoted\"\\ and \n a line"},
      {"sessionId", "S"}};
  const Json parsed = ParseProtocolMessage(message.dump());
  EXPECT_EQ(parsed, message);
  // Short messages, and one whose text holds the runtime's own stand-in.
  const Json small = {{"id", 1}, {"result", {{"value", "\"a\\b\""}}}};
  EXPECT_EQ(ParseProtocolMessage(small.dump()), small);
  const Json standIn = {{"a", std::string("\x01") + "cefcompat-long-string-0"}, {"b", Long('E')}};
  EXPECT_EQ(ParseProtocolMessage(standIn.dump()), standIn);
}

TEST(MessageParsingTest, WhatIsNotJsonIsDiscardedWithOrWithoutLongStrings) {
  const std::string body = Long('A');
  for (const std::string& text : {"{\"data\":\"" + body + "\"", "{\"data\":\"" + body, "{\"data\":\"" + body + "\"}}",
                                  std::string("{\"a\":") + "x" + body + "}", std::string("not json")}) {
    EXPECT_TRUE(ParseProtocolMessage(text).is_discarded()) << text.substr(0, 20);
  }
}

}  // namespace
}  // namespace cefcompat
