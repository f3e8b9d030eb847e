// Strict UTF-8 and the Windows-1252 reading of text that is not.
#include "platform/emulation/utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(Utf8, StrictCheck) {
  const struct {
    std::string text;
    bool valid;
  } cases[] = {
      {"", true},
      {"plain ASCII", true},
      {"Gr\xC3\xB6\xC3\x9F"
       "e",
       true},                              // Größe
      {"\xE6\x97\xA5\xE6\x9C\xAC", true},  // 日本
      {"\xF0\x9F\x98\x80", true},          // U+1F600
      {"\xF4\x8F\xBF\xBF", true},          // U+10FFFF
      {"\xED\x9F\xBF", true},              // U+D7FF
      {"\xEE\x80\x80", true},              // U+E000
      {"\xC0\xAF", false},                 // overlong '/'
      {"\xC1\xBF", false},                 // overlong
      {"\xE0\x80\xAF", false},             // overlong
      {"\xF0\x80\x80\xAF", false},         // overlong
      {"\xED\xA0\x80", false},             // surrogate D800
      {"\xED\xBF\xBF", false},             // surrogate DFFF
      {"\xF4\x90\x80\x80", false},         // above U+10FFFF
      {"\xF5\x80\x80\x80", false},
      {"\xFF", false},
      {"\x80", false},  // stray continuation
      {"\xC3", false},  // cut at the end
      {"\xE6\x97", false},
      {"\xE6\x97x", false},
      {"Gr\xF6\xDF"
       "e",
       false},  // Latin-1 Größe
  };
  for (const auto& c : cases)
    EXPECT_EQ(emulation::IsStrictUtf8(c.text), c.valid)
        << testing::PrintToString(c.text);
}

TEST(Utf8, InvalidTextReadsAsWindows1252) {
  const struct {
    std::string text;
    std::string utf8;
  } cases[] = {
      {"Gr\xC3\xB6\xC3\x9F"
       "e",
       "Gr\xC3\xB6\xC3\x9F"
       "e"},  // kept as it is
      {"Gr\xF6\xDF"
       "e",
       "Gr\xC3\xB6\xC3\x9F"
       "e"},
      // „quoted“ and the euro sign, which Latin-1 would make controls
      {"\x84"
       "x\x93 \x80",
       "\xE2\x80\x9E"
       "x\xE2\x80\x9C \xE2\x82\xAC"},
      {"\xC0\xAF", "\xC3\x80\xC2\xAF"},
      {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
      {"\xF4\x90\x80\x80", "\xC3\xB4\xEF\xBF\xBD\xE2\x82\xAC\xE2\x82\xAC"},
      // the five bytes Windows-1252 leaves undefined
      {"\x81\x8D\x8F\x90\x9D",
       "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
  };
  for (const auto& c : cases) {
    const std::string converted = emulation::AsUtf8(c.text);
    EXPECT_EQ(converted, c.utf8) << testing::PrintToString(c.text);
    EXPECT_TRUE(emulation::IsStrictUtf8(converted));
  }
}

TEST(Utf8, DecodesAndEncodesCodePoints) {
  const std::vector<char32_t> points = {'A',    0xE9,    0x20AC,
                                        0x65E5, 0x1F600, 0x10FFFF};
  std::string text;
  for (const char32_t c : points) emulation::AppendUtf8(c, &text);
  EXPECT_TRUE(emulation::IsStrictUtf8(text));
  EXPECT_EQ(emulation::DecodeUtf8(text), points);
  EXPECT_EQ(emulation::DecodeUtf8("a\xFF"
                                  "b"),
            (std::vector<char32_t>{'a', 0xFFFD, 'b'}));
}

}  // namespace
