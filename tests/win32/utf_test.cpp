// The Windows layer's conversion between UTF-8 and UTF-16: characters of
// every length, what a damaged file holds, and cuts at character boundaries.
#include "platform/win32/utf.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Utf8Result {
  std::string text;
  bool cut;
  bool operator==(const Utf8Result& o) const {
    return text == o.text && cut == o.cut;
  }
};

std::ostream& operator<<(std::ostream& out, const Utf8Result& r) {
  return out << '"' << r.text << '"' << (r.cut ? " cut" : "");
}

Utf8Result ToUtf8(const std::u16string& units, unsigned size) {
  std::string buffer(size + 8, 'X');
  bool cut = false;
  const unsigned n =
      utf::ToUtf8(units.data(), static_cast<unsigned>(units.size()), &buffer[0],
                  size, &cut);
  if (size == 0) return {buffer.substr(0, 1) == "X" ? "" : "written!", cut};
  EXPECT_EQ(buffer[n], '\0');
  EXPECT_LE(n, size - 1);
  return {buffer.substr(0, n), cut};
}

TEST(ToUtf8, CharactersDamageAndCuts) {
  const std::u16string kanji200(200, u'\u65E5');
  const struct {
    std::u16string units;
    unsigned size;
    Utf8Result expected;
  } cases[] = {
      {u"", 255, {"", false}},
      {u"abc", 255, {"abc", false}},
      {u"M\u00f6chten",
       255,
       {"M\xC3\xB6"
        "chten",
        false}},
      {u"\u65E5\u672C", 255, {"\xE6\x97\xA5\xE6\x9C\xAC", false}},
      {u"\U0001F600", 255, {"\xF0\x9F\x98\x80", false}},
      // Lone and reversed surrogates from a damaged file.
      {u"a\xD800", 255, {"a\xEF\xBF\xBD", false}},
      {u"\xDC00"
       "b",
       255,
       {"\xEF\xBF\xBD"
        "b",
        false}},
      {u"\xD800"
       "b",
       255,
       {"\xEF\xBF\xBD"
        "b",
        false}},
      {u"\xDC00\xD800", 255, {"\xEF\xBF\xBD\xEF\xBF\xBD", false}},
      // Cuts fall between characters, never inside one.
      {u"\u65E5\u672C", 5, {"\xE6\x97\xA5", true}},
      {u"\u65E5\u672C", 7, {"\xE6\x97\xA5\xE6\x9C\xAC", false}},
      {u"a\U0001F600", 5, {"a", true}},
      {u"a\U0001F600", 6, {"a\xF0\x9F\x98\x80", false}},
      {u"ab", 1, {"", true}},
      {u"ab", 0, {"", true}},
      {u"", 0, {"", false}},
      // A unit 0 ends the text.
      {std::u16string(u"ab\0cd", 5), 255, {"ab", false}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ToUtf8(c.units, c.size), c.expected)
        << "size " << c.size << ", " << c.units.size() << " units";

  // 200 Japanese characters in a value buffer of the launcher: 84 of them
  // (252 bytes) fit in 254, the 85th would not.
  const Utf8Result value = ToUtf8(kanji200, 255);
  EXPECT_TRUE(value.cut);
  EXPECT_EQ(value.text.size(), 252u);
  EXPECT_EQ(value.text, ToUtf8(kanji200.substr(0, 84), 255).text);
}

struct Utf16Result {
  std::u16string units;
  bool complete;
  bool operator==(const Utf16Result& o) const {
    return units == o.units && complete == o.complete;
  }
};

std::ostream& operator<<(std::ostream& out, const Utf16Result& r) {
  for (char16_t u : r.units) out << std::hex << unsigned(u) << ' ';
  return out << (r.complete ? "complete" : "incomplete");
}

Utf16Result ToUtf16(const std::string& text, unsigned size) {
  std::u16string buffer(size + 8, u'X');
  const bool complete = utf::ToUtf16(text.c_str(), &buffer[0], size);
  if (size == 0) return {buffer[0] == u'X' ? u"" : u"written!", complete};
  return {buffer.substr(0, buffer.find(u'\0')), complete};
}

TEST(ToUtf16, CharactersAndIllFormedBytes) {
  const std::u16string R(1, u'\uFFFD');
  const struct {
    std::string text;
    unsigned size;
    Utf16Result expected;
  } cases[] = {
      {"", 256, {u"", true}},
      {"abc", 256, {u"abc", true}},
      {"\xC3\xA9", 256, {u"\u00E9", true}},
      {"\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E",
       256,
       {u"\u65E5\u672C\u8A9E", true}},
      {"\xD0\x94\xD0\xBC", 256, {u"\u0414\u043C", true}},
      {"\xF0\x9F\x98\x80", 256, {u"\U0001F600", true}},
      {"\xF4\x8F\xBF\xBF", 256, {u"\U0010FFFF", true}},
      // Each ill-formed piece gives one replacement character.
      {"\x80", 256, {R, true}},
      {"a\xFF"
       "b",
       256,
       {u"a" + R + u"b", true}},
      {"\xC0\xAF", 256, {R + R, true}},                  // overlong '/'
      {"\xE0\x80\x80", 256, {R + R + R, true}},          // overlong
      {"\xED\xA0\x80", 256, {R + R + R, true}},          // a surrogate
      {"\xF4\x90\x80\x80", 256, {R + R + R + R, true}},  // above U+10FFFF
      {"\xE6\x97", 256, {R, true}},  // cut inside a character
      {"\xE6\x97"
       "a",
       256,
       {R + u"a", true}},
      {"\xF0\x9F\x98"
       "a",
       256,
       {R + u"a", true}},
      // What does not fit is left out whole.
      {"abc", 3, {u"ab", false}},
      {"a\xF0\x9F\x98\x80", 3, {u"a", false}},
      {"a\xF0\x9F\x98\x80", 4, {u"a\U0001F600", true}},
      {"a", 1, {u"", false}},
      {"", 1, {u"", true}},
      {"a", 0, {u"", false}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ToUtf16(c.text, c.size), c.expected)
        << "size " << c.size << ", " << c.text.size() << " bytes";
}

// Every character survives the way there and back.
TEST(Utf, EveryCharacterRoundTrips) {
  for (char32_t c = 1; c <= 0x10FFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    std::u16string units;
    if (c < 0x10000) {
      units = std::u16string(1, static_cast<char16_t>(c));
    } else {
      units += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      units += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
    char bytes[8];
    bool cut = true;
    const unsigned n =
        utf::ToUtf8(units.data(), static_cast<unsigned>(units.size()), bytes,
                    sizeof bytes, &cut);
    ASSERT_FALSE(cut);
    ASSERT_EQ(n, c < 0x80 ? 1u : c < 0x800 ? 2u : c < 0x10000 ? 3u : 4u);
    char16_t back[4] = {};
    ASSERT_TRUE(utf::ToUtf16(bytes, back, 4));
    ASSERT_EQ(std::u16string(back), units) << std::hex << unsigned(c);
  }
}

}  // namespace
