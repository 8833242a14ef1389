// Values nested in any way: references into containers, ownership moves and
// copies, CefValue, binary data, and process messages through the link's codec.
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>

#include "LogCapture.h"
#include "include/cef_process_message.h"
#include "protocol/link.h"

namespace {

CefRefPtr<CefBinaryValue> Bytes(const std::vector<uint8_t>& bytes) {
  return CefBinaryValue::Create(bytes.data(), bytes.size());
}

std::vector<uint8_t> BytesOf(CefRefPtr<CefBinaryValue> binary) {
  std::vector<uint8_t> bytes(binary->GetSize());
  binary->GetData(bytes.data(), bytes.size(), 0);
  return bytes;
}

TEST(CefNestedValuesTest, ChildrenReferToTheirContainersData) {
  CefRefPtr<CefDictionaryValue> root = CefDictionaryValue::Create();
  CefRefPtr<CefListValue> list = CefListValue::Create();
  list->SetInt(2, 7);  // grows the list with null slots
  EXPECT_EQ(list->GetSize(), 3u);
  EXPECT_EQ(list->GetType(0), VTYPE_NULL);
  EXPECT_FALSE(list->IsOwned());

  ASSERT_TRUE(root->SetList("list", list));
  EXPECT_FALSE(list->IsValid());  // moved into the dictionary
  CefRefPtr<CefListValue> inside = root->GetList("list");
  ASSERT_TRUE(inside);
  EXPECT_TRUE(inside->IsOwned());
  inside->SetDictionary(0, CefDictionaryValue::Create());
  inside->GetDictionary(0)->SetString("k", "v");
  EXPECT_EQ(root->GetList("list")->GetDictionary(0)->GetString("k").ToString(), "v");
  EXPECT_TRUE(inside->IsSame(root->GetList("list")));

  // An owned value set elsewhere is copied; both stay valid and apart.
  CefRefPtr<CefDictionaryValue> other = CefDictionaryValue::Create();
  ASSERT_TRUE(other->SetList("copy", inside));
  EXPECT_TRUE(inside->IsValid());
  EXPECT_TRUE(other->GetList("copy")->IsEqual(inside));
  EXPECT_FALSE(other->GetList("copy")->IsSame(inside));

  // A container set into itself is copied: the data stays a tree.
  ASSERT_TRUE(root->SetDictionary("self", root));
  EXPECT_TRUE(root->IsValid());
  EXPECT_EQ(root->GetDictionary("self")->GetSize(), 1u);

  CefDictionaryValue::KeyList keys;
  ASSERT_TRUE(root->GetKeys(keys));
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0].ToString(), "list");
  EXPECT_EQ(keys[1].ToString(), "self");

  ASSERT_TRUE(root->Remove("list"));
  EXPECT_FALSE(inside->IsValid());  // its data left the container
  EXPECT_FALSE(root->HasKey("list"));
  EXPECT_FALSE(root->Remove("list"));
  CefRefPtr<CefDictionaryValue> self = root->GetDictionary("self");
  ASSERT_TRUE(root->Clear());
  EXPECT_FALSE(self->IsValid());
  EXPECT_EQ(root->GetSize(), 0u);
}

TEST(CefNestedValuesTest, CopiesAreDeepAndCanLeaveEmptyChildrenOut) {
  CefRefPtr<CefDictionaryValue> root = CefDictionaryValue::Create();
  root->SetDictionary("empty", CefDictionaryValue::Create());
  root->SetList("list", CefListValue::Create());
  root->GetList("list")->SetDouble(0, 0.5);
  root->GetList("list")->SetList(1, CefListValue::Create());

  CefRefPtr<CefDictionaryValue> copy = root->Copy(false);
  EXPECT_TRUE(copy->IsEqual(root));
  EXPECT_FALSE(copy->IsOwned());
  copy->GetList("list")->SetDouble(0, 1.5);
  EXPECT_EQ(root->GetList("list")->GetDouble(0), 0.5);
  EXPECT_FALSE(copy->IsEqual(root));

  CefRefPtr<CefDictionaryValue> trimmed = root->Copy(true);
  EXPECT_FALSE(trimmed->HasKey("empty"));
  EXPECT_EQ(trimmed->GetList("list")->GetSize(), 2u);  // lists keep their slots

  CefRefPtr<CefListValue> lists = CefListValue::Create();
  lists->SetList(0, root->GetList("list"));
  EXPECT_TRUE(lists->Copy()->IsEqual(lists));
  EXPECT_TRUE(lists->Remove(0));
  EXPECT_FALSE(lists->Remove(0));
}

