#include <gtest/gtest.h>

#include "include/cef_base.h"

namespace {

TEST(CefStringTest, RoundTripsUtf8Utf16AndWide) {
  const std::string utf8 = "a\xc3\xa9\xe4\xb8\xad\xf0\x9f\x98\x80";  // a é 中 😀
  const CefString str(utf8);
  EXPECT_EQ(str.ToString16(), std::u16string(u"a\u00e9\u4e2d\U0001F600"));
  EXPECT_EQ(str.length(), 5u);  // the emoji is a surrogate pair
  EXPECT_EQ(str.ToString(), utf8);
  EXPECT_EQ(str.ToWString(), std::wstring(L"a\u00e9\u4e2d\U0001F600"));
  EXPECT_EQ(CefString(str.ToWString()), str);
  EXPECT_EQ(std::string(CefString("plain")), "plain");
  EXPECT_TRUE(CefString(static_cast<const char*>(nullptr)).empty());
}

TEST(CefStringTest, MalformedInputBecomesReplacementCharacters) {
  EXPECT_EQ(CefString(std::string("a\xff" "b")).ToString16(), std::u16string(u"a\uFFFDb"));
  EXPECT_EQ(CefString(std::string("\xe4\xb8")).ToString16(), std::u16string(u"\uFFFD\uFFFD"));
  EXPECT_EQ(CefString(std::string("\xc0\xaf")).ToString16(), std::u16string(u"\uFFFD\uFFFD"));  // overlong
  EXPECT_EQ(CefString(std::string("\xed\xa0\x80")).ToString16().size(), 3u);                   // surrogate
  EXPECT_EQ(CefString(std::u16string(1, char16_t(0xD800))).ToString(), "\xef\xbf\xbd");
}

class Counted : public CefBaseRefCounted {
 public:
  explicit Counted(int* destroyed) : destroyed_(destroyed) {}
  ~Counted() override { ++*destroyed_; }

 private:
  int* destroyed_;
  IMPLEMENT_REFCOUNTING(Counted);
};

TEST(CefRefPtrTest, DeletesWithTheLastReference) {
  int destroyed = 0;
  {
    CefRefPtr<Counted> first(new Counted(&destroyed));
    EXPECT_TRUE(first->HasOneRef());
    CefRefPtr<Counted> second = first;
    EXPECT_FALSE(first->HasOneRef());
    CefRefPtr<CefBaseRefCounted> base = second;
    CefRefPtr<Counted> moved = std::move(second);
    EXPECT_EQ(second, nullptr);
    first = nullptr;
    EXPECT_EQ(destroyed, 0);
    EXPECT_TRUE(moved);
  }
  EXPECT_EQ(destroyed, 1);
}

}  // namespace
