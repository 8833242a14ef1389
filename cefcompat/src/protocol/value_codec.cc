#include "protocol/value_codec.h"

#include <QByteArray>
#include <cmath>
#include <limits>

#include "base/base64.h"
#include "base/log.h"

namespace cefcompat {

namespace {

// Bytes a value costs besides its content, counted towards the limit.
constexpr size_t kItemOverhead = 16;

class Encoder {
 public:
  Json List(const ListNode& list, size_t depth) {
    Json items = Json::array();
    for (const auto& item : list.items) {
      if (!error.empty()) break;
      items.push_back(Item(item, depth));
    }
    return items;
  }

  std::string error;

 private:
  Json Item(const ValueItem& item, size_t depth) {
    Count(kItemOverhead);
    if (auto* b = std::get_if<bool>(&item)) return {{"t", "b"}, {"v", *b}};
    if (auto* i = std::get_if<int>(&item)) return {{"t", "i"}, {"v", *i}};
    if (auto* d = std::get_if<double>(&item)) return {{"t", "d"}, {"v", Double(*d)}};
    if (auto* s = std::get_if<CefString>(&item)) return String(*s);
    if (auto* binary = std::get_if<std::shared_ptr<BinaryNode>>(&item)) return Binary((*binary)->bytes);
    if (auto* dictionary = std::get_if<std::shared_ptr<DictionaryNode>>(&item)) return Dictionary(**dictionary, depth + 1);
    if (auto* list = std::get_if<std::shared_ptr<ListNode>>(&item)) return Nested(**list, depth + 1);
    return {{"t", "n"}};
  }

  static Json Double(double value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    return value;
  }

  Json String(const CefString& value) {
    std::string text = value.ToString();
    Count(text.size());
    return {{"t", "s"}, {"v", std::move(text)}};
  }

  Json Binary(const std::vector<uint8_t>& bytes) {
    if (!Count((bytes.size() + 2) / 3 * 4)) return nullptr;
    const QByteArray raw = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()));
    return {{"t", "x"}, {"v", raw.toBase64().toStdString()}};
  }

  Json Dictionary(const DictionaryNode& dictionary, size_t depth) {
    if (!Enter(depth)) return nullptr;
    Json members = Json::object();
    for (const auto& [key, value] : dictionary.items) {
      if (!error.empty()) break;
      Count(key.size());
      members[key] = Item(value, depth);
    }
    return {{"t", "o"}, {"v", std::move(members)}};
  }

  Json Nested(const ListNode& list, size_t depth) {
    if (!Enter(depth)) return nullptr;
    return {{"t", "l"}, {"v", List(list, depth)}};
  }

  bool Enter(size_t depth) {
    if (depth <= ValueCodec::kMaxDepth) return true;
    if (error.empty()) error = "values nested deeper than " + std::to_string(ValueCodec::kMaxDepth) + " levels";
    return false;
  }

  bool Count(size_t bytes) {
    total_ += bytes;
    if (total_ <= ValueCodec::kMaxEncodedBytes) return true;
    if (error.empty()) {
      error = "its arguments take more than " + std::to_string(ValueCodec::kMaxEncodedBytes / (1024 * 1024)) +
              " MB (binary data counted as base64)";
    }
    return false;
  }

  size_t total_ = 0;
};

class Decoder {
 public:
  std::shared_ptr<ListNode> List(const Json& items, size_t depth) {
    auto list = std::make_shared<ListNode>();
    if (!items.is_array()) return list;
    list->items.resize(items.size());
    for (size_t i = 0; i < items.size(); ++i) ValueItems::Place(list->items[i], Item(items[i], depth), list.get());
    return list;
  }

 private:
  ValueItem Item(const Json& item, size_t depth) {
    const auto type = item.is_object() ? item.find("t") : item.end();
    const auto found = item.is_object() ? item.find("v") : item.end();
    if (type == item.end() || !type->is_string() || found == item.end()) return std::monostate();
    const std::string kind = type->get<std::string>();
    const Json& value = *found;
    if (kind == "b" && value.is_boolean()) return value.get<bool>();
    if (kind == "i" && FitsInt(value)) return value.get<int>();
    if (kind == "d") return Double(value);
    if (kind == "s" && value.is_string()) return CefString(value.get<std::string>());
    if (kind == "x" && value.is_string()) return Binary(value.get<std::string>());
    if ((kind == "o" || kind == "l") && depth >= ValueCodec::kMaxDepth) return TooDeep();
    if (kind == "o" && value.is_object()) return Dictionary(value, depth + 1);
    if (kind == "l" && value.is_array()) return List(value, depth + 1);
    return std::monostate();
  }

  static bool FitsInt(const Json& value) {
    if (value.is_number_unsigned()) {
      return value.get<uint64_t>() <= static_cast<uint64_t>(std::numeric_limits<int>::max());
    }
    if (!value.is_number_integer()) return false;
    const int64_t number = value.get<int64_t>();
    return number >= std::numeric_limits<int>::min() && number <= std::numeric_limits<int>::max();
  }

  static ValueItem Double(const Json& value) {
    if (value.is_number()) return value.get<double>();
    const std::string text = value.is_string() ? value.get<std::string>() : std::string();
    if (text == "nan") return std::numeric_limits<double>::quiet_NaN();
    if (text == "inf") return std::numeric_limits<double>::infinity();
    if (text == "-inf") return -std::numeric_limits<double>::infinity();
    return std::monostate();
  }

  static ValueItem Binary(const std::string& base64) {
    std::string bytes;
    if (!DecodeBase64(base64, bytes)) return std::monostate();
    return std::make_shared<BinaryNode>(std::vector<uint8_t>(bytes.begin(), bytes.end()));
  }

  ValueItem Dictionary(const Json& members, size_t depth) {
    auto dictionary = std::make_shared<DictionaryNode>();
    for (const auto& [key, value] : members.items()) {
      ValueItems::Place(dictionary->items[key], Item(value, depth), dictionary.get());
    }
    return dictionary;
  }

  static ValueItem TooDeep() {
    Log(LOGSEVERITY_ERROR, "process message: values nested deeper than " + std::to_string(ValueCodec::kMaxDepth) +
                               " levels read as null");
    return std::monostate();
  }
};

}  // namespace

bool ValueCodec::Encode(const ListNode& arguments, Json* out, std::string* error) {
  Encoder encoder;
  Json items = encoder.List(arguments, 0);
  if (!encoder.error.empty()) {
    *error = encoder.error;
    return false;
  }
  *out = std::move(items);
  return true;
}

std::shared_ptr<ListNode> ValueCodec::Decode(const Json& arguments) { return Decoder().List(arguments, 0); }

}  // namespace cefcompat