TEST(CefNestedValuesTest, CefValueHoldsEveryTypeAndSharesComplexData) {
  CefRefPtr<CefValue> value = CefValue::Create();
  EXPECT_EQ(value->GetType(), VTYPE_NULL);
  EXPECT_TRUE(value->SetDouble(2.25));
  EXPECT_EQ(value->GetDouble(), 2.25);
  EXPECT_TRUE(value->SetString("text"));
  EXPECT_EQ(value->GetString().ToString(), "text");
  EXPECT_EQ(value->GetInt(), 0);
  EXPECT_TRUE(value->SetBool(true));
  EXPECT_EQ(value->GetType(), VTYPE_BOOL);

  CefRefPtr<CefListValue> list = CefListValue::Create();
  list->SetList(0, CefListValue::Create());
  CefRefPtr<CefValue> slot = list->GetValue(0);
  EXPECT_EQ(slot->GetType(), VTYPE_LIST);
  EXPECT_TRUE(slot->IsOwned());
  slot->GetList()->SetInt(0, 5);  // reaches the list's own data
  EXPECT_EQ(list->GetList(0)->GetInt(0), 5);
  EXPECT_TRUE(slot->IsSame(list->GetValue(0)));

  CefRefPtr<CefValue> copy = slot->Copy();
  EXPECT_TRUE(copy->IsEqual(slot));
  EXPECT_FALSE(copy->IsSame(slot));
  EXPECT_FALSE(copy->IsOwned());

  // A dictionary held by a CefValue and then set into a list is the same data.
  CefRefPtr<CefValue> holder = CefValue::Create();
  holder->SetDictionary(CefDictionaryValue::Create());
  ASSERT_TRUE(list->SetValue(1, holder));
  holder->GetDictionary()->SetBool("seen", true);
  EXPECT_TRUE(list->GetDictionary(1)->GetBool("seen"));

  CefRefPtr<CefValue> simple = CefValue::Create();
  simple->SetInt(3);
  ASSERT_TRUE(list->SetValue(2, simple));
  simple->SetInt(4);
  EXPECT_EQ(list->GetInt(2), 3);  // simple values are copied
  EXPECT_FALSE(list->SetValue(3, nullptr));
}

TEST(CefNestedValuesTest, BinaryValuesCopyTheirBytes) {
  std::vector<uint8_t> source = {0, 1, 2, 255, 128};
  CefRefPtr<CefBinaryValue> binary = Bytes(source);
  source[0] = 9;
  EXPECT_EQ(binary->GetSize(), 5u);
  uint8_t part[3] = {};
  EXPECT_EQ(binary->GetData(part, sizeof(part), 3), 2u);
  EXPECT_EQ(part[0], 255);
  EXPECT_EQ(part[1], 128);
  EXPECT_EQ(binary->GetData(part, sizeof(part), 5), 0u);
  EXPECT_EQ(BytesOf(binary), (std::vector<uint8_t>{0, 1, 2, 255, 128}));
  EXPECT_TRUE(binary->Copy()->IsEqual(binary));
  EXPECT_FALSE(binary->Copy()->IsSame(binary));

  CefRefPtr<CefDictionaryValue> dictionary = CefDictionaryValue::Create();
  dictionary->SetBinary("b", binary);
  EXPECT_FALSE(binary->IsValid());
  EXPECT_TRUE(dictionary->GetBinary("b")->IsOwned());
  EXPECT_EQ(dictionary->GetValue("b")->GetBinary()->GetSize(), 5u);

  LogCapture log;
  EXPECT_FALSE(CefBinaryValue::Create(nullptr, 4));
  EXPECT_FALSE(dictionary->SetBinary("c", nullptr));
  EXPECT_EQ(log.Matching("CefBinaryValue::Create: no data").size(), 1u);
}

// Through the link's codec and back, as a received message.
CefRefPtr<CefProcessMessage> Crossed(CefRefPtr<CefProcessMessage> message) {
  cefcompat::Json link;
  if (!cefcompat::EncodeProcessMessage("frame", message, &link)) return nullptr;
  return cefcompat::DecodeProcessMessage(cefcompat::Json::parse(link.dump()));
}

