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

// Direction controls as they are written below.
constexpr char kRlo[] = "\xE2\x80\xAE";  // right-to-left override
constexpr char kPdf[] = "\xE2\x80\xAC";  // pop directional formatting
constexpr char kFsi[] = "\xE2\x81\xA8";  // first strong isolate
constexpr char kPdi[] = "\xE2\x81\xA9";  // pop directional isolate
constexpr char kFffd[] = "\xEF\xBF\xBD";

TEST(TextEncodingTest, ShownTextHasNoHiddenCharactersAndClosesWhatItOpens) {
  const std::string r = kFffd;
  struct Case {
    std::string bytes;
    std::string shown;
  };
  const Case cases[] = {
      // NUL, SOH, VT, FF, ESC, DEL show; tab and line ends are blanks.
      {std::string("a\0b\1c\13d\14e\33f\177", 12),
       "a" + r + "b" + r + "c" + r + "d" + r + "e" + r + "f" + r},
      {"a\tb\r\nc", "a b  c"},
      // C1 controls, as UTF-8 and as Latin-1 bytes, and U+FFFF.
      {"x\xC2\x85y", "x" + r + "y"},
      {"x\x85y\xE9", "x" + r + "y\xC3\xA9"},
      {"x\xEF\xBF\xBFy", "x" + r + "y"},
      // An override left open is closed; a terminator that closes nothing
      // the text opened goes, also a PDF that would close across an isolate.
      {std::string("ab") + kRlo + "cd", std::string("ab") + kRlo + "cd" + kPdf},
      {std::string("a") + kPdf + "b" + kPdi, "ab"},
      {std::string(kFsi) + "a" + kPdf + "b", std::string(kFsi) + "ab" + kPdi},
      // A PDI closes its isolate with the override inside it.
      {std::string(kFsi) + kRlo + "a" + kPdi + kPdi, std::string(kFsi) + kRlo + "a" + kPdi},
      {std::string(kRlo) + kFsi + "a", std::string(kRlo) + kFsi + "a" + kPdi + kPdf},
  };
  for (const Case& c : cases) EXPECT_EQ(ShownText(c.bytes), c.shown) << c.bytes;
  // What is escaped for a page: the same characters and bytes that are not
  // UTF-8 show as U+FFFD, so that the page stays readable as XML.
  EXPECT_EQ(EscapedHtml(std::string("<\0\x1B\xC2\x85\xEF\xBF\xBE\xE9\xC3\xA9", 11)),
            "&lt;" + r + r + r + r + r + "\xC3\xA9");
}

}  // namespace
}  // namespace korav
