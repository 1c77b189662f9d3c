#include "common/text_encoding.h"

#include <gtest/gtest.h>

namespace korav {
namespace {

TEST(TextEncodingTest, Utf8IsKeptAndOtherBytesReadAsLatin1) {
  struct Case {
    std::string bytes;
    bool valid;
    std::string utf8;
  };
  const Case cases[] = {
      {"Caf\xC3\xA9", true, "Caf\xC3\xA9"},
      {"Caf\xE9", false, "Caf\xC3\xA9"},                    // Latin-1 e acute
      {"\xC0\xAF", false, "\xC3\x80\xC2\xAF"},              // overlong "/"
      {"\xED\xA0\x80", false, "\xC3\xAD\xC2\xA0\xC2\x80"},  // a surrogate
      {"\xE2\x82", false, "\xC3\xA2\xC2\x82"},              // cut short
      {"\xF0\x9F\x98\x80", true, "\xF0\x9F\x98\x80"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsValidUtf8(c.bytes), c.valid) << c.bytes;
    EXPECT_EQ(AsUtf8(c.bytes), c.utf8) << c.bytes;
  }
  EXPECT_EQ(Utf8Length("Caf\xC3\xA9s"), 5u);
  EXPECT_EQ(Utf8Prefix("Caf\xC3\xA9s", 4), "Caf\xC3\xA9");
  EXPECT_EQ(Utf8Prefix("ab", 5), "ab");
  EXPECT_EQ(EscapedHtml("a<b & \"c\"\n'd'>"), "a&lt;b &amp; &quot;c&quot;&#10;&#39;d&#39;&gt;");
}

}  // namespace
}  // namespace korav