TEST(CefNestedValuesTest, MessagesCrossTheLinkUnchangedAndArriveReadOnly) {
  CefRefPtr<CefProcessMessage> message = CefProcessMessage::Create("values");
  CefRefPtr<CefListValue> args = message->GetArgumentList();
  const double doubles[] = {0.1, -0.0, std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::max(),
                            std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
  for (size_t i = 0; i < std::size(doubles); ++i) args->SetDouble(i, doubles[i]);
  args->SetDouble(6, std::nan(""));
  std::vector<uint8_t> every(256);
  for (size_t i = 0; i < every.size(); ++i) every[i] = static_cast<uint8_t>(i);
  args->SetBinary(7, Bytes(every));
  args->SetInt(8, std::numeric_limits<int>::min());
  args->SetString(9, "ünïcødé \xF0\x9F\x8E\xAE");
  args->SetDictionary(10, CefDictionaryValue::Create());
  args->GetDictionary(10)->SetList("l", CefListValue::Create());
  args->GetDictionary(10)->GetList("l")->SetNull(1);

  CefRefPtr<CefProcessMessage> received = Crossed(message);
  ASSERT_TRUE(received);
  CefRefPtr<CefListValue> got = received->GetArgumentList();
  for (size_t i = 0; i < std::size(doubles); ++i) {
    const double crossed = got->GetDouble(i);
    EXPECT_EQ(std::memcmp(&doubles[i], &crossed, sizeof(double)), 0) << i;  // -0.0 keeps its sign
  }
  EXPECT_TRUE(std::isnan(got->GetDouble(6)));
  EXPECT_EQ(BytesOf(got->GetBinary(7)), every);
  EXPECT_EQ(got->GetInt(8), std::numeric_limits<int>::min());
  EXPECT_EQ(got->GetString(9).ToString(), "ünïcødé \xF0\x9F\x8E\xAE");
  EXPECT_EQ(got->GetDictionary(10)->GetList("l")->GetType(0), VTYPE_NULL);
  EXPECT_EQ(got->GetDictionary(10)->GetList("l")->GetSize(), 2u);

  EXPECT_TRUE(received->IsReadOnly());
  EXPECT_TRUE(got->GetDictionary(10)->IsReadOnly());
  LogCapture log;
  EXPECT_FALSE(got->SetInt(0, 1));
  EXPECT_FALSE(got->GetDictionary(10)->SetInt("x", 1));
  EXPECT_EQ(log.Matching("the value is read-only").size(), 2u);
  CefRefPtr<CefProcessMessage> writable = received->Copy();
  EXPECT_FALSE(writable->IsReadOnly());
  EXPECT_TRUE(writable->GetArgumentList()->SetInt(0, 1));
}

TEST(CefNestedValuesTest, MessagesOverTheLimitsAreRefusedWithAReason) {
  CefRefPtr<CefProcessMessage> deep = CefProcessMessage::Create("deep");
  CefRefPtr<CefListValue> level = deep->GetArgumentList();
  for (int i = 0; i < 64; ++i) {
    level->SetList(0, CefListValue::Create());
    level = level->GetList(0);
  }
  ASSERT_TRUE(Crossed(deep));  // 64 levels cross
  level->SetList(0, CefListValue::Create());
  LogCapture log;
  EXPECT_FALSE(Crossed(deep));
  EXPECT_EQ(log.Matching("process message 'deep' not sent: values nested deeper than 64 levels").size(), 1u);

  std::vector<uint8_t> big(50u * 1024u * 1024u, 0xAB);
  CefRefPtr<CefProcessMessage> large = CefProcessMessage::Create("large");
  large->GetArgumentList()->SetBinary(0, Bytes(big));
  EXPECT_FALSE(Crossed(large));
  EXPECT_EQ(log.Matching("process message 'large' not sent: its arguments take more than 64 MB").size(), 1u);

  // Malformed values from the other side read as null.
  auto odd = cefcompat::DecodeProcessMessage(cefcompat::Json::parse(
      R"({"name":"odd","args":[{"t":"x","v":"***"},{"t":"i","v":1e40},{"t":"o","v":[]},7]})"));
  ASSERT_EQ(odd->GetArgumentList()->GetSize(), 4u);
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(odd->GetArgumentList()->GetType(i), VTYPE_NULL) << i;
}

}  // namespace
